#include "view/busy_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

#include <utility>
#include <vector>

namespace {

int g_depth = 0;

std::vector<std::function<void()>>& Held() {
  static std::vector<std::function<void()>> held;
  return held;
}

// Runs what was held when its deferred deletion comes. Qt delivers that only
// once control is back in the event loop that was running when the wait
// ended: not in a nested loop (a message box's), nor in processEvents called
// beneath the same command (the next wait's pump). A zero timer would fire
// in either.
class Release : public QObject {
public:
  explicit Release(QObject* parent) : QObject(parent) {}
  ~Release() override {
    if (s_pending == this) s_pending = nullptr;  // the application went first
  }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::DeferredDelete) {
      s_pending = nullptr;
      std::vector<std::function<void()>> held = std::move(Held());
      Held().clear();
      for (auto& command : held) command();
    }
    return QObject::event(e);
  }
  static inline Release* s_pending = nullptr;
};

}  // namespace

BusyWait::BusyWait() { ++g_depth; }

BusyWait::~BusyWait() {
  if (--g_depth > 0 || Release::s_pending) return;
  Release::s_pending = new Release(QCoreApplication::instance());
  Release::s_pending->deleteLater();
}

bool BusyWait::Active() { return g_depth > 0 || Release::s_pending; }

void BusyWait::Pump(int maxMs) {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, maxMs);
}

void BusyWait::Hold(std::function<void()> command) { Held().push_back(std::move(command)); }

void BusyWait::RunOrHold(std::function<void()> command) {
  if (Active()) Hold(std::move(command));
  else command();
}
