#include "record/board.h"

#include <cstring>

const uint8_t g_PieceIdRanges[9][2] = {
    {0, 0}, {1, 18}, {19, 22}, {23, 26}, {27, 30}, {31, 34}, {35, 36}, {37, 38}, {39, 40},
};

const char16_t g_HandicapNames[kHandicapCount][12] = {
    u"平手\u3000\u3000", u"香落ち\u3000", u"右香落ち", u"角落ち\u3000", u"飛車落ち", u"飛香落ち",
    u"二枚落ち", u"三枚落ち", u"四枚落ち", u"五枚落ち", u"左五枚落ち", u"六枚落ち",
    u"左七枚落ち", u"右七枚落ち", u"八枚落ち", u"十枚落ち", u"その他\u3000",
};
const char16_t g_HandicapPanelNames[kHandicapCount][16] = {
    u"平手\u3000\u3000", u"香落ち\u3000", u"右香落ち", u"角落ち\u3000", u"飛車落ち", u"飛香落ち",
    u"二枚落ち", u"三枚落ち", u"四枚落ち", u"五枚落ち", u"左五枚落ち", u"六枚落ち",
    u"左七枚落ち", u"右七枚落ち", u"八枚落ち", u"十枚落ち", u"その他\u3000",
};

// One line per file (index = file * 10 + rank); 255 is the wall.
constexpr uint8_t g_InitialLayout[100] = {
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
    255, 0x02, 0, 0x01, 0, 0, 0, 0x81, 0, 0x82,
    255, 0x03, 0x06, 0x01, 0, 0, 0, 0x81, 0x87, 0x83,
    255, 0x04, 0, 0x01, 0, 0, 0, 0x81, 0, 0x84,
    255, 0x05, 0, 0x01, 0, 0, 0, 0x81, 0, 0x85,
    255, 0x08, 0, 0x01, 0, 0, 0, 0x81, 0, 0x88,
    255, 0x05, 0, 0x01, 0, 0, 0, 0x81, 0, 0x85,
    255, 0x04, 0, 0x01, 0, 0, 0, 0x81, 0, 0x84,
    255, 0x03, 0x07, 0x01, 0, 0, 0, 0x81, 0x86, 0x83,
    255, 0x02, 0, 0x01, 0, 0, 0, 0x81, 0, 0x82,
};

constexpr uint8_t g_InitialIdSquares[41] = {
    0,
    17, 93, 97, 13, 27, 83, 87, 23, 37, 73, 77, 33, 47, 63, 67, 43, 57, 53,  // pawns
    19, 91, 99, 11,                                                          // lances
    29, 81, 89, 21,                                                          // knights
    39, 71, 79, 31,                                                          // silvers
    49, 61, 69, 41,                                                          // golds
    88, 22,                                                                  // bishops
    28, 82,                                                                  // rooks
    59, 51,                                                                  // kings
};

