// The FTP page of the settings sheet: the destination shown in the fields,
// the list of destinations (a selected item is uploaded to), and the
// buttons that add, delete and move them. The page edits g_FtpTable
// directly; the sheet puts the table back on Cancel.
//
// 新規作成 puts one new destination in the table; until OK it follows the
// fields while they show it, and OK keeps it only when it has a server.
#pragma once
#include "settings/data_exchange_qt.h"
#include "settings/ftp_env.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class CFtpPage : public CPropertyPage {
  Q_OBJECT
public:
  CFtpPage();
  // The fields as a destination (what OK adds to the table).
  FtpDestination Fields() const;
  // The fields from the first selected destination of the table (empty when none).
  void LoadFromTable();
  // At the sheet's OK: the new destination kept or dropped, then the fields
  // added (replacing their namesake; a new name without a server is not).
  void StoreIntoTable();

  QLineEdit* name;
  QLineEdit* server;
  QLineEdit* user;
  QLineEdit* password;
  QLineEdit* folder;
  QCheckBox* passive;
  QListWidget* list;
  QPushButton* newButton;
  QPushButton* deleteButton;
  QPushButton* upButton;
  QPushButton* downButton;

  bool OnKillActive() override;

protected:
  void OnInitDialog() override;

private:
  void Fill();
  void UpdateButtons();
  // The row of the only selected item, -1 when none or several are selected.
  int SingleSelectedRow() const;
  void OnSelectionChanged();
  void OnNew();
  // The fields into the new destination while they show it.
  void FollowFields();
  // Keeps the rows of the new and the shown destination after a swap / a delete.
  void FollowSwap(int a, int b);
  void FollowDelete(int row);
  bool filling_ = false;
  bool loading_ = false;
  int newRow_ = -1;    // the destination 新規作成 made, -1 none
  int shownRow_ = -1;  // the destination the fields were loaded from
};
