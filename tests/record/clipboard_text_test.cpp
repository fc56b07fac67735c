// Copies of records, positions, SFEN and templates, and their paste and merge.
#include "record/clipboard_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "record/board.h"
#include "record/clipboard_paste.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/position_loader.h"
#include "tests/support/record_dump.h"
#include "tests/support/recording_ui.h"
#include "tests/support/text_lines.h"

namespace {

std::u16string DataPath(const std::string& name) {
  return PathFromNative(std::string(NARVO_TEST_DATA) + "/records/" + name);
}

std::string Show(const std::u16string& text) { return Utf16ToUtf8(text); }

class ClipboardTextTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
    g_bBoardFlipped = 0;
  }
  void TearDown() override { ResetEnvDefaults(); }
  void Load(const std::string& name) {
    ASSERT_EQ(ReadRecordFile(true, DataPath(name + ".dovu")), 0) << name;
  }
  // To move n of the current line, as the view's navigation leaves it.
  void GoTo(int n) {
    CopyBoardState(g_Board, g_StartBoard);
    g_Record.current = g_Record.Root();
    g_Record.moveNumber = 0;
    for (int k = 1; k <= n; ++k) {
      RecordNode* nd = GetNodeAtMove(k, g_Record);
      ASSERT_NE(nd, nullptr);
      if (IsBoardMoveNode(*nd)) MakeMoveOnBoard(g_Board, NodeMoveCode(*nd));
      g_Board.sideToMove = kSente - g_Board.sideToMove;
      g_Record.current = nd;
      g_Record.moveNumber = k;
    }
  }
  RecordingUi ui;
};

// ---- Record copies -----------------------------------------------------------------

const char kEvenHeader[] =
    "開始日時：2024/01/06(土) 10:00:00\n"
    "棋戦：練習対局\n"
    "持ち時間：各10分\n";

const char kEvenMoves[] =
    "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
    "   2 ３四歩(33)   ( 0:10/00:00:10)\n"
    "   3 ２二角成(88) ( 1:02/00:01:07)\n"
    "   4 同　銀(31)   ( 0:03/00:00:13)\n"
    "   5 ４五角打     ( 0:30/00:01:37)\n"
    "   6 投了         ( 0:20/00:00:33)\n";

