#pragma once
// The glossary's two table files and what the store keeps beside the user's fields.
//
// Each table lives in its own SQLite file in the working folder: tableMaster.DB holds the table
// tableMaster, tableDetail.DB the table tableDetail. Beside the declared fields the store keeps
// two columns of its own in the detail: SortKeyDetail, from which the index SecInxDetail orders
// a letter's terms as a Russian reader expects, and VersionDetail, which every store of a row
// changes so that a second window cannot silently overwrite it (the master has VersionMaster).
// Only SQLite's built-in collations are used, so any SQLite tool can check the files.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "data/DataTypes.h"

namespace data {

// The key that orders a term: case-insensitive, Ё beside Е (ё after е where all else is equal).
// Compared byte for byte (SQLite's BINARY collation).
QString SortKeyOf(const QString& word);

// Creates both table files with their schema in `folder` (made if missing). Refuses, leaving
// everything as it was, when either file already exists.
bool CreateGlossaryTables(const QString& folder, QString* error);
bool GlossaryTablesExist(const QString& folder);

// Fills freshly created tables quickly: everything between Begin and Commit is one transaction
// per file. Terms get their sort key exactly as the dataset gives it.
class GlossaryWriter {
 public:
  explicit GlossaryWriter(const QString& folder);
  ~GlossaryWriter();
  GlossaryWriter(const GlossaryWriter&) = delete;
  GlossaryWriter& operator=(const GlossaryWriter&) = delete;

  bool Begin(QString* error);
  // Returns the new letter's IDMaster, or 0 on failure (see ErrorText).
  int AddLetter(const QString& letter, int num);
  // False when the word is longer than 40 characters or the store refuses it.
  bool AddTerm(int idMaster, const QString& word, const QByteArray& definition);
  bool Commit(QString* error);
  QString ErrorText() const { return error_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
  QString folder_;
  QString error_;
};

// ---- what the dataset knows of each table ----

struct StoreField {
  QString name;
  TFieldType type;
  int size;  // characters of a string; 0 otherwise
};

struct StoreIndex {
  QString name;
  QStringList fields;      // the declared fields it ranges on, first to last
  QStringList orderBy;     // the stored columns it orders by
};

struct StoreTable {
  QString name;            // the table inside the file
  QString fileName;        // e.g. "tableDetail.DB"
  std::vector<StoreField> fields;  // declared fields, in order; the first is the key
  QString versionColumn;
  QString sortKeyColumn;   // empty when the table has none
  QString sortKeySource;   // the field the sort key is computed from
  std::vector<StoreIndex> indexes;
};

// The table a dataset's TableName names ("tableMaster", "tableDetail.DB", case as written or
// with or without the extension); nullptr when the store has no such table.
const StoreTable* FindStoreTable(const QString& tableName);
QString StoreFilePath(const QString& folder, const StoreTable& table);

}  // namespace data
