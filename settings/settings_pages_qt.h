// The pages of the settings sheet. Each holds one member per control value;
// the sheet fills the members from the settings before it runs and stores
// them back on OK (settings_sheet_qt). The controls are public so the sheet's
// tests can drive them as a user would.
#pragma once
#include <functional>
#include <string>

#include "settings/data_exchange_qt.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;

// 棋譜
class CDovuPage : public CPropertyPage {
  Q_OBJECT
public:
  CDovuPage();
  int m_nZr2Marks = 0;  // 0 ▲△, 1 ▲▽
  int m_nDefaultFormat = 0, m_bZr2HalfWidth = 0;
  int m_nZr2Columns = 0, m_nZr2HalfColumns = 0;
  int m_bCommentWrap = 0, m_nWrapColumn = 0;
  std::u16string m_strBoardFormat;  // multi-line form
  int m_nMaxRecordSize = 0;
  int m_bZrfOmitTimes = 0, m_bDropMarkOnLast = 0, m_bZeroTimes = 0, m_bAutoElapsed = 0,
      m_bAutoEndDate = 0, m_bBackup = 0, m_bSaveUtf8 = 0;
  int m_bDovuExtension = 0;  // carried, no control

  QButtonGroup *marks, *format, *halfWidth;
  SpinEdit *zr2Columns, *halfColumns, *wrapColumn, *maxRecord;
  QCheckBox *wrap, *omitTimes, *dropMark, *zeroTimes, *autoElapsed, *autoEndDate, *backup, *utf8;
  QPlainTextEdit* boardFormat;

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;
  void OnSetActive() override;
};

// 情報
class CInfoPage : public CPropertyPage {
  Q_OBJECT
public:
  CInfoPage();
  std::u16string m_strUser[5];
  std::u16string m_strInfo[3];
  std::u16string m_strProblem[3];
  QLineEdit *user[5], *info[3], *problem[3];

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnSetActive() override;
};

// メール
class CIntMailPage : public CPropertyPage {
  Q_OBJECT
public:
  CIntMailPage();
  std::u16string m_strBody, m_strSubject, m_strTo;  // body in multi-line form
  int m_bAuto = 0;
  QPlainTextEdit* body;
  QLineEdit *subject, *to;
  QCheckBox* autoCreate;

protected:
  void DoDataExchange(DataExchange& dx) override;
};

// メール2
class CMailPage : public CPropertyPage {
  Q_OBJECT
public:
  CMailPage();
  std::u16string m_strFormat1, m_strFormat2;  // multi-line form
  int m_nSaveMode = 0;
  std::u16string m_strPath, m_strAppendName;
  QPlainTextEdit *format1, *format2;
  QButtonGroup* saveMode;
  QLineEdit *path, *appendName;

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;
};

// サウンド
class CSndPage : public CPropertyPage {
  Q_OBJECT
public:
  CSndPage();
  int m_nPieceSound = 0;
  std::u16string m_strWave;
  int m_bWarning = 0;
  QButtonGroup* sound;
  QLineEdit* wave;
  QCheckBox* warning;
  QPushButton *test, *browse;
  void OnTest();
  void OnBrowse();

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;

private:
  void EnableFile(bool on);
};

// 印刷
class CPrintPage : public CPropertyPage {
  Q_OBJECT
public:
  CPrintPage();
  std::u16string m_strBoardHeader, m_strRecordHeader;  // multi-line form
  int m_nMovesPerLine = 0, m_nLineSpacing = 0, m_nLeftMargin = 0, m_nTopMargin = 0;
  int m_bComments = 0, m_bNamesVertical = 0, m_nBlackChars = 0, m_nWhiteChars = 0, m_bUnicode = 0;
  QPlainTextEdit *boardHeader, *recordHeader;
  SpinEdit *movesPerLine, *lineSpacing, *leftMargin, *topMargin, *blackChars, *whiteChars;
  QCheckBox *comments, *namesVertical, *unicode;

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;
};

