// The file commands, headless: loading every readable type, refused, missing
// and bad files, Save As with the type list deciding the writer, the save
// question, Save with its backups and renaming by encoding, failed saves, the
// open dialog, and the shown move placed after a load.
#include "app/file_commands.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstring>
#include <filesystem>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "output/mail_commands.h"
#include "record/board.h"
#include "record/clock.h"
#include "record/header.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/file_faults.h"
#include "tests/support/file_picks.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/move_path.h"
#include "view/navigation.h"

namespace {

std::u16string U(const QString& s) { return s.toStdU16String(); }
const std::u16string kData = PathFromNative(NARVO_TEST_DATA);

std::string Bytes(const std::u16string& path) {
  std::string b;
  ReadFileBytes(path, b);
  return b;
}
bool Exists(const std::u16string& path) { return QFile::exists(QString::fromStdU16String(path)); }

bool SamePosition(const BoardState& a, const BoardState& b) {
  return std::memcmp(a.squares, b.squares, sizeof a.squares) == 0 &&
         std::memcmp(a.hands, b.hands, sizeof a.hands) == 0 && a.sideToMove == b.sideToMove;
}

class FileCommandsTest : public ::testing::Test, protected FilePicks {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 2000);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    g_szRecordFilePath.clear();
    g_szRecordFileName.clear();
    g_szRecordTitle.clear();
    g_bRecordReadPartly = 0;
    g_nOpenFilterIndex = g_nSaveFilterIndex = 0;
    dir = U(home.Path()) + u"/";
    g_szRecordFolder = dir;
    SetClockForTesting([] { return int64_t(1704499200); });  // 2024-01-06, stem "24Jan06"
  }
  void TearDown() override {
    SetClockForTesting(nullptr);
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  // A test data file copied into the private folder under a name of ours.
  std::u16string Copy(const std::u16string& from, const std::u16string& name) {
    std::u16string to = dir + name;
    EXPECT_TRUE(WriteFileBytes(to, Bytes(kData + from)));
    return to;
  }
  void Load(const std::u16string& path) { ASSERT_EQ(OpenRecordFile(nullptr, path), 0); }

  PrivateHome home;
  std::u16string dir;
  CNarvoDoc doc;
  RecordingUi ui;
};

// ---- Loading ---------------------------------------------------------------------

TEST_F(FileCommandsTest, OpensEveryReadableTypeAndNamesTheFile) {
  struct Case {
    const char16_t* source;
    const char16_t* name;
    const char16_t* title;
    bool diagram;  // the start is a diagram's position
  };
  const Case cases[] = {
      {u"/records/even.zrf", u"game.zrf", u"game", false},
      {u"/records/even.dovu", u"game.DOVU", u"game", false},
      {u"/records/even.zr2", u"game.zr2", u"game", false},
      {u"/records/even.zr2u", u"game.zr2u", u"game", false},
      {u"/csa/server_game.csa", u"game.csa", u"game.csa", false},
      {u"/records/position.zrf", u"diagram.txt", u"diagram.txt", true},
      {u"/records/even.zrf", u"noextension", u"noextension", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString::fromStdU16String(c.name).toStdString());
    std::u16string path = Copy(c.source, c.name);
    g_nOpenFilterIndex = 0;
    g_Record.changeCount = 5;
    SaveUndoPoint(u"コメントの編集");
    doc.SetModifiedFlag(true);
    ui.status.clear();
    EXPECT_EQ(OpenRecordFile(nullptr, path), 0);
    EXPECT_EQ(g_szRecordFilePath, path);
    EXPECT_EQ(g_szRecordFileName, c.name);
    EXPECT_EQ(g_szRecordTitle, c.title);
    EXPECT_EQ(g_szRecordFolder, dir);
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(g_Record.changeCount, 0);
    EXPECT_EQ(g_bUndoPending, 0);
    EXPECT_TRUE(g_strUndoLabel.empty());
    EXPECT_GT(GetLineLength(g_Record), 0);
    EXPECT_EQ(g_StartBoard.notAtStart != 0, c.diagram);
    ASSERT_FALSE(ui.status.empty());
    EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + path + u")を読み込みました。");
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommandsTest, RefusedMissingAndBadFiles) {
  Load(Copy(u"/records/even.zrf", u"before.zrf"));
  const std::u16string before = g_szRecordFilePath;

  // A type the reader does not know: nothing changes.
  std::u16string gam = dir + u"record.gam";
  WriteFileBytes(gam, "x");
  ui.status.clear();
  EXPECT_EQ(OpenRecordFile(nullptr, gam), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"ファイル(" + gam + u")は、読めません。");
  EXPECT_EQ(g_szRecordFilePath, before);
  EXPECT_TRUE(ui.status.empty());

  // A missing file keeps the names and reports no load.
  std::u16string missing = dir + u"missing.zrf";
  EXPECT_EQ(OpenRecordFile(nullptr, missing), -1);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, u"ファイルがありません。(" + missing + u")");
  EXPECT_EQ(ui.boxes[1].caption, u"棋譜読込みエラー");
  EXPECT_EQ(g_szRecordFilePath, before);
  EXPECT_TRUE(ui.status.empty());

  // A bad move: the moves before it stay and the record is named after the file.
  std::u16string bad = dir + u"bad.dovu";
  WriteFileBytes(bad, "#ZRF version=2.0 encoding=UTF-8\n   1 ７六歩(77)\n   2 ５五角(88)\n");
  ui.boxes.clear();
  EXPECT_EQ(OpenRecordFile(nullptr, bad), -1);
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes.back().text, u"棋譜読込みエラー(" + bad + u")");
  EXPECT_EQ(g_szRecordTitle, u"bad");
  EXPECT_EQ(GetLineLength(g_Record), 1);

  // Shown from a bookmark that the record lacks: the open is done, the
  // reader's warning notwithstanding.
  struct Case {
    int loadPosition, result;
  } cases[] = {{0, -1}, {1, -1}, {3, 0}, {4, 0}};
  for (const Case& c : cases) {
    g_nLoadPosition = c.loadPosition;
    EXPECT_EQ(OpenRecordFile(nullptr, bad), c.result) << c.loadPosition;
    EXPECT_EQ(g_Record.moveNumber, c.loadPosition == 1 ? 1 : 0);
  }
  std::u16string marked = dir + u"marked.dovu";
  WriteFileBytes(marked, "#ZRF version=2.0 encoding=UTF-8\n   1 ７六歩(77)\n&読み込み時表示\n"
                         "   2 ５五角(88)\n");
  g_nLoadPosition = 3;
  EXPECT_EQ(OpenRecordFile(nullptr, marked), -1);
  EXPECT_EQ(g_Record.moveNumber, 1);
}

