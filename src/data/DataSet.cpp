#include "data/DataSet.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

#include "base/ScopeGuard.h"
#include "data/GlossaryStore.h"
#include "data/TableStore.h"
#include "data/Teardown.h"

namespace data {

namespace {

const char* const kNotEditing = "Dataset not in edit or insert mode";
const char* const kClosed = "Cannot perform this operation on a closed dataset";
const char* const kEmpty = "Cannot perform this operation on an empty dataset";
const char* const kCannotModify = "Cannot modify a read-only dataset";

// What the user is told when the store refuses an operation; nullptr: the store's own text.
struct Refusal {
  const char* busy;  // follows "The table X is busy: another program is writing to it."
  const char* conflict;
  const char* gone;
  const char* damaged = QT_TRANSLATE_NOOP("DataSet", "Nothing was changed.");  // what became of the user's work
  const char* full = QT_TRANSLATE_NOOP("DataSet", "Nothing was changed; try again once there is space.");
};

const Refusal kReadRefusal{QT_TRANSLATE_NOOP("DataSet", "Try again in a moment."), nullptr,
                           QT_TRANSLATE_NOOP("DataSet", "The record was deleted by another user. Refresh to see the table as it is now.")};
const Refusal kPostRefusal{
    QT_TRANSLATE_NOOP("DataSet", "Your changes were not stored and are still in the record; try again in a moment."),
    QT_TRANSLATE_NOOP("DataSet", "The record was changed by another user since it was read. Your changes were not stored and are still in "
    "the record."),
    QT_TRANSLATE_NOOP("DataSet", "The record was deleted by another user. Your changes were not stored and are still in the record."),
    QT_TRANSLATE_NOOP("DataSet", "Your changes were not stored and are still in the record; nothing else was changed."),
    QT_TRANSLATE_NOOP("DataSet", "Your changes were not stored and are still in the window: make room on the disk, then "
                                 "post them again.")};
const Refusal kDeleteRefusal{
    QT_TRANSLATE_NOOP("DataSet", "The record was not deleted; try again in a moment."),
    QT_TRANSLATE_NOOP("DataSet", "The record was changed or deleted by another user since it was read. It was not deleted."), nullptr,
    QT_TRANSLATE_NOOP("DataSet", "The record was not deleted; nothing was changed."),
    QT_TRANSLATE_NOOP("DataSet", "The record was not deleted; delete it again once there is space.")};

[[noreturn]] void Refuse(const StoreResult& r, const TableStore& store, const Refusal& words) {
  const QString table = store.Label();
  switch (r.status) {
    case StoreStatus::Damaged:
      DatabaseError(DamagedFileMessage(store.Path(), r.error, QCoreApplication::translate("DataSet", words.damaged)));
    case StoreStatus::Busy:
      if (words.busy)
        DatabaseError(QCoreApplication::translate("DataSet", "The table %1 is busy: another program is writing to it. %2")
                          .arg(table, QCoreApplication::translate("DataSet", words.busy)));
      break;
    case StoreStatus::Conflict:
      if (words.conflict) DatabaseError(QCoreApplication::translate("DataSet", words.conflict));
      break;
    case StoreStatus::Gone:
      if (words.gone) DatabaseError(QCoreApplication::translate("DataSet", words.gone));
      break;
    case StoreStatus::FileError: DatabaseError(r.error);
    case StoreStatus::DiskFull:
      DatabaseError(QCoreApplication::translate("DataSet", "The disk that holds the table file %1 is full (%2). %3")
                        .arg(QDir::toNativeSeparators(store.Path()), r.error, QCoreApplication::translate("DataSet", words.full)));
    default: break;
  }
  DatabaseError(QStringLiteral("%1: %2").arg(table, r.error));
}

bool SameKey(const QVariant& a, const QVariant& b) {
  if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
  return a.toLongLong() == b.toLongLong();
}

}  // namespace

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
    if (!Active() && detail::TearingDown()) return;
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
  TableStore store;
  // The current range, as keys and short values; BLOBs are read for the current row on demand.
  std::vector<StoredRow> rows;
  QVariant rangeValue;
  bool rangeSet = false;
  std::vector<TField*> defaultFields;
  std::unique_ptr<TMasterDataLink> masterLink;
  // Edit buffer: one value per declared column; `changed` marks what the user set.
  std::vector<QVariant> buffer;
  std::vector<bool> changed;
  std::vector<bool> blobLoaded;
  QVariant editVersion;
  // The current record's BLOBs, read on demand.
  qint64 blobKey = -1;
  QVariant blobVersion;
  std::vector<QByteArray> blobCache;
  std::vector<bool> blobCached;

