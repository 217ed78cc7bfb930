// The table dataset: master and detail, record numbers, editing, notifications, two windows.
#include <QBuffer>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>

#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeGlossary(dir.path(), {{"А", {"Акация", "Апис", "Аэрозоль"}}, {"Б", {"Бабочка", "Борть"}}, {"В", {}}});
  }
  QTemporaryDir dir;
};

// Records what a control bound to one field hears, in order.
struct Recorder {
  Recorder(TDataSource* source, const QString& field, std::vector<std::string>* log) : log_(log) {
    link.OnDataChange = [this] { log_->push_back("data"); };
    link.OnEditingChange = [this] { log_->push_back(link.Editing() ? "editing on" : "editing off"); };
    link.OnUpdateData = [this] {
      log_->push_back("update");
      if (write) write();
    };
    link.OnActiveChange = [this] { log_->push_back(link.Active() ? "active" : "inactive"); };
    link.SetFieldName(field);
    link.SetDataSource(source);
  }
  TFieldDataLink link;
  std::function<void()> write;
  std::vector<std::string>* log_;
};

using Log = std::vector<std::string>;

TEST_F(DataSetTest, OpensMasterThenDetailOnTheFirstLetter) {
  GlossaryTables t(dir.path());
  t.Open();
  EXPECT_EQ(t.Table1.State(), dsBrowse);
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  EXPECT_EQ(t.Table1.RecNo(), 1);
  EXPECT_EQ(t.Table1.RecordCount(), 3);
  EXPECT_EQ(t.Table2.RecNo(), 1);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация");
  EXPECT_EQ(t.Words(), QStringList({"Акация", "Апис", "Аэрозоль"}));
  EXPECT_EQ(t.Table2AssistDetail.AsInteger(), t.Table1.FieldByName("IDMaster")->AsInteger());
  EXPECT_EQ(t.Table2TextDetail.AsBytes(), QByteArray("{\\rtf1 ") + QString("Акация").toUtf8() + "}");
}

TEST_F(DataSetTest, RecordNumbersPositionTheMasterAndTheDetailFollows) {
  GlossaryTables t(dir.path());
  t.Open();
  Log log;
  Recorder word(&t.DataSource2, "WordDetail", &log);
  log.clear();

  t.Table1.SetRecNo(2);
  EXPECT_EQ(t.Table1.FieldByName("LetterMaster")->AsString(), "Б");
  EXPECT_EQ(t.Words(), QStringList({"Бабочка", "Борть"}));
  EXPECT_EQ(log, Log({"data"}));

  // The current letter again, or a letter that is not there: nothing is re-read or told.
  t.Table2.Next();
  log.clear();
  for (int n : {2, 0, 4, 27, -1}) t.Table1.SetRecNo(n);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(t.Table1.RecNo(), 2);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Борть");

  t.Table1.SetRecNo(3);  // a letter without terms
  EXPECT_TRUE(t.Table2.IsEmpty());
  EXPECT_TRUE(t.Table2.Bof() && t.Table2.Eof());
  EXPECT_TRUE(t.Table2WordDetail.IsNull());
  EXPECT_TRUE(t.Table2TextDetail.AsBytes().isEmpty());
  t.Table1.SetRecNo(1);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация");
}

TEST_F(DataSetTest, MovesAndTheirEnds) {
  GlossaryTables t(dir.path());
  t.Open();
  EXPECT_TRUE(t.Table2.Bof());
  t.Table2.Next();
  EXPECT_FALSE(t.Table2.Bof());
  EXPECT_EQ(t.Table2.RecNo(), 2);
  t.Table2.Last();
  EXPECT_TRUE(t.Table2.Eof());
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Аэрозоль");
  t.Table2.Next();
  EXPECT_TRUE(t.Table2.Eof());
  EXPECT_EQ(t.Table2.RecNo(), 3);
  EXPECT_EQ(t.Table2.MoveBy(-5), -2);
  EXPECT_TRUE(t.Table2.Bof());
  t.Table2.SetRecNo(3);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Аэрозоль");
}

