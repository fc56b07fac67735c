#include "record/mail_text.h"

#include <vector>

#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/datetime.h"
#include "record/header.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"

namespace {

constexpr char16_t kCrLf[] = u"\r\n";

const std::u16string& PlayerName(bool first) {
  return first ? g_Record.header.firstPlayer : g_Record.header.secondPlayer;
}

// The date part of a stored date: up to the first blank or "(".
std::u16string_view DateOnly(std::u16string_view v) {
  const size_t cut = v.find_first_of(u" (");
  return cut == std::u16string_view::npos ? v : v.substr(0, cut);
}

// "*" lines, unwrapped: the mail keeps the comment's own line breaks.
void AppendMailComment(std::u16string& out, std::u16string_view comment) {
  out += u'*';
  for (size_t i = 0; i < comment.size(); ++i) {
    const char16_t c = comment[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < comment.size() && comment[i + 1] == u'\n') ++i;
      out += kCrLf;
      if (i + 1 < comment.size()) out += u'*';
    } else {
      out += c;
    }
  }
  if (comment.empty() || (comment.back() != u'\n' && comment.back() != u'\r')) out += kCrLf;
}

// The result closing a line that ends in a terminal node; nothing after a
// real move or for an end without a result text.
void AppendMailResult(std::u16string& out, const RecordNode* nd, int n) {
  if (IsBoardMoveNode(*nd) || nd->to == kEndEnteringKing) return;
  if (nd->to == kEndMate) {
    out += FormatU16(u"まで%d手詰\r\n", n - 1);
    return;
  }
  const std::u16string line = FormatResultLine(nd, n);
  if (line.size() <= 1) return;
  AppendWithCrLf(out, line);
}

void AppendMailMoves(std::u16string& out, const RecordNode* start,
                     const BookmarkIndex& marks) {
  const int cell = g_bZr2HalfWidth ? 8 : 12;
  int perLine = g_bZr2HalfWidth ? g_nZr2HalfWidthMovesPerLine : int(g_nZr2MovesPerLine);
  if (perLine < 1) perLine = 1;
  std::vector<int> toAt{0};  // destination per move number on the walked line
  int width = 0, column = 1;
  auto endLine = [&] {
    out += kCrLf;
    width = 0;
    column = 1;
  };
  auto onNode = [&](const RecordNode* nd, int k) {
    if (toAt.size() <= size_t(k)) toAt.resize(size_t(k) + 1, 0);
    const int prevTo = toAt[size_t(k - 1)];
    toAt[size_t(k)] = nd->to;
    if (IsBoardMoveNode(*nd)) {
      // Columns line up by display width, as in the ZR2 texts.
      const int target = (column - 1) * cell;
      if (width < target) {
        out.append(size_t(target - width), u' ');
        width = target;
      }
      const std::u16string move = Zr2MoveText(nd, prevTo);
      out += move;
      width += DisplayWidth(move);
      if (++column > perLine) endLine();
    }
    if (nd->comment) {
      if (column > 1) endLine();
      AppendMailComment(out, nd->comment);
    }
    if (const auto* names = marks.Of(nd)) {
      if (column > 1) endLine();
      for (const std::u16string* name : *names) {
        out += u'&';
        out += *name;
        out += kCrLf;
      }
    }
    if (IsEndNode(*nd) && column > 1) endLine();
  };
  WalkRecordLines(
      start, 1,
      [&](int n) {
        out += FormatU16(u"\r\n変化：%d手\r\n", n);
        width = 0;
        column = 1;
      },
      onNode, [&](const RecordNode* nd, int k) { AppendMailResult(out, nd, k); });
}

}  // namespace

