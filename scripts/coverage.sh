#!/usr/bin/env bash
# Line and branch coverage of what flies (kkt/, solver/, block/, api/) by the
# tests that exercise it: builds the coverage preset's test programs of the
# core, the golden results, the block and the bad-input stories (not the tool,
# the benchmarks or the Octave files, which add nothing here and would triple
# the build), runs them from counters set to zero, and reports with gcovr.
#
# Fails when a line of kkt/ or solver/ was not run. Writes the summary to
# standard output and build/coverage/report/ (coverage.txt, branches.txt with
# every branch not taken, and an HTML page per file under html/).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/coverage
report=$build/report
test_dirs=(tests/core tests/golden tests/block tests/hostile)
targets=(
  test_reference_results test_worked_results test_start_point test_kkt test_console_sink
  test_api_settings test_no_allocation test_instruction_set test_float_contract
  test_embedded_step
  test_golden_results
  test_block_mex_mode test_block_dispatch test_block_configuration test_block_output_step
  test_block_golden test_block_step_allocations test_block_records sfqpsolv_module
  test_bad_signals test_bad_records
)
flown='(kkt|solver|block|api)/'
core='(kkt|solver)/'

cmake --preset coverage >/dev/null
cmake --build --preset coverage --target "${targets[@]}"

# Counters from an earlier run would count twice. The checks that read the
# built objects' symbols run no code, and the instrumented objects carry the
# counters' own symbols (the release build runs them).
find "$build" -name '*.gcda' -delete
for dir in "${test_dirs[@]}"; do
  ctest --test-dir "$build/$dir" --output-on-failure --no-tests=error -j 2 \
    --exclude-regex '^arithmetic_builds_share_no_code_'
done

rm -rf "$report"
mkdir -p "$report/html"
# Collected once; every report below reads the collection. Branches that only
# the compiler's exception handling and its unreachable code have are not the
# code's own decisions, so they are left out.
gcovr --root . --object-directory "$build" --filter "$flown" \
  --exclude-throw-branches --exclude-unreachable-branches --exclude-directories "$build/CMakeFiles/[0-9]" \
  --json "$report/coverage.json"

from_collection=(gcovr --root . --add-tracefile "$report/coverage.json")
"${from_collection[@]}" --filter "$flown" --txt "$report/coverage.txt" \
  --html-details "$report/html/index.html" --print-summary
"${from_collection[@]}" --filter "$flown" --branches --txt "$report/branches.txt"

echo "== kkt/ and solver/ (every line must run)"
"${from_collection[@]}" --filter "$core" --print-summary --txt "$report/core.txt" \
  --fail-under-line 100 || {
  echo "coverage: lines of kkt/ or solver/ that no test runs:" >&2
  grep -E "^(kkt|solver)/" "$report/coverage.txt" | awk '$4 != "100%"' >&2
  exit 1
}
