#include "data/GlossaryStore.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "data/StoreConnection.h"

namespace data {

namespace {

const StoreTable& MasterTable() {
  static const StoreTable t{
      "tableMaster",
      "tableMaster.DB",
      {{"IDMaster", ftAutoInc, 0}, {"NumMaster", ftSmallint, 0}, {"LetterMaster", ftString, 1}},
      "VersionMaster",
      QString(),
      QString(),
      {}};
  return t;
}

const StoreTable& DetailTable() {
  static const StoreTable t{"tableDetail",
                            "tableDetail.DB",
                            {{"IDDetail", ftAutoInc, 0},
                             {"NumDetail", ftSmallint, 0},
                             {"AssistDetail", ftInteger, 0},
                             {"WordDetail", ftString, 40},
                             {"TextDetail", ftGraphic, 0}},
                            "VersionDetail",
                            "SortKeyDetail",
                            "WordDetail",
                            {{"SecInxDetail", {"AssistDetail"}, {"AssistDetail", "SortKeyDetail", "IDDetail"}}}};
  return t;
}

const QStringList& MasterSchema() {
  static const QStringList s{
      "CREATE TABLE tableMaster ("
      " IDMaster INTEGER PRIMARY KEY AUTOINCREMENT,"
      " NumMaster INTEGER CHECK (NumMaster IS NULL OR NumMaster BETWEEN -32768 AND 32767),"
      " LetterMaster TEXT CHECK (LetterMaster IS NULL OR length(LetterMaster) <= 1),"
      " VersionMaster INTEGER NOT NULL DEFAULT 0)"};
  return s;
}

const QStringList& DetailSchema() {
  static const QStringList s{
      "CREATE TABLE tableDetail ("
      " IDDetail INTEGER PRIMARY KEY AUTOINCREMENT,"
      " NumDetail INTEGER CHECK (NumDetail IS NULL OR NumDetail BETWEEN -32768 AND 32767),"
      " AssistDetail INTEGER CHECK (AssistDetail IS NULL OR AssistDetail BETWEEN -2147483648 AND 2147483647),"
      " WordDetail TEXT CHECK (WordDetail IS NULL OR length(WordDetail) <= 40),"
      " TextDetail BLOB,"
      " SortKeyDetail TEXT NOT NULL DEFAULT '',"
      " VersionDetail INTEGER NOT NULL DEFAULT 0)",
      // The columns after IDDetail do not change the order (IDDetail is unique); they let a
      // letter's range be read from the index alone, without the table pages that hold each
      // term beside its definition.
      "CREATE INDEX SecInxDetail ON tableDetail"
      " (AssistDetail, SortKeyDetail, IDDetail, NumDetail, WordDetail, VersionDetail)"};
  return s;
}

bool CreateOne(const QString& path, const QStringList& schema, QString* error) {
  StoreConnection c;
  if (!c.Open(path, /*create=*/true, 4000, error)) return false;
  QSqlQuery q(c.Db());
  if (!c.Exec("BEGIN", error)) return false;
  for (const QString& sql : schema) {
    if (!q.exec(sql)) {
      if (error) *error = q.lastError().text();
      return false;
    }
  }
  return c.Exec("COMMIT", error);
}

}  // namespace

QString SortKeyOf(const QString& word) {
  // Primary: letters folded to lower case, ё read as е; Cyrillic code points are in alphabetical
  // order, so the UTF-8 bytes compare as a Russian reader expects. A tie is broken by where ё
  // stood, so "ель" comes right before "ёлка"-like spellings of the same word.
  QString primary;
  QString secondary;
  primary.reserve(word.size());
  secondary.reserve(word.size());
  bool anyYo = false;
  for (QChar ch : word) {
    QChar c = ch.toLower();
    if (c == QChar(0x0451)) {  // ё
      c = QChar(0x0435);       // е
      secondary += QLatin1Char('1');
      anyYo = true;
    } else {
      secondary += QLatin1Char('0');
    }
    primary += c;
  }
  if (!anyYo) return primary;
  return primary + QChar(0x0001) + secondary;
}

const StoreTable* FindStoreTable(const QString& tableName) {
  QString n = tableName.trimmed();
  if (n.endsWith(QLatin1String(".DB"), Qt::CaseInsensitive)) n.chop(3);
  for (const StoreTable* t : {&MasterTable(), &DetailTable()})
    if (n.compare(t->name, Qt::CaseInsensitive) == 0) return t;
  return nullptr;
}

QString StoreFilePath(const QString& folder, const StoreTable& table) {
  return QDir(folder.isEmpty() ? QStringLiteral(".") : folder).filePath(table.fileName);
}

bool GlossaryTablesExist(const QString& folder) {
  return QFileInfo::exists(StoreFilePath(folder, MasterTable())) &&
         QFileInfo::exists(StoreFilePath(folder, DetailTable()));
}

bool CreateGlossaryTables(const QString& folder, QString* error) {
  const QString master = StoreFilePath(folder, MasterTable());
  const QString detail = StoreFilePath(folder, DetailTable());
  for (const QString& p : {master, detail}) {
    if (QFileInfo::exists(p)) {
      if (error) *error = QStringLiteral("The table file %1 already exists; it is left as it is.").arg(p);
      return false;
    }
  }
  if (!QDir().mkpath(folder.isEmpty() ? QStringLiteral(".") : folder)) {
    if (error) *error = QStringLiteral("Cannot create the folder %1.").arg(folder);
    return false;
  }
  if (!CreateOne(master, MasterSchema(), error)) {
    QFile::remove(master);
    return false;
  }
  if (!CreateOne(detail, DetailSchema(), error)) {
    QFile::remove(master);
    QFile::remove(detail);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------

struct GlossaryWriter::Impl {
  StoreConnection master;
  StoreConnection detail;
  std::unique_ptr<QSqlQuery> addLetter;
  std::unique_ptr<QSqlQuery> addTerm;
  bool begun = false;
};

GlossaryWriter::GlossaryWriter(const QString& folder) : d(new Impl), folder_(folder) {}

GlossaryWriter::~GlossaryWriter() {
  if (d->begun) {
    d->addLetter.reset();
    d->addTerm.reset();
    d->master.Exec("ROLLBACK", nullptr);
    d->detail.Exec("ROLLBACK", nullptr);
  }
}

bool GlossaryWriter::Begin(QString* error) {
  auto fail = [&](const QString& e) {
    error_ = e;
    if (error) *error = e;
    return false;
  };
  QString e;
  if (d->begun) return fail(QStringLiteral("The writer has already begun."));
  if (!d->master.Open(StoreFilePath(folder_, MasterTable()), false, 4000, &e)) return fail(e);
  if (!d->detail.Open(StoreFilePath(folder_, DetailTable()), false, 4000, &e)) return fail(e);
  if (!d->master.Exec("BEGIN IMMEDIATE", &e)) return fail(e);
  if (!d->detail.Exec("BEGIN IMMEDIATE", &e)) {
    d->master.Exec("ROLLBACK", nullptr);
    return fail(e);
  }
  d->addLetter = std::make_unique<QSqlQuery>(d->master.Db());
  d->addLetter->prepare("INSERT INTO tableMaster (NumMaster, LetterMaster) VALUES (?, ?)");
  d->addTerm = std::make_unique<QSqlQuery>(d->detail.Db());
  d->addTerm->prepare(
      "INSERT INTO tableDetail (NumDetail, AssistDetail, WordDetail, TextDetail, SortKeyDetail)"
      " VALUES (0, ?, ?, ?, ?)");
  d->begun = true;
  return true;
}

int GlossaryWriter::AddLetter(const QString& letter, int num) {
  if (!d->begun) {
    error_ = QStringLiteral("The writer has not begun.");
    return 0;
  }
  if (letter.size() > 1) {
    error_ = QStringLiteral("A letter is one character: \"%1\".").arg(letter);
    return 0;
  }
  d->addLetter->bindValue(0, num);
  d->addLetter->bindValue(1, letter);
  if (!d->addLetter->exec()) {
    error_ = d->addLetter->lastError().text();
    return 0;
  }
  return d->addLetter->lastInsertId().toInt();
}

bool GlossaryWriter::AddTerm(int idMaster, const QString& word, const QByteArray& definition) {
  if (!d->begun) {
    error_ = QStringLiteral("The writer has not begun.");
    return false;
  }
  if (word.toUcs4().size() > 40) {
    error_ = QStringLiteral("The term \"%1\" is longer than 40 characters.").arg(word);
    return false;
  }
  d->addTerm->bindValue(0, idMaster);
  d->addTerm->bindValue(1, word);
  d->addTerm->bindValue(2, definition.isNull() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(definition));
  d->addTerm->bindValue(3, SortKeyOf(word));
  if (!d->addTerm->exec()) {
    error_ = d->addTerm->lastError().text();
    return false;
  }
  return true;
}

bool GlossaryWriter::Commit(QString* error) {
  QString e;
  if (!d->begun) {
    error_ = QStringLiteral("The writer has not begun.");
    if (error) *error = error_;
    return false;
  }
  d->addLetter.reset();
  d->addTerm.reset();
  d->begun = false;
  if (!d->master.Exec("COMMIT", &e) || !d->detail.Exec("COMMIT", &e)) {
    d->master.Exec("ROLLBACK", nullptr);
    d->detail.Exec("ROLLBACK", nullptr);
    error_ = e;
    if (error) *error = e;
    return false;
  }
  return true;
}

}  // namespace data
