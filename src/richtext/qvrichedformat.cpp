// Formatting of the selection: paragraph format, character format and effects, the font
// dialog and highlight.

#include "richtext/Qvintl.h"
#include "richtext/qvriched.h"

using namespace engine;

namespace richtext {

namespace {
TqvFontDialogRunner& FontDialogRunner() {
  static TqvFontDialogRunner Runner;
  return Runner;
}

int PointSizeOf(const QFont& F, int ScreenPpi) {
  if (F.pointSize() > 0) return F.pointSize();
  if (F.pixelSize() > 0) return qMax(1, qRound(F.pixelSize() * 72.0 / (ScreenPpi > 0 ? ScreenPpi : 96)));
  return 10;
}

bool SameFont(const QFont& A, const QFont& B) {
  return A.family() == B.family() && A.pointSizeF() == B.pointSizeF() && A.bold() == B.bold() &&
         A.italic() == B.italic() && A.underline() == B.underline() && A.strikeOut() == B.strikeOut();
}

TFontStyles StylesOf(const QFont& F) {
  TFontStyles S = 0;
  if (F.bold()) S |= fsBold;
  if (F.italic()) S |= fsItalic;
  if (F.underline()) S |= fsUnderline;
  if (F.strikeOut()) S |= fsStrikeOut;
  return S;
}
}  // namespace

TqvFontDialogRunner SetFontDialogRunner(TqvFontDialogRunner Runner) {
  TqvFontDialogRunner Old = std::move(FontDialogRunner());
  FontDialogRunner() = std::move(Runner);
  return Old;
}

// ---- paragraphs -----------------------------------------------------------------------------

void TqvCustomRichEdit::SetParagraphFormat(unsigned Mask, const QString& Alignment, int LineSpacingKind,
                                           int LineSpacing, int SpaceAfter, int SpaceBefore, const int* Tabs,
                                           int TabCount, int StartIndent, int RightIndent, int FirstLineOffset,
                                           bool Bullet) {
  BeginEdit();
  PARAFORMAT2 Format;
  if (richEditVersion_ < 2) Format.cbSize = sizeof(PARAFORMAT);
  if (Mask & pmAlignment) Format.dwMask |= PFM_ALIGNMENT;
  if (Mask & pmNumbering) Format.dwMask |= PFM_NUMBERING;
  if (Mask & pmOffset) Format.dwMask |= PFM_OFFSET;
  if (Mask & pmRightIndent) Format.dwMask |= PFM_RIGHTINDENT;
  if (Mask & pmStartIndent) Format.dwMask |= PFM_STARTINDENT;
  if (Mask & pmTabStops) Format.dwMask |= PFM_TABSTOPS;
  if (Mask & pmSpaceBefore) Format.dwMask |= PFM_SPACEBEFORE;
  if (Mask & pmSpaceAfter) Format.dwMask |= PFM_SPACEAFTER;
  if (Mask & pmLineSpacing) Format.dwMask |= PFM_LINESPACING;

  // The alignment arrives as the text the paragraph dialog offered.
  const TqvRichEditParagraphDlg* Texts = GlobalIntl->RichEdit()->ParagraphDialog();
  if (Alignment == Texts->AlignLeft()) Format.wAlignment = PFA_LEFT;
  else if (Alignment == Texts->AlignRight()) Format.wAlignment = PFA_RIGHT;
  else if (Alignment == Texts->AlignJustify()) Format.wAlignment = PFA_JUSTIFY;
  else Format.wAlignment = PFA_CENTER;

  Format.wNumbering = Bullet ? PFN_BULLET : 0;
  Format.dxOffset = FirstLineOffset;
  Format.dxRightIndent = RightIndent;
  Format.dxStartIndent = StartIndent;
  if (Mask & pmTabStops) {
    const int N = qBound(0, TabCount, MAX_TAB_STOPS);
    for (int I = 0; I < N; ++I) Format.rgxTabs[I] = Tabs[I];
    Format.cTabCount = SHORT(N);
  }
  Format.dySpaceBefore = SpaceBefore;
  Format.dySpaceAfter = SpaceAfter;
  if (LineSpacingKind == 1) {
    Format.bLineSpacingRule = 5;
    Format.dyLineSpacing = 30;
  } else if (LineSpacingKind == 2) {
    Format.bLineSpacingRule = 5;
    Format.dyLineSpacing = 40;
  } else {
    Format.bLineSpacingRule = BYTE(LineSpacingKind);
    Format.dyLineSpacing = LineSpacing;
  }
  Perform(EM_SETPARAFORMAT, 0, LPARAM(static_cast<PARAFORMAT*>(&Format)));
  FormatChanged();
}

void TqvCustomRichEdit::GetParagraphFormat(PARAFORMAT2& Format) {
  Format = PARAFORMAT2();
  if (richEditVersion_ < 2) Format.cbSize = sizeof(PARAFORMAT);
  if (HandleAllocated()) Perform(EM_GETPARAFORMAT, 0, LPARAM(static_cast<PARAFORMAT*>(&Format)));
}

void TqvCustomRichEdit::GetIndents(int& FirstLineOffset, int& RightIndent, int& StartIndent) {
  PARAFORMAT Format;
  if (HandleAllocated()) Perform(EM_GETPARAFORMAT, 0, LPARAM(&Format));
  FirstLineOffset = Format.dxOffset;
  RightIndent = Format.dxRightIndent;
  StartIndent = Format.dxStartIndent;
}

void TqvCustomRichEdit::SetBullet(bool On) {
  BeginEdit();
  if (On) SetParagraphFormat(pmNumbering | pmOffset, QString(), 0, 0, 0, 0, nullptr, 0, 0, 0, 720, true);
  else {
    Paragraph().SetNumbering(nsNone);
    FormatChanged();
  }
}

// ---- characters -----------------------------------------------------------------------------

int TqvCustomRichEdit::FontCharset(const QString&) const { return fontCharset_; }

void TqvCustomRichEdit::SetSelFont(const QString& Name, int Size, base::TColor Color, TFontStyles Style) {
  CHARFORMAT2 Format;
  constexpr DWORD kFontMask =
      CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET | CFM_FACE | CFM_SIZE;
  Format.dwMask = Color == NoColor ? kFontMask : kFontMask | CFM_COLOR;
  SetFaceName(Format, Name.left(LF_FACESIZE));
  Format.bCharSet = BYTE(FontCharset(Name));
  if (Color != NoColor) Format.crTextColor = base::ColorToRGB(Color);
  if (Style & fsBold) Format.dwEffects |= CFE_BOLD;
  if (Style & fsItalic) Format.dwEffects |= CFE_ITALIC;
  if (Style & fsUnderline) Format.dwEffects |= CFE_UNDERLINE;
  if (Style & fsStrikeOut) Format.dwEffects |= CFE_STRIKEOUT;
  Format.yHeight = Size * 20;
  Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
  FormatChanged();
}

void TqvCustomRichEdit::SetEffect(int Effect, bool On) {
  if (Effect < qveBold || Effect > qveStrikeOut) return;
  const DWORD Bit = DWORD(1) << Effect;
  CHARFORMAT2 Format;
  Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
  Format.dwMask = Bit;
  if (On) Format.dwEffects |= Bit;
  else Format.dwEffects &= ~Bit;
  Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
  FormatChanged();
}

void TqvCustomRichEdit::SetControlFontCharset(int Value) {
  if (fontCharset_ == Value) return;
  fontCharset_ = Value;
  FontChanged();
}

void TqvCustomRichEdit::SetControlFontColor(base::TColor Value) {
  if (fontColor_ == Value) return;
  fontColor_ = Value;
  FontChanged();
}

void TqvCustomRichEdit::FontChanged() {
  if (!HandleAllocated()) return;
  // Typing continues in the control's font: only what differs is set.
  const QFont F = font();
  TTextAttributes& D = DefAttributes();
  if (D.Name() != F.family()) D.SetName(F.family());
  const int Size = PointSizeOf(F, screenPixelsY_);
  if (D.Size() != Size) D.SetSize(Size);
  if (D.Style() != StylesOf(F)) D.SetStyle(StylesOf(F));
  if (D.Color() != fontColor_) D.SetColor(fontColor_);
  if (D.Charset() != fontCharset_) D.SetCharset(fontCharset_);
  const TFontPitch Pitch = F.fixedPitch() ? fpFixed : fpDefault;
  if (D.Pitch() != Pitch) D.SetPitch(Pitch);
}

void TqvCustomRichEdit::ShowFontDialog() {
  TTextAttributes& Sel = SelAttributes();
  const base::TColor Remembered = Sel.Color();
  const QFont Shown = Sel.ToFont();
  QFont Font = Shown;
  base::TColor Chosen = Remembered;
  bool Ok = false;
  if (FontDialogRunner()) {
    Ok = FontDialogRunner()(this, Font, Chosen);
  } else {
    if (!fontDialog_) fontDialog_ = new TqvFontDialog(this);
    fontDialog_->SetCurrentFont(Font);
    Ok = fontDialog_->exec() == QDialog::Accepted;
    if (Ok) Font = fontDialog_->SelectedFont();
  }
  if (!Ok) return;
  // OK without a change leaves the text as it is: several faces or sizes stay several, and a size
  // between whole points keeps its fraction.
  if (Chosen == Remembered && SameFont(Font, Shown)) return;
  BeginEdit();
  // A kept colour is left alone, so a selection of several colours keeps them.
  if (Chosen == Remembered) Chosen = NoColor;
  SetSelFont(Font.family(), PointSizeOf(Font, screenPixelsY_), Chosen, StylesOf(Font));
}

// ---- highlight ------------------------------------------------------------------------------

void TqvCustomRichEdit::SetSelBackColor(base::TColor Color) {
  if (Color == -1) {
    RemoveHighlight();
    Color = base::TColor(base::ColorToRGB(this->Color()));
  }
  if (richEditVersion_ < 2) return;
  CHARFORMAT2 Format;
  Format.dwMask = CFM_BACKCOLOR;
  Format.crBackColor = base::ColorToRGB(Color);
  Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
  FormatChanged();
  SetSelLength(0);
}

base::TColor TqvCustomRichEdit::GetSelBackColor() {
  if (richEditVersion_ < 2) return base::TColor(base::ColorToRGB(Color()));
  CHARFORMAT2 Format;
  Format.dwMask = CFM_BACKCOLOR;
  Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&Format)));
  return base::TColor(Format.crBackColor);
}

void TqvCustomRichEdit::RemoveHighlight() {
  // Nothing selected, nothing to strip (and nothing to stream back over the caret).
  if (SelLength() == 0) return;
  SetSelectionRtf(QvRemoveHighlightWords(SelectionRtf()));
  FormatChanged();
}

}  // namespace richtext
