#include "settings/comment_dialogs_qt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/main_frame.h"
#include "app/narvo_app.h"
#include "view/frame_place.h"
#include "app/narvo_doc.h"
#include "app/undo.h"
#include "record/board.h"
#include "record/comment_check.h"
#include "record/notation.h"
#include "record/record.h"
#include "record/record_writer.h"
#include "record/text.h"
#include "record/ui_port.h"
#include "settings/dialog_runner_qt.h"
#include "settings/env.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"
#include "view/narvo_view.h"

namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
QString T(const char16_t* s) { return QString::fromUtf16(s); }

// The document's text exactly as typed: toPlainText() would turn U+00A0
// into a blank; paragraphs are joined with CR LF as the dialog hands them on.
std::u16string RawText(const QPlainTextEdit* edit) {
  std::u16string out;
  for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
    if (b != edit->document()->begin()) out += u"\r\n";
    out += b.text().toStdU16String();
  }
  return out;
}

void MarkModified() {
  if (g_pDocument) g_pDocument->SetModifiedFlag(true);
}

// The comment window, the move list and the variation window show the
// record's comments again.
void RefreshCommentViews(CNarvoView* view) {
  if (g_AppMode == kModePreview && view) view->InvalidateAll();
  UpdateCommentWindow();
  InvalidateDovuWnd();
  UpdateBranchWindow();
}

// Stores text as the node's comment in place of the old one; a text the
// record cannot hold leaves the old comment, with the record's message.
int StoreComment(int moveNumber, std::u16string text) {
  RecordNode* node = GetNodeAtMove(moveNumber, g_Record);
  if (!node) return -1;
  const bool addLf = text.empty() || text.back() != u'\n';
  if (!text.empty() && text.size() + addLf > size_t(kMaxCommentLength)) {
    ShowMessage(u"コメント数がオーバーしました。", kMbOk | kMbIconError, u"エラー");
    return -1;
  }
  const std::u16string old = node->comment ? std::u16string(node->comment) : std::u16string();
  FreeNodeComment(g_Record, node);
  if (text.empty()) return 0;
  if (AppendComment(g_Record, moveNumber, text) != 0) {
    if (!old.empty()) AppendComment(g_Record, moveNumber, old);
    ShowMessage(u"コメント数がオーバーしました。", kMbOk | kMbIconError, u"エラー");
    return -1;
  }
  return 0;
}

CommentCheckPort MakePort(CNarvoView* view, int moveNumber) {
  CommentCheckPort port;
  port.ask = [](int kind, const std::u16string& message, int option) {
    if (kind == kFindingWarning) {
      ShowMessage(message, kMbOk | kMbIconWarning);
      return 0;
    }
    CCommentWarningDlg dlg(kind, message, option, DialogOwner());
    return RunModalDialog(dlg) == QDialog::Accepted ? dlg.m_nResult : 0;
  };
  port.replace = [view, moveNumber](const std::u16string& text) {
    ReplaceMoveComment(text, moveNumber, view);
  };
  return port;
}

}  // namespace

// ---- CCommentDlg --------------------------------------------------------------------

CCommentDlg::CCommentDlg(const std::u16string& title, const std::u16string& text, QWidget* parent)
    : QDialog(parent), m_strText(text) {
  setWindowTitle(T(u"棋譜のコメント"));
  auto* layout = new QVBoxLayout(this);
  title_ = new QLabel(Q(title), this);
  edit_ = new QPlainTextEdit(this);
  edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  edit_->setTabChangesFocus(false);
  notation_ = new QCheckBox(T(u"ミスを指摘(&M)"), this);
  marks_ = new QCheckBox(T(u"▲△なしを指摘"), this);
  marks_->hide();
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(T(u"OK"), this);
  auto* cancel = new QPushButton(T(u"キャンセル"), this);
  delete_ = new QPushButton(T(u"削除"), this);
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  delete_->setAutoDefault(false);
  buttons->addWidget(notation_);
  buttons->addWidget(marks_);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(delete_);
  layout->addWidget(title_);
  layout->addWidget(edit_);
  layout->addLayout(buttons);
  resize(480, 320);
  connect(ok, &QPushButton::clicked, this, &CCommentDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CCommentDlg::reject);
  connect(delete_, &QPushButton::clicked, this, [this] {
    m_strText.clear();
    edit_->clear();
  });
  // The record holds at most kMaxCommentLength units with the line feed it
  // adds at the end: the edit takes no more than fits with it.
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
    constexpr int kEditLimit = kMaxCommentLength - 1;
    QTextDocument* doc = edit_->document();
    if (doc->characterCount() - 1 <= kEditLimit) return;
    QTextCursor c(doc);
    c.setPosition(kEditLimit);
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.removeSelectedText();
  });
  // Lines arrive with LF; the edit shows them as its own paragraphs.
  std::u16string shown = text;
  CrLfToLf(shown);
  edit_->setPlainText(Q(shown));
}

