#include "output/mail_commands.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <filesystem>

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

QString ToQ(const std::u16string& s) { return QString::fromStdU16String(s); }

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
bool WriteMailText(const std::u16string& path, int which) {
  std::u16string text;
  if (AppendMailText(text, which, g_szRecordTitle) != 0) return false;
  std::string bytes;
  if (g_nMailSaveMode != 0) {
    std::error_code ec;
    if (std::filesystem::exists(PathToNative(path), ec) && !ReadFileBytes(path, bytes)) return false;
  }
  bytes += Utf16ToAnsi(text);
  return WriteFileAtomically(path, bytes);
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
  bool sent = false;
  if (!names.filePath.empty()) {
    QProcess process;
    process.start(QStringLiteral("xdg-email"),
                  {QStringLiteral("--subject"), ToQ(subject), QStringLiteral("--body"), ToQ(body),
                   QStringLiteral("--attach"), ToQ(names.filePath), ToQ(to)});
    sent = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
  }
  if (!sent) ShowMessage(u"メールの作成に失敗しました。", kMbOk | kMbIconError);
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
