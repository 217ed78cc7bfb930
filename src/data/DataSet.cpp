#include "data/DataSet.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QWidget>
#include <algorithm>
#include <sqlite3.h>

#include "data/GlossaryStore.h"
#include "platform/Question.h"
#include "data/StoreConnection.h"

using data::StoreTable;

namespace {

const char* const kNotEditing = "Dataset not in edit or insert mode";
const char* const kClosed = "Cannot perform this operation on a closed dataset";
const char* const kEmpty = "Cannot perform this operation on an empty dataset";
const char* const kCannotModify = "Cannot modify a read-only dataset";

[[noreturn]] void Raise(const QString& text) { throw EDatabaseError(text); }

bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert; }

bool IsBusy(const QSqlError& e) {
  const QString code = e.nativeErrorCode();
  return code == QLatin1String("5") || code == QLatin1String("6") ||
         e.text().contains(QLatin1String("locked"), Qt::CaseInsensitive);
}

// Set while a dataset or data source is being destroyed: a program that ends closes its tables
// without storing a pending edit, so a detail must not take its master's going away as a move.
int g_teardown = 0;

struct Teardown {
  Teardown() { ++g_teardown; }
  ~Teardown() { --g_teardown; }
};

// The SQLite handle under a connection, or nullptr when the driver gives none.
sqlite3* RawHandle(const QSqlDatabase& db) {
  if (!db.driver()) return nullptr;
  const QVariant h = db.driver()->handle();
  if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
  return *static_cast<sqlite3* const*>(h.constData());
}

// A column as the Qt SQL driver gives it: integers as qlonglong, NULL as a null QString.
QVariant ColumnValue(sqlite3_stmt* s, int c) {
  switch (sqlite3_column_type(s, c)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(s, c)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, c));
    case SQLITE_NULL: return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB: {
      const char* b = static_cast<const char*>(sqlite3_column_blob(s, c));
      return QVariant(QByteArray(b, sqlite3_column_bytes(s, c)));
    }
    default: {
      const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
      return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(s, c)));
    }
  }
}

bool SameKey(const QVariant& a, const QVariant& b) {
  if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
  return a.toLongLong() == b.toLongLong();
}

}  // namespace

EDatabaseError::EDatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

bool data::ShowDataError(const std::function<void()>& op, QWidget* parent) {
  try {
    op();
    return true;
  } catch (const EDatabaseError& e) {
    platform::ShowError(e.Message(), platform::ApplicationTitle(), parent);
    return false;
  }
}

// ---------------------------------------------------------------------------------------------
// The link by which a detail table follows its master.

class TMasterDataLink : public TDataLink {
 public:
  explicit TMasterDataLink(TTable* detail) : detail_(detail) { visualControl_ = false; }
  TField* MasterField() const {
    TTable* m = DataSet();
    if (!m || !m->Active()) return nullptr;
    const QString name = detail_->MasterFields().section(QLatin1Char(';'), 0, 0).trimmed();
    return name.isEmpty() ? nullptr : m->FindField(name);
  }

 protected:
  void ActiveChanged() override {
    if (!Active() && g_teardown > 0) return;
    Changed();
  }
  void CheckBrowseMode() override {
    if (detail_->Active()) detail_->CheckBrowseMode();
  }
  void RecordChanged(TField* field) override {
    if (field == nullptr || field == MasterField()) Changed();
  }

 private:
  void Changed() {
    if (detail_->Active()) detail_->MasterChanged();
  }
  TTable* detail_;
};

// ---------------------------------------------------------------------------------------------

struct TTable::Impl {
  data::StoreConnection conn;
  const StoreTable* table = nullptr;
  QString selectSql;  // key, non-BLOB columns..., version
  QString rangeColumn;
  QVariant rangeValue;
  bool rangeSet = false;
  bool writable = true;
  std::vector<TField*> defaultFields;
  std::unique_ptr<TMasterDataLink> masterLink;
  // Edit buffer: one value per declared column; `changed` marks what the user set.
  std::vector<QVariant> buffer;
  std::vector<bool> changed;
  std::vector<bool> blobLoaded;
  qint64 editVersion = 0;
  // The current record's BLOBs, read on demand.
  qint64 blobKey = -1;
  qint64 blobVersion = -1;
  std::vector<QByteArray> blobCache;
  std::vector<bool> blobCached;
  // The range read, prepared once per opening on the connection's own handle: a letter's rows
  // are read straight from SQLite rather than through the driver's row cache.
  sqlite3_stmt* rangeStmt = nullptr;
  bool rangeStmtTried = false;

  ~Impl() { FinishRangeRead(); }
  void FinishRangeRead() {
    if (rangeStmt) sqlite3_finalize(rangeStmt);
    rangeStmt = nullptr;
    rangeStmtTried = false;
  }
  // Closes the connection; the prepared range read must go first or SQLite keeps the file open.
  void CloseConnection() {
    FinishRangeRead();
    conn.Close();
  }

  int ColumnCount() const { return int(table->fields.size()); }
  bool IsBlobColumn(int c) const {
    return table->fields[c].type == ftBlob || table->fields[c].type == ftGraphic;
  }
  QString KeyColumn() const { return table->fields[0].name; }
  QString TableLabel() const { return table ? table->fileName : QString(); }
  void DropBlobCache() {
    blobKey = -1;
    blobVersion = -1;
  }
};

TTable::TTable(QObject* owner) : QObject(owner), d(new Impl) {}

TTable::~TTable() {
  Teardown teardown;
  // Closing without storing: a pending edit is lost, as when the program ends.
  try {
    Close();
  } catch (const EDatabaseError&) {
  }
  for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->SetDataSet(nullptr);
  d->masterLink.reset();
  for (TField* f : fields_) f->dataSet_ = nullptr;
  fields_.clear();
}

