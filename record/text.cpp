#include "record/text.h"

#include "record/atomic_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <new>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace {

// Utf8ToUtf16 into out (replaced), reusing its storage; faults counts the
// sequences that are no UTF-8 (each put out as U+FFFD).
void DecodeUtf8Into(std::u16string& out, std::string_view s, size_t& faults) {
  // A byte-order mark is the file's business (TextLineReader): here U+FEFF
  // is a character like any other, so that a text beginning with it comes
  // back unchanged.
  size_t i = 0;
  const size_t n = s.size();
  // No byte gives more than one unit (four give two).
  out.resize(n - i);
  char16_t* o = out.data();
  while (i < n) {
    unsigned char c = (unsigned char)s[i];
    if (c < 0x80) {
      // Eight ASCII bytes at a time while they last.
      uint64_t word;
      while (i + 8 <= n && (std::memcpy(&word, s.data() + i, 8), (word & 0x8080808080808080ULL) == 0)) {
        for (int k = 0; k < 8; ++k) o[k] = char16_t((unsigned char)s[i + k]);
        o += 8;
        i += 8;
      }
      if (i < n && (unsigned char)s[i] < 0x80) {
        *o++ = (unsigned char)s[i];
        ++i;
      }
      continue;
    }
    if ((c & 0xF0) == 0xE0 && i + 2 < n) {
      // The common three-byte character in one step; anything odd about it
      // goes the general way below.
      const unsigned char c1 = (unsigned char)s[i + 1], c2 = (unsigned char)s[i + 2];
      const char32_t cp = char32_t(c & 0x0F) << 12 | char32_t(c1 & 0x3F) << 6 | (c2 & 0x3F);
      if ((c1 & 0xC0) == 0x80 && (c2 & 0xC0) == 0x80 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
        *o++ = char16_t(cp);
        i += 3;
        continue;
      }
    }
    int len;
    char32_t cp, min;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
    else {
      *o++ = 0xFFFD;
      ++faults;
      ++i;
      continue;
    }
    int k = 1;
    for (; k < len && i + k < n; ++k) {
      unsigned char cc = (unsigned char)s[i + k];
      if ((cc & 0xC0) != 0x80) break;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (k < len) {  // truncated: replace what was consumed
      *o++ = 0xFFFD;
      ++faults;
      i += k;
      continue;
    }
    i += len;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      *o++ = 0xFFFD;
      ++faults;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      *o++ = char16_t(0xD800 + (cp >> 10));
      *o++ = char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = char16_t(cp);
    }
  }
  out.resize(size_t(o - out.data()));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  size_t faults = 0;
  DecodeUtf8Into(out, s, faults);
  return out;
}

