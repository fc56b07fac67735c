// The program as the desktop's handler of its record and position files, and
// its launcher on the desktop. Both are per user (freedesktop data folders).
#pragma once
#include <string>

// The MIME types, descriptions and the launcher file under
// $XDG_DATA_HOME, the caches brought up to date and this program made the
// default of each type. 0 done; -1 a write or a helper failed (a message
// names it, no success sound).
int RegisterFileTypes();
// "Sorvane V7.desktop" in the user's desktop folder, executable. 0 made,
// 1 there is no desktop folder, -1 the write failed (reported).
int CreateDesktopShortcut();
// The launcher's Exec value for the program at `path` with the trailing
// arguments (quoted as launchers need it).
std::u16string DesktopExecLine(const std::u16string& path, const std::u16string& trailing);
