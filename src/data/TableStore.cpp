#include "data/TableStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

#include "base/ScopeGuard.h"
#include "data/LockWait.h"

namespace data {

// A prepared statement on the connection's own handle. Values come back as the Qt SQL driver
// gives them (integers as qlonglong, NULL as a null QString), so rows read here and rows read
// through the driver compare equal.
class TableStore::Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int Prepare(sqlite3* db, const QString& sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (WaitingForLock()) return SQLITE_BUSY;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    detail::LockWaitDone();
    return rc;
  }
  bool Prepared() const { return stmt_ != nullptr; }

  // Binds as the driver does: a null string or byte array is NULL.
  void Bind(int index, const QVariant& v) {
    const int type = v.typeId();
    if (v.isNull() || (type == QMetaType::QString && v.toString().isNull()) ||
        (type == QMetaType::QByteArray && v.toByteArray().isNull())) {
      sqlite3_bind_null(stmt_, index);
      return;
    }
    switch (type) {
      case QMetaType::Bool:
      case QMetaType::Short:
      case QMetaType::UShort:
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::Long:
      case QMetaType::LongLong: sqlite3_bind_int64(stmt_, index, v.toLongLong()); break;
      case QMetaType::Float:
      case QMetaType::Double: sqlite3_bind_double(stmt_, index, v.toDouble()); break;
      case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(stmt_, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
      }
      default: {
        const QByteArray t = v.toString().toUtf8();
        sqlite3_bind_text(stmt_, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
      }
    }
  }

  // A step started while the store waits for a lock (from the waiter's event processing) is
  // refused as busy rather than nested inside the waiting one.
  int Step() {
    if (WaitingForLock()) return SQLITE_BUSY;
    const int rc = sqlite3_step(stmt_);
    detail::LockWaitDone();
    return rc;
  }

  QVariant Value(int c) const {
    switch (sqlite3_column_type(stmt_, c)) {
      case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(stmt_, c)));
      case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt_, c));
      case SQLITE_NULL: return QVariant(QMetaType::fromType<QString>());
      case SQLITE_BLOB: {
        const char* b = static_cast<const char*>(sqlite3_column_blob(stmt_, c));
        return QVariant(QByteArray(b, sqlite3_column_bytes(stmt_, c)));
      }
      default: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
        return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(stmt_, c)));
      }
    }
  }
  qint64 Int64(int c) const { return sqlite3_column_int64(stmt_, c); }

  // Ends a use: a statement left stepping would keep the file's read lock.
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

namespace {

// Why the store cannot write the table file at `path`; empty when it can. The file's own
// permission bits do not tell (an immutable file or a read-only mount has them all); the system
// is asked, and so is SQLite, which opens such a file read-only. A change is first written to a
// file beside the table, so the folder must take new files too.
QString WhyReadOnly(const QString& path, sqlite3* db) {
  const QString shown = QDir::toNativeSeparators(path);
  if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
    return QCoreApplication::translate("DataSet", "The table file %1 cannot be changed: %2.").arg(shown, FileErrorCause(errno));
  if (db && sqlite3_db_readonly(db, "main") == 1)
    return QCoreApplication::translate("DataSet", "The table file %1 cannot be changed: it could only be opened for reading.").arg(shown);
  const QString folder = QFileInfo(path).absolutePath();
  if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
    return QCoreApplication::translate("DataSet",
                                       "The table file %1 cannot be changed: its folder %2 takes no new files, and a "
                                       "change is written through one (%3).")
        .arg(shown, QDir::toNativeSeparators(folder), FileErrorCause(errno));
  return QString();
}

int FieldIndex(const StoreTable& t, const QString& name) {
  for (int c = 0; c < int(t.fields.size()); ++c)
    if (t.fields[c].name.compare(name, Qt::CaseInsensitive) == 0) return c;
  return -1;
}

}  // namespace

TableStore::TableStore() = default;
TableStore::~TableStore() { Close(); }

StoreResult TableStore::Prepare(Statement& s, const QString& sql) {
  return conn_.ResultOf(s.Prepare(conn_.Handle(), sql));
}

StoreResult TableStore::PrepareOnce(std::unique_ptr<Statement>& s, const QString& sql) {
  if (s) return {};
  auto fresh = std::make_unique<Statement>();
  StoreResult r = Prepare(*fresh, sql);
  if (r.Ok()) s = std::move(fresh);
  return r;
}

