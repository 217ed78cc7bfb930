// termora-rtf: shows what the RTF reader makes of a file, as text, as its own RTF or as HTML.

#include <QFile>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <cstring>

#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "termora_version.h"

namespace {

void Help() {
  std::fputs(
      "usage: termora-rtf text|rtf|html FILE\n"
      "Shows what Termora's text engine makes of an RTF file.\n"
      "  text  the plain text the engine holds, in UTF-8\n"
      "  rtf   the engine's own RTF for it\n"
      "  html  HTML for it, in UTF-8\n"
      "FILE may be - for standard input.\n"
      "  --help     show this help\n"
      "  --version  show the version\n"
      "Exit status: 0 done, 1 the file cannot be read or is not RTF, 2 wrong command line,\n"
      "3 written but content nested too deep was left out.\n",
      stdout);
}

// A wrong command line: one line on standard error, as scripts expect.
int Refuse(const char* what) {
  std::fprintf(stderr, "termora-rtf: %s (see --help)\n", what);
  return 2;
}

bool WriteAll(const QByteArray& bytes) {
  return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) &&
         std::fflush(stdout) == 0;
}

}  // namespace

// Qt's own notices (a missing runtime folder under the offscreen platform and the like) are not
// for this tool's users; only fatal messages get through.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) std::fprintf(stderr, "termora-rtf: %s\n", message.toLocal8Bit().constData());
}

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Help();
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("termora-rtf " TERMORA_VERSION);
    return 0;
  }
  if (argc < 3) return Refuse("expected a mode (text, rtf or html) and a FILE");
  if (argc > 3) return Refuse("too many arguments");
  const QByteArray mode = argv[1];
  if (mode != "text" && mode != "rtf" && mode != "html")
    return Refuse(("unknown mode '" + mode + "'; expected text, rtf or html").constData());

  // Fonts and images need a GUI application object, but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QGuiApplication app(argc, argv);

  const QString name = QString::fromLocal8Bit(argv[2]);
  QFile file;
  bool opened = false;
  if (name == QLatin1String("-")) opened = file.open(stdin, QIODevice::ReadOnly);
  else {
    file.setFileName(name);
    opened = file.open(QIODevice::ReadOnly);
  }
  if (!opened) {
    std::fprintf(stderr, "termora-rtf: cannot read %s: %s\n", argv[2],
                 file.errorString().toLocal8Bit().constData());
    return 1;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    std::fprintf(stderr, "termora-rtf: cannot read %s: %s\n", argv[2],
                 file.errorString().toLocal8Bit().constData());
    return 1;
  }

  // Converting needs no layout, so no document gets one; the text needs not even a document,
  // which for a long text is most of the work.
  QString error;
  rtf::ReadLosses losses;
  QTextDocument doc;
  QString text;
  bool read = false;
  if (mode == "text") {
    read = rtf::ReadRtfText(bytes, &text, &error, &losses);
  } else {
    QTextCursor cursor(&doc);
    read = rtf::ReadRtf(bytes, cursor, &error, &losses);
  }
  if (!read) {
    std::fprintf(stderr, "termora-rtf: %s: %s\n", argv[2], error.toLocal8Bit().constData());
    return 1;
  }

  bool ok = false;
  if (mode == "rtf") {
    ok = WriteAll(rtf::WriteRtf(doc));
  } else if (mode == "html") {
    ok = WriteAll(rtf::DocumentToHtml(doc).toUtf8());
  } else {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    if (!text.isEmpty() && !text.endsWith(u'\n')) text.append(u'\n');
    ok = WriteAll(text.toUtf8());
  }
  if (!ok) {
    std::fputs("termora-rtf: cannot write the output\n", stderr);
    return 1;
  }
  // What was written is not the whole document: a script must not take it for one.
  if (losses.nestedTooDeep) {
    std::fprintf(stderr, "termora-rtf: %s: content nested deeper than %d groups was left out\n", argv[2],
                 rtf::kMaxGroupDepth);
    return 3;
  }
  return 0;
}
