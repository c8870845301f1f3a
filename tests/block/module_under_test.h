// The module the build produced, as the tests reach it: loaded by file through
// the engine, plus a look at its private solver records for the tests that
// change them between steps (as any other code in the process might).
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "host/engine/engine.h"
#include "solver/records.h"

namespace sfqp::test {

inline constexpr char kIdentity[] = "MEX level2 S-function \"sfqpsolv\"";

const std::string& module_path();
std::shared_ptr<host::Module> loaded_module();

// The module's own copies of the solver records, located through its static
// symbol table (nm) and its load address; nothing when the file carries no
// symbol table.
struct ModuleRecords {
  ProblemData* problem = nullptr;
  SolverSettings* settings = nullptr;
};
std::optional<ModuleRecords> find_module_records();

// The entries of a 40x1 sizes vector, or empty when the array is not one.
std::vector<double> sizes_of(const mxArray* array);

// Inputs of one step: 64 coupling values (4x16, column-major) and 4 targets.
struct StepInputs {
  std::array<double, kCouplingCount> coupling{};
  std::array<double, kEqualityCount> target{};
};
void set_inputs(host::Block& block, const StepInputs& inputs);

// Options of a block that is only declared (no sample times, port methods or
// buffers), for looking at its record.
inline host::BlockOptions declared_only() {
  host::BlockOptions options;
  options.sizes_only = true;
  return options;
}

// Where the tests' own data lives.
std::string block_data_path(const std::string& name);

}  // namespace sfqp::test
