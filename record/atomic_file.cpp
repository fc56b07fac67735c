#include "record/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "record/text.h"

int (*g_pAtomicFlock)(int fd, int operation) = ::flock;

namespace {

constexpr size_t kBufferSize = 1 << 16;

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary file of a save: hidden, beside the target, and named so that
// a user who finds one after a crash sees whose it is.
constexpr char kTempSuffix[] = ".tmp";
constexpr size_t kTempRandom = 6;  // the XXXXXX of mkstemp
std::string TempPrefix(const std::string& target) { return "." + NameOf(target) + "."; }

// Whether a name is one of the temporaries a save of `target` makes.
bool IsTempOf(const std::string& name, const std::string& prefix) {
  const size_t suffix = sizeof kTempSuffix - 1;
  return name.size() == prefix.size() + kTempRandom + suffix && name.starts_with(prefix) &&
         name.ends_with(kTempSuffix);
}

// Removes what killed saves of `target` left behind. A temporary file that
// another save is still writing is locked by it and stays.
void RemoveLeftovers(const std::string& target, const std::string& keep) {
  const std::string folder = FolderOf(target);
  const std::string prefix = TempPrefix(target);
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (!IsTempOf(name, prefix) || folder + name == keep) continue;
    const std::string path = folder + name;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        g_pAtomicFlock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

// The kernel's protected_symlinks rule: in a sticky folder that others may
// write to, a link is followed only when it belongs to the user or to the
// folder's owner. A link resolved here would escape the kernel's check.
bool MayFollowLink(const std::string& link, const struct stat& linkStat) {
  if (linkStat.st_uid == ::geteuid()) return true;
  struct stat dir;
  const std::string folder = FolderOf(link);
  if (::stat(folder.empty() ? "." : folder.c_str(), &dir) != 0) return false;
  const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
  return !shared || dir.st_uid == linkStat.st_uid;
}

// Locks the file; true only when another holds its lock. A file system
// that keeps no locks at all answers otherwise, and the file goes unlocked.
bool LockIsBusy(int fd) {
  int rc;
  while ((rc = g_pAtomicFlock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  return rc != 0 && errno == EWOULDBLOCK;
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

void (*g_pAtomicTempMade)(const std::string& path) = nullptr;

std::string ResolveLinkTarget(const std::string& path) {
  std::string current = path;
  // A loop of links ends here as a failed open of the last name.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    if (!MayFollowLink(current, st)) return {};
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
  if (target_.empty()) return false;
  struct stat st;
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  // Only a regular file is saved: a folder cannot be, and opening a pipe or
  // a device would wait for its other end.
  if (exists && !S_ISREG(st.st_mode)) return false;
  const std::string pattern =
      FolderOf(target_) + TempPrefix(target_) + std::string(kTempRandom, 'X') + kTempSuffix;
  // The lock is held until the file is renamed or removed, so that another
  // save's clean-up leaves it alone. That clean-up may take a fresh file
  // before it is locked: the lock is then busy, or the name is gone once it
  // holds, and another name is tried. A file system that keeps no locks
  // (NFS without its lock service, some FUSE mounts) is saved to without
  // one: there no clean-up can take the file either.
  for (int tries = 0; tries < 8 && fd_ < 0; ++tries) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemps(name.data(), int(sizeof kTempSuffix - 1), O_CLOEXEC);
    if (fd < 0) return false;
    if (g_pAtomicTempMade) g_pAtomicTempMade(name.data());
    if (LockIsBusy(fd)) {  // another clean-up holds it, and removes it
      ::close(fd);
      continue;
    }
    struct stat mine;
    if (::fstat(fd, &mine) != 0) {
      ::close(fd);
      ::unlink(name.data());
      return false;
    }
    if (mine.st_nlink == 0) {  // another clean-up has removed it
      ::close(fd);
      continue;
    }
    fd_ = fd;
    temp_ = name.data();
  }
  if (fd_ < 0) return false;
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
  ok = ok && ::fsync(fd_) == 0;
  // Closed before the rename, so that a failed close fails the save before
  // the target is replaced; a second descriptor keeps the lock meanwhile.
  const int lock = ::dup(fd_);
  ok = ::close(fd_) == 0 && ok && lock >= 0;
  fd_ = -1;
  ok = ok && ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temp_.c_str());
  if (lock >= 0) ::close(lock);
  if (ok) RemoveLeftovers(target_, temp_);
  temp_.clear();
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
