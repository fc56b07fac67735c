#include "settings/calendar_dlg_qt.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "record/clock.h"
#include "record/text.h"
#include "settings/dialog_runner_qt.h"

namespace {

QDate Today() {
  const LocalTime now = NowLocal();
  return QDate(now.year, now.month, now.day);
}

}  // namespace

CCalendarDlg::CCalendarDlg(const QDate& select, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf16(u"日付の入力"));
  auto* layout = new QVBoxLayout(this);
  calendar_ = new QCalendarWidget(this);
  calendar_->setGridVisible(true);
  calendar_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  calendar_->setFirstDayOfWeek(Qt::Sunday);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar_->setSelectedDate(select.isValid() ? select : Today());
  layout->addWidget(calendar_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf16(u"キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CCalendarDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCalendarDlg::reject);
  connect(calendar_, &QCalendarWidget::activated, this, &CCalendarDlg::accept);
  layout->addWidget(buttons);
}

void CCalendarDlg::accept() {
  m_date = calendar_->selectedDate();
  QDialog::accept();
}

QDate ReadStartDate(std::u16string_view text) {
  long long n[3];
  if (ScanNumbers(text, u"//", n, 3) != 3 || n[0] < 1753 || n[0] > 9999 || n[1] < 1 || n[1] > 12 ||
      n[2] < 1 || n[2] > 31)
    return QDate();
  return QDate(int(n[0]), int(n[1]), int(n[2]));  // invalid for a day the month lacks
}

std::u16string FormatStartDate(const QDate& date) {
  static const char16_t* const kWeekdays[7] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
  return FormatU16(u"%4d/%02d/%02d(%s)", date.year(), date.month(), date.day(),
                   kWeekdays[date.dayOfWeek() % 7]);
}

bool PickStartDate(std::u16string& text, QWidget* parent) {
  CCalendarDlg dlg(ReadStartDate(text), parent);
  if (RunModalDialog(dlg) != QDialog::Accepted || !dlg.m_date.isValid()) return false;
  text = FormatStartDate(dlg.m_date);
  return true;
}
