#include "rtf/TextModel.h"

#include <QLocale>
#include <QTextOption>
#include <algorithm>


namespace rtf {

void SetIndents(QTextBlockFormat& f, int startTw, int rightTw, int offsetTw) {
  // Tabs the toolkit set without twips (pasted HTML) keep their place from the margin.
  if (!f.hasProperty(kTabStopsTw) && !f.tabPositions().isEmpty()) SetTabStops(f, TabStopsTw(f), TabKinds(f));
  f.setProperty(kStartIndentTw, startTw);
  f.setProperty(kRightIndentTw, rightTw);
  f.setProperty(kOffsetTw, offsetTw);
  // Qt: every line starts at the left margin, the first one moved by the text indent (and, in a
  // numbered paragraph, by the room its label takes).
  f.setLeftMargin(TwipsToDoc(startTw + offsetTw));
  f.setTextIndent(TwipsToDoc(-offsetTw + LabelRoomTw(f)));
  f.setRightMargin(TwipsToDoc(rightTw));
  RefreshTabs(f);
}

namespace {
// Where the toolkit measures tab positions from: the start of the line, the first line's here
// (the left margin plus the first line's indent, a numbered paragraph's label included). It
// takes one list for all lines, so a tab on a later line of a paragraph whose first line is
// indented differently is off by that difference; tabs sit on the first line nearly always.
qreal TabOrigin(const QTextBlockFormat& f) { return f.leftMargin() + f.textIndent(); }
}  // namespace

void RefreshTabs(QTextBlockFormat& f) {
  if (!f.hasProperty(kTabStopsTw)) return;
  const QList<int> positions = f.property(kTabStopsTw).value<QList<int>>();
  const QList<int> kinds = f.property(kTabKinds).value<QList<int>>();
  const qreal origin = TabOrigin(f);
  QList<QTextOption::Tab> tabs;
  for (qsizetype i = 0; i < positions.size(); ++i) {
    // Stops are counted from the margin; one at or before where the line starts is passed by.
    const qreal at = TwipsToDoc(positions[i]) - origin;
    if (at <= 0) continue;
    QTextOption::TabType type = QTextOption::LeftTab;
    QChar delimiter;
    switch (kinds.value(i) & 0xF) {
      case kTabCenter: type = QTextOption::CenterTab; break;
      case kTabRight: type = QTextOption::RightTab; break;
      case kTabDecimal:
        type = QTextOption::DelimiterTab;
        delimiter = QLocale().decimalPoint().at(0);
        break;
      default: break;
    }
    tabs.append(QTextOption::Tab(at, type, delimiter));
  }
  f.setTabPositions(tabs);
}

int LabelRoomTw(const QTextBlockFormat& f) {
  if (f.intProperty(kNumbering) <= 0) return 0;
  // The text starts at the hanging indent (a quarter inch at least), or without one at the
  // first default tab stop after the label, half an inch on.
  const int offset = f.hasProperty(kOffsetTw) ? f.intProperty(kOffsetTw) : 0;
  return offset > 0 ? std::max(offset, 360) : 720;
}

void RefreshIndents(QTextBlockFormat& f) { SetIndents(f, StartIndentTw(f), RightIndentTw(f), OffsetTw(f)); }

void SetSpaceBefore(QTextBlockFormat& f, int tw) {
  f.setProperty(kSpaceBeforeTw, tw);
  f.setTopMargin(TwipsToDoc(tw));
}

void SetSpaceAfter(QTextBlockFormat& f, int tw) {
  f.setProperty(kSpaceAfterTw, tw);
  f.setBottomMargin(TwipsToDoc(tw));
}

void SetLineSpacing(QTextBlockFormat& f, int rule, int value) {
  if (rule < 0 || rule > 5) rule = 0;
  f.setProperty(kLineSpacingRule, rule);
  f.setProperty(kLineSpacingValue, value);
  switch (rule) {
    case 1: f.setLineHeight(150, QTextBlockFormat::ProportionalHeight); break;
    case 2: f.setLineHeight(200, QTextBlockFormat::ProportionalHeight); break;
    case 3: f.setLineHeight(TwipsToDoc(std::abs(value)), QTextBlockFormat::MinimumHeight); break;
    case 4: f.setLineHeight(TwipsToDoc(std::abs(value)), QTextBlockFormat::FixedHeight); break;
    case 5:
      // Twentieths of a line; a nonsense value falls back to single spacing.
      if (value > 0 && value <= 20 * 100)
        f.setLineHeight(value * 5.0, QTextBlockFormat::ProportionalHeight);
      else
        f.setLineHeight(0, QTextBlockFormat::SingleHeight);
      break;
    default: f.setLineHeight(0, QTextBlockFormat::SingleHeight); break;
  }
}

void SetTabStops(QTextBlockFormat& f, const QList<int>& tw, const QList<int>& kinds) {
  // Positions in order, each once (the first kind given for it wins), at most 32.
  std::vector<std::pair<int, int>> stops;
  for (qsizetype i = 0; i < tw.size(); ++i) stops.emplace_back(tw[i], i < kinds.size() ? kinds[i] : 0);
  std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  stops.erase(std::unique(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              stops.end());
  if (stops.size() > 32) stops.resize(32);
  QList<int> positions, kept;
  bool anyKind = false;
  for (const auto& [pos, kind] : stops) {
    positions << pos;
    kept << kind;
    anyKind = anyKind || kind != 0;
  }
  f.setProperty(kTabStopsTw, QVariant::fromValue(positions));
  if (anyKind) f.setProperty(kTabKinds, QVariant::fromValue(kept));
  else f.clearProperty(kTabKinds);
  RefreshTabs(f);
}

QList<int> TabKinds(const QTextBlockFormat& f) {
  const qsizetype n = TabStopsTw(f).size();
  QList<int> kinds = f.property(kTabKinds).value<QList<int>>();
  if (kinds.isEmpty() && !f.hasProperty(kTabStopsTw)) {
    // Tabs the toolkit set (pasted HTML) still say how they align.
    for (const QTextOption::Tab& t : f.tabPositions())
      kinds << (t.type == QTextOption::CenterTab      ? kTabCenter
                : t.type == QTextOption::RightTab     ? kTabRight
                : t.type == QTextOption::DelimiterTab ? kTabDecimal
                                                      : kTabLeft);
  }
  kinds.resize(n, 0);
  return kinds;
}

void SetParaEffects(QTextBlockFormat& f, int effects) {
  if (effects) f.setProperty(kParaEffects, effects);
  else f.clearProperty(kParaEffects);
  f.setNonBreakableLines(effects & kEffectKeep);
  if (effects & kEffectRtl) f.setLayoutDirection(Qt::RightToLeft);
  else f.clearProperty(QTextFormat::LayoutDirection);
  // Alignment follows the direction (justified text stays shown as it was).
  if (f.hasProperty(kAlignment)) SetAlignment(f, Alignment(f), bool(f.alignment() & Qt::AlignJustify));
  if (effects & kEffectPageBreakBefore) f.setPageBreakPolicy(f.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
}

int ParaEffects(const QTextBlockFormat& f) {
  int e = f.intProperty(kParaEffects);
  if (f.hasProperty(QTextFormat::LayoutDirection) && f.layoutDirection() == Qt::RightToLeft) e |= kEffectRtl;
  if (f.nonBreakableLines()) e |= kEffectKeep;
  return e;
}

// ---- characters ---------------------------------------------------------------------------------

namespace {

void KeepInt(QTextCharFormat& f, int prop, int value, int fallback) {
  if (value == fallback) f.clearProperty(prop);
  else f.setProperty(prop, value);
}

void KeepBool(QTextCharFormat& f, int prop, bool on) {
  if (on) f.setProperty(prop, true);
  else f.clearProperty(prop);
}

QTextCharFormat::UnderlineStyle UnderlineStyleOfType(int kind) {
  switch (kind) {
    case 0: return QTextCharFormat::NoUnderline;
    case 4:
    case 17: return QTextCharFormat::DotLine;
    case 5:
    case 13:
    case 14:
    case 18: return QTextCharFormat::DashUnderline;
    case 6:
    case 15: return QTextCharFormat::DashDotLine;
    case 7:
    case 16: return QTextCharFormat::DashDotDotLine;
    case 8:
    case 11:
    case 12: return QTextCharFormat::WaveUnderline;
    default: return QTextCharFormat::SingleUnderline;
  }
}

}  // namespace

void SetUnderlineType(QTextCharFormat& f, int kind) {
  f.setUnderlineStyle(UnderlineStyleOfType(kind));
  // A single underline is what the toolkit's own underline says.
  if (kind > 1) f.setProperty(kUnderlineType, kind);
  else f.clearProperty(kUnderlineType);
}

int UnderlineType(const QTextCharFormat& f) {
  // The toolkit says "underlined" only of a single line: every style of line counts here.
  const bool under = f.hasProperty(QTextFormat::TextUnderlineStyle) ? f.underlineStyle() != QTextCharFormat::NoUnderline
                                                                     : f.fontUnderline();
  if (!under) return 0;
  return f.hasProperty(kUnderlineType) ? f.intProperty(kUnderlineType) : 1;
}

void SetHidden(QTextCharFormat& f, bool on) { KeepBool(f, kHidden, on); }

void SetCaps(QTextCharFormat& f, bool all, bool small) {
  KeepBool(f, kAllCaps, all);
  KeepBool(f, kSmallCaps, small);
  if (all) f.setFontCapitalization(QFont::AllUppercase);
  else if (small) f.setFontCapitalization(QFont::SmallCaps);
  else f.clearProperty(QTextFormat::FontCapitalization);
}

void SetCharOffset(QTextCharFormat& f, int tw) {
  KeepInt(f, kRaiseTw, tw, 0);
  RefreshCharOffset(f);
}

void RefreshCharOffset(QTextCharFormat& f) {
  const int tw = f.intProperty(kRaiseTw);
  if (tw == 0) {
    f.clearProperty(QTextFormat::TextBaselineOffset);
    return;
  }
  // The toolkit raises text by a share of the font's size.
  const qreal pt = f.fontPointSize() > 0 ? f.fontPointSize() : 12;
  f.setBaselineOffset(100.0 * tw / (pt * 20));
}

void SetCharSpacing(QTextCharFormat& f, int tw) {
  KeepInt(f, kSpacingTw, tw, 0);
  if (tw == 0) {
    f.clearProperty(QTextFormat::FontLetterSpacing);
    f.clearProperty(QTextFormat::FontLetterSpacingType);
    return;
  }
  f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
  f.setFontLetterSpacing(TwipsToDoc(tw));
}

void SetCharScale(QTextCharFormat& f, int percent) {
  KeepInt(f, kCharScaleX, percent, 100);
  if (percent == 100 || percent <= 0) f.clearProperty(QTextFormat::FontStretch);
  else f.setFontStretch(std::clamp(percent, 1, 4000));
}

void SetKeptCharProperties(QTextCharFormat& f, bool hidden, bool caps, bool scaps, bool outline, bool shadow,
                           int offsetTw, int spacingTw, int kerningTw, int scaleX, int lcid, bool rtl) {
  if (hidden) SetHidden(f, true);
  if (caps || scaps) SetCaps(f, caps, scaps);
  if (outline) f.setProperty(kOutline, true);
  if (shadow) f.setProperty(kShadow, true);
  if (offsetTw) SetCharOffset(f, offsetTw);
  if (spacingTw) SetCharSpacing(f, spacingTw);
  if (kerningTw) f.setProperty(kKerningTw, kerningTw);
  if (scaleX != 100) SetCharScale(f, scaleX);
  if (lcid) f.setProperty(kLcid, lcid);
  if (rtl) f.setProperty(kRtlRun, true);
}

void SetAlignment(QTextBlockFormat& f, int align, bool showJustified) {
  if (align < kAlignLeft || align > kAlignJustify) align = kAlignLeft;
  f.setProperty(kAlignment, align);
  Qt::Alignment a = Qt::AlignLeft;
  if (align == kAlignRight) a = Qt::AlignRight;
  else if (align == kAlignCenter) a = Qt::AlignHCenter;
  else if (align == kAlignJustify && showJustified) a = Qt::AlignJustify;
  // Left and right are the page's sides, also in a right-to-left paragraph.
  if (f.layoutDirection() == Qt::RightToLeft && (a == Qt::AlignLeft || a == Qt::AlignRight)) a |= Qt::AlignAbsolute;
  f.setAlignment(a);
}

static int IntOr(const QTextBlockFormat& f, int prop, int fallback) {
  return f.hasProperty(prop) ? f.intProperty(prop) : fallback;
}

int StartIndentTw(const QTextBlockFormat& f) {
  return IntOr(f, kStartIndentTw, DocToTwips(f.leftMargin() + f.textIndent()) - LabelRoomTw(f));
}
int RightIndentTw(const QTextBlockFormat& f) {
  return IntOr(f, kRightIndentTw, DocToTwips(f.rightMargin()));
}
int OffsetTw(const QTextBlockFormat& f) {
  return IntOr(f, kOffsetTw, DocToTwips(-f.textIndent()));
}
int SpaceBeforeTw(const QTextBlockFormat& f) {
  return IntOr(f, kSpaceBeforeTw, DocToTwips(f.topMargin()));
}
int SpaceAfterTw(const QTextBlockFormat& f) {
  return IntOr(f, kSpaceAfterTw, DocToTwips(f.bottomMargin()));
}

int LineSpacingRule(const QTextBlockFormat& f) {
  if (f.hasProperty(kLineSpacingRule)) return f.intProperty(kLineSpacingRule);
  switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
      if (qFuzzyCompare(f.lineHeight(), 100.0)) return 0;
      if (qFuzzyCompare(f.lineHeight(), 150.0)) return 1;
      if (qFuzzyCompare(f.lineHeight(), 200.0)) return 2;
      return 5;
    case QTextBlockFormat::MinimumHeight: return 3;
    case QTextBlockFormat::FixedHeight: return 4;
    default: return 0;
  }
}

int LineSpacingValue(const QTextBlockFormat& f) {
  if (f.hasProperty(kLineSpacingValue)) return f.intProperty(kLineSpacingValue);
  switch (LineSpacingRule(f)) {
    case 3:
    case 4: return DocToTwips(f.lineHeight());
    case 5: return qRound(f.lineHeight() / 5.0);
    default: return 0;
  }
}

QList<int> TabStopsTw(const QTextBlockFormat& f) {
  if (f.hasProperty(kTabStopsTw)) return f.property(kTabStopsTw).value<QList<int>>();
  QList<int> out;
  for (const QTextOption::Tab& t : f.tabPositions()) out.append(DocToTwips(TabOrigin(f) + t.position));
  return out;
}

int Alignment(const QTextBlockFormat& f) {
  if (f.hasProperty(kAlignment)) return f.intProperty(kAlignment);
  const Qt::Alignment a = f.alignment();
  if (a & Qt::AlignRight) return kAlignRight;
  if (a & Qt::AlignHCenter) return kAlignCenter;
  if (a & Qt::AlignJustify) return kAlignJustify;
  return kAlignLeft;
}

}  // namespace rtf
