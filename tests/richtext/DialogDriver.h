#pragma once
// Driving a modal dialog as a user would: the test's steps run once the dialog is up, with
// keys and clicks sent to the focused control.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/common/AnimatedClick.h"

// Runs Open (which shows a modal dialog of type D) and Drive on that dialog while it is up.
// A dialog Drive leaves open is cancelled, and the test fails.
template <class D>
bool WithModalDialog(const std::function<bool()>& Open, const std::function<void(D&)>& Drive) {
  bool Driven = false;
  QTimer::singleShot(0, [&] {
    auto* Dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (Dialog == nullptr) {
      ADD_FAILURE() << "no dialog came up";
      if (QWidget* W = QApplication::activeModalWidget()) W->close();
      return;
    }
    Driven = true;
    EXPECT_TRUE(QTest::qWaitForWindowActive(Dialog));
    Drive(*Dialog);
    if (Dialog->isVisible()) {
      ADD_FAILURE() << "the dialog was left open";
      Dialog->reject();
    }
  });
  const bool Result = Open();
  EXPECT_TRUE(Driven);
  return Result;
}

// Puts the focus into a box, selects what it holds and types over it.
inline void TypeInto(QLineEdit* Box, const QString& Text) {
  Box->setFocus(Qt::OtherFocusReason);
  Box->selectAll();
  if (Text.isEmpty()) QTest::keyClick(Box, Qt::Key_Delete);
  else QTest::keyClicks(Box, Text);
}

// Alt+letter, as the user reaches a labelled control; a button reached so clicks a moment later.
inline void Accelerator(QWidget* Dialog, Qt::Key Letter) {
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : Dialog, Letter, Qt::AltModifier);
  WaitForAnimatedClicks(Dialog);
}

// The locale for the duration of a test: numbers read and shown as its users write them.
class TLocaleScope {
 public:
  explicit TLocaleScope(const QLocale& L) : previous_(QLocale()) { QLocale::setDefault(L); }
  ~TLocaleScope() { QLocale::setDefault(previous_); }

 private:
  QLocale previous_;
};
