// Templates are stored on one line, a line break written as "%c"; multi-line
// edit boxes show them with real line breaks.
#pragma once
#include <string>
#include <string_view>

// Longest text either conversion writes (units, without the terminating zero).
constexpr size_t kMultilineMaxUnits = 1023;

// "%c" and "%C" become CR LF; everything else is copied. At most 1023 units
// are written, and a CR LF pair is never split.
std::u16string FormatToMultiline(std::u16string_view format);
// CR LF and a lone LF become "%c" (an edit box may give either); a lone CR
// is copied. At most capacity - 1 units (and never more than 1023) are
// written, and a "%c" is never split.
std::u16string MultilineToFormat(std::u16string_view text, size_t capacity = kMultilineMaxUnits + 1);
