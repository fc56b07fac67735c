// One printed page of the shown position or of the record, laid out by the
// print templates onto any QPainter: the printer's page while a job runs, the
// board view in print preview.
#pragma once
#include <functional>
#include <QFont>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

// A print job is running: the preview draws nothing meanwhile.
extern int g_bPrintingInProgress;

// What the page's measures come from: the device's logical resolution, the
// print font and the margin settings.
struct PrintPageMetrics {
  int dpiX = 96, dpiY = 96;
  int mm = 4;  // device units per millimetre, rounded
  int h = 0;   // print font's character height
  int e = 0;   // its external leading
  int L = 0;   // line height
  int X = 0;   // left edge of the text
  int C = 0;   // left edge of the board diagram
  int s = 0;   // square size
  int T0 = 0;  // top offset: 20 in preview
};
PrintPageMetrics ComputePrintPageMetrics(int dpiX, int dpiY, bool printing);

// Fonts of the page at a device resolution: the print font, the numerals at
// 80 % of it, the hand font.
QFont MakePrintFont(int dpiY);
QFont MakePrintNumeralFont(int dpiY);
QFont MakePrintHandFont(int dpiY);

// A template expanded into what the page draws, in order.
enum class PrintOpKind {
  kText,          // a run at the current position
  kBreak,         // next line at the left edge
  kCentre,        // the rest of the line centred over the board diagram
  kBoard,         // the board diagram
  kRecord,        // the record's moves
  kRecordHeader,  // the record with its header and player lines first
  kComment,       // the current move's comment, line by line
};
struct PrintOp {
  PrintOpKind kind;
  std::u16string text;
  bool operator==(const PrintOp&) const = default;
};
// The template with today's date and the time as given; codes read the
// record, the header and the settings.
std::vector<PrintOp> ExpandPrintTemplate(std::u16string_view tpl, std::u16string_view date,
                                         std::u16string_view time);

// Lays out one page into the painter at its own resolution (printing), or at
// the given one in preview, where the page's outline is drawn 20 units down.
void DrawPrintPage(QPainter& p, bool printing, int paperWidthMm, int paperHeightMm);
void DrawPrintPage(QPainter& p, bool printing, int paperWidthMm, int paperHeightMm, int dpiX,
                   int dpiY);
// The same for as many pages as the record print needs: nextPage starts the
// next page and says whether the drawing goes on (null: the first page only).
// The position print is one page whatever its length.
void DrawPrintPages(QPainter& p, bool printing, int paperWidthMm, int paperHeightMm, int dpiX, int dpiY,
                    const std::function<bool()>* nextPage);

// ▲ and △ turned into ☗ and ☖ when 印刷UNICODE is on.
std::u16string PrintMarks(std::u16string text);
// The name cut at its first blank, or after the character that brings its
// width to 2n half-width units.
std::u16string ShortenPrintName(std::u16string_view name, int n);
// Rows of a hand column beside the diagram (side 128 the first player).
int CountHandRows(int side);
