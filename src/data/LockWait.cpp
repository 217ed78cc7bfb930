#include "data/LockWait.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>

namespace data {

namespace {

LockWaiter& Waiter() {
  static LockWaiter w;
  return w;
}

// The thread the waiter was installed from (the window's): only a wait on that thread is handed
// to it. A store used on another thread (the search index reading the tables) sleeps its turns.
std::atomic<QThread*>& WaiterThread() {
  static std::atomic<QThread*> t{nullptr};
  return t;
}

bool OnWaiterThread() { return WaiterThread().load() == QThread::currentThread(); }

// Each thread waits on its own connections: one thread's wait neither refuses another's steps
// nor ends for it.
struct WaitState {
  bool active = false;
  QElapsedTimer since;
};

WaitState& State() {
  thread_local WaitState s;
  return s;
}

}  // namespace

LockWaiter SetLockWaiter(LockWaiter waiter) {
  LockWaiter old = std::move(Waiter());
  Waiter() = std::move(waiter);
  WaiterThread().store(QThread::currentThread());
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
  if (w.wait && OnWaiterThread()) return w.wait(LockWait{file, elapsed, timeoutMs});
  QThread::msleep(std::min(10, timeoutMs - elapsed));
  return true;
}

void LockWaitDone() {
  WaitState& s = State();
  if (!s.active) return;
  s.active = false;
  if (const LockWaiter& w = Waiter(); w.ended && OnWaiterThread()) w.ended();
}

}  // namespace detail

}  // namespace data
