// The check of moves written into comments: doubled side marks, full-width
// ranks, missing marks, promotions that cannot happen, and the order and
// promotion words of runs of written moves. The checks only read the text
// (and the shown position, for the side of a piece); the findings go to the
// caller, which shows them and may take a fix.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "record/board.h"

// How a finding is shown.
enum CommentFindingKind {
  kFindingWarning = 0,    // a message without a fix
  kFindingFix = 1,        // "修正(&F)": answer 1 takes the fix
  kFindingMark = 2,       // "▲を付ける" 1 / "△を付ける" 2; option: the suggested mark (0 both)
  kFindingPromotion = 3,  // "「成」を付ける" 1 / "「不成」を付ける" 2; option 1: only 成, 0 both
};

struct CommentCheckPort {
  // Shows a finding and returns the answer (0: no fix).
  std::function<int(int kind, const std::u16string& message, int option)> ask;
  // A fix was taken: the text now stands as given.
  std::function<void(const std::u16string& text)> replace;
};

// The text from `pos`, at most 18 characters, cut before the first line end
// that is not its first character.
std::u16string CommentExcerpt(std::u16string_view text, size_t pos);

// The single-move check. `notation` is コメントのミス指摘, `marks` コメントのマークなし指摘.
// The text is changed by each fix taken.
void CheckCommentMarksText(std::u16string& text, const BoardState& board, bool notation,
                           bool marks, const CommentCheckPort& port);
// The check of runs of consecutive written moves.
void CheckCommentSequenceText(std::u16string& text, const CommentCheckPort& port);