void TTable::SetDatabaseName(const QString& folder) {
  if (databaseName_ == folder) return;
  if (Active()) Raise(QString::fromLatin1(kCannotModify) + QStringLiteral(": the table is open"));
  databaseName_ = folder;
}

void TTable::SetTableName(const QString& name) {
  if (tableName_ == name) return;
  if (Active()) Raise(QStringLiteral("Cannot change the table name of an open table"));
  tableName_ = name;
}

void TTable::SetIndexName(const QString& name) {
  if (indexName_ == name) return;
  indexName_ = name;
  if (!name.isEmpty()) indexFieldNames_.clear();
  if (Active()) {
    Close();
    Open();
  }
}

void TTable::SetIndexFieldNames(const QString& names) {
  if (indexFieldNames_ == names) return;
  indexFieldNames_ = names;
  if (!names.isEmpty()) indexName_.clear();
  if (Active()) {
    Close();
    Open();
  }
}

TDataSource* TTable::MasterSource() const { return d->masterLink ? d->masterLink->DataSource() : nullptr; }

void TTable::SetMasterSource(TDataSource* source) {
  if (MasterSource() == source) return;
  if (source && source->DataSet() == this) Raise(QStringLiteral("Circular data link"));
  if (!d->masterLink) d->masterLink = std::make_unique<TMasterDataLink>(this);
  d->masterLink->SetDataSource(source);
}

void TTable::SetMasterFields(const QString& names) {
  if (masterFields_ == names) return;
  masterFields_ = names;
  if (Active()) MasterChanged();
}

void TTable::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  if (Active()) Raise(QStringLiteral("Cannot change ReadOnly of an open table"));
  readOnly_ = value;
}

void TTable::SetActive(bool value) {
  if (value)
    Open();
  else
    Close();
}

void TTable::CheckActive() const {
  if (!Active()) Raise(QString::fromLatin1(kClosed));
}

void TTable::CheckCanModify() const {
  if (!CanModify()) Raise(QString::fromLatin1(kCannotModify));
}

bool TTable::CanModify() const { return Active() && !readOnly_ && d->writable; }

// ---- opening and closing --------------------------------------------------------------------

void TTable::Open() {
  if (Active()) return;
  const StoreTable* table = data::FindStoreTable(tableName_);
  if (!table) Raise(QStringLiteral("Table does not exist: %1").arg(tableName_));
  const QString path = data::StoreFilePath(databaseName_, *table);
  QString error;
  if (!d->conn.Open(path, false, busyTimeoutMs_, &error)) Raise(error);
  d->table = table;
  try {
    // The file must hold the table with every column we use; checked from the schema only.
    QSqlQuery q(d->conn.Db());
    if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table->name)))
      Raise(QStringLiteral("Cannot read the table %1: %2").arg(path, q.lastError().text()));
    QStringList columns;
    while (q.next()) columns << q.value(1).toString();
    if (columns.isEmpty()) Raise(QStringLiteral("The file %1 holds no table %2").arg(path, table->name));
    QStringList needed;
    for (const auto& f : table->fields) needed << f.name;
    needed << table->versionColumn;
    if (!table->sortKeyColumn.isEmpty()) needed << table->sortKeyColumn;
    for (const QString& n : needed)
      if (!columns.contains(n, Qt::CaseInsensitive))
        Raise(QStringLiteral("Field '%1' not found in the table %2").arg(n, path));

    // Order and range.
    QStringList orderBy;
    QStringList rangeFields;
    if (!indexName_.isEmpty()) {
      const data::StoreIndex* idx = nullptr;
      for (const auto& i : table->indexes)
        if (i.name.compare(indexName_, Qt::CaseInsensitive) == 0) idx = &i;
      if (!idx) Raise(QStringLiteral("Index not found: %1").arg(indexName_));
      orderBy = idx->orderBy;
      rangeFields = idx->fields;
    } else if (!indexFieldNames_.isEmpty()) {
      for (QString n : indexFieldNames_.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        n = n.trimmed();
        auto it = std::find_if(table->fields.begin(), table->fields.end(),
                               [&](const data::StoreField& f) { return f.name.compare(n, Qt::CaseInsensitive) == 0; });
        if (it == table->fields.end() || it->type == ftBlob || it->type == ftGraphic)
          Raise(QStringLiteral("Field '%1' cannot be used as an index field").arg(n));
        // A string orders by its sort key when the store keeps one.
        orderBy << (it->name == table->sortKeySource ? table->sortKeyColumn : it->name);
        rangeFields << it->name;
      }
      orderBy << table->fields[0].name;
    } else {
      orderBy << table->fields[0].name;
    }
    d->rangeColumn = rangeFields.isEmpty() ? QString() : rangeFields.first();

    QStringList select;
    for (int c = 0; c < d->ColumnCount(); ++c)
      select << (d->IsBlobColumn(c) ? QStringLiteral("NULL") : table->fields[c].name);
    select << table->versionColumn;
    d->selectSql = QStringLiteral("SELECT %1 FROM %2").arg(select.join(QLatin1String(", ")), table->name);
    d->selectSql += d->rangeColumn.isEmpty() || !d->masterLink || !d->masterLink->DataSource()
                        ? QString()
                        : QStringLiteral(" WHERE %1 = ?").arg(d->rangeColumn);
    d->selectSql += QStringLiteral(" ORDER BY ") + orderBy.join(QLatin1String(", "));

    d->writable = QFileInfo(path).isWritable();
    BindFields();

    d->rangeSet = false;
    d->rangeValue = QVariant();
    if (d->masterLink && d->masterLink->DataSource() && !d->rangeColumn.isEmpty()) {
      TField* mf = d->masterLink->MasterField();
      d->rangeValue = mf ? mf->Value() : QVariant();
      d->rangeSet = true;
    }
    ReadRange(0, 0);
  } catch (...) {
    UnbindFields();
    d->CloseConnection();
    d->table = nullptr;
    throw;
  }
  current_ = rows_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.empty();
  SetState(dsBrowse);
  if (AfterOpen) AfterOpen(this);
}

