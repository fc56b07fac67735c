#include "settings/settings_pages_qt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/file_commands.h"
#include "record/history.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/env.h"
#include "settings/settings_sheet_qt.h"
#include "view/narvo_view.h"
#include "view/sounds.h"

namespace {

QString T(const char16_t* s) { return QString::fromUtf16(s); }

SpinEdit* Spin(QWidget* parent, int low, int high) {
  auto* s = new SpinEdit(parent);
  s->SetSpinRange(low, high);
  return s;
}

QCheckBox* Check(QWidget* parent, const char16_t* text) { return new QCheckBox(T(text), parent); }

// Radio buttons with ids 0.. in the order given, laid out in `into`.
QButtonGroup* Radios(QWidget* parent, QBoxLayout* into, std::initializer_list<const char16_t*> labels) {
  auto* group = new QButtonGroup(parent);
  int id = 0;
  for (const char16_t* l : labels) {
    auto* b = new QRadioButton(T(l), parent);
    group->addButton(b, id++);
    into->addWidget(b);
  }
  return group;
}

QGroupBox* Group(QWidget* parent, const char16_t* title, QLayout* layout) {
  auto* box = new QGroupBox(T(title), parent);
  box->setLayout(layout);
  return box;
}

QPlainTextEdit* MultiEdit(QWidget* parent, int lines) {
  auto* e = new QPlainTextEdit(parent);
  e->setLineWrapMode(QPlainTextEdit::NoWrap);
  e->setTabChangesFocus(true);
  e->setFixedHeight(e->fontMetrics().lineSpacing() * lines + 12);
  return e;
}

// A label, the field, and an optional unit after it, in one row.
QHBoxLayout* Row(QWidget* parent, const char16_t* label, QWidget* field, const char16_t* unit = nullptr) {
  auto* row = new QHBoxLayout;
  if (label) row->addWidget(new QLabel(T(label), parent));
  row->addWidget(field);
  if (unit) row->addWidget(new QLabel(T(unit), parent));
  row->addStretch(1);
  return row;
}

CtrlHeldFunction& CtrlSlot() {
  static CtrlHeldFunction slot;
  return slot;
}

bool CtrlHeld() {
  if (CtrlSlot()) return CtrlSlot()();
  return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

bool ChooseWithQFontDialog(QWidget* parent, PrintFontChoice& f) {
  QFont initial(QString::fromStdU16String(MapFontFace(f.face)));
  if (f.pointTenths > 0) initial.setPointSizeF(f.pointTenths / 10.0);
  initial.setWeight(QFont::Weight(f.weight >= 100 ? f.weight : f.weight ? 700 : 400));
  initial.setItalic(f.italic != 0);
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, initial, parent, T(u"フォント"));
  if (!ok) return false;
  f.face = chosen.family().toStdU16String();
  f.pointTenths = int(chosen.pointSizeF() * 10 + 0.5);
  f.weight = chosen.weight();
  f.italic = chosen.italic() ? 1 : 0;
  return true;
}

PrintFontChooser& FontSlot() {
  static PrintFontChooser slot = ChooseWithQFontDialog;
  return slot;
}

// The folder a file dialog starts in: the field's text before its last separator.
std::u16string FolderOf(const QString& path) {
  qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
  return cut > 0 ? path.left(cut).toStdU16String() : std::u16string();
}

// The open dialog of a browse button; the chosen path or empty.
QString BrowseForFile(const char16_t* title, const char16_t* filter, const char16_t* patterns,
                      const QString& current) {
  FileDialogRequest r;
  r.title = title;
  r.folder = FolderOf(current);
  r.filters = {{filter, patterns}};
  FileDialogResult answer = RunFileDialog(g_pView, r);
  if (answer.answer < 0) {
    ShowMessage(FormatU16(u"GetOpenFileName でエラー #%ld が発生しました", answer.errorCode),
                kMbOk | kMbIconError, u"警告");
    return QString();
  }
  if (answer.answer == 0) return QString();
  return QString::fromStdU16String(r.fileName);
}

}  // namespace

CtrlHeldFunction SetCtrlHeldQuery(CtrlHeldFunction query) {
  CtrlHeldFunction previous = CtrlSlot();
  CtrlSlot() = std::move(query);
  return previous;
}

