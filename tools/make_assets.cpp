// Makes the program's own images and sounds from the IPAex fonts and code:
// the four piece sheets, the two wood-grain images, the two piece sounds and
// the icons. Everything is drawn or synthesised here, deterministically.
//
//   make_assets [RESDIR [PREVIEWDIR]]
//
// RESDIR defaults to ./res; PREVIEWDIR, when given, receives enlarged PNG
// renderings and a sample board for looking at the results.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* kMinchoPath = "/usr/share/fonts/opentype/ipaexfont-mincho/ipaexm.ttf";
const char* kGothicPath = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

QString g_minchoFamily;

// ---------------------------------------------------------------- helpers

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double Mix(double a, double b, double t) { return a + (b - a) * t; }
QRgb MixRgb(QRgb a, QRgb b, double t) {
  return qRgb(int(std::lround(Mix(qRed(a), qRed(b), t))), int(std::lround(Mix(qGreen(a), qGreen(b), t))),
              int(std::lround(Mix(qBlue(a), qBlue(b), t))));
}

// Small deterministic generator, so that every run makes the same files.
struct Rng {
  uint64_t s;
  explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return uint32_t(s >> 11);
  }
  double Uniform() { return (Next() & 0xFFFFFF) / double(0x1000000); }
};

uint32_t Hash(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}
double Lattice(int x, int y, uint32_t seed) { return (Hash(x, y, seed) & 0xFFFF) / 65535.0; }
double Smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Value noise in [0, 1].
double Noise(double x, double y, uint32_t seed) {
  int xi = int(std::floor(x)), yi = int(std::floor(y));
  double fx = Smooth(x - xi), fy = Smooth(y - yi);
  double a = Lattice(xi, yi, seed), b = Lattice(xi + 1, yi, seed);
  double c = Lattice(xi, yi + 1, seed), d = Lattice(xi + 1, yi + 1, seed);
  return Mix(Mix(a, b, fx), Mix(c, d, fx), fy);
}
// Fractal sum of noise, centred on 0, roughly in [-1, 1].
double Fbm(double x, double y, uint32_t seed, int octaves = 4) {
  double sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * (Noise(x, y, seed + i * 101) * 2 - 1);
    norm += amp;
    amp *= 0.5;
    x *= 2.03;
    y *= 2.03;
  }
  return sum / norm;
}

// ---------------------------------------------------------------- files

void Put16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

bool WriteFile(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  f.write(bytes.data(), qint64(bytes.size()));
  return true;
}

// Indexed image, top-down rows of palette indices.
struct Indexed {
  int width = 0, height = 0;
  std::vector<QRgb> palette;
  std::vector<uint8_t> pixels;
  uint8_t& At(int x, int y) { return pixels[size_t(y) * width + x]; }
  QImage ToImage() const {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) img.setPixel(x, y, palette[pixels[size_t(y) * width + x]]);
    return img;
  }
};

// Uncompressed bottom-up BMP of 4 or 8 bits with a full colour table.
bool WriteIndexedBmp(const QString& path, const Indexed& img, int bits) {
  const int colours = 1 << bits;
  const int stride = ((img.width * bits + 31) / 32) * 4;
  const uint32_t table = uint32_t(colours) * 4, offset = 14 + 40 + table;
  const uint32_t imageSize = uint32_t(stride) * img.height;
  std::string s;
  s += "BM";
  Put32(s, offset + imageSize);
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, uint32_t(img.width));
  Put32(s, uint32_t(img.height));
  Put16(s, 1);
  Put16(s, unsigned(bits));
  Put32(s, 0);  // no compression
  Put32(s, imageSize);
  Put32(s, 2835);  // 72 dpi
  Put32(s, 2835);
  Put32(s, uint32_t(colours));
  Put32(s, 0);
  for (int i = 0; i < colours; ++i) {
    QRgb c = i < int(img.palette.size()) ? img.palette[i] : qRgb(0, 0, 0);
    s += char(qBlue(c));
    s += char(qGreen(c));
    s += char(qRed(c));
    s += char(0);
  }
  for (int y = img.height - 1; y >= 0; --y) {
    std::string row(size_t(stride), '\0');
    for (int x = 0; x < img.width; ++x) {
      uint8_t v = img.pixels[size_t(y) * img.width + x];
      if (bits == 8)
        row[x] = char(v);
      else if (x % 2 == 0)
        row[x / 2] = char(v << 4);
      else
        row[x / 2] = char(row[x / 2] | (v & 0xF));
    }
    s += row;
  }
  return WriteFile(path, s);
}

