// The table of subcommands. A new subcommand is a Cmd*.cpp with its Run function and one entry
// here.
#include "Cli.h"

namespace cli {

int RunBuild(const QStringList& args, Context& ctx);
int RunExport(const QStringList& args, Context& ctx);
int RunImport(const QStringList& args, Context& ctx);

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {QStringLiteral("build"), QStringLiteral("create the glossary tables from a source folder"),
       QStringLiteral("usage: termora-glossary build SOURCE-FOLDER [--data DIR]\n"
                      "Creates tableMaster.DB and tableDetail.DB in DIR (default: the user's\n"
                      "glossary folder) from the source files in SOURCE-FOLDER. Tables that are\n"
                      "already there are never touched.\n"),
       RunBuild},
      {QStringLiteral("export"), QStringLiteral("export terms to TBX, CSV or source markup"),
       QStringLiteral("usage: termora-glossary export (--tbx FILE | --csv FILE | --markup DIR)\n"
                      "                               [--letter L] [--query TEXT] [--data DIR] [--force]\n"
                      "Writes the glossary's terms: --tbx as TBX-Basic (the definition as text, and as\n"
                      "stored, for Termora), --csv as CSV in UTF-8 (term, letter, definition, rtf),\n"
                      "--markup as the source files the build command reads. --letter exports one\n"
                      "letter, --query the terms a search finds. An existing file (or a folder that\n"
                      "is not empty) is kept unless --force is given.\n"),
       RunExport},
      {QStringLiteral("import"), QStringLiteral("import terms from TBX, CSV or source markup"),
       QStringLiteral("usage: termora-glossary import FILE [--theirs | --mine | --both] [--dry-run] [--data DIR]\n"
                      "Imports the terms of FILE (a .tbx, a .csv, or a source folder) into the\n"
                      "glossary in DIR, all in one transaction: new terms are added, identical ones\n"
                      "skipped. A term whose definition differs is a conflict; without --theirs\n"
                      "(take the file's), --mine (keep the glossary's) or --both (store the file's\n"
                      "under a name with a number) nothing is imported while there are conflicts.\n"
                      "--dry-run only says what would happen.\n"),
       RunImport},
  };
  return commands;
}

}  // namespace cli
