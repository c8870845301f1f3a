// Loading a module and calling its entry across the host's error boundary.
#include <cstdlib>

#include "host/engine/engine.h"
#include "host/engine/module_loader.h"
#include "host/runtime/mex_error.h"

namespace sfqp::host {

SimulationError::SimulationError(std::size_t block_index, const std::string& status)
    : EngineError("block " + std::to_string(block_index + 1) + ": " + status, status),
      block_index_(block_index) {}

std::string default_module_path() {
  if (const char* path = std::getenv("SFQP_MODULE"); path != nullptr && *path != '\0') {
    return path;
  }
  return SFQP_DEFAULT_MODULE_PATH;
}

std::shared_ptr<Module> Module::load(const std::string& path) {
  std::string error;
  void* handle = loader::open(path, error);
  if (handle == nullptr) {
    throw EngineError("cannot load module " + path + ": " + error);
  }
  void* entry = loader::find(handle, "mexFunction", error);
  if (entry == nullptr) {
    loader::close(handle);
    throw EngineError("module " + path + " has no mexFunction: " + error);
  }
  return std::shared_ptr<Module>(new Module(path, handle, reinterpret_cast<Entry>(entry)));
}

Module::Module(std::string path, void* handle, Entry entry)
    : path_(std::move(path)), handle_(handle), entry_(entry) {}

Module::~Module() {
  loader::close(handle_);
}

std::optional<std::string> Module::call_raw(int nlhs, mxArray** plhs, int nrhs,
                                            const mxArray** prhs) const {
  try {
    entry_(nlhs, plhs, nrhs, prhs);
  } catch (const MexError& error) {
    return std::string(error.what());
  } catch (const std::exception& error) {
    // A module's own exceptions are no part of the protocol: the call failed.
    return "mexFunction ended with an exception other than mexErrMsgTxt: " +
           std::string(error.what());
  } catch (...) {
    return std::string("mexFunction ended with an exception other than mexErrMsgTxt");
  }
  return std::nullopt;
}

MexCall Module::call(int nlhs, std::span<const mxArray* const> prhs) const {
  // The host always offers at least one result slot; a method call reads two.
  const std::size_t slots = nlhs < 0 ? 2 : static_cast<std::size_t>(nlhs > 0 ? nlhs : 1);
  std::vector<mxArray*> plhs(slots, nullptr);
  std::vector<const mxArray*> arguments(prhs.begin(), prhs.end());
  MexCall result;
  result.error = call_raw(nlhs, plhs.data(), static_cast<int>(arguments.size()), arguments.data());
  for (mxArray* array : plhs) {
    result.outputs.emplace_back(array);
  }
  return result;
}

MexCall Module::call(int nlhs, std::initializer_list<const mxArray*> prhs) const {
  return call(nlhs, std::span<const mxArray* const>(prhs.begin(), prhs.size()));
}

}  // namespace sfqp::host
