#include "tools/problems/problem_generator.h"

#include <cmath>

#include "tools/problems/random.h"

namespace sfqp::problems {

namespace {

using Coupling = std::array<double, kCouplingCount>;
using Target = std::array<double, kEqualityCount>;
using Commands = std::array<double, kEffortCount>;

constexpr std::size_t kRows = kEqualityCount;
constexpr std::size_t kColumns = kEffortCount;

double& at(Coupling& coupling, std::size_t row, std::size_t column) {
  return coupling[row + kRows * column];
}

// Decimal literals round to the nearest double on every compiler; a pow() would
// depend on the library.
constexpr std::array<double, 8> kPowersOfTen = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3};

// cos(j*pi/8) for j = 0..15.
constexpr double kCos1 = 0.92387953251128675613;  // cos(pi/8)
constexpr double kCos2 = 0.70710678118654752440;  // cos(pi/4)
constexpr double kCos3 = 0.38268343236508977173;  // cos(3pi/8)
constexpr std::array<double, kColumns> kRingCos = {1.0,    kCos1,  kCos2, kCos3,  0.0,    -kCos3,
                                                   -kCos2, -kCos1, -1.0,  -kCos1, -kCos2, -kCos3,
                                                   0.0,    kCos3,  kCos2, kCos1};

std::uint64_t stream_seed(std::uint64_t seed, Category category, std::uint64_t index) {
  std::uint64_t state = seed;
  std::uint64_t mixed = splitmix64(state) ^ (static_cast<std::uint64_t>(category) + 1);
  mixed = splitmix64(mixed) ^ index;
  return splitmix64(mixed);
}

Commands uniform_commands(Random& random, double low, double high) {
  Commands u{};
  for (double& value : u) {
    value = random.uniform(low, high);
  }
  return u;
}

Coupling normal_coupling(Random& random) {
  Coupling coupling{};
  for (double& value : coupling) {
    value = random.normal();
  }
  return coupling;
}

// Sets target[row] beyond what any commands in [0, 1] reach: |coupling row . u|
// is at most the sum of the row's magnitudes.
void push_out_of_reach(const Coupling& coupling, Target& target, std::size_t row, double sign,
                       double factor) {
  double reach = 0.0;
  for (std::size_t j = 0; j < kColumns; ++j) {
    reach = reach + std::fabs(coupling[row + kRows * j]);
  }
  target[row] = sign * (factor * reach);
}

double random_sign(Random& random) {
  return random.below(2) == 0 ? 1.0 : -1.0;
}

// Pushes a row drawn from first..first+count-1 out of reach, by a factor drawn
// from [low, high) and a random sign. The draws are taken one per statement,
// in the order the problems have always been made with (factor, sign, row):
// within one argument list their order would be the compiler's choice.
void push_random_out_of_reach(Random& random, GeneratedProblem& out, std::uint64_t first,
                              std::uint64_t count, double low, double high) {
  const double factor = random.uniform(low, high);
  const double sign = random_sign(random);
  const std::uint64_t row = first + random.below(count);
  push_out_of_reach(out.coupling, out.target, row, sign, factor);
}

void scale_rows(Coupling& coupling, const std::array<double, kRows>& scales) {
  for (std::size_t j = 0; j < kColumns; ++j) {
    for (std::size_t i = 0; i < kRows; ++i) {
      at(coupling, i, j) = scales[i] * at(coupling, i, j);
    }
  }
}

// Variants cycle with the index so that every small range holds each of them.
void rotor16_problem(Random& random, std::uint64_t index, GeneratedProblem& out) {
  const double thrust = random.uniform(0.5, 2.0);
  const RotorRing ring{random.uniform(0.15, 0.6), thrust, thrust * random.uniform(0.02, 0.12)};
  out.coupling = rotor16_coupling(ring);
  // Worn rotors: each gives 85% to 100% of its nominal effect.
  for (std::size_t j = 0; j < kColumns; ++j) {
    const double efficiency = random.uniform(0.85, 1.0);
    for (std::size_t i = 0; i < kRows; ++i) {
      at(out.coupling, i, j) = efficiency * at(out.coupling, i, j);
    }
  }
  switch (index % 4) {
    case 0:  // reachable, commands well inside their range
      out.target = demand_of(out.coupling, uniform_commands(random, 0.2, 0.8));
      break;
    case 1: {  // reachable, some commands exactly on a bound
      Commands u = uniform_commands(random, 0.0, 1.0);
      for (int k = 0; k < 4; ++k) {
        const double bound = static_cast<double>(random.below(2));  // before the position
        u[random.below(kColumns)] = bound;
      }
      out.target = demand_of(out.coupling, u);
      break;
    }
    case 2:  // more thrust than the ring can give
      out.target = demand_of(out.coupling, uniform_commands(random, 0.3, 0.9));
      push_out_of_reach(out.coupling, out.target, 0, 1.0, random.uniform(1.05, 2.0));
      break;
    default:  // a moment beyond reach on one axis
      out.target = demand_of(out.coupling, uniform_commands(random, 0.2, 0.8));
      push_random_out_of_reach(random, out, 1, 3, 1.1, 3.0);
      break;
  }
}

void gaussian_problem(Random& random, std::uint64_t index, GeneratedProblem& out) {
  out.coupling = normal_coupling(random);
  out.target = demand_of(out.coupling, uniform_commands(random, 0.0, 1.0));
  if (index % 2 == 1) {
    push_random_out_of_reach(random, out, 0, kRows, 1.1, 3.0);
  }
}

void scaled_problem(Random& random, std::uint64_t index, GeneratedProblem& out) {
  out.coupling = normal_coupling(random);
  const double scale = kPowersOfTen[index % kPowersOfTen.size()];
  const std::uint64_t variant = (index / kPowersOfTen.size()) % 3;
  std::array<double, kRows> scales = {scale, scale, scale, scale};
  if (variant == 2) {  // every row its own scale
    for (double& row_scale : scales) {
      row_scale = kPowersOfTen[random.below(kPowersOfTen.size())];
    }
  }
  scale_rows(out.coupling, scales);
  out.target = demand_of(out.coupling, uniform_commands(random, 0.0, 1.0));
  if (variant == 1) {
    push_random_out_of_reach(random, out, 0, kRows, 1.1, 3.0);
  }
}

Coupling low_rank_coupling(Random& random, int rank) {
  Coupling coupling{};
  for (int r = 0; r < rank; ++r) {
    std::array<double, kRows> left{};
    for (double& value : left) {
      value = random.normal();
    }
    for (std::size_t j = 0; j < kColumns; ++j) {
      const double right = random.normal();
      for (std::size_t i = 0; i < kRows; ++i) {
        at(coupling, i, j) = at(coupling, i, j) + left[i] * right;
      }
    }
  }
  return coupling;
}

void degenerate_problem(Random& random, std::uint64_t index, GeneratedProblem& out) {
  switch (index % 6) {
    case 0:
    case 1:
    case 2:  // rank 1, 2 or 3
      out.coupling = low_rank_coupling(random, static_cast<int>(index % 6) + 1);
      break;
    case 3: {  // 4 to 12 zero columns, chosen by a partial shuffle
      out.coupling = normal_coupling(random);
      std::array<std::size_t, kColumns> order{};
      for (std::size_t j = 0; j < kColumns; ++j) {
        order[j] = j;
      }
      const std::uint64_t zeroed = 4 + random.below(9);
      for (std::size_t k = 0; k < zeroed; ++k) {
        std::swap(order[k], order[k + random.below(kColumns - k)]);
        for (std::size_t i = 0; i < kRows; ++i) {
          at(out.coupling, i, order[k]) = 0.0;
        }
      }
      break;
    }
    case 4: {  // one zero row and one row repeated: rank 2
      out.coupling = normal_coupling(random);
      const std::size_t zero_row = random.below(kRows);
      for (std::size_t j = 0; j < kColumns; ++j) {
        at(out.coupling, zero_row, j) = 0.0;
        at(out.coupling, (zero_row + 1) % kRows, j) = at(out.coupling, (zero_row + 2) % kRows, j);
      }
      break;
    }
    default:  // all zero
      break;
  }
  if ((index / 6) % 2 == 0) {
    out.target = demand_of(out.coupling, uniform_commands(random, 0.0, 1.0));
  } else {
    for (double& value : out.target) {
      value = 2.0 * random.normal();
    }
  }
}

void limit_problem(Random& random, std::uint64_t index, GeneratedProblem& out) {
  (void)index;
  out.coupling = normal_coupling(random);
  std::array<double, kRows> scales{};
  for (double& row_scale : scales) {
    row_scale = kPowersOfTen[4 + random.below(4)];
  }
  scale_rows(out.coupling, scales);
  for (std::size_t i = 0; i < kRows; ++i) {
    const double factor = random.uniform(2.0, 10.0);  // before the sign, as above
    push_out_of_reach(out.coupling, out.target, i, random_sign(random), factor);
  }
}

}  // namespace

