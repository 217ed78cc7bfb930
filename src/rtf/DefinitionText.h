#pragma once
// The plain text of a definition as the glossary stores it, for search, export and the book.

#include <QByteArray>
#include <QString>
#include <vector>

namespace rtf {

// RTF as the reader reads it; other bytes as plain text, UTF-8 when they are, else the Cyrillic
// code page older definitions were written in. With `links`, also the keys of the terms the
// definition links to, each once, in the order met.
QString DefinitionText(const QByteArray& definition, std::vector<qint64>* links = nullptr);

}  // namespace rtf
