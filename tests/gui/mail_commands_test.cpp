// Mail: the mailto link as the mail program decodes it, the attachment mail
// through xdg-email, and the mail text files.
#include "output/mail_commands.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <filesystem>
#include <sys/stat.h>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "record/board.h"
#include "record/datetime.h"
#include "record/mail_text.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"
#include "tests/support/record_building.h"
#include "view/navigation.h"
#include "record/clipboard_text.h"
#include "record/header.h"

namespace {

std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

class MailTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    InitSquareTables();
    InstallMoveNotation();
    ASSERT_EQ(InitRecordPool(g_Record, 2000), 0);
    Load("variations.zr2u");
    previous = SetMailUrlOpener([this](const std::string& url) {
      links.push_back(url);
      return openResult;
    });
  }
  void TearDown() override {
    SetMailUrlOpener(previous);
    ResetEnvDefaults();
  }
  void Load(const char* name) {
    const std::u16string path = PathFromNative(std::string(NARVO_TEST_DATA) + "/records/" + name);
    ASSERT_EQ(ReadRecordFile(true, path), 0);
    g_szRecordFilePath = path;
    g_szRecordTitle = u"変化";
  }
  // The link as the mail program reads it: subject and body decoded.
  struct Decoded {
    std::string to, subject, body;
  };
  Decoded Send() {
    links.clear();
    SendRecordByMail(nullptr);
    EXPECT_EQ(links.size(), 1u);
    if (links.empty()) return {};
    const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(links[0]), QUrl::StrictMode);
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), "mailto");
    const QUrlQuery q(url.query(QUrl::FullyEncoded));
    return {url.path().toStdString(), q.queryItemValue("subject", QUrl::FullyDecoded).toStdString(),
            q.queryItemValue("body", QUrl::FullyDecoded).toStdString()};
  }
  RecordingUi ui;
  MailUrlOpener previous;
  std::vector<std::string> links;
  bool openResult = true;
};

TEST_F(MailTest, DefaultTemplatesGreetTheSideToMoveAndCarryThePosition) {
  g_Record.header.firstPlayer = u"先太郎";
  g_Record.header.secondPlayer = u"後花子";
  g_Record.header.userItems[4] = u"taro+kifu@example.jp";
  std::u16string board0;
  FormatBoardDiagram(board0, g_Board);
  Decoded d = Send();
  EXPECT_EQ(d.to, "taro+kifu@example.jp");
  EXPECT_EQ(d.subject, "第0手、開始局面にです。");
  EXPECT_EQ(d.body, "先太郎さん、こんにちは。\r\n\r\n" + U8(board0) + "手数＝0    まで\r\n\r\n初手から\r\n");

  GotoMoveNumberOnLine(1);
  std::u16string board1;
  FormatBoardDiagram(board1, g_Board);
  d = Send();
  EXPECT_EQ(d.subject, "第1手、に▲７六歩です。");
  // The move has a comment, so %* of the position text breaks the line first.
  EXPECT_EQ(d.body, "後花子さん、こんにちは。\r\n\r\n" + U8(board1) + "手数＝1  ▲７六歩  まで\r\n\r\n角道を開ける\r\n");
  GotoMoveNumberOnLine(2);
  d = Send();
  EXPECT_TRUE(d.body.ends_with("まで\r\n")) << d.body;  // no comment, no break
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MailTest, RecordCodeCarriesTheWholeTreeAndEveryValueArrivesEncoded) {
  g_szNetMailBody = u"%k";
  g_szNetMailSubject = u"a b&c#d%%e?f=g+h";
  g_Record.bookmarks[0].name = u"a&b";
  const Decoded d = Send();
  EXPECT_EQ(d.subject, "a b&c#d%e?f=g+h");
  EXPECT_EQ(d.body,
            "\r\n*初手から\r\n&a&b\r\n▲７六歩\r\n*角道を開ける\r\n△３四歩    ▲２六歩\r\n&居飛車\r\n"
            "△８四歩\r\n*ここで中断\r\nまで4手で中断\r\n\r\n変化：2手\r\n△８四歩    ▲２六歩\r\n"
            "*二行目の\r\n*コメント\r\n△８五歩\r\n変化：3手\r\n▲６八銀    △８五歩\r\n&深い変化\r\n"
            "\r\n変化：1手\r\n▲２六歩    △８四歩");
  // Inside the values only unreserved characters and %XX escapes.
  const std::string& link = links[0];
  const size_t q = link.find('?');
  const std::string values = link.substr(q + 1);
  for (size_t i = 0; i < values.size(); ++i) {
    const char c = values[i];
    if (c == '%') {
      ASSERT_TRUE(i + 2 < values.size() && isxdigit(values[i + 1]) && isxdigit(values[i + 2])) << i;
      continue;
    }
    if (values.compare(i, 8, "subject=") == 0 || values.compare(i, 6, "&body=") == 0) {
      i += values[i] == '&' ? 5 : 7;
      continue;
    }
    EXPECT_TRUE(isalnum((unsigned char)c) || c == '-' || c == '.' || c == '_' || c == '~')
        << "raw '" << c << "' at " << i;
  }
  EXPECT_NE(link.find("%0D%0A"), std::string::npos);
}

