#include "app/undo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/folders.h"
#include "view/branch_wnd.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"

std::u16string g_strUndoLabel;
int g_bUndoPending = 0;
int g_bRedoAvailable = 0;
int g_bUndoModified = 0;
int g_bRedoModified = 0;
std::u16string g_szUndoFilePath;
std::u16string g_szRedoFilePath;

namespace {

std::u16string UndoFolderName() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) {
    if (!g_szDataFolder.empty()) return g_szDataFolder + u"undo/";
    // Never a folder relative to wherever the program was started.
    const char* tmp = std::getenv("TMPDIR");
    std::u16string folder = PathFromNative(tmp && *tmp == '/' ? tmp : "/tmp");
    NormalizeFolderPath(folder);
    return folder + FormatU16(u"Sorvane-%d/", int(getuid()));
  }
  std::u16string folder = PathFromNative(runtime);
  NormalizeFolderPath(folder);
  return folder + u"Sorvane/";
}

// What is kept beside a snapshot file.
struct Snapshot {
  bool written = false;
  int changeCount = 0;
  int usedNodes = 0;
  std::vector<int> shownPath;  // place (0-based) among its siblings of each node, root down
  uint64_t fingerprint = 0;
  size_t size = 0;
};
Snapshot g_undoSnapshot;
Snapshot g_redoSnapshot;

uint64_t Fingerprint(const std::string& bytes) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

bool DocumentModified() { return g_pDocument && g_pDocument->IsModified(); }
void SetDocumentModified(bool modified) {
  if (g_pDocument) g_pDocument->SetModifiedFlag(modified);
}

int UsedNodes() { return g_Record.pool ? g_Record.poolCapacity - CountFreeNodes(g_Record) : 0; }

// The places of the nodes from the root down to `target`, depth first and
// off the call stack; empty for the root or a node not in the tree.
std::vector<int> PathToNode(const RecordNode* target) {
  std::vector<int> places;
  const RecordNode* root = g_Record.Root();
  if (!root || target == root) return places;
  std::vector<const RecordNode*> nodes;
  const RecordNode* next = root->firstChild;
  int place = 0;
  for (;;) {
    if (next && nodes.size() < size_t(g_Record.poolCapacity)) {
      nodes.push_back(next);
      places.push_back(place);
      if (next == target) return places;
      next = next->firstChild;
      place = 0;
      continue;
    }
    if (nodes.empty()) return {};
    const RecordNode* left = nodes.back();
    nodes.pop_back();
    place = places.back() + 1;
    places.pop_back();
    next = left->nextSibling;
  }
}

RecordNode* NodeAtPath(const std::vector<int>& places) {
  RecordNode* node = g_Record.Root();
  for (int place : places) {
    if (!node) return nullptr;
    RecordNode* child = node->firstChild;
    for (int i = 0; i < place && child; ++i) child = child->nextSibling;
    node = child;
  }
  return node;
}

std::u16string SnapshotPath(const char16_t* stem) {
  std::u16string folder = UndoSnapshotFolder();
  if (folder.empty()) return {};
  return folder + FormatU16(u"%s%d.dovu", stem, g_nInstanceNumber);
}

// Writes the record to a fresh file beside `path` and renames it over: a
// failed write leaves the old snapshot, and a link planted at the name is
// replaced, never written through. The change counter is kept (the writer
// counts every ZRF write as a save).
int WriteSnapshot(const std::u16string& path, Snapshot& snap) {
  if (path.empty()) return 1;
  std::u16string temp = path + FormatU16(u".%d.tmp", int(getpid()));
  std::string nativeTemp = PathToNative(temp);
  unlink(nativeTemp.c_str());
  const int changeCount = g_Record.changeCount;
  int result = WriteZrfRecord(true, temp);
  g_Record.changeCount = changeCount;
  std::string bytes;
  if (result == 0 && !ReadFileBytes(temp, bytes)) result = 2;
  if (result == 0 && std::rename(nativeTemp.c_str(), PathToNative(path).c_str()) != 0) result = 2;
  if (result != 0) {
    unlink(nativeTemp.c_str());
    return result;
  }
  snap.written = true;
  snap.changeCount = changeCount;
  snap.usedNodes = UsedNodes();
  snap.shownPath = PathToNode(g_Record.current);
  snap.fingerprint = Fingerprint(bytes);
  snap.size = bytes.size();
  return 0;
}