TEST_F(FileCommandsTest, AllFilesFilterListsNamesWithoutADot) {
  Copy(u"/records/even.zrf", u"game.zrf");
  Copy(u"/records/even.zrf", u"noextension");
  auto [text, patterns] = OpenFileFilters().back();
  EXPECT_EQ(text, u"すべてのファイル(*.*)");
  QStringList listed = QDir(QString::fromStdU16String(dir))
                           .entryList(QString::fromStdU16String(patterns).split(u';'), QDir::Files);
  EXPECT_EQ(listed, QStringList({"game.zrf", "noextension"}));
}

TEST_F(FileCommandsTest, FilesThatCannotBeReadAreNotCalledMissing) {
  Load(Copy(u"/records/even.zrf", u"before.zrf"));
  const std::u16string before = g_szRecordFilePath;
  ScratchFolder hostile("open_hostile");
  for (const HostileInput& in : HostileInputs(hostile)) {
    SCOPED_TRACE(in.name);
    const std::u16string path = PathFromNative(in.path);
    ui.boxes.clear();
    ui.status.clear();
    EXPECT_EQ(OpenRecordFile(nullptr, path), -1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    if (std::string(in.name) == "2 GB sparse file")
      EXPECT_EQ(ui.boxes[0].text, u"ファイル(" + path + u")は大き過ぎるため読めません。(64MBまで)");
    else
      EXPECT_EQ(ui.boxes[0].text, u"ファイル(" + path + u")が読めません。");
    EXPECT_EQ(ui.boxes[0].caption, u"棋譜読込みエラー");
    EXPECT_EQ(g_szRecordFilePath, before);
    EXPECT_TRUE(ui.status.empty());
  }
  // The document's own open (command line, recent files) says the same.
  const std::u16string folder = PathFromNative(hostile.Path("folder.zrf"));
  ui.boxes.clear();
  EXPECT_FALSE(doc.OnOpenDocument(folder));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"ファイル(" + folder + u")が読めません。");
}

TEST_F(FileCommandsTest, ARecordReadOnlyInPartIsNeverSavedOverItsFile) {
  const std::string whole = "#ZRF version=2.0 encoding=UTF-8\n   1 ７六歩(77)\n   2 ５五角(88)\n" +
                            std::string(30000, '*') + "\n";
  struct Case {
    const char* name;
    std::function<int()> save;
  };
  const Case cases[] = {
      {"save", [] { return SaveFileOverwrite(nullptr); }},
      {"save after a game", [] {
         SetSaveChoiceDialog([](CNarvoView*, const std::u16string&) { return int(kSaveOverwrite); });
         return SaveRecordViaDialog(nullptr);
       }},
  };
  g_bBackup = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string bad = dir + u"bad.dovu";
    WriteFileBytes(bad, whole);
    EXPECT_EQ(OpenRecordFile(nullptr, bad), -1);  // a rule error on move 2
    EXPECT_EQ(g_szRecordTitle, u"bad");          // shown under its name
    g_Record.changeCount = 1;
    requests.clear();
    c.save();  // the dialog is cancelled
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(Bytes(bad), whole);
    EXPECT_FALSE(Exists(bad + u".bak"));
    SetSaveChoiceDialog(nullptr);
  }
  // Once saved under a name, that file is the record's and Save writes it.
  picks = {{dir + u"part.zrf", 1}};
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  EXPECT_EQ(g_szRecordFilePath, dir + u"part.zrf");
  requests.clear();
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(Bytes(dir + u"bad.dovu"), whole);
  // A record read whole is saved over its file as before.
  Load(Copy(u"/records/even.zrf", u"whole.zrf"));
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  EXPECT_TRUE(requests.empty());
}

