// Writes an envelope, one row per grid point in the grid's order (x varying
// fastest), as CSV or JSON Lines: the demand t0..t3, iterations, converged,
// fell_back (1: the block wrote 16 zeros), beyond_reach, and the achieved
// coupling * output 1 (CSV achieved_0..3, JSON "achieved": [4]). Numbers as
// the shortest decimal that reads back to the same double, or with exact as
// C99 hexadecimal floats.
#pragma once

#include <ostream>
#include <span>

#include "tools/envelope/grid.h"
#include "tools/envelope/point_solver.h"
#include "tools/simulate/file_format.h"

namespace sfqp::envelope {

// Writes the rows to out; results: at least grid.size() of them, in the
// grid's order.
void write_envelope_rows(const Grid& grid, std::span<const PointResult> results,
                         simulate::FileFormat format, bool exact, std::ostream& out);

}  // namespace sfqp::envelope
