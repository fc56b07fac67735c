// The main frame: the caption rules, the placement rules, the preview bar's
// trim edits, dropped files, and whole start-ups of the program (bars, status
// line, settings written at close and read back, the settings name of the
// command line, a failed settings write, print preview and closing).
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QScrollBar>
#include <QSpinBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "app/command_table.h"
#include "app/file_commands.h"
#include "app/instance.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/qt_ui.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "tests/support/qt_test_app.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"
#include "tests/support/recording_ui.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

// ---- Caption ---------------------------------------------------------------------

struct TitleCase {
  int mode;
  const char16_t* fileName;
  const char16_t* title;
  int changeCount;
  int appendMode;
  const char16_t* envName;  // nullptr: no settings name on the command line
  const char16_t* expected;
};

TEST(MainTitle, EveryModeAndState) {
  const TitleCase cases[] = {
      {4, u"", u"", 0, 1, nullptr, u"Sorvane"},
      {4, u"a.zrf", u"a", 0, 1, nullptr, u"a.zrf - Sorvane"},
      {4, u"a.zrf", u"a", 3, 1, nullptr, u"a.zrf * - Sorvane"},
      {4, u"新規棋譜", u"新規棋譜", 3, 1, nullptr, u"新規棋譜 - Sorvane"},  // unnamed: no star
      {4, u"a.zrf", u"a", 0, 1, u"NARVO", u"a.zrf - Sorvane 設定：NARVO"},
      {4, u"", u"", 0, 1, u"work", u"Sorvane 設定：work"},
      {0, u"a.zrf", u"a", 1, 1, nullptr, u"a.zrf * - Sorvane（対局中）"},
      {1, u"a.zrf", u"a", 0, 0, nullptr, u"a.zrf - Sorvane（対局中：分岐なし）"},
      {0, u"", u"", 0, 1, nullptr, u" - Sorvane（対局中）"},
      {8, u"a.zrf", u"a", 0, 1, nullptr, u"a.zrf - Sorvane（プレビュー）"},
      {8, u"", u"", 0, 1, u"x", u"Sorvane 設定：x（プレビュー）"},
      {2, u"a.zrf", u"a", 5, 1, nullptr, u"Sorvane（局面編集中）"},
      {3, u"a.zrf", u"a", 5, 1, u"x", u"Sorvane 設定：x（局面編集中）"},
  };
  for (const TitleCase& c : cases) {
    MainTitleState s;
    s.appMode = c.mode;
    s.recordFileName = c.fileName;
    s.recordTitle = c.title;
    s.changeCount = c.changeCount;
    s.appendMode = c.appendMode;
    s.cmdLineEnv = c.envName != nullptr;
    if (c.envName) s.envName = c.envName;
    EXPECT_EQ(BuildMainTitle(s), c.expected) << Utf16ToUtf8(c.expected);
  }
}

// ---- Placement ---------------------------------------------------------------------

TEST(Placement, StoredRectTextRoundTrips) {
  QRect r(-8, 12, 700, 500);
  EXPECT_EQ(FormatPlacementRect(r), u"-008 0012 0692 0512");
  QRect back;
  ASSERT_TRUE(ParsePlacementRect(FormatPlacementRect(r), back));
  EXPECT_EQ(back, r);
  EXPECT_FALSE(ParsePlacementRect(u"", back));
  EXPECT_FALSE(ParsePlacementRect(u"0010 0020 0030", back));
}

