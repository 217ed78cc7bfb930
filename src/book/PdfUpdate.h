#pragma once
// What the toolkit's PDF writer cannot do, added to a finished PDF as an incremental update (the
// file's bytes stay as written; new objects, a new catalogue, a cross-reference section and a
// trailer pointing back to the old one are appended): an outline, the page order, and the
// document's title and author.

#include <QString>
#include <vector>

namespace book {

struct OutlineEntry {
  QString title;
  int page = 0;  // 0-based, in the new order
};

// `order` lists the file's pages (0-based, as written) in the order they are to have; empty
// keeps the order. False with a message when the file is not a PDF this can update.
bool AppendPdfUpdate(const QString& path, const std::vector<int>& order, const std::vector<OutlineEntry>& outline,
                     const QString& title, const QString& author, QString* error);

}  // namespace book
