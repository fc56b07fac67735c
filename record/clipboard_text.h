// The texts the Edit menu copies: records (ZRF with times, ZR2 move lists),
// the board diagram, the position and mail templates with their %-codes, and
// SFEN. Each writer appends UTF-16 with CR LF line ends to the text it is
// given; the text grows as needed, so nothing is ever cut.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "record/record.h"

struct BoardState;
class RecordTextFile;

// g_Record's bookmark names by node, built once per text.
class BookmarkIndex {
public:
  BookmarkIndex();
  // The node's names in list order; nullptr when it has none.
  const std::vector<const std::u16string*>* Of(const RecordNode* node) const;

private:
  std::vector<std::vector<const std::u16string*>> byNode_;
};

// The lines of play from node (move number n) in the order the record texts
// write them: each line to its end, then every alternative met on the way,
// the deepest first. onBranch(n) comes before each line but the first,
// onNode(node, k) for every node and onEnd(node, k) at the end of each line.
// No recursion, so a line may be as long as the pool.
template <class Branch, class Node, class End>
void WalkRecordLines(const RecordNode* node, int n, Branch onBranch, Node onNode, End onEnd) {
  struct Pending {
    const RecordNode* node;
    int n;
  };
  std::vector<Pending> stack{{node, n}};
  bool first = true;
  while (!stack.empty()) {
    const Pending p = stack.back();
    stack.pop_back();
    if (!first) onBranch(p.n);
    first = false;
    int k = p.n;
    for (const RecordNode* nd = p.node; nd; nd = nd->firstChild, ++k) {
      onNode(nd, k);
      if (nd->nextSibling) stack.push_back({nd->nextSibling, k});
      if (!nd->firstChild) onEnd(nd, k);
    }
  }
}

// ZR2 copy modes.
enum Zr2CopyMode { kZr2WholeTree = 0, kZr2MateProblem = 1, kZr2CurrentLine = 3 };
// ZRF copy modes.
enum ZrfCopyMode { kZrfWholeTree = 0, kZrfCurrentLine = 1 };

// Player lines, hand lines, file numbers, frame and nine ranks. The player
// lines follow the shown position's handicap, the hand lines the board's.
void FormatBoardDiagram(std::u16string& text, const BoardState& board);
void AppendHandLine(const BoardState& board, int side, std::u16string& text);
// The comment as "*" lines, wrapped by コメント自動改行 / コメント改行桁.
void AppendCommentLines(std::u16string_view comment, std::u16string& text);
void AppendHeaderLines(std::u16string& text);
// The "まで..." line closing a line of play at node (move number n).
void AppendResultLine(const RecordNode* node, int n, std::u16string& text);

void WriteZrfToBuffer(std::u16string& text, int mode);
void WriteZr2ToBuffer(std::u16string& text, int mode);
// One move of the ZR2 copy, prevTo being the parent's destination.
std::u16string FormatZr2Move(int mode, const RecordNode* node, int prevTo);

// "後手番" / "上手番" / "下手番" for g_Board; nothing for the first player of
// an even game.
void AppendSideToMoveLine(std::u16string& text);
// The position template 盤面書式 expanded, ending with CR LF. recordTitle is
// the record name as shown.
void AppendPositionText(std::u16string& text, std::u16string_view recordTitle);
// メール書式１ (which 1) or メール書式２ expanded as the clipboard's mail text.
int AppendMailText(std::u16string& text, int which, std::u16string_view recordTitle);
// メール書式１ (which 1) or メール書式２ expanded as the mail text files hold it
// (CR LF line ends): the position file's codes, %d the position file's text,
// %k the whole record. 0, or 1 when a code was refused (told in a box; the
// rest is expanded all the same).
int ExpandMailTemplate(std::u16string& text, int which, std::u16string_view recordTitle);
// The %"name" code: tmpl starts just after the opening quote. Appends the
// file's text (LF as CR LF) and returns the template position after the
// closing quote.
size_t AppendIncludedFile(std::u16string_view tmpl, std::u16string& text);

// The move at move number n for the templates' move codes: record form for
// notations 2 and 3, else the display form; squareAlways leaves out 同.
// Empty before move 1.
std::u16string FormatTemplateMove(int n, bool withMark, bool squareAlways);

// The SFEN text of the position ("... b - 1").
std::u16string FormatSfen(const BoardState& board);

// The position file (局面 .bod): the position template expanded as the file
// writer's codes give it, then the side-to-move line. 0, 2 a write failed,
// -1 the file cannot be created.
int WritePositionFile(std::u16string_view path, std::u16string_view recordTitle);
// The same into an open output: 0 or 2.
int ExpandPositionTemplate(RecordTextFile& file, bool utf8, std::u16string_view recordTitle);