namespace {

// What EncodeUnits does with line ends.
enum class LineEnds {
  kAsTheyAre,
  kCrLf,          // LF becomes CR LF
  kCommentLines,  // "*" before each line, CR LF after it; LF, CR LF or a lone CR ends one
};

// Of the next four units, those before the first surrogate or line end the
// mode changes, as UTF-8 at o (with a byte to spare), o advanced; returns
// how many. Branch-free over the units: mixed text costs no more than
// plain.
template <LineEnds kEnds>
inline int PutUpToFourUnits(char*& o, const char16_t* p) {
#if defined(__SSE2__) && defined(__x86_64__)
  const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xF800))),
                                _mm_set1_epi16(short(0xD800)));
  if (kEnds != LineEnds::kAsTheyAre) odd = _mm_or_si128(odd, _mm_cmpeq_epi16(v, _mm_set1_epi16(u'\n')));
  if (kEnds == LineEnds::kCommentLines)
    odd = _mm_or_si128(odd, _mm_cmpeq_epi16(v, _mm_set1_epi16(u'\r')));
  const int oddBits = _mm_movemask_epi8(odd) & 0xFF;
  const int count = oddBits ? __builtin_ctz(unsigned(oddBits)) / 2 : 4;
  // Each unit in a 32-bit lane, encoded all three ways; the lane keeps the
  // one its size calls for.
  const __m128i u = _mm_unpacklo_epi16(v, _mm_setzero_si128());
  const __m128i two = _mm_or_si128(
      _mm_or_si128(_mm_set1_epi32(0x80C0), _mm_srli_epi32(u, 6)),
      _mm_and_si128(_mm_slli_epi32(u, 8), _mm_set1_epi32(0x3F00)));
  const __m128i three = _mm_or_si128(
      _mm_or_si128(_mm_set1_epi32(0x8080E0), _mm_srli_epi32(u, 12)),
      _mm_or_si128(_mm_and_si128(_mm_slli_epi32(u, 2), _mm_set1_epi32(0x3F00)),
                   _mm_and_si128(_mm_slli_epi32(u, 16), _mm_set1_epi32(0x3F0000))));
  const __m128i ascii = _mm_cmplt_epi32(u, _mm_set1_epi32(0x80));
  const __m128i small = _mm_cmplt_epi32(u, _mm_set1_epi32(0x800));
  const __m128i bytes = _mm_or_si128(
      _mm_and_si128(ascii, u),
      _mm_or_si128(_mm_and_si128(_mm_andnot_si128(ascii, small), two), _mm_andnot_si128(small, three)));
  // Bytes of each: 3, less one for each mask it is in (a mask lane is -1).
  const __m128i sizes = _mm_add_epi32(_mm_set1_epi32(3), _mm_add_epi32(ascii, small));
  alignas(16) uint32_t lane[4], size[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lane), bytes);
  _mm_store_si128(reinterpret_cast<__m128i*>(size), sizes);
  // All four stored; those from the first odd unit on are overwritten by
  // what follows.
  for (int k = 0; k < 4; ++k) {
    std::memcpy(o, &lane[k], 4);
    o += k < count ? size[k] : 0;
  }
  return count;
#else
  (void)o;
  (void)p;
  return 0;
#endif
}

template <LineEnds kEnds>
char* EncodeUnits(char* o, const char16_t* p, const char16_t* const end) {
  if (kEnds == LineEnds::kCommentLines && p < end) *o++ = '*';
  while (p < end) {
    if (end - p >= 4) {
      const int done = PutUpToFourUnits<kEnds>(o, p);
      p += done;
      if (done == 4) continue;
    }
    const char16_t c = *p++;
    if ((c & 0xF800) != 0xD800) {
      if (kEnds == LineEnds::kCommentLines && (c == u'\n' || c == u'\r')) {
        if (c == u'\r' && p < end && *p == u'\n') ++p;
        *o++ = '\r';
        *o++ = '\n';
        if (p < end) *o++ = '*';
        continue;
      }
      if (kEnds == LineEnds::kCrLf && c == u'\n') *o++ = '\r';
      o = PutUtf8Unit(o, c);
      continue;
    }
    if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
      const char32_t cp = 0x10000 + (char32_t(c - 0xD800) << 10) + (*p++ - 0xDC00);
      *o++ = char(0xF0 | (cp >> 18));
      *o++ = char(0x80 | ((cp >> 12) & 0x3F));
      *o++ = char(0x80 | ((cp >> 6) & 0x3F));
      *o++ = char(0x80 | (cp & 0x3F));
    } else {
      *o++ = char(0xEF);  // U+FFFD for a lone surrogate
      *o++ = char(0xBF);
      *o++ = char(0xBD);
    }
  }
  return o;
}

}  // namespace

char* EncodeUtf8(char* o, std::u16string_view s, bool crlf) {
  return crlf ? EncodeUnits<LineEnds::kCrLf>(o, s.data(), s.data() + s.size())
              : EncodeUnits<LineEnds::kAsTheyAre>(o, s.data(), s.data() + s.size());
}

