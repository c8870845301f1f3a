#include "host/engine/module_loader.h"

#if defined(_WIN32)
#include <windows.h>

#include <filesystem>
#include <system_error>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
  std::error_code status_error;
  if (std::filesystem::exists(path, status_error) &&
      !std::filesystem::is_regular_file(path, status_error)) {
    error = "not a regular file";
    return nullptr;
  }
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

namespace {

// What a file that is not a module file is, for the message.
const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "a directory";
  }
  if (S_ISFIFO(mode)) {
    return "a FIFO";
  }
  if (S_ISCHR(mode)) {
    return "a character device";
  }
  if (S_ISBLK(mode)) {
    return "a block device";
  }
  if (S_ISSOCK(mode)) {
    return "a socket";
  }
  return "not a regular file";
}

// Only a regular file can be a module: the loader would wait forever on a FIFO
// with no writer, or read a device without end. Opened without blocking, so
// that the check itself never waits for a FIFO's writer.
bool is_regular_file(const std::string& path, std::string& error) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat status {};
  const bool stated = ::fstat(descriptor, &status) == 0;
  ::close(descriptor);
  if (!stated || !S_ISREG(status.st_mode)) {
    error =
        std::string("not a module file but ") + (stated ? kind_of(status.st_mode) : "unreadable");
    return false;
  }
  return true;
}

}  // namespace

void* open(const std::string& path, std::string& error) {
  if (!is_regular_file(path, error)) {
    return nullptr;
  }
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
