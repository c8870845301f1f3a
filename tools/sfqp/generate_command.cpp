#include "tools/sfqp/generate_command.h"

#include <cstdint>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "api/core_api.h"
#include "tools/io/excerpt.h"
#include "tools/io/json_text.h"
#include "tools/io/problem_json.h"
#include "tools/io/result_line.h"
#include "tools/io/utf8_text.h"
#include "tools/problems/problem_generator.h"
#include "tools/sfqp/command.h"

namespace sfqp::tool {

namespace {

constexpr const char* kGenerateHelp = "Write seeded test problems as JSON Lines for `sfqp solve`";

constexpr const char* kCategoriesHelp =
    "Writes --count problems of each category given (all when none is), in the\n"
    "order given.\n"
    "\n"
    "Categories:\n"
    "  rotor16     a ring of 16 rotors with alternating spin (thrust, roll, pitch, yaw);\n"
    "              demands reachable, on the bounds, and saturated in thrust or moment\n"
    "  gaussian    standard normal couplings; demands reachable and saturated\n"
    "  scaled      normal couplings scaled by 1e-4 ... 1e3, whole or row by row\n"
    "  degenerate  rank 1, 2 or 3, zero columns, a zero and a repeated row, all zero\n"
    "  limit       badly scaled and far out of reach: runs to the iteration limit\n"
    "A problem depends only on its category, the seed and its index, and is the same\n"
    "on every platform. Names are <category>_<index>[_<tag>].\n"
    "\n"
    "Example: sfqp generate rotor16 limit --count 3 --seed 7 | sfqp solve";

struct GenerateOptions {
  std::vector<std::string> categories;
  std::uint64_t count = 10;
  std::uint64_t seed = 1;
  std::uint64_t first = 0;
  bool exact = false;
  std::string settings;
  std::string tag;
};

[[noreturn]] void usage_error(const std::string& message) {
  std::cerr << "sfqp generate: " << message << '\n';
  finish_with(exit_bad_usage);
}

// The --settings text, checked now so that every line written reads back.
std::optional<nlohmann::json> checked_settings(const std::string& text) {
  if (text.empty()) {
    return std::nullopt;
  }
  auto parsed = io::parse_json_text(text);
  if (const auto* error = std::get_if<io::JsonError>(&parsed)) {
    usage_error("--settings must be a JSON object, e.g. '{\"print_progress\": 1}'; column " +
                std::to_string(error->column) + ": " + error->detail);
  }
  const nlohmann::json& settings = std::get<nlohmann::json>(parsed);
  SolverSettings checked = api::default_settings();
  if (auto error = io::read_settings(settings, checked)) {
    usage_error("--settings: " + *error);
  }
  return settings;
}

void generate(const GenerateOptions& options) {
  if (options.count > std::numeric_limits<std::uint64_t>::max() - options.first) {
    usage_error("--first plus --count passes the last index");
  }
  const auto settings = checked_settings(options.settings);
  std::vector<problems::Category> categories;
  for (const std::string& name : options.categories) {
    categories.push_back(*problems::category_from_name(name));  // checked by the option
  }
  if (categories.empty()) {
    categories.assign(problems::kAllCategories.begin(), problems::kAllCategories.end());
  }
  const std::string settings_member = settings ? ",\"settings\":" + settings->dump() : "";
  std::string line;
  for (const problems::Category category : categories) {
    for (std::uint64_t k = 0; k < options.count; ++k) {
      const auto problem = problems::generate(category, options.seed, options.first + k);
      const std::string name =
          options.tag.empty() ? problem.name : problem.name + "_" + options.tag;
      line.clear();
      io::append_problem_line_start(line, name, problem.coupling, problem.target, options.exact);
      line += settings_member;
      line += "}\n";
      std::cout << line;
      if (!std::cout) {
        // A full disk or closed pipe: stop rather than generate on for nothing.
        std::cerr << "sfqp generate: cannot write the problems to standard output\n";
        finish_with(exit_cannot_write);
      }
    }
  }
}

}  // namespace

void register_generate_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand("generate", kGenerateHelp);
  command->footer(std::string(kCategoriesHelp) + "\n\n" + kExitCodesHelp);
  auto options = std::make_shared<GenerateOptions>();
  std::vector<std::string> names;
  for (const auto category : problems::kAllCategories) {
    names.emplace_back(problems::category_name(category));
  }
  command->add_option("category", options->categories, "categories to write (default: all)")
      ->check(CLI::IsMember(names));
  command->add_option("-n,--count", options->count, "problems of each category")
      ->check(unsigned_64())
      ->capture_default_str();
  command->add_option("--seed", options->seed, "seed of the sequence")
      ->check(unsigned_64())
      ->capture_default_str();
  command->add_option("--first", options->first, "index of the first problem")
      ->check(unsigned_64())
      ->capture_default_str();
  command->add_flag("--exact", options->exact, "write every double as a C99 hexadecimal float");
  command->add_option("--settings", options->settings,
                      "settings object added to every problem, e.g. '{\"print_progress\": 1}'");
  command->add_option("--tag", options->tag, "text appended to every name after an underscore")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            return io::printable_utf8(text)
                       ? std::string()
                       : "must be UTF-8 text without control characters, not " + io::excerpt(text);
          },
          ""));
  command->callback([options] { generate(*options); });
}

}  // namespace sfqp::tool