TEST(Placement, WhereTheWindowOpens) {
  PlacementInput base;
  base.stored.hasRect = true;
  base.stored.rect = QRect(300, 310, 640, 480);
  base.defaultRect = QRect(5, 5, 600, 420);
  base.settingPos = QPoint(50, 60);
  base.desktop = QRect(0, 0, 1920, 1080);
  struct Case {
    const char* what;
    std::function<void(PlacementInput&)> change;
    QRect expected;
  } cases[] = {
      {"normal: position from the setting, size stored", [](PlacementInput&) {}, QRect(50, 60, 640, 480)},
      {"default settings", [](PlacementInput& in) { in.defaultSettings = true; }, QRect(5, 5, 600, 420)},
      {"nothing stored", [](PlacementInput& in) { in.stored.hasRect = false; }, QRect(5, 5, 600, 420)},
      {"maximised: the stored place", [](PlacementInput& in) { in.stored.max = true; }, QRect(300, 310, 640, 480)},
      {"command line", [](PlacementInput& in) { in.cmdX = in.cmdY = true; in.cmdXValue = 7; in.cmdYValue = 9; }, QRect(7, 9, 640, 480)},
      {"second copy", [](PlacementInput& in) { in.instanceOffset = 40; }, QRect(90, 100, 640, 480)},
      {"beyond the desktop", [](PlacementInput& in) { in.settingPos = QPoint(1920, 2000); }, QRect(5, 5, 640, 480)},
      {"wholly left and above", [](PlacementInput& in) { in.settingPos = QPoint(-700, -500); }, QRect(0, 0, 640, 480)},
  };
  for (auto& c : cases) {
    PlacementInput in = base;
    c.change(in);
    EXPECT_EQ(ComputeInitialPlacement(in), c.expected) << c.what;
  }
}

TEST(PreviewBar, TrimEditsKeepTenPixels) {
  struct Case {
    int edge, value;
    bool accepted;
  } cases[] = {
      {0, 306, true},   // left up to right - 10
      {0, 307, false},  // left beyond right - 10 snaps back
      {2, 76, true},    // right down to left + 10
      {2, 75, false},
      {1, 319, true},
      {3, 86, false},
  };
  for (const Case& c : cases) {
    int rect[4] = {66, 77, 316, 329};
    int before = rect[c.edge];
    EXPECT_EQ(ApplyTrimEdit(rect, c.edge, c.value), c.accepted) << c.edge << " " << c.value;
    EXPECT_EQ(rect[c.edge], c.accepted ? c.value : before);
  }
}

// ---- Dropped files -------------------------------------------------------------------

TEST(DroppedFile, StatusOnlyAfterASuccessfulLoad) {
  struct Case {
    int mode;
    const char16_t* path;
    int openResult;
    bool opened;
    const char16_t* status;  // nullptr: none
    int warnings;
    const char16_t* box;     // nullptr: none
  } cases[] = {
      {4, u"/r/a.zrf", 0, true, u"/r/a.zrf がドロップされました。", 0, nullptr},
      {4, u"/r/a.zrf", -1, true, nullptr, 1, nullptr},
      {4, u"/r/a.gam", 0, false, nullptr, 1, nullptr},
      {4, u"/r.d/noext", 0, true, u"/r.d/noext がドロップされました。", 0, nullptr},
      {0, u"/r/a.zrf", 0, false, nullptr, 0, u"対局中は、ドロップできません。"},
      {1, u"/r/a.zrf", 0, false, nullptr, 0, u"対局中は、ドロップできません。"},
      {8, u"/r/a.zrf", 0, false, nullptr, 0, u"プレビュー中は、ドロップできません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.path) + " mode " + std::to_string(c.mode));
    RecordingUi ui;
    g_AppMode = c.mode;
    g_Record.changeCount = 0;
    bool opened = false;
    int result = HandleDroppedFile(c.path, [&](const std::u16string&) {
      opened = true;
      return c.openResult;
    });
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(result == 0, c.opened && c.openResult == 0);
    if (c.status) {
      EXPECT_EQ(ui.status, std::vector<std::u16string>{c.status});
    } else {
      EXPECT_TRUE(ui.status.empty());
    }
    EXPECT_EQ(ui.warnings, c.warnings);
    ASSERT_EQ(ui.boxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(ui.boxes[0].text, c.box);
      EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconWarning);
    }
  }
  g_AppMode = kModeView;
}

// ---- Command rules of the frame --------------------------------------------------------

