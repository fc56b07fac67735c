#include "app/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <cstring>
#include <utility>

#include "app/file_commands.h"
#include "app/narvo_app.h"
#include "view/busy_wait.h"
#include "view/companion_window.h"
#include "view/frame_place.h"
#include "app/narvo_doc.h"
#include "output/print_job.h"
#include "output/score_sheet.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/ftp_env.h"
#include "settings/settings_sheet_qt.h"
#include "view/board_geometry.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/key_state.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

CMainFrame* g_pMainFrame = nullptr;
int g_bFullScreen = 0;
int g_nPreviewPrevMode = kModeView;

using namespace Qt::Literals::StringLiterals;

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
QString Q(const char16_t* s) { return QString::fromUtf16(s); }

constexpr int kRecentFileCount = 10;

// A toolbar image: "sp:<name>" is one of the style's own icons, anything else
// a resource path.
QIcon ToolbarIcon(const char* icon, const QStyle* style) {
  static const std::pair<const char*, QStyle::StandardPixmap> kStyleIcons[] = {
      {"sp:open", QStyle::SP_DialogOpenButton}, {"sp:save", QStyle::SP_DialogSaveButton},
      {"sp:first", QStyle::SP_MediaSkipBackward}, {"sp:rewind", QStyle::SP_MediaSeekBackward},
      {"sp:back", QStyle::SP_ArrowLeft},        {"sp:stop", QStyle::SP_MediaStop},
      {"sp:forward", QStyle::SP_ArrowRight},    {"sp:play", QStyle::SP_MediaSeekForward},
      {"sp:last", QStyle::SP_MediaSkipForward},
  };
  for (const auto& [name, pixmap] : kStyleIcons)
    if (std::strcmp(icon, name) == 0) return style->standardIcon(pixmap);
  return QIcon(QString::fromLatin1(icon));
}

}  // namespace

// ---- Caption ------------------------------------------------------------------

std::u16string BuildMainTitle(const MainTitleState& s) {
  std::u16string name = s.recordFileName;
  if (name != g_szUntitled && s.changeCount != 0) name += u" *";
  std::u16string app = g_szAppTitle;
  if (s.cmdLineEnv) app = FormatU16(u"%s 設定：%s", g_szAppTitle, s.envName.c_str());
  switch (s.appMode) {
    case kModeView:
      return s.recordTitle.empty() ? app : FormatU16(u"%s - %s", name.c_str(), app.c_str());
    case kModeGame:
    case kModeGamePiece:
      return FormatU16(s.appendMode ? u"%s - %s（対局中）" : u"%s - %s（対局中：分岐なし）",
                       name.c_str(), app.c_str());
    case kModePreview:
      return s.recordTitle.empty() ? FormatU16(u"%s（プレビュー）", app.c_str())
                                   : FormatU16(u"%s - %s（プレビュー）", name.c_str(), app.c_str());
    case kModeEdit:
    case kModeEditPiece:
      return FormatU16(u"%s（局面編集中）", app.c_str());
    default:
      return app;
  }
}

void UpdateMainTitle() {
  if (!g_pMainFrame) return;
  MainTitleState s;
  s.appMode = g_AppMode;
  s.recordFileName = g_szRecordFileName;
  s.recordTitle = g_szRecordTitle;
  s.changeCount = g_Record.changeCount;
  s.appendMode = g_Record.appendMode;
  s.cmdLineEnv = g_bCmdLineEnv != 0;
  s.envName = g_szEnvName;
  g_pMainFrame->setWindowTitle(Q(BuildMainTitle(s)));
}

// ---- Placement ------------------------------------------------------------------

std::u16string FormatPlacementRect(const QRect& r) {
  return FormatU16(u"%04d %04d %04d %04d", r.left(), r.top(), r.left() + r.width(),
                   r.top() + r.height());
}

bool ParsePlacementRect(const std::u16string& text, QRect& r) {
  int v[4];
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    while (pos < text.size() && text[pos] == u' ') ++pos;
    size_t end = 0;
    std::u16string_view rest(text.data() + pos, text.size() - pos);
    long long n = U16ToInt(rest, &end);
    if (end == 0) return false;
    v[i] = int(n);
    pos += end;
  }
  r = QRect(QPoint(v[0], v[1]), QSize(v[2] - v[0], v[3] - v[1]));
  return true;
}

