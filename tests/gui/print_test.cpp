// Printing: the record's printed lines, the template codes, the page printed
// to PDF and measured from its rendering, the job (copies, cancel, 中止, no
// printer), the preview page in the board view, and the score sheet.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "output/print_job.h"
#include "output/print_page.h"
#include "output/print_record.h"
#include "output/score_sheet.h"
#include "output/sheet_preview.h"
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"
#include "view/narvo_view.h"
#include "view/navigation.h"

using namespace Qt::StringLiterals;

namespace {

std::u16string DataPath(const std::string& name) {
  return PathFromNative(std::string(NARVO_TEST_DATA) + "/records/" + name);
}

std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Renders page `page` of the PDF at `dpi` dots per inch.
QImage RenderPdf(const QString& pdf, int page, int dpi) {
  QString stem = pdf + QString("-p%1").arg(page);
  RunTool("pdftoppm", {"-r", QString::number(dpi), "-f", QString::number(page), "-l",
                       QString::number(page), "-png", "-singlefile", pdf, stem});
  return QImage(stem + ".png").convertToFormat(QImage::Format_RGB32);
}

int PdfPages(const QString& pdf) {
  QString info = RunTool("pdfinfo", {pdf});
  for (const QString& line : info.split('\n'))
    if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
  return -1;
}

QString PdfText(const QString& pdf) { return RunTool("pdftotext", {"-layout", pdf, "-"}); }

// A PDF file in place of the printer and its dialog.
class PdfPort : public PrintDevicePort {
public:
  QString file;
  int resolution = 300;
  int copies = 1;
  bool collate = true;
  bool cancel = false;
  bool hasPrinter = true;
  int abortAfter = 0;
  std::vector<int> pagesDone;
  int dialogs = 0;
  bool stopEnabled = false;

  int RunPrintDialog(QPrinter& printer, QWidget*) override {
    ++dialogs;
    if (cancel) return QDialog::Rejected;
    SetUp(printer);
    return QDialog::Accepted;
  }
  bool UseDefaultPrinter(QPrinter& printer) override {
    if (!hasPrinter) return false;
    SetUp(printer);
    return true;
  }
  bool DefaultPaperSize(int& w, int& h) override {
    w = 210;
    h = 297;
    return hasPrinter;
  }
  void PageDone(int page) override {
    pagesDone.push_back(page);
    if (page == abortAfter && g_pPrintAbortBox)
      for (QAbstractButton* b : g_pPrintAbortBox->findChildren<QAbstractButton*>())
        if (b->text() == QString::fromUtf16(u"中止")) {
          stopEnabled = b->isEnabled();
          b->click();
        }
  }

private:
  void SetUp(QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(resolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    printer.setCopyCount(copies);
    printer.setCollateCopies(collate);
  }
};

class PrintTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 5000), 0);
    SetInitialBoard(g_Board);
    SetInitialBoard(g_StartBoard);
    g_bBoardFlipped = 0;
    g_nPrintKind = 0;
    g_szRecordTitle = u"test";
    port.file = dir.path() + "/out.pdf";
    previous = SetPrintDevicePort(&port);
  }
  void TearDown() override {
    SetPrintDevicePort(previous);
    ResetEnvDefaults();
  }
  void Load(const std::string& name, int moveNumber = 0) {
    ASSERT_GE(ReadRecordFile(false, DataPath(name)), 0) << name;
    GotoMoveNumberOnLine(moveNumber);
  }

  QTemporaryDir dir;
  PdfPort port;
  PrintDevicePort* previous = nullptr;
  RecordingUi ui;
};


constexpr int Key(int from, int to) { return from | to << 8; }

// Rooks of both sides going to and fro: as many legal moves as asked for.
void PlayRookMoves(int count, int secondsEach = 0) {
  const int keys[4] = {Key(28, 38), Key(82, 72), Key(38, 28), Key(72, 82)};
  for (int i = 0; i < count; ++i) {
    int key = keys[i % 4];
    if (g_StartBoard.sideToMove == kGote) key = keys[(i + 1) % 4];
    ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, key, secondsEach), 0);
    MakeMoveOnBoard(g_Board, BuildMoveCode(g_Board, key & 0xFF, key >> 8));
    g_Board.sideToMove = kSente - g_Board.sideToMove;
    ++g_Record.moveNumber;
  }
}

void AddEnd(int code, int seconds) {
  ASSERT_EQ(AddMoveToRecord(g_Record, g_StartBoard, g_Board, 0, Key(1, code), seconds), 0);
}

