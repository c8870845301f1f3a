// The operating system's loader, as the host uses it: open a module file,
// find one named entry, close. Every platform difference lives behind this.
#pragma once

#include <string>

namespace sfqp::host::loader {

// The handle of the opened module, or null with the loader's reason in error.
void* open(const std::string& path, std::string& error);
// The address of the exported function, or null with the reason in error.
void* find(void* handle, const char* name, std::string& error);
void close(void* handle);

}  // namespace sfqp::host::loader
