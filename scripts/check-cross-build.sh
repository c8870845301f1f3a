#!/usr/bin/env bash
# Identical bits across compilers and optimisation levels: builds the sfqp tool
# with g++ at -O0, -O2 and -O3 -march=native and with clang++ at -O2 (each with
# -ffp-contract=off, each in its own build/bits-* directory), runs
# `sfqp solve --exact` on the golden problems in each build of the arithmetic
# the processor runs (x86-64, x86-64-v3, x86-64-v4) and compares the output byte for byte
# with tests/data/golden/expected.jsonl. The seeded problems of `sfqp generate`
# must come out the same from every build too: the first build's are the ones
# the others are compared with. Exits 1 on any difference.
set -euo pipefail
cd "$(dirname "$0")/.."

problems=tests/data/golden/problems.jsonl
expected=tests/data/golden/expected.jsonl
builds=(
  "gcc-O0 g++ -O0"
  "gcc-O2 g++ -O2"
  "gcc-O3-native g++ -O3 -march=native"
  "clang-O2 clang++ -O2"
)

status=0
# compare LABEL WHAT EXPECTED ACTUAL: reports whether ACTUAL has EXPECTED's bytes.
compare() {
  if cmp -s "$3" "$4"; then
    echo "   $1: identical, $(wc -l <"$3") $2"
  else
    echo "   $1: DIFFERENT from $3:"
    cmp "$3" "$4" | head -n 1 || true
    status=1
  fi
}

for build in "${builds[@]}"; do
  read -r name compiler flags <<<"$build"
  dir=build/bits-$name
  echo "-- $name: $compiler $flags -ffp-contract=off"
  # Warnings are not errors here: this check is about bits, and the presets
  # already hold the code to the warning set.
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_CXX_FLAGS="$flags -ffp-contract=off" -DSFQP_WERROR=OFF \
    -DSFQP_BUILD_TESTS=OFF -DSFQP_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$dir" --target sfqp -j2 >/dev/null
  "$dir/sfqp" generate --exact --seed 6 -n 40 >"$dir/generated.jsonl"
  generated=${generated:-$dir/generated.jsonl}
  compare generate problems "$generated" "$dir/generated.jsonl"
  for set in x86-64 x86-64-v3 x86-64-v4; do
    errors=$dir/golden-errors-$set.txt
    if ! "$dir/sfqp" solve --exact --instruction-set "$set" "$problems" \
      >"$dir/golden-results-$set.jsonl" 2>"$errors"; then
      # Only a processor without the instruction set excuses a failure.
      if grep -q "this processor cannot run" "$errors"; then
        echo "   $set: not run here: $(cat "$errors")"
      else
        echo "   $set: FAILED: $(cat "$errors")"
        status=1
      fi
      continue
    fi
    compare "$set" results "$expected" "$dir/golden-results-$set.jsonl"
  done
done
exit "$status"
