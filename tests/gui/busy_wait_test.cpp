// Commands that wait on another program or the network (the mail program,
// an FTP upload) in the running program: a second command, a close or a
// dropped file asked for during the wait does not run beneath the first, nor
// inside its message boxes, and is not dropped: it runs once the first has
// returned.
#include "view/busy_wait.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_doc.h"
#include "app/narvo_app.h"
#include "output/ftp_upload.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/ftp_env.h"
#include "tests/support/ftp_server.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"
#include "view/narvo_view.h"

namespace {

int Count(const std::u16string& text, const std::u16string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Boxes that stay up a while, running an event loop as a real modal box
// does; each notes whether the main window was still open as it ended.
class ModalUi : public RecordingUi {
public:
  int MessageBox(const std::u16string& text, const std::u16string& caption, int flags) override {
    if (boxMs > 0) {
      QEventLoop loop;
      QTimer::singleShot(boxMs, &loop, &QEventLoop::quit);
      loop.exec();
    }
    windowOpenAtBoxEnd.push_back(g_pMainFrame && g_pMainFrame->isVisible());
    return RecordingUi::MessageBox(text, caption, flags);
  }
  int boxMs = 0;
  std::vector<bool> windowOpenAtBoxEnd;
};

class BusyWaitTest : public ::testing::Test {
protected:
  void SetUp() override {
    // A mail program that takes a second over each mail and logs it.
    const std::string bin = tools.path().toStdString();
    log = bin + "/log";
    const std::string script = bin + "/xdg-email";
    FILE* f = std::fopen(script.c_str(), "w");
    std::fprintf(f, "#!/bin/sh\necho start >> '%s'\nsleep 1\necho end >> '%s'\n", log.c_str(), log.c_str());
    std::fclose(f);
    chmod(script.c_str(), 0755);
    oldPath = std::getenv("PATH");
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    ASSERT_TRUE(app.InitInstance({}));
    file = home.Path().toStdU16String() + u"/game.zrf";
    ASSERT_TRUE(WriteFileBytes(file, "   1 ７六歩(77)\n"));
    ASSERT_EQ(OpenRecordFile(g_pView, file), 0);
  }
  void TearDown() override {
    // What the last command held runs first, as it would in the program.
    EXPECT_TRUE(QTest::qWaitFor([] { return !BusyWait::Active(); }, 15000));
    setenv("PATH", oldPath.c_str(), 1);
    if (g_pMainFrame) g_pMainFrame->close();
    g_FtpTable = FtpTable();
    g_nFtpPort = 21;
    g_nFtpLowSpeedSeconds = 30;
  }
  static void Trigger(int id) {
    g_pMainFrame->UpdateCommandUi();
    g_pMainFrame->ActionFor(id)->trigger();
  }
  // As the program runs a command: from its event loop. True when the main
  // window was still open as the command returned.
  static bool TriggerFromEventLoop(int id) {
    bool open = false;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
      Trigger(id);
      open = g_pMainFrame && g_pMainFrame->isVisible();
      loop.quit();
    });
    loop.exec();
    return open;
  }
  // Asks once, at the first timer tick inside the wait.
  void DuringTheWait(std::function<void()> ask) {
    asker.callOnTimeout([this, ask] {
      if (!BusyWait::Active()) return;
      asker.stop();
      ask();
    });
    asker.start(10);
  }
  static bool WindowCloses() {
    return QTest::qWaitFor([] { return !g_pMainFrame || !g_pMainFrame->isVisible(); }, 8000);
  }
  // A file dropped on the main window, as the window system delivers it.
  static void Drop(const std::u16string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdU16String(path))});
    const QPoint at = g_pMainFrame->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g_pMainFrame, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g_pMainFrame, &drop);
  }
  void FailingMailProgram() {
    const std::string script = tools.path().toStdString() + "/xdg-email";
    FILE* f = std::fopen(script.c_str(), "w");
    std::fprintf(f, "#!/bin/sh\nsleep 1\nexit 1\n");
    std::fclose(f);
  }
  void AddDestination(const char16_t* name, const char16_t* folder = u"") {
    FtpDestination d;
    d.name = name;
    d.server = u"127.0.0.1";
    d.user = u"taro";
    d.password = u"secret";
    d.folder = folder;
    AddFtpDestination(g_FtpTable, d);
  }
  // Two destinations on one server: its top folder and "second".
  void ServeTwoDestinations() {
    ASSERT_TRUE(QDir(served.path()).mkdir("second"));
    ftp.emplace(served.path().toStdString(), true);
    g_nFtpPort = ftp->Port();
    AddDestination(u"一");
    AddDestination(u"二", u"second");
  }
  int StatusCount(const char16_t* part) const {
    std::u16string all;
    for (const std::u16string& s : ui.status) all += s;
    return Count(all, part);
  }
  std::string Log() const {
    std::string b;
    ReadFileBytes(PathFromNative(log), b);
    return b;
  }

  PrivateHome home;
  ModalUi ui;
  QTimer asker;
  QTemporaryDir served;
  std::optional<FtpServer> ftp;
  QTemporaryDir tools;
  std::string log, oldPath;
  std::u16string file;
  CNarvoApp app;
};

