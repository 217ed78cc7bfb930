#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <set>
#include <sqlite3.h>

#include "base/ScopeGuard.h"
#include "search/IndexService.h"
#include "search/SearchIndex.h"
#include "tests/search/FakeSource.h"

using search::IndexService;
using search::IndexState;

namespace {

// A small glossary: each word form the search must understand stands in one definition.
void FillGlossary(FakeTables& t) {
  struct Term {
    qint64 id, letter;
    const char* word;
    const char* text;
  } terms[] = {
      {1, 15, "Пчела медоносная", "Общественное насекомое Apis mellifera."},
      {2, 17, "Семья", "Пчёлы живут семьями до 50000 особей."},
      {3, 15, "Пчеловод", "Тот, кто разводит пчёл."},
      {4, 15, "Подкормка", "Сироп, который дают пчелам осенью."},
      {5, 5, "Дымарь", "Прибор, которым окуривают улей перед работой с пчелами."},
      {6, 12, "Мёд", "Продукт переработки нектара."},
      {7, 12, "Медогонка", "Машина для откачки мёда из сотов."},
      {8, 8, "Забрус", "Срезанные крышечки сотов с медом."},
      {9, 16, "Роение", "Естественное размножение семей."},
      {10, 16, "Роевня", "Ящик для поимки роя во время роения."},
      {11, 12, "Маточник", "Ячейка, из которой выходит матка перед роением."},
      {12, 15, "Пчелиный клещ", "Клещ Varroa destructor, паразит медоносной пчелы."},
      {13, 3, "Варроатоз", "Болезнь расплода, которую вызывает клещ Varroa; клеща травят 2 раза в год, а клещей считают."},
      {14, 19, "Улей", "Жилище семьи; большой улей вмещает 12 рамок."},
      {15, 10, "Клещевина", "Растение; не путать с клещом."},
  };
  for (const auto& x : terms) t.Set(x.id, x.letter, QString::fromUtf8(x.word), QString::fromUtf8(x.text));
}

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    FillGlossary(*tables);
  }
  QString IndexPath() const { return QDir(dir.path()).filePath(search::kIndexFileName); }
  std::unique_ptr<IndexService> Start() {
    auto s = StartService(dir.path(), tables);
    EXPECT_EQ(s->Status().state, IndexState::Ready) << s->Status().message.toStdString();
    return s;
  }
  // The names found for `typed`, best first.
  QStringList Found(IndexService& s, const char* typed) {
    const search::FindResult r = s.Find(QString::fromUtf8(typed));
    EXPECT_TRUE(r.error.isEmpty()) << typed << ": " << r.error.toStdString();
    QStringList words;
    for (const search::Hit& h : r.hits) words << tables->WordOf(h.id);
    return words;
  }
  std::set<QString> FoundSet(IndexService& s, const char* typed) {
    const QStringList l = Found(s, typed);
    return {l.begin(), l.end()};
  }
  static std::set<QString> Set(std::initializer_list<const char*> words) {
    std::set<QString> s;
    for (const char* w : words) s.insert(QString::fromUtf8(w));
    return s;
  }

  QTemporaryDir dir;
  std::shared_ptr<FakeTables> tables = std::make_shared<FakeTables>();
};

