#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <sqlite3.h>

#include "search/IndexService.h"
#include "search/Mentions.h"
#include "tests/search/FakeSource.h"

using search::IndexService;
using search::IndexState;

namespace {

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    tables->Set(1, 12, QString::fromUtf8("Медогонка"), QString::fromUtf8("Машина для откачки мёда."));
    tables->Set(2, 25, QString::fromUtf8("Центрифуга"), QString::fromUtf8("То же, что {1}медогонка."));
    tables->Set(3, 8, QString::fromUtf8("Забрус"), QString::fromUtf8("Срезают перед {1}откачкой{1}; см. {4}рамка, {3}забрус."));
    tables->Set(4, 16, QString::fromUtf8("Рамка"), QString::fromUtf8("Деревянная рамка для сотов."));
  }
  std::unique_ptr<IndexService> Start() {
    auto s = StartService(dir.path(), tables);
    EXPECT_EQ(s->Status().state, IndexState::Ready) << s->Status().message.toStdString();
    return s;
  }
  // The names of the terms that link to `target`, as "what links here" lists them.
  QStringList Here(IndexService& s, qint64 target) {
    std::vector<search::LinkingTerm> terms;
    qint64 count = -1;
    QString error;
    EXPECT_TRUE(s.LinksTo(target, &terms, &count, &error)) << error.toStdString();
    EXPECT_EQ(count, qint64(terms.size()));
    QStringList names;
    for (const auto& t : terms) names << t.word;
    qint64 counted = -1;
    EXPECT_TRUE(s.LinksTo(target, nullptr, &counted, &error));
    EXPECT_EQ(counted, qint64(names.size()));
    return names;
  }
  static QStringList Names(std::initializer_list<const char*> words) {
    QStringList l;
    for (const char* w : words) l << QString::fromUtf8(w);
    return l;
  }

  QTemporaryDir dir;
  std::shared_ptr<FakeTables> tables = std::make_shared<FakeTables>();
};

TEST_F(LinksTest, WhatLinksHereFollowsBuildPostsDeletesAndCatchUps) {
  auto s = Start();
  // By name; a term named twice in one definition counts once; a link to itself is no link.
  EXPECT_EQ(Here(*s, 1), Names({"Забрус", "Центрифуга"}));
  EXPECT_EQ(Here(*s, 4), Names({"Забрус"}));
  EXPECT_EQ(Here(*s, 3), Names({}));

  // A post that takes a link away and adds another.
  tables->Set(2, 25, QString::fromUtf8("Центрифуга"), QString::fromUtf8("Вращается в {4}рамке."));
  tables->SetStamp("s2");
  s->TermWritten(2, "s1", "s2");
  EXPECT_EQ(Here(*s, 1), Names({"Забрус"}));
  EXPECT_EQ(Here(*s, 4), Names({"Забрус", "Центрифуга"}));

  // A linking term renamed and moved to another letter is listed as it is now.
  tables->Set(3, 17, QString::fromUtf8("Срезка"), QString::fromUtf8("Срезают перед {1}откачкой{1}; см. {4}рамка."));
  tables->SetStamp("s2b");
  s->TermWritten(3, "s2", "s2b");
  EXPECT_EQ(Here(*s, 4), Names({"Срезка", "Центрифуга"}));
  {
    std::vector<search::LinkingTerm> terms;
    QString error;
    ASSERT_TRUE(s->LinksTo(1, &terms, nullptr, &error)) << error.toStdString();
    ASSERT_EQ(terms.size(), 1u);
    EXPECT_EQ(terms[0].id, 3);
    EXPECT_EQ(terms[0].letter, 17);
  }

  // A deleted term links nowhere any more.
  tables->Erase(3);
  tables->SetStamp("s3");
  s->TermWritten(3, "s2b", "s3");
  EXPECT_EQ(Here(*s, 1), Names({}));
  EXPECT_EQ(Here(*s, 4), Names({"Центрифуга"}));

  // Written by another program while this one was closed: caught up at the next start.
  s.reset();
  tables->Set(1, 12, QString::fromUtf8("Медогонка"), QString::fromUtf8("Ей откачивают мёд из {4}рамок."));
  tables->SetStamp("outside");
  s = Start();
  EXPECT_EQ(Here(*s, 4), Names({"Медогонка", "Центрифуга"}));
}

TEST_F(LinksTest, AnIndexWithoutTheLinksIsMadeAgainAtStart) {
  Start().reset();
  // An index as an older build left it: no link table, its own format number.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QDir(dir.path()).filePath(search::kIndexFileName).toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TABLE link; UPDATE meta SET value = '3' WHERE key = 'format'", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  auto s = Start();
  EXPECT_EQ(Here(*s, 1), Names({"Забрус", "Центрифуга"}));
}

