#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset in
# build/release (the module and the sfqp tool), and runs `sfqp simulate` on the
# default scenario: a 16-rotor vehicle flying 10 s at 1 kHz (hover, roll, pitch
# and yaw demands, some beyond what the rotors can give, rotor 3 failing at
# 5 s) through the block in a simulated model. The summary is printed and kept
# with the run and its plot in build/demo/: summary.json, run.csv (output 1
# and the core's view of every step) and default_scenario.png.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sfqp

out=build/demo
mkdir -p "$out"
build/release/sfqp simulate --diagnose --output "$out/run.csv" --summary "$out/summary.json" \
  --plot "$out/default_scenario.png"
echo "Written: $out/summary.json, $out/run.csv, $out/default_scenario.png"
