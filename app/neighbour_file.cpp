#include "app/neighbour_file.h"

#include <algorithm>
#include <filesystem>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "view/narvo_view.h"

namespace {

// The lower-cased extension, or false for a name without a dot.
bool ExtensionOf(const std::u16string& name, std::u16string& ext) {
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos) return false;
  ext = GetFileExtLower(name.c_str() + dot);
  return true;
}

struct SortEntry {
  std::u16string key;  // the stem with ASCII letters upper-cased
  std::u16string name;
};

bool Before(const SortEntry& a, const SortEntry& b) {
  if (a.key != b.key) return a.key < b.key;
  return a.name < b.name;
}

// Sorted by stems compared without ASCII case; equal stems by code units,
// so that a.zrf and A.zrf keep one order.
std::vector<SortEntry> MakeEntries(std::vector<std::u16string>& names) {
  std::vector<SortEntry> entries;
  entries.reserve(names.size());
  for (std::u16string& n : names) {
    std::u16string stem = n.substr(0, std::min(n.size(), n.rfind(u'.')));
    for (char16_t& c : stem)
      if (c >= u'a' && c <= u'z') c = char16_t(c - (u'a' - u'A'));
    entries.push_back({std::move(stem), std::move(n)});
  }
  std::sort(entries.begin(), entries.end(), Before);
  return entries;
}

}  // namespace

std::u16string NeighbourInNames(std::vector<std::u16string> names, const std::u16string& current,
                                int direction) {
  std::u16string ext;
  if (!ExtensionOf(current, ext)) return {};
  std::vector<std::u16string> taken;
  for (std::u16string& n : names) {
    if (int(taken.size()) >= kMaxNeighbourFiles) break;
    std::u16string e;
    if (ExtensionOf(n, e) && e == ext) taken.push_back(std::move(n));
  }
  std::vector<SortEntry> entries = MakeEntries(taken);
  // The current file by its exact name: another spelling of it in another
  // case is a neighbour of its own.
  auto at = std::find_if(entries.begin(), entries.end(),
                         [&](const SortEntry& e) { return e.name == current; });
  if (at == entries.end()) return {};
  if (direction == 0) return at + 1 == entries.end() ? std::u16string() : (at + 1)->name;
  return at == entries.begin() ? std::u16string() : (at - 1)->name;
}

int FindNeighbourFile(int direction, std::u16string& path) {
  const std::u16string& current = g_szRecordFilePath;
  size_t slash = current.rfind(u'/');
  if (slash == std::u16string::npos) return 0;
  std::u16string folder = current.substr(0, slash);
  std::u16string name = current.substr(slash + 1);
  std::u16string ext;
  if (!ExtensionOf(name, ext)) return 0;

  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(fs::path(PathToNative(folder.empty() ? u"/" : folder)), ec);
  if (ec) return -1;
  std::vector<std::u16string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return -1;
    // Only regular files: a pipe among them would hold the open up.
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    names.push_back(PathFromNative(it->path().filename().native()));
  }
  std::u16string found = NeighbourInNames(std::move(names), name, direction);
  if (found.empty()) return 0;
  path = folder + u"/" + found;
  return 1;
}

namespace {

int OpenNeighbour(CNarvoView* view, int direction) {
  std::u16string path;
  if (FindNeighbourFile(direction, path) != 1 || !IsReadableRegularFile(path)) {
    Ui().PlayWarningSound();
    return 0;
  }
  if (g_Record.changeCount != 0 && AskSaveRecord(view) == kIdCancel) return 0;
  int result = OpenRecordFile(view, path);
  if (g_nReplayPaused > 0) ShowStatus(u"");
  return result;
}

}  // namespace

int OpenNextFile(CNarvoView* view) { return OpenNeighbour(view, 0); }
int OpenPrevFile(CNarvoView* view) { return OpenNeighbour(view, 1); }
