#pragma once
// How data-aware controls (and detail datasets) follow a dataset: the data source between them,
// and the data links through which each control hears of changes and writes its value back.

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "data/DataTypes.h"

namespace data {

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

}  // namespace data
