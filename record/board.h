// One shogi position: squares with wall bytes, piece identities, hands, the
// handicap, and the low-level piece movements that moves and position editing
// are built on.
#pragma once
#include <cstdint>

// ---- Codes --------------------------------------------------------------

// Side to move: 128 the first player (sente), 0 the second (gote).
constexpr int kSente = 128;
constexpr int kGote = 0;

// PieceCode: bits 0-2 the kind, bit 3 promoted, bit 7 a first-player piece.
enum PieceKind {
  kPawn = 1, kLance = 2, kKnight = 3, kSilver = 4, kGold = 5,
  kBishop = 6, kRook = 7, kKing = 8,
};
constexpr int kPromotedBit = 0x08;
constexpr int kSenteBit = 0x80;
constexpr uint8_t kEmpty = 0;
constexpr uint8_t kWall = 255;

// Kind (low three bits; a king gives 0, use CodeWithoutSide for it).
inline int KindOf(int code) { return code & 7; }
// Code without side: 1..15 (8 the king).
inline int CodeWithoutSide(int code) { return code & 0x0F; }
// True for a piece (not empty, not a wall).
inline bool IsPiece(int code) { return code != kEmpty && code != kWall; }
// True when the byte holds a piece of `side` (empty squares and walls never).
inline bool IsPieceOfSide(int code, int side) {
  return IsPiece(code) && (code & kSenteBit) == side;
}
// Hands and pin lists are indexed 0 for the second player, 1 for the first.
inline int SideIndex(int side) { return side == kSente ? 1 : 0; }

// A real board square: file and rank both 1..9.
inline bool IsBoardSquare(int sq) { return sq >= 11 && sq <= 99 && sq % 10 != 0; }

// HandCell: 0x80 | kind for the second player's hand, 0x90 | kind for the
// first player's (kind 1..7). Any cell number of 100 or more counts as a hand
// cell for the board's callers; only these fourteen hold pieces.
inline int HandCellOf(int side, int kind) { return (side == kSente ? 0x90 : 0x80) | kind; }
inline bool IsHandCell(int cell) { return cell >= 100; }
inline bool IsRealHandCell(int cell) {
  // Bits 7 and 4 and the kind only: no wider int slips through as a byte.
  return (cell & ~0x17) == 0x80 && (cell & 7) != 0;
}

// ---- Identities ---------------------------------------------------------

// First and last identity per kind 1..8 (row 0 unused): pawns 1-18, lances
// 19-22, knights 23-26, silvers 27-30, golds 31-34, bishops 35-36, rooks
// 37-38, kings 39 (first player) and 40 (second player).
extern const uint8_t g_PieceIdRanges[9][2];
constexpr int kSenteKingId = 39;
constexpr int kGoteKingId = 40;
constexpr int kPieceIdCount = 40;
struct BoardState;
// Identities of a kind 1..8 (18 for pawns, 1 for each king).
int PieceIdCount(int kind);
// Whether id is among the hand identities of its kind.
bool InHandIdList(const BoardState& b, int kind, int id);

// ---- Handicaps ----------------------------------------------------------

// HandicapCode 0..16: 0 平手 ... 15 十枚落ち, 16 その他 (a free position).
constexpr int kHandicapEven = 0;
constexpr int kHandicapFree = 16;
constexpr int kHandicapCount = 17;
// Names padded with U+3000 to four characters where shorter.
extern const char16_t g_HandicapNames[kHandicapCount][12];
extern const char16_t g_HandicapPanelNames[kHandicapCount][16];
// The padded name of a code; one out of range names the free position.
inline const char16_t* HandicapName(int code) {
  return g_HandicapNames[code < 0 || code >= kHandicapCount ? kHandicapFree : code];
}

// ---- The position -------------------------------------------------------

struct PinEntry {
  int32_t pinned;     // square of the pinned piece
  int32_t magnitude;  // 1, 9, 10 or 11
  int32_t pinner;     // square of the pinning piece
};
struct PinList {
  int32_t count;
  PinEntry entry[8];
};

struct BoardState {
  uint8_t squares[128];     // PieceCode per index; walls 255
  uint8_t idOnSquare[128];  // identity on each square, 0 when none
  uint8_t squareOfId[41];   // square of identity 1..40, 0 in a hand or the box
  uint8_t hands[2][8];      // [0] second player, [1] first; [i][0] total, [i][1..7] per kind
  PinList pins[2];          // [0] second player's king, [1] first's; scratch of the legality test
  int32_t sideToMove;       // 128 or 0
  int32_t handicap;         // HandicapCode
  int32_t notAtStart;       // 1 when not the standard start of its handicap
  int32_t handIds[8][32];   // per kind 1..7, identities in either hand; unused entries 0
  int32_t handIdCount[8];
};

