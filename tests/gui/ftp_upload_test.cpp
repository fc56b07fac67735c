// Uploads to a real FTP server on 127.0.0.1 (pyftpdlib in a folder of the
// test's own): the file arrives byte for byte under its name, no temporary
// name is left behind, and each failure gives its result and message.
#include "output/ftp_upload.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <string>

#include "app/narvo_doc.h"
#include "record/text.h"
#include "settings/ftp_env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

bool Accepts(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(uint16_t(port));
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

// pyftpdlib serving `root` to user "taro" with password "secret".
class FtpServer {
 public:
  FtpServer(const QString& root, bool writable) : port_(FreePort()) {
    pid_ = fork();
    if (pid_ == 0) {
      const std::string dir = root.toStdString(), port = std::to_string(port_);
      std::vector<const char*> args = {"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                                       port.c_str(), "-d", dir.c_str(), "-u", "taro", "-P", "secret"};
      if (writable) args.push_back("-w");
      args.push_back(nullptr);
      freopen("/dev/null", "w", stderr);
      execv(args[0], const_cast<char* const*>(args.data()));
      _exit(127);
    }
    for (int i = 0; i < 100 && !Accepts(port_); ++i) QThread::msleep(50);
  }
  ~FtpServer() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  int Port() const { return port_; }

 private:
  int port_;
  pid_t pid_ = -1;
};

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
  FtpServer ftp(server.path(), true);
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
    FtpServer ftp(server.path(), c.writable);
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
}

TEST_F(FtpUploadTest, AFailingDestinationDoesNotStopTheNext) {
  FtpServer ftp(server.path(), true);
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