// ---------------------------------------------------------------- pieces

// The piece's colours. The face stays brighter in green than any wood of the
// board (its green is above every grain colour's), while the outline, the
// edge and the writing stay darker, so that recolouring a piece by its green
// value catches exactly its face.
const QRgb kFaceLight = qRgb(252, 230, 164);
const QRgb kFaceDark = qRgb(238, 208, 134);
const QRgb kOutline = qRgb(70, 44, 20);
const QRgb kEdge = qRgb(196, 150, 84);  // the lower rim, showing the piece's thickness
const QRgb kInkBlack = qRgb(16, 12, 10);
const QRgb kInkRed = qRgb(192, 22, 14);
const int kDarkMaxGreen = 168;

// Piece sheet colour table: the colours every sheet needs come first (they
// are what a 256-colour display gets of the sheet), then the finer shades.
struct PiecePalette {
  std::vector<QRgb> colours;
  int black = 0, white = 1, outline = 2, edge = 3;
  int faceFirst = 0, faceCount = 0;
  int inkFirst[2] = {0, 0}, inkCount = 0;  // [0] black ink, [1] red ink; level 0 is full ink
  std::vector<double> inkLevels;           // ink coverage of each level, descending
};

PiecePalette MakePiecePalette(int colours) {
  PiecePalette p;
  p.colours = {qRgb(0, 0, 0), qRgb(255, 255, 255), kOutline, kEdge};
  const int faces = colours == 16 ? 4 : 48;
  const int inks = colours == 16 ? 4 : 20;
  QRgb faceMid = MixRgb(kFaceLight, kFaceDark, 0.5);
  for (int i = 0; i < inks; ++i) p.inkLevels.push_back(1.0 - 0.62 * i / (inks - 1));
  p.faceFirst = int(p.colours.size());
  p.faceCount = faces;
  for (int i = 0; i < faces; ++i) p.colours.push_back(MixRgb(kFaceLight, kFaceDark, faces == 1 ? 0 : double(i) / (faces - 1)));
  for (int k = 0; k < 2; ++k) {
    p.inkFirst[k] = int(p.colours.size());
    for (int i = 0; i < inks; ++i) {
      QRgb c = MixRgb(faceMid, k ? kInkRed : kInkBlack, p.inkLevels[i]);
      if (qGreen(c) > kDarkMaxGreen) c = qRgb(qRed(c), kDarkMaxGreen, qBlue(c));
      p.colours.push_back(c);
    }
  }
  p.inkCount = inks;
  while (int(p.colours.size()) < colours) p.colours.push_back(qRgb(0, 0, 0));
  return p;
}

struct PieceText {
  const char16_t* two;
  const char16_t* one;
  bool red;
};
// Sheet columns: king, rook, bishop, gold, silver, knight, lance, pawn; the
// second row holds the promoted pieces (and 玉 in the king's column).
const PieceText kTexts[2][8] = {
    {{u"王将", u"王", false},
     {u"飛車", u"飛", false},
     {u"角行", u"角", false},
     {u"金将", u"金", false},
     {u"銀将", u"銀", false},
     {u"桂馬", u"桂", false},
     {u"香車", u"香", false},
     {u"歩兵", u"歩", false}},
    {{u"玉将", u"玉", false},
     {u"龍王", u"龍", true},
     {u"龍馬", u"馬", true},
     {u"金将", u"金", false},
     {u"成銀", u"全", true},
     {u"成桂", u"圭", true},
     {u"成香", u"杏", true},
     {u"と金", u"と", true}},
};
// Real pieces grow with their rank: the king is the largest, the pawn the smallest.
const double kKindScale[8] = {1.0, 0.97, 0.97, 0.94, 0.94, 0.91, 0.88, 0.85};

// The pentagon of a piece of pw × ph pixels placed at (left, top), in the
// coordinates of a cell magnified by ss.
QPainterPath PentagonPath(double left, double top, double pw, double ph, double ss) {
  QPainterPath path;
  auto pt = [&](double fx, double fy) { return QPointF((left + fx * pw) * ss, (top + fy * ph) * ss); };
  path.moveTo(pt(0.5, 0.0));
  path.lineTo(pt(0.90, 0.24));
  path.lineTo(pt(1.0, 1.0));
  path.lineTo(pt(0.0, 1.0));
  path.lineTo(pt(0.10, 0.24));
  path.closeSubpath();
  return path;
}

