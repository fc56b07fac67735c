// The document of the single-document frame. It holds no data: the record is
// g_Record; loading and saving go through the file commands.
#pragma once
#include <string>

// The current file. Empty names are the state at start-up; g_szUntitled in
// them means an unnamed record.
extern std::u16string g_szRecordFilePath;  // full path, empty when the record has no file
extern std::u16string g_szRecordFileName;  // the part after the last "/"
extern std::u16string g_szRecordTitle;     // the name without a record extension
extern const char16_t g_szUntitled[];      // "新規棋譜"

class CNarvoDoc {
public:
  CNarvoDoc();
  ~CNarvoDoc();

  bool OnNewDocument();
  // A file the framework side opens (the recent-file list): during a game or
  // print preview only the warning sound, otherwise the file is loaded.
  // False when the file does not exist.
  bool OnOpenDocument(const std::u16string& path);
  // The record in ZRF (UTF-8) at path.
  bool OnSaveDocument(const std::u16string& path);
  // May the program close or the record be replaced?
  bool SaveModified();

  // The document's path: setting it adds the file to the recent-file list.
  void SetPathName(const std::u16string& path);
  const std::u16string& GetPathName() const { return m_strPathName; }
  // The document's own modified flag, beside the record's change counter.
  void SetModifiedFlag(bool modified) { m_bModified = modified; }
  bool IsModified() const { return m_bModified; }

private:
  std::u16string m_strPathName;
  bool m_bModified = false;
};

extern CNarvoDoc* g_pDocument;
