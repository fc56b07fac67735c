// English shogi notation: moves (P-7f, Bx2b+), hands, the board diagram, the
// position template 英語盤面書式 and the whole record. One writer appends
// UTF-16 with CR LF; the clipboard copies take its text as it is and the
// files write the same text in code page 932, so the two cannot differ.
#pragma once
#include <string>
#include <string_view>

struct BoardState;

// The move (or the end word for an end node, from 1), padded with blanks up
// to width; a longer text stays whole.
std::u16string FormatMoveEnglish(int to, int from, int piece, int captured, int flags, int width = 0);
// Move n of the current line; empty when there is none.
std::u16string FormatMoveEnglishAt(int n, int width = 0);

// "Black in hand: R B2 P " style line (side 128 or 0), CR LF ended.
void AppendEnglishHand(std::u16string& text, int side, const BoardState& board);
// marks 0: b/w before each piece; 1: blank/v.
void AppendEnglishBoard(std::u16string& text, const BoardState& board, int marks);
// 英語盤面書式 expanded. clipboard: an unknown code warns (sound and box);
// in a file it is left out.
void AppendEnglishPosition(std::u16string& text, std::u16string_view recordTitle, bool clipboard);
// The numbered (style 1) or plain (style 2) move list of the current line.
void AppendEnglishMoveList(std::u16string& text, bool numbers);
// The whole record in the style 英語棋譜形式.
void AppendEnglishRecord(std::u16string& text);

// The files (CP932, CR LF): 0 written, 2 a write failed, -1 the file cannot
// be created.
int SaveEnglishRecord(std::u16string_view path);
int WriteEnglishPositionFile(std::u16string_view path, std::u16string_view recordTitle);
