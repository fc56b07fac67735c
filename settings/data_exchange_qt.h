// Explicit transfer between a dialog's members and its controls, with the
// checks every page and dialog makes before its values are taken: each
// field names its control, its member and its check. A failed check shows
// its message (warning icon, product title) through the UI port, focuses the
// control and stops the transfer; the caller keeps the page or dialog open.
#pragma once
#include <QAbstractSpinBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QWidget>

#include <string>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;

// The check messages.
extern const char16_t kDxIntMessage[];       // "整数を入力してください。"
extern const char16_t kDxUnsignedMessage[];  // "正の整数を入力してください。"
std::u16string DxRangeMessage(int low, int high);  // "%1 から %2 までの整数を入力してください。"
std::u16string DxMaxCharsMessage(int count);       // "%1 文字以内で入力してください。"

// Number parsing as the checks do it: blanks around, an optional sign, at
// least one digit, nothing else, within int. false when the text fails.
bool DxParseInt(const QString& text, int& value);

// An edit with up-down arrows. The arrows (buttons, keys, wheel) move the
// number within the spin range, by `first` per step and by `later` once a
// press has been held for `afterMs`; typing is free, and what was typed is
// checked only by the data exchange, so nothing is clamped behind the user's
// back.
class SpinEdit : public QAbstractSpinBox {
  Q_OBJECT
public:
  explicit SpinEdit(QWidget* parent = nullptr);
  void SetSpinRange(int low, int high);
  void SetAcceleration(int first, int later, int afterMs);
  int SpinLow() const { return low_; }
  int SpinHigh() const { return high_; }
  QLineEdit* Edit() const { return lineEdit(); }
  QString Text() const;
  void SetText(const QString& text);

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;
  QSize sizeHint() const override;

signals:
  void TextChanged(const QString& text);

protected:
  StepEnabled stepEnabled() const override;

private:
  int Current() const;
  int low_ = 0, high_ = 100;
  int first_ = 1, later_ = 1, afterMs_ = 0;
  QElapsedTimer burst_, last_;
};

class DataExchange {
public:
  // save: controls → members with the checks; otherwise members → controls.
  explicit DataExchange(bool save) : save_(save) {}
  bool Save() const { return save_; }
  bool Failed() const { return failed_; }
  // The control of the failed check.
  QWidget* FailedControl() const { return failedControl_; }

  // Numbers in a QLineEdit or a SpinEdit.
  void Int(QWidget* control, int& value);
  void Unsigned(QWidget* control, int& value);
  void IntRange(QWidget* control, int& value, int low, int high);
  void UnsignedRange(QWidget* control, int& value, int low, int high);
  // Text of a QLineEdit, an editable QComboBox or a QPlainTextEdit (whose
  // line breaks count two, as the CR LF they become). maxChars < 0: no limit.
  void Text(QWidget* control, std::u16string& value, int maxChars = -1);
  // Check box: 1 ticked, 0 not.
  void Check(QAbstractButton* box, int& value);
  // Radio group: the id of the checked button (ids count from 0), -1 none.
  void Radio(QButtonGroup* group, int& value);
  // Combo list: the selected index, -1 none.
  void ComboIndex(QComboBox* combo, int& value);

private:
  bool Number(QWidget* control, int& value, bool isUnsigned, bool ranged, int low, int high);
  void Fail(QWidget* control, const std::u16string& message);
  bool save_;
  bool failed_ = false;
  QWidget* failedControl_ = nullptr;
};

// A page of a CProSheet. The sheet initialises a page the first time it is
// activated (OnInitDialog), asks it on leaving (OnKillActive) and on OK calls
// OnOK of every page that has been initialised.
class CPropertyPage : public QWidget {
  Q_OBJECT
public:
  explicit CPropertyPage(QWidget* parent = nullptr) : QWidget(parent) {}
  // false when a check failed (its message has been shown).
  bool UpdateData(bool save);
  bool Initialised() const { return initialised_; }

  // Called by the sheet.
  void Activate();
  virtual bool OnKillActive() { return UpdateData(true); }
  virtual void OnOK() {}

protected:
  virtual void DoDataExchange(DataExchange& dx) {}
  // Loads the controls; pages add their set-up after calling it.
  virtual void OnInitDialog() { UpdateData(false); }
  // Every activation after the first reloads the controls.
  virtual void OnSetActive();

private:
  bool initialised_ = false;
  bool activatedOnce_ = false;
};

// A modal dialog on the same exchange: loaded when shown, checked on OK
// (a failed check keeps it open).
class CDataDialog : public QDialog {
  Q_OBJECT
public:
  explicit CDataDialog(QWidget* parent = nullptr);
  bool UpdateData(bool save);
  // Runs OnInitDialog once (showing the dialog does it too).
  void InitDialog();
  void accept() override;

protected:
  virtual void DoDataExchange(DataExchange& dx) {}
  virtual void OnInitDialog() { UpdateData(false); }
  void showEvent(QShowEvent* event) override;

private:
  bool initialised_ = false;
};
