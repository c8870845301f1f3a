// The two file formats of the simulation's recorded input and its output,
// chosen by the file's extension.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace sfqp::simulate {

enum class FileFormat { csv, json_lines };

// .csv, or .jsonl / .ndjson (any case); nothing for another extension.
std::optional<FileFormat> format_of(const std::filesystem::path& path);

// The format of an output: its extension's, and CSV for an output written
// through a descriptor ("-", /dev/stdout) without one.
std::optional<FileFormat> output_format_of(const std::filesystem::path& path);

// The checks of the commands' output options, as CLI11 validators take them:
// nothing when the name is right, otherwise what is wrong with it. A
// descriptor ("-", /dev/stdout) is right for either.
std::string check_rows_file_name(const std::string& name);  // .csv or .jsonl
std::string check_png_file_name(const std::string& name);   // .png

}  // namespace sfqp::simulate
