#include "app/qt_ui.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <QApplication>
#include <QAbstractButton>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QPointer>
#include <QShortcutEvent>
#include <QPushButton>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "settings/env.h"
#include "view/sounds.h"

int QtUi::MessageBox(const std::u16string& text, const std::u16string& caption, int flags) {
  QMessageBox box(g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : QApplication::activeWindow());
  box.setWindowTitle(QString::fromStdU16String(caption.empty() ? g_szAppTitle : caption));
  box.setText(QString::fromStdU16String(text));
  switch (flags & 0xF0) {
    case kMbIconError: box.setIcon(QMessageBox::Critical); break;
    case kMbIconQuestion: box.setIcon(QMessageBox::Question); break;
    case kMbIconWarning: box.setIcon(QMessageBox::Warning); break;
    case kMbIconInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct Button {
    QMessageBox::StandardButton button;
    int answer;
  };
  std::vector<Button> buttons;
  int escape;  // the answer when the box is closed without a button
  switch (flags & 0xF) {
    case kMbOkCancel:
      buttons = {{QMessageBox::Ok, kIdOk}, {QMessageBox::Cancel, kIdCancel}};
      escape = kIdCancel;
      break;
    case kMbYesNoCancel:
      buttons = {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}, {QMessageBox::Cancel, kIdCancel}};
      escape = kIdCancel;
      break;
    case kMbYesNo:
      buttons = {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}};
      escape = kIdNo;
      break;
    default:
      buttons = {{QMessageBox::Ok, kIdOk}};
      escape = kIdOk;
      break;
  }
  for (const Button& b : buttons) {
    QPushButton* p = box.addButton(b.button);
    if (b.button == QMessageBox::Yes) p->setText(QStringLiteral("はい(&Y)"));
    if (b.button == QMessageBox::No) p->setText(QStringLiteral("いいえ(&N)"));
    if (b.button == QMessageBox::Cancel) p->setText(QStringLiteral("キャンセル"));
  }
  size_t def = (flags & kMbDefButton2) && buttons.size() > 1 ? 1 : 0;
  box.setDefaultButton(buttons[def].button);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const Button& b : buttons)
    if (clicked && box.standardButton(clicked) == b.button) return b.answer;
  return escape;
}

void QtUi::SetStatusText(const std::u16string& text) {
  if (g_pMainFrame) g_pMainFrame->SetStatusText(QString::fromStdU16String(text));
}

void QtUi::PlayWarningSound() { ::PlayWarningSound(); }

namespace {

// A button pressed by its letter (Y, Alt+Y) or a box's letter key goes on at
// once, as a click does: Qt would first show the button pressed for 100 ms.
class ImmediateMnemonics : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Shortcut) {
      auto* button = qobject_cast<QAbstractButton*>(watched);
      if (button && !static_cast<QShortcutEvent*>(e)->isAmbiguous() && button->isEnabled()) {
        button->setFocus(Qt::ShortcutFocusReason);
        button->click();
        return true;
      }
    } else if (e->type() == QEvent::KeyPress) {
      auto* box = qobject_cast<QMessageBox*>(watched);
      const auto* key = static_cast<QKeyEvent*>(e);
      if (box && !(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)))
        for (QAbstractButton* b : box->buttons()) {
          const QKeySequence mnemonic = QKeySequence::mnemonic(b->text());
          if (!mnemonic.isEmpty() && mnemonic[0].key() == Qt::Key(key->key()) && b->isEnabled()) {
            b->click();
            return true;
          }
        }
    }
    return false;
  }
};

}  // namespace

void InstallQtUi() {
  static QtUi ui;
  if (&Ui() != &ui) SetUi(&ui);
  // Once per application object, and gone with it.
  static QPointer<QCoreApplication> filtered;
  QCoreApplication* app = QCoreApplication::instance();
  if (app && filtered != app) {
    filtered = app;
    app->installEventFilter(new ImmediateMnemonics(app));
  }
}

bool InstallJapaneseQtTranslation() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  bool loaded = false;
  for (const char* name : {"qtbase_ja", "qtmultimedia_ja"}) {
    auto* translator = new QTranslator(app);  // lives and goes with the application
    if (translator->load(QString::fromLatin1(name), folder) && QCoreApplication::installTranslator(translator))
      loaded = true;
    else
      delete translator;
  }
  return loaded;
}
