#include "settings/siori_dialogs_qt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/header.h"
#include "record/history.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/branch_wnd.h"
#include "view/move_list_wnd.h"
#include "view/move_path.h"
#include "view/view_commands.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

QPushButton* AddButton(QHBoxLayout* row, QDialog* owner, const char16_t* text) {
  auto* b = new QPushButton(T(text), owner);
  b->setAutoDefault(false);
  row->addWidget(b);
  return b;
}

void FillWithBookmarks(QListWidget* list) {
  list->clear();
  for (int i = 0; i < g_Record.bookmarkCount; ++i) list->addItem(Q(g_Record.bookmarks[i].name));
  if (list->count() > 0) list->setCurrentRow(0);
}

void RefreshAfterBookmarks() {
  UpdateDovuWndScroll();
  UpdateBranchWindow();
  UpdateMainTitle();
}

}  // namespace

// ---- CSioriDlg ------------------------------------------------------------------------

CSioriDlg::CSioriDlg(const std::u16string& name, int node, QWidget* parent)
    : QDialog(parent), m_strName(name), node_(node) {
  setWindowTitle(T(u"しおりの登録・名称変更・削除"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(T(u"しおりの名前："), this));
  combo_ = new QComboBox(this);
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->setMinimumWidth(320);
  layout->addWidget(combo_);
  auto* row = new QHBoxLayout;
  auto* ok = AddButton(row, this, u"OK");
  auto* cancel = AddButton(row, this, u"キャンセル");
  file_ = AddButton(row, this, u"ファイル編集");
  delete_ = AddButton(row, this, u"削除(&D)");
  ok->setDefault(true);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &CSioriDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CSioriDlg::reject);
  connect(file_, &QPushButton::clicked, this, [] { OpenSioriListFile(); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (DeleteBookmarkOfNode(node_, g_Record) != 0) {
      ShowMessage(u"しおり削除エラー", kMbOk | kMbIconError);
      return;
    }
    m_bDeleted = true;
    combo_->setEditText(QString());
  });
  LoadHistory(g_hisSiori);
  FillSioriNameCombo(combo_);
  combo_->setEditText(Q(m_strName));
}

void CSioriDlg::accept() {
  m_strName = combo_->currentText().toStdU16String();
  if (!m_strName.empty()) {
    AddHistoryItem(m_strName, g_hisSiori);
    SaveHistory(g_hisSiori);
  }
  QDialog::accept();
}

int FillSioriNameCombo(QComboBox* combo) {
  combo->clear();
  QStringList items;
  for (int i = 0; i < g_hisSiori.count && i < g_nHistorySize; ++i) items << Q(g_hisSiori.entries[i]);
  std::vector<std::u16string> lines;
  int result = ReadNameList(g_szProgramFolder + u"しおり.txt", lines);
  for (const std::u16string& line : lines)
    if (!HistoryContains(g_hisSiori, line) && !items.contains(Q(line))) items << Q(line);
  // The list is sorted, as the combo box of the dialog always showed it.
  items.sort();
  combo->addItems(items);
  return result;
}

int OpenSioriListFile() { return OpenListFileInEditor(u"しおり", u""); }

// ---- CSioriJumpDlg ---------------------------------------------------------------------

CSioriJumpDlg::CSioriJumpDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(T(u"しおりへ移動"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(T(u"しおり："), this));
  list_ = new QListWidget(this);
  layout->addWidget(list_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  auto* ok = AddButton(row, this, u"OK");
  auto* cancel = AddButton(row, this, u"キャンセル");
  ok->setDefault(true);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &CSioriJumpDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CSioriJumpDlg::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &CSioriJumpDlg::accept);
  FillWithBookmarks(list_);
}

void CSioriJumpDlg::done(int result) {
  m_nIndex = list_->currentRow();
  QDialog::done(result);
}

// ---- CSioriEdt ---------------------------------------------------------------------------

