#include "settings/ftp_page_qt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "record/text.h"
#include "record/ui_port.h"

namespace {
QString T(const char16_t* s) { return QString::fromUtf16(s); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
std::u16string U(const QLineEdit* e) { return e->text().toStdU16String(); }
}  // namespace

CFtpPage::CFtpPage() {
  auto* grid = new QGridLayout;
  auto field = [&](int row, const char16_t* label) {
    auto* edit = new QLineEdit(this);
    grid->addWidget(new QLabel(T(label), this), row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
  };
  name = field(0, u"設定名");
  server = field(1, u"接続先のサーバ名");
  user = field(2, u"ユーザ名");
  password = field(3, u"パスワード");
  folder = field(4, u"転送先ディレクトリ");
  name->setMaxLength(254);
  password->setEchoMode(QLineEdit::Password);
  passive = new QCheckBox(T(u"PSVモード(&P)"), this);
  grid->addWidget(passive, 5, 1);
  list = new QListWidget(this);
  list->setSelectionMode(QAbstractItemView::MultiSelection);
  auto* buttons = new QHBoxLayout;
  auto add = [&](const char16_t* text) {
    auto* b = new QPushButton(T(text), this);
    buttons->addWidget(b);
    return b;
  };
  newButton = add(u"新規作成(&N)");
  deleteButton = add(u"削除(&E)");
  upButton = add(u"↑(&U)");
  downButton = add(u"↓(&D)");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(new QLabel(T(u"設定一覧"), this));
  layout->addWidget(list);
  layout->addLayout(buttons);

  connect(list, &QListWidget::itemSelectionChanged, this, [this] {
    if (!filling_) OnSelectionChanged();
  });
  connect(newButton, &QPushButton::clicked, this, [this] { OnNew(); });
  for (QLineEdit* e : {name, server, user, password, folder})
    connect(e, &QLineEdit::textChanged, this, [this] { FollowFields(); });
  connect(passive, &QCheckBox::toggled, this, [this] { FollowFields(); });
  connect(deleteButton, &QPushButton::clicked, this, [this] {
    // The one destination shown as selected (削除 is offered for one only).
    const int row = SingleSelectedRow();
    list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    shownRow_ = -1;
    for (QLineEdit* e : {name, server, user, password, folder}) e->clear();
    if (DeleteFtpDestination(row) == 0) FollowDelete(row);
    Fill();
  });
  connect(upButton, &QPushButton::clicked, this, [this] {
    if (MoveFtpDestinationUp() == 0) FollowSwap(g_FtpTable.selectedIndex, g_FtpTable.selectedIndex + 1);
    Fill();
  });
  connect(downButton, &QPushButton::clicked, this, [this] {
    if (MoveFtpDestinationDown() == 0) FollowSwap(g_FtpTable.selectedIndex, g_FtpTable.selectedIndex - 1);
    Fill();
  });
}

void CFtpPage::OnInitDialog() {
  Fill();
}

void CFtpPage::OnNew() {
  // An earlier new destination left without a server goes; one with a
  // server stays as an ordinary entry.
  if (newRow_ >= 0 && g_FtpTable.entries[newRow_].server.empty()) {
    if (DeleteFtpDestination(newRow_) == 0) FollowDelete(newRow_);
  }
  newRow_ = -1;
  // The new destination starts with its own login, not the one shown.
  // Named after the count, passing over a name in use: the new entry must
  // never take the place of one that is there.
  int number = g_FtpTable.count + 1;
  while (FindFtpDestination(g_FtpTable, FormatU16(u"設定%d", number)) >= 0) ++number;
  loading_ = true;
  name->setText(QString::fromStdU16String(FormatU16(u"設定%d", number)));
  for (QLineEdit* e : {server, user, password}) e->clear();
  loading_ = false;
  list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
  g_FtpTable.selectedIndex = -1;
  if (AddFtpDestination(g_FtpTable, Fields()) == 2) newRow_ = shownRow_ = g_FtpTable.count - 1;
  Fill();
}

void CFtpPage::FollowFields() {
  if (loading_ || newRow_ < 0 || shownRow_ != newRow_) return;
  FtpDestination& d = g_FtpTable.entries[newRow_];
  const int selected = d.selected;
  d = Fields();
  d.selected = selected;
  if (newRow_ < list->count()) list->item(newRow_)->setText(name->text());
}

void CFtpPage::FollowSwap(int a, int b) {
  for (int* row : {&newRow_, &shownRow_}) {
    if (*row == a) *row = b;
    else if (*row == b) *row = a;
  }
}

void CFtpPage::FollowDelete(int row) {
  for (int* r : {&newRow_, &shownRow_}) {
    if (*r == row) *r = -1;
    else if (*r > row) --*r;
  }
}

void CFtpPage::StoreIntoTable() {
  FtpTable& t = g_FtpTable;
  const bool showingNew = newRow_ >= 0 && shownRow_ == newRow_;
  if (newRow_ >= 0) {
    // Taken out and added again: so a name it shares with another entry
    // replaces that one, and a bad field or an empty server drops it.
    const FtpDestination made = t.entries[newRow_];
    const int at = newRow_, lastChosen = t.selectedIndex;
    DeleteFtpDestination(at, t);
    FollowDelete(at);
    t.selectedIndex = lastChosen == at ? -1 : lastChosen > at ? lastChosen - 1 : lastChosen;
    if (!made.server.empty() && AddFtpDestination(t, made) == 2) {
      // Back in its place in the list.
      for (int i = t.count - 1; i > at; --i) std::swap(t.entries[i], t.entries[i - 1]);
      t.entries[at].selected = made.selected;
      t.selectedIndex = at;
    }
    if (showingNew) return;
  }
  const FtpDestination d = Fields();
  if (FindFtpDestination(t, d.name) < 0 && d.server.empty()) return;
  AddFtpDestination(t, d);
}

FtpDestination CFtpPage::Fields() const {
  FtpDestination d;
  d.name = U(name);
  d.server = U(server);
  d.user = U(user);
  d.password = U(password);
  d.folder = U(folder);
  d.passive = passive->isChecked() ? 1 : 0;
  return d;
}

void CFtpPage::LoadFromTable() {
  shownRow_ = -1;
  for (int i = 0; i < g_FtpTable.count && shownRow_ < 0; ++i)
    if (g_FtpTable.entries[i].selected) shownRow_ = i;
  const FtpDestination none;
  const FtpDestination& d = shownRow_ >= 0 ? g_FtpTable.entries[shownRow_] : none;
  loading_ = true;
  name->setText(Q(d.name));
  server->setText(Q(d.server));
  user->setText(Q(d.user));
  password->setText(Q(d.password));
  folder->setText(Q(d.folder));
  if (shownRow_ >= 0) passive->setChecked(d.passive != 0);
  loading_ = false;
}

// The password's stored form cannot hold characters outside 32..126: such a
// password would come back changed at the next start.
bool CFtpPage::OnKillActive() {
  if (IsStorableFtpPassword(U(password))) return true;
  ShowMessage(u"パスワードには半角の英数字と記号だけが使えます。", kMbOk | kMbIconWarning);
  password->setFocus();
  return false;
}

void CFtpPage::Fill() {
  filling_ = true;
  list->clear();
  for (int i = 0; i < g_FtpTable.count; ++i) {
    list->addItem(Q(g_FtpTable.entries[i].name));
    list->item(i)->setSelected(g_FtpTable.entries[i].selected != 0);
  }
  filling_ = false;
  UpdateButtons();
}

void CFtpPage::OnSelectionChanged() {
  for (int i = 0; i < list->count() && i < g_FtpTable.count; ++i)
    g_FtpTable.entries[i].selected = list->item(i)->isSelected() ? 1 : 0;
  LoadFromTable();
  UpdateButtons();
}

int CFtpPage::SingleSelectedRow() const {
  int only = -1;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) {
      if (only >= 0) return -1;
      only = i;
    }
  return only;
}

void CFtpPage::UpdateButtons() {
  const int only = SingleSelectedRow();
  const bool one = only >= 0;
  upButton->setEnabled(one && only > 0);
  downButton->setEnabled(one && only < list->count() - 1);
  deleteButton->setEnabled(one);
}
