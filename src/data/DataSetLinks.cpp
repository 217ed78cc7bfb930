// The data source between a dataset and its controls, and the data links through which they
// follow it.
#include "data/DataSet.h"

#include <QWidget>
#include <algorithm>

#include "base/ScopeGuard.h"
#include "data/Teardown.h"

namespace data {

namespace {

// Moves `item` from the list its owner `owner` keeps of such items to that of `to`.
template <class Item, class Owner>
void MoveTo(Item* item, Owner*& owner, Owner* to, std::vector<Item*> Owner::*list) {
  if (owner) std::erase(owner->*list, item);
  owner = to;
  if (owner) (owner->*list).push_back(item);
}

}  // namespace

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource() {
  detail::Teardown teardown;
  SetDataSet(nullptr);
  for (TDataLink* l : std::vector<TDataLink*>(links_)) l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TTable* dataSet) {
  if (dataSet_ == dataSet) return;
  MoveTo(this, dataSet_, dataSet, &TTable::sources_);
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
    std::erase(dataSource_->links_, this);
    dataSource_ = nullptr;
  }
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (dataSource_ == source) return;
  MoveTo(this, dataSource_, source, &TDataSource::links_);
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
  base::ValueRestorer<bool> updating(updating_, true);
  UpdateData();
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

}  // namespace data
