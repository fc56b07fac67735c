#include "record/board_edit.h"

namespace {

// Pieces of a kind on the board and in both hands, by the squares and counts
// (identities may lag behind them during an edit).
int PiecesOutOfBox(const BoardState& b, int kind) {
  int n = b.hands[0][kind] + b.hands[1][kind];
  for (int sq = 11; sq <= 99; ++sq)
    if (IsBoardSquare(sq) && IsPiece(b.squares[sq]) && CodeWithoutSide(b.squares[sq]) != kKing &&
        KindOf(b.squares[sq]) == kind)
      ++n;
  return n;
}

void AddToHand(BoardState& b, int h, int kind, int id) {
  b.hands[h][0]++;
  b.hands[h][kind]++;
  if (id > 0 && b.handIdCount[kind] < PieceIdCount(kind)) {
    b.handIds[kind][b.handIdCount[kind]++] = id;
    b.squareOfId[id] = 0;
  }
}

void TakeFromHand(BoardState& b, int h, int kind) {
  b.hands[h][0]--;
  b.hands[h][kind]--;
  if (b.handIdCount[kind] > 0) b.handIds[kind][--b.handIdCount[kind]] = 0;
}

// The piece on the square into hand h, demoted; a king into the box.
void SquareToHand(BoardState& b, int square, int h) {
  PutBoardPieceInHand(h == 1 ? kSenteBit : 0, square, b);
}

void SquareToBox(BoardState& b, int square) {
  const int id = b.idOnSquare[square];
  if (id != 0 && b.squareOfId[id] == square) b.squareOfId[id] = 0;
  b.idOnSquare[square] = 0;
  b.squares[square] = kEmpty;
}

void Place(BoardState& b, int square, int code, int id) {
  b.squares[square] = uint8_t(code);
  b.idOnSquare[square] = uint8_t(id);
  if (id != 0) b.squareOfId[id] = uint8_t(square);
}

// A pawn, lance or knight that could never move again is promoted.
void PromoteIfStuck(BoardState& b, int square) {
  const int code = b.squares[square];
  if (!IsPiece(code) || (code & kPromotedBit)) return;
  const int kind = CodeWithoutSide(code);
  if (kind != kPawn && kind != kLance && kind != kKnight) return;
  const int rank = square % 10;
  const bool sente = code & kSenteBit;
  const int last = sente ? 1 : 9, second = sente ? 2 : 8;
  if (rank == last || (kind == kKnight && rank == second)) b.squares[square] = uint8_t(code | kPromotedBit);
}

// Whoever stands on the square is taken by `moverSide`'s hand (a king goes to
// the box).
void TakeStanding(BoardState& b, int square, int moverSide) {
  const int code = b.squares[square];
  if (!IsPiece(code)) return;
  b.squares[square] = uint8_t((code & ~kSenteBit) | (moverSide == kSente ? 0 : kSenteBit));
  CapturePiece(b, square);
}

int KingSideFromBox(const BoardState& b) {
  for (int sq = 11; sq <= 99; ++sq) {
    if (!IsBoardSquare(sq)) continue;
    if (b.squares[sq] == (kSenteBit | kKing)) return kGote;
    if (b.squares[sq] == kKing) return kSente;
  }
  return kGote;
}

}  // namespace

int FirstBoxId(const BoardState& b, int kind) {
  if (kind == kKing) {
    bool sente = false, gote = false;
    for (int sq = 11; sq <= 99; ++sq) {
      if (!IsBoardSquare(sq)) continue;
      sente |= b.squares[sq] == (kSenteBit | kKing);
      gote |= b.squares[sq] == kKing;
    }
    return !sente ? kSenteKingId : !gote ? kGoteKingId : 0;
  }
  if (kind < 1 || kind > 7 || PiecesOutOfBox(b, kind) >= PieceIdCount(kind)) return 0;
  for (int id = g_PieceIdRanges[kind][0]; id <= g_PieceIdRanges[kind][1]; ++id)
    if (b.squareOfId[id] == 0 && !InHandIdList(b, kind, id)) return id;
  return 0;
}

