#include "data/StoreStamp.h"

#include <sqlite3.h>

namespace data {

namespace {

constexpr int kHeaderBytes = 100;
constexpr int kWriteVersionOffset = 18;  // 2: write-ahead log
constexpr int kChangeCounterOffset = 24;
constexpr int kPageCountOffset = 28;
constexpr int kSchemaCookieOffset = 40;

quint32 Get4(const unsigned char* h, int at) {
  return quint32(h[at]) << 24 | quint32(h[at + 1]) << 16 | quint32(h[at + 2]) << 8 | quint32(h[at + 3]);
}

// Reads the header through SQLite's own file handle: opening the file a second time and closing
// it would drop the locks SQLite holds on it (POSIX locks belong to the process, not the handle).
bool ReadHeader(sqlite3* db, unsigned char* h) {
  if (!db) return false;
  sqlite3_file* f = nullptr;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f || !f->pMethods)
    return false;
  if (f->pMethods->xRead(f, h, kHeaderBytes, 0) != SQLITE_OK) return false;
  return h[kWriteVersionOffset] != 2;
}

}  // namespace

QString StoreStamp(sqlite3* db, quint32* counter) {
  unsigned char h[kHeaderBytes];
  if (!ReadHeader(db, h)) return QString();
  if (counter) *counter = Get4(h, kChangeCounterOffset);
  return QStringLiteral("c%1.p%2.s%3")
      .arg(Get4(h, kChangeCounterOffset))
      .arg(Get4(h, kPageCountOffset))
      .arg(Get4(h, kSchemaCookieOffset));
}

}  // namespace data
