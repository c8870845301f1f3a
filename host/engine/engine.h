// The engine: takes blocks through a simulation the way the real host does.
//
// It loads a module by file (resolving only mexFunction), makes the MEX-mode
// call with a block record of its own, checks the sizes vector, sets the sample
// time, runs the port methods the block installed, allocates the port signal
// buffers from the declared dimensions and calls the output method once per
// step. Everything the module sees is what a user's host would show it.
//
// Usage:
//
//   sfqp::host::Model model;
//   sfqp::host::Block& block = model.add_block(sfqp::host::default_module_path());
//   block.set_input(0, coupling);        // 64 doubles, 4x16 column-major
//   for (int i = 1; i <= 4; ++i) block.set_input(i, {&target[i - 1], 1});
//   model.step();                        // throws SimulationError on an error status
//   std::span<const double> u = block.output(0);   // 16 doubles, 4x4 column-major
//
// Direct calls of mexFunction, for tests and fuzzing:
//
//   auto module = sfqp::host::Module::load(path);
//   sfqp::host::MexCall call = module->call(1, {flag_args...});
//   if (call.error) ...   // the text the module raised with mexErrMsgTxt
//
// Port indices count from 0, as the host's operations do (the user's input 1
// is index 0). The engine is single-threaded, like the host: one model steps
// on one thread at a time, and all models in a process share each loaded
// module's solver records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/runtime/arrays.h"
#include "interfaces/host_abi/method_codes.h"

struct SimStruct_tag;

namespace sfqp::host {

class HostMemory;

// A fault of the engine itself or of a block it drives: a module that cannot
// be loaded, a MEX-mode call that raised an error, a sizes vector the host
// cannot accept, a method that set an error status during set-up.
class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& what, std::optional<std::string> module_text = {})
      : std::runtime_error(what), module_text_(std::move(module_text)) {}
  // The module's own text (raised with mexErrMsgTxt, or an error status),
  // when the fault is the module's report.
  const std::optional<std::string>& module_text() const { return module_text_; }

 private:
  std::optional<std::string> module_text_;
};

// A block set an error status during a simulation step; the model stops.
class SimulationError : public EngineError {
 public:
  SimulationError(std::size_t block_index, const std::string& status);
  std::size_t block_index() const { return block_index_; }

 private:
  std::size_t block_index_;
};

// The module this build produces (sfqpsolv.mexa64 next to the engine's tests
// and tools), or the SFQP_MODULE environment variable when it is set.
std::string default_module_path();

// The second argument with which the host hands a module its own record: the
// record's address as two signed 32-bit halves (low, high) and the version.
std::array<double, 3> record_handle(const SimStruct_tag* record);

// What one direct call of mexFunction gave back.
struct MexCall {
  std::optional<std::string> error;  // the text raised with mexErrMsgTxt
  std::vector<ArrayPtr> outputs;     // plhs[0..max(nlhs, 1)), null where unset
};

// A module loaded by file, as the host loads it: only mexFunction is resolved.
class Module {
 public:
  using Entry = void (*)(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]);

  // Throws EngineError naming the file when it cannot be loaded or does not
  // export mexFunction.
  static std::shared_ptr<Module> load(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const std::string& path() const { return path_; }

  // Calls mexFunction as the MATLAB command line does, with the arguments as
  // given (null handles allowed), and takes ownership of what it returns.
  MexCall call(int nlhs, std::span<const mxArray* const> prhs) const;
  MexCall call(int nlhs, std::initializer_list<const mxArray*> prhs) const;

  // The raw entry with the host's error boundary around it: returns the text
  // raised with mexErrMsgTxt, if any (or one naming any other exception that
  // left the module). plhs and prhs are passed unchanged (a
  // method call's record address goes in plhs[1]). Allocates nothing unless
  // an error is raised.
  std::optional<std::string> call_raw(int nlhs, mxArray** plhs, int nrhs,
                                      const mxArray** prhs) const;

 private:
  Module(std::string path, void* handle, Entry entry);
  std::string path_;
  void* handle_;
  Entry entry_;
};