int ListBoxPieceIds(const BoardState& b, int pairs[8][2]) {
  int n = 0;
  for (int kind = kKing; kind >= 1; --kind) {
    int id = FirstBoxId(b, kind);
    if (id == 0) continue;
    pairs[n][0] = kind;
    pairs[n][1] = id;
    ++n;
  }
  return n;
}

EditDropResult ApplyEditDrop(BoardState& b, int origin, int target, bool ctrl, bool shift,
                             bool flipped) {
  EditDropResult r;
  const bool fromBox = origin >= 1 && origin <= 8;
  const bool fromSquare = IsBoardSquare(origin);
  const bool fromHand = IsRealHandCell(origin);
  if (!fromBox && !fromSquare && !fromHand) return r;
  const int originCode = fromSquare ? b.squares[origin] : 0;
  if (fromSquare && !IsPiece(originCode)) return r;
  const int handSide = fromHand ? ((origin & 0x10) ? kSente : kGote) : 0;
  const int handKind = fromHand ? (origin & 7) : 0;
  if (fromHand && (handKind < 1 || b.hands[SideIndex(handSide)][handKind] == 0)) return r;
  const int bottomSide = flipped ? kGote : kSente;

  if (target == kDropStandBelow || target == kDropStandAbove) {
    const int standSide = target == kDropStandBelow ? bottomSide : kSente - bottomSide;
    const int h = SideIndex(standSide);
    if (fromBox) {
      if (origin == kKing) return r;
      const int id = FirstBoxId(b, origin);
      if (id == 0) return r;
      AddToHand(b, h, origin, id);
    } else if (fromSquare) {
      if (CodeWithoutSide(originCode) == kKing) return r;
      if (!ctrl) {
        SquareToHand(b, origin, h);
      } else {
        const int side = originCode & kSenteBit;
        for (int sq = 11; sq <= 99; ++sq) {
          if (!IsBoardSquare(sq)) continue;
          const int code = b.squares[sq];
          if (!IsPiece(code)) continue;
          const bool take = shift ? (code & kSenteBit) == side && CodeWithoutSide(code) != kKing
                                  : code == originCode;
          if (take) SquareToHand(b, sq, h);
        }
      }
    } else {
      if (handSide == standSide) return r;
      const int from = SideIndex(handSide);
      for (int kind = 1; kind <= 7; ++kind) {
        if (kind != handKind && !(ctrl && shift)) continue;
        int count = ctrl ? b.hands[from][kind] : 1;
        for (int i = 0; i < count; ++i) {
          b.hands[from][0]--;
          b.hands[from][kind]--;
          b.hands[h][0]++;
          b.hands[h][kind]++;
        }
      }
    }
    r.changed = true;
    return r;
  }

  if (target == kDropBox) {
    if (fromBox) return r;
    if (fromSquare) SquareToBox(b, origin);
    else TakeFromHand(b, SideIndex(handSide), handKind);
    r.changed = true;
    return r;
  }

  if (!IsBoardSquare(target)) return r;
  if (fromSquare && target == origin) {
    // Released where it was picked: into its own side's hand.
    SquareToHand(b, origin, SideIndex(originCode & kSenteBit));
    r.changed = true;
    return r;
  }
  if (fromBox) {
    const int id = FirstBoxId(b, origin);
    if (id == 0) return r;
    if (origin == kKing) {
      const int side = KingSideFromBox(b);
      const int kingId = side == kSente ? kSenteKingId : kGoteKingId;
      TakeStanding(b, target, side);
      Place(b, target, (side == kSente ? kSenteBit : 0) | kKing, kingId);
    } else {
      TakeStanding(b, target, bottomSide);
      Place(b, target, (bottomSide == kSente ? kSenteBit : 0) | origin, id);
    }
  } else if (fromSquare) {
    const int id = b.idOnSquare[origin];
    TakeStanding(b, target, originCode & kSenteBit);
    b.squares[origin] = kEmpty;
    b.idOnSquare[origin] = 0;
    Place(b, target, originCode, id);
  } else {
    TakeStanding(b, target, handSide);
    DropPieceFromHand(b, (handSide == kSente ? kSenteBit : 0) | handKind, target);
  }
  PromoteIfStuck(b, target);
  r.changed = true;
  r.dropSquare = target;
  return r;
}