CCommentDlg::~CCommentDlg() {
  auto profile = OpenProfile();
  profile->beginGroup("comment_dialog");
  profile->setValue("posi_x", pos().x());
  profile->setValue("posi_y", pos().y());
  profile->endGroup();
}

void CCommentDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  notation_->setChecked(m_bCheckNotation != 0);
  marks_->setChecked(m_bCheckMarks != 0);
  if (!placed_) {
    placed_ = true;
    auto profile = OpenProfile();
    profile->beginGroup("comment_dialog");
    int x = profile->value("posi_x", 0).toInt(), y = profile->value("posi_y", 0).toInt();
    profile->endGroup();
    if (x != 0 || y != 0) PlaceFrameAt(this, QPoint(x < 0 ? 0 : x, y < 0 ? 0 : y));
  }
  QTextCursor c = edit_->textCursor();
  c.clearSelection();
  edit_->setTextCursor(c);
  edit_->ensureCursorVisible();
  edit_->setFocus();
}

void CCommentDlg::accept() {
  m_strText = RawText(edit_);
  m_bCheckNotation = notation_->isChecked();
  m_bCheckMarks = marks_->isChecked();
  QDialog::accept();
}

// ---- CDelComDg ----------------------------------------------------------------------

CDelComDg::CDelComDg(QWidget* parent) : CDataDialog(parent) {
  setWindowTitle(T(u"コメントの一括削除"));
  auto* layout = new QVBoxLayout(this);
  choices_ = new QButtonGroup(this);
  const char16_t* texts[3] = {u"すべてのコメントを削除(&E)", u"指定手数以前を削除(&B)",
                              u"指定手数以降を削除(&A)"};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(QString::fromUtf16(texts[i]), this);
    choices_->addButton(radio, i);
    layout->addWidget(radio);
  }
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(T(u"手数："), this));
  moveNumber_ = new SpinEdit(this);
  moveNumber_->SetSpinRange(0, 1600);
  moveNumber_->SetAcceleration(1, 5, 2000);
  row->addWidget(moveNumber_);
  layout->addLayout(row);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(T(u"OK"), this);
  auto* cancel = new QPushButton(T(u"キャンセル"), this);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &CDelComDg::accept);
  connect(cancel, &QPushButton::clicked, this, &CDelComDg::reject);
  connect(choices_, &QButtonGroup::idClicked, this,
          [this](int id) { moveNumber_->setEnabled(id != 0); });
}

void CDelComDg::DoDataExchange(DataExchange& dx) {
  dx.Radio(choices_, m_nChoice);
  dx.Int(moveNumber_, m_nMoveNumber);
}

void CDelComDg::OnInitDialog() {
  CDataDialog::OnInitDialog();
  moveNumber_->setEnabled(m_nChoice != 0);
}

// ---- The warning dialogs ---------------------------------------------------------------

CCommentWarningDlg::CCommentWarningDlg(int kind, const std::u16string& message, int option,
                                       QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(kind == kFindingMark ? T(u"Dialog") : T(u"コメントミスの警告・修正"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(Q(message), this));
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(T(u"OK"), this);
  buttons->addStretch();
  buttons->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, [this] {
    m_nResult = 0;
    accept();
  });
  auto add = [&](const char16_t* text, int result) {
    auto* b = new QPushButton(QString::fromUtf16(text), this);
    buttons->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, result] {
      m_nResult = result;
      accept();
    });
    return b;
  };
  if (kind == kFindingFix) {
    first_ = add(u"修正(&F)", 1);
  } else if (kind == kFindingMark) {
    first_ = add(u"▲を付ける", 1);
    second_ = add(u"△を付ける", 2);
    if (option == 1) second_->hide();
    if (option == 2) first_->hide();
    if (option == 1) first_->setFocus();
    if (option == 2) second_->setFocus();
  } else if (kind == kFindingPromotion) {
    first_ = add(u"「成」を付ける(&N)", 1);
    second_ = add(u"「不成」を付ける(&Z)", 2);
    if (option == 1) second_->hide();
    if (option == 2) first_->hide();
  }
  layout->addLayout(buttons);
}

