// Comment editing: the comment dialog of a move, deleting the current
// comment, deleting comments in bulk, and the check of the moves written in
// a comment with its three warning dialogs.
#pragma once
#include <QDialog>

#include <string>

#include "settings/data_exchange_qt.h"

class CNarvoView;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The comment dialog "棋譜のコメント".
class CCommentDlg : public QDialog {
  Q_OBJECT
public:
  CCommentDlg(const std::u16string& title, const std::u16string& text, QWidget* parent);
  ~CCommentDlg() override;
  std::u16string m_strText;  // CR LF line ends, as the edit gives them back
  int m_bCheckNotation = 0;
  int m_bCheckMarks = 0;
  QPlainTextEdit* Edit() const { return edit_; }
  QCheckBox* NotationBox() const { return notation_; }
  QPushButton* DeleteButton() const { return delete_; }
  QLabel* TitleLabel() const { return title_; }
  void accept() override;

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLabel* title_;
  QPlainTextEdit* edit_;
  QCheckBox* notation_;
  QCheckBox* marks_;
  QPushButton* delete_;
  bool placed_ = false;
};

// "コメントの一括削除".
class CDelComDg : public CDataDialog {
  Q_OBJECT
public:
  explicit CDelComDg(QWidget* parent);
  int m_nChoice = 0;      // 0 all, 1 up to the move, 2 from the move
  int m_nMoveNumber = 0;
  QButtonGroup* Choices() const { return choices_; }
  SpinEdit* MoveNumberEdit() const { return moveNumber_; }

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;

private:
  QButtonGroup* choices_;
  SpinEdit* moveNumber_;
};

// The three warning dialogs of the comment check: the message and the
// buttons of the finding's kind; the result is the button's number (0 OK or
// the close box).
class CCommentWarningDlg : public QDialog {
  Q_OBJECT
public:
  CCommentWarningDlg(int kind, const std::u16string& message, int option, QWidget* parent);
  int m_nResult = 0;
  // The result buttons shown (1, 2) for tests and screenshots.
  QPushButton* Button(int result) const { return result == 1 ? first_ : second_; }

private:
  QPushButton* first_ = nullptr;
  QPushButton* second_ = nullptr;
};

// LF line ends: every CR removed.
void CrLfToLf(std::u16string& text);
// The comment of the move number on the current line in its dialog (0: the start).
void EditMoveComment(CNarvoView* view, int moveNumber);
// The current move's comment after "コメントを削除しますか？".
void DeleteCurrentComment(CNarvoView* view);
void DeleteCommentsInBulk(CNarvoView* view);

// The checks over a stored comment; fixes replace the move's comment.
int CheckCommentMarks(CNarvoView* view, int moveNumber, std::u16string& text);
int CheckCommentSequence(CNarvoView* view, int moveNumber, std::u16string& text);
// The comment of the move replaced by text (refused, with the old comment
// kept, when the record cannot hold it). 0 or -1.
int ReplaceMoveComment(const std::u16string& text, int moveNumber, CNarvoView* view);
