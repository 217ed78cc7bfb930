#pragma once
// The class library's string list: an abstract list of lines with whole-text, update and stream
// operations, and the failures those operations raise.

#include <QString>
#include <QStringList>

#include "base/Exception.h"

class QIODevice;

namespace engine {

// The failures the engine and its string lists raise, as the class library names them.
class Exception : public base::Exception {
  using base::Exception::Exception;
};
class EOutOfResources : public Exception {  // "Failed to Load Stream", "Failed to Save Stream"
  using Exception::Exception;
};
class EStreamError : public Exception {
  using Exception::Exception;
};
class EFOpenError : public EStreamError {  // a file that cannot be opened for reading
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {  // a file that cannot be created
  using EStreamError::EStreamError;
};
class EStringListError : public Exception {
  using Exception::Exception;
};

class TStrings {
 public:
  virtual ~TStrings() = default;

  virtual int Count() const = 0;
  virtual QString Get(int index) const = 0;
  virtual void Put(int index, const QString& s);  // default: Delete then Insert
  virtual void Insert(int index, const QString& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const QString& s);  // appends; returns the new line's index
  virtual void AddStrings(const TStrings& other);
  virtual void AddStrings(const QStringList& lines);
  virtual void Assign(const TStrings& other);  // Clear then AddStrings, inside an update

  // Every line followed by CR LF.
  virtual QString Text() const;
  // Lines split at CR, LF or CR LF; a final break adds no empty line.
  virtual void SetText(const QString& text);

  QString operator[](int index) const { return Get(index); }
  QStringList ToStringList() const;

  // Nested; SetUpdateState(true) on the first begin, (false) on the last end.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Streams and files hold the text as UTF-8 with CR LF line breaks unless a derived list
  // defines its own form (the engine lines hold RTF).
  virtual void LoadFromStream(QIODevice& stream);
  virtual void SaveToStream(QIODevice& stream) const;
  virtual void LoadFromFile(const QString& fileName);  // EFOpenError when it cannot be read
  virtual void SaveToFile(const QString& fileName) const;  // EFCreateError when it cannot be written

 protected:
  virtual void SetUpdateState(bool /*updating*/) {}

 private:
  auto Updating();
  int updateCount_ = 0;
};

// A plain list of lines kept in memory.
class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(const QStringList& lines) : lines_(lines) {}
  int Count() const override { return int(lines_.size()); }
  QString Get(int index) const override;
  void Put(int index, const QString& s) override;
  void Insert(int index, const QString& s) override;
  void Delete(int index) override;
  void Clear() override { lines_.clear(); }

 private:
  QStringList lines_;
};

}  // namespace engine
