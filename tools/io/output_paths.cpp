#include "tools/io/output_paths.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "tools/io/excerpt.h"
#include "tools/io/output_descriptor.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sfqp::io {

namespace fs = std::filesystem;

namespace {

// The folder a path is written in: its parent, or the working directory.
fs::path folder_of(const fs::path& path) {
  const fs::path parent = path.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

// Whether a file can be created in folder, found by creating one and removing
// it: permissions alone do not tell (root may write anywhere by them, yet not
// in /proc or /sys, nor on a file system mounted read-only).
std::optional<std::string> creation_refused(const fs::path& folder) {
#if defined(_WIN32)
  const fs::path probe = folder / (".sfqp-probe-" + std::to_string(::_getpid()));
  std::error_code ignored;
  std::FILE* file = std::fopen(probe.string().c_str(), "wb");
  if (file == nullptr) {
    return std::string(std::strerror(errno));
  }
  std::fclose(file);
  fs::remove(probe, ignored);
#else
  if (::access(folder.c_str(), W_OK) != 0) {
    return std::string(std::strerror(errno));
  }
  const fs::path probe = folder / (".sfqp-probe-" + std::to_string(::getpid()));
  const int file =
      ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (file == -1) {
    return std::string(std::strerror(errno));
  }
  ::close(file);
  ::unlink(probe.c_str());
#endif
  return std::nullopt;
}

std::optional<std::string> check_file(const fs::path& path) {
  if (path.filename().empty() || path.filename() == "." || path.filename() == "..") {
    return std::string("names a folder, not a file");
  }
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::is_directory(status)) {
    return std::string("is a directory");
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return std::string("is not a regular file (a device or pipe cannot be replaced)");
  }
  const fs::path folder = folder_of(path);
  const fs::file_status folder_status = fs::status(folder, error);
  if (!fs::exists(folder_status)) {
    return "the folder " + name_excerpt(folder.string()) + " does not exist";
  }
  if (!fs::is_directory(folder_status)) {
    return name_excerpt(folder.string()) + " is not a folder";
  }
  if (auto refused = creation_refused(folder)) {
    return "cannot create a file in the folder " + name_excerpt(folder.string()) + ": " + *refused;
  }
  return std::nullopt;
}

// Whether two paths name the same file: the same existing file (links
// included), or the same place once made absolute.
bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error) && !error) {
    return true;
  }
  const fs::path place_a = fs::weakly_canonical(fs::absolute(a, error), error);
  const fs::path place_b = fs::weakly_canonical(fs::absolute(b, error), error);
  return !place_a.empty() && place_a == place_b;
}

}  // namespace

std::optional<std::string> check_output_paths(const std::vector<PlannedOutput>& outputs,
                                              const std::vector<fs::path>& inputs) {
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    const PlannedOutput& output = outputs[k];
    if (output.path.empty()) {
      continue;
    }
    const std::string named = output.option + " " + name_excerpt(output.path.string()) + ": ";
    if (const auto descriptor = output_descriptor(output.path)) {
      if (auto problem = check_output_descriptor(*descriptor)) {
        return named + *problem;
      }
    } else {
      if (auto problem = check_file(output.path)) {
        return named + *problem;
      }
      for (const fs::path& input : inputs) {
        if (!input.empty() && input != "-" && same_file(input, output.path)) {
          return named + "is the input " + name_excerpt(input.string()) +
                 "; it would be overwritten";
        }
      }
    }
    for (std::size_t j = 0; j < k; ++j) {
      const fs::path& earlier = outputs[j].path;
      if (earlier.empty()) {
        continue;
      }
      const auto descriptor = output_descriptor(output.path);
      const auto earlier_descriptor = output_descriptor(earlier);
      if (descriptor && descriptor == earlier_descriptor) {
        return named + "is also " + descriptor_name(*descriptor) + ", as " + outputs[j].option +
               " is; one output each";
      }
      if (!descriptor && !earlier_descriptor && same_file(earlier, output.path)) {
        return named + "is also the file of " + outputs[j].option;
      }
    }
  }
  return std::nullopt;
}

}  // namespace sfqp::io
