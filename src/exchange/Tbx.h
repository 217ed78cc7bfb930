#pragma once
// TermBase eXchange (TBX-Basic): one termEntry per term, its name as the term of a Russian
// langSet and its definition as plain text; the stored definition goes beside it in an element
// of our own namespace, so a file passed from one Termora to another loses no formatting.

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <functional>

#include "exchange/Exchange.h"

namespace exchange {

inline constexpr char kTermoraNamespace[] = "urn:x-termora:exchange:1";

// Writes the terms; false with *error when the device refuses.
bool WriteTbx(const QList<Term>& terms, QIODevice* out, QString* error);

// Reads a TBX file, ours or another tool's: each termEntry (or conceptEntry) with a Russian
// term becomes a term; entries in other languages only are left out and counted in the notes.
// A file that is not well-formed XML, not TBX, or carries entity declarations in its DOCTYPE is
// refused whole, naming the line. `step(percent)` is called as entries are read; when it returns
// false, reading stops and false is returned with *error empty.
bool ReadTbx(const QByteArray& bytes, Document* doc, QString* error,
             const std::function<bool(int percent)>& step = {});

}  // namespace exchange
