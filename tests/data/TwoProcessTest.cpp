// Two programs on one term: whatever the order of their edits, posts and deletes, the second to
// store is told, and nothing one of them stored is overwritten or lost without a word.
#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <iostream>
#include <string>

#include "tests/common/GlossaryFixture.h"

using namespace data;

namespace {

// The other program: the glossary's tables on TERMORA_TRIAL_FOLDER, driven by one command a line
// on its standard input, answering "ok" or "error <message>" for each.
TEST(TwoProcesses, DISABLED_DoesWhatItIsTold) {
  const QString folder = qEnvironmentVariable("TERMORA_TRIAL_FOLDER");
  ASSERT_FALSE(folder.isEmpty());
  GlossaryTables t(folder);
  t.Open();
  std::string line;
  while (std::getline(std::cin, line)) {
    const QString cmd = QString::fromStdString(line);
    QString answer = "ok";
    try {
      if (cmd == "edit") t.Table2.Edit();
      else if (cmd.startsWith("set ")) t.Table2WordDetail.SetAsString(cmd.mid(4));
      else if (cmd == "post") t.Table2.Post();
      else if (cmd == "cancel") t.Table2.Cancel();
      else if (cmd == "delete") t.Table2.Delete();
      else if (cmd == "word") answer = "ok " + t.Table2WordDetail.AsString();
      else answer = "error unknown command";
    } catch (const EDatabaseError& e) {
      answer = "error " + e.Message();
    }
    std::cout << answer.toStdString() << std::endl;
  }
}

class TwoProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeGlossary(dir.path(), {{"А", {"Акация", "Апис"}}});
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("TERMORA_TRIAL_FOLDER", dir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    other.setProcessEnvironment(env);
    other.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=TwoProcesses.DISABLED_DoesWhatItIsTold"});
    ASSERT_TRUE(other.waitForStarted());
    here = std::make_unique<GlossaryTables>(dir.path());
    here->Open();
  }
  void TearDown() override {
    other.closeWriteChannel();
    other.waitForFinished(10000);
  }

  // The other program's answer to one command.
  QString Other(const QString& command) {
    other.write((command + "\n").toUtf8());
    for (;;) {
      while (!other.canReadLine())
        if (!other.waitForReadyRead(20000)) return "no answer";
      const QByteArray answer = other.readLine().trimmed();
      // The test runner's own lines come first.
      if (answer.startsWith("ok") || answer.startsWith("error")) return QString::fromUtf8(answer);
    }
  }
  // This program's own step, answered the same way.
  QString Here(const std::function<void()>& step) {
    try {
      step();
      return "ok";
    } catch (const EDatabaseError& e) {
      return "error " + e.Message();
    }
  }
  QString Stored() {
    RawStore raw(dir.filePath("tableDetail.DB"));
    return raw.Scalar("SELECT group_concat(WordDetail, '|') FROM (SELECT WordDetail FROM tableDetail ORDER BY IDDetail)")
        .toString();
  }

  QTemporaryDir dir;
  QProcess other;
  std::unique_ptr<GlossaryTables> here;
};

TEST_F(TwoProcessTest, EditAgainstEditTheSecondPostIsRefusedAndKeepsItsText) {
  ASSERT_EQ(Other("edit"), "ok");
  here->Table2.Edit();
  here->Table2WordDetail.SetAsString("Акация здесь");
  ASSERT_EQ(Here([&] { here->Table2.Post(); }), "ok");
  ASSERT_EQ(Other("set Акация там"), "ok");
  const QString second = Other("post");
  EXPECT_TRUE(second.startsWith("error") && second.contains("changed by another user")) << second.toStdString();
  EXPECT_EQ(Other("word"), "ok Акация там");  // still in the other's record
  EXPECT_EQ(Stored(), "Акация здесь|Апис");
  // Read again, the other's change goes in on top of this one's, knowingly.
  ASSERT_EQ(Other("cancel"), "ok");
  EXPECT_EQ(Other("word"), "ok Акация здесь");
  ASSERT_EQ(Other("edit"), "ok");
  ASSERT_EQ(Other("set Акация там"), "ok");
  EXPECT_EQ(Other("post"), "ok");
  EXPECT_EQ(Stored(), "Акация там|Апис");
}

TEST_F(TwoProcessTest, EditAgainstDeleteNeitherWinsSilently) {
  // The other deletes what this one is editing: the post says so and keeps the text.
  here->Table2.Edit();
  here->Table2WordDetail.SetAsString("Акация здесь");
  ASSERT_EQ(Other("delete"), "ok");
  const QString post = Here([&] { here->Table2.Post(); });
  EXPECT_TRUE(post.contains("deleted by another user")) << post.toStdString();
  EXPECT_EQ(here->Table2.State(), dsEdit);
  EXPECT_EQ(here->Table2WordDetail.AsString(), "Акация здесь");
  EXPECT_EQ(Stored(), "Апис");
  here->Table2.Cancel();
  here->Table2.Refresh();

  // This one changes what the other is about to delete, read before the change: refused.
  ASSERT_EQ(Other("word"), "ok Апис");
  here->Table2.Edit();
  here->Table2WordDetail.SetAsString("Апис здесь");
  ASSERT_EQ(Here([&] { here->Table2.Post(); }), "ok");
  const QString del = Other("delete");
  EXPECT_TRUE(del.contains("changed or deleted by another user")) << del.toStdString();
  EXPECT_EQ(Stored(), "Апис здесь");
}

}  // namespace