QRect ComputeInitialPlacement(const PlacementInput& in) {
  if (in.defaultSettings || !in.stored.hasRect) return in.defaultRect;
  const QRect& rc = in.stored.rect;
  // Never larger than the desktop, whatever the profile says.
  int w = std::min(rc.width(), in.desktop.width()), h = std::min(rc.height(), in.desktop.height());
  int x, y;
  if (in.stored.icon || in.stored.max) {
    x = rc.left();
    y = rc.top();
  } else {
    // Qt places windows in screen coordinates, so the setting needs no
    // correction for a task bar.
    x = in.settingPos.x();
    y = in.settingPos.y();
  }
  if (in.cmdX) x = in.cmdXValue;
  if (in.cmdY) y = in.cmdYValue;
  x += in.instanceOffset;
  y += in.instanceOffset;
  if (x >= in.desktop.left() + in.desktop.width()) x = 5;
  if (y >= in.desktop.top() + in.desktop.height()) y = 5;
  if (x + w < 0) x = 0;
  if (y + h < 0) y = 0;
  return QRect(x, y, w, h);
}

bool ApplyTrimEdit(int rect[4], int edge, int value) {
  int r[4] = {rect[0], rect[1], rect[2], rect[3]};
  r[edge] = value;
  int left = r[0], top = r[1], right = r[2], bottom = r[3];
  if (left > right - 10 || right < left + 10 || top > bottom - 10 || bottom < top + 10)
    return false;
  rect[edge] = value;
  return true;
}

// ---- Dropped files ------------------------------------------------------------------

int HandleDroppedFile(const std::u16string& path,
                      const std::function<int(const std::u16string&)>& open) {
  size_t slash = path.rfind(u'/');
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  if (name.find(u'.') != std::u16string::npos && !IsKnownFileExt(FileExtensionLower(name))) {
    Ui().PlayWarningSound();
    return -1;
  }
  if (g_AppMode == kModeGame || g_AppMode == kModeGamePiece) {
    ShowMessage(u"対局中は、ドロップできません。", kMbOk | kMbIconWarning);
    return -1;
  }
  if (g_AppMode == kModePreview) {
    ShowMessage(u"プレビュー中は、ドロップできません。", kMbOk | kMbIconWarning);
    return -1;
  }
  if (g_Record.changeCount != 0) {
    Ui().PlayWarningSound();
    if (AskSaveRecord(g_pView) == kIdCancel) return -1;
  }
  int result = open(path);
  if (result == 0)
    ShowStatus(FormatU16(u"%s がドロップされました。", path.c_str()));
  else
    Ui().PlayWarningSound();  // the loader has shown what went wrong
  return result;
}

// ---- Visual styles ------------------------------------------------------------------

namespace {

QPalette LookPalette(int id, QStyle* style) {
  auto tinted = [](QColor window, QColor button, QColor highlight) {
    QPalette p(button, window);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
  };
  switch (id) {
    case kCmdLookOfficeXp: return tinted(QColor(0xF0, 0xF0, 0xF0), QColor(0xE6, 0xE6, 0xEA), QColor(0x31, 0x6A, 0xC5));
    case kCmdLookWinXp: return tinted(QColor(0xEC, 0xE9, 0xD8), QColor(0xEC, 0xE9, 0xD8), QColor(0x31, 0x6A, 0xC5));
    case kCmdLookOffice2003: return tinted(QColor(0xDB, 0xE6, 0xF4), QColor(0xC4, 0xD8, 0xF0), QColor(0x31, 0x6A, 0xC5));
    case kCmdLookOffice2007Blue: return tinted(QColor(0xD5, 0xE3, 0xF5), QColor(0xC1, 0xD6, 0xF0), QColor(0xF8, 0xB8, 0x4E));
    case kCmdLookOffice2007Black: {
      QPalette p(QColor(0x45, 0x45, 0x45), QColor(0x35, 0x35, 0x35));
      p.setColor(QPalette::WindowText, QColor(0xF0, 0xF0, 0xF0));
      p.setColor(QPalette::Text, QColor(0xF0, 0xF0, 0xF0));
      p.setColor(QPalette::ButtonText, QColor(0xF0, 0xF0, 0xF0));
      p.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
      p.setColor(QPalette::Highlight, QColor(0xF8, 0xB8, 0x4E));
      p.setColor(QPalette::HighlightedText, Qt::black);
      return p;
    }
    case kCmdLookOffice2007Silver: return tinted(QColor(0xE3, 0xE6, 0xEB), QColor(0xD6, 0xDA, 0xE1), QColor(0xF8, 0xB8, 0x4E));
    case kCmdLookOffice2007Aqua: return tinted(QColor(0xD4, 0xEB, 0xEC), QColor(0xC0, 0xDF, 0xE2), QColor(0xF8, 0xB8, 0x4E));
    default: return style->standardPalette();
  }
}

void ApplyApplicationLook(int id) {
  QStyle* style = QStyleFactory::create(id == kCmdLookWin2000 ? u"Windows"_s : u"Fusion"_s);
  if (!style) return;
  QPalette palette = LookPalette(id, style);
  QApplication::setStyle(style);
  QApplication::setPalette(palette);
}

}  // namespace

