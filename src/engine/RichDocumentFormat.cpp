// Character and paragraph formats of the document, with masks.
#include <QPalette>
#include <QTextBlock>
#include <QTextList>
#include <algorithm>
#include <cstring>

#include "base/ScopeGuard.h"
#include "engine/RichDocument.h"
#include "rtf/Borders.h"
#include "rtf/Numbering.h"
#include "rtf/TextModel.h"

namespace engine {

namespace {

struct Span {
  int from, to;
  QTextCharFormat format;
};

// The formatted runs covering [from, to).
QList<Span> SpansOf(const QTextDocument* doc, int from, int to) {
  QList<Span> out;
  for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
    bool any = false;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      const int s = std::max(fr.position(), from), e = std::min(fr.position() + fr.length(), to);
      if (e > s) {
        out.append({s, e, fr.charFormat()});
        any = true;
      }
    }
    // The paragraph mark carries the block's character format.
    const int mark = b.position() + b.length() - 1;
    if (mark >= from && mark < to && b.next().isValid()) out.append({mark, mark + 1, b.charFormat()});
    else if (!any && b.length() == 1 && mark >= from && mark < to) out.append({mark, mark + 1, b.charFormat()});
  }
  return out;
}

DWORD PitchOf(const QTextCharFormat& f) {
  if (f.hasProperty(rtf::kPitchAndFamily)) return DWORD(f.intProperty(rtf::kPitchAndFamily));
  if (f.hasProperty(QTextFormat::FontFixedPitch)) return f.fontFixedPitch() ? 1 : 2;
  return 0;
}

QString FamilyOf(const QTextCharFormat& f, const QFont& fallback) {
  const QStringList fams = f.fontFamilies().toStringList();
  if (!fams.isEmpty() && !fams.first().isEmpty()) return fams.first();
  return fallback.family();
}

LONG SizeTwOf(const QTextCharFormat& f, const QFont& fallback) {
  qreal pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 0;
  if (pt <= 0) pt = fallback.pointSizeF();
  if (pt <= 0) pt = 10;
  return LONG(qRound(pt * 20));
}

int WeightOf(const QTextCharFormat& f, const QFont& fallback) {
  return f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() : fallback.weight();
}

// The mask bits on which two full records agree.
DWORD Agreement(const CHARFORMAT2& a, const CHARFORMAT2& b) {
  DWORD m = CFM_ALL2;
  const DWORD diff = a.dwEffects ^ b.dwEffects;
  for (DWORD bit : {CFM_BOLD, CFM_ITALIC, CFM_UNDERLINE, CFM_STRIKEOUT, CFM_PROTECTED, CFM_LINK, CFM_SMALLCAPS,
                    CFM_ALLCAPS, CFM_HIDDEN, CFM_OUTLINE, CFM_SHADOW})
    if (diff & bit) m &= ~bit;
  if (a.yOffset != b.yOffset) m &= ~CFM_OFFSET;
  if (a.sSpacing != b.sSpacing) m &= ~CFM_SPACING;
  if (a.wKerning != b.wKerning) m &= ~CFM_KERNING;
  if (a.lcid != b.lcid) m &= ~CFM_LCID;
  if (diff & (CFE_SUBSCRIPT | CFE_SUPERSCRIPT)) m &= ~CFM_SUBSCRIPT;
  if ((diff & CFE_AUTOCOLOR) || a.crTextColor != b.crTextColor) m &= ~CFM_COLOR;
  if ((diff & CFE_AUTOBACKCOLOR) || a.crBackColor != b.crBackColor) m &= ~CFM_BACKCOLOR;
  if (a.yHeight != b.yHeight) m &= ~CFM_SIZE;
  if (a.bCharSet != b.bCharSet) m &= ~CFM_CHARSET;
  if (a.bPitchAndFamily != b.bPitchAndFamily || std::strncmp(a.szFaceName, b.szFaceName, LF_FACESIZE) != 0)
    m &= ~CFM_FACE;
  if (a.wWeight != b.wWeight) m &= ~CFM_WEIGHT;
  if (a.bUnderlineType != b.bUnderlineType) m &= ~CFM_UNDERLINETYPE;
  return m;
}

