#include "settings/env.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "record/record.h"
#include "record/text.h"
#include "settings/folders.h"
#include "tests/support/file_faults.h"
#include "tests/support/recording_ui.h"

namespace {

std::string DataPath(const char* name) {
  const char* env = std::getenv("NARVO_TEST_DATA");
  std::string dir;
  if (env && *env) {
    dir = env;
  } else {
    // Beside this source file: tests/settings/../data.
    dir = __FILE__;
    dir = dir.substr(0, dir.rfind('/')) + "/../data";
  }
  return dir + "/settings/" + name;
}

std::u16string ReadFixture(const char* name) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(PathFromNative(DataPath(name)), bytes)) << name;
  return Utf8ToUtf16(bytes);
}

// The documented file: the fixture holds it with LF line ends.
std::u16string DefaultFileText() {
  std::u16string crlf;
  for (char16_t c : ReadFixture("env_defaults.txt")) {
    if (c == u'\n') crlf += u'\r';
    crlf += c;
  }
  return crlf;
}

std::string FileBytes(const std::u16string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(path, bytes));
  return bytes;
}

class TempDir {
public:
  TempDir() {
    char tmpl[] = "/tmp/narvo_env_XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  // Folder text with a trailing "/".
  std::u16string Folder(const std::string& sub = "") const {
    std::string p = path_ + "/" + sub;
    if (!sub.empty()) {
      MakeFolders(PathFromNative(p));
      p += "/";
    }
    return PathFromNative(p);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    FILE* p = popen(("ls -A '" + path_ + "'").c_str(), "r");
    char buf[512];
    while (p && fgets(buf, sizeof buf, p)) {
      std::string n(buf);
      if (!n.empty() && n.back() == '\n') n.pop_back();
      names.push_back(n);
    }
    if (p) pclose(p);
    return names;
  }

private:
  std::string path_;
};

class EnvTest : public ::testing::Test {
protected:
  void SetUp() override { ResetEnvDefaults(); }
  void TearDown() override {
    ResetEnvDefaults();
    g_szEnvName = u"NARVO";
    g_bCmdLineEnv = 0;
  }
  static void Read(const std::u16string& text) { ReadEnvBytes(Utf16ToUtf8(text)); }
};

// Moves every setting of the file away from its default, with the texts
// that a careless writer or reader would damage.
void SetEveryKeyAwayFromDefault() {
  g_szRecordFolder = u"/home/u/棋譜/";
  g_szCommFolder = u"/home/u/mail box/";
  g_rcMainWindow = {-7, 0, 1920, 1080};
  g_bShowMoveListWnd = 0;
  g_rcMoveListWnd = {1, 2, 300, 400};
  g_nMoveListStyle = 1;
  g_bShowSioriNames = 0;
  g_nBranchWndMode = 1;
  g_rcBranchWnd = {-16384, 16384, 50, 60};
  g_nCommentWndMode = 2;
  g_rcCommentWnd = {7, 8, 90, 100};
  g_nPieceSet = 3;
  g_bExternalPieces = 1;
  g_szPieceBmpFile = u"/usr/share/駒.bmp";
  g_nBoardKind = 2;
  g_nStandKind = 0;
  g_rgbBoard = {0, 0, 0};
  g_rgbPieceBox = {1, 2, 3};
  g_rgbBackground = {255, 0, 255};
  g_rgbLastPiece = {4, 5, 6};
  g_rgbLastSquare = {7, 8, 9};
  g_rgbLastFrom = {10, 11, 12};
  g_rgbCurrentMove = {13, 14, 15};
  g_rgbVariation = {16, 17, 18};
  g_nLastMoveMark = 3;
  g_bShowMoveOrigin = 0;
  g_nMoveNotation = 1;
  g_fontCoords = {u"IPAexMincho", -20, 1, 1};
  g_fontInfo = {u"Face With Blanks", -14, 1, 0};
  g_fontComment = {u"Quote\\\"d \"Face\"", -15, 0, 1};
  g_fontCommentPt = {u"A", 90, 1, 1};
  g_fontStatus = {u"B", -16, 1, 0};
  g_fontMoveList = {u"C", -17, 0, 1};
  g_fontMoveListPt = {u"D", 110, 1, 1};
  g_bEmphasizeTurn = 0;
  g_szInfoFormat1 = u"\"quoted start\" and more";
  g_szInfoFormat2 = u"  two leading blanks";
  g_szInfoFormat3 = u"trailing blank ";
  g_szProblemInfoFormat1 = u"a : colon";
  g_szProblemInfoFormat2 = u"#not a comment";
  g_szProblemInfoFormat3 = u"\\back\\slash\\";
  g_bWarningSound = 0;
  g_nPieceSound = 4;
  g_szUserWave = u"/snd/\"koma\".wav";
  g_bAskReplayOnLoad = 1;
  g_nLoadPosition = 4;
  g_bCheckRules = 0;
  g_nReplaySpeed = 255;
  g_nAnimationSpeed = 3;
  g_nStopAtComment = 0;
  g_nCommentWaitMs = 1000000;
  g_nStopAtBranch = 2;
  g_nBranchWaitMs = 0;
  g_bDetectRepetition = 0;
  g_bMouseWheelMoves = 0;
  g_bConfirmSave = 0;
  g_bAutoSave = 0;
  g_szDefaultSaveName = u"%G\"%b4\"";
  g_bCheckCommentNotation = 0;
  g_bCheckCommentMarks = 1;
  g_bUnicodeClipboard = 1;
  g_szRecordDbProgram = u"/opt/db/lorquen";
  g_szProblemDbProgram = u"C:\\db\\";
  g_bUseEDovu2 = 1;
  for (int i = 0; i < kToolEntryCount; ++i) {
    g_szToolMenu[i] = u"メニュー\"" + IntToU16(i) + u"\"";
    g_szToolCommand[i] = u"/usr/bin/tool" + IntToU16(i);
    g_szToolArgs[i] = u"\"%K\" \\\" \\\\ \\n" + IntToU16(i);
  }
  g_szToolArgs[4] = std::u16string(kEnvTextCapacity - 1, u'\\');
  g_nHistorySize = 0;
  g_nHistoryModePlayers = 2;
  g_nHistoryModeEvent = 0;
  g_nHistoryModeOpening = 2;
  g_nHistoryModeTimeLimit = 0;
  g_nHistoryModePlace = 2;
  g_nHistoryModePublication = 0;
  g_nHistoryModeUser = 2;
  g_szPrintBoardHeader = std::u16string(kEnvPathCapacity - 1, u'印');
  g_szPrintRecordHeader = u"%K";
  g_fontPrint = {u"E", -30, 1, 0};
  g_fontPrintPt = {u"F", 200, 0, 1};
  g_nPrintMovesPerLine = 1;
  g_nPrintLeftMarginMm = 0;
  g_nPrintTopMarginMm = 1000;
  g_nPrintLineSpacing = -1000;
  g_bPrintComments = 0;
  g_bPrintNamesVertical = 0;
  g_nPrintBlackNameChars = 50;
  g_nPrintWhiteNameChars = 0;
  g_bPrintUnicodeMarks = 0;
  g_bImageTrim = 0;
  g_rcImageTrim[0] = 1;
  g_rcImageTrim[1] = 2;
  g_rcImageTrim[2] = 3;
  g_rcImageTrim[3] = 4;
  g_szImageFileNameFormat = u"";
  g_fontPrintHand = {u"G", -1, 1, 1};
  g_fontPrintHandPt = {u"H", 11, 1, 1};
  g_nMaxRecordSize = 1000000;
  g_Record.appendMode = 0;
  g_nDragonGlyph = 1;
  g_bDropMarkOnLast = 1;
  g_bWriteZeroTimes = 1;
  g_nZr2MovesPerLine = 255;
  g_nZr2Style = 3;
  g_bZr2HalfWidth = 1;
  g_nZr2HalfWidthMovesPerLine = 100;
  g_bZrfOmitTimes = 1;
  g_bCommentAutoWrap = 1;
  g_nCommentWrapColumn = 1;
  g_nRecordTree1 = 1;
  g_nRecordTree2 = 2;
  g_nRecordTree3 = 3;
  g_nRecordTree4 = 4;
  g_nDefaultFormat = 1;
  g_bBackup = 1;
  g_bSaveUtf8 = 1;
  g_bDovuExtension = 0;
  for (int i = 0; i < kUserInfoCount; ++i) g_szUserInfoName[i] = u"項目" + IntToU16(i);
  g_szUserInfoName[0] = std::u16string(kEnvUserInfoCapacity - 1, u'名');
  g_bAutoElapsedTime = 1;
  g_bAutoEndDate = 0;
  g_szBoardTextFormat = u"\"";
  g_szEngBoardTextFormat = u"x";
  g_nEngRecordStyle = 2;
  g_nEngMovesPerLine = 1;
  g_szMailFormat1 = u"%c";
  g_szMailFormat2 = u"";
  g_nMailSaveMode = 2;
  g_szMailAppendName = u"collect";
  g_szNetMailTo = u"";
  g_szNetMailSubject = u"\"\"";
  g_szNetMailBody = u"\\\"";
  g_bNetMailAuto = 1;
}

std::vector<std::u16string> Lines(const std::u16string& text) { return SplitLines(text); }

}  // namespace