TEST_F(FileCommandsTest, ACommentCutOnReadingMakesAPartialRead) {
  const std::u16string path = dir + u"long.dovu";
  const std::string file = "#ZRF version=2.0 encoding=UTF-8\n   1 ７六歩(77)\n*" + std::string(40000, 'c') + "\n";
  WriteFileBytes(path, file);
  EXPECT_EQ(OpenRecordFile(nullptr, path), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            u"棋譜(" + path + u")のコメントが長過ぎるため、32766文字を超える部分は読み込めませんでした。");
  EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + path + u")の一部を読み込みました。");
  EXPECT_EQ(GetLineLength(g_Record), 1);
  // Save does not make the cut permanent.
  g_Record.changeCount = 1;
  EXPECT_NE(SaveFileOverwrite(nullptr), 0);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(Bytes(path), file);
  // A record too large for the pool says so in the status line as well.
  InitRecordPool(g_Record, 3);
  WriteFileBytes(path, "   1 ７六歩(77)\n   2 ３四歩(33)\n   3 ２六歩(27)\n   4 ８四歩(83)\n");
  EXPECT_EQ(OpenRecordFile(nullptr, path), -1);
  EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + path + u")の一部を読み込みました。");
  EXPECT_EQ(g_bRecordReadPartly, 1);
}

// A UTF-8 file with a stray byte reads as UTF-8 under its UTF-8 name, says
// what became of the byte, and is not saved over.
TEST_F(FileCommandsTest, BadBytesInAUtf8FileAreShownAndMakeAPartialRead) {
  const std::u16string path = dir + u"stray.dovu";
  const std::string file = "先手：山田\n   1 ７六歩(77)\n*角道を開ける\xFF\n";
  WriteFileBytes(path, file);
  EXPECT_EQ(OpenRecordFile(nullptr, path), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"棋譜(" + path +
                                  u")にはUTF-8として読めない文字が1箇所あるため、その部分を「\uFFFD」として読み込みました。");
  EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + path + u")の一部を読み込みました。");
  EXPECT_EQ(g_Record.header.firstPlayer, u"山田");
  g_Record.changeCount = 1;
  EXPECT_NE(SaveFileOverwrite(nullptr), 0);
  EXPECT_EQ(Bytes(path), file);
}

// The save question writes "<record folder><title>.<type>", which is
// another file than the current one whenever the record came from
// elsewhere: that file, and the current file changed by someone else, are
// only replaced with the user's word. No leads to Save As.
TEST_F(FileCommandsTest, ASaveNeverReplacesAFileTheUserDidNotChoose) {
  const std::u16string other = dir + u"24Jan06.zrf";
  WriteFileBytes(other, "someone else's game");
  const std::u16string asked = u"同名の棋譜(" + other + u")があります。書き換えますか？";
  g_Record.changeCount = 1;
  ui.answers = {kIdYes, kIdNo};  // save?  replace the other file?
  EXPECT_EQ(AskSaveRecord(nullptr), kIdCancel);  // Save As was cancelled: keep the record
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, asked);
  EXPECT_EQ(ui.boxes[1].caption, u"棋譜保存");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].fileName, u"24Jan06");
  EXPECT_EQ(Bytes(other), "someone else's game");
  EXPECT_EQ(g_Record.changeCount, 1);
  ui.boxes.clear();
  ui.answers = {kIdYes, kIdYes};
  EXPECT_EQ(AskSaveRecord(nullptr), kIdYes);
  EXPECT_EQ(ui.boxes.size(), 2u);
  EXPECT_NE(Bytes(other), "someone else's game");

  // A record that did not read whole goes to Save As from the save question
  // too, whatever road asks it, and its file stays as it was.
  const std::u16string bad = dir + u"bad.zrf";
  const std::string badBytes = "   1 ７六歩(77)\n   2 ５五角(88)\n";
  WriteFileBytes(bad, badBytes);
  EXPECT_EQ(OpenRecordFile(nullptr, bad), -1);
  g_Record.changeCount = 1;
  requests.clear();
  ui.boxes.clear();
  ui.answers = {kIdYes};
  EXPECT_EQ(AskSaveRecord(nullptr), kIdCancel);
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(Bytes(bad), badBytes);

  // Save of a ".dovu" record with UTF-8 saving off writes ".zrf" beside it.
  Load(Copy(u"/records/even.dovu", u"game.dovu"));
  WriteFileBytes(dir + u"game.zrf", "an older game");
  g_bSaveUtf8 = 0;
  requests.clear();
  ui.boxes.clear();
  ui.answers = {kIdNo};
  EXPECT_NE(SaveFileOverwrite(nullptr), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"同名の棋譜(" + dir + u"game.zrf)があります。書き換えますか？");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].fileName, u"game");
  EXPECT_EQ(Bytes(dir + u"game.zrf"), "an older game");
  EXPECT_EQ(g_szRecordFilePath, dir + u"game.dovu");
}

