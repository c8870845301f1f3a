// sfqp solve's reader: one line of JSON Lines problems, any bytes. It must
// answer with a problem or with an error text, and the error text must stay
// bounded and printable however long or binary the line: the input is echoed
// only through the bounded excerpt. The fast reading of plain lines is fed the
// same bytes: whenever it answers, the full JSON reader must give the same
// problem to the bit, and the line's answer is the full reader's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <variant>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/reader_checks.h"
#include "tools/io/plain_problem_line.h"
#include "tools/io/problem_json.h"

namespace {

bool same_bits(const double* a, const double* b, std::size_t count) {
  return std::memcmp(a, b, count * sizeof(double)) == 0;
}

void require_same_as_full_reader(const std::string& line) {
  const auto plain = sfqp::io::read_plain_problem_line(line);
  if (!plain) {
    return;
  }
  const auto full = sfqp::io::parse_problem_json(line);
  const auto* problem = std::get_if<sfqp::io::NamedProblem>(&full);
  if (problem == nullptr || problem->name != plain->name || problem->problem.settings ||
      !same_bits(problem->problem.coupling.data(), plain->problem.coupling.data(),
                 plain->problem.coupling.size()) ||
      !same_bits(problem->problem.target.data(), plain->problem.target.data(),
                 plain->problem.target.size())) {
    std::abort();  // the fast reading disagrees with the full reader
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  require_same_as_full_reader(line);
  const auto parsed = sfqp::io::parse_problem_line(line);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    sfqp::fuzz::require_bounded_message(*error);
  }
  return 0;
}
