#include "output/mail_commands.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <vector>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "record/atomic_file.h"
#include "record/clipboard_text.h"
#include "record/datetime.h"
#include "record/mail_text.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/busy_wait.h"

namespace {

MailUrlOpener& OpenerSlot() {
  static MailUrlOpener opener;
  return opener;
}

bool OpenWithDesktop(const std::string& url) {
  return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode));
}

MailNames CurrentNames() {
  MailNames names;
  names.filePath = g_szRecordFilePath;
  const size_t slash = g_szRecordFilePath.rfind(u'/');
  names.fileName = slash == std::u16string::npos ? g_szRecordFilePath : g_szRecordFilePath.substr(slash + 1);
  names.title = g_szRecordTitle;
  return names;
}

// The automatic files' name: the record's, or today's date stem for an
// unnamed record (the date text itself holds "/").
std::u16string MailBaseName() {
  if (!g_szRecordTitle.empty() && g_szRecordTitle != u"新規棋譜") return g_szRecordTitle;
  FormatToday(false);
  return g_szDateStem;
}

void ShowMailSaved(const std::u16string& path) {
  ShowStatus(FormatU16(g_nMailSaveMode == 0 ? u"メールファイル(%s)を出力しました。"
                                            : u"メールファイルを(%s)に追加しました。",
                       path.c_str()));
}

// Mail text 1 or 2 in CP932 into path, replacing it (mode 0) or added to its
// end. Either way the new file takes the old one's place only when whole.
// A refused template code is told by the expander and then counts as a
// failed write, though what could be expanded is written.
bool WriteMailText(const std::u16string& path, int which) {
  std::u16string text;
  const int expanded = ExpandMailTemplate(text, which, g_szRecordTitle);
  std::string bytes;
  if (g_nMailSaveMode != 0) {
    std::error_code ec;
    if (std::filesystem::exists(PathToNative(path), ec) && !ReadFileBytes(path, bytes)) return false;
  }
  bytes += Utf16ToAnsi(text);
  return WriteFileAtomically(path, bytes) && expanded == 0;
}

void WriteAutomaticMailFile(int which) {
  std::u16string path = FolderOrDocuments(g_szCommFolder);
  if (g_nMailSaveMode == 2) path += g_szMailAppendName;
  else path += MailBaseName() + (which == 1 ? u".mal" : u".ma2");
  if (!WriteMailText(path, which)) {
    ShowMessage(FormatU16(u"メール保存エラー(%s)", path.c_str()), kMbOk | kMbIconError);
    return;
  }
  ShowMailSaved(path);
}

// Starts the mail program and waits a few seconds for its answer, keeping
// the window painted (but taking no input) meanwhile: some mail programs
// hold xdg-email until the mail is written. 0 it ended well, 1 it runs on
// (reaped when it ends), -1 it could not be started or ended with an error.
int StartMailProgram(const std::vector<std::string>& args) {
  constexpr int kWaitMs = 3000;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  QElapsedTimer waited;
  waited.start();
  BusyWait busy;
  while (waited.elapsed() < kWaitMs) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
    if (r < 0) return -1;
    BusyWait::Pump(20);
    QThread::msleep(10);
  }
  auto* reaper = new QTimer(QCoreApplication::instance());
  QObject::connect(reaper, &QTimer::timeout, reaper, [reaper, pid] {
    int status;
    if (waitpid(pid, &status, WNOHANG) != 0) reaper->deleteLater();
  });
  reaper->start(1000);
  return 1;
}

}  // namespace

MailUrlOpener SetMailUrlOpener(MailUrlOpener opener) {
  MailUrlOpener previous = std::move(OpenerSlot());
  OpenerSlot() = std::move(opener);
  return previous;
}

void SendRecordByMail(CNarvoView*) {
  const std::string link = BuildMailtoLink(CurrentNames());
  const bool opened = OpenerSlot() ? OpenerSlot()(link) : OpenWithDesktop(link);
  if (!opened) ShowMessage(u"メールの作成に失敗しました。本文が長過ぎたと思われます。", kMbOk | kMbIconError);
}