StoreResult TableStore::Open(const QString& folder, const StoreTable& table, int busyTimeoutMs) {
  Close();
  const QString path = StoreFilePath(folder, table);
  StoreResult r = conn_.Open(path, false, busyTimeoutMs);
  if (!r.Ok()) return r;
  base::ScopeGuard closeUnlessChecked([this] { Close(); });

  // The file must hold the table with every column we use; checked from the schema only.
  QStringList columns;
  {
    Statement info;
    int rc = info.Prepare(conn_.Handle(), QStringLiteral("PRAGMA table_info(\"%1\")").arg(table.name));
    if (rc == SQLITE_OK)
      while ((rc = info.Step()) == SQLITE_ROW) columns << info.Value(1).toString();
    if (rc != SQLITE_DONE) {
      const StoreResult r = conn_.ResultOf(rc);
      if (r.status == StoreStatus::Damaged)
        return StoreResult::Fail(DamagedFileMessage(path, r.error, QCoreApplication::translate("DataSet", "Nothing was changed.")));
      return StoreResult::Fail(QStringLiteral("Cannot read the table %1: %2").arg(path, r.error));
    }
  }
  if (columns.isEmpty())
    return StoreResult::Fail(QStringLiteral("The file %1 holds no table %2").arg(path, table.name));
  QStringList needed;
  for (const auto& f : table.fields) needed << f.name;
  needed << table.versionColumn;
  if (!table.sortKeyColumn.isEmpty()) needed << table.sortKeyColumn;
  for (const QString& n : needed)
    if (!columns.contains(n, Qt::CaseInsensitive))
      return StoreResult::Fail(QStringLiteral("Field '%1' not found in the table %2").arg(n, path));

  // A damaged page shows only when a statement reaches it, perhaps long after the window opened
  // on the pages around it. A file small enough to check quickly is checked whole first.
  if (QFileInfo(path).size() <= kQuickCheckBytes) {
    Statement check;
    int rc = check.Prepare(conn_.Handle(), QStringLiteral("PRAGMA quick_check(100)"));
    QStringList findings;
    if (rc == SQLITE_OK)
      while ((rc = check.Step()) == SQLITE_ROW)
        findings += check.Value(0).toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (rc != SQLITE_DONE) {
      const StoreResult r = conn_.ResultOf(rc);
      if (r.status != StoreStatus::Damaged) return r;
      findings = QStringList{r.error};
    }
    // A value another program stored against a column's constraint is not damage: the program
    // reads such values. What is left is the pages themselves; SQLite heads that with the
    // schema's name, which the user cannot act on.
    findings.removeIf([](const QString& f) {
      return f == QLatin1String("ok") || f.startsWith(QLatin1String("***")) ||
             f.startsWith(QLatin1String("CHECK constraint failed")) || f.startsWith(QLatin1String("NULL value in"));
    });
    if (!findings.isEmpty()) {
      if (findings.size() > 3) findings = findings.mid(0, 3) << QStringLiteral("…");
      return {StoreStatus::Damaged,
              DamagedFileMessage(path, findings.join(QLatin1String("; ")), QCoreApplication::translate("DataSet", "Nothing was changed."))};
    }
  }

  closeUnlessChecked.Dismiss();
  table_ = &table;
  readOnlyReason_ = WhyReadOnly(path, conn_.Handle());
  blobs_.resize(table.fields.size());
  rowSql_ = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(StoredColumns(), table.name, KeyColumn());
  deleteSql_ =
      QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 IS ?").arg(table.name, KeyColumn(), table.versionColumn);
  return SetOrder(QString(), QString());
}

void TableStore::Close() {
  // The prepared statements go first, or SQLite keeps the file open.
  range_.reset();
  row_.reset();
  delete_.reset();
  blobs_.clear();
  conn_.Close();
  table_ = nullptr;
  readOnlyReason_ = QStringLiteral("The table is not open.");
  rangeField_ = -1;
}

StoreResult TableStore::SetOrder(const QString& indexName, const QString& indexFieldNames) {
  const StoreTable& t = *table_;
  QStringList orderBy;
  int rangeField = -1;
  if (!indexName.isEmpty()) {
    auto idx = std::find_if(t.indexes.begin(), t.indexes.end(), [&](const StoreIndex& i) {
      return i.name.compare(indexName, Qt::CaseInsensitive) == 0;
    });
    if (idx == t.indexes.end()) return StoreResult::Fail(QStringLiteral("Index not found: %1").arg(indexName));
    orderBy = idx->orderBy;
    if (!idx->fields.isEmpty()) rangeField = FieldIndex(t, idx->fields.first());
  } else if (!indexFieldNames.isEmpty()) {
    for (QString n : indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      n = n.trimmed();
      const int c = FieldIndex(t, n);
      if (c < 0 || IsBlobType(t.fields[c].type))
        return StoreResult::Fail(QStringLiteral("Field '%1' cannot be used as an index field").arg(n));
      // A string orders by its sort key when the store keeps one.
      orderBy << (t.fields[c].name == t.sortKeySource ? t.sortKeyColumn : t.fields[c].name);
      if (rangeField < 0) rangeField = c;
    }
    orderBy << KeyColumn();
  } else {
    orderBy << KeyColumn();
  }
  rangeField_ = rangeField;
  range_.reset();
  const QString select = QStringLiteral("SELECT %1 FROM %2").arg(StoredColumns(), t.name);
  const QString order = QStringLiteral(" ORDER BY ") + orderBy.join(QLatin1String(", "));
  rangeSql_[false] = select + order;
  rangeSql_[true] = rangeField < 0 ? QString()
                                   : select + QStringLiteral(" WHERE %1 = ?").arg(t.fields[rangeField].name) + order;
  return {};
}

