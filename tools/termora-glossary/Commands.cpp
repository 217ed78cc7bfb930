// The table of subcommands. A new subcommand is a Cmd*.cpp with its Run function and one entry
// here.
#include "Cli.h"

namespace cli {

int RunBuild(const QStringList& args, Context& ctx);

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {QStringLiteral("build"), QStringLiteral("create the glossary tables from a source folder"),
       QStringLiteral("usage: termora-glossary build SOURCE-FOLDER [--data DIR]\n"
                      "Creates tableMaster.DB and tableDetail.DB in DIR (default: the user's\n"
                      "glossary folder) from the source files in SOURCE-FOLDER. Tables that are\n"
                      "already there are never touched.\n"),
       RunBuild},
  };
  return commands;
}

}  // namespace cli
