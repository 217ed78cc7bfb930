#pragma once
// What the index needs on every connection that uses it: the tokenizer "termora" (Words.h); the
// function termora_inname(), which tells whether every part of the query has a match in the
// term's name (the full-text table's first column); termora_snippet(), a line of a column around
// its first match with the matches marked; and termora_text(), which unpacks a definition's text
// as the index stores it (PackText).

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace search {

// Registers them on `db`; false with a message when FTS5 is missing.
bool RegisterFts(sqlite3* db, QString* error);

// A definition's text packed for storing in the index, where it is most of the file: a Cyrillic
// letter takes one byte instead of UTF-8's two. Unpacked straight to UTF-8.
QByteArray PackText(const QString& text);
QByteArray UnpackText(const char* packed, int size);

}  // namespace search
