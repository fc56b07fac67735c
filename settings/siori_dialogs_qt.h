// Bookmark (しおり) dialogs: register, rename or delete the bookmark of the
// shown move, jump to a bookmark, and delete bookmarks from a list. Every
// dialog works on the live list and puts it back from the record's saved
// copy when the user cancels.
#pragma once
#include <QDialog>

#include <string>

class CNarvoView;
class QComboBox;
class QListWidget;
class QPushButton;

// "しおりの登録・名称変更・削除".
class CSioriDlg : public QDialog {
  Q_OBJECT
public:
  CSioriDlg(const std::u16string& name, int node, QWidget* parent);
  std::u16string m_strName;
  bool m_bDeleted = false;  // "削除(&D)" took the node's bookmark away
  QComboBox* Combo() const { return combo_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* FileButton() const { return file_; }
  void accept() override;

private:
  QComboBox* combo_;
  QPushButton* delete_;
  QPushButton* file_;
  int node_;
};

// "しおりへ移動".
class CSioriJumpDlg : public QDialog {
  Q_OBJECT
public:
  explicit CSioriJumpDlg(QWidget* parent);
  int m_nIndex = -1;
  QListWidget* List() const { return list_; }
  void done(int result) override;

private:
  QListWidget* list_;
};

// "しおりの編集".
class CSioriEdt : public QDialog {
  Q_OBJECT
public:
  explicit CSioriEdt(QWidget* parent);
  QListWidget* List() const { return list_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* DeleteAllButton() const { return deleteAll_; }

private:
  void Fill();
  QListWidget* list_;
  QPushButton* delete_;
  QPushButton* deleteAll_;
};

// The combo's list: the name history first (at most 情報履歴数 entries), then
// the lines of "しおり.txt" in the program folder that the history does not
// hold. -1 when the file cannot be read (the history alone is listed).
int FillSioriNameCombo(QComboBox* combo);
// "しおり.txt" of the program folder in the user's editor.
int OpenSioriListFile();

void RegisterSiori(CNarvoView* view);
void JumpToSiori(CNarvoView* view);
void EditSiori(CNarvoView* view);