// ---------------------------------------------------------------------------
// Writing

TEST(EnvDefaults, FreshAndResetGlobalsWriteTheDocumentedFile) {
  // Run first in a fresh process this sees the built-in initial values.
  EXPECT_EQ(FormatEnvFile(), DefaultFileText());
  SetEveryKeyAwayFromDefault();
  g_nMaxRecordSizeAtStart = 5;
  g_nHistoryModeUser3 = 0;
  g_nSettingsPage = 9;
  g_bDefaultSettings = 1;
  g_szPositionFolder = u"/p/";
  ResetEnvDefaults();
  EXPECT_EQ(FormatEnvFile(), DefaultFileText());
  EXPECT_EQ(g_nMaxRecordSizeAtStart, 10000);
  EXPECT_EQ(g_nHistoryModeUser3, 1);
  EXPECT_EQ(g_nSettingsPage, 0);
  EXPECT_EQ(g_bDefaultSettings, 0);
  EXPECT_EQ(g_szPositionFolder, u"");
}

TEST_F(EnvTest, WrittenFileIsUtf8WithBomAndCrLf) {
  TempDir dir;
  std::u16string path = dir.Folder() + u"NARVO.ENV";
  ASSERT_EQ(WriteEnvFile(path), 0);
  EXPECT_EQ(FileBytes(path), Utf16ToUtf8(DefaultFileText(), true));
  // Nothing but the file is left in the folder.
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"NARVO.ENV"});
}

