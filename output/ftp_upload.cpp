#include "output/ftp_upload.h"

#include <curl/curl.h>

#include <cstdio>
#include <string>

#include "app/narvo_doc.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/ftp_env.h"

int g_nFtpPort = 21;

namespace {

// A path segment as the URL carries it: UTF-8, everything outside the
// unreserved set percent-encoded.
std::string Escape(CURL* curl, const std::u16string& text) {
  const std::string utf8 = Utf16ToUtf8(text);
  char* escaped = curl_easy_escape(curl, utf8.data(), int(utf8.size()));
  std::string out = escaped ? escaped : "";
  curl_free(escaped);
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

struct CurlHandle {
  CURL* curl = curl_easy_init();
  curl_slist* quote = nullptr;
  ~CurlHandle() {
    if (quote) curl_slist_free_all(quote);
    if (curl) curl_easy_cleanup(curl);
  }
};

}  // namespace

int FtpUploadFile(int index) {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
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
  const std::u16string temp = remote + u".FTPTMP";
  FILE* file = IsReadableRegularFile(local) ? std::fopen(PathToNative(local).c_str(), "rb") : nullptr;
  if (!file) {
    ShowMessage(FormatU16(u"ファイルのFTP転送に失敗しました(%s)。", local.c_str()), kMbOk | kMbIconError);
    return -3;
  }
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);

  const std::string url = "ftp://" + Utf16ToUtf8(d.server) + ":" + std::to_string(g_nFtpPort) + "/" +
                          FolderPath(h.curl, d.folder) + Escape(h.curl, temp);
  const std::string user = Utf16ToUtf8(d.user), password = Utf16ToUtf8(d.password);
  h.quote = curl_slist_append(h.quote, ("RNFR " + Utf16ToUtf8(temp)).c_str());
  h.quote = curl_slist_append(h.quote, ("RNTO " + Utf16ToUtf8(remote)).c_str());
  curl_easy_setopt(h.curl, CURLOPT_URL, url.c_str());
  // The credentials travel through the handle, never in the URL or a log.
  curl_easy_setopt(h.curl, CURLOPT_USERNAME, user.c_str());
  curl_easy_setopt(h.curl, CURLOPT_PASSWORD, password.c_str());
  curl_easy_setopt(h.curl, CURLOPT_USERAGENT, "Dovu");
  curl_easy_setopt(h.curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h.curl, CURLOPT_READDATA, file);
  curl_easy_setopt(h.curl, CURLOPT_INFILESIZE, size);
  curl_easy_setopt(h.curl, CURLOPT_TRANSFERTEXT, 0L);
  curl_easy_setopt(h.curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
  curl_easy_setopt(h.curl, CURLOPT_POSTQUOTE, h.quote);
  curl_easy_setopt(h.curl, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(h.curl, CURLOPT_FTP_RESPONSE_TIMEOUT, 30L);
  curl_easy_setopt(h.curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h.curl, CURLOPT_PROTOCOLS_STR, "ftp");
  if (!d.passive) curl_easy_setopt(h.curl, CURLOPT_FTPPORT, "-");
  const CURLcode rc = curl_easy_perform(h.curl);
  std::fclose(file);

  switch (rc) {
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
