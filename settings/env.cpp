#include "settings/env.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "record/atomic_file.h"
#include "record/record.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/folders.h"

// ---------------------------------------------------------------------------
// The globals with their built-in defaults. ResetEnvDefaults puts back the
// same values from the key table below; the tests hold the two together.

const char16_t g_szProductName[] = u"Sorvane V7";
const char16_t g_szVersion[] = u"V7.50";

std::u16string g_szEnvName = u"NARVO";
std::u16string g_szEnvFolder;
int g_bCmdLineEnv = 0;
int g_bEnvUnreadable = 0;
int g_bDefaultSettings = 0;

std::u16string g_szRecordFolder;
std::u16string g_szCommFolder;
std::u16string g_szPositionFolder;

WindowPlacement g_rcMainWindow = {5, 20, 655, 524};
unsigned char g_bShowMoveListWnd = 1;
WindowPlacement g_rcMoveListWnd = {10, 290, 115, 180};
int g_nMoveListStyle = 0;
int g_bShowSioriNames = 1;
int g_nBranchWndMode = 2;
WindowPlacement g_rcBranchWnd = {10, 350, 110, 130};
unsigned char g_nCommentWndMode = 3;
WindowPlacement g_rcCommentWnd = {10, 540, 400, 200};
unsigned char g_nPieceSet = 5;
int g_bExternalPieces = 0;
std::u16string g_szPieceBmpFile;
unsigned char g_nBoardKind = 0;
unsigned char g_nStandKind = 1;
EnvColor g_rgbBoard = {237, 170, 86};
EnvColor g_rgbPieceBox = {188, 126, 79};
EnvColor g_rgbBackground = {128, 128, 128};
EnvColor g_rgbLastPiece = {255, 255, 255};
EnvColor g_rgbLastSquare = {206, 132, 57};
EnvColor g_rgbLastFrom = {224, 178, 131};
EnvColor g_rgbCurrentMove = {255, 255, 0};
EnvColor g_rgbVariation = {224, 224, 224};
unsigned char g_nLastMoveMark = 2;
int g_bShowMoveOrigin = 1;
unsigned char g_nMoveNotation = 2;
EnvFont g_fontCoords = {u"ＭＳ 明朝", -12, 0, 0};
EnvFont g_fontInfo = {u"ＭＳ ゴシック", -13, 0, 0};
EnvFont g_fontComment = {u"ＭＳ ゴシック", -12, 0, 0};
EnvFont g_fontCommentPt = {u"ＭＳ ゴシック", 120, 0, 0};
EnvFont g_fontStatus = {u"ＭＳ Ｐゴシック", -13, 0, 0};
EnvFont g_fontMoveList = {u"ＭＳ ゴシック", -13, 0, 0};
EnvFont g_fontMoveListPt = {u"ＭＳ ゴシック", 100, 0, 0};
unsigned char g_bEmphasizeTurn = 1;
std::u16string g_szInfoFormat1 = u"%g";
std::u16string g_szInfoFormat2 = u"%i";
std::u16string g_szInfoFormat3;
std::u16string g_szProblemInfoFormat1 = u"作者：%/3";
std::u16string g_szProblemInfoFormat2 = u"発表：%/4";
std::u16string g_szProblemInfoFormat3 = u"作品：%/2";

unsigned char g_bWarningSound = 1;
unsigned char g_nPieceSound = 2;
std::u16string g_szUserWave;

unsigned char g_bAskReplayOnLoad = 0;
int g_nLoadPosition = 0;
unsigned char g_bCheckRules = 1;
unsigned char g_nReplaySpeed = 5;
int g_nAnimationSpeed = 1;
int g_nStopAtComment = 2;
int g_nCommentWaitMs = 1000;
int g_nStopAtBranch = 1;
int g_nBranchWaitMs = 1000;
int g_bDetectRepetition = 1;
int g_bMouseWheelMoves = 1;
int g_bConfirmSave = 1;
unsigned char g_bAutoSave = 1;
std::u16string g_szDefaultSaveName = u"%G%b4%w4";
int g_bCheckCommentNotation = 1;
int g_bCheckCommentMarks = 0;
int g_bUnicodeClipboard = 0;
std::u16string g_szRecordDbProgram = u"lorquen.exe";
std::u16string g_szProblemDbProgram = u"brisqua.exe";
int g_bUseEDovu2 = 0;
std::u16string g_szToolMenu[kToolEntryCount] = {
    u"棋譜ファイルをエディタで開く", u"棋譜をMorivane将棋で開く", u"ツール3", u"ツール4", u"ツール5"};
std::u16string g_szToolCommand[kToolEntryCount] = {
    u"C:\\Windows\\Notepad.exe", u"C:\\Program Files\\Velmar8\\Velmar8.exe", u"", u"", u""};
std::u16string g_szToolArgs[kToolEntryCount] = {u"\"%K\"", u"\"%K\" +%N", u"", u"", u""};
int g_nHistorySize = 20;
int g_nHistoryModePlayers = 1;
int g_nHistoryModeEvent = 1;
int g_nHistoryModeOpening = 1;
int g_nHistoryModeTimeLimit = 1;
int g_nHistoryModePlace = 1;
int g_nHistoryModePublication = 1;
int g_nHistoryModeUser = 1;
int g_nHistoryModeUser2 = 1;
int g_nHistoryModeUser3 = 1;
int g_nHistoryModeUser4 = 1;
int g_nHistoryModeUser5 = 1;

std::u16string g_szPrintBoardHeader = u"印刷：%y %t%c%c%f%c&C【%o第%n手%Aまで】%c%d%*";
std::u16string g_szPrintRecordHeader = u"印刷：%y %t%c%cファイル：%F%c%K";
EnvFont g_fontPrint = {u"ＭＳ ゴシック", -21, 0, 0};
EnvFont g_fontPrintPt = {u"ＭＳ ゴシック", 160, 0, 0};
int g_nPrintMovesPerLine = 6;
int g_nPrintLeftMarginMm = 10;
int g_nPrintTopMarginMm = 10;
int g_nPrintLineSpacing = 0;
int g_bPrintComments = 1;
int g_bPrintNamesVertical = 1;
int g_nPrintBlackNameChars = 3;
int g_nPrintWhiteNameChars = 3;
int g_bPrintUnicodeMarks = 1;
int g_bImageTrim = 1;
int g_rcImageTrim[4] = {66, 77, 316, 329};
std::u16string g_szImageFileNameFormat = u"%M%f%N手";
EnvFont g_fontPrintHand = {u"ＭＳ ゴシック", -19, 0, 0};
EnvFont g_fontPrintHandPt = {u"ＭＳ ゴシック", 130, 0, 0};

