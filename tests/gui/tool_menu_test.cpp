// The user's tools: arguments built without a shell from paths that hold
// blanks, quotes and shell syntax, the codes, the failure message, and the
// dialog's working copy, Cancel and the cut at 255.
#include "app/tool_menu.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "record/record.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

class ToolMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEnvDefaults();
    InitRecordPool(g_Record, 100);
    g_Record.moveNumber = 37;
    savedFolder = g_szProgramFolder;
    g_szProgramFolder = u"/opt/narvo/";
    root = home.Path();
  }
  void TearDown() override {
    SetDialogScript(nullptr);
    g_szProgramFolder = savedFolder;
    g_szRecordFilePath.clear();
    FreeRecordPool(g_Record);
    ResetEnvDefaults();
  }
  PrivateHome home;
  QString root;
  std::u16string savedFolder;
  RecordingUi ui;
};

// Waits for the stand-in's output (it runs detached).
QStringList ReadWhenWritten(const QString& path) {
  QElapsedTimer t;
  t.start();
  while (!QFile::exists(path) && t.elapsed() < 10000) QThread::msleep(20);
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QString text = QString::fromUtf8(f.readAll());
  text.chop(1);
  return text.split('\n');
}

TEST_F(ToolMenuTest, StartsTheProgramWithEachArgumentWhole) {
  QDir().mkpath(root + "/my tools");
  const QString tool = root + "/my tools/echo args";
  {
    QFile f(tool);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nout=\"$(dirname \"$0\")/out\"\n"
            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.part\"\nmv \"$out.part\" \"$out\"\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  const QString file = root + "/rec dir/a \"q\" $(touch " + root + "/pwned); b.zrf";
  g_szRecordFilePath = file.toStdU16String();
  g_szToolCommand[2] = tool.toStdU16String();
  g_szToolArgs[2] = u"\"%K\" +%N %D \"%k\" %% 50%x %";
  ASSERT_EQ(RunToolMenu(2), 0);
  EXPECT_EQ(ReadWhenWritten(root + "/my tools/out"),
            (QStringList{file, "+37", "/opt/narvo/", file, "%", "50%x", "%"}));
  EXPECT_FALSE(QFile::exists(root + "/pwned"));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ToolMenuTest, CodesAndTheFailureMessage) {
  g_szRecordFilePath = u"/r/a.zrf";
  EXPECT_EQ(ExpandToolCodes(u"%%N|%n|%K|%d|%q|%"), u"%N|37|/r/a.zrf|/opt/narvo/|%q|%");
  // The built-in entry names a Windows program: it cannot start here.
  EXPECT_EQ(RunToolMenu(0), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"起動に失敗しました。(" + g_szToolCommand[0] + u" \"/r/a.zrf\")");
  EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconError);
}

TEST_F(ToolMenuTest, DialogKeepsEditsAcrossEntriesAndCutsAt255) {
  const std::u16string longProgram(300, u'x');
  SetDialogScript([&](QDialog& d) {
    auto& dlg = static_cast<CToolMenuDlg&>(d);
    EXPECT_EQ(dlg.MenuEdit()->text().toStdU16String(), g_szToolMenu[0]);
    dlg.EntryCombo()->setCurrentIndex(2);
    dlg.MenuEdit()->setText("mine");
    dlg.CommandEdit()->setText(QString::fromStdU16String(longProgram));
    dlg.EntryCombo()->setCurrentIndex(3);
    EXPECT_EQ(dlg.MenuEdit()->text().toStdU16String(), g_szToolMenu[3]);
    dlg.EntryCombo()->setCurrentIndex(2);
    EXPECT_EQ(dlg.MenuEdit()->text(), "mine");
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
      if (b->text() == "OK") b->click();
    return dlg.result();
  });
  EditToolMenu();
  EXPECT_EQ(g_szToolMenu[2], u"mine");
  EXPECT_EQ(g_szToolCommand[2], longProgram.substr(0, 255));

  SetDialogScript([](QDialog& d) {
    auto& dlg = static_cast<CToolMenuDlg&>(d);
    dlg.MenuEdit()->setText("other");
    d.reject();
    return d.result();
  });
  EditToolMenu();
  EXPECT_NE(g_szToolMenu[0], u"other");
  EXPECT_EQ(g_szToolMenu[2], u"mine");
}

}  // namespace
