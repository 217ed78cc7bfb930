#pragma once
// Building the two glossary tables from the bundled source.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "glossary/GlossarySource.h"

class QTextDocument;
class QTextStream;

namespace glossary {

// The bytes stored in TextDetail for a definition's markup. A cross-reference becomes a link to
// the key `keyOf` gives for its target (plain text where it gives 0, or without `keyOf`).
QByteArray DefinitionBytes(const QString& markup, const std::function<qint64(const QString& target)>& keyOf = nullptr);

enum class BuildResult { Built, AlreadyThere, Failed };

// Creates both tables in `dataFolder` (made if missing) holding the 27 letters in record order
// and the entries under their letters. Existing tables are never touched: if both are there the
// result is AlreadyThere, if only one is, Failed. On failure nothing is left behind: the tables
// are filled in a scratch folder and moved into place only once complete.
BuildResult BuildTables(const QList<Entry>& entries, const QString& dataFolder, QString* message);

// The whole program: reads the source folder, then builds. Reports on out/err and returns the
// exit status (0 built or already there, 1 on any fault).
int RunBuilder(const QString& sourceFolder, const QString& dataFolder, QTextStream& out,
               QTextStream& err);

}  // namespace glossary