// One character's outline, its em box mapped onto box.
QPainterPath GlyphPath(QChar ch, const QRectF& box) {
  QFont font(g_minchoFamily);
  font.setPixelSize(1000);
  font.setStyleStrategy(QFont::PreferOutline);
  QFontMetricsF fm(font);
  QPainterPath path;
  path.addText(0, 0, font, QString(ch));
  const double emTop = -fm.ascent(), emHeight = fm.ascent() + fm.descent();
  const double advance = fm.horizontalAdvance(ch);
  QTransform t;
  t.translate(box.left(), box.top());
  t.scale(box.width() / advance, box.height() / emHeight);
  t.translate(0, -emTop);
  return t.map(path);
}

// Coverage (0..1) of a path over a cell, drawn magnified ss times and
// averaged back down.
std::vector<double> Coverage(const QPainterPath& path, int w, int h, int ss, double strokeWidth = 0) {
  QImage hi(w * ss, h * ss, QImage::Format_ARGB32_Premultiplied);
  hi.fill(Qt::black);
  {
    QPainter p(&hi);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::white);
    if (strokeWidth > 0)
      p.setPen(QPen(Qt::white, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
      p.setPen(Qt::NoPen);
    p.drawPath(path);
  }
  std::vector<double> cov(size_t(w) * h, 0.0);
  for (int y = 0; y < h * ss; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(hi.constScanLine(y));
    for (int x = 0; x < w * ss; ++x) cov[size_t(y / ss) * w + x / ss] += qRed(line[x]);
  }
  for (double& c : cov) c /= 255.0 * ss * ss;
  return cov;
}

struct PieceCell {
  std::vector<uint8_t> image, mask;  // palette indices, W × H, upright
};

// Draws one upright piece of the given column and row into a W × H cell.
PieceCell DrawPiece(int column, int row, int W, int H, bool twoChar, const PiecePalette& pal, uint32_t seed) {
  const int ss = 8;
  // The largest piece fills the cell but for a pixel at each side; the width
  // keeps the parity of the cell's so that the piece sits in its middle.
  const double maxH = H - 2, maxW = std::min(double(W - 2), std::floor(maxH * 0.90));
  int pw = int(std::lround(maxW * kKindScale[column]));
  int ph = int(std::lround(maxH * kKindScale[column]));
  if ((W - pw) % 2) --pw;
  const double left = (W - pw) / 2.0;
  const double top = std::floor((H - ph) / 2.0 + 0.5);
  QPainterPath pent = PentagonPath(left, top, pw, ph, ss);
  std::vector<double> pc = Coverage(pent, W, H, ss);

  // The writing, thickened a little: a plain Mincho face has hairlines that
  // vanish at these sizes, where a piece's brush writing is bold.
  const PieceText& text = kTexts[row][column];
  QPainterPath ink;
  double charPx;
  if (twoChar) {
    const double areaTop = top + ph * 0.25, areaBottom = top + ph * 0.965;
    const double chH = (areaBottom - areaTop) / 2;
    const double chW = std::min(pw * 0.66, chH * 1.22);
    charPx = chH;
    for (int i = 0; i < 2; ++i) {
      QRectF box((left + (pw - chW) / 2) * ss, (areaTop + i * chH) * ss, chW * ss, chH * ss);
      ink.addPath(GlyphPath(QChar(text.two[i]), box));
    }
  } else {
    const double ch = std::min(pw * 0.74, ph * 0.66);
    charPx = ch;
    const double cy = top + ph * 0.6;
    QRectF box((left + (pw - ch) / 2) * ss, (cy - ch / 2) * ss, ch * ss, ch * ss);
    ink.addPath(GlyphPath(QChar(text.one[0]), box));
  }
  const double stroke = std::clamp(0.64 - charPx * 0.025, 0.16, 0.45) * ss;
  std::vector<double> kc = Coverage(ink, W, H, ss, stroke);

  PieceCell cell;
  cell.image.assign(size_t(W) * H, uint8_t(pal.black));
  cell.mask.assign(size_t(W) * H, uint8_t(pal.white));
  auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < W && y < H && pc[size_t(y) * W + x] >= 0.5; };
  const bool red = text.red;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      if (!inside(x, y)) continue;
      const size_t i = size_t(y) * W + x;
      cell.mask[i] = uint8_t(pal.black);
      const bool border = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      if (border) {
        cell.image[i] = uint8_t(pal.outline);
        continue;
      }
      if (!inside(x, y + 2)) {  // the row above the bottom outline: the rim of the piece
        cell.image[i] = uint8_t(pal.edge);
        continue;
      }
      const double k = kc[i];
      if (k >= 0.3) {
        int level = 0;
        while (level + 1 < pal.inkCount && pal.inkLevels[level + 1] >= k) ++level;
        cell.image[i] = uint8_t(pal.inkFirst[red ? 1 : 0] + level);
        continue;
      }
      // Boxwood face: lighter towards the upper left, with a faint straight grain.
      const double fx = (x - left) / pw, fy = (y - top) / ph;
      double shade = 0.22 + 0.35 * (fx * 0.4 + fy * 0.6);
      shade += 0.28 * Fbm(x * 0.9 + seed * 7.0, y * 0.08, seed, 3);
      shade += 0.12 * (Lattice(x, y, seed + 17) - 0.5);  // dithering between the shades
      int level = int(std::lround(Clamp01(shade) * (pal.faceCount - 1)));
      cell.image[i] = uint8_t(pal.faceFirst + level);
    }
  }
  return cell;
}

