#include "tools/simulate/module_location.h"

#include <system_error>

namespace sfqp::simulate {

std::optional<std::filesystem::path> executable_path() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    return std::nullopt;
  }
  return path;
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
