#include "tools/io/output_descriptor.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sfqp::io {

namespace fs = std::filesystem;

namespace {

#if !defined(_WIN32)
// A whole decimal number that fits a descriptor, or nothing.
std::optional<int> descriptor_number(std::string_view digits) {
  int number = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number);
  if (digits.empty() || error != std::errc() || stop != end || number < 0) {
    return std::nullopt;
  }
  return number;
}
#endif

// The descriptor that a path names by its spelling alone.
std::optional<int> named_by_spelling(const fs::path& path) {
  if (path == "-") {
    return 1;
  }
#if defined(_WIN32)
  return std::nullopt;
#else
  const std::string place = path.lexically_normal().string();
  if (place == "/dev/stdout") {
    return 1;
  }
  if (place == "/dev/stderr") {
    return 2;
  }
  std::vector<std::string> own = {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/",
                                  "/proc/" + std::to_string(::getpid()) + "/fd/"};
  for (const std::string& prefix : own) {
    if (place.size() > prefix.size() && place.compare(0, prefix.size(), prefix) == 0) {
      return descriptor_number(std::string_view(place).substr(prefix.size()));
    }
  }
  return std::nullopt;
#endif
}

}  // namespace

std::optional<int> output_descriptor(const fs::path& path) {
  // Each link is followed by hand: resolving it whole would go through the
  // descriptor's own link to the file behind it and lose that it is one.
  constexpr int kLinksFollowed = 40;
  std::error_code error;
  fs::path place = path;
  for (int hop = 0; hop <= kLinksFollowed; ++hop) {
    if (auto descriptor = named_by_spelling(place)) {
      return descriptor;
    }
    if (!fs::is_symlink(place, error)) {
      return std::nullopt;
    }
    const fs::path target = fs::read_symlink(place, error);
    if (error) {
      return std::nullopt;
    }
    place = target.is_absolute() ? target : fs::absolute(place, error).parent_path() / target;
  }
  return std::nullopt;
}

std::optional<std::string> check_output_descriptor(int descriptor) {
#if defined(_WIN32)
  if (::_get_osfhandle(descriptor) == -1) {
    return descriptor_name(descriptor) + " is closed";
  }
#else
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags == -1) {
    return descriptor_name(descriptor) + " is closed";
  }
  if ((flags & O_ACCMODE) == O_RDONLY) {
    return descriptor_name(descriptor) + " is open for reading only";
  }
#endif
  return std::nullopt;
}

std::string descriptor_name(int descriptor) {
  switch (descriptor) {
    case 1:
      return "standard output";
    case 2:
      return "standard error";
    default:
      return "descriptor " + std::to_string(descriptor);
  }
}

std::optional<std::string> copy_to_descriptor(const fs::path& file, int descriptor) {
  std::FILE* in = std::fopen(file.string().c_str(), "rb");
  if (in == nullptr) {
    return std::string("cannot read its temporary file: ") + std::strerror(errno);
  }
  // Standard output may hold text of the tool's own still in its buffer.
  std::fflush(stdout);
  std::fflush(stderr);
#if !defined(_WIN32)
  // A reader that went away (`| head`) is a failed write, reported, rather
  // than SIGPIPE ending the process with its temporary files still there.
  const auto previous_pipe_handler = std::signal(SIGPIPE, SIG_IGN);
#endif
  char buffer[1 << 16];
  std::optional<std::string> failure;
  while (!failure) {
    const std::size_t count = std::fread(buffer, 1, sizeof buffer, in);
    if (count == 0) {
      if (std::ferror(in)) {
        failure = std::string("cannot read its temporary file: ") + std::strerror(EIO);
      }
      break;
    }
    std::size_t written = 0;
    while (written < count) {
#if defined(_WIN32)
      const int step =
          ::_write(descriptor, buffer + written, static_cast<unsigned>(count - written));
#else
      const ssize_t step = ::write(descriptor, buffer + written, count - written);
#endif
      if (step < 0 && errno == EINTR) {
        continue;
      }
      if (step <= 0) {
        failure = std::string("cannot write to ") + descriptor_name(descriptor) + ": " +
                  std::strerror(step < 0 ? errno : EIO);
        break;
      }
      written += static_cast<std::size_t>(step);
    }
  }
  std::fclose(in);
#if !defined(_WIN32)
  std::signal(SIGPIPE, previous_pipe_handler);
#endif
  return failure;
}

}  // namespace sfqp::io
