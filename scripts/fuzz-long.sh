#!/usr/bin/env bash
# Runs the fuzz targets for longer than CI does: one after another, since the
# machine's cores are shared, each on a corpus kept between runs in
# <build>/long-corpus/<target> and seeded from tests/fuzz/<target>. Inputs that
# break a property land in <build>/long-artifacts/<target>/; once the bug is
# fixed, copy each into tests/fuzz/<target>/ so that it stays a regression
# input. Prints, per target, executions and corpus size.
#
#   scripts/fuzz-long.sh [seconds per target, default 600] [target ...]
#
# The build folder is build/fuzz (the fuzz preset's), or SFQP_FUZZ_BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift $(($# > 0 ? 1 : 0))
build=${SFQP_FUZZ_BUILD:-build/fuzz}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzzers

targets=("$@")
if ((${#targets[@]} == 0)); then
  for folder in tests/fuzz/fuzz_*/; do
    targets+=("$(basename "$folder")")
  done
fi

failed=()
for target in "${targets[@]}"; do
  corpus="$build/long-corpus/$target"
  artifacts="$build/long-artifacts/$target"
  log="$build/long-logs/$target.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  cp -n "tests/fuzz/$target"/* "$corpus"/
  echo "== $target: ${seconds}s on $corpus"
  status=0
  "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: ${executions:-?} executions, $(find "$corpus" -type f | wc -l) inputs in the corpus," \
    "exit $status (log $log)"
  if ((status != 0)); then
    failed+=("$target")
    grep -E '^(==[0-9]+==|fuzz property broken|SUMMARY|artifact_prefix|Test unit written)' "$log" || true
  fi
done

if ((${#failed[@]})); then
  echo "fuzz-long: failures in ${failed[*]}"
  exit 1
fi