void BuildMailRecord(std::u16string& out) {
  AppendHeaderLines(out);
  const RecordHeader& h = g_Record.header;
  if (IsHandicapGame(g_StartBoard)) {
    out += FormatU16(u"手合割：%s\r\n", HandicapName(g_StartBoard.handicap));
  }
  const char16_t* firstKey = IsHandicapGame(g_StartBoard) ? u"下手" : u"先手";
  const char16_t* secondKey = IsHandicapGame(g_StartBoard) ? u"上手" : u"後手";
  if (!h.firstPlayer.empty()) out += FormatU16(u"%s：%s\r\n", firstKey, h.firstPlayer.c_str());
  if (!h.secondPlayer.empty()) out += FormatU16(u"%s：%s\r\n", secondKey, h.secondPlayer.c_str());
  out += kCrLf;
  const RecordNode* root = g_Record.Root();
  if (!root) return;
  const BookmarkIndex marks;
  if (root->comment) AppendMailComment(out, root->comment);
  if (const auto* names = marks.Of(root)) out += u'&' + *names->front() + kCrLf;
  if (root->firstChild) AppendMailMoves(out, root->firstChild, marks);
}

namespace {

void RefuseMailCode(char16_t code) {
  Ui().PlayWarningSound();
  ShowMessage(FormatU16(u"%%%c は、使用できません。", int(code)), kMbOk | kMbIconError,
              u"メール書式エラー");
}

// The codes shared by the mail template and the position text; false for a
// code that is not one of them.
bool ExpandCommonCode(std::u16string& out, char16_t code, bool wholeDates) {
  const RecordHeader& h = g_Record.header;
  const int n = g_Record.moveNumber;
  // The side that made the last move is the one not to move now.
  const bool lastByFirst = g_Board.sideToMove != kSente;
  switch (code) {
    case u'a': case u'A': case u'l': case u'L':
      out += FormatTemplateMove(n, code == u'A' || code == u'L', code == u'L');
      return true;
    case u'p': case u'P':
      if (n == 0) out += u"開始局面";
      else if (n >= 2) out += FormatTemplateMove(n - 1, code == u'P', true);
      return true;
    case u'b': case u'B': out += h.firstPlayer; return true;
    case u'w': case u'W': out += h.secondPlayer; return true;
    case u'h': case u'H': out += PlayerName(lastByFirst); return true;
    case u'o': case u'O': out += PlayerName(!lastByFirst); return true;
    case u'c': case u'C': out += kCrLf; return true;
    case u'n': case u'N': AppendDecimal(out, n); return true;
    case u'G': out += h.startTime; return true;
    case u'E': out += h.endTime; return true;
    case u'g': out += wholeDates ? std::u16string_view(h.startTime) : DateOnly(h.startTime); return true;
    case u'e': out += wholeDates ? std::u16string_view(h.endTime) : DateOnly(h.endTime); return true;
    case u'i': case u'I': out += h.event; return true;
    case u'm': case u'M': out += h.timeLimit; return true;
    case u'r': case u'R': out += h.publishedIn; return true;
    case u's': case u'S': out += h.opening; return true;
    case u'u': case u'U': out += h.title; return true;
    case u'y': case u'Y': out += g_szToday; return true;
    case u't': case u'T': out += g_szNowTime; return true;
    case u'%': out += u'%'; return true;
    default:
      if (code >= u'1' && code <= u'5') {
        out += h.userItems[code - u'1'];
        return true;
      }
      return false;
  }
}

void RefreshDateAndTime() {
  g_szToday = FormatToday(false);
  g_szNowTime = FormatNowTime();
}

void ExpandDiagramTemplate(std::u16string& out, const MailNames& names) {
  const std::u16string_view tmpl = g_szBoardTextFormat;
  for (size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != u'%') {
      out += tmpl[i];
      continue;
    }
    if (++i >= tmpl.size()) break;
    const char16_t code = tmpl[i];
    switch (code) {
      case u'd': case u'D': FormatBoardDiagram(out, g_Board); continue;
      case u'f': out += names.title; continue;
      case u'F':
        out += g_szRecordFolder;
        if (!g_szRecordFolder.empty() && g_szRecordFolder.back() != u'/') out += u'/';
        out += names.title;
        continue;
      case u'*':
        // The break only when there is a comment to follow it.
        if (g_Record.current && g_Record.current->comment) {
          out += kCrLf;
          AppendWithCrLf(out, g_Record.current->comment);
        }
        continue;
      case u'{': out += u'{'; continue;
      default: ExpandCommonCode(out, code, true); continue;
    }
  }
}

}  // namespace

