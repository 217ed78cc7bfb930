#include "richtext/editor/qvrichglyphs.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <vector>

namespace richtext {

namespace {

// The 16 colours. '.' is olive, which no picture uses, so it can stand in the corner that gives
// the transparent colour.
struct TPaletteEntry {
  char Key;
  QRgb Rgb;
};
constexpr std::array<TPaletteEntry, 16> kPalette = {{{'K', 0x000000}, {'R', 0x800000}, {'G', 0x008000},
                                                     {'.', 0x808000}, {'N', 0x000080}, {'P', 0x800080},
                                                     {'T', 0x008080}, {'D', 0x808080}, {'L', 0xC0C0C0},
                                                     {'r', 0xFF0000}, {'g', 0x00FF00}, {'y', 0xFFFF00},
                                                     {'b', 0x0000FF}, {'f', 0xFF00FF}, {'a', 0x00FFFF},
                                                     {'W', 0xFFFFFF}}};

QStringList Rows(std::initializer_list<const char*> Lines) {
  QStringList R;
  for (const char* L : Lines) R << QString::fromLatin1(L);
  return R;
}

QStringList Mirrored(const QStringList& Source) {
  QStringList R;
  for (const QString& L : Source) {
    QString M = L;
    std::reverse(M.begin(), M.end());
    R << M;
  }
  return R;
}

// Lines of text in four alignments: full lines alternate with the shorter ones placed left,
// centred, right, or full again.
QStringList AlignedLines(int Kind) {
  const char* Short[] = {"..KKKKKKKK......", "....KKKKKKKK....", "......KKKKKKKK..", "..KKKKKKKKKKKK.."};
  QStringList R;
  for (int Row = 0; Row < 16; ++Row) {
    if (Row >= 2 && Row <= 12 && Row % 2 == 0)
      R << QString::fromLatin1((Row / 2) % 2 == 1 ? "..KKKKKKKKKKKK.." : Short[Kind]);
    else
      R << QString::fromLatin1("................");
  }
  return R;
}

std::array<QStringList, glGlyphCount> MakeGlyphs() {
  std::array<QStringList, glGlyphCount> G;
  G[glNew] = Rows({"................", "...KKKKKKKK.....", "...KWWWWWWKK....", "...KWWWWWWKWK...",
                   "...KWWWWWWKWWK..", "...KWWWWWWKKKKK.", "...KWWWWWWWWWWK.", "...KWWWWWWWWWWK.",
                   "...KWWWWWWWWWWK.", "...KWWWWWWWWWWK.", "...KWWWWWWWWWWK.", "...KWWWWWWWWWWK.",
                   "...KWWWWWWWWWWK.", "...KWWWWWWWWWWK.", "...KKKKKKKKKKKK.", "................"});
  G[glPrint] = Rows({"................", "....KKKKKKKK....", "....KWWWWWWK....", "....KWKKKKWK....",
                     "....KWWWWWWK....", "..KKKKKKKKKKKK..", ".KLLLLLLLLLLLLK.", ".KLLLLLLLLLLgLK.",
                     ".KLLLLLLLLLLLLK.", ".KDDDDDDDDDDDDK.", ".KLKKKKKKKKKKLK.", ".KLKWWWWWWWWKLK.",
                     "..KKWKKKKKKWKK..", "....KWWWWWWK....", "....KKKKKKKK....", "................"});
  G[glFind] = Rows({"................", "..KKKK....KKKK..", "..KLDK....KLDK..", "..KLDK....KLDK..",
                    ".KKKKKK..KKKKKK.", ".KLDDDKKKKLDDDK.", "KKLDDDKDDKLDDDKK", "KLDDDDKLDKLDDDDK",
                    "KLDDDDKKKKLDDDDK", "KLDDDDK..KLDDDDK", "KLDDDDK..KLDDDDK", "KLDDDDK..KLDDDDK",
                    "KDDDDDK..KDDDDDK", "KKKKKKK..KKKKKKK", "................", "................"});
  G[glSpell] = Rows({"....................", "..KK....KKKK....KKK.", ".K..K...K...K..K...K",
                     ".K..K...K...K..K....", ".KKKK...KKKK...K....", ".K..K...K...K..K....",
                     ".K..K...K...K..K...K", ".K..K...KKKK....KKK.", "....................",
                     "................GG..", "...............GG...", "..............GG....",
                     ".............GG.....", "....GG......GG......", ".....GG....GG.......",
                     "......GG..GG........", ".......GGGG.........", "........GG..........",
                     "....................", "...................."});
  G[glCut] = Rows({"................", "...K.......K....", "...KK.....KK....", "....K.....K.....",
                   "....KK...KK.....", ".....K...K......", ".....KK.KK......", "......KKK.......",
                   ".......K........", "......NKN.......", "....NNN.NNN.....", "...N..N.N..N....",
                   "...N..N.N..N....", "...N..N.N..N....", "....NN...NN.....", "................"});
  G[glCopy] = Rows({"................", ".KKKKKKK........", ".KWWWWWK........", ".KWKKKWK........",
                    ".KWWWWWK........", ".KWKKKKKKKKK....", ".KWWWWKWWWWKK...", ".KWKKKKWKKKWWK..",
                    ".KWWWWKWWWWWWK..", ".KKKKKKWKKKKWK..", "......KWWWWWWK..", "......KWKKKKWK..",
                    "......KWWWWWWK..", "......KWKKKKWK..", "......KKKKKKKK..", "................"});
  G[glPaste] = Rows({"................", ".....KKKK.......", "..KKKKLLKKKK....", ".KRRKLLLLKRRK...",
                     ".KRRKKKKKKRRK...", ".KRRRRRRRRRRK...", ".KRRRRRKKKKKKK..", ".KRRRRRKWWWWWKK.",
                     ".KRRRRRKWKKKWKWK", ".KRRRRRKWWWWWKKK", ".KRRRRRKWKKKKWWK", ".KRRRRRKWWWWWWWK",
                     ".KRRRRRKWKKKKKWK", ".KKKKKKKWWWWWWWK", ".......KKKKKKKKK", "................"});
  G[glUndo] = Rows({"................", "................", "....N...........", "...NN...........",
                    "..NNNNNNNNN.....", ".NNNNNNNNNNNN...", "..NNNNNNNNNNNN..", "...NN......NNN..",
                    "....N.......NN..", "............NN..", "............NN..", "...........NNN..",
                    "..........NNN...", "........NNNN....", "................", "................"});
  G[glRedo] = Mirrored(G[glUndo]);
  G[glLoad] = Rows({"................", "................", "................", ".KKKK...........",
                    "KyWyyK..........", "KWyyyyKKKKKK....", "KyyyyyyyyyyK....", "KyyyyKKKKKKKKKKK",
                    "KyyyKyyyyyyyyyK.", "KyyKyyyyyyyyyK..", "KyKyyyyyyyyyK...", "KKyyyyyyyyyK....",
                    "KKKKKKKKKKK.....", "................", "................", "................"});
  G[glSaveAs] = Rows({"................", ".KKKKKKKKKKKKKK.", ".KNKLLLLLLLLKNK.", ".KNKLLLLLLLLKNK.",
                      ".KNKLLLLLLLLKNK.", ".KNKLLLLLLLLKNK.", ".KNNKKKKKKKKNNK.", ".KNNNNNNNNNNNNK.",
                      ".KNNKKKKKKKKNNK.", ".KNNKWWWWKLKNNK.", ".KNNKWWWWKLKNNK.", ".KNNKWWWWKLKNNK.",
                      ".KKNKWWWWKLKNNK.", "..KKKKKKKKKKKKK.", "................", "................"});
  G[glBold] = Rows({"................", "................", "................", "....KKKKKKK.....",
                    ".....KKK..KKK...", ".....KKK..KKK...", ".....KKK..KKK...", ".....KKKKKKK....",
                    ".....KKK..KKK...", ".....KKK..KKK...", ".....KKK..KKK...", "....KKKKKKKK....",
                    "................", "................", "................", "................"});
  G[glItalic] = Rows({"................", "................", "................", "......KKKKK.....",
                      ".......KKK......", ".......KKK......", "......KKK.......", "......KKK.......",
                      ".....KKK........", ".....KKK........", "....KKK.........", "...KKKKK........",
                      "................", "................", "................", "................"});
  G[glUnderline] = Rows({"................", "................", "...KKKK..KKKK...", "....KK....KK....",
                         "....KK....KK....", "....KK....KK....", "....KK....KK....", "....KK....KK....",
                         "....KK....KK....", ".....KK..KK.....", "......KKKK......", "................",
                         "...KKKKKKKKKK...", "................", "................", "................"});
  G[glColor] = Rows({"..................", "........KK........", ".......KKKK.......", "......KK..KK......",
                     "......KK..KK......", ".....KKKKKKKK.....", ".....KK....KK.....", "....KKK....KKK....",
                     "..................", "..KKKKKKKKKKKKKK..", ".KWWrrWWyyWWbbWWK.", ".KWWrrWWyyWWbbWWK.",
                     ".KWWWWWWWWWWWWWWK.", ".KWWggWWaaWWffWWK.", ".KWWggWWaaWWffWWK.", "..KKKKKKKKKKKKKK..",
                     "..................", ".................."});
  G[glAlignLeft] = AlignedLines(0);
  G[glAlignCenter] = AlignedLines(1);
  G[glAlignRight] = AlignedLines(2);
  G[glJustify] = AlignedLines(3);
  G[glBullets] = Rows({"................", "................", ".KK.............", ".KK...KKKKKKKKK.",
                       "................", "................", ".KK.............", ".KK...KKKKKKKKK.",
                       "................", "................", ".KK.............", ".KK...KKKKKKKKK.",
                       "................", "................", "................", "................"});
  G[glHighlight] = Rows({"................", "..........KK....", ".........KWLK...", "........KWLLLK..",
                         ".......KWLLLK...", "......KWLLLK....", ".....KWLLLK.....", "....KWLLLK......",
                         "....KKLLK.......", "...KKKKK........", "...KKK..........", "..K.............",
                         "yyyyyyyyyyyyyyyy", "yyyyyyyyyyyyyyyy", "yyyyyyyyyyyyyyyy", "................"});
  G[glSpell16] = Rows({"................", ".KK..KKK...KK...", "K..K.K..K.K..K..", "KKKK.KKK..K.....",
                       "K..K.K..K.K..K..", "K..K.KKK...KK...", "................", "...........GG...",
                       "..........GG....", ".........GG.....", "...GG...GG......", "....GG.GG.......",
                       ".....GGG........", "......G.........", "................", "................"});
  G[glFont] = Rows({"................", "................", "....NN..........", "....NN..........",
                    "...NNNN.........", "...N..N.........", "..NN..NN........", "..NNNNNN..rrr...",
                    ".NN....NN....rr.", ".NN....NN..rrrr.", "NNN....NNNrr.rr.", "..........rrrrr.",
                    "................", "................", "................", "................"});
  G[glParagraph] = Rows({"................", ".....KKKKKKKK...", "....KKKKKK.K....", "...KKKKKKK.K....",
                         "...KKKKKKK.K....", "...KKKKKKK.K....", "....KKKKKK.K....", ".....KKKKK.K....",
                         ".......KKK.K....", ".........K.K....", ".........K.K....", ".........K.K....",
                         ".........K.K....", ".........K.K....", "........KK.KK...", "................"});
  return G;
}

}  // namespace

const QStringList& QvGlyphRows(TqvGlyph Glyph) {
  static const std::array<QStringList, glGlyphCount> Glyphs = MakeGlyphs();
  return Glyphs[size_t(Glyph)];
}

QColor QvPaletteColor(QChar C) {
  for (const TPaletteEntry& E : kPalette)
    if (QChar::fromLatin1(E.Key) == C) return QColor::fromRgb(E.Rgb);
  return QColor();
}

QImage QvGlyphImage(TqvGlyph Glyph) {
  const QStringList& R = QvGlyphRows(Glyph);
  const int H = int(R.size());
  const int W = H > 0 ? int(R[0].size()) : 0;
  QImage Image(W, H, QImage::Format_ARGB32);
  if (H == 0) return Image;
  const QChar Transparent = R[H - 1].isEmpty() ? QChar() : R[H - 1][0];
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const QChar C = X < R[Y].size() ? R[Y][X] : Transparent;
      Image.setPixel(X, Y, C == Transparent ? qRgba(0, 0, 0, 0) : QvPaletteColor(C).rgb());
    }
  return Image;
}