struct SheetDef {
  const char* name;
  int width, height, colours;
  bool twoChar;
};
const SheetDef kSheets[] = {
    {"S_2", 248, 192, 16, true},
    {"KOMA_1", 248, 192, 256, false},
    {"M_MAKI", 288, 234, 256, true},
    {"L_MAKI", 320, 270, 256, true},
};

// The sheet in its normal layout: rows 0-2 upright pieces, promoted pieces
// and masks; rows 3-5 the same turned by half a turn.
Indexed MakeSheet(const SheetDef& def) {
  const int W = def.width / 8, H = def.height / 6;
  PiecePalette pal = MakePiecePalette(def.colours);
  Indexed sheet;
  sheet.width = def.width;
  sheet.height = def.height;
  sheet.palette = pal.colours;
  sheet.pixels.assign(size_t(def.width) * def.height, uint8_t(pal.black));
  for (int column = 0; column < 8; ++column) {
    for (int row = 0; row < 2; ++row) {
      PieceCell cell = DrawPiece(column, row, W, H, def.twoChar, pal, uint32_t(column * 2 + row + 1));
      for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
          const size_t i = size_t(y) * W + x;
          const size_t turned = size_t(H - 1 - y) * W + (W - 1 - x);
          sheet.At(column * W + x, row * H + y) = cell.image[i];
          sheet.At(column * W + x, (row + 3) * H + y) = cell.image[turned];
          if (row == 0) {
            sheet.At(column * W + x, 2 * H + y) = cell.mask[i];
            sheet.At(column * W + x, 5 * H + y) = cell.mask[turned];
          }
        }
      }
    }
  }
  return sheet;
}

// ---------------------------------------------------------------- wood grain

// Darkness of the straight-grained board wood (0 light .. 1 dark) and a
// warmth (0 yellow .. 1 red) at a pixel.
void StraightGrain(int x, int y, double& dark, double& warm) {
  const double warp = 14 * Fbm(x * 0.003, y * 0.0012, 11) + 3 * Fbm(x * 0.02, y * 0.003, 12);
  const double u = x + warp;
  const double phase = u / 9.0 + 6.0 * Fbm(u * 0.004, 0.5, 13, 3);
  const double f = phase - std::floor(phase);
  const double strength = 0.55 + 0.45 * Noise(std::floor(phase) * 0.7, y * 0.004, 17);
  const double ring = strength * std::exp(-std::pow((f - 0.5) / 0.08, 2));  // late wood: a thin dark line
  const double soft = 0.5 + 0.5 * std::cos((f - 0.5) * 2 * M_PI);        // early to late wood
  const double fibre = Fbm(x * 0.7, y * 0.015, 14, 2);                    // long fine fibres
  const double tone = Fbm(x * 0.005, y * 0.0009, 15, 3);                  // broad bands of colour
  dark = Clamp01(0.2 + 0.38 * ring + 0.12 * soft + 0.10 * fibre + 0.3 * tone);
  warm = Clamp01(0.5 + 0.5 * Fbm(x * 0.004, y * 0.002, 16, 3) + 0.3 * ring);
}

