#pragma once
// What data kept outside the tables (the search index) needs from the store to stay in step
// with them: a stamp that changes with every write to a table file, whoever makes it, read
// without reading a row; and the news of each write this program commits.

#include <QString>
#include <QtGlobal>

struct sqlite3;

namespace data {

// The stamp of the database open on `db`: its header's change counter, size and schema cookie,
// with the counter alone in `counter`. Empty when the header cannot tell (unreadable, or a
// write-ahead-log journal, which does not keep the counter).
QString StoreStamp(sqlite3* db, quint32* counter = nullptr);

enum TCommitKind { ckInsert, ckUpdate, ckDelete };

// One write this program committed to a table. `before` and `after` are the table's stamps
// around it; `after` is empty unless this write was the only one between the two readings, so
// that a holder of `before` may take `after` as current without missing another's write.
struct TStoreCommit {
  TCommitKind kind = ckUpdate;
  qint64 key = 0;
  QString before;
  QString after;
};

}  // namespace data
