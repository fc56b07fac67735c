#include "app/narvo_app.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <clocale>
#include <filesystem>

#include "app/file_commands.h"
#include "app/game_play.h"
#include "app/instance.h"
#include "app/main_frame.h"
#include "app/narvo_doc.h"
#include "output/clipboard_copy.h"
#include "output/clipboard_paste.h"
#include "output/print_job.h"
#include "output/score_sheet.h"
#include "record/board.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/ftp_env.h"
#include "view/info_panel.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"
#include "view/navigation.h"
#include "view/piece_images.h"
#include "view/position_edit.h"
#include "view/sounds.h"

using namespace Qt::Literals::StringLiterals;

const char16_t g_szAppTitle[] = u"Sorvane";

int g_AppMode = kModeView;
int g_bReplayRunning = 0;
int g_nInstanceNumber = 1;
int g_bPrintOnStart = 0;
int g_bCmdLineX = 0, g_bCmdLineY = 0;
int g_bResumeGame = 0;
int g_bStartupDone = 0;
int g_nDpiX = 96, g_nDpiY = 96;
double g_dDpiScaleX = 1.0, g_dDpiScaleY = 1.0;
int g_nScreenColors = 16777216;
int g_nPrintKind = 0;

namespace {

CNarvoApp* s_pApp = nullptr;

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

// The file's full path when it exists, else the name as typed.
std::u16string LongPathName(const std::u16string& name) {
  std::error_code ec;
  std::filesystem::path p(PathToNative(name));
  if (!std::filesystem::is_regular_file(p, ec)) return name;
  std::filesystem::path full = std::filesystem::absolute(p, ec).lexically_normal();
  if (ec) return name;
  std::u16string longName = PathFromNative(full.string());
  return longName.size() <= kCmdLinePathMax ? longName : name;
}

}  // namespace

// Outside any namespace, as the resource initialiser requires.
static void InitHelpResource() { Q_INIT_RESOURCE(help); }

std::unique_ptr<QSettings> OpenProfile() {
  return std::make_unique<QSettings>(u"Morivane"_s, u"Sorvane"_s);
}

CNarvoApp* TheApp() { return s_pApp; }

// ---- Command-line actions -----------------------------------------------------------

void RunCommandLineActions(const CommandLine& cmd, const StartupActions& a) {
  CommandLine c = cmd;
  // A move number given with the file sets the load-position setting aside.
  auto load = [&c](const std::function<int()>& fn) {
    int saved = g_nLoadPosition;
    if (c.bMoveNumber) g_nLoadPosition = 0;
    int r = fn();
    if (c.bMoveNumber) g_nLoadPosition = saved;
    return r;
  };
  if (c.bFileGiven && !c.fileName.empty()) {
    int result;
    if (c.bFileTooLong) {
      ShowMessage(FormatU16(u"ファイルがありません。(%s)", c.fileName.c_str()),
                  kMbOk | kMbIconError, u"棋譜読込みエラー");
      result = -1;
    } else {
      std::u16string path = LongPathName(c.fileName);
      result = load([&] { return a.openRecordFile(path); });
    }
    if (result == -1)
      c.bGame = false;
    else if (c.bMoveNumber)
      a.gotoMoveNumber(c.moveNumber);
  } else if (c.bClipboard) {
    load([&] { return a.pasteFromClipboard(); });
    if (c.bMoveNumber) a.gotoMoveNumber(c.moveNumber);
  }
  switch (ChooseStartAction(c)) {
    case StartAction::kNone:
    case StartAction::kLoadOnly:
      break;
    case StartAction::kReplay:
      a.autoReplayForward();
      if (c.replayMode == 2) a.closeMainWindow();
      break;
    case StartAction::kGame:
      g_bResumeGame = 1;
      a.startGame();
      break;
    case StartAction::kPositionEdit:
      a.startPositionEdit();
      break;
    case StartAction::kPrint:
      g_nPrintKind = PrintKindForFile(c.fileName);
      if (c.bMoveNumber) {
        g_nPrintKind = 0;
        if (!g_bReplayRunning) a.printShownPosition();
      } else {
        a.printScoreSheet();
      }
      a.closeMainWindow();
      break;
  }
}

StartupActions DefaultStartupActions() {
  StartupActions a;
  a.openRecordFile = [](const std::u16string& path) { return OpenRecordFile(g_pView, path); };
  a.pasteFromClipboard = [] { return PasteFromClipboard(g_pView); };
  a.gotoMoveNumber = [](int n) {
    GotoMoveNumber(g_pView, n);
    UpdateDovuWndScroll();
  };
  a.autoReplayForward = [] { AutoReplayForward(g_pView); };
  a.startGame = [] {
    ResumeSuspendedGame(g_pView);
    StartNewGame(g_pView);
  };
  a.startPositionEdit = [] { StartPositionEdit(g_pView); };
  a.printShownPosition = [] {
    PrintRecordOrPosition(g_pView, false);
    if (g_pView) g_pView->update();
  };
  a.printScoreSheet = [] { PrintScoreSheet(g_pView, false); };
  a.closeMainWindow = [] {
    if (g_pMainFrame) g_pMainFrame->close();
  };
  return a;
}

