// Writing a file without ever destroying what was there: the bytes go to a
// hidden temporary file beside the target (".name.XXXXXX.tmp"), which is
// flushed to disk and then renamed over the target. On any failure the
// temporary file is removed and the target is left as it was; a successful
// save also removes what killed saves of the same file left. The target
// keeps its permissions, and a symbolic link is written through (the file it
// names is replaced, the link stays), except a link of someone else's in a
// shared sticky folder, which is refused. A target that is not a regular file
// (a pipe, a device, a folder) is refused at once. Every file the program
// writes goes through here.
#pragma once
#include <string>
#include <string_view>

class AtomicFile {
public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();  // an uncommitted file is discarded

  // Creates the temporary file for path. False when it cannot be created
  // (the folder is missing or not writable, the target is no regular file,
  // a link that may not be followed).
  bool Open(std::u16string_view path);
  bool IsOpen() const { return fd_ >= 0; }
  // Appends bytes; false once any write has failed.
  bool Write(std::string_view bytes);
  bool Failed() const { return failed_; }
  // Flushes, syncs and renames the temporary file over the target. False
  // when anything failed on the way; the target is then untouched.
  bool Commit();
  // Drops what was written; the target is untouched.
  void Discard();

private:
  bool FlushBuffer();

  int fd_ = -1;
  bool failed_ = false;
  std::string target_;
  std::string temp_;
  std::string buffer_;
};

// Seam for tests: called with each fresh temporary file's name before it is
// locked, the moment another save's clean-up may reach it.
extern void (*g_pAtomicTempMade)(const std::string& path);

// Seam for tests: flock(2), as a file system without locks answers it.
extern int (*g_pAtomicFlock)(int fd, int operation);

// The whole file in one go through AtomicFile.
bool WriteFileAtomically(std::u16string_view path, std::string_view bytes);

// The file a path finally names once symbolic links are followed (the path
// itself when it is no link; a dangling link gives the file it would name).
// Empty when a link on the way may not be followed (see above).
std::string ResolveLinkTarget(const std::string& path);