void TTable::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(this);
  ClearBuffers();
  rows_.clear();
  current_ = -1;
  bof_ = eof_ = true;
  modified_ = false;
  SetState(dsInactive);
  UnbindFields();
  d->DropBlobCache();
  d->CloseConnection();
  d->table = nullptr;
}

void TTable::BindFields() {
  const StoreTable* t = d->table;
  if (fields_.isEmpty()) {
    for (const auto& sf : t->fields) {
      TField* f = nullptr;
      switch (sf.type) {
        case ftAutoInc: f = new TAutoIncField(this); break;
        case ftSmallint: f = new TSmallintField(this); break;
        case ftInteger: f = new TIntegerField(this); break;
        case ftString: f = new TStringField(this); break;
        case ftBlob: f = new TBlobField(this); break;
        default: f = new TGraphicField(this); break;
      }
      f->SetFieldName(sf.name);
      f->SetDataSet(this);
      d->defaultFields.push_back(f);
    }
  }
  for (TField* f : fields_) {
    int col = -1;
    for (int c = 0; c < d->ColumnCount(); ++c)
      if (t->fields[c].name.compare(f->FieldName(), Qt::CaseInsensitive) == 0) col = c;
    if (col < 0) Raise(QStringLiteral("Field '%1' not found").arg(f->FieldName()));
    const TFieldType want = t->fields[col].type;
    const bool blobs = (want == ftBlob || want == ftGraphic) && f->IsBlob();
    if (!blobs && want != f->DataType())
      Raise(QStringLiteral("Type mismatch for field '%1'").arg(f->FieldName()));
    f->column_ = col;
    if (want == ftString) f->size_ = t->fields[col].size;
  }
}

void TTable::UnbindFields() {
  for (TField* f : fields_) f->column_ = -1;
  auto defaults = std::move(d->defaultFields);
  d->defaultFields.clear();
  for (TField* f : defaults) delete f;
}

// ---- reading --------------------------------------------------------------------------------

void TTable::ReadRange(qint64 keepKey, int keepIndex) {
  rows_.clear();
  d->DropBlobCache();
  if (d->rangeSet && d->rangeValue.isNull()) {
    current_ = -1;
    return;
  }
  const int n = d->ColumnCount();
  const QString busy =
      QStringLiteral("The table %1 is busy: another program is writing to it. Try again in a moment.");

  // Straight from SQLite when the handle and the bound value allow it; any other failure is left
  // to the driver's path below, which reports it.
  bool direct = false;
  const int keyType = d->rangeValue.metaType().id();
  const bool intKey = keyType == QMetaType::Int || keyType == QMetaType::LongLong ||
                      keyType == QMetaType::UInt || keyType == QMetaType::Short;
  if (!d->rangeStmtTried) {
    d->rangeStmtTried = true;
    if (sqlite3* h = RawHandle(d->conn.Db())) {
      const QByteArray sql = d->selectSql.toUtf8();
      if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &d->rangeStmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(d->rangeStmt);
        d->rangeStmt = nullptr;
      }
    }
  }
  sqlite3_stmt* s = d->rangeStmt;
  if (s && sqlite3_bind_parameter_count(s) == (d->rangeSet ? 1 : 0) && (!d->rangeSet || intKey)) {
    if (d->rangeSet) sqlite3_bind_int64(s, 1, d->rangeValue.toLongLong());
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      Row r;
      r.values.resize(n);
      for (int c = 0; c < n; ++c)
        if (!d->IsBlobColumn(c)) r.values[c] = ColumnValue(s, c);
      r.key = r.values[0].toLongLong();
      r.version = sqlite3_column_int64(s, n);
      rows_.push_back(std::move(r));
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (rc == SQLITE_DONE) {
      direct = true;
    } else {
      rows_.clear();
      if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) Raise(busy.arg(d->TableLabel()));
    }
  }

  if (!direct) {
    QSqlQuery q(d->conn.Db());
    q.setForwardOnly(true);
    if (!q.prepare(d->selectSql)) Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
    if (d->rangeSet) q.addBindValue(d->rangeValue);
    if (!q.exec()) {
      if (IsBusy(q.lastError())) Raise(busy.arg(d->TableLabel()));
      Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
    }
    while (q.next()) {
      Row r;
      r.values.resize(n);
      for (int c = 0; c < n; ++c)
        if (!d->IsBlobColumn(c)) r.values[c] = q.value(c);
      r.key = r.values[0].toLongLong();
      r.version = q.value(n).toLongLong();
      rows_.push_back(std::move(r));
    }
    if (q.lastError().isValid()) Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
  }

  int found = -1;
  if (keepKey != 0)
    for (int i = 0; i < int(rows_.size()) && found < 0; ++i)
      if (rows_[i].key == keepKey) found = i;
  if (rows_.empty())
    current_ = -1;
  else if (found >= 0)
    current_ = found;
  else
    current_ = std::clamp(keepIndex, 0, int(rows_.size()) - 1);
}

void TTable::MasterChanged() {
  if (!Active() || d->rangeColumn.isEmpty()) return;
  CheckBrowseMode();
  TField* mf = d->masterLink ? d->masterLink->MasterField() : nullptr;
  const QVariant key = mf ? mf->Value() : QVariant();
  if (d->rangeSet && SameKey(key, d->rangeValue)) return;
  d->rangeValue = key;
  d->rangeSet = true;
  ReadRange(0, 0);
  current_ = rows_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.empty();
  DataEvent(deDataSetChange);
  if (AfterScroll) AfterScroll(this);
}

