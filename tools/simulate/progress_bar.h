// A progress bar on standard error for runs long enough to wait for: it shows
// only when standard error is a terminal and the run looks like taking more
// than about a second, and it erases itself at the end.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace sfqp::simulate {

class ProgressBar {
 public:
  // enabled: false for --quiet; the bar also stays off when stream is not a
  // terminal or the total is not known (0). unit: what is counted, "steps",
  // "points" or "kB".
  ProgressBar(std::size_t total, bool enabled, std::FILE* stream = stderr,
              const char* unit = "steps");
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Cheap enough to call every step: it looks at the clock every 64 calls.
  void update(std::size_t done);
  // Erases the bar, if it was drawn.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  void draw(std::size_t done, double elapsed);

  std::size_t total_;
  bool enabled_;
  std::FILE* stream_;
  const char* unit_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_draw_{};
  bool drawn_ = false;
  std::size_t calls_ = 0;
};

}  // namespace sfqp::simulate