TEST_F(DataSetTest, EditPostNotifiesInTheOrderTheControlsRelyOn) {
  GlossaryTables t(dir.path());
  t.Open();
  Log log;
  Recorder text(&t.DataSource2, "TextDetail", &log);
  std::vector<std::string> source;
  t.DataSource2.OnStateChange = [&] { source.push_back("state " + std::to_string(t.DataSource2.State())); };
  text.write = [&] { t.Table2TextDetail.SetAsBytes("{\\rtf1 new}"); };
  log.clear();

  // Typing starts an edit only while the data source edits automatically.
  t.DataSource2.SetAutoEdit(false);
  EXPECT_FALSE(text.link.Edit());
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  t.DataSource2.SetAutoEdit(true);
  EXPECT_TRUE(text.link.Edit());
  EXPECT_EQ(t.Table2.State(), dsEdit);
  EXPECT_EQ(log, Log({"editing on", "data"}));
  log.clear();

  text.link.Modified();
  t.Table2.Post();
  // The control writes its text before the store is asked, and its own write does not echo
  // back to it as a data change.
  EXPECT_EQ(log, Log({"update", "editing off", "data"}));
  EXPECT_EQ(source, std::vector<std::string>({"state 2", "state 1"}));
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  EXPECT_EQ(t.Table2TextDetail.AsBytes(), QByteArray("{\\rtf1 new}"));

  // A field change tells the link bound to it; a move tells everyone.
  t.Table2.Edit();
  log.clear();
  t.Table2TextDetail.SetAsBytes("x");
  t.Table2WordDetail.SetAsString("Акация белая");
  EXPECT_EQ(log, Log({"data"}));
  t.Table2.Cancel();
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация");
  EXPECT_EQ(t.Table2TextDetail.AsBytes(), QByteArray("{\\rtf1 new}"));

  log.clear();
  t.Table2.Next();
  t.Table2.Close();
  EXPECT_EQ(log, Log({"data", "data", "inactive"}));
}

TEST_F(DataSetTest, EndingAPendingEditStoresOnlyWhatChanged) {
  GlossaryTables t(dir.path());
  t.Open();
  RawStore raw(dir.filePath("tableDetail.DB"));
  const QString versions = "SELECT group_concat(VersionDetail) FROM tableDetail";
  const QString before = raw.Scalar(versions).toString();

  // Unchanged edit: dropped when the letter changes.
  t.Table2.Edit();
  t.Table1.SetRecNo(2);
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  EXPECT_EQ(raw.Scalar(versions).toString(), before);

  // Changed definition: stored when the letter changes.
  t.Table2.Edit();
  t.Table2TextDetail.SetAsBytes("{\\rtf1 changed}");
  t.Table1.SetRecNo(1);
  EXPECT_EQ(raw.Scalar("SELECT TextDetail FROM tableDetail WHERE WordDetail = 'Бабочка'").toByteArray(),
            QByteArray("{\\rtf1 changed}"));

  // A new record never changed: dropped.
  const int count = raw.Scalar("SELECT count(*) FROM tableDetail").toInt();
  t.Table2.Insert();
  t.Table2.Next();
  EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail").toInt(), count);
  EXPECT_EQ(t.Table2.RecordCount(), 3);

  // The value a control still holds is taken into the record before deciding.
  Log log;
  Recorder word(&t.DataSource2, "WordDetail", &log);
  word.write = [&] { t.Table2WordDetail.SetAsString("Апис мелифера"); };
  t.Table2.Edit();
  word.link.Modified();
  t.Table1.SetRecNo(2);
  EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail WHERE WordDetail = 'Апис мелифера'").toInt(), 1);
}

TEST_F(DataSetTest, EditingAnEmptyLetterInsertsIntoThatLetter) {
  GlossaryTables t(dir.path());
  t.Open();
  t.Table1.SetRecNo(3);
  const int letter = t.Table1.FieldByName("IDMaster")->AsInteger();
  Log log;
  Recorder word(&t.DataSource2, "AssistDetail", &log);
  int linkSeenAtInsert = -1;
  t.DataSource2.OnStateChange = [&] {
    if (t.Table2.State() == dsInsert) linkSeenAtInsert = t.Table2AssistDetail.AsInteger();
  };
  t.Table2.Edit();
  EXPECT_EQ(t.Table2.State(), dsInsert);
  EXPECT_EQ(linkSeenAtInsert, letter);
  EXPECT_FALSE(t.Table2.Modified());
  EXPECT_TRUE(t.Table2IDDetail.IsNull());

  t.Table2WordDetail.SetAsString("Вощина");
  t.Table2.Post();
  EXPECT_FALSE(t.Table2IDDetail.IsNull());
  t.Table2.Insert();
  t.Table2WordDetail.SetAsString("Взяток");
  t.Table2.Post();
  EXPECT_EQ(t.Words(), QStringList({"Взяток", "Вощина"}));
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Взяток");
  t.Table1.SetRecNo(1);
  t.Table1.SetRecNo(3);
  EXPECT_EQ(t.Words(), QStringList({"Взяток", "Вощина"}));
  EXPECT_EQ(t.Table2AssistDetail.AsInteger(), letter);
}

