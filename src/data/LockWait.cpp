#include "data/LockWait.h"

#include <QElapsedTimer>
#include <QThread>

namespace data {

namespace {

LockWaiter& Waiter() {
  static LockWaiter w;
  return w;
}

struct WaitState {
  bool active = false;
  QElapsedTimer since;
};

WaitState& State() {
  static WaitState s;
  return s;
}

}  // namespace

LockWaiter SetLockWaiter(LockWaiter waiter) {
  LockWaiter old = std::move(Waiter());
  Waiter() = std::move(waiter);
  return old;
}

bool WaitingForLock() { return State().active; }

namespace detail {

bool LockWaitTurn(const QString& file, int turn, int timeoutMs) {
  WaitState& s = State();
  if (turn == 0 || !s.active) {
    s.active = true;
    s.since.start();
  }
  const int elapsed = int(s.since.elapsed());
  if (elapsed >= timeoutMs) return false;
  const LockWaiter& w = Waiter();
  if (w.wait) return w.wait(LockWait{file, elapsed, timeoutMs});
  QThread::msleep(std::min(10, timeoutMs - elapsed));
  return true;
}

void LockWaitDone() {
  WaitState& s = State();
  if (!s.active) return;
  s.active = false;
  if (const LockWaiter& w = Waiter(); w.ended) w.ended();
}

}  // namespace detail

}  // namespace data