PrintFontChooser SetPrintFontChooser(PrintFontChooser chooser) {
  PrintFontChooser previous = FontSlot();
  FontSlot() = chooser ? std::move(chooser) : PrintFontChooser(ChooseWithQFontDialog);
  return previous;
}

// ---- 棋譜 ------------------------------------------------------------------------

CDovuPage::CDovuPage() {
  auto* marksRow = new QHBoxLayout;
  marks = Radios(this, marksRow, {u"▲△", u"▲▽"});
  auto* formatRow = new QHBoxLayout;
  format = Radios(this, formatRow, {u"ZRF(&F)", u"ZR2(&2)"});

  zr2Columns = Spin(this, 1, 100);
  halfColumns = Spin(this, 1, 100);
  auto* zr2Grid = new QGridLayout;
  halfWidth = new QButtonGroup(this);
  auto* full = new QRadioButton(T(u"全角(&Z)"), this);
  auto* half = new QRadioButton(T(u"半角(&H)"), this);
  halfWidth->addButton(full, 0);
  halfWidth->addButton(half, 1);
  zr2Grid->addWidget(full, 0, 0);
  zr2Grid->addLayout(Row(this, u"手／行：", zr2Columns), 0, 1);
  zr2Grid->addWidget(half, 1, 0);
  zr2Grid->addLayout(Row(this, u"手／行：", halfColumns), 1, 1);

  wrap = Check(this, u"コメントの自動改行(&L)");
  wrapColumn = Spin(this, 1, 1000);
  boardFormat = MultiEdit(this, 3);
  maxRecord = Spin(this, 500, 1000000);
  maxRecord->SetAcceleration(100, 500, 2000);
  omitTimes = Check(this, u"時間が0なら出力しない(&ZRF)");
  dropMark = Check(this, u"最終手に打を付ける(&U)");
  zeroTimes = Check(this, u"棋譜入力時、消費時間を0に(&0)");
  autoElapsed = Check(this, u"消費時間の自動設定(&S)");
  autoEndDate = Check(this, u"終了日時の自動設定(&E)");
  backup = Check(this, u"バックアップ(&B)");
  utf8 = Check(this, u"UTF8で保存(&8)");

  auto* left = new QVBoxLayout;
  left->addWidget(Group(this, u"棋譜の指し手", marksRow));
  left->addWidget(Group(this, u"標準棋譜形式", formatRow));
  left->addWidget(Group(this, u"棋譜(ZR2)形式", zr2Grid));
  auto* wrapRow = new QHBoxLayout;
  wrapRow->addWidget(wrap);
  wrapRow->addWidget(wrapColumn);
  wrapRow->addWidget(new QLabel(T(u"文字(半角)"), this));
  wrapRow->addStretch(1);
  left->addLayout(wrapRow);
  left->addWidget(new QLabel(T(u"局面書式："), this));
  left->addWidget(boardFormat);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addLayout(Row(this, u"棋譜最大：", maxRecord, u"手"));
  for (QWidget* w : {(QWidget*)omitTimes, (QWidget*)dropMark, (QWidget*)zeroTimes,
                     (QWidget*)autoElapsed, (QWidget*)autoEndDate, (QWidget*)backup, (QWidget*)utf8})
    right->addWidget(w);
  right->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 3);
  layout->addLayout(right, 2);

  connect(wrap, &QCheckBox::clicked, this, [this] {
    UpdateData(true);
    wrapColumn->setEnabled(wrap->isChecked());
  });
}

void CDovuPage::DoDataExchange(DataExchange& dx) {
  dx.Radio(marks, m_nZr2Marks);
  dx.Radio(format, m_nDefaultFormat);
  dx.Radio(halfWidth, m_bZr2HalfWidth);
  // Kept in a byte: a larger count would come back as another number.
  dx.UnsignedRange(zr2Columns, m_nZr2Columns, 0, 255);
  dx.Unsigned(halfColumns, m_nZr2HalfColumns);
  dx.Check(wrap, m_bCommentWrap);
  dx.Unsigned(wrapColumn, m_nWrapColumn);
  dx.Text(boardFormat, m_strBoardFormat);
  dx.UnsignedRange(maxRecord, m_nMaxRecordSize, 500, 1000000);
  dx.Check(omitTimes, m_bZrfOmitTimes);
  dx.Check(dropMark, m_bDropMarkOnLast);
  dx.Check(zeroTimes, m_bZeroTimes);
  dx.Check(autoElapsed, m_bAutoElapsed);
  dx.Check(autoEndDate, m_bAutoEndDate);
  dx.Check(backup, m_bBackup);
  dx.Check(utf8, m_bSaveUtf8);
}

