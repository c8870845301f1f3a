// Counts heap allocations made anywhere in the process (the test executable and
// every shared library it loads) while a counter is active. Link the
// sfqp_allocation_counter object library into the test executable.
#pragma once

#include <cstddef>

namespace sfqp::test {

class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;

  // Allocations (malloc, calloc, realloc, operator new) since construction.
  std::size_t count() const;
};

}  // namespace sfqp::test
