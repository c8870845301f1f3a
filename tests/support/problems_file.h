// Reading the test data: problems files and expected-results files, one JSON
// object a line.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tools/io/problem_json.h"

namespace sfqp::test {

std::string data_path(const std::string& relative);

std::vector<io::NamedProblem> read_problems(const std::string& path);
std::vector<nlohmann::json> read_json_lines(const std::string& path);

// Doubles of an expected-results entry: an array of hex-float strings, or one.
std::vector<double> doubles_of(const nlohmann::json& value);
double double_of(const nlohmann::json& value);

}  // namespace sfqp::test