void ExpandSendMailTemplate(std::u16string& out, std::u16string_view tmpl, bool withRecord,
                            const MailNames& names) {
  RefreshDateAndTime();
  const RecordHeader& h = g_Record.header;
  for (size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != u'%') {
      out += tmpl[i];
      continue;
    }
    if (++i >= tmpl.size()) break;
    const char16_t code = tmpl[i];
    if (ExpandCommonCode(out, code, false)) continue;
    switch (code) {
      case u'd': case u'D': ExpandDiagramTemplate(out, names); continue;
      case u'k': case u'K':
        if (withRecord) BuildMailRecord(out);
        continue;
      case u'f': out += names.fileName; continue;
      case u'F': out += names.filePath; continue;
      case u'0': out += u"%0"; continue;
      case u'*':
        if (g_Record.current && g_Record.current->comment) AppendWithCrLf(out, g_Record.current->comment);
        continue;
      case u'/': {
        if (i + 1 >= tmpl.size()) continue;
        const char16_t k = tmpl[++i];
        const std::u16string* items[] = {&h.notes,  &h.problemNumber, &h.problemName, &h.author,
                                         &h.magazine, &h.publishedDate, &h.source,    &h.moveCount,
                                         &h.completeness, &h.category};
        if (k >= u'0' && k <= u'9') out += *items[k - u'0'];
        else if (k == u'a' || k == u'A') out += h.award;
        continue;
      }
      default: RefuseMailCode(code); continue;
    }
  }
}

std::string PercentEncodeMailto(std::u16string_view text, bool keepAddressChars) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string bytes = Utf16ToUtf8(text);
  std::string out;
  out.reserve(bytes.size() * 3);
  for (unsigned char c : bytes) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved || (keepAddressChars && (c == '@' || c == ','))) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string BuildMailtoLink(const MailNames& names) {
  std::u16string to, subject, body;
  ExpandSendMailTemplate(to, g_szNetMailTo, true, names);
  ExpandSendMailTemplate(subject, g_szNetMailSubject, true, names);
  ExpandSendMailTemplate(body, g_szNetMailBody, true, names);
  return "mailto:" + PercentEncodeMailto(to, true) + "?subject=" + PercentEncodeMailto(subject) +
         "&body=" + PercentEncodeMailto(body);
}

bool SplitPlainMailAddresses(std::u16string_view text, std::vector<std::u16string>& addresses,
                             std::u16string& bad) {
  addresses.clear();
  bad.clear();
  auto plain = [](std::u16string_view a) {
    const size_t at = a.find(u'@');
    if (at == 0 || at == std::u16string_view::npos || at + 1 >= a.size() ||
        a.find(u'@', at + 1) != std::u16string_view::npos)
      return false;
    for (size_t i = 0; i < a.size(); ++i) {
      const char16_t c = a[i];
      const bool alnum = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
      if (alnum || c == u'@' || c == u'.' || c == u'-' || (i < at && (c == u'_' || c == u'+'))) continue;
      return false;
    }
    return true;
  };
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(u',', start);
    const std::u16string_view part = text.substr(start, comma == std::u16string_view::npos ? comma : comma - start);
    if (!plain(part)) {
      bad = part;
      addresses.clear();
      return false;
    }
    addresses.emplace_back(part);
    if (comma == std::u16string_view::npos) return true;
    start = comma + 1;
  }
}
