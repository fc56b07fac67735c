// Comment and bookmark dialogs worked through their controls: what each
// stores, what Cancel keeps, the undo labels, the modified states, the
// messages and the dialog's place between runs.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/header.h"
#include "record/history.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/comment_dialogs_qt.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/siori_dialogs_qt.h"
#include "tests/support/dialog_steps.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/record_building.h"
#include "tests/support/recording_ui.h"
#include "view/narvo_view.h"

namespace {

int Key(int from, int to) { return from | to << 8; }
std::u16string U(const QString& s) { return s.toStdU16String(); }
std::u16string CommentAt(int n) {
  const RecordNode* node = GetNodeAtMove(n);
  return node && node->comment ? node->comment : u"";
}

class AnnotationTest : public ::testing::Test, protected DialogSteps {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    g_AppMode = kModeView;
    InitRecordPool(g_Record, 2000);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    ClearUndoLabel();
    g_szProgramFolder = PathFromNative(home.Path().toStdString()) + u"/";
    g_szDataFolder = g_szProgramFolder;  // the history files stay in the private home
    // 1.７六歩 2.３四歩 ... twelve moves of silvers and pawns.
    const int moves[] = {Key(77, 76), Key(33, 34), Key(39, 38), Key(71, 72), Key(38, 39),
                         Key(72, 71), Key(39, 38), Key(71, 72), Key(38, 39), Key(72, 71),
                         Key(39, 38), Key(71, 72)};
    for (int k : moves) AddMoveAndGo(k);
    g_Record.changeCount = 0;
  }
  void TearDown() override {
    SetDialogScript(nullptr);
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  PrivateHome home;
  CNarvoDoc doc;
  RecordingUi ui;
};

// ---- Comment dialog ------------------------------------------------------------------

TEST_F(AnnotationTest, CommentDialogTitles) {
  struct Case {
    int move, notation;
    const char16_t* title;
  };
  for (Case c : {Case{0, 0, u"開始局面のコメント"}, Case{1, 0, u"第1手、▲７六歩のコメント"},
                 Case{2, 1, u"第2手、▽３四歩のコメント"}}) {
    g_nMoveNotation = uint8_t(c.notation);
    std::u16string title;
    Script({[&](QDialog& d) {
      title = U(static_cast<CCommentDlg&>(d).TitleLabel()->text());
      d.reject();
      return d.result();
    }});
    EditMoveComment(nullptr, c.move);
    EXPECT_EQ(title, c.title);
  }
}

TEST_F(AnnotationTest, CommentDialogStoresExactlyWhatWasTyped) {
  struct Case {
    const char16_t* typed;
    const char16_t* stored;
  };
  const Case cases[] = {
      {u"一行目\n二行目", u"一行目\n二行目\n"},
      {u"a\u00a0b\tc\u3000d", u"a\u00a0b\tc\u3000d\n"},
  };
  for (const Case& c : cases) {
    Script({[&](QDialog& d) {
      EXPECT_EQ(g_bEditDialogOpen, 1);
      static_cast<CCommentDlg&>(d).Edit()->setPlainText(QString::fromStdU16String(c.typed));
      return Ok(d);
    }});
    EditMoveComment(nullptr, 3);
    EXPECT_EQ(g_bEditDialogOpen, 0);
    EXPECT_EQ(CommentAt(3), c.stored);
    // Opened again and left with OK, the text is unchanged.
    Script({Ok});
    EditMoveComment(nullptr, 3);
    EXPECT_EQ(CommentAt(3), c.stored);
  }
  EXPECT_EQ(GetUndoLabel(), u"コメントの編集");
}

TEST_F(AnnotationTest, CommentDialogDeleteCancelAndUnchangedOk) {
  ASSERT_EQ(AppendComment(g_Record, 4, u"好手"), 0);
  g_Record.changeCount = 0;
  doc.SetModifiedFlag(false);

  Script({[](QDialog& d) {
    d.reject();
    return d.result();
  }});
  EditMoveComment(nullptr, 4);
  EXPECT_EQ(CommentAt(4), u"好手\n");
  EXPECT_FALSE(g_bUndoPending);

  Script({Ok});  // unchanged
  EditMoveComment(nullptr, 4);
  EXPECT_EQ(GetUndoLabel(), u"コメントの編集");
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(g_Record.changeCount, 0);

  Script({[](QDialog& d) {
    static_cast<CCommentDlg&>(d).DeleteButton()->click();
    return Ok(d);
  }});
  EditMoveComment(nullptr, 4);
  EXPECT_EQ(GetNodeAtMove(4)->comment, nullptr);
  EXPECT_TRUE(doc.IsModified());
}

// The record keeps 32766 units with the final line feed: the edit stops one
// short of that, so whatever it holds is stored whole, without a box.
TEST_F(AnnotationTest, WhatTheCommentDialogTakesIsStoredWhole) {
  ASSERT_EQ(AppendComment(g_Record, 5, u"元のコメント"), 0);
  for (int length : {32765, 32766, 32767}) {
    SCOPED_TRACE(length);
    ui.boxes.clear();
    int held = 0;
    Script({[&](QDialog& d) {
      QPlainTextEdit* edit = static_cast<CCommentDlg&>(d).Edit();
      edit->setPlainText(QString(length, QChar(u'a')));
      held = int(edit->toPlainText().size());
      return Ok(d);
    }});
    EditMoveComment(nullptr, 5);
    EXPECT_EQ(held, 32765);
    EXPECT_EQ(CommentAt(5), std::u16string(32765, u'a') + u"\n");
    EXPECT_TRUE(ui.boxes.empty());
  }
}

TEST_F(AnnotationTest, CommentDialogReopensWhereItWasLeft) {
  Script({[](QDialog& d) {
            d.move(123, 77);
            d.reject();
            return d.result();
          },
          [](QDialog& d) {
            EXPECT_EQ(d.pos(), QPoint(123, 77));
            d.reject();
            return d.result();
          }});
  EditMoveComment(nullptr, 1);
  EditMoveComment(nullptr, 1);
  EXPECT_EQ(opened, 2);
}

TEST_F(AnnotationTest, CheckRunsAfterOkAndItsFixIsStored) {
  g_bCheckCommentNotation = 1;
  std::u16string message;
  Script({[](QDialog& d) {
            static_cast<CCommentDlg&>(d).Edit()->setPlainText(QString::fromUtf16(u"▲▲７六歩"));
            return Ok(d);
          },
          [&](QDialog& d) {
            auto& w = dynamic_cast<CCommentWarningDlg&>(d);
            message = U(d.findChild<QLabel*>()->text());
            w.Button(1)->click();
            return d.result();
          }});
  EditMoveComment(nullptr, 2);
  EXPECT_EQ(message, u"「▲▲７六歩」　ミスだと思われます。");
  EXPECT_EQ(CommentAt(2), u"▲７六歩\n");
}

TEST_F(AnnotationTest, DeleteCurrentCommentAsks) {
  ASSERT_EQ(AppendComment(g_Record, 12, u"最後"), 0);
  for (int answer : {kIdNo, kIdYes}) {
    ui.answers = {answer};
    ui.boxes.clear();
    DeleteCurrentComment(nullptr);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, u"コメントを削除しますか？");
    EXPECT_EQ(ui.boxes[0].caption, u"コメント削除の確認");
    EXPECT_EQ(CommentAt(12).empty(), answer == kIdYes);
  }
  EXPECT_EQ(GetUndoLabel(), u"コメントの削除");
}

