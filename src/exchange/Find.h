#pragma once
// The terms a search finds, for exporting them without the glossary window (the command line).

#include <QSet>
#include <QString>

namespace exchange {

// The keys (IDDetail) of the terms of the glossary in `folder` that the search `query` finds,
// matched as the glossary window's search matches. Indexes the glossary in memory for the
// purpose, so the result never depends on an index file being current.
bool FindTermKeys(const QString& folder, const QString& query, QSet<qint64>* keys, QString* error);

}  // namespace exchange
