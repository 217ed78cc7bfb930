#include "richtext/qvRichStream.h"

#include <cstdlib>
#include <cstring>

#include "rtf/PlainText.h"

namespace richtext {

qint64 QvRoundCapacity(qint64 Requested) {
  if (Requested <= 0) return 0;
  return (Requested + TqvRichMemoryStream::GrowthStep - 1) / TqvRichMemoryStream::GrowthStep *
         TqvRichMemoryStream::GrowthStep;
}

TqvRichMemoryStream::TqvRichMemoryStream() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }

TqvRichMemoryStream::~TqvRichMemoryStream() { std::free(memory_); }

void TqvRichMemoryStream::SetCapacity(qint64 NewCapacity) {
  const qint64 Rounded = QvRoundCapacity(NewCapacity);
  if (Rounded == capacity_) return;
  if (Rounded == 0) {
    std::free(memory_);
    memory_ = nullptr;
    capacity_ = 0;
    return;
  }
  // QByteArray, which hands the bytes out, is limited to int sizes.
  char* P = Rounded > 0x7FFFFFFF ? nullptr : static_cast<char*>(std::realloc(memory_, size_t(Rounded)));
  if (P == nullptr) throw EqvStreamError(QStringLiteral("Out of memory while expanding memory stream"));
  memory_ = P;
  capacity_ = Rounded;
}

void TqvRichMemoryStream::SetSize(qint64 NewSize) {
  if (NewSize < 0) NewSize = 0;
  if (NewSize > capacity_) SetCapacity(NewSize);
  size_ = NewSize;
  if (pos() > size_) seek(size_);
}

void TqvRichMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  seek(0);
}

void TqvRichMemoryStream::WriteBuffer(const char* Data, qint64 Count) {
  if (Count <= 0) return;
  const qint64 P = pos();
  if (P + Count > capacity_) SetCapacity(P + Count);
  std::memcpy(memory_ + P, Data, size_t(Count));
  if (P + Count > size_) size_ = P + Count;
  QIODevice::seek(P + Count);
}

bool TqvRichMemoryStream::seek(qint64 Pos) {
  if (Pos < 0) return false;
  return QIODevice::seek(Pos);
}

qint64 TqvRichMemoryStream::readData(char* Data, qint64 MaxSize) {
  const qint64 P = pos();
  const qint64 N = qMax<qint64>(0, qMin(MaxSize, size_ - P));
  if (N > 0) std::memcpy(Data, memory_ + P, size_t(N));
  return N;
}

qint64 TqvRichMemoryStream::writeData(const char* Data, qint64 MaxSize) {
  // Through QIODevice::write a failure is reported, not thrown, as the device contract asks.
  const qint64 P = pos();
  try {
    if (P + MaxSize > capacity_) SetCapacity(P + MaxSize);
  } catch (const EqvStreamError& E) {
    setErrorString(E.Message());
    return -1;
  }
  if (MaxSize > 0) std::memcpy(memory_ + P, Data, size_t(MaxSize));
  if (P + MaxSize > size_) size_ = P + MaxSize;
  return MaxSize;
}

QByteArray QvAdjustLineBreaks(const QByteArray& Text) { return rtf::NormalizeLineBreaks(Text); }

QByteArray QvCloseGroupAfterPard(const QByteArray& Chunk) {
  const qsizetype Pard = Chunk.indexOf("\\pard");
  if (Pard < 0) return Chunk;
  const qsizetype Brace = Chunk.indexOf('{', Pard);
  if (Brace < 0) return Chunk;
  QByteArray Cut = Chunk.left(Brace + 1);
  Cut[Brace] = '}';
  return Cut;
}

uint32_t TqvChunkReader::Fill(uint8_t* Buffer, long Wanted, long* Got) {
  *Got = 0;
  if (maxChunks_ > 0 && chunks_ >= maxChunks_) return 0;
  if (Wanted < 2) return 0;
  const qint64 Budget = Wanted / 2;
  QByteArray Raw = carry_;
  carry_.clear();
  if (Raw.size() < Budget) Raw += source_.read(Budget - Raw.size());
  // A CR that ends what was read may be the first half of a CR LF: take its LF along, or keep
  // the byte that follows for the next chunk, so the break is neither doubled nor lost.
  if (Raw.endsWith('\r')) {
    const QByteArray Next = source_.read(1);
    if (Next == "\n") Raw += '\n';
    else carry_ = Next;
  }
  if (Raw.isEmpty()) return 0;
  QByteArray Chunk = QvAdjustLineBreaks(Raw);
  ++chunks_;
  if (maxChunks_ > 0 && chunks_ == maxChunks_) Chunk = QvCloseGroupAfterPard(Chunk);
  std::memcpy(Buffer, Chunk.constData(), size_t(Chunk.size()));
  *Got = long(Chunk.size());
  return 0;
}

QByteArray QvRemoveHighlightWords(const QByteArray& Rtf) {
  static const QByteArray Word = "\\highlight";
  static const QByteArray Escaped = "\\\\highlight";
  QByteArray Text = Rtf;
  qsizetype P = 0;
  for (;;) {
    const qsizetype At = Text.indexOf(Word, P);
    if (At < 0) break;
    const qsizetype Esc = Text.indexOf(Escaped, P);
    if (Esc >= 0 && Esc < At) {
      P = Esc + Escaped.size();
      continue;
    }
    qsizetype End = At + Word.size();
    while (End < Text.size() && Text[End] >= '0' && Text[End] <= '9') ++End;
    if (End < Text.size() && Text[End] == ' ') ++End;
    Text.remove(At, End - At);
    P = At;
  }
  return Text;
}

}  // namespace richtext
