#!/usr/bin/env bash
# clang-tidy (the checks of .clang-tidy) and cppcheck over what flies: the core
# (kkt/, solver/), the block (block/) and the API (api/), compiled as the
# release build compiles them. Fails on any finding; a finding that is not a
# fault is suppressed at its line with its reason.
set -euo pipefail
cd "$(dirname "$0")/.."

commands=build/static-analysis
flown="^$PWD/(kkt|solver|block|api)/[^/]+\\.cpp\$"

# The release build's compile commands (configuring writes them; nothing is
# built), filtered to those folders. The core's files are compiled once per
# build of the arithmetic; their first command stands for the others (the
# builds differ in -march and the namespace's name only). GCC's scheduling
# flags, which the core is built with, are unknown to clang and dropped.
cmake --preset release >/dev/null
mkdir -p "$commands"
/usr/bin/python3 - build/release/compile_commands.json "$commands/compile_commands.json" \
  "$flown" <<'EOF'
import json, re, sys
source, target, flown = sys.argv[1], sys.argv[2], re.compile(sys.argv[3])
seen, kept = set(), []
for entry in json.load(open(source)):
    if flown.search(entry["file"]) and entry["file"] not in seen:
        seen.add(entry["file"])
        for gcc_only in ("-fschedule-insns", "-fsched-pressure"):
            entry["command"] = entry["command"].replace(" " + gcc_only + " ", " ")
        kept.append(entry)
if not kept:
    sys.exit("static-analysis: no compile commands for kkt/, solver/, block/ or api/")
with open(target + ".partial", "w") as out:
    json.dump(kept, out, indent=1)
EOF
mv "$commands/compile_commands.json.partial" "$commands/compile_commands.json"
count=$(/usr/bin/python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' \
  "$commands/compile_commands.json")

echo "== clang-tidy over $count files"
# A GCC warning option clang lacks is not an error of the code.
run-clang-tidy -quiet -p "$commands" -j 2 -extra-arg=-Wno-unknown-warning-option "$flown" >"$commands/clang-tidy.txt" 2>&1 || {
  grep -E "(warning|error):" "$commands/clang-tidy.txt" >&2 || cat "$commands/clang-tidy.txt" >&2
  echo "static-analysis: clang-tidy has findings (all of them in $commands/clang-tidy.txt)" >&2
  exit 1
}
echo "clang-tidy: no findings"

echo "== cppcheck over $count files"
# Every finding is an error. Left out: missingIncludeSystem, which only says
# that cppcheck reads no system header (it needs not to); and useStlAlgorithm,
# the advice to write a loop as an algorithm call, which the core's loops are
# not: each is the fixed order of rounded operations the bits depend on, and
# written out so that the order is seen.
cppcheck --project="$commands/compile_commands.json" -j 2 --quiet --inline-suppr \
  --enable=warning,style,performance,portability --std=c++20 --language=c++ \
  --suppress=missingIncludeSystem --suppress=useStlAlgorithm --error-exitcode=1 \
  --cppcheck-build-dir="$commands" 2>"$commands/cppcheck.txt" || {
  cat "$commands/cppcheck.txt" >&2
  echo "static-analysis: cppcheck has findings" >&2
  exit 1
}
echo "cppcheck: no findings"
