// The few effects the program's logic has on the user: message boxes, the
// status line, sounds. The application installs its Qt implementation; tests
// install a recorder. With none installed, boxes answer their default.
#pragma once
#include <string>

// Message box kinds and answers, numbered like the classic message-box API so
// callers read naturally.
enum MessageBoxFlags {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbYesNoCancel = 0x3,
  kMbYesNo = 0x4,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
  kMbDefButton2 = 0x100,
};
enum MessageBoxAnswer { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class UiPort {
public:
  virtual ~UiPort() = default;
  // Shows a modal box; caption empty means the product title.
  virtual int MessageBox(const std::u16string& text, const std::u16string& caption, int flags) = 0;
  // One line in the status bar.
  virtual void SetStatusText(const std::u16string& text) = 0;
  // The warning sound (only when the setting 警告音 is on; callers need not check).
  virtual void PlayWarningSound() = 0;
};

// The installed port (never null: a silent default stands in).
UiPort& Ui();
// Installs a port; nullptr puts the silent default back. Returns the previous one.
UiPort* SetUi(UiPort* port);

// Shortcuts used throughout the logic.
int ShowMessage(const std::u16string& text, int flags = kMbOk | kMbIconError,
                const std::u16string& caption = std::u16string());
void ShowStatus(const std::u16string& text);
