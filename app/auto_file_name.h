// The file name proposed for a record saved without a name: the user's
// template (棋譜保存初期名) with its %-codes expanded from the record header
// and today's date and time.
#pragma once
#include <string>
#include <string_view>

struct RecordHeader;

// The expansion of g_szDefaultSaveName for g_Record (at most 1023 units).
std::u16string BuildAutoFileName();
// The same for any template and header.
std::u16string ExpandAutoFileName(std::u16string_view pattern, const RecordHeader& header);

// Drops grade words (九段, ３級, 初段, 三冠) and titles (名人, 竜王, ...) and the
// separators "・" and "、".
std::u16string StripTitlesFromName(std::u16string_view name);
// The grade word starting at text[0]: 1..9, or 0 when none.
int GradeWordValue(std::u16string_view text);
// Without half-width and full-width blanks.
std::u16string RemoveBlanks(std::u16string_view name);
// Leading blanks skipped, then up to a blank or an opening parenthesis.
std::u16string CopyFirstWord(std::u16string_view name);
// Cut after the character at which the count of columns reaches `columns`
// (one column up to "}", two above).
void TruncateToColumns(std::u16string& text, int columns);
