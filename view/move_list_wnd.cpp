#include "view/move_list_wnd.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "view/branch_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/view_commands.h"

CDovuWnd* g_pMoveListWnd = nullptr;

using namespace Qt::Literals::StringLiterals;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

constexpr int kTimesForm = 0;
constexpr int kBranchForm = 1;
constexpr int kMaxColumns = 8;

// The move text of a row or column with its alternative and bookmark marks.
std::u16string MarkedMoveText(const GameRecord& record, const RecordNode* node,
                              const RecordNode* parent, int width, bool withSioriName) {
  std::u16string text = FormatShownMove(node, parent, width);
  if (IsBranchPointUnder(node, parent)) PutFirstBlankMark(text, u'+');
  if (const char16_t* name = GetBookmarkName(NodeIndex(record, node), record)) {
    PutFirstBlankMark(text, u'&');
    if (withSioriName) {
      text.erase(text.find(u'&') + 1);
      text += name;
      PadDisplay(text, width);
    }
  }
  return text;
}

// The current row's colour darkened toward the variation colour.
EnvColor CurrentInVariation(const EnvColor& cur, const EnvColor& var) {
  auto dark = [](int c, int v) { return uint8_t(std::max(0, c - (255 - v) / 2)); };
  return {dark(cur.r, var.r), dark(cur.g, var.g), dark(cur.b, var.b)};
}

// The current line: the path from the root to the current node, then its
// first-child chain.
std::vector<const RecordNode*> CurrentLine(const GameRecord& record) {
  std::vector<const RecordNode*> line;
  if (!record.pool || !record.current) return line;
  for (const RecordNode* n = record.current; n; n = FindParentNode(record, n)) {
    line.push_back(n);
    if (n == record.pool) break;
  }
  if (line.back() != record.pool) line.push_back(record.pool);
  std::reverse(line.begin(), line.end());
  for (const RecordNode* n = record.current->firstChild; n; n = n->firstChild) line.push_back(n);
  return line;
}

bool InDialogMode() { return g_AppMode != kModeGame && g_AppMode != kModeView && g_AppMode != 5; }

}  // namespace

// ---- Rows ---------------------------------------------------------------------------

void PutFirstBlankMark(std::u16string& text, char16_t mark) {
  size_t blank = text.find(u' ');
  if (blank == std::u16string::npos)
    text += mark;
  else
    text[blank] = mark;
}

void PadDisplay(std::u16string& text, int width) {
  int w = DisplayWidth(text);
  if (w < width) text.append(size_t(width - w), u' ');
}

std::u16string FormatShownMove(const RecordNode* node, const RecordNode* parent, int width) {
  if (!node || !parent) return {};
  std::u16string text;
  if ((g_nMoveNotation == 2 || g_nMoveNotation == 3) && g_bCheckRules)
    text = FormatMoveText(node->textFlags, parent->to, node->from, node->to, node->piece,
                          kFormSame, kMarkNone, 0);
  else
    text = FormatMoveDisplayCore(node->piece, node->from, node->to, parent->to);
  PadDisplay(text, width);
  return text;
}