// ---- Commands ---------------------------------------------------------------------------

void CrLfToLf(std::u16string& text) { std::erase(text, u'\r'); }

void EditMoveComment(CNarvoView* view, int moveNumber) {
  RecordNode* node = GetNodeAtMove(moveNumber, g_Record);
  std::u16string title;
  if (moveNumber > 0) {
    const int mark = (g_nMoveNotation & 1) ? kMarkWhiteDown : kMarkWhiteUp;
    title = FormatU16(u"第%d手、%s", moveNumber,
                      FormatNodeMove(node, g_Record, kFormSame, mark, 0).c_str());
  } else {
    title = u"開始局面";
  }
  title += u"のコメント";
  const std::u16string opening = node && node->comment ? LfToCrLf(node->comment) : std::u16string();

  CCommentDlg dlg(title, opening, DialogOwner());
  dlg.m_bCheckNotation = g_bCheckCommentNotation;
  dlg.m_bCheckMarks = g_bCheckCommentMarks;
  g_bEditDialogOpen = 1;
  const int answer = RunModalDialog(dlg);
  if (answer != QDialog::Accepted) {
    g_bEditDialogOpen = 0;
    return;
  }
  // The counter before the snapshot: an unchanged text gives it back.
  SaveUndoPoint(u"コメントの編集");
  g_bCheckCommentNotation = dlg.m_bCheckNotation;
  g_bCheckCommentMarks = dlg.m_bCheckMarks;
  g_bEditDialogOpen = 0;
  std::u16string text = dlg.m_strText;
  CrLfToLf(text);
  std::u16string before = opening;
  CrLfToLf(before);
  const bool changed = text != before;
  if (changed) StoreComment(moveNumber, text);
  RefreshCommentViews(view);
  if (changed) {
    MarkModified();
    UpdateMainTitle();
  } else if (!(g_pDocument && g_pDocument->IsModified())) {
    g_Record.changeCount = 0;
  }
  if (!node || !node->comment) return;
  std::u16string stored = node->comment;
  if (g_bCheckCommentNotation || g_bCheckCommentMarks) CheckCommentMarks(view, moveNumber, stored);
  if (g_bCheckCommentNotation) CheckCommentSequence(view, moveNumber, stored);
}

void DeleteCurrentComment(CNarvoView* view) {
  RecordNode* node = g_Record.current;
  if (!node || !node->comment) return;
  if (ShowMessage(u"コメントを削除しますか？", kMbYesNo | kMbIconQuestion, u"コメント削除の確認") !=
      kIdYes)
    return;
  SaveUndoPoint(u"コメントの削除");
  FreeNodeComment(g_Record, node);
  RefreshCommentViews(view);
  MarkModified();
  UpdateMainTitle();
}

void DeleteCommentsInBulk(CNarvoView* view) {
  CDelComDg dlg(DialogOwner());
  dlg.m_nChoice = 0;
  dlg.m_nMoveNumber = g_Record.moveNumber;
  if (RunModalDialog(dlg) != QDialog::Accepted) return;
  SaveUndoPoint(u"全コメントの削除");
  if (dlg.m_nChoice == 0) ClearAllComments(g_Record);
  else if (dlg.m_nChoice == 1) ClearCommentsToRoot(dlg.m_nMoveNumber, g_Record);
  else ClearCommentsFrom(g_Record, dlg.m_nMoveNumber);
  RefreshCommentViews(view);
  MarkModified();
  UpdateMainTitle();
}

int ReplaceMoveComment(const std::u16string& text, int moveNumber, CNarvoView* view) {
  int result = StoreComment(moveNumber, text);
  RefreshCommentViews(view);
  MarkModified();
  UpdateMainTitle();
  return result;
}

int CheckCommentMarks(CNarvoView* view, int moveNumber, std::u16string& text) {
  CheckCommentMarksText(text, g_Board, g_bCheckCommentNotation != 0, g_bCheckCommentMarks != 0,
                        MakePort(view, moveNumber));
  return 0;
}

int CheckCommentSequence(CNarvoView* view, int moveNumber, std::u16string& text) {
  CheckCommentSequenceText(text, MakePort(view, moveNumber));
  return 0;
}