TEST(FrameCommands, EnableRules) {
  struct Case {
    int id, mode;
    bool replay, enabled;
  } cases[] = {
      {kCmdPositionPreview, 4, false, true},  {kCmdPositionPreview, 8, false, false},
      {kCmdRecordPreview, 0, false, true},    {kCmdRecordPreview, 8, false, false},
      {kCmdRecentFiles, 4, false, true},      {kCmdRecentFiles, 2, false, true},
      {kCmdRecentFiles, 0, false, false},     {kCmdRecentFiles, 1, false, false},
      {kCmdRecentFiles, 8, false, false},     {kCmdRecentFiles, 4, true, false},
      {kCmdFullScreen, 8, true, true},
  };
  for (const Case& c : cases) {
    CommandState s;
    s.appMode = c.mode;
    s.replayRunning = c.replay;
    const CommandEntry* e = FindCommand(c.id);
    ASSERT_NE(e, nullptr) << c.id;
    EXPECT_EQ(EvaluateCommand(*e, s).enabled, c.enabled) << c.id << " mode " << c.mode;
  }
  CommandState s;
  s.appLook = kCmdLookOffice2003;
  EXPECT_EQ(EvaluateCommand(*FindCommand(kCmdLookOffice2003), s).checked, 1);
  EXPECT_EQ(EvaluateCommand(*FindCommand(kCmdLookVs2005), s).checked, 0);
}

// ---- Whole start-ups ----------------------------------------------------------------------

class StartUp : public ::testing::Test {
protected:
  void TearDown() override {
    g_szRecordFileName.clear();
    g_szRecordTitle.clear();
    g_AppMode = kModeView;
  }
  std::u16string EnvPath(const std::u16string& name) const {
    return home.DataFolder().toStdU16String() + name + u".ENV";
  }
  PrivateHome home;
  RecordingUi ui;
};

QStringList MenuTitles() {
  QStringList titles;
  for (QAction* a : g_pMainFrame->menuBar()->actions()) titles << a->text();
  return titles;
}

TEST_F(StartUp, FrameShowsItsBarsAndTheSettingsComeBackAtTheNextStart) {
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* f = g_pMainFrame;
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->StandardToolbar()->isVisible());
    EXPECT_TRUE(f->ReplayToolbar()->isVisible());
    EXPECT_EQ(f->ReplayToolbar()->windowTitle(), u"再現"_s);
    EXPECT_TRUE(f->statusBar()->isVisible());
    EXPECT_FALSE(f->PreviewBar()->isVisible());
    EXPECT_EQ(MenuTitles(), (QStringList{u"ファイル(&F)"_s, u"編集(&E)"_s, u"表示(&V)"_s,
                                        u"対局(&G)"_s, u"ツール(&T)"_s, u"ヘルプ(&H)"_s}));
    EXPECT_EQ(f->windowTitle(), u"Sorvane"_s);
    EXPECT_TRUE(ui.boxes.empty());  // no settings file yet, and none named: silent
    EXPECT_EQ(g_bDefaultSettings, 1);
    EXPECT_EQ(g_nInstanceNumber, 1);
    EXPECT_EQ(g_Record.poolCapacity, g_nMaxRecordSizeAtStart);

    QtUi().SetStatusText(u"棋譜ファイル(a.zrf)を読み込みました。");
    EXPECT_EQ(f->StatusText(), u"棋譜ファイル(a.zrf)を読み込みました。"_s);
    g_szRecordFileName = u"a.zrf";
    g_szRecordTitle = u"a";
    g_Record.changeCount = 2;
    UpdateMainTitle();
    EXPECT_EQ(f->windowTitle(), u"a.zrf * - Sorvane"_s);
    g_Record.changeCount = 0;

    f->ActionFor(kCmdLookOffice2007Black)->trigger();
    EXPECT_EQ(app.m_nAppLook, kCmdLookOffice2007Black);
    g_bCheckRules = 0;
    f->resize(720, 560);
    f->move(130, 150);
    EXPECT_TRUE(f->close());
  }
  EXPECT_TRUE(QFile::exists(Q(EnvPath(u"NARVO"))));
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* f = g_pMainFrame;
    EXPECT_EQ(g_bDefaultSettings, 0);
    EXPECT_EQ(g_bCheckRules, 0);
    EXPECT_EQ(f->pos(), QPoint(130, 150));
    EXPECT_EQ(f->size(), QSize(720, 560));
    EXPECT_EQ(app.m_nAppLook, kCmdLookOffice2007Black);
    f->UpdateCommandUi();
    EXPECT_TRUE(f->ActionFor(kCmdLookOffice2007Black)->isChecked());
    EXPECT_FALSE(f->ActionFor(kCmdLookVs2005)->isChecked());
    EXPECT_TRUE(f->close());
  }
}

