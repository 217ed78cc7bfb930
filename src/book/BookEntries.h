#pragma once
// A letter's entries as one document: each term's name in bold, then its definition with all its
// formatting, pictures and tables.

#include <QTextDocument>
#include <vector>

#include "book/BookTerm.h"

namespace book {

// The font entries are set in where a definition names none.
QFont BookFont();

// Appends the entries of `terms` at the end of `doc`; `starts` receives each entry's first
// character. `progress` is asked after each term with the count done so far added to `done`.
// False when cancelled.
bool AppendEntries(const std::vector<BookTerm>& terms, QTextDocument* doc, std::vector<int>* starts,
                   const Progress& progress, int* done, int total);

// The entry holding character `pos`, from the starts AppendEntries gave.
int EntryAt(const std::vector<int>& starts, int pos);

// True when a definition's text already begins with the term's name (the bundled glossary's
// definitions open so), which is then not set a second time.
bool OpensWithName(const QString& text, const QString& word);

}  // namespace book
