#pragma once
// Waiting for another program's lock on a table file. SQLite asks the store again and again
// while the lock is held; the store hands each turn to the program's waiter, so that a window
// can go on painting, show that it waits and let the user give up. Without a waiter the store
// just sleeps a moment at each turn, as SQLite's own busy timeout would.

#include <QString>
#include <functional>

namespace data {

struct LockWait {
  QString file;       // the table file waited for
  int elapsedMs = 0;  // since the wait began
  int timeoutMs = 0;  // when the store gives up by itself
};

struct LockWaiter {
  // One turn of a wait: come back within a few tens of milliseconds; false gives up now, as the
  // timeout would.
  std::function<bool(const LockWait&)> wait;
  // The wait is over, whether the lock came free, the time ran out or the waiter gave up.
  std::function<void()> ended;
};

// Installs the waiter for every table; returns the one it replaces.
LockWaiter SetLockWaiter(LockWaiter waiter);

// True while the store is inside a wait. A store operation started from the waiter's event
// processing meanwhile is refused as busy at once, never nested inside the waiting one.
bool WaitingForLock();

namespace detail {
// StoreConnection's busy handler: one turn of the wait; returns whether to try again.
bool LockWaitTurn(const QString& file, int turn, int timeoutMs);
// Called after every SQLite call that may have waited.
void LockWaitDone();
}  // namespace detail

}  // namespace data
