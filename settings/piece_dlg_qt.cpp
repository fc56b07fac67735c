#include "settings/piece_dlg_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_commands.h"
#include "settings/env.h"
#include "view/narvo_view.h"

namespace {

constexpr int kMaxPieceFileChars = 1023;
// ".BMP", ".bmp" and any other case alike: file types are told without
// regard to case.
constexpr char16_t kBitmapPatterns[] = u"*.[Bb][Mm][Pp]";

QComboBox* MakeList(QWidget* parent, std::initializer_list<const char16_t*> items) {
  auto* combo = new QComboBox(parent);
  for (const char16_t* item : items) combo->addItem(QString::fromUtf16(item));
  return combo;
}

}  // namespace

CPieceDlg::CPieceDlg(QWidget* parent) : CDataDialog(parent) {
  setWindowTitle(QStringLiteral("盤・駒の設定"));
  m_board = MakeList(this, {u"木目１", u"木目２", u"無地"});
  m_stand = MakeList(this, {u"木目１", u"木目２", u"無地"});
  m_pieces = MakeList(this, {u"小二文字", u"小一文字", u"中二文字", u"大二文字"});
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("\u3000盤："), m_board);
  form->addRow(QStringLiteral("駒台："), m_stand);
  form->addRow(QStringLiteral("駒："), m_pieces);

  auto* group = new QGroupBox(QStringLiteral("外部駒"), this);
  m_external = new QCheckBox(QStringLiteral("外部駒使用(&G)"), group);
  m_browse = new QPushButton(QStringLiteral("参照(&R)..."), group);
  m_file = new QLineEdit(group);
  m_file->setMaxLength(kMaxPieceFileChars);
  m_file->setMinimumWidth(260);
  auto* row = new QHBoxLayout;
  row->addWidget(m_external);
  row->addStretch();
  row->addWidget(m_browse);
  auto* inGroup = new QVBoxLayout(group);
  inGroup->addLayout(row);
  inGroup->addWidget(m_file);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(group);
  layout->addWidget(buttons);

  connect(m_external, &QCheckBox::toggled, this, &CPieceDlg::OnExternalToggled);
  connect(m_browse, &QPushButton::clicked, this, &CPieceDlg::OnBrowse);
}

void CPieceDlg::DoDataExchange(DataExchange& dx) {
  dx.ComboIndex(m_board, m_nBoardKind);
  dx.ComboIndex(m_stand, m_nStandKind);
  dx.ComboIndex(m_pieces, m_nPieceSet);
  dx.Check(m_external, m_bExternal);
  dx.Text(m_file, m_strPieceFile, kMaxPieceFileChars);
}

void CPieceDlg::OnInitDialog() {
  CDataDialog::OnInitDialog();
  EnableForExternal(m_bExternal != 0);
}

void CPieceDlg::EnableForExternal(bool external) {
  m_browse->setEnabled(external);
  m_file->setEnabled(external);
  m_pieces->setEnabled(!external);
}

void CPieceDlg::OnExternalToggled() {
  UpdateData(true);
  EnableForExternal(m_bExternal != 0);
}

QString CPieceDlg::BrowseFolder() {
  QString path = QString::fromStdU16String(g_szPieceBmpFile);
  int slash = path.lastIndexOf(u'/');
  return slash < 0 ? QString() : path.left(slash);
}

void CPieceDlg::OnBrowse() {
  FileDialogRequest r;
  r.title = u"外部駒ファイルの設定";
  r.folder = BrowseFolder().toStdU16String();
  r.filters = {{u"BITMAP(*.BMP)", kBitmapPatterns}};
  if (RunFileDialog(g_pView, r).answer == 1 && !r.fileName.empty())
    m_file->setText(QString::fromStdU16String(r.fileName));
}
