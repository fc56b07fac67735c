// The program's folders. Folder texts always end in "/" (or are empty).
#pragma once
#include <string>

extern std::u16string g_szProgramFolder;  // folder of the executable
extern std::u16string g_szModulePath;     // the executable's full path
extern std::u16string g_szDataFolder;     // "$XDG_DATA_HOME/Morivane/DovuV7/"
extern std::u16string g_szDocumentsFolder;  // the user's documents folder

// "." and "./" (or ".\") become empty; a non-empty folder that does not end
// in "/" gets one appended.
void NormalizeFolderPath(std::u16string& folder);

// g_szModulePath and g_szProgramFolder from /proc/self/exe (the current
// folder when that cannot be read); g_szEnvFolder is set to the same.
void InitProgramFolder();
// Makes "$XDG_DATA_HOME/Morivane/DovuV7/" (XDG_DATA_HOME defaulting to
// "$HOME/.local/share") with its parents and sets g_szDataFolder and
// g_szEnvFolder to it; g_szDocumentsFolder to "$HOME/Documents/" when that
// exists, else "$HOME/". When no home can be found or the folder cannot be
// made, all three stay at the program folder (InitProgramFolder first).
// 0, or -1 when the data folder could not be made.
int InitDataFolders();

// A folder setting as the place where files go: the folder itself, or the
// user's documents folder when the setting is empty (never the folder the
// program was started from). With a trailing "/".
std::u16string FolderOrDocuments(const std::u16string& folder);

// Makes a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::u16string& folder);
