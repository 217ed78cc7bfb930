// Character and paragraph formats with masks, and find.
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>

#include "engine/RichEngine.h"
#include "engine/TextModel.h"

namespace engine {

namespace {

bool IsWordCharPublic(QChar c) { return c.isLetterOrNumber() || c == QChar('_'); }

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
  if (f.hasProperty(kPitchAndFamily)) return DWORD(f.intProperty(kPitchAndFamily));
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

// Reads one format into a full record (every field, mask all).
void Describe(const QTextCharFormat& f, const QFont& def, CHARFORMAT2& cf) {
  cf.dwEffects = 0;
  const int w = WeightOf(f, def);
  if (w >= QFont::DemiBold) cf.dwEffects |= CFE_BOLD;
  const bool italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : def.italic();
  if (italic) cf.dwEffects |= CFE_ITALIC;
  const bool under = f.hasProperty(QTextFormat::TextUnderlineStyle) ? f.fontUnderline() : def.underline();
  if (under) cf.dwEffects |= CFE_UNDERLINE;
  const bool strike = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : def.strikeOut();
  if (strike) cf.dwEffects |= CFE_STRIKEOUT;
  if (f.boolProperty(kProtected)) cf.dwEffects |= CFE_PROTECTED;
  if (f.boolProperty(kLink) || (f.isAnchor() && !f.anchorHref().isEmpty())) cf.dwEffects |= CFE_LINK;
  if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) cf.dwEffects |= CFE_SUPERSCRIPT;
  if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) cf.dwEffects |= CFE_SUBSCRIPT;
  if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.boolProperty(kAutoColor)) {
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
  cf.yOffset = 0;
  cf.bCharSet = BYTE(f.hasProperty(kCharset) ? f.intProperty(kCharset) : 1);
  cf.bPitchAndFamily = BYTE(PitchOf(f));
  SetFaceName(cf, FamilyOf(f, def));
  cf.wWeight = WORD(w);
  cf.bUnderlineType = (cf.dwEffects & CFE_UNDERLINE) ? 1 : 0;
}

// The mask bits on which two full records agree.
DWORD Agreement(const CHARFORMAT2& a, const CHARFORMAT2& b) {
  DWORD m = CFM_ALL2;
  const DWORD diff = a.dwEffects ^ b.dwEffects;
  for (DWORD bit : {CFM_BOLD, CFM_ITALIC, CFM_UNDERLINE, CFM_STRIKEOUT, CFM_PROTECTED, CFM_LINK})
    if (diff & bit) m &= ~bit;
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

// Automatic colours read as the colours they show in: the window's text and background.
void ResolveAutoColors(CHARFORMAT2& cf, const QPalette& pal) {
  if (cf.dwEffects & CFE_AUTOCOLOR) cf.crTextColor = QColorToColorRef(pal.color(QPalette::Active, QPalette::Text));
  if (cf.dwEffects & CFE_AUTOBACKCOLOR) cf.crBackColor = QColorToColorRef(pal.color(QPalette::Active, QPalette::Base));
}

void CopyOutCharFormat(CHARFORMAT2 full, DWORD mask, CHARFORMAT& cf, bool v2, const QPalette& pal) {
  ResolveAutoColors(full, pal);
  const UINT size = cf.cbSize;
  if (v2) {
    auto& out = static_cast<CHARFORMAT2&>(cf);
    out = full;
  } else {
    static_cast<CHARFORMAT&>(cf) = static_cast<const CHARFORMAT&>(full);
    mask &= CFM_ALL;  // a version-1 record has no room for the rest
  }
  cf.cbSize = size;
  cf.dwMask = mask;
}

}  // namespace

