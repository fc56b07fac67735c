// The sibling port on a real X server (Xvfb): a stand-in record database, a
// window of class "LorquenClass" run by this same test program, records the
// keys and messages it gets.
#include <gtest/gtest.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/narvo_doc.h"
#include "app/sibling_programs.h"
#include "record/board.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

const char kStandInEnv[] = "NARVO_SIBLING_STAND_IN";

void Append(const QString& path, const QByteArray& line) {
  QFile f(path);
  if (f.open(QIODevice::Append)) f.write(line + "\n");
}

class StandInWindow : public QWidget, public QAbstractNativeEventFilter {
public:
  explicit StandInWindow(QString out) : out_(std::move(out)) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* e = static_cast<xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
    auto* cm = reinterpret_cast<xcb_client_message_event_t*>(e);
    xcb_connection_t* c = qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_get_atom_name_reply_t* name = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, cm->type), nullptr);
    if (name) {
      Append(out_, QByteArray(xcb_get_atom_name_name(name), xcb_get_atom_name_name_length(name)));
      std::free(name);
    }
    return false;
  }

protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_F4) Append(out_, "F4");
    if (e->key() == Qt::Key_F5) Append(out_, "F5");
  }

private:
  QString out_;
};

// Runs only as the stand-in, started by the test below.
TEST(SiblingStandIn, Run) {
  const QString out = qEnvironmentVariable(kStandInEnv);
  if (out.isEmpty()) GTEST_SKIP() << "run by SiblingX11.KeysAndRegisterReachTheWindow";
  EnsureQtApp();
  StandInWindow w(out);
  qApp->installNativeEventFilter(&w);
  w.resize(100, 100);
  w.show();
  xcb_connection_t* c = qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
  const char wmClass[] = "lorquen\0LorquenClass";
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(w.winId()), XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                      8, sizeof wmClass, wmClass);
  xcb_flush(c);
  // A round trip: the server has taken the map and the class before the
  // test is told to look for the window.
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  Append(out, "ready");
  // The test kills the stand-in when it is done; this only bounds a lost one.
  QTimer::singleShot(180000, qApp, &QCoreApplication::quit);
  qApp->exec();
  qApp->removeNativeEventFilter(&w);
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WaitFor(const QString& path, const QByteArray& text) {
  QElapsedTimer t;
  t.start();
  while (!ReadAll(path).contains(text)) {
    if (t.elapsed() > 60000) return false;  // a loaded machine starts the stand-in slowly
    QThread::msleep(50);
  }
  return true;
}

TEST(SiblingX11, KeysAndRegisterReachTheWindow) {
  if (QStandardPaths::findExecutable("Xvfb").isEmpty()) GTEST_SKIP() << "no Xvfb";
  PrivateHome home;
  RecordingUi ui;
  QProcess xvfb;
  xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "320x240x24", "-nolisten", "tcp"});
  ASSERT_TRUE(xvfb.waitForReadyRead(60000));
  const QByteArray display = ":" + xvfb.readAllStandardOutput().trimmed();
  const QByteArray savedDisplay = qgetenv("DISPLAY");
  qputenv("DISPLAY", display);

  const QString out = home.Path() + "/stand-in.log";
  QProcess standIn;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(kStandInEnv, out);
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("DISPLAY", QString::fromLatin1(display));
  env.remove("ASAN_OPTIONS");
  standIn.setProcessEnvironment(env);
  // Its output goes to a file: a pipe nobody reads here could hold it up.
  const QString said = home.Path() + "/stand-in.out";
  standIn.setProcessChannelMode(QProcess::MergedChannels);
  standIn.setStandardOutputFile(said);
  standIn.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SiblingStandIn.Run"});
  EXPECT_TRUE(WaitFor(out, "ready")) << ReadAll(said).toStdString();

  // The window is up; from here on the server is kept busy, as a desktop's
  // clients do, while the program looks for it and sends to it.
  std::vector<std::unique_ptr<QProcess>> busy;
  QProcessEnvironment busyEnv = QProcessEnvironment::systemEnvironment();
  busyEnv.insert("DISPLAY", QString::fromLatin1(display));
  if (!QStandardPaths::findExecutable("xwininfo").isEmpty())
    for (int i = 0; i < 3; ++i) {
      busy.push_back(std::make_unique<QProcess>());
      busy.back()->setProcessEnvironment(busyEnv);
      busy.back()->start("sh", {"-c", "i=0; while [ $i -lt 100000 ]; do xwininfo -root -tree >/dev/null; i=$((i+1)); done"});
    }

  ResetEnvDefaults();
  InitRecordPool(g_Record, 100);
  SetInitialBoard(g_Board);
  g_StartBoard = g_Board;
  g_szRecordDbProgram = u"/nonexistent/lorquen";  // never started: the window is there
  EXPECT_NE(FindOrLaunchRecordDb(nullptr), 0u);
  RecordDbPositionSearch(nullptr);
  EXPECT_TRUE(WaitFor(out, "F5"));
  const std::u16string path = (home.Path() + "/a.zrf").toStdU16String();
  ASSERT_TRUE(WriteFileBytes(path, "x"));
  g_szRecordFilePath = path;
  RecordDbRegister(nullptr);
  EXPECT_TRUE(WaitFor(out, "SORVANE_REGISTER"));
  EXPECT_FALSE(ReadAll(out).contains("F4"));
  EXPECT_TRUE(ui.boxes.empty());

  g_szRecordFilePath.clear();
  FreeRecordPool(g_Record);
  ResetEnvDefaults();
  standIn.kill();
  standIn.waitForFinished();
  for (auto& b : busy) {
    b->kill();
    b->waitForFinished();
  }
  xvfb.kill();
  xvfb.waitForFinished();
  qputenv("DISPLAY", savedDisplay);
}

}  // namespace
