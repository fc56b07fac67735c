#include "settings/data_exchange_qt.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTextCursor>
#include <QVariant>

#include <climits>
#include <algorithm>

#include "record/ui_port.h"

using namespace Qt::StringLiterals;

const char16_t kDxIntMessage[] = u"整数を入力してください。";
const char16_t kDxUnsignedMessage[] = u"正の整数を入力してください。";

std::u16string DxRangeMessage(int low, int high) {
  return QString::fromUtf16(u"%1 から %2 までの整数を入力してください。")
      .arg(low)
      .arg(high)
      .toStdU16String();
}

std::u16string DxMaxCharsMessage(int count) {
  return QString::fromUtf16(u"%1 文字以内で入力してください。").arg(count).toStdU16String();
}

bool DxParseInt(const QString& text, int& value) {
  qsizetype i = 0, n = text.size();
  auto blank = [&](qsizetype k) { return k < n && (text[k] == u' ' || text[k] == u'\t'); };
  while (blank(i)) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  long long v = 0;
  qsizetype digits = 0;
  while (i < n && text[i] >= u'0' && text[i] <= u'9') {
    v = v * 10 + (text[i].unicode() - u'0');
    if (v > 1LL + INT_MAX) return false;
    ++i, ++digits;
  }
  while (blank(i)) ++i;
  if (digits == 0 || i != n) return false;
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  value = int(v);
  return true;
}

// ---- SpinEdit --------------------------------------------------------------------

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setAccelerated(false);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::TextChanged);
}

void SpinEdit::SetSpinRange(int low, int high) {
  low_ = low;
  high_ = high;
}

void SpinEdit::SetAcceleration(int first, int later, int afterMs) {
  first_ = first;
  later_ = later;
  afterMs_ = afterMs;
}

QString SpinEdit::Text() const { return lineEdit()->text(); }

void SpinEdit::SetText(const QString& text) { lineEdit()->setText(text); }

int SpinEdit::Current() const {
  int v = low_;
  if (!DxParseInt(Text(), v)) v = low_;
  return v;
}

void SpinEdit::stepBy(int steps) {
  // A run of steps less than half a second apart counts as one held press.
  if (!last_.isValid() || last_.elapsed() > 500) burst_.start();
  last_.start();
  int unit = (afterMs_ > 0 && burst_.elapsed() >= afterMs_) ? later_ : first_;
  long long v = (long long)Current() + (long long)steps * unit;
  if (v < low_) v = low_;
  if (v > high_) v = high_;
  SetText(QString::number(v));
  lineEdit()->selectAll();
}

QValidator::State SpinEdit::validate(QString&, int&) const { return QValidator::Acceptable; }

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
  int v = Current();
  StepEnabled e = StepNone;
  if (v < high_) e |= StepUpEnabled;
  if (v > low_) e |= StepDownEnabled;
  return e;
}

QSize SpinEdit::sizeHint() const {
  QSize s = QAbstractSpinBox::sizeHint();
  s.setWidth(std::max(s.width(), fontMetrics().horizontalAdvance(QString::number(high_)) + 34));
  return s;
}

// ---- DataExchange ----------------------------------------------------------------

namespace {

QLineEdit* LineEditOf(QWidget* control) {
  if (auto* spin = qobject_cast<SpinEdit*>(control)) return spin->Edit();
  if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(control);
}

QString ControlText(QWidget* control) {
  if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->toPlainText();
  if (QLineEdit* edit = LineEditOf(control)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
  return QString();
}

void SetControlText(QWidget* control, const QString& text) {
  if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    plain->setPlainText(shown);
  } else if (QLineEdit* edit = LineEditOf(control)) {
    if (edit->text() != text) edit->setText(text);  // an unchanged text keeps the caret
  }
}

}  // namespace

void DataExchange::Fail(QWidget* control, const std::u16string& message) {
  failed_ = true;
  failedControl_ = control;
  ShowMessage(message, kMbOk | kMbIconWarning);
  if (control) {
    control->setFocus(Qt::OtherFocusReason);
    if (QLineEdit* edit = LineEditOf(control)) edit->selectAll();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) plain->selectAll();
  }
}

bool DataExchange::Number(QWidget* control, int& value, bool isUnsigned, bool ranged, int low,
                          int high) {
  if (failed_) return false;
  if (!save_) {
    SetControlText(control, QString::number(value));
    return true;
  }
  QString text = ControlText(control);
  int v = 0;
  if (!DxParseInt(text, v) || (isUnsigned && (v < 0 || text.trimmed().startsWith(u'-')))) {
    Fail(control, isUnsigned ? kDxUnsignedMessage : kDxIntMessage);
    return false;
  }
  value = v;
  if (ranged && (v < low || v > high)) {
    Fail(control, DxRangeMessage(low, high));
    return false;
  }
  return true;
}

