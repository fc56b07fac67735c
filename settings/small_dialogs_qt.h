// The small record dialogs: a move's consumed time, the move number to jump
// to, the entering-king points and the player names.
#pragma once
#include <QDialog>

#include <string>

#include "settings/data_exchange_qt.h"

class CNarvoView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "消費時間の編集": minutes 0..1000 and seconds 0..60.
class CTimeDlg : public CDataDialog {
  Q_OBJECT
public:
  CTimeDlg(const std::u16string& title, QWidget* parent);
  int m_nMinutes = 0;
  int m_nSeconds = 0;
  QLabel* TitleLabel() const { return title_; }
  SpinEdit* MinutesEdit() const { return minutes_; }
  SpinEdit* SecondsEdit() const { return seconds_; }

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  QLabel* title_;
  SpinEdit* minutes_;
  SpinEdit* seconds_;
};

// The seconds of the node at that move number on the current line (0 the
// start position) in CTimeDlg; OK saves the undo point "消費時間の編集".
void EditConsumedTime(CNarvoView* view, int moveNumber);

// "指定手数へ": the move number, arrows from 0 to the line's length (at most 1600).
class CJumpDlg : public CDataDialog {
  Q_OBJECT
public:
  CJumpDlg(int moveNumber, QWidget* parent);
  int m_nMoveNumber;
  SpinEdit* NumberEdit() const { return number_; }

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  SpinEdit* number_;
};
// Runs CJumpDlg from `current`: true on OK with the number typed.
bool AskMoveNumberByDialog(int current, int& number);

// "持将棋の点数計算": the points of both sides, OK only.
class CJishogiDlg : public QDialog {
  Q_OBJECT
public:
  explicit CJishogiDlg(QWidget* parent);
  QPlainTextEdit* TextEdit() const { return text_; }

private:
  QPlainTextEdit* text_;
};
void RunJishogiDialog(CNarvoView* view);

constexpr int kPlayerNameMaxChars = 79;
constexpr int kShortNameMaxChars = 8;

// "対局者名変更": the two names with their history and list, the two short names.
class CPlayerProDlg : public CDataDialog {
  Q_OBJECT
public:
  CPlayerProDlg(const std::u16string& firstLabel, const std::u16string& secondLabel,
                QWidget* parent);
  std::u16string m_strFirstName, m_strSecondName;            // names: at most 79 after OK
  std::u16string m_strFirstShortName, m_strSecondShortName;  // at most 8
  int m_bUndecided = 0;
  QComboBox* FirstCombo() const { return first_; }
  QComboBox* SecondCombo() const { return second_; }
  QLineEdit* FirstShortEdit() const { return firstShort_; }
  QLineEdit* SecondShortEdit() const { return secondShort_; }
  QPushButton* SwapButton() const { return swap_; }
  QCheckBox* UndecidedCheck() const { return undecided_; }
  void accept() override;

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;

private:
  void Swap();
  QComboBox* first_;
  QComboBox* second_;
  QLineEdit* firstShort_;
  QLineEdit* secondShort_;
  QCheckBox* undecided_;
  QPushButton* swap_;
  friend int FillPlayerNameCombos(CPlayerProDlg& dlg);
};
// Both name combos: the players' history, then the lines of "対局者.txt" (or
// "player.txt") it does not hold. -1 when neither list file can be read.
int FillPlayerNameCombos(CPlayerProDlg& dlg);
// The record's two player names into the players' history (when 対局者履歴
// is not 0), the file written when either is not empty.
void AddPlayersToNameLists();
// 対局者名変更: CPlayerProDlg on the record's names; OK stores them with the
// undo point "対局者名変更".
void EditPlayerNames(CNarvoView* view);
