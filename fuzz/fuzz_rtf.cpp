// Feeds arbitrary bytes to the RTF reader, writes what it read and reads that again.
// The reader must neither crash nor hang, and the engine's own output must read back to the
// same text.

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdlib>

#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"

namespace {
QGuiApplication* app = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  app = new QGuiApplication(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QTextDocument doc;
  QTextCursor cursor(&doc);
  if (!rtf::ReadRtf(bytes, cursor)) {
    if (!doc.isEmpty()) std::abort();  // refused input must leave the document untouched
    return 0;
  }
  const QByteArray out = rtf::WriteRtf(doc);
  QTextDocument again;
  QTextCursor c2(&again);
  if (!rtf::ReadRtf(out, c2)) std::abort();
  if (again.toPlainText() != doc.toPlainText()) std::abort();
  if (rtf::WriteRtf(again) != out) std::abort();
  return 0;
}