void DataExchange::Int(QWidget* control, int& value) { Number(control, value, false, false, 0, 0); }
void DataExchange::Unsigned(QWidget* control, int& value) { Number(control, value, true, false, 0, 0); }
void DataExchange::IntRange(QWidget* control, int& value, int low, int high) {
  Number(control, value, false, true, low, high);
}
void DataExchange::UnsignedRange(QWidget* control, int& value, int low, int high) {
  Number(control, value, true, true, low, high);
}

namespace {

// What a text control holds as the stored value counts it: a line break of a
// multi-line edit is stored as CR LF, two characters.
qsizetype StoredLength(const QString& text, bool multiline) {
  return text.size() + (multiline ? text.count(u'\n') : 0);
}

// The control takes no more than limit characters as typed or pasted (a
// value already longer when loaded is kept whole, for the check on OK to
// report rather than cut silently).
void LimitTyping(QWidget* control, qsizetype limit) {
  if (auto* line = qobject_cast<QLineEdit*>(control)) {
    line->setMaxLength(int(std::max(limit, line->text().size())));
    return;
  }
  auto* edit = qobject_cast<QPlainTextEdit*>(control);
  if (!edit) return;
  const qsizetype allowed = std::max(limit, StoredLength(edit->toPlainText(), true));
  edit->setProperty("narvoMaxChars", QVariant::fromValue(allowed));
  if (edit->property("narvoLimited").toBool()) return;
  edit->setProperty("narvoLimited", true);
  QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit] {
    const qsizetype max = edit->property("narvoMaxChars").value<qsizetype>();
    const QString text = edit->toPlainText();
    if (StoredLength(text, true) <= max) return;
    // Cut from the end of what was typed: keep the first max stored characters.
    qsizetype keep = 0, stored = 0;
    while (keep < text.size() && stored + (text[keep] == u'\n' ? 2 : 1) <= max) stored += text[keep++] == u'\n' ? 2 : 1;
    QTextCursor c(edit->document());
    c.setPosition(int(keep));
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.removeSelectedText();
  });
}

}  // namespace

void DataExchange::Text(QWidget* control, std::u16string& value, int maxChars) {
  if (failed_) return;
  if (!save_) {
    SetControlText(control, QString::fromStdU16String(value));
    if (maxChars >= 0) LimitTyping(control, maxChars);
    return;
  }
  QString text = ControlText(control);
  qsizetype length = text.size();
  if (qobject_cast<QPlainTextEdit*>(control)) {
    length += text.count(u'\n');  // each break is stored as CR LF
    text.replace(u"\n"_s, u"\r\n"_s);
  }
  value = text.toStdU16String();
  if (maxChars >= 0 && length > maxChars) Fail(control, DxMaxCharsMessage(maxChars));
}

void DataExchange::Check(QAbstractButton* box, int& value) {
  if (failed_) return;
  if (save_)
    value = box->isChecked() ? 1 : 0;
  else
    box->setChecked(value != 0);
}

void DataExchange::Radio(QButtonGroup* group, int& value) {
  if (failed_) return;
  if (save_) {
    value = group->checkedId();
    return;
  }
  QAbstractButton* button = group->button(value);
  if (button) {
    button->setChecked(true);
  } else if (QAbstractButton* checked = group->checkedButton()) {
    // None of the group is to be selected.
    bool exclusive = group->exclusive();
    group->setExclusive(false);
    checked->setChecked(false);
    group->setExclusive(exclusive);
  }
}

void DataExchange::ComboIndex(QComboBox* combo, int& value) {
  if (failed_) return;
  if (save_)
    value = combo->currentIndex();
  else
    combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
}

// ---- CPropertyPage ---------------------------------------------------------------

bool CPropertyPage::UpdateData(bool save) {
  DataExchange dx(save);
  DoDataExchange(dx);
  return !dx.Failed();
}

void CPropertyPage::Activate() {
  if (!initialised_) {
    initialised_ = true;
    OnInitDialog();
  }
  OnSetActive();
  activatedOnce_ = true;
}

void CPropertyPage::OnSetActive() {
  if (activatedOnce_) UpdateData(false);
}

// ---- CDataDialog -----------------------------------------------------------------

CDataDialog::CDataDialog(QWidget* parent) : QDialog(parent) {}

bool CDataDialog::UpdateData(bool save) {
  DataExchange dx(save);
  DoDataExchange(dx);
  return !dx.Failed();
}

void CDataDialog::InitDialog() {
  if (initialised_) return;
  initialised_ = true;
  OnInitDialog();
}

void CDataDialog::showEvent(QShowEvent* event) {
  InitDialog();
  QDialog::showEvent(event);
}

void CDataDialog::accept() {
  if (!UpdateData(true)) return;
  QDialog::accept();
}
