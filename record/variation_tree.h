// The variation-tree diagram: a text drawing of the lines of play that follow
// the shown move, one line of play per text line, moves joined by dashes and
// alternatives hung under their column with "|" and "+". Layout from the
// settings 棋譜ツリー (depth limit, move form, the two column widths).
#pragma once
#include <string>
#include <string_view>

struct RecordNode;

// Draws node and its later siblings with their continuations, depth levels
// deep so far, down to depthLimit levels. column is the display width of the
// text line being written (a character above U+007D counts two, so columns
// line up in a monospaced font) and is shared by every level. prevTo is the
// destination of the move before node, for 同.
void AppendVariationTree(const RecordNode* node, std::u16string& text, int prevTo, int depth,
                         int depthLimit, int& column);

// The whole diagram of g_Record's shown node on g_Board: the title block
// (recordPath being the record file's full path), the board diagram, the shown
// move and its comment, then the tree.
void AppendVariationDiagram(std::u16string& text, std::u16string_view recordPath);