QPixmap QvGlyphPixmap(TqvGlyph Glyph) { return QPixmap::fromImage(QvGlyphImage(Glyph)); }

namespace {

bool Coloured(QRgb P) {
  const int Max = std::max({qRed(P), qGreen(P), qBlue(P)}), Min = std::min({qRed(P), qGreen(P), qBlue(P)});
  return Max - Min > 32;
}

// The pixels of a glyph's shape. Darker pixels make it and light fills stay out; so do coloured
// areas that black or grey outlines enclose (the paste glyph's clipboard): greyed, they made a
// solid block that looked like an enabled picture. Colour the outside can reach (the undo
// arrow, the scissors' handles) is the shape itself and stays.
std::vector<bool> ShapeOf(const QImage& Source) {
  const int W = Source.width(), H = Source.height();
  const auto Dark = [](QRgb P) { return qAlpha(P) != 0 && qGray(P) < 192; };
  const auto Outline = [&](QRgb P) { return Dark(P) && !Coloured(P); };
  // What the outside reaches without crossing an outline.
  std::vector<bool> Reached(size_t(W) * size_t(H), false);
  std::vector<QPoint> Todo;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      if (qAlpha(Source.pixel(X, Y)) == 0 || X == 0 || Y == 0 || X == W - 1 || Y == H - 1)
        if (!Outline(Source.pixel(X, Y))) Todo.emplace_back(X, Y);
  while (!Todo.empty()) {
    const QPoint P = Todo.back();
    Todo.pop_back();
    if (P.x() < 0 || P.y() < 0 || P.x() >= W || P.y() >= H) continue;
    const size_t I = size_t(P.y()) * size_t(W) + size_t(P.x());
    if (Reached[I] || Outline(Source.pixel(P))) continue;
    Reached[I] = true;
    for (const QPoint D : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) Todo.push_back(P + D);
  }
  std::vector<bool> Shape(Reached.size(), false);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const QRgb P = Source.pixel(X, Y);
      const size_t I = size_t(Y) * size_t(W) + size_t(X);
      Shape[I] = Dark(P) && (!Coloured(P) || Reached[I]);
    }
  return Shape;
}

}  // namespace

