// The settings sheet "設定": its pages filled from the settings, run, and on
// OK every value stored back at once with the repaints that depend on them.
#pragma once
#include <string>

class CNarvoView;
class CProSheet;

// F2 and the print preview bar's button (which sets page 6 first).
void DoSettingsSheet(CNarvoView* view);

// The print preview page drawn again with the current settings (only while
// print preview is shown).
void RedrawPrintPreview();

// Called with each repaint step the sheet takes ("move-list", "branch",
// "info-panel", "view", "preview-page"), so tests can see what was redrawn.
using SettingsSheetTraceFunction = void (*)(const char* step);
extern SettingsSheetTraceFunction g_pSettingsSheetTrace;

// "棋譜最大手数の変更は、本ソフトウェアの再起動時に有効になります。"
extern const char16_t kMaxRecordRestartMessage[];
