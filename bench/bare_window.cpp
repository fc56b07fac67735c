// The smallest Qt 6 window a program shows (a title, a menu bar, a line of
// text, a status bar): the baseline bench/startup.sh measures the program's
// start against. It reports its first paint as the program's probe does.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

namespace {

long ResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  return 0;
}

class Probe : public QObject {
public:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && !fired_) {
      fired_ = true;
      QTimer::singleShot(0, qApp, [] {
        std::printf("first_paint rss_kb=%ld\n", ResidentKb());
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return QObject::eventFilter(watched, e);
  }

private:
  bool fired_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Sorvane"));
  window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  auto* text = new QLabel(QStringLiteral("棋譜"));
  window.setCentralWidget(text);
  window.statusBar()->showMessage(QStringLiteral("準備完了"));
  Probe probe;
  text->installEventFilter(&probe);
  window.resize(640, 480);
  window.show();
  return app.exec();
}