QVariant TTable::FieldValue(const TField* field) const {
  if (!Active() || field->column_ < 0) return QVariant();
  const int c = field->column_;
  if (field->IsBlob()) {
    if (current_ < 0) return QVariant();
    const QByteArray b = BlobValue(field);
    return b.isEmpty() ? QVariant() : QVariant(b);
  }
  if (IsEditMode(state_)) return d->buffer[c];
  if (current_ < 0) return QVariant();
  return rows_[current_].values[c];
}

QByteArray TTable::BlobValue(const TField* field) const {
  const int c = field->column_;
  if (c < 0 || current_ < 0) return QByteArray();
  if (IsEditMode(state_) && (d->blobLoaded[c] || state_ == dsInsert)) return d->buffer[c].toByteArray();
  const Row& r = rows_[current_];
  if (r.key == 0) return QByteArray();
  const qint64 version = state_ == dsEdit ? d->editVersion : r.version;
  if (d->blobKey != r.key || d->blobVersion != version) {
    d->blobKey = r.key;
    d->blobVersion = version;
    d->blobCache.assign(d->ColumnCount(), QByteArray());
    d->blobCached.assign(d->ColumnCount(), false);
  }
  if (!d->blobCached[c]) {
    QSqlQuery q(d->conn.Db());
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                  .arg(d->table->fields[c].name, d->table->name, d->KeyColumn()));
    q.addBindValue(r.key);
    if (!q.exec()) Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
    d->blobCache[c] = q.next() ? q.value(0).toByteArray() : QByteArray();
    d->blobCached[c] = true;
  }
  return d->blobCache[c];
}

QVariant TTable::RowValue(int index, const TField* field) const {
  if (!Active() || !field || field->column_ < 0 || index < 0 || index >= int(rows_.size())) return QVariant();
  if (field->IsBlob()) return QVariant();
  if (index == current_ && IsEditMode(state_)) return d->buffer[field->column_];
  return rows_[index].values[field->column_];
}

// ---- writing --------------------------------------------------------------------------------

void TTable::SetFieldValue(TField* field, const QVariant& value) {
  CheckActive();
  if (!IsEditMode(state_)) Raise(QString::fromLatin1(kNotEditing));
  if (field->column_ < 0) Raise(QStringLiteral("Field '%1' is not bound").arg(field->FieldName()));
  if (field->ReadOnly()) Raise(QStringLiteral("Field '%1' cannot be modified").arg(field->FieldName()));
  const QVariant v = field->Validate(value);
  const int c = field->column_;
  d->buffer[c] = v;
  d->changed[c] = true;
  if (field->IsBlob()) d->blobLoaded[c] = true;
  modified_ = true;
  DataEvent(deFieldChange, field);
  if (field->OnChange) field->OnChange(field);
}

void TTable::ClearBuffers() {
  d->buffer.clear();
  d->changed.clear();
  d->blobLoaded.clear();
  modified_ = false;
}

