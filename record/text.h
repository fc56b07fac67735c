// Text layer: everything is UTF-16 in memory; files and other programs see
// UTF-8 or the ANSI code page (Windows code page 932) only at the edges.
#pragma once
#include <sys/stat.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// UTF-8 bytes to UTF-16; invalid or truncated sequences become U+FFFD. A
// byte-order mark is kept as U+FEFF: only a file's reader skips it, at the
// start of the file.
std::u16string Utf8ToUtf16(std::string_view bytes);
// UTF-16 to UTF-8; with withBom the output starts with EF BB BF.
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text, bool withBom = false);

// Code page 932 bytes to UTF-16; a sequence that is not CP932 becomes U+FFFD.
std::u16string AnsiToUtf16(std::string_view bytes);
// UTF-16 to code page 932; a character CP932 cannot hold becomes '?'.
std::string Utf16ToAnsi(std::u16string_view text);

// Plain ASCII/UTF-8 literal to UTF-16, for building texts from narrow pieces.
inline std::u16string U16(std::string_view utf8) { return Utf8ToUtf16(utf8); }

// Display width in half-width units: above U+007D counts 2, anything else 1.
int DisplayWidth(std::u16string_view text);
inline int CharWidth(char16_t c) { return c > 0x7D ? 2 : 1; }

// printf for UTF-16: %s takes const char16_t*, %c an int holding a UTF-16
// unit, numbers (%d %i %u %x %X %o %e %f %g with l, ll, z, h) go through
// snprintf with the same flags, width and precision; %% is a percent sign.
std::u16string FormatU16(const char16_t* fmt, ...);
std::u16string FormatU16V(const char16_t* fmt, va_list args);

// Appends as FormatU16V does. %s, %c, %d and %i with the flags - and 0 and a
// width, and %%, are done here without snprintf (the writers' forms); the
// rest of the format from any other conversion on goes to FormatU16V.
void AppendFormatV(std::u16string& out, const char16_t* fmt, va_list args);
// Appends the value as printf's %d with that width: blanks before it, zeros
// after the sign (zeroPad) or blanks after it (left).
void AppendDecimal(std::u16string& out, long long value, int width = 0, bool zeroPad = false,
                   bool left = false);
// The same written at out (room for the width and 20 more); returns the end.
template <class Char>
Char* PutDecimalAnyWidth(Char* out, long long value, int width, bool zeroPad, bool left);
template <class Char>
inline Char* PutDecimal(Char* out, long long value, int width = 0, bool zeroPad = false,
                        bool left = false) {
  if (value >= 0 && value < 1000000000 && width <= 10 && !left) {
    // Move numbers, squares, times: ten places filled, the digits at the
    // right end of the width.
    uint32_t v = uint32_t(value);
    int n = 1;
    for (uint32_t rest = v; rest >= 10; rest /= 10) ++n;
    for (int i = 0; i < 10; ++i) out[i] = Char(zeroPad ? '0' : ' ');
    Char* const end = out + (n > width ? n : width);
    Char* digit = end;
    do {
      *--digit = Char('0' + v % 10);
      v /= 10;
    } while (v);
    return end;
  }
  return PutDecimalAnyWidth(out, value, width, zeroPad, left);
}
template <class Char>
Char* PutDecimalAnyWidth(Char* out, long long value, int width, bool zeroPad, bool left) {
  char digits[20];
  int n = 0;
  unsigned long long u = value < 0 ? 0ULL - (unsigned long long)value : (unsigned long long)value;
  do {
    digits[n++] = char('0' + u % 10);
    u /= 10;
  } while (u);
  int fill = width - n - (value < 0);
  if (!left && !zeroPad)
    for (; fill > 0; --fill) *out++ = Char(' ');
  if (value < 0) *out++ = Char('-');
  if (!left && zeroPad)
    for (; fill > 0; --fill) *out++ = Char('0');
  while (n) *out++ = Char(digits[--n]);
  for (; fill > 0; --fill) *out++ = Char(' ');
  return out;
}
// Appends the UTF-8 of text (unpaired surrogates as U+FFFD), each LF as CR LF
// when crlf is set. Returns the number of bytes appended.
size_t AppendUtf8(std::string& out, std::u16string_view text, bool crlf = false);
// The same written at out, which has Utf8Room(text.size()) bytes; returns
// the end of what was written.
char* EncodeUtf8(char* out, std::u16string_view text, bool crlf);
// The text as the lines of a comment in a record file: "*" before each line
// and CR LF after it, a line ending at LF, CR LF or a lone CR. Out has
// Utf8Room(text.size()) + 3 bytes.
char* EncodeUtf8CommentLines(char* out, std::u16string_view text);
// One unit that is not a surrogate as UTF-8 at out, in one four-byte store
// (out has a byte to spare past the three); returns the end.
inline char* PutUtf8Unit(char* out, char16_t unit) {
  const uint32_t c = unit;
  const uint32_t two = 0x80C0 | c >> 6 | (c << 8 & 0x3F00);
  const uint32_t three = 0x8080E0 | c >> 12 | (c << 2 & 0x3F00) | (c << 16 & 0x3F0000);
  const uint32_t bytes = c < 0x80 ? c : c < 0x800 ? two : three;
  std::memcpy(out, &bytes, 4);
  return out + 1 + (c >= 0x80) + (c >= 0x800);
}
// Room EncodeUtf8 may use for that many units: three bytes a unit (a pair
// takes four for two, CR LF two for one), and one it may store past the end.
constexpr size_t Utf8Room(size_t units) { return 3 * units + 1; }

