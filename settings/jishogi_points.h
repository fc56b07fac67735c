// Entering-king (持将棋) points of the shown position.
#pragma once
#include <string>

// The side's points on g_Board (128 first player, 0 second): 5 for a rook or
// bishop, 1 for any other piece but the king, on the board or in hand.
int CountJishogiPoints(int side);
// "12手　▲２六歩まで\r\n先手：27点\r\n後手：27点\n" for the current move
// (下手 and 上手 in a handicap game).
std::u16string FormatJishogiText();
