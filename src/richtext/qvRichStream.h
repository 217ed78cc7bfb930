#pragma once
// The control's memory stream, and the byte-level rules of moving text into the engine in
// chunks (the chunk-limited preview load). Kept apart from the control so they can be used and
// checked without a window.

#include <QByteArray>
#include <QIODevice>

#include <cstdint>

#include "base/Exception.h"

namespace richtext {

// A stream failure carrying its message ("Out of memory while expanding memory stream").
class EqvStreamError : public base::Exception {
  using base::Exception::Exception;
};

// A memory stream whose capacity grows in steps of 128 KiB, so that large texts move with few
// reallocations. Random access; opened read-write on construction.
class TqvRichMemoryStream : public QIODevice {
 public:
  static constexpr qint64 GrowthStep = 131072;

  TqvRichMemoryStream();
  ~TqvRichMemoryStream() override;

  const char* Memory() const { return memory_; }
  qint64 Size() const { return size_; }
  qint64 Capacity() const { return capacity_; }
  qint64 Position() const { return pos(); }
  void SetPosition(qint64 P) { seek(P); }

  // Rounds a request above 0 up to the next multiple of GrowthStep; 0 releases the memory.
  // Throws EqvStreamError when the memory cannot be had.
  void SetCapacity(qint64 NewCapacity);
  // Changes the size (growing the capacity as needed); the position stays within the data.
  void SetSize(qint64 NewSize);
  void Clear();
  // Appends or overwrites at the position; throws EqvStreamError on failure.
  void WriteBuffer(const char* Data, qint64 Count);
  void WriteBuffer(const QByteArray& Data) { WriteBuffer(Data.constData(), Data.size()); }
  QByteArray Bytes() const { return QByteArray(memory_, int(size_)); }

  // QIODevice
  bool isSequential() const override { return false; }
  qint64 size() const override { return size_; }
  bool seek(qint64 Pos) override;

 protected:
  qint64 readData(char* Data, qint64 MaxSize) override;
  qint64 writeData(const char* Data, qint64 MaxSize) override;

 private:
  char* memory_ = nullptr;
  qint64 size_ = 0;
  qint64 capacity_ = 0;
};

// Rounds a capacity as TqvRichMemoryStream does (exposed for its users and tests).
qint64 QvRoundCapacity(qint64 Requested);

// Fills the chunks the engine asks for when text streams in. Each chunk takes at most half the
// requested size from the source and turns every line break (CR, LF, CR LF) into CR LF, which at
// most doubles it. A CR that ends what was read takes its LF along, so a CR LF split across
// two reads stays one line break (and a lone CR is not lost).
// With MaxChunks above 0 only that many chunks are delivered; the last one is cut after the
// first "{" that follows the first "\pard", that "{" turned into "}", so the open group closes
// and the rest of the text stays out.
class TqvChunkReader {
 public:
  TqvChunkReader(QIODevice& Source, int MaxChunks = 0) : source_(Source), maxChunks_(MaxChunks) {}

  // The engine's read callback: fills Buffer with up to Wanted bytes; *Got = 0 ends the stream.
  // Returns 0, or nonzero when the source failed.
  uint32_t Fill(uint8_t* Buffer, long Wanted, long* Got);

  int ChunksDelivered() const { return chunks_; }

 private:
  QIODevice& source_;
  int maxChunks_;
  int chunks_ = 0;
  QByteArray carry_;  // a byte read ahead after a final CR
};

// Turns CR, LF and CR LF into CR LF (used by the chunk reader; also for whole buffers).
QByteArray QvAdjustLineBreaks(const QByteArray& Text);

// Cuts a chunk as the limited load does for its last chunk: after the first "\pard" the first
// "{" becomes "}" and the chunk ends right after it; unchanged when there is no such place.
QByteArray QvCloseGroupAfterPard(const QByteArray& Chunk);

// Removes the "\highlight" control words (with their number and one following space) from
// RTF text, leaving an escaped "\\highlight" alone.
QByteArray QvRemoveHighlightWords(const QByteArray& Rtf);

}  // namespace richtext
