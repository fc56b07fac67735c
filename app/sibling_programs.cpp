#include "app/sibling_programs.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

#include "app/narvo_doc.h"
#include "output/clipboard_copy.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "view/sounds.h"

namespace {

constexpr int kPolls = 5;
constexpr int kPollMs = 500;
constexpr int kAfterStartMs = 1000;
constexpr int kAfterRaiseMs = 100;

class NoDesktopPort : public SiblingPort {
public:
  SiblingWindow FindWindow(const char*) override { return 0; }
  bool Start(const std::u16string& program) override {
    return !program.empty() && QProcess::startDetached(QString::fromStdU16String(program), {});
  }
  void Wait(int milliseconds) override {
    // Paint and timers go on; the user's input waits.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  void Raise(SiblingWindow) override {}
  void SendKey(SiblingWindow, SiblingKey) override {}
  void SendRegister(SiblingWindow) override {}
  void SetWaitCursor(bool on) override {
    if (!QApplication::instance()) return;
    if (on) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
};

SiblingPort* g_pSiblingPort = nullptr;

SiblingWindow FindOrLaunch(const char* windowClass, const std::u16string& program, bool waitCursor) {
  SiblingPort& port = Siblings();
  SiblingWindow window = port.FindWindow(windowClass);
  if (!window) {
    if (!port.Start(program)) {
      Sounds().Beep();
      ShowMessage(FormatU16(u"起動に失敗しました。(%s)", program.c_str()), kMbOk | kMbIconError);
      return 0;
    }
    if (waitCursor) port.SetWaitCursor(true);
    for (int i = 0; i < kPolls && !window; ++i) {
      port.Wait(kPollMs);
      window = port.FindWindow(windowClass);
    }
    if (window) {
      port.SendKey(window, kSiblingKeyF4);
      port.Wait(kAfterStartMs);
    }
    if (waitCursor) port.SetWaitCursor(false);
    if (!window) return 0;
  }
  port.Raise(window);
  port.Wait(kAfterRaiseMs);
  return window;
}

}  // namespace

// The X11 port over the plain one (x11_sibling_port.cpp).
SiblingPort& DesktopSiblingPort(SiblingPort& base);

SiblingPort& Siblings() {
  static NoDesktopPort plain;
  return g_pSiblingPort ? *g_pSiblingPort : DesktopSiblingPort(plain);
}

SiblingPort* SetSiblingPort(SiblingPort* port) {
  SiblingPort* previous = g_pSiblingPort;
  g_pSiblingPort = port;
  return previous;
}

SiblingWindow FindOrLaunchRecordDb(CNarvoView*) {
  return FindOrLaunch(g_bUseEDovu2 ? "eDovu2Class" : "LorquenClass", g_szRecordDbProgram, true);
}

void LaunchRecordDb(CNarvoView* view) { FindOrLaunchRecordDb(view); }

void RecordDbPositionSearch(CNarvoView* view) {
  if (CopyPositionToClipboard(view) < 0) return;
  if (SiblingWindow window = FindOrLaunchRecordDb(view)) Siblings().SendKey(window, kSiblingKeyF5);
}

void RecordDbRegister(CNarvoView* view) {
  if (g_szRecordFilePath.empty() || !IsReadableRegularFile(g_szRecordFilePath)) return;
  if (CopyTextToClipboard(g_szRecordFilePath) < 0) return;
  if (SiblingWindow window = FindOrLaunchRecordDb(view)) Siblings().SendRegister(window);
}

void LaunchProblemDb(CNarvoView*) { FindOrLaunch("BrisquaClass", g_szProblemDbProgram, false); }
