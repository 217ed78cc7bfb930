#pragma once
// What every subcommand of termora-glossary shares: its arguments, where the glossary lives,
// and how it reports.

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace cli {

// Exit statuses, as scripts expect them.
enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

struct Context {
  QTextStream& out;
  QTextStream& err;
};

struct Command {
  QString name;
  QString summary;  // one line for the program's --help
  QString usage;    // the subcommand's own --help text
  std::function<int(const QStringList& args, Context& ctx)> run;
};

// Every subcommand, in the order --help lists them (Commands.cpp).
const std::vector<Command>& Commands();

// The user's glossary folder: $XDG_DATA_HOME/termora, else ~/.local/share/termora (the folder
// the launcher starts Termora in).
QString DefaultDataFolder();

// A small option reader for subcommands: "--name VALUE", "--name=VALUE" and flags.
class Options {
 public:
  // `valued` lists the options that take a value, `flags` those that do not. Anything else
  // starting with "--" is an error; other words are positional.
  Options(const QStringList& args, const QStringList& valued, const QStringList& flags);
  bool ok() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }
  bool has(const QString& name) const;
  QString value(const QString& name, const QString& fallback = QString()) const;
  const QStringList& positional() const { return positional_; }

 private:
  QStringList names_;
  QStringList values_;
  QStringList positional_;
  QString error_;
};

// "termora-glossary <cmd>: <message>" on err; returns `code`.
int Fail(Context& ctx, const QString& command, const QString& message, int code = kFailed);

// The whole program (main.cpp calls it; tests call it with their own streams).
int Run(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace cli
