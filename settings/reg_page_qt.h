// The page "初期" of the settings sheet: two one-shot actions, the file
// associations and the desktop launcher, done at once when pressed and kept
// whatever the sheet's OK or Cancel.
#pragma once
#include "settings/data_exchange_qt.h"

class QPushButton;

class CRegPage : public CPropertyPage {
  Q_OBJECT
public:
  CRegPage();
  QPushButton* RegisterButton() const { return register_; }
  QPushButton* ShortcutButton() const { return shortcut_; }

private:
  QPushButton* register_;
  QPushButton* shortcut_;
};
