// Japanese move notation: the words a move needs when it is added to the
// record (textFlags), the record and display forms of a move, and the parsers
// that turn Japanese move text back into a move on the position.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "record/board.h"
#include "record/record.h"
#include "record/rules.h"

// ---- Word tables -----------------------------------------------------------

// Piece names by code without side: 0 "　", 1 歩 .. 8 玉, 9 と, 10 杏, 11 圭,
// 12 全, 13 金, 14 馬, 15 龍.
extern const char16_t* const g_PieceNames[16];
// Full-width digits ０..９ by file.
extern const char16_t g_FileDigits[10];
// Kanji numerals by rank: 零, 一 .. 九, 十.
extern const char16_t g_RankNumerals[11];
// Relative-position words by word code: 0 and 1 empty, 2 行, 3 上, 4 引, 5 直,
// 6 寄, 7 右, 8 左, 9 右引, 10 右寄, 11 右上, 12 左引, 13 左寄, 14 左上.
extern const char16_t* const g_RelativeWords[15];

// The word of an EndCode (投了, 中断, ...); empty for a code the table lacks
// (3, or anything above 10).
std::u16string_view EndWord(int code);

// ---- textFlags -----------------------------------------------------------

// Low six bits: the word code; bit 6: could have promoted but did not.
constexpr int kWordDrop = 0;  // a drop that must be written with 打
constexpr int kWordNone = 1;  // no word needed
enum RelativeWordCode {
  kWordGo = 2,         // 行 (read, never written)
  kWordUp = 3,         // 上
  kWordBack = 4,       // 引
  kWordStraight = 5,   // 直
  kWordSideways = 6,   // 寄
  kWordRight = 7,      // 右
  kWordLeft = 8,       // 左
  kWordRightBack = 9,  // 右引
  kWordRightSide = 10, // 右寄
  kWordRightUp = 11,   // 右上
  kWordLeftBack = 12,  // 左引
  kWordLeftSide = 13,  // 左寄
  kWordLeftUp = 14,    // 左上
};
constexpr int kWordCodeMask = 0x3F;
constexpr int kCouldPromoteBit = 0x40;

// textFlags of the move key on the position before the move. End-of-game
// moves give 1.
uint8_t ComputeMoveTextFlags(const BoardState& before, uint16_t moveKey);
// Puts ComputeMoveTextFlags into the record's seam for added moves. Done by a
// static initialiser as well; start-up calls it so the link order never
// matters.
void InstallMoveNotation();

// ---- Record form -----------------------------------------------------------

// Forms of the destination: "same" is a destination equal to the previous
// move's (bit 7 ignored).
enum MoveTextForm {
  kFormSame = 0,         // 同　 / ７六
  kFormSquare = 1,       // always ７六
  kFormSquareSame = 2,   // ７六同 / ７六
  kFormHalfWidth = 3,    // 同 / 76
  kFormHalfWidth2 = 4,   // the same
};
// Side-mark modes: 0 none, 1 ▲△, 2 ▲▽, 3 and above ☗☖.
enum SideMarkMode { kMarkNone = 0, kMarkWhiteUp = 1, kMarkWhiteDown = 2, kMarkSheet = 3 };

// The move in record notation: side mark, destination, piece, relative word,
// 成/不成 or 打, filled with U+0020 to `width` half-width units.
// piece is the PieceCode as it stood (the side to move for an end of game,
// whose to-byte is its EndCode 0..10).
std::u16string FormatMoveText(int flags, int prevTo, int from, int to, int piece, int form,
                              int mark, int width);
// FormatMoveText of a node with its parent's to-byte; empty for none or the root.
std::u16string FormatNodeMove(const RecordNode* node, const GameRecord& record, int form,
                              int mark, int width);
// The same for the node at move number n on the current line.
std::u16string FormatMoveTextAt(const GameRecord& record, int n, int form, int mark,
                                int width);

// ---- Display form ----------------------------------------------------------