std::vector<DovuRow> BuildDovuRows(int first, int count, int form, const GameRecord& record) {
  std::vector<DovuRow> rows;
  // The line kept by the record, with its running totals: only the rows
  // shown are looked at, wherever they lie on a long line.
  const LineSummary* kept = GetLineSummary(record);
  const std::vector<const RecordNode*> walked = kept ? std::vector<const RecordNode*>() : CurrentLine(record);
  const std::vector<const RecordNode*>& line = kept ? kept->nodes : walked;
  if (line.empty() || count <= 0) return rows;
  // A scroll position left beyond a line that has since become shorter.
  first = std::clamp(first, 0, int(line.size()) - 1);
  const int last = std::min(first + count - 1, int(line.size()) - 1);
  const int current = record.moveNumber;
  const EnvColor white{255, 255, 255};
  const EnvColor currentInVariation = g_nScreenColors > 256
                                          ? CurrentInVariation(g_rgbCurrentMove, g_rgbVariation)
                                          : g_rgbCurrentMove;
  // The walk to the first row carries the two sides' totals and whether the
  // line has left the main line.
  int64_t total[2] = {0, 0};
  bool offMain = false;
  bool firstShownOff = false;
  int from = 1;
  if (kept && first > 1) {
    // What the walk to the first row would have carried.
    from = first;
    total[(first - 1) & 1] = kept->totals[size_t(first - 1)];
    total[first & 1] = first >= 2 ? kept->totals[size_t(first - 2)] : 0;
    offMain = size_t(first - 1) >= kept->offMainFrom;
  }
  for (int n = from; n <= last; ++n) {
    const RecordNode* node = line[n];
    total[n & 1] += node->seconds;
    offMain = offMain || line[n - 1]->firstChild != node;
    if (n == first) firstShownOff = offMain;
    if (n < first) continue;
    DovuRow row;
    row.number = n;
    row.node = node;
    const char16_t comment = node->comment ? u'*' : u' ';
    const char16_t* numberFormat = n >= 1000 ? u"%03d%c%s" : u"%3d%c%s";
    if (form == kTimesForm) {
      std::u16string text = MarkedMoveText(record, node, line[n - 1], 18, false);
      row.text = FormatU16(numberFormat, n % 1000, comment, text.c_str()) +
                 FormatMoveTimes(node->seconds, total[n & 1]);
    } else {
      std::u16string text = MarkedMoveText(record, node, line[n - 1], 10, g_bShowSioriNames != 0);
      text += u' ';
      for (const RecordNode* alt = node->nextSibling; alt; alt = alt->nextSibling)
        text += MarkedMoveText(record, alt, line[n - 1], 10, g_bShowSioriNames != 0);
      row.text = FormatU16(numberFormat, n % 1000, comment, text.c_str());
    }
    const bool variation = offMain || (form == kBranchForm && firstShownOff);
    row.background = n == current ? (offMain ? currentInVariation : g_rgbCurrentMove)
                                  : variation ? g_rgbVariation : white;
    rows.push_back(std::move(row));
  }
  if (first == 0) {
    const RecordNode* root = line[0];
    DovuRow row;
    row.node = root;
    const char16_t comment = root->comment ? u'*' : u' ';
    const char16_t* name = GetBookmarkName(0, record);
    if (form == kTimesForm)
      row.text = FormatU16(u" ==%c開始局面%c==       消費時間(1手/累積)", comment, name ? u'&' : u' ');
    else if (!name)
      row.text = FormatU16(u" ==%c開始局面 ==  分岐                    ", comment);
    else if (g_bShowSioriNames)
      row.text = FormatU16(u" ==%c開始局面&%s==  分岐                    ", comment, name);
    else
      row.text = FormatU16(u" ==%c開始局面&==  分岐                    ", comment);
    row.background = current == 0 ? g_rgbCurrentMove : white;
    rows.insert(rows.begin(), std::move(row));
  }
  return rows;
}

std::u16string FormatDovuTitle(const GameRecord& record) {
  const int onLine = GetLineMoveCount(record);
  // The moves in the whole tree, counted again only when the tree changed.
  static const RecordNode* countedPool = nullptr;
  static uint32_t countedRevision = 0, countedReuses = 0;
  static int inTree = 0;
  if (countedPool != record.pool || countedRevision != record.revision || countedReuses != record.nodeReuses) {
    countedPool = record.pool;
    countedRevision = record.revision;
    countedReuses = record.nodeReuses;
    inTree = 0;
    for (int i = 1; i < record.poolCapacity; ++i)
      if (record.pool[i].to > 10) ++inTree;
  }
  if (inTree > onLine) return FormatU16(u"棋譜 %d手 / %d手", onLine, inTree);
  return FormatU16(u"棋譜 %d手", onLine);
}

int ComputeDovuScroll(int current, int lineLength, int visibleRows) {
  return std::max(0, std::min(current, std::min(current + 3, lineLength) - visibleRows + 1));
}