TEST_F(MailTest, EachCodeOfTheMailTemplate) {
  RecordHeader& h = g_Record.header;
  h.firstPlayer = u"先";
  h.secondPlayer = u"後";
  h.startTime = u"2009/01/02(金) 10:00";
  h.endTime = u"2009/01/03 18:00";
  h.event = u"棋戦";
  h.notes = u"備考";
  h.award = u"受賞";
  h.category = u"分類";
  h.userItems[0] = u"U1";
  g_szToday = u"古い日付";
  GotoMoveNumberOnLine(2);
  struct Row {
    const char16_t* tmpl;
    const char* expected;
  } rows[] = {
      {u"%a", "３四歩"},        {u"%A", "△３四歩"},  {u"%p", "７六歩"},     {u"%P", "▲７六歩"},
      {u"%b/%w", "先/後"},      {u"%h", "後"},       {u"%o", "先"},         {u"%n", "2"},
      {u"%g", "2009/01/02"},    {u"%G", "2009/01/02(金) 10:00"},           {u"%e", "2009/01/03"},
      {u"%E", "2009/01/03 18:00"}, {u"%i", "棋戦"}, {u"%1", "U1"},         {u"%0", "%0"},
      {u"%%", "%"},             {u"%/0", "備考"},    {u"%/9", "分類"},      {u"%/a", "受賞"},
      {u"%/x", ""},             {u"%c", "\r\n"},     {u"%f", "variations.zr2u"},
      {u"%F", "/x/variations.zr2u"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(U8(r.tmpl));
    std::u16string out;
    ExpandSendMailTemplate(out, r.tmpl, true, {u"variations.zr2u", u"/x/variations.zr2u", u"変化"});
    EXPECT_EQ(U8(out), r.expected);
  }
  // %y and %t are formed afresh for each mail.
  std::u16string out;
  ExpandSendMailTemplate(out, u"%y", true, {});
  EXPECT_EQ(out, FormatToday(false));
  EXPECT_TRUE(ui.boxes.empty());

  // %p: the start position's word at move 0, nothing at move 1.
  GotoMoveNumberOnLine(0);
  out.clear();
  ExpandSendMailTemplate(out, u"[%p]", true, {});
  EXPECT_EQ(U8(out), "[開始局面]");
  GotoMoveNumberOnLine(1);
  out.clear();
  ExpandSendMailTemplate(out, u"[%p][%*]", true, {});
  EXPECT_EQ(U8(out), "[][角道を開ける\r\n]");

  // An unknown code: its message, once per use, and the mail is still built.
  out.clear();
  ExpandSendMailTemplate(out, u"a%qb%q", true, {});
  EXPECT_EQ(out, u"ab");
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, u"%q は、使用できません。");
  EXPECT_EQ(ui.boxes[0].caption, u"メール書式エラー");
}

