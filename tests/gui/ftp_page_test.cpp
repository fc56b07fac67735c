// The FTP page in the settings sheet: the list and its buttons edit the
// table at once, OK adds the destination in the fields, Cancel puts the
// table back, a password the file cannot hold is refused.
#include "settings/ftp_page_qt.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/narvo_app.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/ftp_env.h"
#include "settings/pro_sheet_qt.h"
#include "settings/settings_sheet_qt.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

FtpDestination Dest(const char16_t* name) {
  FtpDestination d;
  d.name = name;
  d.server = u"ftp.example.jp";
  d.user = u"taro";
  d.password = u"pw";
  return d;
}

class FtpPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    g_AppMode = kModeView;
    g_FtpTable = FtpTable();
    for (const char16_t* n : {u"A", u"B", u"C"}) AddFtpDestination(g_FtpTable, Dest(n));
    g_FtpTable.entries[0].selected = 0;
    g_FtpTable.entries[2].selected = 0;  // B alone is selected
  }
  void TearDown() override {
    SetSheetRunner(nullptr);
    g_FtpTable = FtpTable();
    ResetEnvDefaults();
  }
  // Runs the sheet on the FTP page; body returns true for OK.
  void Run(const std::function<bool(CFtpPage&)>& body) {
    SetSheetRunner([&](CProSheet& sheet) {
      CFtpPage* page = nullptr;
      for (int i = 0; i < sheet.PageCount() && !page; ++i)
        if ((page = dynamic_cast<CFtpPage*>(sheet.Page(i)))) sheet.SetActivePage(i);
      EXPECT_NE(page, nullptr);
      if (page && body(*page)) sheet.ClickOk();
      else sheet.ClickCancel();
      return sheet.result();
    });
    DoSettingsSheet(nullptr);
  }
  RecordingUi ui;
};

std::u16string Names() {
  std::u16string out;
  for (int i = 0; i < g_FtpTable.count; ++i)
    out += g_FtpTable.entries[i].name + (g_FtpTable.entries[i].selected ? u"*" : u"") + u" ";
  return out;
}

TEST_F(FtpPageTest, ButtonsFollowTheSelectionAndCancelPutsTheTableBack) {
  Run([](CFtpPage& p) {
    EXPECT_EQ(p.name->text(), QString::fromUtf16(u"B"));
    EXPECT_EQ(p.list->count(), 3);
    EXPECT_TRUE(p.upButton->isEnabled());
    EXPECT_TRUE(p.downButton->isEnabled());
    EXPECT_TRUE(p.deleteButton->isEnabled());
    p.upButton->click();
    EXPECT_EQ(Names(), u"B* A C ");
    EXPECT_FALSE(p.upButton->isEnabled());
    p.list->item(2)->setSelected(true);  // two selected: no button
    EXPECT_FALSE(p.downButton->isEnabled());
    EXPECT_FALSE(p.deleteButton->isEnabled());
    p.list->item(0)->setSelected(false);
    p.list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    p.deleteButton->click();
    EXPECT_EQ(Names(), u"B A ");
    EXPECT_EQ(p.name->text(), QString());
    return false;
  });
  EXPECT_EQ(Names(), u"A B* C ");
}

// The destination shown as selected is the one deleted, whatever the list's
// caret says (after the list is filled it has none).
TEST_F(FtpPageTest, DeleteTakesTheDestinationShownAsSelected) {
  Run([](CFtpPage& p) {
    EXPECT_EQ(p.list->currentRow(), -1);
    EXPECT_TRUE(p.deleteButton->isEnabled());
    p.deleteButton->click();
    EXPECT_EQ(Names(), u"A C ");
    EXPECT_EQ(p.list->count(), 2);
    p.newButton->click();  // appears in the list at once
    EXPECT_EQ(p.list->count(), 3);
    EXPECT_EQ(p.list->item(2)->text(), QString::fromUtf16(u"設定3"));
    EXPECT_TRUE(p.list->item(2)->isSelected());
    return true;
  });
  EXPECT_EQ(Names(), u"A C ");  // still without a server at OK: not kept
}

TEST_F(FtpPageTest, OkAddsTheDestinationInTheFields) {
  Run([](CFtpPage& p) {
    p.newButton->click();
    EXPECT_EQ(p.name->text(), QString::fromUtf16(u"設定4"));
    EXPECT_EQ(p.user->text(), QString());  // not B's login
    p.server->setText(QString::fromUtf16(u"192.0.2.1"));
    p.passive->setChecked(false);
    return true;
  });
  ASSERT_EQ(g_FtpTable.count, 4);
  EXPECT_EQ(g_FtpTable.entries[3].name, u"設定4");
  EXPECT_EQ(g_FtpTable.entries[3].server, u"192.0.2.1");
  EXPECT_EQ(g_FtpTable.entries[3].user, u"");
  EXPECT_EQ(g_FtpTable.entries[3].passive, 0);
  EXPECT_EQ(g_FtpTable.entries[3].selected, 1);
}

