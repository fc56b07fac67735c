#include "record/record_writer.h"

#include <gtest/gtest.h>

#include <regex>
#include <optional>
#include <string>

#include "record/board.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/file_faults.h"
#include "tests/support/position_loader.h"
#include "tests/support/record_dump.h"
#include "tests/support/recording_ui.h"

namespace {

std::u16string DataPath(const std::string& name) {
  return PathFromNative(std::string(NARVO_TEST_DATA) + "/records/" + name);
}

std::string ReadBytes(const std::u16string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(path, bytes)) << Utf16ToUtf8(path);
  return bytes;
}

// The file as the writer would put it out: CR LF line ends, and in UTF-8 the
// byte-order mark.
std::string FileText(std::string_view utf8Lines, bool utf8) {
  std::u16string text;
  for (char16_t c : U16(utf8Lines)) {
    if (c == u'\n') text += u'\r';
    text += c;
  }
  return utf8 ? Utf16ToUtf8(text, true) : Utf16ToAnsi(text);
}

enum class Format { Zrf, Zr2 };

std::string WriteToMemory(Format format, bool utf8) {
  RecordTextFile file;
  file.OpenMemory(utf8);
  if (format == Format::Zrf) {
    EXPECT_EQ(WriteZrfText(utf8, file), 0);
  } else {
    if (utf8) WriteRecordText(utf8, file, u"#ZR2 version=2.0 encoding=UTF-8\n");
    EXPECT_EQ(WriteZr2Record(file, utf8, false), 0);
  }
  return file.Bytes();
}

class RecordWriterTest : public ::testing::Test {
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

  // Plays moves in display notation ("７六歩(77)", "同　銀(31)", "４五角打")
  // from the start position, each with its seconds.
  void Play(std::initializer_list<std::pair<const char*, int>> moves) {
    for (auto [text, seconds] : moves) {
      ASSERT_GT(ParseZr2Move(g_Record.moveNumber + 1, U16(text), seconds), 0) << text;
    }
  }

  // Back to the start as a reader leaves the record.
  void Rewind() {
    CopyBoardState(g_Board, g_StartBoard);
    g_Record.current = g_Record.Root();
    g_Record.moveNumber = 0;
  }

  RecordingUi ui;
};

// ---- Golden files ----------------------------------------------------------------

struct Golden {
  const char* name;
  bool omitTimes;  // ZRF時間省略 on
};
const Golden kGoldens[] = {
    {"even", false},      // a game with times and a result
    {"variations", false},  // variations at two depths, comments, bookmarks, 中断
    {"handicap", true},   // 角落ち with 下手/上手, short names, no times
    {"position", false},  // a start that needs its diagram, 盤面回転, second to move
    {"tsume", false},     // a mate problem with its author and 詰み
};

struct Variant {
  const char* ext;
  Format format;
  bool utf8;
  bool marked;  // a byte-order mark or a format line names the encoding
};
const Variant kVariants[] = {
    {".dovu", Format::Zrf, true, true},
    {".zrf", Format::Zrf, false, true},
    {".zr2u", Format::Zr2, true, true},
    {".zr2", Format::Zr2, false, false},
};

TEST_F(RecordWriterTest, GoldenFilesReadAndWriteBackByteForByte) {
  for (const Golden& g : kGoldens) {
    for (const Variant& v : kVariants) {
      SCOPED_TRACE(std::string(g.name) + v.ext);
      g_bZrfOmitTimes = g.omitTimes;
      const std::u16string path = DataPath(std::string(g.name) + v.ext);
      // Where the file names its encoding, the caller's guess is the wrong one.
      const bool guess = v.marked ? !v.utf8 : v.utf8;
      ASSERT_EQ(ReadRecordFile(guess, path), 0) << Utf16ToUtf8(g_strRecordReadError);
      const std::string tree = DumpRecord(g_Record);
      EXPECT_EQ(g_Record.changeCount, 0);
      EXPECT_EQ(WriteToMemory(v.format, v.utf8), ReadBytes(path));

      // Read back what was written: the same tree, texts and times.
      const std::string written = WriteToMemory(v.format, v.utf8);
      ASSERT_EQ(ReadRecordBytes(guess, written), 0);
      EXPECT_EQ(DumpRecord(g_Record), tree);
      EXPECT_TRUE(ui.boxes.empty());
    }
  }
}

