#include "tools/simulate/progress_bar.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <string>

namespace sfqp::simulate {

namespace {

constexpr double kShowAfterSeconds = 0.25;  // judge the run's length after this long
constexpr double kLongRunSeconds = 1.0;     // show the bar when the run looks longer
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::size_t kBarWidth = 40;

bool is_terminal(std::FILE* stream) {
#if defined(_WIN32)
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

}  // namespace

ProgressBar::ProgressBar(std::size_t total, bool enabled, std::FILE* stream, const char* unit)
    : total_(total),
      enabled_(enabled && total > 0 && is_terminal(stream)),
      stream_(stream),
      unit_(unit) {}

ProgressBar::~ProgressBar() {
  finish();
}

void ProgressBar::update(std::size_t done) {
  if (!enabled_ || ++calls_ % 64 != 0) {
    return;
  }
  const auto now = Clock::now();
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  if (!drawn_) {
    const double fraction = static_cast<double>(done) / static_cast<double>(total_);
    if (elapsed < kShowAfterSeconds || fraction <= 0.0 || elapsed / fraction < kLongRunSeconds) {
      return;
    }
  } else if (now - last_draw_ < kRedrawInterval) {
    return;
  }
  last_draw_ = now;
  draw(done, elapsed);
}

void ProgressBar::draw(std::size_t done, double elapsed) {
  const double fraction = static_cast<double>(done) / static_cast<double>(total_);
  const auto filled =
      std::min(kBarWidth, static_cast<std::size_t>(fraction * static_cast<double>(kBarWidth)));
  const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  const double remaining = fraction > 0.0 ? elapsed / fraction - elapsed : 0.0;
  std::fprintf(stream_, "\r[%s] %3.0f%%  %zu/%zu %s  %.0f s left ", bar.c_str(), fraction * 100.0,
               done, total_, unit_, remaining);
  std::fflush(stream_);
  drawn_ = true;
}

void ProgressBar::finish() {
  if (drawn_) {
    std::fprintf(stream_, "\r\033[K");
    std::fflush(stream_);
    drawn_ = false;
  }
  enabled_ = false;
}

}  // namespace sfqp::simulate
