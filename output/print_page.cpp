#include "output/print_page.h"

#include <climits>
#include <functional>

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "output/print_record.h"
#include "record/board.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"

int g_bPrintingInProgress = 0;

namespace {

QString Q(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// A font of the settings at a pixel height; the weight is the setting's third
// value (0 or 400 plain, 700 bold). Characters the face lacks come from
// another face, as Qt substitutes per character.
QFont MakeFontPx(std::u16string_view face, int pixels, int weight, bool italic) {
  QFont font(Q(MapFontFace(face)));
  font.setPixelSize(std::max(1, pixels));
  font.setWeight(weight <= 1 ? QFont::Normal : QFont::Weight(std::clamp(weight, 100, 900)));
  font.setItalic(italic);
  return font;
}

int PointPixels(int dpiY, int tenths) { return dpiY * tenths / 720; }

bool IsMateProblem() {
  return !g_Record.header.author.empty() && g_StartBoard.handicap == kHandicapEven;
}

}  // namespace

QFont MakePrintFont(int dpiY) {
  return MakeFontPx(g_fontPrintPt.face, PointPixels(dpiY, g_fontPrintPt.size), g_fontPrintPt.bold,
                    g_fontPrintPt.italic != 0);
}

QFont MakePrintNumeralFont(int dpiY) {
  return MakeFontPx(g_fontPrintPt.face, dpiY * g_fontPrintPt.size * 8 / 7200, 0, false);
}

QFont MakePrintHandFont(int dpiY) {
  return MakeFontPx(g_fontPrintHandPt.face, PointPixels(dpiY, g_fontPrintHandPt.size),
                    g_fontPrintHandPt.bold, g_fontPrintHandPt.italic != 0);
}

PrintPageMetrics ComputePrintPageMetrics(int dpiX, int dpiY, bool printing) {
  PrintPageMetrics m;
  m.dpiX = dpiX;
  m.dpiY = dpiY;
  m.mm = int(dpiX / 25.4 + 0.5);
  QFontMetrics fm(MakePrintFont(dpiY));
  m.h = fm.height();
  m.e = std::max(0, fm.leading());
  m.L = m.h + m.e + g_nPrintLineSpacing * m.mm / 10;
  m.X = m.mm * g_nPrintLeftMarginMm;
  m.C = m.X + 3 * m.h + 15;
  m.s = m.h * 140 / 100;
  m.T0 = printing ? 0 : 20;
  return m;
}

std::u16string PrintMarks(std::u16string text) {
  if (!g_bPrintUnicodeMarks) return text;
  for (char16_t& c : text) {
    if (c == u'▲') c = u'☗';
    else if (c == u'△') c = u'☖';
  }
  return text;
}

std::u16string ShortenPrintName(std::u16string_view name, int n) {
  std::u16string out;
  int width = 0;
  for (char16_t c : name) {
    if (c == u' ' || c == u'\u3000') break;
    out += c;
    width += CharWidth(c);
    if (width >= 2 * n) break;
  }
  return out;
}

namespace {

// The name beside the diagram: the short name when set, else the full name cut.
std::u16string PrintPlayerName(bool first) {
  const RecordHeader& h = g_Record.header;
  const std::u16string& shortName = first ? h.firstShortName : h.secondShortName;
  if (!shortName.empty()) return shortName;
  return ShortenPrintName(first ? h.firstPlayer : h.secondPlayer,
                          first ? g_nPrintBlackNameChars : g_nPrintWhiteNameChars);
}

}  // namespace

int CountHandRows(int side) {
  const bool first = side == kSente;
  const bool lower = first != (g_bBoardFlipped != 0);
  int rows;
  if (lower && IsMateProblem() && !g_bBoardFlipped) {
    rows = 3;
  } else if (g_bPrintNamesVertical) {
    rows = int(PrintPlayerName(first).size()) + 2;
  } else {
    rows = 2;
  }
  const uint8_t* hand = g_Board.hands[SideIndex(side)];
  bool any = false;
  for (int kind = kPawn; kind <= kRook; ++kind) {
    int count = hand[kind];
    if (!count) continue;
    any = true;
    rows += count == 1 ? 1 : count <= 10 ? 2 : 3;
  }
  return any ? rows : rows + 2;
}

// ---- Template ------------------------------------------------------------------------

namespace {

const std::u16string* HeaderField(char16_t c) {
  const RecordHeader& h = g_Record.header;
  switch (c) {
    case u'b': return &h.firstPlayer;
    case u'w': return &h.secondPlayer;
    case u'g': return &h.startTime;
    case u'e': return &h.endTime;
    case u'u': return &h.title;
    case u'i': return &h.event;
    case u's': return &h.opening;
    case u'm': return &h.timeLimit;
    case u'h': return &h.place;
    case u'r': return &h.publishedIn;
    default: return nullptr;
  }
}

// The move text of %a %A %l %L %p %P for move n.
std::u16string MoveCodeText(char16_t code, int n) {
  const bool withMark = code == u'A' || code == u'L' || code == u'P';
  const bool odd = g_nMoveNotation % 2 != 0;
  if (g_nMoveNotation > 1) {
    const int form = code == u'L' ? kFormSquare : kFormSquareSame;
    return FormatMoveTextAt(g_Record, n, form,
                            withMark ? (odd ? kMarkWhiteDown : kMarkWhiteUp) : kMarkNone, 0);
  }
  return FormatMoveForDisplayAt(n, 0, withMark ? (odd ? 2 : 1) : 0, 0, g_Record);
}

}  // namespace

std::vector<PrintOp> ExpandPrintTemplate(std::u16string_view tpl, std::u16string_view date,
                                         std::u16string_view time) {
  std::vector<PrintOp> ops;
  std::u16string run;
  auto text = [&](std::u16string_view t) {
    if (t.empty()) return;
    if (!ops.empty() && ops.back().kind == PrintOpKind::kText)
      ops.back().text += t;
    else
      ops.push_back({PrintOpKind::kText, std::u16string(t)});
  };
  auto flush = [&] {
    text(run);
    run.clear();
  };
  auto op = [&](PrintOpKind kind) { ops.push_back({kind, {}}); };
  const int n = g_Record.moveNumber;
  for (size_t i = 0; i < tpl.size(); ++i) {
    char16_t c = tpl[i];
    if (c == u'&') {
      flush();
      if (++i >= tpl.size()) break;
      if (tpl[i] == u'C' || tpl[i] == u'c') op(PrintOpKind::kCentre);
      else if (tpl[i] == u'&') run += u'&';
      continue;
    }
    if (c != u'%') {
      run += c;
      continue;
    }
    flush();
    if (++i >= tpl.size()) break;
    const char16_t code = tpl[i];
    const char16_t lower = code >= u'A' && code <= u'Z' ? char16_t(code + 32) : code;
    switch (code) {
      case u'f': text(g_szRecordTitle); continue;
      case u'F': text(g_szRecordFolder + g_szRecordTitle); continue;
      case u'a': case u'l': case u'A': case u'L':
        if (n >= 1) text(MoveCodeText(code, n));
        continue;
      case u'p': case u'P':
        if (n >= 2) text(MoveCodeText(code, n - 1));
        continue;
      case u'k': op(PrintOpKind::kRecord); continue;
      case u'K': op(PrintOpKind::kRecordHeader); continue;
      default: break;
    }
    if (const std::u16string* field = HeaderField(lower)) {
      text(*field);
      continue;
    }
    switch (lower) {
      case u'y': text(date); break;
      case u't': text(time); break;
      case u'c': op(PrintOpKind::kBreak); break;
      case u'n': text(IntToU16(n)); break;
      case u'o':
        if (const char16_t* name = GetBookmarkAtMove(g_Record, n)) text(name);
        break;
      case u'd': op(PrintOpKind::kBoard); break;
      case u'*':
        if (g_Record.current && g_Record.current->comment) op(PrintOpKind::kComment);
        break;
      case u'%': text(u"%"); break;
      case u'/':
        // 受賞 (%/a) is no print code.
        if (++i < tpl.size() && tpl[i] != u'a')
          if (const std::u16string* field = ProblemItemOfCode(g_Record.header, tpl[i])) text(*field);
        break;
      case u'"': {
        size_t close = tpl.find(u'"', i + 1);
        i = close == std::u16string_view::npos ? tpl.size() : close;
        break;
      }
      default:
        if (code >= u'1' && code <= u'5') text(g_Record.header.userItems[code - u'1']);
        break;
    }
  }
  flush();
  return ops;
}

// ---- Drawing -------------------------------------------------------------------------

namespace {

struct Page {
  QPainter& p;
  bool printing;
  PrintPageMetrics m;
  QFont font;
  int x = 0, y = 0;  // the current position: the top left of the next text
  // The record print goes on over as many pages as it needs: lines wrap at
  // `right`, a line that would pass `bottom` starts the next page (when
  // nextPage gives one; otherwise the drawing stops there). The position
  // print has neither edge.
  int top = 0;
  int right = INT_MAX, bottom = INT_MAX;
  const std::function<bool()>* nextPage = nullptr;
  bool stopped = false;
};

int TextWidth(const QFont& font, const std::u16string& text) {
  return QFontMetrics(font).horizontalAdvance(Q(text));
}

// Text with its cell's top left at (x, y).
void DrawTextTop(QPainter& p, const QFont& font, int x, int y, const std::u16string& text) {
  p.setFont(font);
  p.drawText(x, y + QFontMetrics(font).ascent(), Q(text));
}

// Text turned half a round about (x, y): it reads upside down and lies left
// of and above that point.
void DrawTextTurned(QPainter& p, const QFont& font, int x, int y, const std::u16string& text) {
  p.save();
  p.translate(x, y);
  p.rotate(180);
  DrawTextTop(p, font, 0, 0, text);
  p.restore();
}

// A run at the current position, which moves on past it.
void LineBreak(Page& pg) {
  pg.y += pg.m.L;
  pg.x = pg.m.X;
  if (pg.stopped || pg.y + pg.m.L <= pg.bottom) return;
  if (pg.nextPage && (*pg.nextPage)()) pg.y = pg.top;
  else pg.stopped = true;
}

// How much of text fits in width from its start: at least one character, and
// never half of a surrogate pair.
size_t FittingLength(const QFontMetrics& fm, const std::u16string& text, int width) {
  size_t n = 0;
  int used = 0;
  while (n < text.size()) {
    const size_t step = (text[n] >= 0xD800 && text[n] <= 0xDBFF && n + 1 < text.size()) ? 2 : 1;
    used += fm.horizontalAdvance(QString::fromUtf16(text.data() + n, qsizetype(step)));
    if (used > width && n > 0) break;
    n += step;
  }
  return n;
}

void DrawPrintText(Page& pg, const std::u16string& text) {
  if (text.empty() || pg.stopped) return;
  std::u16string shown = PrintMarks(text);
  int width = TextWidth(pg.font, shown);
  // A line longer than the page goes on at the left edge of the next line.
  while (pg.x + width > pg.right && !pg.stopped) {
    const QFontMetrics fm(pg.font);
    const int room = pg.right - pg.x;
    size_t fits = FittingLength(fm, shown, room);
    if (fits >= shown.size()) break;
    if (pg.x > pg.m.X && fm.horizontalAdvance(QString::fromUtf16(shown.data(), 1)) > room) fits = 0;
    if (fits > 0) DrawTextTop(pg.p, pg.font, pg.x, pg.y, shown.substr(0, fits));
    shown.erase(0, fits);
    LineBreak(pg);
    width = TextWidth(pg.font, shown);
  }
  if (pg.stopped || shown.empty()) return;
  DrawTextTop(pg.p, pg.font, pg.x, pg.y, shown);
  pg.x += width;
}

void DrawPrintTextLines(Page& pg, const std::vector<std::u16string>& lines) {
  for (const std::u16string& line : lines) {
    if (pg.stopped) return;
    DrawPrintText(pg, line);
    LineBreak(pg);
  }
}

// The width of the rest of the line from op i on, as it will be drawn.
int MeasurePrintLine(const Page& pg, const std::vector<PrintOp>& ops, size_t i) {
  int width = 0;
  for (; i < ops.size(); ++i) {
    if (ops[i].kind == PrintOpKind::kText) width += TextWidth(pg.font, PrintMarks(ops[i].text));
    else if (ops[i].kind != PrintOpKind::kCentre) break;
  }
  return width;
}

// ---- Board diagram -------------------------------------------------------------------

int PenWidth(const Page& pg, double inches, int previewMinimum) {
  int w = int(pg.m.dpiY * inches + 0.5);
  if (!pg.printing) w = std::max(w, previewMinimum);
  return std::max(w, 1);
}

void DrawPrintBoardNumerals(Page& pg, int B) {
  const int s = pg.m.s, C = pg.m.C;
  QFont font = MakePrintNumeralFont(pg.m.dpiY);
  QFontMetrics fm(font);
  const bool flipped = g_bBoardFlipped != 0;
  for (int col = 0; col < 9; ++col) {
    std::u16string digit(1, char16_t(flipped ? u'1' + col : u'9' - col));
    int w = fm.horizontalAdvance(Q(digit));
    DrawTextTop(pg.p, font, C + col * s + (s - w) / 2, B - pg.m.h, digit);
  }
  for (int row = 0; row < 9; ++row) {
    std::u16string rank(1, g_RankNumerals[flipped ? 9 - row : row + 1]);
    DrawTextTop(pg.p, font, C + 9 * s + s / 5, B + row * s + (s - fm.height()) / 2, rank);
  }
}

// The square the bold piece stands on, 0 for none.
int BoldSquare() {
  if (!g_nLastMoveMark || g_Record.moveNumber <= 0 || !g_Record.current) return 0;
  const RecordNode* node = g_Record.current;
  if (IsEndNode(*node)) {
    if (g_Record.moveNumber <= 1) return 0;
    node = FindParentNode(g_Record, node);
    if (!node || !IsBoardMoveNode(*node)) return 0;
  }
  return node->to & 0x7F;
}

void DrawPrintSquare(Page& pg, int B, int square, int code, bool bold) {
  const int s = pg.m.s;
  const bool flipped = g_bBoardFlipped != 0;
  const int file = square / 10, rank = square % 10;
  const int col = flipped ? file - 1 : 9 - file;
  const int row = flipped ? 9 - rank : rank - 1;
  const int left = pg.m.C + col * s, top = B + row * s;
  const int kind = CodeWithoutSide(code);
  const bool first = (code & kSenteBit) != 0;
  const char16_t* glyph = g_PieceNames[kind];
  if (kind == 15 && g_nDragonGlyph) glyph = u"竜";
  if (kind == kKing && first && !g_Record.header.author.empty()) glyph = u"王";
  const std::u16string name = glyph;
  QFont font = pg.font;
  if (bold) font.setWeight(QFont::Bold);
  QFontMetrics fm(font);
  const int freeX = s - fm.horizontalAdvance(Q(name)), freeY = s - fm.height();
  const bool upper = first == flipped;
  if (upper)
    DrawTextTurned(pg.p, font, left + s - freeX / 2, top + s - freeY / 2, name);
  else
    DrawTextTop(pg.p, font, left + freeX / 2 + 1, top + freeY / 2 + 1, name);
}

std::u16string KanjiCountText(int count) {
  if (count < 2) return {};
  if (count < 10) return std::u16string(1, g_RankNumerals[count]);
  std::u16string s = u"十";
  if (count > 10) s += g_RankNumerals[count % 10];
  return s;
}

// One column of names and pieces in hand, one entry per row.
std::vector<std::u16string> HandColumn(int side, bool problemForm) {
  const bool first = side == kSente;
  std::vector<std::u16string> rows;
  if (problemForm) {
    rows = {u"持", u"駒"};
  } else {
    std::u16string name = PrintPlayerName(first);
    std::u16string mark = PrintMarks(first ? u"▲" : u"△");
    if (g_bPrintNamesVertical) {
      rows.push_back(mark);
      for (char16_t c : name) rows.emplace_back(1, c);
    } else {
      rows.push_back(mark + name);
    }
  }
  rows.emplace_back();
  const uint8_t* hand = g_Board.hands[SideIndex(side)];
  bool any = false;
  for (int kind = kRook; kind >= kPawn; --kind) {
    if (!hand[kind]) continue;
    any = true;
    rows.emplace_back(g_PieceNames[kind]);
    for (char16_t c : KanjiCountText(hand[kind])) rows.emplace_back(1, c);
  }
  if (!any) {
    rows.emplace_back(u"な");
    rows.emplace_back(u"し");
  }
  return rows;
}

void DrawPrintHands(Page& pg, int B) {
  const int s = pg.m.s, C = pg.m.C;
  QFont font = MakePrintHandFont(pg.m.dpiY);
  QFontMetrics fm(font);
  const int R = fm.height() + std::max(0, fm.leading());
  const bool flipped = g_bBoardFlipped != 0;
  const int lowerSide = flipped ? kGote : kSente;
  const bool problem = IsMateProblem() && !flipped;

  std::vector<std::u16string> lower = HandColumn(lowerSide, problem);
  int rows = CountHandRows(lowerSide);
  int y = std::max(B, B + 9 * s - rows * R);
  for (const std::u16string& row : lower) {
    DrawTextTop(pg.p, font, C + 10 * s - 2, y, row);
    y += R;
  }
  if (problem) return;
  const int upperSide = kSente - lowerSide;
  std::vector<std::u16string> upper = HandColumn(upperSide, false);
  rows = CountHandRows(upperSide);
  y = std::min(B + rows * R, B + 9 * s);
  const int x = C - C * 10 / 100;
  for (const std::u16string& row : upper) {
    DrawTextTurned(pg.p, font, x, y, row);
    y -= R;
  }
}

void DrawPrintBoard(Page& pg) {
  QPainter& p = pg.p;
  const int s = pg.m.s, C = pg.m.C;
  const int B = pg.y + s + 2;
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, PenWidth(pg, 0.02, 2), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawRect(C, B, 9 * s, 9 * s);
  p.setPen(QPen(Qt::black, PenWidth(pg, 0.01, 1), Qt::SolidLine, Qt::FlatCap));
  for (int k = 1; k < 9; ++k) {
    p.drawLine(C + k * s, B, C + k * s, B + 9 * s);
    p.drawLine(C, B + k * s, C + 9 * s, B + k * s);
  }
  p.setPen(Qt::black);
  DrawPrintBoardNumerals(pg, B);
  const int bold = BoldSquare();
  for (int file = 1; file <= 9; ++file)
    for (int rank = 1; rank <= 9; ++rank) {
      int sq = file * 10 + rank;
      int code = g_Board.squares[sq];
      if (IsPiece(code)) DrawPrintSquare(pg, B, sq, code, sq == bold);
    }
  DrawPrintHands(pg, B);
  p.restore();
  pg.y += 10 * s + 10 + g_nPrintLineSpacing * 100 / 254;
  pg.x = pg.m.X;
}

void DrawPrintRecord(Page& pg, bool withHeader) {
  pg.x = pg.m.X;
  // Line by line: the lines below the last page drawn are never made.
  ForEachPrintRecordLine(withHeader, [&](const std::u16string& line) {
    DrawPrintText(pg, line);
    LineBreak(pg);
    return !pg.stopped;
  });
}

void DrawTrimFrame(QPainter& p) {
  const int l = g_rcImageTrim[0], t = g_rcImageTrim[1], r = g_rcImageTrim[2],
            b = g_rcImageTrim[3];
  p.setPen(QPen(QColor(0, 0, 255), 1));
  p.drawLine(l - 2, t - 1, r + 1, t - 1);
  p.drawLine(r + 1, t - 1, r + 1, b);
  p.drawLine(r + 1, b, l - 2, b);
  p.drawLine(l - 2, b, l - 2, t - 1);
}

}  // namespace

void DrawPrintPage(QPainter& p, bool printing, int paperWidthMm, int paperHeightMm) {
  DrawPrintPage(p, printing, paperWidthMm, paperHeightMm, p.device()->logicalDpiX(),
                p.device()->logicalDpiY());
}

void DrawPrintPage(QPainter& p, bool printing, int paperWidthMm, int paperHeightMm, int dpiX,
                   int dpiY) {
  DrawPrintPages(p, printing, paperWidthMm, paperHeightMm, dpiX, dpiY, nullptr);
}

void DrawPrintPages(QPainter& p, bool printing, int paperWidthMm, int paperHeightMm, int dpiX, int dpiY,
                    const std::function<bool()>* nextPage) {
  if (!printing && g_bPrintingInProgress) return;
  p.save();
  const int width = int(paperWidthMm * dpiX / 25.4);
  const int height = int(paperHeightMm * dpiY / 25.4);
  if (!printing) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 20, width - 1, height - 1);
  }
  Page pg{p, printing, ComputePrintPageMetrics(dpiX, dpiY, printing), MakePrintFont(dpiY)};
  p.setClipRect(QRect(0, pg.m.T0, width - 1, height - 1), Qt::IntersectClip);
  pg.x = pg.m.X;
  pg.y = pg.m.T0 + g_nPrintTopMarginMm * pg.m.mm;
  if (g_nPrintKind == 1) {
    // The top margin stands for the bottom one too. Lines wrap only where
    // they would run off the paper (a 5 mm edge no printer prints), so that
    // the move lines keep the layout they have always had.
    pg.top = pg.y;
    pg.right = width - 5 * pg.m.mm;
    pg.bottom = pg.m.T0 + height - g_nPrintTopMarginMm * pg.m.mm;
    pg.nextPage = nextPage;
  }
  p.setBackgroundMode(Qt::TransparentMode);
  p.setPen(Qt::black);
  p.setBrush(Qt::NoBrush);

  const std::u16string date = FormatToday(true);
  const std::u16string time = FormatNowTime();
  const std::u16string& tpl = g_nPrintKind == 1 ? g_szPrintRecordHeader : g_szPrintBoardHeader;
  const std::vector<PrintOp> ops = ExpandPrintTemplate(tpl, date, time);
  for (size_t i = 0; i < ops.size() && !pg.stopped; ++i) {
    switch (ops[i].kind) {
      case PrintOpKind::kText: DrawPrintText(pg, ops[i].text); break;
      case PrintOpKind::kBreak: LineBreak(pg); break;
      case PrintOpKind::kCentre:
        pg.x = pg.m.C + 4 * pg.m.s + pg.m.s / 2 - MeasurePrintLine(pg, ops, i + 1) / 2;
        break;
      case PrintOpKind::kBoard: DrawPrintBoard(pg); break;
      case PrintOpKind::kRecord: DrawPrintRecord(pg, false); break;
      case PrintOpKind::kRecordHeader: DrawPrintRecord(pg, true); break;
      case PrintOpKind::kComment:
        if (g_Record.current && g_Record.current->comment)
          DrawPrintTextLines(pg, SplitLines(g_Record.current->comment));
        break;
    }
  }
  if (!printing && g_bImageTrim) DrawTrimFrame(p);
  p.restore();
}
