#include "view/info_panel.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdio>

#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/datetime.h"
#include "record/notation.h"
#include "settings/env.h"
#include "view/board_drawing.h"
#include "view/narvo_view.h"

int g_nInfoLineHeight = 15;

namespace {

const QColor kRunningColour(0, 0, 255);

QFont InfoFont() {
  return MakeFont(g_fontInfo.face, g_fontInfo.size, g_fontInfo.bold, g_fontInfo.italic != 0);
}

int TextLeft(CellSize c) { return 12 * c.w + 78; }
int LineTop(int line) { return line * g_nInfoLineHeight + 5; }

// Where the lines may draw.
QRect TextArea(CellSize c) { return QRect(QPoint(12 * c.w + 78, 5), QPoint(15 * c.w + 116, 5 * c.h + 24)); }

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

bool RecordNotation() { return (g_nMoveNotation == 2 || g_nMoveNotation == 3) && g_bCheckRules != 0; }

// A move's text by the panel's notation; marked with the side mark of the
// notation or plain. Empty for no node or the root.
std::u16string MoveText(const RecordNode* node, bool marked, int width, int form = kFormSame) {
  if (node == nullptr || node == g_Record.Root()) return std::u16string();
  const bool down = (g_nMoveNotation & 1) != 0;
  if (RecordNotation())
    return FormatNodeMove(node, g_Record, form, marked ? (down ? kMarkWhiteDown : kMarkWhiteUp) : kMarkNone,
                          width);
  return FormatMoveForDisplay(width, node, 0, marked ? (down ? 2 : 1) : 0);
}

const RecordNode* CurrentNode() {
  return g_Record.moveNumber > 0 ? g_Record.current : nullptr;
}

bool IsInterruption(const RecordNode* node) {
  return node != nullptr && IsEndNode(*node) && node->from == kEndFrom && node->to == kEndSuspend;
}

std::u16string LastMoveLineOf(const RecordNode* node, int sideToMove) {
  if (node == nullptr) return u"\u3000\u3000\u3000\u3000\u3000\u3000まで\u3000";
  const char16_t* mark = sideToMove == kGote ? u"▲" : (g_nMoveNotation & 1) != 0 ? u"▽" : u"△";
  return mark + MoveText(node, false, 10) + u"まで\u3000";
}

std::u16string Cut(std::u16string text, std::u16string_view stops) {
  size_t at = text.find_first_of(stops);
  if (at != std::u16string::npos) text.resize(at);
  return text;
}

const std::u16string* ItemOfLetter(const RecordHeader& h, char16_t letter) {
  switch (letter | 0x20) {
    case u'i': return &h.event;
    case u's': return &h.opening;
    case u'u': return &h.title;
    case u'm': return &h.timeLimit;
    case u'h': return &h.place;
    case u'r': return &h.publishedIn;
    default: return nullptr;
  }
}

// The template of panel line 1..3: the mate-problem ones when 作者 is set.
const std::u16string& LineTemplate(int line) {
  const bool problem = !g_Record.header.author.empty();
  switch (line) {
    case 1: return problem ? g_szProblemInfoFormat1 : g_szInfoFormat1;
    case 2: return problem ? g_szProblemInfoFormat2 : g_szInfoFormat2;
    default: return problem ? g_szProblemInfoFormat3 : g_szInfoFormat3;
  }
}

// Runs draw on the view's image and shows the panel's text area.
template <typename Draw>
void ThroughView(CNarvoView* view, Draw draw) {
  if (view == nullptr || g_AppMode == kModePreview) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  draw(sp.Painter());
  sp.Touch(InfoPanelRect(CurrentCellSize()));
}

}  // namespace

// ---- Texts ----------------------------------------------------------------------------

void UpdateInfoLineHeight() {
  QFontMetrics m(InfoFont());
  g_nInfoLineHeight = std::max(1, (m.height() + std::max(0, m.leading())) * 6 / 5);
}

std::u16string PadTo20(std::u16string_view text) {
  std::u16string out(text);
  if (out.size() < 20) out.append(20 - out.size(), u' ');
  return out;
}

