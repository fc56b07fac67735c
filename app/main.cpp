// The program narvo.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/qt_ui.h"
#include "record/text.h"
#include "view/narvo_view.h"

namespace {

// Resident memory of this process in kilobytes (0 when unknown).
long ResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  return 0;
}

// NARVO_STARTUP_PROBE (set by bench/startup and the screenshot check, not a
// user option): once the main window has painted, print the resident memory,
// save a picture of the screen when the variable names a file, and quit.
class StartupProbe : public QObject {
public:
  explicit StartupProbe(QString picture) : picture_(std::move(picture)) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && !fired_) {
      fired_ = true;
      QTimer::singleShot(0, this, [this] { Report(); });
    }
    return QObject::eventFilter(watched, e);
  }

private:
  void Report() {
    std::printf("first_paint rss_kb=%ld\n", ResidentKb());
    std::fflush(stdout);
    if (!picture_.isEmpty()) {
      // Give the window manager (if any) and the menus time to settle.
      QTimer::singleShot(300, this, [this] {
        if (QScreen* s = QGuiApplication::primaryScreen()) s->grabWindow(0).save(picture_);
        if (g_pMainFrame) g_pMainFrame->close();
      });
    } else if (g_pMainFrame) {
      g_pMainFrame->close();
    }
  }
  QString picture_;
  bool fired_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(QString::fromLocal8Bit(argv[i]).toStdU16String());
  // The same test of existing files as start-up, so a file named like the
  // help switch is a file here too.
  CommandLine cmd = ParseCommandLine(args, [](const std::u16string& a) {
    return QFileInfo(QString::fromStdU16String(a)).isFile();
  });
  if (cmd.bHelp) {
    std::fputs(Utf16ToUtf8(CommandLineHelpText()).c_str(), stdout);
    return 0;
  }
  // The companion windows and the stored positions need absolute window
  // positions, which a native Wayland session does not give.
  if (qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "xcb");

  QApplication qapp(argc, argv);
  InstallJapaneseQtTranslation();
  InstallQtUi();
  CNarvoApp app;
  std::unique_ptr<StartupProbe> probe;
  if (qEnvironmentVariableIsSet("NARVO_STARTUP_PROBE"))
    probe = std::make_unique<StartupProbe>(qEnvironmentVariable("NARVO_STARTUP_PROBE"));
  if (!app.InitInstance(args)) {
    app.ExitInstance();
    return 1;
  }
  if (probe && g_pView) g_pView->installEventFilter(probe.get());
  int code = qapp.exec();
  int exitCode = app.ExitInstance();
  return code ? code : exitCode;
}
