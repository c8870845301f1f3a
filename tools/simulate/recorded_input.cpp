#include "tools/simulate/recorded_input.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "tools/io/bounded_line.h"
#include "tools/io/excerpt.h"
#include "tools/io/input_file.h"
#include "tools/io/json_text.h"
#include "tools/io/plain_problem_line.h"
#include "tools/io/problem_json.h"
#include "tools/simulate/file_format.h"
#include "tools/simulate/plain_csv_step.h"

namespace sfqp::simulate {

namespace {

std::string at_line(std::size_t number) {
  return "line " + std::to_string(number);
}

bool is_blank_space(char c) {
  return c == ' ' || c == '\t';
}

// One CSV record on one line, RFC 4180: fields split at commas, a field in
// double quotes may hold commas and doubled quotes (""), spaces and tabs around
// a field are dropped. A quoted field cannot span lines: no field of this
// format holds a line break.
std::variant<std::vector<std::string>, std::string> split_fields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  for (;;) {
    while (at < line.size() && is_blank_space(line[at])) {
      ++at;
    }
    std::string field;
    const std::size_t column = fields.size() + 1;
    if (at < line.size() && line[at] == '"') {
      for (++at;; ++at) {
        if (at == line.size()) {
          return "column " + std::to_string(column) + ": a quoted field is not closed";
        }
        if (line[at] == '"') {
          if (at + 1 < line.size() && line[at + 1] == '"') {
            field += '"';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        field += line[at];
      }
      while (at < line.size() && is_blank_space(line[at])) {
        ++at;
      }
      if (at < line.size() && line[at] != ',') {
        return "column " + std::to_string(column) + ": text after a closing quote";
      }
    } else {
      const std::size_t comma = std::min(line.find(',', at), line.size());
      field = line.substr(at, comma - at);
      while (!field.empty() && is_blank_space(field.back())) {
        field.pop_back();
      }
      if (field.find('"') != std::string::npos) {
        return "column " + std::to_string(column) +
               ": a quote inside an unquoted field (quote the whole field)";
      }
      at = comma;
    }
    fields.push_back(std::move(field));
    if (at == line.size()) {
      return fields;
    }
    ++at;  // the comma
  }
}

std::string column_count_error(std::size_t line, std::size_t count) {
  const auto& names = csv_input_columns();
  std::string text = at_line(line) + " has " + std::to_string(count) + " column" +
                     (count == 1 ? "" : "s") + ", expected " + std::to_string(kCsvInputColumnCount);
  if (count < names.size()) {
    text += ": column " + std::to_string(count + 1) + " (" + names[count] + ") is missing";
  }
  return text;
}

// text without the UTF-8 byte-order mark that spreadsheet programs put before
// a file's first line.
std::string_view without_byte_order_mark(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  return text.substr(0, kByteOrderMark.size()) == kByteOrderMark
             ? text.substr(kByteOrderMark.size())
             : text;
}

std::optional<std::string> check_header(std::size_t line, std::string_view text) {
  auto split = split_fields(without_byte_order_mark(text));
  if (const auto* error = std::get_if<std::string>(&split)) {
    return at_line(line) + ", " + *error;
  }
  const auto& fields = std::get<std::vector<std::string>>(split);
  if (fields.size() != kCsvInputColumnCount) {
    return column_count_error(line, fields.size()) +
           " (the header names c_r0_c0 ... c_r3_c15 column-major, then t0 ... t3)";
  }
  const auto& names = csv_input_columns();
  for (std::size_t c = 0; c < fields.size(); ++c) {
    if (fields[c] != names[c]) {
      return at_line(line) + ", column " + std::to_string(c + 1) + ": header " +
             io::excerpt(fields[c]) + " where \"" + names[c] +
             "\" is expected (c_r<row>_c<column> column-major, then t0 ... t3)";
    }
  }
  return std::nullopt;
}

template <std::size_t N>
std::optional<std::string> read_entries(const nlohmann::json& object, const char* key,
                                        std::array<double, N>& out) {
  const auto found = object.find(key);
  if (found == object.end()) {
    return std::string("missing \"") + key + "\"";
  }
  if (!found->is_array() || found->size() != N) {
    const std::string has =
        found->is_array() ? "has " + std::to_string(found->size()) + " entries" : "is not an array";
    return std::string("\"") + key + "\" " + has + ", expected an array of " + std::to_string(N) +
           " numbers";
  }
  for (std::size_t i = 0; i < N; ++i) {
    const nlohmann::json& entry = (*found)[i];
    const auto value = io::read_number(entry);
    if (const auto* problem = std::get_if<std::string>(&value)) {
      return std::string("\"") + key + "\" entry " + std::to_string(i) + ": " +
             io::excerpt(entry.is_string() ? entry.get_ref<const std::string&>() : entry.dump()) +
             " " + *problem;
    }
    out[i] = std::get<double>(value);
  }
  return std::nullopt;
}

std::optional<std::string> parse_json_step(std::string_view text, StepInput& step) {
  auto parsed = io::parse_json_text(text);
  if (const auto* error = std::get_if<io::JsonError>(&parsed)) {
    return "column " + std::to_string(error->column) + ": not valid JSON: " + error->detail;
  }
  const nlohmann::json& object = std::get<nlohmann::json>(parsed);
  if (!object.is_object()) {
    return std::string("a step must be a JSON object {\"coupling\": [64], \"target\": [4]}");
  }
  for (const auto& [key, value] : object.items()) {
    if (key == "settings" || key == "weights") {
      return "\"" + key + "\" cannot be replayed: the block solves with its own " + key;
    }
    if (key != "coupling" && key != "target" && key != "name") {
      return "unknown key " + io::excerpt(key) + " (a step has \"coupling\" and \"target\")";
    }
  }
  if (auto error = read_entries(object, "coupling", step.coupling)) {
    return error;
  }
  return read_entries(object, "target", step.target);
}

// Standard input has no extension to tell its format: a JSON Lines step
// starts with '{', a CSV file with its header.
FileFormat sniffed_format(std::string_view line) {
  line = without_byte_order_mark(line);
  const auto first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '{' ? FileFormat::json_lines
                                                               : FileFormat::csv;
}

}  // namespace

const std::array<std::string, kCsvInputColumnCount>& csv_input_columns() {
  static const auto names = [] {
    std::array<std::string, kCsvInputColumnCount> n;
    for (int k = 0; k < kCouplingCount; ++k) {
      auto& name = n[static_cast<std::size_t>(k)];
      name = "c_r";
      name += std::to_string(k % kEqualityCount);
      name += "_c";
      name += std::to_string(k / kEqualityCount);
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      auto& name = n[static_cast<std::size_t>(kCouplingCount + i)];
      name = "t";
      name += std::to_string(i);
    }
    return n;
  }();
  return names;
}

std::optional<std::string> read_general_csv_step(std::size_t line, std::string_view text,
                                                 StepInput& step) {
  auto split = split_fields(text);
  if (const auto* error = std::get_if<std::string>(&split)) {
    return at_line(line) + ", " + *error;
  }
  const auto& fields = std::get<std::vector<std::string>>(split);
  if (fields.size() != kCsvInputColumnCount) {
    return column_count_error(line, fields.size());
  }
  const auto& names = csv_input_columns();
  for (std::size_t c = 0; c < fields.size(); ++c) {
    const auto where = at_line(line) + ", column " + std::to_string(c + 1) + " (" + names[c] + ")";
    if (fields[c].empty()) {
      return where + ": empty, expected a number";
    }
    const auto value = io::read_number_text(fields[c]);
    if (const auto* problem = std::get_if<std::string>(&value)) {
      return where + ": " + io::excerpt(fields[c]) + " " + *problem;
    }
    (c < kCouplingCount ? step.coupling[c] : step.target[c - kCouplingCount]) =
        std::get<double>(value);
  }
  return std::nullopt;
}

namespace {

// One step line: the plain reading first, then the general one, which words
// every error, for the rest.
std::optional<std::string> read_step_line(FileFormat format, std::size_t number,
                                          std::string_view line, StepInput& step) {
  if (format == FileFormat::csv) {
    return read_plain_csv_step(line, step) ? std::nullopt
                                           : read_general_csv_step(number, line, step);
  }
  if (auto plain = io::read_plain_problem_line(line)) {
    step.coupling = plain->problem.coupling;
    step.target = plain->problem.target;
    return std::nullopt;
  }
  if (auto problem = parse_json_step(line, step)) {
    return at_line(number) + ", " + *problem;
  }
  return std::nullopt;
}

}  // namespace

RecordedInput::RecordedInput(std::istream& in, std::optional<FileFormat> format)
    : in_(&in), format_(format) {}

RecordedInput::RecordedInput(const std::string& name) : format_(format_of(name)) {
  const bool standard_input = io::is_standard_input(name);
  if (!format_ && !standard_input) {
    error_ = ReadError{io::name_excerpt(name) +
                       ": unknown input format; name the file .csv or .jsonl, or give - "
                       "for standard input"};
    return;
  }
  file_.emplace(name);
  if (file_->stream() == nullptr) {
    error_ = ReadError{file_->label() + ": cannot open: " + file_->error()};
    return;
  }
  in_ = file_->stream();
  label_ = file_->label() + ": ";
  std::error_code ignored;
  if (!standard_input && std::filesystem::is_regular_file(name, ignored)) {
    size_ = std::filesystem::file_size(name, ignored);
    size_ = ignored ? 0 : size_;
  }
}

bool RecordedInput::fail(const std::string& message) {
  error_ = ReadError{label_ + message};
  return false;
}

bool RecordedInput::next(StepInput& step) {
  if (error_) {
    return false;
  }
  for (io::LineRead read; (read = io::read_bounded_line(*in_, line_)) != io::LineRead::end;) {
    ++line_number_;
    bytes_read_ += line_.size() + 1;
    if (read == io::LineRead::too_long || read == io::LineRead::endless) {
      return fail(at_line(line_number_) + " is longer than " + std::to_string(io::kLineByteLimit) +
                  " bytes; a step takes a few kB");
    }
    if (!line_.empty() && line_.back() == '\r') {
      line_.pop_back();
    }
    if (line_.find_first_not_of(" \t") == std::string::npos) {
      first_blank_ = first_blank_.value_or(line_number_);
      continue;
    }
    if (first_blank_) {
      return fail(at_line(*first_blank_) +
                  " is blank; every line between steps must hold one step");
    }
    if (!format_) {
      format_ = sniffed_format(line_);
    }
    if (*format_ == FileFormat::csv && !header_seen_) {
      header_seen_ = true;
      if (auto problem = check_header(line_number_, line_)) {
        return fail(*problem);
      }
      continue;
    }
    if (auto problem = read_step_line(*format_, line_number_, line_, step)) {
      return fail(*problem);
    }
    ++steps_;
    return true;
  }
  if (in_->bad()) {
    return fail("read failed after " + at_line(line_number_));
  }
  if (steps_ == 0) {
    return fail("no steps to run: the file holds no step lines");
  }
  return false;
}

}  // namespace sfqp::simulate
