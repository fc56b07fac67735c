// The settings sheet: every page's settings in, its controls, its settings
// out; OK, Cancel, the remembered page, help and the repaints after OK.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>

#include "app/file_commands.h"
#include "app/narvo_app.h"
#include "record/history.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "settings/pro_sheet_qt.h"
#include "settings/settings_pages_qt.h"
#include "settings/settings_sheet_qt.h"
#include "view/piece_images.h"
#include "view/sounds.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"

using namespace Qt::StringLiterals;

namespace {

std::vector<std::string> g_trace;
void RecordTrace(const char* step) { g_trace.push_back(step); }

class SettingsSheetTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    savedFolder_ = g_szDataFolder;
    g_szDataFolder = dir_.path().toStdU16String() + u"/";
    g_hisSaveName.count = 0;
    g_AppMode = kModeView;
    g_trace.clear();
    g_pSettingsSheetTrace = RecordTrace;
  }
  void TearDown() override {
    SetSheetRunner(nullptr);
    SetCtrlHeldQuery(nullptr);
    SetPrintFontChooser(nullptr);
    SetHelpOpener(nullptr);
    g_pSettingsSheetTrace = nullptr;
    g_szDataFolder = savedFolder_;
    g_hisSaveName.count = 0;
    g_AppMode = kModeView;
    ResetEnvDefaults();
  }
  // Opens the sheet; body drives it and returns true for OK, false for Cancel.
  void Run(const std::function<bool(CProSheet&)>& body) {
    SetSheetRunner([&](CProSheet& sheet) {
      if (body(sheet))
        sheet.ClickOk();
      else
        sheet.ClickCancel();
      if (sheet.result() != QDialog::Accepted && sheet.isVisible()) ADD_FAILURE() << "still open";
      return sheet.result();
    });
    DoSettingsSheet(nullptr);
    SetSheetRunner(nullptr);
  }
  template <class P>
  static P* Show(CProSheet& sheet, int index) {
    EXPECT_TRUE(sheet.SetActivePage(index));
    return dynamic_cast<P*>(sheet.Page(index));
  }
  QTemporaryDir dir_;
  std::u16string savedFolder_;
};

QString Text(QPlainTextEdit* e) { return e->toPlainText(); }

std::u16string ReplaceLine(std::u16string file, std::u16string_view from, std::u16string_view to) {
  size_t at = file.find(from);
  EXPECT_NE(at, std::u16string::npos);
  if (at != std::u16string::npos) file.replace(at, from.size(), to);
  return file;
}

}  // namespace

TEST_F(SettingsSheetTest, OkUntouchedChangesOnlyTheUpperCaseBreaks) {
  RecordingUi ui;
  std::u16string before = FormatEnvFile();
  Run([&](CProSheet& sheet) {
    EXPECT_EQ(sheet.PageCount(), 15);
    for (int i = 0; i < sheet.PageCount(); ++i) EXPECT_TRUE(sheet.SetActivePage(i));
    return true;
  });
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(FormatEnvFile(), ReplaceLine(before, u"\"%Oさん、こんにちは。%C%C%D\"",
                                         u"\"%Oさん、こんにちは。%c%c%D\""));
  EXPECT_EQ(g_trace, (std::vector<std::string>{"info-panel"}));
}

// The mail page's edits stop at what the settings keep: 1023 characters of
// body (a line break counts as the two of CR LF), 255 of subject and recipient.
TEST_F(SettingsSheetTest, MailPageEditsStopAtTheirLimits) {
  RecordingUi ui;
  Run([&](CProSheet& sheet) {
    auto* mail = Show<CIntMailPage>(sheet, 2);
    mail->body->setPlainText(QString());
    mail->body->insertPlainText(QString(1000, u'a') + u"\n"_s + QString(100, u'b'));
    const QString body = mail->body->toPlainText();
    EXPECT_EQ(body.size() + body.count(u'\n'), 1023);
    mail->subject->setText(QString(300, u's'));
    mail->to->setText(QString(300, u't'));
    EXPECT_EQ(mail->subject->text().size(), 255);
    EXPECT_EQ(mail->to->text().size(), 255);
    return true;
  });
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(g_szNetMailBody, std::u16string(1000, u'a') + u"%c" + std::u16string(21, u'b'));
  EXPECT_EQ(g_szNetMailSubject.size(), 255u);
}

