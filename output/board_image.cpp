#include "output/board_image.h"

#include <gif_lib.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QStandardPaths>

#include "app/file_commands.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "record/atomic_file.h"
#include "record/clipboard_text.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/narvo_view.h"

int g_bMonochromeCopy = 0;
int g_nImageTypeIndex = 1;

namespace {

constexpr int kPreviewBarHeight = 20;
const char16_t* const kTypeExts[5] = {u"", u"png", u"jpg", u"bmp", u"gif"};

int TypeOfExt(const std::u16string& lowerExt) {
  for (int i = 1; i <= 4; ++i)
    if (lowerExt == kTypeExts[i]) return i;
  return 0;
}

std::u16string FolderOf(QStandardPaths::StandardLocation where) {
  std::u16string f = QStandardPaths::writableLocation(where).toStdU16String();
  if (f.empty() || f.back() != u'/') f += u'/';
  return f;
}

// A value brought from the record: no "/" and no control character, so it
// cannot make or name a folder.
std::u16string Safe(std::u16string_view value) {
  std::u16string s(value);
  for (char16_t& c : s)
    if (c == u'/' || c < 0x20 || c == 0x7F) c = u'_';
  return s;
}

std::string EncodeGif(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  std::string bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes,
                              [](GifFileType* g, const GifByteType* data, int size) {
                                static_cast<std::string*>(g->UserData)->append(reinterpret_cast<const char*>(data),
                                                                               size_t(size));
                                return size;
                              },
                              &error);
  if (!gif) return {};
  GifColorType colors[256] = {};
  const QList<QRgb> table = image.colorTable();
  for (int i = 0; i < table.size() && i < 256; ++i)
    colors[i] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])), GifByteType(qBlue(table[i]))};
  ColorMapObject* map = GifMakeMapObject(256, colors);
  bool ok = map && EGifPutScreenDesc(gif, image.width(), image.height(), 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < image.height(); ++y)
    ok = EGifPutLine(gif, const_cast<GifPixelType*>(image.constScanLine(y)), image.width()) == GIF_OK;
  if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
  if (map) GifFreeMapObject(map);
  return ok ? bytes : std::string();
}

}  // namespace

QRect ImageCaptureRect(int viewWidth, int viewHeight) {
  if (g_AppMode == kModePreview && g_bImageTrim)
    return QRect(g_rcImageTrim[0], g_rcImageTrim[1], g_rcImageTrim[2] - g_rcImageTrim[0],
                 g_rcImageTrim[3] - g_rcImageTrim[1]);
  const int offset = g_AppMode == kModePreview ? kPreviewBarHeight : 0;
  return QRect(0, offset, viewWidth - 1, viewHeight - offset - 1);
}

QImage CaptureViewImage(CNarvoView* view) {
  if (!view) return {};
  // Whatever waits to be drawn is drawn first: the picture is the view as it stands.
  view->RepaintArea(view->rect());
  const QImage& drawn = view->Image();
  QRect r = ImageCaptureRect(drawn.width(), drawn.height());
  // The trim frame lies on the page, which may be scrolled.
  if (g_AppMode == kModePreview && g_bImageTrim) r.translate(-view->PreviewScroll());
  if (r.width() <= 0 || r.height() <= 0) return {};
  // Parts of a trimming rectangle outside the view stay white.
  QImage image(r.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  const QRect inside = r.intersected(drawn.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    memcpy(image.scanLine(y - r.top()) + (inside.left() - r.left()) * 4, drawn.constScanLine(y) + inside.left() * 4,
           size_t(inside.width()) * 4);
  return image;
}

void CopyBitmapToClipboard(CNarvoView* view) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  QImage image = CaptureViewImage(view);
  if (!clipboard || image.isNull()) {
    ShowMessage(u"クリップボードが使用できません。", kMbOk | kMbIconError);
    return;
  }
  if (g_AppMode == kModePreview && g_bMonochromeCopy) image = image.convertToFormat(QImage::Format_Mono);
  clipboard->setImage(image);
  ShowStatus(u"クリップボードへビットマップを出力しました。");
}

std::u16string ExpandImageFileName() {
  FormatToday();
  g_szTodayCompact = FormatTodayCompact();
  g_szNowTimeCompact = FormatNowTimeCompact();
  const RecordHeader& h = g_Record.header;
  const std::u16string& tmpl = g_szImageFileNameFormat;
  std::u16string out;
  for (size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != u'%' || i + 1 >= tmpl.size()) {
      out += tmpl[i];
      continue;
    }
    const char16_t code = tmpl[++i];
    const char16_t lower = code >= u'A' && code <= u'Z' ? char16_t(code - u'A' + u'a') : code;
    switch (lower) {
      case u'n': AppendDecimal(out, g_Record.moveNumber); continue;
      case u'a':
      case u'l':
        out += Safe(FormatTemplateMove(g_Record.moveNumber, code == u'A' || code == u'L', code == u'L'));
        continue;
      case u'b': out += Safe(h.firstPlayer); continue;
      case u'w': out += Safe(h.secondPlayer); continue;
      case u'd': out += g_szProgramFolder; continue;
      case u'f':
        if (code == u'F') {
          const size_t dot = g_szRecordFilePath.rfind(u'.');
          const size_t slash = g_szRecordFilePath.rfind(u'/');
          out += g_szRecordFilePath.substr(
              0, dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash) ? dot
                                                                                               : std::u16string::npos);
        } else {
          out += Safe(g_szRecordTitle);
        }
        continue;
      case u'k': {
        const size_t slash = g_szRecordFilePath.rfind(u'/');
        if (slash != std::u16string::npos) out += g_szRecordFilePath.substr(0, slash);
        continue;
      }
      case u'e': out += FolderOf(QStandardPaths::DesktopLocation); continue;
      case u'm': out += FolderOf(QStandardPaths::DocumentsLocation); continue;
      case u'p': out += FolderOf(QStandardPaths::PicturesLocation); continue;
      case u'y': out += code == u'Y' ? g_szTodayCompact : g_szDateStem; continue;
      case u't': out += g_szNowTimeCompact; continue;
      case u'i': out += Safe(h.event); continue;
      case u's': out += Safe(h.opening); continue;
      case u'u': out += Safe(h.title); continue;
      case u'h': out += Safe(h.place); continue;
      case u'r': out += Safe(h.publishedIn); continue;
      case u'+': out += IsInVariation(g_Record.current, g_Record) ? u"変化手順" : u"本手順"; continue;
      case u'/':
        if (i + 1 < tmpl.size()) {
          if (const std::u16string* item = ProblemItemOfCode(h, tmpl[i + 1])) {
            ++i;
            out += Safe(*item);
            continue;
          }
        }
        break;
      case u'*':
        if (g_Record.current && g_Record.current->comment) out += Safe(g_Record.current->comment);
        continue;
      case u'%': out += u'%'; continue;
      default:
        if (lower >= u'1' && lower <= u'5') {
          out += Safe(h.userItems[lower - u'1']);
          continue;
        }
        break;
    }
    out += u'%';
    out += code;
  }
  // What the save dialog's name buffer holds.
  if (out.size() > 2047) out.resize(2047);
  return out;
}

