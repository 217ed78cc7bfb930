// Another window's lock on a table file: the wait goes through the program's waiter, can be
// given up, never nests a second store operation, and a move it defeats leaves everything as
// it was.
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <thread>

#include "data/LockWait.h"
#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

class LockWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeGlossary(dir.path(), {{"А", {"Акация", "Апис", "Аэрозоль"}}, {"Б", {"Бабочка", "Борть"}}});
  }
  void TearDown() override { SetLockWaiter({}); }
  QString Detail() const { return dir.filePath("tableDetail.DB"); }

  QTemporaryDir dir;
};

void ExpectBusy(const std::function<void()>& op) {
  try {
    op();
    ADD_FAILURE() << "went through a locked table";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("busy")) << e.Message().toStdString();
  }
}

TEST_F(LockWaitTest, ALetterChangeThatCannotReadItsTermsLeavesEverythingAsItWas) {
  GlossaryTables t(dir.path());
  t.Table2.SetBusyTimeout(200);
  t.Open();
  t.Table2.Next();
  t.Table2.Edit();  // as the window keeps it: open for typing, nothing typed yet
  const QVariant letterA = t.Table1.FieldByName("IDMaster")->Value();
  {
    RawStore other(Detail());
    ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
    ExpectBusy([&] { t.Table1.SetRecNo(2); });
    ASSERT_TRUE(other.Exec("ROLLBACK"));
  }
  EXPECT_EQ(t.Table1.RecNo(), 1);
  EXPECT_EQ(t.Words(), QStringList({"Акация", "Апис", "Аэрозоль"}));
  EXPECT_EQ(t.Table2.RecNo(), 2);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Апис");

  // Typing now changes that term, under its own letter.
  t.Table2.Edit();
  t.Table2TextDetail.SetAsBytes("{\\rtf1 changed}");
  t.Table2.Post();
  {
    RawStore raw(Detail());
    EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail WHERE WordDetail IS NULL").toInt(), 0);
    EXPECT_EQ(raw.Scalar("SELECT AssistDetail FROM tableDetail WHERE WordDetail = 'Апис'"), letterA);
  }
  // And the move can be made again once the lock is gone.
  t.Table1.SetRecNo(2);
  EXPECT_EQ(t.Words(), QStringList({"Бабочка", "Борть"}));
}

TEST_F(LockWaitTest, TheWaiterIsAskedAtEachTurnAndGivingUpIsATimeout) {
  GlossaryTables t(dir.path());
  t.Table2.SetBusyTimeout(60000);
  t.Open();
  std::vector<LockWait> turns;
  int ended = 0;
  SetLockWaiter({[&](const LockWait& w) {
                   turns.push_back(w);
                   EXPECT_TRUE(WaitingForLock());
                   return turns.size() < 3;
                 },
                 [&] { ++ended; }});
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация белая");
  RawStore other(Detail());
  ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
  QElapsedTimer timer;
  timer.start();
  ExpectBusy([&] { t.Table2.Post(); });
  EXPECT_LT(timer.elapsed(), 10000);
  ASSERT_EQ(turns.size(), 3u);
  EXPECT_TRUE(turns[0].file.endsWith("tableDetail.DB"));
  EXPECT_EQ(turns[0].timeoutMs, 60000);
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(WaitingForLock());
  // Given up like a timeout: the edit and its text stay.
  EXPECT_EQ(t.Table2.State(), dsEdit);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация белая");
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  t.Table2.Post();
  EXPECT_EQ(t.Words().first(), "Акация белая");
}

TEST_F(LockWaitTest, AStoreOperationStartedDuringAWaitIsRefusedNotNested) {
  GlossaryTables t(dir.path());
  GlossaryTables second(dir.path());
  t.Open();
  second.Open();
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация белая");
  RawStore other(Detail());
  ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
  int turn = 0;
  bool refused = false;
  SetLockWaiter({[&](const LockWait&) {
                   if (++turn == 1) {
                     // What a timer or a paint might start while the window waits.
                     try {
                       second.Table2.Refresh();
                     } catch (const EDatabaseError&) {
                       refused = true;
                     }
                   }
                   if (turn == 3) {
                     EXPECT_TRUE(other.Exec("ROLLBACK"));
                   }
                   return true;
                 },
                 {}});
  t.Table2.Post();
  EXPECT_TRUE(refused);
  EXPECT_GE(turn, 3);
  EXPECT_EQ(t.Words().first(), "Акация белая");
}

// A store used on another thread (the search index reading the tables) waits on its own: its
// wait neither goes to the window's waiter nor refuses the window's store operations meanwhile.
TEST_F(LockWaitTest, AWaitOnAnotherThreadIsItsOwn) {
  std::atomic<int> asked{0}, ended{0};
  SetLockWaiter({[&](const LockWait&) {
                   ++asked;
                   return true;
                 },
                 [&] { ++ended; }});
  std::atomic<bool> waiting{false}, release{false};
  std::thread other([&] {
    EXPECT_TRUE(detail::LockWaitTurn(QStringLiteral("x.DB"), 0, 5000));
    waiting = true;
    while (!release) QThread::msleep(1);
    detail::LockWaitDone();
  });
  while (!waiting) QThread::msleep(1);
  EXPECT_FALSE(WaitingForLock());
  GlossaryTables t(dir.path());
  t.Open();  // store operations on this thread go through
  EXPECT_EQ(t.Table1.RowCount(), 2);
  release = true;
  other.join();
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(ended, 0);
  // On this thread the waiter is asked and told.
  EXPECT_TRUE(detail::LockWaitTurn(QStringLiteral("x.DB"), 0, 5000));
  EXPECT_TRUE(WaitingForLock());
  detail::LockWaitDone();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(ended, 1);
}

TEST(NoLetters, ATermCannotBeAddedUnderNoLetter) {
  QTemporaryDir dir;
  MakeGlossary(dir.path(), {});
  GlossaryTables t(dir.path());
  t.Open();
  for (auto op : {&TTable::Edit, &TTable::Insert, &TTable::Append}) {
    try {
      (t.Table2.*op)();
      ADD_FAILURE() << "a record under no letter";
    } catch (const EDatabaseError& e) {
      EXPECT_TRUE(e.Message().contains("tableMaster")) << e.Message().toStdString();
    }
    EXPECT_EQ(t.Table2.State(), dsBrowse);
  }
  RawStore raw(dir.filePath("tableDetail.DB"));
  EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail").toInt(), 0);
}

}  // namespace
