#!/usr/bin/python3
"""Each sfqp command against the core on the same solves, in one run.

For every run below, each round times the core first (sfqp_core_solve_time:
api::solve alone over the run's problems, this thread's processor time, the
reading of the problems not counted), then the command (its processor time,
user and system, start-up and module loading included), and takes their
ratio: the command's time per problem or step over the core's time for the
solves that problem or step needs (two for a simulation step: the block's and
the core check's). Prints the median ratio of the rounds, with the range.

Usage: bench/tool_throughput.py [--build build/release] [--before OTHER/sfqp] [--rounds 3]
                                [--per-category 2000] [--grid 101] [--markdown]

With --before, each round also times the same commands of another sfqp (an
earlier version's build, its module beside it), so that the two compare in
one run against the same core.

The problems: `sfqp generate -n 2000` (10,000, every category alike); the
recording: their couplings and targets as 20,000 steps (the problems twice
over), as CSV and JSON Lines; the envelope: the scenarios' 16-rotor
vehicle at hover over a 101 x 101 grid of roll and pitch from -60 to 60 N m,
one job. Run it under nice on a shared machine.
"""
import argparse
import json
import os
import re
import resource
import statistics
import subprocess
import sys
import tempfile

from envelope_speed import rotor_ring_problem
from recording_memory import header, number

REPEATS = 2  # the recording is the problems this many times over


def run(command, **kwargs):
    done = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed ({done.returncode}):\n{done.stderr[:2000]}")
    return done.stdout


def timed(command):
    """User plus system seconds of command (its waited-for children included)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    with open(os.devnull, "wb") as sink:
        done = subprocess.run(command, stdout=sink, stderr=subprocess.PIPE)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed ({done.returncode}):\n{done.stderr.decode()[:2000]}")
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def core_seconds_per_solve(timer, problems):
    text = run([timer, problems])
    return float(re.search(r"seconds_per_solve (\S+)", text).group(1))


def write_inputs(tool, work, per_category, grid):
    """The files every run reads; returns their paths and the envelope's options."""
    paths = {name: os.path.join(work, name) for name in
             ("problems.jsonl", "exact.jsonl", "recording.csv", "recording.jsonl",
              "steps.jsonl", "vehicle.jsonl", "grid.jsonl")}
    generated = run([tool, "generate", "-n", str(per_category)])
    with open(paths["problems.jsonl"], "w") as out:
        out.write(generated)
    with open(paths["exact.jsonl"], "w") as out:
        out.write(run([tool, "generate", "-n", str(per_category), "--exact"]))
    steps = []
    for line in generated.splitlines():
        problem = json.loads(line)
        steps.append([number(v) for v in problem["coupling"]] +
                     [number(v) for v in problem["target"]])
    with open(paths["recording.csv"], "w") as csv, open(paths["recording.jsonl"], "w") as jsonl, \
            open(paths["steps.jsonl"], "w") as twice:
        csv.write(header())
        for _ in range(REPEATS):
            for values in steps:
                csv.write(",".join(repr(v) for v in values) + "\n")
                line = json.dumps({"coupling": values[:64], "target": values[64:]}) + "\n"
                jsonl.write(line)
                # A step solves its problem twice in a row (the block, then the
                # core check), so the core does too.
                twice.write(line + line)
    with open(paths["vehicle.jsonl"], "w") as out:
        out.write(json.dumps(rotor_ring_problem()) + "\n")
    axes = ["--x", f"roll:-60:60:{grid}", "--y", f"pitch:-60:60:{grid}"]
    rows = os.path.join(work, "rows.jsonl")
    run([tool, "envelope", "--problem", paths["vehicle.jsonl"], *axes, "--exact", "--quiet",
         "--output", rows])
    coupling = rotor_ring_problem()["coupling"]
    with open(rows) as source, open(paths["grid.jsonl"], "w") as out:
        for line in source:
            row = json.loads(line)
            target = [number(row[f"t{i}"]) for i in range(4)]
            out.write(json.dumps({"coupling": coupling, "target": target}) + "\n")
    return paths, axes


