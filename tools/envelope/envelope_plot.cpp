#include "tools/envelope/envelope_plot.h"

#include <vector>

#include "tools/io/problem_json.h"
#include "tools/simulate/run_plot.h"

namespace sfqp::envelope {

std::optional<std::string> draw_envelope_plot(const EnvelopePlotRequest& request) {
  std::vector<std::string> arguments = {request.rows.string(),
                                        request.png.string(),
                                        "--title",
                                        request.title,
                                        "--x",
                                        std::to_string(request.grid->x.entry)};
  if (request.grid->y) {
    arguments.insert(arguments.end(), {"--y", std::to_string(request.grid->y->entry),
                                       std::to_string(request.grid->x.count)});
  }
  arguments.push_back("--labels");
  arguments.insert(arguments.end(), request.labels.begin(), request.labels.end());
  arguments.push_back("--base");
  for (double b : request.grid->base) {
    arguments.push_back(io::text_number(b, false));
  }
  return simulate::run_plot_script(kEnvelopePlotScript, arguments);
}

}  // namespace sfqp::envelope