QString TableStore::StoredColumns() const {
  QStringList select;
  for (const auto& f : table_->fields) select << (IsBlobType(f.type) ? QStringLiteral("NULL") : f.name);
  select << table_->versionColumn;
  return select.join(QLatin1String(", "));
}

StoreResult TableStore::ReadRange(const QVariant* rangeValue, std::vector<StoredRow>* rows) {
  rows->clear();
  const bool ranged = rangeValue && rangeField_ >= 0;
  if (rangeBound_ != ranged) range_.reset();
  rangeBound_ = ranged;
  if (StoreResult r = PrepareOnce(range_, rangeSql_[ranged]); !r.Ok()) return r;
  Statement& s = *range_;
  base::ScopeGuard done([&s] { s.Reset(); });
  if (ranged) s.Bind(1, *rangeValue);
  const int n = int(table_->fields.size());
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) {
    StoredRow r;
    r.values.resize(n);
    for (int c = 0; c < n; ++c)
      if (!IsBlobType(table_->fields[c].type)) r.values[c] = s.Value(c);
    r.key = r.values[0].toLongLong();
    r.version = s.Value(n);
    rows->push_back(std::move(r));
  }
  if (rc == SQLITE_DONE) return {};
  rows->clear();
  return conn_.ResultOf(rc);
}

StoreResult TableStore::ReadRow(qint64 key, StoredRow* row, bool wait) {
  const auto noWait = conn_.WaitForLocks(wait);
  if (StoreResult r = PrepareOnce(row_, rowSql_); !r.Ok()) return r;
  Statement& s = *row_;
  base::ScopeGuard done([&s] { s.Reset(); });
  s.Bind(1, key);
  const int rc = s.Step();
  if (rc == SQLITE_DONE) {
    s.Reset();
    return Missing(key);
  }
  if (rc != SQLITE_ROW) return conn_.ResultOf(rc);
  const int n = int(table_->fields.size());
  row->key = key;
  row->values.resize(n);
  for (int c = 0; c < n; ++c)
    if (!IsBlobType(table_->fields[c].type)) row->values[c] = s.Value(c);
  row->version = s.Value(n);
  return {};
}

StoreResult TableStore::ReadBlob(qint64 key, int field, QByteArray* bytes) {
  bytes->clear();
  std::unique_ptr<Statement>& s = blobs_.at(field);
  const QString sql = s ? QString()
                        : QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                              .arg(table_->fields[field].name, table_->name, KeyColumn());
  if (StoreResult r = PrepareOnce(s, sql); !r.Ok()) return r;
  Statement& stmt = *s;
  base::ScopeGuard done([&stmt] { stmt.Reset(); });
  stmt.Bind(1, key);
  const int rc = stmt.Step();
  if (rc == SQLITE_ROW) {
    *bytes = stmt.Value(0).toByteArray();
    return {};
  }
  // No row is not an empty value: a definition that cannot be read must not show as empty.
  if (rc == SQLITE_DONE) {
    stmt.Reset();
    return Missing(key);
  }
  return conn_.ResultOf(rc);
}

StoreResult TableStore::Missing(qint64 key) {
  // A row another program deleted is gone from the table and from its indexes alike; one that an
  // index still lists means the file is damaged.
  for (const StoreIndex& index : table_->indexes) {
    if (!index.orderBy.contains(KeyColumn(), Qt::CaseInsensitive)) continue;
    Statement s;
    if (StoreResult r = Prepare(s, QStringLiteral("SELECT count(*) FROM %1 INDEXED BY %2 WHERE %3 = ?")
                                       .arg(table_->name, index.name, KeyColumn()));
        !r.Ok())
      return r;
    s.Bind(1, key);
    const int rc = s.Step();
    if (rc != SQLITE_ROW) return conn_.ResultOf(rc);
    if (s.Int64(0) > 0)
      return {StoreStatus::Damaged,
              QStringLiteral("its index %1 lists record %2, which the table does not hold").arg(index.name).arg(key)};
  }
  return {StoreStatus::Gone, QString()};
}

