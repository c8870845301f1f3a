#include "tools/envelope/envelope_command.h"
#include "tools/io/excerpt.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "tools/envelope/envelope_help.h"
#include "tools/envelope/envelope_plot.h"
#include "tools/envelope/envelope_summary.h"
#include "tools/envelope/envelope_writer.h"
#include "tools/envelope/parallel_sweep.h"
#include "tools/io/input_file.h"
#include "tools/io/output_files.h"
#include "tools/io/output_paths.h"
#include "tools/sfqp/command.h"
#include "tools/simulate/file_format.h"
#include "tools/simulate/progress_bar.h"
#include "tools/simulate/run_plot.h"
#include "tools/simulate/scenarios.h"

namespace sfqp::tool {

namespace {

using namespace sfqp::envelope;
namespace fs = std::filesystem;

struct EnvelopeOptions {
  std::string vehicle{simulate::kDefaultScenario};
  std::string problem;
  std::string x;
  std::string y;
  std::string output;
  std::string summary;
  std::string plot;
  unsigned jobs = available_processors();
  bool exact = false;
  bool quiet = false;
};

[[noreturn]] void fail(const std::string& message, ExitCode code = exit_bad_input) {
  std::cerr << "sfqp envelope: " << message << '\n';
  finish_with(code);
}

Vehicle load_vehicle(const EnvelopeOptions& options) {
  std::variant<Vehicle, std::string> loaded;
  if (options.problem.empty()) {
    loaded = scenario_vehicle(options.vehicle);
  } else {
    io::InputFile file(options.problem);
    if (file.stream() == nullptr) {
      fail("cannot open " + file.label() + ": " + file.error());
    }
    loaded = problem_vehicle(*file.stream(), file.label());
  }
  if (const auto* error = std::get_if<std::string>(&loaded)) {
    fail(*error + " (nothing was solved or written)");
  }
  return std::get<Vehicle>(loaded);
}

Grid make_grid(const EnvelopeOptions& options, const Vehicle& vehicle) {
  Grid grid;
  grid.base = vehicle.base;
  grid.x = std::get<Axis>(parse_axis(options.x));
  if (!options.y.empty()) {
    grid.y = std::get<Axis>(parse_axis(options.y));
    if (grid.y->entry == grid.x.entry) {
      fail("--x and --y sweep the same demand entry; choose two different ones", exit_bad_usage);
    }
  }
  return grid;
}

// Every output path, checked before anything is solved.
void check_outputs(const EnvelopeOptions& options) {
  const std::vector<io::PlannedOutput> outputs = {
      {"--output", options.output}, {"--summary", options.summary}, {"--plot", options.plot}};
  if (auto error = io::check_output_paths(outputs, {options.problem})) {
    fail(*error + " (nothing was solved or written)", exit_cannot_write);
  }
  if (!options.plot.empty()) {
    if (auto error = simulate::check_plot_ready()) {
      fail(*error + " (nothing was solved or written)", exit_cannot_write);
    }
  }
}

void run_envelope(const EnvelopeOptions& options) {
  check_outputs(options);
  const Vehicle vehicle = load_vehicle(options);
  const Grid grid = make_grid(options, vehicle);
  const PointSolver solver(vehicle.coupling);
  const std::vector<Demand> demands = sweep_demands(grid);

  std::vector<PointResult> results;
  {
    simulate::ProgressBar progress(demands.size(), !options.quiet, stderr, "points");
    results = solve_points(solver, demands, options.jobs, [&](std::size_t done) {
      // The bar looks at the clock on multiples of 64 only.
      progress.update(done - done % 64);
    });
  }

  const EnvelopeSummary summary = summarise(vehicle, grid, solver.tolerance(), results);
  io::OutputFiles files;
  if (!options.output.empty()) {
    write_envelope_rows(grid, results, *simulate::output_format_of(options.output), options.exact,
                        files.open(options.output));
  }
  if (!options.summary.empty()) {
    files.open(options.summary) << summary_json(summary, vehicle).dump(2) << "\n";
  }
  // The plot reads the rows from a scratch file of its own.
  fs::path plot_rows;
  if (!options.plot.empty()) {
    write_envelope_rows(grid, results, simulate::FileFormat::csv, false,
                        files.open_scratch(".csv", plot_rows));
  }
  files.finish_writing();
  if (!options.plot.empty()) {
    EnvelopePlotRequest request{plot_rows,
                                files.reserve(options.plot, ".png"),
                                "sfqp envelope: " + vehicle.description,
                                {},
                                &grid};
    for (std::size_t i = 0; i < kEqualityCount; ++i) {
      request.labels[i] = demand_label(vehicle, i);
    }
    if (auto error = draw_envelope_plot(request)) {
      fail(*error + " (nothing was written)", exit_cannot_write);
    }
  }
  files.commit();
  if (!options.quiet) {
    std::cerr << summary_text(summary, vehicle);
  }
}

std::string check_axis(const std::string& text) {
  const auto parsed = parse_axis(text);
  const auto* error = std::get_if<std::string>(&parsed);
  return error ? *error + ", not " + io::excerpt(text) : std::string();
}

std::string check_vehicle(const std::string& name) {
  const auto found = scenario_vehicle(name);
  const auto* error = std::get_if<std::string>(&found);
  return error ? *error : std::string();
}

}  // namespace

void register_envelope_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand("envelope", kEnvelopeDescription);
  command->footer(kEnvelopeFooter);
  auto options = std::make_shared<EnvelopeOptions>();

  auto* vehicle = command
                      ->add_option("--vehicle", options->vehicle,
                                   "a built-in scenario's vehicle and demand, SCENARIO[@SECONDS] "
                                   "(default " +
                                       std::string(simulate::kDefaultScenario) +
                                       ": the 16-rotor vehicle at hover)")
                      ->check(CLI::Validator(check_vehicle, ""))
                      ->type_name("NAME");
  command->add_option("--problem", options->problem, "one problem line of sfqp solve instead")
      ->type_name("FILE")
      ->excludes(vehicle);
  command->add_option("--x", options->x, "the axis to sweep, e.g. roll:-60:60:121")
      ->check(CLI::Validator(check_axis, ""))
      ->type_name("AXIS:FROM:TO:COUNT")
      ->required();
  command->add_option("--y", options->y, "a second axis: a heat map over both")
      ->check(CLI::Validator(check_axis, ""))
      ->type_name("AXIS:FROM:TO:COUNT");
  command->add_option("--output", options->output, "one row per point, .csv or .jsonl")
      ->check(CLI::Validator(simulate::check_rows_file_name, ""))
      ->type_name("FILE");
  command->add_flag("--exact", options->exact,
                    "write every number of --output as a C99 hexadecimal float (%a)");
  command->add_option("--summary", options->summary, "also write the summary as JSON to FILE")
      ->type_name("FILE");
  command->add_option("--plot", options->plot, "draw the envelope into FILE.png")
      ->check(CLI::Validator(simulate::check_png_file_name, ""))
      ->type_name("FILE.png");
  command
      ->add_option("-j,--jobs", options->jobs,
                   "solve on N processes (default: the machine's " +
                       std::to_string(available_processors()) + ")")
      ->check(CLI::Range(1u, 256u))
      ->type_name("N");
  command->add_flag("-q,--quiet", options->quiet, "no progress bar and no summary on stderr");

  command->callback(
      [options] { run_writing_outputs("sfqp envelope", [&] { run_envelope(*options); }); });
}

}  // namespace sfqp::tool