  const StoreTable& Table() const { return store.Table(); }
  int ColumnCount() const { return int(Table().fields.size()); }
  void DropBlobCache() {
    blobKey = -1;
    blobVersion = QVariant();
  }
  // Takes what is stored now for a row read before, when someone stored it since.
  void Refreshed(StoredRow& row, const StoredRow& now) {
    if (now.version == row.version) return;
    row.values = now.values;
    row.version = now.version;
    DropBlobCache();
  }
};

TTable::TTable(QObject* owner) : QObject(owner), d_(std::make_unique<Impl>()) {}

TTable::~TTable() {
  detail::Teardown teardown;
  // Closing without storing: a pending edit is lost, as when the program ends.
  try {
    Close();
  } catch (const EDatabaseError&) {
  }
  for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->SetDataSet(nullptr);
  d_->masterLink.reset();
  for (TField* f : fields_) f->dataSet_ = nullptr;
  fields_.clear();
}

void TTable::SetDatabaseName(const QString& folder) {
  if (databaseName_ == folder) return;
  if (Active()) DatabaseError(QString::fromLatin1(kCannotModify) + QStringLiteral(": the table is open"));
  databaseName_ = folder;
}

void TTable::SetTableName(const QString& name) {
  if (tableName_ == name) return;
  if (Active()) DatabaseError(QStringLiteral("Cannot change the table name of an open table"));
  tableName_ = name;
}

// An index name and index field names exclude each other: setting one clears the other.
void TTable::SetIndexName(const QString& name) { SetOrder(name, name.isEmpty() ? indexFieldNames_ : QString()); }

void TTable::SetIndexFieldNames(const QString& names) { SetOrder(names.isEmpty() ? indexName_ : QString(), names); }

void TTable::SetOrder(const QString& indexName, const QString& indexFieldNames) {
  if (indexName_ == indexName && indexFieldNames_ == indexFieldNames) return;
  indexName_ = indexName;
  indexFieldNames_ = indexFieldNames;
  // An open table reads its rows again in the new order.
  if (Active()) {
    Close();
    Open();
  }
}

TDataSource* TTable::MasterSource() const { return d_->masterLink ? d_->masterLink->DataSource() : nullptr; }

void TTable::SetMasterSource(TDataSource* source) {
  if (MasterSource() == source) return;
  if (source && source->DataSet() == this) DatabaseError(QStringLiteral("Circular data link"));
  if (!d_->masterLink) d_->masterLink = std::make_unique<TMasterDataLink>(this);
  d_->masterLink->SetDataSource(source);
}

void TTable::SetMasterFields(const QString& names) {
  if (masterFields_ == names) return;
  masterFields_ = names;
  if (Active()) MasterChanged();
}

void TTable::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  if (Active()) DatabaseError(QStringLiteral("Cannot change ReadOnly of an open table"));
  readOnly_ = value;
}

void TTable::SetActive(bool value) {
  if (value)
    Open();
  else
    Close();
}

void TTable::CheckActive() const {
  if (!Active()) DatabaseError(QString::fromLatin1(kClosed));
}

void TTable::CheckCanModify() const {
  if (CanModify()) return;
  if (Active() && !d_->store.Writable()) DatabaseError(d_->store.ReadOnlyReason());
  DatabaseError(QString::fromLatin1(kCannotModify));
}

