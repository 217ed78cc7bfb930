#include "data/GlossaryStore.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "data/DataTypes.h"
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
      " VersionMaster INTEGER NOT NULL DEFAULT 0 CHECK (typeof(VersionMaster) = 'integer'))"};
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
      " VersionDetail INTEGER NOT NULL DEFAULT 0 CHECK (typeof(VersionDetail) = 'integer'))",
      // The columns after IDDetail do not change the order (IDDetail is unique); they let a
      // letter's range be read from the index alone, without the table pages that hold each
      // term beside its definition.
      "CREATE INDEX SecInxDetail ON tableDetail"
      " (AssistDetail, SortKeyDetail, IDDetail, NumDetail, WordDetail, VersionDetail)"};
  return s;
}

// How long building the tables waits for another program's lock.
constexpr int kBuildBusyTimeoutMs = 4000;

bool Failed(const StoreResult& r, QString* error) {
  if (r.Ok()) return false;
  if (error) *error = r.error;
  return true;
}

bool CreateOne(const QString& path, const QStringList& schema, QString* error) {
  StoreConnection c;
  if (Failed(c.Open(path, /*create=*/true, kBuildBusyTimeoutMs), error)) return false;
  if (Failed(c.Exec("BEGIN"), error)) return false;
  QSqlQuery q(c.Db());
  for (const QString& sql : schema) {
    if (!q.exec(sql)) {
      if (error) *error = SqlErrorText(q.lastError());
      return false;
    }
  }
  return !Failed(c.Exec("COMMIT"), error);
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

GlossaryWriter::GlossaryWriter(const QString& folder) : d_(std::make_unique<Impl>()), folder_(folder) {}

GlossaryWriter::~GlossaryWriter() {
  if (d_->begun) {
    d_->addLetter.reset();
    d_->addTerm.reset();
    d_->master.Exec("ROLLBACK");
    d_->detail.Exec("ROLLBACK");
  }
}

bool GlossaryWriter::Begin(QString* error) {
  auto fail = [&](const QString& e) {
    error_ = e;
    if (error) *error = e;
    return false;
  };
  if (d_->begun) return fail(QStringLiteral("The writer has already begun."));
  StoreResult r = d_->master.Open(StoreFilePath(folder_, MasterTable()), false, kBuildBusyTimeoutMs);
  if (r.Ok()) r = d_->detail.Open(StoreFilePath(folder_, DetailTable()), false, kBuildBusyTimeoutMs);
  if (r.Ok()) r = d_->master.Exec("BEGIN IMMEDIATE");
  if (!r.Ok()) return fail(r.error);
  r = d_->detail.Exec("BEGIN IMMEDIATE");
  if (!r.Ok()) {
    d_->master.Exec("ROLLBACK");
    return fail(r.error);
  }
  d_->addLetter = std::make_unique<QSqlQuery>(d_->master.Db());
  d_->addLetter->prepare("INSERT INTO tableMaster (NumMaster, LetterMaster) VALUES (?, ?)");
  d_->addTerm = std::make_unique<QSqlQuery>(d_->detail.Db());
  d_->addTerm->prepare(
      "INSERT INTO tableDetail (NumDetail, AssistDetail, WordDetail, TextDetail, SortKeyDetail)"
      " VALUES (0, ?, ?, ?, ?)");
  d_->begun = true;
  return true;
}

int GlossaryWriter::AddLetter(const QString& letter, int num) {
  if (!d_->begun) {
    error_ = QStringLiteral("The writer has not begun.");
    return 0;
  }
  if (letter.size() > 1) {
    error_ = QStringLiteral("A letter is one character: \"%1\".").arg(letter);
    return 0;
  }
  d_->addLetter->bindValue(0, num);
  d_->addLetter->bindValue(1, letter);
  if (!d_->addLetter->exec()) {
    error_ = SqlErrorText(d_->addLetter->lastError());
    return 0;
  }
  return d_->addLetter->lastInsertId().toInt();
}

bool GlossaryWriter::AddTerm(int idMaster, const QString& word, const QByteArray& definition) {
  if (!d_->begun) {
    error_ = QStringLiteral("The writer has not begun.");
    return false;
  }
  if (word.toUcs4().size() > 40) {
    error_ = QStringLiteral("The term \"%1\" is longer than 40 characters.").arg(word);
    return false;
  }
  for (QChar c : word) {
    if (IsControlInName(c)) {
      error_ = QStringLiteral("The term \"%1\" holds the control character U+%2.")
                   .arg(QString(word).replace(c, QChar(0xFFFD)))
                   .arg(c.unicode(), 4, 16, QLatin1Char('0'));
      return false;
    }
  }
  d_->addTerm->bindValue(0, idMaster);
  d_->addTerm->bindValue(1, word);
  d_->addTerm->bindValue(2, definition.isNull() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(definition));
  d_->addTerm->bindValue(3, SortKeyOf(word));
  if (!d_->addTerm->exec()) {
    error_ = SqlErrorText(d_->addTerm->lastError());
    return false;
  }
  return true;
}

bool GlossaryWriter::Commit(QString* error) {
  if (!d_->begun) {
    error_ = QStringLiteral("The writer has not begun.");
    if (error) *error = error_;
    return false;
  }
  d_->addLetter.reset();
  d_->addTerm.reset();
  d_->begun = false;
  StoreResult r = d_->master.Exec("COMMIT");
  if (r.Ok()) r = d_->detail.Exec("COMMIT");
  if (!r.Ok()) {
    d_->master.Exec("ROLLBACK");
    d_->detail.Exec("ROLLBACK");
    error_ = r.error;
    if (error) *error = r.error;
    return false;
  }
  return true;
}

}  // namespace data
