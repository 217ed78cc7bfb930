#pragma once
// Reading the terms to export from a glossary, and writing them to a file of any format.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "exchange/Exchange.h"

namespace exchange {

// Which terms: all, one letter's, or the ones with the given keys (IDDetail), e.g. those a
// search found or the grid's selection.
struct Selection {
  QString letter;       // only the terms filed under this letter; empty: every letter
  bool byKey = false;   // only the terms whose key is in `keys`
  QSet<qint64> keys;
};

// The selected terms of the glossary in `folder`, in the letter bar's order and alphabetically
// within a letter, with their definitions stored and as text.
bool ReadGlossaryTerms(const QString& folder, const Selection& selection, QList<Term>* terms, QString* error);

// Writes `terms` to `path` in `format`: a file is written whole or not at all (never half);
// source markup is a folder. What the format could not hold is said in *notes.
bool WriteTerms(const QList<Term>& terms, Format format, const QString& path, QStringList* notes, QString* error);

}  // namespace exchange
