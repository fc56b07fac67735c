// The user settings: one global per key of the settings file, each starting
// at its built-in default, and the reading and writing of that file.
//
// Fixed-capacity texts are held as std::u16string. The capacity constant
// given beside each counts UTF-16 units including the terminating zero of the
// stored form, so a text holds at most capacity - 1 units; the reader cuts
// longer values, and code that stores into these globals should cut too
// (CutToCapacity).
#pragma once
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------
// Value types

// A colour setting: R, G, B, written "%d %d %d".
struct EnvColor {
  unsigned char r = 0;
  unsigned char g = 0;
  unsigned char b = 0;
  bool operator==(const EnvColor&) const = default;
};

// A font setting. The face is what the file holds (e.g. "ＭＳ ゴシック");
// where a font is created, MapFontFace gives the family to ask for. size is
// negative for a character height in logical units; the keys whose name
// holds ポイント hold tenths of a point. bold serves as the weight flag.
struct EnvFont {
  std::u16string face;  // kEnvFontFaceCapacity
  int size = 0;
  int bold = 0;
  int italic = 0;
  bool operator==(const EnvFont&) const = default;
};

// A window placement in pixels.
struct WindowPlacement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowPlacement&) const = default;
};

// Capacities (UTF-16 units including the terminating zero).
constexpr size_t kEnvPathCapacity = 1024;      // folders, files, long templates
constexpr size_t kEnvTextCapacity = 256;       // templates, tool texts, WAVE file
constexpr size_t kEnvProgramCapacity = 512;    // sibling programs, mail file name
constexpr size_t kEnvUserInfoCapacity = 101;   // names of user-defined items
constexpr size_t kEnvFontFaceCapacity = 256;
constexpr size_t kEnvNameCapacity = 100;       // base name of the settings file
constexpr int kToolEntryCount = 5;
constexpr int kUserInfoCount = 5;

// Cuts text to at most capacity - 1 units.
void CutToCapacity(std::u16string& text, size_t capacity);

// ---------------------------------------------------------------------------
// Product identity (first line of the settings file and of record files)

extern const char16_t g_szProductName[];  // "Sorvane V7"
extern const char16_t g_szVersion[];      // "V7.50"

// ---------------------------------------------------------------------------
// The settings file itself

extern std::u16string g_szEnvName;    // base name, "NARVO"; kEnvNameCapacity
extern std::u16string g_szEnvFolder;  // folder it is written to; kEnvPathCapacity
extern int g_bCmdLineEnv;             // the base name came from /E or /e
extern int g_bDefaultSettings;        // no settings file could be read at start
extern int g_bEnvUnreadable;          // one was there but could not be read: it is not written at exit

// ---------------------------------------------------------------------------
// パス

extern std::u16string g_szRecordFolder;    // 棋譜パス, kEnvPathCapacity
extern std::u16string g_szCommFolder;      // 通信パス, kEnvPathCapacity
extern std::u16string g_szPositionFolder;  // not in the file; kEnvPathCapacity

// ---------------------------------------------------------------------------
// 表示

extern WindowPlacement g_rcMainWindow;       // ウィンドウ: 5 20 655 524
extern unsigned char g_bShowMoveListWnd;     // 棋譜ウィンドウ: 1
extern WindowPlacement g_rcMoveListWnd;      //   10 290 115 180
extern int g_nMoveListStyle;                 //   0
extern int g_bShowSioriNames;                // しおり名表示: 1
extern int g_nBranchWndMode;                 // 分岐ウィンドウ: 2 (0 hidden, 1 always, 2 at branches)
extern WindowPlacement g_rcBranchWnd;        //   10 350 110 130
extern unsigned char g_nCommentWndMode;      // コメントウィンドウ: 3
extern WindowPlacement g_rcCommentWnd;       //   10 540 400 200
extern unsigned char g_nPieceSet;            // 駒の種類: 5
extern int g_bExternalPieces;                // 外部駒: 0
extern std::u16string g_szPieceBmpFile;      // 駒BMP, kEnvPathCapacity
extern unsigned char g_nBoardKind;           // 盤の種類: 0
extern unsigned char g_nStandKind;           // 駒台の種類: 1
extern EnvColor g_rgbBoard;                  // 盤面色: 237 170 86
extern EnvColor g_rgbPieceBox;               // 駒箱色: 188 126 79
extern EnvColor g_rgbBackground;             // 背景色: 128 128 128
extern EnvColor g_rgbLastPiece;              // 最終駒の色: 255 255 255
extern EnvColor g_rgbLastSquare;             // 最終枡の色: 206 132 57
extern EnvColor g_rgbLastFrom;               // 最終駒移動元の色: 224 178 131
extern EnvColor g_rgbCurrentMove;            // 最終手の色: 255 255 0
extern EnvColor g_rgbVariation;              // 棋譜変化の色: 224 224 224
extern unsigned char g_nLastMoveMark;        // 最終駒表示: 2
extern int g_bShowMoveOrigin;                // 最終駒移動元: 1
extern unsigned char g_nMoveNotation;        // 指し手表記: 2 (0..3)
extern EnvFont g_fontCoords;                 // 段筋フォント
extern EnvFont g_fontInfo;                   // 情報フォント
extern EnvFont g_fontComment;                // コメントフォント
extern EnvFont g_fontCommentPt;              // コメントポイントフォント
extern EnvFont g_fontStatus;                 // ステータスフォント
extern EnvFont g_fontMoveList;               // 棋譜フォント
extern EnvFont g_fontMoveListPt;             // 棋譜ポイントフォント
extern unsigned char g_bEmphasizeTurn;       // 手番強調表示: 1
extern std::u16string g_szInfoFormat1;       // 情報表示書式1: "%g", kEnvTextCapacity
extern std::u16string g_szInfoFormat2;       // 情報表示書式2: "%i"
extern std::u16string g_szInfoFormat3;       // 情報表示書式3: empty
extern std::u16string g_szProblemInfoFormat1;  // 情報表示書式詰1: "作者：%/3"
extern std::u16string g_szProblemInfoFormat2;  // 情報表示書式詰2: "発表：%/4"
extern std::u16string g_szProblemInfoFormat3;  // 情報表示書式詰3: "作品：%/2"