int g_nMaxRecordSize = 10000;
int g_nMaxRecordSizeAtStart = 10000;
int g_nDragonGlyph = 0;
int g_bDropMarkOnLast = 0;
int g_bWriteZeroTimes = 0;
unsigned char g_nZr2MovesPerLine = 6;
unsigned char g_nZr2Style = 2;
int g_bZr2HalfWidth = 0;
int g_nZr2HalfWidthMovesPerLine = 8;
int g_bZrfOmitTimes = 0;
int g_bCommentAutoWrap = 0;
int g_nCommentWrapColumn = 80;
int g_nRecordTree1 = 8;
int g_nRecordTree2 = 0;
int g_nRecordTree3 = 10;
int g_nRecordTree4 = 8;
unsigned char g_nDefaultFormat = 0;
unsigned char g_bBackup = 0;
int g_bSaveUtf8 = 0;
int g_bDovuExtension = 1;
std::u16string g_szUserInfoName[kUserInfoCount] = {u"", u"", u"", u"", u"相手アドレス"};
int g_bAutoElapsedTime = 0;
int g_bAutoEndDate = 1;
std::u16string g_szBoardTextFormat = u"%d手数＝%n  %A  まで%c%*";
std::u16string g_szEngBoardTextFormat = u"%dup to %n.%l.%c";
int g_nEngRecordStyle = 0;
int g_nEngMovesPerLine = 8;

std::u16string g_szMailFormat1 = u"題名：第%n手、%Pに%Lです。%c%D";
std::u16string g_szMailFormat2 = u"題名：第%n手、%Pに%Lです。%c%D%c%K";
unsigned char g_nMailSaveMode = 0;
std::u16string g_szMailAppendName = u"PAD";
std::u16string g_szNetMailTo = u"%5";
std::u16string g_szNetMailSubject = u"第%n手、%Pに%Lです。";
std::u16string g_szNetMailBody = u"%Oさん、こんにちは。%C%C%D";
int g_bNetMailAuto = 0;

int g_nSettingsPage = 0;

void CutToCapacity(std::u16string& text, size_t capacity) {
  if (capacity > 0 && text.size() > capacity - 1) text.resize(capacity - 1);
}

// ---------------------------------------------------------------------------
// The key table: one entry per line of the file, in the order written.

namespace {

// What a number read from the file may become. A byte first keeps the value
// modulo 256, as the file has always meant; then kNone keeps it, kClamp pulls
// it into lo..hi, the range the settings pages accept, and kEnum puts back the
// default for a value that is no choice of the setting, so a hand-edited file
// can never index past a table.
enum class Range { kNone, kClamp, kEnum };

struct NumField {
  void* ptr = nullptr;
  bool isByte = false;
  int def = 0;
  Range range = Range::kNone;
  int lo = 0;
  int hi = 0;

  int Get() const { return isByte ? *static_cast<unsigned char*>(ptr) : *static_cast<int*>(ptr); }
  void Put(int v) const {
    if (isByte)
      *static_cast<unsigned char*>(ptr) = static_cast<unsigned char>(v);
    else
      *static_cast<int*>(ptr) = v;
  }
  void Store(long long v) const {
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    if (isByte) v = static_cast<unsigned char>(static_cast<int>(v));
    if (range == Range::kClamp) {
      if (v < lo) v = lo;
      if (v > hi) v = hi;
    } else if (range == Range::kEnum && (v < lo || v > hi)) {
      v = def;
    }
    Put(static_cast<int>(v));
  }
};

enum class Kind {
  kSection,      // a section line; key holds its text
  kNumbers,      // one or more integers and a fixed suffix
  kQuoted,       // text between double quotes
  kBare,         // text as it stands, to the line end
  kFont,
  kMaxRecordSize,
  kToolArgs,     // quoted, escaped
};

struct EnvItem {
  Kind kind = Kind::kSection;
  std::u16string key;
  int blanks = 0;
  // kNumbers: the fields in the order written; a line must hold at least
  // minCount of them to be taken.
  std::vector<NumField> fields;
  size_t minCount = 1;
  const char16_t* suffix = u"";
  // Texts.
  std::u16string* text = nullptr;
  size_t capacity = 0;
  bool keepIfEmpty = false;
  std::u16string defText;
  // Fonts.
  EnvFont* font = nullptr;
  EnvFont defFont;
};

NumField IntF(int* p, int def, Range r = Range::kNone, int lo = 0, int hi = 0) {
  return NumField{p, false, def, r, lo, hi};
}
NumField ByteF(unsigned char* p, int def, Range r = Range::kNone, int lo = 0, int hi = 0) {
  return NumField{p, true, def, r, lo, hi};
}

class TableBuilder {
public:
  std::vector<EnvItem> items;

