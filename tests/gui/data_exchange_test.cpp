// The data exchange of pages and dialogs, the spin edit and the tabbed sheet.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

#include "settings/data_exchange_qt.h"
#include "settings/env.h"
#include "settings/pro_sheet_qt.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

namespace {

enum Kind { kInt, kUnsigned, kUnsignedRange, kIntRange, kText5, kMultiText5 };

// Runs one field through a save; returns the message shown ("" none) and the member.
std::u16string SaveOne(Kind kind, const QString& input, int& number, std::u16string& text) {
  RecordingUi ui;
  QLineEdit edit;
  QPlainTextEdit plain;
  plain.setPlainText(input);
  edit.setText(input);
  DataExchange dx(true);
  switch (kind) {
    case kInt: dx.Int(&edit, number); break;
    case kUnsigned: dx.Unsigned(&edit, number); break;
    case kUnsignedRange: dx.UnsignedRange(&edit, number, 500, 1000000); break;
    case kIntRange: dx.IntRange(&edit, number, -1000, 1000); break;
    case kText5: dx.Text(&edit, text, 5); break;
    case kMultiText5: dx.Text(&plain, text, 5); break;
  }
  EXPECT_EQ(dx.Failed(), !ui.boxes.empty());
  if (ui.boxes.empty()) return u"";
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].flags, kMbOk | kMbIconWarning);
  EXPECT_EQ(ui.boxes[0].caption, u"");  // the product title
  return ui.boxes[0].text;
}

}  // namespace

