// Undo and redo through snapshot files: the record, the shown move, both
// modified states and the menu entries after each step; the private folder
// and its files; snapshots that cannot be written or read back.
#include "app/undo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/command_table.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/header.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/move_path.h"
#include "view/view_commands.h"

namespace {

int Key(int from, int to) { return from | to << 8; }

// The record as the ZRF writer gives it; the change counter is left alone.
std::string RecordText() {
  const int count = g_Record.changeCount;
  std::u16string path = UndoSnapshotFolder() + u"compare.dovu";
  EXPECT_EQ(WriteZrfRecord(true, path), 0);
  g_Record.changeCount = count;
  std::string bytes;
  ReadFileBytes(path, bytes);
  return bytes;
}

// The moves from the root to the shown node.
std::vector<int> ShownLine() {
  std::vector<int> keys;
  for (int n = 1; n <= g_Record.moveNumber; ++n) keys.push_back(NodeMoveKey(*GetNodeAtMove(n)));
  return keys;
}

struct MenuState {
  bool undo, redo;
  std::u16string undoText, redoText;
};
MenuState Menu() {
  CommandState s = CaptureCommandState();
  CommandUi u = EvaluateCommand(*FindCommand(kCmdUndo), s);
  CommandUi r = EvaluateCommand(*FindCommand(kCmdRedo), s);
  return {u.enabled, r.enabled, u.text, r.text};
}

class UndoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_nInstanceNumber = 1;
    InitRecordPool(g_Record, 2000);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    ClearUndoLabel();
    // 1.７六歩 2.３四歩 (2.８四歩 3.２六歩) 3.２六歩 with comments, times and bookmarks.
    AddMoveAndGo(Key(77, 76));
    g_Record.current->seconds = 12;
    ASSERT_EQ(AppendComment(g_Record, 1, u"角道を開ける"), 0);
    AddMoveAndGo(Key(33, 34));
    AddMoveAndGo(Key(27, 26));
    StepBackTo(1);
    AddMoveAndGo(Key(83, 84));
    g_Record.current->seconds = 30;
    ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, g_Record.current), u"変化"), 0);
    AddMoveAndGo(Key(27, 26));
    StepBackTo(2);  // shown: the variation's move 2
    g_Record.changeCount = 4;
    doc.SetModifiedFlag(true);
  }
  void TearDown() override {
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }

  PrivateHome home;
  CNarvoDoc doc;
  RecordingUi ui;
};

TEST_F(UndoTest, UndoRedoUndoGiveBackRecordShownMoveAndStates) {
  const std::string before = RecordText();
  const std::vector<int> shown = ShownLine();
  ASSERT_EQ(shown, (std::vector<int>{Key(77, 76), Key(83, 84)}));
  EXPECT_EQ(Menu().undoText, u"元に戻す(&U)\tCtrl+Z");

  ASSERT_EQ(DeleteRecordAfterCurrent(nullptr), 0);  // saves "棋譜の削除" first
  const std::string after = RecordText();
  ASSERT_NE(after, before);
  const int countAfter = g_Record.changeCount;
  MenuState m = Menu();
  EXPECT_TRUE(m.undo);
  EXPECT_FALSE(m.redo);
  EXPECT_EQ(m.undoText, u"元に戻す(&U) - 棋譜の削除\tCtrl+Z");
  EXPECT_EQ(m.redoText, u"やり直し(&R)");

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    UndoLastEdit();
    EXPECT_EQ(RecordText(), before);
    EXPECT_EQ(ShownLine(), shown);
    EXPECT_EQ(g_Record.changeCount, 4);
    EXPECT_TRUE(doc.IsModified());
    m = Menu();
    EXPECT_FALSE(m.undo);
    EXPECT_TRUE(m.redo);
    EXPECT_EQ(m.redoText, u"やり直し(&R) - 棋譜の削除");

    RedoLastEdit();
    EXPECT_EQ(RecordText(), after);
    EXPECT_EQ(ShownLine(), shown);
    EXPECT_EQ(g_Record.changeCount, countAfter);
    m = Menu();
    EXPECT_TRUE(m.undo);
    EXPECT_FALSE(m.redo);
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(UndoTest, SnapshotKeepsTheChangeCounterAndTheUsersBookmarks) {
  // A bookmark on the shown node and one named like the old marker survive.
  ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, g_Record.Root()), u"元に戻す表示局面"), 0);
  DeleteBookmarkOfNode(NodeIndex(g_Record, g_Record.current));
  ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, g_Record.current), u"好手"), 0);
  const std::string before = RecordText();
  doc.SetModifiedFlag(false);
  g_Record.changeCount = 3;  // unsaved moves

  SaveUndoPoint(u"コメントの編集");
  EXPECT_EQ(g_Record.changeCount, 3);
  EXPECT_FALSE(doc.IsModified());
  ASSERT_EQ(AppendComment(g_Record, 2, u"追記"), 0);
  doc.SetModifiedFlag(true);

  UndoLastEdit();
  EXPECT_EQ(RecordText(), before);
  EXPECT_EQ(g_Record.changeCount, 3);  // the save question still comes
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(FindBookmarkByName(u"好手"), NodeIndex(g_Record, g_Record.current));
  EXPECT_EQ(FindBookmarkByName(u"元に戻す表示局面"), 0);
  RedoLastEdit();
  EXPECT_EQ(FindBookmarkByName(u"好手"), NodeIndex(g_Record, g_Record.current));
  EXPECT_EQ(FindBookmarkByName(u"元に戻す表示局面"), 0);
}

