#include "settings/settings_sheet_qt.h"

#include <memory>

#include "app/narvo_app.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/ftp_env.h"
#include "settings/ftp_page_qt.h"
#include "settings/multiline.h"
#include "settings/pro_sheet_qt.h"
#include "settings/reg_page_qt.h"
#include "settings/settings_pages_qt.h"
#include "view/branch_wnd.h"
#include "view/info_panel.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"

const char16_t kMaxRecordRestartMessage[] =
    u"棋譜最大手数の変更は、本ソフトウェアの再起動時に有効になります。";
SettingsSheetTraceFunction g_pSettingsSheetTrace = nullptr;

namespace {

void Trace(const char* step) {
  if (g_pSettingsSheetTrace) g_pSettingsSheetTrace(step);
}

// Pages in tab order.
struct SettingsPages {
  CDovuPage* dovu = new CDovuPage;
  CInfoPage* info = new CInfoPage;
  CIntMailPage* intMail = new CIntMailPage;
  CMailPage* mail = new CMailPage;
  CSndPage* sound = new CSndPage;
  CPrintPage* print = new CPrintPage;
  CPrint2Page* print2 = new CPrint2Page;
  CMiscPage* misc = new CMiscPage;
  CUnicodePage* unicode = new CUnicodePage;
  CImagePage* image = new CImagePage;
  CReplayPg* replay = new CReplayPg;
  CHisPage* history = new CHisPage;
  CEngPage* english = new CEngPage;
  CRegPage* reg = new CRegPage;
  CFtpPage* ftp = new CFtpPage;