TEST_F(SettingsSheetTest, CancelAfterEditsOnEveryPageChangesNothing) {
  RecordingUi ui;
  std::u16string before = FormatEnvFile();
  SetPrintFontChooser([](QWidget*, PrintFontChoice& f) {
    f = {u"IPAexMincho", 140, 700, 1};
    return true;
  });
  Run([&](CProSheet& sheet) {
    Show<CDovuPage>(sheet, 0)->maxRecord->SetText("20000");
    Show<CInfoPage>(sheet, 1)->user[2]->setText("相手");
    Show<CIntMailPage>(sheet, 2)->subject->setText("件名");
    Show<CMailPage>(sheet, 3)->saveMode->button(2)->click();
    Show<CSndPage>(sheet, 4)->warning->click();
    Show<CPrintPage>(sheet, 5)->lineSpacing->SetText("-5");
    auto* p2 = Show<CPrint2Page>(sheet, 6);
    p2->boardFont->click();
    p2->handFont->click();
    Show<CMiscPage>(sheet, 7)->saveName->setEditText("新しい名前");
    Show<CUnicodePage>(sheet, 8)->unicode->click();
    Show<CImagePage>(sheet, 9)->fileName->setText("%f");
    Show<CReplayPg>(sheet, 10)->slider->setValue(3000);
    Show<CHisPage>(sheet, 11)->mode[6]->setCurrentIndex(0);
    Show<CEngPage>(sheet, 12)->style->button(2)->click();
    return false;
  });
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(FormatEnvFile(), before);
  EXPECT_EQ(g_nHistoryModeUser3, 1);
  EXPECT_FALSE(QFile::exists(QString::fromStdU16String(HistoryFilePath(g_hisSaveName))));
  EXPECT_EQ(g_nSettingsPage, 12);
}

TEST_F(SettingsSheetTest, RecordPageConversionsAndRules) {
  // ZR2形式: 2 shows ▲△, anything else ▲▽; stored back as 2 or 3 untouched.
  const int styles[][3] = {{0, 1, 3}, {1, 1, 3}, {2, 0, 2}, {3, 1, 3}};
  for (const auto& s : styles) {
    g_nZr2Style = (unsigned char)s[0];
    Run([&](CProSheet& sheet) {
      EXPECT_EQ(Show<CDovuPage>(sheet, 0)->marks->checkedId(), s[1]);
      return true;
    });
    EXPECT_EQ(g_nZr2Style, s[2]) << s[0];
  }
  RecordingUi ui;
  g_bCommentAutoWrap = 0;
  g_nCommentWrapColumn = 60;
  Run([&](CProSheet& sheet) {
    auto* page = Show<CDovuPage>(sheet, 0);
    EXPECT_FALSE(page->wrapColumn->isEnabled());
    EXPECT_EQ(page->wrapColumn->Text(), "60");
    page->wrap->click();
    EXPECT_TRUE(page->wrapColumn->isEnabled());
    page->zr2Columns->SetText("256");  // more than its byte holds
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(ui.boxes.back().text, u"0 から 255 までの整数を入力してください。");
    page->zr2Columns->SetText("150");  // past the arrows' range: accepted
    page->boardFormat->setPlainText("%n手\n%*");
    page->maxRecord->SetText("499");
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(ui.boxes.back().text, u"500 から 1000000 までの整数を入力してください。");
    page->maxRecord->SetText("1000000");
    return true;
  });
  EXPECT_EQ(g_bCommentAutoWrap, 1);
  EXPECT_EQ(g_nZr2MovesPerLine, 150);
  EXPECT_EQ(g_szBoardTextFormat, u"%n手%c%*");
  EXPECT_EQ(g_nMaxRecordSize, 1000000);
  EXPECT_EQ(g_nMaxRecordSizeAtStart, 10000);
  ASSERT_EQ(ui.boxes.size(), 3u);  // two range messages, then the restart message once
  EXPECT_EQ(ui.boxes[2].text, kMaxRecordRestartMessage);
  EXPECT_EQ(ui.boxes[2].flags, kMbOk | kMbIconInformation);
  Run([&](CProSheet& sheet) {
    EXPECT_EQ(Show<CDovuPage>(sheet, 0)->maxRecord->Text(), "1000000");
    return true;
  });
  EXPECT_EQ(ui.boxes.size(), 3u);
}

