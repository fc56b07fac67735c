// The Internet mail's texts: recipient, subject and body from the templates
// Iメール宛先 / Iメール件名 / Iメール本文, in plain text with CR LF, and the
// mailto link built from them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The record's names as the codes %f and %F give them.
struct MailNames {
  std::u16string fileName;  // the record file's name (%f)
  std::u16string filePath;  // its full path (%F)
  std::u16string title;     // the name shown, for the position text
};

// Appends the expansion of a mail template. withRecord: %k yields the whole
// record (the link); without it %k yields nothing (the record travels as an
// attached file). An unknown code is reported and yields nothing.
void ExpandSendMailTemplate(std::u16string& out, std::u16string_view tmpl, bool withRecord,
                            const MailNames& names);
// The whole record in mail form (code %k).
void BuildMailRecord(std::u16string& out);

// The recipients of the attachment mail as plain addresses, split at ","
// ("local@domain", ASCII letters, digits and ".", "_", "+", "-" only, one
// "@"). False when any part is no such address (a scheme, "?", "&", "<",
// blanks, control characters...): bad then holds the first such part.
bool SplitPlainMailAddresses(std::u16string_view text, std::vector<std::u16string>& addresses,
                             std::u16string& bad);

// RFC 6068 percent-encoding: UTF-8, everything outside the unreserved set
// encoded. keepAddressChars keeps "@" and "," of an address list.
std::string PercentEncodeMailto(std::u16string_view text, bool keepAddressChars = false);
// "mailto:TO?subject=S&body=B" from the three templates.
std::string BuildMailtoLink(const MailNames& names);
