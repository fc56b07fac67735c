// A readable dump of the whole record (header, start position, every node
// of the tree with its notes) for comparing two records in tests.
#pragma once
#include <string>

struct GameRecord;

// One line per header field that is set, the start position as SFEN with its
// handicap and flag, then the tree depth first, each node as
// "<move number> <from> <to> <piece> <captured> f<textFlags> s<seconds>" with
// its comment and bookmark.
std::string DumpRecord(const GameRecord& record);