// Any start but the even one: the sides are called 下手 and 上手.
inline bool IsHandicapGame(const BoardState& board) { return board.handicap != kHandicapEven; }

extern BoardState g_Board;       // the position shown
extern BoardState g_StartBoard;  // the record's start position

// Even-game layout for indices 0..99 (walls included) and the square of each
// identity 1..40 in it (entry 0 unused).
extern const uint8_t g_InitialLayout[100];
extern const uint8_t g_InitialIdSquares[41];

// Geometry, filled at start (and again by InitSquareTables): file s / 10,
// rank s % 10, and the larger of file and rank distance for indices 0..99.
extern uint8_t g_SquareFile[100];
extern uint8_t g_SquareRank[100];
extern uint8_t g_SquareDistance[100][100];
void InitSquareTables();

// ---- Operations ---------------------------------------------------------

// PieceCode of a square (the board byte) or of a hand cell (the unpromoted
// piece of that hand's side). 0 for an index that is neither.
int PieceCodeAt(int cell, const BoardState& board = g_Board);

// Copies everything but the pin lists.
void CopyBoardState(BoardState& dest, const BoardState& src);
// Empties the 81 squares (walls stay), identities, hands and kind lists: all
// pieces to the box. Side, handicap and flag stay.
void ClearBoardState(BoardState& board);
// Position editing's "all pieces to the box": the same clearing.
void ClearToBox(BoardState& board);
// Even layout with its identities, first player to move, handicap 0.
void SetInitialBoard(BoardState& board);
// Layout of handicap `code` 0..15 (another code gives the even layout);
// the second player moves first for 1..15.
void SetHandicapBoard(BoardState& board, int code);
inline void SetHandicapLayout(BoardState& board, int code) { SetHandicapBoard(board, code); }

// Rebuilds identities and kind lists from squares and hands, then sets the
// handicap from the pieces in the box. Never writes past a kind's identity
// range: pieces beyond it get no identity (CheckPieceSet refuses such sets).
void IdentifyHandicap(BoardState& board = g_Board);
// 0 when squares 11..99 and both hands agree; else the first differing square,
// or, when the squares agree, the first differing kind 1..7.
int CompareBoardStates(const BoardState& a, const BoardState& b);
// Sets and returns notAtStart (0 only for the standard start of the handicap
// with its standard side to move; code 16 never matches).
int CheckStartPosition(BoardState& board = g_Board);

// Result codes of CheckPieceSet and AddHandPieces.
constexpr int kPieceSetOk = 0;
constexpr int kPieceSetTooMany = -1;     // a kind has more pieces than its identities
constexpr int kPieceSetTwoKings = -2;    // a side has more than one king on the board
constexpr int kPieceSetKingInHand = -3;  // a king offered to a hand
constexpr int kPieceSetBadCode = -4;     // a square holds no valid PieceCode / kind not 1..7
constexpr int kPieceSetBadHand = -5;     // a hand's total is not the sum of its kinds
// Whether squares and hands form a set the identities can hold; readers and
// paste call it before IdentifyHandicap and refuse the position otherwise.
int CheckPieceSet(const BoardState& board);
// Adds `count` pieces of `kind` to the hand of `side` (counts and total),
// refusing a king, a kind outside 1..7, or more than the kind's identities.
int AddHandPieces(BoardState& board, int side, int kind, int count);

// The piece on the square goes into the other side's hand, demoted; a king
// goes to the box. Nothing for an empty square.
void CapturePiece(BoardState& board, int square);
// Position editing: the piece on the square goes into the hand of the side
// named by bit 7 of `code`.
void PutBoardPieceInHand(int code, int square, BoardState& board = g_Board);
// The piece `code` goes from its side's hand onto the square; it takes the
// identity last added to its kind list. Nothing when that hand has none.
void DropPieceFromHand(BoardState& board, int code, int square);
// Mate-problem set-up: the second player's king on 5一, every other piece but
// the first player's king in the second player's hand; then identified,
// checked and copied into g_StartBoard.
void SetTsumeLayout(BoardState& board = g_Board);
// Every piece in the box except the kings goes into the second player's hand.
void MoveBoxToGoteHand(BoardState& board);
// Position editing's right click: promote, demote and change side, change the
// side of a gold or king. 1 changed, 0 refused (empty square, not a square, a
// king change that would give one side two kings). Only the byte changes.
int CyclePieceState(int square, BoardState& board = g_Board);
// Half-turn of the position with the sides exchanged (hands swap too); the
// caller re-identifies afterwards.
void FlipBoardSides(BoardState& board = g_Board);
// Unit step from b towards a (bit 7 of a ignored): ±1, ±9, ±10, ±11, a knight
// jump ±8 or ±12 as it is, 100 when not on a line.
int GetSquareStep(int a, int b);
