// CSA record files (".csa"): the exchange format of computer shogi. The
// reader replaces the record and both positions like the other record
// readers; the writer puts out the header items CSA has, the full start
// position and the main line with its seconds and comments, in code page 932.
#pragma once
#include <string>
#include <string_view>

class RecordTextFile;
struct RecordNode;

// Piece letters by code without side: 1 FU .. 8 OU, 9 TO, 10 NY, 11 NK,
// 12 NG, 14 UM, 15 RY; entries 0 and 13 match no piece a file may name.
extern const char16_t* const g_CsaPieceNames[16];

// Index 0..15 of the first two characters of text in g_CsaPieceNames, -1
// when none.
int CsaPieceIndex(std::u16string_view text);

// The word after "%" for an EndCode, the side to move at the end (128 or 0)
// choosing the sign of ILLEGAL_ACTION; empty for a code with no word.
std::u16string_view CsaEndWord(int code, int sideToMove);
// EndCode of the word after "%" (without it), -1 for a word not taken.
int ParseCsaEndWord(std::u16string_view word, int sideToMove);

// Reads the file into g_Record, g_Board and g_StartBoard.
// 0 read; 1 read up to a bad line (a message box names it); -1 the file
// cannot be opened (nothing changes); -2 the record is full (the moves read
// so far stay); kNoRecordPool.
int ReadCsaFile(std::u16string_view path);
// The same over the bytes of a file in memory.
int ReadCsaBytes(std::string bytes);

// A position statement applied to g_Board: "PI" with the pieces it removes,
// "P1".."P9", "P+" / "P-". 1 applied, 0 not a position statement, -1 a
// statement that names no valid piece or square (g_Board may be partly set).
int ParseCsaPositionLine(std::u16string_view line);
// A "P+" / "P-" statement: pieces in hand ("00KI"), pieces put on the board
// ("55KA"), "00AL" for every piece left (given out when the start position is
// settled). 0, or -1 for a bad entry or more pieces than a kind has.
int ParseCsaHand(std::u16string_view line);

// Writes the record as a CSA file: 0; -1 the file cannot be created; 2 a
// write failed (the change counter is left as it was). On success the
// change counter becomes 0.
int WriteCsaFile(std::u16string_view path);
// The same into an open output; 0, or 2 when a write failed. The change
// counter is left alone.
int WriteCsaText(RecordTextFile& file);
// The player names and the "$" items that are set.
void WriteCsaHeader(RecordTextFile& file);
// g_StartBoard as nine "P" rows, the hands and the side to move.
void WriteCsaPosition(RecordTextFile& file);
// The root's comment, then the main line with seconds and comments up to its
// end word. 0, or 2 when a write failed.
int WriteCsaMoves(RecordTextFile& file);
// "%TORYO,T3" for an end-of-game node (nothing for a code with no word).
void WriteCsaEnd(RecordTextFile& file, const RecordNode& node);
// The comment as "'*" lines.
void WriteCsaComment(RecordTextFile& file, std::u16string_view comment);

// The source without its first "(...)" group: "2024/01/06(土) 10:00" gives
// "2024/01/06 10:00". Unchanged when there is no closed group.
std::u16string StripParenthesised(std::u16string_view source);
