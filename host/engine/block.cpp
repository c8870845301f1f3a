// One block in the engine: the host's record for it, its set-up and its calls.
#include <cmath>
#include <cstring>
#include <utility>

#include "host/engine/engine.h"
#include "host/runtime/host_memory.h"
#include "interfaces/host_abi/simstruct.h"

namespace sfqp::host {

struct Block::Record {
  SimStruct S{};
  ssMdlInfo info{};
  DimensionService dimension_service{};
  std::string model_name;
  std::string path;
  std::vector<ArrayPtr> parameters;
  std::vector<const mxArray*> parameter_handles;
  std::vector<InputPortRecord> inputs;
  std::vector<OutputPortRecord> outputs;
  std::vector<std::vector<int>> input_dims;
  std::vector<std::vector<int>> output_dims;
  std::vector<std::vector<double>> input_signals;
  std::vector<std::vector<double>> output_signals;
  std::vector<double> sample_times;
  std::vector<double> offset_times;
  std::vector<ServiceRequest> service_requests;
  std::optional<std::string> raised;  // what the last method call raised, if anything
  // The arguments of a method call, made once: (t, x, u, flag), record in plhs[1].
  ArrayPtr empty = make_empty();
  ArrayPtr code = make_scalar(0.0);
  const mxArray* method_arguments[4] = {};
  mxArray* method_results[2] = {};
};

namespace {

using Record = Block::Record;

Record& record_of(void* argument) {
  return *static_cast<Record*>(argument);
}
Record& record_of(SimStruct* S) {
  return record_of(S->regNumInputPorts.argument);
}

// What the host takes from a module before refusing: counts and sizes far
// beyond any block's, so that a module that misbehaves gets an error rather
// than the host's memory.
constexpr int kMostPorts = 1024;
constexpr int kMostSampleTimes = 1024;
constexpr int kMostDimensions = 32;
constexpr std::size_t kMostSignalElements = std::size_t{1} << 22;
constexpr std::size_t kLongestErrorStatus = 1024;

template <typename Port>
int register_ports(Record& r, int count, int size_entry, std::vector<Port>& ports,
                   std::vector<std::vector<int>>& dims, Port*& attached) {
  if (count < 0 || count > kMostPorts) {
    return 0;
  }
  ports.assign(static_cast<std::size_t>(count), Port{});
  dims.assign(static_cast<std::size_t>(count), {});
  attached = count > 0 ? ports.data() : nullptr;
  r.S.sizes[size_entry] = count;
  r.S.sizes[ss_size::kFlags] |= kFlagPortsByCount;
  return 1;
}

int register_inputs(void* argument, int count) {
  Record& r = record_of(argument);
  return register_ports(r, count, ss_size::kNumInputPorts, r.inputs, r.input_dims, r.S.inputPorts);
}

int register_outputs(void* argument, int count) {
  Record& r = record_of(argument);
  return register_ports(r, count, ss_size::kNumOutputPorts, r.outputs, r.output_dims,
                        r.S.outputPorts);
}

// The host keeps its own copy of the dimensions; the later declaration of a
// port replaces the earlier one.
template <typename Port>
int record_dims(std::vector<Port>& ports, std::vector<std::vector<int>>& dims, int port,
                const DimsInfo_T* info) {
  if (port < 0 || static_cast<std::size_t>(port) >= ports.size() || info == nullptr ||
      info->numDims < DYNAMICALLY_SIZED || info->numDims > kMostDimensions ||
      (info->numDims > 0 && info->dims == nullptr)) {
    return 0;
  }
  const auto index = static_cast<std::size_t>(port);
  if (info->numDims > 0) {
    dims[index].assign(info->dims, info->dims + info->numDims);
  } else {
    dims[index].clear();  // a width alone, the number of dimensions still open
  }
  ports[index].width = info->width;
  ports[index].numDims = info->numDims;
  ports[index].dims = dims[index].empty() ? nullptr : dims[index].data();
  return 1;
}

int set_input_dims(SimStruct* S, int port, const DimsInfo_T* info) {
  Record& r = record_of(S);
  return record_dims(r.inputs, r.input_dims, port, info);
}

int set_output_dims(SimStruct* S, int port, const DimsInfo_T* info) {
  Record& r = record_of(S);
  return record_dims(r.outputs, r.output_dims, port, info);
}

int host_service(SimStruct* S, int request, int argument, void*) {
  record_of(S).service_requests.push_back({request, argument});
  return 0;
}

template <typename Port>
PortInfo describe(const Port& port) {
  PortInfo info;
  info.width = port.width;
  if (port.dims != nullptr && port.numDims > 0) {
    info.dimensions.assign(port.dims, port.dims + port.numDims);
  }
  info.data_type = port.dataType;
  info.complexity = port.complexSignal;
  info.frame_data = port.frameData;
  return info;
}

std::string port_name(const char* kind, std::size_t index) {
  return std::string(kind) + " port " + std::to_string(index + 1);
}

// The engine carries real doubles, one flat buffer a port.
template <typename Port>
std::string check_port(const Port& port, const char* kind, std::size_t index) {
  if (port.dataType != SS_DOUBLE) {
    return port_name(kind, index) + " has data type " + std::to_string(port.dataType) +
           "; the engine carries doubles only";
  }
  if (port.complexSignal == COMPLEX_YES) {
    return port_name(kind, index) + " is complex; the engine carries real signals only";
  }
  if (port.width < 1) {
    return port_name(kind, index) + " has width " + std::to_string(port.width);
  }
  return {};
}

std::string class_name(const mxArray* array) {
  switch (mxGetClassID(array)) {
    case mxDOUBLE_CLASS:
      return mxIsComplex(array) ? "complex double" : "double";
    case mxSINGLE_CLASS:
      return "single";
    case mxINT32_CLASS:
      return "int32";
    case mxCHAR_CLASS:
      return "char";
    case mxLOGICAL_CLASS:
      return "logical";
    default:
      return "unknown-class";
  }
}

// Why what the module returned from its MEX-mode call cannot be taken as the
// sizes vector, or nothing when it can. The module is not trusted: the host
// reads exactly 40 real doubles, and only from a 40x1 real double array.
std::optional<std::string> sizes_vector_problem(const mxArray* sizes) {
  constexpr auto kEntries = static_cast<std::size_t>(ss_size::kCount);
  if (sizes == nullptr) {
    return "the module returned no sizes vector";
  }
  if (mxGetClassID(sizes) != mxDOUBLE_CLASS || mxIsComplex(sizes) || mxGetM(sizes) != kEntries ||
      mxGetN(sizes) != 1 || doubles(sizes).size() != kEntries) {
    return "the sizes vector is a " + std::to_string(mxGetM(sizes)) + "x" +
           std::to_string(mxGetN(sizes)) + " " + class_name(sizes) +
           " array, not 40x1 real doubles";
  }
  return std::nullopt;
}

}  // namespace

std::array<double, 3> record_handle(const SimStruct* record) {
  const auto address = reinterpret_cast<std::uintptr_t>(record);
  const auto half = [](std::uint64_t bits) {
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
  };
  return {half(address), half(static_cast<std::uint64_t>(address) >> 32),
          static_cast<double>(kSimStructVersion)};
}

Block::Block(std::shared_ptr<Module> module, BlockOptions options, HostMemory& memory)
    : module_(std::move(module)), record_(std::make_unique<Record>()), memory_(memory) {
  Record& r = *record_;
  sizes_only_ = options.sizes_only;
  r.model_name = std::move(options.model_name);
  r.path = "model/" + r.model_name;
  r.parameters = std::move(options.dialog_parameters);
  for (const ArrayPtr& parameter : r.parameters) {
    r.parameter_handles.push_back(parameter.get());
  }
  SimStruct& S = r.S;
  S.modelName = r.model_name.c_str();
  S.path = r.path.c_str();
  S.root = &S;
  S.mdlInfo = &r.info;
  S.regNumInputPorts = {register_inputs, &r};
  S.regNumOutputPorts = {register_outputs, &r};
  S.sfcnParamsCount = static_cast<int>(r.parameter_handles.size());
  S.sfcnParams = r.parameter_handles.empty() ? nullptr : r.parameter_handles.data();
  S.hostReference = options.host_reference ? &r : nullptr;
  if (options.dimension_records) {
    S.sizes[ss_size::kFlags] |= kFlagDimensionRecords;
  }
  r.dimension_service = {set_input_dims, set_output_dims};
  r.info.dimensionService = options.dimension_service ? &r.dimension_service : nullptr;
  r.info.hostService = host_service;
  r.method_arguments[0] = r.empty.get();
  r.method_arguments[1] = r.empty.get();
  r.method_arguments[2] = r.empty.get();
  r.method_arguments[3] = r.code.get();
  // The protocol passes the record's address where an array handle would be.
  r.method_results[1] = reinterpret_cast<mxArray*>(&S);
}

Block::~Block() = default;

void Block::set_up() {
  Record& r = *record_;
  SimStruct& S = r.S;
  const std::string who = module_->path() + " (" + r.model_name + ")";

  // The MEX-mode call with the host's own record: its address in two signed
  // 32-bit halves, then the record version.
  const ArrayPtr handle_array = make_double(3, 1, record_handle(&S));
  const ArrayPtr flag = make_scalar(0.0);
  const mxArray* prhs[4] = {r.empty.get(), handle_array.get(), r.empty.get(), flag.get()};
  mxArray* plhs[1] = {nullptr};
  std::optional<std::string> raised;
  {
    const HostMemoryScope scope(memory_);
    raised = module_->call_raw(1, plhs, 4, prhs);
  }
  const ArrayPtr sizes(plhs[0]);
  if (raised) {
    throw EngineError(who + ": " + *raised, raised);
  }
  if (const std::optional<std::string> problem = sizes_vector_problem(sizes.get())) {
    throw EngineError(who + ": " + *problem);
  }
  const std::span<const double> entries = doubles(sizes.get());
  std::copy(entries.begin(), entries.end(), sizes_.begin());
  for (int k = 0; k < ss_size::kCount; ++k) {
    const bool is_unsigned =
        (k >= ss_size::kFirstCheckWord && k <= ss_size::kLastCheckWord) || k == ss_size::kOptions;
    const double held = is_unsigned ? static_cast<double>(static_cast<std::uint32_t>(S.sizes[k]))
                                    : static_cast<double>(S.sizes[k]);
    const double returned = sizes_[static_cast<std::size_t>(k)];
    if (!(held >= returned && held <= returned)) {
      throw EngineError(who + ": sizes entry " + std::to_string(k) + " differs from the record");
    }
  }
  if (S.sizes[ss_size::kVersion] != kSimStructVersion) {
    throw EngineError(who + ": record version " + std::to_string(S.sizes[ss_size::kVersion]) +
                      ", expected " + std::to_string(kSimStructVersion));
  }
  if (sizes_only_) {
    return;
  }
  if (ssGetNumSFcnParams(&S) != S.sfcnParamsCount) {
    throw EngineError(who + ": the block takes " + std::to_string(ssGetNumSFcnParams(&S)) +
                      " dialog parameters, but " + std::to_string(S.sfcnParamsCount) +
                      " were given");
  }
  if (S.methods.mdlOutputs == nullptr) {
    throw EngineError(who + ": the module installed no output method");
  }

  const int sample_times = ssGetNumSampleTimes(&S);
  if (sample_times < 1) {
    throw EngineError(who + ": the block declares no sample time");
  }
  if (sample_times > kMostSampleTimes) {
    throw EngineError(who + ": the block declares " + std::to_string(sample_times) +
                      " sample times; the engine takes at most " +
                      std::to_string(kMostSampleTimes));
  }
  r.sample_times.assign(static_cast<std::size_t>(sample_times), 0.0);
  r.offset_times.assign(static_cast<std::size_t>(sample_times), 0.0);
  S.sampleTimes = r.sample_times.data();
  S.offsetTimes = r.offset_times.data();

  auto run = [&](double code, std::int32_t port, std::int32_t proposed) {
    if (auto status = call_method(code, port, proposed)) {
      throw EngineError(who + ": " + *status, status);
    }
  };
  run(kMethodInitializeSampleTimes, 0, 0);

  // Signal attribute propagation: the engine's sources are real, sample-based
  // doubles, and it offers the block every method the block installed.
  const auto inputs = static_cast<std::int32_t>(r.inputs.size());
  const auto outputs = static_cast<std::int32_t>(r.outputs.size());
  for (std::int32_t p = 0; p < inputs && S.methods.mdlSetInputPortDataType != nullptr; ++p) {
    run(kMethodSetInputPortDataType, p, SS_DOUBLE);
  }
  for (std::int32_t p = 0; p < outputs && S.methods.mdlSetOutputPortDataType != nullptr; ++p) {
    run(kMethodSetOutputPortDataType, p, SS_DOUBLE);
  }
  if (S.methods2.mdlSetDefaultPortDataTypes != nullptr) {
    run(kMethodSetDefaultPortDataTypes, 0, 0);
  }
  for (std::int32_t p = 0; p < inputs && S.methods2.mdlSetInputPortFrameData != nullptr; ++p) {
    run(kMethodSetInputPortFrameData, p, FRAME_NO);
  }

  std::size_t elements = 0;
  for (std::size_t p = 0; p < r.inputs.size(); ++p) {
    if (auto problem = check_port(r.inputs[p], "input", p); !problem.empty()) {
      throw EngineError(who + ": " + problem);
    }
    elements += static_cast<std::size_t>(r.inputs[p].width);
  }
  for (std::size_t p = 0; p < r.outputs.size(); ++p) {
    if (auto problem = check_port(r.outputs[p], "output", p); !problem.empty()) {
      throw EngineError(who + ": " + problem);
    }
    elements += static_cast<std::size_t>(r.outputs[p].width);
  }
  if (elements > kMostSignalElements) {
    throw EngineError(who + ": the ports declare " + std::to_string(elements) +
                      " signal elements; the engine carries at most " +
                      std::to_string(kMostSignalElements));
  }
  for (std::size_t p = 0; p < r.inputs.size(); ++p) {
    r.input_signals.emplace_back(static_cast<std::size_t>(r.inputs[p].width), 0.0);
    r.inputs[p].signal = r.input_signals.back().data();
  }
  for (std::size_t p = 0; p < r.outputs.size(); ++p) {
    r.output_signals.emplace_back(static_cast<std::size_t>(r.outputs[p].width), 0.0);
    r.outputs[p].signal = r.output_signals.back().data();
  }
}

int Block::input_port_count() const {
  return static_cast<int>(record_->inputs.size());
}
int Block::output_port_count() const {
  return static_cast<int>(record_->outputs.size());
}

PortInfo Block::input_port(int port) const {
  const InputPortRecord& record = record_->inputs.at(static_cast<std::size_t>(port));
  PortInfo info = describe(record);
  info.direct_feedthrough = record.directFeedThrough;
  info.contiguous = record.requiredContiguous;
  return info;
}

PortInfo Block::output_port(int port) const {
  return describe(record_->outputs.at(static_cast<std::size_t>(port)));
}

double Block::sample_time() const {
  return record_->sample_times.at(0);
}
double Block::offset_time() const {
  return record_->offset_times.at(0);
}

namespace {

// The buffer of a port the block has; a port it lacks is the caller's error
// about this block, not an out-of-range fault.
template <typename Buffers>
auto& signal_buffer(Buffers& buffers, const char* kind, int port) {
  if (port < 0 || static_cast<std::size_t>(port) >= buffers.size()) {
    throw EngineError("the block has no " + std::string(kind) + " port " +
                      std::to_string(static_cast<std::int64_t>(port) + 1) + " (it has " +
                      std::to_string(buffers.size()) + ")");
  }
  return buffers[static_cast<std::size_t>(port)];
}

}  // namespace

std::span<double> Block::input(int port) {
  return signal_buffer(record_->input_signals, "input", port);
}
std::span<double> Block::output(int port) {
  return signal_buffer(record_->output_signals, "output", port);
}
std::span<const double> Block::output(int port) const {
  return signal_buffer(std::as_const(record_->output_signals), "output", port);
}

void Block::set_input(int port, std::span<const double> values) {
  const std::span<double> buffer = input(port);
  if (values.size() != buffer.size()) {
    throw EngineError(port_name("input", static_cast<std::size_t>(port)) + " takes " +
                      std::to_string(buffer.size()) + " values, not " +
                      std::to_string(values.size()));
  }
  std::copy(values.begin(), values.end(), buffer.begin());
}

std::optional<std::string> Block::error_status() const {
  if (const char* status = record_->S.root->errorStatus; status != nullptr) {
    // The module's text, read no further than any message needs.
    return std::string(status, strnlen(status, kLongestErrorStatus));
  }
  return record_->raised;
}

namespace {

// One method call as the host makes it: the port index (or task marker) in
// the argument integer, the proposed value in the model information, the
// code in prhs[3], the record in plhs[1], and a clear error status.
bool send(Block::Record& r, const Module& module, HostMemory& memory, double code,
          std::int32_t host_argument, std::int32_t proposed) {
  r.S.sizes[ss_size::kHostArgument] = host_argument;
  r.info.proposedValue = proposed;
  r.info.flags |= kMdlInfoFlagClearedByErrorStatus;
  r.S.root->errorStatus = nullptr;
  r.raised.reset();
  mxGetPr(r.code.get())[0] = code;
  const HostMemoryScope scope(memory);
  r.raised = module.call_raw(-1, r.method_results, 4, r.method_arguments);
  return !r.raised && r.S.root->errorStatus == nullptr;
}

}  // namespace

std::optional<std::string> Block::call_method(double code, std::int32_t host_argument,
                                              std::int32_t proposed) {
  if (send(*record_, *module_, memory_, code, host_argument, proposed)) {
    return std::nullopt;
  }
  return error_status();
}

bool Block::output_step() {
  return send(*record_, *module_, memory_, kMethodOutputs, kOutputTaskMarker, 0);
}

const std::vector<Block::ServiceRequest>& Block::service_requests() const {
  return record_->service_requests;
}

SimStruct_tag* Block::record() {
  return &record_->S;
}

}  // namespace sfqp::host
