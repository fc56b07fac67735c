#include "settings/ftp_page_qt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

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
  connect(newButton, &QPushButton::clicked, this, [this] {
    name->setText(QString::fromStdU16String(FormatU16(u"設定%d", g_FtpTable.count + 1)));
    list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    g_FtpTable.selectedIndex = -1;
    // The new destination is in the list at once (selected, as a new one
    // is); OK stores the fields into it by its name.
    if (AddFtpDestination(g_FtpTable, Fields()) == 2) Fill();
    UpdateButtons();
  });
  connect(deleteButton, &QPushButton::clicked, this, [this] {
    // The one destination shown as selected (削除 is offered for one only).
    const int row = SingleSelectedRow();
    list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    for (QLineEdit* e : {name, server, user, password, folder}) e->clear();
    DeleteFtpDestination(row);
    Fill();
  });
  connect(upButton, &QPushButton::clicked, this, [this] {
    MoveFtpDestinationUp();
    Fill();
  });
  connect(downButton, &QPushButton::clicked, this, [this] {
    MoveFtpDestinationDown();
    Fill();
  });
}

void CFtpPage::OnInitDialog() {
  Fill();
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
  for (int i = 0; i < g_FtpTable.count; ++i) {
    const FtpDestination& d = g_FtpTable.entries[i];
    if (!d.selected) continue;
    name->setText(Q(d.name));
    server->setText(Q(d.server));
    user->setText(Q(d.user));
    password->setText(Q(d.password));
    folder->setText(Q(d.folder));
    passive->setChecked(d.passive != 0);
    return;
  }
  for (QLineEdit* e : {name, server, user, password, folder}) e->clear();
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
