// termora-glossary mentions: where the bundled glossary's definitions name other terms of it
// (in any grammatical form) without linking to them, for the person who edits the source.
// Proposes only; it changes nothing.
#include <QDir>
#include <QRegularExpression>

#include "Cli.h"
#include "glossary/GlossarySource.h"
#include "search/Mentions.h"

namespace cli {

namespace {

// The definition's words as the reader sees them: a cross-reference as the text it shows, no
// bold or italic markers; `links` gets where the cross-references' words are in that text.
QString Readable(const QString& markup, std::vector<std::pair<int, int>>* links) {
  static const QRegularExpression link(QStringLiteral("\\[\\[([^\\]|]+)(?:\\|([^\\]]+))?\\]\\]"));
  static const QRegularExpression markers(QStringLiteral("\\\\(?=[*\\\\])|\\*"));
  QString text;
  qsizetype at = 0;
  for (auto it = link.globalMatch(markup); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    text += markup.mid(at, m.capturedStart() - at).remove(markers);
    const int from = int(text.size());
    text += m.captured(2).isEmpty() ? m.captured(1).trimmed() : m.captured(2).trimmed();
    links->emplace_back(from, int(text.size()));
    at = m.capturedEnd();
  }
  return text + markup.mid(at).remove(markers);
}

}  // namespace

int RunMentions(const QStringList& args, Context& ctx) {
  Options o(args, {}, {});
  if (!o.ok()) return Fail(ctx, QStringLiteral("mentions"), o.error(), kUsage);
  if (o.positional().size() != 1)
    return Fail(ctx, QStringLiteral("mentions"), QStringLiteral("needs one source folder (see --help)"), kUsage);
  QList<glossary::Entry> entries;
  glossary::SourceError error;
  if (!glossary::ReadSourceFolder(o.positional()[0], &entries, &error))
    return Fail(ctx, QStringLiteral("mentions"), error.ToString());
  search::MentionFinder finder;
  for (int i = 0; i < entries.size(); ++i) finder.Add(i + 1, entries[i].term);
  int proposals = 0, terms = 0;
  for (int i = 0; i < entries.size(); ++i) {
    const glossary::Entry& e = entries[i];
    QStringList linked;
    for (const glossary::Reference& r : e.references) linked << glossary::TermKey(r.target);
    std::vector<std::pair<int, int>> links;
    const QString text = Readable(e.markup, &links);
    bool any = false;
    for (const search::Mention& m : finder.Find(text, i + 1, links)) {
      const QString& target = entries[int(m.term - 1)].term;
      if (linked.contains(glossary::TermKey(target))) continue;
      ctx.out << QDir(o.positional()[0]).relativeFilePath(e.file) << ':' << e.line << ": " << e.term << ": «" << text.mid(m.from, m.to - m.from) << "» → "
              << target << '\n';
      ++proposals;
      any = true;
    }
    if (any) ++terms;
  }
  ctx.out << proposals << " mentions without a link in " << terms << " of " << entries.size() << " definitions."
          << Qt::endl;
  return kOk;
}

}  // namespace cli
