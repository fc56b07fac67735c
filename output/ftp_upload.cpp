#include "output/ftp_upload.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QProgressDialog>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <type_traits>

#include "app/narvo_doc.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/ftp_env.h"
#include "view/busy_wait.h"

int g_nFtpPort = 21;
void (*g_pFtpTransferEnded)() = nullptr;

using namespace Qt::StringLiterals;

namespace {

// libcurl, opened at the first upload rather than with the program: it and
// the libraries it needs would add to every start.
struct CurlLibrary {
  bool loaded = false;
  CURLcode (*global_init)(long);
  CURL* (*easy_init)();
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
  CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
  CURLcode (*easy_perform)(CURL*);
  void (*easy_cleanup)(CURL*);
  char* (*easy_escape)(CURL*, const char*, int);
  void (*free)(void*);
  curl_slist* (*slist_append)(curl_slist*, const char*);
  void (*slist_free_all)(curl_slist*);
};

const CurlLibrary& Lib() {
  static const CurlLibrary lib = [] {
    CurlLibrary l{};
    void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return l;
    bool all = true;
    auto get = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
      all = all && fn;
    };
    get(l.global_init, "curl_global_init");
    get(l.easy_init, "curl_easy_init");
    get(l.easy_setopt, "curl_easy_setopt");
    get(l.easy_getinfo, "curl_easy_getinfo");
    get(l.easy_perform, "curl_easy_perform");
    get(l.easy_cleanup, "curl_easy_cleanup");
    get(l.easy_escape, "curl_easy_escape");
    get(l.free, "curl_free");
    get(l.slist_append, "curl_slist_append");
    get(l.slist_free_all, "curl_slist_free_all");
    l.loaded = all;  // a library kept open for the run
    return l;
  }();
  return lib;
}

// A path segment as the URL carries it: UTF-8, everything outside the
// unreserved set percent-encoded.
std::string Escape(CURL* curl, const std::u16string& text) {
  const std::string utf8 = Utf16ToUtf8(text);
  char* escaped = Lib().easy_escape(curl, utf8.data(), int(utf8.size()));
  std::string out = escaped ? escaped : "";
  Lib().free(escaped);
  return out;
}

// The folder as typed: one CWD, relative to the login folder, or from the
// root when it begins with "/".
std::string FolderPath(CURL* curl, const std::u16string& folder) {
  if (folder.empty()) return "";
  std::string out = folder[0] == u'/' ? "%2F" : "";
  std::u16string rest = folder[0] == u'/' ? folder.substr(1) : folder;
  while (!rest.empty() && rest.back() == u'/') rest.pop_back();
  size_t start = 0;
  while (start <= rest.size()) {
    size_t slash = rest.find(u'/', start);
    if (slash == std::u16string::npos) slash = rest.size();
    if (!out.empty() && out != "%2F") out += "/";
    out += Escape(curl, rest.substr(start, slash - start));
    start = slash + 1;
  }
  return out + "/";
}

std::u16string FileNamePart(const std::u16string& path) {
  size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// The record file for reading: a pipe or a device put under its name is
// refused at once, never waited on.
FILE* OpenRegularFile(const std::u16string& path, long& size) {
  struct stat st;
  const int fd = OpenRegularFileForReading(path, st);
  if (fd < 0) return nullptr;
  FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    ::close(fd);
    return nullptr;
  }
  size = long(st.st_size);
  return file;
}

struct CurlHandle {
  CURL* curl = Lib().loaded ? Lib().easy_init() : nullptr;
  curl_slist* quote = nullptr;
  ~CurlHandle() {
    if (quote) Lib().slist_free_all(quote);
    if (curl) Lib().easy_cleanup(curl);
  }
};

// What the transfer thread and the window share.
struct TransferState {
  std::atomic<bool> stop{false}, done{false};
  std::atomic<curl_off_t> sent{0};
  // When the goodbye went out, on the steady clock; zero before.
  std::atomic<std::chrono::steady_clock::rep> goodbyeAt{0};
};

// How long the server may take to answer the goodbye (QUIT) once the file is
// in place. Its silence fails nothing: the transfer's result stands.
constexpr auto kGoodbyeWait = std::chrono::seconds(2);

int OnTransferProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
  auto* state = static_cast<TransferState*>(data);
  state->sent = sent;
  const auto goodbyeAt = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(state->goodbyeAt));
  if (state->goodbyeAt != 0 && std::chrono::steady_clock::now() - goodbyeAt > kGoodbyeWait) return 1;
  return state->stop ? 1 : 0;  // non-zero ends the transfer
}

