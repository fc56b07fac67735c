// The Edit menu's copies reach the system clipboard whole, with their status
// lines; the position file writer is in place for the file commands.
#include "output/clipboard_copy.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "app/file_commands.h"
#include "app/instance.h"
#include "app/narvo_app.h"
#include "app/undo.h"
#include "output/clipboard_paste.h"
#include "record/clipboard_paste.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/english_notation.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/tree_dialog_qt.h"
#include "record/variation_tree.h"
#include "tests/support/dialog_steps.h"
#include "tests/support/file_picks.h"
#include <QAbstractButton>
#include <QButtonGroup>
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

class ClipboardCopyTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
    const std::u16string path =
        PathFromNative(std::string(NARVO_TEST_DATA) + "/records/variations.dovu");
    ASSERT_EQ(ReadRecordFile(true, path), 0);
    g_szRecordTitle = u"変化";
  }
  void TearDown() override { ResetEnvDefaults(); }
  static std::u16string Clipboard() { return QGuiApplication::clipboard()->text().toStdU16String(); }
  RecordingUi ui;
};

TEST_F(ClipboardCopyTest, EachCopyPutsItsWholeTextAndTellsWhichKind) {
  struct Case {
    void (*copy)();
    std::u16string (*expected)();
    const char* status;
  } cases[] = {
      {[] { CopyZrfToClipboard(nullptr, false); },
       [] { std::u16string t; WriteZrfToBuffer(t, kZrfWholeTree); return t; },
       "クリップボードへ棋譜(ZRF形式)を出力しました。"},
      {[] { CopyZrfToClipboard(nullptr, true); },
       [] { std::u16string t; WriteZrfToBuffer(t, kZrfCurrentLine); return t; },
       "クリップボードへ棋譜(ZRF形式、現変化だけ)を出力しました。"},
      {[] { CopyZr2ToClipboard(nullptr, kZr2WholeTree); },
       [] { std::u16string t; WriteZr2ToBuffer(t, kZr2WholeTree); return t; },
       "クリップボードへ棋譜(ZR2形式)を出力しました。"},
      {[] { CopyZr2ToClipboard(nullptr, kZr2MateProblem); },
       [] { std::u16string t; WriteZr2ToBuffer(t, kZr2MateProblem); return t; },
       "クリップボードへ棋譜(詰将棋形式)を出力しました。"},
      {[] { CopyZr2ToClipboard(nullptr, kZr2CurrentLine); },
       [] { std::u16string t; WriteZr2ToBuffer(t, kZr2CurrentLine); return t; },
       "クリップボードへ棋譜(ZR2形式、現変化だけ)を出力しました。"},
      {[] { CopyPositionToClipboard(nullptr); },
       [] { std::u16string t; AppendPositionText(t, u"変化"); AppendSideToMoveLine(t); return t; },
       "クリップボードへ局面を出力しました。"},
      {[] { CopySfenToClipboard(nullptr); }, [] { return FormatSfen(g_Board); },
       "クリップボードへ USI SFEN形式局面を出力しました。"},
      {[] { CopyMail1ToClipboard(nullptr); },
       [] { std::u16string t; AppendMailText(t, 1, u"変化"); return t; },
       "クリップボードへメール(1)を出力しました。"},
      {[] { CopyMail2ToClipboard(nullptr); },
       [] { std::u16string t; AppendMailText(t, 2, u"変化"); return t; },
       "クリップボードへメール(2)を出力しました。"},
      {[] { CopyEnglishRecordToClipboard(nullptr); },
       [] { std::u16string t; AppendEnglishRecord(t); return t; },
       "クリップボードへ英語表記棋譜を出力しました。"},
      {[] { CopyEnglishPositionToClipboard(nullptr); },
       [] { std::u16string t; AppendEnglishPosition(t, u"変化", false); return t; },
       "クリップボードへ英語表記局面を出力しました。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    QGuiApplication::clipboard()->clear();
    c.copy();
    const std::u16string text = c.expected();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(Utf16ToUtf8(Clipboard()), Utf16ToUtf8(text));
    ASSERT_FALSE(ui.status.empty());
    EXPECT_EQ(Utf16ToUtf8(ui.status.back()), c.status);
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ClipboardCopyTest, PositionFileWriterIsInstalled) {
  ASSERT_NE(g_pWritePositionFile, nullptr);
  PrivateHome home;
  const std::u16string path = home.Path().toStdU16String() + u"/p.bod";
  g_szBoardTextFormat = u"%n";
  ASSERT_EQ(g_pWritePositionFile(path), 0);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes, "0");  // the template as written, no line end added
}

TEST_F(ClipboardCopyTest, TheVariationDiagramAsksForItsLayoutAndKeepsIt) {
  g_szRecordFilePath = u"/records/変化.dovu";
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  DialogSteps steps;
  steps.Script({[](QDialog& d) { return DialogSteps::Cancel(d); }});
  CopyVariationDiagram(nullptr);
  EXPECT_EQ(Clipboard(), u"before");
  EXPECT_EQ(g_nRecordTree1, 8);
  EXPECT_TRUE(ui.status.empty());

  int ranges[3][2] = {};
  steps.Script({[&](QDialog& d) {
    auto& dlg = static_cast<CDovuTreeDg&>(d);
    ranges[0][0] = dlg.DepthEdit()->SpinLow();
    ranges[0][1] = dlg.DepthEdit()->SpinHigh();
    ranges[1][0] = dlg.FullWidthEdit()->SpinLow();
    ranges[1][1] = dlg.FullWidthEdit()->SpinHigh();
    ranges[2][0] = dlg.HalfWidthEdit()->SpinLow();
    ranges[2][1] = dlg.HalfWidthEdit()->SpinHigh();
    dlg.DepthEdit()->SetText(QStringLiteral("121"));
    dlg.accept();  // refused: the dialog stays
    dlg.DepthEdit()->SetText(QStringLiteral("120"));
    dlg.FormGroup()->button(1)->click();
    dlg.HalfWidthEdit()->SetText(QStringLiteral("9"));
    return DialogSteps::Ok(d);
  }});
  CopyVariationDiagram(nullptr);
  EXPECT_EQ(ui.status.back(), u"クリップボードへ棋譜の変化図を出力しました。");
  EXPECT_EQ(ui.warnings, 1);
  EXPECT_EQ(ranges[0][0], 1);
  EXPECT_EQ(ranges[0][1], 100);
  EXPECT_EQ(ranges[1][1], 20);
  EXPECT_EQ(ranges[2][1], 20);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, DxRangeMessage(1, 120));
  EXPECT_EQ(g_nRecordTree1, 120);
  EXPECT_EQ(g_nRecordTree2, 1);
  EXPECT_EQ(g_nRecordTree3, 10);
  EXPECT_EQ(g_nRecordTree4, 9);

  std::u16string expected;
  AppendVariationDiagram(expected, g_szRecordFilePath);
  // The clock moved on between the two; compare all but the date line.
  const auto withoutDate = [](std::u16string t) {
    const size_t at = t.find(u"日時：");
    return at == std::u16string::npos ? t : t.erase(at, t.find(u'\n', at) - at);
  };
  EXPECT_EQ(withoutDate(Clipboard()), withoutDate(expected));
  EXPECT_NE(expected.find(u"▲76歩--"), std::u16string::npos);
}

}  // namespace

