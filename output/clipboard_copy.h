// The Edit menu's copy commands: record, position, SFEN and mail texts as
// Unicode text on the clipboard.
#pragma once
#include <string>

class CNarvoView;

void CopyZrfToClipboard(CNarvoView* view, bool currentLineOnly);
void CopyZr2ToClipboard(CNarvoView* view, int form);  // 0 whole tree, 1 mate problem, 3 current line
// 0 copied, -2 no clipboard.
int CopyPositionToClipboard(CNarvoView* view);
void CopySfenToClipboard(CNarvoView* view);
void CopyMail1ToClipboard(CNarvoView* view);
void CopyMail2ToClipboard(CNarvoView* view);
// The record and the position in English notation.
void CopyEnglishRecordToClipboard(CNarvoView* view);
void CopyEnglishPositionToClipboard(CNarvoView* view);
// The variation-tree diagram of the shown move, laid out as its dialog says.
void CopyVariationDiagram(CNarvoView* view);
// Puts text on the clipboard: 0, or -2 when there is no clipboard (nothing
// is shown; the caller tells the user).
int CopyTextToClipboard(const std::u16string& text);
// The 局面(*.bod) writer of the file commands.
int WritePositionFileAt(const std::u16string& path);
// The writers of the save types 局面(*.bod), 英語表記棋譜 and 英語表記局面.
void InstallPositionFileWriter();
int SaveEnglishRecordAt(const std::u16string& path);
int WriteEnglishPositionAt(const std::u16string& path);
