// The rich edit control's character and paragraph attributes: properties over the engine's
// format records.
#include <algorithm>

#include "base/Colors.h"
#include "engine/CustomRichEdit.h"

namespace engine {

// ---- text attributes ----------------------------------------------------------------------------

void TTextAttributes::Get(CHARFORMAT2& cf) const {
  cf = CHARFORMAT2();
  owner_->Perform(EM_GETCHARFORMAT, type_ == atSelected ? SCF_SELECTION : SCF_DEFAULT, LPARAM(&cf));
}

void TTextAttributes::Set(CHARFORMAT2& cf) {
  owner_->Perform(EM_SETCHARFORMAT, type_ == atSelected ? SCF_SELECTION : SCF_DEFAULT, LPARAM(&cf));
}

QString TTextAttributes::Name() const {
  CHARFORMAT2 cf;
  Get(cf);
  return FaceName(cf);
}

void TTextAttributes::SetName(const QString& v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_FACE;
  SetFaceName(cf, v);
  Set(cf);
}

int TTextAttributes::Size() const {
  CHARFORMAT2 cf;
  Get(cf);
  return cf.yHeight / 20;
}

void TTextAttributes::SetSize(int points) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_SIZE;
  cf.yHeight = points * 20;
  Set(cf);
}

int TTextAttributes::Height() const { return Size() * ScreenDpiY() / 72; }

void TTextAttributes::SetHeight(int pixels) { SetSize(pixels * 72 / ScreenDpiY()); }

TFontStyles TTextAttributes::Style() const {
  CHARFORMAT2 cf;
  Get(cf);
  TFontStyles s = 0;
  if (cf.dwEffects & CFE_BOLD) s |= fsBold;
  if (cf.dwEffects & CFE_ITALIC) s |= fsItalic;
  if (cf.dwEffects & CFE_UNDERLINE) s |= fsUnderline;
  if (cf.dwEffects & CFE_STRIKEOUT) s |= fsStrikeOut;
  return s;
}

void TTextAttributes::SetStyle(TFontStyles v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  if (v & fsBold) cf.dwEffects |= CFE_BOLD;
  if (v & fsItalic) cf.dwEffects |= CFE_ITALIC;
  if (v & fsUnderline) cf.dwEffects |= CFE_UNDERLINE;
  if (v & fsStrikeOut) cf.dwEffects |= CFE_STRIKEOUT;
  Set(cf);
}

base::TColor TTextAttributes::Color() const {
  CHARFORMAT2 cf;
  Get(cf);
  if (cf.dwEffects & CFE_AUTOCOLOR) return base::clWindowText;
  return base::TColor(cf.crTextColor);
}

void TTextAttributes::SetColor(base::TColor v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_COLOR;
  if (v == base::clWindowText) cf.dwEffects = CFE_AUTOCOLOR;
  else cf.crTextColor = COLORREF(base::ColorToRGB(v));
  Set(cf);
}

int TTextAttributes::Charset() const {
  CHARFORMAT2 cf;
  Get(cf);
  return cf.bCharSet;
}

void TTextAttributes::SetCharset(int v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_CHARSET;
  cf.bCharSet = BYTE(v);
  Set(cf);
}

TFontPitch TTextAttributes::Pitch() const {
  CHARFORMAT2 cf;
  Get(cf);
  switch (cf.bPitchAndFamily & PITCH_MASK) {
    case FIXED_PITCH: return fpFixed;
    case VARIABLE_PITCH: return fpVariable;
    default: return fpDefault;
  }
}

void TTextAttributes::SetPitch(TFontPitch v) {
  // The face travels with the pitch, as the record keeps them together.
  CHARFORMAT2 cf;
  Get(cf);
  cf.dwMask = CFM_FACE;
  const BYTE pitch = v == fpFixed ? FIXED_PITCH : v == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
  cf.bPitchAndFamily = BYTE((cf.bPitchAndFamily & ~PITCH_MASK) | pitch);
  Set(cf);
}

bool TTextAttributes::Protected() const {
  CHARFORMAT2 cf;
  Get(cf);
  return cf.dwEffects & CFE_PROTECTED;
}

void TTextAttributes::SetProtected(bool v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_PROTECTED;
  cf.dwEffects = v ? CFE_PROTECTED : 0;
  Set(cf);
}

TConsistentAttributes TTextAttributes::ConsistentAttributes() const {
  CHARFORMAT2 cf;
  Get(cf);
  TConsistentAttributes a = 0;
  if (cf.dwMask & CFM_BOLD) a |= caBold;
  if (cf.dwMask & CFM_COLOR) a |= caColor;
  if (cf.dwMask & CFM_FACE) a |= caFace;
  if (cf.dwMask & CFM_ITALIC) a |= caItalic;
  if (cf.dwMask & CFM_SIZE) a |= caSize;
  if (cf.dwMask & CFM_STRIKEOUT) a |= caStrikeOut;
  if (cf.dwMask & CFM_UNDERLINE) a |= caUnderline;
  if (cf.dwMask & CFM_PROTECTED) a |= caProtected;
  return a;
}

void TTextAttributes::Assign(const TTextAttributes& other) {
  if (&other == this) return;
  CHARFORMAT2 cf;
  other.Get(cf);
  // Only what the other side has consistently.
  cf.dwMask &= CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_SIZE | CFM_FACE |
               CFM_CHARSET | CFM_COLOR;
  Set(cf);
}

