// Commands that wait on another program or the network (the mail program,
// an FTP upload) in the running program: a second command or a close asked
// for during the wait does not run beneath the first, and is not dropped:
// it runs once the first has returned.
#include "view/busy_wait.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
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
  std::string Log() const {
    std::string b;
    ReadFileBytes(PathFromNative(log), b);
    return b;
  }

  PrivateHome home;
  RecordingUi ui;
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

}  // namespace