TEST_F(IndexTest, FindsEveryGrammaticalFormCaseAndSpelling) {
  auto s = Start();
  struct Case {
    const char* typed;
    std::set<QString> found;
  } cases[] = {
      {"пчела", Set({"Пчела медоносная", "Семья", "Пчеловод", "Подкормка", "Дымарь", "Пчелиный клещ"})},
      {"ПЧЁЛЫ", Set({"Пчела медоносная", "Семья", "Пчеловод", "Подкормка", "Дымарь", "Пчелиный клещ"})},
      {"мёд", Set({"Мёд", "Медогонка", "Забрус"})},
      {"мед", Set({"Мёд", "Медогонка", "Забрус"})},
      {"роение", Set({"Роение", "Роевня", "Маточник"})},
      // A trailing star: words that begin so, in any form.
      {"пчел*", Set({"Пчела медоносная", "Семья", "Пчеловод", "Подкормка", "Дымарь", "Пчелиный клещ"})},
      {"пчелины*", Set({"Пчелиный клещ"})},
      {"роев*", Set({"Роевня"})},
      // Several words: all of them.
      {"клещ varroa", Set({"Пчелиный клещ", "Варроатоз"})},
      {"пчела клещ", Set({"Пчелиный клещ"})},
      // A phrase: those words in that order.
      {"\"большой улей\"", Set({"Улей"})},
      {"\"улей большой\"", Set({})},
      // Latin names and numbers as written.
      {"Apis mellifera", Set({"Пчела медоносная"})},
      {"APIS", Set({"Пчела медоносная"})},
      {"apis*", Set({"Пчела медоносная"})},
      {"12", Set({"Улей"})},
      {"2", Set({"Варроатоз"})},
      {"50000", Set({"Семья"})},
      {"нектар мёд", Set({"Мёд"})},
      {"трутень", Set({})},
  };
  for (const auto& c : cases) EXPECT_EQ(FoundSet(*s, c.typed), c.found) << c.typed;
}

TEST_F(IndexTest, RanksNameMatchesFirstThenByRelevance) {
  auto s = Start();
  struct Case {
    const char* typed;
    QStringList order;
  } cases[] = {
      // The name holds the word: before every definition that merely mentions it.
      {"роение", {"Роение", "Роевня", "Маточник"}},
      {"мёд", {"Мёд", "Забрус", "Медогонка"}},
      // Both names hold "клещ" (one in a compound name does not count); then the definition that
      // names it three times before the one that names it once.
      {"клещ", {"Пчелиный клещ", "Варроатоз", "Клещевина"}},
      // Only a name holding every word counts as a name match.
      {"пчела клещ", {"Пчелиный клещ"}},
      {"улей", {"Улей", "Дымарь"}},
  };
  for (const auto& c : cases) {
    QStringList expected;
    for (const QString& w : c.order) expected << w;
    EXPECT_EQ(Found(*s, c.typed), expected) << c.typed;
  }
}

TEST_F(IndexTest, ResultDetailsMarkTheMatchedFormsAndGiveTheLetter) {
  auto s = Start();
  const search::FindResult r = s->Find(QString::fromUtf8("пчела"));
  ASSERT_FALSE(r.hits.empty());
  search::HitDetails d;
  QString error;
  ASSERT_TRUE(s->Details(r.match, 2, &d, &error)) << error.toStdString();
  EXPECT_EQ(d.letter, 17);
  EXPECT_EQ(d.word, QString::fromUtf8("Семья"));
  EXPECT_EQ(d.snippet, QString::fromUtf8("\x01Пчёлы\x02 живут семьями до 50000 особей."));
  ASSERT_TRUE(s->Details(r.match, 1, &d, &error)) << error.toStdString();
  EXPECT_EQ(d.word, QString::fromUtf8("\x01Пчела\x02 медоносная"));
  // A name-only match still shows the start of its definition.
  EXPECT_EQ(d.snippet, QString::fromUtf8("Общественное насекомое Apis mellifera."));
}