TEST_F(EnvTest, RoundTripRestoresEveryKey) {
  TempDir dir;
  std::u16string path = dir.Folder() + u"NARVO.ENV";
  SetEveryKeyAwayFromDefault();
  ASSERT_EQ(WriteEnvFile(path), 0);
  std::string first = FileBytes(path);

  // Every setting line differs from the default one, so the read below must
  // bring back each key.
  std::vector<std::u16string> changed = Lines(Utf8ToUtf16(first));
  std::vector<std::u16string> defaults = Lines(DefaultFileText());
  ASSERT_EQ(changed.size(), defaults.size());
  for (size_t i = 0; i < changed.size(); ++i) {
    if (defaults[i][0] == u'#') continue;
    EXPECT_NE(changed[i], defaults[i]) << Utf16ToUtf8(defaults[i]);
  }

  ResetEnvDefaults();
  ASSERT_EQ(ReadEnvFile(path), 0);
  ASSERT_EQ(WriteEnvFile(path), 0);
  EXPECT_EQ(FileBytes(path), first);

  // Texts that a quoting or escaping slip would change.
  EXPECT_EQ(g_szInfoFormat1, u"\"quoted start\" and more");
  EXPECT_EQ(g_szInfoFormat2, u"  two leading blanks");
  EXPECT_EQ(g_szInfoFormat3, u"trailing blank ");
  EXPECT_EQ(g_szUserWave, u"/snd/\"koma\".wav");
  EXPECT_EQ(g_szDefaultSaveName, u"%G\"%b4\"");
  EXPECT_EQ(g_szProblemDbProgram, u"C:\\db\\");
  EXPECT_EQ(g_szToolMenu[1], u"メニュー\"1\"");
  EXPECT_EQ(g_szToolArgs[0], u"\"%K\" \\\" \\\\ \\n0");
  EXPECT_EQ(g_szToolArgs[4], std::u16string(255, u'\\'));
  EXPECT_EQ(g_szNetMailSubject, u"\"\"");
  EXPECT_EQ(g_szNetMailBody, u"\\\"");
  EXPECT_EQ(g_szBoardTextFormat, u"\"");
  EXPECT_EQ(g_szPrintBoardHeader.size(), kEnvPathCapacity - 1);
  EXPECT_EQ(g_rcBranchWnd, (WindowPlacement{-16384, 16384, 50, 60}));
  EXPECT_EQ(g_fontInfo, (EnvFont{u"Face With Blanks", -14, 1, 0}));
  EXPECT_EQ(g_fontComment.face, u"Quote\\\"d \"Face\"");
  EXPECT_EQ(g_Record.appendMode, 0);
  EXPECT_EQ(g_nMaxRecordSizeAtStart, 1000000);
}

TEST_F(EnvTest, ToolArgumentsAreEscapedOtherQuotedTextsOnlyForQuotes) {
  g_szToolArgs[2] = u"a\"b\\c";
  g_szToolCommand[2] = u"C:\\dir\\";
  g_szMailAppendName = u"say \"hi\"";
  g_szInfoFormat1 = u"line\r\nbreak";
  std::u16string text = FormatEnvFile();
  EXPECT_NE(text.find(u"ツール引数3      : \"a\\\"b\\\\c\"\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"ツールコマンド3  : \"C:\\dir\\\"\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"メール追加名     : \"say \\\"hi\\\"\"\r\n"), std::u16string::npos);
  // A line end inside a value would start a line of its own in the file.
  EXPECT_NE(text.find(u"情報表示書式1    : linebreak\r\n"), std::u16string::npos);
}

// ---------------------------------------------------------------------------
// Reading

struct ParseCase {
  const char* name;
  const char16_t* lines;
  std::function<bool()> holds;
};

