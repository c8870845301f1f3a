#!/usr/bin/python3
"""Times `sfqp envelope` on one and two jobs against `sfqp solve` on the same
problems, in one run, alternating the three so that the machine's load falls on
all alike. Prints the median wall time of each, the ratios, the CPU time spent
(user + system, workers included) and the load average.

Usage: bench/envelope_speed.py [--sfqp build/release/sfqp] [--count 141] [--rounds 5]

The problems: the scenarios' 16-rotor vehicle at hover (built here from its
ring, as `sfqp simulate --help` describes it), its roll and pitch demands swept
from -60 to 60 N m over a COUNT x COUNT grid, well beyond the 45 N m its rotors
give, so that solved, saturated and fallen-back points all count.
`sfqp solve` reads the grid's problems from a file and writes its result lines;
the envelope writes its rows. Run it under nice on a shared machine.
"""

import argparse
import json
import math
import os
import statistics
import subprocess
import tempfile
import time


def rotor_ring_problem():
    """The 16-rotor vehicle at hover: arm 0.6 m, 15 N and 0.3 N m per rotor, 12 kg."""
    coupling = []
    for j in range(16):
        theta = j * math.pi / 8
        coupling += [15.0, 15.0 * 0.6 * math.sin(theta), -15.0 * 0.6 * math.cos(theta),
                     0.3 if j % 2 == 0 else -0.3]
    return {"coupling": coupling, "target": [12.0 * 9.80665, 0.0, 0.0, 0.0]}


def timed(command, stdout):
    """Wall seconds and CPU seconds (the command and the children it waited for)."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=stdout)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit(f"failed ({status}): {' '.join(command)}")
    return wall, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sfqp", default="build/release/sfqp")
    parser.add_argument("--count", type=int, default=141)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="sfqp-envelope-speed-") as work:
        vehicle = os.path.join(work, "vehicle.jsonl")
        with open(vehicle, "w") as out:
            out.write(json.dumps(rotor_ring_problem()) + "\n")
        axes = ["--x", f"roll:-60:60:{args.count}", "--y", f"pitch:-60:60:{args.count}"]
        rows = os.path.join(work, "rows.jsonl")
        subprocess.run([args.sfqp, "envelope", "--problem", vehicle, *axes, "--exact",
                        "--quiet", "--output", rows], check=True)
        coupling = json.loads(open(vehicle).readline())["coupling"]
        problems = os.path.join(work, "problems.jsonl")
        fallbacks = 0
        with open(rows) as source, open(problems, "w") as out:
            for line in source:
                row = json.loads(line)
                fallbacks += row["fell_back"]
                target = [row[f"t{i}"] for i in range(4)]
                out.write(json.dumps({"coupling": coupling, "target": target}) + "\n")
        points = args.count * args.count

        runs = {
            "sfqp solve FILE": [args.sfqp, "solve", problems],
            "envelope, 1 job": [args.sfqp, "envelope", "--problem", vehicle, *axes, "--quiet",
                                "--jobs", "1", "--output", os.path.join(work, "one.csv")],
            "envelope, 2 jobs": [args.sfqp, "envelope", "--problem", vehicle, *axes, "--quiet",
                                 "--jobs", "2", "--output", os.path.join(work, "two.csv")],
        }
        walls = {name: [] for name in runs}
        cpus = {name: [] for name in runs}
        load_before = os.getloadavg()
        with open(os.path.join(work, "results.jsonl"), "w") as sink:
            for _ in range(args.rounds):
                for name, command in runs.items():
                    wall, cpu = timed(command, sink)
                    walls[name].append(wall)
                    cpus[name].append(cpu)
        load_after = os.getloadavg()

    print(f"{points} points ({fallbacks} fall back to zeros), {args.rounds} rounds, "
          f"{os.cpu_count()} processors, load average {load_before[0]:.1f} before, "
          f"{load_after[0]:.1f} after")
    median = {name: statistics.median(values) for name, values in walls.items()}
    for name in runs:
        print(f"  {name:18} wall {median[name]:7.3f} s (median; {min(walls[name]):.3f} best)  "
              f"cpu {statistics.median(cpus[name]):7.3f} s  "
              f"{1e6 * median[name] / points:6.2f} us/point")
    print(f"  solve / envelope 1 job:     {median['sfqp solve FILE'] / median['envelope, 1 job']:.2f}")
    print(f"  envelope 1 job / 2 jobs:    {median['envelope, 1 job'] / median['envelope, 2 jobs']:.2f}")


if __name__ == "__main__":
    main()