TEST_F(AnnotationTest, BulkDeletionByEachChoice) {
  for (int choice : {0, 1, 2}) {
    SCOPED_TRACE(choice);
    // Comments on moves 0, 9, 10, 11 and in a variation off move 11.
    for (int n : {0, 9, 10, 11}) ASSERT_EQ(AppendComment(g_Record, n, u"c"), 0);
    StepBackTo(11);
    AddMoveAndGo(Key(51, 52));
    ASSERT_EQ(AppendComment(g_Record, 12, u"変化"), 0);
    RecordNode* variation = g_Record.current;
    StepBackTo(11);
    Script({[&](QDialog& d) {
      auto& dlg = static_cast<CDelComDg&>(d);
      EXPECT_FALSE(dlg.MoveNumberEdit()->isEnabled());
      dlg.Choices()->button(choice)->click();
      EXPECT_EQ(dlg.MoveNumberEdit()->isEnabled(), choice != 0);
      dlg.MoveNumberEdit()->SetText(QString::fromUtf16(u"10"));
      return Ok(d);
    }});
    DeleteCommentsInBulk(nullptr);
    EXPECT_EQ(GetUndoLabel(), u"全コメントの削除");
    const bool before = choice == 0 || choice == 1, after = choice == 0 || choice == 2;
    EXPECT_EQ(CommentAt(0).empty(), before);
    EXPECT_EQ(CommentAt(9).empty(), before);
    EXPECT_TRUE(CommentAt(10).empty());
    EXPECT_EQ(CommentAt(11).empty(), after);
    EXPECT_EQ(variation->comment == nullptr, choice == 0);
    ClearAllComments(g_Record);
    DeleteBranch(variation);
  }
}

