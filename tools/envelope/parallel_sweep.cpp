#include "tools/envelope/parallel_sweep.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>

#include "tools/io/stop_signals.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sfqp::envelope {

static_assert(std::is_trivially_copyable_v<PointResult>, "results cross a pipe as bytes");

namespace {

// Results a worker hands over at a time: few system calls, steady progress.
constexpr std::size_t kBatch = 256;

std::vector<PointResult> solve_here(const PointSolver& solver, std::span<const Demand> demands,
                                    const std::function<void(std::size_t)>& on_progress) {
  std::vector<PointResult> results;
  results.reserve(demands.size());
  for (const Demand& demand : demands) {
    results.push_back(solver.solve(demand));
    if (results.size() % kBatch == 0) {
      on_progress(results.size());
    }
  }
  on_progress(results.size());
  return results;
}

#if !defined(_WIN32)

struct Worker {
  pid_t pid = -1;
  int fd = -1;                        // the read end of its pipe
  std::vector<PointResult> received;  // its points, in its order
  std::size_t bytes = 0;              // received so far
};

std::size_t points_of_worker(std::size_t points, std::size_t jobs, std::size_t w) {
  return w < points ? (points - w + jobs - 1) / jobs : 0;
}

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// The worker's life: its share of the points, then out without running this
// process's exit handlers or flushing its buffered output a second time.
[[noreturn]] void work(const PointSolver& solver, std::span<const Demand> demands, std::size_t jobs,
                       std::size_t w, int fd) {
  // Interrupted, a worker just ends: the tool's handlers that remove its
  // temporary files belong to the tool alone. A signal ignored stays ignored.
  for (const int signal_number : io::kStopSignals) {
    if (std::signal(signal_number, SIG_DFL) == SIG_IGN) {
      std::signal(signal_number, SIG_IGN);
    }
  }
  PointResult batch[kBatch];
  std::size_t filled = 0;
  for (std::size_t k = w; k < demands.size(); k += jobs) {
    batch[filled++] = solver.solve(demands[k]);
    if (filled == kBatch || k + jobs >= demands.size()) {
      if (!write_all(fd, reinterpret_cast<const char*>(batch), filled * sizeof(PointResult))) {
        _exit(1);
      }
      filled = 0;
    }
  }
  _exit(0);
}

std::string system_error(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

void stop(std::vector<Worker>& workers) {
  for (Worker& worker : workers) {
    if (worker.fd >= 0) {
      ::close(worker.fd);
      worker.fd = -1;
    }
    if (worker.pid > 0) {
      ::kill(worker.pid, SIGKILL);
      int status = 0;
      while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
      }
      worker.pid = -1;
    }
  }
}

void start(std::vector<Worker>& workers, const PointSolver& solver,
           std::span<const Demand> demands) {
  const std::size_t jobs = workers.size();
  for (std::size_t w = 0; w < jobs; ++w) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      throw std::runtime_error(system_error("cannot start a worker"));
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
      ::close(ends[0]);
      ::close(ends[1]);
      throw std::runtime_error(system_error("cannot start a worker"));
    }
    if (pid == 0) {
      ::close(ends[0]);
      for (std::size_t v = 0; v < w; ++v) {
        ::close(workers[v].fd);
      }
      work(solver, demands, jobs, w, ends[1]);
    }
    ::close(ends[1]);
    workers[w].pid = pid;
    workers[w].fd = ends[0];
    workers[w].received.resize(points_of_worker(demands.size(), jobs, w));
  }
}

// Reads what the workers send until every pipe is closed.
void collect(std::vector<Worker>& workers, std::size_t points,
             const std::function<void(std::size_t)>& on_progress) {
  std::size_t done_bytes = 0;
  std::vector<pollfd> waiting;
  std::vector<Worker*> waiting_for;
  for (;;) {
    waiting.clear();
    waiting_for.clear();
    for (Worker& worker : workers) {
      if (worker.fd >= 0) {
        waiting.push_back({worker.fd, POLLIN, 0});
        waiting_for.push_back(&worker);
      }
    }
    if (waiting.empty()) {
      break;
    }
    if (::poll(waiting.data(), waiting.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw std::runtime_error(system_error("lost the workers"));
    }
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      if (waiting[i].revents == 0) {
        continue;
      }
      Worker& worker = *waiting_for[i];
      const std::size_t capacity = worker.received.size() * sizeof(PointResult);
      // Past its share, one byte more tells the end of the pipe from a broken worker.
      char beyond = 0;
      char* into = worker.bytes < capacity
                       ? reinterpret_cast<char*>(worker.received.data()) + worker.bytes
                       : &beyond;
      const ssize_t got = ::read(worker.fd, into, into == &beyond ? 1 : capacity - worker.bytes);
      if (got < 0) {
        if (errno == EINTR) {
          continue;
        }
        throw std::runtime_error(system_error("lost a worker"));
      }
      if (got == 0) {
        ::close(worker.fd);
        worker.fd = -1;
        if (worker.bytes != capacity) {
          throw std::runtime_error("a worker stopped before delivering all its points");
        }
        continue;
      }
      if (into == &beyond) {
        throw std::runtime_error("a worker delivered more points than it was given");
      }
      worker.bytes += static_cast<std::size_t>(got);
      done_bytes += static_cast<std::size_t>(got);
    }
    on_progress(std::min(points, done_bytes / sizeof(PointResult)));
  }
  for (Worker& worker : workers) {
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0) {
      if (errno != EINTR) {
        throw std::runtime_error(system_error("lost a worker"));
      }
    }
    worker.pid = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      throw std::runtime_error("a worker failed");
    }
  }
}

#endif

}  // namespace

unsigned available_processors() {
  return std::max(1u, std::thread::hardware_concurrency());
}

std::vector<PointResult> solve_points(const PointSolver& solver, std::span<const Demand> demands,
                                      unsigned jobs,
                                      const std::function<void(std::size_t)>& on_progress) {
#if defined(_WIN32)
  (void)jobs;
  return solve_here(solver, demands, on_progress);
#else
  const std::size_t workers_wanted = std::min<std::size_t>(jobs, demands.size());
  if (workers_wanted <= 1) {
    return solve_here(solver, demands, on_progress);
  }
  std::vector<Worker> workers(workers_wanted);
  try {
    start(workers, solver, demands);
    collect(workers, demands.size(), on_progress);
  } catch (...) {
    stop(workers);
    throw;
  }
  std::vector<PointResult> results(demands.size());
  for (std::size_t w = 0; w < workers.size(); ++w) {
    for (std::size_t k = 0; k < workers[w].received.size(); ++k) {
      results[w + k * workers.size()] = workers[w].received[k];
    }
  }
  return results;
#endif
}

}  // namespace sfqp::envelope
