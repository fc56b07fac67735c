// The FTP page of the settings sheet: the destination shown in the fields,
// the list of destinations (a selected item is uploaded to), and the
// buttons that add, delete and move them. The page edits g_FtpTable
// directly; the sheet puts the table back on Cancel.
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
  bool filling_ = false;
};
