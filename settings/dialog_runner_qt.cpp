#include "settings/dialog_runner_qt.h"

#include <QHBoxLayout>
#include <QPushButton>

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

QHBoxLayout* OkCancelRow(QDialog* dlg, bool withCancel) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  auto* ok = new QPushButton(QStringLiteral("OK"), dlg);
  ok->setDefault(true);
  row->addWidget(ok);
  QObject::connect(ok, &QPushButton::clicked, dlg, &QDialog::accept);
  if (withCancel) {
    auto* cancel = new QPushButton(QString::fromUtf16(u"キャンセル"), dlg);
    cancel->setAutoDefault(false);
    row->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, dlg, &QDialog::reject);
  }
  return row;
}
