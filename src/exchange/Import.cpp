#include "exchange/Import.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "data/GlossaryStore.h"
#include "data/TermReader.h"
#include "data/TermWriter.h"
#include "exchange/Csv.h"
#include "exchange/Markup.h"
#include "exchange/Tbx.h"
#include "glossary/GlossarySource.h"

namespace exchange {

namespace {

// Names are told apart as the builder tells terms apart: case and ё/е folded.
QString NameKey(const QString& name) { return glossary::TermKey(name.trimmed()); }

// The name "keep both" gives the imported term: "Name (2)", "Name (3)"..., shortened to fit.
QString SuffixedName(const QString& name, QSet<QString>* taken) {
  for (int n = 2;; ++n) {
    const QString suffix = QStringLiteral(" (%1)").arg(n);
    QString base = name;
    while (base.toUcs4().size() + suffix.size() > 40) base.chop(1);
    const QString candidate = base.trimmed() + suffix;
    if (!taken->contains(NameKey(candidate))) {
      taken->insert(NameKey(candidate));
      return candidate;
    }
  }
}

QString NormalizedText(QString s) {
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return s.trimmed();
}

}  // namespace

bool ReadExchangeFile(const QString& path, Document* doc, QString* error, const std::function<bool(int)>& step) {
  const Format format = FormatOfPath(path);
  QString message;
  bool ok;
  if (format == Format::Markup) {
    ok = ReadMarkupFolder(path, doc, &message);
    if (!ok && error) *error = message;
    return ok;
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("%1: cannot read: %2").arg(path, f.errorString());
    return false;
  }
  const QByteArray bytes = f.readAll();
  ok = format == Format::Csv ? ReadCsv(bytes, doc, &message) : ReadTbx(bytes, doc, &message, step);
  if (!ok && error) *error = message.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(path, message);
  return ok;
}

int Plan::Count(ItemKind kind) const {
  int n = 0;
  for (const PlanItem& i : items) n += i.kind == kind;
  return n;
}

bool MakePlan(const QString& folder, const Document& doc, Plan* plan, QString* error,
              const std::function<bool()>& keepGoing) {
  auto stopped = [&] {
    if (!keepGoing || keepGoing()) return false;
    if (error) error->clear();
    return true;
  };
  Plan p;
  p.folder = folder;
  p.notes = doc.notes;
  std::vector<data::LetterRow> letters;
  if (const data::StoreResult r = data::ReadLetters(folder, &letters); !r.Ok()) {
    if (error) *error = r.error;
    return false;
  }
  QStringList captions;
  QHash<QString, qint64> letterIds;
  QHash<qint64, QString> letterOf;
  for (const data::LetterRow& l : letters) {
    captions << l.letter;
    if (!letterIds.contains(l.letter)) letterIds.insert(l.letter, l.id);
    letterOf.insert(l.id, l.letter);
  }

  data::TermReader reader;
  data::StoreResult r = reader.Open(folder);
  if (r.Ok()) r = reader.Stamp(&p.stamp);
  std::vector<data::TermRow> mine;
  std::vector<data::TermRow> batch;
  qint64 after = 0;
  while (r.Ok()) {
    r = reader.ReadAfter(after, 4000, &batch);
    if (!r.Ok() || batch.empty()) break;
    after = batch.back().key;
    if (stopped()) return false;
    for (data::TermRow& t : batch) mine.push_back(std::move(t));
  }
  if (!r.Ok()) {
    if (error) *error = r.error;
    return false;
  }
  QHash<QString, int> byName;
  QSet<QString> taken;
  byName.reserve(qsizetype(mine.size()));
  for (int i = 0; i < int(mine.size()); ++i) {
    const QString k = NameKey(mine[i].word);
    if (!byName.contains(k)) byName.insert(k, i);
    taken.insert(k);
  }
  for (const Term& t : doc.terms) taken.insert(NameKey(t.name));

  QHash<QString, QString> firstInFile;  // name key -> where
  p.items.reserve(doc.terms.size());
  for (const Term& t : doc.terms) {
    if ((p.items.size() & 1023) == 0 && stopped()) return false;
    PlanItem item;
    item.incoming = t;
    item.incoming.name = t.name.trimmed();
    const QString key = NameKey(t.name);
    if (const auto seen = firstInFile.constFind(key); seen != firstInFile.cend()) {
      item.kind = ItemKind::Refused;
      item.reason = QStringLiteral("the file holds this term twice (first at %1)").arg(*seen);
      p.items << item;
      continue;
    }
    firstInFile.insert(key, t.where);
    if (const auto it = byName.constFind(key); it != byName.cend()) {
      const data::TermRow& m = mine[size_t(*it)];
      item.key = m.key;
      item.version = m.version;
      item.mineName = m.word;
      item.mine = m.definition;
      item.letterId = m.letter;
      item.letter = letterOf.value(m.letter);
      const bool same = !t.rtf.isEmpty() ? t.rtf == m.definition
                                         : NormalizedText(DefinitionText(m.definition)) == NormalizedText(t.text);
      if (same) {
        item.kind = ItemKind::Identical;
      } else {
        item.kind = ItemKind::Conflict;
        item.bothName = SuffixedName(item.incoming.name, &taken);
      }
      p.items << item;
      continue;
    }
    QString letter = letterIds.contains(t.letter) ? t.letter : LetterOfName(item.incoming.name, captions);
    if (letter.isEmpty()) {
      item.kind = ItemKind::Refused;
      item.reason = QStringLiteral("the glossary has no letter %1 to file it under")
                        .arg(item.incoming.name.isEmpty() ? QString() : QString(item.incoming.name.front().toUpper()));
      p.items << item;
      continue;
    }
    item.kind = ItemKind::New;
    item.letter = letter;
    item.letterId = letterIds.value(letter);
    p.items << item;
  }
  *plan = std::move(p);
  return true;
}

void ChooseForAll(Plan* plan, Choice choice) {
  for (PlanItem& i : plan->items)
    if (i.kind == ItemKind::Conflict) i.choice = choice;
}

QString ImportSummary::ToString() const {
  QString s = QStringLiteral("%1 new terms added, %2 definitions replaced, %3 imported under a new name, "
                             "%4 conflicts kept as they were, %5 identical terms skipped, %6 refused.")
                  .arg(added)
                  .arg(replaced)
                  .arg(keptBoth)
                  .arg(keptMine)
                  .arg(identical)
                  .arg(refused);
  for (const QString& n : notes) s += QLatin1Char('\n') + n;
  return s;
}

bool ApplyPlan(const Plan& plan, ImportSummary* summary, QString* error,
               const std::function<bool(int, int)>& step) {
  ImportSummary s;
  s.notes = plan.notes;
  int writes = 0;
  for (const PlanItem& i : plan.items)
    writes += i.kind == ItemKind::New || (i.kind == ItemKind::Conflict && i.choice != Choice::Mine);

  data::TermWriter w;
  QString stamp;
  data::StoreResult r = w.Begin(plan.folder, &stamp);
  auto fail = [&](const QString& message) {
    w.Rollback();
    if (error) *error = message + QStringLiteral(" Nothing was imported.");
    return false;
  };
  if (!r.Ok()) return fail(r.error);
  const QString changed = QCoreApplication::translate("Exchange", "The glossary was changed since the file was compared with it.");
  if (!plan.stamp.isEmpty() && !stamp.isEmpty() && stamp != plan.stamp) return fail(changed);

  int done = 0;
  for (const PlanItem& i : plan.items) {
    const bool stores = i.kind == ItemKind::New || (i.kind == ItemKind::Conflict && i.choice != Choice::Mine);
    if (stores && step && !step(done, writes)) return fail(QCoreApplication::translate("Exchange", "The import was stopped."));
    QByteArray definition = i.incoming.rtf;
    if (stores && definition.isEmpty()) definition = TextDefinition(i.incoming.text);
    switch (i.kind) {
      case ItemKind::Identical: ++s.identical; break;
      case ItemKind::Refused: ++s.refused; break;
      case ItemKind::New:
        r = w.Add(i.letterId, i.incoming.name, definition);
        ++s.added;
        break;
      case ItemKind::Conflict:
        if (i.choice == Choice::Mine) {
          ++s.keptMine;
        } else if (i.choice == Choice::Theirs) {
          r = w.Replace(i.key, i.version, definition);
          ++s.replaced;
        } else {
          r = w.Add(i.letterId, i.bothName, definition);
          ++s.keptBoth;
        }
        break;
    }
    if (r.status == data::StoreStatus::Conflict || r.status == data::StoreStatus::Gone) return fail(changed);
    if (!r.Ok()) return fail(QStringLiteral("%1: %2").arg(i.incoming.where, r.error));
    if (stores) ++done;
  }
  if (step && !step(done, writes)) return fail(QCoreApplication::translate("Exchange", "The import was stopped."));
  if (r = w.Commit(); !r.Ok()) return fail(r.error);
  if (summary) *summary = s;
  return true;
}

}  // namespace exchange
