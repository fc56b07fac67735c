#include "output/clipboard_paste.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <string>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/clipboard_paste.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/folders.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"
#include "view/navigation.h"

namespace {

// The clipboard's text; false (the message shown) when there is none.
bool TakeClipboardText(std::u16string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasText()) {
    ShowMessage(u"クリップボードが使用できません。", kMbOk | kMbIconError, u"エラー");
    return false;
  }
  text = clipboard->text().toStdU16String();
  const size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return true;
}

bool AskedToKeep(CNarvoView* view) {
  return g_bConfirmSave && g_Record.changeCount > 0 && AskSaveRecord(view) == kIdCancel;
}

// What follows a reading, as after opening a file: the shown move by
// 棋譜読込局面, or the moves dropped in position editing; then the windows.
void AfterReading(CNarvoView* view) {
  if (g_AppMode != kModeEdit) {
    UpdateMainTitle();
    UpdateDovuWndScroll();
    if (g_nLoadPosition == 1) {
      GotoLineEnd(view);
    } else if (g_nLoadPosition == 2) {
      const RecordNode* last = g_Record.Root();
      while (last && last->firstChild) last = last->firstChild;
      if (last && last != g_Record.Root() && last->from == kEndFrom && last->to == kEndSuspend)
        GotoLineEnd(view);
    }
  } else if (GetLineLength(g_Record) > 0) {
    TruncateRecordAfter(g_Record, 0);
    ShowMessage(u"局面編集中なので、棋譜は消しました。", kMbOk | kMbIconWarning, u"警告");
  }
  UpdateBranchWindow();
  UpdateCommentWindow();
  if (view) view->InvalidateAll();
}

}  // namespace

int PasteFromClipboard(CNarvoView* view) {
  if (AskedToKeep(view)) return -1;
  std::u16string text;
  if (!TakeClipboardText(text)) return -1;
  SaveUndoPoint(u"棋譜の貼り付け");
  if (text.empty()) return -1;
  std::u16string fileName;
  const int result = ReadRecordFromClipboardText(text, 0, &fileName);
  if (result == kPasteNoPool) return result;  // said, and nothing changed
  if (result == kPasteNothing) {
    ShowMessage(FormatU16(u"棋譜・局面読込みエラー\n%s", g_strRecordReadError.c_str()), kMbOk | kMbIconError);
    return result;
  }
  if (g_AppMode != kModeEdit) {
    // A pasted record has no file: a name it carries names it in the record
    // folder, never elsewhere.
    SetCurrentFileName(FolderOrDocuments(g_szRecordFolder) + (fileName.empty() ? std::u16string(g_szUntitled) : fileName));
    if (g_bAutoElapsedTime && g_Record.header.timeUsed.empty()) FormatConsumedTimeHeader(g_Record);
  }
  AfterReading(view);
  switch (result) {
    case kPasteFull:
      ShowMessage(u"棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。", kMbOk | kMbIconError);
      break;
    case kPasteSfen:
      ShowStatus(u"クリップボードからSFEN形式の局面を読み込みました。");
      break;
    case kPasteRead:
    case kPasteEmpty:
      ShowStatus(u"クリップボードから棋譜、局面を読み込みました。");
      break;
    default:
      ShowMessage(FormatU16(u"棋譜・局面読込みエラー\n%s", g_strRecordReadError.c_str()), kMbOk | kMbIconError);
      break;
  }
  return result;
}

void MergeRecordFromClipboard(CNarvoView* view) {
  if (AskedToKeep(view)) return;
  SaveUndoPoint(u"棋譜の合成");
  GotoStartPosition(view);
  std::u16string text;
  if (!TakeClipboardText(text)) return;
  int result = 0;
  if (IsSfenText(text)) {
    result = ReadRecordFromClipboardText(text, 1);  // refused: a position has no moves
  } else if (!text.empty()) {
    result = CheckMergeCompatible(text);
    if (result > 0) {
      AfterReading(view);
      return;  // another start: its message has been shown, nothing merged
    }
    if (result < 0) g_strRecordReadError = u"盤面が読めません。";
    else result = ReadRecordFromClipboardText(text, 1);
  }
  if (result == kPasteNoPool) return;  // said, and nothing changed
  AfterReading(view);
  if (result == kPasteFull) {
    ShowMessage(u"棋譜サイズオーバ：設定の棋譜最大を大きくして下さい。", kMbOk | kMbIconError);
  } else if (result < 0) {
    ShowMessage(FormatU16(u"棋譜・盤面読込みエラー\n%s", g_strRecordReadError.c_str()), kMbOk | kMbIconError);
  } else {
    ShowStatus(u"クリップボードから棋譜を読み込み、合成しました。");
  }
}