TEST_F(IndexTest, TheLineOfALongDefinitionShowsItsFirstMatchWithWordsAround) {
  // Words w1 ... w30 and a full stop; the name is one word of its own.
  QStringList words;
  for (int i = 1; i <= 30; ++i) words << QStringLiteral("w%1").arg(i);
  tables->Set(50, 1, QStringLiteral("Zeta"), words.join(' ') + '.');
  auto s = Start();
  // Words `from` ... `to` as the line shows them, `*` marking matched ones.
  auto line = [](int from, int to, std::initializer_list<int> matched, bool merged = false) {
    QString out = from > 1 ? QStringLiteral("…") : QString();
    for (int i = from; i <= to; ++i) {
      const bool m = std::find(matched.begin(), matched.end(), i) != matched.end();
      const bool prev = m && merged && std::find(matched.begin(), matched.end(), i - 1) != matched.end();
      const bool next = m && merged && std::find(matched.begin(), matched.end(), i + 1) != matched.end();
      if (i > from) out += ' ';
      if (m && !prev) out += QChar(search::kMarkOn);
      out += QStringLiteral("w%1").arg(i);
      if (m && !next) out += QChar(search::kMarkOff);
    }
    return out + (to == 30 ? QStringLiteral(".") : QStringLiteral("…"));
  };
  struct Case {
    const char* typed;
    QString shown;
  } cases[] = {
      {"w3", line(1, 14, {3})},
      {"w20", line(16, 29, {20})},
      {"w29", line(17, 30, {29})},  // near the end: the window ends with the text
      {"w5 w7", line(1, 14, {5, 7})},
      {"w5 w6", line(1, 14, {5, 6})},  // neighbours matched each on its own: marked apart
      {"\"w5 w6\"", line(1, 14, {5, 6}, /*merged=*/true)},
      {"w20 w1", line(1, 14, {1})},  // the first match leads; later ones fall outside
      {"zeta", line(1, 14, {})},     // a match in the name only: the definition's start
  };
  for (const auto& c : cases) {
    const search::FindResult r = s->Find(QString::fromUtf8(c.typed));
    search::HitDetails d;
    QString error;
    ASSERT_TRUE(s->Details(r.match, 50, &d, &error)) << c.typed << ": " << error.toStdString();
    EXPECT_EQ(d.snippet, c.shown) << c.typed;
  }
}

TEST_F(IndexTest, OwnWritesAreFoundAtOnceUnderTheNewWordsOnly) {
  auto s = Start();
  // Renamed and redefined, as a post stores it; the stamp moves by this write alone.
  tables->Set(6, 12, QString::fromUtf8("Нектар"), QString::fromUtf8("Сладкий сок цветков."));
  tables->SetStamp("s2");
  s->TermWritten(6, "s1", "s2");
  EXPECT_EQ(Found(*s, "нектар"), QStringList{QString::fromUtf8("Нектар")});
  EXPECT_EQ(FoundSet(*s, "цветки"), Set({"Нектар"}));
  EXPECT_EQ(FoundSet(*s, "мёд"), Set({"Медогонка", "Забрус"}));
  EXPECT_EQ(FoundSet(*s, "переработка"), Set({}));

  tables->Erase(14);
  tables->SetStamp("s3");
  s->TermWritten(14, "s2", "s3");
  EXPECT_EQ(FoundSet(*s, "улей"), Set({"Дымарь"}));

  tables->Set(16, 19, QString::fromUtf8("Улей-лежак"), QString::fromUtf8("Горизонтальный улей."));
  tables->SetStamp("s4");
  s->TermWritten(16, "s3", "s4");
  EXPECT_EQ(Found(*s, "улей"), QStringList({QString::fromUtf8("Улей-лежак"), QString::fromUtf8("Дымарь")}));

  // Each write converted its own definition only, and the index is in step: a restart reads
  // nothing again.
  s.reset();
  const int before = tables->Conversions();
  s = Start();
  EXPECT_EQ(tables->Conversions(), before);
}

