// A real FTP server for tests and benchmarks: pyftpdlib on 127.0.0.1, on a
// free port, serving a folder to user "taro" with password "secret".
#pragma once
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

inline int FreePort() {
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

inline bool Accepts(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(uint16_t(port));
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

// A writable server whose data connections, once opened, are never read:
// an upload to it stalls as on a server that hangs.
inline constexpr char kStallingFtpServer[] = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, DTPHandler
from pyftpdlib.servers import FTPServer
class Stalling(DTPHandler):
    def handle_read_event(self):
        self.del_channel()
a = DummyAuthorizer()
a.add_user('taro', 'secret', sys.argv[2], perm='elradfmwMT')
FTPHandler.authorizer = a
FTPHandler.dtp_handler = Stalling
FTPServer(('127.0.0.1', int(sys.argv[1])), FTPHandler).serve_forever()
)";

// A writable server that takes the file and its new name but never answers
// the goodbye (QUIT), holding the connection open.
inline constexpr char kSilentGoodbyeFtpServer[] = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
class Silent(FTPHandler):
    def ftp_QUIT(self, line):
        pass
a = DummyAuthorizer()
a.add_user('taro', 'secret', sys.argv[2], perm='elradfmwMT')
Silent.authorizer = a
FTPServer(('127.0.0.1', int(sys.argv[1])), Silent).serve_forever()
)";

// A server that takes each connection, says nothing for a second and drops it.
inline constexpr char kDroppingFtpServer[] = R"(
import socket, sys, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(('127.0.0.1', int(sys.argv[1])))
s.listen(8)
while True:
    c, _ = s.accept()
    time.sleep(1)
    c.close()
)";

// pyftpdlib serving `root` to user "taro" with password "secret".
class FtpServer {
 public:
  enum Mode { kReadOnly, kWritable, kStalling, kSilentGoodbye, kDropping };
  FtpServer(const std::string& root, bool writable) : FtpServer(root, writable ? kWritable : kReadOnly) {}
  FtpServer(const std::string& root, Mode mode) : port_(FreePort()) {
    pid_ = fork();
    if (pid_ == 0) {
      const std::string dir = root, port = std::to_string(port_);
      std::vector<const char*> args = {"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                                       port.c_str(), "-d", dir.c_str(), "-u", "taro", "-P", "secret"};
      const char* script = mode == kStalling         ? kStallingFtpServer
                           : mode == kSilentGoodbye ? kSilentGoodbyeFtpServer
                           : mode == kDropping      ? kDroppingFtpServer
                                                    : nullptr;
      if (script) args = {"/usr/bin/python3", "-c", script, port.c_str(), dir.c_str()};
      if (mode == kWritable) args.push_back("-w");
      args.push_back(nullptr);
      freopen("/dev/null", "w", stderr);
      execv(args[0], const_cast<char* const*>(args.data()));
      _exit(127);
    }
    for (int i = 0; i < 100 && !Accepts(port_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
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

