#include "rtf/TextModel.h"

#include <QTextOption>
#include <algorithm>

namespace rtf {

void SetIndents(QTextBlockFormat& f, int startTw, int rightTw, int offsetTw) {
  f.setProperty(kStartIndentTw, startTw);
  f.setProperty(kRightIndentTw, rightTw);
  f.setProperty(kOffsetTw, offsetTw);
  // Qt: every line starts at the left margin, the first one moved by the text indent.
  f.setLeftMargin(TwipsToDoc(startTw + offsetTw));
  f.setTextIndent(TwipsToDoc(-offsetTw));
  f.setRightMargin(TwipsToDoc(rightTw));
}

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

void SetTabStops(QTextBlockFormat& f, const QList<int>& tw) {
  QList<int> stops = tw;
  std::sort(stops.begin(), stops.end());
  stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
  if (stops.size() > 32) stops.resize(32);
  QList<QTextOption::Tab> tabs;
  for (int t : stops) tabs.append(QTextOption::Tab(TwipsToDoc(t), QTextOption::LeftTab));
  f.setProperty(kTabStopsTw, QVariant::fromValue(stops));
  f.setTabPositions(tabs);
}

void SetAlignment(QTextBlockFormat& f, int align, bool showJustified) {
  if (align < kAlignLeft || align > kAlignJustify) align = kAlignLeft;
  f.setProperty(kAlignment, align);
  Qt::Alignment a = Qt::AlignLeft;
  if (align == kAlignRight) a = Qt::AlignRight;
  else if (align == kAlignCenter) a = Qt::AlignHCenter;
  else if (align == kAlignJustify && showJustified) a = Qt::AlignJustify;
  f.setAlignment(a);
}

static int IntOr(const QTextBlockFormat& f, int prop, int fallback) {
  return f.hasProperty(prop) ? f.intProperty(prop) : fallback;
}

int StartIndentTw(const QTextBlockFormat& f) {
  return IntOr(f, kStartIndentTw, DocToTwips(f.leftMargin() + f.textIndent()));
}
int RightIndentTw(const QTextBlockFormat& f) {
  return IntOr(f, kRightIndentTw, DocToTwips(f.rightMargin()));
}
int OffsetTw(const QTextBlockFormat& f) { return IntOr(f, kOffsetTw, DocToTwips(-f.textIndent())); }
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
  for (const QTextOption::Tab& t : f.tabPositions()) out.append(DocToTwips(t.position));
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