  void Section(const char16_t* text) {
    EnvItem e;
    e.kind = Kind::kSection;
    e.key = text;
    items.push_back(std::move(e));
  }
  void Numbers(const char16_t* key, int blanks, std::vector<NumField> fields,
               const char16_t* suffix, size_t minCount = 1) {
    EnvItem e;
    e.kind = Kind::kNumbers;
    e.key = key;
    e.blanks = blanks;
    e.fields = std::move(fields);
    e.suffix = suffix;
    e.minCount = minCount;
    items.push_back(std::move(e));
  }
  void Int(const char16_t* key, int blanks, int* p, int def, const char16_t* suffix,
           Range r = Range::kNone, int lo = 0, int hi = 0) {
    Numbers(key, blanks, {IntF(p, def, r, lo, hi)}, suffix);
  }
  void Byte(const char16_t* key, int blanks, unsigned char* p, int def, const char16_t* suffix,
            Range r = Range::kNone, int lo = 0, int hi = 0) {
    Numbers(key, blanks, {ByteF(p, def, r, lo, hi)}, suffix);
  }
  void Color(const char16_t* key, int blanks, EnvColor* c, EnvColor def) {
    Numbers(key, blanks, {ByteF(&c->r, def.r), ByteF(&c->g, def.g), ByteF(&c->b, def.b)},
            u" # RGB(0-255)");
  }
  void Text(Kind kind, const char16_t* key, int blanks, std::u16string* p, size_t capacity,
            const char16_t* def, bool keepIfEmpty = false) {
    EnvItem e;
    e.kind = kind;
    e.key = key;
    e.blanks = blanks;
    e.text = p;
    e.capacity = capacity;
    e.defText = def;
    e.keepIfEmpty = keepIfEmpty;
    items.push_back(std::move(e));
  }
  void Quoted(const char16_t* key, int blanks, std::u16string* p, size_t capacity,
              const char16_t* def, bool keepIfEmpty = false) {
    Text(Kind::kQuoted, key, blanks, p, capacity, def, keepIfEmpty);
  }
  void Bare(const char16_t* key, int blanks, std::u16string* p, size_t capacity, const char16_t* def) {
    Text(Kind::kBare, key, blanks, p, capacity, def);
  }
  void Font(const char16_t* key, int blanks, EnvFont* f, const char16_t* face, int size) {
    EnvItem e;
    e.kind = Kind::kFont;
    e.key = key;
    e.blanks = blanks;
    e.font = f;
    e.defFont = EnvFont{face, size, 0, 0};
    items.push_back(std::move(e));
  }
};

// What a window's place and size may be: anything on any real desktop, and
// far from where arithmetic on them could overflow.
constexpr int kMinWindowPos = -16384, kMaxWindowPos = 16384;
constexpr int kMinWindowSide = 40, kMaxWindowSide = 16384;

std::vector<EnvItem> BuildTable() {
  constexpr Range C = Range::kClamp;
  constexpr Range E = Range::kEnum;
  const char16_t* kYesNo = u"\t# (0:しない,1:する)";
  const char16_t* kTab = u"\t# ";
  const char16_t* kGothic = u"ＭＳ ゴシック";
  TableBuilder t;

  t.Section(u"# --- パス ---");
  t.Quoted(u"棋譜パス", 9, &g_szRecordFolder, kEnvPathCapacity, u"", true);
  t.Quoted(u"通信パス", 9, &g_szCommFolder, kEnvPathCapacity, u"", true);

  t.Section(u"# --- 表示 ---");
  t.Numbers(u"ウィンドウ", 7,
            {IntF(&g_rcMainWindow.x, 5, C, kMinWindowPos, kMaxWindowPos), IntF(&g_rcMainWindow.y, 20, C, kMinWindowPos, kMaxWindowPos),
             IntF(&g_rcMainWindow.width, 655, C, kMinWindowSide, kMaxWindowSide), IntF(&g_rcMainWindow.height, 524, C, kMinWindowSide, kMaxWindowSide)},
            u" # X,Y,W,H");
  t.Numbers(u"棋譜ウィンドウ", 3,
            {ByteF(&g_bShowMoveListWnd, 1), IntF(&g_rcMoveListWnd.x, 10, C, kMinWindowPos, kMaxWindowPos),
             IntF(&g_rcMoveListWnd.y, 290, C, kMinWindowPos, kMaxWindowPos), IntF(&g_rcMoveListWnd.width, 115, C, kMinWindowSide, kMaxWindowSide),
             IntF(&g_rcMoveListWnd.height, 180, C, kMinWindowSide, kMaxWindowSide), IntF(&g_nMoveListStyle, 0, E, 0, 1)},
            u"# 表示 X,Y,W,H 形式", 5);
  t.Int(u"しおり名表示", 5, &g_bShowSioriNames, 1, u"");
  t.Numbers(u"分岐ウィンドウ", 3,
            {IntF(&g_nBranchWndMode, 2, E, 0, 2), IntF(&g_rcBranchWnd.x, 10, C, kMinWindowPos, kMaxWindowPos),
             IntF(&g_rcBranchWnd.y, 350, C, kMinWindowPos, kMaxWindowPos), IntF(&g_rcBranchWnd.width, 110, C, kMinWindowSide, kMaxWindowSide),
             IntF(&g_rcBranchWnd.height, 130, C, kMinWindowSide, kMaxWindowSide)},
            u" # 表示 X,Y,W,H");
  t.Numbers(u"コメントウィンドウ", 3,
            {ByteF(&g_nCommentWndMode, 3, E, 0, 3), IntF(&g_rcCommentWnd.x, 10, C, kMinWindowPos, kMaxWindowPos),
             IntF(&g_rcCommentWnd.y, 540, C, kMinWindowPos, kMaxWindowPos), IntF(&g_rcCommentWnd.width, 400, C, kMinWindowSide, kMaxWindowSide),
             IntF(&g_rcCommentWnd.height, 200, C, kMinWindowSide, kMaxWindowSide)},
            u" # 表示 X,Y,W,H");
  t.Byte(u"駒の種類", 9, &g_nPieceSet, 5, u"", E, 3, 6);
  t.Int(u"外部駒", 11, &g_bExternalPieces, 0, u"");
  t.Quoted(u"駒BMP", 12, &g_szPieceBmpFile, kEnvPathCapacity, u"");
  t.Byte(u"盤の種類", 9, &g_nBoardKind, 0, u"", E, 0, 2);
  t.Byte(u"駒台の種類", 7, &g_nStandKind, 1, u"", E, 0, 2);
  t.Color(u"盤面色", 11, &g_rgbBoard, {237, 170, 86});
  t.Color(u"駒箱色", 11, &g_rgbPieceBox, {188, 126, 79});
  t.Color(u"背景色", 11, &g_rgbBackground, {128, 128, 128});
  t.Color(u"最終駒の色", 7, &g_rgbLastPiece, {255, 255, 255});
  t.Color(u"最終枡の色", 7, &g_rgbLastSquare, {206, 132, 57});
  t.Color(u"最終駒移動元の色", 7, &g_rgbLastFrom, {224, 178, 131});
  t.Color(u"最終手の色", 7, &g_rgbCurrentMove, {255, 255, 0});
  t.Color(u"棋譜変化の色", 5, &g_rgbVariation, {224, 224, 224});
  t.Byte(u"最終駒表示", 7, &g_nLastMoveMark, 2, kYesNo, E, 0, 3);
  t.Int(u"最終駒移動元", 5, &g_bShowMoveOrigin, 1, kYesNo);
  t.Byte(u"指し手表記", 7, &g_nMoveNotation, 2, u"\t# (0:Mrv△,1:Mrv▽,2:伝△,3:伝▽)", E, 0, 3);
  t.Font(u"段筋フォント", 5, &g_fontCoords, u"ＭＳ 明朝", -12);
  t.Font(u"情報フォント", 5, &g_fontInfo, kGothic, -13);
  t.Font(u"コメントフォント", 1, &g_fontComment, kGothic, -12);
  t.Font(u"コメントポイントフォント", 1, &g_fontCommentPt, kGothic, 120);
  t.Font(u"ステータスフォント", 1, &g_fontStatus, u"ＭＳ Ｐゴシック", -13);
  t.Font(u"棋譜フォント", 5, &g_fontMoveList, kGothic, -13);
  t.Font(u"棋譜ポイントフォント", 1, &g_fontMoveListPt, kGothic, 100);
  t.Byte(u"手番強調表示", 5, &g_bEmphasizeTurn, 1, kYesNo);
  t.Bare(u"情報表示書式1", 4, &g_szInfoFormat1, kEnvTextCapacity, u"%g");
  t.Bare(u"情報表示書式2", 4, &g_szInfoFormat2, kEnvTextCapacity, u"%i");
  t.Bare(u"情報表示書式3", 4, &g_szInfoFormat3, kEnvTextCapacity, u"");
  t.Bare(u"情報表示書式詰1", 2, &g_szProblemInfoFormat1, kEnvTextCapacity, u"作者：%/3");
  t.Bare(u"情報表示書式詰2", 2, &g_szProblemInfoFormat2, kEnvTextCapacity, u"発表：%/4");
  t.Bare(u"情報表示書式詰3", 2, &g_szProblemInfoFormat3, kEnvTextCapacity, u"作品：%/2");

  t.Section(u"# --- サウンド ---");
  t.Byte(u"警告音", 11, &g_bWarningSound, 1, u"\t# (0:なし,1:あり)");
  t.Byte(u"駒音種類", 9, &g_nPieceSound, 2, u" \t# (0:なし,1:ビープ,2:WAVE,3:ユーザWAVE)", E, 0, 4);
  t.Quoted(u"ユーザWAVE", 7, &g_szUserWave, kEnvTextCapacity, u"", true);

  t.Section(u"# --- 動作 ---");
  t.Byte(u"棋譜読込選択", 5, &g_bAskReplayOnLoad, 0, u"\t# 再現、再開 (0:しない,1:する)");
  t.Int(u"棋譜読込局面", 5, &g_nLoadPosition, 0, u"", E, 0, 4);
  t.Byte(u"ルール確認", 7, &g_bCheckRules, 1, kYesNo);
  t.Byte(u"再現速度", 9, &g_nReplaySpeed, 5, u"\t# ×0.1秒");
  t.Int(u"アニメ速度", 7, &g_nAnimationSpeed, 1, kTab, E, 0, 3);
  t.Int(u"コメント停止", 5, &g_nStopAtComment, 2, kTab, E, 0, 2);
  t.Int(u"コメント待ち時間", 1, &g_nCommentWaitMs, 1000, u"\t# (ms)", C, 0, 1000000);
  t.Int(u"分岐停止", 9, &g_nStopAtBranch, 1, kTab, E, 0, 2);
  t.Int(u"分岐待ち時間", 5, &g_nBranchWaitMs, 1000, u"\t# (ms)", C, 0, 1000000);
  t.Int(u"再現時の千日手検出", 1, &g_bDetectRepetition, 1, kTab);
  t.Int(u"棋譜マウスホイール対応", 1, &g_bMouseWheelMoves, 1, u"");
  t.Int(u"棋譜保存確認", 5, &g_bConfirmSave, 1, kYesNo);
  t.Byte(u"棋譜自動保存", 5, &g_bAutoSave, 1, u"\t# 再開棋譜(0:なし,1:あり)");
  t.Quoted(u"棋譜保存初期名", 3, &g_szDefaultSaveName, kEnvTextCapacity, u"%G%b4%w4", true);
  t.Int(u"コメントのミス指摘", 1, &g_bCheckCommentNotation, 1, kTab);
  t.Int(u"コメントのマークなし指摘", 1, &g_bCheckCommentMarks, 0, kTab);
  t.Int(u"UNICODEクリップボード", 1, &g_bUnicodeClipboard, 0, kTab);
  t.Quoted(u"棋譜データベース", 1, &g_szRecordDbProgram, kEnvProgramCapacity, u"lorquen.exe", true);
  t.Quoted(u"詰将棋データベース", 1, &g_szProblemDbProgram, kEnvProgramCapacity, u"brisqua.exe", true);
  t.Int(u"eDovu2使用", 7, &g_bUseEDovu2, 0, u"\t");
  static const char16_t* const kToolMenuDefaults[kToolEntryCount] = {
      u"棋譜ファイルをエディタで開く", u"棋譜をMorivane将棋で開く", u"ツール3", u"ツール4", u"ツール5"};
  static const char16_t* const kToolCommandDefaults[kToolEntryCount] = {
      u"C:\\Windows\\Notepad.exe", u"C:\\Program Files\\Velmar8\\Velmar8.exe", u"", u"", u""};
  static const char16_t* const kToolArgsDefaults[kToolEntryCount] = {u"\"%K\"", u"\"%K\" +%N", u"",
                                                                    u"", u""};
  for (int i = 0; i < kToolEntryCount; ++i) {
    std::u16string n = IntToU16(i + 1);
    t.Quoted((u"ツールメニュー" + n).c_str(), 2, &g_szToolMenu[i], kEnvTextCapacity,
             kToolMenuDefaults[i]);
    t.Quoted((u"ツールコマンド" + n).c_str(), 2, &g_szToolCommand[i], kEnvTextCapacity,
             kToolCommandDefaults[i]);
    t.Text(Kind::kToolArgs, (u"ツール引数" + n).c_str(), 6, &g_szToolArgs[i], kEnvTextCapacity,
           kToolArgsDefaults[i]);
  }
  t.Int(u"情報履歴数", 7, &g_nHistorySize, 20, kTab, C, 0, 20);
  t.Int(u"対局者履歴", 7, &g_nHistoryModePlayers, 1, kTab, E, 0, 2);
  t.Int(u"棋戦履歴", 9, &g_nHistoryModeEvent, 1, kTab, E, 0, 2);
  t.Int(u"戦型履歴", 9, &g_nHistoryModeOpening, 1, kTab, E, 0, 2);
  t.Int(u"持ち時間履歴", 5, &g_nHistoryModeTimeLimit, 1, kTab, E, 0, 2);
  t.Int(u"場所履歴", 9, &g_nHistoryModePlace, 1, kTab, E, 0, 2);
  t.Int(u"掲載履歴", 9, &g_nHistoryModePublication, 1, kTab, E, 0, 2);
  t.Int(u"ユーザ履歴", 7, &g_nHistoryModeUser, 1, kTab, E, 0, 2);

  t.Section(u"# --- 印刷 ---");
  t.Bare(u"印刷盤面書式", 5, &g_szPrintBoardHeader, kEnvPathCapacity,
         u"印刷：%y %t%c%c%f%c&C【%o第%n手%Aまで】%c%d%*");
  t.Bare(u"印刷棋譜書式", 5, &g_szPrintRecordHeader, kEnvPathCapacity,
         u"印刷：%y %t%c%cファイル：%F%c%K");
  t.Font(u"印刷フォント", 5, &g_fontPrint, kGothic, -21);
  t.Font(u"印刷ポイントフォント", 1, &g_fontPrintPt, kGothic, 160);
  t.Int(u"印刷棋譜カラム", 3, &g_nPrintMovesPerLine, 6, u"\t# 手数／行", C, 0, INT_MAX);
  t.Int(u"印刷左端余白", 5, &g_nPrintLeftMarginMm, 10, u"\t# mm", C, 0, INT_MAX);
  t.Int(u"印刷上端余白", 5, &g_nPrintTopMarginMm, 10, u"\t# mm", C, 0, INT_MAX);
  t.Int(u"印刷行間隔", 7, &g_nPrintLineSpacing, 0, u"\t# /10mm");
  t.Int(u"棋譜コメント印刷", 1, &g_bPrintComments, 1, kTab);
  t.Int(u"印刷対局者名縦", 3, &g_bPrintNamesVertical, 1, kTab);
  t.Int(u"印刷先手名字数", 3, &g_nPrintBlackNameChars, 3, kTab, C, 0, 50);
  t.Int(u"印刷後手名字数", 3, &g_nPrintWhiteNameChars, 3, kTab, C, 0, 50);
  t.Int(u"印刷UNICODE", 6, &g_bPrintUnicodeMarks, 1, kTab);
  t.Int(u"トリミングあり", 3, &g_bImageTrim, 1, kTab);
  t.Numbers(u"トリミング領域", 3,
            {IntF(&g_rcImageTrim[0], 66), IntF(&g_rcImageTrim[1], 77),
             IntF(&g_rcImageTrim[2], 316), IntF(&g_rcImageTrim[3], 329)},
            kTab);
  t.Bare(u"画像ファイル名書式", 4, &g_szImageFileNameFormat, kEnvTextCapacity, u"%M%f%N手");
  t.Font(u"印刷持駒フォント", 1, &g_fontPrintHand, kGothic, -19);
  t.Font(u"印刷ポイント持駒フォント", 1, &g_fontPrintHandPt, kGothic, 130);

  t.Section(u"# --- 棋譜 ---");
  {
    EnvItem e;
    e.kind = Kind::kMaxRecordSize;
    e.key = u"棋譜最大サイズ";
    e.blanks = 3;
    e.suffix = kTab;
    t.items.push_back(std::move(e));
  }
  t.Int(u"棋譜追加モード", 3, &g_Record.appendMode, 1, kTab, E, 0, 1);
  t.Int(u"棋譜竜表記", 7, &g_nDragonGlyph, 0, kTab);
  t.Int(u"棋譜最終手の打", 3, &g_bDropMarkOnLast, 0, kTab);
  t.Int(u"消費時間０", 7, &g_bWriteZeroTimes, 0, kTab);
  t.Byte(u"ZR2カラム", 8, &g_nZr2MovesPerLine, 6, u"\t# 出力の手数／行");
  // No range: 4 and above are a style of their own (display notation).
  t.Byte(u"ZR2形式", 10, &g_nZr2Style, 2, u"\t# (0:従来,1:数伝,2:伝△,3:伝▽)");
  t.Int(u"ZR2半角形式", 6, &g_bZr2HalfWidth, 0, kTab);
  t.Int(u"ZR2半角カラム", 4, &g_nZr2HalfWidthMovesPerLine, 8, u"\t# 出力の手数／行", C, 0, INT_MAX);
  t.Int(u"ZRF時間省略", 6, &g_bZrfOmitTimes, 0, kTab);
  t.Int(u"コメント自動改行", 1, &g_bCommentAutoWrap, 0, kTab);
  t.Int(u"コメント改行桁", 3, &g_nCommentWrapColumn, 80, kTab, C, 1, INT_MAX);
  t.Numbers(u"棋譜ツリー", 7,
            {IntF(&g_nRecordTree1, 8), IntF(&g_nRecordTree2, 0), IntF(&g_nRecordTree3, 10),
             IntF(&g_nRecordTree4, 8)},
            kTab);
  t.Byte(u"標準棋譜", 9, &g_nDefaultFormat, 0, u"\t# (0:ZRF,1:ZR2)", E, 0, 1);
  t.Byte(u"バックアップ", 5, &g_bBackup, 0, u"\t# 棋譜のバックアップ(0:なし,1:あり)");
  t.Int(u"棋譜保存UTF8", 5, &g_bSaveUtf8, 0, kTab);
  t.Int(u"棋譜名dovu", 7, &g_bDovuExtension, 1, kTab);
  static const char16_t* const kUserKeys[kUserInfoCount] = {
      u"ユーザ定義情報１", u"ユーザ定義情報２", u"ユーザ定義情報３", u"ユーザ定義情報４",
      u"ユーザ定義情報５"};
  for (int i = 0; i < kUserInfoCount; ++i)
    t.Bare(kUserKeys[i], 1, &g_szUserInfoName[i], kEnvUserInfoCapacity,
           i == 4 ? u"相手アドレス" : u"");
  t.Int(u"消費時間自動設定", 1, &g_bAutoElapsedTime, 0, kTab);
  t.Int(u"終了日時自動設定", 1, &g_bAutoEndDate, 1, kTab);
  t.Bare(u"盤面書式", 9, &g_szBoardTextFormat, kEnvTextCapacity, u"%d手数＝%n  %A  まで%c%*");
  t.Bare(u"英語盤面書式", 5, &g_szEngBoardTextFormat, kEnvTextCapacity, u"%dup to %n.%l.%c");
  t.Int(u"英語棋譜形式", 5, &g_nEngRecordStyle, 0, u"\t# 0:チェス式手数,1:将棋式手数,2:手数なし",
        E, 0, 2);
  t.Int(u"英語カラム", 7, &g_nEngMovesPerLine, 8, u"\t# 出力の手数／行", C, 0, INT_MAX);

  t.Section(u"# --- メール ---");
  t.Bare(u"メール書式１", 5, &g_szMailFormat1, kEnvPathCapacity, u"題名：第%n手、%Pに%Lです。%c%D");
  t.Bare(u"メール書式２", 5, &g_szMailFormat2, kEnvPathCapacity,
         u"題名：第%n手、%Pに%Lです。%c%D%c%K");
  t.Byte(u"メール保存", 7, &g_nMailSaveMode, 0, u"\t# (0:書換,1:追加,2:特定ﾌｧｲﾙへ追加)", E, 0, 2);
  t.Quoted(u"メール追加名", 5, &g_szMailAppendName, kEnvProgramCapacity, u"PAD", true);
  t.Quoted(u"Iメール宛先", 6, &g_szNetMailTo, kEnvTextCapacity, u"%5");
  t.Quoted(u"Iメール件名", 6, &g_szNetMailSubject, kEnvTextCapacity, u"第%n手、%Pに%Lです。");
  t.Quoted(u"Iメール本文", 6, &g_szNetMailBody, kEnvPathCapacity, u"%Oさん、こんにちは。%C%C%D");
  t.Int(u"Iメール自動作成", 2, &g_bNetMailAuto, 0, kTab);
  return std::move(t.items);
}

const std::vector<EnvItem>& Table() {
  static const std::vector<EnvItem> table = BuildTable();
  return table;
}

// Written never, read for older files: the comment window's mode alone.
const EnvItem& CommentShownItem() {
  static const EnvItem item = [] {
    EnvItem e;
    e.kind = Kind::kNumbers;
    e.key = u"コメント表示";
    e.fields = {ByteF(&g_nCommentWndMode, 3, Range::kEnum, 0, 3)};
    return e;
  }();
  return item;
}

const EnvItem* FindItem(std::u16string_view key) {
  static const std::unordered_map<std::u16string, const EnvItem*> index = [] {
    std::unordered_map<std::u16string, const EnvItem*> m;
    for (const EnvItem& e : Table())
      if (e.kind != Kind::kSection) m.emplace(e.key, &e);
    m.emplace(CommentShownItem().key, &CommentShownItem());
    return m;
  }();
  auto it = index.find(std::u16string(key));
  return it == index.end() ? nullptr : it->second;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\n' ||
         c == u'\u3000';
}

size_t SkipBlanks(std::u16string_view s, size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

size_t WordEnd(std::u16string_view s, size_t i) {
  while (i < s.size() && !IsBlank(s[i])) ++i;
  return i;
}

// A decimal integer at s[i]: blanks skipped, an optional sign, the digits.
// False when no digit follows; i moves past the number otherwise.
bool ParseInt(std::u16string_view s, size_t& i, long long& value) {
  size_t j = SkipBlanks(s, i);
  size_t end = 0;
  value = U16ToInt(s.substr(j), &end);
  if (end == 0) return false;
  i = j + end;
  return true;
}

constexpr size_t kMaxKeyLength = 99;

// Value text of a setting line: the colon's index, or npos when the line has
// none.
size_t ColonOf(std::u16string_view line) { return line.find(u':'); }

void ReadNumbers(const EnvItem& e, std::u16string_view line, size_t valueStart, bool hasWord) {
  if (e.fields.size() == 1) {
    // A single number is the first word of the value; a word without digits
    // counts as 0, a missing value changes nothing.
    if (!hasWord) return;
    size_t end = WordEnd(line, valueStart);
    e.fields[0].Store(U16ToInt(line.substr(valueStart, end - valueStart)));
    return;
  }
  std::vector<long long> values;
  size_t i = valueStart;
  long long v;
  while (values.size() < e.fields.size() && ParseInt(line, i, v)) values.push_back(v);
  if (values.size() < e.minCount) return;
  for (size_t k = 0; k < values.size(); ++k) e.fields[k].Store(values[k]);
}

void ReadMaxRecordSize(std::u16string_view line, size_t valueStart, bool hasWord) {
  if (!hasWord) return;
  size_t end = WordEnd(line, valueStart);
  long long v = U16ToInt(line.substr(valueStart, end - valueStart));
  if (v <= 0) return;  // 0 and below keep the limit as it was
  if (v < 500) v = 500;
  if (v > 1000000) v = 1000000;
  g_nMaxRecordSize = g_nMaxRecordSizeAtStart = static_cast<int>(v);
}

std::u16string WithoutLineEnds(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text)
    if (c != u'\r' && c != u'\n') out += c;
  return out;
}

// Quoted texts other than the tool arguments: a double quote inside is
// written as \" (a backslash alone stays as it is, so folder paths ending in
// a backslash read as before).
std::u16string EscapeQuotes(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'"') out += u'\\';
    out += c;
  }
  return out;
}