std::u16string ExpandInfoTemplate(std::u16string_view format) {
  const RecordHeader& h = g_Record.header;
  std::u16string out;
  out.reserve(format.size() + 20);
  for (size_t i = 0; i < format.size(); ++i) {
    char16_t ch = format[i];
    if (ch != u'%' || i + 1 >= format.size()) {
      out += ch;
      continue;
    }
    char16_t code = format[++i];
    switch (code) {
      case u'n': out += Ascii(std::to_string(g_Record.moveNumber).c_str()); break;
      case u'a':
      case u'l': out += MoveText(CurrentNode(), false, 0); break;
      case u'A': out += MoveText(CurrentNode(), true, 0); break;
      case u'L': out += MoveText(CurrentNode(), true, 0, kFormSquareSame); break;
      case u'p':
      case u'P':
        if (g_Record.moveNumber >= 2)
          out += MoveText(GetNodeAtMove(g_Record.moveNumber - 1, g_Record), code == u'P', 0);
        break;
      case u'b': out += h.firstPlayer; break;
      case u'w': out += h.secondPlayer; break;
      case u'c': out += u"\r\n"; break;
      case u'f': out += g_szRecordTitle; break;
      case u'G': out += h.startTime; break;
      case u'g': out += Cut(h.startTime, u" ("); break;
      case u'E': out += h.endTime; break;
      case u'e': out += Cut(h.endTime, u" ("); break;
      case u'1': case u'2': case u'3': case u'4': case u'5':
        out += h.userItems[code - u'1'];
        break;
      case u'y': out += g_szToday; break;
      case u't': out += g_szNowTime; break;
      case u'*': {
        const RecordNode* node = g_Record.current;
        if (node != nullptr && node->comment != nullptr) out += node->comment;
        break;
      }
      case u'%': out += u'%'; break;
      case u'/': {
        const std::u16string* item = i + 1 < format.size() ? ProblemItemOfCode(h, format[i + 1]) : nullptr;
        if (item != nullptr) {
          out += *item;
          ++i;
        } else {
          out += u"%/";
        }
        break;
      }
      default:
        if (const std::u16string* item = ItemOfLetter(h, code)) {
          out += *item;
        } else {
          out += u'%';
          out += code;
        }
        break;
    }
  }
  return PadTo20(out);
}

std::u16string InfoPlayerLine(int side) {
  const RecordHeader& h = g_Record.header;
  const std::u16string& name = side == kSente ? h.firstPlayer : h.secondPlayer;
  const std::u16string& shortName = side == kSente ? h.firstShortName : h.secondShortName;
  std::u16string shown = shortName.empty() ? name : name + u"/" + shortName;
  return (side == kSente ? u"▲" : u"△") + PadTo20(shown);
}

std::u16string InfoHandicapLine() {
  int code = std::clamp(int(g_Board.handicap), 0, kHandicapCount - 1);
  return std::u16string(u"手合割：") + g_HandicapPanelNames[code];
}

std::u16string InfoMoveNumberLine() {
  char text[32];
  std::snprintf(text, sizeof text, "%3d     ", g_Record.moveNumber);
  return u"手\u3000数：" + Ascii(text);
}

std::u16string InfoLastMoveLine() {
  const RecordNode* node = CurrentNode();
  if (IsInterruption(node)) return std::u16string();
  return LastMoveLineOf(node, g_Board.sideToMove);
}

std::u16string InfoSideToMoveLine() {
  const bool first = g_Board.sideToMove == kSente;
  if (g_Board.handicap != kHandicapEven) return first ? u"下手番" : u"上手番";
  return first ? u"先手番" : u"後手番";
}

int InfoTimeLineOf(int moveNumber) {
  const bool firstStarts = g_StartBoard.sideToMove == kSente;
  const bool odd = (moveNumber & 1) != 0;
  return odd == firstStarts ? 1 : 3;
}

// ---- Drawing ----------------------------------------------------------------------------

void DrawInfoText(QPainter& p, std::u16string_view text, int x, int y, const QColor& colour) {
  if (g_AppMode == kModePreview) return;
  CellSize c = CurrentCellSize();
  QString shown;
  shown.reserve(int(text.size()));
  for (char16_t ch : text)
    if (ch >= 0x20 && ch != 0x7F) shown += QChar(ch);
  QFont font = InfoFont();
  p.save();
  p.setClipRect(TextArea(c), Qt::IntersectClip);
  // The whole line goes first: padding does not make equal widths, so a
  // shorter text drawn opaque would leave the tail of the one it replaces.
  const QRect area = TextArea(c);
  p.fillRect(QRect(QPoint(x, y), QPoint(area.right(), y + g_nInfoLineHeight - 1)), Qt::white);
  p.setFont(font);
  p.setPen(colour);
  p.setBackgroundMode(Qt::TransparentMode);
  p.drawText(x, y + QFontMetrics(font).ascent(), shown);
  p.restore();
}