// ---- Start-up ---------------------------------------------------------------------------

CNarvoApp::CNarvoApp() : m_actions(DefaultStartupActions()) { s_pApp = this; }

CNarvoApp::~CNarvoApp() {
  ExitInstance();
  if (s_pApp == this) s_pApp = nullptr;
}

bool CNarvoApp::InitInstance(const std::vector<std::u16string>& args) {
  m_bRunning = true;
  std::setlocale(LC_ALL, "");
  InitHelpResource();
  m_cmd = ParseCommandLine(args, [](const std::u16string& a) {
    return QFileInfo(Q(a)).isFile();
  });

  // Copies already running give this one its number.
  g_nInstanceNumber =
      AcquireInstanceLock(InstanceLockFolder(), QString::fromUtf16(g_szProductName), m_hInstanceMutex);

  // The settings start from their built-in values; only those are scaled to
  // the screen, before the file is read.
  ResetEnvDefaults();
  QScreen* screen = QGuiApplication::primaryScreen();
  g_nDpiX = screen ? qRound(screen->logicalDotsPerInchX()) : 96;
  g_nDpiY = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  if (g_nDpiX <= 0) g_nDpiX = 96;
  if (g_nDpiY <= 0) g_nDpiY = 96;
  g_dDpiScaleX = g_nDpiX / 96.0;
  g_dDpiScaleY = g_nDpiY / 96.0;
  g_rcCommentWnd.width = int(g_rcCommentWnd.width * g_dDpiScaleX);
  g_rcCommentWnd.height = int(g_rcCommentWnd.height * g_dDpiScaleY);
  g_rcMoveListWnd.width = int(g_rcMoveListWnd.width * g_dDpiScaleX);
  g_rcMoveListWnd.height = int(g_rcMoveListWnd.height * g_dDpiScaleY);

  // The profile lives under "Morivane"; the application name is the window
  // class by which other programs find the main window.
  QCoreApplication::setOrganizationName(u"Morivane"_s);
  QCoreApplication::setApplicationName(u"SorvaneClass"_s);

  InitProgramFolder();
  InitDataFolders();

  // The settings file named on the command line, and the print switch.
  g_szEnvName = u"NARVO";
  g_bCmdLineEnv = 0;
  m_bEnvRefused = false;
  if (m_cmd.bEnvGiven) {
    g_bCmdLineEnv = 1;
    if (m_cmd.bEnvNameTooLong)
      m_bEnvRefused = true;
    else if (!m_cmd.envName.empty())
      g_szEnvName = m_cmd.envName;
  }
  g_bPrintOnStart = m_cmd.bPrintOnStart;

  // The missing file of a named setting is reported by the reader; a name
  // too long to be a settings file is reported here the same way.
  g_bDefaultSettings = 0;
  if (m_bEnvRefused) {
    g_bDefaultSettings = 1;
    Ui().PlayWarningSound();
    std::u16string keep = g_szEnvName;
    g_szEnvName = m_cmd.envName;
    ShowMessage(EnvMissingMessage(), kMbOk | kMbIconWarning);
    g_szEnvName = keep;
  } else {
    ReadEnvAtStart();
  }
  ReadFtpEnv();

  // Window positions of the command line override the settings.
  g_bCmdLineX = g_bCmdLineY = 0;
  if (!m_cmd.empty) {
    if (m_cmd.bX) g_rcMainWindow.x = m_cmd.x, g_bCmdLineX = 1;
    if (m_cmd.bY) g_rcMainWindow.y = m_cmd.y, g_bCmdLineY = 1;
    if (m_cmd.bKX) g_rcMoveListWnd.x = m_cmd.kx;
    if (m_cmd.bKY) g_rcMoveListWnd.y = m_cmd.ky;
  }

  // Sibling programs named relatively live in the program folder.
  for (std::u16string* program : {&g_szRecordDbProgram, &g_szProblemDbProgram}) {
    bool absolute = !program->empty() && ((*program)[0] == u'/' || (*program)[0] == u'\\');
    bool drive = program->size() >= 2 && (*program)[1] == u':';
    if (!absolute && !drive) {
      *program = g_szProgramFolder + *program;
      CutToCapacity(*program, kEnvProgramCapacity);
    }
  }

  int depth = screen ? screen->depth() : 32;
  g_nScreenColors = depth >= 24 ? 16777216 : (1 << depth);
  CreateAppPalette();
  LoadBoardGrain();
  if (g_nStandKind < 2) LoadStandGrain();
  InitSquareTables();
  InstallPositionFileWriter();
  InstallMoveNotation();  // text flags of added moves, independent of link order
  UpdateInfoLineHeight();

  // The record's node pool takes the size the settings name.
  g_nNodePoolCapacity = g_nMaxRecordSizeAtStart;
  if (InitRecordPool() != 0) return false;

  g_AppMode = kModeView;
  g_bReplayRunning = 0;
  g_bResumeGame = 0;
  m_pDoc = new CNarvoDoc;
  m_pDoc->OnNewDocument();
  m_pFrame = new CMainFrame;

  LoadPieceBitmaps();
  LoadPieceSounds();
  m_pFrame->ActivateFrame();
  m_pFrame->setAcceptDrops(true);
  UpdateMainTitle();

  g_bStartupDone = 1;
  if (!m_cmd.empty) QTimer::singleShot(0, this, &CNarvoApp::ProcessCommandLine);
  return true;
}

