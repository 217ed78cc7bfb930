#pragma once
// Records every question the code under test asks and answers it from a script.

#include <QStringList>
#include <deque>

#include "platform/Question.h"

class TestQuestions {
 public:
  TestQuestions() {
    previous_ = platform::SetAnswerer([this](const platform::Question& q) {
      asked.push_back(q);
      if (answers.empty()) return defaultAnswer;
      const int a = answers.front();
      answers.pop_front();
      return a;
    });
  }
  ~TestQuestions() { platform::SetAnswerer(std::move(previous_)); }
  TestQuestions(const TestQuestions&) = delete;
  TestQuestions& operator=(const TestQuestions&) = delete;

  QStringList Texts() const {
    QStringList t;
    for (const auto& q : asked) t << q.text;
    return t;
  }

  std::vector<platform::Question> asked;
  std::deque<int> answers;              // given in order, then defaultAnswer
  int defaultAnswer = platform::idOk;

 private:
  platform::Answerer previous_;
};