// libcurl names each command it sends here; the goodbye starts its clock.
int OnCurlDebug(CURL*, curl_infotype type, char* text, size_t size, void* data) {
  auto* state = static_cast<TransferState*>(data);
  if (type == CURLINFO_HEADER_OUT && size >= 4 && std::memcmp(text, "QUIT", 4) == 0 && state->goodbyeAt == 0)
    state->goodbyeAt = std::chrono::steady_clock::now().time_since_epoch().count();
  return 0;
}

// Runs the transfer on a thread of its own while the window goes on being
// painted (commands asked for meanwhile wait for its end). Every wait of
// libcurl's is on that thread: the server's last answer, and the goodbye,
// which ends the transfer's own connection (no connection is kept for
// later, so none is closed on the window's thread); the handle is closed
// there too and is gone when this returns. An upload that lasts more than
// half a second shows a box whose 中止 ends it (the file then stays under
// its temporary name on the server, never under its own). What libcurl
// returned decides: 中止 pressed as the transfer completed is no stop.
CURLcode RunTransfer(CurlHandle& h, curl_off_t size, const std::u16string& local, const std::u16string& server,
                     curl_off_t& sent) {
  TransferState state;
  CURL* curl = h.curl;
  h.curl = nullptr;
  Lib().easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  Lib().easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnTransferProgress);
  Lib().easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
  Lib().easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
  Lib().easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &OnCurlDebug);
  Lib().easy_setopt(curl, CURLOPT_DEBUGDATA, &state);
  Lib().easy_setopt(curl, CURLOPT_VERBOSE, 1L);  // for the debug function only
  BusyWait busy;
  QProgressDialog box(QString::fromUtf16(u"FTP転送中(") + QString::fromStdU16String(local) + u" → "_s +
                          QString::fromStdU16String(server) + u")"_s,
                      QString::fromUtf16(u"中止"), 0, 1000, QApplication::activeWindow());
  box.setWindowTitle(QString::fromUtf16(u"FTP転送"));
  box.setWindowModality(Qt::ApplicationModal);
  box.setMinimumDuration(500);
  box.setAutoReset(false);
  box.setAutoClose(false);
  box.setValue(0);
  CURLcode result = CURLE_OK;
  curl_off_t uploaded = 0;
  std::thread transfer([&] {
    result = Lib().easy_perform(curl);
    Lib().easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &uploaded);
    if (g_pFtpTransferEnded) g_pFtpTransferEnded();
    Lib().easy_cleanup(curl);
    state.done = true;
  });
  while (!state.done) {
    const curl_off_t now = state.sent;
    box.setValue(size > 0 ? int(std::min<curl_off_t>(999, now * 1000 / size)) : 0);
    // Until the box is up, no input at all; then the box's own, which holds
    // the rest of the program off while it is modal.
    if (box.isVisible()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    else BusyWait::Pump(20);
    if (box.wasCanceled()) state.stop = true;
    if (!state.done) QThread::msleep(10);
  }
  transfer.join();
  sent = uploaded;
  return result;
}

}  // namespace

int g_nFtpLowSpeedSeconds = 30;

