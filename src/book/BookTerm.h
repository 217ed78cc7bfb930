#pragma once
// A term as the book sets it, and how long work reports: what the book's writers (Book.h) and
// the letter documents they build (BookEntries.h) both speak of.

#include <QByteArray>
#include <QString>
#include <functional>

namespace book {

struct BookTerm {
  qint64 key = 0;
  QString word;
  QByteArray definition;  // as stored: RTF, or plain text
};

// How long work reports: `done` of `total` terms; returning false cancels.
using Progress = std::function<bool(int done, int total)>;

}  // namespace book