TEST_F(SettingsSheetTest, InformationHistoryAndEnglishPages) {
  RecordingUi ui;
  g_nHistoryModeUser2 = 1;
  Run([&](CProSheet& sheet) {
    auto* info = Show<CInfoPage>(sheet, 1);
    EXPECT_EQ(info->user[4]->text(), u"相手アドレス"_s);
    EXPECT_EQ(info->problem[0]->text(), u"作者：%/3"_s);
    // The edits take no more than their limits.
    info->user[2]->setText(QString(101, u'x'));
    EXPECT_EQ(info->user[2]->text().size(), 100);
    info->problem[1]->setText(QString(256, u'y'));
    EXPECT_EQ(info->problem[1]->text().size(), 255);
    info->problem[1]->setText(u"発表：%/4"_s);
    auto* his = Show<CHisPage>(sheet, 11);
    EXPECT_EQ(his->count->Text(), "20");
    his->count->SetText("21");
    EXPECT_FALSE(sheet.SetActivePage(12));
    his->count->SetText("0");
    his->mode[6]->setCurrentIndex(0);
    auto* eng = Show<CEngPage>(sheet, 12);
    EXPECT_EQ(eng->style->checkedId(), 0);
    EXPECT_EQ(Text(eng->boardFormat), u"%dup to %n.%l.\n"_s);
    eng->style->button(2)->click();
    return true;
  });
  std::vector<std::u16string> messages;
  for (const RecordedBox& b : ui.boxes) messages.push_back(b.text);
  EXPECT_EQ(messages, (std::vector<std::u16string>{u"0 から 20 までの整数を入力してください。"}));
  EXPECT_EQ(g_szUserInfoName[2], std::u16string(100, u'x'));
  EXPECT_EQ(g_nHistorySize, 0);
  for (int mode : {g_nHistoryModeUser, g_nHistoryModeUser2, g_nHistoryModeUser3,
                   g_nHistoryModeUser4, g_nHistoryModeUser5})
    EXPECT_EQ(mode, 0);
  EXPECT_EQ(g_nHistoryModePlayers, 1);
  EXPECT_EQ(g_nEngRecordStyle, 2);
  EXPECT_EQ(g_szEngBoardTextFormat, u"%dup to %n.%l.%c");
}

