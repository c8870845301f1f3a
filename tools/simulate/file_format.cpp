#include "tools/simulate/file_format.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "tools/io/excerpt.h"
#include "tools/io/output_descriptor.h"

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

std::optional<FileFormat> output_format_of(const std::filesystem::path& path) {
  if (const auto format = format_of(path)) {
    return format;
  }
  if (io::output_descriptor(path)) {
    return FileFormat::csv;
  }
  return std::nullopt;
}

std::string check_rows_file_name(const std::string& name) {
  return output_format_of(name)
             ? std::string()
             : "must end in .csv or .jsonl, or be - (standard output): " + io::name_excerpt(name);
}

std::string check_png_file_name(const std::string& name) {
  const std::string extension = std::filesystem::path(name).extension().string();
  if (extension == ".png" || extension == ".PNG" ||
      (extension.empty() && io::output_descriptor(name))) {
    return {};
  }
  return "must end in .png, or be - (standard output): " + io::name_excerpt(name);
}

}  // namespace sfqp::simulate