void TTable::Edit() {
  CheckActive();
  if (IsEditMode(state_)) return;
  if (rows_.empty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  // Read the record again, so the edit starts from what is stored now.
  Row& r = rows_[current_];
  QStringList cols;
  for (int c = 0; c < d->ColumnCount(); ++c) cols << (d->IsBlobColumn(c) ? QStringLiteral("NULL") : d->table->fields[c].name);
  QSqlQuery q(d->conn.Db());
  q.prepare(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ?")
                .arg(cols.join(QLatin1String(", ")), d->table->versionColumn, d->table->name, d->KeyColumn()));
  q.addBindValue(r.key);
  if (!q.exec()) {
    if (IsBusy(q.lastError()))
      Raise(QStringLiteral("The table %1 is busy: another program is writing to it. Try again in a moment.")
                .arg(d->TableLabel()));
    Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
  }
  if (!q.next()) Raise(QStringLiteral("The record was deleted by another user. Refresh to see the table as it is now."));
  const qint64 version = q.value(d->ColumnCount()).toLongLong();
  if (version != r.version) {
    for (int c = 0; c < d->ColumnCount(); ++c)
      if (!d->IsBlobColumn(c)) r.values[c] = q.value(c);
    r.version = version;
    d->DropBlobCache();
  }
  d->buffer = r.values;
  d->changed.assign(d->ColumnCount(), false);
  d->blobLoaded.assign(d->ColumnCount(), false);
  d->editVersion = r.version;
  modified_ = false;
  SetState(dsEdit);
  DataEvent(deRecordChange);
}

void TTable::Insert() { BeginInsertAppend(false); }
void TTable::Append() { BeginInsertAppend(true); }

void TTable::BeginInsertAppend(bool append) {
  CheckActive();
  CheckBrowseMode();
  CheckCanModify();
  Row r;
  r.values.resize(d->ColumnCount());
  const int pos = append || current_ < 0 ? int(rows_.size()) : current_;
  rows_.insert(rows_.begin() + pos, r);
  current_ = pos;
  d->buffer.assign(d->ColumnCount(), QVariant());
  d->changed.assign(d->ColumnCount(), false);
  d->blobLoaded.assign(d->ColumnCount(), true);
  // The new record belongs to the master's current record before anything else sees it.
  if (d->rangeSet && !d->rangeColumn.isEmpty()) {
    for (int c = 0; c < d->ColumnCount(); ++c)
      if (d->table->fields[c].name == d->rangeColumn) {
        d->buffer[c] = d->rangeValue;
        d->changed[c] = true;
      }
  }
  bof_ = eof_ = false;
  SetState(dsInsert);
  if (OnNewRecord) {
    try {
      OnNewRecord(this);
    } catch (...) {
      rows_.erase(rows_.begin() + current_);
      current_ = rows_.empty() ? -1 : std::min(current_, int(rows_.size()) - 1);
      ClearBuffers();
      SetState(dsBrowse);
      DataEvent(deDataSetChange);
      throw;
    }
  }
  modified_ = false;
  DataEvent(deDataSetChange);
}

void TTable::UpdateRecord() {
  if (!IsEditMode(state_)) Raise(QString::fromLatin1(kNotEditing));
  DataEvent(deUpdateRecord);
}

void TTable::Post() {
  CheckActive();
  UpdateRecord();
  DataEvent(deCheckBrowseMode);
  if (BeforePost) BeforePost(this);
  const StoreTable* t = d->table;
  const QString busy =
      QStringLiteral("The table %1 is busy: another program is writing to it. Your changes were not stored and are "
                     "still in the record; try again in a moment.")
          .arg(d->TableLabel());
  data::StoreConnection& conn = d->conn;
  QString error;
  if (!conn.Exec(QStringLiteral("BEGIN IMMEDIATE"), &error)) {
    if (error.contains(QLatin1String("locked"), Qt::CaseInsensitive) ||
        error.contains(QLatin1String("busy"), Qt::CaseInsensitive))
      Raise(busy);
    Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), error));
  }
  auto failWith = [&](const QString& text) {
    conn.Exec(QStringLiteral("ROLLBACK"), nullptr);
    Raise(text);
  };
  qint64 key = 0;
  QString sortKey;
  bool sortChanged = false;
  for (int c = 0; c < d->ColumnCount(); ++c)
    if (!t->sortKeyColumn.isEmpty() && t->fields[c].name == t->sortKeySource) {
      sortKey = data::SortKeyOf(d->buffer[c].toString());
      sortChanged = d->changed[c];
    }
  {
    QSqlQuery q(conn.Db());
    QStringList names;
    QVariantList values;
    for (int c = 1; c < d->ColumnCount(); ++c) {
      if (!d->changed[c] && state_ == dsEdit) continue;
      if (state_ == dsInsert && d->buffer[c].isNull()) continue;
      names << t->fields[c].name;
      QVariant v = d->buffer[c];
      if (d->IsBlobColumn(c) && !v.isNull()) v = QVariant(v.toByteArray());
      values << v;
    }
    if (!t->sortKeyColumn.isEmpty() && (state_ == dsInsert || sortChanged)) {
      names << t->sortKeyColumn;
      values << sortKey;
    }
    if (state_ == dsInsert) {
      QString sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(t->name)
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(t->name, names.join(QLatin1String(", ")),
                                               QStringList(names.size(), QStringLiteral("?")).join(QLatin1String(", ")));
      q.prepare(sql);
      for (const QVariant& v : values) q.addBindValue(v);
      if (!q.exec()) failWith(IsBusy(q.lastError()) ? busy : QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
      key = q.lastInsertId().toLongLong();
    } else {
      key = rows_[current_].key;
      QStringList sets;
      for (const QString& n : names) sets << n + QStringLiteral(" = ?");
      sets << t->versionColumn + QStringLiteral(" = ") + t->versionColumn + QStringLiteral(" + 1");
      q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ? AND %4 = ?")
                    .arg(t->name, sets.join(QLatin1String(", ")), d->KeyColumn(), t->versionColumn));
      for (const QVariant& v : values) q.addBindValue(v);
      q.addBindValue(key);
      q.addBindValue(d->editVersion);
      if (!q.exec()) failWith(IsBusy(q.lastError()) ? busy : QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
      if (q.numRowsAffected() == 0) {
        // Someone stored or deleted this record after we read it: never overwrite silently.
        QSqlQuery probe(conn.Db());
        probe.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(t->name, d->KeyColumn()));
        probe.addBindValue(key);
        const bool exists = probe.exec() && probe.next();
        probe.finish();
        failWith(exists ? QStringLiteral("The record was changed by another user since it was read. Your changes "
                                         "were not stored and are still in the record.")
                        : QStringLiteral("The record was deleted by another user. Your changes were not stored and "
                                         "are still in the record."));
      }
    }
  }
  if (!conn.Exec(QStringLiteral("COMMIT"), &error)) {
    const bool isBusy = error.contains(QLatin1String("locked"), Qt::CaseInsensitive) ||
                        error.contains(QLatin1String("busy"), Qt::CaseInsensitive);
    failWith(isBusy ? busy : QStringLiteral("%1: %2").arg(d->TableLabel(), error));
  }
  const int keepIndex = current_;
  ClearBuffers();
  SetState(dsBrowse);
  try {
    ReadRange(key, keepIndex);
  } catch (const EDatabaseError&) {
    // Stored; only the re-read failed. Show what we have and let the caller hear of it.
    DataEvent(deDataSetChange);
    throw;
  }
  DataEvent(deDataSetChange);
  if (AfterPost) AfterPost(this);
}

void TTable::Cancel() {
  if (!IsEditMode(state_)) return;
  DataEvent(deCheckBrowseMode);
  if (state_ == dsEdit && current_ >= 0) {
    // The edit may have been refused because another window stored this record meanwhile:
    // show what is stored now, not the copy read before, so the user sees the other text.
    Row& r = rows_[current_];
    QStringList cols;
    for (int c = 0; c < d->ColumnCount(); ++c) cols << (d->IsBlobColumn(c) ? QStringLiteral("NULL") : d->table->fields[c].name);
    QSqlQuery q(d->conn.Db());
    q.prepare(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ?")
                  .arg(cols.join(QLatin1String(", ")), d->table->versionColumn, d->table->name, d->KeyColumn()));
    q.addBindValue(r.key);
    // A failed read only leaves the old copy on show; cancelling itself must not fail.
    if (q.exec() && q.next()) {
      const qint64 version = q.value(d->ColumnCount()).toLongLong();
      if (version != r.version) {
        for (int c = 0; c < d->ColumnCount(); ++c)
          if (!d->IsBlobColumn(c)) r.values[c] = q.value(c);
        r.version = version;
        d->DropBlobCache();
      }
    }
  }
  if (state_ == dsInsert) {
    rows_.erase(rows_.begin() + current_);
    if (rows_.empty())
      current_ = -1;
    else
      current_ = std::min(current_, int(rows_.size()) - 1);
  }
  ClearBuffers();
  SetState(dsBrowse);
  bof_ = eof_ = rows_.empty();
  DataEvent(deDataSetChange);
  if (AfterCancel) AfterCancel(this);
}