TEST_F(SettingsSheetTest, MailSoundAndPrintPagesEnableTheirFields) {
  RecordingUi ui;
  g_nMailSaveMode = 0;
  g_nPieceSound = 4;
  g_szUserWave = u"/tmp/a.wav";
  g_bPrintNamesVertical = 1;
  // What the test button plays, with the settings as they were meanwhile.
  struct Port : SoundPort {
    std::vector<std::u16string> played;
    void PlayWarning() override { played.push_back(u"warning"); }
    void Beep() override { played.push_back(u"beep " + std::u16string(1, char16_t(u'0' + g_nPieceSound))); }
    void Preload(const std::u16string&) override {}
    void PlayResource(const std::u16string& r) override { played.push_back(r); }
    bool PlayFile(const std::u16string& path) override {
      played.push_back(path);
      return true;
    }
  } port;
  SoundPort* previousPort = SetSoundPort(&port);
  const std::u16string wave = dir_.path().toStdU16String() + u"/b.wav";
  QFile waveFile(QString::fromStdU16String(wave));
  ASSERT_TRUE(waveFile.open(QIODevice::WriteOnly));
  // A mono 8-bit PCM WAVE of 8000 Hz with four samples.
  waveFile.write(QByteArray("RIFF\x28\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0"
                            "\x40\x1f\0\0\x01\0\x08\0data\x04\0\0\0\x80\x80\x80\x80",
                            48));
  waveFile.close();
  Run([&](CProSheet& sheet) {
    auto* mail = Show<CMailPage>(sheet, 3);
    EXPECT_FALSE(mail->appendName->isEnabled());
    EXPECT_EQ(mail->appendName->text(), "PAD");
    mail->appendName->setText("MEMO");  // typed while another choice is selected
    mail->saveMode->button(2)->click();
    EXPECT_TRUE(mail->appendName->isEnabled());
    mail->format1->setPlainText("a\nb\nc");

    auto* sound = Show<CSndPage>(sheet, 4);
    EXPECT_TRUE(sound->wave->isEnabled());
    sound->sound->button(1)->click();
    EXPECT_FALSE(sound->wave->isEnabled());
    EXPECT_FALSE(sound->browse->isEnabled());
    sound->test->click();
    sound->sound->button(4)->click();
    sound->test->click();  // /tmp/a.wav is no WAVE file
    sound->wave->setText(QString::fromStdU16String(wave));
    sound->test->click();
    EXPECT_EQ(g_nPieceSound, 4);
    EXPECT_EQ(g_szUserWave, u"/tmp/a.wav");
    sound->sound->button(1)->click();

    auto* print = Show<CPrintPage>(sheet, 5);
    print->namesVertical->click();
    EXPECT_FALSE(print->blackChars->isEnabled());
    EXPECT_FALSE(print->whiteChars->isEnabled());
    print->whiteChars->SetText("7");
    print->lineSpacing->SetText("-5");
    print->leftMargin->SetText("-5");
    EXPECT_FALSE(sheet.SetActivePage(6));
    print->leftMargin->SetText("2000");  // past the arrows: accepted
    return true;
  });
  SetSoundPort(previousPort);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, u"WAVEファイル(/tmp/a.wav)の再生に失敗しました。");
  EXPECT_EQ(ui.boxes[1].text, u"正の整数を入力してください。");
  EXPECT_EQ(port.played, (std::vector<std::u16string>{u"beep 1", wave}));
  EXPECT_EQ(g_nMailSaveMode, 2);
  EXPECT_EQ(g_szMailAppendName, u"MEMO");
  EXPECT_EQ(g_szMailFormat1, u"a%cb%cc");
  EXPECT_EQ(g_nPieceSound, 1);
  EXPECT_EQ(g_szUserWave, wave);
  EXPECT_EQ(g_bPrintNamesVertical, 0);
  EXPECT_EQ(g_nPrintWhiteNameChars, 7);  // kept while disabled
  EXPECT_EQ(g_nPrintLineSpacing, -5);
  EXPECT_EQ(g_nPrintLeftMarginMm, 2000);
}