void StartHandicap(int code) {
  SetHandicapBoard(g_StartBoard, code);
  CopyBoardState(g_Board, g_StartBoard);
}

// Dark runs along a row or a column of the image: the centre of each.
std::vector<int> DarkRuns(const QImage& img, bool alongRow, int fixed, int from, int to) {
  std::vector<int> centres;
  int start = -1;
  for (int k = from; k <= to; ++k) {
    QRgb c = alongRow ? img.pixel(k, fixed) : img.pixel(fixed, k);
    bool dark = qGray(c) < 128 && k < to;
    if (dark && start < 0) start = k;
    if (!dark && start >= 0) {
      centres.push_back((start + k - 1) / 2);
      start = -1;
    }
  }
  return centres;
}

bool AnyDark(const QImage& img, QRect r) {
  r = r.intersected(img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(img.pixel(x, y)) < 128) return true;
  return false;
}

QRect DarkBounds(const QImage& img, QRect r) {
  QRect b;
  r = r.intersected(img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(img.pixel(x, y)) < 128) b |= QRect(x, y, 1, 1);
  return b;
}

std::vector<std::string> Lines(const std::vector<std::u16string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) out.push_back(U8(l));
  return out;
}

// ---- The record's printed lines ---------------------------------------------------

TEST_F(PrintTest, RecordLinesListVariationsDeepestFirstWithComments) {
  Load("variations.zrf");
  const std::vector<std::string> expected = {
      "", "初手から", "▲７六歩", "角道を開ける",
      "△３四歩　　▲２六歩　　△８四歩", "ここで中断", "", "まで4手で中断",
      "", "変化：2手", "△８四歩　　▲２六歩", "二行目の", "コメント", "△８五歩", "",
      "", "変化：3手", "▲６八銀　　△８五歩", "",
      "", "変化：1手", "▲２六歩　　△８四歩", ""};
  EXPECT_EQ(Lines(BuildPrintRecordLines(false)), expected);

  g_bPrintComments = 0;
  const std::vector<std::string> bare = {
      "", "▲７六歩　　△３四歩　　▲２六歩　　△８四歩", "", "まで4手で中断",
      "", "変化：2手", "△８四歩　　▲２六歩　　△８五歩", "",
      "", "変化：3手", "▲６八銀　　△８五歩", "",
      "", "変化：1手", "▲２六歩　　△８四歩", ""};
  EXPECT_EQ(Lines(BuildPrintRecordLines(false)), bare);
}

TEST_F(PrintTest, RecordLinesBreakAfterTheColumnsOfALine) {
  PlayRookMoves(8);
  g_nZr2MovesPerLine = 6;
  std::vector<std::u16string> lines = BuildPrintRecordLines(false);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(U8(lines[1]), "▲３八飛　　△７二飛　　▲２八飛　　△８二飛　　▲３八飛　　△７二飛");
  EXPECT_EQ(U8(lines[2]), "▲２八飛　　△８二飛");
  // Display notation: a move of 12 units fills its column, the next follows it.
  g_nZr2Style = 4;
  lines = BuildPrintRecordLines(false);
  EXPECT_EQ(U8(lines[2]), "▲２八飛(38)△８二飛(72)");
}

TEST_F(PrintTest, RecordLinesWithHeaderHandicapAndPlayers) {
  Load("handicap.zrf");
  const std::vector<std::string> expected = {
      "表題：駒落ち練習", "手合割：角落ち", "下手：田中", "上手：鈴木", "",
      "△３四歩　　▲７六歩　　△４四歩　　▲２六歩", "", "まで4手で下手の勝ち"};
  EXPECT_EQ(Lines(BuildPrintRecordLines(true)), expected);
  // Without the header only the handicap stays.
  EXPECT_EQ(U8(BuildPrintRecordLines(false)[0]), "手合割：角落ち");
}

TEST_F(PrintTest, RecordLinesEdgeCases) {
  // No moves: an empty line and one empty move line, no result.
  EXPECT_EQ(Lines(BuildPrintRecordLines(false)), (std::vector<std::string>{"", ""}));
  // A handicap game resigned before any move: the lower side won at move 0.
  StartHandicap(3);
  AddEnd(kEndResign, 0);
  std::vector<std::u16string> lines = BuildPrintRecordLines(false);
  EXPECT_EQ(U8(lines.back()), "まで0手で下手の勝ち");
  // A mate-problem item that a user-defined item of the same name holds is left out.
  g_Record.header.author = u"山本";
  g_Record.header.problemName = u"練習図";
  g_szUserInfoName[0] = u"作者";
  lines = BuildPrintRecordLines(true);
  EXPECT_EQ(U8(lines[0]), "作品名：練習図");
  EXPECT_EQ(U8(lines[1]), "手合割：角落ち");
}

