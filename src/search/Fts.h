#pragma once
// What the index's full-text table needs on every connection that uses it: the tokenizer
// "termora" (Words.h) and the function termora_inname(), which tells whether every phrase of
// the query has a match in the term's name (the table's first column).

struct sqlite3;

class QString;

namespace search {

// Registers both on `db`; false with a message when FTS5 is missing.
bool RegisterFts(sqlite3* db, QString* error);

}  // namespace search
