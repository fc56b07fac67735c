// The score sheet (棋譜用紙): the main line of the record on a ruled form of
// 150 moves a page, with the header boxes, the minutes of each move and the
// running totals; printed through Qt's print dialog and previewed page by page.
#pragma once
#include <string>

class CNarvoView;
class QPainter;

extern int g_nSheetPages;

// Board moves on the main line, plus one for a 投了 or 切れ負け of a minute
// or more (it takes a slot of its own).
int CountSheetSlots();
// Pages the main line needs; also stored in g_nSheetPages.
int CountSheetPages();
// The text of the result box.
std::u16string FormatSheetResult();
// One page (1-based) at the painter's resolution; screenDpiX gives the width
// of the heavier lines (the printer's units per millimetre over the screen's).
void PrintRecordSheet(QPainter& p, int page, int screenDpiX);

// 棋譜用紙印刷: with the print dialog, or on the default printer without one.
// 1 done or cancelled; 0 not printed.
int PrintScoreSheet(CNarvoView* view, bool withDialog = true);
// 棋譜用紙印刷プレビュー: the preview of the same pages, each drawn when shown;
// its 印刷 prints them through the print dialog.
void PreviewScoreSheet(CNarvoView* view);
