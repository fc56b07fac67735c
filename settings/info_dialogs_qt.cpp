#include "settings/info_dialogs_qt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/history.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/calendar_dlg_qt.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/header_combo_qt.h"
#include "view/info_panel.h"
#include "view/narvo_view.h"
#include "view/view_commands.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
std::u16string U(const QString& s) { return s.toStdU16String(); }

// A label that opens something when clicked.
class ClickableLabel : public QLabel {
public:
  ClickableLabel(const QString& text, std::function<void()> onClick, QWidget* parent)
      : QLabel(text, parent), onClick_(std::move(onClick)) {
    setCursor(Qt::PointingHandCursor);
  }

protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
      onClick_();
    QLabel::mouseReleaseEvent(event);
  }

private:
  std::function<void()> onClick_;
};

struct GameItemInfo {
  const char16_t* label;      // nullptr: a user item, named by the settings
  HistoryList* history;       // nullptr: none
  int* mode;                  // nullptr: the history is always loaded and shown
  const char16_t* list;       // name-list file ("" the start date: none)
  const char16_t* fallback;   // tried when list cannot be read
  const char16_t* editList;   // the label's click; nullptr: not clickable
  const char16_t* editFallback;
};

const GameItemInfo kGameItems[kGameInfoItemCount] = {
    {u"開始日時：", &g_hisStartDate, nullptr, u"", u"", nullptr, nullptr},
    {u"表題：", &g_hisTitle, nullptr, u"表題", u"", u"表題", u"subj"},
    {u"棋戦：", &g_hisEvent, &g_nHistoryModeEvent, u"棋戦", u"kisen", u"棋戦", u"kisen"},
    {u"戦型：", &g_hisOpening, &g_nHistoryModeOpening, u"戦型", u"senkei", u"戦型", u"senkei"},
    {u"持ち時間：", &g_hisTimeLimit, &g_nHistoryModeTimeLimit, u"持ち時間", u"", u"持ち時間", u""},
    {u"消費時間：", nullptr, nullptr, u"消費時間", u"", nullptr, nullptr},
    {u"場所：", &g_hisPlace, &g_nHistoryModePlace, u"場所", u"", u"場所", u""},
    {u"掲載：", &g_hisPublication, &g_nHistoryModePublication, u"掲載", u"", u"掲載", u""},
    {nullptr, &g_hisUser1, &g_nHistoryModeUser, u"ユーザ1", u"user1", u"ユーザ1", u"user1"},
    {nullptr, &g_hisUser2, &g_nHistoryModeUser2, u"ユーザ2", u"user2", u"ユーザ2", u"user2"},
    {nullptr, &g_hisUser3, &g_nHistoryModeUser3, u"ユーザ3", u"user3", u"ユーザ3", u"user3"},
    {nullptr, &g_hisUser4, &g_nHistoryModeUser4, u"ユーザ4", u"user4", u"ユーザ4", u"user4"},
    {nullptr, &g_hisUser5, &g_nHistoryModeUser5, u"ユーザ5", u"user5", u"ユーザ5", u"user5"},
};

bool IsUserItem(int item) { return item >= kGiUser1; }
int HistoryMode(int item) { return kGameItems[item].mode ? *kGameItems[item].mode : 1; }

std::u16string& GameField(RecordHeader& h, int item) {
  switch (item) {
    case kGiStartDate: return h.startTime;
    case kGiTitle: return h.title;
    case kGiEvent: return h.event;
    case kGiOpening: return h.opening;
    case kGiTimeLimit: return h.timeLimit;
    case kGiTimeUsed: return h.timeUsed;
    case kGiPlace: return h.place;
    case kGiPublication: return h.publishedIn;
    default: return h.userItems[item - kGiUser1];
  }
}

struct ProblemItemInfo {
  const char16_t* label;
  std::u16string RecordHeader::*field;
  HistoryList* history;
  bool keepsHistory;  // OK adds a changed text to the history
};

const ProblemItemInfo kProblemItems[kProblemInfoItemCount] = {
    {u"作品番号：", &RecordHeader::problemNumber, &g_hisWorkNumber, true},
    {u"作品名：", &RecordHeader::problemName, &g_hisWorkTitle, false},
    {u"作者：", &RecordHeader::author, &g_hisAuthor, true},
    {u"発表誌：", &RecordHeader::magazine, &g_hisMagazine, true},
    {u"発表年月：", &RecordHeader::publishedDate, &g_hisPublishedDate, true},
    {u"出典：", &RecordHeader::source, &g_hisSource, true},
    {u"手数：", &RecordHeader::moveCount, &g_hisMoveCount, false},
    {u"完全性：", &RecordHeader::completeness, &g_hisSoundness, true},
    {u"分類：", &RecordHeader::category, &g_hisCategory, true},
    {u"受賞：", &RecordHeader::award, &g_hisPrize, true},
    {u"備考：", &RecordHeader::notes, &g_hisRemarks, false},
};

