// The fields of a dataset: one kind per stored type, each checking what it is given.
#include "data/DataSet.h"

#include <QBuffer>
#include <QCoreApplication>
#include <limits>

namespace data {

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
  if (dataSet_ && dataSet_->Active()) DatabaseError(QStringLiteral("Cannot rename a field of an open dataset"));
  fieldName_ = name;
}

void TField::SetDataSet(TTable* dataSet) {
  if (dataSet_ == dataSet) return;
  if ((dataSet_ && dataSet_->Active()) || (dataSet && dataSet->Active()))
    DatabaseError(QStringLiteral("Cannot change the fields of an open dataset"));
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
  if (!dataSet_) DatabaseError(QStringLiteral("Field '%1' has no dataset").arg(fieldName_));
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


TIntegerField::TIntegerField(QObject* owner)
    : TIntegerField(ftInteger, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), owner) {}
TIntegerField::TIntegerField(TFieldType type, qint64 low, qint64 high, QObject* owner)
    : TField(type, 0, owner), low_(low), high_(high) {}

bool TIntegerField::IsValidChar(QChar c) const {
  return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
}

QVariant TIntegerField::Validate(const QVariant& value) const {
  if (value.isNull()) return QVariant();
  bool ok = false;
  qint64 v = value.toLongLong(&ok);
  if (!ok) {
    const QString s = value.toString().trimmed();
    v = s.toLongLong(&ok);
    if (!ok) DatabaseError(QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(s, FieldName()));
  }
  if (v < low_ || v > high_)
    DatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                      .arg(v)
                      .arg(FieldName())
                      .arg(low_)
                      .arg(high_));
  return QVariant(int(v));
}

TSmallintField::TSmallintField(QObject* owner)
    : TIntegerField(ftSmallint, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), owner) {}

TAutoIncField::TAutoIncField(QObject* owner)
    : TIntegerField(ftAutoInc, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), owner) {
  TField::SetReadOnly(true);
}

TStringField::TStringField(QObject* owner) : TField(ftString, 20, owner) {}
QVariant TStringField::Validate(const QVariant& value) const {
  if (value.isNull()) return QVariant();
  QString s = value.toString();
  for (const QChar c : s)
    if (IsControlInName(c))
      DatabaseError(QCoreApplication::translate("DataSet", "'%1' cannot hold the invisible character U+%2 (a control "
                                                "character, a line break or a change of writing direction). Type it "
                                                "without that character.")
                        .arg(DisplayLabel(), QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0')));
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
  if (stream->write(b) != b.size()) DatabaseError(QStringLiteral("Cannot write the value of field '%1' to the stream").arg(FieldName()));
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

}  // namespace data