// A port as the host sees it after set-up.
struct PortInfo {
  std::int32_t width = 0;
  std::vector<std::int32_t> dimensions;  // empty when only a width was declared
  std::int32_t data_type = 0;
  std::int32_t complexity = 0;
  std::int32_t frame_data = 0;
  std::int32_t direct_feedthrough = 0;  // inputs only
  std::int32_t contiguous = 0;          // inputs only
};

// How the host presents a block record to the module.
struct BlockOptions {
  std::string model_name = "sfqpsolv";  // the name the module checks
  std::vector<ArrayPtr> dialog_parameters;
  // With a dimension service the host accepts matrix port declarations;
  // without it only widths are recorded (as on the command-line record).
  bool dimension_service = true;
  // Flags bit 0: the host passes dimension records (126, 127) instead of
  // widths (115, 116) to the port width methods.
  bool dimension_records = false;
  // Set the host's reference field so that the module calls the service entry.
  bool host_reference = false;
  // Stop after the MEX-mode call and the sizes check: no sample times, port
  // methods or buffers (the block cannot step). For inspecting declarations
  // the engine could not simulate.
  bool sizes_only = false;
};

// One block instance: its record, its port buffers, its error status.
class Block {
 public:
  ~Block();
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  // The 40 entries the MEX-mode call returned.
  const std::array<double, 40>& sizes() const { return sizes_; }

  int input_port_count() const;
  int output_port_count() const;
  PortInfo input_port(int port) const;
  PortInfo output_port(int port) const;
  double sample_time() const;
  double offset_time() const;

  // The signal buffers the host owns, sized from the declared port widths;
  // a port the block lacks throws EngineError.
  std::span<double> input(int port);
  std::span<double> output(int port);
  std::span<const double> output(int port) const;
  // Copies values into input port; throws EngineError when the count differs.
  void set_input(int port, std::span<const double> values);

  // The error status the block's last method left, if any.
  std::optional<std::string> error_status() const;

  // Sends method code (as a double, so fractions and non-finite codes can be
  // sent) with the host's argument integer; sets proposed as the proposed
  // value of a port method. Returns the error status the method left.
  std::optional<std::string> call_method(double code, std::int32_t host_argument = 0,
                                         std::int32_t proposed = 0);
  // Runs the output method once (code 104, task marker -2); allocates nothing.
  // Returns false when the block set an error status.
  bool output_step();

  // How often the module called the host service entry, and with what.
  struct ServiceRequest {
    std::int32_t request;
    std::int32_t argument;
  };
  const std::vector<ServiceRequest>& service_requests() const;

  // The record itself, for tests that inspect the host's side directly.
  SimStruct_tag* record();

  struct Record;  // the host's side of the block, private to the engine

 private:
  friend class Model;
  Block(std::shared_ptr<Module> module, BlockOptions options, HostMemory& memory);
  void set_up();

  std::shared_ptr<Module> module_;
  std::unique_ptr<Record> record_;
  std::array<double, 40> sizes_{};
  HostMemory& memory_;
  bool sizes_only_ = false;
};

// A model: blocks stepped in the order they were added, one thread.
class Model {
 public:
  Model();
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // Loads the module (once per path), takes a new block of it through set-up
  // and returns it; the reference stays valid for the model's life. Throws
  // EngineError with the module's text when set-up fails.
  Block& add_block(const std::string& module_path, BlockOptions options = {});

  std::size_t block_count() const { return blocks_.size(); }
  Block& block(std::size_t index) { return *blocks_.at(index); }

  // One simulation step: every block's output method, in order. Throws
  // SimulationError when a block sets an error status. Allocates nothing.
  void step();
  std::int64_t steps_taken() const { return steps_; }

 private:
  std::unique_ptr<HostMemory> memory_;
  std::vector<std::shared_ptr<Module>> modules_;
  std::vector<std::unique_ptr<Block>> blocks_;
  std::int64_t steps_ = 0;
};

}  // namespace sfqp::host
