// The reader's text: bytes in the code page of their font decoded in runs, and text sent to the
// destination that collects it.

#include "rtf/RtfReader_p.h"

namespace rtf::reader {

void Reader::PictureHex(const char* data, qsizetype n) {
  for (qsizetype i = 0; i < n; ++i) {
    const int h = HexValue(data[i]);
    if (h < 0) continue;
    if (pict_.hexHigh) {
      pict_.data.append(char(pict_.nibble * 16 + h));
      pict_.hexHigh = false;
    } else {
      pict_.nibble = h;
      pict_.hexHigh = true;
    }
  }
}

void Reader::BinaryData(const char* data, qsizetype n) {
  const State& s = stack_.back();
  if (overflow_ > 0 && n > 0) droppedNested_ = true;
  if (overflow_ == 0 && skipChars_ == 0 && (s.dest == Dest::Pict || s.inPict)) pict_.data.append(data, n);
  if (skipChars_ > 0) --skipChars_;
}

void Reader::HexByte(unsigned char b) {
  ResolveSurrogate();
  State& s = stack_.back();
  if (s.uprAnsi) return;
  switch (s.dest) {
    case Dest::Text:
    case Dest::FontTable:
    case Dest::InfoText:
    case Dest::ObjClass:
    case Dest::FieldInst:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore:
    case Dest::LevelText:
    case Dest::ListName: break;
    default: return;
  }
  int cp = s.dest == Dest::FontTable && fonts_.HasCurrent() ? CodePageOf(fonts_.Current()) : CodePageOf(TextFont(s.ch));
  // A symbol font's name is ordinary text: only its glyphs live in the symbol table.
  if (s.dest == Dest::FontTable && cp == kSymbolCodePage) cp = docCp_;
  if (!bytes_.isEmpty() && (bytesCp_ != cp || bytesDest_ != s.dest)) FlushBytes();
  bytesCp_ = cp;
  bytesDest_ = s.dest;
  bytes_.append(char(b));
}

void Reader::FlushBytes() {
  if (bytes_.isEmpty()) return;
  QString s;
  decoder_.Decode(bytes_.constData(), bytes_.size(), bytesCp_, s);
  bytes_.clear();
  AppendToDestination(bytesDest_, s);
}

void Reader::AppendToDestination(Dest d, const QString& s) {
  switch (d) {
    case Dest::Text: {
      const State& top = stack_.back();
      if (top.ch.field >= 0 && top.ch.field < int(fieldHasResult_.size())) fieldHasResult_[size_t(top.ch.field)] = true;
      active_->Text(s, top.ch, top.pa);
      break;
    }
    case Dest::FontTable: fonts_.AppendName(s); break;
    case Dest::FieldInst:
      // Controls cannot be written back as instruction text: they read as the spaces the writer
      // puts in their place, so the instruction trims and matches alike on every read.
      if (!fields_.empty() && !fields_.back().hasCh && !s.trimmed().isEmpty()) {
        fields_.back().ch = stack_.back().ch;
        fields_.back().hasCh = true;
      }
      if (!fields_.empty())
        for (QChar c : s)
          fields_.back().inst += c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                                         c == QChar::ParagraphSeparator
                                     ? QChar(u' ')
                                     : c;
      break;
    case Dest::ObjClass: obj_.cls += s; break;
    case Dest::InfoText:
      if (!info_.isEmpty()) info_.back().text += s;
      break;
    case Dest::PnTextAfter: pnAfter_ += s; break;
    case Dest::PnTextBefore: pnBefore_ += s; break;
    case Dest::LevelText:
    case Dest::ListName: levelText_ += s; break;
    default: break;
  }
}

void Reader::EmitText(const QString& s) {
  FlushBytes();
  const State& top = stack_.back();
  if (top.uprAnsi) return;
  AppendToDestination(top.dest, s);
  if (top.dest == Dest::FontTable && fonts_.HasCurrent() && s.contains(u';')) EndFontEntry();
}

void Reader::ResolveSurrogate() {
  if (!highSurrogate_) return;
  // Half a surrogate pair stands for nothing: it shows as the replacement character.
  highSurrogate_ = 0;
  EmitChar(0xFFFD);
}

void Reader::EndParagraph() {
  FlushBytes();
  active_->EndParagraph(stack_.back().ch, stack_.back().pa);
}

void Reader::HandleText(const char* p, qsizetype n) {
  ResolveSurrogate();
  State& s = stack_.back();
  if (s.uprAnsi) return;
  switch (s.dest) {
    case Dest::Text:
    case Dest::FieldInst:
    case Dest::InfoText:
    case Dest::ObjClass:
    case Dest::PnTextAfter:
    case Dest::PnTextBefore:
    case Dest::LevelText:
    case Dest::ListName: break;
    case Dest::FontTable:
      // A font's name ends at its semicolon; the bytes go through the code page of that font.
      for (qsizetype i = 0; i < n; ++i) {
        HexByte(static_cast<unsigned char>(p[i]));
        if (p[i] == ';') EndFontEntry();
      }
      return;
    case Dest::ColorTable:
      for (qsizetype i = 0; i < n; ++i)
        if (p[i] == ';') colors_.EndEntry();
      return;
    default: return;
  }
  const int cp = CodePageOf(TextFont(s.ch));
  if (!bytes_.isEmpty() && (bytesCp_ != cp || bytesDest_ != s.dest)) FlushBytes();
  bytesCp_ = cp;
  bytesDest_ = s.dest;
  bytes_.append(p, n);
}

}  // namespace rtf::reader
