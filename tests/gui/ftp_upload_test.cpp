// Uploads to a real FTP server on 127.0.0.1 (pyftpdlib in a folder of the
// test's own): the file arrives byte for byte under its name, no temporary
// name is left behind, and each failure gives its result and message.
#include "output/ftp_upload.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/narvo_doc.h"
#include "record/text.h"
#include "settings/ftp_env.h"
#include "tests/support/ftp_server.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

using namespace Qt::StringLiterals;

namespace {

FtpDestination Dest(const char16_t* name, const char16_t* folder, int passive = 1,
                    const char16_t* password = u"secret") {
  FtpDestination d;
  d.name = name;
  d.server = u"127.0.0.1";
  d.user = u"taro";
  d.password = password;
  d.folder = folder;
  d.passive = passive;
  return d;
}

class FtpUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(server.path() + "/sub dir"));
    local = PathFromNative(client.path().toStdString()) + u"/対局 記録.zrf";
    bytes = "#ZRF version=2.0 encoding=Shift_JIS\r\n";
    for (int i = 0; i < 2000; ++i) bytes += std::string(1, char(i % 256));
    ASSERT_TRUE(WriteFileBytes(local, bytes));
    g_szRecordFilePath = local;
    g_FtpTable = FtpTable();
  }
  void TearDown() override {
    g_FtpTable = FtpTable();
    g_szRecordFilePath.clear();
    g_nFtpPort = 21;
  }
  std::string Arrived(const QString& folder) {
    std::string got;
    ReadFileBytes((server.path() + folder + "/対局 記録.zrf").toStdU16String(), got);
    return got;
  }
  bool TemporaryLeft() {
    for (const QString& f : {QString("/sub dir"), QString("")})
      if (!QDir(server.path() + f).entryList({"*.FTPTMP"}).isEmpty()) return true;
    return false;
  }

  QTemporaryDir server, client;
  std::u16string local;
  std::string bytes;
  RecordingUi ui;
};

TEST_F(FtpUploadTest, ArrivesWholeInPassiveAndActiveMode) {
  FtpServer ftp(server.path().toStdString(), true);
  g_nFtpPort = ftp.Port();
  for (int passive : {1, 0}) {
    SCOPED_TRACE(passive);
    QFile::remove(server.path() + "/sub dir/対局 記録.zrf");
    g_FtpTable = FtpTable();
    AddFtpDestination(g_FtpTable, Dest(u"クラブ", u"sub dir", passive));
    EXPECT_EQ(FtpUploadFile(0), 0);
    EXPECT_EQ(Arrived("/sub dir"), bytes);
    EXPECT_FALSE(TemporaryLeft());
    EXPECT_EQ(ui.status.back(), u"FTP転送しました(" + local + u" → 127.0.0.1)。");
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FtpUploadTest, FailuresGiveTheirResultAndMessage) {
  struct Case {
    bool writable;
    FtpDestination dest;
    int result;
    std::u16string message;
  };
  const Case cases[] = {
      {true, Dest(u"A", u"sub dir", 1, u"wrong"), -1, u"サーバ(127.0.0.1)に接続できません。"},
      {true, Dest(u"A", u"missing"), -2, u"ディレクトリの変更に失敗しました(missing)。"},
      {false, Dest(u"A", u"sub dir"), -3, u"ファイルのFTP転送に失敗しました(" + local + u")。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    FtpServer ftp(server.path().toStdString(), c.writable);
    g_nFtpPort = ftp.Port();
    g_FtpTable = FtpTable();
    AddFtpDestination(g_FtpTable, c.dest);
    ui.boxes.clear();
    EXPECT_EQ(FtpUploadFile(0), c.result);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.message);
    EXPECT_FALSE(TemporaryLeft());
    EXPECT_EQ(Arrived("/sub dir"), "");
  }
  // A pipe under the record's name is refused at once, not read from.
  ASSERT_EQ(std::remove(PathToNative(local).c_str()), 0);
  ASSERT_EQ(mkfifo(PathToNative(local).c_str(), 0600), 0);
  FtpServer ftp(server.path().toStdString(), true);
  g_nFtpPort = ftp.Port();
  ui.boxes.clear();
  EXPECT_EQ(FtpUploadFile(0), -3);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"ファイルのFTP転送に失敗しました(" + local + u")。");
}