void CDovuPage::OnInitDialog() {
  wrapColumn->setEnabled(m_bCommentWrap != 0);
  CPropertyPage::OnInitDialog();
}

void CDovuPage::OnSetActive() {
  g_nSettingsPage = 0;
  CPropertyPage::OnSetActive();
}

// ---- 情報 ------------------------------------------------------------------------

CInfoPage::CInfoPage() {
  auto* grid = new QGridLayout(this);
  static const char16_t* const userLabels[5] = {u"ユーザー定義キー1：", u"ユーザー定義キー2：",
                                                 u"ユーザー定義キー3：", u"ユーザー定義キー4：",
                                                 u"ユーザー定義キー5："};
  static const char16_t* const infoLabels[3] = {u"表示情報1：", u"表示情報2：", u"表示情報3："};
  static const char16_t* const problemLabels[3] = {u"詰将棋1：", u"詰将棋2：", u"詰将棋3："};
  int row = 0;
  for (int i = 0; i < 5; ++i, ++row) {
    grid->addWidget(new QLabel(T(userLabels[i]), this), row, 0);
    grid->addWidget(user[i] = new QLineEdit(this), row, 1);
  }
  for (int i = 0; i < 3; ++i, ++row) {
    grid->addWidget(new QLabel(T(infoLabels[i]), this), row, 0);
    grid->addWidget(info[i] = new QLineEdit(this), row, 1);
  }
  for (int i = 0; i < 3; ++i, ++row) {
    grid->addWidget(new QLabel(T(problemLabels[i]), this), row, 0);
    grid->addWidget(problem[i] = new QLineEdit(this), row, 1);
  }
  grid->setRowStretch(row, 1);
}

void CInfoPage::DoDataExchange(DataExchange& dx) {
  for (int i = 0; i < 5; ++i) dx.Text(user[i], m_strUser[i], 100);
  for (int i = 0; i < 3; ++i) dx.Text(info[i], m_strInfo[i], 255);
  for (int i = 0; i < 3; ++i) dx.Text(problem[i], m_strProblem[i], 255);
}

void CInfoPage::OnSetActive() {
  g_nSettingsPage = 1;
  CPropertyPage::OnSetActive();
}

// ---- メール ----------------------------------------------------------------------

CIntMailPage::CIntMailPage() {
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(T(u"インターネットメールの設定"), this), 0, 0, 1, 2);
  grid->addWidget(new QLabel(T(u"宛先："), this), 1, 0);
  grid->addWidget(to = new QLineEdit(this), 1, 1);
  grid->addWidget(new QLabel(T(u"件名："), this), 2, 0);
  grid->addWidget(subject = new QLineEdit(this), 2, 1);
  grid->addWidget(new QLabel(T(u"本文："), this), 3, 0, Qt::AlignTop);
  grid->addWidget(body = MultiEdit(this, 8), 3, 1);
  grid->addWidget(autoCreate = Check(this, u"中断でメールを作成する(&A)"), 4, 1);
  grid->setRowStretch(5, 1);
}

void CIntMailPage::DoDataExchange(DataExchange& dx) {
  dx.Text(body, m_strBody, 1023);
  dx.Text(subject, m_strSubject, 255);
  dx.Text(to, m_strTo, 255);
  dx.Check(autoCreate, m_bAuto);
}

// ---- メール2 ---------------------------------------------------------------------

