// The main of every test program. Each test runs in a scratch folder of its
// own, which is also its home, its data and configuration folders and its
// runtime folder, wherever the program was started from: nothing a test
// writes by a relative name or into "the home" reaches the source tree or
// the user's files. The folders go when the test ends.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string MakeFolder(const std::string& pattern) {
  std::string path = pattern;
  if (!mkdtemp(path.data())) return {};
  return path;
}

void Point(const char* name, const std::string& path) {
  std::filesystem::create_directories(path);
  setenv(name, path.c_str(), 1);
}

class ScratchFolders : public ::testing::EmptyTestEventListener {
public:
  explicit ScratchFolders(std::string root) : root_(std::move(root)) {}
  void OnTestStart(const ::testing::TestInfo&) override {
    test_ = MakeFolder(root_ + "/test-XXXXXX");
    if (test_.empty()) return;
    Point("HOME", test_);
    Point("XDG_DATA_HOME", test_ + "/.local/share");
    Point("XDG_CONFIG_HOME", test_ + "/.config");
    Point("XDG_RUNTIME_DIR", test_ + "/run");
    chmod((test_ + "/run").c_str(), 0700);
    if (chdir(test_.c_str()) != 0) std::perror(test_.c_str());
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (chdir(root_.c_str()) != 0) std::perror(root_.c_str());
    std::error_code ignored;
    if (!test_.empty()) std::filesystem::remove_all(test_, ignored);
    test_.clear();
  }

private:
  std::string root_, test_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* tmp = std::getenv("TMPDIR");
  const std::string root = MakeFolder(std::string(tmp && *tmp ? tmp : "/tmp") + "/narvo-test-XXXXXX");
  if (root.empty()) {
    std::perror("scratch folder");
    return 2;
  }
  // What the whole program shares: the caches the libraries keep, and a home
  // for what runs before the first test (the Qt application, say).
  Point("XDG_CACHE_HOME", root + "/cache");
  Point("HOME", root + "/home");
  if (chdir(root.c_str()) != 0) std::perror(root.c_str());
  ::testing::UnitTest::GetInstance()->listeners().Append(new ScratchFolders(root));
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return result;
}
