#include "view/busy_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <utility>
#include <vector>

namespace {
int g_depth = 0;
std::vector<std::function<void()>>& Held() {
  static std::vector<std::function<void()>> held;
  return held;
}
}  // namespace

BusyWait::BusyWait() { ++g_depth; }

BusyWait::~BusyWait() {
  if (--g_depth > 0 || Held().empty()) return;
  // After the waiting command has returned, in the order they were asked for.
  QTimer::singleShot(0, QCoreApplication::instance(), [] {
    std::vector<std::function<void()>> held = std::move(Held());
    Held().clear();
    for (auto& command : held) command();
  });
}

bool BusyWait::Active() { return g_depth > 0; }

void BusyWait::Pump(int maxMs) {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, maxMs);
}

void BusyWait::Hold(std::function<void()> command) { Held().push_back(std::move(command)); }
