#!/usr/bin/env bash
# Runs every test suite from a fresh machine: installs what is missing, then
# builds and tests the release and sanitizer builds.
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
