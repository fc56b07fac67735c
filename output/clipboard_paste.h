// The Edit menu's paste and merge: a record, a board diagram or an SFEN
// position from the clipboard.
#pragma once

class CNarvoView;

// 棋譜・局面の貼り付け: the result of the reading (see PasteResult), or -1
// when nothing was read (cancelled, no clipboard text).
int PasteFromClipboard(CNarvoView* view);
// 棋譜の合成: the pasted moves join the record as variations.
void MergeRecordFromClipboard(CNarvoView* view);
