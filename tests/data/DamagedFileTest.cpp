// A table file damaged underneath the program: it is reported as a damaged file, named, with
// nothing changed, and never as another user's deletion or as an empty value.
#include "tests/common/DamagedFile.h"
#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

class DamagedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Definitions large enough that each term's row sits on table pages of its own.
    std::vector<GlossaryTerm> terms;
    for (const char* w : {"Акация", "Апис", "Аэрозоль"})
      terms.emplace_back(QString::fromUtf8(w), QByteArray("{\\rtf1 ") + QByteArray(3000, 'd') + "}");
    MakeGlossary(dir.path(), {{"А", terms}});
  }
  QString Detail() const { return dir.filePath("tableDetail.DB"); }

  int PageOfDefinition(const QByteArray& marker) const { return TablePageHolding(Detail(), marker); }
  void Scramble(int page) const { ScrambleTablePage(Detail(), page); }

  QTemporaryDir dir;
};

void ExpectDamagedReport(const std::function<void()>& op, const QString& path, const char* what) {
  try {
    op();
    ADD_FAILURE() << what << ": no failure";
  } catch (const EDatabaseError& e) {
    const QString m = e.Message();
    EXPECT_TRUE(m.contains(path)) << what << ": " << m.toStdString();
    EXPECT_TRUE(m.contains("damaged")) << what << ": " << m.toStdString();
    EXPECT_TRUE(m.contains("Nothing was changed")) << what << ": " << m.toStdString();
    EXPECT_TRUE(m.contains("README")) << what << ": " << m.toStdString();
    EXPECT_FALSE(m.contains("another user")) << what << ": " << m.toStdString();
  }
}

TEST_F(DamagedFileTest, ADamagedFileIsRefusedAtOpeningAndNamed) {
  Scramble(PageOfDefinition("dddddddddd"));
  GlossaryTables t(dir.path());
  t.Table1.Open();
  ExpectDamagedReport([&] { t.Table2.Open(); }, Detail(), "open");
  EXPECT_FALSE(t.Table2.Active());
}

TEST_F(DamagedFileTest, APageDamagedAfterOpeningIsReportedAsDamageWhateverReadsIt) {
  GlossaryTables t(dir.path());
  t.Open();
  ASSERT_EQ(t.Words(), QStringList({"Акация", "Апис", "Аэрозоль"}));
  // The terms are listed from the index; the definitions live on the table's pages.
  Scramble(PageOfDefinition("dddddddddd"));
  ExpectDamagedReport([&] { (void)t.Table2TextDetail.AsBytes(); }, Detail(), "reading the definition");
  ExpectDamagedReport([&] { t.Table2.Edit(); }, Detail(), "edit");
  EXPECT_EQ(t.Table2.State(), dsBrowse);
}

TEST_F(DamagedFileTest, AnIndexListingARowTheTableLacksIsDamageNotADeletion) {
  {
    // The index is made to miss one delete: while it reads as a partial index of no rows, a
    // delete leaves its entries alone.
    RawStore raw(Detail());
    ASSERT_TRUE(raw.Exec("PRAGMA writable_schema = ON"));
    ASSERT_TRUE(raw.Exec("UPDATE sqlite_master SET sql = sql || ' WHERE 0' WHERE name = 'SecInxDetail'"));
  }
  {
    RawStore raw(Detail());
    ASSERT_TRUE(raw.Exec("DELETE FROM tableDetail WHERE WordDetail = 'Апис'"));
    ASSERT_TRUE(raw.Exec("PRAGMA writable_schema = ON"));
    ASSERT_TRUE(raw.Exec("UPDATE sqlite_master SET sql = replace(sql, ' WHERE 0', '') WHERE name = 'SecInxDetail'"));
  }
  GlossaryTables t(dir.path());
  t.Open();
  ASSERT_EQ(t.Words(), QStringList({"Акация", "Апис", "Аэрозоль"}));
  t.Table2.Next();
  ExpectDamagedReport([&] { (void)t.Table2TextDetail.AsBytes(); }, Detail(), "reading the definition");
  ExpectDamagedReport([&] { t.Table2.Edit(); }, Detail(), "edit");
}

TEST_F(DamagedFileTest, ARowReallyDeletedByAnotherWindowIsStillADeletion) {
  GlossaryTables t(dir.path());
  t.Open();
  t.Table2.Next();
  {
    RawStore other(Detail());
    ASSERT_TRUE(other.Exec("DELETE FROM tableDetail WHERE WordDetail = 'Апис'"));
  }
  try {
    (void)t.Table2TextDetail.AsBytes();
    ADD_FAILURE() << "an empty definition for a deleted term";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("deleted by another user")) << e.Message().toStdString();
  }
  try {
    t.Table2.Edit();
    ADD_FAILURE() << "edited a deleted term";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("deleted by another user")) << e.Message().toStdString();
  }
}

}  // namespace
