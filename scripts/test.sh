#!/usr/bin/env bash
# Runs every test suite from a fresh machine: installs what is missing, then
# builds and tests the release and sanitizer builds (the Octave suites run in
# both), the coverage of what flies and the static analysers over it, the
# installed tree, the Windows build, whose tests run under wine, the aarch64
# build under qemu-user and the Cortex-M7 firmware under qemu-system-arm.
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

# Line and branch coverage of kkt/, solver/, block/ and api/: fails when a line
# of kkt/ or solver/ is not run.
echo "== coverage"
start=$SECONDS
scripts/coverage.sh
echo "coverage: $((SECONDS - start)) s"

# clang-tidy and cppcheck over the same code, compiled as the release build
# compiles it: fails on any finding.
echo "== static analysis"
start=$SECONDS
scripts/static-analysis.sh
echo "static analysis: $((SECONDS - start)) s"

# The release build installed in a temporary prefix: a consumer built with
# find_package gives the tool's bits; the installed tool finds its module.
echo "== install and a consumer of the package"
scripts/check-install.sh build/release

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

echo "== aarch64 build (tests under qemu-user)"
cmake --preset aarch64
cmake --build --preset aarch64
ctest --preset aarch64

echo "== cortex-m7 build (the golden firmware under qemu-system-arm)"
cmake --preset cortex-m7
cmake --build --preset cortex-m7
ctest --preset cortex-m7

# The golden results, byte for byte, from g++ -O0, -O2, -O3 -march=native and
# clang++ -O2 (build/bits-*).
echo "== bits across compilers and optimisation levels"
scripts/check-cross-build.sh