// A settings file edited by hand or damaged: places, sizes and fonts far out
// of range start the program with every window on the screen.
TEST_F(StartUp, ExtremeSettingsStartWithTheWindowsOnTheScreen) {
  QDir().mkpath(home.DataFolder());
  QFile env(Q(EnvPath(u"NARVO")));
  ASSERT_TRUE(env.open(QIODevice::WriteOnly));
  env.write(u"ウィンドウ : 2147483647 2147483647 -5 0\n"
            u"棋譜ウィンドウ : 1 2147483647 -2147483648 0 -1 0\n"
            u"分岐ウィンドウ : 1 2147483647 2147483647 2147483647 2147483647\n"
            u"コメントウィンドウ : 3 -2147483648 -2147483648 -2147483648 -2147483648\n"
            u"段筋フォント : \"IPAMincho\" -2147483648 2147483647 0\n"
            u"情報フォント : \"IPAGothic\" 2147483647 0 0\n"
            u"コメントポイントフォント : \"IPAGothic\" 2147483647 0 0\n"
            u"棋譜フォント : \"IPAGothic\" -2147483648 0 0\n"
            u"棋譜ポイントフォント : \"IPAGothic\" -2147483648 0 0\n"_s.toUtf8());
  env.close();
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  ASSERT_TRUE(QTest::qWaitFor([] { return g_pMoveListWnd && g_pMoveListWnd->isVisible(); }));
  const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
  std::vector<QWidget*> windows = {g_pMainFrame};
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != g_pMainFrame && w->isVisible() && w->parentWidget() == g_pMainFrame) windows.push_back(w);
  EXPECT_GE(windows.size(), 2u);
  for (QWidget* w : windows) {
    SCOPED_TRACE(w->windowTitle().toStdString());
    const QRect r = w->frameGeometry();
    EXPECT_TRUE(desk.intersects(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    EXPECT_LE(r.width(), desk.width() + 50);
    EXPECT_LE(r.height(), desk.height() + 50);
  }
  g_pView->repaint();
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(g_pMainFrame->close());
}

TEST_F(StartUp, PageDownAndPageUpOpenTheNeighbouringRecords) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  const QString folder = home.Path() + u"/records"_s;
  QDir().mkpath(folder);
  for (const char* name : {"a.zrf", "b.zrf", "c.zrf"}) {
    QFile f(folder + u"/"_s + QString::fromLatin1(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("   1 ７六歩(77)\n");
  }
  ASSERT_EQ(OpenRecordFile(g_pView, (folder + u"/a.zrf"_s).toStdU16String()), 0);
  g_pMainFrame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(g_pMainFrame));
  g_pView->setFocus();
  g_pMainFrame->UpdateCommandUi();  // as the idle update does
  EXPECT_TRUE(g_pMainFrame->ActionFor(kCmdOpenNextFile)->isEnabled());
  EXPECT_EQ(g_pMainFrame->ActionFor(kCmdOpenNextFile)->shortcut(), QKeySequence(Qt::Key_PageDown));
  QTest::keyClick(g_pView, Qt::Key_PageDown);
  EXPECT_EQ(g_szRecordFileName, u"b.zrf");
  QTest::keyClick(g_pView, Qt::Key_PageDown);
  EXPECT_EQ(g_szRecordFileName, u"c.zrf");
  QTest::keyClick(g_pView, Qt::Key_PageUp);
  EXPECT_EQ(g_szRecordFileName, u"b.zrf");
  EXPECT_TRUE(g_pMainFrame->close());
}

// The 右 box typed into digit by digit: "4" of "445" alone would break the
// ten-pixel rule, the whole number does not.
TEST_F(StartUp, TrimBoxesTakeANumberTypedWhole) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  g_rcImageTrim[0] = 66, g_rcImageTrim[1] = 77, g_rcImageTrim[2] = 316, g_rcImageTrim[3] = 329;
  g_pMainFrame->EnterPrintPreview();
  const QList<QSpinBox*> boxes = g_pMainFrame->PreviewBar()->findChildren<QSpinBox*>();
  ASSERT_EQ(boxes.size(), 4);
  QSpinBox* right = nullptr;
  for (QSpinBox* b : boxes)
    if (b->value() == 316) right = b;
  ASSERT_NE(right, nullptr);
  right->setFocus();
  right->selectAll();
  QTest::keyClicks(right, u"445"_s);
  QTest::keyClick(right, Qt::Key_Return);
  EXPECT_EQ(right->value(), 445);
  EXPECT_EQ(g_rcImageTrim[2], 445);
  right->selectAll();
  QTest::keyClicks(right, u"70"_s);  // whole, and still breaking the rule: snaps back
  QTest::keyClick(right, Qt::Key_Return);
  EXPECT_EQ(g_rcImageTrim[2], 445);
  EXPECT_EQ(right->value(), 445);
  g_pMainFrame->LeavePrintPreview();
  EXPECT_TRUE(g_pMainFrame->close());
}