namespace {

constexpr BoardState BuildInitialBoard() {
  BoardState b{};
  for (int i = 0; i < 128; ++i) b.squares[i] = i < 100 ? g_InitialLayout[i] : kWall;
  for (int id = 1; id <= kPieceIdCount; ++id) {
    b.squareOfId[id] = g_InitialIdSquares[id];
    b.idOnSquare[g_InitialIdSquares[id]] = uint8_t(id);
  }
  b.sideToMove = kSente;
  b.handicap = kHandicapEven;
  b.notAtStart = 0;
  return b;
}

constexpr BoardState kInitialBoard = BuildInitialBoard();

// Squares of the second player's pieces each handicap removes (0 ends a row).
constexpr uint8_t kHandicapRemoved[16][11] = {
    {0},
    {11},
    {91},
    {22},
    {82},
    {82, 11},
    {22, 82},
    {22, 82, 91},
    {22, 82, 91, 11},
    {22, 82, 91, 11, 81},
    {22, 82, 91, 11, 21},
    {22, 82, 91, 11, 21, 81},
    {22, 82, 91, 11, 21, 81, 31},
    {22, 82, 91, 11, 21, 81, 71},
    {22, 82, 91, 11, 21, 81, 31, 71},
    {22, 82, 91, 11, 21, 81, 31, 71, 41, 61},
};

int KindOfId(int id) {
  for (int k = 1; k <= 8; ++k)
    if (id >= g_PieceIdRanges[k][0] && id <= g_PieceIdRanges[k][1]) return k;
  return 0;
}

void AppendHandId(BoardState& b, int kind, int id) {
  if (id <= 0 || kind < 1 || kind > 7) return;
  int& n = b.handIdCount[kind];
  if (n >= PieceIdCount(kind)) return;
  b.handIds[kind][n++] = id;
  b.squareOfId[id] = 0;
}

int PopHandId(BoardState& b, int kind) {
  if (kind < 1 || kind > 7) return 0;
  int& n = b.handIdCount[kind];
  if (n <= 0) return 0;
  int id = b.handIds[kind][--n];
  b.handIds[kind][n] = 0;
  return id;
}

// The piece on a square into hand `h` (demoted); a king into the box.
void MovePieceToHand(BoardState& b, int square, int h) {
  if (!IsBoardSquare(square)) return;
  int code = b.squares[square];
  if (!IsPiece(code)) return;
  int id = b.idOnSquare[square];
  b.idOnSquare[square] = 0;
  if (id != 0 && b.squareOfId[id] == square) b.squareOfId[id] = 0;
  int kind = KindOf(code);
  if (CodeWithoutSide(code) != kKing && kind != 0) {
    b.hands[h][0]++;
    b.hands[h][kind]++;
    AppendHandId(b, kind, id);
  }
  b.squares[square] = kEmpty;
}

void ClearPieces(BoardState& b) {
  for (int sq = 11; sq <= 99; ++sq)
    if (IsBoardSquare(sq)) b.squares[sq] = kEmpty;
  std::memset(b.idOnSquare, 0, sizeof b.idOnSquare);
  std::memset(b.squareOfId, 0, sizeof b.squareOfId);
  std::memset(b.hands, 0, sizeof b.hands);
  std::memset(b.handIds, 0, sizeof b.handIds);
  std::memset(b.handIdCount, 0, sizeof b.handIdCount);
}

// Hands out the kind's identities: board squares in increasing order, then
// the second player's hand, then the first player's. Returns how many went
// onto the board. Pieces beyond the range get none.
int AssignPieceIds(BoardState& b, int kind) {
  int id = g_PieceIdRanges[kind][0];
  const int last = g_PieceIdRanges[kind][1];
  int onBoard = 0;
  for (int sq = 11; sq <= 99 && id <= last; ++sq) {
    if (!IsBoardSquare(sq)) continue;
    int code = b.squares[sq];
    if (!IsPiece(code) || CodeWithoutSide(code) == kKing || KindOf(code) != kind) continue;
    b.idOnSquare[sq] = uint8_t(id);
    b.squareOfId[id] = uint8_t(sq);
    ++id;
    ++onBoard;
  }
  for (int h = 0; h < 2; ++h)
    for (int n = 0; n < b.hands[h][kind] && id <= last; ++n) AppendHandId(b, kind, id++);
  return onBoard;
}

int ClassifyBox(const BoardState& b, const int box[9], int total) {
  auto is = [&](int l, int n, int s, int g, int bi, int r) {
    return box[kLance] == l && box[kKnight] == n && box[kSilver] == s && box[kGold] == g &&
           box[kBishop] == bi && box[kRook] == r;
  };
  switch (total) {
    case 0:
      return 0;
    case 1:
      if (box[kKing] == 1) return 0;
      if (box[kLance] == 1) return 1;
      if (box[kBishop] == 1) return 3;
      if (box[kRook] == 1) return 4;
      return kHandicapFree;
    case 2:
      if (box[kLance] == 1 && box[kRook] == 1) return 5;
      if (box[kBishop] == 1 && box[kRook] == 1) return 6;
      return kHandicapFree;
    case 4:
      return is(2, 0, 0, 0, 1, 1) ? 8 : kHandicapFree;
    case 6:
      return is(2, 2, 0, 0, 1, 1) ? 11 : kHandicapFree;
    case 7:
      if (!is(2, 2, 1, 0, 1, 1)) return kHandicapFree;
      return b.squares[31] == kSilver ? 13 : 12;
    case 8:
      return is(2, 2, 2, 0, 1, 1) ? 14 : kHandicapFree;
    case 10:
      return is(2, 2, 2, 2, 1, 1) ? 15 : kHandicapFree;
    default:
      return kHandicapFree;
  }
}

bool IsValidCode(int code) {
  if (code == kEmpty) return true;
  if ((code & 0x70) != 0) return false;
  int c = CodeWithoutSide(code);
  return c >= 1 && c <= 15 && c != 13;
}

}  // namespace