char* EncodeUtf8CommentLines(char* o, std::u16string_view s) {
  if (s.empty()) return o;
  o = EncodeUnits<LineEnds::kCommentLines>(o, s.data(), s.data() + s.size());
  // The last line ends like the others, whether or not the text ended it.
  const char16_t last = s.back();
  if (last != u'\n' && last != u'\r') {
    *o++ = '\r';
    *o++ = '\n';
  }
  return o;
}

size_t AppendUtf8(std::string& out, std::u16string_view s, bool crlf) {
  // A piece at a time, so that a long text asks for no more room than it
  // takes; a pair is never split between pieces.
  constexpr size_t kPiece = 4096;
  const size_t start = out.size();
  for (size_t i = 0; i < s.size();) {
    size_t len = std::min(kPiece, s.size() - i);
    if (i + len < s.size() && s[i + len - 1] >= 0xD800 && s[i + len - 1] <= 0xDBFF) ++len;
    const size_t at = out.size();
    out.resize(at + Utf8Room(len));
    out.resize(size_t(EncodeUtf8(out.data() + at, s.substr(i, len), crlf) - out.data()));
    i += len;
  }
  return out.size() - start;
}

std::string Utf16ToUtf8(std::u16string_view s, bool withBom) {
  std::string out;
  out.reserve(s.size() * 3 + 3);
  if (withBom) out += "\xEF\xBB\xBF";
  AppendUtf8(out, s);
  return out;
}

