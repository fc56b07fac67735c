// The information panel: the white box at the upper right of the board view
// with eleven lines (players and their times, handicap, move number and last
// move, side to move, three lines from the user's templates).
//
// Every line has two forms: on a QPainter (the view's paint, which clears the
// box first) and through the view's surface (a single line redrawn after a
// move, a step, the clock or a dialog). Nothing is drawn in print preview.
#pragma once
#include <string>
#include <string_view>

#include "record/record.h"

class QColor;
class QPainter;
class CNarvoView;

// Line pitch of the info font: (height + external leading) * 6 / 5. Set by
// UpdateInfoLineHeight, at start and whenever 情報フォント changes.
extern int g_nInfoLineHeight;
void UpdateInfoLineHeight();

// A copy filled with blanks to 20 characters; a longer text is kept whole.
std::u16string PadTo20(std::u16string_view text);
// The template with its %-codes replaced, padded to 20 characters.
std::u16string ExpandInfoTemplate(std::u16string_view format);

// The box, white with its outline.
void ClearInfoPanel(QPainter& p);
// Every line.
void DrawInfoPanel(QPainter& p);
void DrawInfoPanel(CNarvoView* view);
// One line at (x, y): the line cleared to the text area's right edge, then the
// text without control characters, clipped to the text area.
void DrawInfoText(QPainter& p, std::u16string_view text, int x, int y, const QColor& colour);

void DrawInfoPlayerNames(QPainter& p);
void DrawInfoMoveTime(QPainter& p, int moveNumber);
void DrawInfoHandicap(QPainter& p);
void DrawInfoLastMove(QPainter& p);
void DrawInfoSideToMove(QPainter& p);
void DrawInfoLine1(QPainter& p);
void DrawInfoLine2(QPainter& p);
void DrawInfoLine3(QPainter& p);
// The time line of move n while it is being thought over: the running
// seconds added to the side's total, in blue.
void DrawInfoRunningTime(QPainter& p, int seconds, int moveNumber);

// The same through the view (null: nothing).
void DrawInfoPlayerNames(CNarvoView* view);
void DrawInfoMoveTime(CNarvoView* view, int moveNumber);
void DrawInfoHandicap(CNarvoView* view);
void DrawInfoLastMove(CNarvoView* view);
void DrawInfoSideToMove(CNarvoView* view);
void DrawInfoLine1(CNarvoView* view);
void DrawInfoLine2(CNarvoView* view);
void DrawInfoLine3(CNarvoView* view);
void DrawInfoRunningTime(CNarvoView* view, int seconds, int moveNumber);

// The texts of the lines, as drawn.
std::u16string InfoPlayerLine(int side);  // kSente or kGote
std::u16string InfoHandicapLine();
std::u16string InfoMoveNumberLine();
// Empty when the current node is an interruption (the line stays as it is).
std::u16string InfoLastMoveLine();
std::u16string InfoSideToMoveLine();
// The panel line (1 or 3) of move n's times.
int InfoTimeLineOf(int moveNumber);
