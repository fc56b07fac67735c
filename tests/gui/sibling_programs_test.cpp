// The sibling databases through a recording port: already running, started
// and found, never found, a start that fails, registering a deleted file,
// and the clipboard filled before the key is sent.
#include "app/sibling_programs.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

// Answers "found" from the given find on (0: never) and logs every step.
class FakePort : public SiblingPort {
public:
  explicit FakePort(int foundAtFind, bool starts = true) : foundAt_(foundAtFind), starts_(starts) {
    previous_ = SetSiblingPort(this);
  }
  ~FakePort() override { SetSiblingPort(previous_); }
  SiblingWindow FindWindow(const char* windowClass) override {
    log += std::string("find ") + windowClass + ";";
    return foundAt_ != 0 && ++finds_ >= foundAt_ ? 7 : 0;
  }
  bool Start(const std::u16string& program) override {
    log += "start " + Utf16ToUtf8(program) + ";";
    return starts_;
  }
  void Wait(int ms) override { log += "wait " + std::to_string(ms) + ";"; }
  void Raise(SiblingWindow w) override { log += "raise " + std::to_string(w) + ";"; }
  void SendKey(SiblingWindow w, SiblingKey key) override {
    log += std::string(key == kSiblingKeyF4 ? "F4" : "F5") + ";";
    clipboardAtKey = QGuiApplication::clipboard()->text().toStdU16String();
  }
  void SendRegister(SiblingWindow) override {
    log += "register;";
    clipboardAtKey = QGuiApplication::clipboard()->text().toStdU16String();
  }
  void SetWaitCursor(bool on) override { log += on ? "busy;" : "idle;"; }

  std::string log;
  std::u16string clipboardAtKey;

private:
  int foundAt_;
  int finds_ = 0;
  bool starts_;
  SiblingPort* previous_;
};

class SiblingProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitRecordPool(g_Record, 100);
    SetInitialBoard(g_Board);
    g_StartBoard = g_Board;
    g_szRecordDbProgram = u"/opt/db/lorquen";
    g_szProblemDbProgram = u"/opt/db/brisqua";
    QGuiApplication::clipboard()->clear();
  }
  void TearDown() override {
    g_szRecordFilePath.clear();
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  PrivateHome home;
  RecordingUi ui;
};

TEST_F(SiblingProgramsTest, FindStartWaitAndKeys) {
  struct Case {
    int foundAt;
    bool starts;
    void (*command)(CNarvoView*);
    const char* log;
  };
  const Case cases[] = {
      // Already running: raised only.
      {1, true, LaunchRecordDb, "find LorquenClass;raise 7;wait 100;"},
      // Started, found at the second poll: F4 once, then raised.
      {3, true, LaunchRecordDb,
       "find LorquenClass;start /opt/db/lorquen;busy;wait 500;find LorquenClass;wait 500;"
       "find LorquenClass;F4;wait 1000;idle;raise 7;wait 100;"},
      // Never shows a window: five polls, nothing sent.
      {0, true, LaunchProblemDb,
       "find BrisquaClass;start /opt/db/brisqua;wait 500;find BrisquaClass;wait 500;find BrisquaClass;"
       "wait 500;find BrisquaClass;wait 500;find BrisquaClass;wait 500;find BrisquaClass;"},
      {1, true, RecordDbPositionSearch, "find LorquenClass;raise 7;wait 100;F5;"},
      {0, false, RecordDbPositionSearch, "find LorquenClass;start /opt/db/lorquen;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    FakePort port(c.foundAt, c.starts);
    ui.boxes.clear();
    c.command(nullptr);
    EXPECT_EQ(port.log, c.log);
    EXPECT_EQ(ui.boxes.size(), c.starts ? 0u : 1u);
    if (!c.starts) {
      EXPECT_EQ(ui.boxes[0].text, u"起動に失敗しました。(/opt/db/lorquen)");
    }
    if (port.log.ends_with("F5;")) {
      EXPECT_NE(port.clipboardAtKey.find(u"持駒"), std::u16string::npos);
    }
  }
  g_bUseEDovu2 = 1;
  FakePort port(1);
  LaunchRecordDb(nullptr);
  EXPECT_EQ(port.log, "find eDovu2Class;raise 7;wait 100;");
}

TEST_F(SiblingProgramsTest, RegisterHandsOverTheFileOnTheClipboard) {
  const std::u16string path = (home.Path() + "/a b.zrf").toStdU16String();
  g_szRecordFilePath = path;
  {
    FakePort port(1);
    RecordDbRegister(nullptr);  // the file is gone: nothing at all
    EXPECT_EQ(port.log, "");
  }
  ASSERT_TRUE(WriteFileBytes(path, "x"));
  FakePort port(1);
  RecordDbRegister(nullptr);
  EXPECT_EQ(port.log, "find LorquenClass;raise 7;wait 100;register;");
  EXPECT_EQ(port.clipboardAtKey, path);
}

}  // namespace
