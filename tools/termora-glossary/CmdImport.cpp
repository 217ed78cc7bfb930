// termora-glossary import: a TBX, CSV or source markup file into the glossary. New terms are
// added, identical ones skipped; conflicts are stored only as --theirs, --mine or --both says.
#include <QDir>

#include "Cli.h"
#include "exchange/Import.h"

namespace cli {

int RunImport(const QStringList& args, Context& ctx) {
  const QString cmd = QStringLiteral("import");
  Options o(args, {QStringLiteral("data")},
            {QStringLiteral("theirs"), QStringLiteral("mine"), QStringLiteral("both"), QStringLiteral("dry-run")});
  if (!o.ok()) return Fail(ctx, cmd, o.error(), kUsage);
  if (o.positional().size() != 1) return Fail(ctx, cmd, QStringLiteral("needs one file (see --help)"), kUsage);
  const int choices = o.has(QStringLiteral("theirs")) + o.has(QStringLiteral("mine")) + o.has(QStringLiteral("both"));
  if (choices > 1) return Fail(ctx, cmd, QStringLiteral("--theirs, --mine and --both exclude each other"), kUsage);
  const QString folder = o.value(QStringLiteral("data"), DefaultDataFolder());

  exchange::Document doc;
  exchange::Plan plan;
  QString error;
  if (!exchange::ReadExchangeFile(o.positional()[0], &doc, &error)) return Fail(ctx, cmd, error + QStringLiteral(" Nothing was imported."));
  if (!exchange::MakePlan(folder, doc, &plan, &error)) return Fail(ctx, cmd, error);

  for (const exchange::PlanItem& i : plan.items)
    if (i.kind == exchange::ItemKind::Refused)
      ctx.out << QStringLiteral("refused: %1 (%2): %3").arg(i.incoming.name, i.incoming.where, i.reason) << Qt::endl;
  const int conflicts = plan.Count(exchange::ItemKind::Conflict);
  if (conflicts > 0 && choices == 0) {
    for (const exchange::PlanItem& i : plan.items)
      if (i.kind == exchange::ItemKind::Conflict)
        ctx.err << QStringLiteral("conflict: %1 (%2): the glossary's definition differs").arg(i.incoming.name, i.incoming.where)
                << Qt::endl;
    return Fail(ctx, cmd,
                QStringLiteral("%1 terms differ from the glossary's; say how to settle them with --theirs (take the "
                               "file's), --mine (keep the glossary's) or --both (store the file's under a new name). "
                               "Nothing was imported.")
                    .arg(conflicts));
  }
  exchange::ChooseForAll(&plan, o.has(QStringLiteral("theirs")) ? exchange::Choice::Theirs
                                : o.has(QStringLiteral("both"))   ? exchange::Choice::Both
                                                                  : exchange::Choice::Mine);
  if (o.has(QStringLiteral("dry-run"))) {
    ctx.out << QStringLiteral("Would add %1 new terms; %2 conflicts, %3 identical, %4 refused. Nothing was imported.")
                   .arg(plan.Count(exchange::ItemKind::New))
                   .arg(conflicts)
                   .arg(plan.Count(exchange::ItemKind::Identical))
                   .arg(plan.Count(exchange::ItemKind::Refused))
            << Qt::endl;
    return kOk;
  }
  exchange::ImportSummary summary;
  if (!exchange::ApplyPlan(plan, &summary, &error)) return Fail(ctx, cmd, error);
  ctx.out << summary.ToString() << Qt::endl;
  return kOk;
}

}  // namespace cli