// The preview's A4 page is larger than the view: scroll bars and the wheel
// bring the rest into sight, and leaving the preview takes them away.
TEST_F(StartUp, ThePreviewPageScrolls) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  g_pMainFrame->resize(700, 560);
  g_pMainFrame->EnterPrintPreview();
  const QList<QScrollBar*> bars = g_pView->findChildren<QScrollBar*>();
  ASSERT_EQ(bars.size(), 2);
  QScrollBar* vertical = bars[0]->orientation() == Qt::Vertical ? bars[0] : bars[1];
  EXPECT_TRUE(vertical->isVisible());
  EXPECT_GT(vertical->maximum(), 500);
  const QImage top = g_pView->grab().toImage();
  QWheelEvent down(QPointF(100, 100), g_pView->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(g_pView, &down);
  EXPECT_GT(vertical->value(), 0);
  EXPECT_EQ(g_pView->PreviewScroll().y(), vertical->value());
  EXPECT_NE(g_pView->grab().toImage(), top);
  // A touchpad's small steps add up to lines.
  const int notch = vertical->value();
  for (int i = 0; i < 12; ++i) {
    QWheelEvent small(QPointF(100, 100), g_pView->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -10),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g_pView, &small);
  }
  EXPECT_EQ(vertical->value(), 2 * notch);
  // The trim cursor follows the rectangle on the scrolled page: over its
  // right edge the cursor is the one for resizing across.
  g_bImageTrim = 1;
  g_rcImageTrim[0] = 100, g_rcImageTrim[1] = 300, g_rcImageTrim[2] = 300, g_rcImageTrim[3] = 500;
  const int onEdge = 400 - vertical->value();
  QMouseEvent move(QEvent::MouseMove, QPointF(300, onEdge), g_pView->mapToGlobal(QPointF(300, onEdge)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(g_pView, &move);
  EXPECT_EQ(g_pView->cursor().shape(), Qt::SizeHorCursor);
  g_bImageTrim = 0;
  vertical->setValue(vertical->maximum());
  EXPECT_EQ(g_pView->PreviewScroll().y(), vertical->maximum());
  g_pMainFrame->LeavePrintPreview();
  EXPECT_FALSE(vertical->isVisible());
  EXPECT_EQ(g_pView->PreviewScroll(), QPoint());
  EXPECT_TRUE(g_pMainFrame->close());
}

TEST_F(StartUp, SecondCopyOpensOffsetAndStoresTheFirstCopysPlaces) {
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    g_pMainFrame->move(100, 120);
    g_pMainFrame->close();
  }
  std::unique_ptr<QLockFile> firstCopy;
  ASSERT_EQ(AcquireInstanceLock(InstanceLockFolder(), QString::fromUtf16(g_szProductName), firstCopy), 1);
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(g_nInstanceNumber, 2);
    EXPECT_EQ(g_pMainFrame->pos(), QPoint(140, 160));
    g_pMainFrame->close();
  }
  ResetEnvDefaults();
  ASSERT_EQ(ReadEnvFile(EnvPath(u"NARVO")), 0);
  EXPECT_EQ(g_rcMainWindow.x, 100);
  EXPECT_EQ(g_rcMainWindow.y, 120);
}

