// Seeded test problems for the solver: the project's own generator, shared by
// the golden files, the tool (`sfqp generate`), the benchmarks and the
// simulation.
//
// A problem is a pure function of (category, seed, index): any one of them can be
// rebuilt without the ones before it, and the same on every platform (the
// generator draws from its own Random and uses no library mathematics).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "solver/records.h"

namespace sfqp::problems {

enum class Category {
  rotor16,     // a ring of 16 rotors; demands reachable and saturated
  gaussian,    // standard normal couplings; demands reachable and saturated
  scaled,      // normal couplings scaled by 1e-4 ... 1e3, whole or per row
  degenerate,  // rank 1 to 3, zero columns, a zero or repeated row, all zero
  limit,       // badly scaled and far out of reach: runs to the iteration limit
};

inline constexpr std::array<Category, 5> kAllCategories = {
    Category::rotor16, Category::gaussian, Category::scaled, Category::degenerate, Category::limit};

std::string_view category_name(Category category);
std::optional<Category> category_from_name(std::string_view name);

struct GeneratedProblem {
  std::string name;                               // "<category>_<index>"
  std::array<double, kCouplingCount> coupling{};  // 4x16, column-major: (i, j) at i + 4j
  std::array<double, kEqualityCount> target{};
};

GeneratedProblem generate(Category category, std::uint64_t seed, std::uint64_t index);

// Problems first, first + 1, ..., first + count - 1 of one category.
std::vector<GeneratedProblem> generate_range(Category category, std::uint64_t seed,
                                             std::uint64_t first, std::uint64_t count);

// A ring of 16 rotors at angles j*pi/8, spinning alternately (rotor 0
// counter-clockwise). The coupling of command u[j] in [0, 1] to the demands:
// row 0 thrust, row 1 roll, row 2 pitch, row 3 yaw.
struct RotorRing {
  double arm_length = 0.3;          // m, centre to rotor
  double thrust_coefficient = 1.0;  // thrust at full command, N
  double drag_coefficient = 0.1;    // reaction torque at full command, N m
};
// Column j: thrust k_T; roll k_T L sin(theta_j); pitch -k_T L cos(theta_j);
// yaw +k_D for even j, -k_D for odd j.
std::array<double, kCouplingCount> rotor16_coupling(const RotorRing& ring);

// coupling * u: the demand that the commands u produce.
std::array<double, kEqualityCount> demand_of(std::span<const double, kCouplingCount> coupling,
                                             std::span<const double, kEffortCount> u);

}  // namespace sfqp::problems
