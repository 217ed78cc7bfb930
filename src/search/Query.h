#pragma once
// What the user types, turned into a full-text query: words that must all be there, a trailing
// "*" for words that begin so, and "quoted words" for words in that order. Every word goes to
// the index as a quoted string, so no character the user types is read as query syntax.

#include <QString>

namespace search {

struct Match {
  QString expression;  // the FTS5 query; empty when the text holds no word
  // For each phrase of the expression in order, the part of the query it stands for: a part
  // typed with "*" becomes two phrases, either of which will do.
  QString groups;
  bool IsEmpty() const { return expression.isEmpty(); }
};

Match ParseQuery(const QString& text);

}  // namespace search
