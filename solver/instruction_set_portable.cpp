// Processors other than x86-64 have the portable build alone: it is always the
// active one.
#include "solver/instruction_set.h"

namespace sfqp {

// The build's table (solver/arithmetic.cpp).
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

const Arithmetic& active_arithmetic() {
  return portable::kArithmetic;
}

}  // namespace sfqp