// A changed, non-empty text goes to the front of its history, and the file is written.
void RememberText(const std::u16string& text, const std::u16string& opening, HistoryList& history) {
  if (text.empty() || text == opening) return;
  AddHistoryItem(text, history);
  SaveHistory(history);
}

void CutToItemLength(std::u16string& text) {
  if (text.size() > size_t(kInfoItemMaxChars)) text.resize(kInfoItemMaxChars);
}

// After either dialog's OK: the record counts as changed and is shown again.
void ShowEditedHeader(CNarvoView* view) {
  g_Record.changeCount = 1;
  if (g_pDocument) g_pDocument->SetModifiedFlag(true);
  UpdateMainTitle();
  if (g_AppMode == kModePreview) {
    if (view) view->InvalidateAll();
  } else {
    DrawInfoPanel(view);
  }
}

void Warn(const char16_t* text) { ShowMessage(text, kMbOk | kMbIconWarning, g_szAppTitle); }

}  // namespace

// ---- CEdtInfoDlg -------------------------------------------------------------------------

CEdtInfoDlg::CEdtInfoDlg(const RecordHeader& header, QWidget* parent) : QDialog(parent) {
  setWindowTitle(T(u"対局情報"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  RecordHeader copy = header;
  int row = 0;
  for (int item = 0; item < kGameInfoItemCount; ++item) {
    const GameItemInfo& info = kGameItems[item];
    const bool defined = !IsUserItem(item) || !g_szUserInfoName[item - kGiUser1].empty();
    QString labelText = info.label ? T(info.label)
                        : defined  ? Q(g_szUserInfoName[item - kGiUser1]) + T(u"：")
                                   : T(u"（未定義）");
    if (info.editList) {
      label_[item] = new ClickableLabel(labelText, [this, item] { ClickLabel(item); }, this);
      label_[item]->setToolTip(Q(std::u16string(info.editList) + u".txtの編集"));
    } else {
      label_[item] = new QLabel(labelText, this);
    }
    combo_[item] = MakeHeaderCombo(this);
    // Histories the dialog shows are read afresh from their files.
    if (info.history && HistoryMode(item) != 0 && defined) LoadHistory(*info.history);
    FillHeaderCombo(combo_[item], info.history, info.history && defined ? HistoryMode(item) : 0,
                    info.list, info.fallback);
    opening_[item] = GameField(copy, item);
    combo_[item]->setEditText(Q(opening_[item]));
    grid->addWidget(label_[item], row, 0);
    grid->addWidget(combo_[item], row, 1);
    if (!defined) combo_[item]->hide();
    if (item == kGiStartDate) {
      dateButton_ = new QPushButton(T(u"▲"), this);
      dateButton_->setAutoDefault(false);
      dateButton_->setToolTip(T(u"日付の入力"));
      connect(dateButton_, &QPushButton::clicked, this, [this] { PickDate(); });
      grid->addWidget(dateButton_, row, 2);
      ++row;
      grid->addWidget(new QLabel(T(u"終了日時："), this), row, 0);
      endDate_ = new QLineEdit(this);
      endDate_->setMaxLength(kInfoItemMaxChars);
      endDate_->setText(Q(copy.endTime));
      grid->addWidget(endDate_, row, 1);
    } else if (item == kGiTimeUsed) {
      autoTime_ = new QPushButton(T(u"設定"), this);
      autoTime_->setAutoDefault(false);
      autoTime_->setToolTip(T(u"消費時間の自動設定"));
      connect(autoTime_, &QPushButton::clicked, this, [this] { AutoSetConsumedTime(); });
      // Nothing to set when the main line holds no seconds.
      autoTime_->setEnabled(!FormatMainLineTimes(g_Record, g_StartBoard).empty());
      grid->addWidget(autoTime_, row, 2);
    }
    ++row;
  }
  grid->setColumnStretch(1, 1);
  layout->addLayout(OkCancelRow(this));
}

void CEdtInfoDlg::ClickLabel(int item) {
  const GameItemInfo& info = kGameItems[item];
  if (info.editList) OpenListFileInEditor(info.editList, info.editFallback);
}

void CEdtInfoDlg::PickDate() {
  std::u16string text = U(combo_[kGiStartDate]->currentText());
  if (PickStartDate(text, this)) combo_[kGiStartDate]->setEditText(Q(text));
}

void CEdtInfoDlg::AutoSetConsumedTime() {
  const std::u16string text = FormatMainLineTimes(g_Record, g_StartBoard);
  if (!text.empty()) combo_[kGiTimeUsed]->setEditText(Q(text));
}

void CEdtInfoDlg::accept() {
  for (int item = 0; item < kGameInfoItemCount; ++item) {
    m_strItem[item] = U(combo_[item]->currentText());
    const GameItemInfo& info = kGameItems[item];
    if (!info.history) continue;
    const int mode = HistoryMode(item);
    if (IsUserItem(item) && mode == 0) continue;
    if (m_strItem[item].empty() || m_strItem[item] == opening_[item]) continue;
    // A history the dialog did not show was not read at opening: read it now,
    // or writing it would keep only the new text.
    if (mode == 0) LoadHistory(*info.history);
    RememberText(m_strItem[item], opening_[item], *info.history);
  }
  for (std::u16string& text : m_strItem) CutToItemLength(text);
  m_strEndDate = U(endDate_->text());
  CutToItemLength(m_strEndDate);
  QDialog::accept();
}

void EditGameInfo(CNarvoView* view) {
  CEdtInfoDlg dlg(g_Record.header, DialogOwner());
  if (RunModalDialog(dlg) != QDialog::Accepted) return;
  SaveUndoPoint(u"棋譜情報の編集");
  RecordHeader& h = g_Record.header;
  for (int item = 0; item < kGameInfoItemCount; ++item)
    SetHeaderText(GameField(h, item), dlg.m_strItem[item]);
  SetHeaderText(h.endTime, dlg.m_strEndDate);
  ShowEditedHeader(view);

  // Warnings after the fact: the texts stay as typed.
  const int start = CheckDateText(h.startTime);
  if (start == 1) Warn(u"開始日時が未来です。");
  else if (start > 1) Warn(u"開始日時が異常です。");
  const int end = CheckDateText(h.endTime);
  if (end == 1) Warn(u"終了日時が未来です。");
  else if (end > 1) Warn(u"終了日時が異常です。");
  const int limit = ParseTimeLimitText(g_Record);
  long long used[3];
  if (limit > 0 && !h.timeUsed.empty() && ScanNumbers(h.timeUsed, u"▲△", used, 3) == 3 &&
      (used[1] > limit || used[2] > limit))
    Warn(u"消費時間が持ち時間を超えています。");
}

// ---- CTumeInfoDlg ------------------------------------------------------------------------

CTumeInfoDlg::CTumeInfoDlg(const RecordHeader& header, QWidget* parent) : QDialog(parent) {
  setWindowTitle(T(u"詰将棋情報"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  for (int item = 0; item < kProblemInfoItemCount; ++item) {
    const ProblemItemInfo& info = kProblemItems[item];
    LoadHistory(*info.history);
    combo_[item] = MakeHeaderCombo(this);
    // The list name is the label without its colon.
    std::u16string list = info.label;
    list.pop_back();
    FillProblemCombo(combo_[item], *info.history, list);
    // 受賞 lists its entries sorted.
    if (item == kPiPrize) combo_[item]->model()->sort(0);
    opening_[item] = header.*info.field;
    combo_[item]->setEditText(Q(opening_[item]));
    grid->addWidget(new QLabel(T(info.label), this), item, 0);
    grid->addWidget(combo_[item], item, 1);
  }
  grid->setColumnStretch(1, 1);
  layout->addLayout(OkCancelRow(this));
}

void CTumeInfoDlg::accept() {
  for (int item = 0; item < kProblemInfoItemCount; ++item) {
    m_strItem[item] = U(combo_[item]->currentText());
    CutToItemLength(m_strItem[item]);
    if (kProblemItems[item].keepsHistory)
      RememberText(m_strItem[item], opening_[item], *kProblemItems[item].history);
  }
  QDialog::accept();
}

void EditProblemInfo(CNarvoView* view) {
  CTumeInfoDlg dlg(g_Record.header, DialogOwner());
  if (RunModalDialog(dlg) != QDialog::Accepted) return;
  SaveUndoPoint(u"詰将棋情報の編集");
  for (int item = 0; item < kProblemInfoItemCount; ++item)
    SetHeaderText(g_Record.header.*kProblemItems[item].field, dlg.m_strItem[item]);
  ShowEditedHeader(view);
}
