#include "tools/simulate/partial_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

namespace sfqp::simulate {

namespace {

std::runtime_error file_error(const std::filesystem::path& path, const char* what, int error) {
  return std::runtime_error(path.string() + ": " + what + ": " + std::strerror(error));
}

}  // namespace

PartialFile::PartialFile(std::filesystem::path destination) : destination_(std::move(destination)) {
  partial_ = destination_;
  partial_ += ".partial";
  errno = 0;
  file_.open(partial_, std::ios::binary | std::ios::trunc);
  if (!file_.is_open()) {
    throw file_error(destination_, "cannot create", errno != 0 ? errno : EIO);
  }
  open_ = true;
}

PartialFile::~PartialFile() {
  if (open_) {
    file_.close();
    std::error_code ignored;
    std::filesystem::remove(partial_, ignored);
  }
}

void PartialFile::write(std::string_view text) {
  file_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void PartialFile::commit() {
  errno = 0;
  file_.close();
  const int write_error = errno;
  open_ = false;
  std::error_code error;
  if (!file_) {
    std::filesystem::remove(partial_, error);
    throw file_error(destination_, "cannot write", write_error != 0 ? write_error : EIO);
  }
  std::filesystem::rename(partial_, destination_, error);
  if (error) {
    const std::string reason = error.message();
    std::filesystem::remove(partial_, error);
    throw std::runtime_error(destination_.string() + ": cannot write: " + reason);
  }
}

void write_whole_file(const std::filesystem::path& path, std::string_view text) {
  PartialFile file(path);
  file.write(text);
  file.commit();
}

}  // namespace sfqp::simulate