TEST_F(DataSetTest, DeleteAndCancel) {
  GlossaryTables t(dir.path());
  t.Open();
  t.Table2.Next();
  t.Table2.Delete();
  EXPECT_EQ(t.Words(), QStringList({"Акация", "Аэрозоль"}));
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Аэрозоль");
  t.Table2.Insert();
  EXPECT_EQ(t.Table2.RowCount(), 3);
  t.Table2.Delete();  // deleting the new record only drops it
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  EXPECT_EQ(t.Words(), QStringList({"Акация", "Аэрозоль"}));
  GlossaryTables again(dir.path());
  again.Open();
  EXPECT_EQ(again.Words(), QStringList({"Акация", "Аэрозоль"}));
  t.Table1.SetRecNo(3);
  EXPECT_THROW(t.Table2.Delete(), EDatabaseError);
}

TEST_F(DataSetTest, FieldsRefuseWhatTheyCannotHold) {
  GlossaryTables t(dir.path());
  t.Open();
  EXPECT_THROW(t.Table2WordDetail.SetAsString("x"), EDatabaseError);  // not editing
  t.Table2.Edit();
  EXPECT_THROW(t.Table2IDDetail.SetAsInteger(5), EDatabaseError);
  EXPECT_THROW(t.Table2NumDetail.SetAsInteger(40000), EDatabaseError);
  EXPECT_THROW(t.Table2AssistDetail.SetAsString("12a"), EDatabaseError);
  EXPECT_FALSE(t.Table2NumDetail.IsValidChar('a'));
  EXPECT_TRUE(t.Table2WordDetail.IsValidChar(QChar(0x0436)));
  EXPECT_EQ(t.Table2WordDetail.Size(), 40);
  EXPECT_EQ(t.Table2.State(), dsEdit);
  // Any character is kept, not only those of one code page; the width is 40 characters.
  const QString word = QString::fromUtf8("Пчела ✿ ünï 蜂 ") + QString(40, QChar('x'));
  t.Table2WordDetail.SetAsString(word);
  t.Table2.Post();
  GlossaryTables again(dir.path());
  again.Open();
  EXPECT_EQ(again.Words().last(), word.left(40));

  // Characters outside the basic plane count as one and are never cut in half.
  const QString bee = QString::fromUtf8("\xF0\x9F\x90\x9D");  // one character, two UTF-16 units
  again.Table2.Edit();
  again.Table2WordDetail.SetAsString(QString("Б") + bee.repeated(45));
  EXPECT_EQ(again.Table2WordDetail.AsString(), QString("Б") + bee.repeated(39));
  again.Table2.Post();
  EXPECT_EQ(again.Table2WordDetail.AsString(), QString("Б") + bee.repeated(39));
}

TEST_F(DataSetTest, BlobsRoundTripByteForByteThroughStreams) {
  GlossaryTables t(dir.path());
  t.Open();
  QByteArray bytes;
  for (int i = 0; i < 70000; ++i) bytes.append(char(i * 7));
  t.Table2.Edit();
  {
    auto out = t.Table2TextDetail.CreateBlobStream(bmWrite);
    out->write(bytes.left(10));
    out->write(bytes.mid(10));
  }
  t.Table2.Post();
  QBuffer read;
  read.open(QIODevice::WriteOnly);
  t.Table2TextDetail.SaveToStream(&read);
  EXPECT_EQ(read.data(), bytes);

  t.Table2.Next();
  t.Table2.Edit();
  QBuffer in;
  in.setData(QByteArray("\0\r\n\xff", 4));
  in.open(QIODevice::ReadOnly);
  t.Table2TextDetail.LoadFromStream(&in);
  t.Table2.Post();
  GlossaryTables again(dir.path());
  again.Open();
  EXPECT_EQ(again.Table2TextDetail.AsBytes(), bytes);
  again.Table2.Next();
  EXPECT_EQ(again.Table2TextDetail.AsBytes(), QByteArray("\0\r\n\xff", 4));
}