// Flat-sawn wood with arches ("cathedrals") rising through the straight grain.
void ArchedGrain(int x, int y, double& dark, double& warm) {
  const double wx = x + 18 * Fbm(x * 0.004, y * 0.002, 21);
  const double wy = y + 30 * Fbm(x * 0.003, y * 0.003, 22);
  // Three arch centres side by side; each ring is a level line of
  // a x^2 - b y, an arch that narrows towards its top.
  double best = 1e9;
  for (double cx : {75.0, 420.0, 760.0}) {
    const double dx = wx - cx;
    best = std::min(best, dx * dx / 160.0 - wy * 0.45 + 600);
  }
  const double phase = best / 11.0 + 1.2 * Fbm(wx * 0.01, wy * 0.004, 23, 3);
  const double f = phase - std::floor(phase);
  const double ring = std::exp(-std::pow((f - 0.5) / 0.11, 2));
  const double soft = 0.5 + 0.5 * std::cos((f - 0.5) * 2 * M_PI);
  const double fibre = Fbm(x * 0.6, y * 0.02, 24, 2);
  const double tone = Fbm(x * 0.002, y * 0.002, 25, 3);
  dark = Clamp01(0.22 + 0.42 * ring + 0.14 * soft + 0.10 * fibre + 0.22 * tone);
  warm = Clamp01(0.55 + 0.45 * Fbm(x * 0.003, y * 0.003, 26, 3) + 0.25 * ring);
}

// The colour of wood: green depends on the darkness alone, so that the
// lightest colour of every table carries the highest green of the image.
QRgb WoodColour(double dark, double warm, bool stand) {
  const QRgb light = stand ? qRgb(226, 170, 98) : qRgb(240, 190, 112);
  const QRgb deep = stand ? qRgb(150, 92, 42) : qRgb(184, 118, 52);
  QRgb c = MixRgb(light, deep, dark);
  int r = std::clamp(int(qRed(c) + (warm - 0.5) * 16), 0, 255);
  int b = std::clamp(int(qBlue(c) - (warm - 0.5) * 20), 0, 255);
  return qRgb(r, qGreen(c), b);
}

// Grain image of 1000 × 1200 with 16 or 256 colours. The first 16 colours of
// the table are what the shared palette gets of it, so they span the whole
// range of the image from its lightest colour to its darkest.
Indexed MakeGrain(bool arched, int colours) {
  const int width = 1000, height = 1200;
  const int darkLevels = colours == 16 ? 16 : 32, warmLevels = colours == 16 ? 1 : 8;
  const bool stand = arched;
  // Table in darkness-major order first, reordered below.
  std::vector<QRgb> grid;
  for (int d = 0; d < darkLevels; ++d)
    for (int w = 0; w < warmLevels; ++w)
      grid.push_back(WoodColour(double(d) / (darkLevels - 1), warmLevels == 1 ? 0.5 : double(w) / (warmLevels - 1), stand));
  std::vector<int> order;  // order[i] = grid index of table entry i
  if (warmLevels == 1) {
    for (int d = 0; d < darkLevels; ++d) order.push_back(d);
  } else {
    const int midWarm = warmLevels / 2;
    for (int i = 0; i < 16; ++i) order.push_back((i * (darkLevels - 1) / 15) * warmLevels + midWarm);
    for (int g = 0; g < int(grid.size()); ++g)
      if (std::find(order.begin(), order.end(), g) == order.end()) order.push_back(g);
  }
  std::vector<int> entryOf(grid.size());
  Indexed img;
  img.width = width;
  img.height = height;
  for (int i = 0; i < int(order.size()); ++i) {
    img.palette.push_back(grid[order[i]]);
    entryOf[order[i]] = i;
  }
  img.pixels.assign(size_t(width) * height, 0);
  // Floyd-Steinberg over the darkness, nearest warmth.
  std::vector<double> err(size_t(width + 2) * 2, 0.0);
  for (int y = 0; y < height; ++y) {
    double* cur = &err[size_t(y % 2) * (width + 2) + 1];
    double* next = &err[size_t((y + 1) % 2) * (width + 2) + 1];
    std::fill(next - 1, next + width + 1, 0.0);
    for (int x = 0; x < width; ++x) {
      double dark, warm;
      if (arched)
        ArchedGrain(x, y, dark, warm);
      else
        StraightGrain(x, y, dark, warm);
      const double want = dark * (darkLevels - 1) + cur[x];
      const int d = std::clamp(int(std::lround(want)), 0, darkLevels - 1);
      const double e = want - d;
      cur[x + 1] += e * 7 / 16;
      next[x - 1] += e * 3 / 16;
      next[x] += e * 5 / 16;
      next[x + 1] += e * 1 / 16;
      const int w = warmLevels == 1 ? 0 : std::clamp(int(std::lround(warm * (warmLevels - 1))), 0, warmLevels - 1);
      img.At(x, y) = uint8_t(entryOf[size_t(d) * warmLevels + w]);
    }
  }
  return img;
}

