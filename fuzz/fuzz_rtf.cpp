// Feeds arbitrary bytes to the RTF reader, writes what it read and reads that again.
// The reader must neither crash nor hang, the engine's own output must read back to the same
// text, and the text read without a document must be the document's text.
//
// An input that starts with the byte 0xFF is a recipe for a large one, beyond the fuzzer's
// length cap: FF, depth, count (two bytes, little-endian), then a unit and a tail separated by
// the first NUL. It stands for "{\rtf1 " + "{" x depth*4 + unit x count*32 + "}" x depth*4 +
// tail + "}", at most 512 KB: many paragraphs, long runs, nesting past the reader's limit. Twice
// the cap takes seconds under the sanitizers, so a timeout means work that grows faster than the
// input.
//
// TERMORA_FUZZ_ROUNDTRIP says how much of the write-and-read-again round trip is checked: "all"
// (the default), "plain" (documents without a table) or "none" (crashes, hangs, refusals and the
// text read without a document only).

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cstdlib>

#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

namespace {
QGuiApplication* app = nullptr;

constexpr qsizetype kMaxGenerated = 512 << 10;

QByteArray Generated(const QByteArray& recipe) {
  const int depth = uchar(recipe[1]) * 4;
  const qsizetype count = (qsizetype(uchar(recipe[2])) | qsizetype(uchar(recipe[3])) << 8) * 32;
  const QByteArray rest = recipe.mid(4);
  const qsizetype cut = rest.indexOf('\0');
  const QByteArray unit = cut < 0 ? rest : rest.left(cut);
  const QByteArray tail = cut < 0 ? QByteArray() : rest.mid(cut + 1);
  const qsizetype fixed = 8 + 2 * depth + tail.size();
  const qsizetype repeats = unit.isEmpty() ? 0 : std::min(count, (kMaxGenerated - fixed) / unit.size());
  QByteArray out;
  out.reserve(fixed + repeats * unit.size());
  out += "{\\rtf1 ";
  out += QByteArray(depth, '{');
  for (qsizetype i = 0; i < repeats; ++i) out += unit;
  out += QByteArray(depth, '}');
  out += tail;
  out += '}';
  return out;
}

enum class RoundTrip { All, Plain, None };
RoundTrip roundTrip = RoundTrip::All;

bool HasTable(const QTextDocument& doc) {
  for (QTextFrame* frame : doc.rootFrame()->childFrames())
    if (qobject_cast<QTextTable*>(frame)) return true;
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  app = new QGuiApplication(*argc, *argv);
  const QByteArray mode = qgetenv("TERMORA_FUZZ_ROUNDTRIP");
  if (mode == "plain") roundTrip = RoundTrip::Plain;
  else if (mode == "none") roundTrip = RoundTrip::None;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  if (size >= 4 && data[0] == 0xFF) bytes = Generated(bytes);
  QTextDocument doc;
  QTextCursor cursor(&doc);
  QString text;
  const bool asText = rtf::ReadRtfText(bytes, &text);
  if (!rtf::ReadRtf(bytes, cursor)) {
    if (!doc.isEmpty()) std::abort();  // refused input must leave the document untouched
    if (asText) std::abort();          // and is refused as text too
    return 0;
  }
  if (!asText || text != rtf::PlainText(doc)) std::abort();
  if (roundTrip == RoundTrip::None || (roundTrip == RoundTrip::Plain && HasTable(doc))) return 0;
  const QByteArray out = rtf::WriteRtf(doc);
  QTextDocument again;
  QTextCursor c2(&again);
  if (!rtf::ReadRtf(out, c2)) std::abort();
  if (again.toPlainText() != doc.toPlainText()) std::abort();
  if (rtf::WriteRtf(again) != out) std::abort();
  return 0;
}