void DescribePara(const QTextBlock& b, PARAFORMAT2& pf) {
  const QTextBlockFormat f = b.blockFormat();
  int numbering = f.intProperty(rtf::kNumbering);
  if (numbering == 0 && b.textList()) numbering = rtf::NumberingOfListStyle(b.textList()->format().style());
  if (!b.textList()) numbering = 0;
  pf.wNumbering = WORD(numbering);
  pf.dxStartIndent = rtf::StartIndentTw(f);
  pf.dxRightIndent = rtf::RightIndentTw(f);
  pf.dxOffset = rtf::OffsetTw(f);
  pf.wAlignment = WORD(rtf::Alignment(f));
  const QList<int> tabs = rtf::TabStopsTw(f);
  const QList<int> kinds = rtf::TabKinds(f);
  pf.cTabCount = SHORT(std::min<qsizetype>(tabs.size(), MAX_TAB_STOPS));
  for (int i = 0; i < MAX_TAB_STOPS; ++i)
    pf.rgxTabs[i] = i < pf.cTabCount ? (tabs[i] & TAB_POSITION_MASK) | LONG((kinds.value(i) & 0xFF) << 24) : 0;
  pf.wEffects = WORD(rtf::ParaEffects(f));
  if (QTextCursor(b).currentTable()) pf.wEffects |= PFE_TABLE;
  // Borders and shading as the record can say them; the exact lines are kept beside.
  const rtf::ParaBorders borders = rtf::ParaBordersOf(f);
  pf.wBorders = 0;
  pf.wBorderWidth = pf.wBorderSpace = 0;
  static const WORD sideBits[rtf::ParaBorders::kSides] = {4, 1, 8, 2, 16};
  for (int i = 0; i < rtf::ParaBorders::kSides; ++i) {
    const rtf::BorderSide& side = borders.side[i];
    if (!side.Visible()) continue;
    pf.wBorders |= sideBits[i];
    if (!pf.wBorderWidth) {
      pf.wBorderWidth = WORD(std::max(0, side.widthTw));
      pf.wBorderSpace = WORD(std::max(0, side.spaceTw));
      const WORD style = side.style == rtf::kBorderThick ? 2 : side.style == rtf::kBorderDouble ? 7 : 1;
      pf.wBorders |= WORD(style << 8);
    }
  }
  if (borders.box) pf.wBorders |= 32;
  const rtf::Shading shading = rtf::ParaShadingOf(f);
  pf.wShadingWeight = WORD(shading.percent100);
  pf.wShadingStyle = WORD(shading.pattern & 0xF);
  pf.dySpaceBefore = rtf::SpaceBeforeTw(f);
  pf.dySpaceAfter = rtf::SpaceAfterTw(f);
  pf.bLineSpacingRule = BYTE(rtf::LineSpacingRule(f));
  pf.dyLineSpacing = rtf::LineSpacingValue(f);
  pf.wNumberingStart =
      WORD(f.hasProperty(rtf::kNumberingStart) ? f.intProperty(rtf::kNumberingStart) : (numbering ? 1 : 0));
  pf.wNumberingStyle = WORD(f.intProperty(rtf::kNumberingStyle));
  pf.wNumberingTab = WORD(f.intProperty(rtf::kNumberingTabTw));
}

DWORD ParaAgreement(const PARAFORMAT2& a, const PARAFORMAT2& b) {
  DWORD m = PFM_ALL2 & ~PFM_OFFSETINDENT;
  if (a.wNumbering != b.wNumbering) m &= ~PFM_NUMBERING;
  if (a.dxStartIndent != b.dxStartIndent) m &= ~PFM_STARTINDENT;
  if (a.dxRightIndent != b.dxRightIndent) m &= ~PFM_RIGHTINDENT;
  if (a.dxOffset != b.dxOffset) m &= ~PFM_OFFSET;
  if (a.wAlignment != b.wAlignment) m &= ~PFM_ALIGNMENT;
  if (a.cTabCount != b.cTabCount || !std::equal(a.rgxTabs, a.rgxTabs + a.cTabCount, b.rgxTabs)) m &= ~PFM_TABSTOPS;
  if (a.dySpaceBefore != b.dySpaceBefore) m &= ~PFM_SPACEBEFORE;
  if (a.dySpaceAfter != b.dySpaceAfter) m &= ~PFM_SPACEAFTER;
  if (a.bLineSpacingRule != b.bLineSpacingRule || a.dyLineSpacing != b.dyLineSpacing) m &= ~PFM_LINESPACING;
  if (a.wNumberingStart != b.wNumberingStart) m &= ~PFM_NUMBERINGSTART;
  if (a.wNumberingStyle != b.wNumberingStyle) m &= ~PFM_NUMBERINGSTYLE;
  if (a.wNumberingTab != b.wNumberingTab) m &= ~PFM_NUMBERINGTAB;
  if (a.wBorders != b.wBorders || a.wBorderWidth != b.wBorderWidth || a.wBorderSpace != b.wBorderSpace)
    m &= ~PFM_BORDER;
  if (a.wShadingWeight != b.wShadingWeight || a.wShadingStyle != b.wShadingStyle) m &= ~PFM_SHADING;
  const DWORD effects = DWORD(a.wEffects ^ b.wEffects) << 16;
  m &= ~(effects & PFM_EFFECTS);
  return m;
}

}  // namespace

