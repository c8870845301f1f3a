#!/usr/bin/env bash
# The installed tree as users get it, from a release build (BUILD, default
# build/release): `cmake --install` into a temporary prefix, then
#   - examples/embed_consumer built against it with find_package, default
#     flags and language standard: it links nothing of the host stand-in and
#     prints the bits `sfqp solve --exact` gives, on the golden problems the
#     block solves as they are (no settings or weights of their own);
#   - the same consumer compiled by hand with only -I PREFIX/include, as a
#     user without CMake would, and its C++14 build stopped by the header's
#     one clear line naming the standard it needs;
#   - the installed `sfqp simulate`, run from elsewhere, finds the installed
#     module by default.
# Exits 1 on any difference.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
problems=tests/data/golden/problems.jsonl

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
cmake -S examples/embed_consumer -B "$work/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
consumer=$work/consumer/embed_consumer

# By hand: one include folder, the two libraries, nothing of the source tree.
cxx=${CXX:-c++}
libdir=$(dirname "$(find "$prefix" -name libsfqp_api.a -print -quit)")
"$cxx" -std=c++17 -I "$prefix/include" examples/embed_consumer/main.cpp \
  "$libdir/libsfqp_api.a" "$libdir/libsfqp_core.a" -pthread -o "$work/consumer_by_hand"
echo "   the consumer builds with only -I $(basename "$prefix")/include (C++17)"
if "$cxx" -std=c++14 -I "$prefix/include" -fsyntax-only examples/embed_consumer/main.cpp \
  2>"$work/cxx14.txt"; then
  echo "   the consumer compiled as C++14 without the header saying what it needs" >&2
  exit 1
fi
if ! grep -m 1 'error:' "$work/cxx14.txt" | grep -q 'core_api.h> needs C++17 or later'; then
  echo "   a C++14 consumer's first error is not the header's line on the standard:" >&2
  head -5 "$work/cxx14.txt" >&2
  exit 1
fi
echo "   a C++14 consumer is told the header needs C++17 or later"

if readelf -d "$consumer" | grep -E 'NEEDED.*lib(mx|mex)\.'; then
  echo "   the consumer links the host stand-in" >&2
  exit 1
fi

# Each problem's 68 inputs for the consumer, and the tool's answer to compare.
/usr/bin/python3 - "$problems" "$prefix/bin/sfqp" "$consumer" "$work/consumer_by_hand" <<'PYTHON'
import json, struct, subprocess, sys
problems_file, tool, *consumers = sys.argv[1:]
lines = [line for line in open(problems_file) if line.strip()]
block_lines = [line for line in lines
               if not {"settings", "weights"} & json.loads(line).keys()]
answers = subprocess.run([tool, "solve", "--exact"], input="".join(block_lines), text=True,
                         capture_output=True, check=True).stdout.splitlines()
differences = 0

def bits(value):
    """The 64 bits of a number written by %a or the tool (any NaN is one NaN)."""
    return "nan" if "nan" in value else struct.pack("<d", float.fromhex(value))

for consumer in consumers:
    name = consumer.rsplit("/", 1)[-1]
    wrong = 0
    for line, answer in zip(block_lines, answers):
        problem, want = json.loads(line), json.loads(answer)
        values = [str(v) for v in problem["coupling"] + problem["target"]]
        got = subprocess.run([consumer], input="\n".join(values) + "\n", text=True,
                             capture_output=True, check=True).stdout.split()
        expected = [str(want["iterations"])] + want["output1"]
        if list(map(bits, got)) != list(map(bits, expected)):
            wrong += 1
            print(f"   {want['name']}: {name} gives {got[:3]}..., the tool {expected[:3]}...")
    print(f"   {name}: {len(block_lines) - wrong} of {len(block_lines)} problems "
          "give the tool's bits")
    differences += wrong
sys.exit(1 if differences else 0)
PYTHON

(cd "$work" && "$prefix/bin/sfqp" simulate --scenario hover --quiet >/dev/null)
echo "   installed sfqp simulate finds the installed module"