void TTable::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (rows_.empty()) Raise(QString::fromLatin1(kEmpty));
  DataEvent(deCheckBrowseMode);
  CheckCanModify();
  const StoreTable* t = d->table;
  const Row& r = rows_[current_];
  const qint64 version = state_ == dsEdit ? d->editVersion : r.version;
  QSqlQuery q(d->conn.Db());
  q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?").arg(t->name, d->KeyColumn(), t->versionColumn));
  q.addBindValue(r.key);
  q.addBindValue(version);
  // One statement is one transaction in SQLite.
  if (!q.exec()) {
    if (IsBusy(q.lastError()))
      Raise(QStringLiteral("The table %1 is busy: another program is writing to it. The record was not deleted; "
                           "try again in a moment.")
                .arg(d->TableLabel()));
    Raise(QStringLiteral("%1: %2").arg(d->TableLabel(), q.lastError().text()));
  }
  if (q.numRowsAffected() == 0)
    Raise(QStringLiteral("The record was changed or deleted by another user since it was read. It was not deleted."));
  const int keepIndex = current_;
  ClearBuffers();
  SetState(dsBrowse);
  ReadRange(0, keepIndex);
  bof_ = eof_ = rows_.empty();
  DataEvent(deDataSetChange);
  if (AfterDelete) AfterDelete(this);
}

void TTable::Refresh() {
  CheckBrowseMode();
  const qint64 key = current_ >= 0 ? rows_[current_].key : 0;
  ReadRange(key, current_);
  bof_ = eof_ = rows_.empty();
  DataEvent(deDataSetChange);
}

void TTable::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (IsEditMode(state_)) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  }
}

// ---- moving ---------------------------------------------------------------------------------

int TTable::RecNo() const { return Active() && current_ >= 0 ? current_ + 1 : 0; }
int TTable::RecordCount() const { return Active() ? int(rows_.size()) : 0; }
bool TTable::IsEmpty() const { return rows_.empty(); }

void TTable::MoveTo(int index, bool notify) {
  const int old = current_;
  current_ = index;
  if (notify) {
    DataEvent(deDataSetScroll, nullptr, index - old);
    if (AfterScroll) AfterScroll(this);
  }
}

void TTable::First() {
  CheckBrowseMode();
  MoveTo(rows_.empty() ? -1 : 0, false);
  bof_ = true;
  eof_ = rows_.empty();
  DataEvent(deDataSetChange);
  if (AfterScroll) AfterScroll(this);
}

void TTable::Last() {
  CheckBrowseMode();
  MoveTo(int(rows_.size()) - 1, false);
  eof_ = true;
  bof_ = rows_.empty();
  DataEvent(deDataSetChange);
  if (AfterScroll) AfterScroll(this);
}

void TTable::Next() { MoveBy(1); }
void TTable::Prior() { MoveBy(-1); }

int TTable::MoveBy(int distance) {
  CheckBrowseMode();
  if (rows_.empty() || distance == 0) {
    if (rows_.empty()) bof_ = eof_ = true;
    return 0;
  }
  const int target = std::clamp(current_ + distance, 0, int(rows_.size()) - 1);
  const int moved = target - current_;
  bof_ = distance < 0 && moved != distance;
  eof_ = distance > 0 && moved != distance;
  MoveTo(target, true);
  return moved;
}

void TTable::SetRecNo(int n) {
  CheckActive();
  // End a pending edit of this table only; its dependants keep theirs unless it really moves.
  if (IsEditMode(state_)) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  }
  if (n == RecNo()) return;
  if (n < 1 || n > int(rows_.size())) return;
  DataEvent(deCheckBrowseMode);
  current_ = n - 1;
  bof_ = eof_ = false;
  DataEvent(deDataSetChange);
  if (AfterScroll) AfterScroll(this);
}

// ---- fields and notifications ---------------------------------------------------------------

TField* TTable::FindField(const QString& name) const {
  for (TField* f : fields_)
    if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
  return nullptr;
}

TField* TTable::FieldByName(const QString& name) const {
  TField* f = FindField(name);
  if (!f) Raise(QStringLiteral("Field '%1' not found").arg(name));
  return f;
}

void TTable::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  DataEvent(deUpdateState);
}

void TTable::DataEvent(TDataEvent event, TField* field, int info) {
  // A handler may remove a data source while we go through them.
  for (TDataSource* s : std::vector<TDataSource*>(sources_))
    if (std::find(sources_.begin(), sources_.end(), s) != sources_.end()) s->DataEvent(event, field, info);
}

// ---------------------------------------------------------------------------------------------
// Fields

TField::TField(QObject* owner) : QObject(owner) {}
TField::TField(TFieldType type, int size, QObject* owner) : QObject(owner), dataType_(type), size_(size) {}

TField::~TField() {
  if (!dataSet_) return;
  TTable* t = dataSet_;
  t->fields_.removeAll(this);
  dataSet_ = nullptr;
  // Links bound to this field look their field up again.
  if (t->Active()) t->DataEvent(deLayoutChange);
}

void TField::SetFieldName(const QString& name) {
  if (fieldName_ == name) return;
  if (dataSet_ && dataSet_->Active()) Raise(QStringLiteral("Cannot rename a field of an open dataset"));
  fieldName_ = name;
}

