// Undo and redo of destructive record edits: before such an edit the whole
// record is written to a snapshot file; Undo reads it back after writing the
// record as it then is to a second file, which Redo reads. One level each.
//
// The snapshots live in a private folder ("$XDG_RUNTIME_DIR/Sorvane/", mode
// 0700) under names carrying the copy number, so running copies never share
// them. What the file cannot carry without touching the user's data is kept
// beside it in memory: the shown move (as the path of child places from the
// root), the change counter and a fingerprint of the bytes written, so a file
// changed or cut short behind our back is refused instead of half-read.
#pragma once
#include <string>

class CNarvoView;

extern std::u16string g_strUndoLabel;  // name of the pending edit; empty when none
extern int g_bUndoPending;             // Undo is enabled
extern int g_bRedoAvailable;           // Redo is enabled
extern int g_bUndoModified;            // document modified flag at the undo point
extern int g_bRedoModified;            // document modified flag just before the last Undo
extern std::u16string g_szUndoFilePath;
extern std::u16string g_szRedoFilePath;

// The private folder of the snapshots, with a trailing "/"; made (mode 0700)
// when missing. Empty when it cannot be made or is not a folder of ours.
std::u16string UndoSnapshotFolder();

// Called by a command just before its destructive edit, with its name. When
// the snapshot cannot be written the failure is shown and no undo point is
// left (the edit goes on).
void SaveUndoPoint(const std::u16string& label);
// No pending undo point, an empty label, no redo.
void ClearUndoLabel();
// The undo command: the record goes back to the undo point.
void UndoLastEdit();
// The redo command.
void RedoLastEdit();
std::u16string GetUndoLabel();

// 0 written, else the failure (reported in a box).
int SaveUndoSnapshot();
int SaveRedoSnapshot();
// 0 the shown move was found again, -1 not; -2 the snapshot could not be
// read whole (reported): record, shown move and states are as they were.
int RestoreUndoSnapshot(CNarvoView* view = nullptr);
int RestoreRedoSnapshot(CNarvoView* view = nullptr);