std::u16string Pad(const EnvItem& e) {
  return e.key + std::u16string(size_t(e.blanks), u' ') + u": ";
}

std::u16string NumbersText(const EnvItem& e) {
  std::u16string s;
  for (size_t k = 0; k < e.fields.size(); ++k) {
    if (k) s += u' ';
    s += IntToU16(e.fields[k].Get());
  }
  return s + e.suffix;
}

std::u16string FontText(const EnvFont& f) {
  return u"\"" + EscapeQuotes(WithoutLineEnds(f.face)) + u"\" " + IntToU16(f.size) + u" " + IntToU16(f.bold) +
         u" " + IntToU16(f.italic) + u"\t# 書体 大きさ ボールド イタリック";
}

}  // namespace

// ---------------------------------------------------------------------------
// Value parsers

namespace {

// Where the value of a string line starts: two units after the colon (the
// writer puts one blank there). npos when the line has no colon.
size_t StringValueStart(std::u16string_view line) {
  size_t colon = ColonOf(line);
  if (colon == std::u16string_view::npos) return colon;
  return std::min(line.size(), colon + 2);
}

}  // namespace

// The text between the quotes with each \" made a quote again.
std::u16string UnescapeQuotes(std::u16string_view body) {
  std::u16string out;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == u'\\' && i + 1 < body.size() && body[i + 1] == u'"') ++i;
    out += body[i];
  }
  return out;
}