// ---------------------------------------------------------------- sounds

// 16-bit mono WAVE.
bool WriteWave(const QString& path, const std::vector<double>& samples, int rate) {
  std::string s;
  const uint32_t data = uint32_t(samples.size() * 2);
  s += "RIFF";
  Put32(s, 36 + data);
  s += "WAVEfmt ";
  Put32(s, 16);
  Put16(s, 1);
  Put16(s, 1);
  Put32(s, uint32_t(rate));
  Put32(s, uint32_t(rate * 2));
  Put16(s, 2);
  Put16(s, 16);
  s += "data";
  Put32(s, data);
  for (double v : samples) Put16(s, unsigned(uint16_t(int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767)))));
  return WriteFile(path, s);
}

struct Mode {
  double freq, decay, amp;  // Hz, seconds to fall by e, relative level
};

// A piece set down on wood: a short noisy impact exciting a few damped
// resonances of the piece and of the board.
std::vector<double> WoodClick(const std::vector<Mode>& modes, double impact, double length, int rate, uint32_t seed,
                              double secondTapDelay = 0, double secondTapLevel = 0) {
  const int n = int(length * rate);
  std::vector<double> out(size_t(n), 0.0);
  Rng rng(seed);
  auto tap = [&](double start, double level) {
    double lp = 0;
    for (int i = int(start * rate); i < n; ++i) {
      const double t = double(i) / rate - start;
      double v = 0;
      for (const Mode& m : modes) v += m.amp * std::sin(2 * M_PI * m.freq * t) * std::exp(-t / m.decay);
      // The impact: noise falling within a few milliseconds, softened.
      const double noise = rng.Uniform() * 2 - 1;
      lp += 0.45 * (noise - lp);
      v += impact * lp * std::exp(-t / 0.0016);
      const double attack = std::min(1.0, t / 0.0004);
      out[size_t(i)] += level * attack * v;
    }
  };
  tap(0, 1);
  if (secondTapDelay > 0) tap(secondTapDelay, secondTapLevel);
  double peak = 1e-9;
  for (double v : out) peak = std::max(peak, std::abs(v));
  for (size_t i = 0; i < out.size(); ++i) {
    const double fade = std::min(1.0, double(n - 1 - int(i)) / (0.01 * rate));  // no click at the end
    out[i] = out[i] / peak * 0.85 * fade;
  }
  return out;
}

// ---------------------------------------------------------------- icons

void DrawIconPiece(QPainter& p, const QRectF& r, const QString& text) {
  QPainterPath pent;
  pent.moveTo(r.left() + r.width() * 0.5, r.top());
  pent.lineTo(r.left() + r.width() * 0.91, r.top() + r.height() * 0.21);
  pent.lineTo(r.right(), r.bottom());
  pent.lineTo(r.left(), r.bottom());
  pent.lineTo(r.left() + r.width() * 0.09, r.top() + r.height() * 0.21);
  pent.closeSubpath();
  // Thickness below the face, then the face.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 100, 45));
  p.drawPath(pent.translated(0, r.height() * 0.05));
  QLinearGradient g(r.topLeft(), r.bottomRight());
  g.setColorAt(0, QColor(252, 236, 184));
  g.setColorAt(1, QColor(230, 200, 138));
  p.setBrush(g);
  p.setPen(QPen(QColor(kOutline), std::max(1.0, r.width() * 0.025)));
  p.drawPath(pent);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(kInkBlack));
  const double areaTop = r.top() + r.height() * 0.25;
  const double chH = (r.bottom() - r.height() * 0.04 - areaTop) / text.size();
  const double chW = std::min(r.width() * 0.68, chH * 1.2);
  for (int i = 0; i < text.size(); ++i) {
    QRectF box(r.left() + (r.width() - chW) / 2, areaTop + i * chH, chW, chH);
    QPainterPath gl = GlyphPath(text[i], box);
    p.drawPath(gl);
    p.setPen(QPen(QColor(kInkBlack), r.width() * 0.012));
    p.drawPath(gl);
    p.setPen(Qt::NoPen);
  }
}