// ---- Paste and merge through the clipboard -----------------------------------------

namespace {

class ClipboardPasteCommandTest : public ClipboardCopyTest {
protected:
  void SetUp() override {
    ClipboardCopyTest::SetUp();
    g_AppMode = kModeView;
    g_nInstanceNumber = 1;
    g_bConfirmSave = 0;
    g_szRecordFolder = u"/records/";
    ClearUndoLabel();
  }
  PrivateHome home;  // the undo snapshots go here
};

TEST_F(ClipboardPasteCommandTest, PasteReadsTheClipboardUnderItsOwnNameAndUndoPoint) {
  QGuiApplication::clipboard()->setText(QString::fromUtf8("ファイル名：../x/対局.dovu\r\n先手：甲\r\n▲７六歩    △３四歩\r\n"));
  EXPECT_EQ(PasteFromClipboard(nullptr), kPasteRead);
  EXPECT_EQ(GetLineLength(g_Record), 2);
  EXPECT_EQ(Utf16ToUtf8(g_szRecordFilePath), "/records/対局.dovu");
  EXPECT_EQ(Utf16ToUtf8(g_strUndoLabel), "棋譜の貼り付け");
  ASSERT_FALSE(ui.status.empty());
  EXPECT_EQ(Utf16ToUtf8(ui.status.back()), "クリップボードから棋譜、局面を読み込みました。");

  // Text that is no record: the box, and the record stays.
  QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
  EXPECT_EQ(PasteFromClipboard(nullptr), kPasteNothing);
  EXPECT_EQ(GetLineLength(g_Record), 2);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(Utf16ToUtf8(ui.boxes[0].text).rfind("棋譜・局面読込みエラー\n", 0), 0u);

  QGuiApplication::clipboard()->setText(QStringLiteral("8k/9/9/9/9/9/9/9/K8 b - 1"));
  EXPECT_EQ(PasteFromClipboard(nullptr), kPasteSfen);
  EXPECT_EQ(Utf16ToUtf8(g_szRecordTitle), "新規棋譜");
  EXPECT_EQ(Utf16ToUtf8(ui.status.back()), "クリップボードからSFEN形式の局面を読み込みました。");
}

// The name a pasted record carries is not a file it was read from: a save
// over a file of that name asks first.
TEST_F(ClipboardPasteCommandTest, ASaveAfterAPasteAsksBeforeReplacingAFileOfItsName) {
  FilePicks picks;  // Save As, offered after a No, is cancelled
  const std::u16string folder = home.Path().toStdU16String() + u"/";
  const std::u16string target = folder + u"x.zrf";
  const std::u16string asked = u"同名の棋譜(" + target + u")があります。書き換えますか？";
  g_szRecordFolder = folder;
  for (int answer : {kIdNo, kIdYes}) {
    SCOPED_TRACE(answer);
    ASSERT_TRUE(WriteFileBytes(target, "another game"));
    QGuiApplication::clipboard()->setText(QString::fromUtf8("ファイル名：x.zrf\r\n▲７六歩    △３四歩\r\n"));
    ASSERT_EQ(PasteFromClipboard(nullptr), kPasteRead);
    ASSERT_EQ(g_szRecordFilePath, target);
    ui.boxes.clear();
    ui.answers = {answer};
    EXPECT_EQ(SaveFileOverwrite(nullptr) == 0, answer == kIdYes);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, asked);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(target, bytes));
    EXPECT_EQ(bytes == "another game", answer == kIdNo);
  }
  // Once saved there, the file is the record's own: no more question.
  ui.boxes.clear();
  EXPECT_EQ(SaveFileOverwrite(nullptr), 0);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ClipboardPasteCommandTest, MergeAddsVariationsUnderOneUndoPoint) {
  const int before = GetLineLength(g_Record);
  QGuiApplication::clipboard()->setText(QString::fromUtf8("▲２六歩    △８四歩\r\n"));
  MergeRecordFromClipboard(nullptr);
  EXPECT_EQ(Utf16ToUtf8(g_strUndoLabel), "棋譜の合成");
  EXPECT_EQ(GetLineLength(g_Record), before);
  EXPECT_EQ(Utf16ToUtf8(ui.status.back()), "クリップボードから棋譜を読み込み、合成しました。");
  EXPECT_TRUE(ui.boxes.empty());

  QGuiApplication::clipboard()->setText(QString::fromUtf8("手合割：香落ち\r\n△３四歩\r\n"));
  MergeRecordFromClipboard(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(Utf16ToUtf8(ui.boxes[0].text), "手合が違います。");
}

}  // namespace