TEST_F(EnvTest, ParsingRules) {
  const std::u16string longText(3000, u'x');
  const ParseCase cases[] = {
      // Keys and the blank before the colon.
      {"one blank", u"ルール確認 : 0", [] { return g_bCheckRules == 0; }},
      {"tabs around colon", u"ルール確認\t:\t0", [] { return g_bCheckRules == 0; }},
      {"leading blanks", u"   ルール確認       : 0", [] { return g_bCheckRules == 0; }},
      {"ideographic blank", u"ルール確認　: 0", [] { return g_bCheckRules == 0; }},
      {"no blank before colon", u"ルール確認: 0", [] { return g_bCheckRules == 1; }},
      {"extra character", u"ルール確認X : 0", [] { return g_bCheckRules == 1; }},
      {"no colon", u"ルール確認 0", [] { return g_bCheckRules == 1; }},
      {"comment line", u"#ルール確認 : 0", [] { return g_bCheckRules == 1; }},
      {"last duplicate wins", u"ルール確認 : 0\nルール確認 : 1\nルール確認 : 0",
       [] { return g_bCheckRules == 0; }},
      // Integers and bytes.
      {"missing int", u"コメント待ち時間 :", [] { return g_nCommentWaitMs == 1000; }},
      {"word without digits", u"コメント待ち時間 : abc", [] { return g_nCommentWaitMs == 0; }},
      {"digits then letters", u"コメント待ち時間 : 25ms", [] { return g_nCommentWaitMs == 25; }},
      {"extra values", u"コメント待ち時間 : 7 8 9", [] { return g_nCommentWaitMs == 7; }},
      {"signed", u"印刷行間隔 : -12", [] { return g_nPrintLineSpacing == -12; }},
      {"huge saturates", u"印刷行間隔 : 99999999999999", [] { return g_nPrintLineSpacing == 2147483647; }},
      {"byte modulo", u"警告音 : 257", [] { return g_bWarningSound == 1; }},
      {"colour modulo", u"盤面色 : 300 -1 256", [] { return g_rgbBoard == EnvColor{44, 255, 0}; }},
      // Ranges the settings pages hold.
      {"history size high", u"情報履歴数 : 50", [] { return g_nHistorySize == 20; }},
      {"history size low", u"情報履歴数 : -3", [] { return g_nHistorySize == 0; }},
      {"max size zero", u"棋譜最大サイズ : 0",
       [] { return g_nMaxRecordSize == 10000 && g_nMaxRecordSizeAtStart == 10000; }},
      {"max size negative", u"棋譜最大サイズ : -5", [] { return g_nMaxRecordSize == 10000; }},
      {"max size small", u"棋譜最大サイズ : 100",
       [] { return g_nMaxRecordSize == 500 && g_nMaxRecordSizeAtStart == 500; }},
      {"max size huge", u"棋譜最大サイズ : 2000000000",
       [] { return g_nMaxRecordSize == 1000000 && g_nMaxRecordSizeAtStart == 1000000; }},
      {"max size taken", u"棋譜最大サイズ : 20000",
       [] { return g_nMaxRecordSize == 20000 && g_nMaxRecordSizeAtStart == 20000; }},
      {"wrap column zero", u"コメント改行桁 : 0", [] { return g_nCommentWrapColumn == 1; }},
      {"replay speed modulo", u"再現速度 : 300", [] { return g_nReplaySpeed == 44; }},
      {"name chars", u"印刷先手名字数 : 51", [] { return g_nPrintBlackNameChars == 50; }},
      {"notation in range", u"指し手表記 : 3", [] { return g_nMoveNotation == 3; }},
      {"notation out of range", u"指し手表記 : 258", [] { return g_nMoveNotation == 2; }},
      {"notation negative", u"指し手表記 : -1", [] { return g_nMoveNotation == 2; }},
      {"notation wraps into range", u"指し手表記 : 259", [] { return g_nMoveNotation == 3; }},
      {"sound wraps out of range", u"駒音種類 : 261", [] { return g_nPieceSound == 2; }},
      {"zr2 display style", u"ZR2形式 : 4", [] { return g_nZr2Style == 4; }},
      {"zr2 style kept", u"ZR2形式 : 9", [] { return g_nZr2Style == 9; }},
      {"piece set", u"駒の種類 : 2", [] { return g_nPieceSet == 5; }},
      {"board kind", u"盤の種類 : 3", [] { return g_nBoardKind == 0; }},
      {"last move mark", u"最終駒表示 : 4", [] { return g_nLastMoveMark == 2; }},
      {"animation", u"アニメ速度 : 9", [] { return g_nAnimationSpeed == 1; }},
      {"history mode", u"対局者履歴 : 3", [] { return g_nHistoryModePlayers == 1; }},
      {"append mode", u"棋譜追加モード : 0", [] { return g_Record.appendMode == 0; }},
      // Multi-value lines.
      {"placement short", u"ウィンドウ : 1 2",
       [] { return g_rcMainWindow == WindowPlacement{1, 2, 655, 524}; }},
      {"placement malformed", u"ウィンドウ : 1 x 3 4",
       [] { return g_rcMainWindow == WindowPlacement{1, 20, 655, 524}; }},
      {"placement comment glued", u"ウィンドウ : 1 2 300 400# X",
       [] { return g_rcMainWindow == WindowPlacement{1, 2, 300, 400}; }},
      {"colour short", u"盤面色 : 1 2", [] { return g_rgbBoard == EnvColor{1, 2, 86}; }},
      {"move list four values", u"棋譜ウィンドウ : 0 1 2 3",
       [] { return g_bShowMoveListWnd == 1 && g_rcMoveListWnd == WindowPlacement{10, 290, 115, 180}; }},
      {"move list five values", u"棋譜ウィンドウ : 0 1 2 300 400",
       [] { return g_bShowMoveListWnd == 0 && g_rcMoveListWnd == WindowPlacement{1, 2, 300, 400} &&
                   g_nMoveListStyle == 0; }},
      {"move list bad form", u"棋譜ウィンドウ : 0 1 2 300 400 7",
       [] { return g_nMoveListStyle == 0 && g_rcMoveListWnd.height == 400; }},
      {"branch mode out of range", u"分岐ウィンドウ : 5 1 2 300 400",
       [] { return g_nBranchWndMode == 2 && g_rcBranchWnd == WindowPlacement{1, 2, 300, 400}; }},
      // Places and sizes far outside any desktop, fonts no screen can show.
      {"placement extreme", u"ウィンドウ : 2147483647 -2147483648 0 -5",
       [] { return g_rcMainWindow == WindowPlacement{16384, -16384, 40, 40}; }},
      {"comment window huge", u"コメントウィンドウ : 3 99999999999 5 2147483647 2147483647",
       [] { return g_rcCommentWnd == WindowPlacement{16384, 5, 16384, 16384}; }},
      {"font height extreme", u"段筋フォント : \"Z\" -2147483648 2147483647 9",
       [] { return g_fontCoords == EnvFont{u"Z", -500, 1000, 1}; }},
      {"font height huge", u"情報フォント : \"Z\" 2147483647", [] { return g_fontInfo.size == 500; }},
      {"point font extreme", u"コメントポイントフォント : \"Z\" -2147483648",
       [] { return g_fontCommentPt.size == 10; }},
      {"old comment key", u"コメント表示 : 2", [] { return g_nCommentWndMode == 2; }},
      {"trim rectangle", u"トリミング領域 : 9 8", [] {
         return g_rcImageTrim[0] == 9 && g_rcImageTrim[1] == 8 && g_rcImageTrim[2] == 316;
       }},
      // Quoted texts.
      {"path kept when empty", u"棋譜パス :", [] { return g_szRecordFolder.empty(); }},
      {"quoted path normalised", u"棋譜パス : \"/a/b\"", [] { return g_szRecordFolder == u"/a/b/"; }},
      {"dot path", u"通信パス : \".\"", [] { return g_szCommFolder.empty(); }},
      {"bare path", u"通信パス : /x y", [] { return g_szCommFolder == u"/x y/"; }},
      {"program kept when empty", u"棋譜データベース : ", [] { return g_szRecordDbProgram == u"lorquen.exe"; }},
      {"program emptied by quotes", u"棋譜データベース : \"\"", [] { return g_szRecordDbProgram.empty(); }},
      {"subject emptied", u"Iメール件名 :", [] { return g_szNetMailSubject.empty(); }},
      {"inner quote", u"棋譜保存初期名 : \"a\\\"b\"", [] { return g_szDefaultSaveName == u"a\"b"; }},
      {"backslash before close", u"ツールコマンド1 : \"C:\\dir\\\"",
       [] { return g_szToolCommand[0] == u"C:\\dir\\"; }},
      {"unclosed quote", u"Iメール宛先 : \"abc", [] { return g_szNetMailTo == u"abc"; }},
      {"two blanks after colon", u"Iメール宛先 :  \"x\"", [] { return g_szNetMailTo == u" \"x\""; }},
      // Bare texts.
      {"bare verbatim quote", u"盤面書式 : \"abc\" def", [] { return g_szBoardTextFormat == u"\"abc\" def"; }},
      {"bare emptied", u"盤面書式 :", [] { return g_szBoardTextFormat.empty(); }},
      {"bare one blank kept", u"盤面書式 :  x ", [] { return g_szBoardTextFormat == u" x "; }},
      {"bare no blank", u"盤面書式 :xy", [] { return g_szBoardTextFormat == u"y"; }},
      {"bare with colon", u"盤面書式 : a:b", [] { return g_szBoardTextFormat == u"a:b"; }},
      {"bare cut", u"ユーザ定義情報１ : "
                   u"0123456789012345678901234567890123456789012345678901234567890123456789"
                   u"0123456789012345678901234567890123456789",
       [] { return g_szUserInfoName[0].size() == 100; }},
      // Tool entries.
      {"tool zero", u"ツールメニュー0 : \"x\"", [] { return g_szToolMenu[0] == u"棋譜ファイルをエディタで開く"; }},
      {"tool six", u"ツールメニュー6 : \"x\"", [] { return g_szToolMenu[4] == u"ツール5"; }},
      {"tool suffix", u"ツールメニュー1x : \"x\"", [] { return g_szToolMenu[0] == u"棋譜ファイルをエディタで開く"; }},
      {"tool menu", u"ツールメニュー5 : \"エディタ\"", [] { return g_szToolMenu[4] == u"エディタ"; }},
      {"tool escaped", u"ツール引数3 : \"a\\\"b\\\\c\\d\" \"rest\"",
       [] { return g_szToolArgs[2] == u"a\"b\\c\\d"; }},
      {"tool bare", u"ツール引数3 : %K +%N", [] { return g_szToolArgs[2] == u"%K +%N"; }},
      // Fonts.
      {"font face only", u"段筋フォント : \"IPAexMincho\"",
       [] { return g_fontCoords == EnvFont{u"IPAexMincho", -12, 0, 0}; }},
      {"font face and size", u"段筋フォント : \"X Y\" 10",
       [] { return g_fontCoords == EnvFont{u"X Y", 10, 0, 0}; }},
      {"font full", u"段筋フォント :\"Z\"-9 1 1\t# c",
       [] { return g_fontCoords == EnvFont{u"Z", -9, 1, 1}; }},
      {"font bare face", u"段筋フォント : Mono 11 1 0",
       [] { return g_fontCoords == EnvFont{u"Mono", 11, 1, 0}; }},
      {"font empty", u"段筋フォント :", [] { return g_fontCoords == EnvFont{u"ＭＳ 明朝", -12, 0, 0}; }},
      {"font bad number", u"段筋フォント : \"Q\" 8 x 1",
       [] { return g_fontCoords == EnvFont{u"Q", 8, 0, 0}; }},
      {"font quote in the face", u"段筋フォント : \"A\\\"B\" 8 1 # \"note\"",
       [] { return g_fontCoords == EnvFont{u"A\"B", 8, 1, 0}; }},
      {"font face ending in a backslash", u"段筋フォント : \"C:\\\" 8",
       [] { return g_fontCoords == EnvFont{u"C:\\", 8, 0, 0}; }},
  };
  for (const ParseCase& c : cases) {
    ResetEnvDefaults();
    Read(c.lines);
    EXPECT_TRUE(c.holds()) << c.name;
  }
  // Only the keys a file holds change.
  ResetEnvDefaults();
  Read(u"ルール確認 : 0\r\n");
  g_bCheckRules = 1;
  EXPECT_EQ(FormatEnvFile(), DefaultFileText());
}