TEST_F(FileCommandsTest, ASaveAsksWhenTheFileWasChangedElsewhere) {
  const std::u16string path = Copy(u"/records/even.zrf", u"shared.zrf");
  Load(path);
  const std::u16string asked = u"ファイル(" + path + u")は他で変更されています。上書きしますか？";
  // Another program writes the file (same size, a later time).
  std::string theirs = Bytes(path);
  theirs[theirs.size() - 3] = 'X';
  ASSERT_TRUE(WriteFileBytes(path, theirs));
  g_Record.changeCount = 1;
  ui.answers = {kIdNo};
  EXPECT_NE(SaveFileOverwrite(nullptr), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, asked);
  EXPECT_EQ(requests.size(), 1u);  // Save As instead, cancelled
  EXPECT_EQ(Bytes(path), theirs);
  ui.boxes.clear();
  ui.answers = {kIdYes};
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(Bytes(path), theirs);
  // After our own save the next one asks nothing; the save question over
  // the current file neither.
  ui.boxes.clear();
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  ui.answers = {kIdYes};
  g_Record.changeCount = 1;
  EXPECT_EQ(AskSaveRecord(nullptr), kIdYes);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(FileCommandsTest, EmptyFolderSettingsMeanTheDocumentsFolder) {
  ScratchFolder cwd("started_from");
  const std::string savedCwd = std::filesystem::current_path();
  std::filesystem::current_path(cwd.Path());
  const std::u16string savedDocs = g_szDocumentsFolder;
  g_szDocumentsFolder = dir + u"Documents/";
  QDir().mkpath(QString::fromStdU16String(g_szDocumentsFolder));
  g_szRecordFolder.clear();
  g_Record.changeCount = 1;
  ui.answers = {kIdYes};
  EXPECT_EQ(AskSaveRecord(nullptr), kIdYes);
  EXPECT_TRUE(Exists(g_szDocumentsFolder + u"24Jan06.zrf"));
  WriteMailFile(nullptr);
  EXPECT_TRUE(Exists(g_szDocumentsFolder + u"24Jan06.mal")) << Utf16ToUtf8(ui.boxes.back().text);
  SaveFileAs(nullptr);
  OpenFileWithDialog(nullptr);
  ASSERT_EQ(requests.size(), 2u);
  for (const FileDialogRequest& r : requests) EXPECT_EQ(r.folder + u"/", g_szDocumentsFolder);
  EXPECT_TRUE(cwd.Names().empty());
  std::filesystem::current_path(savedCwd);
  g_szDocumentsFolder = savedDocs;
}

TEST_F(FileCommandsTest, PositionEditingDropsTheMovesOfALoadedRecord) {
  g_AppMode = kModeEdit;
  Load(Copy(u"/records/even.zrf", u"game.zrf"));
  EXPECT_EQ(GetLineLength(g_Record), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"局面編集中なので、棋譜は消しました。");
  EXPECT_EQ(ui.boxes[0].caption, u"警告");
}

// ---- The walk to a node and the load position ------------------------------------

TEST_F(FileCommandsTest, SavedLoadPositionReopensOnTheSameMoveInAVariation) {
  Load(Copy(u"/records/variations.zrf", u"var.zrf"));
  int deep = FindBookmarkByName(u"深い変化");
  ASSERT_GE(deep, 0);
  ASSERT_EQ(GotoNode(nullptr, deep), 0);
  EXPECT_EQ(NodeIndex(g_Record, g_Record.current), deep);
  const BoardState shown = g_Board;
  const int moveNumber = g_Record.moveNumber;
  EXPECT_FALSE(SamePosition(shown, g_StartBoard));

  // A node that is not in the tree leaves the start shown.
  EXPECT_EQ(GotoNode(nullptr, g_Record.poolCapacity - 1), -1);
  EXPECT_TRUE(SamePosition(g_Board, g_StartBoard));
  EXPECT_EQ(g_Record.moveNumber, 0);
  EXPECT_EQ(g_Record.current, g_Record.Root());

  ASSERT_EQ(GotoNode(nullptr, deep), 0);
  g_nLoadPosition = 3;
  std::u16string saved = dir + u"again.dovu";
  ASSERT_EQ(SaveZrfFile(saved, true), 0);
  Load(saved);
  EXPECT_TRUE(SamePosition(g_Board, shown));
  EXPECT_EQ(g_Record.moveNumber, moveNumber);
  EXPECT_GE(FindBookmarkByName(u"読み込み時表示"), 0);

  // 4: the record's first bookmark.
  g_nLoadPosition = 4;
  Load(saved);
  EXPECT_EQ(NodeIndex(g_Record, g_Record.current), g_Record.bookmarks[0].node);
}

// Every node of a tree with a 投了 end, 詰み marks and variations: the jump
// gives the position, side to move, move number and current node that
// stepping there gives.
TEST_F(FileCommandsTest, JumpAndStepAgreeOnEveryNode) {
  constexpr auto Key = [](int from, int to) { return from | to << 8; };
  const int k76 = Key(77, 76), k34 = Key(33, 34), k26 = Key(27, 26), k84 = Key(83, 84),
            k25 = Key(26, 25), k68 = Key(79, 68);
  const int kResign = Key(kEndFrom, kEndResign), kMate = Key(kEndFrom, kEndMate);
  for (int key : {k76, k34, k26, k84, k25, kResign}) AddMoveAndGo(key, true);
  GotoMoveNumberOnLine(1);
  for (int key : {k84, k26, kMate}) AddMoveAndGo(key);
  GotoMoveNumberOnLine(2);
  for (int key : {k68, kMate}) AddMoveAndGo(key);
  GotoMoveNumberOnLine(0);

  struct Shown {
    BoardState board;
    int moveNumber;
    const RecordNode* current;
  };
  auto shown = [] { return Shown{g_Board, g_Record.moveNumber, g_Record.current}; };
  int checked = 0;
  for (int i = 1; i < g_Record.poolCapacity; ++i) {
    RecordNode* node = &g_Record.pool[i];
    if (node->from == 0 && node->to == 0) continue;
    SCOPED_TRACE(testing::Message() << "node " << i);
    std::vector<RecordNode*> path;
    for (RecordNode* n = node; n != g_Record.Root(); n = FindParentNode(g_Record, n)) path.insert(path.begin(), n);
    GotoMoveNumberOnLine(0);
    for (RecordNode* n : path) DoMove(nullptr, kMoveStep, NodeMoveKey(*n), kRedrawSilent);
    const Shown stepped = shown();
    GotoLineEnd(nullptr);  // from elsewhere
    ASSERT_EQ(GotoNode(nullptr, i), 0);
    const Shown jumped = shown();
    EXPECT_TRUE(SamePosition(jumped.board, stepped.board));
    EXPECT_EQ(jumped.moveNumber, stepped.moveNumber);
    EXPECT_EQ(jumped.current, stepped.current);
    ++checked;
  }
  EXPECT_EQ(checked, 11);
  EXPECT_TRUE(ui.boxes.empty());

  // Saved on the 投了 with 棋譜読込局面 3, the file reopens with the same side to move.
  const RecordNode* last = g_Record.Root();
  while (last->firstChild) last = last->firstChild;
  const int resign = NodeIndex(g_Record, last);
  ASSERT_EQ(GotoNode(nullptr, resign), 0);
  const BoardState before = g_Board;
  g_nLoadPosition = 3;
  std::u16string saved = dir + u"resigned.dovu";
  ASSERT_EQ(SaveZrfFile(saved, true), 0);
  Load(saved);
  EXPECT_EQ(g_Record.moveNumber, 6);
  EXPECT_TRUE(SamePosition(g_Board, before));
}

// ---- Save As ---------------------------------------------------------------------

TEST_F(FileCommandsTest, SaveAsTypeListDecidesWriterAndExtension) {
  struct Case {
    int index;
    const char16_t* typed;
    int utf8, dovu;
    const char16_t* written;
    const char* begins;  // the first bytes of the file
  };
  const Case cases[] = {
      {1, u"a.zr2", 0, 1, u"a.zr2", "#ZRF version=2.0 encoding=Shift_JIS"},
      {1, u"b", 1, 1, u"b.dovu", "\xEF\xBB\xBF#ZRF version=2.0 encoding=UTF-8"},
      {1, u"c.dovu", 0, 1, u"c.zrf", "#ZRF version=2.0 encoding=Shift_JIS"},
      {1, u"d.txt", 0, 1, u"d.txt.zrf", "#ZRF"},
      {2, u"e", 1, 1, u"e.zr2u", "\xEF\xBB\xBF#ZR2 version=2.0 encoding=UTF-8"},
      {2, u"f.zr2u", 1, 0, u"f.zr2u", "\xEF\xBB\xBF#ZR2"},
      {3, u"g.zrf", 0, 1, u"g.zrf.csa", "'"},
  };
  Load(Copy(u"/records/even.zrf", u"source.zrf"));
  const int length = GetLineLength(g_Record);
  for (const Case& c : cases) {
    SCOPED_TRACE(QString::fromStdU16String(c.typed).toStdString());
    g_bSaveUtf8 = c.utf8;
    g_bDovuExtension = c.dovu;
    g_Record.changeCount = 2;
    SaveUndoPoint(u"分岐の削除");
    picks = {{dir + c.typed, c.index}};
    EXPECT_EQ(SaveFileAs(nullptr), 0);
    std::u16string path = dir + c.written;
    EXPECT_EQ(Bytes(path).rfind(c.begins, 0), 0u);
    EXPECT_EQ(g_szRecordFilePath, path);
    EXPECT_EQ(g_nSaveFilterIndex, c.index);
    EXPECT_EQ(g_Record.changeCount, 0);
    EXPECT_EQ(g_bUndoPending, 0);
    EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + path + u")を保存しました。");
    EXPECT_EQ(OpenRecordFile(nullptr, path), 0);
    EXPECT_EQ(GetLineLength(g_Record), length);
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCommandsTest, SaveAsProposalsAndQuestions) {
  // Unnamed: today's date stem is proposed; the type follows 標準棋譜.
  g_nDefaultFormat = 1;
  picks = {{dir + u"first", 2}};
  ASSERT_EQ(SaveFileAs(nullptr), 0);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].fileName, u"24Jan06");
  EXPECT_EQ(requests[0].filterIndex, 2);
  EXPECT_EQ(requests[0].folder + u"/", dir);
  EXPECT_EQ(requests[0].filters[0].first, u"棋譜(*.zrf)");
  EXPECT_EQ(g_szRecordTitle, u"first");

  // An existing name: No shows the dialog again with the name as it now
  // stands, its extension added; the title is proposed first.
  picks = {{dir + u"first", 2}, {dir + u"second.zr2", 2}};
  ui.answers = {kIdNo};
  ASSERT_EQ(SaveFileAs(nullptr), 0);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].fileName, u"first");
  EXPECT_EQ(requests[2].fileName, dir + u"first.zr2");
  EXPECT_EQ(ui.boxes[0].text, u"同名の棋譜(" + dir + u"first.zr2)があります。書き換えますか？");
  EXPECT_EQ(ui.boxes[0].caption, u"棋譜保存");
  EXPECT_EQ(g_szRecordFileName, u"second.zr2");

  // CSA loses the variations: declining writes nothing.
  Load(Copy(u"/records/variations.zrf", u"var.zrf"));
  ui.boxes.clear();
  ui.answers = {kIdNo};
  picks = {{dir + u"tree", 3}};
  EXPECT_EQ(SaveFileAs(nullptr), 1);
  EXPECT_EQ(ui.boxes[0].caption, u"CSA形式棋譜保存");
  EXPECT_FALSE(Exists(dir + u"tree.csa"));
  EXPECT_EQ(g_szRecordFileName, u"var.zrf");

  // Cancel.
  EXPECT_EQ(SaveFileAs(nullptr), -1);
}

