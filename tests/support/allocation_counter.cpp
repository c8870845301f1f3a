// Under the address sanitizer the allocator is the sanitizer's, which offers
// hooks for exactly this; otherwise malloc and friends are interposed in the
// executable and forwarded to the C library's own entry points. Either way
// allocations from the shared libraries the test loads are seen too.
//
// On Windows each DLL imports malloc from the C runtime directly, so only the
// executable's own allocations (its code and the C++ runtime linked into it)
// come through the interposed entries there; the Linux builds see the rest.
#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SFQP_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SFQP_UNDER_ASAN 1
#endif

namespace {

std::atomic<int> active{0};
std::atomic<std::size_t> allocations{0};

void note_allocation() {
  if (active.load(std::memory_order_relaxed) > 0) {
    allocations.fetch_add(1, std::memory_order_relaxed);
  }
}

}  // namespace

#if defined(SFQP_UNDER_ASAN)
// Declared here because g++ does not ship the sanitizer's interface headers.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*on_malloc)(const volatile void*,
                                                                           std::size_t),
                                                         void (*on_free)(const volatile void*));

namespace {
void on_malloc(const volatile void*, std::size_t) {
  note_allocation();
}
void on_free(const volatile void*) {}
[[maybe_unused]] const int hooks_installed =
    __sanitizer_install_malloc_and_free_hooks(on_malloc, on_free);
}  // namespace

#elif defined(_WIN32)
#include <windows.h>

namespace {

using Malloc = void* (*)(std::size_t);
using Calloc = void* (*)(std::size_t, std::size_t);
using Realloc = void* (*)(void*, std::size_t);

// Looked up on first use without a guarded static: the guard itself may
// allocate.
template <typename Entry>
Entry runtime_entry(Entry& cached, const char* name) {
  if (cached == nullptr) {
    cached = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
  }
  return cached;
}

Malloc runtime_malloc = nullptr;
Calloc runtime_calloc = nullptr;
Realloc runtime_realloc = nullptr;

}  // namespace

extern "C" {
void* malloc(std::size_t size) {
  note_allocation();
  return runtime_entry(runtime_malloc, "malloc")(size);
}
void* calloc(std::size_t count, std::size_t size) {
  note_allocation();
  return runtime_entry(runtime_calloc, "calloc")(count, size);
}
void* realloc(void* pointer, std::size_t size) {
  note_allocation();
  return runtime_entry(runtime_realloc, "realloc")(pointer, size);
}
}

#else
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);

void* malloc(std::size_t size) {
  note_allocation();
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  note_allocation();
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
  note_allocation();
  return __libc_realloc(pointer, size);
}
}
#endif

namespace sfqp::test {

AllocationCounter::AllocationCounter() {
  allocations.store(0);
  active.fetch_add(1);
}

AllocationCounter::~AllocationCounter() {
  active.fetch_sub(1);
}

std::size_t AllocationCounter::count() const {
  return allocations.load();
}

}  // namespace sfqp::test
