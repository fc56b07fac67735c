#include "app/file_types.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "record/text.h"
#include "record/ui_port.h"
#include "settings/folders.h"

namespace {

struct FileType {
  const char* ext;
  const char16_t* description;
};
const FileType kFileTypes[] = {
    {"zrf", u"Dovu 棋譜"},         {"zr2", u"Dovu 棋譜2"},         {"dovu", u"Dovu 棋譜 UTF-8"},
    {"zr2u", u"Dovu 棋譜2 UTF-8"}, {"bod", u"Dovu 盤面"},          {"csa", u"Dovu CSA棋譜"},
};
const char kDesktopFileName[] = "sorvane-v7.desktop";
const char kMimeFileName[] = "sorvane-v7.xml";
const char kAppIcon[] = "sorvane-v7";

QString MimeType(const FileType& t) { return QStringLiteral("application/x-dovu-") + t.ext; }
QString IconName(const FileType& t) { return QStringLiteral("application-x-dovu-") + t.ext; }

QString DataHome() {
  QByteArray env = qgetenv("XDG_DATA_HOME");
  if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  return QDir::homePath() + "/.local/share";
}

QString XmlEscaped(const QString& s) { return s.toHtmlEscaped(); }

void ReportWriteFailure(const QString& path) {
  ShowMessage(u"ファイル(" + path.toStdU16String() + u")を書き込めません。", kMbOk | kMbIconError);
}

// Writes the file with its folder; a failure is reported by its name.
bool WriteChecked(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  if (WriteFileBytes(path.toStdU16String(), bytes.toStdString())) return true;
  ReportWriteFailure(path);
  return false;
}

// Runs one of the desktop's helpers; a failure is reported with what it
// works on.
bool RunChecked(const QString& program, const QStringList& args, const QString& target) {
  QProcess p;
  p.start(program, args);
  if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return true;
  ReportWriteFailure(target);
  return false;
}

QByteArray MimeXml() {
  QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const FileType& t : kFileTypes) {
    xml += "  <mime-type type=\"" + MimeType(t) + "\">\n";
    xml += "    <comment>" + XmlEscaped(QString::fromUtf16(t.description)) + "</comment>\n";
    xml += "    <icon name=\"" + IconName(t) + "\"/>\n";
    xml += QStringLiteral("    <glob pattern=\"*.%1\"/>\n").arg(t.ext);
    xml += "  </mime-type>\n";
  }
  xml += "</mime-info>\n";
  return xml.toUtf8();
}

QByteArray DesktopEntry(bool withTypes) {
  const std::u16string& program = g_szModulePath;
  QString text = "[Desktop Entry]\nType=Application\nName=Sorvane V7\n";
  text += "Exec=" + QString::fromStdU16String(DesktopExecLine(program, u"%f")) + "\n";
  text += QStringLiteral("Icon=%1\nTerminal=false\nCategories=Game;BoardGame;\n").arg(kAppIcon);
  if (withTypes) {
    text += "MimeType=";
    for (const FileType& t : kFileTypes) text += MimeType(t) + ";";
    text += "\nActions=Print;\n\n[Desktop Action Print]\nName=印刷\n";
    text += "Exec=" + QString::fromStdU16String(DesktopExecLine(program, u"/p %f")) + "\n";
  }
  return text.toUtf8();
}

bool CopyIcon(const QString& resource, const QString& path) {
  QFile in(resource);
  if (!in.open(QIODevice::ReadOnly)) return true;  // a build without icons still registers
  return WriteChecked(path, in.readAll());
}

}  // namespace

std::u16string DesktopExecLine(const std::u16string& path, const std::u16string& trailing) {
  // Quoted with the launcher's escapes inside the quotes, then the string
  // value's own escape of the backslash; "%" is doubled for the field codes.
  std::u16string quoted = u"\"";
  for (char16_t c : path) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    if (c == u'%') quoted += u'%';
    quoted += c;
  }
  quoted += u'"';
  std::u16string value;
  for (char16_t c : quoted) {
    if (c == u'\\') value += u'\\';
    value += c;
  }
  return value + u" " + trailing;
}

int RegisterFileTypes() {
  const QString data = DataHome();
  const QString mimeFolder = data + "/mime";
  const QString appFolder = data + "/applications";
  const QString iconFolder = data + "/icons/hicolor/256x256";
  if (!WriteChecked(mimeFolder + "/packages/" + kMimeFileName, MimeXml())) return -1;
  for (const FileType& t : kFileTypes)
    if (!CopyIcon(":/icons/narvo_doc.png", iconFolder + "/mimetypes/" + IconName(t) + ".png")) return -1;
  if (!CopyIcon(":/icons/narvo.png", iconFolder + "/apps/" + kAppIcon + ".png")) return -1;
  if (!RunChecked("update-mime-database", {mimeFolder}, mimeFolder)) return -1;
  const QString desktopFile = appFolder + "/" + kDesktopFileName;
  if (!WriteChecked(desktopFile, DesktopEntry(true))) return -1;
  if (!RunChecked("update-desktop-database", {appFolder}, appFolder)) return -1;
  for (const FileType& t : kFileTypes)
    if (!RunChecked("xdg-mime", {"default", kDesktopFileName, MimeType(t)}, desktopFile)) return -1;
  Ui().PlayWarningSound();
  return 0;
}

int CreateDesktopShortcut() {
  QProcess p;
  p.start("xdg-user-dir", {"DESKTOP"});
  QString desktop;
  if (p.waitForFinished(10000) && p.exitCode() == 0)
    desktop = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
  if (desktop.isEmpty()) desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (desktop.isEmpty()) return 1;
  const QString link = desktop + "/Sorvane V7.desktop";
  if (!WriteChecked(link, DesktopEntry(false))) return -1;
  if (!QFile::setPermissions(link, QFile::permissions(link) | QFile::ExeOwner | QFile::ExeGroup |
                                       QFile::ExeOther)) {
    ReportWriteFailure(link);
    return -1;
  }
  Ui().PlayWarningSound();
  return 0;
}