TEST_F(SettingsSheetTest, ReplayPageIntervalSliderAndWaits) {
  RecordingUi ui;
  g_nReplaySpeed = 15;
  g_nStopAtComment = 2;
  g_nCommentWaitMs = 700;
  Run([&](CProSheet& sheet) {
    auto* page = Show<CReplayPg>(sheet, 10);
    EXPECT_EQ(page->interval->Text(), "1500");
    EXPECT_EQ(page->slider->value(), 1500);
    EXPECT_TRUE(page->commentWait->isEnabled());
    EXPECT_FALSE(page->branchWait->isEnabled());
    page->stopAtComment->button(1)->click();
    EXPECT_FALSE(page->commentWait->isEnabled());
    page->slider->setValue(3000);
    EXPECT_EQ(page->interval->Text(), "3000");
    page->interval->SetText("1550");
    EXPECT_EQ(page->slider->value(), 1550);
    return true;
  });
  EXPECT_EQ(g_nReplaySpeed, 15);
  EXPECT_EQ(g_nStopAtComment, 1);
  EXPECT_EQ(g_nCommentWaitMs, 700);
  EXPECT_TRUE(ui.boxes.empty());

  Run([&](CProSheet& sheet) {
    auto* page = Show<CReplayPg>(sheet, 10);
    EXPECT_EQ(page->interval->Text(), "1500");
    page->slider->setValue(3000);
    return true;
  });
  EXPECT_EQ(g_nReplaySpeed, 30);

  // Typing is checked at every keystroke.
  Run([&](CProSheet& sheet) {
    auto* page = Show<CReplayPg>(sheet, 10);
    page->interval->Edit()->selectAll();
    QTest::keyClicks(page->interval->Edit(), "3000");
    EXPECT_TRUE(ui.boxes.empty());
    QTest::keyClicks(page->interval->Edit(), "0");
    EXPECT_EQ(ui.boxes.size(), 1u);
    page->interval->SetText("2000");
    return true;
  });
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"0 から 25500 までの整数を入力してください。");
  EXPECT_EQ(g_nReplaySpeed, 20);
}

TEST_F(SettingsSheetTest, BehaviourPageHiddenOptionAndHistory) {
  for (bool ctrl : {false, true}) {
    SetCtrlHeldQuery([ctrl] { return ctrl; });
    g_bUseEDovu2 = 1;
    Run([&](CProSheet& sheet) {
      auto* page = Show<CMiscPage>(sheet, 7);
      EXPECT_EQ(page->eDovu2->isVisibleTo(page), ctrl);
      EXPECT_TRUE(page->eDovu2->isChecked());
      return true;
    });
    EXPECT_EQ(g_bUseEDovu2, 1);
  }
  QString file = QString::fromStdU16String(HistoryFilePath(g_hisSaveName));
  // Unchanged, emptied, or the page never shown: the history is left alone.
  for (const char* name : std::initializer_list<const char*>{"", nullptr}) {
    Run([&](CProSheet& sheet) {
      auto* page = Show<CMiscPage>(sheet, 7);
      if (name) page->saveName->setEditText(name);
      return true;
    });
    EXPECT_FALSE(QFile::exists(file));
  }
  EXPECT_EQ(g_szDefaultSaveName, u"");
  g_szDefaultSaveName = u"%G%b4%w4";
  Run([&](CProSheet& sheet) {
    static_cast<CMiscPage*>(sheet.Page(7))->m_strSaveName = u"不使用";
    return true;
  });
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(g_szDefaultSaveName, u"%G%b4%w4");

  // A new name with an empty history: the old name, then the new one.
  Run([&](CProSheet& sheet) {
    Show<CMiscPage>(sheet, 7)->saveName->setEditText(u"%Y%m%d"_s);
    EXPECT_TRUE(sheet.SetActivePage(0));
    return true;
  });
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBF%Y%m%d\r\n%G%b4%w4\r\n"));
  EXPECT_EQ(g_szDefaultSaveName, u"%Y%m%d");
  Run([&](CProSheet& sheet) {
    auto* page = Show<CMiscPage>(sheet, 7);
    EXPECT_EQ(page->saveName->count(), 2);
    EXPECT_EQ(page->saveName->currentText(), u"%Y%m%d"_s);
    return false;
  });
}

TEST_F(SettingsSheetTest, MoveListRebuiltOnlyForItsThreeSettings) {
  struct Case {
    std::function<void(CProSheet&)> edit;
    bool rebuilt;
  } cases[] = {
      {[](CProSheet& s) { Show<CMiscPage>(s, 7)->notation->button(0)->click(); }, true},
      {[](CProSheet& s) { Show<CMiscPage>(s, 7)->checkRules->click(); }, true},
      {[](CProSheet& s) { Show<CDovuPage>(s, 0)->dropMark->click(); }, true},
      {[](CProSheet& s) { Show<CDovuPage>(s, 0)->backup->click(); }, false},
      {[](CProSheet& s) { Show<CMiscPage>(s, 7)->notation->button(2)->click(); }, false},
  };
  for (const Case& c : cases) {
    ResetEnvDefaults();
    g_trace.clear();
    Run([&](CProSheet& sheet) {
      c.edit(sheet);
      return true;
    });
    std::vector<std::string> expected{"info-panel"};
    if (c.rebuilt) expected = {"move-list", "branch", "info-panel"};
    EXPECT_EQ(g_trace, expected);
  }
}