TEST_F(RecordWriterTest, AllFormatsOfOneRecordHoldTheSameMoves) {
  // ZR2 keeps no times; everything else of the tree is the same in all four.
  auto movesOnly = [](const std::string& dump) {
    return std::regex_replace(dump, std::regex(" s[0-9]+"), "");
  };
  for (const Golden& g : kGoldens) {
    SCOPED_TRACE(g.name);
    std::string first;
    for (const Variant& v : kVariants) {
      ASSERT_EQ(ReadRecordFile(v.utf8, DataPath(std::string(g.name) + v.ext)), 0);
      std::string dump = movesOnly(DumpRecord(g_Record));
      if (first.empty()) first = dump;
      EXPECT_EQ(dump, first) << v.ext;
    }
  }
}

TEST_F(RecordWriterTest, RecordBuiltMoveByMoveMatchesTheGoldenFile) {
  // Built without the reader, so the golden file checks the writer alone.
  g_Record.header.startTime = u"2024/01/06(土) 10:00:00";
  g_Record.header.event = u"練習対局";
  g_Record.header.timeLimit = u"各10分";
  g_Record.header.firstPlayer = u"山田";
  g_Record.header.secondPlayer = u"佐藤";
  Play({{"７六歩(77)", 5}, {"３四歩(33)", 10}, {"２二角成(88)", 62}, {"同　銀(31)", 3},
        {"４五角打", 30}, {"投了", 20}});
  Rewind();
  g_Record.changeCount = 7;
  for (const Variant& v : kVariants) {
    SCOPED_TRACE(v.ext);
    EXPECT_EQ(WriteToMemory(v.format, v.utf8), ReadBytes(DataPath(std::string("even") + v.ext)));
  }
  EXPECT_EQ(g_Record.changeCount, 7);  // writing to memory is no save
}

// ---- Files: creation, failures, the change counter -----------------------------------

TEST_F(RecordWriterTest, SavingResetsTheChangeCounterOnlyWhenTheFileIsWritten) {
  Play({{"７六歩(77)", 1}, {"３四歩(33)", 2}});
  Rewind();
  const std::string dir = ::testing::TempDir();
  struct Case {
    std::string path;
    int zrf, zr2;
  };
  const Case cases[] = {
      {dir + "/saved.dovu", 0, 0},
      {dir + "/no-such-folder/x.zrf", -1, -1},  // cannot be created
      {"/dev/full", -1, -1},                     // no regular file: refused
      {dir + "/full.zrf", 2, 2},                 // created, but the disk is full
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::optional<FileSizeLimit> full;
    if (c.path.ends_with("full.zrf")) full.emplace(20);
    g_Record.changeCount = 3;
    EXPECT_EQ(WriteZrfRecord(true, PathFromNative(c.path)), c.zrf);
    EXPECT_EQ(g_Record.changeCount, c.zrf == 0 ? 0 : 3);
    g_Record.changeCount = 3;
    EXPECT_EQ(WriteZr2File(false, PathFromNative(c.path)), c.zr2);
    EXPECT_EQ(g_Record.changeCount, c.zr2 == 0 ? 0 : 3);
  }
  // What was saved reads back.
  ASSERT_EQ(WriteZrfRecord(false, PathFromNative(dir + "/saved.zrf")), 0);
  const std::string before = DumpRecord(g_Record);
  ASSERT_EQ(ReadRecordFile(false, PathFromNative(dir + "/saved.zrf")), 0);
  EXPECT_EQ(DumpRecord(g_Record), before);
}