void TField::SetDataSet(TTable* dataSet) {
  if (dataSet_ == dataSet) return;
  if ((dataSet_ && dataSet_->Active()) || (dataSet && dataSet->Active()))
    Raise(QStringLiteral("Cannot change the fields of an open dataset"));
  if (dataSet_) dataSet_->fields_.removeAll(this);
  dataSet_ = dataSet;
  column_ = -1;
  if (dataSet_) dataSet_->fields_.append(this);
}

void TField::SetReadOnly(bool value) { readOnly_ = value; }
void TField::SetVisible(bool value) { visible_ = value; }
void TField::SetDisplayLabel(const QString& value) { displayLabel_ = value; }

int TField::DisplayWidth() const {
  switch (dataType_) {
    case ftString: return size_ > 0 ? size_ : 20;
    case ftSmallint: return 6;
    case ftInteger:
    case ftAutoInc: return 11;
    default: return 10;
  }
}

Qt::Alignment TField::Alignment() const {
  return dataType_ == ftSmallint || dataType_ == ftInteger || dataType_ == ftAutoInc ? Qt::AlignRight : Qt::AlignLeft;
}

int TField::Index() const { return dataSet_ ? int(dataSet_->fields_.indexOf(const_cast<TField*>(this))) : -1; }

bool TField::IsNull() const { return Value().isNull(); }

QVariant TField::Value() const { return dataSet_ ? dataSet_->FieldValue(this) : QVariant(); }

void TField::SetValue(const QVariant& value) {
  if (!dataSet_) Raise(QStringLiteral("Field '%1' has no dataset").arg(fieldName_));
  dataSet_->SetFieldValue(this, value);
}

QString TField::AsString() const {
  const QVariant v = Value();
  if (v.isNull()) return QString();
  if (IsBlob()) return QString::fromLatin1(v.toByteArray());
  return v.toString();
}

void TField::SetAsString(const QString& value) {
  if (IsBlob()) {
    SetValue(QVariant(value.toLatin1()));
    return;
  }
  if (dataType_ != ftString && value.trimmed().isEmpty()) {
    SetValue(QVariant());
    return;
  }
  SetValue(value);
}

int TField::AsInteger() const { return Value().toInt(); }
void TField::SetAsInteger(int value) { SetValue(value); }

QString TField::DisplayText() const {
  if (IsBlob()) return IsNull() ? QStringLiteral("(graphic)") : QStringLiteral("(GRAPHIC)");
  return AsString();
}

bool TField::IsValidChar(QChar c) const { return !c.isNull(); }

bool TField::CanModify() const {
  if (readOnly_) return false;
  return !dataSet_ || dataSet_->CanModify();
}

void TField::FocusControl() {
  if (!dataSet_) return;
  TField* f = this;
  for (TDataSource* s : std::vector<TDataSource*>(dataSet_->sources_)) {
    if (!f) break;
    s->DataEvent(deFocusControl, f, 0);
    // A link that took the focus clears the reference through its FocusControl.
  }
}

QVariant TField::Validate(const QVariant& value) const { return value; }

static QVariant ValidateInteger(const TField* f, const QVariant& value, qint64 low, qint64 high) {
  if (value.isNull()) return QVariant();
  bool ok = false;
  qint64 v = value.toLongLong(&ok);
  if (!ok) {
    const QString s = value.toString().trimmed();
    v = s.toLongLong(&ok);
    if (!ok) Raise(QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(s, f->FieldName()));
  }
  if (v < low || v > high)
    Raise(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
              .arg(v)
              .arg(f->FieldName())
              .arg(low)
              .arg(high));
  return QVariant(int(v));
}

