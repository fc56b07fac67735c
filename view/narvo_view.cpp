#include "view/narvo_view.h"

#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

#include "app/game_play.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "output/print_job.h"
#include "output/score_sheet.h"
#include "settings/env.h"
#include "view/board_input.h"
#include "view/comment_wnd.h"
#include "view/info_panel.h"
#include "view/mouse_input.h"
#include "view/navigation.h"
#include "view/piece_drag.h"
#include "view/piece_images.h"

CNarvoView* g_pView = nullptr;

int g_nReplayStop = 0;
int g_nReplayPaused = 0;
int g_nReplayTick = 0;
int g_nDragState = 0;
int g_bGameClock = 0;
int g_bEditDialogOpen = 0;

CNarvoView::CNarvoView(QWidget* parent) : QWidget(parent) {
  g_pView = this;
  // Every pixel comes from the image: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  // Moves without a button held matter too: a piece held by click-click
  // entry follows the pointer, and the trim rectangle shows its cursors.
  setMouseTracking(true);
  m_pPreviewH = new QScrollBar(Qt::Horizontal, this);
  m_pPreviewV = new QScrollBar(Qt::Vertical, this);
  for (QScrollBar* bar : {m_pPreviewH, m_pPreviewV}) {
    bar->hide();
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::valueChanged, this, [this] { InvalidateAll(); });
  }
  OnInitialUpdate();
}

QPoint CNarvoView::PreviewScroll() const {
  if (g_AppMode != kModePreview) return {};
  return QPoint(m_pPreviewH->isVisible() ? m_pPreviewH->value() : 0,
                m_pPreviewV->isVisible() ? m_pPreviewV->value() : 0);
}

void CNarvoView::UpdatePreviewScrollBars() {
  if (g_AppMode != kModePreview) {
    m_pPreviewH->hide();
    m_pPreviewV->hide();
    return;
  }
  const QSize page = PrintPreviewExtent(this);
  const int thick = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  // Either bar takes room from the other's direction.
  bool needH = page.width() > width(), needV = page.height() > height();
  if (needH && !needV) needV = page.height() > height() - thick;
  if (needV && !needH) needH = page.width() > width() - thick;
  const int viewW = width() - (needV ? thick : 0), viewH = height() - (needH ? thick : 0);
  m_pPreviewH->setGeometry(0, height() - thick, viewW, thick);
  m_pPreviewV->setGeometry(width() - thick, 0, thick, viewH);
  m_pPreviewH->setRange(0, std::max(0, page.width() - viewW));
  m_pPreviewV->setRange(0, std::max(0, page.height() - viewH));
  m_pPreviewH->setPageStep(viewW);
  m_pPreviewV->setPageStep(viewH);
  m_pPreviewV->setSingleStep(20);
  m_pPreviewH->setSingleStep(20);
  m_pPreviewH->setVisible(needH);
  m_pPreviewV->setVisible(needV);
  InvalidateAll();
}

void CNarvoView::wheelEvent(QWheelEvent* e) {
  if (g_AppMode != kModePreview || !m_pPreviewV->isVisible()) {
    QWidget::wheelEvent(e);
    return;
  }
  // Three lines a notch, as scrolled text does. A touchpad sends small
  // steps: they add up until a line is reached.
  m_nWheelRest += e->angleDelta().y();
  const int steps = m_nWheelRest / 40;
  m_nWheelRest -= steps * 40;
  if (steps) m_pPreviewV->setValue(m_pPreviewV->value() - steps * m_pPreviewV->singleStep());
  e->accept();
}

CNarvoView::~CNarvoView() {
  if (g_pView == this) g_pView = nullptr;
}

void CNarvoView::OnInitialUpdate() {
  m_dPixelsPerMmX = g_nDpiX / 25.4;
  m_dPixelsPerMmY = g_nDpiY / 25.4;
}

// ---- Painting -------------------------------------------------------------------

void CNarvoView::OnDraw(QPainter& p) {
  if (g_pDocument == nullptr) return;
  p.fillRect(rect(), QColor(g_rgbBackground.r, g_rgbBackground.g, g_rgbBackground.b));
  if (g_AppMode == kModePreview) {
    p.save();
    p.translate(-PreviewScroll());
    DrawPrintPreviewPage(p, this);
    p.restore();
    return;
  }
  DrawBoard(p);
  ShowLastMoveHighlight(p);
  ShowLastMoveFromHighlight(p);
  if (g_AppMode == kModeEdit || g_AppMode == kModeEditPiece)
    DrawPieceBox(p);
  else
    UpdateCommentWindow();
  DrawLiftedOrigin(p);
  ClearInfoPanel(p);
  DrawInfoPanel(p);
  // A paint between two ticks shows the running time, not the stored one.
  if (IsTimerSet(kClockTimer)) DrawClockRunningTime(p);
}

void CNarvoView::EnsureImage() {
  if (size().isEmpty()) {
    m_image = QImage();  // not laid out yet: nothing draws
    return;
  }
  if (m_image.size() == size()) return;
  m_image = QImage(size(), QImage::Format_RGB32);
  m_showOnly = QRegion();
  m_repaint = QRegion();
  DrawInto(QRegion(m_image.rect()));
}

QImage& CNarvoView::Image() {
  EnsureImage();
  return m_image;
}

