#pragma once
// A small glossary in a temporary folder, the two tables bound the way the glossary window binds
// them, and a way to read a table file as any SQLite tool would.

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <initializer_list>
#include <map>
#include <vector>

#include "data/DataSet.h"
#include "data/GlossaryStore.h"

// A term and its stored definition; given only the word, the definition is "{\rtf1 <word>}".
struct GlossaryTerm {
  GlossaryTerm(const char* word) : GlossaryTerm(QString::fromUtf8(word)) {}
  GlossaryTerm(const QString& word) : word(word), definition(("{\\rtf1 " + word + "}").toUtf8()) {}
  GlossaryTerm(const QString& word, const QByteArray& definition) : word(word), definition(definition) {}
  QString word;
  QByteArray definition;  // null: stored as NULL
};

// A letter and its terms; an empty list is a letter without terms.
struct LetterTerms {
  QString letter;
  std::vector<GlossaryTerm> terms;
};

// Creates the tables in `folder` and stores the letters, numbered 1, 2, ... in the order given.
inline void MakeGlossary(const QString& folder, const std::vector<LetterTerms>& letters) {
  QString error;
  ASSERT_TRUE(data::CreateGlossaryTables(folder, &error)) << error.toStdString();
  data::GlossaryWriter w(folder);
  ASSERT_TRUE(w.Begin(&error)) << error.toStdString();
  int num = 1;
  for (const auto& l : letters) {
    const int id = w.AddLetter(l.letter, num++);
    ASSERT_GT(id, 0) << w.ErrorText().toStdString();
    for (const GlossaryTerm& t : l.terms)
      ASSERT_TRUE(w.AddTerm(id, t.word, t.definition)) << w.ErrorText().toStdString();
  }
  ASSERT_TRUE(w.Commit(&error)) << error.toStdString();
}

// The captions of the glossary's 27 letters, in record order.
inline const char16_t* const kLetterCaptions[27] = {u"А", u"Б", u"В", u"Г", u"Д", u"Е", u"Ж", u"З", u"И",
                                                    u"К", u"Л", u"М", u"Н", u"О", u"П", u"Р", u"С", u"Т",
                                                    u"У", u"Ф", u"Х", u"Ц", u"Ч", u"Ш", u"Э", u"Ю", u"Я"};

// The whole alphabet in `folder`; `terms` maps a record number (1..27) to its terms, each
// defined as "Definition of <term>".
inline void BuildGlossary(const QString& folder, const std::map<int, std::vector<QString>>& terms) {
  std::vector<LetterTerms> letters;
  for (int n = 1; n <= 27; ++n) {
    LetterTerms l{QString::fromUtf16(kLetterCaptions[n - 1]), {}};
    if (auto it = terms.find(n); it != terms.end())
      for (const QString& t : it->second) l.terms.emplace_back(t, ("Definition of " + t).toUtf8());
    letters.push_back(std::move(l));
  }
  MakeGlossary(folder, letters);
}

// The usual alphabet: letters А, К and Я have terms; the others have none.
inline std::map<int, std::vector<QString>> SampleTerms() {
  return {{1, {QStringLiteral("Апис"), QStringLiteral("Акация")}},
          {10, {QStringLiteral("Клещ"), QStringLiteral("Кандидат"), QStringLiteral("Каркас")}},
          {27, {QStringLiteral("Ячейка")}}};
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
    for (data::TField* f : std::initializer_list<data::TField*>{&Table2IDDetail, &Table2NumDetail,
                                                                &Table2AssistDetail, &Table2WordDetail,
                                                                &Table2TextDetail})
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

  data::TTable Table1;
  data::TDataSource DataSource1;
  data::TTable Table2;
  data::TDataSource DataSource2;
  data::TAutoIncField Table2IDDetail;
  data::TSmallintField Table2NumDetail;
  data::TIntegerField Table2AssistDetail;
  data::TStringField Table2WordDetail;
  data::TGraphicField Table2TextDetail;
};

// A glossary of its own in a temporary folder, made before anything binds to it.
struct GlossaryFolder {
  explicit GlossaryFolder(const std::vector<LetterTerms>& letters) { MakeGlossary(Dir.path(), letters); }
  QTemporaryDir Dir;
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
  RawStore(const RawStore&) = delete;
  RawStore& operator=(const RawStore&) = delete;
  QSqlDatabase Db() const { return QSqlDatabase::database(name_, false); }
  bool IsOpen() const { return Db().isOpen(); }
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