CMailPage::CMailPage() {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(T(u"ﾒｰﾙ書式(1)："), this));
  layout->addWidget(format1 = MultiEdit(this, 4));
  layout->addWidget(new QLabel(T(u"ﾒｰﾙ書式(2)："), this));
  layout->addWidget(format2 = MultiEdit(this, 4));
  auto* modes = new QHBoxLayout;
  saveMode = Radios(this, modes, {u"書き換え", u"追加", u"指定ﾌｧｲﾙへ追加"});
  appendName = new QLineEdit(this);
  modes->addWidget(appendName);
  auto* box = new QVBoxLayout;
  box->addLayout(modes);
  path = new QLineEdit(this);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(new QLabel(T(u"パス："), this));
  pathRow->addWidget(path, 1);
  box->addLayout(pathRow);
  layout->addWidget(Group(this, u"ﾒｰﾙ出力", box));
  layout->addStretch(1);
  connect(saveMode, &QButtonGroup::idClicked, this,
          [this](int id) { appendName->setEnabled(id == 2); });
}

void CMailPage::DoDataExchange(DataExchange& dx) {
  dx.Text(format1, m_strFormat1, 1024);
  dx.Text(format2, m_strFormat2, 1024);
  dx.Radio(saveMode, m_nSaveMode);
  dx.Text(path, m_strPath, 512);
  dx.Text(appendName, m_strAppendName, 511);
}

void CMailPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  appendName->setEnabled(m_nSaveMode == 2);
}

// ---- サウンド --------------------------------------------------------------------

CSndPage::CSndPage() {
  auto* radios = new QVBoxLayout;
  sound = Radios(this, radios, {u"なし", u"ビープ", u"駒音1", u"駒音2", u"外部WAVE"});
  wave = new QLineEdit(this);
  wave->setMinimumWidth(260);
  browse = new QPushButton(T(u"参照(&R)..."), this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(T(u"WAVEﾌｧｲﾙ："), this));
  fileRow->addWidget(wave, 1);
  fileRow->addWidget(browse);
  radios->addLayout(fileRow);
  test = new QPushButton(T(u"駒音ﾃｽﾄ(&T)"), this);
  auto* testRow = new QHBoxLayout;
  testRow->addWidget(test);
  testRow->addStretch(1);
  radios->addLayout(testRow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Group(this, u"駒音", radios));
  layout->addWidget(warning = Check(this, u"警告音(&S)"));
  layout->addStretch(1);
  connect(sound, &QButtonGroup::idClicked, this, [this](int id) { EnableFile(id == 4); });
  connect(test, &QPushButton::clicked, this, &CSndPage::OnTest);
  connect(browse, &QPushButton::clicked, this, &CSndPage::OnBrowse);
}

void CSndPage::DoDataExchange(DataExchange& dx) {
  dx.Radio(sound, m_nPieceSound);
  dx.Text(wave, m_strWave, 255);
  dx.Check(warning, m_bWarning);
}

void CSndPage::EnableFile(bool on) {
  wave->setEnabled(on);
  browse->setEnabled(on);
}

void CSndPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  EnableFile(m_nPieceSound == 4);
}

void CSndPage::OnTest() {
  if (!UpdateData(true)) return;
  // The page's choice is played; the settings are put back at once.
  unsigned char keptSound = g_nPieceSound;
  std::u16string keptWave = g_szUserWave;
  g_nPieceSound = (unsigned char)m_nPieceSound;
  g_szUserWave = m_strWave;
  PlayPieceSound();
  g_nPieceSound = keptSound;
  g_szUserWave = keptWave;
}

void CSndPage::OnBrowse() {
  if (!UpdateData(true)) return;
  QString chosen = BrowseForFile(u"WAVEファイルの設定", u"WAVE(*.WAV)", u"*.WAV;*.wav", wave->text());
  if (!chosen.isEmpty()) wave->setText(chosen);
}

// ---- 印刷 ------------------------------------------------------------------------

