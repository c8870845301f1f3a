#include "solver/instruction_set.h"

namespace sfqp {

std::optional<InstructionSet> instruction_set_named(std::string_view name) {
  for (const InstructionSet set : kInstructionSets) {
    if (name == instruction_set_name(set)) {
      return set;
    }
  }
  return std::nullopt;
}

}  // namespace sfqp
