// Disk faults and file checks for the tests of the writers and readers.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// While it lives, no file of the process may grow past the given size: a
// write beyond it fails as it would on a full disk (SIGXFSZ is ignored so
// that the failure comes back as an error, not as the end of the process).
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, savedHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
  rlimit saved_{};
  sighandler_t savedHandler_ = SIG_DFL;
};

// A fresh folder under the test's temporary folder, removed at the end.
class ScratchFolder {
public:
  explicit ScratchFolder(const std::string& name) {
    path_ = std::filesystem::temp_directory_path() / ("narvo_" + name + "_" + std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  // The folder with a trailing slash, or a file in it.
  std::string Path(const std::string& name = "") const { return path_.string() + "/" + name; }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

private:
  std::filesystem::path path_;
};

// The bytes of a file, read without the program's own reader.
inline std::string RawFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void PutRawFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Paths that no reader may take in, each of which once aborted or hung a
// start: a 2 GB sparse file, endless zeros, a pipe nobody writes to, a
// folder, a file that exists but cannot be read.
struct HostileInput {
  const char* name;
  std::string path;
};
inline std::vector<HostileInput> HostileInputs(const ScratchFolder& dir) {
  const std::string big = dir.Path("huge.zrf"), fifo = dir.Path("pipe.zrf"), folder = dir.Path("folder.zrf");
  if (!std::filesystem::exists(big)) {
    int fd = open(big.c_str(), O_WRONLY | O_CREAT, 0644);
    [[maybe_unused]] int r = ftruncate(fd, 2147483648LL + 1);
    close(fd);
    mkfifo(fifo.c_str(), 0644);
    mkdir(folder.c_str(), 0755);
  }
  // Root reads any file whatever its mode; this one fails on its first read.
  std::string unreadable = "/proc/self/mem";
  if (geteuid() != 0) {
    unreadable = dir.Path("locked.zrf");
    PutRawFile(unreadable, "#ZRF version=2.0 encoding=UTF-8\n");
    chmod(unreadable.c_str(), 0);
  }
  return {{"2 GB sparse file", big},
          {"endless zeros", "/dev/zero"},
          {"pipe", fifo},
          {"folder", folder},
          {"unreadable file", unreadable}};
}