CPrintPage::CPrintPage() {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(T(u"局面印刷書式："), this));
  layout->addWidget(boardHeader = MultiEdit(this, 4));
  layout->addWidget(new QLabel(T(u"棋譜印刷書式："), this));
  layout->addWidget(recordHeader = MultiEdit(this, 4));
  movesPerLine = Spin(this, 1, 100);
  lineSpacing = Spin(this, -1000, 1000);
  leftMargin = Spin(this, 0, 1000);
  topMargin = Spin(this, 0, 1000);
  blackChars = Spin(this, 0, 50);
  whiteChars = Spin(this, 0, 50);
  auto* grid = new QGridLayout;
  grid->addLayout(Row(this, u"手数／行：", movesPerLine), 0, 0);
  grid->addLayout(Row(this, u"行間隔：", lineSpacing, u"/10 mm"), 1, 0);
  grid->addLayout(Row(this, u"左端余白：", leftMargin, u"mm"), 2, 0);
  grid->addLayout(Row(this, u"上端余白：", topMargin, u"mm"), 3, 0);
  grid->addWidget(comments = Check(this, u"棋譜のコメントを印刷(&C)"), 0, 1);
  grid->addWidget(namesVertical = Check(this, u"対局者名の縦書き(&T)"), 1, 1);
  grid->addLayout(Row(this, u"先手名の文字数：", blackChars), 2, 1);
  grid->addLayout(Row(this, u"後手名の文字数：", whiteChars), 3, 1);
  grid->addWidget(unicode = Check(this, u"UNICODE(&U)"), 4, 1);
  layout->addLayout(grid);
  layout->addStretch(1);
  connect(namesVertical, &QCheckBox::clicked, this, [this] {
    UpdateData(true);
    blackChars->setEnabled(namesVertical->isChecked());
    whiteChars->setEnabled(namesVertical->isChecked());
  });
}

void CPrintPage::DoDataExchange(DataExchange& dx) {
  dx.Text(boardHeader, m_strBoardHeader);
  dx.Text(recordHeader, m_strRecordHeader);
  dx.Unsigned(movesPerLine, m_nMovesPerLine);
  dx.Int(lineSpacing, m_nLineSpacing);
  dx.Unsigned(leftMargin, m_nLeftMargin);
  dx.Unsigned(topMargin, m_nTopMargin);
  dx.Check(comments, m_bComments);
  dx.Check(namesVertical, m_bNamesVertical);
  dx.UnsignedRange(blackChars, m_nBlackChars, 0, 50);
  dx.UnsignedRange(whiteChars, m_nWhiteChars, 0, 50);
  dx.Check(unicode, m_bUnicode);
}

void CPrintPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  blackChars->setEnabled(m_bNamesVertical != 0);
  whiteChars->setEnabled(m_bNamesVertical != 0);
}

// ---- 印刷2 -----------------------------------------------------------------------

CPrint2Page::CPrint2Page() {
  boardFont = new QPushButton(T(u"盤上駒フォント(&B)..."), this);
  handFont = new QPushButton(T(u"持ち駒フォント(&M)..."), this);
  auto* layout = new QVBoxLayout(this);
  for (QPushButton* b : {boardFont, handFont}) {
    auto* row = new QHBoxLayout;
    row->addWidget(b);
    row->addStretch(1);
    layout->addLayout(row);
  }
  layout->addStretch(1);
  connect(boardFont, &QPushButton::clicked, this, &CPrint2Page::ChoosePrintFont);
  connect(handFont, &QPushButton::clicked, this, &CPrint2Page::ChoosePrintHandFont);
}

namespace {

PrintFontChoice ChoiceOf(const EnvFont& f) {
  return {f.face, f.size, f.bold >= 100 ? f.bold : f.bold ? 700 : 400, f.italic};
}

}  // namespace

void CPrint2Page::ChoosePrintFont() {
  PrintFontChoice f = ChoiceOf(g_fontPrintPt);
  if (!FontSlot()(this, f)) return;
  CutToCapacity(f.face, kEnvFontFaceCapacity);
  // The height in logical units of a 96 dots-per-inch screen.
  g_fontPrint = {f.face, -(96 * f.pointTenths) / 720, f.weight, f.italic};
  g_fontPrintPt = {f.face, f.pointTenths, f.weight, f.italic};
  RedrawPrintPreview();
}

void CPrint2Page::ChoosePrintHandFont() {
  PrintFontChoice f = ChoiceOf(g_fontPrintHandPt);
  if (!FontSlot()(this, f)) return;
  CutToCapacity(f.face, kEnvFontFaceCapacity);
  g_fontPrintHandPt = {f.face, f.pointTenths, f.weight, f.italic};
  RedrawPrintPreview();
}

// ---- 動作 ------------------------------------------------------------------------

