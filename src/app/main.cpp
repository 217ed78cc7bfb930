// Termora: a beekeeper's glossary.
#include <cstdio>
#include <cstring>

#include "app/Startup.h"
#include "termora_version.h"

int main(int argc, char** argv) {
  // The program works on the tables of its working folder and takes no arguments of its own:
  // only --help and --version are answered, anything else is refused, and Qt gets the program's
  // name only, so not even its own options are taken from the arguments.
  if (argc > 1) {
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
      std::fputs(
          "usage: termora [--help | --version]\n"
          "The beekeeper's glossary. Works on the glossary tables (tableMaster.DB and\n"
          "tableDetail.DB) in the current folder; termora-launch creates them in the user's\n"
          "data folder on the first start and starts termora there.\n"
          "  --help     show this help\n"
          "  --version  show the version\n",
          stdout);
      return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
      std::puts("termora " TERMORA_VERSION);
      return 0;
    }
    std::fprintf(stderr, "termora: unknown argument '%s' (see --help)\n", argv[1]);
    return 2;
  }
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  app::TApplication application(qtArgc, qtArgv);
  return app::RunTermora();
}
