// The engine window's character and paragraph formats: the document's, applied to the selection
// or the caret, with protection honoured.
#include "engine/RichEngine.h"

namespace engine {

void TRichEngine::GetCharFormat(DWORD scf, CHARFORMAT& cf) const {
  const bool v2 = V2(cf.cbSize, sizeof(CHARFORMAT2));
  CHARFORMAT2 full;
  DWORD mask = CFM_ALL2;
  const QTextCursor c = textCursor();
  if (!(scf & SCF_SELECTION)) doc_->DescribeDefault(full);
  else if (!c.hasSelection()) doc_->Describe(c.charFormat(), full);
  else mask = doc_->DescribeRange(c.selectionStart(), c.selectionEnd(), full);
  TRichDocument::CopyOut(full, mask, cf, v2, palette());
}

bool TRichEngine::SetCharFormat(DWORD scf, const CHARFORMAT& cf) {
  if (cf.cbSize != sizeof(CHARFORMAT) && cf.cbSize != sizeof(CHARFORMAT2)) return false;
  const bool v2 = cf.cbSize == sizeof(CHARFORMAT2) && version_ >= 2;
  const auto formatting = doc_->FormatChange();
  if (scf & SCF_ALL) {
    if (ProtectedRefuses(EM_SETCHARFORMAT, WPARAM(scf), 0, 0, TextLength()) && cf.dwMask != CFM_PROTECTED)
      return false;
    doc_->ApplyToRange(0, TextLength() + 1, cf, v2);
    doc_->ApplyToDefault(cf, v2, false);
    QTextCursor t = textCursor();
    QTextCharFormat tf = t.charFormat();
    TRichDocument::Apply(tf, cf, v2);
    t.setCharFormat(tf);
    setCurrentCharFormat(tf);
    return true;
  }
  if (!(scf & SCF_SELECTION)) {
    // The typing default: what new text in an empty engine takes, and the document's font.
    doc_->ApplyToDefault(cf, v2, true);
    if (TextLength() == 0) {
      QTextCharFormat tf = currentCharFormat();
      TRichDocument::Apply(tf, cf, v2);
      setCurrentCharFormat(tf);
    }
    return true;
  }
  QTextCursor c = textCursor();
  if (!c.hasSelection()) {
    // An empty selection: the format the next typed characters take.
    QTextCharFormat f = c.charFormat();
    TRichDocument::Apply(f, cf, v2);
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
  doc_->ApplyToRange(from, to, cf, v2);
  return true;
}

void TRichEngine::GetParaFormat(PARAFORMAT& pf) const {
  const QTextCursor c = textCursor();
  doc_->GetParaFormat(c.selectionStart(), c.selectionEnd(), pf, V2(pf.cbSize, sizeof(PARAFORMAT2)));
}

bool TRichEngine::SetParaFormat(const PARAFORMAT& pf) {
  if (pf.cbSize != sizeof(PARAFORMAT) && pf.cbSize != sizeof(PARAFORMAT2)) return false;
  const QTextCursor c = textCursor();
  doc_->SetParaFormat(c.selectionStart(), c.selectionEnd(), pf, pf.cbSize == sizeof(PARAFORMAT2) && version_ >= 2);
  return true;
}

}  // namespace engine
