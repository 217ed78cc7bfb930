// The store's files: schema, order of terms, failures to open, survival of a killed writer.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>

#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

TEST(GlossaryStore, CreatesBothFilesOnceAndRefusesToOverwrite) {
  QTemporaryDir dir;
  QString error;
  ASSERT_FALSE(data::GlossaryTablesExist(dir.path()));
  ASSERT_TRUE(data::CreateGlossaryTables(dir.path(), &error)) << error.toStdString();
  EXPECT_TRUE(data::GlossaryTablesExist(dir.path()));
  EXPECT_TRUE(QFile::exists(dir.filePath("tableMaster.DB")));
  EXPECT_TRUE(QFile::exists(dir.filePath("tableDetail.DB")));

  {
    RawStore raw(dir.filePath("tableDetail.DB"));
    raw.Exec("INSERT INTO tableDetail (AssistDetail, WordDetail) VALUES (1, 'keep me')");
  }
  EXPECT_FALSE(data::CreateGlossaryTables(dir.path(), &error));
  EXPECT_FALSE(error.isEmpty());
  RawStore raw(dir.filePath("tableDetail.DB"));
  EXPECT_EQ(raw.Scalar("SELECT WordDetail FROM tableDetail").toString(), "keep me");
}

TEST(GlossaryStore, SchemaUsesOnlyBuiltInCollationsAndDeclaredWidths) {
  QTemporaryDir dir;
  MakeGlossary(dir.path(), {{"А", {"Акация"}}});
  RawStore detail(dir.filePath("tableDetail.DB"));
  EXPECT_EQ(detail.Scalar("PRAGMA integrity_check").toString(), "ok");
  const QString index = detail.Scalar("SELECT sql FROM sqlite_master WHERE name = 'SecInxDetail'").toString();
  EXPECT_TRUE(index.contains("AssistDetail")) << index.toStdString();
  EXPECT_FALSE(index.contains("COLLATE", Qt::CaseInsensitive));
  // A longer term is refused by the file itself, not only by the program.
  EXPECT_FALSE(detail.Exec("INSERT INTO tableDetail (WordDetail) VALUES ('" + QString(41, QChar(0x0436)) + "')"));
  EXPECT_TRUE(detail.Exec("INSERT INTO tableDetail (WordDetail) VALUES ('" + QString(40, QChar(0x0436)) + "')"));

  data::GlossaryWriter w(dir.path());
  QString error;
  ASSERT_TRUE(w.Begin(&error));
  EXPECT_FALSE(w.AddTerm(1, QString(41, QChar('x')), QByteArray()));
  EXPECT_FALSE(w.ErrorText().isEmpty());
}

TEST(GlossaryStore, SortKeyOrdersAsARussianReaderExpects) {
  // Case does not count, ё stands beside е (е first where all else is equal), and a prefix
  // comes before its longer words.
  const QStringList expected = {"еда", "Ёж", "ЕЖЕВИКА", "ежик", "Елка", "ёлка", "Ель", "Ехать"};
  QStringList shuffled = {"Ель", "ёлка", "Ехать", "ежик", "Ёж", "еда", "Елка", "ЕЖЕВИКА"};
  std::sort(shuffled.begin(), shuffled.end(),
            [](const QString& a, const QString& b) { return data::SortKeyOf(a).toUtf8() < data::SortKeyOf(b).toUtf8(); });
  EXPECT_EQ(shuffled, expected);
}

TEST(GlossaryStore, DetailListsALettersTermsInIndexOrder) {
  QTemporaryDir dir;
  MakeGlossary(dir.path(), {{"А", {"Улей", "Яблоня", "абрикос", "Азот", "Акация", "ящик"}}, {"Е", {"Ель", "ёлка", "Елка"}}});
  GlossaryTables t(dir.path());
  t.Open();
  // Raw code points would put the capitals first; the index must not.
  EXPECT_EQ(t.Words(), QStringList({"абрикос", "Азот", "Акация", "Улей", "Яблоня", "ящик"}));
  t.Table1.SetRecNo(2);
  EXPECT_EQ(t.Words(), QStringList({"Елка", "ёлка", "Ель"}));
}

// Overwrites the first bytes of pages of a table file, as a failing disk or a cut-short copy
// leaves them: the schema (page 1), or every page after it (where the rows and indexes are).
void SpoilPages(const QString& path, bool schema) {
  QFile file(path);
  file.open(QIODevice::ReadWrite);
  const qint64 pageSize = 4096;  // the store's
  const qint64 first = schema ? 1 : 2, last = schema ? 1 : file.size() / pageSize;
  for (qint64 page = first; page <= last; ++page) {
    file.seek((page - 1) * pageSize + (page == 1 ? 100 : 0));  // past the file header on page 1
    file.write(QByteArray(24, '\xff'));
  }
}

