#include "settings/sasite_dlg_qt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/dialog_runner_qt.h"

CSasiteDlg::CSasiteDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("指し手入力"));
  auto* layout = new QVBoxLayout(this);
  m_pEdit = new QLineEdit(this);
  layout->addWidget(m_pEdit);
  layout->addWidget(new QLabel(QStringLiteral("例：7677, 45KA"), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool CSasiteDlg::Run() {
  m_pEdit->setText(QString::fromStdU16String(m_strMove));
  m_pEdit->selectAll();
  m_pEdit->setFocus();
  if (RunModalDialog(*this) != QDialog::Accepted) return false;
  m_strMove = m_pEdit->text().toStdU16String();
  return true;
}
