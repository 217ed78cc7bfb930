// The table of subcommands. A new subcommand is a Cmd*.cpp with its Run function and one entry
// here.
#include "Cli.h"

namespace cli {

int RunBuild(const QStringList& args, Context& ctx);
int RunExport(const QStringList& args, Context& ctx);
int RunImport(const QStringList& args, Context& ctx);
int RunBook(const QStringList& args, Context& ctx);
int RunMentions(const QStringList& args, Context& ctx);

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
      {QStringLiteral("book"), QStringLiteral("the glossary as a book: PDF, web pages or RTF"),
       QStringLiteral(
           "usage: termora-glossary book (--pdf FILE | --html DIR | --rtf FILE)... [OPTIONS]\n"
           "Writes the glossary, one letter of it or the terms a search finds as a book: a PDF\n"
           "with a title page, contents, running heads and an outline of the letters; a folder\n"
           "of web pages (index.html, a page per letter, style.css, pictures in img/); or one\n"
           "RTF document. Several outputs may be given at once.\n"
           "  --pdf FILE      write a PDF book\n"
           "  --html DIR      write web pages into the folder DIR\n"
           "  --rtf FILE      write one RTF document\n"
           "  --letter L      only the terms of the letter L\n"
           "  --query TEXT    only the terms a search for TEXT finds (as the search field)\n"
           "  --columns N     1 or 2 columns on a PDF page (default 1)\n"
           "  --paper NAME    A3, A4, A5, Letter or Legal (default: the PDF printer's)\n"
           "  --landscape     turn the PDF's paper\n"
           "  --margin MM     the PDF's margins in millimetres (default 25.4)\n"
           "  --title TEXT    the book's title (default \"Словарь пчеловода\")\n"
           "  --author TEXT   the author named in the PDF (default Termora)\n"
           "  --single-page   the web pages as one page\n"
           "  --data DIR      the glossary folder (default: the user's)\n"
           "  --force         replace files or a folder that are there\n"
           "Exit status: 0 written, 1 failed or nothing to write (nothing is left half-written),\n"
           "2 wrong command line.\n"),
       RunBook},
      {QStringLiteral("mentions"), QStringLiteral("list the words of definitions that name other terms without a link"),
       QStringLiteral("usage: termora-glossary mentions SOURCE-FOLDER\n"
                      "Lists, for each definition of the source in SOURCE-FOLDER, the words that name\n"
                      "another term of it in any grammatical form and are not linked to it yet, each\n"
                      "term once, as file:line: term: «words» → other term. Changes nothing.\n"),
       RunMentions},
  };
  return commands;
}

}  // namespace cli