// ---- CPersistentFrame ---------------------------------------------------------------

CPersistentFrame::CPersistentFrame(QWidget* parent) : QMainWindow(parent) {}

QRect CPersistentFrame::DefaultPlacement() const { return QRect(5, 5, 640, 480); }

void CPersistentFrame::ActivateFrame() {
  if (!m_bFirstActivation) {
    show();
    raise();
    activateWindow();
    OnShown();
    return;
  }
  m_bFirstActivation = false;
  auto profile = OpenProfile();
  profile->beginGroup(u"Window size"_s);
  PlacementInput in;
  in.stored.icon = profile->value(u"icon"_s, 0).toInt() != 0;
  in.stored.max = profile->value(u"max"_s, 0).toInt() != 0;
  in.stored.hasRect =
      ParsePlacementRect(profile->value(u"Rect"_s).toString().toStdU16String(), in.stored.rect);
  QByteArray barState = profile->value(u"Bars"_s).toByteArray();
  profile->endGroup();
  in.defaultSettings = g_bDefaultSettings != 0;
  in.defaultRect = DefaultPlacement();
  in.settingPos = QPoint(g_rcMainWindow.x, g_rcMainWindow.y);
  in.cmdX = g_bCmdLineX;
  in.cmdY = g_bCmdLineY;
  in.cmdXValue = g_rcMainWindow.x;
  in.cmdYValue = g_rcMainWindow.y;
  in.instanceOffset = InstanceOffset();
  QScreen* screen = QGuiApplication::primaryScreen();
  in.desktop = screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
  QRect r = ComputeInitialPlacement(in);

  if (!barState.isEmpty()) restoreState(barState);
  if (in.stored.icon || in.stored.max) {
    setGeometry(r);  // the stored normal placement, frame excluded
  } else {
    resize(r.size());
    PlaceFrameAt(this, r.topLeft());  // the frame's place, as "ウィンドウ" holds it
  }
  if (in.stored.icon) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowState(in.stored.max ? (Qt::WindowMinimized | Qt::WindowMaximized)
                                 : Qt::WindowMinimized);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
  } else if (in.stored.max) {
    showMaximized();
  } else {
    show();
  }
  OnShown();
}

void CPersistentFrame::SavePlacement() {
  Qt::WindowStates st = windowState();
  bool icon = false, max = false;
  if (st & Qt::WindowMinimized) {
    icon = true;
    max = (st & Qt::WindowMaximized) != 0;  // restores to maximised
  } else if (st & Qt::WindowMaximized) {
    max = true;
  }
  // A full-screen window is stored as a normal one.
  QRect normal = (st & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
                     ? normalGeometry()
                     : geometry();
  if (!normal.isValid()) normal = geometry();
  // The window's own geometry (without the frame), as setGeometry takes it
  // back for a maximised or minimised start; a normal start takes its place
  // from the setting "ウィンドウ" instead.
  auto profile = OpenProfile();
  profile->beginGroup(u"Window size"_s);
  profile->setValue(u"Rect"_s, Q(FormatPlacementRect(normal)));
  profile->setValue(u"icon"_s, icon ? 1 : 0);
  profile->setValue(u"max"_s, max ? 1 : 0);
  profile->setValue(u"Bars"_s, saveState());
  profile->endGroup();
}

// ---- CMainFrame ---------------------------------------------------------------------

CMainFrame::CMainFrame() {
  g_pMainFrame = this;
  setWindowIcon(QIcon(u":/icons/narvo.png"_s));
  if (TheApp()) {
    auto profile = OpenProfile();
    int look = profile->value(u"ApplicationLook"_s, int(kCmdLookVs2005)).toInt();
    TheApp()->m_nAppLook = (look >= kCmdLookFirst && look <= kCmdLookLast) ? look : kCmdLookVs2005;
  }
  // OnCreate
  if (TheApp()) OnApplicationLook(TheApp()->m_nAppLook);
  m_pView = new CNarvoView(this);
  setCentralWidget(m_pView);
  BuildMenusAndBars();
  m_pStatusPane = new QLabel(this);
  m_pStatusPane->setObjectName(u"MessagePane"_s);
  statusBar()->addWidget(m_pStatusPane, 1);
  UpdateMainTitle();
  CreateDovuWnd(this);
  AddCompanionWindow(g_pMoveListWnd, &g_rcMoveListWnd);
  CreateBranchWindow(this);
  AddCompanionWindow(g_pBranchWnd, &g_rcBranchWnd);
  CreateCommentWindow(this);
  AddCompanionWindow(g_pCommentWnd, &g_rcCommentWnd);

  // Menus and bars follow the program state whenever the event loop falls idle.
  if (auto* d = QAbstractEventDispatcher::instance())
    connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
      if (isVisible()) UpdateCommandUi();
    });
}

