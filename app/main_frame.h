// The program's one top-level window: menu bar, the two toolbars, the status
// line and the print-preview bar, the caption, dropped files, full screen,
// print preview, and at the end the stored placements and the settings file.
#pragma once
#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "app/command_table.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QDockWidget;
class QLabel;
class QMenu;
class QSpinBox;
class QToolBar;
class CNarvoView;
struct WindowPlacement;

// ---- Caption ----------------------------------------------------------------

struct MainTitleState {
  int appMode = 4;
  std::u16string recordFileName;  // g_szRecordFileName
  std::u16string recordTitle;     // g_szRecordTitle
  int changeCount = 0;
  int appendMode = 1;
  bool cmdLineEnv = false;  // the settings file was named on the command line
  std::u16string envName;
};
std::u16string BuildMainTitle(const MainTitleState& s);
// Rebuilds the main window's caption from the program state (nothing while
// there is no main window). The only place the caption is set.
void UpdateMainTitle();

// ---- Placement --------------------------------------------------------------

// The registry profile's "Window size" values.
struct StoredPlacement {
  QRect rect;  // normal placement: left, top, right + 1, bottom + 1 as stored
  bool hasRect = false;
  bool icon = false;
  bool max = false;
};
// "%04d %04d %04d %04d" of left, top, right, bottom.
std::u16string FormatPlacementRect(const QRect& r);
// The four numbers back; false when there are not four.
bool ParsePlacementRect(const std::u16string& text, QRect& r);

// Where the main window opens, from the stored placement, the setting
// "ウィンドウ", the command-line positions, the copy's offset and the desktop.
struct PlacementInput {
  StoredPlacement stored;
  bool defaultSettings = false;
  QRect defaultRect;   // left 5, top 5 and the board's size
  QPoint settingPos;   // X and Y of "ウィンドウ"
  bool cmdX = false, cmdY = false;
  int cmdXValue = 0, cmdYValue = 0;
  int instanceOffset = 0;
  QRect desktop;
};
QRect ComputeInitialPlacement(const PlacementInput& in);

// The trim rectangle edits of the preview bar: 0 left, 1 top, 2 right,
// 3 bottom (the order of g_rcImageTrim). Stores the value and returns true, or
// returns false when the rectangle would be narrower or lower than 10 pixels.
bool ApplyTrimEdit(int rect[4], int edge, int value);

// A dropped file: refused during a game or print preview; a changed record is
// offered for saving first; open loads it (0 on success). The status line
// names the file only when it was loaded. Returns open's result, or -1 when
// the drop was refused or cancelled.
int HandleDroppedFile(const std::u16string& path,
                      const std::function<int(const std::u16string&)>& open);

// ---- Frames ------------------------------------------------------------------

// Keeps the main window's placement in the registry profile ("Window size").
class CPersistentFrame : public QMainWindow {
  Q_OBJECT
public:
  explicit CPersistentFrame(QWidget* parent = nullptr);

  // First call: places and shows the window from the stored placement; later
  // calls only show and raise it.
  void ActivateFrame();
  // Stores the placement under "Window size".
  void SavePlacement();

protected:
  virtual QRect DefaultPlacement() const;
  // After each ActivateFrame's show: windows that wait for the frame follow.
  virtual void OnShown() {}
  bool m_bFirstActivation = true;
};

class CMainFrame : public CPersistentFrame {
  Q_OBJECT
public:
  CMainFrame();
  ~CMainFrame() override;

  CNarvoView* View() const { return m_pView; }
  QToolBar* StandardToolbar() const { return m_pToolbar; }
  QToolBar* ReplayToolbar() const { return m_pReplayBar; }
  QDockWidget* PreviewBar();
  QAction* ActionFor(int id) const;

  // Evaluates every command's rule and applies it to its action. Runs when a
  // menu opens and whenever the event loop falls idle.
  void UpdateCommandUi();
  void CaptureBarState(CommandState& s) const;

  void OnApplicationLook(int id);
  void EnterPrintPreview();
  void LeavePrintPreview();
  void OnFullScreen();
  void ToggleBar(int id);

  // A companion window that follows the frame when it moves and whose stored
  // placement loses the copy's offset at the end.
  void AddCompanionWindow(QWidget* window, WindowPlacement* placement);

  // Stores the placements and writes the settings file; runs once, when the
  // frame closes for good (or is destroyed without closing).
  void OnDestroy();

  // Recent files (10 entries, newest first) in the registry profile.
  static void AddRecentFile(const std::u16string& path);
  static std::vector<std::u16string> RecentFiles();

  // The trim values shown in the preview bar are read again from the settings.
  void RefreshPreviewBar();
  // After a change of the piece set: the size the board needs, at the same
  // place (not while maximised or in full screen).
  void FitToBoard();
  // The one pane of the status bar.
  void SetStatusText(const QString& text);
  QString StatusText() const;

protected:
  void closeEvent(QCloseEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  QRect DefaultPlacement() const override;

protected:
  void OnShown() override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  // The companion windows waiting for the frame's first paint appear.
  void ShowCompanions();
  void BuildMenusAndBars();
  void BuildPreviewBar();
  void FillRecentFilesMenu(QMenu* menu);
  void OnTrimEdit(int edge, int value);
  void OnTrimToggled(bool on);
  QMenu* MenuForPath(const std::u16string& path);

  CNarvoView* m_pView = nullptr;
  QToolBar* m_pToolbar = nullptr;
  QToolBar* m_pReplayBar = nullptr;
  QToolBar* m_pFullScreenBar = nullptr;
  QLabel* m_pStatusPane = nullptr;
  QDockWidget* m_pPreviewBar = nullptr;
  QCheckBox* m_pTrimCheck = nullptr;
  QSpinBox* m_pTrimEdit[4] = {};
  bool m_bPreviewBarReady = false;
  bool m_bFramePainted = false;
  bool m_bCompanionsWaiting = false;
  bool m_bUpdatingPreviewBar = false;
  bool m_bDestroyed = false;
  bool m_bWasToolbarShown = true, m_bWasReplayBarShown = true;
  bool m_bWasMoveListShown = false;
  bool m_bWasMaximized = false;
  QPoint m_ptLastPos;
  std::vector<std::pair<QString, QMenu*>> m_menus;
  std::vector<std::pair<int, QAction*>> m_actions;
  std::vector<std::pair<QString, QActionGroup*>> m_radioGroups;
  struct Companion {
    QWidget* window;
    WindowPlacement* placement;
  };
  std::vector<Companion> m_companions;
};

extern CMainFrame* g_pMainFrame;
extern int g_bFullScreen;
extern int g_nPreviewPrevMode;
