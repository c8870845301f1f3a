#include "tools/simulate/run_plot.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <variant>

#include "tools/io/output_files.h"

extern char** environ;
#endif

#include <cstdio>

namespace sfqp::simulate {

#if defined(_WIN32)

std::optional<std::string> check_plot_ready() {
  return std::string("--plot needs ") + kPlotPython +
         " with python3-matplotlib: run the Linux build of the tool";
}

std::optional<std::string> run_plot_script(const char*, const std::vector<ScriptOption>&,
                                           const std::vector<std::string>&) {
  return check_plot_ready();
}

#else

namespace {

// Runs the Python with arguments; quiet sends its output to /dev/null. Returns
// its exit status, or what went wrong.
std::variant<int, std::string> run_python(std::vector<std::string> arguments, bool quiet) {
  arguments.insert(arguments.begin(), kPlotPython);
  std::vector<char*> argv;
  for (auto& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t child = 0;
  const int spawned = posix_spawn(&child, kPlotPython, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    return std::string("cannot run ") + kPlotPython + ": " + std::strerror(spawned);
  }
  io::set_helper_process(child);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      io::set_helper_process(0);
      return std::string("lost the plotting process: ") + std::strerror(errno);
    }
  }
  io::set_helper_process(0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string needs_matplotlib() {
  return std::string("--plot needs ") + kPlotPython +
         " with python3-matplotlib (scripts/setup.sh installs it)";
}

}  // namespace

std::optional<std::string> check_plot_ready() {
  if (access(kPlotPython, X_OK) != 0) {
    return needs_matplotlib() + ": " + kPlotPython + " is missing";
  }
  const auto ran = run_python({"-c", "import matplotlib"}, true);
  if (const auto* error = std::get_if<std::string>(&ran)) {
    return *error;
  }
  if (std::get<int>(ran) != 0) {
    return needs_matplotlib() + ": " + kPlotPython + " cannot import matplotlib";
  }
  return std::nullopt;
}

std::optional<std::string> run_plot_script(const char* script,
                                           const std::vector<ScriptOption>& options,
                                           const std::vector<std::string>& paths) {
  // No shell: every argument reaches the script as it is.
  std::vector<std::string> arguments = {"-c", script};
  for (const auto& [name, value] : options) {
    arguments.push_back("--" + name + "=" + value);
  }
  arguments.push_back("--");
  arguments.insert(arguments.end(), paths.begin(), paths.end());
  const auto ran = run_python(std::move(arguments), false);
  if (const auto* error = std::get_if<std::string>(&ran)) {
    return *error;
  }
  if (std::get<int>(ran) != 0) {
    return std::string("the plotting script failed (see above)");
  }
  return std::nullopt;
}

#endif

std::optional<std::string> draw_plot(const PlotRequest& request) {
  std::vector<ScriptOption> options = {{"title", request.title}};
  for (const auto& label : request.labels) {
    options.emplace_back("label", label);
  }
  for (const auto& [time, label] : request.marks) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.17g", time);
    options.emplace_back("mark", std::string(seconds) + "," + label);
  }
  return run_plot_script(kPlotScript, options, {request.run.string(), request.png.string()});
}

}  // namespace sfqp::simulate