TEST_F(StartUp, MaximisedWindowKeepsItsNormalPlacement) {
  QRect client;
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* f = g_pMainFrame;
    f->resize(720, 560);
    f->move(130, 150);
    client = f->geometry();  // inside the frame
    f->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([f] { return f->isMaximized(); }));
    EXPECT_TRUE(f->close());
  }
  {
    auto profile = OpenProfile();
    profile->beginGroup(u"Window size"_s);
    EXPECT_EQ(profile->value(u"Rect"_s).toString(), Q(FormatPlacementRect(client)));
    EXPECT_EQ(profile->value(u"max"_s).toInt(), 1);
    EXPECT_EQ(profile->value(u"icon"_s).toInt(), 0);
  }
  {
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* f = g_pMainFrame;
    EXPECT_TRUE(f->isMaximized());
    f->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([f] { return !f->isMaximized(); }));
    // The frame comes back where it was: no creep by the frame's width.
    EXPECT_EQ(f->pos(), QPoint(130, 150));
    EXPECT_EQ(f->geometry(), client);
    EXPECT_TRUE(f->close());
  }
}

TEST_F(StartUp, SettingsNamedOnTheCommandLine) {
  // A NARVO settings file that must not be used in place of a missing named one.
  ASSERT_TRUE(MakeFolders(home.DataFolder().toStdU16String()));
  ResetEnvDefaults();
  g_bCheckRules = 0;
  ASSERT_EQ(WriteEnvFile(EnvPath(u"NARVO")), 0);

  struct Case {
    std::vector<std::u16string> args;
    const char16_t* warnedName;  // nullptr: no message
    int checkRules;
    const char16_t* title;
  } cases[] = {
      {{u"/Emissing"}, u"missing", 1, u"Sorvane 設定：missing"},
      {{}, nullptr, 0, u"Sorvane"},
      {{u"/E"}, nullptr, 0, u"Sorvane 設定：NARVO"},
      {{u"-Ework"}, u"work", 1, u"Sorvane 設定：work"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "no arguments" : Utf16ToUtf8(c.args[0]));
    RecordingUi caseUi;
    CNarvoApp app;
    ASSERT_TRUE(app.InitInstance(c.args));
    if (c.warnedName) {
      ASSERT_EQ(caseUi.boxes.size(), 1u);
      EXPECT_EQ(caseUi.boxes[0].text,
                FormatU16(u"環境ファイル(%s%s.ENV)が存在しませんので、標準設定で起動します。",
                          g_szDataFolder.c_str(), c.warnedName));
      EXPECT_EQ(caseUi.boxes[0].flags & 0xF0, kMbIconWarning);
      EXPECT_EQ(caseUi.warnings, 1);
      EXPECT_EQ(g_bDefaultSettings, 1);
    } else {
      EXPECT_TRUE(caseUi.boxes.empty());
    }
    EXPECT_EQ(g_bCheckRules, c.checkRules);
    EXPECT_EQ(g_pMainFrame->windowTitle(), Q(c.title));
    g_pMainFrame->close();
  }
  // The runs on a named file wrote that file, not NARVO's.
  EXPECT_TRUE(QFile::exists(Q(EnvPath(u"work"))));
}