void GetEnvStringValue(std::u16string_view line, std::u16string& dest, size_t capacity) {
  size_t start = StringValueStart(line);
  if (start == std::u16string_view::npos) return;
  std::u16string out;
  if (start < line.size() && line[start] == u'"') {
    // The closing quote is the last one of the line, so a quote inside the
    // text (written \") cannot end it early.
    size_t close = line.rfind(u'"');
    out = UnescapeQuotes(close > start ? line.substr(start + 1, close - start - 1) : line.substr(start + 1));
  } else {
    out = line.substr(start);
  }
  CutToCapacity(out, capacity);
  dest = std::move(out);
}

// Templates are written as they stand, so they are read as they stand, a
// leading double quote included.
static void GetEnvBareValue(std::u16string_view line, std::u16string& dest, size_t capacity) {
  size_t start = StringValueStart(line);
  if (start == std::u16string_view::npos) return;
  std::u16string out(line.substr(start));
  CutToCapacity(out, capacity);
  dest = std::move(out);
}

void GetEnvEscapedValue(std::u16string_view line, std::u16string& dest, size_t capacity) {
  size_t start = StringValueStart(line);
  if (start == std::u16string_view::npos) return;
  std::u16string out;
  if (start < line.size() && line[start] == u'"') {
    for (size_t i = start + 1; i < line.size(); ++i) {
      char16_t c = line[i];
      if (c == u'"') break;
      if (c == u'\\' && i + 1 < line.size() && (line[i + 1] == u'"' || line[i + 1] == u'\\'))
        c = line[++i];
      out += c;
    }
  } else {
    out = line.substr(start);
  }
  CutToCapacity(out, capacity);
  dest = std::move(out);
}

