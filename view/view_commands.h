// The board view's commands whose work is done by the view itself: the two
// record edits of the edit menu, the display switches, the name-list files
// opened in the user's editor, and the small hand-overs that need more than
// one call. The command table (app/command_table.cpp) calls these.
#pragma once
#include <string>

class CNarvoView;

// After an edit of the record: it counts as changed, the document as
// modified, and the title says so.
void MarkRecordChanged();

// 現局面以降の棋譜を削除: everything after the shown move of the current line
// goes, behind the undo point "棋譜の削除". 0, or -1 without a record.
int DeleteRecordAfterCurrent(CNarvoView* view);
// すべての指し手の消費時間を０に: after the question, the seconds of every move
// become 0, behind the undo point "消費時間を０". 0 done, -1 declined.
int ClearAllConsumedTimes(CNarvoView* view);

// Opens "<program folder><fileName>.txt" in the user's editor, else the
// fallback's file; when neither opens, the warning sound and
// "テキストファイル(%s)の編集に失敗しました。" with the first file tried.
// An empty name is skipped. 0 opened, -1 not.
int OpenListFileInEditor(const std::u16string& fileName, const std::u16string& fallbackName);
// The list file of command 32869 .. 32880 (対局者 .. ユーザ定義５).
int OpenListFileOfCommand(int id);
// How a file is handed to the user's editor; true when it was. Tests replace it.
using OpenInEditorFunction = bool (*)(const std::u16string& path);
extern OpenInEditorFunction g_pOpenInEditor;
bool OpenInDesktopEditor(const std::u16string& path);

// 盤面の回転, 手番強調, the last-move mark styles and 移動元の表示.
void ToggleBoardFlip(CNarvoView* view);
void ToggleTurnEmphasis(CNarvoView* view);
void SetLastMoveMarkStyle(CNarvoView* view, int style);
void ToggleMoveOrigin(CNarvoView* view);

// 棋譜の分岐を作成する.
void ToggleAppendMode();

// The companion windows' display settings.
void ToggleMoveListWindow();
void SetMoveListForm(int form);  // 0 times, 1 branch moves
void ToggleSioriNames();
void SetBranchWindowMode(int mode);
void SetCommentWindowMode(int mode);

// やり直し: the redo snapshot back, the document's modified flag as it was
// before the undo, and undo pending again.
// 上書き保存: a named record is overwritten, an unnamed one saved as. 0 saved.
int SaveCurrentRecord(CNarvoView* view);
// 上書き保存し、FTP転送: saves, then after the question uploads.
void SaveAndUploadByFtp(CNarvoView* view);
// 局面の印刷 (kind 0) and 棋譜の印刷 (kind 1).
void PrintFromView(CNarvoView* view, int kind);
// 指定名で画像保存.
void SaveImageUnderTemplateName(CNarvoView* view);

// The maker's web page in the browser.
extern const char16_t g_szMakerWebPage[];
void OpenMakerWebPage();
