// Reading text records: ZRF game records, ZR2 move lists, board diagrams and
// the other texts the file commands send here. One line reader recognises
// every line by its form; clipboard paste drives the same line parsers.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct RecordNode;

// The board is shown turned by half a turn (the line 盤面回転).
extern unsigned char g_bBoardFlipped;
// A line of the second player's pieces in hand was read (paste asks).
extern int g_bSecondHandRead;
// The text of the last error the line parsers met (paste shows it).
extern std::u16string g_strRecordReadError;

// What one reading keeps between lines.
struct RecordReadState {
  int boardRow = 1;          // number of the next board-diagram row
  bool boardRead = false;    // a diagram row was read
  bool startSettled = false; // the start position is fixed (first move met)
  bool sideLineSeen = false; // a 手番 line named the side to move
  bool startFailed = false;  // the position read was impossible (reading stops)
  bool gameEnded = false;    // an end-of-game move closed the current line
  RecordNode* endNode = nullptr;  // that end node, which takes the following comments
  // The nodes of the line being read by move number, so that a variation
  // steps back without searching the pool for parents.
  std::vector<RecordNode*> path;
  // The length of the comment last added to, so that a long run of comment
  // lines is not measured again for each line (valid while the node still
  // holds that same text).
  // The encoding a file is being read in ("UTF-8", "CP932"), named in a rule
  // error: a file in the other one reads as nonsense, and the user must see
  // why. Null for text that was never bytes (paste).
  const char16_t* encoding = nullptr;
  // Comment text was cut or dropped because a comment is full: the record
  // in memory is less than the file (kept after the reading, for the caller).
  bool commentCut = false;
  // Byte sequences of a file read as UTF-8 that are none, read as U+FFFD:
  // the record in memory is not the file's text either.
  int utf8Faults = 0;
  const RecordNode* commentNode = nullptr;
  const char16_t* commentText = nullptr;
  size_t commentLength = 0;
};
extern RecordReadState g_RecordReadState;
// Starts a fresh state (and clears g_bSecondHandRead and the error text).
void ResetRecordReadState();
// Fixes the start position when it is not yet: RebuildStartPosition after a
// diagram, else SetHandicapStartPosition. False when the position read is
// impossible (the message is shown). The move parsers call it before they
// add a move; a caller with rules of its own for the start sets startSettled.
bool EnsureStartSettled();
// The two ends of every record read (this format's and CSA's): BeginRecordRead
// empties the record, its header and the positions and returns the append
// mode to give back; FinishRecordRead gives it back and rewinds the shown
// position to the start with the change counter at 0.
int BeginRecordRead();
void FinishRecordRead(int savedMode);

// One line of a record text between BeginRecordRead (or a caller's own
// start) and FinishRecordRead. False when the reading stops: result is then 1
// (a rule error, a bad board row or an impossible position; the message is
// in g_strRecordReadError or shown) or -2 (the record is full).
bool ReadRecordLine(std::u16string_view line, int& result);

// Reads the file into g_Record, g_Board and g_StartBoard. tryUtf8 is the
// caller's guess (set for ".dovu" and ".zr2u"); a byte-order mark or the
// format line "#ZRF version=2.0 encoding=..." decides when present, else the
// bytes do (well-formed UTF-8 beyond ASCII is UTF-8, anything else CP932).
// 0 read; 1 read up to a rule error, a bad board row or an impossible
// position (a message names it); -1 cannot be opened (nothing changes);
// -2 the record is full (the moves read so far stay); kNoRecordPool.
int ReadRecordFile(bool tryUtf8, std::u16string_view path);
// The same over the bytes of a file already in memory.
int ReadRecordBytes(bool tryUtf8, std::string bytes);

// Copies source up to the first NUL, CR or LF, at most capacity - 1 units.
std::u16string CopyLine(std::u16string_view source, size_t capacity);
// 1 when the line was a header item (stored), else 0.
int ParseHeaderLine(std::u16string_view line);
// Board-diagram row `row` (1..9): 1 read into g_Board, 0 not a board row,
// -1 a bad side mark.
int ParseBoardRow(int row, std::u16string_view line);
// Pieces in hand ("飛　角　歩三", "なし") into the hand of side (128 the
// first player, 0 the second): each kind named is set to its count and the
// hand's total stays the sum of its kinds. The scan stops at anything that is
// not a piece of a hand.
void ParseHandPieces(std::u16string_view text, int side);
// 1 when the line named a player, a short name or a hand. Hands are taken
// only while the start position is not settled.
int ParsePlayerOrHandLine(std::u16string_view line);
// Handicap code whose name matches the first two characters of text; 16
// (a free position) when none does.
int FindHandicapName(std::u16string_view text);
// 1 for a 手合割 line; the side-to-move and 盤面回転 lines take effect and
// give 0. Handicap and side lines change nothing once the start is settled.
int ParseSetupLine(std::u16string_view line);
// EndCode 0..10 of a result word or a "まで..." line, -1 not a result, -2 a
// "まで" line naming no known ending.
int ParseResultLine(std::u16string_view text);
// 1 when the text begins with ▲, △ or ▽.
int IsSideMark(std::u16string_view text);
// A numbered ZRF move line: 1 a move read, 2 an end-of-game move, 0 not a
// move line, -1 invalid, -2 record full.
int ParseZrfMoveLine(std::u16string_view line);
// A ZR2 move list (or a numbered move without time, or a "まで" line):
// 1 every move read, 2 an end-of-game move read, 0 not a move list,
// -1 invalid, -2 record full.
int ParseZr2MoveLine(std::u16string_view line);
// One move text as move number n: its destination (11..99, bit 7 when it
// promotes), 2 an end-of-game move, 0 nothing, -1 invalid (the move cannot
// be made), -2 record full.
int ParseZr2Move(int n, std::u16string_view text, int seconds);
// g_Board and g_StartBoard get the layout of g_Board's handicap (0..15); a
// free position is taken from the rows and hands read. current = root,
// move number 0. 0, or a negative CheckPieceSet code for an impossible set.
int SetHandicapStartPosition();
// 1 when the line is a move line: a side mark after blanks, or a number
// followed by a word.
int IsMoveLine(std::u16string_view line);
// A "&name" line: the bookmark of the current node (or of the end node that
// closed the line).
void ParseBookmarkLine(std::u16string_view line);
// A comment line's text (after "*"), added to the current node's comment, or
// the end node's after an end of game; cut to what the comment can hold.
void AddReadComment(std::u16string_view text);
// After a board diagram: the position read is checked, identified and copied
// into g_StartBoard. notAtStart (0 or 1), or a negative CheckPieceSet code
// (the positions are then reset to the even-game layout).
int RebuildStartPosition();
// Message text for a negative CheckPieceSet code.
std::u16string PieceSetErrorText(int code);
