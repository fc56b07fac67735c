#include "output/clipboard_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

#include "app/file_commands.h"
#include "app/narvo_doc.h"
#include "app/wait_cursor.h"
#include "record/board.h"
#include "record/clipboard_text.h"
#include "record/english_notation.h"
#include "record/ui_port.h"
#include "record/variation_tree.h"
#include "settings/tree_dialog_qt.h"

namespace {

// Hands the text over and tells the user how it went; errorCaption empty
// means the product title.
int PutOnClipboard(const std::u16string& text, const char16_t* status, const std::u16string& errorCaption) {
  const int result = CopyTextToClipboard(text);
  if (result != 0) ShowMessage(u"クリップボードが使用できません。", kMbOk | kMbIconError, errorCaption);
  else if (status) ShowStatus(status);
  return result;
}

}  // namespace

int CopyTextToClipboard(const std::u16string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return -2;
  clipboard->setText(QString::fromStdU16String(text));
  return 0;
}

void CopyZrfToClipboard(CNarvoView*, bool currentLineOnly) {
  std::u16string text;
  WriteZrfToBuffer(text, currentLineOnly ? kZrfCurrentLine : kZrfWholeTree);
  PutOnClipboard(text,
                 currentLineOnly ? u"クリップボードへ棋譜(ZRF形式、現変化だけ)を出力しました。"
                                 : u"クリップボードへ棋譜(ZRF形式)を出力しました。",
                 {});
}

void CopyZr2ToClipboard(CNarvoView*, int form) {
  std::u16string text;
  WriteZr2ToBuffer(text, form);
  const char16_t* status = form == kZr2MateProblem   ? u"クリップボードへ棋譜(詰将棋形式)を出力しました。"
                           : form == kZr2CurrentLine ? u"クリップボードへ棋譜(ZR2形式、現変化だけ)を出力しました。"
                                                     : u"クリップボードへ棋譜(ZR2形式)を出力しました。";
  PutOnClipboard(text, status, {});
}

int CopyPositionToClipboard(CNarvoView*) {
  std::u16string text;
  AppendPositionText(text, g_szRecordTitle);
  AppendSideToMoveLine(text);
  return PutOnClipboard(text, u"クリップボードへ局面を出力しました。", u"エラー");
}

void CopySfenToClipboard(CNarvoView*) {
  PutOnClipboard(FormatSfen(g_Board), u"クリップボードへ USI SFEN形式局面を出力しました。", u"エラー");
}

void CopyMail1ToClipboard(CNarvoView*) {
  std::u16string text;
  AppendMailText(text, 1, g_szRecordTitle);
  PutOnClipboard(text, u"クリップボードへメール(1)を出力しました。", u"エラー");
}

void CopyMail2ToClipboard(CNarvoView*) {
  std::u16string text;
  AppendMailText(text, 2, g_szRecordTitle);
  PutOnClipboard(text, u"クリップボードへメール(2)を出力しました。", u"エラー");
}

void CopyEnglishRecordToClipboard(CNarvoView*) {
  std::u16string text;
  AppendEnglishRecord(text);
  PutOnClipboard(text, u"クリップボードへ英語表記棋譜を出力しました。", u"エラー");
}

void CopyEnglishPositionToClipboard(CNarvoView*) {
  std::u16string text;
  AppendEnglishPosition(text, g_szRecordTitle, true);
  PutOnClipboard(text, u"クリップボードへ英語表記局面を出力しました。", u"エラー");
}

void CopyVariationDiagram(CNarvoView*) {
  if (!AskVariationTreeLayout()) return;
  WaitCursor wait;
  std::u16string text;
  AppendVariationDiagram(text, g_szRecordFilePath);
  if (PutOnClipboard(text, u"クリップボードへ棋譜の変化図を出力しました。", {}) == 0)
    Ui().PlayWarningSound();
}

int WritePositionFileAt(const std::u16string& path) { return WritePositionFile(path, g_szRecordTitle); }
int SaveEnglishRecordAt(const std::u16string& path) { return SaveEnglishRecord(path); }
int WriteEnglishPositionAt(const std::u16string& path) { return WriteEnglishPositionFile(path, g_szRecordTitle); }

void InstallPositionFileWriter() {
  g_pWritePositionFile = WritePositionFileAt;
  g_pSaveEnglishRecord = SaveEnglishRecordAt;
  g_pWriteEnglishPosition = WriteEnglishPositionAt;
}

namespace {
// Installed as soon as the program is linked with it; start-up does it again.
const bool kInstalled = (InstallPositionFileWriter(), true);
}  // namespace