CMiscPage::CMiscPage() {
  auto* notationBox = new QVBoxLayout;
  notation = Radios(this, notationBox, {u"▲△Morivane", u"▲▽Morivane", u"▲△伝統", u"▲▽伝統"});
  auto* loadBox = new QVBoxLayout;
  loadPosition = Radios(this, loadBox, {u"開始", u"最終", u"中断は最終", u"保存時局面", u"最初のしおり"});
  saveName = new QComboBox(this);
  saveName->setEditable(true);
  saveName->setInsertPolicy(QComboBox::NoInsert);
  saveName->setMinimumWidth(200);
  confirmSave = Check(this, u"棋譜を消す際に確認する(&C)");
  askReplay = Check(this, u"再開、再現時の棋譜読み込み選択(&S)");
  checkRules = Check(this, u"ルールチェック(&R)");
  detectRepetition = Check(this, u"再現時の千日手検出(&P)");
  eDovu2 = Check(this, u"eDovu2.0(&E)");
  recordDb = new QLineEdit(this);
  problemDb = new QLineEdit(this);
  browseRecordDb = new QPushButton(T(u"参照(&K)..."), this);
  browseProblemDb = new QPushButton(T(u"参照(&T)..."), this);

  auto* top = new QHBoxLayout;
  top->addWidget(Group(this, u"指し手表記", notationBox));
  auto* checks = new QVBoxLayout;
  for (QWidget* w : {(QWidget*)confirmSave, (QWidget*)askReplay, (QWidget*)checkRules,
                     (QWidget*)detectRepetition, (QWidget*)eDovu2})
    checks->addWidget(w);
  checks->addStretch(1);
  top->addLayout(checks);
  top->addWidget(Group(this, u"棋譜読み込み後局面", loadBox));
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(T(u"棋譜保存初期名："), this), 0, 0);
  grid->addWidget(saveName, 0, 1);
  grid->addWidget(new QLabel(T(u"棋譜データベース："), this), 1, 0);
  grid->addWidget(recordDb, 1, 1);
  grid->addWidget(browseRecordDb, 1, 2);
  grid->addWidget(new QLabel(T(u"詰将棋データベース："), this), 2, 0);
  grid->addWidget(problemDb, 2, 1);
  grid->addWidget(browseProblemDb, 2, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(grid);
  layout->addStretch(1);
  connect(browseRecordDb, &QPushButton::clicked, this, [this] { OnBrowse(false); });
  connect(browseProblemDb, &QPushButton::clicked, this, [this] { OnBrowse(true); });
}

void CMiscPage::DoDataExchange(DataExchange& dx) {
  dx.Radio(notation, m_nNotation);
  dx.Text(saveName, m_strSaveName, 255);
  dx.Check(confirmSave, m_bConfirmSave);
  dx.Check(askReplay, m_bAskReplay);
  dx.Check(checkRules, m_bCheckRules);
  dx.Check(detectRepetition, m_bDetectRepetition);
  dx.Radio(loadPosition, m_nLoadPosition);
  dx.Text(recordDb, m_strRecordDb, 511);
  dx.Text(problemDb, m_strProblemDb, 511);
  dx.Check(eDovu2, m_bUseEDovu2);
}

void CMiscPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadHistory(g_hisSaveName);
  saveName->clear();
  if (g_hisSaveName.count > g_nHistorySize) g_hisSaveName.count = std::max(0, g_nHistorySize);
  for (int i = 0; i < g_hisSaveName.count; ++i)
    saveName->addItem(QString::fromStdU16String(g_hisSaveName.entries[i]));
  saveName->setEditText(QString::fromStdU16String(m_strSaveName));
  m_strOldName = m_strSaveName;
  eDovu2->setVisible(CtrlHeld());
}

void CMiscPage::OnOK() {
  UpdateData(true);
  const std::u16string& name = m_strSaveName;
  if (name == m_strOldName || name.empty()) return;
  if (g_hisSaveName.count > g_nHistorySize) g_hisSaveName.count = std::max(0, g_nHistorySize);
  if (g_hisSaveName.count == 0) AddHistoryItem(m_strOldName, g_hisSaveName);
  AddHistoryItem(name, g_hisSaveName);
  SaveHistory(g_hisSaveName);
}