// The main window is drawn first and the companion windows follow it, so the
// start shows the board without waiting for them; a frame that cannot paint
// (a minimised start) has them after a moment.
void CMainFrame::OnShown() {
  if (m_bFramePainted) {
    ShowCompanions();
    return;
  }
  if (m_bCompanionsWaiting) return;
  m_bCompanionsWaiting = true;
  if (m_pView) m_pView->installEventFilter(this);
  constexpr int kLongestWaitMs = 500;
  QTimer::singleShot(kLongestWaitMs, this, &CMainFrame::ShowCompanions);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_pView && e->type() == QEvent::Paint && !m_bFramePainted) {
    m_bFramePainted = true;
    m_pView->removeEventFilter(this);
    QTimer::singleShot(0, this, &CMainFrame::ShowCompanions);
  }
  return CPersistentFrame::eventFilter(watched, e);
}

void CMainFrame::ShowCompanions() {
  m_bFramePainted = true;
  m_bCompanionsWaiting = false;
  for (const Companion& c : m_companions)
    if (auto* w = dynamic_cast<CompanionWindow*>(c.window)) w->ShowWithOwner();
}

CMainFrame::~CMainFrame() {
  OnDestroy();
  if (g_pMainFrame == this) g_pMainFrame = nullptr;
}

QRect CMainFrame::DefaultPlacement() const {
  CellSize cell{g_nCellWidth, g_nCellHeight};
  int width = CalcBoardWindowWidth(cell, g_dDpiScaleX);
  int dialogUnit = fontMetrics().height();
  int menu = menuBar()->sizeHint().height();
  // Bottom edge at dialog unit + 9 cells + menu + 111 below a top of 5; the
  // caption lies outside the window's geometry here.
  return QRect(5, 5, width, dialogUnit + 9 * cell.h + menu + 111 - 5);
}

void CMainFrame::FitToBoard() {
  if (isMaximized() || isFullScreen()) return;
  resize(DefaultPlacement().size());
}

QMenu* CMainFrame::MenuForPath(const std::u16string& path) {
  QString full = Q(path);
  for (auto& [p, m] : m_menus)
    if (p == full) return m;
  QMenu* menu;
  int slash = full.lastIndexOf(u'/');
  if (slash < 0) {
    menu = menuBar()->addMenu(full);
  } else {
    QMenu* parent = MenuForPath(full.left(slash).toStdU16String());
    menu = parent->addMenu(full.mid(slash + 1));
  }
  connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
  m_menus.emplace_back(full, menu);
  return menu;
}

