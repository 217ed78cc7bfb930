// Values another program left in the tables that this program would never write itself.
#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

class ForeignDataTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeGlossary(dir.path(), {{"А", {"Акация", "Апис"}}}); }
  QString Detail() const { return dir.filePath("tableDetail.DB"); }
  QTemporaryDir dir;
};

TEST_F(ForeignDataTest, AVersionThatIsNoIntegerIsStillAVersion) {
  for (const char* stored : {"'abc'", "2.5", "x'00ff'"}) {
    SCOPED_TRACE(stored);
    {
      RawStore raw(Detail());
      ASSERT_TRUE(raw.Exec("PRAGMA ignore_check_constraints = ON"));
      ASSERT_TRUE(raw.Exec(QString("UPDATE tableDetail SET VersionDetail = %1").arg(stored)));
    }
    GlossaryTables a(dir.path());
    GlossaryTables b(dir.path());
    a.Open();
    b.Open();
    a.Table2.Edit();
    b.Table2.Edit();
    a.Table2WordDetail.SetAsString("Акация белая");
    ASSERT_NO_THROW(a.Table2.Post());
    {
      RawStore raw(Detail());
      EXPECT_EQ(raw.Scalar("SELECT typeof(VersionDetail) FROM tableDetail WHERE WordDetail = 'Акация белая'").toString(),
                "integer");
    }
    // The other window read the same odd version: its post is a conflict, not a silent overwrite.
    b.Table2WordDetail.SetAsString("Акация жёлтая");
    try {
      b.Table2.Post();
      ADD_FAILURE() << "lost update";
    } catch (const EDatabaseError& e) {
      EXPECT_TRUE(e.Message().contains("changed by another user")) << e.Message().toStdString();
    }
    b.Table2.Cancel();
    // And once read again, it is editable as any other.
    b.Table2.Edit();
    b.Table2WordDetail.SetAsString("Акация");
    ASSERT_NO_THROW(b.Table2.Post());
    // A delete compares the version as stored too.
    {
      RawStore raw(Detail());
      ASSERT_TRUE(raw.Exec("PRAGMA ignore_check_constraints = ON"));
      ASSERT_TRUE(raw.Exec(QString("UPDATE tableDetail SET VersionDetail = %1 WHERE WordDetail = 'Апис'").arg(stored)));
    }
    b.Table2.Refresh();
    b.Table2.Last();
    ASSERT_NO_THROW(b.Table2.Delete());
    EXPECT_EQ(b.Words(), QStringList({"Акация"}));
    b.Table2.Append();
    b.Table2WordDetail.SetAsString("Апис");
    b.Table2.Post();
  }
}

TEST_F(ForeignDataTest, NewFilesHoldOnlyIntegerVersions) {
  RawStore detail(Detail());
  EXPECT_FALSE(detail.Exec("UPDATE tableDetail SET VersionDetail = 'abc'"));
  EXPECT_TRUE(detail.Exec("UPDATE tableDetail SET VersionDetail = VersionDetail + 1"));
  RawStore master(dir.filePath("tableMaster.DB"));
  EXPECT_FALSE(master.Exec("UPDATE tableMaster SET VersionMaster = 'abc'"));
}

}  // namespace
