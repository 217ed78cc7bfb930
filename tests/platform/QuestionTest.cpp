#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Exception.h"
#include "platform/Question.h"
#include "tests/common/TestQuestions.h"

TEST(Question, ScriptedAnswersAreGivenInOrderAndRecorded) {
  TestQuestions q;
  q.answers = {platform::idCancel, platform::idOk};
  EXPECT_FALSE(platform::Confirm("first?"));
  EXPECT_TRUE(platform::Confirm("second?"));
  platform::Inform("done");
  ASSERT_EQ(q.asked.size(), 3u);
  EXPECT_EQ(q.Texts(), QStringList({"first?", "second?", "done"}));
  EXPECT_EQ(q.asked[2].caption, "Termora");
  EXPECT_EQ(q.asked[0].buttons, platform::Buttons::OkCancel);
}

// Ours carry a QString, the standard library's a UTF-8 what(): both reach the user as written.
TEST(Guarded, ShowsTheFailureTextInAnErrorBoxAndReportsWhetherItRan) {
  const QString ours = QStringLiteral("Запись изменена другим пользователем");
  const QString theirs = QStringLiteral("Не удалось открыть «tableDetail.DB»");
  TestQuestions q;
  bool ran = false;
  EXPECT_TRUE(platform::Guarded([&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(q.asked.empty());
  EXPECT_FALSE(platform::Guarded([&] { throw base::Exception(ours); }));
  EXPECT_FALSE(platform::Guarded([&] { throw std::runtime_error(theirs.toStdString()); }, nullptr,
                                 QStringLiteral("Backup")));
  EXPECT_EQ(q.Texts(), QStringList({ours, theirs}));
  ASSERT_EQ(q.asked.size(), 2u);
  EXPECT_EQ(q.asked[0].caption, "Termora");
  EXPECT_EQ(q.asked[1].caption, "Backup");
  for (const auto& a : q.asked) {
    EXPECT_EQ(a.icon, platform::Icon::Error);
    EXPECT_EQ(a.buttons, platform::Buttons::Ok);
  }
}
