#include "record/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "record/text.h"

namespace {

constexpr size_t kBufferSize = 1 << 16;

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

std::string ResolveLinkTarget(const std::string& path) {
  std::string current = path;
  // A loop of links ends here as a failed open of the last name.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buf(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = ::readlink(current.c_str(), buf.data(), buf.size());
    if (n < 0 || size_t(n) >= buf.size()) return current;
    std::string link(buf.data(), size_t(n));
    current = link.starts_with('/') ? link : FolderOf(current) + link;
  }
  return current;
}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(std::u16string_view path) {
  Discard();
  failed_ = false;
  buffer_.clear();
  target_ = ResolveLinkTarget(PathToNative(path));
  struct stat st;
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return false;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe holds nothing to lose and cannot be renamed over.
    direct_ = true;
    fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd_ >= 0;
  }
  direct_ = false;
  std::string pattern = target_ + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_ = name.data();
  // mkstemp makes the file private; the saved file keeps the mode it had,
  // or gets what a newly created file would.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
    // Best effort: only root may give the file to another owner.
    [[maybe_unused]] int owned = ::fchown(fd_, st.st_uid, st.st_gid);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd_, mode) != 0) failed_ = true;
  return true;
}

bool AtomicFile::FlushBuffer() {
  if (!buffer_.empty() && !failed_ && !WriteAll(fd_, buffer_.data(), buffer_.size()))
    failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) failed_ = true;
  if (failed_) return false;
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (!FlushBuffer()) return false;
    if (bytes.size() >= kBufferSize) {
      if (!WriteAll(fd_, bytes.data(), bytes.size())) failed_ = true;
      return !failed_;
    }
  }
  buffer_.append(bytes);
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = FlushBuffer();
  if (!direct_) ok = ok && ::fsync(fd_) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (!direct_) {
    ok = ok && ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(temp_.c_str());
    temp_.clear();
  }
  failed_ = !ok;
  return ok;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

bool WriteFileAtomically(std::u16string_view path, std::string_view bytes) {
  AtomicFile file;
  return file.Open(path) && file.Write(bytes) && file.Commit();
}