std::string_view category_name(Category category) {
  switch (category) {
    case Category::rotor16:
      return "rotor16";
    case Category::gaussian:
      return "gaussian";
    case Category::scaled:
      return "scaled";
    case Category::degenerate:
      return "degenerate";
    case Category::limit:
      return "limit";
  }
  return "unknown";
}

std::optional<Category> category_from_name(std::string_view name) {
  for (const Category category : kAllCategories) {
    if (category_name(category) == name) {
      return category;
    }
  }
  return std::nullopt;
}

std::array<double, kCouplingCount> rotor16_coupling(const RotorRing& ring) {
  Coupling coupling{};
  const double moment_arm = ring.thrust_coefficient * ring.arm_length;
  for (std::size_t j = 0; j < kColumns; ++j) {
    const double sin_j = kRingCos[(j + 12) % kColumns];  // sin(x) = cos(x - pi/2)
    at(coupling, 0, j) = ring.thrust_coefficient;
    at(coupling, 1, j) = moment_arm * sin_j;
    at(coupling, 2, j) = 0.0 - moment_arm * kRingCos[j];  // 0.0 - : no negative zeros
    at(coupling, 3, j) = j % 2 == 0 ? ring.drag_coefficient : -ring.drag_coefficient;
  }
  return coupling;
}

