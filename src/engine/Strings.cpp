#include "engine/Strings.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

#include "base/ScopeGuard.h"
#include "rtf/PlainText.h"

namespace engine {

// BeginUpdate now, EndUpdate when the scope ends, however it ends.
auto TStrings::Updating() {
  BeginUpdate();
  return base::ScopeGuard([this] { EndUpdate(); });
}

void TStrings::Put(int index, const QString& s) {
  auto updating = Updating();
  Delete(index);
  Insert(index, s);
}

int TStrings::Add(const QString& s) {
  const int at = Count();
  Insert(at, s);
  return at;
}

void TStrings::AddStrings(const TStrings& other) {
  auto updating = Updating();
  for (int i = 0; i < other.Count(); ++i) Add(other.Get(i));
}

void TStrings::AddStrings(const QStringList& lines) {
  TStringList list(lines);
  AddStrings(list);
}

void TStrings::Assign(const TStrings& other) {
  if (&other == this) return;
  auto updating = Updating();
  Clear();
  AddStrings(other);
}

QString TStrings::Text() const {
  QString out;
  for (int i = 0; i < Count(); ++i) {
    out += Get(i);
    out += QLatin1String("\r\n");
  }
  return out;
}

void TStrings::SetText(const QString& text) {
  auto updating = Updating();
  Clear();
  AddStrings(rtf::SplitLines(text));
}

QStringList TStrings::ToStringList() const {
  QStringList out;
  for (int i = 0; i < Count(); ++i) out.append(Get(i));
  return out;
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(QIODevice& stream) {
  SetText(QString::fromUtf8(stream.readAll()));
}

void TStrings::SaveToStream(QIODevice& stream) const {
  const QByteArray bytes = Text().toUtf8();
  if (stream.write(bytes) != bytes.size()) throw EStreamError(QStringLiteral("Stream write error"));
}

void TStrings::LoadFromFile(const QString& fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
  LoadFromStream(f);
}

void TStrings::SaveToFile(const QString& fileName) const {
  // Written beside the old file and put in its place only when complete, so that a failed save
  // leaves the old contents as they were.
  QSaveFile f(fileName);
  if (!f.open(QIODevice::WriteOnly))
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, f.errorString()));
  SaveToStream(f);
  if (!f.commit()) throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, f.errorString()));
}

QString TStringList::Get(int index) const {
  if (index < 0 || index >= lines_.size())
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  return lines_.at(index);
}

void TStringList::Put(int index, const QString& s) {
  if (index < 0 || index >= lines_.size())
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  lines_[index] = s;
}

void TStringList::Insert(int index, const QString& s) {
  if (index < 0 || index > lines_.size())
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  lines_.insert(index, s);
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= lines_.size())
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  lines_.removeAt(index);
}

}  // namespace engine