int PieceIdCount(int kind) { return g_PieceIdRanges[kind][1] - g_PieceIdRanges[kind][0] + 1; }

bool InHandIdList(const BoardState& b, int kind, int id) {
  for (int i = 0; i < b.handIdCount[kind]; ++i)
    if (b.handIds[kind][i] == id) return true;
  return false;
}

constinit BoardState g_StartBoard = BuildInitialBoard();
constinit BoardState g_Board = BuildInitialBoard();

uint8_t g_SquareFile[100];
uint8_t g_SquareRank[100];
uint8_t g_SquareDistance[100][100];

void InitSquareTables() {
  for (int s = 0; s < 100; ++s) {
    g_SquareFile[s] = uint8_t(s / 10);
    g_SquareRank[s] = uint8_t(s % 10);
  }
  for (int a = 0; a < 100; ++a)
    for (int b = 0; b < 100; ++b) {
      int df = a / 10 - b / 10, dr = a % 10 - b % 10;
      if (df < 0) df = -df;
      if (dr < 0) dr = -dr;
      g_SquareDistance[a][b] = uint8_t(df > dr ? df : dr);
    }
}

namespace {
// The rules read the tables from the first move on; fill them before main.
const bool g_squareTablesReady = (InitSquareTables(), true);
}  // namespace

int PieceCodeAt(int cell, const BoardState& board) {
  if (cell >= 0 && cell < 100) return board.squares[cell];
  if (!IsRealHandCell(cell)) return 0;
  return (cell & 7) | ((cell & 0x10) ? kSenteBit : 0);
}

void CopyBoardState(BoardState& dest, const BoardState& src) {
  if (&dest == &src) return;
  std::memcpy(dest.squares, src.squares, sizeof dest.squares);
  std::memcpy(dest.idOnSquare, src.idOnSquare, sizeof dest.idOnSquare);
  std::memcpy(dest.squareOfId, src.squareOfId, sizeof dest.squareOfId);
  std::memcpy(dest.hands, src.hands, sizeof dest.hands);
  std::memcpy(dest.handIds, src.handIds, sizeof dest.handIds);
  std::memcpy(dest.handIdCount, src.handIdCount, sizeof dest.handIdCount);
  dest.sideToMove = src.sideToMove;
  dest.handicap = src.handicap;
  dest.notAtStart = src.notAtStart;
}

void ClearBoardState(BoardState& board) { ClearPieces(board); }

void ClearToBox(BoardState& board) { ClearPieces(board); }

void SetInitialBoard(BoardState& board) { board = kInitialBoard; }

void SetHandicapBoard(BoardState& board, int code) {
  SetInitialBoard(board);
  if (code <= 0 || code > 15) return;
  board.handicap = code;
  board.sideToMove = kGote;
  for (int sq : kHandicapRemoved[code]) {
    if (sq == 0) break;
    int id = board.idOnSquare[sq];
    board.squares[sq] = kEmpty;
    board.idOnSquare[sq] = 0;
    board.squareOfId[id] = 0;
  }
}

