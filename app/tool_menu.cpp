#include "app/tool_menu.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/dialog_runner_qt.h"
#include "settings/folders.h"
#include "view/sounds.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
std::u16string U(const QString& s) { return s.toStdU16String(); }

constexpr size_t kMaxToolText = 255;
constexpr size_t kMaxParameterText = 1023;

std::u16string ProgramFolderWithSlash() {
  std::u16string folder = g_szProgramFolder;
  if (!folder.empty() && folder.back() != u'/') folder += u'/';
  return folder;
}

}  // namespace

std::u16string ExpandToolCodes(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
    if (text[i] != u'%' || next == 0) {
      out += text[i];
      continue;
    }
    switch (next) {
      case u'K':
      case u'k': out += g_szRecordFilePath; break;
      case u'N':
      case u'n': out += U(QString::number(g_Record.moveNumber)); break;
      case u'D':
      case u'd': out += ProgramFolderWithSlash(); break;
      case u'%': out += u'%'; break;
      default: out += u'%'; continue;  // the next character is read as it stands
    }
    ++i;
  }
  if (out.size() > kMaxParameterText) out.resize(kMaxParameterText);
  return out;
}

QStringList BuildToolArguments(std::u16string_view argumentTemplate) {
  QStringList args = QProcess::splitCommand(Q(std::u16string(argumentTemplate)));
  for (QString& a : args) a = Q(ExpandToolCodes(U(a)));
  return args;
}

// ---- CToolMenuDlg --------------------------------------------------------------------

CToolMenuDlg::CToolMenuDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(T(u"ツールメニュー設定"));
  auto* layout = new QVBoxLayout(this);
  entry_ = new QComboBox(this);
  for (const char16_t* item : {u"メニュー１", u"メニュー２", u"メニュー３", u"メニュー４", u"メニュー５"})
    entry_->addItem(T(item));
  layout->addWidget(entry_);
  auto* grid = new QGridLayout;
  menu_ = new QLineEdit(this);
  command_ = new QLineEdit(this);
  args_ = new QLineEdit(this);
  auto* browse = new QPushButton(T(u"参照(&R)..."), this);
  browse->setAutoDefault(false);
  grid->addWidget(new QLabel(T(u"メニュー表示："), this), 0, 0);
  grid->addWidget(menu_, 0, 1);
  grid->addWidget(new QLabel(T(u"起動プログラム："), this), 1, 0);
  grid->addWidget(command_, 1, 1);
  grid->addWidget(browse, 1, 2);
  grid->addWidget(new QLabel(T(u"引数："), this), 2, 0);
  grid->addWidget(args_, 2, 1);
  layout->addLayout(grid);
  for (const char16_t* help : {u"%K   棋譜ファイルフルパス", u"%N  手数", u"%D  NARVO.EXE のパス(/付き)"})
    layout->addWidget(new QLabel(T(help), this));
  layout->addLayout(OkCancelRow(this));

  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  connect(entry_, &QComboBox::currentIndexChanged, this, [this](int index) {
    m_nEntry = index < 0 ? 0 : index;
    LoadEntry();
  });
  // Each keystroke goes into the working copy, so switching entries loses nothing.
  auto keep = [this](QLineEdit* edit, std::u16string* texts) {
    connect(edit, &QLineEdit::textChanged, this, [this, texts](const QString& text) {
      if (!loading_) texts[m_nEntry] = U(text);
    });
  };
  keep(menu_, m_szMenu);
  keep(command_, m_szCommand);
  keep(args_, m_szArgs);
}

void CToolMenuDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  entry_->setCurrentIndex(m_nEntry);
  LoadEntry();
}

void CToolMenuDlg::LoadEntry() {
  loading_ = true;
  menu_->setText(Q(m_szMenu[m_nEntry]));
  command_->setText(Q(m_szCommand[m_nEntry]));
  args_->setText(Q(m_szArgs[m_nEntry]));
  loading_ = false;
}

void CToolMenuDlg::Browse() {
  FileDialogRequest r;
  r.title = u"起動プログラムの設定";
  r.filters = {{u"プログラム(*)", u"*"}};
  const std::u16string& program = m_szCommand[m_nEntry];
  size_t slash = program.rfind(u'/');
  if (slash != std::u16string::npos) r.folder = program.substr(0, slash);
  FileDialogResult answer = RunFileDialog(nullptr, r);
  if (answer.answer == 1) {
    command_->setText(Q(r.fileName));  // kept by the change handler
  } else if (answer.answer < 0) {
    ShowMessage(FormatU16(u"GetOpenFileName でエラー #%ld が発生しました", answer.errorCode),
                kMbOk | kMbIconError, u"警告");
  }
}

void CToolMenuDlg::accept() {
  for (int i = 0; i < kToolEntryCount; ++i)
    for (std::u16string* s : {&m_szMenu[i], &m_szCommand[i], &m_szArgs[i]})
      if (s->size() > kMaxToolText) s->resize(kMaxToolText);
  QDialog::accept();
}

void EditToolMenu() {
  CToolMenuDlg dlg(DialogOwner());
  for (int i = 0; i < kToolEntryCount; ++i) {
    dlg.m_szMenu[i] = g_szToolMenu[i];
    dlg.m_szCommand[i] = g_szToolCommand[i];
    dlg.m_szArgs[i] = g_szToolArgs[i];
  }
  if (RunModalDialog(dlg) != QDialog::Accepted) return;
  for (int i = 0; i < kToolEntryCount; ++i) {
    g_szToolMenu[i] = dlg.m_szMenu[i];
    g_szToolCommand[i] = dlg.m_szCommand[i];
    g_szToolArgs[i] = dlg.m_szArgs[i];
  }
}

int RunToolMenu(int entry) {
  if (entry < 0 || entry >= kToolEntryCount) return -1;
  const std::u16string& program = g_szToolCommand[entry];
  // Never through a shell: what a path holds is never read as a command.
  if (!program.empty() && QProcess::startDetached(Q(program), BuildToolArguments(g_szToolArgs[entry])))
    return 0;
  Sounds().Beep();
  ShowMessage(FormatU16(u"起動に失敗しました。(%s %s)", program.c_str(),
                        ExpandToolCodes(g_szToolArgs[entry]).c_str()),
              kMbOk | kMbIconError);
  return -1;
}
