#pragma once
// The data-access layer: a table dataset over the glossary store, its fields, the data source
// that connects it to controls, and the data links through which controls follow it.

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "data/DataLink.h"
#include "data/DataTypes.h"
#include "data/Field.h"
#include "data/StoreStamp.h"

namespace data {

// A table of the glossary store. DatabaseName is the folder; TableName "tableMaster" or
// "tableDetail.DB" (the file is the table name with the extension .DB in that folder).
// The current range of records is held as keys and short values; BLOB values are read only for
// the current record, when asked for.

class TTable : public QObject {
  Q_OBJECT
 public:
  explicit TTable(QObject* owner = nullptr);
  ~TTable() override;

  QString DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const QString& folder);
  QString TableName() const { return tableName_; }
  void SetTableName(const QString& name);
  QString IndexName() const { return indexName_; }
  void SetIndexName(const QString& name);
  QString IndexFieldNames() const { return indexFieldNames_; }  // "Field1;Field2"
  void SetIndexFieldNames(const QString& names);
  TDataSource* MasterSource() const;
  void SetMasterSource(TDataSource* source);
  QString MasterFields() const { return masterFields_; }
  void SetMasterFields(const QString& names);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // How long a write waits for the other instance's write before it reports the table busy.
  int BusyTimeout() const { return busyTimeoutMs_; }
  void SetBusyTimeout(int milliseconds) { busyTimeoutMs_ = milliseconds; }

  void Open();
  void Close();
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool value);
  TDataSetState State() const { return state_; }

  int RecNo() const;  // 1-based position in the current order and range; 0 when empty
  void SetRecNo(int n);
  int RecordCount() const;
  void First();
  void Prior();
  void Next();
  void Last();
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const;

  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void Refresh();
  void CheckBrowseMode();
  void UpdateRecord();
  bool CanModify() const;
  // Why the table's file cannot be written, naming the file and the cause; empty when it can
  // (or the table is closed).
  QString ReadOnlyReason() const;
  bool Modified() const { return modified_; }

  TField* FieldByName(const QString& name) const;  // throws when there is none
  TField* FindField(const QString& name) const;
  const QList<TField*>& Fields() const { return fields_; }

  // The value of `field` in row `index` (0-based) of the current range, for drawing rows that
  // are not current. The current row shows its edit buffer. BLOB fields give no value here.
  QVariant RowValue(int index, const TField* field) const;
  // The row index the current record has in the range (the new row while inserting).
  int CurrentIndex() const { return current_; }
  int RowCount() const;

  std::function<void(TTable*)> AfterOpen;
  std::function<void(TTable*)> BeforeClose;
  std::function<void(TTable*)> OnNewRecord;
  std::function<void(TTable*)> BeforePost;
  std::function<void(TTable*)> AfterPost;
  std::function<void(TTable*)> AfterCancel;
  std::function<void(TTable*)> AfterDelete;
  std::function<void(TTable*)> AfterScroll;
  // Each write the store committed for this dataset (a post or a delete), told before the
  // dataset reads its rows again, so that data derived from the table elsewhere can follow it.
  // A refused write is not told. The handler must not throw: the write has already happened.
  std::function<void(TTable*, const TStoreCommit&)> AfterCommit;

 private:
  friend class TField;
  friend class TBlobField;
  friend class TDataSource;
  friend class TMasterDataLink;
  struct Impl;

  void DataEvent(TDataEvent event, TField* field = nullptr, int info = 0);
  void SetState(TDataSetState state);
  void CheckActive() const;
  void CheckCanModify() const;
  void SetOrder(const QString& indexName, const QString& indexFieldNames);
  void EndPendingEdit();
  void BeginInsertAppend(bool append);
  void MasterChanged();
  void ReadRange(qint64 keepKey, int keepIndex);
  // Makes row `index` current and tells the dependants with `event`; when one of them cannot
  // follow, moves back and rethrows.
  void MoveTo(int index, bool bof, bool eof, TDataEvent event, int info = 0);
  void ClearBuffers();
  QVariant FieldValue(const TField* field) const;
  void SetFieldValue(TField* field, const QVariant& value);
  QByteArray BlobValue(const TField* field) const;
  void BindFields();
  void UnbindFields();

  std::unique_ptr<Impl> d_;
  QString databaseName_;
  QString tableName_;
  QString indexName_;
  QString indexFieldNames_;
  QString masterFields_;
  bool readOnly_ = false;
  int busyTimeoutMs_ = 4000;
  TDataSetState state_ = dsInactive;
  QList<TField*> fields_;
  std::vector<TDataSource*> sources_;
  int current_ = -1;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
};

}  // namespace data
