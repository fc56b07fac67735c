// The move-list window: one row per move of the current line, with the
// times used (times form) or the alternatives side by side (branch form).
// A click jumps to a move, the wheel steps, the context menu switches the
// form, promotes or deletes alternatives and edits comments and times.
#pragma once
#include <string>
#include <vector>

#include "settings/env.h"
#include "view/companion_window.h"

class QMenu;
class QScrollBar;
struct GameRecord;
struct RecordNode;

// ---- Rows ---------------------------------------------------------------------------

// The move text the companion windows show: the traditional notation with
// 同 when "指し手表記" is 2 or 3 and the rules are checked, else the display
// form; no side mark; filled with blanks to width.
std::u16string FormatShownMove(const RecordNode* node, const RecordNode* parent, int width);
// The first U+0020 becomes the mark; a text without one gets it appended.
void PutFirstBlankMark(std::u16string& text, char16_t mark);
// Pads with U+0020 to the display width.
void PadDisplay(std::u16string& text, int width);

struct DovuRow {
  int number = 0;
  const RecordNode* node = nullptr;
  std::u16string text;
  EnvColor background;
};
// Rows first .. first + count − 1 of the current line in the form given (0
// times, 1 branch), stopping at the line's end. One walk of the line.
std::vector<DovuRow> BuildDovuRows(int first, int count, int form, const GameRecord& record);
// "棋譜 %d手", or "棋譜 %d手 / %d手" when the tree holds more real moves.
std::u16string FormatDovuTitle(const GameRecord& record);
// The first row shown so that the current move and up to three after it are
// visible: min(current, min(current + 3, L) − V + 1), at least 0.
int ComputeDovuScroll(int current, int lineLength, int visibleRows);
// The branch-form column under x: 1 up to 14 average widths, then one more
// for every further 10, at most 8.
int DovuColumnAt(int x, int aveCharWidth);

// ---- The window ---------------------------------------------------------------------

class CDovuWnd : public CompanionWindow {
  Q_OBJECT
public:
  explicit CDovuWnd(QWidget* owner);

  // The font from "棋譜ポイントフォント"; row height and average width follow.
  void UpdateFont();
  const QFont& RowFont() const { return m_font; }
  int RowHeight() const { return m_nRowHeight; }
  int AveCharWidth() const { return m_nAveCharWidth; }
  int VisibleRows() const;
  int ScrollPos() const;
  bool ScrollBarShown() const;

  void UpdateScroll();  // range and position from the current move, repaint, title
  void ResetScroll();   // to the top
  void SetScrollPos(int pos);
  void UpdateTitle();

  // The mouse, with the client position (tests call these directly).
  void OnLButtonDown(const QPoint& at, bool shift);
  // The context menu for that place; the caller runs or inspects it.
  QMenu* BuildContextMenu(const QPoint& at);
  void OnWheel(int angleDeltaY);

protected:
  void OnClose() override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

private:
  void SetRange();
  int ClientWidth() const;
  // Promotes or deletes the context menu's target with its undo point.
  void EditTarget(const char16_t* undoLabel, int (*edit)(RecordNode*, GameRecord&));

  QScrollBar* m_pScroll = nullptr;
  QFont m_font;
  int m_nRowHeight = 1;
  int m_nAveCharWidth = 1;
  int m_nTargetRow = 0;
  RecordNode* m_pTarget = nullptr;
};

extern CDovuWnd* g_pMoveListWnd;

// Made by the main frame at its creation; shown when "棋譜ウィンドウ" says so.
void CreateDovuWnd(QWidget* owner);
void ShowDovuWnd(bool show);
void UpdateDovuWndScroll();
void ResetDovuWndScroll();
void InvalidateDovuWnd();
void UpdateDovuWndFont();
void MoveDovuWndBy(int dx, int dy);
void FitDovuWndToDesktop();