std::u16string WithImageExtension(const std::u16string& name) {
  if (TypeOfExt(FileExtensionLower(name)) != 0) return name;
  const int type = g_nImageTypeIndex >= 1 && g_nImageTypeIndex <= 4 ? g_nImageTypeIndex : 1;
  return name + u"." + kTypeExts[type];
}

std::string EncodeImage(const QImage& image, const std::u16string& lowerExt) {
  if (image.isNull()) return {};
  if (lowerExt == u"gif") return EncodeGif(image);
  const char* format = lowerExt == u"jpg" || lowerExt == u"jpeg" ? "JPEG" : lowerExt == u"bmp" ? "BMP" : "PNG";
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) return {};
  return std::string(bytes.constData(), size_t(bytes.size()));
}

int SaveViewImage(CNarvoView* view, const std::u16string& fileName) {
  // A name without a folder goes to the documents folder, never to the
  // folder the program was started from; a folder the name asks for is made.
  std::u16string path = WithImageExtension(fileName);
  if (path.empty() || path.front() != u'/') path = FolderOrDocuments(u"") + path;
  const std::u16string folder = path.substr(0, path.rfind(u'/') + 1);
  if (!MakeFolders(folder)) {
    ShowMessage(FormatU16(u"フォルダ(%s)が作成できません。", folder.c_str()), kMbOk | kMbIconError);
    return -1;
  }
  const std::string bytes = EncodeImage(CaptureViewImage(view), FileExtensionLower(path));
  if (bytes.empty() || !WriteFileAtomically(path, bytes)) {
    ShowMessage(FormatU16(u"画像ファイル(%s)の保存に失敗しました。", path.c_str()), kMbOk | kMbIconError);
    return -1;
  }
  ShowStatus(FormatU16(u"画像ファイル(%s)を出力しました。", path.c_str()));
  return 0;
}

void SaveImageAs(CNarvoView* view) {
  FileDialogRequest request;
  request.save = true;
  request.title = u"画像の保存";
  request.fileName = ExpandImageFileName();
  request.filters = {{u"PNG形式(*.png)", u"*.png"},
                     {u"JPEG形式(*.jpg)", u"*.jpg"},
                     {u"BMP形式(*.bmp)", u"*.bmp"},
                     {u"GIF形式(*.gif)", u"*.gif"}};
  const int byName = TypeOfExt(FileExtensionLower(request.fileName));
  request.filterIndex = byName ? byName : g_nImageTypeIndex;
  const FileDialogResult result = RunFileDialog(view, request);
  if (result.answer == 0) return;
  if (result.answer < 0) {
    ShowMessage(FormatU16(u"GetSaveFileName でエラー #%ld が発生しました", result.errorCode), kMbOk | kMbIconError,
                u"警告");
    return;
  }
  if (request.filterIndex >= 1 && request.filterIndex <= 4) g_nImageTypeIndex = request.filterIndex;
  std::u16string path = request.fileName;
  if (TypeOfExt(FileExtensionLower(path)) != g_nImageTypeIndex) path += std::u16string(u".") + kTypeExts[g_nImageTypeIndex];
  SaveViewImage(view, path);
}