int DovuColumnAt(int x, int aveCharWidth) {
  const int w = std::max(1, aveCharWidth);
  if (x < 14 * w) return 1;
  return std::min(kMaxColumns, 2 + (x - 14 * w) / (10 * w));
}

// ---- The window ---------------------------------------------------------------------

CDovuWnd::CDovuWnd(QWidget* owner) : CompanionWindow(owner, &g_rcMoveListWnd) {
  setWindowTitle(u"棋譜 0手"_s);
  m_pScroll = new QScrollBar(Qt::Vertical, this);
  m_pScroll->hide();
  connect(m_pScroll, &QScrollBar::valueChanged, this, [this] { update(); });
  UpdateFont();
}

void CDovuWnd::UpdateFont() {
  m_font = MakePointFont(g_fontMoveListPt);
  QFontMetrics fm(m_font);
  m_nRowHeight = std::max(1, fm.height() + fm.leading());
  m_nAveCharWidth = std::max(1, fm.horizontalAdvance(u'0'));
  // The times form is no wider than its rows; the branch form may reach
  // across the desktop for many alternatives.
  setMaximumWidth(g_nMoveListStyle == kBranchForm ? QWIDGETSIZE_MAX
                                                  : 45 * m_nAveCharWidth + m_pScroll->sizeHint().width());
  SetRange();
  update();
}

int CDovuWnd::VisibleRows() const { return height() / m_nRowHeight; }
int CDovuWnd::ScrollPos() const { return m_pScroll->value(); }
bool CDovuWnd::ScrollBarShown() const { return !m_pScroll->isHidden(); }
int CDovuWnd::ClientWidth() const { return width() - (ScrollBarShown() ? m_pScroll->width() : 0); }

void CDovuWnd::SetRange() {
  const int length = GetLineLength(g_Record);
  const int visible = VisibleRows();
  m_pScroll->setRange(0, std::max(0, length - visible + 1));
  m_pScroll->setPageStep(std::max(1, visible - 1));
  const bool shown = visible < length + 1;
  if (shown != ScrollBarShown()) {
    m_pScroll->setVisible(shown);
    update();
  }
  const int w = m_pScroll->sizeHint().width();
  m_pScroll->setGeometry(width() - w, 0, w, height());
}

void CDovuWnd::SetScrollPos(int pos) {
  m_pScroll->setValue(std::clamp(pos, m_pScroll->minimum(), m_pScroll->maximum()));
  update();
}

void CDovuWnd::UpdateScroll() {
  SetRange();
  SetScrollPos(ComputeDovuScroll(g_Record.moveNumber, GetLineLength(g_Record), VisibleRows()));
  UpdateTitle();
}

void CDovuWnd::ResetScroll() {
  SetRange();
  SetScrollPos(0);
  UpdateTitle();
}

void CDovuWnd::UpdateTitle() { setWindowTitle(Q(FormatDovuTitle(g_Record))); }

void CDovuWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setFont(m_font);
  const QFontMetrics fm(m_font);
  const int count = height() / m_nRowHeight + 1;
  const int right = ClientWidth();
  int y = 0;
  for (const DovuRow& row : BuildDovuRows(ScrollPos(), count, g_nMoveListStyle, g_Record)) {
    const QColor bg(row.background.r, row.background.g, row.background.b);
    const QString text = Q(row.text);
    // Opaque text: the background reaches as far as the row's text does.
    p.fillRect(QRect(0, y, std::min(right, DisplayWidth(row.text) * m_nAveCharWidth), m_nRowHeight),
               bg);
    p.setPen(Qt::black);
    p.drawText(0, y + fm.ascent(), text);
    y += m_nRowHeight;
  }
}

void CDovuWnd::resizeEvent(QResizeEvent* e) {
  CompanionWindow::resizeEvent(e);
  SetRange();
  SetScrollPos(ScrollPos());
}

void CDovuWnd::OnClose() { g_bShowMoveListWnd = 0; }

// ---- Mouse ----------------------------------------------------------------------------

