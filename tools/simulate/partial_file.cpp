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
  file_ = std::fopen(partial_.c_str(), "wb");
  if (file_ == nullptr) {
    throw file_error(destination_, "cannot create", errno);
  }
}

PartialFile::~PartialFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
    std::error_code ignored;
    std::filesystem::remove(partial_, ignored);
  }
}

void PartialFile::write(std::string_view text) {
  if (!failed_ && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    failed_ = true;
  }
}

void PartialFile::commit() {
  const bool written = !failed_ && std::fflush(file_) == 0;
  const int write_error = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  std::error_code error;
  if (!written || !closed) {
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
