// termora-glossary-words: the glossary's vocabulary for the spell checker (see GlossaryWords.h).
#include <QGuiApplication>
#include <QTextStream>

#include "glossary/GlossaryWords.h"

int main(int argc, char** argv) {
  // Runs during the build, where there may be no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  return glossary::RunWordList(app.arguments().mid(1), out, err);
}
