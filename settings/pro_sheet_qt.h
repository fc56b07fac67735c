// The tabbed sheet of pages with OK, Cancel and Help that serves the
// settings and the new game. A page is checked before another is shown or
// the sheet is closed with OK; a failing page stays active.
#pragma once
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "settings/data_exchange_qt.h"

class QDialogButtonBox;
class QTabWidget;

class CProSheet : public QDialog {
  Q_OBJECT
public:
  CProSheet(const QString& caption, QWidget* parent, int startPage);
  // Pages are added in tab order; the sheet owns them.
  void AddPage(CPropertyPage* page, const QString& caption);
  // Runs the sheet modally (through the runner, see SetSheetRunner):
  // QDialog::Accepted or Rejected. The active page index is then kept in
  // g_nSettingsPage, whichever way the sheet closed.
  int DoModal();

  int PageCount() const;
  CPropertyPage* Page(int index) const;
  int ActiveIndex() const;
  // As a click on the tab: false when the active page refused to be left.
  bool SetActivePage(int index);
  // The buttons.
  void ClickOk();
  void ClickCancel();
  void ClickHelp();
  QTabWidget* Tabs() const { return tabs_; }
  // A sheet other than the settings: no Help button, and its last page is
  // not kept as the settings sheet's.
  void SetNoHelp();

  void done(int result) override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void OnTabChanged(int index);
  void Begin();
  QTabWidget* tabs_;
  QDialogButtonBox* buttons_;
  int startPage_;
  int current_ = -1;
  bool begun_ = false;
  bool settings_ = true;
};

// The help topic of a page index.
int SheetHelpTopic(int pageIndex);
// Opens the help page at a topic ("<page>#<topic>"). The default opens it in
// the desktop's browser; tests install a watcher. Returns the previous one;
// an empty function puts the default back.
using HelpOpenFunction = std::function<bool(int topic)>;
HelpOpenFunction SetHelpOpener(HelpOpenFunction opener);
bool OpenHelpTopic(int topic);

// What runs the sheet once it is set up: exec() unless a test installs its
// own (which drives the sheet and returns its result). Returns the previous
// one; an empty function puts exec() back.
using SheetRunner = std::function<int(CProSheet& sheet)>;
SheetRunner SetSheetRunner(SheetRunner runner);
