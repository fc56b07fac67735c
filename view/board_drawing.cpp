#include "view/board_drawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <map>
#include <utility>

#include "record/board.h"
#include "record/record.h"
#include "record/record_reader.h"
#include "record/rules.h"
#include "settings/env.h"
#include "view/piece_images.h"

int g_nMarkedToSquare = 0;
int g_nMarkedFromSquare = 0;

namespace {

const QColor kShadowColour(0x42, 0x42, 0x42);
const QColor kEmphasisColour(255, 255, 200);
constexpr int kLabelFontHeight = 13;
const char16_t kGothicFace[] = u"ＭＳ ゴシック";

bool Flipped() { return g_bBoardFlipped != 0; }

QColor ToQColor(const EnvColor& c) { return QColor(c.r, c.g, c.b); }
QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

PixelRect Inflate(const PixelRect& r, int d) {
  return {r.left - d, r.top - d, r.right + d, r.bottom + d};
}

// A palette entry, or the setting it mirrors while no palette exists.
QColor PlainColour(int entry, const EnvColor& setting) {
  if (g_hPalette != nullptr) return QColor(GetPaletteColor(entry));
  return ToQColor(setting);
}

void FillSolid(QPainter& p, const PixelRect& r, const QColor& colour) {
  if (!r.IsEmpty()) p.fillRect(ToQRect(r), colour);
}

// ---- Reading the target -----------------------------------------------------------

// The image a painter draws on and the device offset of its coordinates, when
// its pixels can be read and raster operations apply: an image painted
// through at most a translation.
struct ImageTarget {
  const QImage* image = nullptr;
  int dx = 0;
  int dy = 0;
};

ImageTarget ReadableTarget(QPainter& p) {
  ImageTarget t;
  QPaintDevice* device = p.device();
  if (device == nullptr || device->devType() != QInternal::Image) return t;
  if (p.paintEngine() == nullptr || !p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) return t;
  QTransform m = p.deviceTransform();
  if (m.type() > QTransform::TxTranslate) return t;
  double fx = m.dx(), fy = m.dy();
  if (fx != int(fx) || fy != int(fy)) return t;
  t.image = static_cast<const QImage*>(device);
  t.dx = int(fx);
  t.dy = int(fy);
  return t;
}

// Green of the target pixel at painter coordinates (x, y); 255 outside it.
int GreenAt(const ImageTarget& t, int x, int y) {
  int px = x + t.dx, py = y + t.dy;
  if (px < 0 || py < 0 || px >= t.image->width() || py >= t.image->height()) return 255;
  return qGreen(t.image->pixel(px, py));
}

// A piece with its mask as one image with alpha, for devices without raster
// operations: opaque where the mask is dark.
const QImage& MaskedPiece(const QImage& image, const QImage& mask) {
  static std::map<std::pair<qint64, qint64>, QImage> cache;
  auto key = std::make_pair(image.cacheKey(), mask.cacheKey());
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  if (cache.size() > 64) cache.clear();
  QImage out(image.size(), QImage::Format_ARGB32);
  out.fill(Qt::transparent);
  for (int y = 0; y < image.height() && y < mask.height(); ++y)
    for (int x = 0; x < image.width() && x < mask.width(); ++x)
      if (qGray(mask.pixel(x, y)) < 128) out.setPixel(x, y, image.pixel(x, y) | 0xFF000000u);
  return cache.emplace(key, std::move(out)).first->second;
}

// AND of the mask, then OR of the image: the mask clears the piece's shape,
// the image (black outside the piece) fills it.
void CompositePiece(QPainter& p, int x, int y, const QImage& image, const QImage& mask) {
  if (image.isNull() || mask.isNull()) return;
  if (ReadableTarget(p).image == nullptr) {
    p.drawImage(x, y, MaskedPiece(image, mask));
    return;
  }
  QPainter::CompositionMode before = p.compositionMode();
  p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  p.drawImage(x, y, mask);
  p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
  p.drawImage(x, y, image);
  p.setCompositionMode(before);
}

// ---- Fonts and text --------------------------------------------------------------------

// Text whose cell's top-left is (x, y), with a transparent background.
void DrawTextAt(QPainter& p, const QFont& font, int x, int y, const QString& text,
                const QColor& colour = Qt::black) {
  p.setFont(font);
  p.setPen(colour);
  p.setBackgroundMode(Qt::TransparentMode);
  p.drawText(x, y + QFontMetrics(font).ascent(), text);
}

// ---- Grain ------------------------------------------------------------------------------

// Copies the part of grain whose pixel (gx, gy) goes to the top-left of rect.
void DrawAnchored(QPainter& p, const PixelRect& rect, const WoodGrain& grain, int gx, int gy) {
  PixelRect r = rect;
  if (gx < 0) { r.left -= gx; gx = 0; }
  if (gy < 0) { r.top -= gy; gy = 0; }
  r.right = std::min(r.right, r.left + grain.width() - gx);
  r.bottom = std::min(r.bottom, r.top + grain.height() - gy);
  if (r.IsEmpty()) return;
  p.drawImage(QPoint(r.left, r.top), grain.Covering(gx + r.Width(), gy + r.Height()),
              QRect(gx, gy, r.Width(), r.Height()));
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// The part of rect's shadow that lies inside clip.
void DrawShadowEdgesWithin(QPainter& p, const PixelRect& r, const PixelRect& clip) {
  const PixelRect lines[] = {{r.left, r.bottom - 1, r.right, r.bottom},
                             {r.left + 1, r.bottom, r.right + 1, r.bottom + 1},
                             {r.right - 1, r.top, r.right, r.bottom - 1},
                             {r.right, r.top + 1, r.right + 1, r.bottom}};
  for (const PixelRect& line : lines) FillSolid(p, Intersect(line, clip), kShadowColour);
}

// ---- Hands and box ---------------------------------------------------------------------

int SideOfCode(int code) { return (code & kSenteBit) != 0 ? kSente : kGote; }
int SideBit(int side) { return side == kSente ? kSenteBit : 0; }
bool IsLowerStand(int side) { return side == BottomSide(Flipped()); }

const uint8_t* HandOf(int side) { return g_Board.hands[SideIndex(side)]; }

PixelPoint HandSlotOf(const uint8_t hand[8], int kind, int side) {
  bool lower = IsLowerStand(side);
  return HandSlotPos(CurrentCellSize(), HandSlotNumber(hand, kind, lower), lower);
}

PixelRect SlotRect(PixelPoint at, int width) {
  return {at.x, at.y, at.x + width, at.y + CurrentCellSize().h};
}

// Copies to draw again after the first of `count` was lifted: those it
// covered.
int CoveredCopies(int kind, int count) {
  int covered = kind == kPawn ? (count < 14 ? 2 : 4) : (count == 4 ? 2 : 1);
  return std::min(covered, count - 1);
}

// `count` overlapping copies of a piece from slot position `at`, the
// right-most first so that the left-most lies on top; copies first..last.
void DrawCopies(QPainter& p, int code, int kind, PixelPoint at, int count, int first, int last) {
  int step = HandCopyStep(CurrentCellSize(), kind, count);
  for (int i = last; i >= first; --i) DrawPieceBitmap(p, code, at.x + i * step, at.y);
}

// The copies of a slot by mode (see DrawHandPieces).
void DrawSlotCopies(QPainter& p, int code, int kind, PixelPoint at, int count, int mode) {
  if (mode == 2) {
    if (count > 1) DrawCopies(p, code, kind, at, count - 1, 0, count - 2);
  } else if (mode == 1) {
    DrawCopies(p, code, kind, at, count, 1, CoveredCopies(kind, count));
  } else {
    DrawCopies(p, code, kind, at, count, 0, count - 1);
  }
}

void BoxCounts(int counts[9]) {
  counts[0] = 0;
  for (int k = 1; k <= 8; ++k) counts[k] = CountBoxPieces(k);
}

int BoxCode(int kind) { return kind | SideBit(BottomSide(Flipped())); }

// ---- Marks --------------------------------------------------------------------------------

// Runs `work` with a painter on which the square at (x, y) holds the board
// and its piece and can be read: the target itself when it can, else a small
// image of the square that is then copied to the target.
template <typename Work>
void OnReadableSquare(QPainter& p, int square, Work work) {
  PixelRect r = SquareRect(CurrentCellSize(), square, Flipped());
  if (ReadableTarget(p).image != nullptr) {
    work(p, r.left, r.top);
    return;
  }
  QImage cell(r.Width(), r.Height(), QImage::Format_RGB32);
  cell.fill(Qt::black);
  {
    QPainter cp(&cell);
    cp.translate(-r.left, -r.top);
    FillBoardGrain(cp, r);
    DrawPieceOnSquare(cp, square, g_Board.squares[square]);
    work(cp, r.left, r.top);
  }
  p.drawImage(r.left, r.top, cell);
}

// Destination-AND-colour over the square (the overpaint mark).
void OverpaintSquare(QPainter& p, int x, int y) {
  CellSize c = CurrentCellSize();
  QPainter::CompositionMode before = p.compositionMode();
  p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  p.fillRect(QRect(x, y, c.w, c.h), ToQColor(g_rgbLastPiece));
  p.setCompositionMode(before);
}

PixelRect MarkArea(int square) {
  return Inflate(SquareFrameRect(CurrentCellSize(), square, Flipped()), 3);
}

int CurrentMoveNumber() { return g_Record.moveNumber; }

// The node of the last board move shown, or null.
const RecordNode* LastMoveNode() {
  if (g_Record.moveNumber == 0 || g_Record.current == nullptr) return nullptr;
  const RecordNode* node = g_Record.current;
  if (node->to > 10) return node;
  if (g_Record.moveNumber <= 1) return nullptr;
  const RecordNode* before = GetNodeAtMove(g_Record.moveNumber - 1, g_Record);
  return before != nullptr && before->to > 10 ? before : nullptr;
}

}  // namespace

QFont MakeFont(std::u16string_view face, int height, int weight, bool italic) {
  QFont font;
  QStringList families;
  for (const std::u16string& f : MapFontFamilies(face)) families << QString::fromStdU16String(f);
  font.setFamilies(families);
  int pixels = height < 0 ? -height : height;
  if (pixels == 0) pixels = 12;
  font.setPixelSize(pixels);
  if (height > 0) {
    int cell = QFontMetrics(font).height();
    if (cell > pixels) font.setPixelSize(std::max(1, pixels * pixels / cell));
  }
  font.setWeight(weight <= 1 ? QFont::Normal : QFont::Weight(std::clamp(weight, 100, 900)));
  font.setItalic(italic);
  // Small Japanese faces are crisp bitmaps on the system the settings come
  // from; smoothing them here only blurs the thin strokes.
  if (font.pixelSize() <= 16) font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// ---- SurfacePainter ------------------------------------------------------------------

SurfacePainter::SurfacePainter(BoardSurface& surface)
    : m_surface(surface),
      m_painter(surface.Image().isNull() ? nullptr : new QPainter(&surface.Image())) {}

SurfacePainter::~SurfacePainter() {
  if (m_painter == nullptr) return;
  m_painter->end();
  delete m_painter;
  if (!m_touched.isEmpty()) m_surface.Invalidate(m_touched, false);
}

void SurfacePainter::Touch(const PixelRect& rect) {
  if (!rect.IsEmpty()) m_touched |= ToQRect(rect);
}

CellSize CurrentCellSize() { return {g_nCellWidth, g_nCellHeight}; }

// ---- Parts ------------------------------------------------------------------------------

void DrawShadowEdges(QPainter& p, const PixelRect& r) {
  DrawShadowEdgesWithin(p, r, {r.left, r.top, r.right + 1, r.bottom + 1});
}

void DrawRectOutline(QPainter& p, const PixelRect& r) {
  const QColor ink = p.pen().color();
  FillSolid(p, {r.left, r.top, r.right, r.top + 1}, ink);
  FillSolid(p, {r.left, r.bottom - 1, r.right, r.bottom}, ink);
  FillSolid(p, {r.left, r.top, r.left + 1, r.bottom}, ink);
  FillSolid(p, {r.right - 1, r.top, r.right, r.bottom}, ink);
  FillSolid(p, {r.left + 1, r.bottom, r.right + 1, r.bottom + 1}, ink);
  FillSolid(p, {r.right, r.top + 1, r.right + 1, r.bottom + 1}, ink);
}

void FillBoardGrain(QPainter& p, const PixelRect& rect) {
  CellSize c = CurrentCellSize();
  if (g_nBoardKind >= 2) {
    FillSolid(p, rect, PlainColour(kPalBoard, g_rgbBoard));
    return;
  }
  if (g_BoardGrain.isNull()) return;
  PixelPoint g = BoardGrainPixel(c, rect.left, rect.top);
  DrawAnchored(p, rect, g_BoardGrain, g.x, g.y);
}

void FillStandGrain(QPainter& p, const PixelRect& rect) {
  CellSize c = CurrentCellSize();
  if (g_nStandKind >= 2) {
    FillSolid(p, rect, PlainColour(kPalPieceBox, g_rgbPieceBox));
    return;
  }
  if (g_StandGrain.isNull()) return;
  PixelPoint g = StandGrainPixel(c, rect.left, rect.left, rect.top);
  DrawAnchored(p, rect, g_StandGrain, g.x, g.y);
}

void DrawGrid(QPainter& p) {
  CellSize c = CurrentCellSize();
  PixelRect g = GridBounds(c);
  for (int i = 0; i <= 9; ++i) {
    int y = GridLineY(c, i);
    int x = GridLineX(c, i);
    FillSolid(p, {g.left, y, g.right, y + 1}, Qt::black);
    FillSolid(p, {x, g.top, x + 1, g.bottom}, Qt::black);
  }
}

void DrawStarPoint(QPainter& p, int a, int b) {
  PixelPoint x = GridCrossing(CurrentCellSize(), a, b);
  FillSolid(p, {x.x - 1, x.y - 2, x.x + 2, x.y + 3}, Qt::black);
  FillSolid(p, {x.x - 2, x.y - 1, x.x + 3, x.y + 2}, Qt::black);
}

void DrawStarPoints(QPainter& p) {
  for (const auto& s : kStarPointLines) DrawStarPoint(p, s[0], s[1]);
}

void RedrawStarPoints(QPainter& p, int square) {
  int i = StarPointOfSquare(square, Flipped());
  if (i >= 0) DrawStarPoint(p, kStarPointLines[i][0], kStarPointLines[i][1]);
}

void DrawCoordinates(QPainter& p) {
  CellSize c = CurrentCellSize();
  bool flipped = Flipped();
  QFont font = MakeFont(g_fontCoords.face, g_fontCoords.size, g_fontCoords.bold, g_fontCoords.italic != 0);
  static const char16_t kNumerals[] = u"一二三四五六七八九";
  for (int i = 1; i <= 9; ++i) {
    PixelPoint d = FileDigitPos(c, i, flipped);
    DrawTextAt(p, font, d.x, d.y, QString(QChar(u'0' + i)));
    PixelPoint n = RankNumeralPos(c, i, flipped);
    DrawTextAt(p, font, n.x, n.y, QString(QChar(kNumerals[i - 1])));
  }
}

// ---- Pieces -------------------------------------------------------------------------------

void DrawPieceBitmap(QPainter& p, int code, int x, int y) {
  if (!IsPiece(code)) return;
  int set = SideOfCode(code) == BottomSide(Flipped()) ? 0 : 1;
  int image = code & 15;
  if (code == kKing) image = g_Board.squareOfId[kSenteKingId] != 0 ? 0 : 8;
  CompositePiece(p, x, y, g_PieceImage[set][image], g_PieceMask[set][code & 7]);
}

void DrawPieceOnSquare(QPainter& p, int square, int code) {
  if (!IsBoardSquare(square) || !IsPiece(code)) return;
  PixelPoint at = SquareTopLeft(CurrentCellSize(), square, Flipped());
  DrawPieceBitmap(p, code, at.x, at.y);
}

void DrawCell(QPainter& p, int cell) {
  if (cell >= 1 && cell <= 8) {
    DrawBoxPieces(p, cell);
  } else if (IsBoardSquare(cell)) {
    DrawPieceOnSquare(p, cell, g_Board.squares[cell]);
  } else if (IsRealHandCell(cell)) {
    DrawHandPieces(p, PieceCodeAt(cell), 0);
  }
}

void EraseSquare(QPainter& p, int square) {
  if (IsBoardSquare(square)) FillBoardGrain(p, SquareRect(CurrentCellSize(), square, Flipped()));
}

void EraseSquareFrame(QPainter& p, int square) {
  if (IsBoardSquare(square)) FillBoardGrain(p, SquareFrameRect(CurrentCellSize(), square, Flipped()));
}

void EraseCell(QPainter& p, int cell) {
  CellSize c = CurrentCellSize();
  if (cell >= 1 && cell <= 8) {
    FillStandGrain(p, SlotRect(GetBoxSlotPos(cell), c.w));
  } else if (IsBoardSquare(cell)) {
    EraseSquare(p, cell);
  } else if (IsRealHandCell(cell)) {
    int code = PieceCodeAt(cell);
    FillStandGrain(p, SlotRect(GetHandSlotPos(code & 7, SideOfCode(code)), c.w));
  }
}

void EraseAndDrawCell(QPainter& p, int cell) {
  EraseCell(p, cell);
  DrawCell(p, cell);
}

PixelRect CellArea(int cell) {
  CellSize c = CurrentCellSize();
  if (cell >= 1 && cell <= 8) return SlotRect(GetBoxSlotPos(cell), HandSlotWidth(c, cell));
  if (IsBoardSquare(cell)) return SquareFrameRect(c, cell, Flipped());
  if (IsRealHandCell(cell)) {
    int code = PieceCodeAt(cell);
    return SlotRect(GetHandSlotPos(code & 7, SideOfCode(code)), HandSlotWidth(c, code & 7));
  }
  return {};
}

void RedrawCell(BoardSurface& view, int cell) {
  CellSize c = CurrentCellSize();
  SurfacePainter sp(view);
  if (!sp.Active()) return;
  QPainter& p = sp.Painter();
  if (cell >= 1 && cell <= 8) {
    PixelRect r = SlotRect(GetBoxSlotPos(cell), HandSlotWidth(c, cell));
    FillStandGrain(p, r);
    DrawBoxPieces(p, cell);
    sp.Touch(r);
  } else if (IsBoardSquare(cell)) {
    DrawCell(p, cell);
    sp.Touch(SquareRect(c, cell, Flipped()));
  } else if (IsRealHandCell(cell)) {
    int code = PieceCodeAt(cell);
    PixelRect r = SlotRect(GetHandSlotPos(code & 7, SideOfCode(code)), HandSlotWidth(c, code & 7));
    FillStandGrain(p, r);
    DrawHandPieces(p, code, 0);
    sp.Touch(r);
  }
}

void InvalidateSquare(BoardSurface& view, int square) {
  if (IsBoardSquare(square))
    view.Invalidate(ToQRect(SquareFrameRect(CurrentCellSize(), square, Flipped())), true);
}

// ---- Stands ---------------------------------------------------------------------------------

void DrawStandLabel(QPainter& p, int side) {
  CellSize c = CurrentCellSize();
  bool lower = IsLowerStand(side);
  PixelRect box = StandLabelBox(c, lower);
  // The emphasis box and its erasure share one size, so that switching the
  // side to move leaves no pale line under the label.
  if (g_bEmphasizeTurn != 0 && g_Board.sideToMove == side)
    FillSolid(p, box, kEmphasisColour);
  else
    FillStandGrain(p, box);
  // The upper stand's label box reaches the stand's shadow: put it back.
  DrawShadowEdgesWithin(p, StandRect(c, side, Flipped()), box);
  const char16_t* text = g_Board.handicap != 0 ? (side == kSente ? u"下手" : u"上手")
                                               : (side == kSente ? u"先手" : u"後手");
  PixelPoint at = StandLabelPos(c, lower);
  DrawTextAt(p, MakeFont(kGothicFace, kLabelFontHeight, 0, false), at.x, at.y,
             QString::fromUtf16(text));
}

void DrawStandLabel(BoardSurface& view, int side) {
  SurfacePainter sp(view);
  if (!sp.Active()) return;
  DrawStandLabel(sp.Painter(), side);
  sp.Touch(Inflate(StandLabelBox(CurrentCellSize(), IsLowerStand(side)), 2));
}

void DrawStand(QPainter& p, int side) {
  PixelRect r = StandRect(CurrentCellSize(), side, Flipped());
  FillStandGrain(p, r);
  DrawShadowEdges(p, r);
  DrawStandLabel(p, side);
  const uint8_t* hand = HandOf(side);
  for (int kind = kRook; kind >= kPawn; --kind)
    if (hand[kind] != 0) DrawHandPieces(p, kind | SideBit(side), 0);
}

void DrawHandPieces(QPainter& p, int code, int mode) {
  int side = SideOfCode(code);
  int kind = code & 7;
  if (kind == 0) return;
  const uint8_t* hand = HandOf(side);
  int count = hand[kind];
  if (count <= 0) return;
  PixelPoint at = HandSlotOf(hand, kind, side);
  DrawSlotCopies(p, kind | SideBit(side), kind, at, count, mode);
}

void DrawHandFrom(QPainter& p, int code) {
  int side = SideOfCode(code);
  for (int kind = code & 7; kind >= kPawn; --kind)
    if (HandOf(side)[kind] != 0) DrawHandPieces(p, kind | SideBit(side), 0);
}

void EraseHandSlot(QPainter& p, int code) {
  int kind = code & 7;
  if (kind == 0) return;
  CellSize c = CurrentCellSize();
  FillStandGrain(p, SlotRect(GetHandSlotPos(kind, SideOfCode(code)), HandSlotWidth(c, kind)));
}

void EraseHandSlotsFrom(QPainter& p, int code) {
  int side = SideOfCode(code), kind = code & 7;
  CellSize c = CurrentCellSize();
  for (int k = kind; k >= kPawn; --k)
    FillStandGrain(p, SlotRect(GetHandSlotPosWithKind(k, side, kind), HandSlotWidth(c, k)));
}

void EraseHandSlotsBelow(QPainter& p, int code) {
  int side = SideOfCode(code), kind = code & 7;
  CellSize c = CurrentCellSize();
  for (int k = kind; k >= kPawn; --k)
    FillStandGrain(p, SlotRect(GetHandSlotPosWithoutKind(k, side, kind), HandSlotWidth(c, k)));
}

PixelPoint GetHandSlotPos(int kind, int side) { return HandSlotOf(HandOf(side), kind, side); }

PixelPoint GetHandSlotPosWithKind(int kind, int side, int other) {
  uint8_t hand[8];
  std::copy_n(HandOf(side), 8, hand);
  if (other >= kPawn && other <= kRook && hand[other] == 0) hand[other] = 1;
  return HandSlotOf(hand, kind, side);
}

PixelPoint GetHandSlotPosWithoutKind(int kind, int side, int other) {
  uint8_t hand[8];
  std::copy_n(HandOf(side), 8, hand);
  if (other >= kPawn && other <= kRook) hand[other] = 0;
  return HandSlotOf(hand, kind, side);
}

// ---- Piece box ------------------------------------------------------------------------------

int CountBoxPieces(int kind) {
  if (kind < kPawn || kind > kKing) return 0;
  int count = g_PieceIdRanges[kind][1] - g_PieceIdRanges[kind][0] + 1;
  for (int sq = 11; sq <= 99; ++sq) {
    int code = g_Board.squares[sq];
    if (!IsBoardSquare(sq) || !IsPiece(code)) continue;
    if (kind == kKing ? (code & 15) == kKing : (code & 7) == kind) --count;
  }
  if (kind != kKing) count -= g_Board.hands[0][kind] + g_Board.hands[1][kind];
  return std::max(count, 0);
}

PixelPoint GetBoxSlotPos(int kind) {
  int counts[9];
  BoxCounts(counts);
  return BoxSlotPos(CurrentCellSize(), BoxSlotNumber(counts, kind));
}

void DrawBoxPieces(QPainter& p, int kind, int mode) {
  int count = CountBoxPieces(kind);
  if (count <= 0) return;
  DrawSlotCopies(p, BoxCode(kind), kind, GetBoxSlotPos(kind), count, mode);
}

void DrawPieceBox(QPainter& p) {
  CellSize c = CurrentCellSize();
  PixelRect r = PieceBoxRect(c);
  FillStandGrain(p, r);
  DrawShadowEdges(p, r);
  PixelPoint at = PieceBoxLabelPos(c);
  DrawTextAt(p, MakeFont(kGothicFace, kLabelFontHeight, 0, false), at.x, at.y, QStringLiteral("駒箱"));
  for (int kind = kKing; kind >= kPawn; --kind) DrawBoxPieces(p, kind);
}

void ClearPieceBoxArea(QPainter& p) {
  FillSolid(p, PieceBoxClearRect(CurrentCellSize()), ToQColor(g_rgbBackground));
}

void ClearPieceBoxArea(BoardSurface& view) {
  SurfacePainter sp(view);
  if (!sp.Active()) return;
  ClearPieceBoxArea(sp.Painter());
  sp.Touch(PieceBoxClearRect(CurrentCellSize()));
}

// ---- Whole board -------------------------------------------------------------------------

void DrawBoard(QPainter& p) {
  CellSize c = CurrentCellSize();
  PixelRect board = BoardRect(c);
  FillBoardGrain(p, board);
  DrawShadowEdges(p, board);
  // The square colour goes under the grid and the piece, on this painter:
  // the board may be drawn for an image or a printer, not the window.
  if (g_nLastMoveMark == 3) {
    int to = GetLastMoveToSquare();
    if (IsBoardSquare(to)) FillSquareHighlight(p, to);
  }
  DrawGrid(p);
  DrawStarPoints(p);
  for (int sq = 11; sq <= 99; ++sq)
    if (IsBoardSquare(sq)) DrawCell(p, sq);
  DrawStand(p, kSente);
  DrawStand(p, kGote);
  DrawCoordinates(p);
}

// ---- Last move marks ----------------------------------------------------------------------

int GetLastMoveToSquare() {
  const RecordNode* node = LastMoveNode();
  return node != nullptr ? (node->to & 0x7F) : 0;
}

int GetLastMoveFromSquare() {
  const RecordNode* node = LastMoveNode();
  return node != nullptr ? node->from : 0;
}

void FillSquareHighlight(QPainter& p, int square) {
  if (IsBoardSquare(square))
    FillSolid(p, SquareFrameRect(CurrentCellSize(), square, Flipped()), ToQColor(g_rgbLastSquare));
}

void HighlightFromSquare(QPainter& p, int square) {
  if (IsBoardSquare(square))
    FillSolid(p, SquareFrameRect(CurrentCellSize(), square, Flipped()), ToQColor(g_rgbLastFrom));
}

void RecolourPieceImage(QPainter& p, int x, int y) {
  ImageTarget t = ReadableTarget(p);
  if (t.image == nullptr) return;
  CellSize c = CurrentCellSize();
  int threshold = GetRecolourThreshold();
  QColor colour = ToQColor(g_rgbLastPiece);
  // Each run of bright pixels is filled once it ends (column x + W - 2 ends
  // the last); a fill only covers pixels already read.
  for (int row = y; row < y + c.h; ++row) {
    int runStart = -1;
    for (int col = x + 2; col <= x + c.w - 2; ++col) {
      bool bright = col <= x + c.w - 3 && GreenAt(t, col, row) > threshold;
      if (bright && runStart < 0) runStart = col;
      if (!bright && runStart >= 0) {
        p.fillRect(QRect(runStart, row, col - runStart, 1), colour);
        runStart = -1;
      }
    }
  }
}

void HighlightSquare(QPainter& p, int cell) {
  if (IsHandCell(cell)) {
    if (IsRealHandCell(cell)) DrawHandPieces(p, PieceCodeAt(cell), 0);
    return;
  }
  if (!IsBoardSquare(cell)) return;
  int style = g_nLastMoveMark;
  if (style == 0) return;
  bool neverOverpaint = g_nBoardKind < 2 || GetPieceSetFlag(g_nPieceSet) != 0;
  if (style == 3) {
    FillSquareHighlight(p, cell);
  } else if (style == 1 && !neverOverpaint) {
    OnReadableSquare(p, cell, [](QPainter& q, int x, int y) { OverpaintSquare(q, x, y); });
  } else {
    OnReadableSquare(p, cell, [](QPainter& q, int x, int y) { RecolourPieceImage(q, x, y); });
  }
}

void ShowLastMoveHighlight(QPainter& p) {
  if (CurrentMoveNumber() == 0 || g_nLastMoveMark == 0) return;
  int to = GetLastMoveToSquare();
  g_nMarkedToSquare = to;
  HighlightSquare(p, to);
  if (g_nLastMoveMark == 3 && IsBoardSquare(to)) {
    DrawPieceOnSquare(p, to, g_Board.squares[to]);
    RedrawStarPoints(p, to);
  }
}

void ShowLastMoveFromHighlight(QPainter& p) {
  if (g_bShowMoveOrigin == 0 || CurrentMoveNumber() == 0) return;
  int from = GetLastMoveFromSquare();
  g_nMarkedFromSquare = from;
  if (IsBoardSquare(from)) {
    HighlightFromSquare(p, from);
    RedrawStarPoints(p, from);
  }
}

void ClearLastMoveHighlight(QPainter& p) {
  if (CurrentMoveNumber() == 0) return;
  for (int sq : {g_nMarkedToSquare, g_nMarkedFromSquare}) {
    if (!IsBoardSquare(sq)) continue;
    EraseSquareFrame(p, sq);
    DrawPieceOnSquare(p, sq, g_Board.squares[sq]);
    RedrawStarPoints(p, sq);
  }
}

void ShowLastMoveHighlight(BoardSurface& view) {
  SurfacePainter sp(view);
  if (!sp.Active()) return;
  ShowLastMoveHighlight(sp.Painter());
  if (IsBoardSquare(g_nMarkedToSquare)) sp.Touch(MarkArea(g_nMarkedToSquare));
  else if (IsRealHandCell(g_nMarkedToSquare))
    sp.Touch(StandRect(CurrentCellSize(), SideOfCode(PieceCodeAt(g_nMarkedToSquare)), Flipped()));
}

void ShowLastMoveFromHighlight(BoardSurface& view) {
  SurfacePainter sp(view);
  if (!sp.Active()) return;
  ShowLastMoveFromHighlight(sp.Painter());
  if (IsBoardSquare(g_nMarkedFromSquare)) sp.Touch(MarkArea(g_nMarkedFromSquare));
}

void ClearLastMoveHighlight(BoardSurface& view) {
  SurfacePainter sp(view);
  if (!sp.Active()) return;
  ClearLastMoveHighlight(sp.Painter());
  for (int sq : {g_nMarkedToSquare, g_nMarkedFromSquare})
    if (IsBoardSquare(sq)) sp.Touch(MarkArea(sq));
}
