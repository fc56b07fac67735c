#include "app/narvo_doc.h"

#include <QFileInfo>
#include <QString>

#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "view/narvo_view.h"

std::u16string g_szRecordFilePath;
std::u16string g_szRecordFileName;
std::u16string g_szRecordTitle;
const char16_t g_szUntitled[] = u"新規棋譜";

CNarvoDoc* g_pDocument = nullptr;

CNarvoDoc::CNarvoDoc() { g_pDocument = this; }

CNarvoDoc::~CNarvoDoc() {
  if (g_pDocument == this) g_pDocument = nullptr;
}

bool CNarvoDoc::OnNewDocument() {
  m_strPathName.clear();
  m_bModified = false;
  return true;
}

bool CNarvoDoc::OnOpenDocument(const std::u16string& path) {
  if (!QFileInfo(QString::fromStdU16String(path)).isFile()) {
    ReportUnreadableRecord(path);
    return false;
  }
  if (g_AppMode == kModeGame || g_AppMode == kModeGamePiece || g_AppMode == kModePreview)
    Ui().PlayWarningSound();
  else
    OpenRecordFile(g_pView, path);
  return true;
}

bool CNarvoDoc::OnSaveDocument(const std::u16string& path) {
  return WriteZrfRecord(true, path) == 0;
}

bool CNarvoDoc::SaveModified() {
  if (g_bReplayRunning) {
    Ui().PlayWarningSound();
    return false;
  }
  if (g_AppMode == kModeEdit &&
      ShowMessage(u"プログラムを終了しますか？", kMbYesNo | kMbIconQuestion, u"終了確認") != kIdYes)
    return false;
  if (g_Record.changeCount != 0 && AskSaveRecord(g_pView) == kIdCancel) return false;
  return true;
}

void CNarvoDoc::SetPathName(const std::u16string& path) {
  m_strPathName = path;
  CMainFrame::AddRecentFile(path);
}