void SendRecordByMapiMail(CNarvoView* view) {
  // Unsaved changes would not travel: ask first, so the file sent is the
  // one the user means (No sends the file as it is on disk).
  if (g_Record.changeCount != 0 && AskSaveRecord(view) == kIdCancel) return;
  const MailNames names = CurrentNames();
  std::u16string to, subject, body;
  ExpandSendMailTemplate(to, g_szNetMailTo, false, names);
  ExpandSendMailTemplate(subject, g_szNetMailSubject, false, names);
  ExpandSendMailTemplate(body, g_szNetMailBody, false, names);
  // The recipient comes from the record: only plain addresses go to the
  // mail program, never a link or options that add attachments or readers.
  std::vector<std::u16string> recipients;
  std::u16string bad;
  if (!to.empty() && !SplitPlainMailAddresses(to, recipients, bad)) {
    ShowMessage(FormatU16(u"宛先(%s)はメールアドレスではありません。", bad.c_str()), kMbOk | kMbIconError);
    return;
  }
  if (names.filePath.empty()) {
    ShowMessage(u"メールの作成に失敗しました。", kMbOk | kMbIconError);
    return;
  }
  // The mail program takes lines ended by LF; empty fields are left for the
  // user to fill in.
  std::u16string lfBody;
  for (size_t i = 0; i < body.size(); ++i)
    if (!(body[i] == u'\r' && i + 1 < body.size() && body[i + 1] == u'\n')) lfBody += body[i];
  std::vector<std::string> args = {"xdg-email"};
  if (!subject.empty()) args.insert(args.end(), {"--subject", Utf16ToUtf8(subject)});
  if (!lfBody.empty()) args.insert(args.end(), {"--body", Utf16ToUtf8(lfBody)});
  args.insert(args.end(), {"--attach", Utf16ToUtf8(names.filePath)});
  for (const std::u16string& r : recipients) args.push_back(Utf16ToUtf8(r));
  if (StartMailProgram(args) < 0) ShowMessage(u"メールの作成に失敗しました。", kMbOk | kMbIconError);
}

void WriteMailFile(CNarvoView*) { WriteAutomaticMailFile(1); }
void WriteMail2File(CNarvoView*) { WriteAutomaticMailFile(2); }

void SetMailFolder(const std::u16string& path) {
  const size_t slash = path.rfind(u'/');
  g_szCommFolder = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

void SaveMailFileAs(CNarvoView* view) {
  FileDialogRequest r;
  r.save = true;
  r.title = u"メールファイルの保存";
  r.fileName = MailBaseName();
  r.folder = FolderOrDocuments(g_szCommFolder);
  if (r.folder.size() > 1 && r.folder.back() == u'/') r.folder.pop_back();
  r.filters = {{u"メール1(*.MAL)", u"*.MAL"}, {u"メール2(*.MA2)", u"*.MA2"}, {u"すべてのﾌｧｲﾙ (*.*)", u"*.*"}};
  r.filterIndex = 1;
  const FileDialogResult answer = RunFileDialog(view, r);
  if (answer.answer == 0) return;
  if (answer.answer < 0) {
    ShowMessage(FormatU16(u"GetSaveFileName でエラー #%ld が発生しました", answer.errorCode),
                kMbOk | kMbIconError, u"警告");
    return;
  }
  std::u16string path = r.fileName;
  const bool first = r.filterIndex == 1;
  const std::u16string ext = FileExtensionLower(path);
  if (ext.empty()) path += first ? u".MAL" : u".MA2";
  else if (ext != (first ? u"mal" : u"ma2")) path += first ? u".mal" : u".ma2";
  if (!WriteMailText(path, 1)) {
    ShowMessage(FormatU16(u"メール保存エラー(%s)", path.c_str()), kMbOk | kMbIconError);
    return;
  }
  SetMailFolder(path);
  ShowMailSaved(path);
}