void CNarvoApp::ProcessCommandLine() { RunCommandLineActions(m_cmd, m_actions); }

int CNarvoApp::ExitInstance() {
  if (!m_bRunning) return 0;
  m_bRunning = false;
  if (m_pFrame) {
    delete m_pFrame;  // stores the placements and the settings unless already done
    m_pFrame = nullptr;
  }
  delete m_pDoc;
  m_pDoc = nullptr;
  FreePieceBitmaps();
  FreePieceSounds();
  DeleteAppPalette();
  m_hInstanceMutex.reset();
  g_bStartupDone = 0;
  return 0;
}

// ---- About box ----------------------------------------------------------------------------

namespace {

class CAboutDg : public QDialog {
public:
  explicit CAboutDg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(u"Sorvane について"_s);
    setFixedSize(377, 201);
    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setGeometry(138, 152, 100, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    if (parent) {
      QRect f = parent->frameGeometry();
      int left = std::max(0, f.left() + f.width() / 2 - width() / 2);
      int top = std::max(0, f.top() + f.height() / 2 - height() / 2);
      move(left, top);
    }
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QRect art(10, 10, 347, 130);
    // Our own picture: a board-coloured panel with the product name.
    QLinearGradient wood(art.topLeft(), art.bottomRight());
    wood.setColorAt(0, QColor(0xF2, 0xC9, 0x8A));
    wood.setColorAt(1, QColor(0xD9, 0xA0, 0x5B));
    p.fillRect(art, wood);
    p.setPen(QColor(0x5A, 0x3A, 0x1A));
    p.drawRect(art.adjusted(0, 0, -1, -1));
    // A corner of a board: five lines each way with a star point.
    const int cell = 24, gx = art.left() + 16, gy = art.top() + 14;
    for (int i = 0; i < 5; ++i) {
      p.drawLine(gx + i * cell, gy, gx + i * cell, gy + 4 * cell);
      p.drawLine(gx, gy + i * cell, gx + 4 * cell, gy + i * cell);
    }
    p.setBrush(QColor(0x5A, 0x3A, 0x1A));
    p.drawEllipse(QPoint(gx + 3 * cell, gy + 3 * cell), 3, 3);
    QFont title(u"IPAexMincho"_s);
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(art.left() + 130, art.top() + 18, 210, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf16(g_szAppTitle));
    QFont version(u"Monospace"_s);
    version.setStyleHint(QFont::TypeWriter);
    version.setPixelSize(15);
    version.setWeight(QFont::Bold);
    p.setFont(version);
    p.setPen(Qt::black);
    p.drawText(QPoint(295, 75 + QFontMetrics(version).ascent()), QString::fromUtf16(g_szVersion));
  }
};

}  // namespace

void CNarvoApp::OnAppAbout() {
  CAboutDg dlg(m_pFrame);
  dlg.exec();
}

// ---- Help -----------------------------------------------------------------------------------

std::u16string HelpPagePath() {
  QString local = Q(g_szProgramFolder) + u"help/index.html"_s;
  if (QFileInfo(local).isFile()) return local.toStdU16String();
  InitHelpResource();
  QFile builtIn(u":/help/index.html"_s);
  if (!builtIn.open(QIODevice::ReadOnly)) return std::u16string();
  QByteArray page = builtIn.readAll();
  std::u16string folder = g_szDataFolder + u"help/";
  if (!MakeFolders(folder)) return std::u16string();
  QString target = Q(folder) + u"index.html"_s;
  QFile out(target);
  if (out.open(QIODevice::ReadOnly) && out.readAll() == page) return target.toStdU16String();
  out.close();
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(page) != page.size())
    return std::u16string();
  return target.toStdU16String();
}

void CNarvoApp::OnHelp() {
  std::u16string page = HelpPagePath();
  if (page.empty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(Q(page))))
    Ui().PlayWarningSound();
}
