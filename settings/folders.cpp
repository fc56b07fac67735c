#include "settings/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "record/text.h"
#include "settings/env.h"

std::u16string g_szProgramFolder;
std::u16string g_szModulePath;
std::u16string g_szDataFolder;
std::u16string g_szDocumentsFolder;

void NormalizeFolderPath(std::u16string& folder) {
  if (folder == u"." || folder == u"./" || folder == u".\\") {
    folder.clear();
    return;
  }
  if (!folder.empty() && folder.back() != u'/') folder += u'/';
  CutToCapacity(folder, kEnvPathCapacity);
}

static std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (struct passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
  return std::string();
}

static bool IsFolder(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "<home>/Documents/" when that is a folder, else "<home>/".
static std::u16string DocumentsFolderIn(const std::string& home) {
  std::u16string docs = PathFromNative(home) + u"/Documents";
  if (!IsFolder(PathToNative(docs))) docs = PathFromNative(home);
  NormalizeFolderPath(docs);
  return docs;
}

std::u16string FolderOrDocuments(const std::u16string& folder) {
  std::u16string out = folder;
  NormalizeFolderPath(out);
  if (!out.empty()) return out;
  if (!g_szDocumentsFolder.empty()) return g_szDocumentsFolder;
  // Before the folders are set up (or without them): the same rule, now.
  const std::string home = HomeFolder();
  return home.empty() ? u"/" : DocumentsFolderIn(home);
}

bool MakeFolders(const std::u16string& folder) {
  std::string native = PathToNative(folder);
  if (native.empty()) return false;
  // Each prefix ending before a "/" in turn, then the whole.
  for (size_t i = 1; i <= native.size(); ++i) {
    if (i < native.size() && native[i] != '/') continue;
    std::string part = native.substr(0, i);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(native);
}

void InitProgramFolder() {
  std::string exe(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
  std::u16string folder;
  if (n > 0) {
    exe.resize(size_t(n));
    g_szModulePath = PathFromNative(exe);
    size_t slash = g_szModulePath.rfind(u'/');
    folder = g_szModulePath.substr(0, slash + 1);
  } else {
    g_szModulePath.clear();
    std::string cwd(4096, '\0');
    if (getcwd(cwd.data(), cwd.size())) {
      cwd.resize(std::char_traits<char>::length(cwd.c_str()));
      folder = PathFromNative(cwd);
    }
  }
  NormalizeFolderPath(folder);
  g_szProgramFolder = folder;
  g_szEnvFolder = folder;
}


int InitDataFolders() {
  g_szDataFolder = g_szProgramFolder;
  g_szDocumentsFolder = g_szProgramFolder;
  g_szEnvFolder = g_szProgramFolder;
  std::string home = HomeFolder();
  // XDG: a relative XDG_DATA_HOME is to be ignored.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg && xdg[0] == '/')
    base = xdg;
  else if (!home.empty())
    base = home + "/.local/share";
  else
    return -1;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::u16string data = PathFromNative(base) + u"/Morivane/DovuV7/";
  if (!MakeFolders(data)) return -1;
  CutToCapacity(data, kEnvPathCapacity);
  g_szDataFolder = data;
  g_szEnvFolder = data;
  if (!home.empty()) g_szDocumentsFolder = DocumentsFolderIn(home);
  return 0;
}
