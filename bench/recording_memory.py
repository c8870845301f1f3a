#!/usr/bin/python3
"""Peak memory of `sfqp simulate --input -` replaying recordings of several
lengths, fed through a pipe so that no file of that size is written: the CSV
rows (or JSON Lines) are the steps of `sfqp generate`'s problems, repeated.
Prints the steps, the seconds the run took and its peak resident memory (the
kernel's maximum resident set size of the child).

    bench/recording_memory.py --tool build/release/bin/sfqp --steps 200000 3600000
"""
import argparse
import json
import os
import subprocess
import sys
import time

DISTINCT_STEPS = 1000


def number(value):
    return float.fromhex(value) if isinstance(value, str) else float(value)


def step_lines(tool, form):
    problems = subprocess.run([tool, "generate", "-n", str(DISTINCT_STEPS)], check=True,
                              capture_output=True, text=True).stdout.splitlines()
    lines = []
    for text in problems:
        problem = json.loads(text)
        values = [number(v) for v in problem["coupling"]] + [number(v) for v in problem["target"]]
        if form == "csv":
            lines.append(",".join(repr(v) for v in values))
        else:
            lines.append(json.dumps({"coupling": values[:64], "target": values[64:]}))
    return lines


def header():
    names = [f"c_r{k % 4}_c{k // 4}" for k in range(64)] + [f"t{i}" for i in range(4)]
    return ",".join(names) + "\n"


def replay(tool, form, steps, lines):
    chunk = ("\n".join(lines) + "\n").encode()
    start = time.monotonic()
    child = subprocess.Popen([tool, "simulate", "--input", "-", "--quiet"],
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
    if form == "csv":
        child.stdin.write(header().encode())
    whole, rest = divmod(steps, len(lines))
    for _ in range(whole):
        child.stdin.write(chunk)
    child.stdin.write(("\n".join(lines[:rest]) + "\n").encode() if rest else b"")
    child.stdin.close()
    _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        sys.exit(f"sfqp simulate failed on {steps} steps (status {status})")
    return time.monotonic() - start, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", required=True, help="the sfqp executable")
    parser.add_argument("--steps", type=int, nargs="+", default=[20000, 200000])
    parser.add_argument("--format", choices=["csv", "jsonl"], default="csv")
    args = parser.parse_args()
    lines = step_lines(args.tool, args.format)
    print(f"{'steps':>10} {'seconds':>9} {'peak MB':>9}  ({args.format} on standard input)")
    for steps in args.steps:
        seconds, peak = replay(args.tool, args.format, steps, lines)
        print(f"{steps:>10} {seconds:>9.1f} {peak:>9.1f}")


if __name__ == "__main__":
    main()
