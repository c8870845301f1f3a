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
  // The module's path relative to the tool's directory: SFQP_MODULE_FROM_TOOL
  // in the build tree, SFQP_INSTALLED_MODULE_FROM_TOOL where `cmake --install`
  // puts the two.
  const auto built = (tool->parent_path() / SFQP_MODULE_FROM_TOOL).lexically_normal();
  const auto installed = (tool->parent_path() / SFQP_INSTALLED_MODULE_FROM_TOOL).lexically_normal();
  std::error_code error;
  if (!std::filesystem::exists(built, error) && std::filesystem::exists(installed, error)) {
    return installed;
  }
  return built;
}

}  // namespace sfqp::simulate