namespace {

// One open conversion per direction, kept for the run (one thread only).
iconv_t Converter(bool toAnsi) {
  static iconv_t fromCp = iconv_open("UTF-16LE", "CP932");
  static iconv_t toCp = iconv_open("CP932", "UTF-16LE");
  return toAnsi ? toCp : fromCp;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view bytes) {
  std::u16string out;
  iconv_t cd = Converter(false);
  if (cd == (iconv_t)-1) {  // no CP932 table: keep ASCII, mark the rest
    for (unsigned char c : bytes) out.push_back(c < 0x80 ? c : 0xFFFD);
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.reserve(bytes.size());
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char16_t buf[512];
  while (inLeft > 0) {
    char* o = reinterpret_cast<char*>(buf);
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, (sizeof buf - oLeft) / 2);
    if (r == (size_t)-1) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a lead byte without its trail): one byte is skipped
      out.push_back(0xFFFD);
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  iconv_t cd = Converter(true);
  if (cd == (iconv_t)-1) {
    for (char16_t c : text) out.push_back(c < 0x80 ? char(c) : '?');
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.reserve(text.size() * 2);
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
  size_t inLeft = text.size() * 2;
  char buf[1024];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, sizeof buf - oLeft);
    if (r == (size_t)-1) {
      if (errno == E2BIG) continue;
      // A character CP932 cannot hold: one '?', skipping a whole surrogate pair.
      char16_t c;
      std::memcpy(&c, in, 2);
      size_t skip = 2;
      if (c >= 0xD800 && c <= 0xDBFF && inLeft >= 4) {
        // Only a real pair is skipped whole; a lone high surrogate must not
        // take the character after it along.
        char16_t next;
        std::memcpy(&next, in + 2, 2);
        if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
      }
      out.push_back('?');
      in += skip;
      inLeft -= skip < inLeft ? skip : inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

int DisplayWidth(std::u16string_view text) {
  int w = 0;
  for (char16_t c : text) w += CharWidth(c);
  return w;
}

std::u16string FormatU16V(const char16_t* fmt, va_list ap) {
  std::u16string out;
  if (!fmt) return out;
  for (const char16_t* p = fmt; *p;) {
    if (*p != u'%') {
      out.push_back(*p++);
      continue;
    }
    const char16_t* start = p++;
    if (*p == u'%') {
      out.push_back(u'%');
      ++p;
      continue;
    }
    std::string conversion = "%";
    bool left = false;
    while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
      if (*p == u'-') left = true;
      conversion.push_back(char(*p++));
    }
    int width = -1, prec = -1;
    if (*p == u'*') {
      width = va_arg(ap, int);
      if (width < 0) { left = true; width = -width; conversion += "-"; }
      conversion += std::to_string(width);
      ++p;
    } else if (*p >= u'0' && *p <= u'9') {
      width = 0;
      while (*p >= u'0' && *p <= u'9') { width = width * 10 + (*p - u'0'); conversion.push_back(char(*p++)); }
    }
    if (*p == u'.') {
      conversion.push_back('.');
      ++p;
      prec = 0;
      if (*p == u'*') {
        // A negative precision counts as none, as in printf.
        prec = va_arg(ap, int);
        if (prec < 0) {
          conversion.pop_back();
          prec = -1;
        } else {
          conversion += std::to_string(prec);
        }
        ++p;
      } else {
        while (*p >= u'0' && *p <= u'9') { prec = prec * 10 + (*p - u'0'); conversion.push_back(char(*p++)); }
      }
    }
    std::string lenMod;
    while (*p == u'l' || *p == u'h' || *p == u'z' || *p == u'j' || *p == u't') lenMod.push_back(char(*p++));
    char16_t conv = *p;
    if (!conv) { out.append(start, p); break; }
    ++p;
    auto pad = [&](std::u16string s) {
      if (width > 0 && (int)s.size() < width) {
        std::u16string fill(width - s.size(), u' ');
        s = left ? s + fill : fill + s;
      }
      out += s;
    };
    switch (conv) {
      case u's': case u'S': {
        const char16_t* s = va_arg(ap, const char16_t*);
        std::u16string v = s ? std::u16string(s) : std::u16string(u"(null)");
        if (prec >= 0 && (size_t)prec < v.size()) v.resize(prec);
        pad(v);
        break;
      }
      case u'c': case u'C': {
        int c = va_arg(ap, int);
        pad(std::u16string(1, char16_t(c)));
        break;
      }
      case u'd': case u'i': case u'u': case u'x': case u'X': case u'o': {
        conversion += lenMod;
        conversion.push_back(char(conv));
        char buf[128];
        if (lenMod == "ll" || lenMod == "j") snprintf(buf, sizeof buf, conversion.c_str(), va_arg(ap, long long));
        else if (lenMod == "l" || lenMod == "z" || lenMod == "t") snprintf(buf, sizeof buf, conversion.c_str(), va_arg(ap, long));
        else snprintf(buf, sizeof buf, conversion.c_str(), va_arg(ap, int));
        for (char* b = buf; *b; ++b) out.push_back(char16_t((unsigned char)*b));
        break;
      }
      case u'e': case u'E': case u'f': case u'F': case u'g': case u'G': {
        conversion.push_back(char(conv));
        char buf[512];
        snprintf(buf, sizeof buf, conversion.c_str(), va_arg(ap, double));
        for (char* b = buf; *b; ++b) out.push_back(char16_t((unsigned char)*b));
        break;
      }
      default:
        out.append(start, p);
        break;
    }
  }
  return out;
}

void AppendDecimal(std::u16string& out, long long value, int width, bool zeroPad, bool left) {
  const size_t at = out.size();
  out.resize(at + size_t(std::max(width, 0)) + 20);
  out.resize(size_t(PutDecimal(out.data() + at, value, width, zeroPad, left) - out.data()));
}

void AppendFormatV(std::u16string& out, const char16_t* fmt, va_list ap) {
  if (!fmt) return;
  for (const char16_t* p = fmt; *p;) {
    const char16_t* plain = p;
    while (*p && *p != u'%') ++p;
    out.append(plain, size_t(p - plain));
    if (!*p) break;
    const char16_t* start = p++;
    if (*p == u'%') {
      out.push_back(u'%');
      ++p;
      continue;
    }
    bool left = false, zero = false;
    while (*p == u'-' || *p == u'0') {
      if (*p == u'-') left = true;
      else zero = true;
      ++p;
    }
    int width = 0;
    while (*p >= u'0' && *p <= u'9' && width < 100000) width = width * 10 + (*p++ - u'0');
    const char16_t conv = *p;
    if (conv == u'd' || conv == u'i') {
      AppendDecimal(out, va_arg(ap, int), width, zero && !left, left);
    } else if (conv == u's' || conv == u'c') {
      char16_t unit;
      std::u16string_view v;
      if (conv == u'c') {
        unit = char16_t(va_arg(ap, int));
        v = std::u16string_view(&unit, 1);
      } else {
        const char16_t* s = va_arg(ap, const char16_t*);
        v = s ? std::u16string_view(s) : std::u16string_view(u"(null)");
      }
      const size_t fill = width > int(v.size()) ? size_t(width) - v.size() : 0;
      if (!left) out.append(fill, u' ');
      out.append(v);
      if (left) out.append(fill, u' ');
    } else {
      // Anything else (precision, length, other conversions): the general way.
      out += FormatU16V(start, ap);
      return;
    }
    ++p;
  }
}

std::u16string FormatU16(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::u16string s = FormatU16V(fmt, ap);
  va_end(ap);
  return s;
}

std::u16string IntToU16(long long v) {
  std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

long long U16ToInt(std::u16string_view t, size_t* end) {
  size_t i = 0;
  while (i < t.size() && (t[i] == u' ' || t[i] == u'\t')) ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) neg = t[i++] == u'-';
  long long v = 0;
  size_t digits = i;
  while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') {
    if (v < 100000000000000000LL) v = v * 10 + (t[i] - u'0');
    ++i;
  }
  if (i == digits) i = 0;  // no number at all
  if (end) *end = i;
  return neg ? -v : v;
}

int ScanNumbers(std::u16string_view t, std::u16string_view separators, long long* values,
                int count) {
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      if (at >= t.size() || size_t(i - 1) >= separators.size() || t[at] != separators[i - 1])
        return i;
      ++at;
    }
    size_t end = 0;
    values[i] = U16ToInt(t.substr(at), &end);
    if (end == 0) return i;
    at += end;
  }
  return count;
}

