// Termora: a beekeeper's glossary.
#include "app/Startup.h"

int main(int argc, char** argv) {
  // The program reads no command line: Qt gets the program's name only, so not even its own
  // options are taken from the arguments.
  (void)argc;
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  app::TApplication application(qtArgc, qtArgv);
  return app::RunTermora();
}
