// Reading pasted text: game records (ZRF, ZR2), board diagrams and SFEN
// positions, through the record reader's line parsers; and the check that a
// record to merge starts where the current one does.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The text's lines, whole: CR LF and LF end a line, a lone CR stays in it.
std::vector<std::u16string_view> SplitClipboardLines(std::u16string_view text);
// A line that begins with "<" loses everything up to the first ">".
std::u16string_view StripLeadingTag(std::u16string_view line);
// PieceCode of an SFEN letter, -1 for none.
int SfenLetterToPiece(char16_t letter);
// 1 when the line is a valid SFEN position: it then replaces the record with
// that position as its start. 0 changes nothing.
int ParseSfen(std::u16string_view line);

// Whether the text's first line is a valid SFEN position (nothing changes).
bool IsSfenText(std::u16string_view text);

// Result of ReadRecordFromClipboardText.
enum PasteResult {
  kPasteSfen = 2,
  kPasteRead = 1,
  kPasteEmpty = 0,      // read, but no board row and no move
  kPasteError = -1,     // g_strRecordReadError says why
  kPasteFull = -2,
  kPasteNothing = -3,   // no line of a record at all: nothing changed
  kPasteNoPool = -4,    // no record pool: "メモリ不足です。" shown, nothing changed
};
// merge 0 replaces the record, 1 plays the pasted moves into it as
// variations. fileName receives a pasted "ファイル名：" name (paste only), its
// folder part removed; empty when none or not usable.
int ReadRecordFromClipboardText(std::u16string_view text, int merge, std::u16string* fileName = nullptr);
// 0 the pasted record starts as the current one does; 1 another handicap,
// 2 another side to move, 3 another start position (each message shown);
// -1 a board row cannot be read. g_Board is left as it was.
int CheckMergeCompatible(std::u16string_view text);