// ---------------------------------------------------------------------------
// サウンド

extern unsigned char g_bWarningSound;        // 警告音: 1
extern unsigned char g_nPieceSound;          // 駒音種類: 2 (0..4)
extern std::u16string g_szUserWave;          // ユーザWAVE, kEnvTextCapacity

// ---------------------------------------------------------------------------
// 動作

extern unsigned char g_bAskReplayOnLoad;     // 棋譜読込選択: 0
extern int g_nLoadPosition;                  // 棋譜読込局面: 0 (0..4)
extern unsigned char g_bCheckRules;          // ルール確認: 1
extern unsigned char g_nReplaySpeed;         // 再現速度: 5 (tenths of a second)
extern int g_nAnimationSpeed;                // アニメ速度: 1 (0..3)
extern int g_nStopAtComment;                 // コメント停止: 2 (0..2)
extern int g_nCommentWaitMs;                 // コメント待ち時間: 1000
extern int g_nStopAtBranch;                  // 分岐停止: 1 (0..2)
extern int g_nBranchWaitMs;                  // 分岐待ち時間: 1000
extern int g_bDetectRepetition;              // 再現時の千日手検出: 1
extern int g_bMouseWheelMoves;               // 棋譜マウスホイール対応: 1
extern int g_bConfirmSave;                   // 棋譜保存確認: 1
extern unsigned char g_bAutoSave;            // 棋譜自動保存: 1
extern std::u16string g_szDefaultSaveName;   // 棋譜保存初期名: "%G%b4%w4", kEnvTextCapacity
extern int g_bCheckCommentNotation;          // コメントのミス指摘: 1
extern int g_bCheckCommentMarks;             // コメントのマークなし指摘: 0
extern int g_bUnicodeClipboard;              // UNICODEクリップボード: 0
extern std::u16string g_szRecordDbProgram;   // 棋譜データベース: "lorquen.exe", kEnvProgramCapacity
extern std::u16string g_szProblemDbProgram;  // 詰将棋データベース: "brisqua.exe", kEnvProgramCapacity
extern int g_bUseEDovu2;                     // eDovu2使用: 0
extern std::u16string g_szToolMenu[kToolEntryCount];     // ツールメニュー1..5, kEnvTextCapacity
extern std::u16string g_szToolCommand[kToolEntryCount];  // ツールコマンド1..5
extern std::u16string g_szToolArgs[kToolEntryCount];     // ツール引数1..5 (escaped in the file)
extern int g_nHistorySize;                   // 情報履歴数: 20 (0..20)
extern int g_nHistoryModePlayers;            // 対局者履歴: 1 (0..2)
extern int g_nHistoryModeEvent;              // 棋戦履歴: 1
extern int g_nHistoryModeOpening;            // 戦型履歴: 1
extern int g_nHistoryModeTimeLimit;          // 持ち時間履歴: 1
extern int g_nHistoryModePlace;              // 場所履歴: 1
extern int g_nHistoryModePublication;        // 掲載履歴: 1
extern int g_nHistoryModeUser;               // ユーザ履歴: 1
// History modes of user-defined items 2 to 5: not in the file, 1 at start;
// the history page sets them together with g_nHistoryModeUser.
extern int g_nHistoryModeUser2;
extern int g_nHistoryModeUser3;
extern int g_nHistoryModeUser4;
extern int g_nHistoryModeUser5;

