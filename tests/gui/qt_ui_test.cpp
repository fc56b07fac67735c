// The Qt message boxes: caption, icon, buttons and the answer each button
// gives, the default button, and closing a box without a button.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QTreeView>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/file_commands.h"
#include "app/qt_ui.h"
#include "view/display_settings.h"
#include "tests/support/qt_test_app.h"

using namespace Qt::StringLiterals;

namespace {

struct Seen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultButton;
};

// Answers the next box by pressing the button whose text starts with `press`,
// or by Escape when press is empty.
int Answer(int flags, const std::u16string& caption, const QString& press, Seen& seen) {
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
    if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
    if (press.isEmpty()) {
      box->reject();
      return;
    }
    for (QAbstractButton* b : box->buttons())
      if (b->text().startsWith(press)) b->click();
  });
  return QtUi().MessageBox(u"本文", caption, flags);
}

TEST(QtUi, ButtonsAnswersAndCaption) {
  EnsureQtApp();
  struct Case {
    int flags;
    const char16_t* caption;
    const char* press;
    int answer;
    QMessageBox::Icon icon;
    int buttonCount;
    const char* defaultButton;
  } cases[] = {
      {kMbOk | kMbIconError, u"", "OK", kIdOk, QMessageBox::Critical, 1, "OK"},
      {kMbOk | kMbIconWarning, u"警告", "", kIdOk, QMessageBox::Warning, 1, "OK"},
      {kMbYesNo | kMbIconQuestion, u"終了確認", "いいえ", kIdNo, QMessageBox::Question, 2, "はい"},
      {kMbYesNo | kMbDefButton2, u"", "はい", kIdYes, QMessageBox::NoIcon, 2, "いいえ"},
      {kMbYesNo, u"", "", kIdNo, QMessageBox::NoIcon, 2, "はい"},
      {kMbYesNoCancel | kMbIconQuestion, u"棋譜保存", "キャンセル", kIdCancel, QMessageBox::Question, 3, "はい"},
      {kMbYesNoCancel, u"", "", kIdCancel, QMessageBox::NoIcon, 3, "はい"},
      {kMbOkCancel | kMbIconInformation, u"", "OK", kIdOk, QMessageBox::Information, 2, "OK"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + " " + c.press);
    Seen seen;
    EXPECT_EQ(Answer(c.flags, c.caption, QString::fromUtf8(c.press), seen), c.answer);
    EXPECT_EQ(seen.title, QString::fromStdU16String(*c.caption ? c.caption : u"Sorvane"));
    EXPECT_EQ(seen.text, QString::fromUtf16(u"本文"));
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons.size(), c.buttonCount);
    EXPECT_TRUE(seen.defaultButton.startsWith(QString::fromUtf8(c.defaultButton)));
  }
}

}  // namespace

namespace {

// Qt's own dialogs speak Japanese once the program has loaded Qt's
// translation, whatever the locale of the test run; a file type shows its
// patterns once.
TEST(QtUi, StandardDialogsSpeakJapanese) {
  EnsureQtApp();
  ASSERT_TRUE(InstallJapaneseQtTranslation());
  QStringList buttons, types;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
      if (!b->text().isEmpty()) buttons << b->text();
    if (auto* combo = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s))
      for (int i = 0; i < combo->count(); ++i) types << combo->itemText(i);
    dialog->reject();
  });
  FileDialogRequest r;
  r.folder = QDir::tempPath().toStdU16String();
  r.filters = OpenFileFilters();
  RunFileDialog(nullptr, r);
  EXPECT_FALSE(buttons.contains(u"&Open"_s) || buttons.contains(u"Open"_s)) << buttons.join(u'|').toStdString();
  EXPECT_TRUE(buttons.contains(u"キャンセル"_s) || buttons.contains(u"キャンセル(&C)"_s)) << buttons.join(u'|').toStdString();
  ASSERT_FALSE(types.isEmpty());
  EXPECT_EQ(types[0], u"棋譜(*.zrf, *.dovu)"_s);

  QStringList colourButtons;
  QString colourTitle;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    colourTitle = dialog->windowTitle();
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) colourButtons << b->text();
    dialog->reject();
  });
  EnvColor colour{1, 2, 3};
  EXPECT_FALSE(g_pChooseColor(colour));
  EXPECT_NE(colourTitle, u"Select Color"_s);
  EXPECT_TRUE(colourButtons.contains(u"キャンセル"_s) || colourButtons.contains(u"キャンセル(&C)"_s))
      << colourButtons.join(u'|').toStdString();
}

}  // namespace

namespace {

// A box answered by a button's letter goes on at once, as a click does, not
// after the 100 ms Qt shows a pressed button for.
TEST(QtUi, ALetterAnswersTheBoxAtOnce) {
  EnsureQtApp();
  InstallQtUi();
  struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int answer;
  } keys[] = {{Qt::Key_N, Qt::NoModifier, kIdNo}, {Qt::Key_Y, Qt::NoModifier, kIdYes},
              {Qt::Key_N, Qt::AltModifier, kIdNo}, {Qt::Key_Y, Qt::AltModifier, kIdYes}};
  for (const Key& k : keys) {
    SCOPED_TRACE(std::to_string(int(k.key)) + " " + std::to_string(int(k.mods)));
    bool answeredAtOnce = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      box->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(box));
      QTest::keyClick(box, k.key, k.mods);
      answeredAtOnce = box->clickedButton() != nullptr;
      // Whatever happened, the box must not stay open.
      QTimer::singleShot(500, box, [box] { box->reject(); });
    });
    EXPECT_EQ(QtUi().MessageBox(u"本文", u"題", kMbYesNo | kMbIconQuestion), k.answer);
    EXPECT_TRUE(answeredAtOnce);
  }
}

// The open dialog's columns are as wide as the sizes, types and dates of
// the folder's files.
TEST(QtUi, TheOpenDialogsColumnsHoldTheirEntries) {
  EnsureQtApp();
  ASSERT_TRUE(InstallJapaneseQtTranslation());
  QTemporaryDir folder;
  for (const char* name : {"a.zrf", "b.dovu", "c.zr2u", "d.csa"}) {
    QFile f(folder.path() + u'/' + QString::fromLatin1(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
  }
  int cut = -1;
  QString seen;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* tree = dialog->findChild<QTreeView*>();
    ASSERT_NE(tree, nullptr);
    QTest::qWaitFor([tree] { return tree->model()->rowCount(tree->rootIndex()) >= 4; });
    QTest::qWait(100);
    cut = 0;
    const QFontMetrics fm(tree->font());
    for (int row = 0; row < tree->model()->rowCount(tree->rootIndex()); ++row)
      for (int column = 1; column <= 3; ++column) {
        const QString text = tree->model()->index(row, column, tree->rootIndex()).data().toString();
        seen += text + u'|';
        if (fm.horizontalAdvance(text) > tree->columnWidth(column)) ++cut;
      }
    dialog->reject();
  });
  FileDialogRequest r;
  r.folder = folder.path().toStdU16String();
  r.filters = OpenFileFilters();
  r.filterIndex = int(r.filters.size());  // すべてのファイル
  RunFileDialog(nullptr, r);
  EXPECT_EQ(cut, 0) << seen.toStdString();
}

}  // namespace
