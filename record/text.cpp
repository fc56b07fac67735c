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
#include <new>

namespace {

// Utf8ToUtf16 into out (replaced), reusing its storage.
void DecodeUtf8Into(std::u16string& out, std::string_view s) {
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
    else { *o++ = 0xFFFD; ++i; continue; }
    int k = 1;
    for (; k < len && i + k < n; ++k) {
      unsigned char cc = (unsigned char)s[i + k];
      if ((cc & 0xC0) != 0x80) break;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (k < len) {  // truncated: replace what was consumed
      *o++ = 0xFFFD;
      i += k;
      continue;
    }
    i += len;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      *o++ = 0xFFFD;
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
  DecodeUtf8Into(out, s);
  return out;
}

namespace {

// UTF-8 of every unit but the surrogates: the bytes from the low end, the
// count in the top byte. Writing a unit is then one store.
struct Utf8Units {
  uint32_t code[0x10000];
  Utf8Units() {
    for (uint32_t cp = 0; cp < 0x10000; ++cp) {
      if (cp < 0x80)
        code[cp] = 1u << 24 | cp;
      else if (cp < 0x800)
        code[cp] = 2u << 24 | (0x80 | (cp & 0x3F)) << 8 | (0xC0 | cp >> 6);
      else
        code[cp] = 3u << 24 | (0x80 | (cp & 0x3F)) << 16 | (0x80 | ((cp >> 6) & 0x3F)) << 8 |
                   (0xE0 | cp >> 12);
    }
  }
};

}  // namespace

size_t AppendUtf8(std::string& out, std::u16string_view s, bool crlf) {
  static const Utf8Units units;
  // Encoded a piece at a time into a small buffer, then appended: at most
  // three bytes a unit (a pair takes four for two, CR LF two for one), and
  // one store may reach a byte past the end.
  constexpr size_t kPiece = 512;
  char buf[kPiece * 3 + 8];
  const size_t n = s.size();
  size_t total = 0;
  for (size_t i = 0; i < n;) {
    const size_t stop = n - i > kPiece ? i + kPiece : n;
    char* o = buf;
    for (; i < stop; ++i) {
      char32_t cp = s[i];
      if ((cp & 0xF800) != 0xD800) {
        if (cp == u'\n' && crlf) *o++ = '\r';
        const uint32_t code = units.code[cp];
        std::memcpy(o, &code, 4);
        o += code >> 24;
        continue;
      }
      if (cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
        ++i;  // a pair may end one past the piece; the buffer has room
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
    out.append(buf, size_t(o - buf));
    total += size_t(o - buf);
  }
  return total;
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
  // Built backwards in a small buffer and appended in one go.
  char16_t buf[64];
  char16_t* const end = buf + 64;
  char16_t* p = end;
  unsigned long long u = value < 0 ? 0ULL - (unsigned long long)value : (unsigned long long)value;
  do {
    *--p = char16_t(u'0' + u % 10);
    u /= 10;
  } while (u);
  const int length = int(end - p) + (value < 0);
  if (width > 40) {
    // Wider than the buffer holds: padding appended on its own.
    const size_t fill = width > length ? size_t(width - length) : 0;
    if (!left && !zeroPad) out.append(fill, u' ');
    if (value < 0) out.push_back(u'-');
    if (!left && zeroPad) out.append(fill, u'0');
    out.append(p, size_t(end - p));
    if (left) out.append(fill, u' ');
    return;
  }
  int fill = width > length ? width - length : 0;
  if (!left && zeroPad)
    for (; fill > 0; --fill) *--p = u'0';
  if (value < 0) *--p = u'-';
  if (!left)
    for (; fill > 0; --fill) *--p = u' ';
  out.append(p, size_t(end - p));
  if (fill > 0) out.append(size_t(fill), u' ');
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

bool ReadFileBytes(std::u16string_view path, std::string& out) {
  out.clear();
  // Opened without waiting, so that a pipe cannot hold the program up; then
  // only a regular file of a size a real file reaches is taken.
  int fd = ::open(PathToNative(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= kMaxReadFileSize;
  try {
    if (ok) out.reserve(size_t(st.st_size));
    char buf[65536];
    while (ok) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      // A file that grows while it is read is held to the same limit.
      if (out.size() + size_t(n) > kMaxReadFileSize) ok = false;
      else out.append(buf, size_t(n));
    }
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

bool WriteFileBytes(std::u16string_view path, std::string_view bytes) {
  return WriteFileAtomically(path, bytes);
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
  pos_ = 0;
  lineNumber_ = 0;
  hadBom_ = bytes.size() >= 3 && (unsigned char)bytes[0] == 0xEF &&
            (unsigned char)bytes[1] == 0xBB && (unsigned char)bytes[2] == 0xBF;
  bytes_ = hadBom_ ? bytes.substr(3) : std::move(bytes);
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
  if (encoding_ == TextEncoding::Utf8) DecodeUtf8Into(line, raw);
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
