// termora-glossary export: the glossary, a letter of it or the terms a search finds, to TBX, CSV
// or the source markup.
#include <QDir>
#include <QFileInfo>

#include "Cli.h"
#include "exchange/Export.h"
#include "exchange/Find.h"

namespace cli {

int RunExport(const QStringList& args, Context& ctx) {
  const QString cmd = QStringLiteral("export");
  Options o(args,
            {QStringLiteral("tbx"), QStringLiteral("csv"), QStringLiteral("markup"), QStringLiteral("letter"),
             QStringLiteral("query"), QStringLiteral("data")},
            {QStringLiteral("force")});
  if (!o.ok()) return Fail(ctx, cmd, o.error(), kUsage);
  if (!o.positional().isEmpty())
    return Fail(ctx, cmd, QStringLiteral("unexpected argument '%1' (see --help)").arg(o.positional()[0]), kUsage);
  int given = 0;
  exchange::Format format = exchange::Format::Tbx;
  QString path;
  for (const auto& [name, f] : {std::pair{QStringLiteral("tbx"), exchange::Format::Tbx},
                                std::pair{QStringLiteral("csv"), exchange::Format::Csv},
                                std::pair{QStringLiteral("markup"), exchange::Format::Markup}}) {
    if (!o.has(name)) continue;
    ++given;
    format = f;
    path = o.value(name);
  }
  if (given != 1) return Fail(ctx, cmd, QStringLiteral("needs one of --tbx FILE, --csv FILE, --markup DIR"), kUsage);
  if (path.isEmpty()) return Fail(ctx, cmd, QStringLiteral("the file name is empty"), kUsage);
  const QString folder = o.value(QStringLiteral("data"), DefaultDataFolder());

  // Never overwrite without being told to.
  const QFileInfo target(path);
  if (format == exchange::Format::Markup) {
    if (target.exists() && !target.isDir())
      return Fail(ctx, cmd, QStringLiteral("%1 is a file; source markup goes into a folder").arg(path));
    if (target.isDir() && !QDir(path).isEmpty() && !o.has(QStringLiteral("force")))
      return Fail(ctx, cmd, QStringLiteral("the folder %1 is not empty (--force writes the letter files over what is there)").arg(path));
  } else if (target.exists() && !o.has(QStringLiteral("force"))) {
    return Fail(ctx, cmd, QStringLiteral("%1 exists (--force replaces it)").arg(path));
  }

  exchange::Selection selection;
  selection.letter = o.value(QStringLiteral("letter")).trimmed().toUpper();
  QString error;
  if (o.has(QStringLiteral("query"))) {
    selection.byKey = true;
    if (!exchange::FindTermKeys(folder, o.value(QStringLiteral("query")), &selection.keys, &error))
      return Fail(ctx, cmd, error);
  }
  QList<exchange::Term> terms;
  if (!exchange::ReadGlossaryTerms(folder, selection, &terms, &error)) return Fail(ctx, cmd, error);
  if (terms.isEmpty()) return Fail(ctx, cmd, QStringLiteral("no term to export"));
  QStringList notes;
  if (!exchange::WriteTerms(terms, format, path, &notes, &error)) return Fail(ctx, cmd, error);
  ctx.out << QStringLiteral("Exported %1 terms to %2.").arg(terms.size()).arg(QDir::toNativeSeparators(path)) << Qt::endl;
  for (const QString& n : notes) ctx.out << n << Qt::endl;
  return kOk;
}

}  // namespace cli