TEST_F(FileCommandsTest, SaveAsPositionTypes) {
  g_AppMode = kModeEdit;
  g_pWritePositionFile = [](const std::u16string& path) {
    return WriteFileBytes(path, "diagram") ? 0 : 1;
  };
  picks = {{dir + u"p.txt", 4}};
  ASSERT_EQ(SaveFileAs(nullptr), 0);
  EXPECT_EQ(requests[0].filterIndex, 4);
  EXPECT_EQ(Bytes(dir + u"p.txt.bod"), "diagram");
  EXPECT_EQ(ui.status.back(), u"局面ファイル(" + dir + u"p.txt.bod)を出力しました。");
  EXPECT_EQ(g_szPositionFolder, dir);
  // A record without moves is now named after the position file.
  EXPECT_EQ(g_szRecordTitle, u"p.txt");
  // No to the overwrite question offers the name with its extension.
  picks = {{dir + u"p.txt", 4}};
  ui.answers = {kIdNo};
  EXPECT_EQ(SaveFileAs(nullptr), -1);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].fileName, dir + u"p.txt.bod");
  ui.boxes.clear();
  g_pWritePositionFile = nullptr;

  // A writer that fails.
  const PathWriter english = g_pWriteEnglishPosition;
  g_pWriteEnglishPosition = [](const std::u16string&) { return 2; };
  g_AppMode = kModeView;
  picks = {{dir + u"q", 6}};
  EXPECT_EQ(SaveFileAs(nullptr), -2);
  g_pWriteEnglishPosition = english;
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"局面保存エラー(" + dir + u"q.txt)");
  EXPECT_EQ(ui.boxes[0].caption, u"エラー");
  EXPECT_EQ(g_szRecordTitle, u"p.txt");
}

