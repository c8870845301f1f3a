// Processors other than x86-64 have the portable build alone: solve_qp runs it
// directly, with no table to choose from.
#include "solver/instruction_set.h"
#include "solver/solve_qp.h"

namespace sfqp {

// The build's table (solver/arithmetic.cpp), for the tests that compare builds.
inline namespace portable {
extern const Arithmetic kArithmetic;
}

const Arithmetic& arithmetic(InstructionSet) {
  return portable::kArithmetic;
}

std::string_view instruction_set_name(InstructionSet) {
  return "portable";
}

bool instruction_set_supported(InstructionSet) {
  return true;
}

InstructionSet active_instruction_set() {
  return InstructionSet::portable;
}

bool use_instruction_set(InstructionSet) {
  return true;
}

std::int32_t solve_qp() {
  return interior_point_solve();
}

}  // namespace sfqp