// Applies the named fields of cf to a format.
static void Apply(QTextCharFormat& f, const CHARFORMAT& cf, bool v2) {
  const DWORD m = cf.dwMask;
  const DWORD e = cf.dwEffects;
  if (m & CFM_BOLD) f.setFontWeight((e & CFE_BOLD) ? QFont::Bold : QFont::Normal);
  if (m & CFM_ITALIC) f.setFontItalic(e & CFE_ITALIC);
  if (m & CFM_UNDERLINE) f.setFontUnderline(e & CFE_UNDERLINE);
  if (m & CFM_STRIKEOUT) f.setFontStrikeOut(e & CFE_STRIKEOUT);
  if (m & CFM_PROTECTED) {
    if (e & CFE_PROTECTED) f.setProperty(kProtected, true);
    else f.clearProperty(kProtected);
  }
  if (m & CFM_LINK) {
    if (e & CFE_LINK) {
      f.setProperty(kLink, true);
    } else {
      f.clearProperty(kLink);
      f.setAnchor(false);
      f.clearProperty(QTextFormat::AnchorHref);
    }
  }
  if (m & CFM_SIZE) {
    if (cf.yHeight > 0) f.setFontPointSize(cf.yHeight / 20.0);
  }
  if (m & CFM_FACE) {
    const QString face = FaceName(cf);
    if (!face.isEmpty()) f.setFontFamilies(QStringList{face});
    f.setProperty(kPitchAndFamily, int(cf.bPitchAndFamily));
  }
  if (m & CFM_CHARSET) f.setProperty(kCharset, int(cf.bCharSet));
  if (m & CFM_COLOR) {
    if (e & CFE_AUTOCOLOR) {
      f.clearForeground();
      f.setProperty(kAutoColor, true);
    } else {
      f.setForeground(ColorRefToQColor(cf.crTextColor));
      f.clearProperty(kAutoColor);
    }
  }
  if (m & CFM_OFFSET) {
    if (cf.yOffset > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (cf.yOffset < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    else f.setVerticalAlignment(QTextCharFormat::AlignNormal);
  }
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
  if ((m & CFM_UNDERLINETYPE) && !(m & CFM_UNDERLINE)) f.setFontUnderline(c2.bUnderlineType != 0);
}

void TRichEngine::GetCharFormat(DWORD scf, CHARFORMAT& cf) const {
  const bool v2 = cf.cbSize >= sizeof(CHARFORMAT2) && version_ >= 2;
  const QFont def = document()->defaultFont();
  CHARFORMAT2 full;
  if (!(scf & SCF_SELECTION)) {
    Describe(defaultFormat_, def, full);
    if (!defaultFormat_.hasProperty(QTextFormat::ForegroundBrush)) full.dwEffects |= CFE_AUTOCOLOR;
    CopyOutCharFormat(full, CFM_ALL2, cf, v2, palette());
    return;
  }
  const QTextCursor c = textCursor();
  if (!c.hasSelection()) {
    Describe(c.charFormat(), def, full);
    CopyOutCharFormat(full, CFM_ALL2, cf, v2, palette());
    return;
  }
  const QList<Span> spans = SpansOf(document(), c.selectionStart(), c.selectionEnd());
  DWORD mask = CFM_ALL2;
  bool first = true;
  CHARFORMAT2 one;
  for (const Span& s : spans) {
    // A paragraph mark inside a selection of text does not make the selection mixed.
    if (spans.size() > 1 && s.to - s.from == 1 && document()->characterAt(s.from) == QChar(0x2029)) continue;
    if (first) {
      Describe(s.format, def, full);
      first = false;
      continue;
    }
    Describe(s.format, def, one);
    mask &= Agreement(full, one);
  }
  if (first && !spans.isEmpty()) Describe(spans.first().format, def, full);
  CopyOutCharFormat(full, mask, cf, v2, palette());
}

void TRichEngine::ApplyCharFormatRange(int from, int to, const CHARFORMAT& cf, bool v2) {
  const QList<Span> spans = SpansOf(document(), from, to);
  QTextCursor c(document());
  c.beginEditBlock();
  for (const Span& s : spans) {
    QTextCharFormat f = s.format;
    Apply(f, cf, v2);
    c.setPosition(s.from);
    c.setPosition(s.to, QTextCursor::KeepAnchor);
    c.setCharFormat(f);
  }
  c.endEditBlock();
}

bool TRichEngine::SetCharFormat(DWORD scf, const CHARFORMAT& cf) {
  if (cf.cbSize != sizeof(CHARFORMAT) && cf.cbSize != sizeof(CHARFORMAT2)) return false;
  const bool v2 = cf.cbSize == sizeof(CHARFORMAT2) && version_ >= 2;
  inFormatChange_ = true;
  struct Reset {
    bool& b;
    ~Reset() { b = false; }
  } reset{inFormatChange_};
  if (scf & SCF_ALL) {
    if (ProtectedRefuses(EM_SETCHARFORMAT, WPARAM(scf), 0, 0, TextLength()) && cf.dwMask != CFM_PROTECTED)
      return false;
    ApplyCharFormatRange(0, TextLength() + 1, cf, v2);
    Apply(defaultFormat_, cf, v2);
    QTextCursor t = textCursor();
    QTextCharFormat tf = t.charFormat();
    Apply(tf, cf, v2);
    t.setCharFormat(tf);
    setCurrentCharFormat(tf);
    return true;
  }
  if (!(scf & SCF_SELECTION)) {
    // The typing default: what new text in an empty engine takes, and the document's font.
    Apply(defaultFormat_, cf, v2);
    QFont f = document()->defaultFont();
    if (cf.dwMask & CFM_FACE) {
      const QString face = FaceName(cf);
      if (!face.isEmpty()) f.setFamilies({face});
    }
    if ((cf.dwMask & CFM_SIZE) && cf.yHeight > 0) f.setPointSizeF(cf.yHeight / 20.0);
    if (cf.dwMask & CFM_BOLD) f.setWeight((cf.dwEffects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
    if (cf.dwMask & CFM_ITALIC) f.setItalic(cf.dwEffects & CFE_ITALIC);
    document()->setDefaultFont(f);
    if (TextLength() == 0) {
      QTextCursor c(document());
      QTextCharFormat bf = c.blockCharFormat();
      Apply(bf, cf, v2);
      c.setBlockCharFormat(bf);
      QTextCharFormat tf = currentCharFormat();
      Apply(tf, cf, v2);
      setCurrentCharFormat(tf);
    }
    return true;
  }
  QTextCursor c = textCursor();
  if (!c.hasSelection()) {
    // An empty selection: the format the next typed characters take.
    QTextCharFormat f = c.charFormat();
    Apply(f, cf, v2);
    c.setCharFormat(f);
    setTextCursor(c);
    setCurrentCharFormat(f);
    if (TextLength() == 0) {
      QTextCursor b(document());
      b.setBlockCharFormat(f);
    }
    return true;
  }
  const int from = c.selectionStart(), to = c.selectionEnd();
  if (cf.dwMask != CFM_PROTECTED && ProtectedRefuses(EM_SETCHARFORMAT, WPARAM(scf), 0, from, to)) return false;
  ApplyCharFormatRange(from, to, cf, v2);
  return true;
}

// ---- paragraph format -----------------------------------------------------------------------------

namespace {

void DescribePara(const QTextBlock& b, PARAFORMAT2& pf) {
  const QTextBlockFormat f = b.blockFormat();
  int numbering = f.intProperty(kNumbering);
  if (numbering == 0 && b.textList()) {
    switch (b.textList()->format().style()) {
      case QTextListFormat::ListDisc:
      case QTextListFormat::ListCircle:
      case QTextListFormat::ListSquare: numbering = PFN_BULLET; break;
      case QTextListFormat::ListLowerAlpha: numbering = PFN_LCLETTER; break;
      case QTextListFormat::ListUpperAlpha: numbering = PFN_UCLETTER; break;
      case QTextListFormat::ListLowerRoman: numbering = PFN_LCROMAN; break;
      case QTextListFormat::ListUpperRoman: numbering = PFN_UCROMAN; break;
      default: numbering = PFN_ARABIC; break;
    }
  }
  if (!b.textList()) numbering = 0;
  pf.wNumbering = WORD(numbering);
  pf.dxStartIndent = StartIndentTw(f);
  pf.dxRightIndent = RightIndentTw(f);
  pf.dxOffset = OffsetTw(f);
  pf.wAlignment = WORD(Alignment(f));
  const QList<int> tabs = TabStopsTw(f);
  pf.cTabCount = SHORT(std::min<qsizetype>(tabs.size(), MAX_TAB_STOPS));
  for (int i = 0; i < MAX_TAB_STOPS; ++i) pf.rgxTabs[i] = i < pf.cTabCount ? tabs[i] : 0;
  pf.dySpaceBefore = SpaceBeforeTw(f);
  pf.dySpaceAfter = SpaceAfterTw(f);
  pf.bLineSpacingRule = BYTE(LineSpacingRule(f));
  pf.dyLineSpacing = LineSpacingValue(f);
  pf.wNumberingStart = WORD(f.hasProperty(kNumberingStart) ? f.intProperty(kNumberingStart) : (numbering ? 1 : 0));
  pf.wNumberingStyle = WORD(f.intProperty(kNumberingStyle));
  pf.wNumberingTab = WORD(f.intProperty(kNumberingTabTw));
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
  return m;
}

QTextListFormat::Style ListStyleOf(int numbering) {
  switch (numbering) {
    case PFN_BULLET: return QTextListFormat::ListDisc;
    case PFN_LCLETTER: return QTextListFormat::ListLowerAlpha;
    case PFN_UCLETTER: return QTextListFormat::ListUpperAlpha;
    case PFN_LCROMAN: return QTextListFormat::ListLowerRoman;
    case PFN_UCROMAN: return QTextListFormat::ListUpperRoman;
    default: return QTextListFormat::ListDecimal;
  }
}

}  // namespace

void TRichEngine::GetParaFormat(PARAFORMAT& pf) const {
  const bool v2 = pf.cbSize >= sizeof(PARAFORMAT2) && version_ >= 2;
  const QTextCursor c = textCursor();
  const QTextDocument* doc = document();
  const QTextBlock first = doc->findBlock(c.selectionStart());
  const QTextBlock last = doc->findBlock(c.selectionEnd());
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

bool TRichEngine::SetParaFormat(const PARAFORMAT& pf) {
  if (pf.cbSize != sizeof(PARAFORMAT) && pf.cbSize != sizeof(PARAFORMAT2)) return false;
  const bool v2 = pf.cbSize == sizeof(PARAFORMAT2) && version_ >= 2;
  const auto& p2 = static_cast<const PARAFORMAT2&>(pf);
  DWORD m = pf.dwMask;
  if (!v2) m &= PFM_ALL;
  const QTextCursor sel = textCursor();
  QTextDocument* doc = document();
  const QTextBlock first = doc->findBlock(sel.selectionStart());
  const QTextBlock last = doc->findBlock(sel.selectionEnd());
  inFormatChange_ = true;
  struct Reset {
    bool& b;
    ~Reset() { b = false; }
  } reset{inFormatChange_};
  const bool showJustified = typography_ & TO_ADVANCEDTYPOGRAPHY;
  QTextCursor c(doc);
  c.beginEditBlock();
  QTextList* list = nullptr;
  for (QTextBlock b = first; b.isValid() && b.position() <= last.position(); b = b.next()) {
    QTextBlockFormat f = b.blockFormat();
    int start = StartIndentTw(f), right = RightIndentTw(f), offset = OffsetTw(f);
    if (m & PFM_STARTINDENT) start = (m & PFM_OFFSETINDENT) ? start + pf.dxStartIndent : pf.dxStartIndent;
    if (m & PFM_RIGHTINDENT) right = pf.dxRightIndent;
    if (m & PFM_OFFSET) offset = pf.dxOffset;
    if (m & (PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET)) SetIndents(f, start, right, offset);
    if ((m & PFM_ALIGNMENT) && pf.wAlignment >= PFA_LEFT && pf.wAlignment <= PFA_JUSTIFY)
      SetAlignment(f, pf.wAlignment, showJustified);
    if (m & PFM_TABSTOPS) {
      QList<int> tabs;
      const int n = std::clamp(int(pf.cTabCount), 0, MAX_TAB_STOPS);
      for (int i = 0; i < n; ++i) tabs.append(pf.rgxTabs[i] & 0x00FFFFFF);  // the high byte holds tab kinds
      SetTabStops(f, tabs);
    }
    if (v2) {
      if (m & PFM_SPACEBEFORE) SetSpaceBefore(f, std::max<LONG>(0, p2.dySpaceBefore));
      if (m & PFM_SPACEAFTER) SetSpaceAfter(f, std::max<LONG>(0, p2.dySpaceAfter));
      if (m & PFM_LINESPACING) SetLineSpacing(f, p2.bLineSpacingRule, p2.dyLineSpacing);
      if (m & PFM_NUMBERINGSTART) f.setProperty(kNumberingStart, int(p2.wNumberingStart));
      if (m & PFM_NUMBERINGSTYLE) f.setProperty(kNumberingStyle, int(p2.wNumberingStyle));
      if (m & PFM_NUMBERINGTAB) f.setProperty(kNumberingTabTw, int(p2.wNumberingTab));
    }
    c.setPosition(b.position());
    if (m & PFM_NUMBERING) {
      const int numbering = pf.wNumbering <= PFN_UCROMAN ? pf.wNumbering : PFN_ARABIC;
      if (numbering == 0) {
        if (QTextList* l = b.textList()) l->remove(b);
        f.clearProperty(kNumbering);
        f.setObjectIndex(-1);
        c.setBlockFormat(f);
        list = nullptr;
      } else {
        f.setProperty(kNumbering, numbering);
        if (!f.hasProperty(kNumberingStart)) f.setProperty(kNumberingStart, 1);
        QTextList* cur = b.textList();
        if (cur && cur->format().style() == ListStyleOf(numbering)) {
          list = cur;
        } else if (!list || list->format().style() != ListStyleOf(numbering)) {
          // Join the list of the paragraph before when it is of the same kind.
          const QTextBlock prev = b.previous();
          if (prev.isValid() && prev.textList() && prev.textList()->format().style() == ListStyleOf(numbering)) {
            list = prev.textList();
          } else {
            QTextListFormat lf;
            lf.setStyle(ListStyleOf(numbering));
            lf.setIndent(0);
            c.setPosition(b.position());
            list = c.createList(lf);
          }
        }
        f.setObjectIndex(list->objectIndex());
        c.setBlockFormat(f);
      }
    } else {
      c.setBlockFormat(f);
    }
  }
  c.endEditBlock();
  return true;
}

void TRichEngine::ApplyJustification() {
  const bool show = typography_ & TO_ADVANCEDTYPOGRAPHY;
  QTextCursor c(document());
  bool began = false;
  inFormatChange_ = true;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    QTextBlockFormat f = b.blockFormat();
    // Pasted HTML brings justification without the engine's own alignment mark.
    if (Alignment(f) != PFA_JUSTIFY) continue;
    const bool shown = f.alignment() & Qt::AlignJustify;
    if (shown == show) continue;
    if (!began) {
      c.beginEditBlock();
      began = true;
    }
    SetAlignment(f, PFA_JUSTIFY, show);
    c.setPosition(b.position());
    c.setBlockFormat(f);
  }
  if (began) c.endEditBlock();
  inFormatChange_ = false;
}

// ---- find -------------------------------------------------------------------------------------

LONG TRichEngine::FindText(DWORD flags, FINDTEXTEX& ft) const {
  ft.chrgText = {-1, -1};
  const QString what = ft.lpstrText ? QString::fromUtf16(ft.lpstrText) : QString();
  if (what.isEmpty()) return -1;
  const int len = TextLength();
  const Qt::CaseSensitivity cs = (flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const bool down = flags & FR_DOWN;
  int lo, hi;
  if (down) {
    lo = std::clamp(int(ft.chrg.cpMin), 0, len);
    hi = ft.chrg.cpMax < 0 ? len : std::clamp(int(ft.chrg.cpMax), 0, len);
  } else {
    // Upward from cpMin toward cpMax (-1: the start).
    hi = ft.chrg.cpMin < 0 ? len : std::clamp(int(ft.chrg.cpMin), 0, len);
    lo = ft.chrg.cpMax < 0 ? 0 : std::clamp(int(ft.chrg.cpMax), 0, len);
    if (lo > hi) std::swap(lo, hi);
  }
  if (hi - lo < what.size()) return -1;
  // The text around the range, one character each side, decides whole words at its edges.
  const int from = std::max(0, lo - 1), to = std::min(len, hi + 1);
  const QString text = GetTextRange(from, to);
  const auto wholeWordAt = [&](int i) {
    const bool before = i > 0 && IsWordCharPublic(text[i - 1]);
    const int e = i + int(what.size());
    const bool after = e < text.size() && IsWordCharPublic(text[e]);
    return !before && !after;
  };
  const int first = lo - from, last = hi - from - int(what.size());
  if (down) {
    for (int i = int(text.indexOf(what, first, cs)); i >= 0 && i <= last; i = int(text.indexOf(what, i + 1, cs))) {
      if ((flags & FR_WHOLEWORD) && !wholeWordAt(i)) continue;
      ft.chrgText = {from + i, from + i + LONG(what.size())};
      return from + i;
    }
  } else {
    for (int i = int(text.lastIndexOf(what, last, cs)); i >= first; i = int(text.lastIndexOf(what, i - 1, cs))) {
      if ((flags & FR_WHOLEWORD) && !wholeWordAt(i)) {
        if (i == 0) break;
        continue;
      }
      ft.chrgText = {from + i, from + i + LONG(what.size())};
      return from + i;
    }
  }
  return -1;
}

}  // namespace engine
