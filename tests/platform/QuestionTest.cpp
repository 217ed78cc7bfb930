#include <gtest/gtest.h>

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