  void AddTo(CProSheet& sheet) const {
    const std::pair<CPropertyPage*, const char16_t*> pages[] = {
        {dovu, u"棋譜"},      {info, u"情報"},       {intMail, u"メール"}, {mail, u"メール2"},
        {sound, u"サウンド"}, {print, u"印刷"},      {print2, u"印刷2"},   {misc, u"動作"},
        {unicode, u"将棋マーク"}, {image, u"画像"}, {replay, u"再現"},    {history, u"履歴"},
        {english, u"英語"},     {reg, u"初期"},        {ftp, u"FTP"}};
    for (const auto& [page, caption] : pages) sheet.AddPage(page, QString::fromUtf16(caption));
  }
};

std::u16string Cut(std::u16string text, size_t capacity) {
  CutToCapacity(text, capacity);
  return text;
}

void CopySettingsIn(SettingsPages& p) {
  CDovuPage& d = *p.dovu;
  d.m_nZr2Marks = g_nZr2Style == 2 ? 0 : 1;
  d.m_nDefaultFormat = g_nDefaultFormat;
  d.m_bZr2HalfWidth = g_bZr2HalfWidth;
  d.m_nZr2Columns = g_nZr2MovesPerLine;
  d.m_nZr2HalfColumns = g_nZr2HalfWidthMovesPerLine;
  d.m_bCommentWrap = g_bCommentAutoWrap;
  d.m_nWrapColumn = g_nCommentWrapColumn;
  d.m_strBoardFormat = FormatToMultiline(g_szBoardTextFormat);
  d.m_nMaxRecordSize = g_nMaxRecordSize;
  d.m_bZrfOmitTimes = g_bZrfOmitTimes;
  d.m_bDropMarkOnLast = g_bDropMarkOnLast;
  d.m_bZeroTimes = g_bWriteZeroTimes;
  d.m_bAutoElapsed = g_bAutoElapsedTime;
  d.m_bAutoEndDate = g_bAutoEndDate;
  d.m_bBackup = g_bBackup;
  d.m_bSaveUtf8 = g_bSaveUtf8;
  d.m_bDovuExtension = g_bDovuExtension;

  CInfoPage& i = *p.info;
  for (int k = 0; k < 5; ++k) i.m_strUser[k] = g_szUserInfoName[k];
  i.m_strInfo[0] = g_szInfoFormat1;
  i.m_strInfo[1] = g_szInfoFormat2;
  i.m_strInfo[2] = g_szInfoFormat3;
  i.m_strProblem[0] = g_szProblemInfoFormat1;
  i.m_strProblem[1] = g_szProblemInfoFormat2;
  i.m_strProblem[2] = g_szProblemInfoFormat3;

  CIntMailPage& n = *p.intMail;
  n.m_strBody = FormatToMultiline(g_szNetMailBody);
  n.m_strSubject = g_szNetMailSubject;
  n.m_strTo = g_szNetMailTo;
  n.m_bAuto = g_bNetMailAuto;

  CMailPage& m = *p.mail;
  m.m_strFormat1 = FormatToMultiline(g_szMailFormat1);
  m.m_strFormat2 = FormatToMultiline(g_szMailFormat2);
  m.m_nSaveMode = g_nMailSaveMode;
  m.m_strPath = g_szCommFolder;
  m.m_strAppendName = g_szMailAppendName;

  CSndPage& s = *p.sound;
  s.m_nPieceSound = g_nPieceSound;
  s.m_strWave = g_szUserWave;
  s.m_bWarning = g_bWarningSound;

  CPrintPage& r = *p.print;
  r.m_strBoardHeader = FormatToMultiline(g_szPrintBoardHeader);
  r.m_strRecordHeader = FormatToMultiline(g_szPrintRecordHeader);
  r.m_nMovesPerLine = g_nPrintMovesPerLine;
  r.m_nLineSpacing = g_nPrintLineSpacing;
  r.m_nLeftMargin = g_nPrintLeftMarginMm;
  r.m_nTopMargin = g_nPrintTopMarginMm;
  r.m_bComments = g_bPrintComments;
  r.m_bNamesVertical = g_bPrintNamesVertical;
  r.m_nBlackChars = g_nPrintBlackNameChars;
  r.m_nWhiteChars = g_nPrintWhiteNameChars;
  r.m_bUnicode = g_bPrintUnicodeMarks;

  CMiscPage& c = *p.misc;
  c.m_nNotation = g_nMoveNotation;
  c.m_strSaveName = g_szDefaultSaveName;
  c.m_bConfirmSave = g_bConfirmSave;
  c.m_bAskReplay = g_bAskReplayOnLoad;
  c.m_bCheckRules = g_bCheckRules;
  c.m_bDetectRepetition = g_bDetectRepetition;
  c.m_nLoadPosition = g_nLoadPosition;
  c.m_strRecordDb = g_szRecordDbProgram;
  c.m_strProblemDb = g_szProblemDbProgram;
  c.m_bUseEDovu2 = g_bUseEDovu2;

  p.unicode->m_bUnicodeClipboard = g_bUnicodeClipboard;
  p.image->m_strTemplate = g_szImageFileNameFormat;

  CReplayPg& y = *p.replay;
  y.m_nInterval = g_nReplaySpeed * 100;
  y.m_nAnimation = g_nAnimationSpeed;
  y.m_nStopAtComment = g_nStopAtComment;
  y.m_nCommentWait = g_nCommentWaitMs;
  y.m_nStopAtBranch = g_nStopAtBranch;
  y.m_nBranchWait = g_nBranchWaitMs;
  y.m_bWheel = g_bMouseWheelMoves;

  CHisPage& h = *p.history;
  h.m_nCount = g_nHistorySize;
  const int modes[7] = {g_nHistoryModePlayers,  g_nHistoryModeEvent, g_nHistoryModeOpening,
                        g_nHistoryModeTimeLimit, g_nHistoryModePlace, g_nHistoryModePublication,
                        g_nHistoryModeUser};
  for (int k = 0; k < 7; ++k) h.m_nMode[k] = modes[k];

  CEngPage& e = *p.english;
  e.m_nStyle = g_nEngRecordStyle;
  e.m_strBoardFormat = FormatToMultiline(g_szEngBoardTextFormat);
  e.m_nColumns = g_nEngMovesPerLine;
}

void CopySettingsBack(const SettingsPages& p) {
  const CDovuPage& d = *p.dovu;
  g_nZr2Style = d.m_nZr2Marks == 0 ? 2 : 3;
  g_nDefaultFormat = (unsigned char)d.m_nDefaultFormat;
  g_bZr2HalfWidth = d.m_bZr2HalfWidth;
  g_nZr2MovesPerLine = (unsigned char)d.m_nZr2Columns;
  g_nZr2HalfWidthMovesPerLine = d.m_nZr2HalfColumns;
  g_bCommentAutoWrap = d.m_bCommentWrap;
  g_nCommentWrapColumn = d.m_nWrapColumn;
  g_szBoardTextFormat = MultilineToFormat(d.m_strBoardFormat, kEnvTextCapacity);
  if (d.m_nMaxRecordSize != g_nMaxRecordSize) {
    g_nMaxRecordSize = d.m_nMaxRecordSize;
    ShowMessage(kMaxRecordRestartMessage, kMbOk | kMbIconInformation);
  }
  g_bZrfOmitTimes = d.m_bZrfOmitTimes;
  g_bDropMarkOnLast = d.m_bDropMarkOnLast;
  g_bWriteZeroTimes = d.m_bZeroTimes;
  g_bAutoElapsedTime = d.m_bAutoElapsed;
  g_bAutoEndDate = d.m_bAutoEndDate;
  g_bBackup = (unsigned char)d.m_bBackup;
  g_bSaveUtf8 = d.m_bSaveUtf8;
  g_bDovuExtension = d.m_bDovuExtension;

  const CInfoPage& i = *p.info;
  for (int k = 0; k < 5; ++k) g_szUserInfoName[k] = Cut(i.m_strUser[k], kEnvUserInfoCapacity);
  g_szInfoFormat1 = Cut(i.m_strInfo[0], kEnvTextCapacity);
  g_szInfoFormat2 = Cut(i.m_strInfo[1], kEnvTextCapacity);
  g_szInfoFormat3 = Cut(i.m_strInfo[2], kEnvTextCapacity);
  g_szProblemInfoFormat1 = Cut(i.m_strProblem[0], kEnvTextCapacity);
  g_szProblemInfoFormat2 = Cut(i.m_strProblem[1], kEnvTextCapacity);
  g_szProblemInfoFormat3 = Cut(i.m_strProblem[2], kEnvTextCapacity);

  const CIntMailPage& n = *p.intMail;
  g_szNetMailBody = MultilineToFormat(n.m_strBody, kEnvPathCapacity);
  g_szNetMailSubject = Cut(n.m_strSubject, kEnvTextCapacity);
  g_szNetMailTo = Cut(n.m_strTo, kEnvTextCapacity);
  g_bNetMailAuto = n.m_bAuto;

  const CMailPage& m = *p.mail;
  g_szMailFormat1 = MultilineToFormat(m.m_strFormat1, kEnvPathCapacity);
  g_szMailFormat2 = MultilineToFormat(m.m_strFormat2, kEnvPathCapacity);
  g_nMailSaveMode = (unsigned char)m.m_nSaveMode;
  g_szCommFolder = Cut(m.m_strPath, kEnvPathCapacity);
  g_szMailAppendName = Cut(m.m_strAppendName, kEnvProgramCapacity);

  const CSndPage& s = *p.sound;
  g_nPieceSound = (unsigned char)s.m_nPieceSound;
  g_szUserWave = Cut(s.m_strWave, kEnvTextCapacity);
  g_bWarningSound = (unsigned char)s.m_bWarning;

  const CPrintPage& r = *p.print;
  g_szPrintBoardHeader = MultilineToFormat(r.m_strBoardHeader, kEnvPathCapacity);
  g_szPrintRecordHeader = MultilineToFormat(r.m_strRecordHeader, kEnvPathCapacity);
  g_nPrintMovesPerLine = r.m_nMovesPerLine;
  g_nPrintLineSpacing = r.m_nLineSpacing;
  g_nPrintLeftMarginMm = r.m_nLeftMargin;
  g_nPrintTopMarginMm = r.m_nTopMargin;
  g_bPrintComments = r.m_bComments;
  g_bPrintNamesVertical = r.m_bNamesVertical;
  g_nPrintBlackNameChars = r.m_nBlackChars;
  g_nPrintWhiteNameChars = r.m_nWhiteChars;
  g_bPrintUnicodeMarks = r.m_bUnicode;

  const CMiscPage& c = *p.misc;
  g_nMoveNotation = (unsigned char)c.m_nNotation;
  g_szDefaultSaveName = Cut(c.m_strSaveName, kEnvTextCapacity);
  g_bConfirmSave = c.m_bConfirmSave;
  g_bAskReplayOnLoad = (unsigned char)c.m_bAskReplay;
  g_bCheckRules = (unsigned char)c.m_bCheckRules;
  g_bDetectRepetition = c.m_bDetectRepetition;
  g_nLoadPosition = c.m_nLoadPosition;
  g_szRecordDbProgram = Cut(c.m_strRecordDb, kEnvProgramCapacity);
  g_szProblemDbProgram = Cut(c.m_strProblemDb, kEnvProgramCapacity);
  g_bUseEDovu2 = c.m_bUseEDovu2;

  g_bUnicodeClipboard = p.unicode->m_bUnicodeClipboard;
  g_szImageFileNameFormat = Cut(p.image->m_strTemplate, kEnvTextCapacity);

  const CReplayPg& y = *p.replay;
  g_nReplaySpeed = (unsigned char)(y.m_nInterval / 100);
  g_nAnimationSpeed = y.m_nAnimation;
  g_nStopAtComment = y.m_nStopAtComment;
  g_nCommentWaitMs = y.m_nCommentWait;
  g_nStopAtBranch = y.m_nStopAtBranch;
  g_nBranchWaitMs = y.m_nBranchWait;
  g_bMouseWheelMoves = y.m_bWheel;

  const CHisPage& h = *p.history;
  g_nHistorySize = h.m_nCount;
  int* modes[7] = {&g_nHistoryModePlayers,  &g_nHistoryModeEvent, &g_nHistoryModeOpening,
                   &g_nHistoryModeTimeLimit, &g_nHistoryModePlace, &g_nHistoryModePublication,
                   &g_nHistoryModeUser};
  for (int k = 0; k < 7; ++k) *modes[k] = h.m_nMode[k];
  // One choice governs all five user-defined items.
  g_nHistoryModeUser2 = g_nHistoryModeUser3 = g_nHistoryModeUser4 = g_nHistoryModeUser5 =
      g_nHistoryModeUser;

  const CEngPage& e = *p.english;
  g_nEngRecordStyle = e.m_nStyle;
  g_szEngBoardTextFormat = MultilineToFormat(e.m_strBoardFormat, kEnvTextCapacity);
  g_nEngMovesPerLine = e.m_nColumns;
}

}  // namespace

