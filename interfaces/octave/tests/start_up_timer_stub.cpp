// Preloaded into Octave when it runs under valgrind. At start-up Octave loads a
// SIMD library (through its image readers) whose initialiser measures its
// timer's resolution with RDTSCP without asking the processor whether it has
// it. Some virtual machines run RDTSCP yet leave it out of cpuid; valgrind
// then does not decode it and stops Octave with SIGILL before any MEX call.
// This definition takes the place of that measurement, which no code of ours
// or of the MEX calls under test uses.
#include <cstdint>

namespace hwy::platform {

std::uint64_t TimerResolution();

std::uint64_t TimerResolution() {
  return 1;
}

}  // namespace hwy::platform
