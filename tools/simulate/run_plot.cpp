#include "tools/simulate/run_plot.h"

#if !defined(_WIN32)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;
#endif

#include <cstdio>

namespace sfqp::simulate {

#if defined(_WIN32)

std::optional<std::string> run_plot_script(const char*, const std::vector<std::string>&) {
  return std::string("--plot needs ") + kPlotPython +
         " with python3-matplotlib: run the Linux build of the tool";
}

#else

std::optional<std::string> run_plot_script(const char* script,
                                           const std::vector<std::string>& script_arguments) {
  if (access(kPlotPython, X_OK) != 0) {
    return std::string("--plot needs ") + kPlotPython +
           " with python3-matplotlib (scripts/setup.sh installs it)";
  }
  // No shell: every argument reaches the script as it is.
  std::vector<std::string> arguments = {kPlotPython, "-c", script};
  arguments.insert(arguments.end(), script_arguments.begin(), script_arguments.end());
  std::vector<char*> argv;
  for (auto& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, kPlotPython, nullptr, nullptr, argv.data(), environ);
  if (spawned != 0) {
    return std::string("cannot run ") + kPlotPython + ": " + std::strerror(spawned);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return std::string("lost the plotting process: ") + std::strerror(errno);
    }
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "the plotting script failed (see above); is python3-matplotlib installed?";
  }
  return std::nullopt;
}

#endif

std::optional<std::string> draw_plot(const PlotRequest& request) {
  std::vector<std::string> arguments = {request.run.string(), request.png.string(), "--title",
                                        request.title, "--labels"};
  arguments.insert(arguments.end(), request.labels.begin(), request.labels.end());
  for (const auto& [time, label] : request.marks) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.17g", time);
    arguments.insert(arguments.end(), {"--mark", seconds, label});
  }
  return run_plot_script(kPlotScript, arguments);
}

}  // namespace sfqp::simulate
