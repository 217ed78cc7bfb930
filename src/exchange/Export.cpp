#include "exchange/Export.h"

#include <QCoreApplication>
#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <thread>
#include <vector>

#include "data/GlossaryStore.h"
#include "data/TermReader.h"
#include "data/TermWriter.h"
#include "exchange/Csv.h"
#include "exchange/Markup.h"
#include "exchange/Tbx.h"

namespace exchange {

bool ReadGlossaryTerms(const QString& folder, const Selection& selection, QList<Term>* terms, QString* error) {
  terms->clear();
  std::vector<data::LetterRow> letters;
  if (const data::StoreResult r = data::ReadLetters(folder, &letters); !r.Ok()) {
    if (error) *error = r.error;
    return false;
  }
  QHash<qint64, int> letterOrder;
  QHash<qint64, QString> letterText;
  for (int i = 0; i < int(letters.size()); ++i) {
    letterOrder.insert(letters[i].id, i);
    letterText.insert(letters[i].id, letters[i].letter);
  }
  data::TermReader reader;
  data::StoreResult r = reader.Open(folder);
  struct Row {
    int order;
    QString sortKey;
    data::TermRow row;
  };
  std::vector<Row> rows;
  std::vector<data::TermRow> batch;
  qint64 after = 0;
  while (r.Ok()) {
    r = reader.ReadAfter(after, 2000, &batch);
    if (!r.Ok() || batch.empty()) break;
    after = batch.back().key;
    for (data::TermRow& t : batch) {
      const QString letter = letterText.value(t.letter);
      if (!selection.letter.isEmpty() && letter != selection.letter) continue;
      if (selection.byKey && !selection.keys.contains(t.key)) continue;
      rows.push_back({letterOrder.value(t.letter, int(letters.size())), data::SortKeyOf(t.word), std::move(t)});
    }
  }
  if (!r.Ok()) {
    if (error) *error = r.error;
    return false;
  }
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if (a.order != b.order) return a.order < b.order;
    if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
    return a.row.key < b.row.key;
  });
  QList<Term> out(qsizetype(rows.size()));
  // Turning each definition into text is most of the work: both halves at once.
  auto convert = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      Term& t = out[qsizetype(i)];
      t.name = rows[i].row.word;
      t.key = rows[i].row.key;
      t.letter = letterText.value(rows[i].row.letter);
      t.rtf = rows[i].row.definition;
      t.text = DefinitionText(t.rtf);
    }
  };
  const size_t half = rows.size() / 2;
  if (rows.size() > 64) {
    std::thread other(convert, half, rows.size());
    convert(0, half);
    other.join();
  } else {
    convert(0, rows.size());
  }
  *terms = std::move(out);
  return true;
}

bool WriteTerms(const QList<Term>& terms, Format format, const QString& path, QStringList* notes, QString* error) {
  if (format == Format::Markup) return WriteMarkupFolder(terms, path, notes, error);
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) {
    if (error) *error = QCoreApplication::translate("Exchange", "Cannot write %1: %2").arg(path, f.errorString());
    return false;
  }
  const bool ok = format == Format::Tbx ? WriteTbx(terms, &f, error) : WriteCsv(terms, &f, error);
  if (!ok) {
    f.cancelWriting();
    return false;
  }
  if (!f.commit()) {
    if (error) *error = QCoreApplication::translate("Exchange", "Cannot write %1: %2").arg(path, f.errorString());
    return false;
  }
  return true;
}

}  // namespace exchange
