#pragma once
// A small glossary in a temporary folder, and the two tables bound the way the glossary window
// binds them.

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "data/DataSet.h"
#include "data/GlossaryStore.h"

// Letters and their terms; an empty list is a letter without terms.
struct LetterTerms {
  QString letter;
  QStringList words;
};

inline void MakeGlossary(const QString& folder, const std::vector<LetterTerms>& letters) {
  QString error;
  ASSERT_TRUE(data::CreateGlossaryTables(folder, &error)) << error.toStdString();
  data::GlossaryWriter w(folder);
  ASSERT_TRUE(w.Begin(&error)) << error.toStdString();
  int num = 1;
  for (const auto& l : letters) {
    const int id = w.AddLetter(l.letter, num++);
    ASSERT_GT(id, 0) << w.ErrorText().toStdString();
    for (const QString& word : l.words)
      ASSERT_TRUE(w.AddTerm(id, word, ("{\\rtf1 " + word + "}").toUtf8())) << w.ErrorText().toStdString();
  }
  ASSERT_TRUE(w.Commit(&error)) << error.toStdString();
}

// The window's components: Table1/DataSource1 for the letters, Table2/DataSource2 for the terms.
struct GlossaryTables {
  explicit GlossaryTables(const QString& folder) {
    Table1.SetDatabaseName(folder);
    Table1.SetTableName("tableMaster");
    DataSource1.SetDataSet(&Table1);
    Table2.SetDatabaseName(folder);
    Table2.SetTableName("tableDetail.DB");
    Table2.SetIndexName("SecInxDetail");
    Table2.SetMasterFields("IDMaster");
    Table2.SetMasterSource(&DataSource1);
    DataSource2.SetDataSet(&Table2);
    Table2IDDetail.SetFieldName("IDDetail");
    Table2NumDetail.SetFieldName("NumDetail");
    Table2AssistDetail.SetFieldName("AssistDetail");
    Table2WordDetail.SetFieldName("WordDetail");
    Table2TextDetail.SetFieldName("TextDetail");
    for (TField* f : std::initializer_list<TField*>{&Table2IDDetail, &Table2NumDetail, &Table2AssistDetail,
                                                    &Table2WordDetail, &Table2TextDetail})
      f->SetDataSet(&Table2);
  }
  void Open() {
    Table1.Open();
    Table2.Open();
  }
  QStringList Words() const {
    QStringList w;
    for (int i = 0; i < Table2.RowCount(); ++i) w << Table2.RowValue(i, &Table2WordDetail).toString();
    return w;
  }

  TTable Table1;
  TDataSource DataSource1;
  TTable Table2;
  TDataSource DataSource2;
  TAutoIncField Table2IDDetail;
  TSmallintField Table2NumDetail;
  TIntegerField Table2AssistDetail;
  TStringField Table2WordDetail;
  TGraphicField Table2TextDetail;
};

// Reads a file's table directly, as any SQLite tool would.
class RawStore {
 public:
  explicit RawStore(const QString& path) : name_("raw-" + QString::number(quintptr(this))) {
    auto db = QSqlDatabase::addDatabase("QSQLITE", name_);
    db.setDatabaseName(path);
    db.open();
  }
  ~RawStore() {
    { QSqlDatabase::database(name_, false).close(); }
    QSqlDatabase::removeDatabase(name_);
  }
  QSqlDatabase Db() const { return QSqlDatabase::database(name_, false); }
  QVariant Scalar(const QString& sql) const {
    QSqlQuery q(Db());
    if (!q.exec(sql) || !q.next()) return QVariant();
    return q.value(0);
  }
  bool Exec(const QString& sql) const {
    QSqlQuery q(Db());
    return q.exec(sql);
  }

 private:
  QString name_;
};