bool TTable::CanModify() const { return Active() && !readOnly_ && d_->store.Writable(); }

QString TTable::ReadOnlyReason() const { return Active() ? d_->store.ReadOnlyReason() : QString(); }

// ---- opening and closing --------------------------------------------------------------------

void TTable::Open() {
  if (Active()) return;
  const StoreTable* table = FindStoreTable(tableName_);
  if (!table) DatabaseError(QStringLiteral("Table does not exist: %1").arg(tableName_));
  TableStore& store = d_->store;
  if (const StoreResult r = store.Open(databaseName_, *table, busyTimeoutMs_); !r.Ok()) DatabaseError(r.error);
  base::ScopeGuard closeOnFailure([&] {
    UnbindFields();
    store.Close();
  });
  if (const StoreResult r = store.SetOrder(indexName_, indexFieldNames_); !r.Ok()) DatabaseError(r.error);
  BindFields();
  d_->rangeSet = false;
  d_->rangeValue = QVariant();
  if (d_->masterLink && d_->masterLink->DataSource() && store.RangeField() >= 0) {
    TField* mf = d_->masterLink->MasterField();
    d_->rangeValue = mf ? mf->Value() : QVariant();
    d_->rangeSet = true;
  }
  ReadRange(0, 0);
  closeOnFailure.Dismiss();
  current_ = d_->rows.empty() ? -1 : 0;
  bof_ = true;
  eof_ = d_->rows.empty();
  SetState(dsBrowse);
  if (AfterOpen) AfterOpen(this);
}

void TTable::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(this);
  ClearBuffers();
  d_->rows.clear();
  current_ = -1;
  bof_ = eof_ = true;
  modified_ = false;
  SetState(dsInactive);
  UnbindFields();
  d_->DropBlobCache();
  d_->store.Close();
}

void TTable::BindFields() {
  const StoreTable& t = d_->Table();
  if (fields_.isEmpty()) {
    for (const auto& sf : t.fields) {
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
      d_->defaultFields.push_back(f);
    }
  }
  for (TField* f : fields_) {
    int col = -1;
    for (int c = 0; c < d_->ColumnCount(); ++c)
      if (t.fields[c].name.compare(f->FieldName(), Qt::CaseInsensitive) == 0) col = c;
    if (col < 0) DatabaseError(QStringLiteral("Field '%1' not found").arg(f->FieldName()));
    const TFieldType want = t.fields[col].type;
    const bool blobs = IsBlobType(want) && f->IsBlob();
    if (!blobs && want != f->DataType())
      DatabaseError(QStringLiteral("Type mismatch for field '%1'").arg(f->FieldName()));
    f->column_ = col;
    if (want == ftString) f->size_ = t.fields[col].size;
  }
}

void TTable::UnbindFields() {
  for (TField* f : fields_) f->column_ = -1;
  auto defaults = std::move(d_->defaultFields);
  d_->defaultFields.clear();
  for (TField* f : defaults) delete f;
}

// ---- reading --------------------------------------------------------------------------------

void TTable::ReadRange(qint64 keepKey, int keepIndex) {
  std::vector<StoredRow>& rows = d_->rows;
  rows.clear();
  d_->DropBlobCache();
  if (d_->rangeSet && d_->rangeValue.isNull()) {
    current_ = -1;
    return;
  }
  const StoreResult r = d_->store.ReadRange(d_->rangeSet ? &d_->rangeValue : nullptr, &rows);
  if (!r.Ok()) {
    // Nothing was read: no current record, rather than a position past the end of the range.
    current_ = -1;
    bof_ = eof_ = true;
    Refuse(r, d_->store, kReadRefusal);
  }
  int found = -1;
  if (keepKey != 0)
    for (int i = 0; i < int(rows.size()) && found < 0; ++i)
      if (rows[i].key == keepKey) found = i;
  if (rows.empty())
    current_ = -1;
  else if (found >= 0)
    current_ = found;
  else
    current_ = std::clamp(keepIndex, 0, int(rows.size()) - 1);
}