void CDovuWnd::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton)
    OnLButtonDown(e->position().toPoint(), (e->modifiers() & Qt::ShiftModifier) != 0);
  else
    CompanionWindow::mousePressEvent(e);
}

void CDovuWnd::OnLButtonDown(const QPoint& at, bool shift) {
  if (g_bEditDialogOpen) return;
  const int r = ScrollPos() + at.y() / m_nRowHeight;
  const int length = GetLineLength(g_Record);
  RecordNode* node = GetNodeAtMove(r, g_Record);
  if (r > length || !node) return;
  if (shift) {
    g_CompanionCommands.editComment(g_pView, r);
    return;
  }
  if (InDialogMode()) return;
  const int current = g_Record.moveNumber;
  if (g_nMoveListStyle == kBranchForm && HasVariations(g_Record)) {
    const int column = DovuColumnAt(at.x(), m_nAveCharWidth);
    if (r == current && column == 1) return;
    // Only a column that shows a move leads somewhere.
    const RecordNode* alt = r > 0 ? node : (column == 1 ? node : nullptr);
    for (int i = 1; alt && i < column; ++i) alt = alt->nextSibling;
    if (!alt) return;
    GotoMoveNumberInBranch(g_pView, r, column - 1);
  } else {
    if (r == current || (r > 0 && IsEndNode(*node))) return;
    GotoMoveNumber(g_pView, r);
  }
  UpdateScroll();
}

void CDovuWnd::OnWheel(int angleDeltaY) {
  if (!g_bMouseWheelMoves || angleDeltaY == 0) return;
  if (angleDeltaY < 0) {
    StepForward(g_pView);
    return;
  }
  if (g_Record.moveNumber == 0) return;
  g_nReplayPaused = 0;
  if (g_AppMode == kModeGame)
    DoMove(g_pView, kMoveGame, 0x0302, kRedrawAnimate);
  else
    UndoMove(g_pView, kMoveStep, kRedrawAnimate);
}

void CDovuWnd::wheelEvent(QWheelEvent* e) {
  OnWheel(e->angleDelta().y());
  e->accept();
}

QMenu* CDovuWnd::BuildContextMenu(const QPoint& at) {
  const int r = ScrollPos() + at.y() / m_nRowHeight;
  const int length = GetLineLength(g_Record);
  const int current = g_Record.moveNumber;
  const bool branchForm = g_nMoveListStyle == kBranchForm;
  RecordNode* rowNode = r <= length ? GetNodeAtMove(r, g_Record) : nullptr;
  m_nTargetRow = r;
  m_pTarget = nullptr;
  int k = 0;  // the target's place among its parent's children, from 0
  if (rowNode) {
    const RecordNode* parent = r > 0 ? FindParentNode(g_Record, rowNode) : nullptr;
    int place = 0;
    if (parent)
      for (const RecordNode* c = parent->firstChild; c && c != rowNode; c = c->nextSibling) ++place;
    if (r <= current || !branchForm) {
      m_pTarget = rowNode;
      k = place;
    } else {
      const int column = DovuColumnAt(at.x(), m_nAveCharWidth);
      RecordNode* alt = rowNode;
      for (int i = 1; alt && i < column; ++i) alt = alt->nextSibling;
      m_pTarget = alt;
      k = place + column - 1;
    }
  }
  const RecordNode* targetParent =
      m_pTarget && r > 0 ? FindParentNode(g_Record, m_pTarget) : nullptr;
  const std::u16string targetText =
      r == 0 ? std::u16string(u"開始局面") : FormatShownMove(m_pTarget, targetParent, 0);
  const std::u16string rowText =
      r == 0 ? std::u16string(u"開始局面")
             : FormatShownMove(rowNode, rowNode ? FindParentNode(g_Record, rowNode) : nullptr, 0);

  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (g_AppMode != kModeGame && g_AppMode != kModeGamePiece && length > 0)
    connect(menu->addAction(u"指定手数へ(&J)..."_s), &QAction::triggered, this,
            [] { JumpToMoveNumber(g_pView); });
  if (branchForm)
    connect(menu->addAction(u"消費時間を表示する(&S)"_s), &QAction::triggered, this, [] {
      SetMoveListForm(0);
    });
  else
    connect(menu->addAction(u"分岐を表示する(&H)"_s), &QAction::triggered, this, [] {
      SetMoveListForm(1);
    });
  if (branchForm && m_pTarget && k >= 1)
    connect(menu->addAction(Q(FormatU16(u"先頭へ(&T) %s", targetText.c_str()))),
            &QAction::triggered, this, [this] { EditTarget(u"分岐を先頭", PromoteBranch); });
  if (rowNode) {
    connect(menu->addAction(Q(FormatU16(u"コメントの編集(&C)... %s", rowText.c_str()))),
            &QAction::triggered, this, [r] { g_CompanionCommands.editComment(g_pView, r); });
    if (r >= 1)
      connect(menu->addAction(Q(FormatU16(u"消費時間の編集(&T)... %s", rowText.c_str()))),
              &QAction::triggered, this, [r] { g_CompanionCommands.editTime(g_pView, r); });
  }
  if (r > current && m_pTarget) {
    menu->addSeparator();
    connect(menu->addAction(Q(FormatU16(u"削除(&D) %s", targetText.c_str()))),
            &QAction::triggered, this, [this] { EditTarget(u"棋譜の削除", DeleteBranch); });
  }
  menu->addSeparator();
  connect(menu->addAction(u"棋譜フォント(&F)..."_s), &QAction::triggered, this,
          [] { g_CompanionCommands.chooseFont(g_pView); });
  return menu;
}