void ClearInfoPanel(QPainter& p) {
  if (g_AppMode == kModePreview) return;
  PixelRect r = InfoPanelRect(CurrentCellSize());
  p.save();
  p.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), Qt::white);
  p.setPen(Qt::black);
  DrawRectOutline(p, r);
  p.restore();
}

namespace {

void DrawLine(QPainter& p, int line, std::u16string_view text, const QColor& colour = Qt::black) {
  DrawInfoText(p, text, TextLeft(CurrentCellSize()), LineTop(line), colour);
}

void DrawTimes(QPainter& p, int moveNumber, int runningSeconds, bool running) {
  std::u16string text;
  if (running) {
    // n is the side's move before the one being thought over: its total
    // grows by the running seconds.
    text = FormatMoveTimes(runningSeconds, GetCumulativeTimeAtMove(moveNumber) + runningSeconds) + u" ";
  } else {
    text = FormatMoveTimes(moveNumber) + u" ";
  }
  DrawLine(p, InfoTimeLineOf(moveNumber), text, running ? kRunningColour : QColor(Qt::black));
}

}  // namespace

void DrawInfoPlayerNames(QPainter& p) {
  DrawLine(p, 0, InfoPlayerLine(kSente));
  DrawLine(p, 2, InfoPlayerLine(kGote));
}

void DrawInfoMoveTime(QPainter& p, int moveNumber) { DrawTimes(p, moveNumber, 0, false); }

void DrawInfoRunningTime(QPainter& p, int seconds, int moveNumber) {
  DrawTimes(p, moveNumber, std::max(0, seconds), true);
}

void DrawInfoHandicap(QPainter& p) { DrawLine(p, 4, InfoHandicapLine()); }

void DrawInfoLastMove(QPainter& p) {
  DrawLine(p, 5, InfoMoveNumberLine());
  std::u16string last = InfoLastMoveLine();
  if (!last.empty()) DrawLine(p, 6, last);
}

void DrawInfoSideToMove(QPainter& p) { DrawLine(p, 7, InfoSideToMoveLine()); }

void DrawInfoLine1(QPainter& p) { DrawLine(p, 8, ExpandInfoTemplate(LineTemplate(1))); }
void DrawInfoLine2(QPainter& p) { DrawLine(p, 9, ExpandInfoTemplate(LineTemplate(2))); }
void DrawInfoLine3(QPainter& p) { DrawLine(p, 10, ExpandInfoTemplate(LineTemplate(3))); }

void DrawInfoPanel(QPainter& p) {
  if (g_AppMode == kModePreview) return;
  DrawInfoPlayerNames(p);
  const int n = g_Record.moveNumber;
  DrawInfoMoveTime(p, n);
  DrawInfoMoveTime(p, n - 1);
  DrawInfoHandicap(p);
  DrawInfoLastMove(p);
  // A repaint at an interruption shows the last real move, as the screen did
  // before it was covered.
  const RecordNode* node = CurrentNode();
  if (IsInterruption(node)) {
    const RecordNode* before = n > 1 ? GetNodeAtMove(n - 1, g_Record) : nullptr;
    DrawLine(p, 6, LastMoveLineOf(before, g_Board.sideToMove));
  }
  DrawInfoSideToMove(p);
  DrawInfoLine1(p);
  DrawInfoLine2(p);
  DrawInfoLine3(p);
}

void DrawInfoPanel(CNarvoView* view) {
  ThroughView(view, [](QPainter& p) {
    ClearInfoPanel(p);
    DrawInfoPanel(p);
  });
}

void DrawInfoPlayerNames(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoPlayerNames(p); }); }
void DrawInfoMoveTime(CNarvoView* view, int n) { ThroughView(view, [n](QPainter& p) { DrawInfoMoveTime(p, n); }); }
void DrawInfoHandicap(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoHandicap(p); }); }
void DrawInfoLastMove(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoLastMove(p); }); }
void DrawInfoSideToMove(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoSideToMove(p); }); }
void DrawInfoLine1(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoLine1(p); }); }
void DrawInfoLine2(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoLine2(p); }); }
void DrawInfoLine3(CNarvoView* view) { ThroughView(view, [](QPainter& p) { DrawInfoLine3(p); }); }
void DrawInfoRunningTime(CNarvoView* view, int seconds, int n) {
  ThroughView(view, [seconds, n](QPainter& p) { DrawInfoRunningTime(p, seconds, n); });
}