TEST_F(UndoTest, ANewUndoPointDropsTheRedoAndARecordedMoveClearsAll) {
  SaveUndoPoint(u"分岐の削除");
  UndoLastEdit();
  ASSERT_TRUE(g_bRedoAvailable);
  SaveUndoPoint(u"コメントの編集");
  EXPECT_FALSE(g_bRedoAvailable);
  EXPECT_TRUE(g_bUndoPending);
  EXPECT_EQ(GetUndoLabel(), u"コメントの編集");

  g_AppMode = kModeGame;
  DoMove(nullptr, kMoveGame, Key(39, 38), 0);
  EXPECT_FALSE(g_bUndoPending);
  EXPECT_FALSE(g_bRedoAvailable);
  EXPECT_EQ(GetUndoLabel(), u"");
}

TEST_F(UndoTest, PrivateFolderOneFilePerCopyAndLinksReplaced) {
  const std::u16string folder = UndoSnapshotFolder();
  ASSERT_FALSE(folder.empty());
  struct stat st {};
  ASSERT_EQ(stat(PathToNative(folder).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A link planted at the name is replaced; what it points at is untouched.
  const std::string target = PathToNative(folder) + "target.txt";
  ASSERT_TRUE(WriteFileBytes(PathFromNative(target), "keep"));
  const std::string first = PathToNative(folder + u"Dovu自動保存1.dovu");
  ASSERT_EQ(symlink(target.c_str(), first.c_str()), 0);
  SaveUndoPoint(u"消費時間を０");
  EXPECT_EQ(g_szUndoFilePath, folder + u"Dovu自動保存1.dovu");
  struct stat link {};
  ASSERT_EQ(lstat(first.c_str(), &link), 0);
  EXPECT_TRUE(S_ISREG(link.st_mode));
  std::string kept;
  ReadFileBytes(PathFromNative(target), kept);
  EXPECT_EQ(kept, "keep");

  g_nInstanceNumber = 2;
  SaveUndoPoint(u"消費時間を０");
  EXPECT_EQ(g_szUndoFilePath, folder + u"Dovu自動保存2.dovu");
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(first)));
  EXPECT_TRUE(QDir(QString::fromStdU16String(folder)).entryList({"*.tmp"}).isEmpty());
}

TEST_F(UndoTest, UnwritableSnapshotLeavesNoUndoPoint) {
  // The private folder's name is taken by a file: nothing can be written.
  std::string runtime = getenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(WriteFileBytes(PathFromNative(runtime + "/Sorvane"), "x"));
  SaveUndoPoint(u"棋譜の削除");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind(u"棋譜保存エラー(", 0), 0u);
  EXPECT_FALSE(g_bUndoPending);
  EXPECT_EQ(GetUndoLabel(), u"");
  EXPECT_EQ(g_Record.changeCount, 4);
}

TEST_F(UndoTest, RedoSnapshotThatCannotBeWrittenStopsUndoBeforeAnyChange) {
  SaveUndoPoint(u"棋譜の削除");
  ASSERT_EQ(DeleteRecordAfterCurrent(nullptr), 0);
  const std::string after = RecordText();
  // A folder at the redo file's name: the rename over it fails.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdU16String(UndoSnapshotFolder() + u"Dovu戻す前1.dovu")));
  ASSERT_TRUE(WriteFileBytes(UndoSnapshotFolder() + u"Dovu戻す前1.dovu/x", "x"));
  UndoLastEdit();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text.rfind(u"棋譜保存エラー(", 0), 0u);
  EXPECT_EQ(RecordText(), after);
  EXPECT_TRUE(g_bUndoPending);
  EXPECT_FALSE(g_bRedoAvailable);
}

TEST_F(UndoTest, MissingOrDamagedSnapshotChangesNothing) {
  enum Damage { kRemoved, kTruncated, kEdited };
  for (Damage damage : {kRemoved, kTruncated, kEdited}) {
    SCOPED_TRACE(int(damage));
    ui.boxes.clear();
    SaveUndoPoint(u"コメントの編集");
    ASSERT_EQ(AppendComment(g_Record, 2, u"追記"), 0);
    doc.SetModifiedFlag(true);
    const std::string edited = RecordText();
    const std::vector<int> shown = ShownLine();
    const int count = g_Record.changeCount;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(g_szUndoFilePath, bytes));
    if (damage == kRemoved) {
      ASSERT_EQ(unlink(PathToNative(g_szUndoFilePath).c_str()), 0);
    }
    if (damage == kTruncated) {
      ASSERT_TRUE(WriteFileBytes(g_szUndoFilePath, bytes.substr(0, bytes.size() / 2)));
    }
    if (damage == kEdited) {
      ASSERT_TRUE(WriteFileBytes(g_szUndoFilePath, bytes + "*後から\r\n"));
    }

    UndoLastEdit();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              u"元に戻すための棋譜(" + g_szUndoFilePath + u")が読めません。");
    EXPECT_EQ(RecordText(), edited);
    EXPECT_EQ(ShownLine(), shown);
    EXPECT_EQ(g_Record.changeCount, count);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(g_bUndoPending);
    EXPECT_FALSE(g_bRedoAvailable);
  }
}

}  // namespace
