// The record as the printed page lists it: header and player lines, the moves
// several to a line in columns, comments, the result of each line, and the
// variations after the line they leave.
#pragma once
#include <functional>
#include <string>
#include <vector>

// The printed lines, in order; an empty entry is an empty line.
std::vector<std::u16string> BuildPrintRecordLines(bool withHeader);
// The same lines handed over one by one while put returns true: a page that
// is full makes no more of them.
using PrintLineFunction = std::function<bool(const std::u16string& line)>;
void ForEachPrintRecordLine(bool withHeader, const PrintLineFunction& put);

// The line closing a line of play whose terminal node (EndCode endCode) has
// move number n: "まで%d手で" and the result; the mover is the side that
// made the last real move.
std::u16string FormatPrintResultLine(int endCode, int n, bool moverIsFirst);