// ---- The save question -----------------------------------------------------------

TEST_F(FileCommandsTest, SaveQuestionThreeAnswers) {
  struct Case {
    int answer, utf8, format;
    const char16_t* target;  // in the record folder
    bool written;
  };
  const Case cases[] = {
      {kIdYes, 0, 0, u"24Jan06.zrf", true},
      {kIdYes, 1, 1, u"24Jan06.zr2u", true},
      {kIdNo, 0, 0, u"24Jan06.zrf", false},
      {kIdCancel, 1, 0, u"24Jan06.dovu", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    QFile::remove(QString::fromStdU16String(dir + c.target));
    g_bSaveUtf8 = c.utf8;
    g_nDefaultFormat = c.format;
    g_Record.changeCount = 1;
    doc.SetModifiedFlag(true);
    ui.boxes.clear();
    ui.answers = {c.answer};
    EXPECT_EQ(AskSaveRecord(nullptr), c.answer);
    std::u16string target = dir + c.target;
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, u"棋譜(" + target + u")を保存しますか？");
    EXPECT_EQ(ui.boxes[0].caption, u"棋譜保存");
    EXPECT_EQ(Exists(target), c.written);
    EXPECT_EQ(g_Record.changeCount, c.written ? 0 : 1);
    EXPECT_EQ(doc.IsModified(), !c.written);
    if (c.written) {
      EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + target + u")を出力しました。");
    }
    EXPECT_TRUE(g_szRecordFilePath.empty());  // the names stay as they were
  }

  // A named record is offered under its title.
  g_bSaveUtf8 = 0;
  Load(Copy(u"/records/even.zrf", u"named.zrf"));
  ui.boxes.clear();
  ui.answers = {kIdNo};
  AskSaveRecord(nullptr);
  EXPECT_EQ(ui.boxes[0].text, u"棋譜(" + dir + u"named.zrf)を保存しますか？");
}

