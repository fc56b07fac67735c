#include "settings/ftp_env.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "record/atomic_file.h"
#include "record/text.h"
#include "settings/folders.h"

FtpTable g_FtpTable;

namespace {

bool FieldTooLong(const FtpDestination& d) {
  for (const std::u16string* f : {&d.name, &d.server, &d.user, &d.password, &d.folder})
    if (f->size() >= kFtpFieldCapacity - 1) return true;
  return false;
}

int FirstSelected(const FtpTable& t) {
  for (int i = 0; i < t.count; ++i)
    if (t.entries[i].selected) return i;
  return -1;
}

// "key : value": the key before the first colon, blanks trimmed; false when
// the line has no colon or no key.
bool SplitKey(std::u16string_view line, std::u16string& key) {
  size_t colon = line.find(u':');
  if (colon == std::u16string_view::npos) return false;
  std::u16string_view k = line.substr(0, colon);
  while (!k.empty() && (k.back() == u' ' || k.back() == u'\t')) k.remove_suffix(1);
  while (!k.empty() && (k.front() == u' ' || k.front() == u'\t')) k.remove_prefix(1);
  if (k.empty()) return false;
  key.assign(k);
  return true;
}

bool ReadNumber(std::u16string_view text, int& value) {
  size_t end = 0;
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  if (text.empty()) return false;
  long long v = U16ToInt(text, &end);
  if (end == 0) return false;
  value = int(v);
  return true;
}

std::u16string Cut(std::u16string text) {
  if (text.size() >= kFtpFieldCapacity) text.resize(kFtpFieldCapacity - 1);
  return text;
}

// A damaged file may unscramble to characters the scrambling cannot carry
// back: the password ends before the first of them, so that what was read is
// what the next write keeps.
std::u16string StorablePart(std::u16string password) {
  for (size_t i = 0; i < password.size(); ++i)
    if (password[i] < 32 || password[i] > 126) {
      password.resize(i);
      break;
    }
  return password;
}

}  // namespace

int FindFtpDestination(const FtpTable& t, std::u16string_view name) {
  for (int i = 0; i < t.count; ++i)
    if (t.entries[i].name == name) return i;
  return -1;
}

int AddFtpDestination(FtpTable& t, const FtpDestination& d) {
  if (d.name.empty() || FieldTooLong(d)) return -1;
  if (const int i = FindFtpDestination(t, d.name); i >= 0) {
    const int selected = t.entries[i].selected;
    t.entries[i] = d;
    t.entries[i].selected = selected;
    return 1;
  }
  if (t.count >= kFtpMaxDestinations) return -2;
  t.entries[t.count] = d;
  t.entries[t.count].selected = 1;
  t.selectedIndex = t.count;
  ++t.count;
  return 2;
}

int DeleteFtpDestination(int index, FtpTable& t) {
  if (index < 0 || index >= t.count) return -1;
  t.selectedIndex = -1;
  for (int i = index; i + 1 < t.count; ++i) t.entries[i] = std::move(t.entries[i + 1]);
  --t.count;
  t.entries[t.count] = FtpDestination();
  return 0;
}

int MoveFtpDestinationUp(FtpTable& t) {
  const int i = FirstSelected(t);
  if (i <= 0) return -1;
  std::swap(t.entries[i], t.entries[i - 1]);
  t.selectedIndex = i - 1;
  return 0;
}

int MoveFtpDestinationDown(FtpTable& t) {
  const int i = FirstSelected(t);
  if (i < 0 || i + 1 >= t.count) return -1;
  std::swap(t.entries[i], t.entries[i + 1]);
  t.selectedIndex = i + 1;
  return 0;
}

std::u16string GetFtpEnvValue(std::u16string_view line) {
  size_t colon = line.find(u':');
  if (colon == std::u16string_view::npos) return {};
  std::u16string_view rest = line.substr(colon + 1);
  while (!rest.empty() && (rest.back() == u'\n' || rest.back() == u'\r')) rest.remove_suffix(1);
  if (rest.size() < 2) return {};
  rest.remove_prefix(1);
  if (rest.front() == u'"') {
    rest.remove_prefix(1);
    // To the last quote: a stored password may hold quotes of its own.
    size_t last = rest.rfind(u'"');
    return std::u16string(last == std::u16string_view::npos ? rest : rest.substr(0, last));
  }
  return std::u16string(rest);
}

std::u16string ScrambleFtpPassword(std::u16string_view source) {
  std::u16string out(source);
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = char16_t((int(i % 13) - int(out[i]) + 126) % 95 + 32);
  return out;
}

