#pragma once
// A button reached by its accelerator shows itself pressed for a moment and clicks when that
// timer fires. A fixed wait is not enough on a busy machine, so wait until no button under the
// window is down any more (the click has run by then).

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTest>
#include <QWidget>

inline void WaitForAnimatedClicks(QWidget* Window) {
  QPointer<QWidget> Guard(Window);
  const auto AnyDown = [&] {
    if (Guard.isNull()) return false;
    for (QAbstractButton* B : Guard->findChildren<QAbstractButton*>())
      if (B->isDown()) return true;
    return false;
  };
  QTest::qWait(0);
  const QDeadlineTimer Deadline(5000);
  while (AnyDown() && !Deadline.hasExpired()) QTest::qWait(10);
}
