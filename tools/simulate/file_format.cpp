#include "tools/simulate/file_format.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sfqp::simulate {

std::optional<FileFormat> format_of(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".csv") {
    return FileFormat::csv;
  }
  if (extension == ".jsonl" || extension == ".ndjson") {
    return FileFormat::json_lines;
  }
  return std::nullopt;
}

std::string check_rows_file_name(const std::string& name) {
  return format_of(name) ? std::string() : "must end in .csv or .jsonl: " + name;
}

std::string check_png_file_name(const std::string& name) {
  const std::string extension = std::filesystem::path(name).extension().string();
  return extension == ".png" || extension == ".PNG" ? std::string() : "must end in .png: " + name;
}

}  // namespace sfqp::simulate
