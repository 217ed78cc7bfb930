// termora-glossary-build <source-folder> <data-folder>: creates the glossary tables in the data
// folder from the bundled source, unless they are already there.
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "glossary/GlossaryBuild.h"
#include "termora_version.h"

// Qt's own notices (a missing runtime folder under the offscreen platform and the like) are not
// for this tool's users, whose scripts read its standard error; only fatal messages get through.
static void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s: %s\n", "termora-glossary-build", message.toLocal8Bit().constData());
}

int main(int argc, char** argv) {
  // Runs at install time and from scripts, where there may be no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QTextStream out(stdout);
  QTextStream err(stderr);
  // The command line is checked before the application object exists, whose notices would
  // otherwise come before a wrong command line's one line.
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  if (args.size() >= 2 && (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h"))) {
    out << "usage: termora-glossary-build SOURCE-FOLDER DATA-FOLDER\n"
           "Creates the glossary tables tableMaster.DB and tableDetail.DB in DATA-FOLDER (made if\n"
           "missing) from the source files in SOURCE-FOLDER. Tables that are already there are\n"
           "never touched.\n"
           "  --help     show this help\n"
           "  --version  show the version\n"
           "Exit status: 0 built or already there, 1 failed (nothing is left behind), 2 wrong\n"
           "command line.\n"
        << Qt::flush;
    return 0;
  }
  if (args.size() >= 2 && args[1] == QLatin1String("--version")) {
    out << "termora-glossary-build " TERMORA_VERSION << Qt::endl;
    return 0;
  }
  // A mistyped option is refused rather than taken for a folder name.
  for (int i = 1; i < args.size(); ++i) {
    if (args[i].startsWith(QLatin1String("--"))) {
      err << "termora-glossary-build: unknown option " << args[i] << " (see --help)" << Qt::endl;
      return 2;
    }
  }
  if (args.size() != 3) {
    err << "termora-glossary-build: expected SOURCE-FOLDER and DATA-FOLDER (see --help)" << Qt::endl;
    return 2;
  }
  QGuiApplication app(argc, argv);
  return glossary::RunBuilder(args[1], args[2], out, err);
}