TEST_F(PrintTest, ResultWordsByEndCode) {
  struct Case {
    int code;
    bool moverFirst;
    const char* text;
  } cases[] = {
      {kEndResign, true, "まで4手で先手の勝ち"},      {kEndTimeLoss, false, "まで4手で後手の勝ち"},
      {kEndSuspend, true, "まで4手で中断"},           {kEndIllegalLoss, true, "まで4手で後手の反則負け"},
      {kEndIllegalWin, true, "まで4手で後手の反則勝ち"}, {kEndImpasse, true, "まで4手で持将棋"},
      {kEndMate, true, "まで4手で詰み"},              {kEndRepetition, true, "まで4手で千日手"},
      {kEndNoMate, true, "まで4手で不詰"},            {kEndEnteringKing, true, "まで4手で"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(U8(FormatPrintResultLine(c.code, 5, c.moverFirst)), c.text) << c.code;
  StartHandicap(1);
  EXPECT_EQ(U8(FormatPrintResultLine(kEndResign, 5, false)), "まで4手で上手の勝ち");
}

// ---- Template codes ---------------------------------------------------------------

TEST_F(PrintTest, TemplateCodes) {
  Load("variations.zrf", 3);
  RecordHeader& h = g_Record.header;
  h.firstPlayer = u"甲";
  h.secondPlayer = u"乙";
  h.startTime = u"S";
  h.endTime = u"E";
  h.title = u"T";
  h.event = u"I";
  h.opening = u"O";
  h.timeLimit = u"M";
  h.place = u"H";
  h.publishedIn = u"R";
  h.notes = u"N0";
  h.problemName = u"N2";
  h.category = u"N9";
  h.award = u"AW";
  h.userItems[0] = u"U1";
  h.userItems[4] = u"U5";
  g_szRecordFolder = u"/r/";
  using K = PrintOpKind;
  struct Case {
    const char16_t* tpl;
    std::vector<PrintOp> ops;
  } cases[] = {
      {u"%y %t", {{K::kText, u"2024/01/06 10:00:00"}}},
      {u"%Y%T", {{K::kText, u"2024/01/0610:00:00"}}},
      {u"a%cb%C", {{K::kText, u"a"}, {K::kBreak, {}}, {K::kText, u"b"}, {K::kBreak, {}}}},
      {u"%f|%F", {{K::kText, u"test|/r/test"}}},
      {u"%n %N", {{K::kText, u"3 3"}}},
      {u"%b%w%g%e%u%i%s%m%h%r", {{K::kText, u"甲乙SETIOMHR"}}},
      {u"%B%W%G%E%U%I%S%M%H%R", {{K::kText, u"甲乙SETIOMHR"}}},
      {u"%1%2%5", {{K::kText, u"U1U5"}}},
      {u"%/0%/2%/9%/x%/a%/", {{K::kText, u"N0N2N9"}}},
      {u"%o", {{K::kText, u"居飛車"}}},
      {u"%d%k%K", {{K::kBoard, {}}, {K::kRecord, {}}, {K::kRecordHeader, {}}}},
      {u"%%%q%\"名前\"x%\"open", {{K::kText, u"%x"}}},
      {u"&C【%n】&&&x&", {{K::kCentre, {}}, {K::kText, u"【3】&"}}},
      {u"%a|%A|%l|%L|%p|%P", {{K::kText, u"２六歩|▲２六歩|２六歩|▲２六歩|３四歩|△３四歩"}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExpandPrintTemplate(c.tpl, u"2024/01/06", u"10:00:00"), c.ops) << U8(c.tpl);

  // ▲▽ when 指し手表記 is odd; the display form below 2.
  g_nMoveNotation = 1;
  EXPECT_EQ(ExpandPrintTemplate(u"%P", u"", u"")[0].text, u"▽３四歩(33)");
  g_nMoveNotation = 0;
  EXPECT_EQ(ExpandPrintTemplate(u"%A", u"", u"")[0].text, u"▲２六歩(27)");
  g_nMoveNotation = 3;
  EXPECT_EQ(ExpandPrintTemplate(u"%A", u"", u"")[0].text, u"▲２六歩");

  // No move before move 1 and 2; no comment where there is none.
  GotoMoveNumberOnLine(1);
  EXPECT_EQ(ExpandPrintTemplate(u"%p%P", u"", u""), (std::vector<PrintOp>{}));
  EXPECT_EQ(ExpandPrintTemplate(u"%*", u"", u"")[0].kind, K::kComment);  // 角道を開ける
  GotoMoveNumberOnLine(0);
  EXPECT_EQ(ExpandPrintTemplate(u"%a%A%l%L", u"", u""), (std::vector<PrintOp>{}));
}

TEST_F(PrintTest, MarksAndShortNames) {
  std::u16string longText(300, u'あ');
  longText += u"▲△";
  EXPECT_EQ(PrintMarks(longText).substr(300), u"☗☖");  // any length
  g_bPrintUnicodeMarks = 0;
  EXPECT_EQ(PrintMarks(u"▲△"), u"▲△");
  EXPECT_EQ(ShortenPrintName(u"羽生　善治", 3), u"羽生");
  EXPECT_EQ(ShortenPrintName(u"abc def", 3), u"abc");
  EXPECT_EQ(ShortenPrintName(u"大山康晴名人", 3), u"大山康");
  EXPECT_EQ(ShortenPrintName(u"abcdefgh", 3), u"abcdef");
}

TEST_F(PrintTest, HandRowsCountNamesPiecesAndCounts) {
  g_Record.header.firstPlayer = u"大山康晴";
  EXPECT_EQ(CountHandRows(kSente), 3 + 2 + 2);  // mark, 大山康, free row; なし
  g_Board.hands[1][kPawn] = 10;
  g_Board.hands[1][kRook] = 1;
  g_Board.hands[1][kGold] = 12;
  EXPECT_EQ(CountHandRows(kSente), 5 + 2 + 1 + 3);
  g_bPrintNamesVertical = 0;
  EXPECT_EQ(CountHandRows(kGote), 2 + 2);
  g_Record.header.author = u"作者";
  EXPECT_EQ(CountHandRows(kSente), 3 + 2 + 1 + 3);  // 持駒 instead of the name
}

// ---- The page on paper ------------------------------------------------------------

TEST_F(PrintTest, PositionPageMeasuresFromThePaperCorner) {
  g_szPrintBoardHeader = u"%d";
  ASSERT_EQ(PrintRecordOrPosition(nullptr, true), 1);
  ASSERT_EQ(PdfPages(port.file), 1);
  QImage img = RenderPdf(port.file, 1, 300);
  ASSERT_EQ(img.width(), 2480);  // A4 at 300 dpi
  const PrintPageMetrics m = ComputePrintPageMetrics(300, 300, true);
  EXPECT_EQ(m.mm, 12);
  EXPECT_EQ(m.X, 120);
  EXPECT_EQ(m.C, m.X + 3 * m.h + 15);
  EXPECT_EQ(m.s, m.h * 140 / 100);
  EXPECT_EQ(m.L, m.h + m.e);
  EXPECT_EQ(m.T0, 0);
  const int s = m.s, C = m.C, B = 10 * m.mm + s + 2;

  // The frame and the eight inner lines each way, at multiples of s.
  std::vector<int> cols = DarkRuns(img, true, B + 4 * s + s / 2, C - 10, C + 9 * s + 10);
  std::vector<int> rows = DarkRuns(img, false, C + 3 + s / 20, B - 10, B + 9 * s + 10);
  ASSERT_EQ(cols.size(), 10u);
  ASSERT_EQ(rows.size(), 10u);
  for (int k = 0; k < 10; ++k) {
    EXPECT_NEAR(cols[k], C + k * s, 2) << k;
    EXPECT_NEAR(rows[k], B + k * s, 2) << k;
  }
  // File digits above the board, rank numerals right of it.
  for (int col = 0; col < 9; ++col)
    EXPECT_TRUE(AnyDark(img, QRect(C + col * s + s / 4, B - m.h, s / 2, m.h - 2))) << col;
  EXPECT_FALSE(AnyDark(img, QRect(C, B - 2 * m.h - 10, 9 * s, m.h)));
  for (int row = 0; row < 9; ++row)
    EXPECT_TRUE(AnyDark(img, QRect(C + 9 * s + s / 5, B + row * s + 2, m.h, s - 4))) << row;
  // Both hands are empty: the lower column ends level with the board's bottom,
  // the upper one starts at its top, left of the board.
  QRect lower = DarkBounds(img, QRect(C + 10 * s - 2, B - 5, 3 * s, 9 * s + 10 + 3 * s));
  EXPECT_NEAR(lower.left(), C + 10 * s - 2, s / 3);
  EXPECT_LE(lower.bottom(), B + 9 * s);
  EXPECT_GT(lower.bottom(), B + 8 * s);
  QRect upper = DarkBounds(img, QRect(0, B - 5, C - 5, 9 * s + 10));
  EXPECT_LE(upper.right(), C - C / 10);
  EXPECT_GE(upper.top(), B);
  EXPECT_LT(upper.top(), B + s);

  // The upper side's lance (9一) is the lower side's (1九) turned half a round.
  QImage top = img.copy(C, B, s, s).convertToFormat(QImage::Format_Grayscale8);
  QImage bottom = img.copy(C + 8 * s, B + 8 * s, s, s).convertToFormat(QImage::Format_Grayscale8);
  QImage turned = top.mirrored(true, true);
  int same = 0, dark = 0;
  for (int y = 8; y < s - 8; ++y)
    for (int x = 8; x < s - 8; ++x) {
      bool a = qGray(turned.pixel(x, y)) < 128, b = qGray(bottom.pixel(x, y)) < 128;
      dark += b;
      same += a && b;
    }
  EXPECT_GT(dark, 50);
  EXPECT_GT(same, dark * 6 / 10);
}

TEST_F(PrintTest, CentringMeasuresWhatIsDrawn) {
  g_szRecordTitle = u"とても長い棋譜の名前";
  for (const char16_t* tpl : {u"&C【%n手%f】", u"&C%F"}) {
    g_szPrintBoardHeader = tpl;
    ASSERT_EQ(PrintRecordOrPosition(nullptr, true), 1);
    QImage img = RenderPdf(port.file, 1, 300);
    const PrintPageMetrics m = ComputePrintPageMetrics(300, 300, true);
    QRect text = DarkBounds(img, QRect(0, 10 * m.mm, img.width(), m.h));
    EXPECT_NEAR(text.center().x(), m.C + 4 * m.s + m.s / 2, m.h / 2) << U8(tpl);
  }
}

TEST_F(PrintTest, RecordPageReadsInOrderWithShogiMarks) {
  Load("variations.zrf", 4);
  g_nPrintKind = 1;
  g_Record.header.event = u"練習";
  ASSERT_EQ(PrintRecordOrPosition(nullptr, true), 1);
  // pdftotext gives a few kanji in their compatibility forms: compare in NFKC.
  QString text = PdfText(port.file).normalized(QString::NormalizationForm_KC);
  QStringList wanted = {"ファイル：test", "棋戦：練習", "初手から", "☗７六歩", "☖３四歩",
                        "まで4手で中断", "変化：2手", "変化：3手", "変化：1手"};
  qsizetype at = 0;
  for (const QString& w : wanted) {
    qsizetype found = text.indexOf(w.normalized(QString::NormalizationForm_KC), at);
    EXPECT_GE(found, at) << w.toStdString();
    if (found >= 0) at = found;
  }
  EXPECT_FALSE(text.contains(QString::fromUtf16(u"▲")));
}

// A record longer than a page goes on over the pages it needs, and a long
// comment line wraps at the right margin: every move and every piece of
// every comment is on paper.
TEST_F(PrintTest, ALongRecordPrintsOnAsManyPagesAsItNeeds) {
  PlayRookMoves(300);
  const std::u16string longLine = u"評価値はほぼ互角、ここで先手は飛車を振り直して持久戦を目指すのが有力と思われる局面です。" +
                                  std::u16string(u"続けて長い解説が入る。");
  for (int n : {10, 150, 299}) ASSERT_EQ(AppendComment(g_Record, n, longLine + u"第" + IntToU16(n) + u"手の注"), 0);
  GotoMoveNumberOnLine(0);
  g_nPrintKind = 1;
  ASSERT_EQ(PrintRecordOrPosition(nullptr, true), 1);
  EXPECT_GT(PdfPages(port.file), 1);
  // Joined again without the breaks and blanks a wrapped line gets.
  QString text = PdfText(port.file).normalized(QString::NormalizationForm_KC);
  text.remove(u'\n').remove(u' ').remove(u'\f');
  for (int n : {10, 150, 299}) {
    const QString note = QString::fromStdU16String(longLine + u"第" + IntToU16(n) + u"手の注")
                             .normalized(QString::NormalizationForm_KC);
    EXPECT_TRUE(text.contains(note)) << n;
  }
  // Every move is there, each with its side mark.
  const QString raw = PdfText(port.file);
  EXPECT_EQ(raw.count(u"☗"_s) + raw.count(u"☖"_s), 300);
}

// ---- The job -----------------------------------------------------------------------

TEST_F(PrintTest, CopiesArePrintedWhateverTheCollation) {
  for (bool collate : {true, false}) {
    port.copies = 5;
    port.collate = collate;
    ASSERT_EQ(PrintRecordOrPosition(nullptr, true), 1);
    EXPECT_EQ(PdfPages(port.file), 5) << collate;
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PrintTest, CancelAbortAndFailures) {
  // Cancelling the dialog: nothing printed, nothing said.
  port.cancel = true;
  EXPECT_EQ(PrintRecordOrPosition(nullptr, true), 1);
  EXPECT_FALSE(QFile::exists(port.file));
  EXPECT_TRUE(ui.boxes.empty());

  // 中止 after the first page of five stops the job there.
  port.cancel = false;
  port.copies = 5;
  port.abortAfter = 1;
  CNarvoView owner;  // disabled while the job runs; the abort box is not
  EXPECT_EQ(PrintRecordOrPosition(&owner, true), 0);
  EXPECT_TRUE(port.stopEnabled);
  EXPECT_TRUE(owner.isEnabled());
  EXPECT_EQ(port.pagesDone, std::vector<int>{1});
  EXPECT_EQ(PdfPages(port.file), 1);
  EXPECT_EQ(g_pPrintAbortBox, nullptr);
  EXPECT_EQ(g_bPrintingInProgress, 0);
  EXPECT_TRUE(ui.boxes.empty());

  // The command line's print without a printer says so and reports failure.
  port.abortAfter = 0;
  port.hasPrinter = false;
  EXPECT_EQ(PrintRecordOrPosition(nullptr, false), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"プリンタがインストールされていません。");

  // A document that cannot be started.
  port.file = dir.path() + "/missing/folder/out.pdf";
  EXPECT_EQ(PrintRecordOrPosition(nullptr, true), 0);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].text, u"印刷エラー(StartDoc)");
  EXPECT_EQ(g_bPrintingInProgress, 0);
}

// ---- Preview -------------------------------------------------------------------------

TEST_F(PrintTest, PreviewPageAtThePapersSizeWithTheTrimFrame) {
  QImage img(900, 1200, QImage::Format_RGB32);
  img.fill(QColor(128, 128, 128));
  {
    QPainter p(&img);
    DrawPrintPreviewPage(p, nullptr);
  }
  ASSERT_EQ(img.logicalDpiX(), 96);
  const int w = int(210 * 96 / 25.4), h = int(297 * 96 / 25.4);  // A4 at 96 dpi
  auto black = [&](int x, int y) { return img.pixel(x, y) == qRgb(0, 0, 0); };
  EXPECT_TRUE(black(0, 500));
  EXPECT_TRUE(black(w - 1, 500));
  EXPECT_TRUE(black(400, 20));
  EXPECT_TRUE(black(400, 20 + h - 1));
  EXPECT_EQ(img.pixel(w + 2, 500), qRgb(128, 128, 128) | 0xFF000000);
  EXPECT_EQ(img.pixel(400, 19), img.pixel(w + 2, 500));
  // The trim frame, blue, 66 77 316 329 by default.
  const QRgb blue = qRgb(0, 0, 255);
  EXPECT_EQ(img.pixel(64, 200), blue);
  EXPECT_EQ(img.pixel(317, 200), blue);
  EXPECT_EQ(img.pixel(200, 76), blue);
  EXPECT_EQ(img.pixel(200, 329), blue);

  // Nothing while a job prints, no frame without trimming.
  g_bImageTrim = 0;
  img.fill(QColor(128, 128, 128));
  {
    QPainter p(&img);
    DrawPrintPreviewPage(p, nullptr);
  }
  EXPECT_NE(img.pixel(64, 200), blue);
  g_bPrintingInProgress = 1;
  img.fill(QColor(128, 128, 128));
  {
    QPainter p(&img);
    DrawPrintPreviewPage(p, nullptr);
  }
  g_bPrintingInProgress = 0;
  EXPECT_EQ(img.pixel(0, 500), qRgb(128, 128, 128) | 0xFF000000);
}

// ---- Score sheet ----------------------------------------------------------------------

TEST_F(PrintTest, SheetPageCounts) {
  struct Case {
    int handicap;
    int moves;
    int endCode;  // -1 none
    int endSeconds;
    int pages;
  } cases[] = {
      {0, 0, -1, 0, 1},    {0, 150, -1, 0, 1}, {0, 151, -1, 0, 2},
      {0, 150, kEndResign, 75, 2}, {0, 150, kEndResign, 30, 1}, {0, 150, kEndTimeLoss, 60, 2},
      {3, 149, -1, 0, 1},  {3, 150, -1, 0, 2},
  };
  for (const Case& c : cases) {
    ResetRecordTree(g_Record);
    if (c.handicap) StartHandicap(c.handicap);
    else {
      SetInitialBoard(g_StartBoard);
      SetInitialBoard(g_Board);
    }
    PlayRookMoves(c.moves);
    if (c.endCode >= 0) AddEnd(c.endCode, c.endSeconds);
    EXPECT_EQ(CountSheetPages(), c.pages) << c.handicap << " " << c.moves << " " << c.endSeconds;
  }
}

TEST_F(PrintTest, SheetResultBox) {
  EXPECT_EQ(U8(FormatSheetResult()), "手数　　　　　手　　　　　　勝");
  PlayRookMoves(4);
  EXPECT_EQ(U8(FormatSheetResult()), "手数　　　  4手　");
  struct Case {
    int code;
    const char* text;
  } cases[] = {
      {kEndResign, "　　　  4手で後手の勝ち"},
      {kEndTimeLoss, "　　　  4手で後手の勝ち"},
      {kEndIllegalLoss, "　　　  4手で先手の反則負け"},
      {kEndIllegalWin, "　　　  3手で先手の反則勝ち"},
      {kEndRepetition, "　　　  4手で千日手"},
      {kEndImpasse, "　　　  4手で持将棋"},
      {kEndSuspend, "手数　　　  4手　"},
  };
  for (const Case& c : cases) {
    ResetRecordTree(g_Record);
    SetInitialBoard(g_Board);
    PlayRookMoves(4);
    AddEnd(c.code, 0);
    EXPECT_EQ(U8(FormatSheetResult()), c.text) << c.code;
  }
}

TEST_F(PrintTest, SheetFormInMillimetres) {
  g_Record.header.firstPlayer = u"山田";
  PlayRookMoves(151, 75);
  AddEnd(kEndResign, 30);
  ASSERT_EQ(PrintScoreSheet(nullptr, true), 1);
  ASSERT_EQ(PdfPages(port.file), 2);
  QImage img = RenderPdf(port.file, 1, 254);  // 10 pixels a millimetre
  // Outline 186 × 268 mm at (12, 10); the header's lines at 30 and 60 mm.
  std::vector<int> rows = DarkRuns(img, false, 120 + 5, 50, 2850);
  ASSERT_GE(rows.size(), 29u);
  EXPECT_NEAR(rows.front(), 100, 2);
  EXPECT_NEAR(rows.back(), 2780, 2);
  // From the header's bottom, 26 rows of 8 mm.
  std::vector<int> grid(rows.end() - 27, rows.end());
  for (int r = 0; r <= 26; ++r) EXPECT_NEAR(grid[size_t(r)], 700 + 80 * r, 2) << r;
  // Column lines: move text 20 mm, time 11 mm, every 31 mm (a row's middle
  // crosses the diagonals too: take a row's top edge).
  std::vector<int> cols = DarkRuns(img, true, 700 + 80 * 2 + 2, 50, 2100);
  std::vector<int> expected;
  for (int c = 0; c < 6; ++c) {
    expected.push_back(120 + 310 * c);
    expected.push_back(120 + 310 * c + 200);
  }
  expected.push_back(120 + 1860);
  for (int x : expected) {
    bool near = false;
    for (int found : cols) near |= std::abs(found - x) <= 2;
    EXPECT_TRUE(near) << x;
  }
  // Page labels and the slots: 151 moves of 75 seconds, the 152nd on page 2.
  QString text = PdfText(port.file);
  EXPECT_TRUE(text.contains("Page 1 / 2"));
  EXPECT_TRUE(text.contains("Page 2 / 2"));
  QImage second = RenderPdf(port.file, 2, 254);
  // Page 2: move 151 in the first column's first row, nothing in the second.
  const int top = 700 + 80;
  EXPECT_TRUE(AnyDark(second, QRect(125, top + 20, 180, 50)));
  EXPECT_FALSE(AnyDark(second, QRect(120 + 310 + 5, top + 20, 180, 50)));
  // Minute 1 in the upper-left triangle, the running total in the lower right.
  EXPECT_TRUE(AnyDark(second, QRect(120 + 200 + 8, top + 8, 25, 30)));
  EXPECT_TRUE(AnyDark(second, QRect(120 + 200 + 45, top + 45, 60, 30)));
}

TEST_F(PrintTest, SheetOfAHandicapGameAndAnEmptyForm) {
  ASSERT_EQ(PrintScoreSheet(nullptr, true), 1);
  QString text = PdfText(port.file);
  EXPECT_FALSE(text.contains("Page"));
  EXPECT_TRUE(text.normalized(QString::NormalizationForm_KC).contains(
      QString::fromUtf16(u"手数").normalized(QString::NormalizationForm_KC)));

  StartHandicap(3);
  PlayRookMoves(2, 30);
  ASSERT_EQ(PrintScoreSheet(nullptr, true), 1);
  QImage img = RenderPdf(port.file, 1, 254);
  const int top = 700 + 80;
  // The upper side's first move stands in the second column, both moves of
  // 30 seconds leave the time cells empty.
  EXPECT_FALSE(AnyDark(img, QRect(125, top + 20, 180, 50)));
  EXPECT_TRUE(AnyDark(img, QRect(120 + 310 + 5, top + 20, 180, 50)));
  EXPECT_FALSE(AnyDark(img, QRect(120 + 310 + 200 + 8, top + 8, 25, 30)));
}

// The preview shows one or two pages at a time and goes from page to page;
// its 印刷 prints the sheet through the print dialog.
TEST_F(PrintTest, SheetPreviewTurnsThePagesAndPrintsFromThere) {
  PlayRookMoves(310);  // three pages
  SheetPreviewDialog preview(CountSheetPages(), nullptr);
  preview.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
  auto button = [&](const char16_t* text) { return preview.Button(QString::fromUtf16(text)); };
  EXPECT_EQ(preview.StatusText(), u"ページ 1"_s);
  EXPECT_FALSE(button(u"前ページ(&V)")->isEnabled());
  EXPECT_FALSE(button(u"縮小(&O)")->isEnabled());
  if (const char* shot = std::getenv("NARVO_SHEET_PREVIEW_PNG")) preview.grab().save(QString::fromUtf8(shot));
  // Something of the form is on the page: the view is not all paper and grey.
  QImage shown = preview.grab().toImage();
  EXPECT_TRUE(AnyDark(shown, QRect(shown.width() / 3, shown.height() / 3, shown.width() / 3, shown.height() / 3)));

  QTest::keyClick(&preview, Qt::Key_PageDown);
  EXPECT_EQ(preview.StatusText(), u"ページ 2"_s);
  button(u"2 ページ(&T)")->click();
  EXPECT_EQ(preview.StatusText(), u"ページ 2-3"_s);
  EXPECT_FALSE(button(u"次ページ(&N)")->isEnabled());
  button(u"前ページ(&V)")->click();
  EXPECT_EQ(preview.StatusText(), u"ページ 1-2"_s);
  // A larger page is shown alone, and two pages are offered again once fitted.
  button(u"拡大(&I)")->click();
  EXPECT_EQ(preview.ShownPages(), 1);
  EXPECT_EQ(preview.StatusText(), u"ページ 1"_s);
  EXPECT_FALSE(button(u"2 ページ(&T)")->isEnabled());
  button(u"拡大(&I)")->click();
  EXPECT_FALSE(button(u"拡大(&I)")->isEnabled());
  QTest::keyClick(&preview, Qt::Key_End);
  EXPECT_EQ(preview.FirstShownPage(), 3);
  button(u"縮小(&O)")->click();
  button(u"縮小(&O)")->click();
  EXPECT_TRUE(button(u"2 ページ(&T)")->isEnabled());
  preview.close();

  // 印刷 leaves the preview for the print dialog and prints every page.
  QTimer::singleShot(0, [] {
    if (auto* d = qobject_cast<SheetPreviewDialog*>(QApplication::activeModalWidget()))
      d->Button(QString::fromUtf16(u"印刷(&P)..."))->click();
  });
  PreviewScoreSheet(nullptr);
  EXPECT_EQ(port.dialogs, 1);
  EXPECT_EQ(PdfPages(port.file), 3);
}

}  // namespace
