#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset in
# build/release, and solves the bundled example problems (examples/) with
# `sfqp solve`: the progress table of the first, then one line per problem.
# The results, one JSON line each, are kept in build/release/examples-results.jsonl.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sfqp

results=build/release/examples-results.jsonl
build/release/sfqp solve examples/problems.jsonl >"$results"

/usr/bin/python3 - "$results" <<'PY'
import json
import sys

results = [json.loads(line) for line in open(sys.argv[1])]
first = results[0]
print(f"\nProgress table of {first['name']}:\n")
print(first["console"])
print(f"{'problem':<24} {'iterations':>10}  {'converged':>9}  {'objv':>12}  {'largest |e|':>11}  u")
for r in results:
    objv = "-" if r["objv"] is None else f"{r['objv']:.6g}"
    largest_error = max(abs(e) for e in r["e"])
    u = " ".join(f"{value:.3f}" for value in r["u"])
    print(f"{r.get('name', '?'):<24} {r['iterations']:>10}  {r['converged']:>9}  {objv:>12}  "
          f"{largest_error:>11.3g}  {u}")
print(f"\n{len(results)} problems solved; results in {sys.argv[1]}")
PY
