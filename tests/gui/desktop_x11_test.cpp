// The program itself on an X server of the test's own (Xvfb), with a window
// manager (openbox) where a desktop has one: the move-list window stays
// above the main window, the main window comes back where it was after
// restarts, and the process ends when its display goes away.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool WaitUntil(const std::function<bool()>& done, int ms, int pollMs = 200) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QThread::msleep(pollMs);
  }
  return true;
}

// An X server of the test's own, and a connection to it for looking at the
// program's windows.
class XSession {
public:
  explicit XSession(bool windowManager) {
    xvfb_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s, u"-nolisten"_s, u"tcp"_s});
    if (!xvfb_.waitForReadyRead(60000)) return;
    display_ = u":"_s + QString::fromLatin1(xvfb_.readAllStandardOutput().trimmed());
    c_ = xcb_connect(display_.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(c_)) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    if (windowManager) {
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(u"DISPLAY"_s, display_);
      wm_.setProcessEnvironment(env);
      wm_.start(u"openbox"_s, {});
      // The manager is there once it has named itself on the root window.
      WaitUntil([this] { return !Windows("_NET_SUPPORTING_WM_CHECK").empty(); }, 20000);
    }
  }
  ~XSession() {
    if (c_) xcb_disconnect(c_);
    for (QProcess* p : {&wm_, &xvfb_}) {
      p->kill();
      p->waitForFinished();
    }
  }
  bool Ready() const { return c_ && !xcb_connection_has_error(c_); }
  const QString& Display() const { return display_; }
  void KillServer() {
    ::kill(pid_t(xvfb_.processId()), SIGKILL);
    xvfb_.waitForFinished();
    xcb_disconnect(c_);
    c_ = nullptr;
  }

  xcb_atom_t Atom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return r ? r->atom : XCB_ATOM_NONE;
  }
  // A window list property of the root window, in its order.
  std::vector<xcb_window_t> Windows(const char* property) {
    std::vector<xcb_window_t> out;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, root_, Atom(property), XCB_ATOM_WINDOW, 0, 4096), nullptr),
        &std::free);
    if (!r || r->format != 32) return out;
    const auto* w = static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
    out.assign(w, w + xcb_get_property_value_length(r.get()) / 4);
    return out;
  }
  std::string Name(xcb_window_t w) {
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), 0, 256),
                               nullptr),
        &std::free);
    if (!r) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       size_t(xcb_get_property_value_length(r.get())));
  }
  // The frame's top left on the screen: the inside's place less the frame
  // the manager put around it.
  std::optional<std::pair<int, int>> FrameTopLeft(xcb_window_t w) {
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> at(
        xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, w, root_, 0, 0), nullptr), &std::free);
    if (!at) return std::nullopt;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> extents(
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, Atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &std::free);
    int left = 0, top = 0;
    if (extents && extents->format == 32 && xcb_get_property_value_length(extents.get()) >= 16) {
      const auto* e = static_cast<const uint32_t*>(xcb_get_property_value(extents.get()));
      left = int(e[0]);
      top = int(e[2]);
    }
    return std::make_pair(at->dst_x - left, at->dst_y - top);
  }
  void Close(xcb_window_t w) {
    xcb_client_message_event_t e;
    std::memset(&e, 0, sizeof e);
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = Atom("WM_PROTOCOLS");
    e.data.data32[0] = Atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(c_);
  }
  // The managed window whose name starts with prefix (0 when none).
  xcb_window_t Find(const std::string& prefix) {
    for (xcb_window_t w : Windows("_NET_CLIENT_LIST"))
      if (Name(w).rfind(prefix, 0) == 0) return w;
    return 0;
  }

private:
  QProcess xvfb_, wm_;
  QString display_;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
};

