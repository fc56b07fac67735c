// The board view: the central widget of the main frame. It keeps the picture
// of the board in an off-screen image: painting draws into that image and
// copies it to the screen, and the drawing done outside painting (a cell
// after a move, the marks, the stand labels) goes into the same image through
// the BoardSurface contract. It also owns the two timers: 1 the pace of
// continuous replay, 2 the game clock.
#pragma once
#include <QBasicTimer>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include "view/board_drawing.h"

// ---- View state read by the input, replay, play and the enable rules --------

extern int g_nReplayStop;     // request to the replay loop: 0 none, 1 stop, 2 pause
extern int g_nReplayPaused;   // 0, 1 paused going forward, 2 paused going back
extern int g_nReplayTick;     // raised by every timer message of the view
extern int g_nDragState;      // 0 no piece held, 1 dragged, 2 picked by a click
extern int g_bGameClock;      // the game clock has been started (never cleared)
extern int g_bEditDialogOpen; // the move-comment or consumed-time dialog is open

enum ViewTimerId { kReplayTimer = 1, kClockTimer = 2 };

class QScrollBar;

class CNarvoView : public QWidget, public BoardSurface {
  Q_OBJECT
public:
  explicit CNarvoView(QWidget* parent = nullptr);
  ~CNarvoView() override;

  // The screen's pixels per millimetre, for printing.
  void OnInitialUpdate();
  double m_dPixelsPerMmX = 96 / 25.4;
  double m_dPixelsPerMmY = 96 / 25.4;

  // The whole view in its order: background, board, last-move marks, the
  // piece box (position editing) or the comment area, the information panel;
  // in print preview the preview page instead.
  void OnDraw(QPainter& p);

  // BoardSurface: the off-screen image, the size of the view.
  QImage& Image() override;
  void Invalidate(const QRect& rect, bool repaint) override;
  // The whole view drawn again.
  void InvalidateAll() { Invalidate(rect(), true); }

  // Timers by id (kReplayTimer, kClockTimer). SetTimer replaces a running
  // timer of that id; false when the interval is not positive.
  bool SetTimer(int id, int milliseconds);
  void KillTimer(int id);
  bool IsTimerSet(int id) const;
  // Timer 1 at the replay speed (再現速度 in tenths of a second).
  bool StartReplayTimer();
  // A timer message: the replay loop's tick, and on timer 2 the clock.
  void OnTimer(int id);

  uint8_t m_nPickedCell = 0;
  int m_nDropCell = 0;       // the square the last drop of position editing landed on
  bool m_bContextHandled = false;

  // Part of the view drawn into the image at once, as the paint would, and
  // shown.
  void RepaintArea(const QRect& rect);
  // Holds the pointer for a lifted piece: all mouse input comes here, with
  // moves reported without a button (click-click entry) too.
  void GrabPointer(bool on);

  // Print preview shows the page at the paper's size: larger than the view,
  // it scrolls (scroll bars, the wheel). The page's coordinates (the trim
  // frame's among them) are the view's at the scroll origin.
  QPoint PreviewScroll() const;
  // Shows or hides the scroll bars for the mode and the view's size.
  void UpdatePreviewScrollBars();

protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  // The keys go to the board input (view/board_input.h).
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  // Keys noted as held are forgotten: their releases go to the new focus.
  void focusOutEvent(QFocusEvent* e) override;
  // The mouse goes to the board input (view/mouse_input.h).
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

private:
  void EnsureImage();
  // Runs OnDraw into the image, clipped to the region.
  void DrawInto(const QRegion& region);

  QImage m_image;
  // Parts of the image drawn outside painting that only need to be shown.
  QRegion m_showOnly;
  QRegion m_repaint;  // asked to be drawn again at the next paint
  QBasicTimer m_timers[2];
  QScrollBar* m_pPreviewH = nullptr;
  QScrollBar* m_pPreviewV = nullptr;
  int m_nWheelRest = 0;  // wheel steps not yet a whole line
};

extern CNarvoView* g_pView;

// Timer ids 1 and 2: both raise g_nReplayTick; timer 2 also shows the time
// the side to move has used so far.
void OnClockTimer(int id, CNarvoView* view);