// ---------------------------------------------------------------------------
// 印刷

extern std::u16string g_szPrintBoardHeader;  // 印刷盤面書式, kEnvPathCapacity
extern std::u16string g_szPrintRecordHeader; // 印刷棋譜書式, kEnvPathCapacity
extern EnvFont g_fontPrint;                  // 印刷フォント
extern EnvFont g_fontPrintPt;                // 印刷ポイントフォント
extern int g_nPrintMovesPerLine;             // 印刷棋譜カラム: 6
extern int g_nPrintLeftMarginMm;             // 印刷左端余白: 10
extern int g_nPrintTopMarginMm;              // 印刷上端余白: 10
extern int g_nPrintLineSpacing;              // 印刷行間隔: 0 (tenths of a mm)
extern int g_bPrintComments;                 // 棋譜コメント印刷: 1
extern int g_bPrintNamesVertical;            // 印刷対局者名縦: 1
extern int g_nPrintBlackNameChars;           // 印刷先手名字数: 3
extern int g_nPrintWhiteNameChars;           // 印刷後手名字数: 3
extern int g_bPrintUnicodeMarks;             // 印刷UNICODE: 1
extern int g_bImageTrim;                     // トリミングあり: 1
extern int g_rcImageTrim[4];                 // トリミング領域: 66 77 316 329
extern std::u16string g_szImageFileNameFormat;  // 画像ファイル名書式: "%M%f%N手", kEnvTextCapacity
extern EnvFont g_fontPrintHand;              // 印刷持駒フォント
extern EnvFont g_fontPrintHandPt;            // 印刷ポイント持駒フォント

// ---------------------------------------------------------------------------
// 棋譜

extern int g_nMaxRecordSize;                 // 棋譜最大サイズ: 10000 (500..1000000)
extern int g_nMaxRecordSizeAtStart;          // the limit in force for this run
// 棋譜追加モード is the record's own append mode, g_Record.appendMode: 1
extern int g_nDragonGlyph;                   // 棋譜竜表記: 0
extern int g_bDropMarkOnLast;                // 棋譜最終手の打: 0
extern int g_bWriteZeroTimes;                // 消費時間０: 0
extern unsigned char g_nZr2MovesPerLine;     // ZR2カラム: 6
extern unsigned char g_nZr2Style;            // ZR2形式: 2 (0..3; 4 and above: display notation)
extern int g_bZr2HalfWidth;                  // ZR2半角形式: 0
extern int g_nZr2HalfWidthMovesPerLine;      // ZR2半角カラム: 8
extern int g_bZrfOmitTimes;                  // ZRF時間省略: 0
extern int g_bCommentAutoWrap;               // コメント自動改行: 0
extern int g_nCommentWrapColumn;             // コメント改行桁: 80 (>= 1)
extern int g_nRecordTree1;                   // 棋譜ツリー: 8 0 10 8
extern int g_nRecordTree2;
extern int g_nRecordTree3;
extern int g_nRecordTree4;
extern unsigned char g_nDefaultFormat;       // 標準棋譜: 0 (0 ZRF, 1 ZR2)
extern unsigned char g_bBackup;              // バックアップ: 0
extern int g_bSaveUtf8;                      // 棋譜保存UTF8: 0
extern int g_bDovuExtension;                 // 棋譜名dovu: 1
extern std::u16string g_szUserInfoName[kUserInfoCount];  // ユーザ定義情報１..５, kEnvUserInfoCapacity
extern int g_bAutoElapsedTime;               // 消費時間自動設定: 0
extern int g_bAutoEndDate;                   // 終了日時自動設定: 1
extern std::u16string g_szBoardTextFormat;   // 盤面書式, kEnvTextCapacity
extern std::u16string g_szEngBoardTextFormat;  // 英語盤面書式, kEnvTextCapacity
extern int g_nEngRecordStyle;                // 英語棋譜形式: 0
extern int g_nEngMovesPerLine;               // 英語カラム: 8

// ---------------------------------------------------------------------------
// メール

extern std::u16string g_szMailFormat1;       // メール書式１, kEnvPathCapacity
extern std::u16string g_szMailFormat2;       // メール書式２, kEnvPathCapacity
extern unsigned char g_nMailSaveMode;        // メール保存: 0 (0..2)
extern std::u16string g_szMailAppendName;    // メール追加名: "PAD", kEnvProgramCapacity
extern std::u16string g_szNetMailTo;         // Iメール宛先: "%5", kEnvTextCapacity
extern std::u16string g_szNetMailSubject;    // Iメール件名, kEnvTextCapacity
extern std::u16string g_szNetMailBody;       // Iメール本文, kEnvPathCapacity
extern int g_bNetMailAuto;                   // Iメール自動作成: 0

