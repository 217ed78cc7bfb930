// termora-glossary build: the bundled glossary's source folder into the two tables.
#include "Cli.h"
#include "glossary/GlossaryBuild.h"

namespace cli {

int RunBuild(const QStringList& args, Context& ctx) {
  Options o(args, {QStringLiteral("data")}, {});
  if (!o.ok()) return Fail(ctx, QStringLiteral("build"), o.error(), kUsage);
  if (o.positional().size() != 1)
    return Fail(ctx, QStringLiteral("build"), QStringLiteral("needs one source folder (see --help)"), kUsage);
  return glossary::RunBuilder(o.positional()[0], o.value(QStringLiteral("data"), DefaultDataFolder()),
                              ctx.out, ctx.err);
}

}  // namespace cli
