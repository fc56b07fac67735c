#include "view/display_settings.h"

#include <QApplication>
#include <QColorDialog>
#include <QFont>
#include <QFontDialog>

#include <algorithm>
#include <cmath>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/board.h"
#include "record/record_reader.h"
#include "settings/piece_dlg_qt.h"
#include "view/board_drawing.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/info_panel.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"
#include "view/piece_images.h"

namespace {

QWidget* DialogParent() {
  return g_pMainFrame ? static_cast<QWidget*>(g_pMainFrame) : QApplication::activeWindow();
}

bool QtChooseColor(EnvColor& colour) {
  // A fresh set of custom colours each time.
  for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, Qt::white);
  QColorDialog dialog(QColor(colour.r, colour.g, colour.b), DialogParent());
  dialog.setOption(QColorDialog::DontUseNativeDialog);  // Qt's own, in the loaded translation
  if (dialog.exec() != QDialog::Accepted) return false;
  QColor c = dialog.selectedColor();
  colour = {static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
            static_cast<unsigned char>(c.blue())};
  return true;
}

bool QtChooseFont(QFont& font) {
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, font, DialogParent(), QString(), QFontDialog::DontUseNativeDialog);
  if (ok) font = chosen;
  return ok;
}

bool QtBoardPieceDialog(BoardPieceChoice& choice) {
  CPieceDlg dialog(DialogParent());
  dialog.m_nBoardKind = choice.boardKind;
  dialog.m_nStandKind = choice.standKind;
  dialog.m_nPieceSet = choice.pieceIndex;
  dialog.m_bExternal = choice.external;
  dialog.m_strPieceFile = choice.pieceFile;
  if (dialog.exec() != QDialog::Accepted) return false;
  choice = {dialog.m_nBoardKind, dialog.m_nStandKind, dialog.m_nPieceSet, dialog.m_bExternal,
            dialog.m_strPieceFile};
  return true;
}

QRgb ToRgb(const EnvColor& c) { return qRgb(c.r, c.g, c.b); }

bool Choose(EnvColor& colour) { return g_pChooseColor != nullptr && g_pChooseColor(colour); }

// Everything in the view drawn again, the last-move marks with it.
void RepaintView(CNarvoView* view) {
  if (view) view->InvalidateAll();
}

void ReloadPieces() {
  FreePieceBitmaps();
  LoadPieceBitmaps();
}

bool ChooseFontSetting(EnvFont& setting, FontSizeForm form, int maxPoints = 0) {
  QFont font = FontFromSetting(setting, form);
  if (g_pChooseFont == nullptr || !g_pChooseFont(font)) return false;
  setting = SettingFromFont(font, setting, form, maxPoints);
  return true;
}

std::u16string Lower(const std::u16string& text) {
  return QString::fromStdU16String(text).toLower().toStdU16String();
}

}  // namespace

ColorChooser g_pChooseColor = QtChooseColor;
FontChooser g_pChooseFont = QtChooseFont;
BoardPieceDialog g_pBoardPieceDialog = QtBoardPieceDialog;

// ---- Colours -----------------------------------------------------------------------

void ChooseBackgroundColor(CNarvoView* view) {
  if (!Choose(g_rgbBackground)) return;
  RepaintView(view);
}

void ChooseLastPieceColor(CNarvoView* view) {
  // With the square-colour mark the square's colour is what the user sees.
  EnvColor& setting = g_nLastMoveMark == 3 ? g_rgbLastSquare : g_rgbLastPiece;
  if (!Choose(setting)) return;
  SetPaletteColor(kPalLastPiece, ToRgb(setting));
  ReloadPieces();
  RepaintView(view);
}

void ChooseLastFromColor(CNarvoView* view) {
  if (!Choose(g_rgbLastFrom)) return;
  RepaintView(view);
}

void ChooseLastMoveColor(CNarvoView*) {
  if (Choose(g_rgbCurrentMove)) UpdateDovuWndScroll();
}

void ChooseVariationColor(CNarvoView*) {
  if (Choose(g_rgbVariation)) UpdateDovuWndScroll();
}

void ChooseBoardColor(CNarvoView* view) {
  EnvColor colour = g_rgbBoard;
  if (!Choose(colour) || colour == g_rgbBoard) return;
  g_rgbBoard = colour;
  SetPaletteColor(kPalBoard, ToRgb(colour));
  // The whole view, not the board alone: the marks drawn over the board
  // would be gone while the program still counts them as shown.
  RepaintView(view);
}

void ChooseStandColor(CNarvoView* view) {
  EnvColor colour = g_rgbPieceBox;
  if (!Choose(colour) || colour == g_rgbPieceBox) return;
  g_rgbPieceBox = colour;
  SetPaletteColor(kPalPieceBox, ToRgb(colour));
  ReloadPieces();
  if (!view) return;
  SurfacePainter sp(*view);
  if (!sp.Active()) return;
  CellSize c = CurrentCellSize();
  const bool flipped = g_bBoardFlipped != 0;
  for (int side : {kSente, kGote}) {
    DrawStand(sp.Painter(), side);
    PixelRect r = StandRect(c, side, flipped);
    sp.Touch({r.left, r.top, r.right + 2, r.bottom + 2});  // with the shadow
  }
  if (g_AppMode == kModeEdit || g_AppMode == kModeEditPiece) {
    DrawPieceBox(sp.Painter());
    PixelRect r = PieceBoxRect(c);
    sp.Touch({r.left, r.top, r.right + 2, r.bottom + 2});
  }
}

// ---- Fonts -----------------------------------------------------------------------------

