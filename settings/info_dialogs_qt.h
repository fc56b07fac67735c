// The record-information dialogs: "対局情報" for the items of a game and
// "詰将棋情報" for those of a mate problem. They edit copies of the header's
// texts; the commands write them back after OK with an undo point.
#pragma once
#include <QDialog>

#include <string>

class CNarvoView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct HistoryList;
struct RecordHeader;

constexpr int kInfoItemMaxChars = 100;

// The combo items of the game dialog, in dialog order.
enum GameInfoItem {
  kGiStartDate, kGiTitle, kGiEvent, kGiOpening, kGiTimeLimit, kGiTimeUsed, kGiPlace,
  kGiPublication, kGiUser1, kGiUser2, kGiUser3, kGiUser4, kGiUser5, kGameInfoItemCount
};

class CEdtInfoDlg : public QDialog {
  Q_OBJECT
public:
  CEdtInfoDlg(const RecordHeader& header, QWidget* parent);
  // The texts after OK (cut to 100 characters); the end date apart.
  std::u16string m_strItem[kGameInfoItemCount];
  std::u16string m_strEndDate;

  QComboBox* Combo(int item) const { return combo_[item]; }
  QLabel* Label(int item) const { return label_[item]; }
  QLineEdit* EndDateEdit() const { return endDate_; }
  QPushButton* DateButton() const { return dateButton_; }
  QPushButton* AutoTimeButton() const { return autoTime_; }
  // The label's click: its list file in the user's editor.
  void ClickLabel(int item);
  void accept() override;
  // Fills the consumed time from the record's main line.
  void AutoSetConsumedTime();

private:
  void PickDate();
  QComboBox* combo_[kGameInfoItemCount];
  QLabel* label_[kGameInfoItemCount];
  std::u16string opening_[kGameInfoItemCount];
  QLineEdit* endDate_;
  QPushButton* dateButton_;
  QPushButton* autoTime_;
};

// The items of the problem dialog, in dialog order.
enum ProblemInfoItem {
  kPiNumber, kPiName, kPiAuthor, kPiMagazine, kPiPublished, kPiSource, kPiMoveCount,
  kPiSoundness, kPiCategory, kPiPrize, kPiRemarks, kProblemInfoItemCount
};

class CTumeInfoDlg : public QDialog {
  Q_OBJECT
public:
  CTumeInfoDlg(const RecordHeader& header, QWidget* parent);
  std::u16string m_strItem[kProblemInfoItemCount];
  QComboBox* Combo(int item) const { return combo_[item]; }
  void accept() override;

private:
  QComboBox* combo_[kProblemInfoItemCount];
  std::u16string opening_[kProblemInfoItemCount];
};

// The game information after OK: undo point "棋譜情報の編集", the header,
// the modified states, the title and panel, then the date and time warnings.
void EditGameInfo(CNarvoView* view);
// The same for the mate-problem items ("詰将棋情報の編集"), without checks.
void EditProblemInfo(CNarvoView* view);