TEST(MentionsTest, ProposesTermsNamedInAnyFormLongestNameFirstOncePerTerm) {
  search::MentionFinder f;
  const struct {
    qint64 id;
    const char* name;
  } glossary[] = {{1, "Медогонка"}, {2, "Пчелиная семья"}, {3, "Семья"}, {4, "Рамка"}, {5, "Улей"},
                  {6, "Ё"},         {7, "Мёд"},            {8, "Apis mellifera"}, {9, "Забрус"},
                  {10, "Гнездо пчёл"}, {11, "Пчела-трутовка"}, {12, "Гнездо"}};
  for (const auto& t : glossary) f.Add(t.id, QString::fromUtf8(t.name));
  struct Case {
    const char* text;
    qint64 self;
    std::vector<std::pair<const char*, qint64>> expected;  // the words proposed and their term
  } cases[] = {
      {"Откачивают медогонкой.", 0, {{"медогонкой", 1}}},
      // Two words of one name before the name of one of them; ё read as е, any case.
      {"Сильная пчелиная семья и семьи.", 0, {{"пчелиная семья", 2}, {"семьи", 3}}},
      {"Под рамкой в улье ПЧЁЛЫ берут МЕД; рамки.", 0, {{"рамкой", 4}, {"улье", 5}, {"МЕД", 7}}},
      {"Вид Apis mellifera живёт в ульях.", 0, {{"Apis mellifera", 8}, {"ульях", 5}}},
      // A name's words are apart only by spaces or hyphens: a full stop, colon, bracket or
      // quote between them ends the name.
      {"В гнезде. Пчёлы-трутовки", 0, {{"гнезде", 12}, {"Пчёлы-трутовки", 11}}},
      {"гнездо: пчёлы; гнездо (пчёл) и «гнездо» пчёл", 0, {{"гнездо", 12}}},
      {"В гнезде\u00a0пчёл и\nпчёлы\n- трутовки", 0, {{"гнезде\u00a0пчёл", 10}, {"пчёлы\n- трутовки", 11}}},
      // The definition's own term is not proposed; a name of one letter never.
      {"Забрус срезают ножом; ё и е.", 9, {}},
      {"", 0, {}},
  };
  for (const Case& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    const std::vector<search::Mention> got = f.Find(text, c.self);
    std::vector<std::pair<QString, qint64>> words, want;
    for (const search::Mention& m : got) words.emplace_back(text.mid(m.from, m.to - m.from), m.term);
    for (const auto& [w, id] : c.expected) want.emplace_back(QString::fromUtf8(w), id);
    EXPECT_EQ(words, want) << c.text;
  }
}

TEST(MentionsTest, WordsOfExistingLinksAreNeitherProposedNorTakenAsTheFirstMention) {
  search::MentionFinder f;
  f.Add(1, QString::fromUtf8("Варроа"));
  f.Add(2, QString::fromUtf8("Клещ варроа"));
  f.Add(3, QString::fromUtf8("Мёд"));
  f.Add(4, QString::fromUtf8("Сотовый мёд"));
  // "клещ варроа" is linked (to whatever it links to): neither it nor the "варроа" inside it is
  // proposed, and the later plain "варроа" is the first mention of Варроа. A name that starts
  // in a link ("сотовый" linked alone) is not proposed either, and the words after it still are.
  const QString text = QString::fromUtf8("Против клещ варроа; варроа. Сотовый мёд и мёд.");
  const int link1 = int(text.indexOf(QString::fromUtf8("клещ варроа")));
  const int link2 = int(text.indexOf(QString::fromUtf8("Сотовый")));
  const std::vector<search::Mention> got = f.Find(text, 0, {{link1, link1 + 11}, {link2, link2 + 7}});
  std::vector<std::pair<QString, qint64>> words;
  for (const search::Mention& m : got) words.emplace_back(text.mid(m.from, m.to - m.from), m.term);
  EXPECT_EQ(words, (std::vector<std::pair<QString, qint64>>{{QString::fromUtf8("варроа"), 1},
                                                            {QString::fromUtf8("мёд"), 3}}));
  EXPECT_EQ(got[1].from, int(text.indexOf(QString::fromUtf8("мёд"))));
}

TEST(MentionsTest, PositionsCountCharactersAfterLettersOutsideTheBasicPlane) {
  search::MentionFinder f;
  f.Add(1, QString::fromUtf8("Рамка"));
  const QString text = QString::fromUtf8("🐝 рамки");
  const std::vector<search::Mention> got = f.Find(text);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(text.mid(got[0].from, got[0].to - got[0].from), QString::fromUtf8("рамки"));
}

}  // namespace
