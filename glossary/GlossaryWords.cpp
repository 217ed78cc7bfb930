#include "glossary/GlossaryWords.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QTextDocument>
#include <algorithm>

#include "spell/SpellWords.h"
#include "spell/Speller.h"

namespace glossary {

namespace {

bool WriteLines(const QString& path, const QStringList& lines, QTextStream& err) {
  QSaveFile f(path);
  QByteArray bytes;
  for (const QString& l : lines) bytes += l.toUtf8() + '\n';
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    err << path << ": " << f.errorString() << Qt::endl;
    return false;
  }
  return true;
}

}  // namespace

QStringList WordForms(const QList<Entry>& entries, const std::function<bool(const QString&)>& knownAsWritten) {
  QSet<QString> forms;
  for (const Entry& e : entries) {
    QTextDocument doc;
    MarkupToDocument(e.markup, &doc);
    const QString text = e.term + QLatin1Char('\n') + doc.toPlainText();
    for (const spell::TWordSpan& w : spell::WordsToCheck(text)) {
      const QString word = spell::DictionaryForm(QStringView(text).mid(w.Start, w.Length));
      forms.insert(word);
    }
  }
  QSet<QString> out;
  for (const QString& f : forms) {
    const QString lower = f.toLower();
    // A name the dictionary knows stays as written; any other word goes in lower case, so that
    // it is accepted with a capital too and a term ("Абсконденция") is known inside a sentence.
    out.insert(f != lower && !forms.contains(lower) && knownAsWritten && knownAsWritten(f) ? f : lower);
  }
  QStringList sorted(out.begin(), out.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

int RunWordList(const QStringList& args, QTextStream& out, QTextStream& err) {
  const bool write = args.contains(QStringLiteral("--write-reviewed"));
  QStringList plain = args;
  plain.removeAll(QStringLiteral("--write-reviewed"));
  if (plain.size() != 3) {
    err << "usage: termora-glossary-words <source-folder> <reviewed-list> <output> [--write-reviewed]" << Qt::endl;
    return 2;
  }
  const QString& folder = plain[0];
  const QString& reviewedPath = plain[1];
  const QString& outPath = plain[2];
  QList<Entry> entries;
  SourceError error;
  if (!ReadSourceFolder(folder, &entries, &error)) {
    err << error.ToString() << Qt::endl;
    return 2;
  }
  QString aff, dic;
  if (!spell::FindRussianDictionary(&aff, &dic)) {
    // Without the dictionary nothing can be compared; the list itself is still usable.
    err << "warning: no Russian dictionary installed; the reviewed word list is not checked" << Qt::endl;
    return WriteLines(outPath, WordForms(entries), err) ? 0 : 2;
  }
  spell::TSpeller speller(spell::TSpellerFiles{aff, dic, {}, {}});
  const QStringList forms = WordForms(entries, [&](const QString& w) { return speller.IsKnown(w); });
  QStringList unknown;
  for (const QString& f : forms)
    if (!speller.IsKnown(f)) unknown.append(f);
  if (write) {
    if (!WriteLines(reviewedPath, unknown, err)) return 2;
    out << unknown.size() << " words written to " << reviewedPath << Qt::endl;
    return WriteLines(outPath, forms, err) ? 0 : 2;
  }
  QString readError;
  const QStringList reviewed = spell::ReadWordList(reviewedPath, &readError);
  if (!readError.isEmpty() || !QFile::exists(reviewedPath)) {
    err << reviewedPath << ": cannot be read " << readError << Qt::endl;
    return 2;
  }
  const QSet<QString> reviewedSet(reviewed.begin(), reviewed.end());
  const QSet<QString> unknownSet(unknown.begin(), unknown.end());
  QStringList added, gone;
  for (const QString& w : unknown)
    if (!reviewedSet.contains(w)) added.append(w);
  for (const QString& w : reviewed)
    if (!unknownSet.contains(w)) gone.append(w);
  if (!added.isEmpty() || !gone.isEmpty()) {
    err << reviewedPath << " is not in step with the glossary's text." << Qt::endl;
    if (!added.isEmpty())
      err << "Words the dictionary does not know, not yet checked (a typing error, or a word to add): "
          << added.join(QStringLiteral(", ")) << Qt::endl;
    if (!gone.isEmpty()) err << "Words the glossary no longer uses: " << gone.join(QStringLiteral(", ")) << Qt::endl;
    err << "Correct the glossary, or read the words and run termora-glossary-words with --write-reviewed." << Qt::endl;
    return 1;
  }
  return WriteLines(outPath, forms, err) ? 0 : 2;
}

}  // namespace glossary