void CMiscPage::OnBrowse(bool problem) {
  if (!UpdateData(true)) return;
  QLineEdit* field = problem ? problemDb : recordDb;
  QString chosen = BrowseForFile(problem ? u"詰将棋データベースプログラムの指定"
                                         : u"棋譜データベースプログラムの指定",
                                 u"プログラム(*.EXE)", u"*", field->text());
  if (chosen.isEmpty()) return;
  // Only a program can be started.
  QFileInfo info(chosen);
  if (!info.isFile() || !info.isExecutable()) {
    Ui().PlayWarningSound();
    return;
  }
  field->setText(chosen);
}

// ---- 将棋マーク ------------------------------------------------------------------

CUnicodePage::CUnicodePage() {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(unicode = Check(this, u"クリップボード出力ZR2(&C)"));
  layout->addStretch(1);
}

void CUnicodePage::DoDataExchange(DataExchange& dx) { dx.Check(unicode, m_bUnicodeClipboard); }

// ---- 画像 ------------------------------------------------------------------------

CImagePage::CImagePage() {
  fileName = new QLineEdit(this);
  codes = new QPlainTextEdit(this);
  codes->setReadOnly(true);
  codes->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Row(this, u"画像ファイル名：", fileName));
  fileName->setMinimumWidth(300);
  layout->addWidget(codes, 1);
}

void CImagePage::DoDataExchange(DataExchange& dx) { dx.Text(fileName, m_strTemplate, 255); }

void CImagePage::OnInitDialog() {
  static const char16_t* const lines[] = {
      u"%M マイ ドキュメントのパス（\\付き）   ", u"%E デスクトップのパス（\\付き）   ",
      u"%P マイ　ピクチャーのパス（\\付き）   ", u"%K 棋譜のパス（\\付き）   ",
      u"%f パス無し棋譜名（拡張子無し） ", u"%F パス付き棋譜名（拡張子無し）  ",
      u"%D プログラム(NARVO.EXE)のパス（\\付き）  ", u"%N 手数    ",
      u"%B 先手（下手）の対局者名   ", u"%W 後手（上手）の対局者名    ",
      u"%Y 日付 \"20051115\" の形式    ", u"%y 日付 \"05Nov15\" の形式    ",
      u"%T 時刻 \"091205\" の形式    "};
  QString text;
  for (const char16_t* l : lines) text += T(l) + u'\n';
  codes->setPlainText(text);
  CPropertyPage::OnInitDialog();
  QFont font(QString::fromStdU16String(MapFontFace(u"ＭＳ ゴシック")));
  font.setPointSize(11);
  fileName->setFont(font);
  codes->setFont(font);
}

// ---- 再現 ------------------------------------------------------------------------

