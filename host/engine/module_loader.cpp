#include "host/engine/module_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sfqp::host::loader {

#if defined(_WIN32)

namespace {

std::string last_error_text() {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 GetLastError(), 0, text, sizeof text, nullptr);
  return text;
}

}  // namespace

void* open(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = last_error_text();
  }
  return reinterpret_cast<void*>(module);
}

void* find(void* handle, const char* name, std::string& error) {
  FARPROC entry = GetProcAddress(static_cast<HMODULE>(handle), name);
  if (entry == nullptr) {
    error = last_error_text();
  }
  return reinterpret_cast<void*>(entry);
}

void close(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

#else

void* open(const std::string& path, std::string& error) {
  // Resolve everything now, so that a module with a missing import fails here
  // rather than in the middle of a simulation; keep its names to itself.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "unknown loader error";
  }
  return handle;
}

void* find(void* handle, const char* name, std::string& error) {
  dlerror();
  void* entry = dlsym(handle, name);
  if (entry == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : std::string(name) + " is null";
  }
  return entry;
}

void close(void* handle) {
  dlclose(handle);
}

#endif

}  // namespace sfqp::host::loader