TEST_F(StartUp, OverlongSettingsNameIsRefusedAndNothingIsWritten) {
  std::u16string name(kCmdLineEnvNameMax + 21, u'n');
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({u"/E" + name}));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find(name + u".ENV"), std::u16string::npos);
  EXPECT_EQ(g_bDefaultSettings, 1);
  EXPECT_EQ(g_szEnvName, u"NARVO");
  g_pMainFrame->close();
  EXPECT_EQ(QDir(home.DataFolder()).entryList(QDir::Files), QStringList());
}

TEST_F(StartUp, FailedSettingsWriteIsReported) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  // The data folder replaced by a plain file: nothing can be written into it.
  QString folder = home.DataFolder();
  folder.chop(1);
  ASSERT_TRUE(QDir(folder).removeRecursively());
  QFile blocker(folder);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_TRUE(g_pMainFrame->close());
  // The settings file, then the FTP destination file written beside it.
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconError);
  EXPECT_NE(ui.boxes[0].text.find(u"NARVO.ENV"), std::u16string::npos);
  EXPECT_NE(ui.boxes[1].text.find(u"ftp.env"), std::u16string::npos);
}

TEST_F(StartUp, ClosingInPrintPreviewOnlyLeavesThePreview) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  CMainFrame* f = g_pMainFrame;
  f->ActionFor(kCmdRecordPreview)->trigger();
  EXPECT_EQ(g_AppMode, kModePreview);
  EXPECT_EQ(g_nPrintKind, 1);
  EXPECT_TRUE(f->PreviewBar()->isVisible());
  EXPECT_FALSE(f->StandardToolbar()->isVisible());
  EXPECT_FALSE(f->ReplayToolbar()->isVisible());
  EXPECT_EQ(f->windowTitle(), u"Sorvane（プレビュー）"_s);
  EXPECT_FALSE(f->ActionFor(kCmdPositionPreview)->isEnabled());

  // The position preview over the record preview: leaving returns to viewing.
  g_nPrintKind = 0;
  f->EnterPrintPreview();
  EXPECT_FALSE(f->close());
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(g_AppMode, kModeView);
  EXPECT_FALSE(f->PreviewBar()->isVisible());
  EXPECT_TRUE(f->StandardToolbar()->isVisible());
  EXPECT_TRUE(f->ReplayToolbar()->isVisible());
  EXPECT_EQ(f->windowTitle(), u"Sorvane"_s);

  // From a game the preview returns to the game.
  g_AppMode = kModeGame;
  f->EnterPrintPreview();
  f->LeavePrintPreview();
  EXPECT_EQ(g_AppMode, kModeGame);
  g_AppMode = kModeView;
  EXPECT_TRUE(f->close());
}

TEST_F(StartUp, FullScreenHidesTheMenuBarButKeepsTheAccelerators) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  CMainFrame* f = g_pMainFrame;
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  f->ActionFor(kCmdFullScreen)->trigger();
  EXPECT_EQ(g_bFullScreen, 1);
  EXPECT_TRUE(f->menuBar()->isHidden());
  QTest::keyClick(f, Qt::Key_U, Qt::ControlModifier);  // 局面印刷プレビュー
  EXPECT_EQ(g_AppMode, kModePreview);
  EXPECT_EQ(g_nPrintKind, 0);
  f->LeavePrintPreview();
  f->ActionFor(kCmdFullScreen)->trigger();
  EXPECT_EQ(g_bFullScreen, 0);
  EXPECT_FALSE(f->menuBar()->isHidden());
  EXPECT_TRUE(f->close());
}

}  // namespace
// Leaving the preview gives the view back its board before the bars change
// its size, so that the page is not drawn once more on the way out.
TEST_F(StartUp, LeavingThePreviewDrawsTheBoardNotThePage) {
  CNarvoApp app;
  ASSERT_TRUE(app.InitInstance({}));
  CMainFrame* f = g_pMainFrame;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
  QTest::qWait(50);
  const QImage board = g_pView->Image().copy();
  f->ActionFor(kCmdRecordPreview)->trigger();
  QTest::qWait(50);
  ASSERT_NE(g_pView->Image(), board);
  f->LeavePrintPreview();
  EXPECT_EQ(g_pView->Image(), board);
  EXPECT_TRUE(f->close());
}