TEST_F(IndexTest, WritesByOthersAreCaughtUpWithoutARebuild) {
  Start().reset();
  const int built = tables->Conversions();
  EXPECT_EQ(built, 15);

  // Changed behind the program's back: a definition rewritten with the same version, a term
  // deleted, one added, one moved to another letter.
  {
    std::lock_guard<std::mutex> lock(tables->mutex);
    tables->terms[9].definition = QString::fromUtf8("Выход части семьи с маткой.").toUtf8();
    tables->terms[3].letter = 16;
    tables->terms.erase(14);
    tables->terms[20] = search::SourceTerm{20, 0, 27, QString::fromUtf8("Яд пчелиный"), QString::fromUtf8("Апитоксин.").toUtf8()};
    tables->stamp = QStringLiteral("outside");
  }
  auto s = Start();
  EXPECT_EQ(tables->Conversions() - built, 3);  // the rewritten, the moved and the new term only
  EXPECT_EQ(FoundSet(*s, "матка"), Set({"Роение", "Маточник"}));
  EXPECT_EQ(FoundSet(*s, "размножение"), Set({}));
  EXPECT_EQ(FoundSet(*s, "улей"), Set({"Дымарь"}));
  EXPECT_EQ(FoundSet(*s, "апитоксин"), Set({"Яд пчелиный"}));
  search::HitDetails d;
  QString error;
  ASSERT_TRUE(s->Details(s->Find(QString::fromUtf8("пчеловод")).match, 3, &d, &error));
  EXPECT_EQ(d.letter, 16);

  // A write by someone else while the program runs shows as a break in the stamps of its own
  // next write, and is caught up with then.
  {
    std::lock_guard<std::mutex> lock(tables->mutex);
    tables->terms[5].definition = QString::fromUtf8("Прибор для дыма.").toUtf8();
  }
  tables->Set(7, 12, QString::fromUtf8("Медогонка"), QString::fromUtf8("Центрифуга."));
  tables->SetStamp("after both");
  s->TermWritten(7, "outside + other", "after both");
  s->WaitIdle(10000);
  EXPECT_EQ(FoundSet(*s, "дым"), Set({"Дымарь"}));
  EXPECT_EQ(FoundSet(*s, "центрифуга"), Set({"Медогонка"}));
}

