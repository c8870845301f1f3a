#include "tools/simulate/recorded_input.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "tools/io/problem_json.h"
#include "tools/simulate/file_format.h"

namespace sfqp::simulate {

namespace {

using LineHandler = std::function<std::optional<std::string>(std::size_t, std::string_view)>;

std::string at_line(std::size_t number) {
  return "line " + std::to_string(number);
}

// Feeds each line (without its end, CR LF or LF) to handle with its 1-based
// number. Blank lines are passed on only when a non-blank line follows them.
std::optional<ReadError> for_each_line(std::istream& in, const LineHandler& handle) {
  std::size_t number = 0;
  std::optional<std::size_t> first_blank;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.find_first_not_of(" \t") == std::string::npos) {
      first_blank = first_blank.value_or(number);
      continue;
    }
    if (first_blank) {
      return ReadError{at_line(*first_blank) +
                       " is blank; every line between steps must hold one step"};
    }
    if (auto error = handle(number, line)) {
      return ReadError{*error};
    }
  }
  if (in.bad()) {
    return ReadError{"read failed after " + at_line(number)};
  }
  return std::nullopt;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const auto comma = line.find(',', start);
    fields.push_back(trimmed(line.substr(start, comma - start)));
    if (comma == std::string_view::npos) {
      return fields;
    }
    start = comma + 1;
  }
}

// Long text is cut so that one bad line cannot flood the terminal.
std::string shortened(std::string_view text) {
  constexpr std::size_t kShown = 40;
  return std::string(text.substr(0, kShown)) + (text.size() > kShown ? "..." : "");
}

std::string excerpt(std::string_view text) {
  return "\"" + shortened(text) + "\"";
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

std::optional<std::string> check_header(std::size_t line, std::string_view text) {
  const auto fields = split_fields(text);
  if (fields.size() != kCsvInputColumnCount) {
    return column_count_error(line, fields.size()) +
           " (the header names c_r0_c0 ... c_r3_c15 column-major, then t0 ... t3)";
  }
  const auto& names = csv_input_columns();
  for (std::size_t c = 0; c < fields.size(); ++c) {
    if (fields[c] != names[c]) {
      return at_line(line) + ", column " + std::to_string(c + 1) + ": header " +
             excerpt(fields[c]) + " where \"" + names[c] +
             "\" is expected (c_r<row>_c<column> column-major, then t0 ... t3)";
    }
  }
  return std::nullopt;
}

std::optional<std::string> parse_csv_step(std::size_t line, std::string_view text,
                                          StepInput& step) {
  const auto fields = split_fields(text);
  if (fields.size() != kCsvInputColumnCount) {
    return column_count_error(line, fields.size());
  }
  const auto& names = csv_input_columns();
  for (std::size_t c = 0; c < fields.size(); ++c) {
    const auto where = at_line(line) + ", column " + std::to_string(c + 1) + " (" + names[c] + ")";
    if (fields[c].empty()) {
      return where + ": empty, expected a number";
    }
    const auto value = io::read_number(nlohmann::json(std::string(fields[c])));
    if (!value) {
      return where + ": " + excerpt(fields[c]) + " is not a number";
    }
    if (c < kCouplingCount) {
      step.coupling[c] = *value;
    } else {
      step.target[c - kCouplingCount] = *value;
    }
  }
  return std::nullopt;
}

// nlohmann's text repeats the position ("... at line 1, column 12: detail");
// keep only the detail.
std::string json_error_detail(const nlohmann::json::parse_error& error) {
  const std::string text = error.what();
  const auto column = text.find("column ");
  const auto colon = column == std::string::npos ? column : text.find(": ", column);
  return colon == std::string::npos ? text : text.substr(colon + 2);
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
    const auto value = io::read_number((*found)[i]);
    if (!value) {
      return std::string("\"") + key + "\" entry " + std::to_string(i) + ": " +
             shortened((*found)[i].dump()) + " is not a number";
    }
    out[i] = *value;
  }
  return std::nullopt;
}

std::optional<std::string> parse_json_step(std::string_view text, StepInput& step) {
  nlohmann::json object;
  try {
    object = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    return "column " + std::to_string(error.byte) + ": not valid JSON: " + json_error_detail(error);
  }
  if (!object.is_object()) {
    return std::string("a step must be a JSON object {\"coupling\": [64], \"target\": [4]}");
  }
  for (const auto& [key, value] : object.items()) {
    if (key == "settings" || key == "weights") {
      return "\"" + key + "\" cannot be replayed: the block solves with its own " + key;
    }
    if (key != "coupling" && key != "target" && key != "name") {
      return "unknown key \"" + key + "\" (a step has \"coupling\" and \"target\")";
    }
  }
  if (auto error = read_entries(object, "coupling", step.coupling)) {
    return error;
  }
  return read_entries(object, "target", step.target);
}

std::variant<StepInputs, ReadError> finish(StepInputs steps, std::optional<ReadError> error) {
  if (error) {
    return *error;
  }
  if (steps.empty()) {
    return ReadError{"no steps to run: the file holds no step lines"};
  }
  return steps;
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

std::variant<StepInputs, ReadError> read_csv_input(std::istream& in) {
  StepInputs steps;
  bool header_seen = false;
  auto error = for_each_line(in, [&](std::size_t line, std::string_view text) {
    if (!header_seen) {
      header_seen = true;
      return check_header(line, text);
    }
    return parse_csv_step(line, text, steps.emplace_back());
  });
  return finish(std::move(steps), std::move(error));
}

std::variant<StepInputs, ReadError> read_json_lines_input(std::istream& in) {
  StepInputs steps;
  auto error =
      for_each_line(in, [&](std::size_t line, std::string_view text) -> std::optional<std::string> {
        if (auto problem = parse_json_step(text, steps.emplace_back())) {
          return at_line(line) + ", " + *problem;
        }
        return std::nullopt;
      });
  return finish(std::move(steps), std::move(error));
}

std::variant<StepInputs, ReadError> read_recorded_input(const std::filesystem::path& path) {
  const auto format = format_of(path);
  if (!format) {
    return ReadError{path.string() + ": unknown input format; name the file .csv or .jsonl"};
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return ReadError{path.string() + ": is a directory, not a recorded input file"};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return ReadError{path.string() + ": cannot open: " + std::strerror(errno)};
  }
  auto read = *format == FileFormat::csv ? read_csv_input(in) : read_json_lines_input(in);
  if (auto* error = std::get_if<ReadError>(&read)) {
    error->message = path.string() + ": " + error->message;
  }
  return read;
}

}  // namespace sfqp::simulate