void TableStore::WriteColumns(const StoreValues& values, bool inserting, QStringList* names,
                              QVariantList* bound) const {
  const StoreTable& t = *table_;
  const QVariant* sortSource = nullptr;
  for (const auto& [field, value] : values) {
    names->append(t.fields[field].name);
    const bool blob = IsBlobType(t.fields[field].type);
    bound->append(blob && !value.isNull() ? QVariant(value.toByteArray()) : value);
    if (t.fields[field].name == t.sortKeySource) sortSource = &value;
  }
  if (!t.sortKeyColumn.isEmpty() && (inserting || sortSource)) {
    names->append(t.sortKeyColumn);
    bound->append(SortKeyOf(sortSource ? sortSource->toString() : QString()));
  }
}

void TableStore::StampBefore(TCommitKind kind, qint64 key) {
  commit_ = TStoreCommit{kind, key, StoreStamp(conn_.Handle(), &counterBefore_), QString()};
  counterKnown_ = !commit_.before.isEmpty();
}

void TableStore::StampAfter() {
  // Each committed write adds one to the counter: exactly one more means no other write came
  // between the two readings, so `after` follows from `before` by this write alone.
  quint32 counter = 0;
  const QString after = StoreStamp(conn_.Handle(), &counter);
  if (counterKnown_ && !after.isEmpty() && counter == counterBefore_ + 1) commit_.after = after;
}

StoreResult TableStore::WriteInTransaction(const QString& sql, const QVariantList& bound,
                                           const std::function<StoreResult()>& settle) {
  conn_.ApplyDiskLimit();
  StoreResult r = conn_.Exec("BEGIN IMMEDIATE");
  if (!r.Ok()) return r;
  base::ScopeGuard rollback([this] { conn_.Exec("ROLLBACK"); });
  {
    Statement s;
    if (r = Prepare(s, sql); !r.Ok()) return r;
    for (int i = 0; i < bound.size(); ++i) s.Bind(i + 1, bound[i]);
    if (const int rc = s.Step(); rc != SQLITE_DONE) return conn_.ResultOf(rc);
  }
  if (r = settle(); !r.Ok()) return r;
  if (r = conn_.Exec("COMMIT"); !r.Ok()) return r;
  rollback.Dismiss();
  StampAfter();
  return {};
}

StoreResult TableStore::Insert(const StoreValues& values, qint64* key) {
  QStringList names;
  QVariantList bound;
  WriteColumns(values, /*inserting=*/true, &names, &bound);
  const QString sql = names.isEmpty()
                          ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_->name)
                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(table_->name, names.join(QLatin1String(", ")),
                                     QStringList(names.size(), QStringLiteral("?")).join(QLatin1String(", ")));
  StampBefore(ckInsert, 0);
  return WriteInTransaction(sql, bound, [&] {
    *key = sqlite3_last_insert_rowid(conn_.Handle());
    commit_.key = *key;
    return StoreResult{};
  });
}

StoreResult TableStore::Update(qint64 key, const QVariant& version, const StoreValues& values) {
  QStringList names;
  QVariantList bound;
  WriteColumns(values, /*inserting=*/false, &names, &bound);
  QStringList sets;
  for (const QString& n : names) sets << n + QStringLiteral(" = ?");
  // A version another program left as something other than an integer is compared as it is
  // stored and replaced by an integer no window can hold yet.
  const QString& v = table_->versionColumn;
  sets << QStringLiteral("%1 = CASE WHEN typeof(%1) = 'integer' THEN %1 + 1"
                         " ELSE abs(random() % 4611686018427387904) + 1 END")
              .arg(v);
  bound << key << version;
  const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ? AND %4 IS ?")
                          .arg(table_->name, sets.join(QLatin1String(", ")), KeyColumn(), v);
  StampBefore(ckUpdate, key);
  return WriteInTransaction(sql, bound, [&] {
    if (sqlite3_changes(conn_.Handle()) > 0) return StoreResult{};
    // Someone stored or deleted this row after it was read: never overwrite silently. A row
    // that cannot be read is neither.
    StoredRow now;
    const StoreResult read = ReadRow(key, &now);
    return read.Ok() ? StoreResult{StoreStatus::Conflict, QString()} : read;
  });
}

StoreResult TableStore::Delete(qint64 key, const QVariant& version) {
  if (StoreResult r = PrepareOnce(delete_, deleteSql_); !r.Ok()) return r;
  Statement& s = *delete_;
  base::ScopeGuard done([&s] { s.Reset(); });
  s.Bind(1, key);
  s.Bind(2, version);
  StampBefore(ckDelete, key);
  // One statement is one transaction in SQLite.
  if (const int rc = s.Step(); rc != SQLITE_DONE) return conn_.ResultOf(rc);
  if (sqlite3_changes(conn_.Handle()) == 0) return {StoreStatus::Conflict, QString()};
  StampAfter();
  return {};
}

}  // namespace data
