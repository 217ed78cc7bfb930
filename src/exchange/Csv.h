#pragma once
// CSV (RFC 4180), UTF-8 with a byte order mark so spreadsheets take it as UTF-8: a header row,
// then one row per term: term, letter, definition as plain text, definition as stored (RTF).

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>

#include "exchange/Exchange.h"

namespace exchange {

bool WriteCsv(const QList<Term>& terms, QIODevice* out, QString* error);

// Reads a CSV file with a header row naming its columns (term, letter, definition, rtf, in any
// order; "term" is required). A row with another number of fields than the header, an unclosed
// quote or bytes that are not UTF-8 refuse the file whole, naming the line.
bool ReadCsv(const QByteArray& bytes, Document* doc, QString* error);

}  // namespace exchange
