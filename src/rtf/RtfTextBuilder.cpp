#include "rtf/RtfTextBuilder.h"

#include "rtf/PlainText.h"

namespace rtf {

bool TextBuilder::Follows(const ParaState& pa) {
  if (pa.TableLevel() > 0) needsDocument_ = true;
  return !needsDocument_;
}

void TextBuilder::Text(const QString& s, const CharState& ch, const ParaState& pa) {
  // Text that comes to nothing leaves the paragraph as it was, as in a document.
  if (IsDroppedText(s) || !Follows(pa)) return;
  if (pendingPar_ || (runHasState_ && !(runState_ == ch))) FlushRun();
  RealizePendingPar();
  if (!runHasState_) {
    runState_ = ch;
    runHasState_ = true;
  }
  run_.append(s);
  blockTouched_ = true;
}

void TextBuilder::FlushRun() {
  runHasState_ = false;
  if (run_.isEmpty() || needsDocument_) {
    run_.clear();
    return;
  }
  // As the document builder filters a run: a CR, VT or LF (not after a CR) breaks the line, other
  // unwanted characters go; a line break is a CR in plain text.
  const qsizetype before = out_.size();
  for (qsizetype i = 0; i < run_.size(); ++i) {
    const char16_t c = run_[i].unicode();
    if (c == '\r' || c == '\v' || c == 0x2028 || (c == '\n' && (i == 0 || run_[i - 1] != u'\r')))
      out_.append(u'\r');
    else if (!IsUnwantedChar(c))
      out_.append(QChar(c));
  }
  position_ += int(out_.size() - before);
  run_.clear();
}

void TextBuilder::RealizePendingPar() {
  if (!pendingPar_) return;
  pendingPar_ = false;
  out_.append(QLatin1String("\r\n"));
  ++position_;
  blockTouched_ = false;
}

void TextBuilder::Object(QTextCharFormat, const CharState&, const ParaState& pa) {
  if (!Follows(pa)) return;
  FlushRun();
  RealizePendingPar();
  out_.append(u' ');
  ++position_;
  blockTouched_ = true;
}

void TextBuilder::EndParagraph(const CharState&, const ParaState& pa) {
  if (!Follows(pa)) return;
  FlushRun();
  RealizePendingPar();
  pendingPar_ = true;
}

void TextBuilder::BreakParagraph(const CharState& ch, const ParaState& pa) {
  FlushRun();
  if (blockTouched_ && !pendingPar_) EndParagraph(ch, pa);
}

int TextBuilder::Position() {
  FlushRun();
  return position_;
}

}  // namespace rtf