QFont FontFromSetting(const EnvFont& setting, FontSizeForm form) {
  QFont font(QString::fromStdU16String(MapFontFace(setting.face)));
  double points = form == kFontTenthsOfPoint ? setting.size / 10.0
                                             : std::abs(setting.size) * 72.0 / std::max(1, g_nDpiY);
  font.setPointSizeF(points > 0 ? points : 9);
  font.setWeight(setting.bold <= 1 ? QFont::Normal
                                   : QFont::Weight(std::clamp(setting.bold, 100, 900)));
  font.setItalic(setting.italic != 0);
  return font;
}

EnvFont SettingFromFont(const QFont& font, const EnvFont& before, FontSizeForm form, int maxPoints) {
  const int dpi = std::max(1, g_nDpiY);
  double points = font.pointSizeF();
  if (points <= 0) points = font.pixelSize() * 72.0 / dpi;
  if (maxPoints > 0) points = std::min(points, double(maxPoints));
  EnvFont setting;
  // A face kept as the chooser found it stays under the name the file uses.
  std::u16string family = font.family().toStdU16String();
  setting.face = family == MapFontFace(before.face) ? before.face : family;
  CutToCapacity(setting.face, kEnvFontFaceCapacity);
  setting.size = form == kFontTenthsOfPoint ? int(std::lround(points * 10))
                                            : -int(std::lround(points * dpi / 72));
  setting.bold = font.weight() >= QFont::DemiBold ? 700 : 400;
  setting.italic = font.italic() ? 1 : 0;
  return setting;
}

void ChooseInfoFont(CNarvoView* view) {
  if (!ChooseFontSetting(g_fontInfo, kFontHeight)) return;
  UpdateInfoLineHeight();
  DrawInfoPanel(view);
  UpdateCommentWindow();
}

void ChooseDovuFont(CNarvoView*) {
  if (!ChooseFontSetting(g_fontMoveListPt, kFontTenthsOfPoint)) return;
  UpdateDovuWndFont();
  UpdateDovuWndScroll();
  UpdateBranchWindow();
}

void ChooseCoordFont(CNarvoView* view) {
  // Larger coordinates would run into the stands.
  if (!ChooseFontSetting(g_fontCoords, kFontHeight, 16)) return;
  RepaintView(view);
}

void ChooseCommentFont(CNarvoView*) {
  if (ChooseFontSetting(g_fontCommentPt, kFontTenthsOfPoint)) UpdateCommentWindowFont();
}

// ---- Board and pieces -------------------------------------------------------------

bool PiecesChanged(int oldExternal, const std::u16string& oldFile, int oldSet, int newExternal,
                   const std::u16string& newFile, int newSet) {
  if ((oldExternal != 0) != (newExternal != 0)) return true;
  if (newExternal != 0) return Lower(oldFile) != Lower(newFile);
  return oldSet != newSet;
}

void EditBoardPieceSettings(CNarvoView* view) {
  BoardPieceChoice choice{g_nBoardKind, g_nStandKind, g_nPieceSet - kFirstPieceSet, g_bExternalPieces,
                          g_szPieceBmpFile};
  if (g_pBoardPieceDialog == nullptr || !g_pBoardPieceDialog(choice)) return;
  const int oldBoard = g_nBoardKind, oldStand = g_nStandKind, oldSet = g_nPieceSet;
  const int oldExternal = g_bExternalPieces;
  const std::u16string oldFile = g_szPieceBmpFile;
  g_nBoardKind = static_cast<unsigned char>(std::clamp(choice.boardKind, 0, 2));
  g_nStandKind = static_cast<unsigned char>(std::clamp(choice.standKind, 0, 2));
  g_nPieceSet = static_cast<unsigned char>(
      std::clamp(choice.pieceIndex + kFirstPieceSet, kFirstPieceSet, kLastPieceSet));
  g_bExternalPieces = choice.external != 0 ? 1 : 0;
  g_szPieceBmpFile = choice.pieceFile;
  CutToCapacity(g_szPieceBmpFile, kEnvPathCapacity);
  bool changed = PiecesChanged(oldExternal, oldFile, oldSet, g_bExternalPieces, g_szPieceBmpFile,
                               g_nPieceSet);
  ApplyBoardPieceSettings(view, changed, oldBoard, oldStand, oldSet, oldExternal);
}

void ApplyBoardPieceSettings(CNarvoView* view, bool piecesChanged, int oldBoardKind,
                             int oldStandKind, int oldPieceSet, int oldExternal) {
  const bool facesChanged = oldBoardKind != g_nBoardKind || oldStandKind != g_nStandKind;
  if (facesChanged) {
    LoadBoardGrain();
    if (g_nStandKind < 2) LoadStandGrain();
    RepaintView(view);
  }
  if (!piecesChanged) {
    if (facesChanged) ReloadPieces();  // the palette changed
    return;
  }
  if (view) view->hide();
  ReloadPieces();
  // The info font follows the size of the pieces.
  if (g_bExternalPieces != 0) {
    g_fontInfo.size = -std::min(g_nCellWidth * 13 / 31, 16);
    UpdateInfoLineHeight();
  } else {
    if (oldExternal != 0 || GetPieceSetSizeClass(oldPieceSet) != g_nSizeClass) {
      g_fontInfo.size = g_nSizeClass > 1 ? -15 : -13;
      UpdateInfoLineHeight();
      if (g_nCellWidth > 50) {
        g_fontInfo.size = -18;
        UpdateInfoLineHeight();
      }
    }
    if (g_nSizeClass >= 0 && g_nSizeClass < 6) {
      g_nCellWidth = g_CellSizeTable[g_nSizeClass][0];
      g_nCellHeight = g_CellSizeTable[g_nSizeClass][1];
    }
  }
  if (g_pMainFrame) g_pMainFrame->FitToBoard();
  if (view) {
    view->show();
    RepaintView(view);
  }
}
