#include "tests/block/module_under_test.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace sfqp::test {

const std::string& module_path() {
  static const std::string path = SFQP_MODULE_FILE;
  return path;
}

std::shared_ptr<host::Module> loaded_module() {
  static const std::shared_ptr<host::Module> module = host::Module::load(module_path());
  return module;
}

#if defined(_WIN32)

// A Windows module's records are not reachable by name: its only export is
// mexFunction, and the loader offers no view of its static symbols.
std::optional<ModuleRecords> find_module_records() {
  return std::nullopt;
}

#else

namespace {

std::map<std::string, std::uintptr_t> static_symbols(const std::string& file) {
  std::map<std::string, std::uintptr_t> symbols;
  const std::string command =
      std::string("'") + SFQP_NM + "' --defined-only '" + file + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return symbols;
  }
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) {
      symbols[name] = static_cast<std::uintptr_t>(std::strtoull(address.c_str(), nullptr, 16));
    }
  }
  pclose(pipe);
  return symbols;
}

}  // namespace

std::optional<ModuleRecords> find_module_records() {
  const auto symbols = static_symbols(module_path());
  const auto entry = symbols.find("mexFunction");
  const auto problem = symbols.find("_ZN4sfqp12problem_dataE");
  const auto settings = symbols.find("_ZN4sfqp15solver_settingsE");
  if (entry == symbols.end() || problem == symbols.end() || settings == symbols.end()) {
    return std::nullopt;
  }
  // The same file opened again is the same loaded module; its load bias is
  // where mexFunction is now less where the file puts it.
  loaded_module();
  void* handle = dlopen(module_path().c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) {
    return std::nullopt;
  }
  const auto loaded = reinterpret_cast<std::uintptr_t>(dlsym(handle, "mexFunction"));
  dlclose(handle);
  const std::uintptr_t bias = loaded - entry->second;
  return ModuleRecords{reinterpret_cast<ProblemData*>(bias + problem->second),
                       reinterpret_cast<SolverSettings*>(bias + settings->second)};
}

#endif

std::vector<double> sizes_of(const mxArray* array) {
  if (array == nullptr || mxIsComplex(array) || mxGetM(array) != 40 || mxGetN(array) != 1) {
    return {};
  }
  const auto values = host::doubles(array);
  return {values.begin(), values.end()};
}

void set_inputs(host::Block& block, const StepInputs& inputs) {
  block.set_input(0, inputs.coupling);
  for (int i = 0; i < kEqualityCount; ++i) {
    block.set_input(i + 1, {&inputs.target[static_cast<std::size_t>(i)], 1});
  }
}

std::string block_data_path(const std::string& name) {
  return std::string(SFQP_BLOCK_TEST_DATA) + "/" + name;
}

}  // namespace sfqp::test
