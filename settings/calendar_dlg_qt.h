// The date picker "日付の入力" of the start date.
#pragma once
#include <QDate>
#include <QDialog>

#include <string>
#include <string_view>

class QCalendarWidget;

class CCalendarDlg : public QDialog {
  Q_OBJECT
public:
  // Opens on `select` (today when it is not a valid date).
  CCalendarDlg(const QDate& select, QWidget* parent);
  QDate m_date;  // the date chosen, after OK
  QCalendarWidget* Calendar() const { return calendar_; }
  void accept() override;

private:
  QCalendarWidget* calendar_;
};

// The date a start-date text names as "y/m/d" (leading numbers, as typed);
// an invalid QDate when it does not read as three numbers or they make no
// date from 1753 to 9999.
QDate ReadStartDate(std::u16string_view text);
// "2024/03/10(日)".
std::u16string FormatStartDate(const QDate& date);
// Runs the picker from the date in `text`; on OK replaces text with the
// chosen date and returns true.
bool PickStartDate(std::u16string& text, QWidget* parent);
