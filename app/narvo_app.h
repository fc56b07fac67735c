// The application object: brings the program up in a fixed order (copy
// counting, folders, settings, the main frame, the record's node pool) and
// carries out the command line's actions once the event loop runs.
#pragma once
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"

class QLockFile;
class QSettings;
class CMainFrame;
class CNarvoDoc;

// ---- Program state owned by the application -------------------------------

// Caption product title.
extern const char16_t g_szAppTitle[];  // "Sorvane"

// AppMode: 0 a game waiting for input, 1 a game with a piece held, 2 position
// editing, 3 editing with a piece held, 4 viewing, 8 print preview.
enum AppModeValue {
  kModeGame = 0,
  kModeGamePiece = 1,
  kModeEdit = 2,
  kModeEditPiece = 3,
  kModeView = 4,
  kModePreview = 8,
};
extern int g_AppMode;
extern int g_bReplayRunning;  // continuous replay runs

extern int g_nInstanceNumber;  // this copy's number, 1..33
extern int g_bPrintOnStart;
extern int g_bCmdLineX, g_bCmdLineY;
extern int g_bResumeGame;
extern int g_bStartupDone;
extern int g_nDpiX, g_nDpiY;
extern double g_dDpiScaleX, g_dDpiScaleY;
extern int g_nScreenColors;
extern int g_nPrintKind;  // 0 position, 1 record

// Offset of this copy's windows: 40 pixels right and down per earlier copy.
inline int InstanceOffset() { return 40 * (g_nInstanceNumber - 1); }

// ---- What the command line's actions call ---------------------------------

// The operations the command line can start. Start-up binds them to the
// program's commands; tests bind recorders.
struct StartupActions {
  std::function<int(const std::u16string& path)> openRecordFile;  // 0 loaded, -1 failed
  std::function<int()> pasteFromClipboard;
  std::function<void(int moveNumber)> gotoMoveNumber;  // and the move list follows
  std::function<void()> autoReplayForward;
  std::function<void()> startGame;  // resumes the loaded record as a game
  std::function<void()> startPositionEdit;
  std::function<void()> printShownPosition;  // at once, without a dialog
  std::function<void()> printScoreSheet;     // through the print command
  std::function<void()> closeMainWindow;
};

// Loads what the command line names and runs its one action (R, A, G, B, P in
// this order of precedence). A refused (over-long) file name is reported as a
// missing file and counts as a failed load.
void RunCommandLineActions(const CommandLine& cmd, const StartupActions& actions);

// ---- The application --------------------------------------------------------

class CNarvoApp : public QObject {
  Q_OBJECT
public:
  CNarvoApp();
  ~CNarvoApp() override;

  // Start-up; false ends the program. args is argv without the program name.
  // The command line's actions are queued to run once the event loop runs.
  bool InitInstance(const std::vector<std::u16string>& args);
  // Frees what start-up allocated; the exit code.
  int ExitInstance();

  // The About box and the help page.
  void OnAppAbout();
  void OnHelp();

  const CommandLine& GetCommandLine() const { return m_cmd; }
  CMainFrame* MainFrame() const { return m_pFrame; }
  // Actions of the command line (replaced by tests before InitInstance).
  StartupActions m_actions;

  int m_nAppLook = 214;  // visual style command 210..218
  bool m_bEnvRefused = false;  // the /E name was too long: the settings are not written

private:
  void ProcessCommandLine();

  CommandLine m_cmd;
  bool m_bRunning = false;
  std::unique_ptr<QLockFile> m_hInstanceMutex;
  CMainFrame* m_pFrame = nullptr;
  CNarvoDoc* m_pDoc = nullptr;
};

// The registry profile under the company key "Morivane".
std::unique_ptr<QSettings> OpenProfile();

// The one application object (set while it exists).
CNarvoApp* TheApp();

// The actions bound to the program's own operations.
StartupActions DefaultStartupActions();

// The help page's file: "<program folder>help/index.html" when it exists, else
// the built-in copy written into the data folder. Empty when neither works.
std::u16string HelpPagePath();
