#pragma once
// The glossary's own vocabulary for the spell checker: every word form its terms and definitions
// use, as the reader sees them. The forms the Russian dictionary lacks are kept in a list a
// person has checked (spelling-reviewed.txt); the build compares the two, so a new word, or a
// typing error, in the glossary's text does not slip into the program's vocabulary unseen.
#include <QList>
#include <QStringList>
#include <QTextStream>
#include <functional>

#include "glossary/GlossarySource.h"

namespace glossary {

// The word forms the entries use, sorted, each once, in lower case; a word only ever written
// with a capital stays so when knownAsWritten says the dictionary knows it that way (a name).
QStringList WordForms(const QList<Entry>& entries,
                      const std::function<bool(const QString&)>& knownAsWritten = nullptr);

// termora-glossary-words <source-folder> <reviewed-list> <output> [--write-reviewed]:
// writes the word forms to <output> and checks them against the reviewed list (with
// --write-reviewed: rewrites the list instead, after a person has read what changed).
// 0 when the list is in step, 1 when it is not, 2 on bad arguments or unreadable files.
int RunWordList(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace glossary