// Full-width file digit and kanji rank: ７六. Bit 7 ignored; empty for an
// index that is not a square.
std::u16string FormatSquareName(int square);
// Display text: ７六歩(77), ２二角成(88), 同　歩(23), ５五角打, or an end word.
std::u16string FormatMoveDisplayCore(int piece, int from, int to, int prevTo);
// The same appended to text (the writers build their lines in one buffer).
void AppendMoveDisplayCore(std::u16string& text, int piece, int from, int to, int prevTo);
// The same written at out, which has room for kMoveCoreMax units (as UTF-8
// into chars, three bytes each and one more); returns the end, and its
// display width in *width when asked.
constexpr size_t kMoveCoreMax = 16;
char16_t* PutMoveDisplayCore(char16_t* out, int piece, int from, int to, int prevTo,
                             int* width = nullptr);
char* PutMoveDisplayCore(char* out, int piece, int from, int to, int prevTo, int* width = nullptr);
// Mark by style (0 none; first player ☗ for 5, else ▲; second player ☖ for 5,
// △ for 1, else ▽), then the display text with the parent's destination
// (none when noSame), filled to `width`. Empty for no node or the root.
std::u16string FormatMoveForDisplay(int width, const RecordNode* node, int noSame, int style,
                                    const GameRecord& record = g_Record);
// The same for the node at move number n of the current line; empty when none.
std::u16string FormatMoveForDisplayAt(int n, int noSame, int style, int width,
                                      const GameRecord& record = g_Record);
// A move being entered (to-byte with bit 7 promoting): ▲ or ▽ by the piece on
// the source, then the display text without a previous destination.
std::u16string FormatCandidateMove(int to, int from, const BoardState& board = g_Board);

// ---- Parsers ---------------------------------------------------------------

// 1 when text begins with word.
int StartsWith(std::u16string_view word, std::u16string_view text);
// The text from its first character that is neither U+3000 nor a blank.
std::u16string_view SkipBlanks(std::u16string_view text);
// 1..10 for 一..十, 2 for the katakana ニ, 1 for ー and －; 0 otherwise.
int ParseRankNumeral(std::u16string_view text);
// 0..9 for ０..９, -1 otherwise.
int ParseFileDigit(std::u16string_view text);
// Code without side: 王 8, 成香 10, 成桂 11, 成銀 12, 竜 15, else the first
// match in g_PieceNames (金 5, 玉 8, 龍 15); 0 when none. *length receives
// the characters taken (2 for 成香, 成桂, 成銀).
int ParsePieceName(std::u16string_view text, int* length = nullptr);

// Square of the piece `piece` (PieceCode with side) that reaches `to` in the
// directions of word code `code` (0: every direction), 0 when none. When the
// move promotes (bit 7 of `to`) or `rest` begins with 成, 不 or 生, a piece
// that cannot promote on the move is passed over.
int FindSourceSquare(int code, const BoardState& board, int to, int piece,
                     std::u16string_view rest = {});
// Reads a relative word at the start of `text` (advancing past it) and gives
// the source square of `piece` moving to `to`; without a word, any source
// (FindSourceSquare with code 0). 0 when none.
int ParseRelativeWord(std::u16string_view& text, const BoardState& board, int to, int piece);

// Resolves a parsed move on `board`, checks it, adds it to `record` and makes
// it. `move`: the destination (bit 7 promotes) and the piece code without
// side; from a square, a hand cell (a drop), or 0..10 when the source is still
// to be found from `rest` (the text after the piece name); to 0..10 with from
// 0 or 1 is an end of game. n is the number of the move being added (1-based).
// 0, or the CheckMoveLegal code when ルール確認 is on (the move is added all the
// same); -1 a move that cannot be made (nothing changed); -2 the record is full.
int PlayMoveIntoRecord(BoardState& board, GameRecord& record, const BoardState& start, int n,
                       MoveCode move, int seconds, std::u16string_view rest);
