// Commands that start-up, the frame and the document call but that belong to
// modules still to come. Each stand-in does nothing visible (and reports
// failure where a result is asked for); its module replaces it.
#pragma once
#include <string>

class CNarvoView;

int OpenRecordFile(CNarvoView* view, const std::u16string& path);  // 0 loaded, -1 failed
int AskSaveRecord(CNarvoView* view);                                 // kIdYes, kIdNo, kIdCancel
int IsKnownFileExt(const std::u16string& lowerExt);                  // 1 readable
int PasteFromClipboard(CNarvoView* view);
void GotoMoveNumber(CNarvoView* view, int moveNumber);
void UpdateDovuWndScroll();
void AutoReplayForward(CNarvoView* view);
void ResumeSuspendedGame(CNarvoView* view);
void StartNewGame(CNarvoView* view);
void StartPositionEdit(CNarvoView* view);
void PrintRecordOrPosition(CNarvoView* view, bool withDialog);
void PrintScoreSheet(CNarvoView* view);
void DoSettingsSheet(CNarvoView* view);
