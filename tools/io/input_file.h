// Where the sfqp tool reads input from: a file, or standard input for "-".
// A closed standard input (a program started with <&-) is an error, never
// read as empty input.
#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <string>

namespace sfqp::io {

// Whether name means standard input: "-", or /dev/stdin.
bool is_standard_input(const std::string& name);

// What is wrong with standard input (it is closed), or nothing.
std::optional<std::string> check_standard_input();

class InputFile {
 public:
  // Opens name ("-": standard input). On failure stream() is null and error()
  // says why, e.g. "No such file or directory", "standard input is closed".
  explicit InputFile(const std::string& name);

  std::istream* stream() { return stream_; }
  const std::string& error() const { return error_; }
  // How messages name the input: the file name, or <stdin>.
  const std::string& label() const { return label_; }

 private:
  std::unique_ptr<std::ifstream> file_;
  std::istream* stream_ = nullptr;
  std::string error_;
  std::string label_;
};

}  // namespace sfqp::io