bool IsStorableFtpPassword(std::u16string_view password) {
  for (char16_t c : password)
    if (c < 32 || c > 126) return false;
  return true;
}

std::u16string FtpEnvPath() { return g_szDataFolder + u"ftp.env"; }

int ReadFtpEnvFrom(std::u16string_view path, FtpTable& t) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return -1;
  t = FtpTable();
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::vector<std::u16string> lines = SplitLines(Utf8ToUtf16(bytes));
  size_t at = 0;
  std::u16string key;
  for (; at < lines.size(); ++at) {
    const std::u16string& line = lines[at];
    if (line.empty() || line[0] == u'#' || !SplitKey(line, key)) continue;
    int value = 0;
    const std::u16string text = GetFtpEnvValue(line);
    if (key.rfind(u"設定数", 0) == 0) {
      if (ReadNumber(text, value)) t.count = value < 0 ? 0 : value > kFtpMaxDestinations ? kFtpMaxDestinations : value;
    } else if (key.rfind(u"選択", 0) == 0) {
      if (ReadNumber(text, value)) t.selectedIndex = value;
      if (t.selectedIndex >= 0 && t.selectedIndex < t.count) t.entries[t.selectedIndex].selected = 1;
      ++at;
      break;
    }
  }
  for (int n = 1; n <= t.count; ++n) {
    FtpDestination& d = t.entries[n - 1];
    d.passive = 1;
    const std::u16string prefix = FormatU16(u"%02d", n);
    for (; at < lines.size(); ++at) {
      const std::u16string& line = lines[at];
      if (line.empty() || line[0] == u'#' || !SplitKey(line, key)) continue;
      if (key.rfind(prefix, 0) != 0) continue;
      const std::u16string_view name = std::u16string_view(key).substr(prefix.size());
      const std::u16string value = Cut(GetFtpEnvValue(line));
      int number = 0;
      if (name.rfind(u"設定名", 0) == 0) d.name = value;
      else if (name.rfind(u"サーバ", 0) == 0) d.server = value;
      else if (name.rfind(u"ユーザ", 0) == 0) d.user = value;
      else if (name.rfind(u"パスワード", 0) == 0) d.password = StorablePart(ScrambleFtpPassword(value));
      else if (name.rfind(u"選択", 0) == 0) d.selected = ReadNumber(value, number) ? number : d.selected;
      else if (name.rfind(u"PASV", 0) == 0) d.passive = ReadNumber(value, number) ? number : d.passive;
      else if (name.rfind(u"フォルダ", 0) == 0) {
        d.folder = value;
        ++at;
        break;
      }
    }
  }
  if (t.selectedIndex < -1 || t.selectedIndex >= t.count) t.selectedIndex = -1;
  return 0;
}

int ReadFtpEnv() {
  for (const std::u16string* folder : {&g_szDataFolder, &g_szProgramFolder})
    if (ReadFtpEnvFrom(*folder + u"ftp.env", g_FtpTable) == 0) return 0;
  g_FtpTable = FtpTable();
  return -1;
}

std::string FormatFtpEnv(const FtpTable& t) {
  std::u16string out = FormatU16(u"設定数 : %d\n選択   : %d\n", t.count, t.selectedIndex);
  for (int i = 0; i < t.count; ++i) {
    const FtpDestination& d = t.entries[i];
    const int n = i + 1;
    out += u"#---------------\n";
    // The texts are appended whole: a NUL read from the file stays in them.
    const std::u16string number = FormatU16(u"%02d", n);
    out += number + u"設定名     : \"" + d.name + u"\"\n";
    out += number + u"サーバ     : " + d.server + u"\n";
    out += number + u"ユーザ     : " + d.user + u"\n";
    out += number + u"パスワード : \"" + ScrambleFtpPassword(d.password) + u"\"\n";
    out += FormatU16(u"%02d選択       : %d\n", n, d.selected);
    out += FormatU16(u"%02dPASV       : %d\n", n, d.passive);
    out += number + u"フォルダ   : " + d.folder + u"\n";
  }
  return Utf16ToUtf8(out);
}

int WriteFtpEnv() {
  const std::u16string path = FtpEnvPath();
  // It holds the passwords, only scrambled: for the user's eyes alone. A new
  // file is made with that mode first, so the write below keeps it.
  const std::string native = ResolveLinkTarget(PathToNative(path));
  int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd >= 0) close(fd);
  if (!WriteFileAtomically(path, FormatFtpEnv(g_FtpTable))) return -1;
  chmod(native.c_str(), 0600);
  return 0;
}