TEST_F(EnvTest, EmptyQuotedValueKeepsOnlyTheFolderAndProgramKeys) {
  struct Case {
    const char16_t* key;
    std::u16string* text;
    bool keeps;
  };
  const Case cases[] = {
      {u"棋譜パス", &g_szRecordFolder, true},
      {u"通信パス", &g_szCommFolder, true},
      {u"ユーザWAVE", &g_szUserWave, true},
      {u"棋譜保存初期名", &g_szDefaultSaveName, true},
      {u"棋譜データベース", &g_szRecordDbProgram, true},
      {u"詰将棋データベース", &g_szProblemDbProgram, true},
      {u"メール追加名", &g_szMailAppendName, true},
      {u"駒BMP", &g_szPieceBmpFile, false},
      {u"ツールメニュー2", &g_szToolMenu[1], false},
      {u"ツールコマンド1", &g_szToolCommand[0], false},
      {u"ツール引数1", &g_szToolArgs[0], false},
      {u"Iメール宛先", &g_szNetMailTo, false},
      {u"Iメール本文", &g_szNetMailBody, false},
      {u"メール書式１", &g_szMailFormat1, false},
  };
  for (const Case& c : cases) {
    for (const char16_t* rest : {u" :", u" : ", u" :\t"}) {
      ResetEnvDefaults();
      *c.text = u"/old/";
      Read(std::u16string(c.key) + rest + u"\n");
      EXPECT_EQ(*c.text, c.keeps ? u"/old/" : u"") << Utf16ToUtf8(c.key) << " [" << Utf16ToUtf8(rest) << "]";
    }
  }
}