void CMainFrame::BuildMenusAndBars() {
  m_pToolbar = new QToolBar(u"標準"_s, this);
  m_pToolbar->setObjectName(u"StandardToolbar"_s);
  addToolBar(Qt::TopToolBarArea, m_pToolbar);
  m_pReplayBar = new QToolBar(u"再現"_s, this);
  m_pReplayBar->setObjectName(u"ReplayToolbar"_s);
  addToolBar(Qt::TopToolBarArea, m_pReplayBar);

  for (size_t i = 0; i < g_nCommandTableSize; ++i) {
    const CommandEntry& e = g_CommandTable[i];
    QMenu* menu = e.menuPath ? MenuForPath(e.menuPath) : nullptr;
    if (e.id == 0) {
      if (menu) menu->addSeparator();
      continue;
    }
    if (e.flags & kCmdSubmenuList) {
      QMenu* sub = menu ? menu->addMenu(Q(e.text)) : new QMenu(Q(e.text), this);
      if (e.id == kCmdRecentFiles)
        connect(sub, &QMenu::aboutToShow, this, [this, sub] { FillRecentFilesMenu(sub); });
      m_actions.emplace_back(e.id, sub->menuAction());
      continue;
    }
    auto* a = new QAction(Q(e.text), this);
    a->setData(e.id);
    if (e.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
    if (e.flags & (kCmdCheckable | kCmdRadio)) a->setCheckable(true);
    if ((e.flags & kCmdRadio) && menu) {
      QString key = Q(e.menuPath);
      QActionGroup* group = nullptr;
      for (auto& [k, g] : m_radioGroups)
        if (k == key) group = g;
      if (!group) {
        group = new QActionGroup(this);
        group->setExclusive(true);
        m_radioGroups.emplace_back(key, group);
      }
      group->addAction(a);
    }
    CommandHandler handler = e.handler;
    int id = e.id;
    connect(a, &QAction::triggered, this, [this, handler, id] {
      if (BusyWait::Active()) {
        // Not beneath a command that waits: after it.
        BusyWait::Hold([self = QPointer<CMainFrame>(this), handler, id] {
          if (!self || g_pMainFrame != self) return;
          if (handler) handler(id);
          if (g_pMainFrame == self) self->UpdateCommandUi();
        });
        return;
      }
      if (handler) handler(id);
      if (g_pMainFrame == this) UpdateCommandUi();
    });
    if (menu) menu->addAction(a);
    // Accelerators stay alive while the menu bar is hidden (full screen).
    if (e.shortcut) addAction(a);
    QToolBar* bar = e.toolbar == kBarStandard ? m_pToolbar
                    : e.toolbar == kBarReplay ? m_pReplayBar
                                              : nullptr;
    if (bar) {
      if (e.flags & kCmdToolbarGap) bar->addSeparator();
      if (e.icon) a->setIcon(ToolbarIcon(e.icon, style()));
      bar->addAction(a);
    }
    m_actions.emplace_back(e.id, a);
  }
}

QAction* CMainFrame::ActionFor(int id) const {
  for (auto& [i, a] : m_actions)
    if (i == id) return a;
  return nullptr;
}

void CMainFrame::CaptureBarState(CommandState& s) const {
  s.toolbarShown = m_pToolbar && !m_pToolbar->isHidden();
  s.replayBarShown = m_pReplayBar && !m_pReplayBar->isHidden();
  s.statusBarShown = !statusBar()->isHidden();
}

void CMainFrame::UpdateCommandUi() {
  CommandState state = CaptureCommandState();
  for (auto& [id, a] : m_actions) {
    const CommandEntry* e = FindCommand(id);
    if (!e) continue;
    CommandUi ui = EvaluateCommand(*e, state);
    if (a->isEnabled() != ui.enabled) a->setEnabled(ui.enabled);
    if (ui.checked >= 0 && a->isCheckable() && a->isChecked() != (ui.checked != 0))
      a->setChecked(ui.checked != 0);
    QString text = Q(ui.text.empty() ? std::u16string(e->text) : ui.text);
    if (a->text() != text) {
      a->setText(text);
      // A toolbar button's tip is the text without the key shown after a tab.
      a->setIconText(text.section(u'\t', 0, 0));
    }
  }
}

void CMainFrame::FillRecentFilesMenu(QMenu* menu) {
  menu->clear();
  std::vector<std::u16string> files = RecentFiles();
  if (files.empty()) {
    menu->addAction(u"最近使ったファイル"_s)->setEnabled(false);
    return;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    QString label = QStringLiteral("&%1 %2").arg(i + 1 == 10 ? 0 : int(i + 1)).arg(Q(files[i]));
    std::u16string path = files[i];
    menu->addAction(label, this, [path] {
      if (!g_pDocument || !g_pDocument->SaveModified()) return;
      if (!g_pDocument->OnOpenDocument(path)) {
        // A file that is gone leaves the list, as the framework does.
        auto profile = OpenProfile();
        std::vector<std::u16string> list = RecentFiles();
        std::erase(list, path);
        profile->beginGroup(u"Recent File List"_s);
        profile->remove(QString());
        for (size_t k = 0; k < list.size(); ++k)
          profile->setValue(QStringLiteral("File%1").arg(k + 1), Q(list[k]));
        profile->endGroup();
      }
    });
  }
}

void CMainFrame::AddRecentFile(const std::u16string& path) {
  std::vector<std::u16string> list = RecentFiles();
  std::erase(list, path);
  list.insert(list.begin(), path);
  if (list.size() > size_t(kRecentFileCount)) list.resize(kRecentFileCount);
  auto profile = OpenProfile();
  profile->beginGroup(u"Recent File List"_s);
  profile->remove(QString());
  for (size_t k = 0; k < list.size(); ++k)
    profile->setValue(QStringLiteral("File%1").arg(k + 1), Q(list[k]));
  profile->endGroup();
}

std::vector<std::u16string> CMainFrame::RecentFiles() {
  std::vector<std::u16string> list;
  auto profile = OpenProfile();
  profile->beginGroup(u"Recent File List"_s);
  for (int k = 1; k <= kRecentFileCount; ++k) {
    QString v = profile->value(QStringLiteral("File%1").arg(k)).toString();
    if (!v.isEmpty()) list.push_back(v.toStdU16String());
  }
  profile->endGroup();
  return list;
}

void CMainFrame::SetStatusText(const QString& text) {
  if (m_pStatusPane) m_pStatusPane->setText(text);
}

QString CMainFrame::StatusText() const { return m_pStatusPane ? m_pStatusPane->text() : QString(); }

// ---- Print preview ----------------------------------------------------------------------

void CMainFrame::BuildPreviewBar() {
  m_pPreviewBar = new QDockWidget(u"印刷"_s, this);
  m_pPreviewBar->setObjectName(u"PreviewBar"_s);
  m_pPreviewBar->setFeatures(QDockWidget::NoDockWidgetFeatures);
  m_pPreviewBar->setAllowedAreas(Qt::TopDockWidgetArea);
  auto* pane = new QWidget(m_pPreviewBar);
  auto* row = new QHBoxLayout(pane);
  row->setContentsMargins(4, 2, 4, 2);
  auto* print = new QPushButton(u"印刷(&P)..."_s, pane);
  auto* setup = new QPushButton(u"設定(&S)..."_s, pane);
  auto* close = new QPushButton(u"閉じる(&C)"_s, pane);
  setup->setToolTip(u"印刷設定"_s);
  close->setToolTip(u"プレビュー終了"_s);
  row->addWidget(print);
  row->addWidget(setup);
  row->addWidget(close);
  m_pTrimCheck = new QCheckBox(u"トリミング"_s, pane);
  row->addSpacing(12);
  row->addWidget(m_pTrimCheck);
  // In the order of g_rcImageTrim: left, top, right, bottom; shown 左 右 上 下.
  const char16_t* labels[4] = {u"左", u"上", u"右", u"下"};
  const int shownOrder[4] = {0, 2, 1, 3};
  for (int k : shownOrder) {
    row->addWidget(new QLabel(Q(labels[k]), pane));
    m_pTrimEdit[k] = new QSpinBox(pane);
    m_pTrimEdit[k]->setRange(0, 500);
    // A number is checked once typed whole (Enter, leaving the box, or an
    // arrow), not at each keystroke, when "4" of "445" would break the rule.
    m_pTrimEdit[k]->setKeyboardTracking(false);
    row->addWidget(m_pTrimEdit[k]);
    connect(m_pTrimEdit[k], &QSpinBox::valueChanged, this, [this, k](int v) { OnTrimEdit(k, v); });
  }
  row->addStretch(1);
  m_pPreviewBar->setWidget(pane);
  addDockWidget(Qt::TopDockWidgetArea, m_pPreviewBar);
  m_pPreviewBar->hide();

  connect(close, &QPushButton::clicked, this, &CMainFrame::LeavePrintPreview);
  connect(print, &QPushButton::clicked, this, [] {
    if (!g_bReplayRunning) {
      PrintRecordOrPosition(g_pView, true);
      if (g_pView) g_pView->update();
    }
  });
  connect(setup, &QPushButton::clicked, this, [] {
    g_nSettingsPage = 6;
    DoSettingsSheet(g_pView);
  });
  connect(m_pTrimCheck, &QCheckBox::toggled, this, &CMainFrame::OnTrimToggled);
  RefreshPreviewBar();
  m_bPreviewBarReady = true;
}

QDockWidget* CMainFrame::PreviewBar() {
  // Made at the first preview: the start has no need of it.
  if (!m_pPreviewBar) BuildPreviewBar();
  return m_pPreviewBar;
}

void CMainFrame::RefreshPreviewBar() {
  if (!m_pPreviewBar) return;  // made with the values of the time
  m_bUpdatingPreviewBar = true;
  m_pTrimCheck->setChecked(g_bImageTrim != 0);
  for (int k = 0; k < 4; ++k) m_pTrimEdit[k]->setValue(g_rcImageTrim[k]);
  m_bUpdatingPreviewBar = false;
}

void CMainFrame::OnTrimToggled(bool on) {
  if (m_bUpdatingPreviewBar) return;
  g_bImageTrim = on ? 1 : 0;
  if (on)
    ShowStatus(FormatU16(u"トリミング　幅=%d 高さ=%d", g_rcImageTrim[2] - g_rcImageTrim[0],
                         g_rcImageTrim[3] - g_rcImageTrim[1]));
  update();
  if (m_pView) m_pView->update();
}

void CMainFrame::OnTrimEdit(int edge, int value) {
  if (!m_bPreviewBarReady || m_bUpdatingPreviewBar) return;
  if (!ApplyTrimEdit(g_rcImageTrim, edge, value)) {
    m_bUpdatingPreviewBar = true;
    m_pTrimEdit[edge]->setValue(g_rcImageTrim[edge]);
    m_bUpdatingPreviewBar = false;
    return;
  }
  if (m_pView) m_pView->update();
  ShowStatus(FormatU16(u"トリミング　幅=%d 高さ=%d", g_rcImageTrim[2] - g_rcImageTrim[0],
                       g_rcImageTrim[3] - g_rcImageTrim[1]));
}

void CMainFrame::EnterPrintPreview() {
  if (g_AppMode != kModePreview) {
    m_bWasToolbarShown = !m_pToolbar->isHidden();
    m_bWasReplayBarShown = !m_pReplayBar->isHidden();
    m_pToolbar->hide();
    m_pReplayBar->hide();
    RefreshPreviewBar();
    PreviewBar()->show();
    m_bWasMoveListShown = g_bShowMoveListWnd != 0;
  }
  g_nPreviewPrevMode = g_AppMode;
  g_AppMode = kModePreview;
  UpdateMainTitle();
  ShowDovuWnd(false);
  g_bShowMoveListWnd = 0;
  if (m_pView) m_pView->UpdatePreviewScrollBars();
  if (m_pView) m_pView->update();
}

void CMainFrame::LeavePrintPreview() {
  if (g_AppMode != kModePreview) return;
  // The mode goes back first: the bars' changes resize the view at once, and
  // it is then the board that is drawn, not the page once more.
  g_AppMode = g_nPreviewPrevMode == kModePreview ? kModeView : g_nPreviewPrevMode;
  if (m_pPreviewBar) m_pPreviewBar->hide();
  if (m_bWasToolbarShown) m_pToolbar->show();
  if (m_bWasReplayBarShown) m_pReplayBar->show();
  if (m_pView) {
    m_pView->UpdatePreviewScrollBars();
    m_pView->unsetCursor();  // the trim cursor goes with the page
  }
  UpdateMainTitle();
  if (m_bWasMoveListShown) {
    ResetDovuWndScroll();
    FitDovuWndToDesktop();
    ShowDovuWnd(true);
    g_bShowMoveListWnd = 1;
  }
  if (m_pView) m_pView->update();
}

// ---- Other commands ----------------------------------------------------------------------

void CMainFrame::OnApplicationLook(int id) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (TheApp()) TheApp()->m_nAppLook = id;
  ApplyApplicationLook(id);
  OpenProfile()->setValue(u"ApplicationLook"_s, id);
  update();
  QApplication::restoreOverrideCursor();
}