TEST_F(RecordWriterTest, OutputFileConvertsLineEndsAndEncodings) {
  RecordTextFile utf8, ansi;
  utf8.OpenMemory(true);
  ansi.OpenMemory(false);
  EXPECT_EQ(WriteRecordText(true, utf8, u"%s：%d\n", u"手数", 12), 9 + 4);  // bytes
  WriteRecordText(false, ansi, u"%s：%d\n", u"手数", 12);
  EXPECT_EQ(utf8.Bytes(), "\xEF\xBB\xBF" + Utf16ToUtf8(u"手数：12\r\n"));
  EXPECT_EQ(ansi.Bytes(), "\x8E\xE8\x90\x94\x81\x46" "12\r\n");
  RecordTextFile closed;
  EXPECT_LT(closed.Write(u"x"), 0);
  EXPECT_EQ(closed.Close(), -1);

  // The text waits in memory: byte counts, the order of mixed encodings and
  // the halves of a pair written apart come out as written call by call.
  RecordTextFile mixed;
  mixed.OpenMemory(false);
  EXPECT_EQ(mixed.Write(u"手数\n", false), 6);
  EXPECT_EQ(mixed.Write(u"𠮷\xD83D", false), 2);
  EXPECT_EQ(mixed.Write(u"\xDE00x", false), 2);
  EXPECT_EQ(mixed.Write(u"歩\n", true), 5);
  EXPECT_EQ(mixed.Write(u"歩", false), 2);
  EXPECT_EQ(mixed.Bytes(), "\x8E\xE8\x90\x94\r\n???x" + Utf16ToUtf8(u"歩\r\n") + "\x95\xE0");
  EXPECT_EQ(mixed.Close(), 0);
}

TEST_F(RecordWriterTest, LargeOutputsReachTheFileWhole) {
  // Several megabytes go out in pieces; the file holds what memory would.
  const std::string path = ::testing::TempDir() + "/large.txt";
  const std::u16string line = u"１２３歩 (77)\n";
  for (bool utf8 : {true, false}) {
    SCOPED_TRACE(utf8);
    RecordTextFile memory, file;
    memory.OpenMemory(utf8);
    ASSERT_TRUE(file.Open(PathFromNative(path), utf8));
    for (int i = 0; i < 200000; ++i) {
      memory.Write(line, utf8);
      file.Write(line, utf8);
    }
    EXPECT_EQ(file.Close(), 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(PathFromNative(path), bytes));
    EXPECT_EQ(bytes, memory.Bytes());
  }
  FileSizeLimit limit(100000);  // the disk fills up part-way
  RecordTextFile full;
  ASSERT_TRUE(full.Open(PathFromNative(path), true));
  for (int i = 0; i < 200000; ++i) full.Write(line);
  EXPECT_EQ(full.Close(), -1);
}

TEST_F(RecordWriterTest, AnOutputHoldsOnlyItsOwnText) {
  // One output's buffer serves the next, and an output goes on after its
  // bytes were read: nothing of an earlier text may show.
  {
    RecordTextFile big;
    big.OpenMemory(true);
    for (int i = 0; i < 100000; ++i) big.Write(u"１２３歩 (77)\n");
  }
  RecordTextFile small;
  small.OpenMemory(false);
  small.Write(u"abc\n");
  EXPECT_EQ(small.Bytes(), "abc\r\n");
  small.Write(u"d", true);
  EXPECT_EQ(small.Bytes(), "abc\r\nd");
  for (int i = 0; i < 1000; ++i) small.Write(u"e", true);
  EXPECT_EQ(small.Bytes(), "abc\r\nd" + std::string(1000, 'e'));
}

// ---- Pieces of the files ---------------------------------------------------------------