std::string PathToNative(std::u16string_view path) { return Utf16ToUtf8(path); }
std::u16string PathFromNative(std::string_view path) { return Utf8ToUtf16(path); }

int OpenRegularFileForReading(std::u16string_view path, struct stat& st) {
  // Opened without waiting, so that a pipe cannot hold the program up; the
  // check is on what was opened, so nothing can be put in its place between.
  const int fd = ::open(PathToNative(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool ReadFileBytes(std::u16string_view path, std::string& out) {
  out.clear();
  // Only a regular file of a size a real file reaches is taken.
  struct stat st;
  const int fd = OpenRegularFileForReading(path, st);
  if (fd < 0) return false;
  bool ok = uint64_t(st.st_size) <= kMaxReadFileSize;
  try {
    // Straight into the string, at the size the file has; a file that grows
    // while it is read gets room as it goes, held to the same limit.
    size_t used = 0;
    if (ok) out.resize(size_t(st.st_size) + 1);
    while (ok) {
      if (used == out.size()) {
        if (out.size() > kMaxReadFileSize) {
          ok = false;
          break;
        }
        out.resize(std::min<size_t>(out.size() * 2 + 4096, kMaxReadFileSize + 1));
      }
      ssize_t n = ::read(fd, out.data() + used, out.size() - used);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      used += size_t(n);
    }
    if (ok && used > kMaxReadFileSize) ok = false;
    if (ok) out.resize(used);
  } catch (const std::bad_alloc&) {
    ok = false;  // too little memory: a failed read, not the end of the program
  }
  ::close(fd);
  if (!ok) {
    out.clear();
    out.shrink_to_fit();
  }
  return ok;
}

int CountUtf8Faults(std::string_view bytes, int* validOut) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  int faults = 0, valid = 0;
  // Stepped over as the decoder steps: one fault per U+FFFD it puts out.
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int length;
    uint32_t code, min;
    if ((c & 0xE0) == 0xC0) length = 2, code = c & 0x1F, min = 0x80;
    else if ((c & 0xF0) == 0xE0) length = 3, code = c & 0x0F, min = 0x800;
    else if ((c & 0xF8) == 0xF0) length = 4, code = c & 0x07, min = 0x10000;
    else {
      ++faults;
      ++p;
      continue;
    }
    int k = 1;
    for (; k < length && p + k < end && (p[k] & 0xC0) == 0x80; ++k) code = code << 6 | (p[k] & 0x3F);
    p += k;
    if (k < length || code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) ++faults;
    else ++valid;
  }
  if (validOut) *validOut = valid;
  return faults;
}

bool LooksLikeUtf8Text(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  bool beyondAscii = false;
  while (p < end) {
    // ASCII runs eight bytes at a time.
    if (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        p += 8;
        continue;
      }
    }
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    beyondAscii = true;
    int length;
    uint32_t min;
    if (c >= 0xC2 && c <= 0xDF) length = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) length = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) length = 4, min = 0x10000;
    else return false;
    if (end - p < length) return false;
    uint32_t code = c & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = code << 6 | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    p += length;
  }
  return beyondAscii;
}

