#include "rtf/Borders.h"

#include <algorithm>
#include <cstring>

#include "rtf/TextModel.h"

namespace rtf {

namespace {

const char* const kStyleWords[kBorderStyleCount] = {
    "brdrnone",   "brdrs",        "brdrth",       "brdrsh",         "brdrdb",       "brdrdot",
    "brdrdash",   "brdrhair",     "brdrdashsm",   "brdrdashd",      "brdrdashdd",   "brdrtriple",
    "brdrthtnsg", "brdrtnthsg",   "brdrtnthtnsg", "brdrthtnmg",     "brdrtnthmg",   "brdrtnthtnmg",
    "brdrthtnlg", "brdrtnthlg",   "brdrtnthtnlg", "brdrwavy",       "brdrwavydb",   "brdrdashdotstr",
    "brdremboss", "brdrengrave",  "brdroutset",   "brdrinset"};

const char* const kPatternWords[] = {nullptr,    "bghoriz",   "bgvert",    "bgfdiag",  "bgbdiag",
                                     "bgcross",  "bgdcross",  "bgdkhoriz", "bgdkvert", "bgdkfdiag",
                                     "bgdkbdiag", "bgdkcross", "bgdkdcross"};
constexpr int kPatterns = int(sizeof(kPatternWords) / sizeof(kPatternWords[0]));

void SaveSide(const BorderSide& s, QList<int>& out) { out << s.style << s.widthTw << s.spaceTw << s.color; }

BorderSide LoadSide(const QList<int>& v, qsizetype at) {
  BorderSide s;
  if (at + 4 > v.size()) return s;
  s.style = std::clamp(v[at], 0, kBorderStyleCount - 1);
  s.widthTw = v[at + 1];
  s.spaceTw = v[at + 2];
  s.color = v[at + 3];
  return s;
}

}  // namespace

const char* BorderStyleWord(int style) {
  return style >= 0 && style < kBorderStyleCount ? kStyleWords[style] : kStyleWords[0];
}

int BorderStyleOfWord(std::string_view word) {
  for (int i = 0; i < kBorderStyleCount; ++i)
    if (word == kStyleWords[i]) return i;
  return -1;
}

qreal BorderSide::DrawnWidth() const {
  if (style == kBorderHairline || widthTw <= 0) return 1.0;
  const qreal w = std::max<qreal>(1.0, TwipsToDoc(widthTw));
  return style == kBorderThick ? std::max<qreal>(w, 2.0) : w;
}

QPen BorderSide::Pen() const {
  QPen pen(color ? ColorOfKept(color) : QColor(Qt::black));
  pen.setWidthF(DrawnWidth());
  pen.setCapStyle(Qt::FlatCap);
  switch (style) {
    case kBorderDotted: pen.setStyle(Qt::DotLine); break;
    case kBorderDashed:
    case kBorderDashSmall: pen.setStyle(Qt::DashLine); break;
    case kBorderDotDash: pen.setStyle(Qt::DashDotLine); break;
    case kBorderDotDotDash: pen.setStyle(Qt::DashDotDotLine); break;
    default: break;
  }
  return pen;
}

QTextFrameFormat::BorderStyle BorderSide::FrameStyle() const {
  switch (style) {
    case kBorderNone: return QTextFrameFormat::BorderStyle_None;
    case kBorderDotted: return QTextFrameFormat::BorderStyle_Dotted;
    case kBorderDashed:
    case kBorderDashSmall: return QTextFrameFormat::BorderStyle_Dashed;
    case kBorderDotDash: return QTextFrameFormat::BorderStyle_DotDash;
    case kBorderDotDotDash: return QTextFrameFormat::BorderStyle_DotDotDash;
    case kBorderDouble: return QTextFrameFormat::BorderStyle_Double;
    case kBorderEmboss:
    case kBorderOutset: return QTextFrameFormat::BorderStyle_Outset;
    case kBorderEngrave:
    case kBorderInset: return QTextFrameFormat::BorderStyle_Inset;
    default: return QTextFrameFormat::BorderStyle_Solid;
  }
}

bool ParaBorders::operator==(const ParaBorders& o) const {
  return box == o.box && std::equal(side, side + kSides, o.side);
}

bool ParaBorders::Any() const {
  return box || std::any_of(side, side + kSides, [](const BorderSide& s) { return s.IsSet(); });
}

QList<int> ParaBorders::Save() const {
  QList<int> out{box ? 1 : 0};
  for (const BorderSide& s : side) SaveSide(s, out);
  return out;
}

ParaBorders ParaBorders::Load(const QList<int>& v) {
  ParaBorders b;
  if (v.isEmpty()) return b;
  b.box = v[0] != 0;
  for (int i = 0; i < kSides; ++i) b.side[i] = LoadSide(v, 1 + 4 * i);
  return b;
}

bool CellBorders::operator==(const CellBorders& o) const { return std::equal(side, side + kSides, o.side); }

bool CellBorders::Any() const {
  return std::any_of(side, side + kSides, [](const BorderSide& s) { return s.IsSet(); });
}

QList<int> CellBorders::Save() const {
  QList<int> out;
  for (const BorderSide& s : side) SaveSide(s, out);
  return out;
}

CellBorders CellBorders::Load(const QList<int>& v) {
  CellBorders b;
  for (int i = 0; i < kSides; ++i) b.side[i] = LoadSide(v, 4 * i);
  return b;
}

QColor Shading::Fill() const {
  if (!Any()) return {};
  const QColor fg = foreground ? ColorOfKept(foreground) : QColor(Qt::black);
  const QColor bg = background ? ColorOfKept(background) : QColor(Qt::white);
  if (percent100 <= 0) return background ? bg : QColor();
  const qreal t = std::clamp(percent100, 0, 10000) / 10000.0;
  return QColor::fromRgbF(float(bg.redF() + (fg.redF() - bg.redF()) * t),
                          float(bg.greenF() + (fg.greenF() - bg.greenF()) * t),
                          float(bg.blueF() + (fg.blueF() - bg.blueF()) * t));
}

QList<int> Shading::Save() const { return {percent100, pattern, foreground, background}; }

Shading Shading::Load(const QList<int>& v) {
  Shading s;
  if (v.size() < 4) return s;
  s.percent100 = std::clamp(v[0], 0, 10000);
  s.pattern = std::clamp(v[1], 0, kPatterns - 1);
  s.foreground = v[2];
  s.background = v[3];
  return s;
}

const char* ShadingPatternWord(int pattern) {
  return pattern > 0 && pattern < kPatterns ? kPatternWords[pattern] : nullptr;
}

int ShadingPatternOfWord(std::string_view word) {
  for (int i = 1; i < kPatterns; ++i)
    if (word == kPatternWords[i]) return i;
  return -1;
}

void SetParaBorders(QTextBlockFormat& f, const ParaBorders& b) {
  if (b.Any()) f.setProperty(kBorders, QVariant::fromValue(b.Save()));
  else f.clearProperty(kBorders);
}

ParaBorders ParaBordersOf(const QTextBlockFormat& f) {
  return ParaBorders::Load(f.property(kBorders).value<QList<int>>());
}

void SetParaShading(QTextBlockFormat& f, const Shading& s) {
  if (!s.Any()) {
    f.clearProperty(kShading);
    f.clearBackground();
    return;
  }
  f.setProperty(kShading, QVariant::fromValue(s.Save()));
  const QColor fill = s.Fill();
  if (fill.isValid()) f.setBackground(fill);
  else f.clearBackground();
}

Shading ParaShadingOf(const QTextBlockFormat& f) { return Shading::Load(f.property(kShading).value<QList<int>>()); }

}  // namespace rtf