std::array<double, kEqualityCount> demand_of(std::span<const double, kCouplingCount> coupling,
                                             std::span<const double, kEffortCount> u) {
  Target demand{};
  for (std::size_t i = 0; i < kRows; ++i) {
    double sum = 0.0;
    for (std::size_t j = 0; j < kColumns; ++j) {
      sum = sum + coupling[i + kRows * j] * u[j];
    }
    demand[i] = sum;
  }
  return demand;
}

GeneratedProblem generate(Category category, std::uint64_t seed, std::uint64_t index) {
  Random random(stream_seed(seed, category, index));
  GeneratedProblem out;
  out.name = std::string(category_name(category)) + "_" + std::to_string(index);
  switch (category) {
    case Category::rotor16:
      rotor16_problem(random, index, out);
      break;
    case Category::gaussian:
      gaussian_problem(random, index, out);
      break;
    case Category::scaled:
      scaled_problem(random, index, out);
      break;
    case Category::degenerate:
      degenerate_problem(random, index, out);
      break;
    case Category::limit:
      limit_problem(random, index, out);
      break;
  }
  return out;
}

std::vector<GeneratedProblem> generate_range(Category category, std::uint64_t seed,
                                             std::uint64_t first, std::uint64_t count) {
  std::vector<GeneratedProblem> problems;
  problems.reserve(count);
  for (std::uint64_t k = 0; k < count; ++k) {
    problems.push_back(generate(category, seed, first + k));
  }
  return problems;
}

}  // namespace sfqp::problems