void TTable::MasterChanged() {
  if (!Active() || d_->store.RangeField() < 0) return;
  CheckBrowseMode();
  TField* mf = d_->masterLink ? d_->masterLink->MasterField() : nullptr;
  const QVariant key = mf ? mf->Value() : QVariant();
  if (d_->rangeSet && SameKey(key, d_->rangeValue)) return;
  // The new range is read before anything changes: one that cannot be read leaves this table on
  // the rows it shows, and the master that moved goes back to match it.
  std::vector<StoredRow> rows;
  if (!key.isNull()) {
    if (const StoreResult r = d_->store.ReadRange(&key, &rows); !r.Ok()) Refuse(r, d_->store, kReadRefusal);
  }
  d_->rows = std::move(rows);
  d_->DropBlobCache();
  d_->rangeValue = key;
  d_->rangeSet = true;
  current_ = d_->rows.empty() ? -1 : 0;
  bof_ = true;
  eof_ = d_->rows.empty();
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
  if (IsEditMode(state_)) return d_->buffer[c];
  if (current_ < 0) return QVariant();
  return d_->rows[current_].values[c];
}

QByteArray TTable::BlobValue(const TField* field) const {
  const int c = field->column_;
  if (c < 0 || current_ < 0) return QByteArray();
  if (IsEditMode(state_) && (d_->blobLoaded[c] || state_ == dsInsert)) return d_->buffer[c].toByteArray();
  const StoredRow& r = d_->rows[current_];
  if (r.key == 0) return QByteArray();
  const QVariant version = state_ == dsEdit ? d_->editVersion : r.version;
  if (d_->blobKey != r.key || d_->blobVersion != version) {
    d_->blobKey = r.key;
    d_->blobVersion = version;
    d_->blobCache.assign(d_->ColumnCount(), QByteArray());
    d_->blobCached.assign(d_->ColumnCount(), false);
  }
  if (!d_->blobCached[c]) {
    const StoreResult res = d_->store.ReadBlob(r.key, c, &d_->blobCache[c]);
    if (!res.Ok()) Refuse(res, d_->store, kReadRefusal);
    d_->blobCached[c] = true;
  }
  return d_->blobCache[c];
}

QVariant TTable::RowValue(int index, const TField* field) const {
  if (!Active() || !field || field->column_ < 0 || index < 0 || index >= int(d_->rows.size())) return QVariant();
  if (field->IsBlob()) return QVariant();
  if (index == current_ && IsEditMode(state_)) return d_->buffer[field->column_];
  return d_->rows[index].values[field->column_];
}

// ---- writing --------------------------------------------------------------------------------

void TTable::SetFieldValue(TField* field, const QVariant& value) {
  CheckActive();
  if (!IsEditMode(state_)) DatabaseError(QString::fromLatin1(kNotEditing));
  if (field->column_ < 0) DatabaseError(QStringLiteral("Field '%1' is not bound").arg(field->FieldName()));
  if (field->ReadOnly()) DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field->FieldName()));
  const QVariant v = field->Validate(value);
  const int c = field->column_;
  d_->buffer[c] = v;
  d_->changed[c] = true;
  if (field->IsBlob()) d_->blobLoaded[c] = true;
  modified_ = true;
  DataEvent(deFieldChange, field);
  if (field->OnChange) field->OnChange(field);
}

void TTable::ClearBuffers() {
  d_->buffer.clear();
  d_->changed.clear();
  d_->blobLoaded.clear();
  modified_ = false;
}

