#include "view/comment_wnd.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QSettings>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"

using namespace Qt::Literals::StringLiterals;

CCommWnd* g_pCommentWnd = nullptr;

namespace {

bool EditsPositions() { return g_AppMode == kModeEdit || g_AppMode == kModeEditPiece; }

}  // namespace

std::u16string FormatCommentWindowTitle() {
  const int n = g_Record.moveNumber;
  const RecordNode* node = g_Record.current;
  if (n <= 0 || !node || node == g_Record.Root()) return u"開始局面のコメント";
  const std::u16string text = FormatShownMove(node, FindParentNode(g_Record, node), 0);
  return FormatU16(u"第%d手、%sのコメント", n, text.c_str());
}

// ---- CKEdit ---------------------------------------------------------------------------

CKEdit::CKEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setFocusPolicy(Qt::NoFocus);  // keys stay with the window, which passes them on
  setFrameShape(QFrame::NoFrame);
  QPalette pal = palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Base, Qt::white);
    pal.setColor(group, QPalette::Text, Qt::black);
  }
  setPalette(pal);
  document()->setDocumentMargin(2);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CKEdit::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QPlainTextEdit::mousePressEvent(e);
  // The text is never edited here: a click opens the comment dialog.
  if (g_bEditDialogOpen) return;
  if (g_nCommentWndMode < 2 && (EditsPositions() || g_AppMode == kModePreview)) return;
  g_CompanionCommands.editComment(g_pView, g_Record.moveNumber);
}

void CKEdit::contextMenuEvent(QContextMenuEvent* e) {
  if (g_bEditDialogOpen) return;
  if (g_nCommentWndMode < 2 &&
      (g_AppMode == kModeGamePiece || EditsPositions()))
    return QPlainTextEdit::contextMenuEvent(e);
  g_CompanionCommands.deleteComment(g_pView);
}

// ---- CCommWnd -------------------------------------------------------------------------

CCommWnd::CCommWnd(QWidget* owner) : CompanionWindow(owner, &g_rcCommentWnd) {
  setWindowTitle(u"棋譜のコメント"_s);
  m_pEdit = new CKEdit(this);
  m_pEdit->hide();
  SetupFont();
}

void CCommWnd::SetupFont() {
  m_pEdit->setFont(MakePointFont(g_fontCommentPt));
}

void CCommWnd::ShowComment() {
  m_pEdit->setGeometry(rect());
  const RecordNode* node = g_Record.current;
  if (!node || !node->comment) {
    m_pEdit->hide();
    m_pEdit->clear();
    return;
  }
  // The record keeps LF line ends, which the edit takes as they are.
  const QString text = QString::fromUtf16(node->comment);
  if (m_pEdit->toPlainText() != text) m_pEdit->setPlainText(text);
  m_pEdit->show();
}

void CCommWnd::SetCommentWindowText() {
  setWindowTitle(QString::fromStdU16String(FormatCommentWindowTitle()));
}

void CCommWnd::OnClose() { g_nCommentWndMode = 0; }

void CCommWnd::resizeEvent(QResizeEvent* e) {
  CompanionWindow::resizeEvent(e);
  m_pEdit->setGeometry(rect());
  SetCommentWindowText();
}

void CCommWnd::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && !g_bEditDialogOpen) {
    g_CompanionCommands.editComment(g_pView, g_Record.moveNumber);
    return;
  }
  CompanionWindow::mousePressEvent(e);
}

// ---- The program's calls ------------------------------------------------------------

void CreateCommentWindow(QWidget* owner) {
  if (g_pCommentWnd) return;
  g_pCommentWnd = new CCommWnd(owner);
  CompanionPlaceRule rule;
  rule.defaultX = 10;
  rule.defaultY = 540;
  rule.keep = 10;
  // A minimised main window keeps the stored place as it is.
  bool minimised = OpenProfile()->value(u"Window size/icon"_s, 0).toInt() != 0;
  g_pCommentWnd->PlaceAt(PlaceCompanionWindow(g_rcCommentWnd, g_nInstanceNumber,
                                              CompanionDesktop(), rule, minimised));
  QObject::connect(g_pCommentWnd, &QObject::destroyed, [] { g_pCommentWnd = nullptr; });
  if (g_nCommentWndMode == 2) g_pCommentWnd->ShowWindow(true);
}

void UpdateCommentWindow() {
  if (!g_pCommentWnd) return;
  const RecordNode* node = g_Record.current;
  const bool show = g_nCommentWndMode == 2 || (g_nCommentWndMode == 3 && node && node->comment);
  g_pCommentWnd->ShowWindow(show);
  g_pCommentWnd->ShowComment();
  g_pCommentWnd->SetCommentWindowText();
}

void MoveCommentWindowBy(int dx, int dy) {
  if (g_pCommentWnd) g_pCommentWnd->MoveBy(dx, dy);
}

void FitCommentWindowToDesktop() {
  if (g_pCommentWnd) g_pCommentWnd->FitToDesktop();
}

void UpdateCommentWindowFont() {
  if (!g_pCommentWnd) return;
  g_pCommentWnd->SetupFont();
  g_pCommentWnd->ShowComment();
  g_pCommentWnd->SetCommentWindowText();
}
