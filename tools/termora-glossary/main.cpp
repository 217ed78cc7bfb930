// termora-glossary: whole-glossary work from the command line (see --help).
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "Cli.h"

// Qt's own notices (a missing runtime folder under the offscreen platform and the like) are not
// for this tool's users, whose scripts read its standard error; only fatal messages get through.
static void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s: %s\n", "termora-glossary", message.toLocal8Bit().constData());
}

int main(int argc, char** argv) {
  // Fonts and pictures need a GUI application object, but scripts have no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  return cli::Run(app.arguments().mid(1), out, err);
}
