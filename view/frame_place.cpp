#include "view/frame_place.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

// Watches one window until its frame is known, then puts the frame in place.
class FramePlacer : public QObject {
public:
  FramePlacer(QWidget* window, QPoint framePos)
      : QObject(window), window_(window), pos_(framePos), placedInside_(window->geometry().topLeft()) {
    window->installEventFilter(this);
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, &FramePlacer::Check);
    if (window->isVisible()) Start();
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == window_ && e->type() == QEvent::Show) Start();
    return false;
  }

private:
  void Start() {
    ticks_ = 0;
    timer_.start();
  }
  void Check() {
    // Without a window manager no frame ever comes: give up after a while
    // (10 s, for a busy display).
    if (!window_ || ++ticks_ > 500) {
      deleteLater();
      return;
    }
    if (window_->frameGeometry().size() == window_->geometry().size()) return;
    // Only a window whose inside still stands where the place put it: one
    // moved since (by the user, the program) is left where it is.
    if (window_->geometry().topLeft() == placedInside_ && window_->frameGeometry().topLeft() != pos_)
      window_->move(pos_);
    deleteLater();
  }

  QPointer<QWidget> window_;
  QPoint pos_;
  QPoint placedInside_;  // where Qt put the inside before the frame was known
  QTimer timer_;
  int ticks_ = 0;
};

}  // namespace

void PlaceFrameAt(QWidget* window, QPoint framePos) {
  if (!window) return;
  // One placer at a time: a later place replaces an earlier one.
  for (QObject* child : window->children())
    if (auto* placer = dynamic_cast<FramePlacer*>(child)) delete placer;
  window->move(framePos);
  new FramePlacer(window, framePos);
}