// ---- Save, backups and failures ----------------------------------------------------

TEST_F(FileCommandsTest, SaveBacksUpBesideOrIntoBakFolder) {
  g_bBackup = 1;
  for (bool bakFolder : {false, true}) {
    SCOPED_TRACE(bakFolder);
    std::u16string sub = dir + (bakFolder ? u"with/" : u"without/");
    QDir().mkpath(QString::fromStdU16String(sub + (bakFolder ? u"bak" : u"")));
    std::u16string path = sub + u"game.zrf";
    WriteFileBytes(path, Bytes(kData + u"/records/variations.zrf"));
    Load(path);
    const std::string old = Bytes(path);
    TruncateRecordAfter(g_Record, 1);
    g_Record.changeCount = 1;
    EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
    std::u16string bak = bakFolder ? sub + u"bak/game.zrf.bak" : path + u".bak";
    EXPECT_EQ(Bytes(bak), old);
    EXPECT_FALSE(Exists(bakFolder ? path + u".bak" : sub + u"bak"));
    EXPECT_NE(Bytes(path), old);
    EXPECT_EQ(g_Record.changeCount, 0);
    EXPECT_EQ(ui.status.back(), u"棋譜ファイル(" + path + u")を保存しました。");
  }
}

TEST_F(FileCommandsTest, ABackupThatFailsLeavesTheOldBackupAndTheFile) {
  g_bBackup = 1;
  const std::u16string path = Copy(u"/records/variations.zrf", u"game.zrf");
  const std::string oldBak(5000, 'k');
  WriteFileBytes(path + u".bak", oldBak);
  Load(path);
  const std::string old = Bytes(path);
  {
    FileSizeLimit full(200);
    EXPECT_EQ(BackupRecordFile(path), 0);  // not reported
    EXPECT_NE(SaveFileOverwrite(nullptr), 0);
  }
  EXPECT_EQ(Bytes(path + u".bak"), oldBak);
  EXPECT_EQ(Bytes(path), old);
  EXPECT_EQ(QDir(QString::fromStdU16String(dir)).entryList(QDir::Files).size(), 2);
}