void TTextAttributes::AssignFont(const QFont& font, base::TColor color, int charset) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_CHARSET;
  SetFaceName(cf, font.family());
  cf.bPitchAndFamily = font.fixedPitch() ? FIXED_PITCH : DEFAULT_PITCH;
  const qreal pt = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / ScreenDpiY();
  cf.yHeight = LONG(qRound(pt * 20));
  if (font.weight() >= QFont::DemiBold) cf.dwEffects |= CFE_BOLD;
  if (font.italic()) cf.dwEffects |= CFE_ITALIC;
  if (font.underline()) cf.dwEffects |= CFE_UNDERLINE;
  if (font.strikeOut()) cf.dwEffects |= CFE_STRIKEOUT;
  if (color == base::clWindowText) cf.dwEffects |= CFE_AUTOCOLOR;
  else cf.crTextColor = COLORREF(base::ColorToRGB(color));
  cf.bCharSet = BYTE(charset);
  Set(cf);
}

QFont TTextAttributes::ToFont() const {
  CHARFORMAT2 cf;
  Get(cf);
  QFont f(FaceName(cf));
  if (cf.yHeight > 0) f.setPointSizeF(cf.yHeight / 20.0);
  f.setBold(cf.dwEffects & CFE_BOLD);
  f.setItalic(cf.dwEffects & CFE_ITALIC);
  f.setUnderline(cf.dwEffects & CFE_UNDERLINE);
  f.setStrikeOut(cf.dwEffects & CFE_STRIKEOUT);
  return f;
}

// ---- paragraph attributes -----------------------------------------------------------------------

void TParaAttributes::Get(PARAFORMAT& pf) const {
  pf = PARAFORMAT();
  owner_->Perform(EM_GETPARAFORMAT, 0, LPARAM(&pf));
}

void TParaAttributes::Set(PARAFORMAT& pf) { owner_->Perform(EM_SETPARAFORMAT, 0, LPARAM(&pf)); }

TAlignment TParaAttributes::Alignment() const {
  PARAFORMAT pf;
  Get(pf);
  switch (pf.wAlignment) {
    case PFA_RIGHT: return taRightJustify;
    case PFA_CENTER: return taCenter;
    case PFA_JUSTIFY: return taJustify;
    default: return taLeftJustify;
  }
}

void TParaAttributes::SetAlignment(TAlignment v) {
  PARAFORMAT pf;
  pf.dwMask = PFM_ALIGNMENT;
  pf.wAlignment = v == taRightJustify ? PFA_RIGHT : v == taCenter ? PFA_CENTER : v == taJustify ? PFA_JUSTIFY : PFA_LEFT;
  Set(pf);
}

TNumberingStyle TParaAttributes::Numbering() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.wNumbering ? nsBullet : nsNone;
}

void TParaAttributes::SetNumbering(TNumberingStyle v) {
  if (v == nsBullet) {
    if (LeftIndent() < 10) SetLeftIndent(10);
  } else {
    SetLeftIndent(0);
  }
  PARAFORMAT pf;
  pf.dwMask = PFM_NUMBERING;
  pf.wNumbering = v == nsBullet ? PFN_BULLET : 0;
  Set(pf);
}

int TParaAttributes::Points(LONG PARAFORMAT::*field) const {
  PARAFORMAT pf;
  Get(pf);
  return pf.*field / kTwipsPerPoint;
}

void TParaAttributes::SetPoints(DWORD mask, LONG PARAFORMAT::*field, int v) {
  PARAFORMAT pf;
  pf.dwMask = mask;
  pf.*field = v * kTwipsPerPoint;
  Set(pf);
}

int TParaAttributes::FirstIndent() const { return Points(&PARAFORMAT::dxStartIndent); }
void TParaAttributes::SetFirstIndent(int v) { SetPoints(PFM_STARTINDENT, &PARAFORMAT::dxStartIndent, v); }
int TParaAttributes::LeftIndent() const { return Points(&PARAFORMAT::dxOffset); }
void TParaAttributes::SetLeftIndent(int v) { SetPoints(PFM_OFFSET, &PARAFORMAT::dxOffset, v); }
int TParaAttributes::RightIndent() const { return Points(&PARAFORMAT::dxRightIndent); }
void TParaAttributes::SetRightIndent(int v) { SetPoints(PFM_RIGHTINDENT, &PARAFORMAT::dxRightIndent, v); }

int TParaAttributes::Tab(int index) const {
  if (index < 0 || index >= MAX_TAB_STOPS) return 0;
  PARAFORMAT pf;
  Get(pf);
  return pf.rgxTabs[index] / 20;
}

void TParaAttributes::SetTab(int index, int v) {
  if (index < 0 || index >= MAX_TAB_STOPS) return;
  PARAFORMAT pf;
  Get(pf);
  pf.dwMask = PFM_TABSTOPS;
  if (pf.cTabCount <= index) pf.cTabCount = SHORT(index + 1);
  pf.rgxTabs[index] = v * 20;
  Set(pf);
}

int TParaAttributes::TabCount() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.cTabCount;
}

void TParaAttributes::SetTabCount(int v) {
  PARAFORMAT pf;
  Get(pf);
  pf.dwMask = PFM_TABSTOPS;
  pf.cTabCount = SHORT(std::clamp(v, 0, MAX_TAB_STOPS));
  Set(pf);
}

void TParaAttributes::Assign(const TParaAttributes& other) {
  if (&other == this) return;
  PARAFORMAT pf;
  other.Get(pf);
  pf.dwMask &= PFM_ALIGNMENT | PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_TABSTOPS;
  Set(pf);
}

}  // namespace engine