def runs(tool, work, paths, axes, per_category):
    """(name, command, the core's problems, the core's solves per problem or step)."""
    out = os.path.join(work, "out")
    simulate = [tool, "simulate", "--quiet"]
    envelope = [tool, "envelope", "--problem", paths["vehicle.jsonl"], *axes, "--quiet",
                "--jobs", "1"]
    problems, steps, grid = paths["problems.jsonl"], paths["steps.jsonl"], paths["grid.jsonl"]
    csv, jsonl = ["--input", paths["recording.csv"]], ["--input", paths["recording.jsonl"]]
    generate = [tool, "generate", "-n", str(per_category)]
    return [
        ("sfqp solve FILE", [tool, "solve", problems], problems, 1),
        ("sfqp solve --exact FILE", [tool, "solve", "--exact", problems], problems, 1),
        ("sfqp solve --exact EXACT-FILE", [tool, "solve", "--exact", paths["exact.jsonl"]],
         problems, 1),
        ("sfqp simulate --input CSV --output", simulate + csv + ["--output", out + ".csv"],
         steps, 2),
        ("sfqp simulate --input CSV --output --exact",
         simulate + csv + ["--output", out + ".csv", "--exact"], steps, 2),
        ("sfqp simulate --input CSV --output --diagnose",
         simulate + csv + ["--output", out + ".csv", "--diagnose"], steps, 2),
        ("sfqp simulate --input JSONL --output", simulate + jsonl + ["--output", out + ".jsonl"],
         steps, 2),
        ("sfqp envelope --output", envelope + ["--output", out + ".csv"], grid, 1),
        ("sfqp envelope --output --exact", envelope + ["--output", out + ".csv", "--exact"], grid,
         1),
        ("sfqp generate", generate, problems, 1),
        ("sfqp generate --exact", generate + ["--exact"], problems, 1),
    ]


def lines_of(path):
    with open(path) as source:
        return sum(1 for _ in source)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--before", help="another sfqp to time beside this build's")
    parser.add_argument("--per-category", type=int, default=2000,
                        help="problems of each category (the recording holds twice as many steps)")
    parser.add_argument("--grid", type=int, default=101, help="the envelope's points per axis")
    parser.add_argument("--markdown", action="store_true")
    args = parser.parse_args()
    tool = os.path.join(args.build, "sfqp")
    timer = os.path.join(args.build, "bench", "sfqp_core_solve_time")
    for path in (tool, timer) + ((args.before,) if args.before else ()):
        if not os.path.exists(path):
            sys.exit(f"{path} not found: build the release preset first")

    with tempfile.TemporaryDirectory(prefix="sfqp-tool-throughput-") as work:
        paths, axes = write_inputs(tool, work, args.per_category, args.grid)
        tools = {"now": tool}
        if args.before:
            tools["before"] = args.before
        plans = {version: runs(path, work, paths, axes, args.per_category)
                 for version, path in tools.items()}
        names = [name for name, *_ in plans["now"]]
        ratios = {(version, name): [] for version in tools for name in names}
        per_unit = {(version, name): [] for version in tools for name in names}
        load_before = os.getloadavg()
        for _ in range(args.rounds):
            for k, name in enumerate(names):
                for version in tools:
                    _, command, core_problems, solves = plans[version][k]
                    core = core_seconds_per_solve(timer, core_problems)
                    tool_per_unit = timed(command) / (lines_of(core_problems) / solves)
                    per_unit[(version, name)].append(tool_per_unit)
                    ratios[(version, name)].append(tool_per_unit / (solves * core))
        load_after = os.getloadavg()

    print(f"{args.rounds} rounds, {os.cpu_count()} processors, load average "
          f"{load_before[0]:.1f} before, {load_after[0]:.1f} after")
    columns = [f"{version}: µs, tool / core (range)" for version in tools]
    if args.markdown:
        print("| run | " + " | ".join(columns) + " |")
        print("|---|" + "---|" * len(tools))
    for name in names:
        cells = []
        for version in tools:
            values = ratios[(version, name)]
            cells.append(f"{1e6 * statistics.median(per_unit[(version, name)]):.2f} us, "
                         f"{statistics.median(values):.2f}x "
                         f"({min(values):.2f} to {max(values):.2f})")
        print(("| " + " | ".join([name] + cells) + " |") if args.markdown else
              f"  {name:48} " + "   ".join(f"{version} {cell}" for version, cell in
                                           zip(tools, cells)))


if __name__ == "__main__":
    main()
