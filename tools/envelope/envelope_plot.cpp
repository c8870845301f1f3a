#include "tools/envelope/envelope_plot.h"

#include <vector>

#include "tools/io/problem_json.h"
#include "tools/simulate/run_plot.h"

namespace sfqp::envelope {

std::optional<std::string> draw_envelope_plot(const EnvelopePlotRequest& request) {
  const Grid& grid = *request.grid;
  std::vector<simulate::ScriptOption> options = {{"title", request.title},
                                                 {"x", std::to_string(grid.x.entry)}};
  if (grid.y) {
    options.emplace_back("y", std::to_string(grid.y->entry));
    options.emplace_back("columns", std::to_string(grid.x.count));
  }
  for (const auto& label : request.labels) {
    options.emplace_back("label", label);
  }
  for (const double b : grid.base) {
    options.emplace_back("base", io::text_number(b, false));
  }
  return simulate::run_plot_script(kEnvelopePlotScript, options,
                                   {request.rows.string(), request.png.string()});
}

}  // namespace sfqp::envelope
