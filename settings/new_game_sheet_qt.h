// The new-game sheet "新規対局": the players page (handicap, names, short
// names), the record-information page and the user-information page.
#pragma once
#include <string>

#include "settings/data_exchange_qt.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class CNarvoView;
struct NewGameValues;

class CPlayNewPage : public CPropertyPage {
  Q_OBJECT
public:
  explicit CPlayNewPage(QWidget* parent = nullptr);
  QComboBox* m_cmbFirst;
  QComboBox* m_cmbSecond;
  int m_nHandicap = -1;
  std::u16string m_strFirstLabel, m_strSecondLabel;
  std::u16string m_strFirstName, m_strSecondName;
  int m_bUndecided = 0;
  std::u16string m_strFirstShort, m_strSecondShort;

  QComboBox* HandicapCombo() const { return handicap_; }
  QLabel* FirstLabel() const { return label1_; }
  QLabel* SecondLabel() const { return label2_; }
  QLineEdit* FirstShortEdit() const { return short1_; }
  QLineEdit* SecondShortEdit() const { return short2_; }

  // Both name lists: the player history (by 対局者履歴), then the player list
  // file. 0, or -1 when no list file could be read.
  int FillPlayerLists();
  void OnSelchangeHandicap();
  void OnOK() override;

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;

private:
  QComboBox* handicap_;
  QLabel* label1_;
  QLabel* label2_;
  QLineEdit* short1_;
  QLineEdit* short2_;
};

class CDovuInfoPage : public CPropertyPage {
  Q_OBJECT
public:
  enum Item { kStartDate, kTitle, kEvent, kOpening, kTimeLimit, kPlace, kPublication, kItemCount };
  explicit CDovuInfoPage(QWidget* parent = nullptr);
  QComboBox* Combo(int item) const { return combo_[item]; }
  QPushButton* DateButton() const { return dateButton_; }
  void PickDate();
  void OnOK() override;
  // The texts as the page was left (empty when it was never shown).
  std::u16string m_strItem[kItemCount];

protected:
  void OnInitDialog() override;

private:
  QComboBox* combo_[kItemCount];
  QPushButton* dateButton_;
};

class CUserInfoPg : public CPropertyPage {
  Q_OBJECT
public:
  explicit CUserInfoPg(QWidget* parent = nullptr);
  QComboBox* Combo(int i) const { return combo_[i]; }
  QLabel* Label(int i) const { return label_[i]; }
  void OnOK() override;
  std::u16string m_strItem[5];

protected:
  void OnInitDialog() override;

private:
  QLabel* label_[5];
  QComboBox* combo_[5];
};

// Runs the sheet with the players page filled from the values; on OK the
// values as the pages were left and true.
bool RunNewGameSheet(CNarvoView* view, NewGameValues& values);
