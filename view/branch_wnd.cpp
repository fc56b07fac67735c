#include "view/branch_wnd.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/view_commands.h"

using namespace Qt::Literals::StringLiterals;

CBraWnd* g_pBranchWnd = nullptr;
int g_bBranchWndShown = 0;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

constexpr int kFirstRealMoveKey = 11 << 8;  // destination 11: a board move

QFont BranchFont() {
  return g_pMoveListWnd ? g_pMoveListWnd->RowFont() : MakePointFont(g_fontMoveListPt);
}

// The node of a row: 0 the next move, i its i-th later alternative.
RecordNode* NodeOfRow(int row) {
  if (row < 0 || !g_Record.current) return nullptr;
  RecordNode* n = g_Record.current->firstChild;
  for (int i = 0; n && i < row; ++i) n = n->nextSibling;
  return n;
}

}  // namespace

std::vector<BranchRow> BuildBranchRows() {
  std::vector<BranchRow> rows;
  const RecordNode* parent = g_Record.current;
  if (!parent) return rows;
  int number = 1;
  for (RecordNode* n = parent->firstChild; n; n = n->nextSibling, ++number) {
    BranchRow row;
    row.node = n;
    row.number = FormatU16(u"%2d%c", number, n->comment ? u'*' : u' ');
    row.text = FormatShownMove(n, parent, 17);
    if (GetBookmarkName(NodeIndex(g_Record, n), g_Record)) PutFirstBlankMark(row.text, u'&');
    rows.push_back(std::move(row));
  }
  return rows;
}

CBraWnd::CBraWnd(QWidget* owner) : CompanionWindow(owner, &g_rcBranchWnd) {
  setWindowTitle(u"分岐"_s);
}

int CBraWnd::RowHeight() const {
  QFontMetrics fm(BranchFont());
  return std::max(1, fm.height() + fm.leading() + 2);
}

void CBraWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QFont font = BranchFont();
  const QFontMetrics fm(font);
  p.setFont(font);
  p.setPen(Qt::black);
  const int rowHeight = RowHeight();
  const int textX = 3 * fm.horizontalAdvance(u'0') + 1;
  int y = 0;
  for (const BranchRow& row : BuildBranchRows()) {
    if (y > height()) break;
    p.drawText(1, y + fm.ascent(), Q(row.number));
    p.drawText(textX, y + fm.ascent(), Q(row.text));
    y += rowHeight;
  }
}

void CBraWnd::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton)
    OnLButtonDown(e->position().toPoint());
  else
    CompanionWindow::mousePressEvent(e);
}

void CBraWnd::OnLButtonDown(const QPoint& at) {
  RecordNode* node = NodeOfRow(at.y() / RowHeight());
  if (!node) return;
  const int key = NodeMoveKey(*node);
  // An end-of-game entry is not a move to play.
  if (key >= kFirstRealMoveKey) DoMove(g_pView, kMoveStep, key, kRedrawAnimate);
}

QMenu* CBraWnd::BuildContextMenu(const QPoint& at) {
  m_nTargetRow = at.y() / RowHeight();
  m_pTarget = NodeOfRow(m_nTargetRow);
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (!m_pTarget) return menu;
  const std::u16string text = FormatShownMove(m_pTarget, g_Record.current, 0);
  QAction* replay = menu->addAction(Q(FormatU16(u"連続再現(&G) %s", text.c_str())));
  replay->setEnabled(NodeMoveKey(*m_pTarget) >= kFirstRealMoveKey);
  connect(replay, &QAction::triggered, this, [this] {
    if (!m_pTarget) return;
    g_nReplayPaused = 0;
    DoMove(g_pView, kMoveStep, NodeMoveKey(*m_pTarget), kRedrawAnimate);
    if (g_pReplaySleep) g_pReplaySleep(g_nReplaySpeed * 100);
    AutoReplayForward(g_pView);
  });
  if (m_nTargetRow > 0)
    connect(menu->addAction(Q(FormatU16(u"先頭へ(&T) %s", text.c_str()))), &QAction::triggered,
            this, [this] {
              if (!m_pTarget) return;
              SaveUndoPoint(u"分岐を先頭");
              if (PromoteBranch(m_pTarget, g_Record) == 0) AfterEdit();
            });
  connect(menu->addAction(Q(FormatU16(u"削除(&D) %s", text.c_str()))), &QAction::triggered, this,
          [this] {
            if (!m_pTarget) return;
            SaveUndoPoint(u"分岐の削除");
            if (DeleteBranch(m_pTarget, g_Record) == 0) AfterEdit();
          });
  return menu;
}

void CBraWnd::AfterEdit() {
  m_pTarget = nullptr;
  UpdateBranchWindow();
  UpdateDovuWndScroll();
  MarkRecordChanged();
}

void CBraWnd::contextMenuEvent(QContextMenuEvent* e) {
  BuildContextMenu(e->pos())->popup(e->globalPos());
}

void CBraWnd::OnClose() {
  g_bBranchWndShown = 0;
  if (g_nBranchWndMode == 1) g_nBranchWndMode = 0;
}

// ---- The program's calls ------------------------------------------------------------

void CreateBranchWindow(QWidget* owner) {
  if (g_pBranchWnd) return;
  g_pBranchWnd = new CBraWnd(owner);
  CompanionPlaceRule rule;
  rule.edgeMargin = 10;
  rule.defaultX = 10;
  rule.defaultY = 350;
  rule.keep = 10;
  rule.raiseToBottom = true;
  g_pBranchWnd->PlaceAt(
      PlaceCompanionWindow(g_rcBranchWnd, g_nInstanceNumber, CompanionDesktop(), rule));
  QObject::connect(g_pBranchWnd, &QObject::destroyed, [] { g_pBranchWnd = nullptr; });
  g_bBranchWndShown = 0;
  if (g_nBranchWndMode == 1) ShowBranchWnd(true);
  else if (g_nBranchWndMode == 2) UpdateBranchWindow();
}

void ShowBranchWnd(bool show) {
  if (!g_pBranchWnd) return;
  g_pBranchWnd->ShowWindow(show);
  g_bBranchWndShown = show;
}

void UpdateBranchWindow() {
  if (!g_pBranchWnd) return;
  if (g_nBranchWndMode == 2) {
    const RecordNode* cur = g_Record.current;
    if (!cur) return;
    if (!cur->firstChild || !cur->firstChild->nextSibling) {
      ShowBranchWnd(false);
      return;
    }
    ShowBranchWnd(true);
  } else if (g_nBranchWndMode == 1) {
    ShowBranchWnd(true);
  }
  g_pBranchWnd->update();
}

void MoveBranchWndBy(int dx, int dy) {
  if (g_pBranchWnd) g_pBranchWnd->MoveBy(dx, dy);
}

void FitBranchWndToDesktop() {
  if (g_pBranchWnd) g_pBranchWnd->FitToDesktop();
}