void CMainFrame::OnFullScreen() {
  if (!g_bFullScreen) {
    if (!m_pFullScreenBar) {
      m_pFullScreenBar = new QToolBar(u"全画面表示"_s, this);
      m_pFullScreenBar->setObjectName(u"FullScreenBar"_s);
      m_pFullScreenBar->addAction(ActionFor(kCmdFullScreen));
      addToolBar(Qt::TopToolBarArea, m_pFullScreenBar);
    }
    m_bWasMaximized = isMaximized();
    menuBar()->hide();
    m_pFullScreenBar->show();
    showFullScreen();
  } else {
    menuBar()->show();
    if (m_pFullScreenBar) m_pFullScreenBar->hide();
    if (m_bWasMaximized)
      showMaximized();
    else
      showNormal();
  }
  g_bFullScreen = !g_bFullScreen;
  // The companion windows come back inside the desktop.
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) {
    QRect desk = screen->availableVirtualGeometry();
    for (const Companion& c : m_companions) {
      QRect r = c.window->frameGeometry();
      int x = std::clamp(r.x(), desk.left(), std::max(desk.left(), desk.right() - r.width()));
      int y = std::clamp(r.y(), desk.top(), std::max(desk.top(), desk.bottom() - r.height()));
      c.window->move(x, y);
    }
  }
}