TEST_F(SettingsSheetTest, HelpTopicsAndTheRememberedPage) {
  std::vector<int> topics;
  SetHelpOpener([&](int topic) {
    topics.push_back(topic);
    return true;
  });
  g_nSettingsPage = 12;
  Run([&](CProSheet& sheet) {
    EXPECT_EQ(sheet.ActiveIndex(), 12);
    for (int i = 0; i < sheet.PageCount(); ++i) {
      sheet.SetActivePage(i);
      sheet.ClickHelp();
    }
    sheet.SetActivePage(9);
    return false;
  });
  EXPECT_EQ(topics, (std::vector<int>{10011, 10012, 10013, 10013, 10014, 10015, 10024, 10016,
                                      10023, 10017, 10018, 10019, 10020, 10021, 10022}));
  EXPECT_EQ(g_nSettingsPage, 9);
  EXPECT_EQ(SheetHelpTopic(13), 10021);
  EXPECT_EQ(SheetHelpTopic(14), 10022);
  EXPECT_EQ(SheetHelpTopic(15), 10010);
  // Each page's topic is a section of the help page, with text of its own.
  QFile help(u":/help/index.html"_s);
  InitBuiltinResources();
  ASSERT_TRUE(help.open(QIODevice::ReadOnly));
  const QString page = QString::fromUtf8(help.readAll());
  for (int topic : topics) {
    const qsizetype at = page.indexOf(u"id=\""_s + QString::number(topic) + u"\""_s);
    EXPECT_GE(at, 0) << topic;
    EXPECT_GT(page.indexOf(u"<p>"_s, at) - at, 0) << topic;
  }
}

TEST_F(SettingsSheetTest, PrintFontsStoredAtOnceAndPutBackByCancel) {
  SetPrintFontChooser([](QWidget*, PrintFontChoice& f) {
    EXPECT_EQ(f.face, u"ＭＳ ゴシック");
    f = {u"IPAexGothic", 120, 700, 0};
    return true;
  });
  const EnvFont printFont = g_fontPrint, handFont = g_fontPrintHandPt;
  // From the preview bar: 印刷2 first, the preview follows each choice.
  g_AppMode = kModePreview;
  g_nSettingsPage = 6;
  Run([&](CProSheet& sheet) {
    EXPECT_EQ(sheet.ActiveIndex(), 6);
    auto* page = static_cast<CPrint2Page*>(sheet.Page(6));
    page->boardFont->click();
    EXPECT_EQ(g_fontPrintPt, (EnvFont{u"IPAexGothic", 120, 700, 0}));
    EXPECT_EQ(g_fontPrint, (EnvFont{u"IPAexGothic", -16, 700, 0}));
    EXPECT_EQ(g_trace, (std::vector<std::string>{"preview-page"}));
    page->handFont->click();
    EXPECT_EQ(g_fontPrintHandPt, (EnvFont{u"IPAexGothic", 120, 700, 0}));
    return false;
  });
  EXPECT_EQ(g_fontPrint, printFont);
  EXPECT_EQ(g_fontPrintHandPt, handFont);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"preview-page", "preview-page", "preview-page"}));

  g_trace.clear();
  Run([&](CProSheet& sheet) {
    static_cast<CPrint2Page*>(sheet.Page(6))->boardFont->click();
    return true;
  });
  EXPECT_EQ(g_fontPrintPt.size, 120);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"preview-page", "view"}));  // OK: only the preview

  // Outside preview the view is not drawn over; a cancelled chooser changes nothing.
  g_AppMode = kModeView;
  g_trace.clear();
  SetPrintFontChooser([](QWidget*, PrintFontChoice&) { return false; });
  Run([&](CProSheet& sheet) {
    static_cast<CPrint2Page*>(sheet.Page(6))->boardFont->click();
    return true;
  });
  EXPECT_EQ(g_fontPrintPt.size, 120);
  EXPECT_EQ(g_trace, (std::vector<std::string>{"info-panel"}));
}