// ---- Bookmarks --------------------------------------------------------------------------

TEST_F(AnnotationTest, OfferedNamesAndRegistration) {
  struct Case {
    int move, notation;
    const char16_t* offered;
  };
  for (Case c : {Case{0, 0, u"開始局面"}, Case{2, 0, u"第2手、△３四歩"}, Case{4, 1, u"第4手、▽７二銀"},
                 Case{1, 0, u"第1手、▲７六歩"}}) {
    StepBackTo(0);
    for (int i = 0; i < c.move; ++i) g_Record.current = g_Record.current->firstChild, ++g_Record.moveNumber;
    g_nMoveNotation = uint8_t(c.notation);
    std::u16string offered;
    Script({[&](QDialog& d) {
      offered = U(static_cast<CSioriDlg&>(d).Combo()->currentText());
      return Ok(d);
    }});
    RegisterSiori(nullptr);
    EXPECT_EQ(offered, c.offered);
    EXPECT_EQ(FindBookmarkByName(c.offered), NodeIndex(g_Record, g_Record.current));
  }
  EXPECT_EQ(GetUndoLabel(), u"しおりの登録・名前変更");

  // A name another node holds.
  g_Record.current = GetNodeAtMove(3);
  g_Record.moveNumber = 3;
  Script({[](QDialog& d) {
    static_cast<CSioriDlg&>(d).Combo()->setEditText(QString::fromUtf16(u"開始局面"));
    return Ok(d);
  }});
  RegisterSiori(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"同名のしおりがあります。");
  EXPECT_EQ(ui.boxes[0].caption, u"しおり登録エラー");

  // A full list.
  ui.boxes.clear();
  for (int i = g_Record.bookmarkCount; i < kMaxBookmarks; ++i)
    g_Record.bookmarks[i] = {1, FormatU16(u"b%d", i)};
  g_Record.bookmarkCount = kMaxBookmarks;
  Script({[](QDialog& d) {
    static_cast<CSioriDlg&>(d).Combo()->setEditText(QString::fromUtf16(u"新しい"));
    return Ok(d);
  }});
  RegisterSiori(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"しおりの数の上限を超えました。");
}