std::u16string EscapeEnvString(std::u16string_view source) {
  std::u16string out;
  out.reserve(source.size() * 2);
  for (char16_t c : source) {
    if (c == u'"' || c == u'\\') out += u'\\';
    out += c;
  }
  return out;
}

void GetEnvFontValue(EnvFont& font, std::u16string_view line) {
  size_t colon = ColonOf(line);
  if (colon == std::u16string_view::npos) return;
  size_t i = SkipBlanks(line, colon + 1);
  std::u16string face;
  if (i < line.size() && line[i] == u'"') {
    // A quote in the name is written \": the name ends at the first quote
    // not so written, or (a name ending in a backslash) at the last quote.
    size_t close = i + 1;
    while (close < line.size() && line[close] != u'"')
      close += line[close] == u'\\' && close + 1 < line.size() && line[close + 1] == u'"' ? 2 : 1;
    if (close >= line.size()) close = line.rfind(u'"');
    if (close <= i) close = line.size();
    face = UnescapeQuotes(line.substr(i + 1, close - i - 1));
    i = std::min(line.size(), close + 1);
  } else {
    size_t end = WordEnd(line, i);
    if (end == i) return;
    face = line.substr(i, end - i);
    i = end;
  }
  CutToCapacity(face, kEnvFontFaceCapacity);
  font.face = std::move(face);
  int* fields[3] = {&font.size, &font.bold, &font.italic};
  for (int* f : fields) {
    long long v;
    if (!ParseInt(line, i, v)) break;
    *f = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
  }
}

