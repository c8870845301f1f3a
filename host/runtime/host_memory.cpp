#include "host/runtime/host_memory.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace sfqp::host {

namespace {

HostMemory& process_memory() {
  static HostMemory memory;
  return memory;
}

// Per thread, so that models stepping on different threads keep their own.
thread_local HostMemory* current = nullptr;

}  // namespace

HostMemory::~HostMemory() {
  for (void* block : blocks_) {
    std::free(block);
  }
}

void* HostMemory::allocate_zeroed(std::size_t count, std::size_t element_size) {
  if (element_size != 0 && count > std::numeric_limits<std::size_t>::max() / element_size) {
    return nullptr;
  }
  // A request for nothing still gets a distinct block, as calloc may not.
  const std::size_t bytes = count * element_size;
  void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (block == nullptr) {
    return nullptr;
  }
  try {
    blocks_.push_back(block);
  } catch (const std::bad_alloc&) {
    std::free(block);
    return nullptr;
  }
  return block;
}

HostMemoryScope::HostMemoryScope(HostMemory& memory) : previous_(current) {
  current = &memory;
}

HostMemoryScope::~HostMemoryScope() {
  current = previous_;
}

HostMemory& current_host_memory() {
  return current != nullptr ? *current : process_memory();
}

}  // namespace sfqp::host