TEST_F(EnvTest, LongLinesAreReadWhole) {
  // A value far past any read buffer: cut to its capacity, and what follows
  // in the same line is never taken for a line of its own.
  std::u16string value(1500, u'x');
  value += u"ルール確認 : 0";
  std::u16string faces(400, u'F');
  Read(u"印刷盤面書式     : " + value + u"\r\n段筋フォント : \"" + faces + u"\" 9\r\n" +
       u"ツール引数1 : \"" + std::u16string(600, u'a') + u"\"\r\n");
  EXPECT_EQ(g_szPrintBoardHeader, std::u16string(kEnvPathCapacity - 1, u'x'));
  EXPECT_EQ(g_bCheckRules, 1);
  EXPECT_EQ(g_fontCoords.face, std::u16string(kEnvFontFaceCapacity - 1, u'F'));
  EXPECT_EQ(g_fontCoords.size, 9);
  EXPECT_EQ(g_szToolArgs[0], std::u16string(kEnvTextCapacity - 1, u'a'));
}

TEST_F(EnvTest, HandWrittenFile) {
  // LF line ends, no byte-order mark, comments, odd spacing, unknown keys and
  // values that are no numbers.
  TempDir dir;
  std::u16string path = PathFromNative(DataPath("hand_written.env"));
  ASSERT_EQ(ReadEnvFile(path), 0);
  EXPECT_EQ(g_bCheckRules, 0);
  EXPECT_EQ(g_nMoveNotation, 1);
  EXPECT_EQ(g_nHistorySize, 20);        // 99 pulled into range
  EXPECT_EQ(g_nPieceSet, 5);            // no such piece set
  EXPECT_EQ(g_nReplaySpeed, 0);         // not a number
  EXPECT_EQ(g_rcMainWindow, (WindowPlacement{100, 50, 655, 524}));
  EXPECT_EQ(g_rgbBoard, (EnvColor{10, 20, 30}));
  EXPECT_EQ(g_szRecordFolder, u"/home/user/kifu/");
  EXPECT_EQ(g_szCommFolder, u"/tmp/x/");  // nothing after the colon keeps it
  EXPECT_EQ(g_szBoardTextFormat, u"\"手数\"=%n");
  EXPECT_EQ(g_szUserInfoName[4], u"相手アドレス");  // key without blank before ":"
  EXPECT_EQ(g_fontInfo, (EnvFont{u"IPAexGothic", 15, 1, 0}));
  EXPECT_EQ(g_szToolArgs[0], u"--open \"%K\"");
  EXPECT_EQ(g_szToolMenu[0], u"棋譜ファイルをエディタで開く");  // tool 7 ignored
  EXPECT_EQ(g_nMaxRecordSize, 10000);   // -5 keeps the limit
  EXPECT_EQ(g_bBackup, 1);              // the last of two lines
  // With a byte-order mark and CR LF the same text reads the same.
  ResetEnvDefaults();
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  std::string crlf = "\xEF\xBB\xBF";
  for (char c : bytes) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::u16string copy = dir.Folder() + u"bom.env";
  ASSERT_TRUE(WriteFileBytes(copy, crlf));
  ASSERT_EQ(ReadEnvFile(copy), 0);
  EXPECT_EQ(g_nMoveNotation, 1);
  EXPECT_EQ(g_szBoardTextFormat, u"\"手数\"=%n");
  EXPECT_EQ(g_szToolArgs[0], u"--open \"%K\"");
}