void ClampEnvFont(EnvFont& font, bool tenthsOfAPoint) {
  // Sizes any screen or page can show: up to 500 pixels high or 500 points.
  if (tenthsOfAPoint) font.size = std::clamp(font.size, 10, 5000);
  else font.size = std::clamp(font.size, -500, 500);
  font.bold = std::clamp(font.bold, 0, 1000);
  font.italic = std::clamp(font.italic, 0, 1);
}

// ---------------------------------------------------------------------------
// Reading

void ReadEnvLine(std::u16string_view line) {
  if (line.empty() || line[0] == u'#') return;
  // "key : value": the key is the first word; blanks, then a colon must
  // follow it.
  size_t keyStart = SkipBlanks(line, 0);
  size_t keyEnd = WordEnd(line, keyStart);
  if (keyEnd == keyStart || keyEnd - keyStart > kMaxKeyLength) return;
  size_t colon = SkipBlanks(line, keyEnd);
  if (colon == keyEnd || colon >= line.size() || line[colon] != u':') return;
  const EnvItem* e = FindItem(line.substr(keyStart, keyEnd - keyStart));
  if (!e) return;
  size_t valueStart = SkipBlanks(line, colon + 1);
  bool hasWord = valueStart < line.size();
  // The value parsers look for the first colon of the line: no known key
  // holds one, so it is the colon just found.
  switch (e->kind) {
    case Kind::kSection:
      break;
    case Kind::kNumbers:
      ReadNumbers(*e, line, valueStart, hasWord);
      break;
    case Kind::kMaxRecordSize:
      ReadMaxRecordSize(line, valueStart, hasWord);
      break;
    case Kind::kQuoted:
      if (e->keepIfEmpty && !hasWord) break;
      GetEnvStringValue(line, *e->text, e->capacity);
      break;
    case Kind::kBare:
      GetEnvBareValue(line, *e->text, e->capacity);
      break;
    case Kind::kToolArgs:
      GetEnvEscapedValue(line, *e->text, e->capacity);
      break;
    case Kind::kFont:
      GetEnvFontValue(*e->font, line);
      ClampEnvFont(*e->font, e->key.ends_with(u"ポイントフォント"));
      break;
  }
}