// ---- character formats ------------------------------------------------------------------------

void TRichDocument::Describe(const QTextCharFormat& f, CHARFORMAT2& cf) const {
  const QFont def = doc_->defaultFont();
  cf.dwEffects = 0;
  const int w = WeightOf(f, def);
  if (w >= QFont::DemiBold) cf.dwEffects |= CFE_BOLD;
  const bool italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : def.italic();
  if (italic) cf.dwEffects |= CFE_ITALIC;
  const bool under = f.hasProperty(QTextFormat::TextUnderlineStyle) ? rtf::UnderlineType(f) != 0 : def.underline();
  if (under) cf.dwEffects |= CFE_UNDERLINE;
  const QFont::Capitalization caps =
      f.hasProperty(QTextFormat::FontCapitalization) ? f.fontCapitalization() : QFont::MixedCase;
  if (f.boolProperty(rtf::kAllCaps) || caps == QFont::AllUppercase) cf.dwEffects |= CFE_ALLCAPS;
  if (f.boolProperty(rtf::kSmallCaps) || caps == QFont::SmallCaps) cf.dwEffects |= CFE_SMALLCAPS;
  if (f.boolProperty(rtf::kHidden)) cf.dwEffects |= CFE_HIDDEN;
  if (f.boolProperty(rtf::kOutline)) cf.dwEffects |= CFE_OUTLINE;
  if (f.boolProperty(rtf::kShadow)) cf.dwEffects |= CFE_SHADOW;
  const bool strike = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : def.strikeOut();
  if (strike) cf.dwEffects |= CFE_STRIKEOUT;
  if (f.boolProperty(rtf::kProtected)) cf.dwEffects |= CFE_PROTECTED;
  if (f.boolProperty(rtf::kLink) || (f.isAnchor() && !f.anchorHref().isEmpty())) cf.dwEffects |= CFE_LINK;
  if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) cf.dwEffects |= CFE_SUPERSCRIPT;
  if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) cf.dwEffects |= CFE_SUBSCRIPT;
  if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.boolProperty(rtf::kAutoColor)) {
    cf.dwEffects |= CFE_AUTOCOLOR;
    cf.crTextColor = 0;
  } else {
    cf.crTextColor = QColorToColorRef(f.foreground().color());
  }
  if (!f.hasProperty(QTextFormat::BackgroundBrush) || f.background().style() == Qt::NoBrush) {
    cf.dwEffects |= CFE_AUTOBACKCOLOR;
    cf.crBackColor = 0;
  } else {
    cf.crBackColor = QColorToColorRef(f.background().color());
  }
  cf.yHeight = SizeTwOf(f, def);
  cf.yOffset = f.intProperty(rtf::kRaiseTw);
  cf.bCharSet = BYTE(f.hasProperty(rtf::kCharset) ? f.intProperty(rtf::kCharset) : DEFAULT_CHARSET);
  cf.bPitchAndFamily = BYTE(PitchOf(f));
  SetFaceName(cf, FamilyOf(f, def));
  cf.wWeight = WORD(w);
  cf.bUnderlineType = (cf.dwEffects & CFE_UNDERLINE) ? BYTE(std::max(1, rtf::UnderlineType(f))) : CFU_UNDERLINENONE;
  cf.sSpacing = SHORT(std::clamp(f.intProperty(rtf::kSpacingTw), -32768, 32767));
  cf.wKerning = WORD(std::clamp(f.intProperty(rtf::kKerningTw), 0, 65535));
  cf.lcid = LCID(f.intProperty(rtf::kLcid));
}

void TRichDocument::DescribeDefault(CHARFORMAT2& full) const {
  Describe(defaultFormat_, full);
  if (!defaultFormat_.hasProperty(QTextFormat::ForegroundBrush)) full.dwEffects |= CFE_AUTOCOLOR;
}