void CDovuWnd::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = BuildContextMenu(e->pos());
  menu->popup(e->globalPos());
}

void CDovuWnd::EditTarget(const char16_t* undoLabel, int (*edit)(RecordNode*, GameRecord&)) {
  if (!m_pTarget) return;
  SaveUndoPoint(undoLabel);
  if (edit(m_pTarget, g_Record) != 0) return;
  m_pTarget = nullptr;
  MarkRecordChanged();
  UpdateScroll();
  UpdateBranchWindow();
}

// ---- The program's calls ------------------------------------------------------------

void CreateDovuWnd(QWidget* owner) {
  if (g_pMoveListWnd) return;
  g_pMoveListWnd = new CDovuWnd(owner);
  CompanionPlaceRule rule;
  rule.defaultX = 10;
  rule.defaultY = 290;
  rule.keep = 50;
  g_pMoveListWnd->PlaceAt(
      PlaceCompanionWindow(g_rcMoveListWnd, g_nInstanceNumber, CompanionDesktop(), rule));
  QObject::connect(g_pMoveListWnd, &QObject::destroyed, [] { g_pMoveListWnd = nullptr; });
  if (g_bShowMoveListWnd) g_pMoveListWnd->ShowWindow(true);
}

void ShowDovuWnd(bool show) {
  if (g_pMoveListWnd) g_pMoveListWnd->ShowWindow(show);
}

void UpdateDovuWndScroll() {
  if (g_pMoveListWnd) g_pMoveListWnd->UpdateScroll();
}

void ResetDovuWndScroll() {
  if (g_pMoveListWnd) g_pMoveListWnd->ResetScroll();
}

void InvalidateDovuWnd() {
  if (!g_pMoveListWnd) return;
  g_pMoveListWnd->UpdateFont();  // the form decides the widest the window may be
  g_pMoveListWnd->UpdateTitle();
}

void UpdateDovuWndFont() {
  if (!g_pMoveListWnd) return;
  g_pMoveListWnd->UpdateFont();
  g_pMoveListWnd->UpdateScroll();
}

void MoveDovuWndBy(int dx, int dy) {
  if (g_pMoveListWnd) g_pMoveListWnd->MoveBy(dx, dy);
}

void FitDovuWndToDesktop() {
  if (g_pMoveListWnd) g_pMoveListWnd->FitToDesktop();
}
