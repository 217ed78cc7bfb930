#pragma once
// Set while a dataset or data source is being destroyed: a program that ends closes its tables
// without storing a pending edit, so a detail must not take its master's going away as a move.

namespace data::detail {

inline int& TeardownDepth() {
  static int depth = 0;
  return depth;
}

inline bool TearingDown() { return TeardownDepth() > 0; }

class Teardown {
 public:
  Teardown() { ++TeardownDepth(); }
  ~Teardown() { --TeardownDepth(); }
  Teardown(const Teardown&) = delete;
  Teardown& operator=(const Teardown&) = delete;
};

}  // namespace data::detail
