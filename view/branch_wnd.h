// The variation window "分岐": the moves that may follow the shown position
// (the next move of the record and its alternatives). A click plays one; the
// context menu replays along it, makes it the first or deletes it.
#pragma once
#include <string>
#include <vector>

#include "view/companion_window.h"

class QMenu;
struct RecordNode;

// The rows: "%2d%c" (number, "*" for a comment) and the move text filled to
// 17 columns, "&" in its first blank for a bookmark.
struct BranchRow {
  RecordNode* node = nullptr;
  std::u16string number;
  std::u16string text;
};
std::vector<BranchRow> BuildBranchRows();

class CBraWnd : public CompanionWindow {
  Q_OBJECT
public:
  explicit CBraWnd(QWidget* owner);

  int RowHeight() const;
  // The mouse, with the client position (tests call these directly).
  void OnLButtonDown(const QPoint& at);
  QMenu* BuildContextMenu(const QPoint& at);

protected:
  void OnClose() override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

private:
  void AfterEdit();

  int m_nTargetRow = 0;
  RecordNode* m_pTarget = nullptr;
};

extern CBraWnd* g_pBranchWnd;
extern int g_bBranchWndShown;  // the window's own idea of being shown

void CreateBranchWindow(QWidget* owner);
void ShowBranchWnd(bool show);
void UpdateBranchWindow();
void MoveBranchWndBy(int dx, int dy);
void FitBranchWndToDesktop();
