#include "settings/new_game_sheet_qt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/game_play.h"
#include "record/board.h"
#include "record/datetime.h"
#include "record/history.h"
#include "settings/calendar_dlg_qt.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/header_combo_qt.h"
#include "settings/info_dialogs_qt.h"  // kInfoItemMaxChars
#include "settings/pro_sheet_qt.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
std::u16string U(const QString& s) { return s.toStdU16String(); }

constexpr int kNameMaxChars = 79;
constexpr int kShortNameMaxChars = 8;
constexpr int kSideLabelMaxChars = 39;

std::u16string Cut(std::u16string text, int count) {
  if (text.size() > size_t(count)) text.resize(count);
  return text;
}

struct InfoItem {
  const char16_t* label;
  HistoryList* history;
  int* mode;  // nullptr: the history is always loaded and shown
  const char16_t* list;
  const char16_t* fallback;
};

const InfoItem kInfoItems[CDovuInfoPage::kItemCount] = {
    {u"開始日時：", &g_hisStartDate, nullptr, u"", u""},
    {u"表題：", &g_hisTitle, nullptr, u"表題", u""},
    {u"棋戦：", &g_hisEvent, &g_nHistoryModeEvent, u"棋戦", u"kisen"},
    {u"戦型：", &g_hisOpening, &g_nHistoryModeOpening, u"戦型", u"senkei"},
    {u"持ち時間：", &g_hisTimeLimit, &g_nHistoryModeTimeLimit, u"持ち時間", u""},
    {u"場所：", &g_hisPlace, &g_nHistoryModePlace, u"場所", u""},
    {u"掲載：", &g_hisPublication, &g_nHistoryModePublication, u"掲載", u""},
};

HistoryList* const kUserHistories[5] = {&g_hisUser1, &g_hisUser2, &g_hisUser3, &g_hisUser4,
                                        &g_hisUser5};
int* const kUserModes[5] = {&g_nHistoryModeUser, &g_nHistoryModeUser2, &g_nHistoryModeUser3,
                            &g_nHistoryModeUser4, &g_nHistoryModeUser5};

}  // namespace

// ---- CPlayNewPage ----------------------------------------------------------------------

CPlayNewPage::CPlayNewPage(QWidget* parent) : CPropertyPage(parent) {
  auto* grid = new QGridLayout(this);
  handicap_ = new QComboBox(this);
  label1_ = new QLabel(T(u"先手："), this);
  label2_ = new QLabel(T(u"後手："), this);
  m_cmbFirst = MakeHeaderCombo(this);
  m_cmbSecond = MakeHeaderCombo(this);
  short1_ = new QLineEdit(this);
  short2_ = new QLineEdit(this);
  short1_->setMaxLength(kShortNameMaxChars);
  short2_->setMaxLength(kShortNameMaxChars);
  grid->addWidget(new QLabel(T(u"手合割："), this), 0, 0);
  grid->addWidget(handicap_, 0, 1);
  grid->addWidget(new QLabel(T(u"短縮名"), this), 0, 2);
  grid->addWidget(label1_, 1, 0);
  grid->addWidget(m_cmbFirst, 1, 1);
  grid->addWidget(short1_, 1, 2);
  grid->addWidget(label2_, 2, 0);
  grid->addWidget(m_cmbSecond, 2, 1);
  grid->addWidget(short2_, 2, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);
  connect(handicap_, &QComboBox::activated, this, [this] { OnSelchangeHandicap(); });
}

void CPlayNewPage::DoDataExchange(DataExchange& dx) {
  dx.ComboIndex(handicap_, m_nHandicap);
  if (!dx.Save()) {
    label1_->setText(Q(Cut(m_strFirstLabel, kSideLabelMaxChars)));
    label2_->setText(Q(Cut(m_strSecondLabel, kSideLabelMaxChars)));
  }
  dx.Text(short1_, m_strFirstShort, kShortNameMaxChars);
  dx.Text(short2_, m_strSecondShort, kShortNameMaxChars);
}

void CPlayNewPage::OnInitDialog() {
  if (g_nHistoryModePlayers != 0) LoadHistory(g_hisPlayers);
  FillPlayerLists();
  m_cmbFirst->setEditText(Q(m_strFirstName));
  m_cmbSecond->setEditText(Q(m_strSecondName));
  handicap_->clear();
  for (const char16_t* name : g_HandicapNames) handicap_->addItem(T(name));
  CPropertyPage::OnInitDialog();
}

int CPlayNewPage::FillPlayerLists() {
  const int result = FillHeaderCombo(m_cmbFirst, &g_hisPlayers, g_nHistoryModePlayers, u"対局者", u"player");
  m_cmbSecond->clear();
  for (int i = 0; i < m_cmbFirst->count(); ++i) m_cmbSecond->addItem(m_cmbFirst->itemText(i));
  return result;
}

void CPlayNewPage::OnSelchangeHandicap() {
  UpdateData(true);
  const bool handicap = m_nHandicap != 0;
  m_strFirstLabel = handicap ? u"下手：" : u"先手：";
  m_strSecondLabel = handicap ? u"上手：" : u"後手：";
  label1_->setText(Q(m_strFirstLabel));
  label2_->setText(Q(m_strSecondLabel));
}

