#!/usr/bin/env bash
# The full soak run: 1,000,000 steps of two blocks stepping alternately
# through the engine on a slowly drifting scenario, in the release build.
# Prints steps, sampled mismatches with a fresh solve (must be 0), allocations
# after the first step (must be 0) and resident memory; exits 1 on a failure.
#
#   scripts/soak.sh [steps, default 1000000] [sample every, default 1000]
#
# The build folder is build/release (the release preset's), or SFQP_SOAK_BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${SFQP_SOAK_BUILD:-build/release}
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target sfqp_soak sfqpsolv_module
"$build/tests/soak/sfqp_soak" "$@"
