#include "record/ui_port.h"

#include "record/clock.h"

#include <chrono>
#include <ctime>

namespace {

class SilentUi : public UiPort {
public:
  int MessageBox(const std::u16string&, const std::u16string&, int flags) override {
    int kind = flags & 0xF;
    if (kind == kMbYesNo || kind == kMbYesNoCancel)
      return (flags & kMbDefButton2) ? kIdNo : kIdYes;
    return kIdOk;
  }
  void SetStatusText(const std::u16string&) override {}
  void PlayWarningSound() override {}
};

SilentUi g_SilentUi;
UiPort* g_pUi = &g_SilentUi;

std::function<int64_t()> g_TestClock;

}  // namespace

UiPort& Ui() { return *g_pUi; }

UiPort* SetUi(UiPort* port) {
  UiPort* old = g_pUi == &g_SilentUi ? nullptr : g_pUi;
  g_pUi = port ? port : &g_SilentUi;
  return old;
}

int ShowMessage(const std::u16string& text, int flags, const std::u16string& caption) {
  return Ui().MessageBox(text, caption, flags);
}

void ShowStatus(const std::u16string& text) { Ui().SetStatusText(text); }

int64_t NowSeconds() {
  if (g_TestClock) return g_TestClock();
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

LocalTime ToLocal(int64_t t) {
  std::time_t tt = std::time_t(t);
  std::tm tm{};
  if (g_TestClock) gmtime_r(&tt, &tm);
  else localtime_r(&tt, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                   tm.tm_min,         tm.tm_sec,     tm.tm_wday, 0};
}

LocalTime NowLocal() {
  if (g_TestClock) return ToLocal(g_TestClock());
  auto now = std::chrono::system_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  LocalTime lt = ToLocal(ms / 1000);
  lt.millisecond = int(ms % 1000);
  return lt;
}

int64_t TickCount() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SetClockForTesting(std::function<int64_t()> f) { g_TestClock = std::move(f); }
