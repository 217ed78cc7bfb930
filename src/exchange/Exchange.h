#pragma once
// Terms as they travel between glossaries: what an export writes and an import reads, whatever
// the file's format (TBX, CSV or the bundled glossary's source markup).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace exchange {

struct Term {
  QString name;
  QString letter;   // the letter it is filed under; empty when the file does not say
  QString text;     // the definition as plain text (paragraphs end with "\n")
  QByteArray rtf;   // the definition as Termora stores it; empty when the file held text only
  QString where;    // where the file holds it ("line 12"), for messages
  qint64 key = 0;   // its key in the glossary it was read from; 0 when read from a file
};

// What a file holds: its terms in file order, and what reading it left aside.
struct Document {
  QList<Term> terms;
  QStringList notes;
};

enum class Format { Tbx, Csv, Markup };

// The format a path names: a folder is source markup, .csv is CSV, anything else TBX.
Format FormatOfPath(const QString& path);

// The plain text of a stored definition, as the editor would give it (CR LF between paragraphs
// becomes "\n").
QString DefinitionText(const QByteArray& definition);

// The stored form of a definition that came as plain text: one paragraph per line, in the
// window's definition font.
QByteArray TextDefinition(const QString& text);

// The letter a term is filed under by its first character (Ё under Е, Й under И), among
// `letters`; empty when none fits.
QString LetterOfName(const QString& name, const QStringList& letters);

// The line (1-based) of the first byte that is not UTF-8; 0 when all of it is.
int FirstNonUtf8Line(const QByteArray& bytes);

// Checks what every reader checks of a term: a name, the term field's rules, a definition the
// store takes. Empty when acceptable, else the reason.
QString CheckTerm(const Term& t);

}  // namespace exchange
