// Who owns the memory modules take with mxCalloc: the host. A HostMemory is
// one owner (the engine gives each model its own); everything allocated while
// it is current is freed when it is destroyed. Outside any scope the process's
// own owner is current, freed at exit.
#pragma once

#include <cstddef>
#include <vector>

#include "host/runtime/export.h"

namespace sfqp::host {

class SFQP_HOST_EXPORT HostMemory {
 public:
  HostMemory() = default;
  ~HostMemory();
  HostMemory(const HostMemory&) = delete;
  HostMemory& operator=(const HostMemory&) = delete;

  // Zeroed memory for count elements of element_size bytes; null when the size
  // overflows or the system has no memory.
  void* allocate_zeroed(std::size_t count, std::size_t element_size);
  std::size_t block_count() const { return blocks_.size(); }

 private:
  std::vector<void*> blocks_;
};

// Makes memory current for this object's lifetime, then restores the owner
// that was current before. Allocates nothing.
class SFQP_HOST_EXPORT HostMemoryScope {
 public:
  explicit HostMemoryScope(HostMemory& memory);
  ~HostMemoryScope();
  HostMemoryScope(const HostMemoryScope&) = delete;
  HostMemoryScope& operator=(const HostMemoryScope&) = delete;

 private:
  HostMemory* previous_;
};

// The owner mxCalloc allocates from now.
SFQP_HOST_EXPORT HostMemory& current_host_memory();

}  // namespace sfqp::host
