// The move-entry dialog: one edit for a move typed as text. It only hands the
// text over; the board input reads and plays it.
#pragma once
#include <QDialog>

#include <string>

class QLineEdit;

class CSasiteDlg : public QDialog {
  Q_OBJECT
public:
  explicit CSasiteDlg(QWidget* parent = nullptr);

  std::u16string m_strMove;  // the move text, exchanged with the edit

  // Shows the dialog modally; true on OK with m_strMove taken from the edit.
  bool Run();
  QLineEdit* Edit() const { return m_pEdit; }

private:
  QLineEdit* m_pEdit = nullptr;
};