TEST_F(FileCommandsTest, SaveWithUtf8NamesRenamesAndLeavesOldFile) {
  g_bSaveUtf8 = 1;
  g_bDovuExtension = 1;
  g_bBackup = 1;
  std::u16string zrf = Copy(u"/records/even.zrf", u"game.zrf");
  std::u16string dovu = Copy(u"/records/even.dovu", u"game.dovu");
  const std::string oldZrf = Bytes(zrf), oldDovu = Bytes(dovu);
  Load(zrf);
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  EXPECT_EQ(g_szRecordFileName, u"game.dovu");
  EXPECT_EQ(g_szRecordFilePath, dovu);
  EXPECT_EQ(doc.GetPathName(), dovu);
  EXPECT_EQ(Bytes(zrf), oldZrf);
  EXPECT_EQ(Bytes(dovu + u".bak"), oldDovu);
  EXPECT_EQ(Bytes(dovu).rfind("\xEF\xBB\xBF#ZRF", 0), 0u);
}

TEST_F(FileCommandsTest, FailedSavesKeepTheChangeAndReport) {
  Load(Copy(u"/records/even.zrf", u"game.zrf"));
  // The file's folder is gone: Save cannot write.
  const std::u16string gone = dir + u"gone/game.zrf";
  g_szRecordFilePath = gone;
  g_Record.changeCount = 3;
  doc.SetModifiedFlag(true);
  ui.boxes.clear();
  EXPECT_NE(SaveFileOverwrite(nullptr), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"棋譜保存エラー(" + gone + u")");
  EXPECT_EQ(g_Record.changeCount, 3);
  EXPECT_TRUE(doc.IsModified());

  // Save As into a missing folder keeps the names.
  picks = {{dir + u"gone/other.zrf", 1}};
  EXPECT_EQ(SaveFileAs(nullptr), -2);
  EXPECT_EQ(ui.boxes.back().text, u"棋譜保存エラー(" + dir + u"gone/other.zrf)");
  EXPECT_EQ(g_szRecordFilePath, gone);
  EXPECT_EQ(g_Record.changeCount, 3);

  // The save question: a failed save must not let the record be dropped.
  g_szRecordFolder = dir + u"gone/";
  ui.answers = {kIdYes};
  EXPECT_EQ(AskSaveRecord(nullptr), kIdCancel);
  EXPECT_EQ(ui.boxes.back().text, u"棋譜保存エラー(" + dir + u"gone/game.zrf)");
  EXPECT_EQ(g_Record.changeCount, 3);
}

// ---- The open dialog ---------------------------------------------------------------

TEST_F(FileCommandsTest, OpenDialogAsksFirstAndRemembersType) {
  std::u16string path = Copy(u"/records/even.zr2", u"game.zr2");
  g_Record.changeCount = 1;
  ui.answers = {kIdCancel};
  EXPECT_EQ(OpenFileWithDialog(nullptr), 0);
  EXPECT_TRUE(requests.empty());

  g_nDefaultFormat = 1;
  ui.answers = {kIdNo};
  picks = {{path, 5}};
  EXPECT_EQ(OpenFileWithDialog(nullptr), 1);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].filterIndex, 2);
  EXPECT_EQ(requests[0].defaultExt, u"ZR2");
  EXPECT_EQ(requests[0].title, u"棋譜・局面ファイルの読み込み");
  EXPECT_EQ(requests[0].filters.size(), 6u);
  EXPECT_EQ(g_szRecordFileName, u"game.zr2");
  EXPECT_EQ(g_nOpenFilterIndex, 5);

  // Unchanged record: no question; the type chosen last is offered.
  ui.boxes.clear();
  picks = {{dir + u"missing.zrf", 1}};
  EXPECT_EQ(OpenFileWithDialog(nullptr), -1);
  EXPECT_EQ(requests[1].filterIndex, 5);
  EXPECT_EQ(ui.boxes.size(), 1u);  // only the missing file's box
}

// ---- The question after a game -------------------------------------------------------

TEST_F(FileCommandsTest, AfterGameQuestionRoutesEachChoice) {
  Load(Copy(u"/records/even.zrf", u"game.zrf"));
  int choice = kSaveNot;
  std::u16string shownName;
  SetSaveChoiceDialog([&](CNarvoView*, const std::u16string& name) {
    shownName = name;
    return choice;
  });
  const std::string old = Bytes(g_szRecordFilePath);
  TruncateRecordAfter(g_Record, 0);
  EXPECT_EQ(SaveRecordViaDialog(nullptr), 0);
  EXPECT_EQ(shownName, dir + u"game.zrf");
  EXPECT_EQ(Bytes(dir + u"game.zrf"), old);
  EXPECT_TRUE(requests.empty());

  choice = kSaveOverwrite;
  EXPECT_EQ(SaveRecordViaDialog(nullptr), 0);
  EXPECT_NE(Bytes(dir + u"game.zrf"), old);
  EXPECT_TRUE(requests.empty());

  choice = kSaveAs;
  picks = {{dir + u"copy", 1}};
  EXPECT_EQ(SaveRecordViaDialog(nullptr), 0);
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_EQ(g_szRecordFileName, u"copy.zrf");
  SetSaveChoiceDialog(nullptr);
}

}  // namespace