TEST_F(DataSetTest, TwoWindowsNeverOverwriteEachOtherSilently) {
  GlossaryTables a(dir.path());
  GlossaryTables b(dir.path());
  a.Open();
  b.Open();

  // Both edit the same term; the second post must fail and keep its text in the record.
  a.Table2.Edit();
  b.Table2.Edit();
  a.Table2TextDetail.SetAsBytes("from A");
  a.Table2.Post();
  b.Table2TextDetail.SetAsBytes("from B");
  try {
    b.Table2.Post();
    ADD_FAILURE() << "lost update";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("another user")) << e.Message().toStdString();
  }
  EXPECT_EQ(b.Table2.State(), dsEdit);
  EXPECT_EQ(b.Table2TextDetail.AsBytes(), QByteArray("from B"));
  // Leaving the letter tries to store it again and fails again: the master stays put.
  EXPECT_THROW(b.Table1.SetRecNo(2), EDatabaseError);
  EXPECT_EQ(b.Table1.RecNo(), 1);
  // Cancelling shows the other's stored text at once, without a refresh.
  b.Table2.Cancel();
  EXPECT_EQ(b.Table2TextDetail.AsBytes(), QByteArray("from A"));

  // The same for a rename, which the grid shows from the rows read for the letter.
  a.Table2.Edit();
  b.Table2.Edit();
  const QString before = b.Table2WordDetail.AsString();
  a.Table2WordDetail.SetAsString("Имя от A");
  a.Table2.Post();
  b.Table2WordDetail.SetAsString("Имя от B");
  EXPECT_THROW(b.Table2.Post(), EDatabaseError);
  EXPECT_EQ(b.Table2WordDetail.AsString(), "Имя от B");
  b.Table2.Cancel();
  EXPECT_EQ(b.Table2WordDetail.AsString(), "Имя от A");
  a.Table2.Edit();
  a.Table2WordDetail.SetAsString(before);
  a.Table2.Post();

  // An edit begun after the other's post starts from what is stored now.
  a.Table2.Edit();
  a.Table2WordDetail.SetAsString("Акация жёлтая");
  a.Table2.Post();
  b.Table2.Edit();
  EXPECT_EQ(b.Table2WordDetail.AsString(), "Акация жёлтая");
  b.Table2.Cancel();

  // A delete of a record the other changed, and a post to a record the other deleted.
  a.Table2.Last();
  b.Table2.Last();
  a.Table2.Edit();
  a.Table2WordDetail.SetAsString("Аэрозоли");
  a.Table2.Post();
  EXPECT_THROW(b.Table2.Delete(), EDatabaseError);
  b.Table2.Refresh();
  b.Table2.Edit();
  a.Table2.Delete();
  b.Table2WordDetail.SetAsString("Аэрозоль");
  EXPECT_THROW(b.Table2.Post(), EDatabaseError);
  EXPECT_EQ(b.Table2.State(), dsEdit);
  EXPECT_EQ(b.Table2WordDetail.AsString(), "Аэрозоль");
}

TEST_F(DataSetTest, ABusyTableIsWaitedForThenReported) {
  GlossaryTables t(dir.path());
  t.Table2.SetBusyTimeout(300);
  t.Open();
  RawStore other(dir.filePath("tableDetail.DB"));
  ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE"));
  t.Table2.Edit();
  t.Table2WordDetail.SetAsString("Акация серебристая");
  QElapsedTimer timer;
  timer.start();
  try {
    t.Table2.Post();
    ADD_FAILURE() << "posted into a locked table";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.Message().contains("busy")) << e.Message().toStdString();
  }
  EXPECT_GE(timer.elapsed(), 250);
  EXPECT_EQ(t.Table2.State(), dsEdit);
  EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация серебристая");
  ASSERT_TRUE(other.Exec("COMMIT"));
  t.Table2.Post();
  EXPECT_EQ(t.Table2.State(), dsBrowse);
  EXPECT_EQ(t.Words().first(), "Акация серебристая");
}

TEST_F(DataSetTest, EveryOperationTellsABusyTableInItsOwnWordsAndKeepsItsState) {
  struct Case {
    const char* name;
    std::function<void(GlossaryTables&)> before;  // run while the file is free
    std::function<void(GlossaryTables&)> op;
    const char* says;
    TDataSetState stateAfter;
    int rowsAfter;
  };
  const std::vector<Case> cases = {
      {"edit", [](GlossaryTables&) {}, [](GlossaryTables& t) { t.Table2.Edit(); }, "Try again in a moment.", dsBrowse,
       3},
      // A range that could not be read is shown empty (see the next test).
      {"refresh", [](GlossaryTables&) {}, [](GlossaryTables& t) { t.Table2.Refresh(); }, "Try again in a moment.",
       dsBrowse, 0},
      {"post",
       [](GlossaryTables& t) {
         t.Table2.Edit();
         t.Table2WordDetail.SetAsString("Акация белая");
       },
       [](GlossaryTables& t) { t.Table2.Post(); },
       "Your changes were not stored and are still in the record; try again in a moment.", dsEdit, 3},
      {"delete", [](GlossaryTables&) {}, [](GlossaryTables& t) { t.Table2.Delete(); },
       "The record was not deleted; try again in a moment.", dsBrowse, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GlossaryTables t(dir.path());
    t.Table2.SetBusyTimeout(100);
    t.Open();
    c.before(t);
    RawStore other(dir.filePath("tableDetail.DB"));
    ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
    try {
      c.op(t);
      ADD_FAILURE() << "went through a locked table";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), "The table tableDetail.DB is busy: another program is writing to it. " + QString(c.says));
    }
    ASSERT_TRUE(other.Exec("ROLLBACK"));
    EXPECT_EQ(t.Table2.State(), c.stateAfter);
    if (c.stateAfter == dsEdit) {
      EXPECT_EQ(t.Table2WordDetail.AsString(), "Акация белая");
    }
    EXPECT_EQ(t.Table2.RowCount(), c.rowsAfter);
  }
}

