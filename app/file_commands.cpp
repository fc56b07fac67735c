#include "app/file_commands.h"

#include <sys/stat.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "app/auto_file_name.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "app/wait_cursor.h"
#include "record/board.h"
#include "record/csa.h"
#include "record/datetime.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/rules.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"

int g_nOpenFilterIndex = 0;
int g_nSaveFilterIndex = 0;

PathWriter g_pWritePositionFile = nullptr;
PathWriter g_pSaveEnglishRecord = nullptr;
PathWriter g_pWriteEnglishPosition = nullptr;
std::u16string (*g_pBuildAutoFileName)() = BuildAutoFileName;

namespace {

constexpr char16_t kLoadBookmark[] = u"読み込み時表示";
constexpr size_t kTitleCapacity = 600;

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

FileDialogResult RunQtFileDialog(CNarvoView* view, FileDialogRequest& r) {
  QStringList filters;
  for (const auto& [text, patterns] : r.filters) {
    QString p = Q(patterns);
    p.replace(u';', u' ');
    filters << Q(text) + " (" + p + ")";
  }
  QFileDialog dialog(view, Q(r.title), Q(r.folder));
  // Qt's own dialog, which speaks the translation the program loads.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The filter texts name their patterns already: the patterns Qt reads
  // from the appended parentheses are not shown a second time.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(filters);
  // Wide enough for long Japanese names and their dates.
  dialog.resize(std::max(dialog.width(), 780), std::max(dialog.height(), 460));
  if (auto* tree = dialog.findChild<QTreeView*>()) {
    tree->header()->resizeSection(0, 330);
    // The size, type and date columns as wide as what they show. The model
    // lists a folder first and fills in sizes and types afterwards, and a
    // change of folder or type shows other rows: each of these refits, once
    // the burst of changes is over.
    auto* refit = new QTimer(tree);
    refit->setSingleShot(true);
    refit->setInterval(0);
    QObject::connect(refit, &QTimer::timeout, tree, [tree] {
      for (int column = 1; column < tree->header()->count(); ++column) tree->resizeColumnToContents(column);
    });
    auto later = [refit] { refit->start(); };
    QAbstractItemModel* model = tree->model();
    QObject::connect(model, &QAbstractItemModel::dataChanged, refit, later);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, refit, later);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, refit, later);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, refit, later);
    QObject::connect(model, &QAbstractItemModel::modelReset, refit, later);
    if (auto* files = qobject_cast<QFileSystemModel*>(model))
      QObject::connect(files, &QFileSystemModel::directoryLoaded, refit, later);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, refit, later);
    QObject::connect(&dialog, &QFileDialog::filterSelected, refit, later);
    later();
  }
  if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[r.filterIndex - 1]);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (r.save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!r.fileName.empty()) dialog.selectFile(Q(r.fileName));
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(Q(r.defaultExt).toLower());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {0, 0};
  r.fileName = dialog.selectedFiles().front().toStdU16String();
  r.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (r.filterIndex < 1) r.filterIndex = 1;
  return {1, 0};
}

FileDialogFunction& DialogSlot() {
  static FileDialogFunction slot = RunQtFileDialog;
  return slot;
}