void CNarvoView::DrawInto(const QRegion& region) {
  if (m_image.isNull() || region.isEmpty()) return;
  QPainter p(&m_image);
  p.setClipRegion(region);
  OnDraw(p);
}

void CNarvoView::Invalidate(const QRect& rect, bool repaint) {
  QRect r = rect.intersected(this->rect());
  if (r.isEmpty()) return;
  // A repaint asked for stays asked for until the paint, even when the same
  // rectangle is later shown as it is.
  if (repaint) {
    m_repaint += r;
    m_showOnly -= r;
  } else {
    m_showOnly += r;
  }
  update(r);
}

void CNarvoView::paintEvent(QPaintEvent* e) {
  bool fresh = m_image.size() != size();
  EnsureImage();
  if (m_image.isNull()) return;
  // What was drawn outside painting is shown as it is; everything else (an
  // exposure, a repaint asked for) is drawn again first, as a window's own
  // paint would.
  if (!fresh) DrawInto((e->region() - m_showOnly) + (m_repaint & e->region()));
  m_showOnly -= e->region();
  m_repaint -= e->region();
  QPainter screen(this);
  // A lifted piece lies over the image, composited on a copy of what it
  // covers, exactly as it would be drawn into the image.
  const QRect piece = g_Lifted.shown ? QRect(g_Lifted.at.x, g_Lifted.at.y, g_nCellWidth, g_nCellHeight)
                                     : QRect();
  for (const QRect& r : e->region()) {
    if (!r.intersects(piece)) {
      screen.drawImage(r.topLeft(), m_image, r);
      continue;
    }
    QImage part = m_image.copy(r);
    {
      QPainter pp(&part);
      pp.translate(-r.topLeft());
      DrawLiftedPiece(pp);
    }
    screen.drawImage(r.topLeft(), part);
  }
}

void CNarvoView::RepaintArea(const QRect& rect) {
  QRect r = rect.intersected(this->rect());
  EnsureImage();
  if (r.isEmpty() || m_image.isNull()) return;
  DrawInto(QRegion(r));
  m_repaint -= r;
  Invalidate(r, false);
}

void CNarvoView::GrabPointer(bool on) {
  if (!isVisible()) return;
  if (on) grabMouse();
  else if (QWidget::mouseGrabber() == this) releaseMouse();
}

void CNarvoView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  EnsureImage();
  if (g_AppMode == kModePreview) UpdatePreviewScrollBars();
}

// ---- Timers -----------------------------------------------------------------------

bool CNarvoView::SetTimer(int id, int milliseconds) {
  if (id < kReplayTimer || id > kClockTimer || milliseconds <= 0) return false;
  m_timers[id - 1].start(milliseconds, this);
  return true;
}

void CNarvoView::KillTimer(int id) {
  if (id >= kReplayTimer && id <= kClockTimer) m_timers[id - 1].stop();
}

bool CNarvoView::IsTimerSet(int id) const {
  return id >= kReplayTimer && id <= kClockTimer && m_timers[id - 1].isActive();
}

// A speed of 0 runs at the shortest interval a window timer has.
bool CNarvoView::StartReplayTimer() {
  return SetTimer(kReplayTimer, std::max(10, g_nReplaySpeed * 100));
}

void CNarvoView::OnTimer(int id) { OnClockTimer(id, this); }

void CNarvoView::timerEvent(QTimerEvent* e) {
  for (int i = 0; i < 2; ++i)
    if (e->timerId() == m_timers[i].timerId()) {
      OnTimer(i + 1);
      return;
    }
  QWidget::timerEvent(e);
}

void CNarvoView::keyPressEvent(QKeyEvent* e) {
  NoteViewReplayKey(e->key(), true);
  if (!OnViewKeyDown(this, e->key(), e->modifiers(), g_AppMode)) QWidget::keyPressEvent(e);
}

void CNarvoView::keyReleaseEvent(QKeyEvent* e) {
  // A held key repeats its release: only the real one counts.
  if (e->isAutoRepeat()) return QWidget::keyReleaseEvent(e);
  NoteViewReplayKey(e->key(), false);
  if (!OnViewKeyUp(this, e->key(), g_AppMode)) QWidget::keyReleaseEvent(e);
}

void CNarvoView::focusOutEvent(QFocusEvent* e) {
  ForgetReplayKeys();
  QWidget::focusOutEvent(e);
}

void CNarvoView::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::LeftButton) OnViewLButtonDown(this, at.x(), at.y());
  else if (e->button() == Qt::RightButton) OnViewRButtonDown(this, at.x(), at.y());
  else QWidget::mousePressEvent(e);
}

void CNarvoView::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press of a double click is a press like the first.
  mousePressEvent(e);
}

void CNarvoView::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::LeftButton) OnViewLButtonUp(this, at.x(), at.y());
  else if (e->button() == Qt::RightButton) OnViewRButtonUp(this);
  else QWidget::mouseReleaseEvent(e);
}

void CNarvoView::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  OnViewMouseMove(this, at.x(), at.y());
}

void CNarvoView::contextMenuEvent(QContextMenuEvent* e) {
  if (!OnViewContextMenu(this, e->globalPos())) e->ignore();
}

void OnClockTimer(int id, CNarvoView* view) {
  if (id != kReplayTimer && id != kClockTimer) return;
  ++g_nReplayTick;
  if (id == kClockTimer) DrawClockRunningTime(view);
}
