// The comment window "棋譜のコメント": the shown move's comment in a read-only
// edit. A click opens the comment dialog, a right click deletes the comment.
#pragma once
#include <QPlainTextEdit>
#include <string>

#include "view/companion_window.h"

// The caption: "開始局面のコメント" at move 0, else "第%d手、%sのコメント".
std::u16string FormatCommentWindowTitle();

class CKEdit : public QPlainTextEdit {
  Q_OBJECT
public:
  explicit CKEdit(QWidget* parent);

protected:
  void mousePressEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
};

class CCommWnd : public CompanionWindow {
  Q_OBJECT
public:
  explicit CCommWnd(QWidget* owner);

  CKEdit* Edit() const { return m_pEdit; }
  // The font from "コメントポイントフォント", given to the edit.
  void SetupFont();
  // The comment of the current move into the edit (hidden without one).
  void ShowComment();
  void SetCommentWindowText();

protected:
  void OnClose() override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

private:
  CKEdit* m_pEdit = nullptr;
};

extern CCommWnd* g_pCommentWnd;

void CreateCommentWindow(QWidget* owner);
void UpdateCommentWindow();
void MoveCommentWindowBy(int dx, int dy);
void FitCommentWindowToDesktop();
// After the font setting changed (the font chooser).
void UpdateCommentWindowFont();
