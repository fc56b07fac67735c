// The user-interface port on Qt: message boxes over the main window, the
// status line of the main frame, the warning sound.
#pragma once
#include "record/ui_port.h"

class QtUi : public UiPort {
public:
  int MessageBox(const std::u16string& text, const std::u16string& caption, int flags) override;
  void SetStatusText(const std::u16string& text) override;
  void PlayWarningSound() override;
};

// Installs the one Qt port (idempotent).
void InstallQtUi();
// Qt's own dialogs (file, colour, font, print, message-box buttons) speak
// Japanese, whatever the system's locale: loads Qt's Japanese translation.
// False when it is not installed.
bool InstallJapaneseQtTranslation();
