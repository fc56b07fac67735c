// The Qt message boxes: caption, icon, buttons and the answer each button
// gives, the default button, and closing a box without a button.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <QAbstractButton>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
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

// The width the view itself asks of a column: its widest entry on show, or
// its header.
int NeededWidth(QTreeView* tree, int column) {
  const QAbstractItemView* view = tree;
  return std::max(view->sizeHintForColumn(column), tree->header()->sectionSizeHint(column));
}

// The names of the entries the view shows, each once its type is in (empty
// while any is still without one).
QStringList ShownNames(QTreeView* tree) {
  QStringList names;
  const QAbstractItemModel* model = tree->model();
  for (int row = 0; row < model->rowCount(tree->rootIndex()); ++row) {
    if (model->index(row, 2, tree->rootIndex()).data().toString().isEmpty()) return {};
    names << model->index(row, 0, tree->rootIndex()).data().toString();
  }
  names.sort();
  return names;
}

// Waits until the view shows `names`, then until every column holds what it
// shows; a column still cut is a failure.
void ExpectColumnsHold(QTreeView* tree, const QStringList& names) {
  ASSERT_TRUE(QTest::qWaitFor([&] { return ShownNames(tree) == names; }))
      << "shown: " << ShownNames(tree).join(u' ').toStdString();
  auto allHold = [tree] {
    for (int column = 0; column < tree->header()->count(); ++column)
      if (!tree->isColumnHidden(column) && tree->columnWidth(column) < NeededWidth(tree, column)) return false;
    return true;
  };
  QTest::qWaitFor(allHold, 1000);
  for (int column = 0; column < tree->header()->count(); ++column) {
    if (tree->isColumnHidden(column)) continue;
    EXPECT_GE(tree->columnWidth(column), NeededWidth(tree, column))
        << tree->model()->headerData(column, Qt::Horizontal).toString().toStdString();
  }
}

// After every change of folder or file type, the open dialog's columns are
// as wide as the view wants for the sizes, types and dates it shows.
TEST(QtUi, TheOpenDialogsColumnsHoldTheirEntries) {
  EnsureQtApp();
  ASSERT_TRUE(InstallJapaneseQtTranslation());
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString folderName = u"棋譜"_s;
  ASSERT_TRUE(QDir(root.path()).mkdir(folderName));
  // Empty files: the records' type (an empty document) is narrower than
  // the text file's, which only the last type of the list shows.
  for (const char* name : {"a.zrf", "b.dovu", "c.txt", "d.zr2", "e.png"}) {
    QFile f(root.path() + u'/' + folderName + u'/' + QString::fromLatin1(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  // The files each type of the open list shows, in the list's order.
  const QStringList shown[] = {{u"a.zrf"_s, u"b.dovu"_s},
                               {u"d.zr2"_s},
                               {},
                               {},
                               {u"a.zrf"_s, u"b.dovu"_s, u"d.zr2"_s},
                               {u"a.zrf"_s, u"b.dovu"_s, u"c.txt"_s, u"d.zr2"_s, u"e.png"_s}};
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    // Closed whatever the checks find, so that a failure cannot hang the run.
    struct Closer {
      QFileDialog* dialog;
      ~Closer() { dialog->reject(); }
    } closer{dialog};
    auto* tree = dialog->findChild<QTreeView*>();
    auto* types = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), int(std::size(shown)));
    ASSERT_EQ(types->currentIndex(), 0);

    // Into the folder by a double click on it.
    QModelIndex entry;
    ASSERT_TRUE(QTest::qWaitFor([&] {
      const QModelIndexList found =
          tree->model()->match(tree->model()->index(0, 0, tree->rootIndex()), Qt::DisplayRole, folderName);
      entry = found.isEmpty() ? QModelIndex() : found.front();
      return entry.isValid();
    }));
    const QPoint at = tree->visualRect(entry).center();
    // A double click is a click and then the double click event.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(dialog->directory().path()).fileName() == folderName; }));
    {
      SCOPED_TRACE(types->currentText().toStdString());
      ExpectColumnsHold(tree, shown[0]);
    }
    if (::testing::Test::HasFatalFailure()) return;

    // Each type in turn, as the arrow key picks it; すべてのファイル last.
    for (int index = 1; index < types->count(); ++index) {
      QTest::keyClick(types, Qt::Key_Down);
      ASSERT_EQ(types->currentIndex(), index);
      SCOPED_TRACE(types->currentText().toStdString());
      ExpectColumnsHold(tree, shown[index]);
      if (::testing::Test::HasFatalFailure()) return;
    }
  });
  FileDialogRequest r;
  r.folder = root.path().toStdU16String();
  r.filters = OpenFileFilters();
  r.filterIndex = 1;
  RunFileDialog(nullptr, r);
}

}  // namespace