void TTable::Edit() {
  CheckActive();
  if (IsEditMode(state_)) return;
  if (d_->rows.empty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  // Read the record again, so the edit starts from what is stored now.
  StoredRow& r = d_->rows[current_];
  StoredRow now;
  if (const StoreResult res = d_->store.ReadRow(r.key, &now); !res.Ok()) Refuse(res, d_->store, kReadRefusal);
  d_->Refreshed(r, now);
  d_->buffer = r.values;
  d_->changed.assign(d_->ColumnCount(), false);
  d_->blobLoaded.assign(d_->ColumnCount(), false);
  d_->editVersion = r.version;
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
  // A detail record belongs to its master's current record; with none there is nothing to add
  // it to, and a record stored under no key would belong to nothing the program can show.
  if (d_->rangeSet && d_->rangeValue.isNull() && d_->store.RangeField() >= 0) {
    TTable* master = d_->masterLink ? d_->masterLink->DataSet() : nullptr;
    DatabaseError(QStringLiteral("There is nothing to add the record to: the table %1 has no current record.")
                      .arg(master ? master->TableName() : QStringLiteral("of the master")));
  }
  StoredRow r;
  r.values.resize(d_->ColumnCount());
  const int pos = append || current_ < 0 ? int(d_->rows.size()) : current_;
  d_->rows.insert(d_->rows.begin() + pos, std::move(r));
  current_ = pos;
  d_->buffer.assign(d_->ColumnCount(), QVariant());
  d_->changed.assign(d_->ColumnCount(), false);
  d_->blobLoaded.assign(d_->ColumnCount(), true);
  // The new record belongs to the master's current record before anything else sees it.
  if (const int c = d_->store.RangeField(); d_->rangeSet && c >= 0) {
    d_->buffer[c] = d_->rangeValue;
    d_->changed[c] = true;
  }
  bof_ = eof_ = false;
  SetState(dsInsert);
  if (OnNewRecord) {
    // A handler that fails leaves no new record behind. Not a scope guard: telling the controls
    // runs their code, which may throw, and must not do so while unwinding.
    try {
      OnNewRecord(this);
    } catch (...) {
      d_->rows.erase(d_->rows.begin() + current_);
      current_ = d_->rows.empty() ? -1 : std::min(current_, int(d_->rows.size()) - 1);
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
  if (!IsEditMode(state_)) DatabaseError(QString::fromLatin1(kNotEditing));
  DataEvent(deUpdateRecord);
}

void TTable::Post() {
  CheckActive();
  UpdateRecord();
  DataEvent(deCheckBrowseMode);
  if (BeforePost) BeforePost(this);
  // An edit stores what the user changed; a new record everything it holds.
  StoreValues values;
  for (int c = 1; c < d_->ColumnCount(); ++c) {
    if (state_ == dsEdit && !d_->changed[c]) continue;
    if (state_ == dsInsert && d_->buffer[c].isNull()) continue;
    values.emplace_back(c, d_->buffer[c]);
  }
  qint64 key = 0;
  StoreResult r;
  if (state_ == dsInsert) {
    r = d_->store.Insert(values, &key);
  } else {
    key = d_->rows[current_].key;
    r = d_->store.Update(key, d_->editVersion, values);
  }
  if (!r.Ok()) Refuse(r, d_->store, kPostRefusal);
  if (AfterCommit) AfterCommit(this, d_->store.LastCommit());
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
    // A failed read only leaves the old copy on show; cancelling itself must not fail, nor wait
    // for another program's lock.
    StoredRow& r = d_->rows[current_];
    StoredRow now;
    if (d_->store.ReadRow(r.key, &now, /*wait=*/false).Ok()) d_->Refreshed(r, now);
  }
  if (state_ == dsInsert) {
    d_->rows.erase(d_->rows.begin() + current_);
    if (d_->rows.empty())
      current_ = -1;
    else
      current_ = std::min(current_, int(d_->rows.size()) - 1);
  }
  ClearBuffers();
  SetState(dsBrowse);
  bof_ = eof_ = d_->rows.empty();
  DataEvent(deDataSetChange);
  if (AfterCancel) AfterCancel(this);
}

void TTable::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (d_->rows.empty()) DatabaseError(QString::fromLatin1(kEmpty));
  DataEvent(deCheckBrowseMode);
  CheckCanModify();
  const StoredRow& r = d_->rows[current_];
  const QVariant version = state_ == dsEdit ? d_->editVersion : r.version;
  if (const StoreResult res = d_->store.Delete(r.key, version); !res.Ok())
    Refuse(res, d_->store, kDeleteRefusal);
  if (AfterCommit) AfterCommit(this, d_->store.LastCommit());
  const int keepIndex = current_;
  ClearBuffers();
  SetState(dsBrowse);
  ReadRange(0, keepIndex);
  bof_ = eof_ = d_->rows.empty();
  DataEvent(deDataSetChange);
  if (AfterDelete) AfterDelete(this);
}

void TTable::Refresh() {
  CheckBrowseMode();
  const qint64 key = current_ >= 0 ? d_->rows[current_].key : 0;
  ReadRange(key, current_);
  bof_ = eof_ = d_->rows.empty();
  DataEvent(deDataSetChange);
}

void TTable::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  EndPendingEdit();
}