TEST_F(ClipboardTextTest, EvenGameCopiesWholeTexts) {
  Load("even");
  const std::string banner = "# ----  Sorvane V7 V7.50 棋譜ファイル  ----\n";
  const std::string names = "先手：山田\n後手：佐藤\n";
  const std::string zr2Head = std::string(kEvenHeader) + names + "\n";
  struct Case {
    const char* what;
    bool zrf;
    int mode;
    std::string expected;
  } cases[] = {
      {"zrf", true, kZrfWholeTree,
       banner + kEvenHeader + "手合割：平手　　\n" + names + "手数----指手---------消費時間--\n" + kEvenMoves +
           "まで5手で先手の勝ち\n"},
      {"zrf line", true, kZrfCurrentLine,
       banner + kEvenHeader + "手合割：平手　　\n" + names + "手数----指手---------消費時間--\n" + kEvenMoves +
           "\nまで5手で先手の勝ち\n"},
      {"zr2", false, kZr2WholeTree,
       zr2Head + "▲７六歩    △３四歩    ▲２二角成  △同　銀    ▲４五角\nまで5手で先手の勝ち\n"},
      {"mate style", false, kZr2MateProblem, zr2Head + "76歩、34歩、22角成、同銀、45角、\nまで5手で先手の勝ち\n"},
      {"zr2 line", false, kZr2CurrentLine,
       zr2Head + "▲７六歩    △３四歩    ▲２二角成  △同　銀    ▲４五角\n△投了\n\nまで5手で先手の勝ち\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::u16string text = u"kept";
    if (c.zrf) WriteZrfToBuffer(text, c.mode);
    else WriteZr2ToBuffer(text, c.mode);
    EXPECT_EQ(Show(text), Show(u"kept" + Crlf(c.expected)));
  }
}

TEST_F(ClipboardTextTest, ZrfCopyOfAnEmptyRecordStillNamesEverything) {
  ResetRecordTree(g_Record);
  std::u16string text;
  WriteZrfToBuffer(text, kZrfWholeTree);
  EXPECT_EQ(Show(text), Show(Crlf("# ----  Sorvane V7 V7.50 棋譜ファイル  ----\n手合割：平手　　\n先手：\n後手：\n"
                                  "手数----指手---------消費時間--\n")));
}

TEST_F(ClipboardTextTest, DiagramStartsCarryTheirPlayersAndSideToMove) {
  Load("position");
  std::u16string zrf, zr2;
  WriteZrfToBuffer(zrf, kZrfWholeTree);
  WriteZr2ToBuffer(zr2, kZr2WholeTree);
  const std::string diagram =
      "後手：佐藤\n後手の持駒：角　\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
      "|v香v桂v銀v金v玉v金 ・v桂v香|一\n| ・v飛 ・ ・ ・ ・ ・v銀 ・|二\n"
      "|v歩v歩v歩v歩v歩v歩 ・v歩v歩|三\n| ・ ・ ・ ・ ・ 角v歩 ・ ・|四\n"
      "| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ 歩 ・ ・ ・ ・ ・ ・|六\n"
      "| 歩 歩 ・ 歩 歩 歩 歩 歩 歩|七\n| ・ ・ ・ ・ ・ ・ ・ 飛 ・|八\n"
      "| 香 桂 銀 金 玉 金 銀 桂 香|九\n+---------------------------+\n先手：山田\n先手の持駒：なし\n後手番\n";
  EXPECT_EQ(Show(zrf), Show(Crlf("# ----  Sorvane V7 V7.50 棋譜ファイル  ----\n場所：将棋会館\n手合割：平手　　\n" +
                                 diagram +
                                 "手数----指手---------消費時間--\n"
                                 "   1 ５二金(41)   ( 0:12/00:00:12)\n   2 ７八銀(79)   ( 0:34/00:00:34)\n"
                                 "   3 ５五角打     ( 2:00/00:02:12)\n   4 同　角(44)   ( 0:01/00:00:35)\n\n")));
  EXPECT_EQ(Show(zr2), Show(Crlf("場所：将棋会館\n" + diagram + "\n△５二金左  ▲７八銀    △５五角    ▲同　角\n")));
}

TEST_F(ClipboardTextTest, VariationsCommentsAndBookmarksFollowEachCopysRules) {
  Load("variations");
  // A second bookmark on move 3: ZRF writes both, ZR2 only the first, the
  // mate-problem style none.
  // (SetBookmark keeps one per node; a record read from elsewhere may hold two.)
  ASSERT_LT(g_Record.bookmarkCount, kMaxBookmarks);
  g_Record.bookmarks[g_Record.bookmarkCount].node = NodeIndex(g_Record, GetNodeAtMove(3, g_Record));
  g_Record.bookmarks[g_Record.bookmarkCount++].name = u"二つ目";
  std::u16string zrf, zr2, mate;
  WriteZrfToBuffer(zrf, kZrfWholeTree);
  WriteZr2ToBuffer(zr2, kZr2WholeTree);
  WriteZr2ToBuffer(mate, kZr2MateProblem);
  EXPECT_NE(zrf.find(u"   3 ２六歩(27)   ( 0:05/00:00:08)\r\n&居飛車\r\n&二つ目\r\n"), std::u16string::npos)
      << Show(zrf);
  EXPECT_NE(zrf.find(u"\r\n変化：2手\r\n   2 ８四歩(83)"), std::u16string::npos);
  EXPECT_NE(zr2.find(u"△３四歩    ▲２六歩\r\n&居飛車\r\n△８四歩"), std::u16string::npos) << Show(zr2);
  EXPECT_NE(zr2.find(u"\r\n変化：2手\r\n"), std::u16string::npos);  // not padded as in the file
  EXPECT_EQ(mate.find(u"&居飛車"), std::u16string::npos);
  EXPECT_NE(mate.find(u"34歩、26歩、84歩、中断、\r\n*ここで中断\r\n"), std::u16string::npos) << Show(mate);
}

TEST_F(ClipboardTextTest, EveryCopyReadsBackToTheSameRecord) {
  // ZR2 keeps no times; everything else comes back.
  auto withoutTimes = [](const std::string& dump) { return std::regex_replace(dump, std::regex(" s[0-9]+"), ""); };
  for (const char* name : {"even", "variations", "handicap", "position", "tsume"}) {
    for (bool zrf : {true, false}) {
      SCOPED_TRACE(std::string(name) + (zrf ? " zrf" : " zr2"));
      Load(name);
      g_bBoardFlipped = 0;  // a copy does not carry the turned board
      const std::string tree = DumpRecord(g_Record);
      std::u16string text;
      if (zrf) WriteZrfToBuffer(text, kZrfWholeTree);
      else WriteZr2ToBuffer(text, kZr2WholeTree);
      ASSERT_EQ(ReadRecordBytes(true, Utf16ToUtf8(text)), 0) << Utf16ToUtf8(g_strRecordReadError);
      if (zrf) EXPECT_EQ(DumpRecord(g_Record), tree) << Show(text);
      else EXPECT_EQ(withoutTimes(DumpRecord(g_Record)), withoutTimes(tree)) << Show(text);
    }
  }
}

TEST_F(ClipboardTextTest, LongCommentsAndLargeRecordsAreCopiedWhole) {
  // A comment far longer than any fixed block once held.
  std::u16string longComment(32765, u'あ');  // with its LF, the most a comment holds
  ASSERT_GT(ParseZr2Move(1, u"７六歩(77)", 1), 0);
  ASSERT_GE(AppendComment(g_Record, 1, longComment), 0);
  std::u16string text;
  WriteZrfToBuffer(text, kZrfWholeTree);
  EXPECT_NE(text.find(u"*" + longComment + u"\r\n"), std::u16string::npos);
  ASSERT_EQ(ReadRecordBytes(true, Utf16ToUtf8(text)), 0);
  ASSERT_NE(GetNodeAtMove(1, g_Record), nullptr);
  EXPECT_EQ(std::u16string(GetNodeAtMove(1, g_Record)->comment), longComment + u"\n");
}

// ---- SFEN ----------------------------------------------------------------------------

TEST_F(ClipboardTextTest, SfenOfPositions) {
  const char* cases[] = {
      "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
      "4k4/9/4+P4/9/9/9/9/9/9 b SG17p4l4n3s3g2b2r 1",
      "ln1g1g1nl/1r2k2+B1/p1ppppp1p/9/9/2P6/PP1PPPP1P/7R1/LNSGKGSNL w 2PSBp 1",
  };
  for (const char* sfen : cases) {
    BoardState board = SfenPosition(sfen);
    EXPECT_EQ(Show(FormatSfen(board)), sfen);
  }
  Load("tsume");
  EXPECT_EQ(Show(FormatSfen(g_StartBoard)), "4k4/9/4+P4/9/9/9/9/9/9 b SG17p4l4n3s3g2b2r 1");
}

// ---- Templates ---------------------------------------------------------------------

TEST_F(ClipboardTextTest, PositionTemplateCodes) {
  Load("even");
  GoTo(4);  // after ▲２二角成 △同　銀
  g_Record.header.place = u"会館";
  g_Record.header.title = u"表題";
  g_Record.header.opening = u"角換わり";
  g_Record.header.publishedIn = u"新聞";
  g_szUserInfoName[0] = u"解説";
  g_Record.header.userItems[0] = u"田中";
  g_szRecordFolder = u"/rec/";
  g_szToday = u"2024年1月6日";
  g_szNowTime = u"10時";
  struct Case {
    const char* tmpl;
    const char* expected;
  } cases[] = {
      {"%n|%N", "4|4"},
      {"%a|%A|%l|%L", "２二同銀|△２二同銀|２二同銀|△２二銀"},
      {"%p|%P", "２二角成|▲２二角成"},
      {"%b|%w|%B", "山田|佐藤|山田"},
      {"%f|%F", "題|/rec/題"},
      {"%g|%e|%i", "2024/01/06(土) 10:00:00||練習対局"},
      {"%h|%m|%r|%s|%u|%1|%2", "会館|各10分|新聞|角換わり|表題|田中|"},
      {"%y %t", "2024年1月6日 10時"},
      {"%%|%c", "%|\n"},
      {"%0i", ""},
      {"%I", "開始日時：2024/01/06(土) 10:00:00\n表題：表題\n棋戦：練習対局\n戦型：角換わり\n持ち時間：各10分\n"
             "場所：会館\n掲載：新聞\n解説：田中\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tmpl);
    g_szBoardTextFormat = U16(c.tmpl);
    std::u16string text;
    AppendPositionText(text, u"題");
    EXPECT_EQ(Show(text), Show(Crlf(std::string(c.expected) + "\n")));
  }
  EXPECT_TRUE(ui.boxes.empty());

  g_nMoveNotation = 1;  // display form, ▽ marks
  g_szBoardTextFormat = u"%A|%L";
  std::u16string display;
  AppendPositionText(display, u"");
  EXPECT_EQ(Show(display), Show(Crlf("▽同　銀(31)|▽２二銀(31)\n")));

  g_szBoardTextFormat = u"%d";
  std::u16string diagram, expected;
  AppendPositionText(diagram, u"");
  FormatBoardDiagram(expected, g_Board);
  EXPECT_EQ(Show(diagram), Show(expected + u"\r\n"));

  // An unknown code: one message for each, the rest copied.
  g_szBoardTextFormat = u"a%qb%qc";
  std::u16string refused;
  AppendPositionText(refused, u"");
  EXPECT_EQ(Show(refused), "abc\r\n");
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(Show(ui.boxes[0].text), "%q は、使用できません。");
  EXPECT_EQ(Show(ui.boxes[0].caption), "局面書式エラー");
  EXPECT_EQ(ui.warnings, 2);
}

TEST_F(ClipboardTextTest, HeaderLinesAtMoveZeroAndTheCommentCode) {
  Load("variations");
  GoTo(0);
  g_szBoardTextFormat = u"[%0i]%*";
  g_Record.header.event = u"棋戦名";
  std::u16string text;
  AppendPositionText(text, u"");
  EXPECT_EQ(Show(text), Show(Crlf("[棋戦：棋戦名\n]*初手から\n\n")));
}

TEST_F(ClipboardTextTest, MailTemplateCodes) {
  Load("even");
  GoTo(4);
  struct Case {
    const char* tmpl;
    const char* expected;
  } cases[] = {
      {"%A|%L|%P", "△２二同銀|△２二銀|▲２二角成"},
      {"%h|%o", "佐藤|山田"},
      {"%I|%i", "練習対局|練習対局"},
      {"%f|%F", "題|題"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tmpl);
    g_szMailFormat1 = U16(c.tmpl);
    std::u16string text;
    AppendMailText(text, 1, u"題");
    EXPECT_EQ(Show(text), c.expected);
  }
  EXPECT_TRUE(ui.boxes.empty());
  g_szMailFormat2 = u"%k";
  std::u16string k, zr2;
  AppendMailText(k, 2, u"");
  WriteZr2ToBuffer(zr2, kZr2WholeTree);
  EXPECT_EQ(Show(k), Show(zr2));
  // %d is the whole position text.
  g_szMailFormat2 = u"%d";
  g_szBoardTextFormat = u"手数＝%n";
  std::u16string d;
  AppendMailText(d, 2, u"");
  EXPECT_EQ(Show(d), "手数＝4\r\n");
  g_szMailFormat1 = u"%g%e%*%0%z";
  std::u16string refused;
  AppendMailText(refused, 1, u"");
  EXPECT_EQ(refused, u"");
  ASSERT_EQ(ui.boxes.size(), 5u);
  EXPECT_EQ(Show(ui.boxes[4].text), "%z は、使用できません。");
  EXPECT_EQ(Show(ui.boxes[4].caption), "メール書式エラー");
}

TEST_F(ClipboardTextTest, IncludedFilesByAbsoluteCurrentAndProgramFolderNames) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("narvo_include_" + std::to_string(::getpid()));
  fs::create_directories(dir / "prog");
  auto put = [](const fs::path& p, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(PathFromNative(p.string()), bytes));
  };
  put(dir / "abs.txt", "一行目\n二行目\n");
  put(dir / "prog" / "p.txt", "\xEF\xBB\xBFprog\r\n");
  put(dir / "cur.txt", "cur");
  const fs::path oldCwd = fs::current_path();
  fs::current_path(dir);
  g_szProgramFolder = PathFromNative((dir / "prog").string());
  struct Case {
    std::string tmpl;
    std::string expected;
  } cases[] = {
      {"<%\"" + (dir / "abs.txt").string() + "\">", "<一行目\n二行目\n>"},
      {"<%\"./cur.txt\">", "<cur>"},
      {"<%\"p.txt\">", "<prog\n>"},
      {"<%\"missing.txt\">", "<>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tmpl);
    g_szBoardTextFormat = U16(c.tmpl);
    std::u16string text;
    AppendPositionText(text, u"");
    EXPECT_EQ(Show(text), Show(Crlf(c.expected + "\n")));
  }
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(Show(ui.boxes[0].text), "ファイル(missing.txt)が読めません。\nカレントフォルダ=" + dir.string());
  g_szBoardTextFormat = u"%\"" + std::u16string(512, u'x') + u"\"end";
  std::u16string text;
  AppendPositionText(text, u"");
  EXPECT_EQ(Show(text), "end\r\n");
  EXPECT_EQ(Show(ui.boxes.back().text), "ファイル名の指定が正しくありません。");
  fs::current_path(oldCwd);
  fs::remove_all(dir);
}

// ---- Position files ------------------------------------------------------------------

TEST_F(ClipboardTextTest, PositionFilesByteForByteAndReadBack) {
  Load("handicap");
  GoTo(3);  // 上手 has moved twice, 下手 once: 下手 to move
  g_szBoardTextFormat = u"%d手数＝%n  %A  まで%c%*";
  const std::string body =
      "上手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
      "|v香v桂v銀v金v玉v金v銀v桂v香|一\n| ・v飛 ・ ・ ・ ・ ・ ・ ・|二\n"
      "|v歩v歩v歩v歩v歩 ・ ・v歩v歩|三\n| ・ ・ ・ ・ ・v歩v歩 ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
      "| ・ ・ 歩 ・ ・ ・ ・ ・ ・|六\n| 歩 歩 ・ 歩 歩 歩 歩 歩 歩|七\n| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八\n"
      "| 香 桂 銀 金 玉 金 銀 桂 香|九\n+---------------------------+\n下手の持駒：なし\n"
      "手数＝3  △４四歩  まで\n下手番\n";
  const std::string expectedSfen = BoardToSfen(g_Board);
  const std::u16string dir = PathFromNative(std::filesystem::temp_directory_path().string());
  for (bool utf8 : {true, false}) {
    SCOPED_TRACE(utf8 ? "UTF-8" : "CP932");
    g_bSaveUtf8 = utf8;
    const std::u16string path = dir + u"/narvo_position_" + IntToU16(::getpid()) + u".bod";
    ASSERT_EQ(WritePositionFile(path, u"題"), 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    const std::u16string text = Crlf(body);
    EXPECT_EQ(bytes, utf8 ? Utf16ToUtf8(text, true) : Utf16ToAnsi(text));
    ASSERT_EQ(ReadRecordFile(utf8, path), 0);
    EXPECT_EQ(BoardToSfen(g_StartBoard), expectedSfen);
    std::filesystem::remove(PathToNative(path));
    Load("handicap");
    GoTo(3);
  }
  EXPECT_EQ(WritePositionFile(u"/nonexistent-dir/x.bod", u""), -1);
}

// ---- Paste and merge ----------------------------------------------------------------

std::string WithoutTimes(const std::string& dump) { return std::regex_replace(dump, std::regex(" s[0-9]+"), ""); }

class ClipboardPasteTest : public ClipboardTextTest {
protected:
  void Load(const std::string& name) {
    ClipboardTextTest::Load(name);
    g_bBoardFlipped = 0;  // a copy does not carry the turned board
  }
  // Everything a paste may change: tree, header, start and shown position.
  static std::string State() { return DumpRecord(g_Record) + "shown=" + BoardToSfen(g_Board); }
};

TEST_F(ClipboardPasteTest, EveryCopyPastesBackToTheSameRecord) {
  for (const char* name : {"even", "variations", "handicap", "position", "tsume"}) {
    for (int copy = 0; copy < 2; ++copy) {
      SCOPED_TRACE(std::string(name) + (copy == 0 ? " zrf" : " zr2"));
      Load(name);
      const std::string before = DumpRecord(g_Record);
      std::u16string text;
      if (copy == 0) WriteZrfToBuffer(text, kZrfWholeTree);
      else WriteZr2ToBuffer(text, kZr2WholeTree);
      ResetRecordTree(g_Record);
      SetInitialBoard(g_Board);
      ASSERT_EQ(ReadRecordFromClipboardText(text, 0), kPasteRead) << Utf16ToUtf8(g_strRecordReadError);
      if (copy == 0) EXPECT_EQ(DumpRecord(g_Record), before);
      else EXPECT_EQ(WithoutTimes(DumpRecord(g_Record)), WithoutTimes(before));
    }
  }
  // SFEN of a position with pieces in hand, copied and pasted.
  Load("tsume");
  const std::string start = BoardToSfen(g_StartBoard);
  const std::u16string sfen = FormatSfen(g_StartBoard);
  ResetRecordTree(g_Record);
  SetInitialBoard(g_Board);
  ASSERT_EQ(ReadRecordFromClipboardText(sfen, 0), kPasteSfen);
  EXPECT_EQ(BoardToSfen(g_Board), start);
  EXPECT_EQ(BoardToSfen(g_StartBoard), start);
  EXPECT_EQ(GetLineLength(g_Record), 0);
}

TEST_F(ClipboardPasteTest, LineEndsTagsDiagramsAndSfen) {
  const std::string kMoves = "先手：甲\n後手：乙\n   1 ７六歩(77)   ( 0:05/00:00:05)\n   2 ３四歩(33)   ( 0:10/00:00:10)\n";
  auto withEnds = [](std::string lines, const char* eol) {
    return std::regex_replace(lines, std::regex("\n"), eol);
  };
  struct Case {
    const char* what;
    std::string text;
    int result;
    const char* start;  // SFEN of the start position
    int moves;
  } cases[] = {
      {"CR LF", withEnds(kMoves, "\r\n"), kPasteRead, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 2},
      {"LF", kMoves, kPasteRead, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 2},
      {"mixed", "先手：甲\r\n後手：乙\n   1 ７六歩(77)   ( 0:05/00:00:05)\r\n   2 ３四歩(33)\n", kPasteRead,
       "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 2},
      {"leading tag", "<pre>先手：甲\n▲７六歩    △３四歩\n", kPasteRead,
       "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 2},
      {"diagram with hands",
       "後手の持駒：飛　角　\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
       "| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n| ・ ・ ・ ・ 歩 ・ ・ ・ ・|三\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九\n"
       "+---------------------------+\n先手の持駒：金二　\n",
       kPasteRead, "4k4/9/4P4/9/9/9/9/9/4K4 b 2Grb 1", 0},
      {"SFEN with 2P", "lnsgkgsnl/1r5b1/ppppppp1p/9/9/9/PPPPPPP2/1B5R1/LNSGKGSNL w 2Pp 1\r\n", kPasteSfen,
       "lnsgkgsnl/1r5b1/ppppppp1p/9/9/9/PPPPPPP2/1B5R1/LNSGKGSNL w 2Pp 1", 0},
      {"SFEN-like, too many pawns", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w 2P 1\n▲７六歩\n",
       kPasteRead, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", 1},
      {"SFEN hands", "8k/9/9/9/9/9/9/9/K8 b 2Pp 1", kPasteSfen, "8k/9/9/9/9/9/9/9/K8 b 2Pp 1", 0},
      {"SFEN empty hands", "8k/9/9/9/9/9/9/9/K8 w -", kPasteSfen, "8k/9/9/9/9/9/9/9/K8 w - 1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetRecordTree(g_Record);
    const int result = ReadRecordFromClipboardText(U16(c.text), 0);
    EXPECT_EQ(result, c.result) << Utf16ToUtf8(g_strRecordReadError);
    EXPECT_EQ(BoardToSfen(g_StartBoard), c.start);
    EXPECT_EQ(GetLineLength(g_Record), c.moves);
  }
  // A lone CR stays in its line; CR LF and LF end lines.
  const auto lines = SplitClipboardLines(u"a\rb\r\nc\nd");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], u"a\rb");
  EXPECT_EQ(lines[1], u"c");
  EXPECT_EQ(lines[2], u"d");
  EXPECT_EQ(StripLeadingTag(u"<a href=x>text"), u"text");
  EXPECT_EQ(StripLeadingTag(u"<no close"), u"<no close");
}

TEST_F(ClipboardPasteTest, TextThatIsNotSfenChangesNothingBeforeItIsRead) {
  const char* notSfen[] = {
      "開始日時：2024/01/06(土) 10:00:00",                       // a record's first line
      "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNLL b - 1",  // ten squares in a rank
      "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1 b - 1",  // eight ranks
      "4+k4/9/9/9/9/9/9/9/4K4 b - 1",                           // promoted king
      "4k4/9/9/9/9/9/9/9/3+GK4 b - 1",                          // promoted gold
      "4k4/9/9/9/9/9/9/9/4K+4 b - 1",                           // "+" before a digit
      "4k4/9/9/9/9/9/9/9/4K4 b K 1",                            // a king in hand
      "4k4/9/9/9/9/9/9/9/4K4 b 19P 1",                          // more than 18
      "4k4/9/9/9/9/9/9/9/4K4 b 3R 1",                           // three rooks
      "4k4/9/9/9/9/9/9/9/4KK3 b - 1",                           // two kings of a side
      "4k4/9/9/9/9/9/9/9/4X4 b - 1",                            // no such piece
      "4k4/9/9/9/9/9/9/9/4K4 x - 1",                            // no such side
  };
  for (const char* text : notSfen) {
    SCOPED_TRACE(text);
    Load("variations");
    const std::string before = State();
    EXPECT_EQ(ParseSfen(U16(text)), 0);
    EXPECT_FALSE(IsSfenText(U16(text)));
    EXPECT_EQ(State(), before);
  }
  // Read as a record instead: the header line is taken.
  EXPECT_EQ(ReadRecordFromClipboardText(u"開始日時：2024/01/06(土) 10:00:00\n▲７六歩\n", 0), kPasteRead);
  EXPECT_EQ(Utf16ToUtf8(g_Record.header.startTime), "2024/01/06(土) 10:00:00");
  EXPECT_EQ(GetLineLength(g_Record), 1);
}

TEST_F(ClipboardPasteTest, TextWithNoRecordLineLeavesTheRecord) {
  Load("even");
  const std::string before = State();
  EXPECT_EQ(ReadRecordFromClipboardText(u"Dear friend,\r\nhow are you?\r\n", 0), kPasteNothing);
  EXPECT_EQ(State(), before);
  // An empty record's copy is a record all the same.
  ResetRecordTree(g_Record);
  ClearRecordHeader(g_Record);
  g_Record.header.firstPlayer.clear();
  g_Record.header.secondPlayer.clear();
  std::u16string empty;
  WriteZrfToBuffer(empty, kZrfWholeTree);
  Load("even");
  EXPECT_EQ(ReadRecordFromClipboardText(empty, 0), kPasteEmpty);
  EXPECT_EQ(GetLineLength(g_Record), 0);
  EXPECT_TRUE(g_Record.header.firstPlayer.empty());
}

TEST_F(ClipboardPasteTest, PastedFileNamesStayInTheRecordFolder) {
  struct Case {
    const char* line;
    const char* name;
  } cases[] = {
      {"ファイル名：game.dovu", "game.dovu"},
      {"ファイル名：../../etc/passwd", "passwd"},
      {"ファイル名：C:\\棋譜\\対局.zrf", "対局.zrf"},
      {"ファイル名：/tmp/", ""},
      {"ファイル名：..", ""},
      {"ファイル名：", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::u16string name = u"old";
    EXPECT_EQ(ReadRecordFromClipboardText(U16(std::string(c.line) + "\n▲７六歩\n"), 0, &name), kPasteRead);
    EXPECT_EQ(Utf16ToUtf8(name), c.name);
  }
}

TEST_F(ClipboardPasteTest, LongCommentLinesPasteWhole) {
  std::u16string comment(32765, u'字');
  ASSERT_GT(ParseZr2Move(1, u"７六歩(77)", 1), 0);
  ASSERT_EQ(AppendComment(g_Record, 1, comment), 0);
  std::u16string text;
  WriteZrfToBuffer(text, kZrfWholeTree);
  ASSERT_EQ(ReadRecordFromClipboardText(text, 0), kPasteRead);
  ASSERT_EQ(GetLineLength(g_Record), 1);
  EXPECT_EQ(std::u16string(GetNodeAtMove(1, g_Record)->comment), comment + u"\n");
}

// ---- Merge ---------------------------------------------------------------------------

TEST_F(ClipboardPasteTest, MergeFollowsEqualMovesAndAddsTheOthers) {
  Load("even");
  const std::u16string pasted =
      u"先手：山田\n後手：佐藤\n   1 ７六歩(77)   ( 0:01/00:00:01)\n   2 ３四歩(33)   ( 0:01/00:00:01)\n"
      u"   3 ６六歩(67)   ( 0:01/00:00:02)\n";
  ASSERT_EQ(CheckMergeCompatible(pasted), 0);
  EXPECT_EQ(ReadRecordFromClipboardText(pasted, 1), kPasteRead);
  // Main line kept; move 3 has the pasted alternative after the old one.
  const RecordNode* third = GetNodeAtMove(3, g_Record);
  ASSERT_NE(third, nullptr);
  ASSERT_NE(third->nextSibling, nullptr);
  EXPECT_EQ(third->nextSibling->to, 66);
  EXPECT_EQ(third->nextSibling->nextSibling, nullptr);
  EXPECT_EQ(GetNodeAtMove(2, g_Record)->nextSibling, nullptr);
  EXPECT_EQ(Utf16ToUtf8(g_Record.header.event), "練習対局");
  EXPECT_GT(g_Record.changeCount, 0);
}

TEST_F(ClipboardPasteTest, MergeOfAnotherStartChangesNothing) {
  struct Case {
    const char* text;
    int result;
    const char* message;
  } cases[] = {
      {"手合割：角落ち\n▲３四歩\n", 1, "手合が違います。"},
      {"後手番\n△３四歩\n", 2, "手番が違います。"},
      {"後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
       "|v香v桂v銀v金v玉v金v銀v桂v香|一\n| ・v飛 ・ ・ ・ ・ ・v角 ・|二\n|v歩v歩v歩v歩v歩v歩v歩v歩v歩|三\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ 歩 ・ ・ ・ ・ ・ ・|六\n"
       "| 歩 歩 ・ 歩 歩 歩 歩 歩 歩|七\n| ・ 角 ・ ・ ・ ・ ・ 飛 ・|八\n| 香 桂 銀 金 玉 金 銀 桂 香|九\n"
       "+---------------------------+\n先手の持駒：なし\n▲２六歩\n",
       3, "開始局面が違います。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Load("even");
    const std::string before = State();
    ui.boxes.clear();
    EXPECT_EQ(CheckMergeCompatible(U16(c.text)), c.result);
    EXPECT_EQ(State(), before);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(ui.boxes[0].text), c.message);
  }
  // SFEN has no moves to merge.
  Load("even");
  const std::string before = State();
  EXPECT_EQ(ReadRecordFromClipboardText(u"8k/9/9/9/9/9/9/9/K8 b - 1", 1), kPasteError);
  EXPECT_EQ(State(), before);
  EXPECT_FALSE(g_strRecordReadError.empty());
}

}  // namespace