void CMainFrame::ToggleBar(int id) {
  QWidget* bar = id == kCmdViewToolbar     ? static_cast<QWidget*>(m_pToolbar)
                 : id == kCmdViewReplayBar ? static_cast<QWidget*>(m_pReplayBar)
                                           : static_cast<QWidget*>(statusBar());
  bar->setVisible(bar->isHidden());
}

void CMainFrame::AddCompanionWindow(QWidget* window, WindowPlacement* placement) {
  m_companions.push_back({window, placement});
}

// ---- Events ------------------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* e) {
  if (BusyWait::Active()) {
    // The program ends once the command waiting has returned.
    e->ignore();
    QPointer<CMainFrame> self(this);
    BusyWait::Hold([self] {
      if (self) self->close();
    });
    return;
  }
  if (g_AppMode == kModePreview) {
    LeavePrintPreview();
    e->ignore();
    return;
  }
  if (g_pDocument && !g_pDocument->SaveModified()) {
    e->ignore();
    return;
  }
  OnDestroy();
  e->accept();
}

void CMainFrame::moveEvent(QMoveEvent* e) {
  QMainWindow::moveEvent(e);
  QPoint now = pos();
  QPoint delta = now - m_ptLastPos;
  m_ptLastPos = now;
  if (!g_bStartupDone) return;
  if (IsShiftHeld()) return;
  for (const Companion& c : m_companions) c.window->move(c.window->pos() + delta);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  e->acceptProposedAction();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  // Handled once the drop has finished, so that questions and messages do
  // not hold up the program the file came from.
  std::u16string path = urls.front().toLocalFile().toStdU16String();
  // A drop reaches the window during a wait too (it is no input to hold
  // back): it is then held like a command, and opens after the wait.
  QTimer::singleShot(0, this, [path] {
    BusyWait::RunOrHold([path] {
      if (!g_pView) return;
      HandleDroppedFile(path, [](const std::u16string& p) { return OpenRecordFile(g_pView, p); });
    });
  });
}

