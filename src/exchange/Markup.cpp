#include "exchange/Markup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QSaveFile>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <algorithm>
#include <limits>
#include <vector>

#include "glossary/GlossaryBuild.h"
#include "glossary/GlossarySource.h"
#include "rtf/Numbering.h"
#include "rtf/RtfReader.h"
#include "rtf/TermLinks.h"
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

// Whether `s` can stand inside a [[...]] cross-reference as it is.
bool FitsReference(const QString& s) {
  return !s.isEmpty() && !s.contains(QLatin1String("[[")) && !s.contains(QLatin1String("]]")) &&
         !s.contains(QLatin1Char('|')) && !s.contains(QLatin1Char('*')) && !s.contains(QLatin1Char('\\'));
}

// A paragraph's text with ** and * around its bold and italic runs and [[...]] around its links
// to known terms.
QString BlockMarkup(const QTextBlock& block, const LinkNames& links, bool* exact) {
  QString out;
  bool bold = false, italic = false;
  // The link being written: the term's name and the words shown so far.
  QString linkName, linkText;
  const auto closeLink = [&] {
    if (linkName.isEmpty()) return;
    if (!FitsReference(linkText)) {
      *exact = false;
      out += Escape(linkText);
    } else {
      out += QLatin1String("[[") + linkName;
      if (linkText != linkName) out += QLatin1Char('|') + linkText;
      out += QLatin1String("]]");
    }
    linkName.clear();
    linkText.clear();
  };
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
    QString name;
    if (cf.isAnchor()) {
      name = links.names.value(rtf::TermLinkKey(cf.anchorHref()));
      // A web address, or a term that is not exported: the words without their link.
      if (name.isEmpty() || !FitsReference(name)) *exact = false;
      if (!FitsReference(name)) name.clear();
    }
    if (name != linkName) closeLink();
    if (!linkName.isEmpty()) {
      // Markers cannot stand inside a cross-reference: the link keeps the look it started with.
      if (b != bold || i != italic) *exact = false;
      linkText += text;
      continue;
    }
    // Markers close inner first: bold wraps italic, as the builder reads "***x***" either way.
    if (italic && !i) out += QLatin1Char('*');
    if (bold && !b) out += QLatin1String("**");
    if (b && !bold) out += QLatin1String("**");
    if (i && !italic) out += QLatin1Char('*');
    bold = b;
    italic = i;
    if (!name.isEmpty()) {
      linkName = name;
      linkText = text;
    } else {
      out += Escape(text);
    }
  }
  closeLink();
  if (italic) out += QLatin1Char('*');
  if (bold) out += QLatin1String("**");
  return out;
}

}  // namespace

QString DefinitionMarkup(const QByteArray& definition, bool* exact, const LinkNames& links) {
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
      QString text = BlockMarkup(b, links, &ok).trimmed();
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
  if (ok) {
    // The builder gives a linked term the key it has here.
    QHash<QString, qint64> keys;
    for (auto it = links.names.begin(); it != links.names.end(); ++it) keys.insert(glossary::TermKey(it.value()), it.key());
    ok = glossary::DefinitionBytes(markup, [&keys](const QString& target) { return keys.value(glossary::TermKey(target)); }) ==
         definition;
  }
  if (exact) *exact = ok;
  return markup;
}

bool WriteMarkupFolder(const QList<Term>& terms, const QString& folder, QStringList* notes, QString* error) {
  const QStringList& letters = glossary::Letters();
  QList<QStringList> files(letters.size());
  QList<QSet<QString>> seen(letters.size());
  QStringList notFiled, twice, empty, partial;
  struct Kept {
    int letter;
    const Term* term;
    QString markup;
    bool exact;
  };
  std::vector<Kept> kept;
  LinkNames links;
  for (const Term& t : terms) {
    // The builder files a term under its first letter.
    const QString letter = LetterOfName(t.name, letters);
    const int n = int(letters.indexOf(letter));
    if (n < 0) {
      notFiled << t.name;
      continue;
    }
    const QString key = glossary::TermKey(t.name);
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
    seen[n].insert(key);
    if (t.key > 0) links.names.insert(t.key, t.name);
    kept.push_back({n, &t, markup, exact});
  }
  // Within a letter's file the terms stand in the order they were added to the glossary: the
  // builder gives them their keys in file order, so a glossary rebuilt from the folder keeps the
  // keys its links name, and a term added later lands at the end of its file.
  std::stable_sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
    const qint64 ka = a.term->key > 0 ? a.term->key : std::numeric_limits<qint64>::max();
    const qint64 kb = b.term->key > 0 ? b.term->key : std::numeric_limits<qint64>::max();
    return ka < kb;
  });
  // Links can lead only to terms the folder holds, known once all are filed.
  for (Kept& k : kept) {
    if (!links.names.isEmpty() && k.term->rtf.contains(rtf::kTermLinkScheme))
      k.markup = DefinitionMarkup(k.term->rtf, &k.exact, links);
    if (!k.exact) partial << k.term->name;
    files[k.letter] << QStringLiteral("## %1\n\n%2\n").arg(k.term->name, k.markup);
  }
  if (!QDir().mkpath(folder)) {
    if (error) *error = QCoreApplication::translate("Exchange", "Cannot create the folder %1.").arg(folder);
    return false;
  }
  {
    QSaveFile f(QDir(folder).filePath(QLatin1String(glossary::kUserGlossaryMarker)));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write("A glossary exported by Termora. `termora-glossary build` turns this folder back into\n"
                "the glossary's tables; the bundled glossary's house style is not asked of it.\n") < 0 ||
        !f.commit()) {
      if (error) *error = QCoreApplication::translate("Exchange", "Cannot write %1: %2").arg(f.fileName(), f.errorString());
      return false;
    }
  }
  for (int n = 0; n < letters.size(); ++n) {
    QSaveFile f(QDir(folder).filePath(glossary::LetterFileName(n + 1)));
    if (!f.open(QIODevice::WriteOnly) || f.write(files[n].join(QLatin1Char('\n')).toUtf8()) < 0 || !f.commit()) {
      if (error) *error = QCoreApplication::translate("Exchange", "Cannot write %1: %2").arg(f.fileName(), f.errorString());
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
