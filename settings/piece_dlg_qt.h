// The board and piece dialog (盤・駒の設定): board face, stand face, the
// built-in piece set, or the user's own piece sheet.
#pragma once
#include <string>

#include "settings/data_exchange_qt.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CPieceDlg : public CDataDialog {
  Q_OBJECT
public:
  explicit CPieceDlg(QWidget* parent = nullptr);

  // Selection indices: 木目１, 木目２, 無地; 小二文字, 小一文字, 中二文字, 大二文字.
  int m_nBoardKind = 0;
  int m_nStandKind = 0;
  int m_nPieceSet = 0;
  int m_bExternal = 0;
  std::u16string m_strPieceFile;  // at most 1023 characters

  QComboBox* BoardList() const { return m_board; }
  QComboBox* StandList() const { return m_stand; }
  QComboBox* PieceList() const { return m_pieces; }
  QCheckBox* ExternalCheck() const { return m_external; }
  QPushButton* BrowseButton() const { return m_browse; }
  QLineEdit* FileEdit() const { return m_file; }

  // The folder 参照 starts in: the stored 駒BMP cut at its last slash.
  static QString BrowseFolder();

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;

private:
  void OnExternalToggled();
  void OnBrowse();
  void EnableForExternal(bool external);

  QComboBox* m_board;
  QComboBox* m_stand;
  QComboBox* m_pieces;
  QCheckBox* m_external;
  QPushButton* m_browse;
  QLineEdit* m_file;
};
