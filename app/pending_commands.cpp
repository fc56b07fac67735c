#include "app/pending_commands.h"

#include "record/ui_port.h"

int OpenRecordFile(CNarvoView*, const std::u16string&) { return -1; }
int AskSaveRecord(CNarvoView*) { return kIdNo; }
int IsKnownFileExt(const std::u16string& ext) {
  for (const char16_t* known : {u"zrf", u"zr2", u"bod", u"csa", u"txt", u"rsk", u"mal", u"ma2",
                                u"dovu", u"zr2u"})
    if (ext == known) return 1;
  return 0;
}
int PasteFromClipboard(CNarvoView*) { return -1; }
void GotoMoveNumber(CNarvoView*, int) {}
void UpdateDovuWndScroll() {}
void AutoReplayForward(CNarvoView*) {}
void ResumeSuspendedGame(CNarvoView*) {}
void StartNewGame(CNarvoView*) {}
void StartPositionEdit(CNarvoView*) {}
void PrintRecordOrPosition(CNarvoView*, bool) {}
void PrintScoreSheet(CNarvoView*) {}
void DoSettingsSheet(CNarvoView*) {}
