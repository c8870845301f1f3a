// Where the tool finds the module when --module is not given: the module built
// with the tool, found from the tool's own path, so that a build tree or an
// installed tree keeps working when it is moved or run from anywhere.
#pragma once

#include <filesystem>
#include <optional>

namespace sfqp::simulate {

// The running executable's own file, or nothing when the system cannot say.
std::optional<std::filesystem::path> executable_path();

// The module beside this tool (its place relative to the tool is fixed when the
// two are built and when they are installed): the built one while it exists,
// else the installed one when that exists, else the built one's path (for the
// message that it is missing). Nothing when the tool's own path is unknown.
std::optional<std::filesystem::path> default_module();

}  // namespace sfqp::simulate
