// The record as the printed page lists it: header and player lines, the moves
// several to a line in columns, comments, the result of each line, and the
// variations after the line they leave.
#pragma once
#include <string>
#include <vector>

// The printed lines, in order; an empty entry is an empty line.
std::vector<std::u16string> BuildPrintRecordLines(bool withHeader);

// The line closing a line of play whose terminal node (EndCode endCode) has
// move number n: "まで%d手で" and the result; the mover is the side that
// made the last real move.
std::u16string FormatPrintResultLine(int endCode, int n, bool moverIsFirst);