void IdentifyHandicap(BoardState& board) {
  std::memset(board.idOnSquare, 0, sizeof board.idOnSquare);
  std::memset(board.squareOfId, 0, sizeof board.squareOfId);
  std::memset(board.handIds, 0, sizeof board.handIds);
  std::memset(board.handIdCount, 0, sizeof board.handIdCount);

  int box[9] = {};
  int total = 0;
  for (int kind = 1; kind <= 7; ++kind) {
    int onBoard = AssignPieceIds(board, kind);
    box[kind] = PieceIdCount(kind) - onBoard - board.handIdCount[kind];
    total += box[kind];
  }
  for (int sq = 11; sq <= 99; ++sq) {
    if (!IsBoardSquare(sq)) continue;
    int code = board.squares[sq];
    int id = code == (kSenteBit | kKing) ? kSenteKingId : code == kKing ? kGoteKingId : 0;
    if (id == 0 || board.squareOfId[id] != 0) continue;
    board.squareOfId[id] = uint8_t(sq);
    board.idOnSquare[sq] = uint8_t(id);
  }
  box[kKing] = (board.squareOfId[kSenteKingId] == 0) + (board.squareOfId[kGoteKingId] == 0);
  total += box[kKing];
  board.handicap = ClassifyBox(board, box, total);
}

int CompareBoardStates(const BoardState& a, const BoardState& b) {
  for (int sq = 11; sq <= 99; ++sq)
    if (IsBoardSquare(sq) && a.squares[sq] != b.squares[sq]) return sq;
  for (int kind = 1; kind <= 7; ++kind)
    if (a.hands[0][kind] != b.hands[0][kind] || a.hands[1][kind] != b.hands[1][kind]) return kind;
  return 0;
}

int CheckStartPosition(BoardState& board) {
  board.notAtStart = 1;
  const int code = board.handicap;
  if (code < 0 || code > 15) return 1;
  BoardState standard;
  SetInitialBoard(standard);
  SetHandicapBoard(standard, code);
  const int standardSide = code == 0 ? kSente : kGote;
  if (CompareBoardStates(board, standard) == 0 && board.sideToMove == standardSide)
    board.notAtStart = 0;
  return board.notAtStart;
}

int CheckPieceSet(const BoardState& board) {
  for (int i = 0; i < 112; ++i) {
    if (IsBoardSquare(i)) {
      if (!IsValidCode(board.squares[i])) return kPieceSetBadCode;
    } else if (board.squares[i] != kWall) {
      return kPieceSetBadCode;
    }
  }
  for (int h = 0; h < 2; ++h) {
    int sum = 0;
    for (int kind = 1; kind <= 7; ++kind) sum += board.hands[h][kind];
    if (sum != board.hands[h][0]) return kPieceSetBadHand;
  }
  int count[9] = {};
  int kings[2] = {};
  for (int sq = 11; sq <= 99; ++sq) {
    if (!IsBoardSquare(sq) || !IsPiece(board.squares[sq])) continue;
    int code = board.squares[sq];
    if (CodeWithoutSide(code) == kKing)
      ++kings[SideIndex(code & kSenteBit)];
    else
      ++count[KindOf(code)];
  }
  if (kings[0] > 1 || kings[1] > 1) return kPieceSetTwoKings;
  for (int kind = 1; kind <= 7; ++kind)
    if (count[kind] + board.hands[0][kind] + board.hands[1][kind] > PieceIdCount(kind))
      return kPieceSetTooMany;
  return kPieceSetOk;
}

int AddHandPieces(BoardState& board, int side, int kind, int count) {
  if (kind == kKing) return kPieceSetKingInHand;
  if (kind < 1 || kind > 7 || count < 0) return kPieceSetBadCode;
  uint8_t* hand = board.hands[SideIndex(side)];
  if (board.hands[0][kind] + board.hands[1][kind] + count > PieceIdCount(kind)) return kPieceSetTooMany;
  hand[kind] = uint8_t(hand[kind] + count);
  hand[0] = uint8_t(hand[0] + count);
  return kPieceSetOk;
}

void CapturePiece(BoardState& board, int square) {
  if (!IsBoardSquare(square)) return;
  int code = board.squares[square];
  if (!IsPiece(code)) return;
  MovePieceToHand(board, square, (code & kSenteBit) ? 0 : 1);
}

void PutBoardPieceInHand(int code, int square, BoardState& board) {
  MovePieceToHand(board, square, (code & kSenteBit) ? 1 : 0);
}

