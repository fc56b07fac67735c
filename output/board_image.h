// Pictures of the board view: the clipboard bitmap and image files (PNG,
// JPEG, BMP, GIF), taken from the view's own off-screen drawing so that no
// window over the view can appear in them; the names from 画像ファイル名書式.
#pragma once
#include <QImage>
#include <QRect>
#include <string>

class CNarvoView;

// The clipboard bitmap in print preview is 1 bit deep.
extern int g_bMonochromeCopy;
// Save-dialog type last chosen this run: 1 PNG, 2 JPEG, 3 BMP, 4 GIF.
extern int g_nImageTypeIndex;

// The part of the view a picture shows: the trimming rectangle in print
// preview when trimming is on, else the view below the preview bar.
QRect ImageCaptureRect(int viewWidth, int viewHeight);
QImage CaptureViewImage(CNarvoView* view);

void CopyBitmapToClipboard(CNarvoView* view);
void SaveImageAs(CNarvoView* view);
// 画像ファイル名書式 expanded. Values from the record cannot name folders.
std::u16string ExpandImageFileName();
// The name with the extension of the type last chosen added unless it ends
// in .png, .jpg, .bmp or .gif.
std::u16string WithImageExtension(const std::u16string& name);
// Writes the picture by the extension (.gif through giflib). 0 or -1 after a
// message box.
int SaveViewImage(CNarvoView* view, const std::u16string& fileName);
// The image encoded in the format of the extension; empty when it fails.
std::string EncodeImage(const QImage& image, const std::u16string& lowerExt);