// ---------------------------------------------------------------------------
// Files and folders

TEST_F(EnvTest, FolderFallbackAndMissingFile) {
  TempDir dir;
  const std::u16string data = dir.Folder("data"), program = dir.Folder("program");
  g_szDataFolder = data;
  g_szProgramFolder = program;
  g_szEnvFolder = data;
  auto put = [](const std::u16string& path, const char* notation) {
    ASSERT_TRUE(WriteFileBytes(path, std::string("指し手表記 : ") + notation + "\n"));
  };
  struct Case {
    const char* name;
    std::vector<std::pair<std::u16string, const char*>> files;
    int result;
    int notation;
  };
  const Case cases[] = {
      {"none", {}, -1, 2},
      {"program only", {{program + u"NARVO.env", "1"}}, 0, 1},
      {"both folders", {{program + u"NARVO.ENV", "1"}, {data + u"NARVO.ENV", "3"}}, 0, 3},
      {"upper case first", {{data + u"NARVO.env", "1"}, {data + u"NARVO.ENV", "0"}}, 0, 0},
      {"lower case in data before program", {{data + u"NARVO.env", "0"}, {program + u"NARVO.ENV", "3"}}, 0, 0},
  };
  for (const Case& c : cases) {
    std::system(("rm -f '" + PathToNative(data) + "'* '" + PathToNative(program) + "'*").c_str());
    for (const auto& f : c.files) put(f.first, f.second);
    ResetEnvDefaults();
    RecordingUi ui;
    EXPECT_EQ(ReadEnvAtStart(), c.result) << c.name;
    EXPECT_EQ(g_nMoveNotation, c.notation) << c.name;
    EXPECT_EQ(g_bDefaultSettings, c.result ? 1 : 0) << c.name;
    EXPECT_TRUE(ui.boxes.empty()) << c.name;  // told only for a named file
  }

  // A file named on the command line that is missing is reported.
  ResetEnvDefaults();
  g_szEnvName = u"TEST";
  g_bCmdLineEnv = 1;
  RecordingUi ui;
  EXPECT_EQ(ReadEnvAtStart(), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            u"環境ファイル(" + data + u"TEST.ENV)が存在しませんので、標準設定で起動します。");
  EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconWarning);
  EXPECT_EQ(ui.warnings, 1);

  // A missing path changes nothing.
  ResetEnvDefaults();
  EXPECT_EQ(ReadEnvFile(data + u"nothing.env"), -1);
  EXPECT_EQ(FormatEnvFile(), DefaultFileText());
}

TEST_F(EnvTest, AFileThatCannotBeReadIsToldOnceAndNotWrittenOver) {
  TempDir dir;
  ScratchFolder hostile("env_hostile");
  g_szDataFolder = g_szEnvFolder = dir.Folder("data");
  g_szProgramFolder = dir.Folder("program");
  const std::u16string target = g_szDataFolder + u"NARVO.ENV";
  // A readable file in the program folder must not be taken in its place.
  ASSERT_TRUE(WriteFileBytes(g_szProgramFolder + u"NARVO.ENV", "指し手表記 : 1\n"));
  for (const HostileInput& in : HostileInputs(hostile)) {
    SCOPED_TRACE(in.name);
    std::remove(PathToNative(target).c_str());
    ASSERT_EQ(symlink(in.path.c_str(), PathToNative(target).c_str()), 0);
    ResetEnvDefaults();
    RecordingUi ui;
    EXPECT_EQ(ReadEnvAtStart(), -1);
    EXPECT_EQ(g_nMoveNotation, 2);
    EXPECT_EQ(g_bDefaultSettings, 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, u"環境ファイル(" + target + u")が読み込めません。標準設定で起動します。");
    EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconWarning);
    // At exit the file (here the link to it) is left alone, without a word.
    EXPECT_EQ(WriteEnvAtExit(), 0);
    EXPECT_EQ(ui.boxes.size(), 1u);
    struct stat st;
    ASSERT_EQ(lstat(PathToNative(target).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
  }
  // A real folder in the file's place, as well.
  std::remove(PathToNative(target).c_str());
  dir.Folder("data/NARVO.ENV");
  ResetEnvDefaults();
  RecordingUi ui;
  EXPECT_EQ(ReadEnvAtStart(), -1);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(WriteEnvAtExit(), 0);
}

TEST_F(EnvTest, WhatIsWrittenAtExitIsReadAtStart) {
  TempDir dir;
  g_szDataFolder = g_szEnvFolder = dir.Folder("data");
  g_szProgramFolder = dir.Folder("program");
  g_nMoveNotation = 0;
  ASSERT_EQ(WriteEnvAtExit(), 0);
  EXPECT_EQ(EnvFilePath(), g_szDataFolder + u"NARVO.ENV");
  ResetEnvDefaults();
  EXPECT_EQ(ReadEnvAtStart(), 0);
  EXPECT_EQ(g_nMoveNotation, 0);
}

TEST_F(EnvTest, FailedWriteKeepsOldFileAndIsReported) {
  TempDir dir;
  // The target is a folder: the rename fails and the folder stays as it was.
  std::u16string blocked = dir.Folder("NARVO.ENV");
  ASSERT_TRUE(WriteFileBytes(blocked + u"inside", "old"));
  EXPECT_EQ(WriteEnvFile(dir.Folder() + u"NARVO.ENV"), -1);
  EXPECT_EQ(FileBytes(blocked + u"inside"), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"NARVO.ENV"});  // no temporary left
  EXPECT_EQ(WriteEnvFile(dir.Folder() + u"missing/NARVO.ENV"), -1);

  g_szEnvFolder = dir.Folder();
  RecordingUi ui;
  EXPECT_EQ(WriteEnvAtExit(), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find(dir.Folder() + u"NARVO.ENV"), std::u16string::npos);
  EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconError);

  // An existing file is replaced whole.
  std::u16string file = dir.Folder("ok") + u"NARVO.ENV";
  ASSERT_TRUE(WriteFileBytes(file, std::string(100000, 'z')));
  ASSERT_EQ(WriteEnvFile(file), 0);
  EXPECT_EQ(FileBytes(file), Utf16ToUtf8(DefaultFileText(), true));
}

