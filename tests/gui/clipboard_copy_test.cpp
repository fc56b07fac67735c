// The Edit menu's copies reach the system clipboard whole, with their status
// lines; the position file writer is in place for the file commands.
#include "output/clipboard_copy.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/english_notation.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"
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

}  // namespace
