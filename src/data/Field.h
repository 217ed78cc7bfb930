#pragma once
// The fields of a dataset: one kind per stored type, each checking what it is given.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "data/DataTypes.h"

class QIODevice;

namespace data {

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

}  // namespace data
