#include "tools/io/input_file.h"

#include "tools/io/excerpt.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#endif

namespace sfqp::io {

bool is_standard_input(const std::string& name) {
  return name == "-" || name == "/dev/stdin";
}

std::optional<std::string> check_standard_input() {
#if !defined(_WIN32)
  if (::fcntl(0, F_GETFD) == -1 && errno == EBADF) {
    return std::string("standard input is closed");
  }
#endif
  return std::nullopt;
}

InputFile::InputFile(const std::string& name) {
  if (is_standard_input(name)) {
    label_ = "<stdin>";
    if (auto closed = check_standard_input()) {
      error_ = *closed;
      return;
    }
    stream_ = &std::cin;
    return;
  }
  label_ = name_excerpt(name);
  std::error_code ignored;
  if (std::filesystem::is_directory(name, ignored)) {
    error_ = std::strerror(EISDIR);
    return;
  }
  errno = 0;
  file_ = std::make_unique<std::ifstream>(name, std::ios::binary);
  if (!file_->is_open()) {
    error_ = std::strerror(errno != 0 ? errno : ENOENT);
    return;
  }
  stream_ = file_.get();
}

}  // namespace sfqp::io