TEST(DataExchange, ChecksAsATable) {
  EnsureQtApp();
  const std::u16string mInt = kDxIntMessage, mUns = kDxUnsignedMessage;
  const std::u16string kRange = u"500 から 1000000 までの整数を入力してください。";
  const std::u16string kSmall = u"-1000 から 1000 までの整数を入力してください。";
  const std::u16string kLong = u"5 文字以内で入力してください。";
  struct Case {
    Kind kind;
    const char16_t* input;
    std::u16string message;
    int number;                 // stored when no message (or kept at 77)
    const char16_t* text = u"";
  } cases[] = {
      {kInt, u"", mInt, 77},
      {kInt, u"abc", mInt, 77},
      {kInt, u"12abc", mInt, 77},
      {kInt, u"-5", u"", -5},
      {kInt, u"0", u"", 0},
      {kInt, u" 42 ", u"", 42},
      {kInt, u"2147483647", u"", 2147483647},
      {kInt, u"2147483648", mInt, 77},
      {kUnsigned, u"", mUns, 77},
      {kUnsigned, u"abc", mUns, 77},
      {kUnsigned, u"-5", mUns, 77},
      {kUnsigned, u"0", u"", 0},
      {kUnsignedRange, u"-5", mUns, 77},
      {kUnsignedRange, u"0", kRange, 0},
      {kUnsignedRange, u"499", kRange, 499},
      {kUnsignedRange, u"500", u"", 500},
      {kUnsignedRange, u"1000000", u"", 1000000},
      {kUnsignedRange, u"1000001", kRange, 1000001},
      {kIntRange, u"-1000", u"", -1000},
      {kIntRange, u"-1001", kSmall, -1001},
      {kIntRange, u"1001", kSmall, 1001},
      {kText5, u"", u"", 77, u""},
      {kText5, u"abcde", u"", 77, u"abcde"},
      {kText5, u"abcdef", kLong, 77, u"abcdef"},
      {kText5, u"将棋将棋将", u"", 77, u"将棋将棋将"},
      // A break in a multi-line box is kept as CR LF and counts two.
      {kMultiText5, u"ab\ncd", kLong, 77, u"ab\r\ncd"},
      {kMultiText5, u"ab\nc", u"", 77, u"ab\r\nc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.input).toStdString() + " kind " + std::to_string(c.kind));
    int number = 77;
    std::u16string text = u"old";
    EXPECT_EQ(SaveOne(c.kind, QString::fromUtf16(c.input), number, text), c.message);
    EXPECT_EQ(number, c.number);
    if (c.kind == kText5 || c.kind == kMultiText5) {
      EXPECT_EQ(text, c.text);
    }
  }
}

TEST(DataExchange, ButtonsGroupsAndCombos) {
  EnsureQtApp();
  QCheckBox box;
  QButtonGroup group;
  QRadioButton r0, r1, r2;
  group.addButton(&r0, 0);
  group.addButton(&r1, 1);
  group.addButton(&r2, 2);
  QComboBox combo;
  combo.addItems({"a", "b", "c"});
  int check = 1, radio = 2, index = 1;
  {
    DataExchange in(false);
    in.Check(&box, check);
    in.Radio(&group, radio);
    in.ComboIndex(&combo, index);
  }
  EXPECT_TRUE(box.isChecked());
  EXPECT_TRUE(r2.isChecked());
  EXPECT_EQ(combo.currentIndex(), 1);
  box.setChecked(false);
  r0.setChecked(true);
  combo.setCurrentIndex(2);
  DataExchange out(true);
  out.Check(&box, check);
  out.Radio(&group, radio);
  out.ComboIndex(&combo, index);
  EXPECT_EQ(check, 0);
  EXPECT_EQ(radio, 0);
  EXPECT_EQ(index, 2);
  // A value no button carries selects none.
  radio = 7;
  DataExchange none(false);
  none.Radio(&group, radio);
  EXPECT_EQ(group.checkedId(), -1);
}

TEST(SpinEdit, ArrowsStayInRangeTypingIsFree) {
  EnsureQtApp();
  SpinEdit spin;
  spin.SetSpinRange(1, 100);
  spin.SetText("100");
  spin.stepBy(1);
  EXPECT_EQ(spin.Text(), "100");
  spin.SetText("150");  // typed: kept, checked only by the exchange
  int v = 0;
  DataExchange dx(true);
  dx.Unsigned(&spin, v);
  EXPECT_EQ(v, 150);
  spin.stepBy(-1);
  EXPECT_EQ(spin.Text(), "100");
  spin.SetText("abc");
  spin.stepBy(1);
  EXPECT_EQ(spin.Text(), "2");
  SpinEdit fast;
  fast.SetSpinRange(0, 25500);
  fast.SetAcceleration(100, 1000, 2000);
  fast.SetText("0");
  fast.stepBy(1);
  EXPECT_EQ(fast.Text(), "100");
}

namespace {

class NumberPage : public CPropertyPage {
public:
  int value = 5;
  int inits = 0, oks = 0;
  SpinEdit* edit = new SpinEdit(this);

protected:
  void DoDataExchange(DataExchange& dx) override { dx.UnsignedRange(edit, value, 0, 20); }
  void OnInitDialog() override {
    ++inits;
    CPropertyPage::OnInitDialog();
  }

public:
  void OnOK() override { ++oks; }
};

struct ThreePages {
  CProSheet sheet{"設定", nullptr, 1};
  NumberPage* p[3] = {new NumberPage, new NumberPage, new NumberPage};
  ThreePages() {
    for (int i = 0; i < 3; ++i) sheet.AddPage(p[i], QString::number(i));
  }
};

}  // namespace

TEST(ProSheet, LeavingAFailingPageIsRefused) {
  EnsureQtApp();
  RecordingUi ui;
  ThreePages s;
  SetSheetRunner([&](CProSheet& sheet) {
    EXPECT_EQ(sheet.ActiveIndex(), 1);
    EXPECT_EQ(s.p[1]->edit->Text(), "5");
    s.p[1]->edit->SetText("21");
    EXPECT_FALSE(sheet.SetActivePage(2));
    EXPECT_EQ(sheet.ActiveIndex(), 1);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
    sheet.Tabs()->setCurrentIndex(0);  // as a click on the tab
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
    sheet.ClickOk();
    EXPECT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);  // still open
    s.p[1]->edit->SetText("20");
    EXPECT_TRUE(sheet.SetActivePage(2));
    sheet.ClickOk();
    return sheet.result();
  });
  g_nSettingsPage = 0;
  EXPECT_EQ(s.sheet.DoModal(), QDialog::Accepted);
  SetSheetRunner(nullptr);
  EXPECT_EQ(ui.boxes[0].text, u"0 から 20 までの整数を入力してください。");
  EXPECT_EQ(s.p[1]->value, 20);
  // Only pages that were shown are initialised and told of OK.
  EXPECT_EQ(s.p[0]->inits + s.p[0]->oks, 0);
  EXPECT_EQ(s.p[1]->inits, 1);
  EXPECT_EQ(s.p[1]->oks, 1);
  EXPECT_EQ(s.p[2]->oks, 1);
  EXPECT_EQ(g_nSettingsPage, 2);  // the page active at the close
}

TEST(ProSheet, CancelRemembersThePageAndHelpFollowsIt) {
  EnsureQtApp();
  ThreePages s;
  std::vector<int> topics;
  SetHelpOpener([&](int topic) {
    topics.push_back(topic);
    return true;
  });
  SetSheetRunner([&](CProSheet& sheet) {
    sheet.ClickHelp();
    sheet.SetActivePage(0);
    sheet.ClickHelp();
    sheet.ClickCancel();
    return sheet.result();
  });
  EXPECT_EQ(s.sheet.DoModal(), QDialog::Rejected);
  SetSheetRunner(nullptr);
  SetHelpOpener(nullptr);
  EXPECT_EQ(topics, (std::vector<int>{10012, 10011}));
  EXPECT_EQ(g_nSettingsPage, 0);
  EXPECT_EQ(s.p[1]->oks, 0);
}
