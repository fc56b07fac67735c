// Playing a game on the board: the one-second clock of the side to move, the
// start of a game (new, continued from the shown position, resumed from a
// suspended record), the turn after each move, the end marks and the end of
// the game with its save offer.
#pragma once
#include <cstdint>
#include <string>

#include "view/move_path.h"  // StartClock, StopClock

class CNarvoView;
class QPainter;

// When the clock of the side to move was started (seconds since 1970).
extern int64_t g_tClockStart;

// The running time of the side to move, from g_tClockStart.
void DrawClockRunningTime(CNarvoView* view);
void DrawClockRunningTime(QPainter& p);

// Sets up the shown record as a game waiting for the first move: undo
// dropped, the start date and the title filled in when empty, mode 0, clock.
void StartNewGame(CNarvoView* view);
// After a move entered in a game: the clock for the next side, or the stop
// of a full record.
void NextTurnOrStop(CNarvoView* view);
// End of the game: end date, the save offer, viewing mode.
void EndGame(CNarvoView* view);

// 継続対局: the game goes on from the shown position.
void ContinueGame(CNarvoView* view);
// 中断局面から再開: asks for a record when one is shown, then resumes it.
void ResumeGameCommand(CNarvoView* view);
// The cut of a suspended record at its suspension (the command and /G).
void ResumeSuspendedGame(CNarvoView* view);
// The end commands of the game menu, by command id.
void EnterEndMark(CNarvoView* view, int command);
// The end key of an end command (0 for 入力終了, -1 for no end command).
int EndMarkKeyOf(int command);

// ---- New game -----------------------------------------------------------------

// What the new-game sheet gives back on OK.
struct NewGameValues {
  int handicap = 0;  // 0..16, 16 その他 keeps the shown position
  std::u16string firstPlayer, secondPlayer;
  std::u16string firstShortName, secondShortName;
  // 棋戦, 表題, 戦型, 開始日時, 持ち時間, 場所, 掲載 and the five user items.
  std::u16string event, title, opening, startTime, timeLimit, place, publishedIn;
  std::u16string userItems[5];
};
// Runs the sheet captioned "新規対局" with the values filled in; true on OK
// with the values as the user left them.
using NewGameSheetFunction = bool (*)(CNarvoView* view, NewGameValues& values);
extern NewGameSheetFunction g_pRunNewGameSheet;
// 新規対局.
void NewGameCommand(CNarvoView* view);
// The sheet's OK: the header, the histories, the handicap layout, an empty
// record and the game started.
void ApplyNewGame(CNarvoView* view, const NewGameValues& values);