void CMainFrame::OnDestroy() {
  if (m_bDestroyed) return;
  m_bDestroyed = true;
  SavePlacement();
  QRect fr = frameGeometry();
  g_rcMainWindow.x = fr.x();
  g_rcMainWindow.y = fr.y();
  g_rcMainWindow.width = fr.width();
  g_rcMainWindow.height = fr.height();
  // A hidden companion window moved with the frame has had no move event.
  for (const Companion& c : m_companions) {
    if (!c.placement) continue;
    c.placement->x = c.window->pos().x();
    c.placement->y = c.window->pos().y();
    c.placement->width = c.window->width();
    c.placement->height = c.window->height();
  }
  // The file keeps the first copy's places.
  int off = InstanceOffset();
  if (off) {
    g_rcMainWindow.x -= off;
    g_rcMainWindow.y -= off;
    for (const Companion& c : m_companions) {
      if (!c.placement) continue;
      c.placement->x -= off;
      c.placement->y -= off;
    }
  }
  if (g_rcMainWindow.x < 0) g_rcMainWindow.x = 0;
  if (g_rcMainWindow.y < 0) g_rcMainWindow.y = 0;
  if (!TheApp() || !TheApp()->m_bEnvRefused) {
    WriteEnvAtExit();
    if (WriteFtpEnv() != 0)
      ShowMessage(FormatU16(u"環境ファイル(%s)を保存できませんでした。", FtpEnvPath().c_str()),
                  kMbOk | kMbIconError);
  }
  for (const Companion& c : m_companions) c.window->deleteLater();
  m_companions.clear();
}