void TTable::EndPendingEdit() {
  if (!IsEditMode(state_)) return;
  // What the controls still hold counts: a record they changed is stored, an untouched one dropped.
  UpdateRecord();
  if (modified_)
    Post();
  else
    Cancel();
}

// ---- moving ---------------------------------------------------------------------------------

int TTable::RecNo() const { return Active() && current_ >= 0 ? current_ + 1 : 0; }
int TTable::RecordCount() const { return Active() ? int(d_->rows.size()) : 0; }
int TTable::RowCount() const { return int(d_->rows.size()); }
bool TTable::IsEmpty() const { return d_->rows.empty(); }

void TTable::MoveTo(int index, bool bof, bool eof, TDataEvent event, int info) {
  const int old = current_;
  const bool oldBof = bof_, oldEof = eof_;
  current_ = index;
  bof_ = bof;
  eof_ = eof;
  try {
    DataEvent(event, nullptr, info);
  } catch (...) {
    // A dependant could not follow (a detail whose rows could not be read): this table goes
    // back to the record it was on, and everyone is told so, so that the move can be retried
    // from where it began.
    current_ = old;
    bof_ = oldBof;
    eof_ = oldEof;
    try {
      DataEvent(deDataSetChange);
    } catch (...) {
    }
    throw;
  }
  if (AfterScroll) AfterScroll(this);
}

void TTable::First() {
  CheckBrowseMode();
  MoveTo(d_->rows.empty() ? -1 : 0, true, d_->rows.empty(), deDataSetChange);
}

void TTable::Last() {
  CheckBrowseMode();
  MoveTo(int(d_->rows.size()) - 1, d_->rows.empty(), true, deDataSetChange);
}

void TTable::Next() { MoveBy(1); }
void TTable::Prior() { MoveBy(-1); }

int TTable::MoveBy(int distance) {
  CheckBrowseMode();
  if (d_->rows.empty() || distance == 0) {
    if (d_->rows.empty()) bof_ = eof_ = true;
    return 0;
  }
  const int target = std::clamp(current_ + distance, 0, int(d_->rows.size()) - 1);
  const int moved = target - current_;
  MoveTo(target, distance < 0 && moved != distance, distance > 0 && moved != distance, deDataSetScroll, moved);
  return moved;
}

void TTable::SetRecNo(int n) {
  CheckActive();
  // End a pending edit of this table only; its dependants keep theirs unless it really moves.
  EndPendingEdit();
  if (n == RecNo()) return;
  if (n < 1 || n > int(d_->rows.size())) return;
  DataEvent(deCheckBrowseMode);
  MoveTo(n - 1, false, false, deDataSetChange);
}

// ---- fields and notifications ---------------------------------------------------------------

TField* TTable::FindField(const QString& name) const {
  for (TField* f : fields_)
    if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
  return nullptr;
}

TField* TTable::FieldByName(const QString& name) const {
  TField* f = FindField(name);
  if (!f) DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
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


}  // namespace data