void DropPieceFromHand(BoardState& board, int code, int square) {
  const int kind = KindOf(code);
  const int h = SideIndex(code & kSenteBit);
  // A drop onto a piece would lose that piece's identity; callers capture first.
  if (!IsBoardSquare(square) || board.squares[square] != kEmpty) return;
  if (kind == 0 || board.hands[h][kind] == 0) return;
  board.hands[h][0]--;
  board.hands[h][kind]--;
  board.squares[square] = uint8_t((code & kSenteBit) | kind);
  int id = PopHandId(board, kind);
  board.idOnSquare[square] = uint8_t(id);
  if (id != 0) board.squareOfId[id] = uint8_t(square);
}

void SetTsumeLayout(BoardState& board) {
  ClearPieces(board);
  for (int id = 1; id <= 38; ++id) {
    int kind = KindOfId(id);
    board.hands[0][0]++;
    board.hands[0][kind]++;
    AppendHandId(board, kind, id);
  }
  board.squares[51] = kKing;
  board.idOnSquare[51] = kGoteKingId;
  board.squareOfId[kGoteKingId] = 51;
  board.sideToMove = kSente;
  board.handicap = kHandicapEven;
  board.notAtStart = 1;
  IdentifyHandicap(board);
  CheckStartPosition(board);
  CopyBoardState(g_StartBoard, board);
}

void MoveBoxToGoteHand(BoardState& board) {
  for (int id = 1; id <= 38; ++id) {
    if (board.squareOfId[id] != 0) continue;
    int kind = KindOfId(id);
    if (InHandIdList(board, kind, id) || board.handIdCount[kind] >= PieceIdCount(kind)) continue;
    board.hands[0][0]++;
    board.hands[0][kind]++;
    AppendHandId(board, kind, id);
  }
}

int CyclePieceState(int square, BoardState& board) {
  if (!IsBoardSquare(square)) return 0;
  const int code = board.squares[square];
  if (!IsPiece(code)) return 0;
  const int c = CodeWithoutSide(code);
  if (c == kKing) {
    const int newSide = (code & kSenteBit) ^ kSenteBit;
    for (int sq = 11; sq <= 99; ++sq)
      if (sq != square && IsBoardSquare(sq) && board.squares[sq] == (newSide | kKing)) return 0;
    board.squares[square] = uint8_t(newSide | kKing);
  } else if (c == kGold) {
    board.squares[square] = uint8_t(code ^ kSenteBit);
  } else if (code & kPromotedBit) {
    board.squares[square] = uint8_t((code ^ kSenteBit) & ~kPromotedBit);
  } else {
    board.squares[square] = uint8_t(code | kPromotedBit);
  }
  return 1;
}

void FlipBoardSides(BoardState& board) {
  BoardState old;
  CopyBoardState(old, board);
  for (int sq = 11; sq <= 99; ++sq) {
    if (!IsBoardSquare(sq)) continue;
    int from = 110 - sq;
    int code = old.squares[from];
    board.squares[sq] = IsPiece(code) ? uint8_t(code ^ kSenteBit) : code;
    board.idOnSquare[sq] = old.idOnSquare[from];
  }
  for (int id = 1; id <= kPieceIdCount; ++id)
    if (IsBoardSquare(old.squareOfId[id])) board.squareOfId[id] = uint8_t(110 - old.squareOfId[id]);
  std::memcpy(board.hands[0], old.hands[1], sizeof board.hands[0]);
  std::memcpy(board.hands[1], old.hands[0], sizeof board.hands[1]);
  board.sideToMove = kSente - old.sideToMove;
}

int GetSquareStep(int a, int b) {
  a &= 0x7F;
  const int d = a - b;
  const int fa = a / 10, ra = a % 10, fb = b / 10, rb = b % 10;
  const int sign = d > 0 ? 1 : -1;
  const int df = fa > fb ? fa - fb : fb - fa;
  const int dr = ra > rb ? ra - rb : rb - ra;
  const bool knight = df == 1 && dr == 2;
  if ((d == 12 || d == -12) && knight) return d;
  if (fa == fb) return sign;
  if ((d == 8 || d == -8) && knight) return d;
  if (ra == rb) return 10 * sign;
  if (fa + ra == fb + rb) return 9 * sign;
  if (fa - ra == fb - rb) return 11 * sign;
  return 100;
}