QPixmap QvDisabledGlyph(const QPixmap& Glyph) {
  // The shape in the button's shadow colour over the same shape in white, one pixel down and right.
  const QImage Source = Glyph.toImage().convertToFormat(QImage::Format_ARGB32);
  const std::vector<bool> Shape = ShapeOf(Source);
  QImage Out(Source.width() + 1, Source.height() + 1, QImage::Format_ARGB32);
  Out.fill(Qt::transparent);
  for (int Pass = 0; Pass < 2; ++Pass) {
    const QRgb Colour = Pass == 0 ? qRgb(255, 255, 255) : qRgb(128, 128, 128);
    const int Offset = Pass == 0 ? 1 : 0;
    for (int Y = 0; Y < Source.height(); ++Y)
      for (int X = 0; X < Source.width(); ++X)
        if (Shape[size_t(Y) * size_t(Source.width()) + size_t(X)]) Out.setPixel(X + Offset, Y + Offset, Colour);
  }
  return QPixmap::fromImage(Out.copy(0, 0, Source.width(), Source.height()));
}

QList<QIcon> QvMenuImages() {
  const TqvGlyph Order[13] = {glSpell16, glLoad,  glSaveAs, glPrint,   glUndo, glRedo,     glPaste,
                              glCut,     glCopy,  glFind,   glBullets, glFont, glParagraph};
  QList<QIcon> R;
  for (TqvGlyph G : Order) R << QIcon(QvGlyphPixmap(G));
  return R;
}

}  // namespace richtext
