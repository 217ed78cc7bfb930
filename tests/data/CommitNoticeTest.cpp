// What data derived from the terms elsewhere is told by the store: each committed write with the
// table's stamps around it, and the terms read in short batches.
#include <vector>

#include "data/TermReader.h"
#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

struct Notices {
  explicit Notices(TTable& t) {
    t.AfterCommit = [this](TTable*, const TStoreCommit& c) { told.push_back(c); };
  }
  std::vector<TStoreCommit> told;
};

QString ReaderStamp(const QString& folder) {
  TermReader r;
  EXPECT_TRUE(r.Open(folder).Ok());
  QString stamp;
  EXPECT_TRUE(r.Stamp(&stamp).Ok());
  return stamp;
}

TEST(CommitNotice, EachWriteIsToldWithStampsThatChainUnlessSomeoneElseWrote) {
  GlossaryFolder g(std::vector<LetterTerms>{{"А", {"Акация", "Апис"}}});
  GlossaryTables t(g.Dir.path());
  t.Open();
  Notices n(t.Table2);
  const QString start = ReaderStamp(g.Dir.path());
  ASSERT_FALSE(start.isEmpty());

  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация белая");
  t.Table2.Post();
  t.Table2.Append();
  t.Table2WordDetail.SetAsString("Аконит");
  t.Table2.Post();
  const qint64 added = t.Table2IDDetail.Value().toLongLong();
  t.Table2.Delete();
  ASSERT_EQ(n.told.size(), 3u);
  EXPECT_EQ(n.told[0].kind, ckUpdate);
  EXPECT_EQ(n.told[1].kind, ckInsert);
  EXPECT_EQ(n.told[1].key, added);
  EXPECT_EQ(n.told[2].kind, ckDelete);
  EXPECT_EQ(n.told[2].key, added);
  // Nobody else wrote: each write's stamps follow on from the last, and the last is the table's.
  EXPECT_EQ(n.told[0].before, start);
  for (size_t i = 0; i < n.told.size(); ++i) {
    EXPECT_FALSE(n.told[i].after.isEmpty()) << i;
    EXPECT_NE(n.told[i].after, n.told[i].before) << i;
    if (i > 0) {
      EXPECT_EQ(n.told[i].before, n.told[i - 1].after) << i;
    }
  }
  EXPECT_EQ(n.told.back().after, ReaderStamp(g.Dir.path()));

  // Another program's write shows as a gap between one write's `after` and the next `before`.
  {
    RawStore raw(g.Dir.filePath("tableDetail.DB"));
    ASSERT_TRUE(raw.Exec("UPDATE tableDetail SET WordDetail = 'Апис медоносная' WHERE WordDetail = 'Апис'"));
  }
  t.Table2.First();
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация");
  t.Table2.Post();
  ASSERT_EQ(n.told.size(), 4u);
  EXPECT_NE(n.told[3].before, n.told[2].after);
}

TEST(CommitNotice, ARefusedWriteIsNotTold) {
  GlossaryFolder g(std::vector<LetterTerms>{{"А", {"Акация"}}});
  GlossaryTables t(g.Dir.path());
  t.Open();
  Notices n(t.Table2);
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация белая");
  RawStore raw(g.Dir.filePath("tableDetail.DB"));
  ASSERT_TRUE(raw.Exec("UPDATE tableDetail SET VersionDetail = VersionDetail + 1"));
  EXPECT_THROW(t.Table2.Post(), EDatabaseError);
  // Cancelling shows what is stored now; stored again by the other program, it cannot be deleted.
  t.Table2.Cancel();
  ASSERT_TRUE(raw.Exec("UPDATE tableDetail SET VersionDetail = VersionDetail + 1"));
  EXPECT_THROW(t.Table2.Delete(), EDatabaseError);
  EXPECT_TRUE(n.told.empty());
}

TEST(TermReader, ReadsEveryTermInBatchesWithoutHoldingTheTableBetweenThem) {
  const QByteArray rtf = "{\\rtf1 Robinia}";
  GlossaryFolder g({{"А", {GlossaryTerm("Акация", rtf), GlossaryTerm("Апис", QByteArray())}},
                    {"Б", {"Борть", "Бортник"}}});
  TermReader r;
  ASSERT_TRUE(r.Open(g.Dir.path()).Ok());
  qint64 count = 0;
  ASSERT_TRUE(r.Count(&count).Ok());
  EXPECT_EQ(count, 4);

  std::vector<TermRow> all, batch;
  ASSERT_TRUE(r.ReadAfter(0, 3, &batch).Ok());
  ASSERT_EQ(batch.size(), 3u);
  all = batch;
  // Between two batches the table is free: a post that will not wait at all goes through.
  GlossaryTables t(g.Dir.path());
  t.Table2.SetBusyTimeout(0);
  t.Open();
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация белая");
  EXPECT_NO_THROW(t.Table2.Post());
  ASSERT_TRUE(r.ReadAfter(all.back().key, 3, &batch).Ok());
  ASSERT_EQ(batch.size(), 1u);
  all.push_back(batch[0]);
  ASSERT_TRUE(r.ReadAfter(all.back().key, 3, &batch).Ok());
  EXPECT_TRUE(batch.empty());

  QStringList words;
  for (const TermRow& row : all) words << row.word;
  EXPECT_EQ(words, QStringList({"Акация", "Апис", "Борть", "Бортник"}));
  EXPECT_EQ(all[0].definition, rtf);
  EXPECT_TRUE(all[1].definition.isNull());
  EXPECT_EQ(all[0].letter, all[1].letter);
  EXPECT_NE(all[0].letter, all[2].letter);

  TermRow one;
  ASSERT_TRUE(r.Read(all[0].key, &one).Ok());
  EXPECT_EQ(one.word, "Акация белая");
  EXPECT_GT(one.version, all[0].version);
  EXPECT_EQ(r.Read(999, &one).status, StoreStatus::Gone);
}

TEST(TermReader, AMissingTableFileIsAnErrorNotANewFile) {
  QTemporaryDir dir;
  TermReader r;
  const StoreResult res = r.Open(dir.path());
  EXPECT_FALSE(res.Ok());
  EXPECT_FALSE(res.error.isEmpty());
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
