#include "tests/support/problems_file.h"

#include <fstream>
#include <stdexcept>

namespace sfqp::test {

std::string data_path(const std::string& relative) {
  return std::string(SFQP_TEST_DATA_DIR) + "/" + relative;
}

std::vector<nlohmann::json> read_json_lines(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot open " + path);
  }
  std::vector<nlohmann::json> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      lines.push_back(nlohmann::json::parse(line));
    }
  }
  return lines;
}

std::vector<io::NamedProblem> read_problems(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot open " + path);
  }
  std::vector<io::NamedProblem> problems;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty()) {
      continue;
    }
    auto parsed = io::parse_problem_line(line);
    if (auto* error = std::get_if<std::string>(&parsed)) {
      throw std::runtime_error(path + ":" + std::to_string(number) + ": " + *error);
    }
    problems.push_back(std::get<io::NamedProblem>(std::move(parsed)));
  }
  return problems;
}

double double_of(const nlohmann::json& value) {
  const auto number = io::read_number(value);
  if (const auto* problem = std::get_if<std::string>(&number)) {
    throw std::runtime_error(value.dump() + " " + *problem);
  }
  return std::get<double>(number);
}

std::vector<double> doubles_of(const nlohmann::json& value) {
  std::vector<double> out;
  for (const auto& entry : value) {
    out.push_back(double_of(entry));
  }
  return out;
}

}  // namespace sfqp::test