QImage MakeProgramIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  DrawIconPiece(p, QRectF(s * 0.14, s * 0.04, s * 0.72, s * 0.86), QStringLiteral("王将"));
  return img;
}

QImage MakeDocumentIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  // A sheet of paper with a folded corner.
  const double l = s * 0.16, t = s * 0.04, r = s * 0.84, b = s * 0.96, fold = s * 0.18;
  QPainterPath page;
  page.moveTo(l, t);
  page.lineTo(r - fold, t);
  page.lineTo(r, t + fold);
  page.lineTo(r, b);
  page.lineTo(l, b);
  page.closeSubpath();
  p.setPen(QPen(QColor(90, 90, 90), s * 0.012));
  p.setBrush(QColor(252, 252, 248));
  p.drawPath(page);
  QPainterPath corner;
  corner.moveTo(r - fold, t);
  corner.lineTo(r - fold, t + fold);
  corner.lineTo(r, t + fold);
  corner.closeSubpath();
  p.setBrush(QColor(215, 215, 210));
  p.drawPath(corner);
  // Lines of a record.
  p.setPen(QPen(QColor(150, 150, 150), s * 0.018));
  for (int i = 0; i < 5; ++i) {
    const double y = t + s * 0.16 + i * s * 0.075;
    p.drawLine(QPointF(l + s * 0.07, y), QPointF((i == 0 ? r - fold : r) - s * 0.07, y));
  }
  DrawIconPiece(p, QRectF(s * 0.30, s * 0.52, s * 0.40, s * 0.40), QStringLiteral("歩"));
  return img;
}

// ---------------------------------------------------------------- previews