TEST_F(RecordWriterTest, HeadsOfBothFormatsHoldEveryItemInItsPlace) {
  // Every item set, each value its own name followed by 値, in a handicap
  // game on a turned board.
  for (const HeaderItemInfo& item : g_HeaderItems)
    g_Record.header.*item.field = std::u16string(item.name) + u"値";
  g_szUserInfoName[0] = u"段位";
  g_Record.header.userItems[0] = u"四段";
  g_Record.header.userItems[4] = u"a@b";  // 相手アドレス
  g_Record.header.firstPlayer = u"甲";
  g_Record.header.secondPlayer = u"乙";
  g_Record.header.firstShortName = u"甲甲";
  g_Record.header.secondShortName = u"乙乙";
  g_bBoardFlipped = 1;
  SetHandicapBoard(g_StartBoard, 1);
  CheckStartPosition(g_StartBoard);
  CopyBoardState(g_Board, g_StartBoard);
  const std::string items =
      "開始日時：開始日時値\n終了日時：終了日時値\n表題：表題値\n棋戦：棋戦値\n戦型：戦型値\n"
      "持ち時間：持ち時間値\n消費時間：消費時間値\n場所：場所値\n掲載：掲載値\n作品番号：作品番号値\n"
      "作品名：作品名値\n作者：作者値\n発表誌：発表誌値\n発表年月：発表年月値\n出典：出典値\n"
      "手数：手数値\n完全性：完全性値\n分類：分類値\n受賞：受賞値\n備考：備考値\n"
      "段位：四段\n相手アドレス：a@b\n";
  const std::string names = "下手：甲\n上手：乙\n先手省略名：甲甲\n後手省略名：乙乙\n";
  EXPECT_EQ(WriteToMemory(Format::Zrf, true),
            FileText("#ZRF version=2.0 encoding=UTF-8\n# ---- Sorvane V7 V7.50 棋譜ファイル ----\n"
                     "盤面回転\n" + items + "手合割：香落ち　\n" + names +
                         "手数----指手---------消費時間--\n",
                     true));
  EXPECT_EQ(WriteToMemory(Format::Zr2, false),
            FileText("盤面回転\n" + items + "手合割：香落ち　\n" + names + "\n", false));
  RecordTextFile mail;
  mail.OpenMemory(false);
  ASSERT_EQ(WriteZr2Record(mail, false, true), 0);
  EXPECT_EQ(mail.Bytes(), FileText(items + "手合割：香落ち　\n" + names + "\n", false));

  // Both read back to the same header.
  const std::string before = DumpRecord(g_Record);
  for (const Variant& v : kVariants) {
    SCOPED_TRACE(v.ext);
    ASSERT_EQ(ReadRecordBytes(v.utf8, WriteToMemory(v.format, v.utf8)), 0);
    EXPECT_EQ(DumpRecord(g_Record), before);
  }
}

TEST_F(RecordWriterTest, StartDiagramNamesAnUnusualSideToMove) {
  struct Case {
    int handicap, side;
    const char* head;  // the diagram's first line
    const char* tail;  // and its last lines
  };
  const Case cases[] = {
      {0, kGote, "後手の持駒：なし\n", "+---------------------------+\n先手の持駒：なし\n後手番\n"},
      {0, kSente, "後手の持駒：なし\n", "+---------------------------+\n先手の持駒：なし\n"},
      {1, kSente, "上手の持駒：なし\n", "+---------------------------+\n下手の持駒：なし\n下手番\n"},
      {1, kGote, "上手の持駒：なし\n", "+---------------------------+\n下手の持駒：なし\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    SetHandicapBoard(g_StartBoard, c.handicap);
    g_StartBoard.sideToMove = c.side;
    RecordTextFile file;
    file.OpenMemory(true);
    WriteStartDiagram(true, file);
    const std::string text = file.Bytes();
    const std::string head = FileText(c.head, true), tail = FileText(c.tail, true).substr(3);
    ASSERT_GE(text.size(), head.size() + tail.size());
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  }
}

TEST_F(RecordWriterTest, HandLinesCountInKanji) {
  struct Case {
    const char* sfen;
    int handicap;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"4k4/9/9/9/9/9/9/9/4K4 b 11Pr", 0, "先手の持駒：歩十一　", "後手の持駒：飛　"},
      {"4k4/9/9/9/9/9/9/9/4K4 b 10PRB2G3S4N2L", 0,
       "先手の持駒：飛　角　金二　銀三　桂四　香二　歩十　", "後手の持駒：なし"},
      {"4k4/9/9/9/9/9/9/9/4K4 b 2pP", 3, "下手の持駒：歩　", "上手の持駒：歩二　"},
  };
  for (const Case& c : cases) {
    BoardState b = SfenPosition(c.sfen);
    b.handicap = c.handicap;
    EXPECT_EQ(Utf16ToUtf8(FormatHandLine(b, kSente)), c.first);
    EXPECT_EQ(Utf16ToUtf8(FormatHandLine(b, kGote)), c.second);
  }
}

