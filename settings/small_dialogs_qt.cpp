#include "settings/small_dialogs_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/header.h"
#include "record/history.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/header_combo_qt.h"
#include "settings/jishogi_points.h"
#include "view/info_panel.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

constexpr int kMaxJumpRange = 1600;

// The move as the shown notation writes it: record notation when 指し手表記
// asks for it and the rules are checked, else the display notation.
std::u16string MoveInShownNotation(const RecordNode* node) {
  const bool down = (g_nMoveNotation & 1) != 0;
  if (g_nMoveNotation >= 2 && g_bCheckRules)
    return FormatNodeMove(node, g_Record, kFormSame, down ? kMarkWhiteDown : kMarkWhiteUp, 0);
  return FormatMoveForDisplay(0, node, 0, down ? 2 : 1);
}

void CutTo(std::u16string& text, int maxChars) {
  if (text.size() > size_t(maxChars)) text.resize(size_t(maxChars));
}

}  // namespace

// ---- CTimeDlg ----------------------------------------------------------------------------

CTimeDlg::CTimeDlg(const std::u16string& title, QWidget* parent) : CDataDialog(parent) {
  setWindowTitle(T(u"消費時間の編集"));
  auto* layout = new QVBoxLayout(this);
  title_ = new QLabel(Q(title), this);
  layout->addWidget(title_);
  auto* row = new QHBoxLayout;
  minutes_ = new SpinEdit(this);
  minutes_->SetSpinRange(0, 1000);
  seconds_ = new SpinEdit(this);
  seconds_->SetSpinRange(0, 60);
  row->addWidget(minutes_);
  row->addWidget(new QLabel(T(u"分"), this));
  row->addWidget(seconds_);
  row->addWidget(new QLabel(T(u"秒"), this));
  layout->addLayout(row);
  layout->addLayout(OkCancelRow(this));
}

void CTimeDlg::DoDataExchange(DataExchange& dx) {
  // Typed values are held to the arrows' ranges, so the 16-bit seconds of a
  // node can never wrap.
  dx.UnsignedRange(minutes_, m_nMinutes, 0, 1000);
  dx.UnsignedRange(seconds_, m_nSeconds, 0, 60);
}

void EditConsumedTime(CNarvoView* view, int moveNumber) {
  RecordNode* node = GetNodeAtMove(moveNumber, g_Record);
  std::u16string title = moveNumber > 0
                             ? FormatU16(u"第%d手、%s", moveNumber, MoveInShownNotation(node).c_str())
                             : std::u16string(u"開始局面");
  title += u"の消費時間";
  if (!node) return;
  CTimeDlg dlg(title, DialogOwner());
  dlg.m_nMinutes = node->seconds / 60;
  dlg.m_nSeconds = node->seconds % 60;
  g_bEditDialogOpen = 1;
  if (RunModalDialog(dlg) != QDialog::Accepted) {
    g_bEditDialogOpen = 0;
    return;
  }
  SaveUndoPoint(u"消費時間の編集");
  g_bEditDialogOpen = 0;
  SetNodeSeconds(g_Record, *node, dlg.m_nMinutes * 60 + dlg.m_nSeconds);
  if (g_bAutoElapsedTime && !g_Record.header.timeUsed.empty()) FormatConsumedTimeHeader(g_Record);
  if (g_AppMode != kModePreview) DrawInfoPanel(view);
  InvalidateDovuWnd();
  g_Record.changeCount = 1;
  if (g_pDocument) g_pDocument->SetModifiedFlag(true);
  UpdateMainTitle();
}

// ---- CJumpDlg ----------------------------------------------------------------------------

CJumpDlg::CJumpDlg(int moveNumber, QWidget* parent) : CDataDialog(parent), m_nMoveNumber(moveNumber) {
  setWindowTitle(T(u"指定手数へ"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(T(u"手数："), this));
  number_ = new SpinEdit(this);
  number_->SetSpinRange(0, std::min(GetLineLength(g_Record), kMaxJumpRange));
  number_->SetAcceleration(1, 5, 2000);
  row->addWidget(number_);
  layout->addLayout(row);
  layout->addLayout(OkCancelRow(this));
}

void CJumpDlg::DoDataExchange(DataExchange& dx) { dx.Unsigned(number_, m_nMoveNumber); }

bool AskMoveNumberByDialog(int current, int& number) {
  CJumpDlg dlg(current, DialogOwner());
  if (RunModalDialog(dlg) != QDialog::Accepted) return false;
  number = dlg.m_nMoveNumber;
  return true;
}

// ---- CJishogiDlg -------------------------------------------------------------------------

CJishogiDlg::CJishogiDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(T(u"持将棋の点数計算"));
  auto* layout = new QVBoxLayout(this);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setPlainText(Q(FormatJishogiText()));
  layout->addWidget(text_);
  layout->addLayout(OkCancelRow(this, false));
}

void RunJishogiDialog(CNarvoView*) {
  CJishogiDlg dlg(DialogOwner());
  RunModalDialog(dlg);
}

// ---- CPlayerProDlg -----------------------------------------------------------------------