TEST_F(AnnotationTest, DeleteInTheDialogThenCancelOrOk) {
  ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, g_Record.current), u"終局"), 0);
  Script({[](QDialog& d) {
    static_cast<CSioriDlg&>(d).DeleteButton()->click();
    EXPECT_EQ(static_cast<CSioriDlg&>(d).Combo()->currentText(), QString());
    d.reject();
    return d.result();
  }});
  RegisterSiori(nullptr);
  EXPECT_GE(FindBookmarkByName(u"終局"), 0);

  Script({[](QDialog& d) {
    static_cast<CSioriDlg&>(d).DeleteButton()->click();
    return Ok(d);
  }});
  RegisterSiori(nullptr);
  EXPECT_LT(FindBookmarkByName(u"終局"), 0);
  // The undo point was saved before the deletion: undo brings it back.
  UndoLastEdit();
  EXPECT_GE(FindBookmarkByName(u"終局"), 0);
}

TEST_F(AnnotationTest, ComboListsHistoryThenListFileLines) {
  g_hisSiori.count = 0;
  AddHistoryItem(u"急所", g_hisSiori);
  AddHistoryItem(u"好手", g_hisSiori);
  SaveHistory(g_hisSiori);
  ASSERT_TRUE(WriteFileBytes(g_szProgramFolder + u"しおり.txt", "# 見出し\n\n悪手\n好手\n勝負手\n"));
  QComboBox combo;
  combo.setEditable(true);
  EXPECT_EQ(FillSioriNameCombo(&combo), 0);
  QStringList items;
  for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
  QStringList expected{QString::fromUtf16(u"好手"), QString::fromUtf16(u"急所"), QString::fromUtf16(u"悪手"), QString::fromUtf16(u"勝負手")};
  expected.sort();
  EXPECT_EQ(items, expected);
}

TEST_F(AnnotationTest, EditListDeleteAllThenCancelKeepsEverything) {
  for (int n : {0, 2, 4}) ASSERT_EQ(SetBookmark(g_Record, n, FormatU16(u"しおり%d", n)), 0);
  g_Record.changeCount = 0;
  Script({[](QDialog& d) {
    auto& dlg = static_cast<CSioriEdt&>(d);
    EXPECT_EQ(dlg.List()->count(), 3);
    dlg.DeleteAllButton()->click();
    EXPECT_EQ(dlg.List()->count(), 0);
    d.reject();
    return d.result();
  }});
  EditSiori(nullptr);
  EXPECT_EQ(g_Record.bookmarkCount, 3);
  EXPECT_EQ(g_Record.changeCount, 0);
  EXPECT_EQ(GetUndoLabel(), u"しおりの編集");

  // Unsaved work stays unsaved after Cancel.
  g_Record.changeCount = 3;
  Script({[](QDialog& d) {
    static_cast<CSioriEdt&>(d).DeleteButton()->click();
    d.reject();
    return d.result();
  }});
  EditSiori(nullptr);
  EXPECT_EQ(g_Record.bookmarkCount, 3);
  EXPECT_EQ(g_Record.changeCount, 3);

  Script({[](QDialog& d) {
    static_cast<CSioriEdt&>(d).DeleteButton()->click();
    return Ok(d);
  }});
  EditSiori(nullptr);
  EXPECT_EQ(g_Record.bookmarkCount, 2);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(AnnotationTest, JumpToBookmark) {
  ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, GetNodeAtMove(3)), u"三手目"), 0);
  ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, g_Record.current), u"ここ"), 0);
  auto pick = [](int row) {
    return [row](QDialog& d) {
      static_cast<CSioriJumpDlg&>(d).List()->setCurrentRow(row);
      return Ok(d);
    };
  };
  const BoardState before = g_Board;
  Script({pick(1)});  // the current node: nothing moves
  JumpToSiori(nullptr);
  EXPECT_EQ(g_Record.moveNumber, 12);
  EXPECT_EQ(CompareBoardStates(g_Board, before), 0);
  Script({pick(0)});
  JumpToSiori(nullptr);
  EXPECT_EQ(g_Record.moveNumber, 3);
  EXPECT_EQ(g_Board.sideToMove, kGote);
}

}  // namespace
