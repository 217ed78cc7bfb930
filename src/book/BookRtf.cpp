// The book as one RTF document: a title, then each letter from a new page with its letter as a
// heading and its entries, written by the program's own RTF writer so that an office suite opens
// it as the formatted book.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCursor>

#include "book/Book.h"
#include "book/BookEntries.h"
#include "book/BookFiles.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextModel.h"

namespace book {

namespace {

void Heading(QTextCursor& c, const QString& text, qreal points, bool newPage) {
  QTextBlockFormat bf;
  rtf::SetAlignment(bf, rtf::kAlignCenter);
  rtf::SetSpaceAfter(bf, 240);
  if (newPage) bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  QTextCharFormat cf;
  cf.setFontWeight(QFont::Bold);
  cf.setFontPointSize(points);
  if (!c.atStart()) c.insertBlock(bf, cf);
  else c.setBlockFormat(bf), c.setBlockCharFormat(cf);
  c.insertText(text, cf);
}

}  // namespace

Result WriteRtf(BookSource& source, const std::vector<BookLetter>& plan, const BookOptions& options,
                const QString& path, const Progress& progress) {
  if (QFileInfo::exists(path) && !options.overwrite)
    return {Outcome::Failed, QStringLiteral("\"%1\" already exists.").arg(QDir::toNativeSeparators(path)), 0};
  QTextDocument doc;
  doc.setDefaultFont(BookFont());
  QTextCursor c(&doc);
  Heading(c, options.title.isEmpty() ? DefaultTitle() : options.title, 24, false);
  QString meta = options.description;
  meta += (meta.isEmpty() ? QString() : QStringLiteral(", ")) +
          RussianDate(options.date.isValid() ? options.date : QDate::currentDate());
  QTextBlockFormat centred;
  rtf::SetAlignment(centred, rtf::kAlignCenter);
  c.insertBlock(centred, QTextCharFormat());
  c.insertText(meta);

  const int total = TermCount(plan);
  int done = 0;
  QString error;
  std::vector<BookTerm> terms;
  for (const BookLetter& letter : plan) {
    if (!source.Terms(letter, &terms, &error)) return {Outcome::Failed, error, 0};
    Heading(c, letter.letter, 28, true);
    std::vector<int> starts;
    if (!AppendEntries(terms, &doc, &starts, progress, &done, total))
      return {Outcome::Cancelled, QCoreApplication::translate("Book", "The export was cancelled."), 0};
    c.movePosition(QTextCursor::End);
  }
  const QFont font = BookFont();
  const QByteArray bytes = rtf::WriteRtf(doc, 0, -1, &font);

  const QString part = PartPath(path);
  QSaveFile out(part);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    return {Outcome::Failed,
            QStringLiteral("\"%1\" could not be written: %2").arg(QDir::toNativeSeparators(path), out.errorString()), 0};
  if (!CommitFile(part, path, options.overwrite, &error)) {
    QFile::remove(part);
    return {Outcome::Failed, error, 0};
  }
  return {};
}

}  // namespace book
