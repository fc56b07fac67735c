// The file associations and the desktop launcher in a private home: the
// desktop's own tools name our types and our launcher afterwards, a second
// registration changes nothing, and a data folder that cannot be written
// is reported by its name with no success sound.
#include "app/file_types.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>

#include "settings/env.h"
#include "settings/folders.h"
#include "settings/reg_page_qt.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

class FileTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = home.Path();
    savedHome = qgetenv("HOME");
    qputenv("HOME", root.toLocal8Bit());
    savedModule = g_szModulePath;
    g_szModulePath = u"/opt/my narvo/narvo$1";
  }
  void TearDown() override {
    qputenv("HOME", savedHome);
    g_szModulePath = savedModule;
  }
  // A desktop tool run as a GNOME session would, so that it reads the
  // user's own MIME database.
  QString Query(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CURRENT_DESKTOP", "GNOME");
    p.setProcessEnvironment(env);
    p.start("xdg-mime", args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }
  static QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  PrivateHome home;
  QString root;
  QByteArray savedHome;
  std::u16string savedModule;
  RecordingUi ui;
};

TEST_F(FileTypesTest, RegistersTypesAndLauncher) {
  ASSERT_EQ(RegisterFileTypes(), 0);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.warnings, 1);
  for (const char* ext : {"zrf", "ZRF", "Zr2", "dovu", "ZR2U", "bod", "csa", "CSA"}) {
    SCOPED_TRACE(ext);
    const QString file = root + "/game." + ext;
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#KIF\n");
    f.close();
    const QString type = "application/x-dovu-" + QString::fromLatin1(ext).toLower();
    EXPECT_EQ(Query({"query", "filetype", file}), type);
    EXPECT_EQ(Query({"query", "default", type}), "sorvane-v7.desktop");
  }
  const QString desktop = root + "/data/applications/sorvane-v7.desktop";
  EXPECT_EQ(QProcess::execute("desktop-file-validate", {desktop}), 0);
  const QByteArray entry = Read(desktop);
  EXPECT_TRUE(entry.contains("Exec=\"/opt/my narvo/narvo\\\\$1\" %f\n")) << entry.constData();
  EXPECT_TRUE(entry.contains("Exec=\"/opt/my narvo/narvo\\\\$1\" /p %f\n"));

  const QByteArray xml = Read(root + "/data/mime/packages/sorvane-v7.xml");
  ASSERT_EQ(RegisterFileTypes(), 0);
  EXPECT_EQ(Read(desktop), entry);
  EXPECT_EQ(Read(root + "/data/mime/packages/sorvane-v7.xml"), xml);
}

TEST_F(FileTypesTest, ShortcutIsAnExecutableLauncher) {
  CRegPage page;
  page.ShortcutButton()->click();
  const QFileInfo link(root + "/Desktop/Sorvane V7.desktop");
  ASSERT_TRUE(link.exists());
  EXPECT_TRUE(link.isExecutable());
  EXPECT_EQ(QProcess::execute("desktop-file-validate", {link.filePath()}), 0);
  EXPECT_EQ(ui.warnings, 1);
}

TEST_F(FileTypesTest, UnwritableDataFolderIsReported) {
  // A plain file where the data folder's parent should be: no folder can be
  // made there, even for root.
  QFile blocker(root + "/blocker");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  qputenv("XDG_DATA_HOME", (root + "/blocker/data").toLocal8Bit());
  EXPECT_EQ(RegisterFileTypes(), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            (QString::fromUtf16(u"ファイル(") + root + QString::fromUtf16(u"/blocker/data/mime/packages/sorvane-v7.xml)を書き込めません。"))
                .toStdU16String());
  EXPECT_EQ(ui.warnings, 0);
}

}  // namespace
