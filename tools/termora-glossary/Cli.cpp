#include "Cli.h"

#include <QDir>

#ifndef TERMORA_VERSION
#define TERMORA_VERSION "1.0"
#endif

namespace cli {

QString DefaultDataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
  return base + QStringLiteral("/termora");
}

Options::Options(const QStringList& args, const QStringList& valued, const QStringList& flags) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--")) {
      positional_ += args.mid(i + 1);
      break;
    }
    if (!a.startsWith(QLatin1String("--")) || a.size() == 2) {
      positional_ << a;
      continue;
    }
    QString name = a.mid(2);
    QString value;
    bool inlineValue = false;
    if (const int eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
      value = name.mid(eq + 1);
      name.truncate(eq);
      inlineValue = true;
    }
    if (valued.contains(name)) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) {
          error_ = QStringLiteral("option --%1 needs a value").arg(name);
          return;
        }
        value = args[++i];
      }
    } else if (flags.contains(name)) {
      if (inlineValue) {
        error_ = QStringLiteral("option --%1 takes no value").arg(name);
        return;
      }
    } else {
      error_ = QStringLiteral("unknown option --%1").arg(name);
      return;
    }
    names_ << name;
    values_ << value;
  }
}

bool Options::has(const QString& name) const { return names_.contains(name); }

QString Options::value(const QString& name, const QString& fallback) const {
  const int i = names_.lastIndexOf(name);
  return i < 0 ? fallback : values_[i];
}

int Fail(Context& ctx, const QString& command, const QString& message, int code) {
  ctx.err << "termora-glossary";
  if (!command.isEmpty()) ctx.err << ' ' << command;
  ctx.err << ": " << message << Qt::endl;
  return code;
}

namespace {

void ProgramHelp(QTextStream& s) {
  s << "usage: termora-glossary COMMAND [OPTIONS]\n"
       "Work on a whole Termora glossary from the command line.\n\n"
       "Commands:\n";
  for (const Command& c : Commands()) s << "  " << c.name.leftJustified(10) << ' ' << c.summary << '\n';
  s << "\n'termora-glossary COMMAND --help' describes a command.\n"
       "  --help     show this help\n"
       "  --version  show the version\n";
  s.flush();
}

}  // namespace

int Run(const QStringList& args, QTextStream& out, QTextStream& err) {
  Context ctx{out, err};
  if (args.isEmpty()) {
    ProgramHelp(err);
    return kUsage;
  }
  const QString& first = args.first();
  if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
    ProgramHelp(out);
    return kOk;
  }
  if (first == QLatin1String("--version")) {
    out << "termora-glossary " << TERMORA_VERSION << Qt::endl;
    return kOk;
  }
  for (const Command& c : Commands()) {
    if (c.name != first) continue;
    const QStringList rest = args.mid(1);
    if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"))) {
      out << c.usage;
      if (!c.usage.endsWith(QLatin1Char('\n'))) out << '\n';
      out.flush();
      return kOk;
    }
    return c.run(rest, ctx);
  }
  return Fail(ctx, QString(), QStringLiteral("unknown command '%1' (see --help)").arg(first), kUsage);
}

}  // namespace cli