// Bytes that are well-formed UTF-8 and hold at least one character beyond
// ASCII: text in the code page (CP932 Japanese) practically never is, so
// such bytes are UTF-8 whatever the file's name suggests.
bool LooksLikeUtf8Text(std::string_view bytes);
// The sequences that are no UTF-8 (each decodes to U+FFFD), and through
// validOut the characters beyond ASCII that are.
int CountUtf8Faults(std::string_view bytes, int* validOut);

// Integer to UTF-16 decimal text.
std::u16string IntToU16(long long value);
// Leading blanks skipped, optional sign, decimal digits; stops at the first
// other character (like wcstol). *end receives the index after the number.
long long U16ToInt(std::u16string_view text, size_t* end = nullptr);
// Numbers as a scanf pattern "%d/%d/%d" reads them: count numbers, the i-th
// one followed by the character separators[i]. Returns how many were read
// before the text stopped matching.
int ScanNumbers(std::u16string_view text, std::u16string_view separators, long long* values,
                int count);

// File names are UTF-16 in memory; the file system gets UTF-8.
std::string PathToNative(std::u16string_view path);
std::u16string PathFromNative(std::string_view path);

// Largest file any reader takes in: far above any real record, settings,
// history or image file, and small enough to hold in memory.
constexpr uint64_t kMaxReadFileSize = 64ull << 20;
// Whole file into memory; false when it cannot be opened or read, is not a
// regular file (a folder, a device, a pipe), is larger than
// kMaxReadFileSize, or memory runs out.
bool ReadFileBytes(std::u16string_view path, std::string& out);
// A regular file that can be opened for reading (checked without waiting on
// a pipe or a device).
bool IsReadableRegularFile(std::u16string_view path);
// A descriptor of the regular file at path, opened for reading without
// waiting on a pipe or a device, and its status; -1 for anything else.
int OpenRegularFileForReading(std::u16string_view path, struct stat& st);
// Something of that name is there (a file, a folder, a pipe, a link).
bool PathExists(std::u16string_view path);
// Whole file written through AtomicFile (the old file stays on any
// failure); false on any failure.
bool WriteFileBytes(std::u16string_view path, std::string_view bytes);

// Splits text into lines at CR LF, LF or a lone CR; the line ends are not kept.
// A final line end does not produce an extra empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// Appends text with each line end (CR LF, LF or a lone CR) as CR LF.
void AppendWithCrLf(std::u16string& out, std::u16string_view text);

enum class TextEncoding { Utf8, Ansi };

// Reads a text file line by line, whatever the mixture of CR LF and LF.
// Lines are returned whole, whatever their length.
class TextLineReader {
public:
  // Loads the file; false when it cannot be read. A UTF-8 byte-order mark is
  // skipped (and reported by HadBom) whatever the encoding asked for.
  bool Open(std::u16string_view path, TextEncoding encoding);
  // Uses bytes already in memory.
  void OpenBytes(std::string bytes, TextEncoding encoding);
  // Next line without its line end; false at the end of the file.
  bool ReadLine(std::u16string& line);
  bool HadBom() const { return hadBom_; }
  // Raw bytes of the file (after the byte-order mark), e.g. to sniff a header.
  std::string_view Bytes() const { return std::string_view(bytes_).substr(start_); }
  // Changes the decoding of the lines not yet read.
  void SetEncoding(TextEncoding encoding) { encoding_ = encoding; }
  // Sequences of the lines read as UTF-8 that were none (read as U+FFFD).
  size_t Utf8Faults() const { return utf8Faults_; }
  size_t LineNumber() const { return lineNumber_; }

private:
  std::string bytes_;
  size_t start_ = 0;  // past the byte-order mark: the bytes are kept as given
  size_t pos_ = 0;
  size_t lineNumber_ = 0;
  bool hadBom_ = false;
  TextEncoding encoding_ = TextEncoding::Utf8;
  size_t utf8Faults_ = 0;
};

// Lower-cased text after the last dot of a file name (empty when none).
std::u16string FileExtensionLower(std::u16string_view path);