TEST_F(RecordWriterTest, ResultLinesNameTheWinnerWithoutTouchingTheRoot) {
  struct Case {
    int handicap;   // of the start
    int startSide;
    int code;
    int n;          // move number of the end node
    const char* author;
    bool firstKing;
    const char* line;
  };
  const Case cases[] = {
      {0, kSente, kEndResign, 65, "", true, "まで64手で後手の勝ち\n"},
      {0, kSente, kEndResign, 64, "", true, "まで63手で先手の勝ち\n"},
      {0, kSente, kEndResign, 1, "", true, "まで0手で後手の勝ち\n"},
      {3, kGote, kEndResign, 5, "", true, "まで4手で下手の勝ち\n"},
      {3, kGote, kEndResign, 1, "", true, "まで0手で下手の勝ち\n"},
      {0, kSente, kEndTimeLoss, 11, "", true, "まで10手で時間切れにより後手の勝ち\n"},
      {0, kSente, kEndEnteringKing, 11, "", true, "まで10手で先手の入玉勝ち\n"},
      {0, kSente, kEndIllegalWin, 11, "", true, "まで10手で先手の反則勝ち\n"},
      {0, kSente, kEndIllegalLoss, 11, "", true, "まで10手で先手の反則負け\n"},
      {0, kSente, kEndSuspend, 7, "", true, "まで6手で中断\n"},
      {0, kSente, kEndNoMate, 7, "", true, "まで6手で不詰\n"},
      {0, kSente, kEndRepetition, 7, "", true, "まで6手で千日手\n"},
      {0, kSente, kEndImpasse, 7, "", true, "まで6手で持将棋\n"},
      {0, kSente, kEndMate, 9, "", true, "まで8手で詰\n"},
      {0, kSente, kEndMate, 9, "作者", true, "まで8手詰\n"},
      {0, kSente, kEndMate, 9, "", false, "まで8手詰\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SetHandicapBoard(g_StartBoard, c.handicap);
    g_StartBoard.sideToMove = c.startSide;
    if (!c.firstKing) g_StartBoard.squares[59] = kEmpty;
    g_Record.header.author = U16(c.author);
    g_Record.Root()->piece = 0x55;
    RecordNode end{};
    end.from = kEndFrom;
    end.to = uint8_t(c.code);
    EXPECT_EQ(Utf16ToUtf8(FormatResultLine(&end, c.n)), c.line);
    EXPECT_EQ(g_Record.Root()->piece, 0x55);
  }
  RecordNode move{};
  move.from = 77;
  move.to = 76;
  EXPECT_EQ(FormatResultLine(&move, 3), u"\n");
  EXPECT_EQ(FormatResultLine(&move, 0), u"");
}

TEST_F(RecordWriterTest, CommentsWrapWithoutSplittingCharacters) {
  struct Case {
    bool utf8;
    bool wrap;
    int column;
    const char* comment;
    const char* lines;  // what follows the "*" marks, in UTF-8
  };
  const Case cases[] = {
      {true, false, 20, "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十\n",
       "*一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十\n"},
      {true, true, 20, "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十\n",
       "*一二三四五六七八九十一二三四五六七八九十\n*一二三四五六七八九十\n"},
      // Exactly the column: no break before the line's own end.
      {true, true, 4, "abcd\n\nef\n", "*abcd\n*\n*ef\n"},
      // A surrogate pair at the column moves whole to the next line.
      {true, true, 4, "abc\xF0\x9F\x98\x80" "d\n", "*abc\n*\xF0\x9F\x98\x80" "d\n"},
      // In the code page, bytes count and a double-byte character stays whole.
      {false, true, 4, "abc漢字\n", "*abc\n*漢字\n"},
      {false, true, 4, "ab漢字x\n", "*ab漢\n*字x\n"},
      // A lone CR would end the line when read back: it is a break.
      {true, false, 80, "one\rtwo\r\nthree\n", "*one\n*two\n*three\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.comment);
    g_bCommentAutoWrap = c.wrap;
    g_nCommentWrapColumn = c.column;
    RecordTextFile file;
    file.OpenMemory(c.utf8);
    WriteCommentLines(c.utf8, file, U16(c.comment));
    EXPECT_EQ(file.Bytes(), FileText(c.lines, c.utf8));
  }
}

TEST_F(RecordWriterTest, NotesAreKeptUnlessAUserItemOfThatNameHasAValue) {
  g_Record.header.notes = u"備考の内容";
  g_Record.header.publishedIn = u"将棋世界";
  struct Case {
    const char* userName;
    const char* userValue;
    bool notesWritten;
    bool publishedWritten;
  };
  const Case cases[] = {
      {"", "", true, true},
      {"備考", "", true, true},  // an empty item of that name hides nothing
      {"記事", "", true, true},
      {"備考", "別の値", false, true},
      {"記事", "別の値", false, true},
      {"掲載", "雑誌", true, false},
      {"掲載", "", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.userName) + "=" + c.userValue);
    g_szUserInfoName[0] = U16(c.userName);
    g_Record.header.userItems[0] = U16(c.userValue);
    EXPECT_EQ(GetHeaderItemState(U16(c.userName)), !*c.userName ? 0 : (*c.userValue ? 2 : 1));
    RecordTextFile file;
    file.OpenMemory(true);
    WriteHeaderLines(true, file);
    const std::u16string text = Utf8ToUtf16(file.Bytes());
    EXPECT_EQ(text.find(u"備考：備考の内容\r\n") != std::u16string::npos, c.notesWritten);
    EXPECT_EQ(text.find(u"掲載：将棋世界\r\n") != std::u16string::npos, c.publishedWritten);
    if (*c.userValue) {
      EXPECT_NE(text.find(U16(std::string(c.userName) + "：" + c.userValue + "\r\n")), std::u16string::npos);
    }
  }
}

TEST_F(RecordWriterTest, ZrfTimesAreOmittedOnlyWhenAllAreZero) {
  g_bZrfOmitTimes = 1;
  Play({{"７六歩(77)", 0}, {"３四歩(33)", 0}});
  Play({{"投了", 0}});
  Rewind();
  std::u16string text = Utf8ToUtf16(WriteToMemory(Format::Zrf, true));
  EXPECT_NE(text.find(u"手数----指手--\r\n   1 ７六歩(77)  \r\n   2 ３四歩(33)  \r\n"
                      u"   3 投了        \r\nまで2手で後手の勝ち\r\n"),
            std::u16string::npos);
  g_Record.Root()->firstChild->firstChild->seconds = 1;
  text = Utf8ToUtf16(WriteToMemory(Format::Zrf, true));
  EXPECT_NE(text.find(u"手数----指手---------消費時間--\r\n   1 ７六歩(77)   ( 0:00/00:00:00)\r\n"
                      u"   2 ３四歩(33)   ( 0:01/00:00:01)\r\n"),
            std::u16string::npos);
}

TEST_F(RecordWriterTest, ZrfTimesShowMinutesAndTheMoversTotal) {
  EXPECT_EQ(FormatMoveTime(5, 5), u" 0:05/00:00:05");
  EXPECT_EQ(FormatMoveTime(3725, 360000 + 3725), u"62:05/01:02:05");  // hours modulo 100
  EXPECT_EQ(FormatMoveTime(65535, 65535), u"1092:15/18:12:15");
  Play({{"７六歩(77)", 70}, {"３四歩(33)", 1}, {"２六歩(27)", 3600}});
  const RecordNode* third = g_Record.current;
  EXPECT_EQ(FormatMoveTime(third), u"60:00/01:01:10");
}

TEST_F(RecordWriterTest, Zr2StylesAndColumns) {
  Play({{"７六歩(77)", 0}, {"３四歩(33)", 0}, {"２二角成(88)", 0}, {"同　銀(31)", 0},
        {"４五角打", 0}});
  Rewind();
  struct Case {
    int style, checkRules, halfWidth, perLine;
    const char* moves;
  };
  const Case cases[] = {
      {2, 1, 0, 6, "▲７六歩    △３四歩    ▲２二角成  △同　銀    ▲４五角\n"},
      {3, 1, 0, 2, "▲７六歩    ▽３四歩\n▲２二角成  ▽同　銀\n▲４五角\n"},
      {2, 0, 0, 6, "▲７六歩(77)△３四歩(33)▲２二角成(88)△同　銀(31)▲４五角打\n"},
      {4, 1, 0, 3, "▲７六歩(77)△３四歩(33)▲２二角成(88)\n△同　銀(31)▲４五角打\n"},
      {2, 1, 1, 8, "▲76歩  △34歩  ▲22角成△同銀  ▲45角\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moves);
    g_nZr2Style = uint8_t(c.style);
    g_bCheckRules = uint8_t(c.checkRules);
    g_bZr2HalfWidth = c.halfWidth;
    g_nZr2MovesPerLine = uint8_t(c.perLine);
    g_nZr2HalfWidthMovesPerLine = c.perLine;
    std::string bytes = WriteToMemory(Format::Zr2, false);
    EXPECT_EQ(bytes, FileText(std::string("\n") + c.moves, false));
    // Every style reads back to the same moves.
    const std::string before = DumpRecord(g_Record);
    g_bCheckRules = 1;
    ASSERT_EQ(ReadRecordBytes(false, bytes), 0) << Utf16ToUtf8(g_strRecordReadError);
    EXPECT_EQ(DumpRecord(g_Record), before);
  }
}

TEST_F(RecordWriterTest, Zr2EndOfGameIsAMoveOnlyWithNotesAttached) {
  Play({{"７六歩(77)", 0}, {"３四歩(33)", 0}, {"中断", 0}});
  RecordNode* end = g_Record.current->firstChild;
  ASSERT_TRUE(end && IsEndNode(*end));
  Rewind();
  EXPECT_EQ(WriteToMemory(Format::Zr2, false), FileText("\n▲７六歩    △３四歩\nまで2手で中断\n", false));
  ASSERT_EQ(SetBookmark(g_Record, NodeIndex(g_Record, end), u"終わり"), 0);
  const std::string bytes = WriteToMemory(Format::Zr2, false);
  EXPECT_EQ(bytes, FileText("\n▲７六歩    △３四歩    ▲中断\n&終わり\nまで2手で中断\n", false));
  const std::string before = DumpRecord(g_Record);
  ASSERT_EQ(ReadRecordBytes(false, bytes), 0);
  EXPECT_EQ(DumpRecord(g_Record), before);
}

TEST_F(RecordWriterTest, LongLinesAndLongCommentsSurviveAWriteAndARead) {
  // A comment line as long as a comment can be, in both encodings, and a
  // main line deeper than any recursion would like.
  std::u16string longLine(size_t(kMaxCommentLength - 1), u'棋');
  longLine[100] = u'\u3000';
  for (int i = 0; i < 60; ++i) {
    Play({{"４八銀(39)", 0}, {"６二銀(71)", 0}, {"３九銀(48)", 0}, {"７一銀(62)", 1}});
  }
  Play({{"４八銀(39)", 0}});
  Rewind();
  ASSERT_EQ(AppendComment(g_Record, 0, longLine), 0);
  for (bool utf8 : {true, false}) {
    for (Format format : {Format::Zrf, Format::Zr2}) {
      const std::string bytes = WriteToMemory(format, utf8);
      ASSERT_EQ(ReadRecordBytes(utf8, bytes), 0);
      ASSERT_TRUE(g_Record.Root()->comment);
      EXPECT_EQ(std::u16string(g_Record.Root()->comment), longLine + u"\n");
      EXPECT_EQ(GetLineLength(g_Record), 241);
      EXPECT_EQ(WriteToMemory(format, utf8), bytes);
    }
  }
}

TEST_F(RecordWriterTest, LfToCrLfKeepsWithinTheCommentSize) {
  EXPECT_EQ(LfToCrLf(u"a\nb\n"), u"a\r\nb\r\n");
  std::u16string many(size_t(kMaxCommentLength - 1), u'x');
  many += u"\n";
  EXPECT_EQ(LfToCrLf(many), many.substr(0, many.size() - 1));
}

}  // namespace
