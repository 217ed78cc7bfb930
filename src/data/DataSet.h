#pragma once
// The data-access layer: a table dataset over the glossary store, its fields, the data source
// that connects it to controls, and the data links through which controls follow it. They know
// each other (a field asks its dataset for its value, the dataset tells its sources and they
// their links), so they are one unit: DataSet.cpp (the table), DataSetFields.cpp (the fields),
// DataSetLinks.cpp (the data source and links).

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "data/DataTypes.h"
#include "data/StoreStamp.h"

class QIODevice;

namespace data {

// ---- fields: one kind per stored type, each checking what it is given ----------------------

// A field is bound to its dataset by name; the owner creates persistent fields before
// the dataset opens (Table1IDMaster ...), else the dataset creates one per stored column.

class TField : public QObject {
  Q_OBJECT
 public:
  explicit TField(QObject* owner = nullptr);
  ~TField() override;

  QString FieldName() const { return fieldName_; }
  void SetFieldName(const QString& name);
  TTable* DataSet() const { return dataSet_; }
  void SetDataSet(TTable* dataSet);
  TFieldType DataType() const { return dataType_; }
  int Size() const { return size_; }  // characters of a string field; 0 for the others
  bool ReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const QString& value);
  int DisplayWidth() const;  // in characters
  Qt::Alignment Alignment() const;
  int Index() const;  // position in the dataset's Fields(), -1 when not bound
  bool IsBlob() const { return IsBlobType(dataType_); }

  bool IsNull() const;
  QVariant Value() const;
  void SetValue(const QVariant& value);
  QString AsString() const;
  void SetAsString(const QString& value);
  int AsInteger() const;
  void SetAsInteger(int value);
  QString Text() const { return AsString(); }  // the edit text
  void SetText(const QString& value) { SetAsString(value); }
  QString DisplayText() const;
  virtual bool IsValidChar(QChar c) const;
  void Clear() { SetValue(QVariant()); }
  bool CanModify() const;
  void FocusControl();

  std::function<void(TField*)> OnChange;

 protected:
  TField(TFieldType type, int size, QObject* owner);
  // Checks and converts a value about to be stored; throws EDatabaseError when it does not fit.
  virtual QVariant Validate(const QVariant& value) const;
  void SetSize(int size) { size_ = size; }

 private:
  friend class TTable;
  QString fieldName_;
  TTable* dataSet_ = nullptr;
  TFieldType dataType_ = ftUnknown;
  int size_ = 0;
  bool readOnly_ = false;
  bool visible_ = true;
  QString displayLabel_;
  int column_ = -1;  // the stored column it reads, set while the dataset is open
};

// The integer kinds share their checks; each stores a range of its own.
class TIntegerField : public TField {
  Q_OBJECT
 public:
  explicit TIntegerField(QObject* owner = nullptr);
  bool IsValidChar(QChar c) const override;  // digits and a sign

 protected:
  TIntegerField(TFieldType type, qint64 low, qint64 high, QObject* owner);
  QVariant Validate(const QVariant& value) const override;  // outside [low, high]: refused

 private:
  qint64 low_;
  qint64 high_;
};

class TSmallintField : public TIntegerField {
  Q_OBJECT
 public:
  explicit TSmallintField(QObject* owner = nullptr);
};

class TAutoIncField : public TIntegerField {
  Q_OBJECT
 public:
  explicit TAutoIncField(QObject* owner = nullptr);
  void SetReadOnly(bool) override {}  // assigned by the store only
};

class TStringField : public TField {
  Q_OBJECT
 public:
  explicit TStringField(QObject* owner = nullptr);
  void SetSize(int size) { TField::SetSize(size); }

 protected:
  QVariant Validate(const QVariant& value) const override;  // longer than Size: cut to Size
};

