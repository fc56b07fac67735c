// What the three companion windows (move list, variations, comment) share:
// a tool window beside the main frame that never takes the focus, keeps its
// place and size in its setting on every move and resize, sends its keys to
// the board view, and is kept at least partly on the desktop.
#pragma once
#include <QFont>
#include <QRect>
#include <QWidget>

struct EnvFont;
struct WindowPlacement;
class CNarvoView;

// The desktop the windows are kept on: the screens' available area.
QRect CompanionDesktop();

// Where a companion window opens: its stored place moved by the copy's
// offset, then, for the first copy only, a place beyond the desktop's right
// or bottom edge (at or beyond edge − margin) replaced by the default X or
// Y; then enough of it kept on screen (X + W < keep gives X = keep − W, the
// same for Y). raiseToBottom moves a window that would reach below the
// desktop up to end at its bottom. skipChecks leaves the place as stored.
struct CompanionPlaceRule {
  int edgeMargin = 0;  // how far inside the edge a place counts as beyond it
  int defaultX = 10, defaultY = 0;
  int keep = 10;  // pixels that stay on screen to the left and above
  bool raiseToBottom = false;
};
QRect PlaceCompanionWindow(const WindowPlacement& stored, int instance, const QRect& desktop,
                           const CompanionPlaceRule& rule, bool skipChecks = false);
// The top-left that brings a frame rectangle inside the desktop: left and top
// at least the desktop's, right and bottom inside where it fits.
QPoint FitRectToDesktop(const QRect& frame, const QRect& desktop);

// A font setting whose size is in tenths of a point, as a font for the main
// window's screen: pixel height (logical dpi Y × size) / 720.
QFont MakePointFont(const EnvFont& font);

class CompanionWindow : public QWidget {
  Q_OBJECT
public:
  // placement: the setting that keeps the rectangle (X, Y = pos(), W, H = size()).
  CompanionWindow(QWidget* owner, WindowPlacement* placement);

  // Moves the window with the main frame.
  void MoveBy(int dx, int dy);
  // Brings it back inside the desktop.
  void FitToDesktop();
  // Shows or hides without taking the focus.
  // Shows or hides it; a window shown before its owner waits for it.
  void ShowWindow(bool show);
  // Shows a window that waits for its owner, once the owner is shown.
  void ShowWithOwner();
  // Places it at the rectangle given (pos and client size).
  void PlaceAt(const QRect& rect);

protected:
  // The close box: the window hides; the subclass switches its setting off.
  virtual void OnClose() = 0;

  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

  WindowPlacement* m_pPlacement;

private:
  void StorePlacement();
  bool m_bPlacing = false;
  bool m_bShowWithOwner = false;  // to be shown when the owner is
};

// The record commands the windows call (the comment and time dialogs, the
// font chooser); tests put recorders in their place.
struct CompanionCommands {
  void (*editComment)(CNarvoView* view, int moveNumber);
  void (*editTime)(CNarvoView* view, int moveNumber);
  void (*deleteComment)(CNarvoView* view);
  void (*chooseFont)(CNarvoView* view);
};
extern CompanionCommands g_CompanionCommands;

// Offers a key pressed in a companion window to the main frame's commands
// (their accelerators), then to the board view's keys. true when taken.
bool ForwardCompanionKey(QKeyEvent* e);