TEST_F(IndexTest, AnIndexThatCannotBeTrustedIsMadeAgain) {
  struct Case {
    const char* name;
    std::function<void(const QString& path)> spoil;
  } cases[] = {
      {"not a database", [](const QString& path) {
         QFile f(path);
         ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
         f.write(QByteArray(8192, 'x'));
       }},
      {"damaged pages", [](const QString& path) {
         QFile f(path);
         ASSERT_TRUE(f.open(QIODevice::ReadWrite));
         const qint64 size = f.size();
         ASSERT_GT(size, 8192);
         // Everything after the first page: the tables' pages are garbage.
         f.seek(4096);
         f.write(QByteArray(int(size - 4096), char(0x5a)));
       }},
      {"another tokenizer", [](const QString& path) {
         sqlite3* db = nullptr;
         ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
         ASSERT_EQ(sqlite3_exec(db, "UPDATE meta SET value = 'w0-other' WHERE key = 'tokenizer'", nullptr, nullptr, nullptr),
                   SQLITE_OK);
         sqlite3_close(db);
       }},
      {"unfinished", [](const QString& path) {
         sqlite3* db = nullptr;
         ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
         ASSERT_EQ(sqlite3_exec(db, "UPDATE meta SET value = '0' WHERE key = 'complete'", nullptr, nullptr, nullptr),
                   SQLITE_OK);
         sqlite3_close(db);
       }},
      {"missing", [](const QString& path) { ASSERT_TRUE(QFile::remove(path)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start().reset();
    c.spoil(IndexPath());
    const int before = tables->Conversions();
    auto s = Start();
    EXPECT_EQ(tables->Conversions() - before, 15);
    EXPECT_FALSE(s->Status().inMemory);
    EXPECT_EQ(FoundSet(*s, "клещ"), Set({"Пчелиный клещ", "Варроатоз", "Клещевина"}));
  }
}

TEST_F(IndexTest, DamageFoundWhileQueryingRebuildsTheIndex) {
  auto s = Start();
  // Garbage over the full-text pages behind the running program's back.
  {
    QFile f(IndexPath());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(4096);
    f.write(QByteArray(int(f.size() - 4096), char(0x5a)));
  }
  const search::FindResult r = s->Find(QString::fromUtf8("клещ"));
  EXPECT_TRUE(r.hits.empty());
  EXPECT_FALSE(r.error.isEmpty());
  ASSERT_TRUE(s->WaitIdle(30000));
  EXPECT_EQ(FoundSet(*s, "клещ"), Set({"Пчелиный клещ", "Варроатоз", "Клещевина"}));
}

TEST_F(IndexTest, AFolderThatCannotHoldTheIndexKeepsItInMemory) {
  // A folder in the way of the file, and a folder that does not exist.
  ASSERT_TRUE(QDir(dir.path()).mkdir(search::kIndexFileName));
  for (const QString& folder : {dir.path(), dir.filePath("no/such/folder")}) {
    auto s = StartService(folder, tables);
    EXPECT_EQ(s->Status().state, IndexState::Ready) << folder.toStdString();
    EXPECT_TRUE(s->Status().inMemory);
    EXPECT_FALSE(s->Status().message.isEmpty());
    EXPECT_EQ(FoundSet(*s, "роение"), Set({"Роение", "Роевня", "Маточник"}));
    // Its own writes go on being indexed.
    tables->Set(9, 16, QString::fromUtf8("Роение"), QString::fromUtf8("Выход роя."));
    s->TermWritten(9, "s1", "s1+");
    EXPECT_EQ(FoundSet(*s, "выход"), Set({"Роение", "Маточник"}));
  }
}

TEST_F(IndexTest, UnreadableTablesLeaveSearchUnavailableAndSaySo) {
  tables->unreadable = true;
  IndexService s(dir.path(), [t = tables] { return std::make_unique<FakeSource>(t); });
  QSignalSpy told(&s, &IndexService::StatusChanged);
  s.Start();
  ASSERT_TRUE(s.WaitIdle(10000));
  EXPECT_EQ(s.Status().state, IndexState::Unavailable);
  EXPECT_EQ(s.Status().message, "cannot read the tables");
  const search::FindResult r = s.Find(QString::fromUtf8("пчела"));
  EXPECT_TRUE(r.hits.empty());
  EXPECT_FALSE(r.error.isEmpty());
  EXPECT_TRUE(told.wait(2000) || !told.isEmpty());
}

TEST_F(IndexTest, ALongBuildTellsItsProgressAndQueriesGoOnMeanwhile) {
  for (qint64 id = 100; id < 1600; ++id)
    tables->Set(id, 1, QStringLiteral("Термин %1").arg(id), QString::fromUtf8("Пчелиная семья номер %1.").arg(id));
  tables->conversionMs = 2;
  IndexService s(dir.path(), [t = tables] { return std::make_unique<FakeSource>(t); });
  std::vector<search::IndexStatus> told;
  QObject::connect(&s, &IndexService::StatusChanged, [&] { told.push_back(s.Status()); });
  s.Start();
  QElapsedTimer t;
  t.start();
  while (s.Status().state != IndexState::Building && t.elapsed() < 5000) QTest::qWait(5);
  // A build stores its work a thousand terms at a time.
  while (s.Status().done < 1000 && t.elapsed() < 20000) QTest::qWait(5);
  ASSERT_EQ(s.Status().state, IndexState::Building);
  // A query during the build answers from what is there, without waiting for the rest.
  const search::FindResult partial = s.Find(QString::fromUtf8("семья"));
  EXPECT_EQ(s.Status().state, IndexState::Building);
  EXPECT_TRUE(partial.error.isEmpty()) << partial.error.toStdString();
  EXPECT_FALSE(partial.hits.empty());
  EXPECT_LT(partial.hits.size(), 1500u);

  // The window goes on with its events meanwhile; the status arrives with them.
  while (s.Status().state != IndexState::Ready && t.elapsed() < 60000) QTest::qWait(5);
  QTest::qWait(50);
  EXPECT_EQ(s.Status().state, IndexState::Ready);
  EXPECT_EQ(s.Find(QString::fromUtf8("семья")).hits.size(), 1503u);  // with the small glossary's three
  // Progress was told as it went, and ended told as done.
  qint64 before = -1;
  bool rising = true, midway = false;
  for (const search::IndexStatus& st : told) {
    if (st.state != IndexState::Building) continue;
    rising = rising && st.done >= before;
    before = st.done;
    midway = midway || (st.done > 0 && st.done < st.total && st.total == 1515);
  }
  EXPECT_TRUE(rising);
  EXPECT_TRUE(midway);
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.back().state, IndexState::Ready);
}

TEST_F(IndexTest, AnIndexEmptiedByAnotherProgramMidBuildIsFilledAgainBeforeItCountsAsComplete) {
  for (qint64 id = 100; id < 1600; ++id)
    tables->Set(id, 1, QStringLiteral("Термин %1").arg(id), QString::fromUtf8("Пчелиная семья номер %1.").arg(id));
  // Another program sharing the file starts a build of its own once this build has stored its
  // first thousand terms (four reads of 250), between two of its transactions.
  const QString path = IndexPath();
  tables->beforeRead = [path](int read) {
    if (read != 5) return;
    search::SearchIndex other;
    QString error;
    ASSERT_TRUE(other.Open(path, /*writer=*/true, &error)) << error.toStdString();
    ASSERT_TRUE(other.Reset(&error)) << error.toStdString();
  };
  auto s = Start();
  tables->beforeRead = nullptr;
  EXPECT_EQ(s->Find(QString::fromUtf8("семья")).hits.size(), 1503u);
  // Complete and in step: a restart reads nothing again.
  s.reset();
  const int before = tables->Conversions();
  s = Start();
  EXPECT_EQ(tables->Conversions(), before);
  EXPECT_EQ(s->Find(QString::fromUtf8("семья")).hits.size(), 1503u);
}

TEST_F(IndexTest, APassTheTablesRefuseHalfwayIsMadeAgainWithoutBeingAsked) {
  for (qint64 id = 100; id < 1600; ++id)
    tables->Set(id, 1, QStringLiteral("Термин %1").arg(id), QString::fromUtf8("Пчелиная семья номер %1.").arg(id));
  // The tables are locked elsewhere for the build's second read and for the first try after it.
  tables->beforeRead = [t = tables.get()](int read) {
    if (read == 2) t->refusedReads = 2;
  };
  IndexService s(dir.path(), [t = tables] { return std::make_unique<FakeSource>(t); });
  s.Start();
  ASSERT_TRUE(s.WaitIdle(10000));
  EXPECT_EQ(s.Status().message, "database is locked");
  EXPECT_LT(s.Find(QString::fromUtf8("семья")).hits.size(), 1503u);
  // Nobody asks for a check: the index tries again by itself and completes.
  QElapsedTimer t;
  t.start();
  while (s.Find(QString::fromUtf8("семья")).hits.size() != 1503u && t.elapsed() < 20000) QTest::qWait(50);
  EXPECT_EQ(s.Find(QString::fromUtf8("семья")).hits.size(), 1503u);
  EXPECT_TRUE(s.Status().message.isEmpty()) << s.Status().message.toStdString();
  EXPECT_EQ(tables->refusedReads, 0);
}

TEST_F(IndexTest, OperatorWordsAndStraySymbolsAreOrdinaryWordsBesideAnyOtherPart) {
  tables->Set(30, 15, QString::fromUtf8("Пчела OR"), QString::fromUtf8("Слово OR и NOT, AND и NEAR в тексте."));
  auto s = Start();
  const struct {
    const char* typed;
    std::set<QString> found;
  } cases[] = {
      {"мёд* клещ", Set({"Пчелиный клещ"})},
      {"клещ пчел*", Set({"Пчелиный клещ"})},
      {"пчел* клещ*", Set({"Пчелиный клещ"})},
      {"пчел* OR", Set({"Пчела OR"})},
      {"пчел* OR мёд", Set({})},
      {"OR", Set({"Пчела OR"})},
      {"NOT пчела", Set({"Пчела OR"})},
      {"near* AND not", Set({"Пчела OR"})},
      {"NEAR(пчела)", Set({})},
      {"(мёд", Set({"Мёд", "Медогонка", "Забрус"})},
      {"мёд)^ +", Set({"Мёд", "Медогонка", "Забрус"})},
      {"col:мёд", Set({})},
      {"\"пчела OR\"*", Set({"Пчела OR"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(FoundSet(*s, c.typed), c.found);  // and no error
  }
}

TEST_F(IndexTest, AnIndexDeletedWhileRunningIsMadeAgainAndFindsWhatWasWrittenSince) {
  auto s = Start();
  auto removeIndex = [&] {
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(IndexPath() + QLatin1String(suffix));
  };
  removeIndex();
  tables->Set(16, 19, QString::fromUtf8("Улей-лежак"), QString::fromUtf8("Горизонтальный улей."));
  tables->SetStamp("s2");
  s->TermWritten(16, "s1", "s2");
  ASSERT_TRUE(s->WaitIdle(10000));
  EXPECT_EQ(FoundSet(*s, "лежак"), Set({"Улей-лежак"}));
  EXPECT_EQ(FoundSet(*s, "клещ"), Set({"Пчелиный клещ", "Варроатоз", "Клещевина"}));
  EXPECT_TRUE(QFileInfo::exists(IndexPath()));

  // Deleted again and only searched: the search makes it again as well.
  removeIndex();
  const search::FindResult r = s->Find(QString::fromUtf8("лежак"));
  EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
  ASSERT_TRUE(s->WaitIdle(10000));
  EXPECT_EQ(FoundSet(*s, "лежак"), Set({"Улей-лежак"}));
  EXPECT_TRUE(QFileInfo::exists(IndexPath()));
  EXPECT_EQ(s->Status().state, IndexState::Ready);
}

TEST_F(IndexTest, AWriteAFullDiskRefusedIsCaughtUpWithOnceThereIsRoomAndSaidMeanwhile) {
  auto s = Start();
  search::SearchIndex::SimulateFullDisk(true);
  base::ScopeGuard room([] { search::SearchIndex::SimulateFullDisk(false); });
  QString text;
  for (int i = 0; i < 3000; ++i) text += QStringLiteral("прополис%1 ").arg(i);
  tables->Set(30, 15, QString::fromUtf8("Прополис"), text);
  tables->SetStamp("s2");
  s->TermWritten(30, "s1", "s2");
  ASSERT_TRUE(s->WaitIdle(10000));
  search::IndexStatus st = s->Status();
  EXPECT_TRUE(st.behind);
  EXPECT_TRUE(st.message.contains(QStringLiteral("full"))) << st.message.toStdString();
  EXPECT_EQ(FoundSet(*s, "прополис"), Set({}));
  EXPECT_EQ(FoundSet(*s, "клещ"), Set({"Пчелиный клещ", "Варроатоз", "Клещевина"}));

  // Room again: nobody asks, the index catches up by itself.
  search::SearchIndex::SimulateFullDisk(false);
  QElapsedTimer t;
  t.start();
  while (FoundSet(*s, "прополис").empty() && t.elapsed() < 20000) QTest::qWait(50);
  EXPECT_EQ(FoundSet(*s, "прополис"), Set({"Прополис"}));
  ASSERT_TRUE(s->WaitIdle(10000));
  st = s->Status();
  EXPECT_FALSE(st.behind);
  EXPECT_TRUE(st.message.isEmpty()) << st.message.toStdString();
}

TEST_F(IndexTest, NothingToSearchForFindsNothingWithoutAnError) {
  auto s = Start();
  for (const char* typed : {"", "   ", "*", "\"\"", "-,;"}) {
    const search::FindResult r = s->Find(QString::fromUtf8(typed));
    EXPECT_TRUE(r.match.isEmpty()) << typed;
    EXPECT_TRUE(r.hits.empty()) << typed;
    EXPECT_TRUE(r.error.isEmpty()) << typed;
  }
}

}  // namespace
