// Test fixtures: positions from SFEN text or board-diagram rows, and checks
// over BoardState.
#pragma once
#include <string>
#include <string_view>

#include "record/board.h"

// Position from SFEN: "<rows> [b|w] [hands|-] [move number]"; rows rank 1
// first, each from file 9 to file 1; upper case the first player; "+"
// promotes; hands like "2Pb". Side defaults to the first player, hands to none.
// Squares and hands are set as written (no piece-set check, so over-full sets
// can be built), then IdentifyHandicap and CheckStartPosition run.
// False on malformed text (the board is then unspecified).
bool LoadSfen(std::string_view sfen, BoardState& board);

// Position from board-diagram rows (UTF-8): every line that starts with "|"
// is a rank, rank 1 first, nine cells of a mark (" " first player, "v"
// second) and a piece (歩香桂銀金角飛玉王と杏圭全馬龍竜, "・" empty), as in
// "|v香v桂 ・ ・v玉 ・ ・v桂v香|一". Other lines are ignored. Hands in SFEN
// form. Then as LoadSfen.
bool LoadDiagram(std::string_view rows, BoardState& board, int sideToMove = kSente,
                 std::string_view hands = "-");

// The same, failing the current test on malformed text (position_fixtures.cpp,
// the one part that needs GoogleTest).
BoardState SfenPosition(std::string_view sfen);
BoardState DiagramPosition(std::string_view rows, int sideToMove = kSente,
                           std::string_view hands = "-");

// SFEN of the position (side and hands included, move number 1), for messages.
std::string BoardToSfen(const BoardState& board);

// Every field equal except the pin lists (scratch of the legality test).
bool SameBoardState(const BoardState& a, const BoardState& b);

// Empty when the identities, hands and kind lists agree with the squares and
// the walls are intact; else a description of the first disagreement.
std::string DescribeBoardFault(const BoardState& board);
