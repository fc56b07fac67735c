#include "output/score_sheet.h"

#include <algorithm>
#include <vector>

#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "output/print_job.h"
#include "output/print_page.h"
#include "output/sheet_preview.h"
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "view/narvo_view.h"

int g_nSheetPages = 1;

namespace {

// The form in millimetres.
constexpr double kX0 = 12, kY0 = 10;
constexpr double kWidth = 186, kHeight = 268, kHeader = 60, kRow = 8;
constexpr double kMoveCell = 20, kColumn = 31;
constexpr int kSlotsPerPage = 150;

QString Q(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

struct MainLine {
  int moves = 0;                         // board moves
  const RecordNode* last = nullptr;      // last node (nullptr without any)
  const RecordNode* lastMove = nullptr;  // last board move
  int64_t seconds[2] = {0, 0};           // per side: [1] the first player
};

bool TakesSlot(const RecordNode* node) {
  return node && IsEndNode(*node) && (node->to == kEndResign || node->to == kEndTimeLoss) &&
         node->seconds >= 60;
}

// The main line as the sheet reads it, walked once and kept while the record
// stays as it is, so that a page costs the same whatever the record's length
// and the page's number: the nodes from move 1, with the destination of the
// move before each and the mover's running total after it.
struct SheetLine {
  const RecordNode* pool = nullptr;
  uint32_t revision = 0, nodeReuses = 0;
  int changeCount = -1;
  MainLine summary;
  std::vector<const RecordNode*> nodes;
  std::vector<int> prevTo;
  std::vector<int64_t> cumulative;
  int slotted = 0;  // the leading nodes that take a slot (moves, a timed resignation)
};

const SheetLine& KeptSheetLine() {
  static SheetLine kept;
  if (kept.pool == g_Record.pool && kept.revision == g_Record.revision &&
      kept.nodeReuses == g_Record.nodeReuses && kept.changeCount == g_Record.changeCount)
    return kept;
  kept = SheetLine{g_Record.pool, g_Record.revision, g_Record.nodeReuses, g_Record.changeCount};
  int64_t totals[2] = {0, 0};
  int prevTo = 0;
  const RecordNode* nd = g_Record.Root() ? g_Record.Root()->firstChild : nullptr;
  for (; nd; nd = nd->firstChild) {
    MainLine& line = kept.summary;
    const int side = (nd->piece & kSenteBit) ? 1 : 0;
    line.last = nd;
    line.seconds[side] += nd->seconds;
    if (IsBoardMoveNode(*nd)) {
      ++line.moves;
      line.lastMove = nd;
    }
    totals[side] += nd->seconds;
    kept.nodes.push_back(nd);
    kept.prevTo.push_back(prevTo);
    kept.cumulative.push_back(totals[side]);
    if (kept.slotted == int(kept.nodes.size()) - 1 && (IsBoardMoveNode(*nd) || TakesSlot(nd))) ++kept.slotted;
    prevTo = nd->to;
  }
  return kept;
}

MainLine ReadMainLine() { return KeptSheetLine().summary; }

bool IsHandicap() { return IsHandicapGame(g_StartBoard); }

const char16_t* SideLetter(bool first) {
  return IsHandicap() ? (first ? u"下" : u"上") : (first ? u"先" : u"後");
}

std::u16string SheetMark(bool first) {
  return PrintMarks(first ? u"▲" : u"△");
}

// Millimetres to device units on one page.
struct Sheet {
  QPainter& p;
  double fx, fy;
  int dpiY;
  QPen linePen, heavyPen, thinPen;
  int X(double mm) const { return int((kX0 + mm) * fx); }
  int Y(double mm) const { return int((kY0 + mm) * fy); }
};

QFont MinchoFont(int dpiY, double points) {
  QFont font(Q(MapFontFace(u"ＭＳ 明朝")));
  font.setPixelSize(std::max(1, int(dpiY * points / 72)));
  return font;
}

void SheetDrawLine(Sheet& sh, const QPen& pen, double x1, double y1, double x2, double y2) {
  sh.p.setPen(pen);
  sh.p.drawLine(sh.X(x1), sh.Y(y1), sh.X(x2), sh.Y(y2));
}

// Text whose top left is at the form's (x, y) in millimetres.
void SheetDrawText(Sheet& sh, double x, double y, const std::u16string& text) {
  sh.p.setPen(Qt::black);
  sh.p.drawText(sh.X(x), sh.Y(y) + QFontMetrics(sh.p.font()).ascent(), Q(text));
}

// Text in a cell, vertically centred, 1 mm in from its left edge.
void CellText(Sheet& sh, double x, double top, double height, const std::u16string& text) {
  const double textMm = QFontMetrics(sh.p.font()).height() / sh.fy;
  SheetDrawText(sh, x + 1, top + (height - textMm) / 2, text);
}

// One character per line, centred in the cell.
void VerticalText(Sheet& sh, double left, double top, double width, double height,
                  std::u16string_view text) {
  QFontMetrics fm(sh.p.font());
  const double lineMm = fm.height() / sh.fy;
  double y = top + (height - lineMm * double(text.size())) / 2;
  for (char16_t c : text) {
    const double w = fm.horizontalAdvance(QChar(c)) / sh.fx;
    SheetDrawText(sh, left + (width - w) / 2, y, std::u16string(1, c));
    y += lineMm;
  }
}

void SheetDrawLabel(Sheet& sh, const std::u16string& text, double x, double y) {
  const size_t n = text.size();
  QFont before = sh.p.font();
  sh.p.setFont(MinchoFont(sh.dpiY, n <= 4 ? 12.5 : n == 5 ? 10 : 9));
  SheetDrawText(sh, x, y, PrintMarks(text));
  sh.p.setFont(before);
}

std::u16string HoursMinutes(int64_t minutes) {
  return FormatU16(u"%d時間%02d分", int(minutes / 60), int(minutes % 60));
}

// 消費時間 of both sides: the seconds of the main line, else the header's text.
std::u16string ConsumedTimeText(const MainLine& line) {
  std::u16string first, second;
  if (line.seconds[0] || line.seconds[1]) {
    first = HoursMinutes(line.seconds[1] / 60);
    second = HoursMinutes(line.seconds[0] / 60);
  } else {
    const std::u16string& t = g_Record.header.timeUsed;
    size_t b = t.find(u'▲'), w = t.find(u'△');
    if (b != std::u16string::npos)
      first = t.substr(b + 1, w == std::u16string::npos || w < b ? std::u16string::npos : w - b - 1);
    if (w != std::u16string::npos) second = t.substr(w + 1);
    if (first.find(u'分') == std::u16string::npos) {
      if (!first.empty()) first = HoursMinutes(U16ToInt(first));
      if (!second.empty()) second = HoursMinutes(U16ToInt(second));
    }
  }
  return SheetMark(true) + u" " + first + u"　" + SheetMark(false) + u" " + second;
}

void DrawForm(Sheet& sh) {
  // Outline and the header's bands.
  for (double x : {0.0, kWidth}) SheetDrawLine(sh, sh.linePen, x, 0, x, kHeight);
  for (double y : {0.0, kHeight}) SheetDrawLine(sh, sh.linePen, 0, y, kWidth, y);
  SheetDrawLine(sh, sh.thinPen, kMoveCell, 0, kMoveCell, kHeight);
  SheetDrawLine(sh, sh.linePen, 0, 30, kWidth, 30);
  SheetDrawLine(sh, sh.linePen, 0, kHeader, kWidth, kHeader);
  // Boxes inside the bands.
  const QPen& t = sh.thinPen;
  SheetDrawLine(sh, t, kMoveCell, 15, kWidth, 15);
  SheetDrawLine(sh, t, 95, 0, 95, 30);
  SheetDrawLine(sh, t, 103, 0, 103, 15);
  SheetDrawLine(sh, t, 95, 22.5, kWidth, 22.5);
  SheetDrawLine(sh, t, 113, 15, 113, 30);
  SheetDrawLine(sh, t, 160, 22.5, 160, 30);
  SheetDrawLine(sh, t, 0, 37.5, kWidth, 37.5);
  SheetDrawLine(sh, t, 90, 30, 90, 45);
  SheetDrawLine(sh, t, 0, 45, kWidth, 45);
  SheetDrawLine(sh, t, 0, 52.5, 110, 52.5);
  SheetDrawLine(sh, t, 118, 52.5, kWidth, 52.5);
  SheetDrawLine(sh, t, 52, 45, 52, 52.5);
  SheetDrawLine(sh, t, 72, 45, 72, 52.5);
  SheetDrawLine(sh, t, 110, 45, 110, kHeader);
  SheetDrawLine(sh, t, 118, 45, 118, kHeader);
  // Rows: a heavier line under the heading and under every fifth move row.
  for (int r = 1; r <= 26; ++r) {
    const double bottom = kHeader + r * kRow;
    SheetDrawLine(sh, r % 5 == 1 ? sh.linePen : t, 0, bottom, kWidth, bottom);
    for (int c = 0; c < 6; ++c) {
      const double left = c * kColumn + kMoveCell, right = (c + 1) * kColumn;
      SheetDrawLine(sh, t, right, bottom - kRow, left, bottom);
    }
  }
  // Columns: move text | time cell, a heavier line after each block of two.
  for (int c = 0; c < 6; ++c) {
    const double left = c * kColumn;
    SheetDrawLine(sh, t, left + kMoveCell, kHeader, left + kMoveCell, kHeight);
    SheetDrawLine(sh, c % 2 ? sh.heavyPen : sh.linePen, left + kColumn, kHeader,
                  left + kColumn, kHeight);
    std::u16string mark = SheetMark(c % 2 == 0);
    const double w = QFontMetrics(sh.p.font()).horizontalAdvance(Q(mark)) / sh.fx;
    CellText(sh, left + (kMoveCell - w) / 2 - 1, kHeader, kRow, mark);
  }
}

std::u16string SheetResultText(const MainLine& line) {
  const int m = line.moves;
  if (m == 0) return u"手数　　　　　手　　　　　　勝";
  const bool moverFirst = line.lastMove && (line.lastMove->piece & kSenteBit);
  if (line.last && IsEndNode(*line.last)) {
    switch (line.last->to) {
      case kEndResign:
      case kEndTimeLoss:
        return FormatU16(u"　　　%3d手で%s手の勝ち", m, SideLetter(moverFirst));
      case kEndIllegalLoss:
        return FormatU16(u"　　　%3d手で%s手の反則負け", m, SideLetter(!moverFirst));
      case kEndIllegalWin:
        return FormatU16(u"　　　%3d手で%s手の反則勝ち", m - 1, SideLetter(!moverFirst));
      case kEndRepetition: return FormatU16(u"　　　%3d手で千日手", m);
      case kEndImpasse: return FormatU16(u"　　　%3d手で持将棋", m);
      default: break;
    }
  }
  return FormatU16(u"手数　　　%3d手　", m);
}

void DrawHeaderBoxes(Sheet& sh, const MainLine& line) {
  const RecordHeader& h = g_Record.header;
  VerticalText(sh, 0, 0, kMoveCell, 30, u"対局者");
  CellText(sh, kMoveCell, 0, 15, u"先" + SheetMark(true));
  CellText(sh, kMoveCell, 15, 15, u"後" + SheetMark(false));
  VerticalText(sh, 95, 0, 8, 15, u"棋戦名");
  CellText(sh, 103, 0, 15, h.event + u"　　　第");
  CellText(sh, 95, 15, 7.5, u"対局場");
  CellText(sh, 113, 15, 7.5, h.place);
  CellText(sh, 95, 22.5, 7.5, u"戦型");
  CellText(sh, 113, 22.5, 7.5, h.opening);
  SheetDrawText(sh, 161, 23, u"記録係");
  CellText(sh, 0, 30, 7.5, u"開始");
  CellText(sh, kMoveCell, 30, 7.5, h.startTime);
  CellText(sh, 90, 30, 7.5, u"昼休　　　時　分～　　　時　分");
  CellText(sh, 0, 37.5, 7.5, u"終了");
  CellText(sh, kMoveCell, 37.5, 7.5, h.endTime);
  CellText(sh, 90, 37.5, 7.5, u"夕休　　　時　分～　　　時　分");
  CellText(sh, 0, 45, 7.5, u"手　合　割");
  if (IsHandicap()) CellText(sh, kMoveCell, 45, 7.5, HandicapName(g_StartBoard.handicap));
  CellText(sh, 52, 45, 7.5, u"持　時　間");
  CellText(sh, 72, 45, 7.5, h.timeLimit);
  CellText(sh, 0, 52.5, 7.5, u"消 費 時 間");
  CellText(sh, kMoveCell, 52.5, 7.5, ConsumedTimeText(line));
  VerticalText(sh, 110, 45, 8, 15, u"備考");
  CellText(sh, 118, 45, 7.5, PrintMarks(u"昼休前△　　　分・夕休前△　　　分"));
  CellText(sh, 118, 52.5, 7.5, SheetResultText(line));
}

// The moves of the main line that fall on this page.
void PrintMoveColumns(Sheet& sh, int page) {
  const int shift = IsHandicap() ? 1 : 0;
  const SheetLine& line = KeptSheetLine();
  // Only the page's own moves: slot n + shift holds move n.
  const int firstMove = std::max(1, kSlotsPerPage * (page - 1) + 1 - shift);
  const int lastMove = std::min(line.slotted, kSlotsPerPage * page - shift);
  for (int n = firstMove; n <= lastMove; ++n) {
    const RecordNode* nd = line.nodes[size_t(n - 1)];
    const std::u16string text =
        IsBoardMoveNode(*nd) ? FormatMoveText(nd->textFlags, line.prevTo[size_t(n - 1)], nd->from, nd->to, nd->piece,
                                              kFormSame, kMarkNone, 0)
                             : std::u16string(u"－");
    const int64_t total = line.cumulative[size_t(n - 1)];
    const int slot = n + shift;
    const int f = (slot - 1) % kSlotsPerPage;
    const int column = (f / 50) * 2 + (f % 2);
    const double left = column * kColumn;
    const double top = kHeader + kRow + ((f % 50) / 2) * kRow;
    SheetDrawLabel(sh, text, left + 1, top + 2.5);
    if (nd->seconds >= 60) {
      SheetDrawText(sh, left + kMoveCell + 1, top + 1, FormatU16(u"%d", nd->seconds / 60));
      SheetDrawText(sh, left + kMoveCell + 4.5, top + 4.5, FormatU16(u"%3d", int(total / 60)));
    }
  }
}

}  // namespace

int CountSheetSlots() {
  MainLine line = ReadMainLine();
  return line.moves + (TakesSlot(line.last) ? 1 : 0);
}

int CountSheetPages() {
  const int m = CountSheetSlots();
  g_nSheetPages = IsHandicap() ? m / kSlotsPerPage + 1 : (m - 1) / kSlotsPerPage + 1;
  return g_nSheetPages;
}

std::u16string FormatSheetResult() { return SheetResultText(ReadMainLine()); }

void PrintRecordSheet(QPainter& p, int page, int screenDpiX) {
  p.save();
  p.setBackgroundMode(Qt::TransparentMode);
  const QPaintDevice* device = p.device();
  const int dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
  if (screenDpiX <= 0) screenDpiX = 96;
  const int lineWidth = std::max(1, dpiX / screenDpiX);
  Sheet sh{p,
           dpiX / 25.4,
           dpiY / 25.4,
           dpiY,
           QPen(Qt::black, lineWidth, Qt::SolidLine, Qt::SquareCap),
           QPen(Qt::black, lineWidth * 2, Qt::SolidLine, Qt::SquareCap),
           QPen(Qt::black, 0)};
  p.setFont(MinchoFont(dpiY, 10));
  if (g_nSheetPages > 1)
    SheetDrawText(sh, kWidth - 20, -7, FormatU16(u"Page %d / %d", page, g_nSheetPages));
  DrawForm(sh);
  MainLine line = ReadMainLine();
  DrawHeaderBoxes(sh, line);

  p.setFont(MinchoFont(dpiY, 9));
  PrintMoveColumns(sh, page);

  p.setFont(MinchoFont(dpiY, 7));
  for (int c = 0; c < 6; ++c) {
    const double left = c * kColumn + kMoveCell;
    SheetDrawText(sh, left + 0.5, kHeader + 0.5, u"消費");
    SheetDrawText(sh, left + 5, kHeader + 4.5, u"通計");
  }

  p.setFont(MinchoFont(dpiY, 13));
  const RecordHeader& h = g_Record.header;
  if (!h.firstPlayer.empty()) CellText(sh, kMoveCell + 12, 0, 15, h.firstPlayer);
  if (!h.secondPlayer.empty()) CellText(sh, kMoveCell + 12, 15, 15, h.secondPlayer);
  p.restore();
}

// ---- Printing and preview ---------------------------------------------------------

namespace {

// Pages from..to (0 0: all), each copy drawn when the printer makes none.
bool PrintSheetPages(QPrinter& printer, QPainter& painter) {
  const int pages = g_nSheetPages;
  int from = printer.fromPage(), to = printer.toPage();
  if (from < 1) from = 1;
  if (to < 1 || to > pages) to = pages;
  const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
  const bool collate = printer.collateCopies();
  bool first = true;
  auto page = [&](int n) {
    if (!first && !printer.newPage()) return false;
    first = false;
    PrintRecordSheet(painter, n, g_nDpiX);
    return printer.printerState() != QPrinter::Error;
  };
  for (int c = 0; c < (collate ? copies : 1); ++c)
    for (int n = from; n <= to; ++n)
      for (int k = 0; k < (collate ? 1 : copies); ++k)
        if (!page(n)) return false;
  return true;
}

void SetUpSheetPrinter(QPrinter& printer) {
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName(Q(FormatU16(u"%s - 棋譜用紙", g_szAppTitle)));
  CountSheetPages();
  printer.setFromTo(0, 0);
}

}  // namespace

int PrintScoreSheet(CNarvoView* view, bool withDialog) {
  QWidget* owner = g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : view;
  QPrinter printer(QPrinter::HighResolution);
  SetUpSheetPrinter(printer);
  if (withDialog) {
    printer.setFromTo(1, g_nSheetPages);
    if (PrintDevices().RunPrintDialog(printer, owner) != QDialog::Accepted) return 1;
  } else if (!PrintDevices().UseDefaultPrinter(printer)) {
    ShowMessage(u"プリンタがインストールされていません。", kMbOk | kMbIconError, g_szAppTitle);
    return 0;
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    ShowMessage(u"印刷エラー(StartDoc)", kMbOk | kMbIconError, g_szAppTitle);
    return 0;
  }
  if (!PrintSheetPages(printer, painter)) {
    ShowMessage(u"印刷エラー(EndPage)", kMbOk | kMbIconError, g_szAppTitle);
    printer.abort();
    painter.end();
    return 0;
  }
  if (!painter.end()) {
    ShowMessage(u"印刷エラー(EndPage)", kMbOk | kMbIconError, g_szAppTitle);
    return 0;
  }
  return 1;
}

void PreviewScoreSheet(CNarvoView* view) {
  QWidget* owner = g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : view;
  SheetPreviewDialog preview(CountSheetPages(), owner);
  preview.exec();
  if (preview.PrintAsked()) PrintScoreSheet(view, true);
}