static bool IsIntegerChar(QChar c) { return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-'); }

TAutoIncField::TAutoIncField(QObject* owner) : TField(ftAutoInc, 0, owner) { TField::SetReadOnly(true); }
bool TAutoIncField::IsValidChar(QChar c) const { return IsIntegerChar(c); }

TSmallintField::TSmallintField(QObject* owner) : TField(ftSmallint, 0, owner) {}
bool TSmallintField::IsValidChar(QChar c) const { return IsIntegerChar(c); }
QVariant TSmallintField::Validate(const QVariant& value) const { return ValidateInteger(this, value, -32768, 32767); }

TIntegerField::TIntegerField(QObject* owner) : TField(ftInteger, 0, owner) {}
bool TIntegerField::IsValidChar(QChar c) const { return IsIntegerChar(c); }
QVariant TIntegerField::Validate(const QVariant& value) const {
  return ValidateInteger(this, value, -2147483647LL - 1, 2147483647LL);
}

TStringField::TStringField(QObject* owner) : TField(ftString, 20, owner) {}
QVariant TStringField::Validate(const QVariant& value) const {
  if (value.isNull()) return QVariant();
  QString s = value.toString();
  // The field is as wide as declared, counted in characters (a pair of UTF-16 surrogates is one,
  // and is never split); what is beyond the width is not kept.
  if (Size() > 0 && s.size() > Size()) {
    int chars = 0;
    qsizetype i = 0;
    while (i < s.size() && chars < Size()) {
      i += (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ? 2 : 1;
      ++chars;
    }
    s.truncate(i);
  }
  return s;
}

TBlobField::TBlobField(QObject* owner) : TField(ftBlob, 0, owner) {}
TBlobField::TBlobField(TFieldType type, QObject* owner) : TField(type, 0, owner) {}
TGraphicField::TGraphicField(QObject* owner) : TBlobField(ftGraphic, owner) {}

QByteArray TBlobField::AsBytes() const {
  TTable* t = DataSet();
  return t && t->Active() ? t->BlobValue(this) : QByteArray();
}

void TBlobField::SetAsBytes(const QByteArray& value) { SetValue(value.isEmpty() ? QVariant() : QVariant(value)); }

void TBlobField::SaveToStream(QIODevice* stream) const {
  const QByteArray b = AsBytes();
  if (stream->write(b) != b.size()) Raise(QStringLiteral("Cannot write the value of field '%1' to the stream").arg(FieldName()));
}

void TBlobField::LoadFromStream(QIODevice* stream) { SetAsBytes(stream->readAll()); }

namespace {
class BlobWriteStream : public QBuffer {
 public:
  explicit BlobWriteStream(TBlobField* field) : field_(field) {}
  ~BlobWriteStream() override {
    try {
      BlobWriteStream::close();
    } catch (const EDatabaseError&) {
    }
  }
  void close() override {
    if (isOpen() && (openMode() & QIODevice::WriteOnly) && field_) {
      TBlobField* f = field_;
      field_ = nullptr;
      const QByteArray bytes = buffer();
      QBuffer::close();
      f->SetAsBytes(bytes);
      return;
    }
    QBuffer::close();
  }

 private:
  TBlobField* field_;
};
}  // namespace

std::unique_ptr<QIODevice> TBlobField::CreateBlobStream(TBlobStreamMode mode) {
  if (mode == bmRead) {
    auto b = std::make_unique<QBuffer>();
    b->setData(AsBytes());
    b->open(QIODevice::ReadOnly);
    return b;
  }
  auto b = std::make_unique<BlobWriteStream>(this);
  if (mode == bmReadWrite) b->setData(AsBytes());
  b->open(mode == bmWrite ? (QIODevice::WriteOnly | QIODevice::Truncate) : QIODevice::ReadWrite);
  return b;
}

// ---------------------------------------------------------------------------------------------
// Data source

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource() {
  Teardown teardown;
  SetDataSet(nullptr);
  for (TDataLink* l : std::vector<TDataLink*>(links_)) l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TTable* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_) {
    auto& v = dataSet_->sources_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->sources_.push_back(this);
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

void TDataSource::UpdateState() {
  const TDataSetState s = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
  if (s == state_) return;
  const TDataSetState prior = state_;
  state_ = s;
  for (TDataLink* l : std::vector<TDataLink*>(links_)) l->DataEvent(deUpdateState, nullptr, 0);
  if (OnStateChange) OnStateChange();
  if (prior == dsInactive && OnDataChange) OnDataChange(nullptr);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  const std::vector<TDataLink*> links(links_);
  auto still = [this](TDataLink* l) { return std::find(links_.begin(), links_.end(), l) != links_.end(); };
  // Detail datasets first, so controls see the records they will show.
  for (TDataLink* l : links)
    if (!l->visualControl_ && still(l)) l->DataEvent(event, field, info);
  switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(event == deFieldChange ? field : nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData();
      break;
    default: break;
  }
  for (TDataLink* l : links)
    if (l->visualControl_ && still(l)) l->DataEvent(event, field, info);
}

// ---------------------------------------------------------------------------------------------
// Data links

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (dataSource_) {
    auto& v = dataSource_->links_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    dataSource_ = nullptr;
  }
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (dataSource_ == source) return;
  if (dataSource_) {
    auto& v = dataSource_->links_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  dataSource_ = source;
  if (dataSource_) dataSource_->links_.push_back(this);
  UpdateActive();
}

TTable* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  readOnly_ = value;
  // Editing of a field link depends on it.
  EditingChanged();
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  try {
    UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TDataLink::DataSetChanged() { RecordChanged(nullptr); }
void TDataLink::DataSetScrolled(int distance) {
  (void)distance;
  DataSetChanged();
}
void TDataLink::LayoutChanged() { DataSetChanged(); }

void TDataLink::UpdateActive() {
  const bool active = dataSource_ && dataSource_->State() != dsInactive;
  if (active != active_) {
    active_ = active;
    ActiveChanged();
  }
  SetEditing(dataSource_ && IsEditMode(dataSource_->State()));
}

void TDataLink::SetEditing(bool value) {
  if (editing_ == value) return;
  editing_ = value;
  EditingChanged();
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int info) {
  if (event == deUpdateState) {
    UpdateActive();
    return;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(field);
      break;
    case deDataSetChange: DataSetChanged(); break;
    case deDataSetScroll: DataSetScrolled(info); break;
    case deLayoutChange: LayoutChanged(); break;
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: {
      TField* f = field;
      FocusControl(&f);
      break;
    }
    default: break;
  }
}

// ---- field data link ----

TFieldDataLink::TFieldDataLink() = default;

void TFieldDataLink::SetFieldName(const QString& name) {
  if (fieldName_ == name) return;
  fieldName_ = name;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  if (Active() && !fieldName_.isEmpty()) {
    field_ = nullptr;
    SetField(DataSet() ? DataSet()->FindField(fieldName_) : nullptr);
  } else {
    SetField(nullptr);
  }
}

void TFieldDataLink::SetField(TField* field) {
  if (field_ == field) return;
  field_ = field;
  EditingChanged();
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ && field_->CanModify(); }

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return fieldEditing_;
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange();
}

void TFieldDataLink::EditingChanged() { SetFieldEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::SetFieldEditing(bool value) {
  if (fieldEditing_ == value) return;
  fieldEditing_ = value;
  modified_ = false;
  if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::FocusControl(TField** field) {
  if (!field || !*field || *field != field_) return;
  if (auto* w = qobject_cast<QWidget*>(control_)) {
    if (w->isEnabled() && w->isVisible()) {
      *field = nullptr;
      w->setFocus();
    }
  }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field == nullptr || field == field_) {
    if (OnDataChange) OnDataChange();
    modified_ = false;
  }
}

void TFieldDataLink::UpdateData() {
  if (modified_) {
    if (field_ && OnUpdateData) OnUpdateData();
    modified_ = false;
  }
}
