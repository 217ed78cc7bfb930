#pragma once
// Where the index reads the glossary from. The program gives it the tables; the index knows
// nothing of how they are stored or how a definition becomes text. Every call comes from the
// index's own thread.

#include <QByteArray>
#include <QString>
#include <vector>

namespace search {

struct SourceTerm {
  qint64 id = 0;
  qint64 version = 0;
  qint64 letter = 0;
  QString word;
  QByteArray definition;  // as stored
};

class TermSource {
 public:
  enum ReadResult { Found, Gone, Failed };

  virtual ~TermSource() = default;
  virtual bool Open(QString* error) = 0;
  // Changes with every write to the terms, whoever makes it; empty when it cannot be told.
  virtual QString Stamp() = 0;
  virtual bool Count(qint64* count, QString* error) = 0;
  // Up to `limit` terms with an id above `afterId`, in id order.
  virtual bool ReadAfter(qint64 afterId, int limit, std::vector<SourceTerm>* terms, QString* error) = 0;
  virtual ReadResult Read(qint64 id, SourceTerm* term, QString* error) = 0;
  // The plain text of a stored definition.
  virtual QString TextOf(const QByteArray& definition) = 0;
  // The plain text, and the keys of the terms the definition links to (a source that knows no
  // links gives none).
  virtual QString TextAndLinksOf(const QByteArray& definition, std::vector<qint64>* links) {
    links->clear();
    return TextOf(definition);
  }
};

}  // namespace search
