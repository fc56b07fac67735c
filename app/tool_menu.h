// The user's five tools on the tool menu: the dialog that edits them and the
// start of one with the current file and move number as arguments.
#pragma once
#include <QDialog>
#include <QStringList>

#include <string>
#include <string_view>

#include "settings/env.h"

class QComboBox;
class QLineEdit;

// The codes of a tool argument: %K the current file, %N the move number, %D
// the program folder with its "/", %% a "%"; any other "%" stays as written.
std::u16string ExpandToolCodes(std::u16string_view text);
// The argument template split as a command line splits (blanks separate,
// double quotes group), then the codes expanded inside each argument, so a
// path is one argument whatever it holds.
QStringList BuildToolArguments(std::u16string_view argumentTemplate);

// "ツールメニュー設定": a working copy of the five entries, every keystroke kept.
class CToolMenuDlg : public QDialog {
  Q_OBJECT
public:
  explicit CToolMenuDlg(QWidget* parent);
  std::u16string m_szMenu[kToolEntryCount];
  std::u16string m_szCommand[kToolEntryCount];
  std::u16string m_szArgs[kToolEntryCount];
  int m_nEntry = 0;

  QComboBox* EntryCombo() const { return entry_; }
  QLineEdit* MenuEdit() const { return menu_; }
  QLineEdit* CommandEdit() const { return command_; }
  QLineEdit* ArgsEdit() const { return args_; }
  // The browse button's work: the file dialog, the program field set on OK.
  void Browse();

  // OK: the texts are cut to their capacity first.
  void accept() override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void LoadEntry();
  QComboBox* entry_;
  QLineEdit* menu_;
  QLineEdit* command_;
  QLineEdit* args_;
  bool loading_ = false;
};

void EditToolMenu();
// 0 started, -1 failed (beep and a message).
int RunToolMenu(int entry);
