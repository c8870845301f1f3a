// The two file formats of the simulation's recorded input and its output,
// chosen by the file's extension.
#pragma once

#include <filesystem>
#include <optional>

namespace sfqp::simulate {

enum class FileFormat { csv, json_lines };

// .csv, or .jsonl / .ndjson (any case); nothing for another extension.
std::optional<FileFormat> format_of(const std::filesystem::path& path);

}  // namespace sfqp::simulate
