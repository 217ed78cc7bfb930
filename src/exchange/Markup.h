#pragma once
// The bundled glossary's source markup (glossary/README.md) as an exchange format: a folder of
// one file per letter that the glossary builder turns back into the same definitions, so a
// user's glossary can be kept under version control and rebuilt.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/Exchange.h"

namespace exchange {

// The terms links may lead to, by their keys in the glossary the definitions come from.
struct LinkNames {
  QHash<qint64, QString> names;
};

// The markup for a stored definition: paragraphs, bold, italic, bullet items and links to the
// terms in `links` as [[...]] cross-references. *exact is false when the definition holds what
// the markup cannot say (other fonts, colours, pictures, indents, links to terms not among
// `links`...): the builder would then make a definition that differs from it.
QString DefinitionMarkup(const QByteArray& definition, bool* exact, const LinkNames& links = {});

// Writes the 27 letter files into `folder` (made if missing). Terms the source format cannot
// hold (filed under a letter it has no file for, a second term of the same name, an empty
// definition) are left out and said in *notes, as are definitions it holds only in part.
bool WriteMarkupFolder(const QList<Term>& terms, const QString& folder, QStringList* notes, QString* error);

// Reads a source folder as the builder does; a fault names the file and line.
bool ReadMarkupFolder(const QString& folder, Document* doc, QString* error);

}  // namespace exchange
