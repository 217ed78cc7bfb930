#pragma once
// Runs termora-glossary in process, as a script would run it, and keeps what it printed.
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "tools/termora-glossary/Cli.h"

struct Ran {
  int code;
  QString out, err;
};

inline Ran RunCli(const QStringList& args) {
  QString out, err;
  QTextStream o(&out), e(&err);
  const int code = cli::Run(args, o, e);
  o.flush();
  e.flush();
  return {code, out, err};
}