TEST_F(BusyWaitTest, ASecondMailAndACloseDuringTheWaitComeAfterIt) {
  bool busyThen = false;
  QTimer::singleShot(300, [&] {
    busyThen = BusyWait::Active();
    Trigger(kCmdMapiMail);
    g_pMainFrame->close();
  });
  Trigger(kCmdMapiMail);
  EXPECT_TRUE(busyThen);
  EXPECT_EQ(Log(), "start\nend\n");  // the second did not start beneath the first
  ASSERT_TRUE(g_pMainFrame && g_pMainFrame->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([this] { return Log() == "start\nend\nstart\nend\n"; }, 8000));
  EXPECT_TRUE(QTest::qWaitFor([] { return !g_pMainFrame || !g_pMainFrame->isVisible(); }, 8000));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(BusyWaitTest, ASecondUploadDuringTheTransferComesAfterIt) {
  QTemporaryDir served;
  FtpServer ftp(served.path().toStdString(), true);
  g_nFtpPort = ftp.Port();
  FtpDestination d;
  d.name = u"手元";
  d.server = u"127.0.0.1";
  d.user = u"taro";
  d.password = u"secret";
  AddFtpDestination(g_FtpTable, d);
  ui.answers = {kIdYes, kIdYes};  // 送信しますか？ twice
  auto count = [this](const char16_t* part) {
    std::u16string all;
    for (const std::u16string& s : ui.status) all += s;
    return Count(all, part);
  };
  bool busyThen = false;
  int startedThen = 0;
  QTimer::singleShot(0, [&] {
    busyThen = BusyWait::Active();
    Trigger(kCmdSaveAndFtp);
    startedThen = count(u"FTP転送開始(");
  });
  Trigger(kCmdSaveAndFtp);
  EXPECT_TRUE(busyThen);
  EXPECT_EQ(startedThen, 1);  // not a second transfer beside the first
  EXPECT_EQ(count(u"FTP転送しました("), 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return count(u"FTP転送しました(") == 2; }, 15000));
  EXPECT_EQ(count(u"FTP転送開始("), 2);
  ASSERT_EQ(ui.boxes.size(), 2u);  // the two questions
  EXPECT_TRUE(QFile::exists(served.path() + "/game.zrf"));
  EXPECT_TRUE(QDir(served.path()).entryList({"*.FTPTMP"}).isEmpty());
}

// A close asked for during the wait comes after the command, not inside the
// box that tells of its failure.
TEST_F(BusyWaitTest, ACloseDuringAFailedUploadComesAfterItsBox) {
  FtpServer ftp(home.Path().toStdString(), FtpServer::kDropping);
  g_nFtpPort = ftp.Port();
  AddDestination(u"切れる");
  ui.boxMs = 300;
  DuringTheWait([] { g_pMainFrame->close(); });
  EXPECT_TRUE(TriggerFromEventLoop(kCmdSaveAndFtp));
  ASSERT_EQ(ui.boxes.size(), 2u);  // the question, then the failure
  EXPECT_EQ(ui.boxes[1].text, u"サーバ(127.0.0.1)に接続できません。");
  EXPECT_EQ(ui.windowOpenAtBoxEnd, (std::vector<bool>{true, true}));
  EXPECT_TRUE(WindowCloses());
}

TEST_F(BusyWaitTest, ACloseDuringAFailedMailComesAfterItsBox) {
  FailingMailProgram();
  ui.boxMs = 300;
  DuringTheWait([] { g_pMainFrame->close(); });
  EXPECT_TRUE(TriggerFromEventLoop(kCmdMapiMail));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メールの作成に失敗しました。");
  EXPECT_EQ(ui.windowOpenAtBoxEnd, std::vector<bool>{true});
  EXPECT_TRUE(WindowCloses());
}

// Nothing held runs between two destinations of one upload.
TEST_F(BusyWaitTest, WhatIsHeldDuringTheFirstDestinationComesAfterTheLast) {
  ServeTwoDestinations();
  ui.boxMs = 100;
  DuringTheWait([] {
    Trigger(kCmdSaveAndFtp);
    g_pMainFrame->close();
  });
  EXPECT_TRUE(TriggerFromEventLoop(kCmdSaveAndFtp));
  EXPECT_EQ(StatusCount(u"FTP転送開始("), 2);
  EXPECT_EQ(StatusCount(u"FTP転送しました("), 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return StatusCount(u"FTP転送しました(") == 4; }, 15000));
  EXPECT_TRUE(WindowCloses());
}

// A drop during a wait is held like a command: the file opens once the
// waiting command has returned, and the command works on its own record.
TEST_F(BusyWaitTest, AFileDroppedDuringTheMailWaitOpensAfterIt) {
  const std::u16string other = home.Path().toStdU16String() + u"/other.zrf";
  ASSERT_TRUE(WriteFileBytes(other, "   1 ２六歩(27)\n"));
  DuringTheWait([other] { Drop(other); });
  TriggerFromEventLoop(kCmdMapiMail);
  EXPECT_EQ(g_szRecordFilePath, file);
  EXPECT_TRUE(QTest::qWaitFor([&] { return g_szRecordFilePath == other; }, 8000));
}

TEST_F(BusyWaitTest, AFileDroppedDuringAnUploadIsNotSentToTheNextDestination) {
  const std::u16string other = home.Path().toStdU16String() + u"/other.zrf";
  ASSERT_TRUE(WriteFileBytes(other, "   1 ２六歩(27)\n"));
  ServeTwoDestinations();
  DuringTheWait([other] { Drop(other); });
  TriggerFromEventLoop(kCmdSaveAndFtp);
  EXPECT_TRUE(QFile::exists(served.path() + "/game.zrf"));
  EXPECT_TRUE(QFile::exists(served.path() + "/second/game.zrf"));
  EXPECT_FALSE(QFile::exists(served.path() + "/second/other.zrf"));
  EXPECT_EQ(g_szRecordFilePath, file);
  EXPECT_TRUE(QTest::qWaitFor([&] { return g_szRecordFilePath == other; }, 8000));
}

}  // namespace