TEST_F(DataSetTest, ARangeThatCouldNotBeReadHasNoCurrentRecordUntilReadAgain) {
  GlossaryTables t(dir.path());
  t.Table2.SetBusyTimeout(100);
  t.Open();
  t.Table2.Last();
  {
    RawStore other(dir.filePath("tableDetail.DB"));
    ASSERT_TRUE(other.Exec("BEGIN EXCLUSIVE"));
    EXPECT_THROW(t.Table2.Refresh(), EDatabaseError);
    ASSERT_TRUE(other.Exec("ROLLBACK"));
  }
  // Not a position past the end of an empty range: reading the fields must not reach for a row.
  EXPECT_EQ(t.Table2.RecNo(), 0);
  EXPECT_TRUE(t.Table2.IsEmpty());
  EXPECT_TRUE(t.Table2.Bof() && t.Table2.Eof());
  EXPECT_TRUE(t.Table2WordDetail.IsNull());
  EXPECT_TRUE(t.Table2TextDetail.AsBytes().isEmpty());
  t.Table2.Refresh();
  EXPECT_EQ(t.Words(), QStringList({"Акация", "Апис", "Аэрозоль"}));
  EXPECT_EQ(t.Table2.RecNo(), 1);
}

TEST_F(DataSetTest, EndingTheProgramLosesAnUnpostedEditWhateverGoesFirst) {
  for (bool masterFirst : {true, false}) {
    auto* owner = new QObject;
    auto* table1 = new TTable(owner);
    auto* source1 = new TDataSource(owner);
    TTable* table2 = nullptr;
    if (masterFirst) table2 = new TTable(owner);
    auto* source2 = new TDataSource(owner);
    if (!masterFirst) table2 = new TTable(owner);
    auto* text = new TGraphicField(owner);
    table1->SetDatabaseName(dir.path());
    table1->SetTableName("tableMaster");
    source1->SetDataSet(table1);
    table2->SetDatabaseName(dir.path());
    table2->SetTableName("tableDetail.DB");
    table2->SetIndexName("SecInxDetail");
    table2->SetMasterFields("IDMaster");
    table2->SetMasterSource(source1);
    source2->SetDataSet(table2);
    table1->Open();
    table2->Open();
    text->SetFieldName("TextDetail");  // bound after opening is refused...
    EXPECT_THROW(text->SetDataSet(table2), EDatabaseError);
    table2->Edit();
    table2->FieldByName("TextDetail")->SetValue(QByteArray("unposted"));
    delete owner;
  }
  RawStore raw(dir.filePath("tableDetail.DB"));
  EXPECT_EQ(raw.Scalar("SELECT count(*) FROM tableDetail WHERE CAST(TextDetail AS TEXT) = 'unposted'").toInt(), 0);
}

TEST_F(DataSetTest, DefaultFieldsWhenTheOwnerDeclaresNone) {
  TTable table;
  table.SetDatabaseName(dir.path());
  table.SetTableName("tableMaster");
  table.Open();
  QStringList names;
  for (TField* f : table.Fields()) names << f->FieldName();
  EXPECT_EQ(names, QStringList({"IDMaster", "NumMaster", "LetterMaster"}));
  EXPECT_TRUE(table.FieldByName("IDMaster")->ReadOnly());
  EXPECT_EQ(table.FindField("VersionMaster"), nullptr);  // the store's own columns stay hidden
  EXPECT_THROW(table.FieldByName("Nope"), EDatabaseError);
  table.Last();
  EXPECT_EQ(table.FieldByName("LetterMaster")->AsString(), "В");
  table.Close();
  EXPECT_TRUE(table.Fields().isEmpty());
}

}  // namespace