void RedrawPrintPreview() {
  if (g_AppMode != kModePreview) return;
  Trace("preview-page");
  if (g_pView) g_pView->InvalidateAll();
}

void DoSettingsSheet(CNarvoView* view) {
  CProSheet sheet(QString::fromUtf16(u"設定"), view, g_nSettingsPage);
  SettingsPages pages;
  CopySettingsIn(pages);
  // The FTP page edits the table itself; Cancel puts it back as it was.
  const auto ftpTable = std::make_unique<FtpTable>(g_FtpTable);
  pages.ftp->LoadFromTable();
  pages.AddTo(sheet);

  // 印刷2 stores its fonts at once; a Cancel puts them back.
  const EnvFont printFont = g_fontPrint, printFontPt = g_fontPrintPt, handFontPt = g_fontPrintHandPt;
  const int notation = g_nMoveNotation, checkRules = g_bCheckRules, dropMark = g_bDropMarkOnLast;

  if (sheet.DoModal() != QDialog::Accepted) {
    g_FtpTable = *ftpTable;
    if (g_fontPrint != printFont || g_fontPrintPt != printFontPt || g_fontPrintHandPt != handFontPt) {
      g_fontPrint = printFont;
      g_fontPrintPt = printFontPt;
      g_fontPrintHandPt = handFontPt;
      RedrawPrintPreview();
    }
    return;
  }
  CopySettingsBack(pages);
  // The destination in the fields joins the table (or replaces its namesake);
  // one that cannot be added is left out without a word.
  pages.ftp->StoreIntoTable();

  if (g_AppMode == kModePreview) {
    Trace("view");
    if (view) view->InvalidateAll();
    return;
  }
  if (g_nMoveNotation != notation || g_bCheckRules != checkRules || g_bDropMarkOnLast != dropMark) {
    Trace("move-list");
    UpdateDovuWndScroll();
    Trace("branch");
    UpdateBranchWindow();
  }
  Trace("info-panel");
  if (view) DrawInfoPanel(view);
}
