// termora-glossary: whole-glossary work from the command line (see --help).
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "Cli.h"

int main(int argc, char** argv) {
  // Fonts and pictures need a GUI application object, but scripts have no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  return cli::Run(app.arguments().mid(1), out, err);
}
