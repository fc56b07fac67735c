#include "settings/dialog_runner_qt.h"

#include "app/main_frame.h"

namespace {
DialogScript& Script() {
  static DialogScript script;
  return script;
}
}  // namespace

DialogScript SetDialogScript(DialogScript script) {
  DialogScript previous = Script();
  Script() = std::move(script);
  return previous;
}

int RunModalDialog(QDialog& dialog) {
  if (!Script()) return dialog.exec();
  dialog.show();
  int result = Script()(dialog);
  dialog.hide();
  return result;
}

QWidget* DialogOwner() { return g_pMainFrame; }
