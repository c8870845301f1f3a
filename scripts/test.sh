#!/usr/bin/env bash
# Runs every test suite from a fresh machine: installs what is missing, then
# builds and tests the release and sanitizer builds (the Octave suites run in
# both) and the Windows build, whose tests run under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

echo "== formatting"
git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run --Werror

for preset in release sanitize; do
  echo "== $preset build"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

# The fuzz targets, each run briefly (SFQP_FUZZ_SECONDS, 30 s by default) from
# its committed corpus; scripts/fuzz-long.sh runs them for longer.
echo "== fuzz build"
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

echo "== windows build (tests under wine)"
# Wine's prefix takes a while to create, so it is made once here rather than by
# the first test.
cmake/toolchains/wine-run.sh --prepare
cmake --preset windows
cmake --build --preset windows
ctest --preset windows

# The golden results, byte for byte, from g++ -O0, -O2, -O3 -march=native and
# clang++ -O2 (build/bits-*).
echo "== bits across compilers and optimisation levels"
scripts/check-cross-build.sh