void CPlayNewPage::OnOK() {
  UpdateData(true);
  m_strFirstName = Cut(U(m_cmbFirst->currentText()), kNameMaxChars);
  m_strSecondName = Cut(U(m_cmbSecond->currentText()), kNameMaxChars);
}

// ---- CDovuInfoPage -------------------------------------------------------------------------

CDovuInfoPage::CDovuInfoPage(QWidget* parent) : CPropertyPage(parent) {
  auto* grid = new QGridLayout(this);
  for (int item = 0; item < kItemCount; ++item) {
    combo_[item] = MakeHeaderCombo(this);
    grid->addWidget(new QLabel(T(kInfoItems[item].label), this), item, 0);
    grid->addWidget(combo_[item], item, 1);
  }
  dateButton_ = new QPushButton(T(u"▲"), this);
  dateButton_->setAutoDefault(false);
  dateButton_->setToolTip(T(u"日付の入力"));
  connect(dateButton_, &QPushButton::clicked, this, [this] { PickDate(); });
  grid->addWidget(dateButton_, kStartDate, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(kItemCount, 1);
}

void CDovuInfoPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  for (int item = 0; item < kItemCount; ++item) {
    const InfoItem& info = kInfoItems[item];
    const int mode = info.mode ? *info.mode : 1;
    if (mode != 0) LoadHistory(*info.history);
    FillHeaderCombo(combo_[item], info.history, mode, info.list, info.fallback);
  }
  combo_[kStartDate]->setEditText(Q(FormatToday(true) + u" " + FormatNowTime().substr(0, 5)));
}

void CDovuInfoPage::PickDate() {
  std::u16string text = U(combo_[kStartDate]->currentText());
  if (PickStartDate(text, this)) combo_[kStartDate]->setEditText(Q(text));
}

void CDovuInfoPage::OnOK() {
  for (int item = 0; item < kItemCount; ++item)
    m_strItem[item] = Cut(U(combo_[item]->currentText()), kInfoItemMaxChars);
}

// ---- CUserInfoPg ----------------------------------------------------------------------------

CUserInfoPg::CUserInfoPg(QWidget* parent) : CPropertyPage(parent) {
  auto* grid = new QGridLayout(this);
  for (int i = 0; i < 5; ++i) {
    label_[i] = new QLabel(this);
    combo_[i] = MakeHeaderCombo(this);
    grid->addWidget(label_[i], i, 0);
    grid->addWidget(combo_[i], i, 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(5, 1);
}

void CUserInfoPg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  for (int i = 0; i < 5; ++i) {
    const bool named = !g_szUserInfoName[i].empty();
    const int mode = named ? *kUserModes[i] : 0;
    if (mode != 0) LoadHistory(*kUserHistories[i]);
    label_[i]->setText(named ? Q(g_szUserInfoName[i]) + T(u"：") : T(u"（未定義）"));
    combo_[i]->setVisible(named);
    const std::u16string list = u"ユーザ" + std::u16string(1, char16_t(u'1' + i));
    FillHeaderCombo(combo_[i], kUserHistories[i], mode, list, i == 0 ? u"user1" : u"");
  }
}

void CUserInfoPg::OnOK() {
  for (int i = 0; i < 5; ++i)
    m_strItem[i] = combo_[i]->isVisibleTo(this) ? Cut(U(combo_[i]->currentText()), kInfoItemMaxChars)
                                                : std::u16string();
}

// ---- The sheet ---------------------------------------------------------------------------

bool RunNewGameSheet(CNarvoView*, NewGameValues& values) {
  CProSheet sheet(T(u"新規対局"), DialogOwner(), 0);
  sheet.SetNoHelp();
  auto* play = new CPlayNewPage;
  const bool handicap = values.handicap != kHandicapEven;
  play->m_nHandicap = values.handicap;
  play->m_strFirstLabel = handicap ? u"下手：" : u"先手：";
  play->m_strSecondLabel = handicap ? u"上手：" : u"後手：";
  play->m_strFirstName = values.firstPlayer;
  play->m_strSecondName = values.secondPlayer;
  play->m_strFirstShort = values.firstShortName;
  play->m_strSecondShort = values.secondShortName;
  auto* info = new CDovuInfoPage;
  auto* user = new CUserInfoPg;
  sheet.AddPage(play, T(u"対局者名"));
  sheet.AddPage(info, T(u"棋譜情報"));
  sheet.AddPage(user, T(u"ユーザ情報"));
  if (sheet.DoModal() != QDialog::Accepted) return false;
  values.handicap = play->m_nHandicap;
  values.firstPlayer = play->m_strFirstName;
  values.secondPlayer = play->m_strSecondName;
  values.firstShortName = play->m_strFirstShort;
  values.secondShortName = play->m_strSecondShort;
  // A page never opened leaves its items empty.
  values.startTime = info->m_strItem[CDovuInfoPage::kStartDate];
  values.title = info->m_strItem[CDovuInfoPage::kTitle];
  values.event = info->m_strItem[CDovuInfoPage::kEvent];
  values.opening = info->m_strItem[CDovuInfoPage::kOpening];
  values.timeLimit = info->m_strItem[CDovuInfoPage::kTimeLimit];
  values.place = info->m_strItem[CDovuInfoPage::kPlace];
  values.publishedIn = info->m_strItem[CDovuInfoPage::kPublication];
  for (int i = 0; i < 5; ++i) values.userItems[i] = user->m_strItem[i];
  return true;
}