int RunSaveChoiceDialog(CNarvoView* view, const std::u16string& recordName) {
  QDialog dialog(view);
  dialog.setWindowTitle(QString::fromUtf16(u"棋譜の保存"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QString::fromUtf16(u"棋譜を保存しますか？")));
  layout->addWidget(new QLabel(Q(recordName)));
  auto* buttons = new QDialogButtonBox;
  QPushButton* saveAs =
      buttons->addButton(QString::fromUtf16(u"名前を付けて保存(&A)"), QDialogButtonBox::AcceptRole);
  QPushButton* overwrite =
      buttons->addButton(QString::fromUtf16(u"上書き保存(&S)"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QString::fromUtf16(u"保存しない(&N)"), QDialogButtonBox::RejectRole);
  saveAs->setDefault(true);
  int choice = kSaveNot;
  QObject::connect(saveAs, &QPushButton::clicked, &dialog, [&] {
    choice = kSaveAs;
    dialog.accept();
  });
  QObject::connect(overwrite, &QPushButton::clicked, &dialog, [&] {
    choice = kSaveOverwrite;
    dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.exec();
  return choice;
}

SaveChoiceFunction& SaveChoiceSlot() {
  static SaveChoiceFunction slot = RunSaveChoiceDialog;
  return slot;
}

// The folder a dialog opens in: the setting's, else the documents folder.
std::u16string FolderWithoutSlash(const std::u16string& setting) {
  std::u16string folder = FolderOrDocuments(setting);
  if (folder.size() > 1 && folder.back() == u'/') folder.pop_back();
  return folder;
}

// What the current file looked like when it was last read or saved, so that
// a save notices when another program (or another copy of this one) changed
// it in between.
struct FileStamp {
  std::u16string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  struct timespec modified = {};
};
FileStamp g_currentStamp;

bool StatPath(const std::u16string& path, struct stat& st) {
  return !path.empty() && ::stat(PathToNative(path).c_str(), &st) == 0;
}

void StampCurrentFile() {
  struct stat st;
  if (!StatPath(g_szRecordFilePath, st)) {
    g_currentStamp = {};
    return;
  }
  g_currentStamp = {g_szRecordFilePath, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

bool IsCurrentFile(const std::u16string& path) {
  if (path == g_szRecordFilePath) return true;
  struct stat a, b;
  return StatPath(path, a) && StatPath(g_szRecordFilePath, b) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ChangedSinceStamp(const std::u16string& path) {
  struct stat st;
  if (g_currentStamp.path.empty() || !StatPath(path, st)) return false;
  return st.st_dev != g_currentStamp.device || st.st_ino != g_currentStamp.inode ||
         st.st_size != g_currentStamp.size || st.st_mtim.tv_sec != g_currentStamp.modified.tv_sec ||
         st.st_mtim.tv_nsec != g_currentStamp.modified.tv_nsec;
}

// The one check before a save writes a record file: another file of that
// name is replaced only when the user says so, and the current file only
// when nobody changed it since it was read or saved (or the user says so).
// A file the record was neither read from nor saved to in this run (a name
// that came with a pasted record or a new game) is another file.
bool MayWriteOver(const std::u16string& target) {
  if (!g_currentStamp.path.empty() && IsCurrentFile(target)) {
    return !ChangedSinceStamp(target) ||
           ShowMessage(FormatU16(u"ファイル(%s)は他で変更されています。上書きしますか？", target.c_str()),
                       kMbYesNo | kMbIconQuestion, u"棋譜保存") == kIdYes;
  }
  return !PathExists(target) ||
         ShowMessage(FormatU16(u"同名の棋譜(%s)があります。書き換えますか？", target.c_str()),
                     kMbYesNo | kMbIconQuestion, u"棋譜保存") == kIdYes;
}

// The part of a path after its last "/".
std::u16string NamePart(const std::u16string& path) {
  size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

bool HasDotInName(const std::u16string& path) {
  return NamePart(path).find(u'.') != std::u16string::npos;
}

// The type of a path's name: the lower-cased text after its last dot.
std::u16string TypeOf(const std::u16string& path) { return FileExtensionLower(NamePart(path)); }


// ".zrf" <-> ".dovu" and ".zr2" <-> ".zr2u" by 棋譜保存UTF8 and 棋譜名dovu.
std::u16string ApplyEncodingToName(const std::u16string& path) {
  std::u16string type = TypeOf(path);
  std::u16string stem = path.substr(0, path.size() - type.size());
  if (g_bSaveUtf8 && g_bDovuExtension) {
    if (type == u"zrf") return stem + u"dovu";
    if (type == u"zr2") return stem + u"zr2u";
  } else if (!g_bSaveUtf8) {
    if (type == u"dovu") return stem + u"zrf";
    if (type == u"zr2u") return stem + u"zr2";
  }
  return path;
}

void SetDocumentPath(const std::u16string& path) {
  if (g_pDocument) g_pDocument->SetPathName(path);
}
void ClearDocumentModified() {
  if (g_pDocument) g_pDocument->SetModifiedFlag(false);
}
void RepaintView(CNarvoView* view) {
  if (view) view->InvalidateAll();
}

// The last node of the main line (the root when it has no moves).
const RecordNode* LastMainLineNode() {
  const RecordNode* n = g_Record.Root();
  while (n && n->firstChild) n = n->firstChild;
  return n;
}

// Depth first from the root, every child in sibling order, each entered and
// left by the move path's own step. An end mark other than 投了 is not
// entered: as target it leaves the position of its parent, as stepping does.
// Nothing below 投了 can be stepped to, so the walk does not go there
// either. Kept off the call stack: a line may be as long as the pool.
int WalkToNode(int target, RecordNode* root) {
  if (NodeIndex(g_Record, root) == target) return 0;
  std::vector<RecordNode*> path;
  RecordNode* next = root->firstChild;
  for (;;) {
    // A damaged tree (a loop) cannot hold the walk longer than the pool.
    if (next && !(next->from == 0 && next->to == 0) &&
        path.size() < size_t(g_Record.poolCapacity)) {
      const bool entered = EnterNode(next);
      if (NodeIndex(g_Record, next) == target) return 0;
      if (!entered) {
        next = next->nextSibling;
        continue;
      }
      path.push_back(next);
      next = IsBoardMoveNode(*next) ? next->firstChild : nullptr;
      continue;
    }
    if (path.empty()) return -1;
    RecordNode* left = path.back();
    path.pop_back();
    LeaveNode(path.empty() ? root : path.back());
    next = left->nextSibling;
  }
}

// Save As of the position types (4 局面, 6 英語表記局面). 0 saved, -2 failed.
// path comes back as it now stands, extension added.
int SavePositionAs(std::u16string& path, int index, bool& again) {
  const char16_t* ext = index == 4 ? u"bod" : u"txt";
  if (!HasDotInName(path) || TypeOf(path) != ext) path += std::u16string(u".") + ext;
  if (PathExists(path) &&
      ShowMessage(FormatU16(u"同名の局面(%s)があります。書き換えますか？", path.c_str()),
                  kMbYesNo | kMbIconQuestion, u"局面保存") != kIdYes) {
    again = true;
    return 0;
  }
  PathWriter writer = index == 4 ? g_pWritePositionFile : g_pWriteEnglishPosition;
  int result = writer ? writer(path) : -1;
  if (result != 0) {
    ShowMessage(FormatU16(u"局面保存エラー(%s)", path.c_str()), kMbOk | kMbIconError, u"エラー");
    return -2;
  }
  SetPositionFolder(path);
  ShowStatus(FormatU16(u"局面ファイル(%s)を出力しました。", path.c_str()));
  if (index == 4) SetDocumentPath(path);
  if (GetLineLength(g_Record) == 0) {
    SetCurrentFileName(path);
    SetRecordFolder(path);
    StampCurrentFile();
    g_Record.changeCount = 0;
    UpdateMainTitle();
  }
  return 0;
}

// The record types of Save As after the dialog. 0 saved, 1 declined at the
// CSA question, -2 failed; again when the user wants the dialog back (path
// then comes back as it now stands, to be offered again).
int SaveRecordAs(std::u16string& path, int index, bool& again) {
  const char16_t* defaultExt = index == 2   ? u".zr2"
                               : index == 3 ? u".csa"
                               : index == 5 ? u".gam"
                                            : u".zrf";
  std::u16string type = TypeOf(path);
  if (!HasDotInName(path))
    path += defaultExt;
  else if (index == 3) {
    if (type != u"csa") path += u".csa";
  } else if (type != u"zrf" && type != u"zr2" && type != u"dovu" && type != u"zr2u" &&
             type != u"gam") {
    path += defaultExt;
  }
  path = ApplyEncodingToName(path);
  if (PathExists(path) &&
      ShowMessage(FormatU16(u"同名の棋譜(%s)があります。書き換えますか？", path.c_str()),
                  kMbYesNo | kMbIconQuestion, u"棋譜保存") != kIdYes) {
    again = true;
    return 0;
  }
  int result;
  {
    WaitCursor wait;
    if (index == 2) {
      result = SaveZr2File(path, g_bSaveUtf8);
    } else if (index == 3) {
      if (HasVariations(g_Record) &&
          ShowMessage(u"CSA形式では分岐を保存できませんが、継続しますか？",
                      kMbYesNo | kMbIconQuestion, u"CSA形式棋譜保存") != kIdYes)
        return 1;
      result = WriteCsaFile(path);
    } else if (index == 5) {
      result = g_pSaveEnglishRecord ? g_pSaveEnglishRecord(path) : -1;
    } else {
      result = SaveZrfFile(path, g_bSaveUtf8);
    }
  }
  UpdateDovuWndScroll();
  ClearUndoLabel();
  if (result != 0) {
    ShowMessage(FormatU16(u"棋譜保存エラー(%s)", path.c_str()), kMbOk | kMbIconError);
    return -2;
  }
  ShowStatus(FormatU16(u"棋譜ファイル(%s)を保存しました。", path.c_str()));
  if (index != 5) SetDocumentPath(path);
  SetCurrentFileName(path);
  SetRecordFolder(path);
  StampCurrentFile();
  ClearDocumentModified();
  UpdateMainTitle();
  return 0;
}

}  // namespace

bool IsNamedTitle() { return !g_szRecordTitle.empty() && g_szRecordTitle != g_szUntitled; }

FileDialogResult RunFileDialog(CNarvoView* view, FileDialogRequest& request) {
  // A dialog never starts in the folder the program was started from.
  if (request.folder.empty()) request.folder = FolderWithoutSlash(u"");
  return DialogSlot()(view, request);
}

FileDialogFunction SetFileDialog(FileDialogFunction dialog) {
  FileDialogFunction previous = DialogSlot();
  DialogSlot() = dialog ? std::move(dialog) : FileDialogFunction(RunQtFileDialog);
  return previous;
}

std::vector<std::pair<std::u16string, std::u16string>> OpenFileFilters() {
  return {{u"棋譜(*.zrf, *.dovu)", u"*.zrf;*.dovu"},
          {u"棋譜(*.zr2, *.zr2u)", u"*.zr2;*.zr2u"},
          {u"局面(*.bod)", u"*.bod"},
          {u"CSA棋譜(*.csa)", u"*.csa"},
          {u"棋譜(*.zrf, *.zr2, *.dovu, *.zr2u)", u"*.zrf;*.zr2;*.dovu;*.zr2u"},
          // On Linux many files have no dot in their names.
          {u"すべてのファイル(*.*)", u"*"}};
}

std::vector<std::pair<std::u16string, std::u16string>> SaveFileFilters() {
  std::vector<std::pair<std::u16string, std::u16string>> list;
  if (g_bSaveUtf8) {
    list.push_back({u"棋譜(*.zrf, *.dovu)", u"*.zrf;*.dovu"});
    list.push_back({u"棋譜(*.zr2, *.zr2u)", u"*.zr2;*.zr2u"});
  } else {
    list.push_back({u"棋譜(*.zrf)", u"*.zrf"});
    list.push_back({u"棋譜(*.zr2)", u"*.zr2"});
  }
  list.push_back({u"CSA棋譜(*.csa)", u"*.csa"});
  list.push_back({u"局面(*.bod)", u"*.bod"});
  list.push_back({u"英語表記棋譜(*.gam)", u"*.gam"});
  list.push_back({u"英語表記局面(*.txt)", u"*.txt"});
  return list;
}

// ---- Names ---------------------------------------------------------------------

int IsKnownFileExt(const std::u16string& ext) {
  for (const char16_t* known :
       {u"zrf", u"zr2", u"bod", u"csa", u"txt", u"rsk", u"mal", u"ma2", u"dovu", u"zr2u"})
    if (ext == known) return 1;
  return 0;
}

std::u16string GetFileExtLower(const char16_t* dot) {
  if (!dot) return {};
  std::u16string ext(dot + 1);
  for (auto& c : ext)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return ext;
}

int GetCurrentFileType() {
  if (!HasDotInName(g_szRecordFileName)) return -1;
  std::u16string type = TypeOf(g_szRecordFileName);
  if (type == u"zrf" || type == u"dovu") return 0;
  if (type == u"zr2" || type == u"zr2u") return 1;
  if (type == u"bod") return 2;
  return -1;
}

void ReportUnreadableRecord(const std::u16string& path) {
  // A file that is there but cannot be read (a folder, a device, too large,
  // no permission) is not called missing.
  struct stat st;
  const bool exists = ::stat(PathToNative(path).c_str(), &st) == 0;
  if (exists && S_ISREG(st.st_mode) && uint64_t(st.st_size) > kMaxReadFileSize) {
    ShowMessage(FormatU16(u"ファイル(%s)は大き過ぎるため読めません。(%dMBまで)", path.c_str(),
                          int(kMaxReadFileSize >> 20)),
                kMbOk | kMbIconError, u"棋譜読込みエラー");
    return;
  }
  ShowMessage(FormatU16(exists ? u"ファイル(%s)が読めません。" : u"ファイルがありません。(%s)", path.c_str()),
              kMbOk | kMbIconError, u"棋譜読込みエラー");
}

int g_bRecordReadPartly = 0;

void SetCurrentFileName(const std::u16string& path) {
  g_bRecordReadPartly = 0;
  g_currentStamp = {};
  g_szRecordFilePath = path;
  CutToCapacity(g_szRecordFilePath, kEnvPathCapacity);
  g_szRecordFileName = NamePart(g_szRecordFilePath);
  g_szRecordTitle = g_szRecordFileName;
  if (HasDotInName(g_szRecordFileName)) {
    std::u16string type = TypeOf(g_szRecordFileName);
    if (type == u"zrf" || type == u"zr2" || type == u"bod" || type == u"dovu" || type == u"zr2u")
      g_szRecordTitle.resize(g_szRecordTitle.size() - type.size() - 1);
  }
  CutToCapacity(g_szRecordTitle, kTitleCapacity);
}

static std::u16string FolderOf(const std::u16string& path) {
  size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

void SetRecordFolder(const std::u16string& path) { g_szRecordFolder = FolderOf(path); }
void SetPositionFolder(const std::u16string& path) { g_szPositionFolder = FolderOf(path); }


// ---- Loading -------------------------------------------------------------------

int OpenRecordFile(CNarvoView* view, const std::u16string& path) {
  ClearUndoLabel();
  ClearDocumentModified();
  int result;
  std::u16string type = HasDotInName(path) ? TypeOf(path) : std::u16string();
  if (type == u"csa") {
    result = ReadCsaFile(path);
  } else {
    if (HasDotInName(path) && !IsKnownFileExt(type)) {
      ShowMessage(FormatU16(u"ファイル(%s)は、読めません。", path.c_str()), kMbOk | kMbIconError);
      return -1;
    }
    WaitCursor wait;
    result = ReadRecordFile(type == u"dovu" || type == u"zr2u", path);
  }
  if (result == kNoRecordPool) return -1;  // said, and nothing changed
  if (result == -1) {
    ReportUnreadableRecord(path);
  } else if (result == 0 && g_RecordReadState.commentCut) {
    // Read to its end, but not whole: it must not be saved over the file.
    ShowMessage(FormatU16(u"棋譜(%s)のコメントが長過ぎるため、%d文字を超える部分は読み込めませんでした。",
                          path.c_str(), kMaxCommentLength),
                kMbOk | kMbIconWarning);
    result = 2;
  } else if (result == 0 && g_RecordReadState.utf8Faults > 0) {
    // Shown, but the bad bytes are not in memory: no save may replace them.
    ShowMessage(FormatU16(u"棋譜(%s)にはUTF-8として読めない文字が%d箇所あるため、その部分を「\uFFFD」として読み込みました。",
                          path.c_str(), g_RecordReadState.utf8Faults),
                kMbOk | kMbIconWarning);
    result = 2;
  } else if (result == -2) {
    ShowMessage(FormatU16(u"棋譜読込みエラー(%s)\n%s", path.c_str(),
                          u"棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。"),
                kMbOk | kMbIconError);
  } else if (result != 0) {
    ShowMessage(FormatU16(u"棋譜読込みエラー(%s)", path.c_str()), kMbOk | kMbIconError);
  }
  if (result != -1) {
    SetCurrentFileName(path);
    SetRecordFolder(path);
    StampCurrentFile();
    // What was read is shown under the file's name, but a save must not put
    // the part in place of the whole.
    g_bRecordReadPartly = result != 0;
  }
  RepaintView(view);
  UpdateCommentWindow();
  UpdateMainTitle();
  if (result == 0)
    ShowStatus(FormatU16(u"棋譜ファイル(%s)を読み込みました。", path.c_str()));
  else if (result != -1)
    ShowStatus(FormatU16(u"棋譜ファイル(%s)の一部を読み込みました。", path.c_str()));
  if (g_AppMode == kModeEdit && GetLineLength(g_Record) > 0) {
    ResetRecordTree(g_Record);
    ShowMessage(u"局面編集中なので、棋譜は消しました。", kMbOk | kMbIconWarning, u"警告");
  }
  UpdateDovuWndScroll();
  UpdateBranchWindow();
  if (result != -1) SetDocumentPath(path);

  if (result != -1) {
    int node = -1;
    bool noBookmark = false;
    switch (g_nLoadPosition) {
      case 1:
        GotoLineEnd(view);
        break;
      case 2: {
        const RecordNode* last = LastMainLineNode();
        if (last && last != g_Record.Root() && last->from == kEndFrom && last->to == kEndSuspend)
          GotoLineEnd(view);
        break;
      }
      case 3:
        node = FindBookmarkByName(kLoadBookmark);
        noBookmark = node < 0;
        break;
      case 4:
        if (g_Record.bookmarkCount > 0) node = g_Record.bookmarks[0].node;
        noBookmark = node < 0;
        break;
      default:
        break;
    }
    if (node >= 0) {
      GotoNode(view, node);
      RedrawBoardView(view);
    }
    // Shown from the start for want of a bookmark: the open counts as done,
    // whatever the reader warned of.
    if (noBookmark) return 0;
  }
  return result == 0 ? 0 : -1;
}

int OpenFileWithDialog(CNarvoView* view) {
  if (g_bConfirmSave && g_Record.changeCount != 0 && AskSaveRecord(view) == kIdCancel) return 0;
  FileDialogRequest r;
  if (g_nOpenFilterIndex >= 1 && g_nOpenFilterIndex <= 6)
    r.filterIndex = g_nOpenFilterIndex;
  else if (g_nOpenFilterIndex != 0)
    r.filterIndex = 1;
  else
    r.filterIndex = g_nDefaultFormat == 0 ? 1 : 2;
  r.folder = FolderWithoutSlash(g_szRecordFolder);
  r.title = u"棋譜・局面ファイルの読み込み";
  r.filters = OpenFileFilters();
  r.defaultExt = r.filterIndex == 2 ? u"ZR2" : r.filterIndex == 3 ? u"BOD" : u"ZRF";
  FileDialogResult answer = RunFileDialog(view, r);
  if (answer.answer == 0) return 0;
  if (answer.answer < 0) {
    ShowMessage(FormatU16(u"GetOpenFileName でエラー #%ld が発生しました", answer.errorCode),
                kMbOk | kMbIconError, u"警告");
    return -1;
  }
  g_nOpenFilterIndex = r.filterIndex;
  return OpenRecordFile(view, r.fileName) == -1 ? -1 : 1;
}

// ---- Saving --------------------------------------------------------------------

static void MarkLoadPosition() {
  if (g_nLoadPosition != 3) return;
  DeleteBookmarkByName(kLoadBookmark);
  SetBookmark(g_Record, NodeIndex(g_Record, g_Record.current), kLoadBookmark);
}

int SaveZrfFile(const std::u16string& path, bool utf8) {
  MarkLoadPosition();
  int result = WriteZrfRecord(utf8, path);
  return result == -1 ? 1 : result;
}

int SaveZr2File(const std::u16string& path, bool utf8) {
  MarkLoadPosition();
  int result = WriteZr2File(utf8, path);
  return result == -1 ? 1 : result;
}

int BackupRecordFile(const std::u16string& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return 0;
  size_t slash = path.rfind(u'/');
  // The "bak" folder is used only when the user made it.
  if (slash != std::u16string::npos) {
    std::u16string bak = path.substr(0, slash) + u"/bak/" + path.substr(slash + 1) + u".bak";
    if (WriteFileBytes(bak, bytes)) return 0;
  }
  WriteFileBytes(path + u".bak", bytes);
  return 0;
}

int SaveFileAs(CNarvoView* view) { return SaveFileAsNamed(view, {}); }

int SaveFileAsNamed(CNarvoView* view, const std::u16string& proposed) {
  FileDialogRequest r;
  r.save = true;
  if (!proposed.empty()) {
    r.fileName = proposed;
  } else if (IsNamedTitle()) {
    r.fileName = g_szRecordTitle;
  } else {
    r.fileName = g_pBuildAutoFileName ? g_pBuildAutoFileName() : std::u16string();
    if (r.fileName.empty()) {
      FormatToday();
      r.fileName = g_szDateStem;
    }
  }
  if (g_AppMode == kModeEdit) {
    r.filterIndex = 4;
  } else if (g_nSaveFilterIndex >= 1 && g_nSaveFilterIndex <= 6) {
    r.filterIndex = g_nSaveFilterIndex;
  } else if (g_nSaveFilterIndex != 0) {
    r.filterIndex = 1;
  } else {
    int type = GetCurrentFileType();
    r.filterIndex = type == 0 ? 1 : type == 1 ? 2 : g_nDefaultFormat == 0 ? 1 : 2;
  }
  if (g_AppMode == kModeEdit || g_AppMode == kModeEditPiece) {
    // The position set up becomes the record's start.
    IdentifyHandicap();
    CheckStartPosition();
    g_StartBoard = g_Board;
  }
  r.folder = FolderWithoutSlash(g_szRecordFolder);
  r.title = u"棋譜・局面ファイルの保存";
  r.filters = SaveFileFilters();
  for (;;) {
    FileDialogResult answer = RunFileDialog(view, r);
    if (answer.answer == 0) return -1;
    if (answer.answer < 0) {
      if (answer.errorCode == 0x3002)
        ShowMessage(FormatU16(u"ファイル名(%s)が無効です。", r.fileName.c_str()),
                    kMbOk | kMbIconError, u"警告");
      else
        ShowMessage(FormatU16(u"GetSaveFileName でエラー #%ld が発生しました", answer.errorCode),
                    kMbOk | kMbIconError, u"警告");
      return -1;
    }
    g_nSaveFilterIndex = r.filterIndex;
    bool again = false;
    int result = (r.filterIndex == 4 || r.filterIndex == 6)
                     ? SavePositionAs(r.fileName, r.filterIndex, again)
                     : SaveRecordAs(r.fileName, r.filterIndex, again);
    if (!again) return result;
  }
}

int SaveFileOverwrite(CNarvoView* view) {
  std::u16string type = TypeOf(g_szRecordFileName);
  int kind = type == u"zrf" || type == u"dovu"   ? 0
             : type == u"zr2" || type == u"zr2u" ? 1
             : type == u"bod"                    ? 2
             : type == u"csa"                    ? 3
                                                 : -1;
  if (!IsNamedTitle() || g_szRecordFileName.empty() || g_szRecordFileName == g_szUntitled ||
      !HasDotInName(g_szRecordFileName) || kind < 0 || g_bRecordReadPartly)
    return SaveFileAs(view);
  if (g_szRecordFilePath.empty()) g_szRecordFilePath = FolderOrDocuments(g_szRecordFolder) + g_szRecordFileName;

  // The file written: the current one, or its name in the other encoding.
  const std::u16string path = kind <= 1 ? ApplyEncodingToName(g_szRecordFilePath) : g_szRecordFilePath;
  if (!MayWriteOver(path)) return SaveFileAsNamed(view, g_szRecordTitle);

  int result;
  if (kind == 2) {
    if (g_bBackup) BackupRecordFile(g_szRecordFilePath);
    result = g_pWritePositionFile ? g_pWritePositionFile(g_szRecordFilePath) : -1;
    if (result != 0) {
      ShowMessage(FormatU16(u"局面保存エラー(%s)", g_szRecordFilePath.c_str()),
                  kMbOk | kMbIconError);
    } else {
      ShowStatus(FormatU16(u"局面ファイル(%s)を出力しました。", g_szRecordFilePath.c_str()));
      StampCurrentFile();
      g_Record.changeCount = 0;
      ClearDocumentModified();
    }
    UpdateMainTitle();
    ClearUndoLabel();
    return result == 0 ? 0 : -1;
  }

  if (path != g_szRecordFilePath) {
    g_szRecordFileName = ApplyEncodingToName(g_szRecordFileName);
    g_szRecordFilePath = path;
    g_currentStamp = {};
    SetDocumentPath(path);
  }
  {
    WaitCursor wait;
    if (g_bBackup) BackupRecordFile(g_szRecordFilePath);
    if (kind == 1)
      result = SaveZr2File(g_szRecordFilePath, g_bSaveUtf8);
    else if (kind == 3)
      result = WriteCsaFile(g_szRecordFilePath);
    else
      result = SaveZrfFile(g_szRecordFilePath, g_bSaveUtf8);
  }
  if (result != 0) {
    ShowMessage(FormatU16(u"棋譜保存エラー(%s)", g_szRecordFilePath.c_str()), kMbOk | kMbIconError);
  } else {
    ShowStatus(FormatU16(u"棋譜ファイル(%s)を保存しました。", g_szRecordFilePath.c_str()));
    StampCurrentFile();
    ClearDocumentModified();
  }
  UpdateMainTitle();
  UpdateDovuWndScroll();
  ClearUndoLabel();
  return result == 0 ? 0 : -1;
}

static std::u16string RecordFolderTarget(const std::u16string& name, const char16_t* ext) {
  return FolderOrDocuments(g_szRecordFolder) + name + ext;
}

int SaveToRecordFolder(CNarvoView* view, const std::u16string& name, const char16_t* ext) {
  const bool zr2 = g_nDefaultFormat == 1;
  const std::u16string target = RecordFolderTarget(name, ext);
  // A part of a file is never put in place of it, and another file only
  // with the user's word.
  if (g_bRecordReadPartly || !MayWriteOver(target))
    return SaveFileAsNamed(view, g_bRecordReadPartly ? std::u16string() : name) == 0 ? 0 : -1;
  int result = zr2 ? SaveZr2File(target, g_bSaveUtf8) : SaveZrfFile(target, g_bSaveUtf8);
  if (result != 0) {
    ShowMessage(FormatU16(u"棋譜保存エラー(%s)", target.c_str()), kMbOk | kMbIconError);
    return -1;
  }
  ShowStatus(FormatU16(u"棋譜ファイル(%s)を出力しました。", target.c_str()));
  if (IsCurrentFile(target)) StampCurrentFile();
  ClearDocumentModified();
  return 0;
}

int AskSaveRecord(CNarvoView* view) {
  std::u16string name;
  if (IsNamedTitle()) {
    name = g_szRecordTitle;
  } else {
    FormatToday();
    name = g_szDateStem;
  }
  bool zr2 = g_nDefaultFormat == 1;
  const char16_t* ext = g_bSaveUtf8 ? (zr2 ? u".zr2u" : u".dovu") : (zr2 ? u".zr2" : u".zrf");
  const std::u16string target = RecordFolderTarget(name, ext);
  int answer = ShowMessage(FormatU16(u"棋譜(%s)を保存しますか？", target.c_str()),
                           kMbYesNoCancel | kMbIconQuestion, u"棋譜保存");
  if (answer != kIdYes) return answer;
  // The record was not kept anywhere: whoever asked must not drop it now.
  return SaveToRecordFolder(view, name, ext) == 0 ? answer : kIdCancel;
}

SaveChoiceFunction SetSaveChoiceDialog(SaveChoiceFunction dialog) {
  SaveChoiceFunction previous = SaveChoiceSlot();
  SaveChoiceSlot() = dialog ? std::move(dialog) : SaveChoiceFunction(RunSaveChoiceDialog);
  return previous;
}

int SaveRecordViaDialog(CNarvoView* view) {
  int choice = SaveChoiceSlot()(view, g_szRecordFilePath);
  if (choice == kSaveOverwrite) return SaveFileOverwrite(view);
  if (choice == kSaveAs) return SaveFileAs(view);
  return 0;
}

// ---- The walk to a node ----------------------------------------------------------

int GotoNode(CNarvoView*, int nodeIndex) {
  if (!g_Record.pool) return -1;
  g_Board = g_StartBoard;
  g_Record.current = g_Record.Root();
  g_Record.moveNumber = 0;
  return WalkToNode(nodeIndex, g_Record.Root());
}