// A server that takes the data connection and then stops reading: the
// upload ends by itself within the low-speed limit, or at once by 中止, and
// the window goes on being painted meanwhile.
TEST_F(FtpUploadTest, AStalledUploadEndsWithinTheLimitOrBy中止) {
  std::string big(48 << 20, 'x');
  ASSERT_TRUE(WriteFileBytes(local, big));
  FtpServer ftp(server.path().toStdString(), FtpServer::kStalling);
  g_nFtpPort = ftp.Port();
  AddFtpDestination(g_FtpTable, Dest(u"止まる", u""));
  g_nFtpLowSpeedSeconds = 2;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(100);
  QElapsedTimer took;
  took.start();
  EXPECT_EQ(FtpUploadFile(0), -3);
  EXPECT_LT(took.elapsed(), 15000);
  EXPECT_GT(ticks, 10);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"ファイルのFTP転送に失敗しました(" + local + u")。");

  // 中止 in the box that comes up.
  g_nFtpLowSpeedSeconds = 60;
  ui.boxes.clear();
  QTimer press;
  QObject::connect(&press, &QTimer::timeout, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QProgressDialog*>(w); box && box->isVisible()) {
        EXPECT_EQ(box->windowTitle(), u"FTP転送"_s);
        box->cancel();
      }
  });
  press.start(200);
  took.restart();
  EXPECT_EQ(FtpUploadFile(0), -5);
  EXPECT_LT(took.elapsed(), 10000);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(QFile::exists(server.path() + "/対局 記録.zrf"));

  // A small file goes out whole and the server never answers for it:
  // libcurl waits for that answer inside itself, and still the window
  // paints and 中止 ends the wait.
  ASSERT_TRUE(WriteFileBytes(local, bytes));
  ticks = 0;
  took.restart();
  EXPECT_EQ(FtpUploadFile(0), -5);
  EXPECT_LT(took.elapsed(), 10000);
  EXPECT_GT(ticks, 3);
  g_nFtpLowSpeedSeconds = 30;
}

// The end of a good upload: the server has the file under its name. A
// goodbye it never answers is waited on off the window's thread and not for
// long, and 中止 pressed just then does not undo the transfer.
TEST_F(FtpUploadTest, TheEndOfAGoodUploadNeitherFreezesNorTurnsIntoAStop) {
  FtpServer ftp(server.path().toStdString(), FtpServer::kSilentGoodbye);
  g_nFtpPort = ftp.Port();
  AddFtpDestination(g_FtpTable, Dest(u"黙る", u"sub dir"));
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, sinceTick.restart());
  });
  sinceTick.start();
  timer.start(50);
  QElapsedTimer took;
  took.start();
  EXPECT_EQ(FtpUploadFile(0), 0);
  longestGap = std::max(longestGap, sinceTick.elapsed());
  EXPECT_LT(longestGap, 1000);
  EXPECT_LT(took.elapsed(), 8000);
  EXPECT_EQ(Arrived("/sub dir"), bytes);
  EXPECT_FALSE(TemporaryLeft());
  EXPECT_EQ(ui.status.back(), u"FTP転送しました(" + local + u" → 127.0.0.1)。");
  EXPECT_TRUE(ui.boxes.empty());

  // 中止, pressed on the window's thread once the server's last answer is in.
  QFile::remove(server.path() + "/sub dir/対局 記録.zrf");
  g_pFtpTransferEnded = [] {
    QMetaObject::invokeMethod(
        qApp,
        [] {
          for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QProgressDialog*>(w)) box->cancel();
        },
        Qt::BlockingQueuedConnection);
  };
  const int result = FtpUploadFile(0);
  g_pFtpTransferEnded = nullptr;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Arrived("/sub dir"), bytes);
  EXPECT_EQ(ui.status.back(), u"FTP転送しました(" + local + u" → 127.0.0.1)。");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FtpUploadTest, ANameThatCannotTravelIsRefusedBeforeConnecting) {
  const std::u16string odd = PathFromNative(client.path().toStdString()) + u"/二行\nの名前.zrf";
  ASSERT_TRUE(WriteFileBytes(odd, bytes));
  g_szRecordFilePath = odd;
  AddFtpDestination(g_FtpTable, Dest(u"A", u""));
  g_nFtpPort = FreePort();  // nobody listens: a connection would fail otherwise
  EXPECT_EQ(FtpUploadFile(0), -3);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"ファイル名(二行\nの名前.zrf)はFTPで転送できません。");
}

TEST_F(FtpUploadTest, AFailingDestinationDoesNotStopTheNext) {
  FtpServer ftp(server.path().toStdString(), true);
  g_nFtpPort = ftp.Port();
  AddFtpDestination(g_FtpTable, Dest(u"壊れた", u"missing"));
  AddFtpDestination(g_FtpTable, Dest(u"正しい", u""));
  AddFtpDestination(g_FtpTable, Dest(u"選ばれていない", u"sub dir"));
  g_FtpTable.entries[2].selected = 0;
  EXPECT_TRUE(HasFtpSendDestination());
  FtpUploadAll(nullptr);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(Arrived(""), bytes);
  EXPECT_EQ(Arrived("/sub dir"), "");
  // No server or no user: skipped without a word.
  g_FtpTable.entries[0].server.clear();
  EXPECT_EQ(FtpUploadFile(0), 0);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

}  // namespace
