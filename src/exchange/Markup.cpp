#include "exchange/Markup.h"

#include <QDir>
#include <QFont>
#include <QSaveFile>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include "glossary/GlossaryBuild.h"
#include "glossary/GlossarySource.h"
#include "rtf/Numbering.h"
#include "rtf/RtfReader.h"
#include "rtf/TextModel.h"

namespace exchange {

namespace {

QString Escape(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (QChar c : s) {
    if (c == QLatin1Char('*') || c == QLatin1Char('\\')) out += QLatin1Char('\\');
    out += c;
  }
  return out;
}

// A paragraph's text with ** and * around its bold and italic runs.
QString BlockMarkup(const QTextBlock& block, bool* exact) {
  QString out;
  bool bold = false, italic = false;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment f = it.fragment();
    if (!f.isValid()) continue;
    const QTextCharFormat cf = f.charFormat();
    const bool b = cf.fontWeight() >= QFont::DemiBold;
    const bool i = cf.fontItalic();
    QString text = f.text();
    if (text.contains(QChar::ObjectReplacementCharacter) || text.contains(QChar::LineSeparator)) {
      *exact = false;
      text.remove(QChar::ObjectReplacementCharacter);
      text.replace(QChar::LineSeparator, QLatin1Char(' '));
    }
    // Markers close inner first: bold wraps italic, as the builder reads "***x***" either way.
    if (italic && !i) out += QLatin1Char('*');
    if (bold && !b) out += QLatin1String("**");
    if (b && !bold) out += QLatin1String("**");
    if (i && !italic) out += QLatin1Char('*');
    bold = b;
    italic = i;
    out += Escape(text);
  }
  if (italic) out += QLatin1Char('*');
  if (bold) out += QLatin1String("**");
  return out;
}

}  // namespace

QString DefinitionMarkup(const QByteArray& definition, bool* exact) {
  bool ok = true;
  QTextDocument doc;
  doc.setDefaultFont(QFont(QStringLiteral("Verdana"), 12));
  QString markup;
  if (rtf::LooksLikeRtf(definition)) {
    QTextCursor c(&doc);
    if (!rtf::ReadRtf(definition, c)) ok = false;
    bool first = true;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
      const bool bullet = b.blockFormat().property(rtf::kNumbering).toInt() == rtf::kBulletNumbering;
      QString text = BlockMarkup(b, &ok).trimmed();
      if (text.isEmpty()) continue;
      // What the builder would take for a heading or a bullet at the start of a paragraph.
      if (text.startsWith(QLatin1String("##")) || (!bullet && (text.startsWith(QLatin1String("- ")) || text == QLatin1String("-"))))
        ok = false;
      // A list follows the line that introduces it; paragraphs are apart by a blank line.
      if (!first) markup += bullet ? QStringLiteral("\n") : QStringLiteral("\n\n");
      markup += bullet ? QStringLiteral("- ") + text : text;
      first = false;
    }
  } else {
    markup = Escape(DefinitionText(definition)).replace(QLatin1String("\n"), QLatin1String("\n\n"));
    ok = false;
  }
  if (ok) ok = glossary::DefinitionBytes(markup) == definition;
  if (exact) *exact = ok;
  return markup;
}

bool WriteMarkupFolder(const QList<Term>& terms, const QString& folder, QStringList* notes, QString* error) {
  const QStringList& letters = glossary::Letters();
  QList<QStringList> files(letters.size());
  QList<QSet<QString>> seen(letters.size());
  QStringList notFiled, twice, empty, partial;
  for (const Term& t : terms) {
    // The builder files a term under its first letter.
    const QString letter = LetterOfName(t.name, letters);
    const int n = int(letters.indexOf(letter));
    if (n < 0) {
      notFiled << t.name;
      continue;
    }
    QString key = t.name.toLower();
    key.replace(QChar(0x0451), QChar(0x0435));
    if (seen[n].contains(key)) {
      twice << t.name;
      continue;
    }
    bool exact = true;
    const QString markup = t.rtf.isEmpty() ? Escape(t.text).replace(QLatin1String("\n"), QLatin1String("\n\n"))
                                           : DefinitionMarkup(t.rtf, &exact);
    if (markup.trimmed().isEmpty()) {
      empty << t.name;
      continue;
    }
    if (!exact) partial << t.name;
    seen[n].insert(key);
    files[n] << QStringLiteral("## %1\n\n%2\n").arg(t.name, markup);
  }
  if (!QDir().mkpath(folder)) {
    if (error) *error = QStringLiteral("Cannot create the folder %1.").arg(folder);
    return false;
  }
  {
    QSaveFile f(QDir(folder).filePath(QLatin1String(glossary::kUserGlossaryMarker)));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write("A glossary exported by Termora. `termora-glossary build` turns this folder back into\n"
                "the glossary's tables; the bundled glossary's house style is not asked of it.\n") < 0 ||
        !f.commit()) {
      if (error) *error = QStringLiteral("Cannot write %1: %2").arg(f.fileName(), f.errorString());
      return false;
    }
  }
  for (int n = 0; n < letters.size(); ++n) {
    QSaveFile f(QDir(folder).filePath(glossary::LetterFileName(n + 1)));
    if (!f.open(QIODevice::WriteOnly) || f.write(files[n].join(QLatin1Char('\n')).toUtf8()) < 0 || !f.commit()) {
      if (error) *error = QStringLiteral("Cannot write %1: %2").arg(f.fileName(), f.errorString());
      return false;
    }
  }
  auto say = [&](const QStringList& names, const QString& what) {
    if (names.isEmpty() || !notes) return;
    QStringList shown = names.mid(0, 10);
    if (names.size() > 10) shown << QStringLiteral("…");
    *notes << what.arg(names.size()).arg(shown.join(QStringLiteral(", ")));
  };
  say(notFiled, QStringLiteral("%1 terms left out: their first letter has no file in the source format (%2)"));
  say(twice, QStringLiteral("%1 terms left out: a term of the same name comes before them under their letter (%2)"));
  say(empty, QStringLiteral("%1 terms left out: the source format needs a definition (%2)"));
  say(partial, QStringLiteral("%1 definitions hold formatting the source format cannot say (fonts, colours, "
                              "pictures, indents...): written with their text, bold, italic and lists (%2)"));
  return true;
}

bool ReadMarkupFolder(const QString& folder, Document* doc, QString* error) {
  QList<glossary::Entry> entries;
  glossary::SourceError e;
  if (!glossary::ReadSourceFolder(folder, &entries, &e)) {
    if (error) *error = e.ToString();
    return false;
  }
  Document result;
  for (const glossary::Entry& en : entries) {
    Term t;
    t.name = en.term;
    t.letter = glossary::Letters()[en.letter - 1];
    t.rtf = glossary::DefinitionBytes(en.markup);
    t.text = DefinitionText(t.rtf);
    t.where = QStringLiteral("%1:%2").arg(en.file).arg(en.line);
    result.terms << t;
  }
  *doc = result;
  return true;
}

}  // namespace exchange