class DesktopX11Test : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "openbox"})
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
        GTEST_SKIP() << tool << " is not installed";
    ASSERT_TRUE(home.isValid());
    QDir().mkpath(home.path() + u"/run"_s);
    ::chmod((home.path() + u"/run"_s).toLocal8Bit().constData(), 0700);
  }
  // The program on the session's display, in a home of the test's own.
  void Start(QProcess& program, const XSession& x, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, x.Display());
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_RUNTIME_DIR"_s, home.path() + u"/run"_s);
    env.insert(u"XDG_DATA_HOME"_s, home.path() + u"/data"_s);
    env.insert(u"XDG_CONFIG_HOME"_s, home.path() + u"/config"_s);
    // A display that goes away may leave memory behind: only real faults count.
    env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0:halt_on_error=1:abort_on_error=1"_s);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home.path());
    program.start(QString::fromUtf8(NARVO_PROGRAM), args);
    ASSERT_TRUE(program.waitForStarted(10000));
  }
  QString EnvFile() const { return home.path() + u"/data/Morivane/DovuV7/NARVO.ENV"_s; }

  QTemporaryDir home;
};

TEST_F(DesktopX11Test, TheMoveListStaysAboveAndTheMainWindowComesBackWhereItWas) {
  XSession x(true);
  ASSERT_TRUE(x.Ready());
  std::vector<std::pair<int, int>> places;
  for (int run = 0; run < 4; ++run) {
    SCOPED_TRACE(run);
    QProcess program;
    Start(program, x, {});
    xcb_window_t main = 0, moves = 0;
    ASSERT_TRUE(WaitUntil([&] {
      main = x.Find("Sorvane");
      moves = x.Find("棋譜");
      return main && moves && x.FrameTopLeft(main);
    }, 60000));
    // The placement settles: the frame stays put for a second.
    std::optional<std::pair<int, int>> last;
    int still = 0;
    WaitUntil([&] {
      const auto now = x.FrameTopLeft(main);
      still = now == last ? still + 1 : 0;
      last = now;
      return still >= 5;
    }, 20000);
    QThread::msleep(200);
    const std::vector<xcb_window_t> stacking = x.Windows("_NET_CLIENT_LIST_STACKING");
    const auto mainAt = std::find(stacking.begin(), stacking.end(), main);
    const auto movesAt = std::find(stacking.begin(), stacking.end(), moves);
    ASSERT_NE(mainAt, stacking.end());
    ASSERT_NE(movesAt, stacking.end());
    EXPECT_GT(movesAt, mainAt) << "the move list is under the main window";
    const auto frame = x.FrameTopLeft(main);
    ASSERT_TRUE(frame);
    EXPECT_GE(frame->first, 0);
    EXPECT_GE(frame->second, 0) << "the title bar is off the screen";
    places.push_back(*frame);
    x.Close(main);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
  }
  EXPECT_EQ(places[3], places[0]);
  EXPECT_EQ(places[1], places[0]);
  // A normal close writes the settings file as ever.
  EXPECT_TRUE(QFile::exists(EnvFile()));
}

TEST_F(DesktopX11Test, TheProgramEndsWhenItsDisplayGoesAway) {
  // A record long enough for a replay still to run when the display goes.
  const QString record = home.path() + u"/long.zrf"_s;
  {
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const char* cycle[] = {"４八銀(39)", "６二銀(71)", "３九銀(48)", "７一銀(62)"};
    for (int n = 1; n <= 400; ++n) f.write((std::to_string(n) + " " + cycle[(n - 1) % 4] + "\n").c_str());
  }
  const struct {
    const char* state;
    QStringList args;
  } states[] = {{"just started", {}}, {"a record open", {record}}, {"a replay running", {record, u"/A"_s}}};
  for (const auto& s : states) {
    SCOPED_TRACE(s.state);
    XSession x(false);
    ASSERT_TRUE(x.Ready());
    QProcess program;
    Start(program, x, s.args);
    QThread::msleep(4000);  // up and running (and replaying)
    ASSERT_EQ(program.state(), QProcess::Running);
    x.KillServer();
    EXPECT_TRUE(program.waitForFinished(5000)) << "the process is still there 5 s after its display went";
    // Ended, not crashed: it ran its exit to the end, with the code for a
    // lost display.
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitCode(), 1);
    if (program.state() != QProcess::NotRunning) {
      program.kill();
      program.waitForFinished();
    }
  }
}

}  // namespace
