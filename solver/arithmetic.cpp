// This build's entry points, by which solver/instruction_set.cpp finds them.
#include "kkt/fill_kkt.h"
#include "kkt/filled_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
#include "solver/instruction_set.h"
#include "solver/interior_point.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

extern const Arithmetic kArithmetic;
const Arithmetic kArithmetic = {InstructionSet::SFQP_INSTRUCTION_SET,
                                interior_point_solve,
                                fill_kkt,
                                kkt_factor,
                                kkt_solve,
                                kkt_multiply,
                                kkt_refine,
                                kkt_factor_filled,
                                kkt_solve_filled,
                                kkt_refine_filled,
                                kkt_factor_start};

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