CReplayPg::CReplayPg() {
  slider = new QSlider(Qt::Horizontal, this);
  slider->setRange(0, 25500);
  slider->setTickInterval(1000);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setMinimumWidth(260);
  interval = Spin(this, 0, 25500);
  interval->SetAcceleration(100, 1000, 2000);
  auto* speed = new QHBoxLayout;
  speed->addWidget(slider, 1);
  speed->addWidget(interval);
  speed->addWidget(new QLabel(T(u"ms"), this));

  animation = new QComboBox(this);
  animation->addItems({T(u"遅い"), T(u"普通"), T(u"速い"), T(u"なし")});

  commentWait = Spin(this, 0, 100000);
  branchWait = Spin(this, 0, 100000);
  for (SpinEdit* s : {commentWait, branchWait}) s->SetAcceleration(100, 1000, 2000);
  auto* commentBox = new QVBoxLayout;
  stopAtComment = Radios(this, commentBox, {u"停止しない", u"一時停止する", u"指定時間停止"});
  commentBox->addLayout(Row(this, nullptr, commentWait, u"ms"));
  auto* branchBox = new QVBoxLayout;
  stopAtBranch = Radios(this, branchBox, {u"停止しない", u"一時停止する", u"指定時間停止"});
  branchBox->addLayout(Row(this, nullptr, branchWait, u"ms"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Group(this, u"再現速度", speed));
  layout->addLayout(Row(this, u"ｱﾆﾒｰｼｮﾝ：", animation));
  auto* stops = new QHBoxLayout;
  stops->addWidget(Group(this, u"コメントで停止", commentBox));
  stops->addWidget(Group(this, u"分岐で停止", branchBox));
  layout->addLayout(stops);
  layout->addWidget(wheel = Check(this, u"マウスホイール(&M)"));
  layout->addStretch(1);

  connect(stopAtComment, &QButtonGroup::idClicked, this, [this](int id) {
    if (id == 0) UpdateData(true);
    commentWait->setEnabled(id == 2);
  });
  connect(stopAtBranch, &QButtonGroup::idClicked, this,
          [this](int id) { branchWait->setEnabled(id == 2); });
  connect(slider, &QSlider::valueChanged, this, &CReplayPg::OnSliderMoved);
  connect(interval, &SpinEdit::TextChanged, this, &CReplayPg::OnIntervalChanged);
}

void CReplayPg::DoDataExchange(DataExchange& dx) {
  dx.UnsignedRange(interval, m_nInterval, 0, 25500);
  dx.ComboIndex(animation, m_nAnimation);
  dx.Radio(stopAtComment, m_nStopAtComment);
  dx.UnsignedRange(commentWait, m_nCommentWait, 0, 1000000);
  dx.Radio(stopAtBranch, m_nStopAtBranch);
  dx.UnsignedRange(branchWait, m_nBranchWait, 0, 1000000);
  dx.Check(wheel, m_bWheel);
}

void CReplayPg::OnInitDialog() {
  inChange_ = true;  // the slider follows once the page is loaded
  CPropertyPage::OnInitDialog();
  slider->setValue(m_nInterval);
  inChange_ = false;
  commentWait->setEnabled(m_nStopAtComment == 2);
  branchWait->setEnabled(m_nStopAtBranch == 2);
}

void CReplayPg::OnSliderMoved(int position) {
  if (inChange_) return;
  m_nInterval = position;
  interval->SetText(QString::number(position));
}

void CReplayPg::OnIntervalChanged() {
  if (inChange_ || !Initialised()) return;
  inChange_ = true;
  // Checked at every keystroke: a value out of range is reported at once.
  if (UpdateData(true)) {
    slider->setValue(m_nInterval);
    UpdateData(false);
  }
  inChange_ = false;
}

// ---- 履歴 ------------------------------------------------------------------------

CHisPage::CHisPage() {
  count = Spin(this, 0, 20);
  static const char16_t* const labels[7] = {u"対局者：", u"棋　戦：", u"戦　型：", u"持ち時間：",
                                            u"場所：", u"掲載：", u"ユーザ定義："};
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(T(u"履歴数："), this), 0, 0);
  grid->addWidget(count, 0, 1, Qt::AlignLeft);
  for (int i = 0; i < 7; ++i) {
    mode[i] = new QComboBox(this);
    mode[i]->addItems({T(u"なし"), T(u"重複あり"), T(u"重複なし")});
    grid->addWidget(new QLabel(T(labels[i]), this), i + 1, 0);
    grid->addWidget(mode[i], i + 1, 1, Qt::AlignLeft);
  }
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(8, 1);
}

void CHisPage::DoDataExchange(DataExchange& dx) {
  dx.UnsignedRange(count, m_nCount, 0, 20);
  for (int i = 0; i < 7; ++i) dx.ComboIndex(mode[i], m_nMode[i]);
}

// ---- 英語 ------------------------------------------------------------------------

CEngPage::CEngPage() {
  auto* styles = new QVBoxLayout;
  style = Radios(this, styles, {u"チェス式手数(&C)", u"将棋式手数(&S)", u"手数なし(&N)"});
  boardFormat = MultiEdit(this, 3);
  columns = Spin(this, 1, 100);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Group(this, u"棋譜形式", styles));
  layout->addWidget(new QLabel(T(u"盤面書式："), this));
  layout->addWidget(boardFormat);
  layout->addLayout(Row(this, u"手／行：", columns));
  layout->addStretch(1);
}

void CEngPage::DoDataExchange(DataExchange& dx) {
  dx.Radio(style, m_nStyle);
  dx.Text(boardFormat, m_strBoardFormat, 255);
  dx.Unsigned(columns, m_nColumns);
}