// Every page as the user sees it: no label, button or box text cut short.
// With NARVO_RENDER_DIR set, each page is also saved there as a PNG.
TEST_F(SettingsSheetTest, EveryPageFitsItsTexts) {
  SetCtrlHeldQuery([] { return true; });
  Run([&](CProSheet& sheet) {
    sheet.show();
    for (int i = 0; i < sheet.PageCount(); ++i) {
      sheet.SetActivePage(i);
      QApplication::processEvents();
      QWidget* page = sheet.Page(i);
      for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page)) continue;
        bool texty = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        if (texty) {
          EXPECT_GE(w->width(), w->sizeHint().width())
              << sheet.Tabs()->tabText(i).toStdString() << ": " << w->metaObject()->className();
        }
      }
      if (const char* dir = std::getenv("NARVO_RENDER_DIR"))
        sheet.grab().save(QString::fromUtf8(dir) + QString("/settings-page-%1.png").arg(i, 2, 10, QChar('0')));
    }
    EXPECT_GE(sheet.Tabs()->width(), sheet.Tabs()->tabBar()->sizeHint().width());
    return false;
  });
}

TEST_F(SettingsSheetTest, BrowseButtonsTakeWhatTheDialogGives) {
  RecordingUi ui;
  const std::u16string folder = dir_.path().toStdU16String();
  QFile program(QString::fromStdU16String(folder + u"/db"));
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.close();
  std::vector<FileDialogRequest> asked;
  std::deque<std::pair<FileDialogResult, std::u16string>> answers = {
      {{1, 0}, folder + u"/a.wav"},
      {{1, 0}, folder + u"/db"},  // not executable yet: refused
      {{1, 0}, folder + u"/db"},
      {{-1, 12}, u""},
  };
  FileDialogFunction previous = SetFileDialog([&](CNarvoView*, FileDialogRequest& r) {
    asked.push_back(r);
    auto [result, path] = answers.front();
    answers.pop_front();
    r.fileName = path;
    return result;
  });
  g_nPieceSound = 4;
  g_szUserWave = u"/snd/old.wav";
  Run([&](CProSheet& sheet) {
    Show<CSndPage>(sheet, 4)->browse->click();
    auto* misc = Show<CMiscPage>(sheet, 7);
    misc->browseRecordDb->click();
    EXPECT_EQ(misc->recordDb->text(), "lorquen.exe");
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    misc->browseRecordDb->click();
    misc->browseProblemDb->click();
    return true;
  });
  SetFileDialog(previous);
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].title, u"WAVEファイルの設定");
  EXPECT_EQ(asked[0].folder, u"/snd");
  EXPECT_EQ(asked[0].filters.at(0).first, u"WAVE(*.WAV)");
  EXPECT_EQ(asked[0].filters.at(0).second, u"*.WAV;*.wav");
  EXPECT_EQ(asked[1].title, u"棋譜データベースプログラムの指定");
  EXPECT_EQ(asked[3].title, u"詰将棋データベースプログラムの指定");
  EXPECT_EQ(g_szUserWave, folder + u"/a.wav");
  EXPECT_EQ(g_szRecordDbProgram, folder + u"/db");
  EXPECT_EQ(g_szProblemDbProgram, u"brisqua.exe");
  EXPECT_EQ(ui.warnings, 1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"GetOpenFileName でエラー #12 が発生しました");
  EXPECT_EQ(ui.boxes[0].caption, u"警告");
  EXPECT_EQ(ui.boxes[0].flags, kMbOk | kMbIconError);
}