TEST(Folders, NormalizeFolderPath) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"", u""},          {u".", u""},       {u"./", u""},       {u".\\", u""},
      {u"/a", u"/a/"},     {u"/a/", u"/a/"},  {u"a:", u"a:/"},    {u"..", u"../"},
  };
  for (const auto& [in, out] : cases) {
    std::u16string f = in;
    NormalizeFolderPath(f);
    EXPECT_EQ(f, out) << Utf16ToUtf8(in);
  }
}

TEST(Folders, DataFolderIsMadeUnderXdgDataHome) {
  TempDir dir;
  std::string root = PathToNative(dir.Folder());
  std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* oldXdgRaw = std::getenv("XDG_DATA_HOME");
  std::string oldXdg = oldXdgRaw ? oldXdgRaw : "";
  InitProgramFolder();
  EXPECT_FALSE(g_szProgramFolder.empty());
  EXPECT_EQ(g_szProgramFolder.back(), u'/');
  EXPECT_EQ(g_szModulePath.substr(0, g_szProgramFolder.size()), g_szProgramFolder);

  setenv("HOME", (root + "home").c_str(), 1);
  setenv("XDG_DATA_HOME", (root + "xdg/").c_str(), 1);
  EXPECT_EQ(InitDataFolders(), 0);
  EXPECT_EQ(g_szDataFolder, PathFromNative(root) + u"xdg/Morivane/DovuV7/");
  EXPECT_EQ(g_szEnvFolder, g_szDataFolder);
  struct stat st;
  EXPECT_EQ(stat(PathToNative(g_szDataFolder).c_str(), &st), 0);

  // A relative XDG_DATA_HOME is passed over for the default under HOME.
  setenv("XDG_DATA_HOME", "relative", 1);
  EXPECT_EQ(InitDataFolders(), 0);
  EXPECT_EQ(g_szDataFolder, PathFromNative(root) + u"home/.local/share/Morivane/DovuV7/");
  EXPECT_EQ(g_szDocumentsFolder, PathFromNative(root) + u"home/");

  // A folder that cannot be made leaves the program folder in place.
  ASSERT_TRUE(WriteFileBytes(PathFromNative(root) + u"file", "x"));
  setenv("XDG_DATA_HOME", (root + "file").c_str(), 1);
  EXPECT_EQ(InitDataFolders(), -1);
  EXPECT_EQ(g_szDataFolder, g_szProgramFolder);

  setenv("HOME", oldHome.c_str(), 1);
  if (oldXdgRaw)
    setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

TEST(Fonts, FaceNamesMapToInstalledFamilies) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"ＭＳ 明朝", u"IPAMincho"},
      {u"ＭＳ ゴシック", u"IPAGothic"},
      {u"ＭＳ Ｐゴシック", u"IPAPGothic"},
      {u"ＭＳ Ｐ明朝", u"IPAPMincho"},
      {u"IPAexGothic", u"IPAexGothic"},
      {u"Sans", u"Sans"},
  };
  for (const auto& [face, family] : cases) EXPECT_EQ(MapFontFace(face), family);
  EXPECT_EQ(MapFontFamilies(u"ＭＳ Ｐゴシック"),
            (std::vector<std::u16string>{u"IPAPGothic", u"IPAexGothic"}));
  EXPECT_EQ(MapFontFamilies(u"ＭＳ 明朝"),
            (std::vector<std::u16string>{u"IPAMincho", u"IPAexMincho"}));
  EXPECT_EQ(MapFontFamilies(u"Sans"), (std::vector<std::u16string>{u"Sans"}));
}
