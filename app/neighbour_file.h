// Stepping through the records stored beside the current file: the files
// with its extension (in any case), in the order of their names compared
// without regard to ASCII letter case.
#pragma once
#include <string>
#include <vector>

class CNarvoView;

// The folder is read once per step; more entries than this are not taken.
constexpr int kMaxNeighbourFiles = 10000;

// Of the names in `names` (the folder's files), the neighbour of `current`
// (0 next, 1 previous) with the same extension: its name, or empty.
std::u16string NeighbourInNames(std::vector<std::u16string> names, const std::u16string& current,
                                int direction);
// direction 0 next, 1 previous. 1 found (path set), 0 none (no current
// file, no extension, the end of the folder), -1 the folder cannot be read.
int FindNeighbourFile(int direction, std::u16string& path);
// The commands: the save question, then the load. The result of
// OpenRecordFile, or 0 when nothing was opened.
int OpenNextFile(CNarvoView* view);
int OpenPrevFile(CNarvoView* view);
