#!/usr/bin/env bash
# Regenerates the golden problems and their expected results in
# tests/data/golden/: seeded problems of every generator category (with and
# without settings overrides, printing on and off) and a few written by hand,
# solved by `sfqp solve --exact` from a release build (build/golden).
#
# Run it only when a change of the solver's results is intended, and review the
# diff of expected.jsonl: the golden test and scripts/check-cross-build.sh hold
# every build to these bits.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/golden
cmake --preset release -B "$build" -DSFQP_BUILD_TESTS=OFF -DSFQP_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target sfqp
sfqp="$build/sfqp"
golden=tests/data/golden

# The seed of the golden set; tests/tools regenerates the problems from it.
seed=2026
generate() { "$sfqp" generate --seed "$seed" --exact "$@"; }

{
  # Solved as the block solves them.
  generate rotor16 --count 64
  generate gaussian --count 64   # gaussian_51 converges in 24 iterations, gaussian_33 in 25
  generate scaled --count 72     # every scale 1e-4 ... 1e3 in each of the three variants, 3 times
  generate degenerate --count 48
  generate limit --count 12

  # Settings overrides; the progress table prints unless print_progress is 0.
  generate rotor16 --count 4 --tag progress --settings '{"print_progress": 1}'
  # Short solves only: every iteration prints ten diagnostic lines.
  diagnostics='{"print_progress": 1, "print_refinement": 1, "print_kkt_checks": 1}'
  generate gaussian --count 1 --tag diagnostics --settings "$diagnostics"
  generate rotor16 --count 1 --tag diagnostics --settings "$diagnostics"
  generate degenerate --count 6 --tag plain_start --settings '{"improved_start": 0}'
  generate rotor16 --count 2 --tag plain_start_scaled \
    --settings '{"improved_start": 0, "initial_slack": 0.25, "initial_dual": 4}'
  generate scaled --count 4 --first 8 --tag refine3 \
    --settings '{"print_progress": 0, "refinement_passes": 3}'
  generate scaled --count 4 --first 8 --tag refine0 \
    --settings '{"print_progress": 0, "refinement_passes": 0}'
  generate gaussian --count 3 --tag tight \
    --settings '{"print_progress": 0, "gap_tolerance": 1e-9, "residual_tolerance": 1e-10}'
  generate degenerate --count 3 --tag regularization \
    --settings '{"print_progress": 0, "kkt_regularization": 1e-11}'
  generate gaussian --count 2 --tag limit5 --settings '{"iteration_limit": 5}'
  generate limit --count 2 --tag limit40 --settings '{"print_progress": 0, "iteration_limit": 40}'
  generate rotor16 --count 2 --tag limit0 --settings '{"iteration_limit": 0}'
  generate rotor16 --count 1 --tag negative_limit \
    --settings '{"print_progress": 0, "iteration_limit": -3}'

  # Written by hand: the worked cases, weights, signed zeros, extreme and
  # non-finite values. Every number here is exact in binary.
  zeros='0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0'
  diagonal="1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1, $zeros"
  cat <<JSON
{"name": "zero", "coupling": [0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, $zeros], "target": [0, 0, 0, 0]}
{"name": "zero_progress", "coupling": [0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, $zeros], "target": [0, 0, 0, 0], "settings": {"print_progress": 1}}
{"name": "zero_plain_start", "coupling": [0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, $zeros], "target": [0, 0, 0, 0], "settings": {"improved_start": 0}}
{"name": "diagonal_half", "coupling": [$diagonal], "target": [0.5, 0.5, 0.5, 0.5]}
{"name": "diagonal_ten", "coupling": [$diagonal], "target": [10, 10, 10, 10], "settings": {"print_progress": 1}}
{"name": "diagonal_ten_plain_start", "coupling": [$diagonal], "target": [10, 10, 10, 10], "settings": {"improved_start": 0}}
{"name": "diagonal_weights", "coupling": [$diagonal], "target": [0.5, 2, -1, 0.25], "weights": {"error_weight": [1, 10, 100, 1000], "effort_weight": [1,2,3,4, 5,6,7,8, 9,10,11,12, 13,14,15,16]}}
{"name": "diagonal_error_weight_only", "coupling": [$diagonal], "target": [3, 3, 3, 3], "weights": {"error_weight": ["0x1p-10", "0x1p-10", "0x1p-10", "0x1p-10"]}}
{"name": "negative_zeros", "coupling": [$diagonal], "target": ["-0x0p+0", "-0x0p+0", "-0x0p+0", "-0x0p+0"]}
{"name": "subnormal_target", "coupling": [$diagonal], "target": ["0x1p-1074", "-0x1p-1060", "0x1p-1022", 0]}
{"name": "huge_target", "coupling": [$diagonal], "target": ["0x1p+1000", "-0x1p+1000", 1, 0]}
{"name": "nan_target", "coupling": [$diagonal], "target": ["nan", 0.5, 0.5, 0.5]}
{"name": "infinite_coupling", "coupling": ["inf",0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1, $zeros], "target": [0.5, 0.5, 0.5, 0.5]}
JSON
} >"$golden/problems.jsonl"

"$sfqp" solve --exact "$golden/problems.jsonl" >"$golden/expected.jsonl"
echo "golden: $(wc -l <"$golden/problems.jsonl") problems written to $golden"
