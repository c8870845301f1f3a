// A file written beside its destination under a temporary name and moved into
// place only when complete, so that a run that fails leaves an earlier file as
// it was and never a half-written one.
#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

namespace sfqp::simulate {

class PartialFile {
 public:
  // Throws std::runtime_error naming the destination when it cannot be created.
  explicit PartialFile(std::filesystem::path destination);
  // Removes the temporary file unless committed.
  ~PartialFile();
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  void write(std::string_view text);
  // Moves the file into place; throws std::runtime_error when any write failed.
  void commit();

 private:
  std::filesystem::path destination_;
  std::filesystem::path partial_;
  std::ofstream file_;
  bool open_ = false;
};

// Writes text to path through a PartialFile.
void write_whole_file(const std::filesystem::path& path, std::string_view text);

}  // namespace sfqp::simulate
