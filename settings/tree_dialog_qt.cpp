#include "settings/tree_dialog_qt.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "settings/dialog_runner_qt.h"
#include "settings/env.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }

// Column widths beyond this would only fill the lines with dashes.
constexpr int kMaxColumnWidth = 20;
constexpr int kMaxDepthLimit = 120;

SpinEdit* Spin(QWidget* parent, int high) {
  auto* spin = new SpinEdit(parent);
  spin->SetSpinRange(1, high);
  return spin;
}

}  // namespace

CDovuTreeDg::CDovuTreeDg(QWidget* parent) : CDataDialog(parent) {
  setWindowTitle(T(u"棋譜変化図の出力"));
  auto* layout = new QVBoxLayout(this);
  auto* depthRow = new QHBoxLayout;
  depthRow->addWidget(new QLabel(T(u"手数"), this));
  depth_ = Spin(this, 100);
  depthRow->addWidget(depth_);
  depthRow->addStretch();
  layout->addLayout(depthRow);

  auto* box = new QGroupBox(T(u"指し手の形式"), this);
  auto* grid = new QGridLayout(box);
  form_ = new QButtonGroup(this);
  auto* full = new QRadioButton(T(u"全角(&Z)"), box);
  auto* half = new QRadioButton(T(u"半角(&H)"), box);
  form_->addButton(full, 0);
  form_->addButton(half, 1);
  fullWidth_ = Spin(box, kMaxColumnWidth);
  halfWidth_ = Spin(box, kMaxColumnWidth);
  grid->addWidget(full, 0, 0);
  grid->addWidget(new QLabel(T(u"長さ"), box), 0, 1);
  grid->addWidget(fullWidth_, 0, 2);
  grid->addWidget(half, 1, 0);
  grid->addWidget(new QLabel(T(u"長さ"), box), 1, 1);
  grid->addWidget(halfWidth_, 1, 2);
  layout->addWidget(box);

  layout->addLayout(OkCancelRow(this));
}

void CDovuTreeDg::DoDataExchange(DataExchange& dx) {
  dx.IntRange(depth_, m_nDepthLimit, 1, kMaxDepthLimit);
  dx.Radio(form_, m_nMoveForm);
  dx.IntRange(fullWidth_, m_nFullWidthColumn, 1, kMaxColumnWidth);
  dx.IntRange(halfWidth_, m_nHalfWidthColumn, 1, kMaxColumnWidth);
}

bool AskVariationTreeLayout() {
  CDovuTreeDg dlg(DialogOwner());
  dlg.m_nDepthLimit = g_nRecordTree1;
  dlg.m_nMoveForm = g_nRecordTree2;
  dlg.m_nFullWidthColumn = g_nRecordTree3;
  dlg.m_nHalfWidthColumn = g_nRecordTree4;
  if (RunModalDialog(dlg) != QDialog::Accepted) return false;
  g_nRecordTree1 = dlg.m_nDepthLimit;
  g_nRecordTree2 = dlg.m_nMoveForm;
  g_nRecordTree3 = dlg.m_nFullWidthColumn;
  g_nRecordTree4 = dlg.m_nHalfWidthColumn;
  return true;
}
