#include "tools/simulate/simulate_command.h"
#include "tools/io/excerpt.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "host/engine/engine.h"
#include "tools/io/output_files.h"
#include "tools/io/output_paths.h"
#include "tools/sfqp/command.h"
#include "tools/simulate/file_format.h"
#include "tools/simulate/module_location.h"
#include "tools/simulate/progress_bar.h"
#include "tools/simulate/recorded_input.h"
#include "tools/simulate/run_plot.h"
#include "tools/simulate/run_summary.h"
#include "tools/simulate/run_writer.h"
#include "tools/simulate/scenarios.h"
#include "tools/simulate/simulate_help.h"
#include "tools/simulate/simulation.h"

namespace sfqp::tool {

namespace {

using namespace sfqp::simulate;
namespace fs = std::filesystem;

constexpr double kDefaultRecordedPeriod = 0.001;  // s: 1 kHz

struct SimulateOptions {
  std::string scenario{kDefaultScenario};
  std::string input;
  double period = kDefaultRecordedPeriod;
  std::string output;
  std::string summary;
  std::string plot;
  std::string module;
  bool exact = false;
  bool diagnose = false;
  bool quiet = false;
  bool list_scenarios = false;
};

// What is simulated: the steps, one at a time, and how to name them. A
// scenario's steps are made before the run; a recording is read as it runs.
struct RunSource {
  StepInputs scenario_steps;
  std::unique_ptr<RecordedInput> recorded;
  std::size_t steps_given = 0;
  double period = 0.0;
  std::string description;  // "scenario manoeuvre", "input FILE"
  std::array<std::string, kEqualityCount> labels;
  std::vector<std::pair<double, std::string>> marks;

  bool next(StepInput& step) {
    if (recorded) {
      return recorded->next(step);
    }
    if (steps_given == scenario_steps.size()) {
      return false;
    }
    step = scenario_steps[steps_given++];
    return true;
  }
  // How far the run has come, in what the progress bar counts: a scenario's
  // steps, or the kB of a recorded file (0 in all when its size is not known).
  std::size_t progress_total() const {
    return recorded ? static_cast<std::size_t>(recorded->size() / 1024) : scenario_steps.size();
  }
  std::size_t progress_done() const {
    return recorded ? static_cast<std::size_t>(recorded->bytes_read() / 1024) : steps_given;
  }
};

[[noreturn]] void fail(const std::string& message, ExitCode code = exit_bad_input) {
  std::cerr << "sfqp simulate: " << message << '\n';
  finish_with(code);
}

void print_scenarios() {
  for (const Scenario& s : scenarios()) {
    std::cout << s.name << (s.name == kDefaultScenario ? " (default)" : "") << "\n    "
              << s.description << "\n";
  }
}

RunSource load_source(const SimulateOptions& options) {
  RunSource source;
  if (options.input.empty()) {
    const Scenario* scenario = find_scenario(options.scenario);
    source.scenario_steps = scenario_inputs(*scenario);
    source.period = scenario->period;
    source.description = "scenario " + std::string(scenario->name);
    for (std::size_t i = 0; i < kEqualityCount; ++i) {
      source.labels[i] = std::string(kDemandNames[i]) + " [" + std::string(kDemandUnits[i]) + "]";
    }
    for (const ScenarioEvent& event : scenario->events) {
      source.marks.emplace_back(event.time, std::string(event.label));
    }
    return source;
  }
  source.recorded = std::make_unique<RecordedInput>(options.input);
  if (const auto& error = source.recorded->error()) {
    fail(error->message + " (nothing was run or written)");
  }
  source.period = options.period;
  source.description = "input " + options.input;
  source.labels = {"t0", "t1", "t2", "t3"};
  return source;
}

std::string module_path(const SimulateOptions& options) {
  std::error_code error;
  if (!options.module.empty()) {
    // A name without a folder ("notmod.so") would go to the loader's library
    // search; the user means the file here.
    const fs::path given(options.module);
    const fs::file_status status = fs::status(given, error);
    if (!fs::exists(status)) {
      fail("--module " + io::name_excerpt(options.module) + ": no such file");
    }
    if (fs::is_directory(status)) {
      fail("--module " + io::name_excerpt(options.module) + ": is a directory, not a module");
    }
    if (!fs::is_regular_file(status)) {
      fail("--module " + io::name_excerpt(options.module) +
           ": is not a regular file, so not a module");
    }
    return fs::absolute(given, error).string();
  }
  const auto beside = default_module();
  if (!beside) {
    fail("cannot find this tool's own path to look for the module beside it; give --module");
  }
  if (!fs::exists(*beside, error)) {
    fail("no module at " + beside->string() +
         ": build it (target sfqpsolv_module) or give --module PATH");
  }
  return beside->string();
}

// Every output path, checked before anything runs.
void check_outputs(const SimulateOptions& options) {
  const std::vector<io::PlannedOutput> outputs = {
      {"--output", options.output}, {"--summary", options.summary}, {"--plot", options.plot}};
  std::vector<fs::path> inputs = {options.input};
  if (!options.module.empty()) {
    inputs.emplace_back(options.module);
  }
  if (auto error = io::check_output_paths(outputs, inputs)) {
    fail(*error + " (nothing was run or written)", exit_cannot_write);
  }
  if (!options.plot.empty()) {
    if (auto error = check_plot_ready()) {
      fail(*error + " (nothing was run or written)", exit_cannot_write);
    }
  }
}

void simulate(const SimulateOptions& options) {
  check_outputs(options);
  RunSource source = load_source(options);
  const std::string module = module_path(options);

  io::OutputFiles files;
  std::optional<RunWriter> output;
  if (!options.output.empty()) {
    output.emplace(files.open(options.output), WriterOptions{*output_format_of(options.output),
                                                             options.exact, options.diagnose});
  }
  // The plot reads the run with its diagnostics from a scratch file of its own.
  fs::path plot_data;
  std::optional<RunWriter> plot_writer;
  if (!options.plot.empty()) {
    plot_writer.emplace(files.open_scratch(".csv", plot_data),
                        WriterOptions{FileFormat::csv, false, true});
  }

  SummaryBuilder summary(source.description, source.period);
  ProgressBar progress(source.progress_total(), !options.quiet, stderr,
                       source.recorded ? "kB" : "steps");
  try {
    run_simulation(
        module, [&](StepInput& step) { return source.next(step); }, source.period,
        [&](const StepRecord& record, const StepTiming& timing) {
          if (output) {
            output->write(record);
          }
          if (plot_writer) {
            plot_writer->write(record);
          }
          summary.add(record, timing.host_seconds, timing.core_seconds);
          progress.update(source.progress_done());
        });
  } catch (const host::EngineError& error) {
    progress.finish();
    fail(std::string(error.what()) + " (nothing was written)");
  }
  if (source.recorded && source.recorded->error()) {
    progress.finish();
    fail(source.recorded->error()->message + " (nothing was written)");
  }
  progress.finish();
  const RunSummary result = summary.finish();

  if (!options.summary.empty()) {
    files.open(options.summary) << summary_json(result).dump(2) << "\n";
  }
  files.finish_writing();
  if (plot_writer) {
    if (auto error =
            draw_plot({plot_data, files.reserve(options.plot, ".png"),
                       "sfqp simulate: " + source.description, source.labels, source.marks})) {
      fail(*error + " (nothing was written)", exit_cannot_write);
    }
  }
  files.commit();
  if (!options.quiet) {
    std::cerr << summary_text(result);
  }
}

std::string check_scenario_name(const std::string& name) {
  if (find_scenario(name) != nullptr) {
    return {};
  }
  std::string known;
  for (const Scenario& s : scenarios()) {
    known += (known.empty() ? "" : ", ") + std::string(s.name);
  }
  return "unknown scenario " + io::excerpt(name) + "; the scenarios: " + known;
}

std::string check_period(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(value) && value > 0.0
             ? std::string()
             : "must be a positive number of seconds: " + text;
}

}  // namespace

void register_simulate_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand("simulate", kSimulateDescription);
  command->footer(kSimulateFooter);
  auto options = std::make_shared<SimulateOptions>();
  const auto beside = default_module();