DWORD TRichDocument::DescribeRange(int from, int to, CHARFORMAT2& full) const {
  const QList<Span> spans = SpansOf(doc_, from, to);
  DWORD mask = CFM_ALL2;
  bool first = true;
  CHARFORMAT2 one;
  for (const Span& s : spans) {
    // A paragraph mark inside a selection of text does not make the selection mixed.
    if (spans.size() > 1 && s.to - s.from == 1 && doc_->characterAt(s.from) == QChar(0x2029)) continue;
    if (first) {
      Describe(s.format, full);
      first = false;
      continue;
    }
    Describe(s.format, one);
    mask &= Agreement(full, one);
  }
  if (first && !spans.isEmpty()) Describe(spans.first().format, full);
  return mask;
}

void TRichDocument::CopyOut(CHARFORMAT2 full, DWORD mask, CHARFORMAT& cf, bool v2, const QPalette& pal) {
  // Automatic colours read as the colours they show in: the window's text and background.
  if (full.dwEffects & CFE_AUTOCOLOR) full.crTextColor = QColorToColorRef(pal.color(QPalette::Active, QPalette::Text));
  if (full.dwEffects & CFE_AUTOBACKCOLOR)
    full.crBackColor = QColorToColorRef(pal.color(QPalette::Active, QPalette::Base));
  const UINT size = cf.cbSize;
  if (v2) {
    static_cast<CHARFORMAT2&>(cf) = full;
  } else {
    static_cast<CHARFORMAT&>(cf) = static_cast<const CHARFORMAT&>(full);
    mask &= CFM_ALL;  // a version-1 record has no room for the rest
  }
  cf.cbSize = size;
  cf.dwMask = mask;
}

void TRichDocument::Apply(QTextCharFormat& f, const CHARFORMAT& cf, bool v2) {
  const DWORD m = cf.dwMask;
  const DWORD e = cf.dwEffects;
  if (m & CFM_BOLD) f.setFontWeight((e & CFE_BOLD) ? QFont::Bold : QFont::Normal);
  if (m & CFM_ITALIC) f.setFontItalic(e & CFE_ITALIC);
  if (m & CFM_UNDERLINE) {
    // Underlining keeps a kind it has; a new one is a single line.
    const int kind = rtf::UnderlineType(f);
    rtf::SetUnderlineType(f, (e & CFE_UNDERLINE) ? std::max(kind, 1) : 0);
  }
  if (m & CFM_STRIKEOUT) f.setFontStrikeOut(e & CFE_STRIKEOUT);
  if (m & CFM_PROTECTED) {
    if (e & CFE_PROTECTED) f.setProperty(rtf::kProtected, true);
    else f.clearProperty(rtf::kProtected);
  }
  if (m & CFM_LINK) {
    if (e & CFE_LINK) {
      f.setProperty(rtf::kLink, true);
    } else {
      f.clearProperty(rtf::kLink);
      f.setAnchor(false);
      f.clearProperty(QTextFormat::AnchorHref);
    }
  }
  if ((m & CFM_SIZE) && cf.yHeight > 0) {
    f.setFontPointSize(cf.yHeight / 20.0);
    rtf::RefreshCharOffset(f);
  }
  if (m & CFM_FACE) {
    const QString face = FaceName(cf);
    if (!face.isEmpty()) f.setFontFamilies(QStringList{face});
    f.setProperty(rtf::kPitchAndFamily, int(cf.bPitchAndFamily));
  }
  if (m & CFM_CHARSET) f.setProperty(rtf::kCharset, int(cf.bCharSet));
  if (m & CFM_COLOR) {
    if (e & CFE_AUTOCOLOR) {
      f.clearForeground();
      f.setProperty(rtf::kAutoColor, true);
    } else {
      f.setForeground(ColorRefToQColor(cf.crTextColor));
      f.clearProperty(rtf::kAutoColor);
    }
  }
  if (m & CFM_OFFSET) rtf::SetCharOffset(f, std::clamp(cf.yOffset, -32767, 32767));
  if (!v2) return;
  const auto& c2 = static_cast<const CHARFORMAT2&>(cf);
  if (m & CFM_BACKCOLOR) {
    if (e & CFE_AUTOBACKCOLOR) f.clearBackground();
    else f.setBackground(ColorRefToQColor(c2.crBackColor));
  }
  if (m & CFM_SUBSCRIPT) {
    if (e & CFE_SUPERSCRIPT) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (e & CFE_SUBSCRIPT) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    else f.setVerticalAlignment(QTextCharFormat::AlignNormal);
  }
  if ((m & CFM_WEIGHT) && !(m & CFM_BOLD) && c2.wWeight > 0) f.setFontWeight(std::clamp(int(c2.wWeight), 100, 900));
  if ((m & CFM_UNDERLINETYPE) && (!(m & CFM_UNDERLINE) || (e & CFE_UNDERLINE)))
    rtf::SetUnderlineType(f, std::min<int>(c2.bUnderlineType, CFU_UNDERLINETHICKLONGDASH));
  if (m & (CFM_ALLCAPS | CFM_SMALLCAPS)) {
    const bool all = (m & CFM_ALLCAPS) ? bool(e & CFE_ALLCAPS) : f.boolProperty(rtf::kAllCaps);
    const bool small = (m & CFM_SMALLCAPS) ? bool(e & CFE_SMALLCAPS) : f.boolProperty(rtf::kSmallCaps);
    rtf::SetCaps(f, all, small);
  }
  if (m & CFM_HIDDEN) rtf::SetHidden(f, e & CFE_HIDDEN);
  if (m & CFM_OUTLINE) {
    if (e & CFE_OUTLINE) f.setProperty(rtf::kOutline, true);
    else f.clearProperty(rtf::kOutline);
  }
  if (m & CFM_SHADOW) {
    if (e & CFE_SHADOW) f.setProperty(rtf::kShadow, true);
    else f.clearProperty(rtf::kShadow);
  }
  if (m & CFM_SPACING) rtf::SetCharSpacing(f, c2.sSpacing);
  if (m & CFM_KERNING) {
    if (c2.wKerning) f.setProperty(rtf::kKerningTw, int(c2.wKerning));
    else f.clearProperty(rtf::kKerningTw);
  }
  if (m & CFM_LCID) {
    if (c2.lcid) f.setProperty(rtf::kLcid, int(c2.lcid & 0xFFFF));
    else f.clearProperty(rtf::kLcid);
  }
}

