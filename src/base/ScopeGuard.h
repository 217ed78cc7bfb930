#pragma once
// Small scope helpers: run something on the way out whatever happens, and the hourglass cursor
// for the length of a long operation.

#include <utility>

namespace base {

template <class F>
class ScopeGuard {
 public:
  explicit ScopeGuard(F f) : f_(std::move(f)) {}
  ~ScopeGuard() {
    if (active_) f_();
  }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;
  void Dismiss() { active_ = false; }

 private:
  F f_;
  bool active_ = true;
};

// Sets `var` to `value` and puts the old value back when the scope ends.
template <class T>
class ValueRestorer {
 public:
  ValueRestorer(T& var, T value) : var_(var), saved_(var) { var_ = std::move(value); }
  ~ValueRestorer() { var_ = std::move(saved_); }
  ValueRestorer(const ValueRestorer&) = delete;
  ValueRestorer& operator=(const ValueRestorer&) = delete;

 private:
  T& var_;
  T saved_;
};

// The wait cursor while it lives (nested uses stack); no-op without a GUI application.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  bool set_ = false;
};

}  // namespace base