int SaveSnapshot(const char16_t* stem, std::u16string& pathOut, Snapshot& snap) {
  pathOut = SnapshotPath(stem);
  Snapshot fresh;
  int result = WriteSnapshot(pathOut, fresh);
  if (result != 0) {
    ShowMessage(FormatU16(u"棋譜保存エラー(%s)",
                          pathOut.empty() ? UndoFolderName().c_str() : pathOut.c_str()),
                kMbOk | kMbIconError);
    return result;
  }
  snap = std::move(fresh);
  return 0;
}

// Reads the snapshot into a fresh pool; the record in use is kept aside and
// comes back whole when the file is not the one written or does not read
// whole.
int RestoreSnapshot(CNarvoView* view, const std::u16string& path, const Snapshot& snap) {
  std::string bytes;
  bool same = snap.written && ReadFileBytes(path, bytes) && bytes.size() == snap.size &&
              Fingerprint(bytes) == snap.fingerprint;
  auto kept = std::make_unique<GameRecord>(g_Record);
  const BoardState board = g_Board, start = g_StartBoard;
  const int flipped = g_bBoardFlipped;
  bool read = false;
  if (same) {
    g_Record.pool = nullptr;
    g_Record.current = nullptr;
    if (InitRecordPool(g_Record, kept->poolCapacity) == 0) {
      int result = ReadRecordBytes(true, std::move(bytes));
      read = result >= 0 && UsedNodes() == snap.usedNodes;
      if (!read) FreeRecordPool(g_Record);
    }
    if (!read) {
      g_Record = *kept;
      g_Board = board;
      g_StartBoard = start;
      g_bBoardFlipped = flipped;
    }
  }
  if (!read) {
    ShowMessage(FormatU16(u"元に戻すための棋譜(%s)が読めません。", path.c_str()),
                kMbOk | kMbIconError);
    return -2;
  }
  FreeRecordPool(*kept);
  g_Record.changeCount = snap.changeCount;
  RecordNode* shown = NodeAtPath(snap.shownPath);
  if (!shown) return -1;
  int walk = GotoNode(view, NodeIndex(g_Record, shown));
  g_Record.changeCount = snap.changeCount;
  RedrawBoardView(view);
  UpdateDovuWndScroll();
  UpdateBranchWindow();
  UpdateMainTitle();
  return walk;
}

}  // namespace

std::u16string UndoSnapshotFolder() {
  std::u16string folder = UndoFolderName();
  std::string native = PathToNative(folder);
  if (native.size() > 1 && native.back() == '/') native.pop_back();
  if (mkdir(native.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // Only a real folder of this user, closed to everyone else.
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
    return {};
  if ((st.st_mode & 077) != 0 && chmod(native.c_str(), 0700) != 0) return {};
  return folder;
}

int SaveUndoSnapshot() { return SaveSnapshot(u"Dovu自動保存", g_szUndoFilePath, g_undoSnapshot); }
int SaveRedoSnapshot() { return SaveSnapshot(u"Dovu戻す前", g_szRedoFilePath, g_redoSnapshot); }
int RestoreUndoSnapshot(CNarvoView* view) {
  return RestoreSnapshot(view, g_szUndoFilePath, g_undoSnapshot);
}
int RestoreRedoSnapshot(CNarvoView* view) {
  return RestoreSnapshot(view, g_szRedoFilePath, g_redoSnapshot);
}

void SaveUndoPoint(const std::u16string& label) {
  const bool modified = DocumentModified();
  if (SaveUndoSnapshot() != 0) {
    // Undo would bring back an older state under this edit's name.
    ClearUndoLabel();
    return;
  }
  g_bUndoModified = modified;
  g_bUndoPending = 1;
  g_strUndoLabel = label;
  g_bRedoAvailable = 0;
}

void ClearUndoLabel() {
  g_bUndoPending = 0;
  g_strUndoLabel.clear();
  g_bRedoAvailable = 0;
}

void UndoLastEdit() {
  if (!g_bUndoPending) return;
  const bool modified = DocumentModified();
  if (SaveRedoSnapshot() != 0) return;
  if (RestoreUndoSnapshot(g_pView) == -2) return;
  g_bRedoModified = modified;
  SetDocumentModified(g_bUndoModified != 0);
  UpdateMainTitle();
  g_bUndoPending = 0;
  g_bRedoAvailable = 1;
}

void RedoLastEdit() {
  if (!g_bRedoAvailable) return;
  if (RestoreRedoSnapshot(g_pView) == -2) return;
  SetDocumentModified(g_bRedoModified != 0);
  UpdateMainTitle();
  g_bRedoAvailable = 0;
  g_bUndoPending = 1;
}

std::u16string GetUndoLabel() { return g_strUndoLabel; }