CPlayerProDlg::CPlayerProDlg(const std::u16string& firstLabel, const std::u16string& secondLabel,
                             QWidget* parent)
    : CDataDialog(parent) {
  setWindowTitle(T(u"対局者名変更"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  first_ = MakeHeaderCombo(this);
  second_ = MakeHeaderCombo(this);
  firstShort_ = new QLineEdit(this);
  secondShort_ = new QLineEdit(this);
  for (QLineEdit* e : {firstShort_, secondShort_}) e->setMaxLength(kShortNameMaxChars);
  grid->addWidget(new QLabel(Q(firstLabel), this), 0, 0);
  grid->addWidget(first_, 0, 1);
  grid->addWidget(new QLabel(T(u"短縮名"), this), 0, 2);
  grid->addWidget(firstShort_, 0, 3);
  grid->addWidget(new QLabel(Q(secondLabel), this), 1, 0);
  grid->addWidget(second_, 1, 1);
  grid->addWidget(new QLabel(T(u"短縮名"), this), 1, 2);
  grid->addWidget(secondShort_, 1, 3);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  auto* row = new QHBoxLayout;
  undecided_ = new QCheckBox(T(u"先手後手未定(&M)"), this);
  swap_ = new QPushButton(T(u"先後入れ換え"), this);
  swap_->setAutoDefault(false);
  connect(swap_, &QPushButton::clicked, this, [this] { Swap(); });
  row->addWidget(undecided_);
  row->addWidget(swap_);
  row->addStretch();
  layout->addLayout(row);
  layout->addLayout(OkCancelRow(this));
}

void CPlayerProDlg::DoDataExchange(DataExchange& dx) {
  dx.Text(first_, m_strFirstName);
  dx.Text(second_, m_strSecondName);
  dx.Text(firstShort_, m_strFirstShortName, kShortNameMaxChars);
  dx.Text(secondShort_, m_strSecondShortName, kShortNameMaxChars);
  dx.Check(undecided_, m_bUndecided);
}

void CPlayerProDlg::OnInitDialog() {
  FillPlayerNameCombos(*this);
  m_strFirstName = g_Record.header.firstPlayer;
  m_strSecondName = g_Record.header.secondPlayer;
  CDataDialog::OnInitDialog();
  undecided_->hide();
}

void CPlayerProDlg::Swap() {
  if (!UpdateData(true)) return;
  std::swap(m_strFirstName, m_strSecondName);
  std::swap(m_strFirstShortName, m_strSecondShortName);
  UpdateData(false);
}

void CPlayerProDlg::accept() {
  if (!UpdateData(true)) return;
  CutTo(m_strFirstName, kPlayerNameMaxChars);
  CutTo(m_strSecondName, kPlayerNameMaxChars);
  QDialog::accept();
}

int FillPlayerNameCombos(CPlayerProDlg& dlg) {
  // Read from its file here: in a run that never opened the new-game sheet
  // the history would be empty, and the next name stored would replace it.
  LoadHistory(g_hisPlayers);
  const int result = FillHeaderCombo(dlg.first_, &g_hisPlayers, 2, u"対局者", u"player");
  QStringList items;
  items.reserve(dlg.first_->count());
  for (int i = 0; i < dlg.first_->count(); ++i) items << dlg.first_->itemText(i);
  dlg.second_->clear();
  dlg.second_->addItems(items);
  return result;
}

void AddPlayersToNameLists() {
  if (g_nHistoryModePlayers == 0) return;
  const RecordHeader& h = g_Record.header;
  for (const std::u16string* name : {&h.firstPlayer, &h.secondPlayer})
    if (!name->empty()) AddHistoryItem(*name, g_hisPlayers);
  if (!h.firstPlayer.empty() || !h.secondPlayer.empty()) SaveHistory(g_hisPlayers);
}

void EditPlayerNames(CNarvoView* view) {
  const bool handicap = g_Board.handicap != kHandicapEven;
  CPlayerProDlg dlg(handicap ? u"下手：" : u"先手：", handicap ? u"上手：" : u"後手：", DialogOwner());
  RecordHeader& h = g_Record.header;
  dlg.m_strFirstShortName = h.firstShortName;
  dlg.m_strSecondShortName = h.secondShortName;
  if (RunModalDialog(dlg) != QDialog::Accepted) return;
  SaveUndoPoint(u"対局者名変更");
  const bool changed = dlg.m_strFirstName != h.firstPlayer || dlg.m_strSecondName != h.secondPlayer ||
                       dlg.m_strFirstShortName != h.firstShortName ||
                       dlg.m_strSecondShortName != h.secondShortName;
  SetHeaderText(h.firstPlayer, dlg.m_strFirstName, kPlayerNameCapacity);
  SetHeaderText(h.secondPlayer, dlg.m_strSecondName, kPlayerNameCapacity);
  h.firstShortName = dlg.m_strFirstShortName;
  h.secondShortName = dlg.m_strSecondShortName;
  DrawInfoPlayerNames(view);
  AddPlayersToNameLists();
  if (!changed) return;
  g_Record.changeCount = 1;
  if (g_pDocument) g_pDocument->SetModifiedFlag(true);
  UpdateMainTitle();
}