// ---------------------------------------------------------------------------
// Not in the file

extern int g_nSettingsPage;                  // page the settings sheet opens on: 0

// ---------------------------------------------------------------------------
// Reading and writing

// Puts every setting (those of the file and the others above) back to its
// built-in default; the settings file name and folder are left alone.
void ResetEnvDefaults();

// Reads the settings file at path into the globals: only the keys it holds
// change, the last of repeated keys winning; unknown keys and malformed lines
// are passed over. Lines are taken whole, whatever their length; texts are
// cut to their capacity. Byte settings keep their number modulo 256; numbers
// outside what the settings pages accept are then pulled into range (counts,
// sizes, waits) or give the default (choices such as 指し手表記 or 駒の種類);
// 棋譜最大サイズ of 0 or less keeps the limit.
// Then 棋譜パス, 通信パス and g_szPositionFolder are normalised.
// 0 when the file was read (whatever its content), -1 when it cannot be
// opened (nothing changes then).
int ReadEnvFile(std::u16string_view path);
// The same over the file's bytes (UTF-8, with or without a byte-order mark,
// CR LF or LF line ends).
void ReadEnvBytes(std::string_view bytes);
// One line of the file, without its line end.
void ReadEnvLine(std::u16string_view line);

// The whole file as text, from the current values, lines ending in CR LF
// (no byte-order mark: that is added when the file is written).
std::u16string FormatEnvFile();
// Writes the settings file at path (UTF-8 with a byte-order mark) through a
// temporary file in the same folder that is then renamed over the old one.
// 0 on success; -1 when it could not be written (the old file is intact).
int WriteEnvFile(std::u16string_view path);

// Start-up: reads "<data folder><name>.ENV", else "<name>.env" there, else
// the same two names in the program folder. When none can be read: sets
// g_bDefaultSettings, and when the name came from the command line
// (g_bCmdLineEnv) plays the warning sound and shows EnvMissingMessage in a
// warning box; returns -1. Else 0. A file that is there but cannot be read
// (no permission, a folder, too large) ends the search: the defaults are
// used, g_bEnvUnreadable is set and the user is told in a warning box.
int ReadEnvAtStart();
// "環境ファイル(%s%s.ENV)が存在しませんので、標準設定で起動します。"
std::u16string EnvMissingMessage();
// Exit: writes "<g_szEnvFolder><name>.ENV"; a failure is reported in an
// error box. 0 or -1. Nothing is written while g_bEnvUnreadable is set. (The FTP destination file is written by its own code.)
int WriteEnvAtExit();
// Full path the settings are written to: g_szEnvFolder + g_szEnvName + ".ENV".
std::u16string EnvFilePath();

// Value parsers of one file line (the key, blanks, a colon and the value).
// Each leaves dest unchanged when the line has no colon and cuts the copy at
// capacity - 1 units. The value starts two units after the colon (the writer
// puts one blank there).
// GetEnvStringValue: a value that begins with a double quote runs to the last
// double quote of the line, with \" taken as a double quote; any other value
// is the rest of the line.
void GetEnvStringValue(std::u16string_view line, std::u16string& dest, size_t capacity);
// GetEnvEscapedValue (tool arguments): inside the quotes \" and \\ stand for
// " and \; the first other double quote ends the text.
void GetEnvEscapedValue(std::u16string_view line, std::u16string& dest, size_t capacity);
// A quoted face (or a bare first word), then up to three integers for size,
// bold and italic; fields whose integer is missing keep their values.
void GetEnvFontValue(EnvFont& font, std::u16string_view line);
// Holds a font read from the file to sizes a screen or page can show (tenths
// of a point for the ポイントフォント keys, else a height), a weight of 0..1000
// and an italic flag of 0 or 1.
void ClampEnvFont(EnvFont& font, bool tenthsOfAPoint);
// Tool arguments in the file: '"' becomes '\"' and '\' becomes '\\'.
std::u16string EscapeEnvString(std::u16string_view source);

// The family to create a font with for a face name the file keeps:
// "ＭＳ 明朝" → "IPAMincho", "ＭＳ ゴシック" → "IPAGothic" (monospaced: a
// half-width advance is exactly half a full-width one, so columns counted in
// half-width units line up), "ＭＳ Ｐゴシック" → "IPAPGothic", "ＭＳ Ｐ明朝" →
// "IPAPMincho"; any other face is returned unchanged.
std::u16string MapFontFace(std::u16string_view face);
// The same with the families to fall back on, in order (for a font request
// that takes a list): the IPA faces fall back on their IPAex kin.
std::vector<std::u16string> MapFontFamilies(std::u16string_view face);
