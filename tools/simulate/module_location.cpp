#include "tools/simulate/module_location.h"

#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace sfqp::simulate {

std::optional<std::filesystem::path> executable_path() {
#if defined(_WIN32)
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  if (length == 0 || length >= 32768) {
    return std::nullopt;
  }
  return std::filesystem::path(path);
#else
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    return std::nullopt;
  }
  return path;
#endif
}

std::optional<std::filesystem::path> default_module() {
  const auto tool = executable_path();
  if (!tool) {
    return std::nullopt;
  }
  // SFQP_MODULE_FROM_TOOL: the module's path relative to the tool's directory.
  return (tool->parent_path() / SFQP_MODULE_FROM_TOOL).lexically_normal();
}

}  // namespace sfqp::simulate