CSioriEdt::CSioriEdt(QWidget* parent) : QDialog(parent) {
  setWindowTitle(T(u"しおりの編集"));
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(T(u"しおり："), this));
  list_ = new QListWidget(this);
  left->addWidget(list_);
  layout->addLayout(left);
  auto* right = new QVBoxLayout;
  auto add = [&](const char16_t* text) {
    auto* b = new QPushButton(T(text), this);
    b->setAutoDefault(false);
    right->addWidget(b);
    return b;
  };
  auto* ok = add(u"OK");
  auto* cancel = add(u"キャンセル");
  delete_ = add(u"削除(&X)");
  deleteAll_ = add(u"すべて削除(&A)");
  // Kept as the dialog always had them: hidden and never enabled.
  for (const char16_t* text : {u"上へ(&U)", u"下へ(&D)"}) {
    QPushButton* b = add(text);
    b->setEnabled(false);
    b->hide();
  }
  right->addStretch();
  layout->addLayout(right);
  connect(ok, &QPushButton::clicked, this, &CSioriEdt::accept);
  connect(cancel, &QPushButton::clicked, this, &CSioriEdt::reject);
  connect(delete_, &QPushButton::clicked, this, [this] {
    int row = list_->currentRow();
    if (row < 0) return;
    DeleteBookmarkAt(row, g_Record);
    Fill();
  });
  connect(deleteAll_, &QPushButton::clicked, this, [this] {
    g_Record.bookmarkCount = 0;
    g_Record.changeCount = 1;
    Fill();
  });
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { delete_->setEnabled(row >= 0); });
  Fill();
}

void CSioriEdt::Fill() {
  FillWithBookmarks(list_);
  delete_->setEnabled(list_->currentRow() >= 0);
}

// ---- Commands -----------------------------------------------------------------------------

void RegisterSiori(CNarvoView*) {
  const int node = NodeIndex(g_Record, g_Record.current);
  if (node < 0) return;
  CopyBookmarksToBackup(g_Record);
  std::u16string name;
  if (const char16_t* existing = GetBookmarkName(node, g_Record)) {
    name = existing;
  } else if (g_Record.moveNumber == 0) {
    name = u"開始局面";
  } else {
    const RecordNode* n = g_Record.current;
    const bool sente = (n->piece & kSenteBit) != 0;
    const char16_t* mark = sente ? u"▲" : (g_nMoveNotation & 1) ? u"▽" : u"△";
    name = FormatU16(u"第%d手、%s%s", g_Record.moveNumber, mark,
                     FormatNodeMove(n, g_Record, kFormSame, kMarkNone, 0).c_str());
  }
  CSioriDlg dlg(name, node, DialogOwner());
  if (RunModalDialog(dlg) != QDialog::Accepted) {
    CopyBookmarksFromBackup(g_Record);
    return;
  }
  // The snapshot must hold the list as it was before the dialog: a deletion
  // made with "削除(&D)" is made again after it, so that undo brings it back.
  if (dlg.m_bDeleted) CopyBookmarksFromBackup(g_Record);
  SaveUndoPoint(u"しおりの登録・名前変更");
  if (dlg.m_bDeleted) DeleteBookmarkOfNode(node, g_Record);
  if (dlg.m_strName.empty()) {
    RefreshAfterBookmarks();
    return;
  }
  int result = SetBookmark(g_Record, node, dlg.m_strName);
  if (result == 0) {
    RefreshAfterBookmarks();
  } else if (result == -1) {
    ShowMessage(u"しおりの数の上限を超えました。", kMbOk | kMbIconError, u"しおり登録エラー");
  } else if (result == -2) {
    ShowMessage(u"同名のしおりがあります。", kMbOk | kMbIconError, u"しおり登録エラー");
  }
}

void JumpToSiori(CNarvoView* view) {
  CSioriJumpDlg dlg(DialogOwner());
  if (RunModalDialog(dlg) != QDialog::Accepted) return;
  if (dlg.m_nIndex < 0 || dlg.m_nIndex >= g_Record.bookmarkCount) return;
  const int node = g_Record.bookmarks[dlg.m_nIndex].node;
  if (node < 0 || node == NodeIndex(g_Record, g_Record.current)) return;
  GotoNode(view, node);
  RedrawBoardView(view);
}

void EditSiori(CNarvoView*) {
  // The counter as the user left it: Cancel gives it back.
  const int count = g_Record.changeCount;
  SaveUndoPoint(u"しおりの編集");
  CopyBookmarksToBackup(g_Record);
  CSioriEdt dlg(DialogOwner());
  if (RunModalDialog(dlg) != QDialog::Accepted) {
    CopyBookmarksFromBackup(g_Record);
    g_Record.changeCount = count;
    return;
  }
  RefreshAfterBookmarks();
  if (g_Record.changeCount != 0) {
    if (g_pDocument) g_pDocument->SetModifiedFlag(true);
    UpdateMainTitle();
  }
}