void TRichDocument::ApplyToRange(int from, int to, const CHARFORMAT& cf, bool v2) {
  base::ValueRestorer<bool> formatting(inFormatChange_, true);
  const QList<Span> spans = SpansOf(doc_, from, to);
  QTextCursor c(doc_);
  c.beginEditBlock();
  for (const Span& s : spans) {
    QTextCharFormat f = s.format;
    Apply(f, cf, v2);
    c.setPosition(s.from);
    c.setPosition(s.to, QTextCursor::KeepAnchor);
    c.setCharFormat(f);
  }
  ShowNumbering(c, from, to, false);  // a label takes its paragraph's first character's font
  c.endEditBlock();
}

void TRichDocument::ApplyToDefault(const CHARFORMAT& cf, bool v2, bool documentFont) {
  base::ValueRestorer<bool> formatting(inFormatChange_, true);
  Apply(defaultFormat_, cf, v2);
  if (!documentFont) return;
  QFont f = doc_->defaultFont();
  if (cf.dwMask & CFM_FACE) {
    const QString face = FaceName(cf);
    if (!face.isEmpty()) f.setFamilies({face});
  }
  if ((cf.dwMask & CFM_SIZE) && cf.yHeight > 0) f.setPointSizeF(cf.yHeight / 20.0);
  if (cf.dwMask & CFM_BOLD) f.setWeight((cf.dwEffects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
  if (cf.dwMask & CFM_ITALIC) f.setItalic(cf.dwEffects & CFE_ITALIC);
  doc_->setDefaultFont(f);
  if (TextLength() == 0) {
    QTextCursor c(doc_);
    QTextCharFormat bf = c.blockCharFormat();
    Apply(bf, cf, v2);
    c.setBlockCharFormat(bf);
  }
}

// ---- paragraph formats ----------------------------------------------------------------------------

void TRichDocument::GetParaFormat(int from, int to, PARAFORMAT& pf, bool v2) const {
  const QTextBlock first = doc_->findBlock(from);
  const QTextBlock last = doc_->findBlock(to);
  PARAFORMAT2 full, one;
  DescribePara(first, full);
  DWORD mask = PFM_ALL2 & ~PFM_OFFSETINDENT;
  for (QTextBlock b = first.next(); b.isValid() && b.position() <= last.position(); b = b.next()) {
    DescribePara(b, one);
    mask &= ParaAgreement(full, one);
  }
  const UINT size = pf.cbSize;
  if (v2) {
    static_cast<PARAFORMAT2&>(pf) = full;
  } else {
    pf = static_cast<const PARAFORMAT&>(full);
    mask &= PFM_ALL;
  }
  pf.cbSize = size;
  pf.dwMask = mask;
}

namespace {

// The number kind of a list as the engine keeps it: its own property, or the style of a list
// the toolkit made.
int ListKind(const QTextList* list) {
  const QTextListFormat lf = list->format();
  if (lf.hasProperty(rtf::kNumbering)) return lf.intProperty(rtf::kNumbering);
  return lf.style() == QTextListFormat::ListStyleUndefined ? rtf::kNoNumbering : rtf::NumberingOfListStyle(lf.style());
}

// The borders a record asks for, as RTF lines; unchanged sides keep what they were read with.
rtf::ParaBorders BordersFromRecord(const PARAFORMAT2& p, const rtf::ParaBorders& old, WORD oldView, WORD oldWidth,
                                   WORD oldSpace) {
  if (p.wBorders == oldView && p.wBorderWidth == oldWidth && p.wBorderSpace == oldSpace) return old;
  rtf::ParaBorders b;
  const int code = (p.wBorders >> 8) & 0xF;
  const int style = code == 2 ? rtf::kBorderThick : (code >= 7 && code <= 9) ? rtf::kBorderDouble : rtf::kBorderSingle;
  static const WORD sideBits[rtf::ParaBorders::kSides] = {4, 1, 8, 2, 16};
  for (int i = 0; i < rtf::ParaBorders::kSides; ++i) {
    if (!(p.wBorders & sideBits[i])) continue;
    b.side[i].style = style;
    b.side[i].widthTw = p.wBorderWidth;
    b.side[i].spaceTw = p.wBorderSpace;
    b.side[i].color = old.side[i].color;
  }
  b.box = (p.wBorders & 32) && (p.wBorders & 15) == 15;
  return b;
}

}  // namespace

void TRichDocument::SetParaFormat(int from, int to, const PARAFORMAT& pf, bool v2) {
  const auto& p2 = static_cast<const PARAFORMAT2&>(pf);
  DWORD m = pf.dwMask;
  if (!v2) m &= PFM_ALL;
  const QTextBlock first = doc_->findBlock(from);
  const QTextBlock last = doc_->findBlock(to);
  base::ValueRestorer<bool> formatting(inFormatChange_, true);
  const bool showJustified = typography_ & TO_ADVANCEDTYPOGRAPHY;
  QTextCursor c(doc_);
  c.beginEditBlock();
  QTextList* list = nullptr;
  for (QTextBlock b = first; b.isValid() && b.position() <= last.position(); b = b.next()) {
    QTextBlockFormat f = b.blockFormat();
    int start = rtf::StartIndentTw(f), right = rtf::RightIndentTw(f), offset = rtf::OffsetTw(f);
    if (m & PFM_STARTINDENT) start = (m & PFM_OFFSETINDENT) ? start + pf.dxStartIndent : pf.dxStartIndent;
    if (m & PFM_RIGHTINDENT) right = pf.dxRightIndent;
    if (m & PFM_OFFSET) offset = pf.dxOffset;
    if ((m & PFM_ALIGNMENT) && pf.wAlignment >= PFA_LEFT && pf.wAlignment <= PFA_JUSTIFY)
      rtf::SetAlignment(f, pf.wAlignment, showJustified);
    if (m & PFM_TABSTOPS) {
      QList<int> tabs, kinds;
      const int n = std::clamp(int(pf.cTabCount), 0, MAX_TAB_STOPS);
      for (int i = 0; i < n; ++i) {
        tabs.append(pf.rgxTabs[i] & TAB_POSITION_MASK);
        // The high byte: the alignment in its low half, the leader in its high half.
        const int kind = (DWORD(pf.rgxTabs[i]) >> 24) & 0xF, leader = (DWORD(pf.rgxTabs[i]) >> 28) & 0xF;
        kinds.append(std::min(kind, int(rtf::kTabBar)) | std::min(leader, int(rtf::kLeaderEquals)) << 4);
      }
      rtf::SetTabStops(f, tabs, kinds);
    }
    if (v2) {
      if (m & PFM_SPACEBEFORE) rtf::SetSpaceBefore(f, std::max<LONG>(0, p2.dySpaceBefore));
      if (m & PFM_SPACEAFTER) rtf::SetSpaceAfter(f, std::max<LONG>(0, p2.dySpaceAfter));
      if (m & PFM_LINESPACING) rtf::SetLineSpacing(f, p2.bLineSpacingRule, p2.dyLineSpacing);
      if (m & PFM_NUMBERINGSTART) f.setProperty(rtf::kNumberingStart, int(p2.wNumberingStart));
      if (m & PFM_NUMBERINGSTYLE) f.setProperty(rtf::kNumberingStyle, int(p2.wNumberingStyle));
      if (m & PFM_NUMBERINGTAB) f.setProperty(rtf::kNumberingTabTw, int(p2.wNumberingTab));
      if (m & PFM_EFFECTS & ~PFM_TABLE) {
        const int old = rtf::ParaEffects(f);
        const int asked = int(m >> 16) & ~(PFE_TABLE);
        const int effects = (old & ~asked) | (int(p2.wEffects) & asked);
        if ((old & rtf::kEffectPageBreakBefore) && !(effects & rtf::kEffectPageBreakBefore))
          f.setPageBreakPolicy(f.pageBreakPolicy() & ~QTextFormat::PageBreak_AlwaysBefore);
        rtf::SetParaEffects(f, effects);
      }
      if (m & PFM_BORDER) {
        PARAFORMAT2 view;
        DescribePara(b, view);
        rtf::SetParaBorders(f, BordersFromRecord(p2, rtf::ParaBordersOf(f), view.wBorders, view.wBorderWidth,
                                                 view.wBorderSpace));
      }
      if (m & PFM_SHADING) {
        rtf::Shading s = rtf::ParaShadingOf(f);
        if (s.percent100 != p2.wShadingWeight || s.pattern != (p2.wShadingStyle & 0xF)) {
          s.percent100 = std::min<int>(p2.wShadingWeight, 10000);
          s.pattern = std::min(p2.wShadingStyle & 0xF, 12);
          rtf::SetParaShading(f, s);
        }
      }
    }
    if (m & PFM_NUMBERING) {
      const int numbering = pf.wNumbering <= PFN_UCROMAN ? pf.wNumbering : PFN_ARABIC;
      const bool same = numbering != 0 && b.textList() && f.intProperty(rtf::kNumbering) == numbering;
      if (!same) {
        // A different kind of numbering leaves the list the paragraph was read in.
        f.clearProperty(rtf::kListId);
        f.clearProperty(rtf::kListLevel);
      }
      if (numbering == 0) {
        if (QTextList* l = b.textList()) l->remove(b);
        f.clearProperty(rtf::kNumbering);
        f.setObjectIndex(-1);
        list = nullptr;
      } else if (same) {
        // Paragraphs made numbered beside one read in a defined list do not join that list.
        list = b.textList()->format().hasProperty(rtf::kListDefinition) ? nullptr : b.textList();
      } else {
        f.setProperty(rtf::kNumbering, numbering);
        if (!f.hasProperty(rtf::kNumberingStart)) f.setProperty(rtf::kNumberingStart, 1);
        QTextList* cur = b.textList();
        if (cur && ListKind(cur) == numbering && !cur->format().hasProperty(rtf::kListDefinition)) {
          list = cur;
        } else if (!list || ListKind(list) != numbering) {
          // Join the list of the paragraph before when it is of the same kind.
          const QTextBlock prev = b.previous();
          if (prev.isValid() && prev.textList() && ListKind(prev.textList()) == numbering &&
              !prev.textList()->format().hasProperty(rtf::kListDefinition)) {
            list = prev.textList();
          } else {
            QTextListFormat lf;
            lf.setStyle(QTextListFormat::ListStyleUndefined);
            lf.setProperty(rtf::kNumbering, numbering);
            lf.setIndent(0);
            c.setPosition(b.position());
            list = c.createList(lf);
          }
        }
        f.setObjectIndex(list->objectIndex());
      }
    }
    // Indents last: a numbered paragraph shows its text after its label.
    rtf::SetIndents(f, start, right, offset);
    c.setPosition(b.position());
    c.setBlockFormat(f);
  }
  ShowNumbering(c, from, to, false);
  c.endEditBlock();
}

}  // namespace engine