TEST_F(MailTest, LinkTheSystemCannotOpenIsReported) {
  openResult = false;
  SendRecordByMail(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メールの作成に失敗しました。本文が長過ぎたと思われます。");
  EXPECT_EQ(ui.boxes[0].flags & 0xF0, kMbIconError);
}

TEST_F(MailTest, ResultLineNamesTheRightSide) {
  struct Row {
    int code;
    const char* last;  // the text's end; "" for no result line at all
  } rows[] = {
      {kEndResign, "まで2手で後手の勝ち\r\n"},    {kEndSuspend, "まで2手で中断\r\n"},
      {kEndIllegalLoss, "まで2手で先手の反則負け\r\n"}, {kEndIllegalWin, "まで2手で先手の反則勝ち\r\n"},
      {kEndImpasse, "まで2手で持将棋\r\n"},       {kEndMate, "まで2手詰\r\n"},
      {kEndRepetition, "まで2手で千日手\r\n"},    {kEndNoMate, "まで2手で不詰\r\n"},
      {kEndTimeLoss, "まで2手で時間切れにより後手の勝ち\r\n"}, {kEndEnteringKing, "△３四歩\r\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    ASSERT_EQ(InitRecordPool(g_Record, 100), 0);
    g_Record.appendMode = 1;
    SetInitialBoard(g_Board);
    CopyBoardState(g_StartBoard, g_Board);
    AddMoveAndGo(77 | 76 << 8);
    AddMoveAndGo(33 | 34 << 8);
    AddMoveAndGo(kEndFrom | r.code << 8);
    std::u16string text;
    BuildMailRecord(text);
    EXPECT_TRUE(U8(text).ends_with(r.last)) << U8(text);
  }
}

// ---- Mail text files ----------------------------------------------------------

class MailFileTest : public MailTest {
protected:
  void SetUp() override {
    MailTest::SetUp();
    folder = Dir();
    g_szCommFolder = folder;
    g_szMailFormat1 = u"題%n%c";
    g_szMailFormat2 = u"局%n%c";
  }
  std::u16string Dir() const { return PathFromNative(tmp.path().toStdString()) + u"/"; }
  static std::string Bytes(const std::u16string& path) {
    std::string b;
    ReadFileBytes(path, b);
    return b;
  }
  QTemporaryDir tmp;
  std::u16string folder;
};

TEST_F(MailFileTest, SaveModesWriteCp932WithCrLfUnderTheRightName) {
  g_nMailSaveMode = 0;
  WriteMailFile(nullptr);
  WriteMailFile(nullptr);  // replaced, not added
  WriteMail2File(nullptr);
  EXPECT_EQ(Bytes(folder + u"変化.mal"), "\x91\xe8" "0\r\n");
  EXPECT_EQ(Bytes(folder + u"変化.ma2"), "\x8b\xc7" "0\r\n");
  EXPECT_EQ(ui.status.back(), u"メールファイル(" + folder + u"変化.ma2)を出力しました。");

  g_nMailSaveMode = 1;
  WriteMailFile(nullptr);
  EXPECT_EQ(Bytes(folder + u"変化.mal"), "\x91\xe8" "0\r\n\x91\xe8" "0\r\n");
  EXPECT_EQ(ui.status.back(), u"メールファイルを(" + folder + u"変化.mal)に追加しました。");

  // The collecting file takes both texts and no extension.
  g_nMailSaveMode = 2;
  g_szMailAppendName = u"PAD";
  WriteMailFile(nullptr);
  WriteMail2File(nullptr);
  EXPECT_EQ(Bytes(folder + u"PAD"), "\x91\xe8" "0\r\n\x8b\xc7" "0\r\n");

  // An unnamed record is named by the date stem, for both kinds.
  g_nMailSaveMode = 0;
  g_szRecordTitle = u"新規棋譜";
  WriteMailFile(nullptr);
  WriteMail2File(nullptr);
  FormatToday(false);
  EXPECT_EQ(Bytes(folder + g_szDateStem + u".mal"), "\x91\xe8" "0\r\n");
  EXPECT_EQ(Bytes(folder + g_szDateStem + u".ma2"), "\x8b\xc7" "0\r\n");
  EXPECT_TRUE(ui.boxes.empty());
}

// The files hold the mail template of the position file's codes: the start
// and end dates and the comment are codes of it, %d is the position file's
// diagram (no player lines), and nothing is added at the end.
TEST_F(MailFileTest, TheFilesHoldTheMailTemplateOfThePositionFile) {
  g_Record.header.startTime = u"2024/01/06";
  g_Record.header.endTime = u"2024/01/07";
  g_Record.header.firstPlayer = u"山田";
  ASSERT_EQ(AppendComment(g_Record, 0, u"開始の注"), 0);
  g_nMailSaveMode = 0;
  g_szMailFormat1 = u"[%g][%*][%e]%c";
  WriteMailFile(nullptr);
  EXPECT_EQ(Bytes(folder + u"変化.mal"), Utf16ToAnsi(u"[2024/01/06][*初手から\r\n*開始の注\r\n][2024/01/07]\r\n"));
  g_szBoardTextFormat = u"%d";
  g_szMailFormat1 = u"%d";
  WriteMailFile(nullptr);
  const std::string diagram = Bytes(folder + u"変化.mal");
  EXPECT_EQ(diagram.find(Utf16ToAnsi(u"先手：")), std::string::npos) << diagram;
  EXPECT_EQ(diagram.rfind(Utf16ToAnsi(u"先手の持駒：なし\r\n")), diagram.size() - Utf16ToAnsi(u"先手の持駒：なし\r\n").size());
  EXPECT_TRUE(ui.boxes.empty());
  // Collected one after the other, with no empty line between them.
  g_nMailSaveMode = 2;
  g_szMailFormat1 = u"一%n%c";
  g_szMailFormat2 = u"二%n%c";
  WriteMailFile(nullptr);
  WriteMail2File(nullptr);
  EXPECT_EQ(Bytes(folder + u"PAD"), Utf16ToAnsi(u"一0\r\n二0\r\n"));
  // A code the template does not have is told, then the save as failed.
  g_nMailSaveMode = 0;
  g_szMailFormat1 = u"%0i";
  WriteMailFile(nullptr);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, u"メール書式エラー(%0)");
  EXPECT_EQ(ui.boxes[1].text, u"メール保存エラー(" + folder + u"変化.mal)");
}

TEST_F(MailFileTest, AFailedWriteIsReportedAndLeavesNoFile) {
  g_szCommFolder = folder + u"missing/";
  WriteMailFile(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メール保存エラー(" + folder + u"missing/変化.mal)");
  EXPECT_TRUE(ui.status.empty());
}

TEST_F(MailFileTest, SaveAsAddsTheFiltersExtensionAndMovesTheMailFolder) {
  struct Row {
    int filter;
    const char16_t* typed;
    const char16_t* saved;
  } rows[] = {
      {1, u"game.txt", u"game.txt.mal"}, {1, u"game", u"game.MAL"}, {1, u"game.MAL", u"game.MAL"},
      {2, u"two", u"two.MA2"},           {2, u"two.ma2", u"two.ma2"}, {3, u"x.txt", u"x.txt.ma2"},
  };
  QTemporaryDir other;
  const std::u16string otherDir = PathFromNative(other.path().toStdString()) + u"/";
  for (const Row& r : rows) {
    SCOPED_TRACE(U8(r.typed));
    g_szCommFolder = folder;
    FileDialogRequest seen;
    auto old = SetFileDialog([&](CNarvoView*, FileDialogRequest& req) {
      seen = req;
      req.fileName = otherDir + r.typed;
      req.filterIndex = r.filter;
      return FileDialogResult{1, 0};
    });
    SaveMailFileAs(nullptr);
    SetFileDialog(old);
    EXPECT_EQ(seen.title, u"メールファイルの保存");
    EXPECT_EQ(seen.fileName, u"変化");
    EXPECT_EQ(seen.folder + u"/", folder);
    ASSERT_EQ(seen.filters.size(), 3u);
    EXPECT_EQ(seen.filters[1].first, u"メール2(*.MA2)");
    EXPECT_EQ(Bytes(otherDir + r.saved), "\x91\xe8" "0\r\n");  // mail text 1 whatever the filter
    EXPECT_EQ(g_szCommFolder, otherDir);
  }
  // Cancelled or failed: the mail folder stays.
  g_szCommFolder = folder;
  auto old = SetFileDialog([&](CNarvoView*, FileDialogRequest& req) {
    req.fileName = otherDir + u"gone/x.mal";
    return FileDialogResult{1, 0};
  });
  SaveMailFileAs(nullptr);
  SetFileDialog([](CNarvoView*, FileDialogRequest&) { return FileDialogResult{0, 0}; });
  SaveMailFileAs(nullptr);
  SetFileDialog(old);
  EXPECT_EQ(g_szCommFolder, folder);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メール保存エラー(" + otherDir + u"gone/x.mal)");
}

// ---- The record file attached (xdg-email) -----------------------------------

class AttachmentMailTest : public MailTest {
protected:
  void SetUp() override {
    MailTest::SetUp();
    const std::string bin = tmp.path().toStdString();
    argsFile = bin + "/args";
    const std::string script = bin + "/xdg-email";
    FILE* f = fopen(script.c_str(), "w");
    fprintf(f, "#!/bin/sh\nfor a in \"$@\"; do printf '%%s\\n--\\n' \"$a\"; done > '%s'\nexit ${XDG_STUB_EXIT:-0}\n",
            argsFile.c_str());
    fclose(f);
    chmod(script.c_str(), 0755);
    oldPath = getenv("PATH");
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    g_Record.changeCount = 0;
    g_szNetMailTo = u"%5";
    g_Record.header.userItems[4] = u"hana@example.jp";
    g_szNetMailSubject = u"第%n手 %k";
    g_szNetMailBody = u"%Oさん%C%n";
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    unsetenv("XDG_STUB_EXIT");
    MailTest::TearDown();
  }
  std::string Args() {
    std::string b;
    ReadFileBytes(PathFromNative(argsFile), b);
    return b;
  }
  QTemporaryDir tmp;
  std::string argsFile, oldPath;
};

TEST_F(AttachmentMailTest, SendsTheFileWithTheTemplatesAsOneArgumentEach) {
  SendRecordByMapiMail(nullptr);
  EXPECT_EQ(Args(), "--subject\n--\n第0手 \n--\n--body\n--\nさん\n0\n--\n--attach\n--\n" +
                        U8(g_szRecordFilePath) + "\n--\nhana@example.jp\n--\n");
  EXPECT_TRUE(ui.boxes.empty());

  setenv("XDG_STUB_EXIT", "3", 1);
  SendRecordByMapiMail(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メールの作成に失敗しました。");
}

// The default templates with a record that names no recipient: the mail
// program opens with the file attached and the empty fields left out.
TEST_F(AttachmentMailTest, EmptyFieldsAreLeftOutForTheUserToFillIn) {
  ResetEnvDefaults();
  g_Record.header.userItems[4].clear();
  g_szNetMailSubject.clear();
  g_szNetMailBody.clear();
  SendRecordByMapiMail(nullptr);
  EXPECT_EQ(Args(), "--attach\n--\n" + U8(g_szRecordFilePath) + "\n--\n");
  EXPECT_TRUE(ui.boxes.empty());
  g_Record.header.userItems[4] = u"a@example.jp,b.c+d@mail.example.jp";
  SendRecordByMapiMail(nullptr);
  EXPECT_EQ(Args(), "--attach\n--\n" + U8(g_szRecordFilePath) + "\n--\na@example.jp\n--\nb.c+d@mail.example.jp\n--\n");
}

TEST_F(AttachmentMailTest, ARecipientThatIsNoPlainAddressStartsNothing) {
  const char16_t* hostile[] = {
      u"mailto:friend@example.org?attach=/home/u/.ssh/id_rsa&bcc=thief@evil.example",
      u"friend@example.org?bcc=thief@evil.example",
      u"friend@example.org&attach=/etc/passwd",
      u"Friend <friend@example.org>",
      u"friend@example.org --attach /etc/passwd",
      u"friend@example.org\nBcc: thief@evil.example",
      u"a@b@example.org",
      u"--utf8",
      u"friend%40example.org",
      u"\x01friend@example.org",
  };
  for (const char16_t* to : hostile) {
    SCOPED_TRACE(U8(to));
    ui.boxes.clear();
    std::remove(argsFile.c_str());
    g_Record.header.userItems[4] = to;
    SendRecordByMapiMail(nullptr);
    EXPECT_EQ(Args(), "");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.rfind(u"宛先(", 0), 0u);
    EXPECT_NE(ui.boxes[0].text.find(u")はメールアドレスではありません。"), std::u16string::npos);
  }
}

// A mail program that keeps xdg-email waiting does not stop the window: the
// command comes back after a few seconds, with the program still running.
TEST_F(AttachmentMailTest, AMailProgramThatWaitsDoesNotFreezeTheWindow) {
  const std::string script = tmp.path().toStdString() + "/xdg-email";
  FILE* f = fopen(script.c_str(), "w");
  fprintf(f, "#!/bin/sh\nsleep 10\n");
  fclose(f);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(100);
  QElapsedTimer took;
  took.start();
  SendRecordByMapiMail(nullptr);
  EXPECT_LT(took.elapsed(), 6000);
  EXPECT_GT(ticks, 10);
  EXPECT_TRUE(ui.boxes.empty());
  // One that fails at once is still told.
  f = fopen(script.c_str(), "w");
  fprintf(f, "#!/bin/sh\nexit 1\n");
  fclose(f);
  SendRecordByMapiMail(nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メールの作成に失敗しました。");
}

TEST_F(AttachmentMailTest, UnsavedChangesAreAskedAboutFirst) {
  g_Record.changeCount = 1;
  ui.answers = {kIdCancel};
  SendRecordByMapiMail(nullptr);
  EXPECT_EQ(ui.boxes.size(), 1u);  // the question only
  EXPECT_EQ(Args(), "");           // nothing sent
  ui.answers = {kIdNo};
  SendRecordByMapiMail(nullptr);
  EXPECT_NE(Args(), "");           // the file as it is on disk
  EXPECT_EQ(ui.boxes.size(), 2u);
  g_Record.changeCount = 0;
}

TEST_F(AttachmentMailTest, AnUnnamedRecordHasNothingToAttach) {
  g_szRecordFilePath.clear();
  SendRecordByMapiMail(nullptr);
  EXPECT_EQ(Args(), "");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"メールの作成に失敗しました。");
}

}  // namespace