TEST(GlossaryStore, OpeningNeverCreatesOrCrashesOnAMissingOrDamagedFile) {
  struct Case {
    const char* name;
    std::function<void(const QString& folder)> damage;
    const char* sqliteSays;  // damaged: SQLite's words, which the one message keeps
  };
  const std::vector<Case> cases = {
      {"missing", [](const QString& f) { QFile::remove(f + "/tableDetail.DB"); }, nullptr},
      {"not a database",
       [](const QString& f) {
         QFile file(f + "/tableDetail.DB");
         file.open(QIODevice::WriteOnly | QIODevice::Truncate);
         file.write(QByteArray(4096, 'x'));
       },
       "file is not a database"},
      {"empty file",
       [](const QString& f) {
         QFile file(f + "/tableDetail.DB");
         file.open(QIODevice::WriteOnly | QIODevice::Truncate);
       },
       nullptr},
      {"table missing",
       [](const QString& f) {
         RawStore raw(f + "/tableDetail.DB");
         raw.Exec("DROP TABLE tableDetail");
       },
       nullptr},
      {"header damaged",
       [](const QString& f) {
         QFile file(f + "/tableDetail.DB");
         file.open(QIODevice::ReadWrite);
         file.write("SQLite format 2\0", 16);
       },
       "file is not a database"},
      {"schema damaged", [](const QString& f) { SpoilPages(f + "/tableDetail.DB", true); }, "malformed"},
      {"rows damaged", [](const QString& f) { SpoilPages(f + "/tableDetail.DB", false); }, "malformed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    MakeGlossary(dir.path(), {{"А", {"Акация"}}});
    c.damage(dir.path());
    const qint64 sizeBefore = QFileInfo(dir.filePath("tableDetail.DB")).size();
    const bool existed = QFile::exists(dir.filePath("tableDetail.DB"));
    GlossaryTables t(dir.path());
    t.Table1.Open();
    try {
      t.Table2.Open();
      ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& e) {
      const QString text = e.Message();
      EXPECT_FALSE(text.isEmpty());
      // One readable message: no second error of the driver's run on after SQLite's.
      EXPECT_FALSE(text.contains("Unable to")) << text.toStdString();
      if (c.sqliteSays) {
        EXPECT_TRUE(text.contains(QDir(dir.path()).absoluteFilePath("tableDetail.DB"))) << text.toStdString();
        EXPECT_TRUE(text.contains("damaged")) << text.toStdString();
        EXPECT_TRUE(text.contains(c.sqliteSays)) << text.toStdString();
        EXPECT_TRUE(text.contains("Nothing was changed.")) << text.toStdString();
        EXPECT_TRUE(text.contains("from a backup") && text.contains("\"Backing up\"")) << text.toStdString();
      }
    }
    EXPECT_EQ(t.Table2.State(), dsInactive);
    EXPECT_EQ(QFile::exists(dir.filePath("tableDetail.DB")), existed);
    if (existed) {
      EXPECT_EQ(QFileInfo(dir.filePath("tableDetail.DB")).size(), sizeBefore);
    }
  }
}

TEST(GlossaryStore, UnknownTableOrIndexIsAnError) {
  QTemporaryDir dir;
  MakeGlossary(dir.path(), {{"А", {}}});
  TTable t;
  t.SetDatabaseName(dir.path());
  t.SetTableName("tableOther");
  EXPECT_THROW(t.Open(), EDatabaseError);
  t.SetTableName("tableDetail.DB");
  t.SetIndexName("NoSuchIndex");
  EXPECT_THROW(t.Open(), EDatabaseError);
  EXPECT_FALSE(t.Active());
}

// The child half of the kill test: posts terms until it is killed.
TEST(GlossaryStore, DISABLED_PostsForever) {
  const QString folder = qEnvironmentVariable("TERMORA_POST_FOLDER");
  ASSERT_FALSE(folder.isEmpty());
  GlossaryTables t(folder);
  t.Open();
  for (int i = 0;; ++i) {
    t.Table2.Append();
    t.Table2WordDetail.SetAsString(QString("термин %1").arg(i));
    t.Table2TextDetail.SetAsBytes(QByteArray(3000 + i % 1000, char('a' + i % 26)));
    t.Table2.Post();
    if (i % 3 == 0) {
      t.Table2.Edit();
      t.Table2TextDetail.SetAsBytes(QByteArray(5000, 'z'));
      t.Table2.Post();
    }
    if (i % 7 == 0) t.Table2.Delete();
    if (i == 20) {
      fputs("posting\n", stdout);
      fflush(stdout);
    }
  }
}

TEST(GlossaryStore, AKilledWriterLeavesBothFilesIntact) {
  QTemporaryDir dir;
  MakeGlossary(dir.path(), {{"А", {"Акация"}}, {"Б", {"Бабочка"}}});
  for (int round = 0; round < 3; ++round) {
    QProcess child;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("TERMORA_POST_FOLDER", dir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=GlossaryStore.DISABLED_PostsForever"});
    ASSERT_TRUE(child.waitForStarted());
    bool posting = false;
    while (!posting && child.waitForReadyRead(20000)) posting = child.readAll().contains("posting");
    ASSERT_TRUE(posting);
    QThread::msleep(50 + 70 * round);
    child.kill();  // SIGKILL: no chance to finish a transaction
    child.waitForFinished();
  }
  for (const char* file : {"tableMaster.DB", "tableDetail.DB"}) {
    RawStore raw(dir.filePath(file));
    EXPECT_EQ(raw.Scalar("PRAGMA integrity_check").toString(), "ok") << file;
  }
  GlossaryTables t(dir.path());
  ASSERT_NO_THROW(t.Open());
  EXPECT_GT(t.Table2.RecordCount(), 1);
  EXPECT_EQ(t.Words().first(), "Акация");
}

}  // namespace