int FtpUploadFile(int index) {
  static const bool ready = Lib().loaded && Lib().global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  CurlHandle h;
  if (!ready || !h.curl) {
    ShowMessage(u"インターネットが使用できません。", kMbOk | kMbIconError);
    return -1;
  }
  if (index < 0 || index >= g_FtpTable.count) return 0;
  const FtpDestination d = g_FtpTable.entries[index];
  if (d.server.empty() || d.user.empty()) return 0;
  const std::u16string local = g_szRecordFilePath;
  ShowStatus(FormatU16(u"FTP転送開始(%s → %s)。", local.c_str(), d.server.c_str()));

  const std::u16string remote = FileNamePart(local);
  // A name with a line break or another control character cannot travel in
  // an FTP command: refused before connecting.
  for (char16_t c : remote)
    if (c < 0x20 || c == 0x7F) {
      ShowMessage(FormatU16(u"ファイル名(%s)はFTPで転送できません。", remote.c_str()), kMbOk | kMbIconError);
      return -3;
    }
  const std::u16string temp = remote + u".FTPTMP";
  long size = 0;
  FILE* file = OpenRegularFile(local, size);
  if (!file) {
    ShowMessage(FormatU16(u"ファイルのFTP転送に失敗しました(%s)。", local.c_str()), kMbOk | kMbIconError);
    return -3;
  }

  const std::string url = "ftp://" + Utf16ToUtf8(d.server) + ":" + std::to_string(g_nFtpPort) + "/" +
                          FolderPath(h.curl, d.folder) + Escape(h.curl, temp);
  const std::string user = Utf16ToUtf8(d.user), password = Utf16ToUtf8(d.password);
  h.quote = Lib().slist_append(h.quote, ("RNFR " + Utf16ToUtf8(temp)).c_str());
  h.quote = Lib().slist_append(h.quote, ("RNTO " + Utf16ToUtf8(remote)).c_str());
  Lib().easy_setopt(h.curl, CURLOPT_URL, url.c_str());
  // The credentials travel through the handle, never in the URL or a log.
  Lib().easy_setopt(h.curl, CURLOPT_USERNAME, user.c_str());
  Lib().easy_setopt(h.curl, CURLOPT_PASSWORD, password.c_str());
  Lib().easy_setopt(h.curl, CURLOPT_USERAGENT, "Dovu");
  Lib().easy_setopt(h.curl, CURLOPT_UPLOAD, 1L);
  Lib().easy_setopt(h.curl, CURLOPT_READDATA, file);
  Lib().easy_setopt(h.curl, CURLOPT_INFILESIZE, size);
  Lib().easy_setopt(h.curl, CURLOPT_TRANSFERTEXT, 0L);
  Lib().easy_setopt(h.curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
  Lib().easy_setopt(h.curl, CURLOPT_POSTQUOTE, h.quote);
  Lib().easy_setopt(h.curl, CURLOPT_CONNECTTIMEOUT, 30L);
  Lib().easy_setopt(h.curl, CURLOPT_FTP_RESPONSE_TIMEOUT, 30L);
  // A server that stops taking the data ends the transfer instead of
  // holding it for ever.
  Lib().easy_setopt(h.curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  Lib().easy_setopt(h.curl, CURLOPT_LOW_SPEED_TIME, long(g_nFtpLowSpeedSeconds));
  Lib().easy_setopt(h.curl, CURLOPT_NOSIGNAL, 1L);
  Lib().easy_setopt(h.curl, CURLOPT_PROTOCOLS_STR, "ftp");
  if (!d.passive) Lib().easy_setopt(h.curl, CURLOPT_FTPPORT, "-");
  curl_off_t sent = 0;
  const CURLcode rc = RunTransfer(h, size, local, d.server, sent);
  std::fclose(file);
  if (rc == CURLE_ABORTED_BY_CALLBACK) {
    ShowStatus(FormatU16(u"FTP転送を中止しました(%s → %s)。", local.c_str(), d.server.c_str()));
    return -5;
  }
  // Too slow once the data flowed: the transfer failed, not the connection.
  const bool stalled = rc == CURLE_OPERATION_TIMEDOUT && sent > 0;

  switch (stalled ? CURLE_UPLOAD_FAILED : rc) {
    case CURLE_OK:
      ShowStatus(FormatU16(u"FTP転送しました(%s → %s)。", local.c_str(), d.server.c_str()));
      return 0;
    case CURLE_REMOTE_ACCESS_DENIED:
      ShowMessage(FormatU16(u"ディレクトリの変更に失敗しました(%s)。", d.folder.c_str()),
                  kMbOk | kMbIconError);
      return -2;
    case CURLE_QUOTE_ERROR:
      ShowMessage(FormatU16(u"ファイル名の変更に失敗しました(%s)。", remote.c_str()), kMbOk | kMbIconError);
      return -4;
    case CURLE_UPLOAD_FAILED:
    case CURLE_READ_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_FTP_COULDNT_USE_REST:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_CANT_GET_HOST:
      ShowMessage(FormatU16(u"ファイルのFTP転送に失敗しました(%s)。", local.c_str()), kMbOk | kMbIconError);
      return -3;
    default: {
      const std::u16string text = FormatU16(u"サーバ(%s)に接続できません。", d.server.c_str());
      ShowStatus(text);
      ShowMessage(text, kMbOk | kMbIconError);
      return -1;
    }
  }
}

void FtpUploadAll(CNarvoView*) {
  for (int i = 0; i < g_FtpTable.count; ++i)
    if (g_FtpTable.entries[i].selected) FtpUploadFile(i);
}

bool HasFtpSendDestination() {
  for (int i = 0; i < g_FtpTable.count; ++i) {
    const FtpDestination& d = g_FtpTable.entries[i];
    if (d.selected && !d.server.empty() && !d.user.empty()) return true;
  }
  return false;
}