// 印刷2: the print fonts, stored as soon as they are chosen.
class CPrint2Page : public CPropertyPage {
  Q_OBJECT
public:
  CPrint2Page();
  QPushButton *boardFont, *handFont;
  void ChoosePrintFont();
  void ChoosePrintHandFont();
};

// 動作
class CMiscPage : public CPropertyPage {
  Q_OBJECT
public:
  CMiscPage();
  int m_nNotation = 0;
  std::u16string m_strSaveName, m_strOldName;
  int m_bConfirmSave = 0, m_bAskReplay = 0, m_bCheckRules = 0, m_bDetectRepetition = 0;
  int m_nLoadPosition = 0;
  std::u16string m_strRecordDb, m_strProblemDb;
  int m_bUseEDovu2 = 0;
  QButtonGroup *notation, *loadPosition;
  QComboBox* saveName;
  QCheckBox *confirmSave, *askReplay, *checkRules, *detectRepetition, *eDovu2;
  QLineEdit *recordDb, *problemDb;
  QPushButton *browseRecordDb, *browseProblemDb;
  void OnOK() override;
  void OnBrowse(bool problemDb);

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;
};

// 将棋マーク
class CUnicodePage : public CPropertyPage {
  Q_OBJECT
public:
  CUnicodePage();
  int m_bUnicodeClipboard = 0;
  QCheckBox* unicode;

protected:
  void DoDataExchange(DataExchange& dx) override;
};

// 画像
class CImagePage : public CPropertyPage {
  Q_OBJECT
public:
  CImagePage();
  std::u16string m_strTemplate;
  QLineEdit* fileName;
  QPlainTextEdit* codes;

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;
};

// 再現
class CReplayPg : public CPropertyPage {
  Q_OBJECT
public:
  CReplayPg();
  int m_nInterval = 0;  // ms
  int m_nAnimation = 0, m_nStopAtComment = 0, m_nCommentWait = 0, m_nStopAtBranch = 0,
      m_nBranchWait = 0, m_bWheel = 0;
  QSlider* slider;
  SpinEdit *interval, *commentWait, *branchWait;
  QComboBox* animation;
  QButtonGroup *stopAtComment, *stopAtBranch;
  QCheckBox* wheel;
  void OnSliderMoved(int position);

protected:
  void DoDataExchange(DataExchange& dx) override;
  void OnInitDialog() override;

private:
  void OnIntervalChanged();
  bool inChange_ = false;
};

// 履歴
class CHisPage : public CPropertyPage {
  Q_OBJECT
public:
  CHisPage();
  int m_nCount = 0;
  int m_nMode[7] = {};  // 対局者, 棋戦, 戦型, 持ち時間, 場所, 掲載, ユーザ定義
  SpinEdit* count;
  QComboBox* mode[7];

protected:
  void DoDataExchange(DataExchange& dx) override;
};

// 英語
class CEngPage : public CPropertyPage {
  Q_OBJECT
public:
  CEngPage();
  int m_nStyle = 0;
  std::u16string m_strBoardFormat;  // multi-line form
  int m_nColumns = 0;
  QButtonGroup* style;
  QPlainTextEdit* boardFormat;
  SpinEdit* columns;

protected:
  void DoDataExchange(DataExchange& dx) override;
};

// ---- Seams -----------------------------------------------------------------------

// Whether Ctrl is held at this moment (the 動作 page asks when it is made).
using CtrlHeldFunction = std::function<bool()>;
CtrlHeldFunction SetCtrlHeldQuery(CtrlHeldFunction query);

// The font chooser of 印刷2: the font to start from in, the chosen one out
// (weight 400, 700 ...; size in tenths of a point). false: cancelled.
struct PrintFontChoice {
  std::u16string face;
  int pointTenths = 0;
  int weight = 400;
  int italic = 0;
};
using PrintFontChooser = std::function<bool(QWidget* parent, PrintFontChoice& font)>;
PrintFontChooser SetPrintFontChooser(PrintFontChooser chooser);
