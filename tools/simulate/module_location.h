// Where the tool finds the module when --module is not given: the module built
// with the tool, found from the tool's own path, so that a build tree keeps
// working when it is moved or run from anywhere.
#pragma once

#include <filesystem>
#include <optional>

namespace sfqp::simulate {

// The running executable's own file, or nothing when the system cannot say.
std::optional<std::filesystem::path> executable_path();

// The module beside this tool (its place relative to the tool is fixed when the
// two are built), or nothing when the tool's own path is unknown.
std::optional<std::filesystem::path> default_module();

}  // namespace sfqp::simulate