// 新規作成, a name and a login typed, OK: the file and the next start hold
// just the destinations the list showed, in its order and selection.
TEST_F(FtpPageTest, ANewDestinationIsStoredOnceUnderItsTypedName) {
  struct Case {
    int present;  // of A, B, C
    const char16_t* names;
  } cases[] = {{0, u"テスト* "}, {3, u"A B* C テスト* "}};
  QTemporaryDir dir;
  const std::u16string savedData = g_szDataFolder;
  g_szDataFolder = dir.path().toStdU16String() + u"/";
  const FtpTable abc = g_FtpTable;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.present);
    g_FtpTable = c.present ? abc : FtpTable();
    QString shown;
    Run([&](CFtpPage& p) {
      p.newButton->click();
      p.name->setText(QString::fromUtf16(u"テスト"));
      EXPECT_EQ(p.list->item(p.list->count() - 1)->text(), QString::fromUtf16(u"テスト"));
      p.server->setText("127.0.0.1");
      p.user->setText("u");
      p.password->setText("secret");
      p.folder->setText("up");
      for (int i = 0; i < p.list->count(); ++i)
        shown += p.list->item(i)->text() + (p.list->item(i)->isSelected() ? "* " : " ");
      return true;
    });
    EXPECT_EQ(Names(), c.names);
    EXPECT_EQ(shown.toStdU16String(), c.names);
    ASSERT_EQ(WriteFtpEnv(), 0);
    FtpTable next;
    ASSERT_EQ(ReadFtpEnvFrom(FtpEnvPath(), next), 0);
    g_FtpTable = next;
    EXPECT_EQ(Names(), c.names);
    const FtpDestination& made = next.entries[next.count - 1];
    EXPECT_EQ(made.server, u"127.0.0.1");
    EXPECT_EQ(made.user, u"u");
    EXPECT_EQ(made.password, u"secret");
    EXPECT_EQ(made.folder, u"up");
  }
  g_szDataFolder = savedData;
}

// Moving the new destination and looking at another one on the way keeps
// what was typed into it; Cancel leaves no trace of it.
TEST_F(FtpPageTest, TheNewDestinationKeepsItsFieldsWhileTheListChanges) {
  Run([](CFtpPage& p) {
    p.newButton->click();
    p.server->setText("192.0.2.9");
    return false;
  });
  EXPECT_EQ(Names(), u"A B* C ");
  Run([](CFtpPage& p) {
    p.newButton->click();
    p.server->setText("192.0.2.9");
    p.list->item(1)->setSelected(false);
    EXPECT_EQ(p.server->text(), QString::fromUtf16(u"192.0.2.9"));
    p.upButton->click();
    EXPECT_EQ(Names(), u"A B 設定4* C ");
    p.list->item(2)->setSelected(false);
    p.list->item(0)->setSelected(true);  // A shown
    EXPECT_EQ(p.server->text(), QString::fromUtf16(u"ftp.example.jp"));
    return true;
  });
  EXPECT_EQ(Names(), u"A* B 設定4 C ");
  EXPECT_EQ(g_FtpTable.entries[2].server, u"192.0.2.9");
  // With B gone the count names 設定4 again: the new one passes over the
  // name in use and leaves that entry be.
  Run([](CFtpPage& p) {
    p.list->item(0)->setSelected(false);
    p.list->item(1)->setSelected(true);
    p.deleteButton->click();
    EXPECT_EQ(Names(), u"A 設定4 C ");
    p.newButton->click();
    EXPECT_EQ(p.name->text(), QString::fromUtf16(u"設定5"));
    EXPECT_EQ(Names(), u"A 設定4 C 設定5* ");
    EXPECT_EQ(g_FtpTable.entries[1].server, u"192.0.2.9");
    return false;
  });
}

TEST_F(FtpPageTest, APasswordTheFileCannotHoldIsRefused) {
  Run([this](CFtpPage& p) {
    p.password->setText(QString::fromUtf16(u"パスワード"));
    EXPECT_FALSE(p.OnKillActive());
    EXPECT_EQ(ui.boxes.size(), 1u);
    p.password->setText(QString::fromUtf16(u"ok"));
    return true;
  });
  EXPECT_EQ(g_FtpTable.entries[1].password, u"ok");
}

}  // namespace