class TBlobField : public TField {
  Q_OBJECT
 public:
  explicit TBlobField(QObject* owner = nullptr);
  // The whole value. Read from the store only when asked for (the current record's bytes).
  QByteArray AsBytes() const;
  void SetAsBytes(const QByteArray& value);
  int BlobSize() const { return AsBytes().size(); }
  // Writes the whole value into `stream` / replaces it by everything `stream` still holds.
  void SaveToStream(QIODevice* stream) const;
  void LoadFromStream(QIODevice* stream);
  // A stream on the value: reading gives the bytes; a write stream assigns what was written to
  // the field when it is closed or destroyed.
  std::unique_ptr<QIODevice> CreateBlobStream(TBlobStreamMode mode);

 protected:
  TBlobField(TFieldType type, QObject* owner);
};

class TGraphicField : public TBlobField {
  Q_OBJECT
 public:
  explicit TGraphicField(QObject* owner = nullptr);
};

// ---- data sources and links --------------------------------------------------------------------
// How data-aware controls (and detail datasets) follow a dataset: the data source between them,
// and the data links through which each control hears of changes and writes its value back.

// Data source: connects a dataset to data-aware controls.

class TDataSource : public QObject {
  Q_OBJECT
 public:
  explicit TDataSource(QObject* owner = nullptr);
  ~TDataSource() override;

  TTable* DataSet() const { return dataSet_; }
  void SetDataSet(TTable* dataSet);
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool value) { autoEdit_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TDataSetState State() const { return state_; }
  // Puts the dataset into edit state when AutoEdit is on and it is browsing.
  void Edit();

  std::function<void(TField*)> OnDataChange;  // record moved, field changed, opened, closed
  std::function<void()> OnStateChange;
  std::function<void()> OnUpdateData;         // before a post: controls write their values

 private:
  friend class TTable;
  friend class TField;
  friend class TDataLink;
  void DataEvent(TDataEvent event, TField* field, int info);
  void UpdateState();
  TTable* dataSet_ = nullptr;
  bool autoEdit_ = true;
  bool enabled_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;
};

// Data links: how a control (or a detail dataset) follows a data source.

class TDataLink {
 public:
  TDataLink();
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* source);
  TTable* DataSet() const;
  bool Active() const { return active_; }
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // Asks the data source to put the dataset into edit state; true when it is being edited.
  bool Edit();
  // Makes the controls write their pending values into the record.
  void UpdateRecord();

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged();  // default: RecordChanged(nullptr)
  virtual void DataSetScrolled(int distance);  // default: DataSetChanged()
  virtual void EditingChanged() {}
  virtual void FocusControl(TField** field) { (void)field; }
  virtual void LayoutChanged();  // default: DataSetChanged()
  virtual void RecordChanged(TField* field) { (void)field; }
  virtual void UpdateData() {}

  // Links of detail datasets hear of a change before the controls do.
  bool visualControl_ = true;

 private:
  friend class TDataSource;
  void DataEvent(TDataEvent event, TField* field, int info);
  void UpdateActive();
  void SetEditing(bool value);
  TDataSource* dataSource_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
};

class TFieldDataLink : public TDataLink {
 public:
  TFieldDataLink();

  QString FieldName() const { return fieldName_; }
  void SetFieldName(const QString& name);
  TField* Field() const { return field_; }
  QObject* Control() const { return control_; }
  void SetControl(QObject* control) { control_ = control; }
  // Puts the record into edit state if it may be changed; true when it is being edited.
  bool Edit();
  // The control's value differs from the field's: it is written on the next update data.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  // Drops the control's pending value: the control shows the field again (data change).
  void Reset();
  // True while the record is edited and the field may be changed through this link.
  bool Editing() const { return fieldEditing_; }
  bool CanModify() const;

  std::function<void()> OnDataChange;
  std::function<void()> OnEditingChange;
  std::function<void()> OnUpdateData;
  std::function<void()> OnActiveChange;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetField(TField* field);
  void SetFieldEditing(bool value);
  QString fieldName_;
  TField* field_ = nullptr;
  QObject* control_ = nullptr;
  bool modified_ = false;
  bool fieldEditing_ = false;
};

// ---- the table --------------------------------------------------------------------------------

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
