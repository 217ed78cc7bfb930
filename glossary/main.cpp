// termora-glossary-build <source-folder> <data-folder>: creates the glossary tables in the data
// folder from the bundled source, unless they are already there.
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "glossary/GlossaryBuild.h"

int main(int argc, char** argv) {
  // Runs at install time and from scripts, where there may be no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    err << "usage: termora-glossary-build <source-folder> <data-folder>" << Qt::endl;
    return 2;
  }
  return glossary::RunBuilder(args[1], args[2], out, err);
}