void ReadEnvBytes(std::string_view bytes) {
  TextLineReader reader;
  reader.OpenBytes(std::string(bytes), TextEncoding::Utf8);
  std::u16string line;
  while (reader.ReadLine(line)) ReadEnvLine(line);
  NormalizeFolderPath(g_szRecordFolder);
  NormalizeFolderPath(g_szPositionFolder);
  NormalizeFolderPath(g_szCommFolder);
}

int ReadEnvFile(std::u16string_view path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return -1;
  ReadEnvBytes(bytes);
  return 0;
}

// ---------------------------------------------------------------------------
// Writing

std::u16string FormatEnvFile() {
  std::u16string out = FormatU16(u"# %s %s 環境ファイル\r\n", g_szProductName, g_szVersion);
  for (const EnvItem& e : Table()) {
    switch (e.kind) {
      case Kind::kSection:
        out += e.key;
        break;
      case Kind::kNumbers:
        out += Pad(e) + NumbersText(e);
        break;
      case Kind::kMaxRecordSize:
        out += Pad(e) + IntToU16(g_nMaxRecordSize) + e.suffix;
        break;
      case Kind::kQuoted:
        out += Pad(e) + u"\"" + EscapeQuotes(WithoutLineEnds(*e.text)) + u"\"";
        break;
      case Kind::kBare:
        out += Pad(e) + WithoutLineEnds(*e.text);
        break;
      case Kind::kToolArgs:
        out += Pad(e) + u"\"" + EscapeEnvString(WithoutLineEnds(*e.text)) + u"\"";
        break;
      case Kind::kFont:
        out += Pad(e) + FontText(*e.font);
        break;
    }
    out += u"\r\n";
  }
  return out;
}

int WriteEnvFile(std::u16string_view path) {
  return WriteFileAtomically(path, Utf16ToUtf8(FormatEnvFile(), true)) ? 0 : -1;
}

// ---------------------------------------------------------------------------
// Start and exit

std::u16string EnvFilePath() { return g_szEnvFolder + g_szEnvName + u".ENV"; }

std::u16string EnvMissingMessage() {
  return FormatU16(u"環境ファイル(%s%s.ENV)が存在しませんので、標準設定で起動します。",
                   g_szEnvFolder.c_str(), g_szEnvName.c_str());
}

int ReadEnvAtStart() {
  g_bEnvUnreadable = 0;
  // The file is written with ".ENV"; ".env" is what hand-made and older
  // files may be called. The data folder comes first.
  for (const std::u16string* folder : {&g_szDataFolder, &g_szProgramFolder}) {
    for (const char16_t* ext : {u".ENV", u".env"}) {
      const std::u16string path = *folder + g_szEnvName + ext;
      if (ReadEnvFile(path) == 0) return 0;
      struct stat st;
      if (::stat(PathToNative(path).c_str(), &st) != 0) continue;
      // There, but not readable: the user's settings are in it, so it is
      // neither passed over for another file nor written over at exit.
      g_bDefaultSettings = 1;
      g_bEnvUnreadable = 1;
      Ui().PlayWarningSound();
      ShowMessage(FormatU16(u"環境ファイル(%s)が読み込めません。標準設定で起動します。", path.c_str()),
                  kMbOk | kMbIconWarning);
      return -1;
    }
  }
  g_bDefaultSettings = 1;
  if (g_bCmdLineEnv) {
    Ui().PlayWarningSound();
    ShowMessage(EnvMissingMessage(), kMbOk | kMbIconWarning);
  }
  return -1;
}

int WriteEnvAtExit() {
  if (g_bEnvUnreadable) return 0;  // the file that could not be read stays as it is
  std::u16string path = EnvFilePath();
  if (WriteEnvFile(path) == 0) return 0;
  ShowMessage(FormatU16(u"環境ファイル(%s)を保存できませんでした。", path.c_str()),
              kMbOk | kMbIconError);
  return -1;
}

// ---------------------------------------------------------------------------

void ResetEnvDefaults() {
  for (const EnvItem& e : Table()) {
    switch (e.kind) {
      case Kind::kNumbers:
        for (const NumField& f : e.fields) f.Put(f.def);
        break;
      case Kind::kQuoted:
      case Kind::kBare:
      case Kind::kToolArgs:
        *e.text = e.defText;
        break;
      case Kind::kFont:
        *e.font = e.defFont;
        break;
      case Kind::kSection:
      case Kind::kMaxRecordSize:
        break;
    }
  }
  g_nMaxRecordSize = g_nMaxRecordSizeAtStart = 10000;
  g_szPositionFolder.clear();
  g_nHistoryModeUser2 = g_nHistoryModeUser3 = g_nHistoryModeUser4 = g_nHistoryModeUser5 = 1;
  g_nSettingsPage = 0;
  g_bDefaultSettings = 0;
  g_bEnvUnreadable = 0;
}

std::u16string MapFontFace(std::u16string_view face) {
  if (face == u"ＭＳ 明朝" || face == u"MS Mincho") return u"IPAMincho";
  if (face == u"ＭＳ Ｐ明朝" || face == u"MS PMincho") return u"IPAPMincho";
  if (face == u"ＭＳ ゴシック" || face == u"MS Gothic") return u"IPAGothic";
  if (face == u"ＭＳ Ｐゴシック" || face == u"MS PGothic") return u"IPAPGothic";
  return std::u16string(face);
}

std::vector<std::u16string> MapFontFamilies(std::u16string_view face) {
  std::vector<std::u16string> families{MapFontFace(face)};
  // Where the IPA faces are missing the IPAex ones (always installed, they
  // draw the built-in pieces) are the nearest stand-ins.
  if (families[0] == u"IPAGothic" || families[0] == u"IPAPGothic")
    families.push_back(u"IPAexGothic");
  else if (families[0] == u"IPAMincho" || families[0] == u"IPAPMincho")
    families.push_back(u"IPAexMincho");
  return families;
}
