#pragma once
// Files a book writes: written beside their place under a temporary name and put in place
// whole, so that a cancelled or failed export leaves nothing half-written.

#include <QString>

namespace book {

// A name beside `path` for the file or folder being written.
QString PartPath(const QString& path);
// Puts `part` in place of `path`: in one step over an existing file with `overwrite`, and never
// over one without it (a file that appeared meanwhile is not replaced). False with a message.
bool CommitFile(const QString& part, const QString& path, bool overwrite, QString* error);

}  // namespace book
