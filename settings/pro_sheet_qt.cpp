#include "settings/pro_sheet_qt.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "settings/env.h"

namespace {

bool OpenHelpInBrowser(int topic) {
  std::u16string page = HelpPagePath();
  if (page.empty()) return false;
  QUrl url = QUrl::fromLocalFile(QString::fromStdU16String(page));
  url.setFragment(QString::number(topic));
  return QDesktopServices::openUrl(url);
}

HelpOpenFunction& HelpSlot() {
  static HelpOpenFunction slot = OpenHelpInBrowser;
  return slot;
}

SheetRunner& RunnerSlot() {
  static SheetRunner slot;
  return slot;
}

}  // namespace

int SheetHelpTopic(int pageIndex) {
  static const int topics[] = {10011, 10012, 10013, 10013, 10014, 10015, 10024, 10016,
                               10023, 10017, 10018, 10019, 10020, 10021, 10022};
  if (pageIndex < 0 || pageIndex >= int(std::size(topics))) return 10010;
  return topics[pageIndex];
}

HelpOpenFunction SetHelpOpener(HelpOpenFunction opener) {
  HelpOpenFunction previous = HelpSlot();
  HelpSlot() = opener ? std::move(opener) : HelpOpenFunction(OpenHelpInBrowser);
  return previous;
}

bool OpenHelpTopic(int topic) { return HelpSlot()(topic); }

SheetRunner SetSheetRunner(SheetRunner runner) {
  SheetRunner previous = RunnerSlot();
  RunnerSlot() = std::move(runner);
  return previous;
}

CProSheet::CProSheet(const QString& caption, QWidget* parent, int startPage)
    : QDialog(parent), startPage_(startPage) {
  setWindowTitle(caption);
  tabs_ = new QTabWidget(this);
  tabs_->setUsesScrollButtons(false);
  tabs_->tabBar()->setExpanding(false);
  buttons_ = new QDialogButtonBox(this);
  buttons_->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons_->addButton(QString::fromUtf16(u"キャンセル"), QDialogButtonBox::RejectRole);
  buttons_->addButton(QString::fromUtf16(u"ヘルプ"), QDialogButtonBox::HelpRole);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, &CProSheet::ClickOk);
  connect(buttons_, &QDialogButtonBox::rejected, this, &CProSheet::ClickCancel);
  connect(buttons_, &QDialogButtonBox::helpRequested, this, &CProSheet::ClickHelp);
  connect(tabs_, &QTabWidget::currentChanged, this, &CProSheet::OnTabChanged);
}

void CProSheet::AddPage(CPropertyPage* page, const QString& caption) {
  QSignalBlocker block(tabs_);
  tabs_->addTab(page, caption);
}

int CProSheet::PageCount() const { return tabs_->count(); }

CPropertyPage* CProSheet::Page(int index) const {
  return qobject_cast<CPropertyPage*>(tabs_->widget(index));
}

int CProSheet::ActiveIndex() const { return current_; }

void CProSheet::Begin() {
  if (begun_ || PageCount() == 0) return;
  begun_ = true;
  int start = startPage_ >= 0 && startPage_ < PageCount() ? startPage_ : 0;
  {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(start);
  }
  current_ = start;
  Page(start)->Activate();
}

int CProSheet::DoModal() {
  Begin();
  if (RunnerSlot()) return RunnerSlot()(*this);
  return exec();
}

bool CProSheet::SetActivePage(int index) {
  Begin();
  if (index < 0 || index >= PageCount() || index == current_) return index == current_;
  {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(current_);
  }
  if (!Page(current_)->OnKillActive()) return false;
  {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(index);
  }
  current_ = index;
  Page(index)->Activate();
  return true;
}

void CProSheet::OnTabChanged(int index) { SetActivePage(index); }

void CProSheet::ClickOk() {
  Begin();
  if (current_ >= 0 && !Page(current_)->OnKillActive()) return;
  for (int i = 0; i < PageCount(); ++i)
    if (Page(i)->Initialised()) Page(i)->OnOK();
  done(QDialog::Accepted);
}

void CProSheet::ClickCancel() { done(QDialog::Rejected); }

void CProSheet::ClickHelp() { OpenHelpTopic(SheetHelpTopic(current_)); }

void CProSheet::SetNoHelp() {
  settings_ = false;
  for (QAbstractButton* b : buttons_->buttons())
    if (buttons_->buttonRole(b) == QDialogButtonBox::HelpRole) b->hide();
}

void CProSheet::done(int result) {
  if (current_ >= 0 && settings_) g_nSettingsPage = current_;
  QDialog::done(result);
}

void CProSheet::showEvent(QShowEvent* event) {
  Begin();
  // Centred over the main window, never above or left of the screen's origin.
  QWidget* frame = g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : parentWidget();
  if (frame) {
    QRect f = frame->window()->frameGeometry();
    QSize s = frameGeometry().size();
    int x = std::max(0, f.center().x() - s.width() / 2);
    int y = std::max(0, f.center().y() - s.height() / 2);
    move(x, y);
  }
  QDialog::showEvent(event);
}
