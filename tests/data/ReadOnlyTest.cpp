// A table file the store cannot write: it says which file and why, and refuses changes as such.
#include "base/ScopeGuard.h"
#include "data/StoreConnection.h"
#include "tests/common/GlossaryFixture.h"
#include "tests/common/ReadOnlyFile.h"

using namespace data;

namespace {

class ReadOnlyTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeGlossary(dir.path(), {{"А", {"Акация"}}}); }
  QString Detail() const { return dir.filePath("tableDetail.DB"); }
  QTemporaryDir dir;
};

TEST_F(ReadOnlyTest, TheFileOrItsFolderUnwritableIsToldAndEveryChangeRefusedWithIt) {
  const struct {
    const char* what;
    bool folder;
    const char* says;
  } cases[] = {
      {"the file", false, "cannot be changed"},
      {"its folder", true, "takes no new files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UnwritableFile locked(c.folder ? dir.path() : Detail());
    if (!locked.Usable()) GTEST_SKIP() << "no way here to make a file unwritable";
    GlossaryTables t(dir.path());
    t.Open();
    EXPECT_FALSE(t.Table2.CanModify());
    EXPECT_TRUE(t.Table2.ReadOnlyReason().contains(Detail())) << t.Table2.ReadOnlyReason().toStdString();
    EXPECT_TRUE(t.Table2.ReadOnlyReason().contains(c.says)) << t.Table2.ReadOnlyReason().toStdString();
    try {
      t.Table2.Edit();
      ADD_FAILURE() << "edited";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), t.Table2.ReadOnlyReason());
    }
    EXPECT_THROW(t.Table2.Insert(), EDatabaseError);
    EXPECT_THROW(t.Table2.Delete(), EDatabaseError);
    EXPECT_EQ(t.Words(), QStringList({"Акация"}));
  }
}

TEST_F(ReadOnlyTest, AFileThatTurnsReadOnlyWhileOpenRefusesThePostAndKeepsTheEdit) {
  GlossaryTables t(dir.path());
  t.Open();
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация белая");
  UnwritableFile locked(Detail());
  if (!locked.Usable()) GTEST_SKIP() << "no way here to make a file unwritable";
  try {
    t.Table2.Post();
    ADD_FAILURE() << "posted";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains(Detail())) << e.Message().toStdString();
  }
  EXPECT_EQ(t.Table2.State(), dsEdit);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация белая");
}

TEST_F(ReadOnlyTest, AFullDiskRefusesThePostSayingTheChangeIsKeptAndItGoesThroughOnceThereIsRoom) {
  GlossaryTables t(dir.path());
  t.Open();
  t.Table2.Edit();
  const QByteArray definition(200000, 'x');  // more than the file has room for
  t.Table2TextDetail.SetAsBytes(definition);
  StoreConnection::SimulateFullDisk(true);
  base::ScopeGuard room([] { StoreConnection::SimulateFullDisk(false); });
  try {
    t.Table2.Post();
    ADD_FAILURE() << "posted";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("is full")) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().contains("still in the window")) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().contains("tableDetail.DB")) << e.Message().toStdString();
  }
  EXPECT_EQ(t.Table2.State(), dsEdit);
  EXPECT_EQ(t.Table2TextDetail.AsBytes(), definition);
  StoreConnection::SimulateFullDisk(false);
  t.Table2.Post();
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  GlossaryTables again(dir.path());
  again.Open();
  EXPECT_EQ(again.Table2TextDetail.AsBytes(), definition);
}

}  // namespace
