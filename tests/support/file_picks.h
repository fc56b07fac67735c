// Answers the program's open and save dialogs from a list of picks, one per
// dialog in the order they open (the path typed and the type chosen); a
// dialog with no pick left is cancelled. Every request is kept as asked.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "app/file_commands.h"

class FilePicks {
public:
  FilePicks() {
    SetFileDialog([this](CNarvoView*, FileDialogRequest& r) {
      requests.push_back(r);
      if (picks.empty()) return FileDialogResult{0, 0};
      auto [name, index] = picks.front();
      picks.erase(picks.begin());
      r.fileName = name;
      r.filterIndex = index;
      return FileDialogResult{1, 0};
    });
  }
  ~FilePicks() { SetFileDialog(nullptr); }
  FilePicks(const FilePicks&) = delete;
  FilePicks& operator=(const FilePicks&) = delete;

  std::vector<std::pair<std::u16string, int>> picks;  // what the dialogs answer, in turn
  std::vector<FileDialogRequest> requests;
};
