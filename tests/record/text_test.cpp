#include "record/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>

TEST(Utf8, RoundTripAndBom) {
  std::u16string s = u"▲７六歩(77) 𠮷 abc";
  std::string bytes = Utf16ToUtf8(s, true);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(Utf8ToUtf16(bytes), u"\uFEFF" + s);  // only a file's reader skips it
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(s)), s);
}

TEST(Utf8, InvalidBytesBecomeReplacement) {
  struct Case { std::string in; std::u16string out; } cases[] = {
      {"a\xFF" "b", u"a\uFFFDb"},
      {"\xE3\x81", u"\uFFFD"},            // truncated at the end
      {"\xE3\x81" "a", u"\uFFFDa"},       // truncated before ASCII
      {"\xC0\xAF", u"\uFFFD"},            // overlong
      {"\xED\xA0\x80", u"\uFFFD"},        // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},    // above U+10FFFF
      {"abcdefghijklmnop\xE6\xAD\xA9q\xE3\x81", u"abcdefghijklmnop歩q\uFFFD"},  // after ASCII runs
      {"abcdefgh\xFF" "abcdefg\xED\xA0\x80", u"abcdefgh\uFFFDabcdefg\uFFFD"},
  };
  for (auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.in;
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(Ansi, Cp932Mapping) {
  // CP932, not JIS Shift_JIS: 0x817C is the full-width minus U+FF0D, 0x8160 U+FF5E.
  EXPECT_EQ(AnsiToUtf16("\x81\x7C"), u"\uFF0D");
  EXPECT_EQ(AnsiToUtf16("\x81\x60"), u"\uFF5E");
  EXPECT_EQ(AnsiToUtf16("\\"), u"\\");
  EXPECT_EQ(Utf16ToAnsi(u"－～"), "\x81\x7C\x81\x60");
  std::u16string jp = u"▲７六歩　先手：羽生善治";
  EXPECT_EQ(AnsiToUtf16(Utf16ToAnsi(jp)), jp);
}

TEST(Ansi, UnmappableAndInvalid) {
  EXPECT_EQ(Utf16ToAnsi(u"a☗b☖c"), "a?b?c");
  EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y"), "x?y");
  // A lone surrogate is one '?' and never takes its neighbour along.
  EXPECT_EQ(Utf16ToAnsi(std::u16string{u'\xD800', u'A', u'\xDC00', u'B', u'\xD800'}), "?A?B?");
  EXPECT_EQ(AnsiToUtf16("a\x81"), u"a\uFFFD");       // lead byte without trail

  EXPECT_NE(AnsiToUtf16("\xA0").find(u'\uFFFD'), std::u16string::npos);
}

TEST(Width, HalfWidthUnits) {
  EXPECT_EQ(DisplayWidth(u"abc}"), 4);
  EXPECT_EQ(DisplayWidth(u"~"), 2);
  EXPECT_EQ(DisplayWidth(u"７六歩"), 6);
}

TEST(Format, PrintfForUtf16) {
  EXPECT_EQ(FormatU16(u"%s%02d手目 %c|%-4s|%4s|%%", u"第", 7, u'歩', u"ab", u"cd"),
            u"第07手目 歩|ab  |  cd|%");
  EXPECT_EQ(FormatU16(u"%ld %x %.2f %5.3s", 123456789L, 255, 1.5, u"abcdef"),
            u"123456789 ff 1.50   abc");
  // A negative precision through * counts as none.
  EXPECT_EQ(FormatU16(u"[%.*d|%.*s|%*d]", -3, 42, -1, u"abc", -4, 7), u"[42|abc|7   ]");
}

namespace {

std::u16string Appended(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::u16string out = u"<";
  AppendFormatV(out, fmt, ap);
  va_end(ap);
  return out;
}

}  // namespace

// The writers' own formatter gives what the general one gives, digit for
// digit, including the forms it hands on.
TEST(Format, OwnFormatterMatchesThePrintfOne) {
  const char16_t* const intForms[] = {u"%d", u"%4d", u"%02d", u"%-4d|", u"%-04d|", u"%0-5d|",
                                      u"%i", u"%012d", u"%1d", u"%+d", u"% 3d", u"%5.3d", u"%x"};
  for (const char16_t* f : intForms)
    for (int v : {0, 7, -7, 42, -42, 1234, 99999, -100000, INT_MAX, INT_MIN}) {
      SCOPED_TRACE(Utf16ToUtf8(f) + " " + std::to_string(v));
      std::u16string want = u"<";
      want += FormatU16(f, v);
      EXPECT_EQ(Appended(f, v), want);
    }
  EXPECT_EQ(Appended(u"%4d %s (%s)+\n変化：%d手%%", 12, u"７六歩(77)", u" 0:05/00:00:05", 3),
            u"<" + FormatU16(u"%4d %s (%s)+\n変化：%d手%%", 12, u"７六歩(77)", u" 0:05/00:00:05", 3));
  EXPECT_EQ(Appended(u"[%-5s|%5s|%c|%3c|%s]", u"ab", u"歩", u'金', u'x', nullptr),
            u"<" + FormatU16(u"[%-5s|%5s|%c|%3c|%s]", u"ab", u"歩", u'金', u'x', nullptr));
  // Past a form it does not do itself the rest goes the general way.
  EXPECT_EQ(Appended(u"%s:%ld %.2s %d", u"a", 5L, u"xyz", 9),
            u"<" + FormatU16(u"%s:%ld %.2s %d", u"a", 5L, u"xyz", 9));
  EXPECT_EQ(Appended(u"%*d|%d", 6, 1, 2), u"<" + FormatU16(u"%*d|%d", 6, 1, 2));

  std::u16string wide = u"<";
  AppendDecimal(wide, -12, 50, true);
  EXPECT_EQ(wide, u"<" + FormatU16(u"%050d", -12));
}

TEST(Utf8, AppendedWithLineEnds) {
  const std::u16string text = u"a\n▲𠮷\xD800\n\xDC00z\n";
  std::string out = "x";
  const size_t added = AppendUtf8(out, text, true);
  EXPECT_EQ(added, out.size() - 1);
  std::u16string crlf;
  for (char16_t c : text) (c == u'\n' ? crlf += u"\r\n" : crlf += c);
  std::string want = "x";
  want += Utf16ToUtf8(crlf);
  EXPECT_EQ(out, want);
  out.clear();
  AppendUtf8(out, text);
  EXPECT_EQ(out, Utf16ToUtf8(text));
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x\xDC00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");

  // Long texts go in pieces; a pair across a piece's end stays whole.
  for (size_t before : {510, 511, 512, 1023}) {
    std::u16string long_(before, u'a');
    long_ += u"𠮷";
    for (int i = 0; i < 700; ++i) long_ += i % 50 ? u"歩" : u"\n";
    out.clear();
    AppendUtf8(out, long_);
    EXPECT_EQ(Utf8ToUtf16(out), long_) << before;
  }
}

TEST(Utf8, EveryKindOfUnitAtEveryPlaceInABlock) {
  // Units of one, two, three and four bytes, the edges between them, line
  // ends and lone surrogates, after 0..4 other units so that each falls at
  // every place of a block of four and across the end of one; read back by
  // the decoder.
  const std::u16string kinds[] = {u"a", u"\x7F", u"\x80", u"\x7FF", u"\x800", u"歩", u"\xD7FF", u"\xE000",
                                  u"\xFFFF", u"𠮷", u"\n", u"\r", u"\xD800", u"\xDBFF", u"\xDC00"};
  const std::u16string fillers[] = {u"", u"x", u"香", u"\u00E9"};
  for (const std::u16string& filler : fillers)
    for (int before = 0; before <= 4; ++before)
      for (const std::u16string& a : kinds)
        for (const std::u16string& b : kinds) {
          std::u16string text;
          for (int i = 0; i < before; ++i) text += filler;
          text += a + filler + b + u"角";
          for (bool crlf : {false, true}) {
            std::string out(Utf8Room(text.size()), '#');
            out.resize(size_t(EncodeUtf8(out.data(), text, crlf) - out.data()));
            std::u16string expected;
            for (size_t i = 0; i < text.size(); ++i) {
              const char16_t c = text[i];
              const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                                text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
              if (pair) {
                expected += text.substr(i++, 2);
              } else if (c >= 0xD800 && c <= 0xDFFF) {
                expected += u'\uFFFD';
              } else {
                if (crlf && c == u'\n') expected += u'\r';
                expected += c;
              }
            }
            ASSERT_EQ(Utf8ToUtf16(out), expected) << before << " " << int(a[0]) << " " << int(b[0]);
          }
        }
  std::string bytes(Utf8Room(6), '#');
  bytes.resize(size_t(EncodeUtf8(bytes.data(), u"\x7F\x80\x7FF\x800\xFFFF\xD800", false) - bytes.data()));
  EXPECT_EQ(bytes, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xEF\xBF\xBD");
}

TEST(Utf8, CommentLines) {
  struct Case {
    std::u16string in;
    std::string out;
  } cases[] = {
      {u"", ""},
      {u"a", "*a\r\n"},
      {u"a\n", "*a\r\n"},
      {u"\n", "*\r\n"},
      {u"\r", "*\r\n"},
      {u"a\r\nb\rc\n\nd", "*a\r\n*b\r\n*c\r\n*\r\n*d\r\n"},
      {u"ab\r\n\r\n", "*ab\r\n*\r\n"},
      {u"評価値 -35\n好手。\r\n", Utf16ToUtf8(u"*評価値 -35\r\n*好手。\r\n")},
      {u"12\r\n34\r\r\n", "*12\r\n*34\r\n*\r\n"},
  };
  for (const Case& c : cases) {
    std::string out(Utf8Room(c.in.size()) + 3, '#');
    out.resize(size_t(EncodeUtf8CommentLines(out.data(), c.in) - out.data()));
    EXPECT_EQ(out, c.out) << Utf16ToUtf8(c.in);
  }
}

TEST(Lines, MixedLineEnds) {
  EXPECT_EQ(SplitLines(u"a\r\nb\nc\rd"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(SplitLines(u"a\r\n\r\n"), (std::vector<std::u16string>{u"a", u""}));

  std::string big(40000, 'x');
  TextLineReader r;
  r.OpenBytes("\xEF\xBB\xBF" "one\r\n" + big + "\n\nlast", TextEncoding::Utf8);
  EXPECT_TRUE(r.HadBom());
  std::u16string line;
  std::vector<std::u16string> got;
  while (r.ReadLine(line)) got.push_back(line);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0], u"one");
  EXPECT_EQ(got[1].size(), 40000u);
  EXPECT_EQ(got[2], u"");
  EXPECT_EQ(got[3], u"last");
}

TEST(Files, WriteReadAndExtension) {
  auto dir = std::filesystem::temp_directory_path() / "narvo_text_test";
  std::filesystem::create_directories(dir);
  std::u16string path = PathFromNative((dir / "棋譜.ZRF").string());
  ASSERT_TRUE(WriteFileBytes(path, "\x82\xa0\r\n"));
  TextLineReader r;
  ASSERT_TRUE(r.Open(path, TextEncoding::Ansi));
  std::u16string line;
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line, u"あ");
  EXPECT_EQ(FileExtensionLower(path), u"zrf");
  EXPECT_EQ(FileExtensionLower(u"dir.v2/file"), u"");
  EXPECT_FALSE(r.Open(u"/nonexistent/x", TextEncoding::Utf8));
  std::string bytes;
  EXPECT_FALSE(ReadFileBytes(PathFromNative(dir.string()), bytes));  // a folder, not a file
  std::filesystem::remove_all(dir);
}