bool IsReadableRegularFile(std::u16string_view path) {
  struct stat st;
  const int fd = OpenRegularFileForReading(path, st);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool PathExists(std::u16string_view path) {
  struct stat st;
  return ::lstat(PathToNative(path).c_str(), &st) == 0;
}

bool WriteFileBytes(std::u16string_view path, std::string_view bytes) {
  return WriteFileAtomically(path, bytes);
}

void AppendWithCrLf(std::u16string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += u"\r\n";
    } else {
      out += c;
    }
  }
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' || text[i] == u'\r') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool TextLineReader::Open(std::u16string_view path, TextEncoding encoding) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  OpenBytes(std::move(bytes), encoding);
  return true;
}

void TextLineReader::OpenBytes(std::string bytes, TextEncoding encoding) {
  encoding_ = encoding;
  lineNumber_ = 0;
  utf8Faults_ = 0;
  hadBom_ = bytes.size() >= 3 && (unsigned char)bytes[0] == 0xEF &&
            (unsigned char)bytes[1] == 0xBB && (unsigned char)bytes[2] == 0xBF;
  bytes_ = std::move(bytes);
  start_ = hadBom_ ? 3 : 0;
  pos_ = start_;
}

bool TextLineReader::ReadLine(std::u16string& line) {
  line.clear();
  if (pos_ >= bytes_.size()) return false;
  // The line ends at the first LF or CR.
  const char* start = bytes_.data() + pos_;
  size_t length = bytes_.size() - pos_;
  if (const void* lf = std::memchr(start, '\n', length)) length = size_t(static_cast<const char*>(lf) - start);
  if (const void* cr = std::memchr(start, '\r', length)) length = size_t(static_cast<const char*>(cr) - start);
  size_t e = pos_ + length;
  std::string_view raw(bytes_.data() + pos_, e - pos_);
  if (encoding_ == TextEncoding::Utf8) DecodeUtf8Into(line, raw, utf8Faults_);
  else line = AnsiToUtf16(raw);
  if (e < bytes_.size() && bytes_[e] == '\r') ++e;
  if (e < bytes_.size() && bytes_[e] == '\n') ++e;
  pos_ = e;
  ++lineNumber_;
  return true;
}

std::u16string FileExtensionLower(std::u16string_view path) {
  size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos) return {};
  size_t slash = path.find_last_of(u"/\\");
  if (slash != std::u16string_view::npos && slash > dot) return {};
  std::u16string ext(path.substr(dot + 1));
  for (auto& c : ext)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return ext;
}