QImage Enlarge(const QImage& img, int factor) {
  return img.scaled(img.width() * factor, img.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// A few pieces on a small board, put together the way the board view does:
// the mask ANDed, the image ORed.
QImage SampleBoard(const Indexed& sheet, const Indexed& grain, const Indexed& standGrain) {
  const int W = sheet.width / 8, H = sheet.height / 6;
  QImage s = sheet.ToImage(), g = grain.ToImage(), sg = standGrain.ToImage();
  const int cols = 9, rows = 4;
  QImage out(cols * (W + 3) + 20 + 3 * W + 20, rows * (H + 3) + 20, QImage::Format_RGB32);
  out.fill(qRgb(128, 128, 128));
  QPainter p(&out);
  p.drawImage(QPoint(0, 0), g, QRect(0, 0, cols * (W + 3) + 17, rows * (H + 3) + 17));
  p.setPen(QColor(0, 0, 0));
  for (int i = 0; i <= cols; ++i) p.drawLine(8 + i * (W + 3), 8, 8 + i * (W + 3), 8 + rows * (H + 3));
  for (int i = 0; i <= rows; ++i) p.drawLine(8, 8 + i * (H + 3), 8 + cols * (W + 3), 8 + i * (H + 3));
  const int standX = cols * (W + 3) + 24;
  p.drawImage(QPoint(standX, 0), sg, QRect(0, 0, 3 * W + 16, rows * (H + 3) + 17));
  auto put = [&](int col, int sheetRow, int x, int y) {
    const int side = sheetRow >= 3 ? 3 : 0;
    QImage mask = s.copy(col * W, (side + 2) * H, W, H);
    QImage img = s.copy(col * W, sheetRow * H, W, H);
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(x, y, mask);
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.drawImage(x, y, img);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  };
  // Inverted pieces in the top row, promoted in the third, upright at the bottom.
  const int topRow[9] = {6, 5, 4, 3, 0, 3, 4, 5, 6};
  for (int f = 0; f < 9; ++f) put(topRow[f], 3, 9 + f * (W + 3), 9);
  for (int f = 0; f < 8; ++f) put(f, 4, 9 + f * (W + 3), 9 + (H + 3));
  for (int f = 0; f < 8; ++f) put(f, 1, 9 + f * (W + 3), 9 + 2 * (H + 3));
  const int bottomRow[9] = {6, 5, 4, 3, 0, 3, 4, 5, 6};
  for (int f = 0; f < 9; ++f) put(bottomRow[f], 0, 9 + f * (W + 3), 9 + 3 * (H + 3));
  // The last-moved piece as the board view marks it: every pixel of its cell
  // greener than the board's grain takes the mark colour (white).
  int threshold = 0;
  for (int i = 0; i < 16; ++i) threshold = std::max(threshold, qGreen(grain.palette[i]));
  p.end();
  const int markX = 9 + 5 * (W + 3), markY = 9 + 3 * (H + 3);
  for (int y = markY; y < markY + H; ++y)
    for (int x = markX + 2; x < markX + W - 2; ++x)
      if (qGreen(out.pixel(x, y)) > threshold) out.setPixel(x, y, qRgb(255, 255, 255));
  p.begin(&out);
  put(1, 0, standX + 4, 8);
  put(2, 0, standX + 4 + W + 4, 8);
  for (int i = 2; i >= 0; --i) put(7, 0, standX + 4 + i * 8, 8 + H + 4);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString resDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("res");
  const QString previewDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

  const int mincho = QFontDatabase::addApplicationFont(QString::fromLatin1(kMinchoPath));
  if (mincho < 0 || QFontDatabase::applicationFontFamilies(mincho).isEmpty()) {
    std::fprintf(stderr, "cannot load %s (Debian package fonts-ipaexfont)\n", kMinchoPath);
    return 1;
  }
  g_minchoFamily = QFontDatabase::applicationFontFamilies(mincho).first();
  QFontDatabase::addApplicationFont(QString::fromLatin1(kGothicPath));

  for (const char* sub : {"pieces", "grain", "sounds", "icons"}) QDir().mkpath(resDir + "/" + sub);
  if (!previewDir.isEmpty()) QDir().mkpath(previewDir);
  bool ok = true;

  std::vector<Indexed> sheets;
  for (const SheetDef& def : kSheets) {
    sheets.push_back(MakeSheet(def));
    ok &= WriteIndexedBmp(resDir + "/pieces/" + def.name + ".bmp", sheets.back(), def.colours == 16 ? 4 : 8);
  }
  Indexed grain1 = MakeGrain(false, 16), grain2 = MakeGrain(true, 256);
  ok &= WriteIndexedBmp(resDir + "/grain/Mokume01.bmp", grain1, 4);
  ok &= WriteIndexedBmp(resDir + "/grain/Mokume02.bmp", grain2, 8);

  const int rate = 44100;
  ok &= WriteWave(resDir + "/sounds/komaoto.wav",
                  WoodClick({{1180, 0.016, 1.0}, {2450, 0.009, 0.6}, {3900, 0.005, 0.35}, {640, 0.030, 0.45}}, 1.4,
                            0.16, rate, 1),
                  rate);
  ok &= WriteWave(resDir + "/sounds/komaoto2.wav",
                  WoodClick({{1750, 0.012, 1.0}, {3150, 0.007, 0.7}, {5200, 0.004, 0.4}, {900, 0.022, 0.35}}, 1.8,
                            0.14, rate, 2, 0.022, 0.35),
                  rate);

  ok &= MakeProgramIcon(256).save(resDir + "/icons/narvo.png");
  ok &= MakeDocumentIcon(256).save(resDir + "/icons/narvo_doc.png");

  if (!previewDir.isEmpty()) {
    for (size_t i = 0; i < sheets.size(); ++i) {
      Enlarge(sheets[i].ToImage(), 4).save(previewDir + "/" + kSheets[i].name + ".png");
      SampleBoard(sheets[i], grain1, grain2).save(previewDir + "/board_" + kSheets[i].name + ".png");
      Enlarge(SampleBoard(sheets[i], grain1, grain2), 3).save(previewDir + "/board_" + kSheets[i].name + "_x3.png");
    }
    grain1.ToImage().copy(0, 0, 500, 500).save(previewDir + "/Mokume01.png");
    grain2.ToImage().copy(0, 0, 500, 500).save(previewDir + "/Mokume02.png");
  }
  std::printf(ok ? "assets written to %s\n" : "some assets could not be written to %s\n", qPrintable(resDir));
  return ok ? 0 : 1;
}
