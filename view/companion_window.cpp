#include "view/companion_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "view/frame_place.h"
#include "settings/comment_dialogs_qt.h"
#include "settings/env.h"
#include "settings/small_dialogs_qt.h"
#include "view/board_drawing.h"
#include "view/board_input.h"
#include "view/display_settings.h"
#include "view/narvo_view.h"

CompanionCommands g_CompanionCommands = {EditMoveComment, EditConsumedTime, DeleteCurrentComment,
                                         ChooseDovuFont};

QRect CompanionDesktop() {
  QScreen* screen = g_pMainFrame && g_pMainFrame->screen() ? g_pMainFrame->screen()
                                                          : QGuiApplication::primaryScreen();
  return screen ? screen->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
}

QRect PlaceCompanionWindow(const WindowPlacement& stored, int instance, const QRect& desktop,
                           const CompanionPlaceRule& rule, bool skipChecks) {
  const int offset = 40 * std::max(0, instance - 1);
  int x = stored.x + offset, y = stored.y + offset;
  int w = stored.width, h = stored.height;
  if (!skipChecks) {
    // Never larger than the desktop it must stay on.
    w = std::min(w, desktop.width());
    h = std::min(h, desktop.height());
    const int right = desktop.left() + desktop.width(), bottom = desktop.top() + desktop.height();
    if (instance <= 1) {
      if (x >= right - rule.edgeMargin) x = rule.defaultX;
      if (y >= bottom - rule.edgeMargin) y = rule.defaultY;
      if (rule.raiseToBottom && y + h > bottom) y = bottom - h;
    }
    if (x + w < rule.keep) x = rule.keep - w;
    if (y + h < rule.keep) y = rule.keep - h;
  }
  return QRect(x, y, w, h);
}

QPoint FitRectToDesktop(const QRect& frame, const QRect& desktop) {
  const int right = desktop.left() + desktop.width(), bottom = desktop.top() + desktop.height();
  int x = std::min(frame.x(), right - frame.width());
  int y = std::min(frame.y(), bottom - frame.height());
  return QPoint(std::max(x, desktop.left()), std::max(y, desktop.top()));
}

QFont MakePointFont(const EnvFont& font) {
  QScreen* screen = g_pMainFrame && g_pMainFrame->screen() ? g_pMainFrame->screen()
                                                          : QGuiApplication::primaryScreen();
  const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  const int pixels = std::max(1, dpi * font.size / 720);
  return MakeFont(font.face, -pixels, font.bold, font.italic != 0);
}

// ---- CompanionWindow -------------------------------------------------------------------

CompanionWindow::CompanionWindow(QWidget* owner, WindowPlacement* placement)
    : QWidget(owner, Qt::Tool), m_pPlacement(placement) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::ClickFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
}

void CompanionWindow::PlaceAt(const QRect& rect) {
  m_bPlacing = true;
  resize(std::max(1, rect.width()), std::max(1, rect.height()));
  PlaceFrameAt(this, rect.topLeft());
  m_bPlacing = false;
  StorePlacement();
}

// A hidden window gets its move event only when shown: the setting is kept
// up to date here as well.
void CompanionWindow::MoveBy(int dx, int dy) {
  move(pos() + QPoint(dx, dy));
  StorePlacement();
}

void CompanionWindow::FitToDesktop() {
  QRect frame = frameGeometry();
  if (frame.size().isEmpty()) frame = QRect(pos(), size());
  move(FitRectToDesktop(frame, CompanionDesktop()));
  StorePlacement();
}

void CompanionWindow::ShowWindow(bool show) {
  // Shown before its owner, a tool window is mapped with no owner to stay
  // above: the window manager then leaves it under the main window. It is
  // shown right after the owner is (ShowWithOwner).
  QWidget* owner = parentWidget();
  m_bShowWithOwner = show && owner && !owner->isVisible();
  if (m_bShowWithOwner) return;
  if (show == isVisible()) return;
  if (show)
    this->show();
  else
    hide();
}

void CompanionWindow::ShowWithOwner() {
  if (!m_bShowWithOwner || !parentWidget() || !parentWidget()->isVisible()) return;
  m_bShowWithOwner = false;
  show();
}

void CompanionWindow::StorePlacement() {
  if (m_bPlacing || !m_pPlacement) return;
  m_pPlacement->x = pos().x();
  m_pPlacement->y = pos().y();
  m_pPlacement->width = width();
  m_pPlacement->height = height();
}

void CompanionWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  StorePlacement();
}

void CompanionWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  StorePlacement();
}

void CompanionWindow::closeEvent(QCloseEvent* e) {
  // The program's own end destroys the window; the close box only hides it.
  e->ignore();
  hide();
  OnClose();
}

void CompanionWindow::keyPressEvent(QKeyEvent* e) {
  if (!ForwardCompanionKey(e)) QWidget::keyPressEvent(e);
}

void CompanionWindow::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat() || !g_pView) return QWidget::keyReleaseEvent(e);
  NoteViewReplayKey(e->key(), false);
  if (!OnViewKeyUp(g_pView, e->key(), g_AppMode)) QWidget::keyReleaseEvent(e);
}

bool ForwardCompanionKey(QKeyEvent* e) {
  if (g_pMainFrame) {
    const QKeySequence pressed(e->keyCombination());
    for (QAction* a : g_pMainFrame->findChildren<QAction*>()) {
      if (a->shortcut().isEmpty() || a->shortcut() != pressed) continue;
      g_pMainFrame->UpdateCommandUi();
      if (a->isEnabled()) a->trigger();
      return true;
    }
  }
  if (!g_pView) return false;
  NoteViewReplayKey(e->key(), true);
  return OnViewKeyDown(g_pView, e->key(), e->modifiers(), g_AppMode);
}
