// Writing a file without ever destroying what was there: the bytes go to a
// temporary file in the target's folder, which is flushed to disk and then
// renamed over the target. On any failure the temporary file is removed and
// the target is left as it was. The target keeps its permissions, and a
// symbolic link is written through (the file it names is replaced, the link
// stays). Every file the program writes goes through here.
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
  // (the folder is missing or not writable, the target is a folder).
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
  bool direct_ = false;  // a device or pipe: written in place, nothing to keep
  std::string target_;
  std::string temp_;
  std::string buffer_;
};

// The whole file in one go through AtomicFile.
bool WriteFileAtomically(std::u16string_view path, std::string_view bytes);

// The file a path finally names once symbolic links are followed (the path
// itself when it is no link; a dangling link gives the file it would name).
std::string ResolveLinkTarget(const std::string& path);
