// The view's display commands: the colours (board, stands, background, the
// last-move marks, the move list) through the colour chooser, the four fonts
// through the font chooser, and the board face, stand face and piece set
// through the board and piece dialog. Each change goes into its setting and
// shows at once.
#pragma once
#include <string>

#include "settings/env.h"

class CNarvoView;
class QFont;

// ---- Choosers (tests answer without a dialog) ---------------------------------

// Starts from colour; true with the chosen colour on OK.
using ColorChooser = bool (*)(EnvColor& colour);
// Starts from font; true with the chosen font on OK.
using FontChooser = bool (*)(QFont& font);
extern ColorChooser g_pChooseColor;
extern FontChooser g_pChooseFont;

// What the board and piece dialog shows and gives back; true on OK.
struct BoardPieceChoice {
  int boardKind = 0;   // 0 木目１, 1 木目２, 2 無地
  int standKind = 0;
  int pieceIndex = 0;  // the set minus 3
  int external = 0;
  std::u16string pieceFile;
};
using BoardPieceDialog = bool (*)(BoardPieceChoice& choice);
extern BoardPieceDialog g_pBoardPieceDialog;

// ---- Commands --------------------------------------------------------------------

void ChooseBackgroundColor(CNarvoView* view);
void ChooseLastPieceColor(CNarvoView* view);
void ChooseLastFromColor(CNarvoView* view);
void ChooseLastMoveColor(CNarvoView* view);
void ChooseVariationColor(CNarvoView* view);
void ChooseBoardColor(CNarvoView* view);
void ChooseStandColor(CNarvoView* view);

void ChooseInfoFont(CNarvoView* view);
void ChooseDovuFont(CNarvoView* view);
void ChooseCoordFont(CNarvoView* view);
void ChooseCommentFont(CNarvoView* view);

void EditBoardPieceSettings(CNarvoView* view);
// Shows a changed choice: the grain when a face changed, the piece images,
// the info font and the main window's size when the pieces changed.
void ApplyBoardPieceSettings(CNarvoView* view, bool piecesChanged, int oldBoardKind,
                             int oldStandKind, int oldPieceSet, int oldExternal);

// ---- Parts ---------------------------------------------------------------------------

// Whether the pieces must be loaded again: the external flag changed, or with
// it on the file (told without regard to case), or with it off the set.
bool PiecesChanged(int oldExternal, const std::u16string& oldFile, int oldSet, int newExternal,
                   const std::u16string& newFile, int newSet);

// How a font setting holds its size.
enum FontSizeForm { kFontHeight, kFontTenthsOfPoint };
// The font the chooser starts from, and the setting made of its answer (face,
// size, weight 400 or 700, italic). maxPoints > 0 caps the size.
QFont FontFromSetting(const EnvFont& setting, FontSizeForm form);
EnvFont SettingFromFont(const QFont& font, const EnvFont& before, FontSizeForm form, int maxPoints);
