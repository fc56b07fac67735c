// Mail: the mailto link, the record file as an attachment (xdg-email), and
// the mail text files (.mal / .ma2 / the collecting file).
#pragma once
#include <functional>
#include <string>

class CNarvoView;

// Opens a mailto link; false when the system could not. Tests capture the
// link here. Returns the previous opener; an empty one puts the desktop's back.
using MailUrlOpener = std::function<bool(const std::string& url)>;
MailUrlOpener SetMailUrlOpener(MailUrlOpener opener);

void SendRecordByMail(CNarvoView* view);
void SendRecordByMapiMail(CNarvoView* view);
void WriteMailFile(CNarvoView* view);
void WriteMail2File(CNarvoView* view);
void SaveMailFileAs(CNarvoView* view);
// 通信パス becomes the path up to and including its last "/" (empty without one).
void SetMailFolder(const std::u16string& path);
