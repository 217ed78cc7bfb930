#pragma once
// Borders and shading of paragraphs and table cells, as RTF describes them: kept exactly so that
// they are written back as read, and turned into what the toolkit draws.

#include <QColor>
#include <QList>
#include <QPen>
#include <QTextFrameFormat>
#include <string_view>

namespace rtf {

// The line styles of RTF borders (\brdrs, \brdrth, ...), in the order of BorderStyleWord.
enum BorderStyle : int {
  kBorderNone = 0,
  kBorderSingle,
  kBorderThick,
  kBorderShadow,
  kBorderDouble,
  kBorderDotted,
  kBorderDashed,
  kBorderHairline,
  kBorderDashSmall,
  kBorderDotDash,
  kBorderDotDotDash,
  kBorderTriple,
  kBorderThickThinSmall,
  kBorderThinThickSmall,
  kBorderThinThickThinSmall,
  kBorderThickThinMedium,
  kBorderThinThickMedium,
  kBorderThinThickThinMedium,
  kBorderThickThinLarge,
  kBorderThinThickLarge,
  kBorderThinThickThinLarge,
  kBorderWavy,
  kBorderDoubleWavy,
  kBorderStriped,
  kBorderEmboss,
  kBorderEngrave,
  kBorderOutset,
  kBorderInset,
  kBorderStyleCount
};

// The control word of a style (without the backslash) and back; -1 for a word that is none.
const char* BorderStyleWord(int style);
int BorderStyleOfWord(std::string_view word);

// A colour as the kept properties hold it: 0 automatic, else 0x1000000 | RGB.
inline int KeptColor(const QColor& c) { return c.isValid() ? int(0x1000000 | (c.rgb() & 0xFFFFFF)) : 0; }
inline QColor ColorOfKept(int v) { return v ? QColor(QRgb(0xFF000000u | unsigned(v & 0xFFFFFF))) : QColor(); }

struct BorderSide {
  int style = kBorderNone;
  int widthTw = 0;  // \brdrw: the line's width
  int spaceTw = 0;  // \brsp: the space between the line and the text
  int color = 0;    // KeptColor
  bool operator==(const BorderSide&) const = default;
  bool IsSet() const { return style != kBorderNone || widthTw != 0 || spaceTw != 0 || color != 0; }
  bool Visible() const { return style != kBorderNone; }
  // The width it is drawn with, in document units (a hairline or a line without a width: one
  // pixel; double lines take three times the width).
  qreal DrawnWidth() const;
  QPen Pen() const;
  QTextFrameFormat::BorderStyle FrameStyle() const;
};

// A paragraph's borders: its four sides, the one drawn between bordered paragraphs (\brdrbtw),
// and whether they were given as a box (\box, all four sides alike).
struct ParaBorders {
  enum Side { kTop, kLeft, kBottom, kRight, kBetween, kSides };
  BorderSide side[kSides];
  bool box = false;
  bool operator==(const ParaBorders& o) const;
  bool Any() const;
  QList<int> Save() const;
  static ParaBorders Load(const QList<int>& v);
};

// A table cell's sides.
struct CellBorders {
  enum Side { kTop, kLeft, kBottom, kRight, kSides };
  BorderSide side[kSides];
  bool operator==(const CellBorders& o) const;
  bool Any() const;
  QList<int> Save() const;
  static CellBorders Load(const QList<int>& v);
};

// Paragraph or cell shading: a share of the foreground colour laid over the background, in a
// pattern (\bghoriz ... \bgdkdcross numbered 1 .. 12, 0 solid).
struct Shading {
  int percent100 = 0;  // \shading, hundredths of a percent
  int pattern = 0;
  int foreground = 0;  // KeptColor (\cfpat); automatic is black
  int background = 0;  // KeptColor (\cbpat); automatic is white
  bool operator==(const Shading&) const = default;
  bool Any() const { return percent100 != 0 || pattern != 0 || foreground != 0 || background != 0; }
  // The colour the area is filled with, or an invalid colour when it stays as it is.
  QColor Fill() const;
  QList<int> Save() const;
  static Shading Load(const QList<int>& v);
};

// The control words of a shading pattern (without the backslash, and without the "cl" a cell's
// words begin with); nullptr for none.
const char* ShadingPatternWord(int pattern);
int ShadingPatternOfWord(std::string_view word);

// A paragraph's borders and shading, kept on its block format (kBorders, kShading); the shading
// also sets the background the toolkit shows.
void SetParaBorders(QTextBlockFormat& f, const ParaBorders& b);
ParaBorders ParaBordersOf(const QTextBlockFormat& f);
void SetParaShading(QTextBlockFormat& f, const Shading& s);
Shading ParaShadingOf(const QTextBlockFormat& f);

}  // namespace rtf