  command->add_flag("--list-scenarios", options->list_scenarios,
                    "list the built-in scenarios and stop");
  auto* scenario = command
                       ->add_option("--scenario", options->scenario,
                                    "the built-in scenario to run (default " +
                                        std::string(kDefaultScenario) + ")")
                       ->check(CLI::Validator(check_scenario_name, ""))
                       ->type_name("NAME");
  auto* input = command
                    ->add_option("--input", options->input,
                                 "recorded input signals, .csv or .jsonl (formats below)")
                    ->type_name("FILE")
                    ->excludes(scenario);
  command
      ->add_option("--period", options->period,
                   "seconds per step of the recorded input (default 0.001: 1 kHz)")
      ->check(CLI::Validator(check_period, ""))
      ->type_name("SECONDS")
      ->needs(input);
  command->add_option("--output", options->output, "one row per step, .csv or .jsonl")
      ->check(CLI::Validator(check_rows_file_name, ""))
      ->type_name("FILE");
  command->add_flag("--exact", options->exact,
                    "write every number of --output as a C99 hexadecimal float (%a)");
  command->add_flag("--diagnose", options->diagnose,
                    "add the core's view of each step to --output (columns below)");
  command->add_option("--summary", options->summary, "also write the summary as JSON to FILE")
      ->type_name("FILE");
  command->add_option("--plot", options->plot, "draw the run into FILE.png")
      ->check(CLI::Validator(check_png_file_name, ""))
      ->type_name("FILE.png");
  command->add_flag("-q,--quiet", options->quiet, "no progress bar and no summary on stderr");
  command
      ->add_option("--module", options->module,
                   "the module to load (default: the one built with this tool" +
                       (beside ? ", " + beside->string() : std::string()) + ")")
      ->type_name("PATH");

  command->callback([options] {
    if (options->list_scenarios) {
      print_scenarios();
      return;
    }
    run_writing_outputs("sfqp simulate", [&] { simulate(*options); });
  });
}

}  // namespace sfqp::tool
