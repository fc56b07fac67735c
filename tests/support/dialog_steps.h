// Works the program's next modal dialogs by a list of steps, one per dialog
// in the order they open (a dialog opened from another's step takes the next
// step); a dialog with no step left is cancelled. Also files in the program
// folder, where the name lists live.
#pragma once
#include <QDialog>
#include <QFile>

#include <functional>
#include <string>
#include <vector>

#include "settings/dialog_runner_qt.h"
#include "settings/folders.h"

class DialogSteps {
public:
  using Step = std::function<int(QDialog&)>;
  ~DialogSteps() { SetDialogScript(nullptr); }
  void Script(std::vector<Step> steps) {
    steps_ = std::move(steps);
    SetDialogScript([this](QDialog& d) {
      ++opened;
      if (steps_.empty()) return int(QDialog::Rejected);
      Step step = steps_.front();
      steps_.erase(steps_.begin());
      return step(d);
    });
  }
  static int Ok(QDialog& d) {
    d.accept();
    return d.result();
  }
  static int Cancel(QDialog& d) {
    d.reject();
    return d.result();
  }
  int opened = 0;  // dialogs run since the fixture began

private:
  std::vector<Step> steps_;
};

// The bytes of a file in the program folder, "<missing>" when it cannot be read.
inline std::string ProgramFileBytes(const std::u16string& name) {
  QFile f(QString::fromStdU16String(g_szProgramFolder + name));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}
inline bool WriteProgramFile(const std::u16string& name, const std::string& bytes) {
  QFile f(QString::fromStdU16String(g_szProgramFolder + name));
  return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}
