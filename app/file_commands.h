// The road between record files and the record in memory: the one loader,
// the open and save dialogs, Save, Save As, the save question, backups, the
// names of the current file and the quiet walk to a node after a load.
#pragma once
#include <functional>
#include <string>
#include <vector>

class CNarvoView;

// File-type index last chosen in each dialog during this run (0 at start).
extern int g_nOpenFilterIndex;
extern int g_nSaveFilterIndex;

// ---- The dialog seam -----------------------------------------------------------

// What the open and save dialogs are asked and give back. Filter indexes
// count from 1; each filter is a text and its patterns ("*.zrf;*.dovu").
struct FileDialogRequest {
  bool save = false;
  std::u16string title;
  std::u16string folder;    // initial folder, no trailing "/"
  std::u16string fileName;  // proposed name (save), the chosen path back
  std::vector<std::pair<std::u16string, std::u16string>> filters;
  int filterIndex = 1;        // proposed, then the one the user left with
  std::u16string defaultExt;  // open only
};
// 1 OK, 0 cancelled, -1 a dialog error (errorCode set).
struct FileDialogResult {
  int answer = 0;
  long errorCode = 0;
};
using FileDialogFunction = std::function<FileDialogResult(CNarvoView*, FileDialogRequest&)>;
// The dialog in use: a QFileDialog unless a test installs its own. Returns
// the previous one; an empty function puts the QFileDialog back.
FileDialogFunction SetFileDialog(FileDialogFunction dialog);
// Runs the dialog in use.
FileDialogResult RunFileDialog(CNarvoView* view, FileDialogRequest& request);
// The dialogs' type lists (index 1 first). The save list's first two texts
// follow 棋譜保存UTF8.
std::vector<std::pair<std::u16string, std::u16string>> OpenFileFilters();
std::vector<std::pair<std::u16string, std::u16string>> SaveFileFilters();

// Writers of the other save types, installed by their modules. Each takes
// the path and returns 0 written, non-zero failed; while one is missing its
// type fails with the usual error box.
using PathWriter = int (*)(const std::u16string& path);
extern PathWriter g_pWritePositionFile;     // 局面(*.bod)
extern PathWriter g_pSaveEnglishRecord;     // 英語表記棋譜(*.gam)
extern PathWriter g_pWriteEnglishPosition;  // 英語表記局面(*.txt)
// The automatic file name that Save As proposes for an unnamed record
// (empty: today's date stem is proposed instead).
extern std::u16string (*g_pBuildAutoFileName)();

// ---- Names -------------------------------------------------------------------

// 1 for the readable types: zrf, zr2, bod, csa, txt, rsk, mal, ma2, dovu, zr2u.
int IsKnownFileExt(const std::u16string& lowerExt);
// Lower-cased text after the dot at `dot` (a pointer to it), empty for null.
std::u16string GetFileExtLower(const char16_t* dot);
// Of g_szRecordFileName: 0 zrf and dovu, 1 zr2 and zr2u, 2 bod, -1 otherwise.
int GetCurrentFileType();
// The error box of a record that cannot be opened: "not there" or "cannot
// be read", whichever holds for the path.
void ReportUnreadableRecord(const std::u16string& path);
// The record has a title of its own (not empty, not the untitled name).
bool IsNamedTitle();
// The current file's record did not read whole (a reader error after part of
// it): Save goes to Save As, so that the file is not replaced by the part.
// Cleared whenever the current file changes.
extern int g_bRecordReadPartly;
// Path, name after the last "/" and the title (the name without a record
// extension: zrf, zr2, bod, dovu, zr2u in any case).
void SetCurrentFileName(const std::u16string& path);
// The folder of path up to and including its last "/", empty when none.
void SetRecordFolder(const std::u16string& path);
void SetPositionFolder(const std::u16string& path);

// ---- Loading -----------------------------------------------------------------

// The one loader: ".csa" to the CSA reader, every other readable type (and a
// name without a dot) to the record reader; errors in boxes, the file
// becomes the current file unless it was missing, then the shown move by
// 棋譜読込局面. 0 loaded, -1 failed.
int OpenRecordFile(CNarvoView* view, const std::u16string& path);
// The open command: the save question first when 棋譜保存確認 is on.
// 1 opened, -1 failed or dialog error, 0 cancelled.
int OpenFileWithDialog(CNarvoView* view);

// ---- Saving ------------------------------------------------------------------

// 0 written; 1 cannot be created; 2 a write failed. Saving sets the change
// counter to 0; with 棋譜読込局面 3 the bookmark "読み込み時表示" first moves
// to the current node.
int SaveZrfFile(const std::u16string& path, bool utf8);
int SaveZr2File(const std::u16string& path, bool utf8);
// Copies the file to "<folder>/bak/<name>.bak" when that folder exists,
// else to "<path>.bak". Errors are not reported. 0.
int BackupRecordFile(const std::u16string& path);
// Save As: 0 saved, 1 declined at the CSA question, -1 cancelled or dialog
// error, -2 the write failed (reported in a box).
int SaveFileAs(CNarvoView* view);
// The same with a name of the caller's proposed (empty: as SaveFileAs).
int SaveFileAsNamed(CNarvoView* view, const std::u16string& proposed);
// Save to the current file (Save As when there is none, its type cannot be
// written or it did not read whole): 0 saved, non-zero not saved (reported, or Save As not done).
int SaveFileOverwrite(CNarvoView* view);
// "棋譜(%s)を保存しますか？" for a file in the record folder; Yes saves.
// The button: kIdYes, kIdNo, kIdCancel (also when Yes did not save).
int AskSaveRecord(CNarvoView* view);
// Writes the record as "<record folder><name><ext>" in the standard type
// (標準棋譜; the documents folder when the folder setting is empty). A record that did not read
// whole goes to Save As instead, and so does a target that exists and may
// not be replaced (another file the user does not want replaced, or the
// current file changed by someone else since it was read or saved).
// 0 saved, -1 not saved (reported, or Save As not done).
int SaveToRecordFolder(CNarvoView* view, const std::u16string& name, const char16_t* ext);

// The question after a game ("棋譜の保存"): save as, overwrite or not at all.
enum SaveChoice { kSaveNot = 0, kSaveAs = 1, kSaveOverwrite = 2 };
using SaveChoiceFunction = std::function<int(CNarvoView*, const std::u16string& recordName)>;
// The question in use (a dialog unless a test installs its own); an empty
// function puts the dialog back. Returns the previous one.
SaveChoiceFunction SetSaveChoiceDialog(SaveChoiceFunction dialog);
// Asks, then SaveFileOverwrite or SaveFileAs. The result of the save, or 0
// when the user chose not to save.
int SaveRecordViaDialog(CNarvoView* view);

// ---- The walk to a node --------------------------------------------------------

// The shown position becomes the record's start, then the node is sought
// depth first along the tree. 0 reached, -1 not in the tree (the position is
// back at the start). No repaint.
int GotoNode(CNarvoView* view, int nodeIndex);
