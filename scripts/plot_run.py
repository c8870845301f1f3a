#!/usr/bin/python3
"""Draws a run of `sfqp simulate`: the 16 commands over time and, for each of
the four virtual controls, the demanded and the achieved value, with the steps
at which the block fell back to zeros marked.

Usage: plot_run.py [--title=TEXT] [--label=L]... [--mark=TIME,LABEL]... -- RUN OUT.png

Every value is given as --option=VALUE and the paths after --, so that a value
that begins with a minus is never taken for an option. --label is given four
times, once per virtual control in order, or not at all.

RUN is the output of `sfqp simulate --diagnose --output RUN` (.csv or .jsonl,
with or without --exact). `sfqp simulate --plot OUT.png` runs this script.
Needs Debian's python3-matplotlib (scripts/setup.sh installs it).
"""

import argparse
import csv
import json
import math
import sys

import matplotlib

matplotlib.use("Agg")
# Titles and labels carry the user's names (a recording's path): text, never
# mathematical markup, so that dollar signs in them draw as they are.
matplotlib.rcParams["text.parse_math"] = False
import matplotlib.pyplot as plt  # noqa: E402

COMMANDS = 16
CONTROLS = 4
BUDGET = 24  # the block writes zeros when a solve takes more iterations


def number(text):
    """A number as the run writes it: decimal, or a C99 hexadecimal float."""
    if isinstance(text, (int, float)):
        return float(text)
    text = text.strip()
    if "0x" in text.lower():
        return float.fromhex(text)
    return float(text)


def read_run(path):
    """Columns of the run: time, output1 (16 lists), target, achieved (4 each), iterations."""
    run = {"time": [], "output1": [[] for _ in range(COMMANDS)],
           "target": [[] for _ in range(CONTROLS)],
           "achieved": [[] for _ in range(CONTROLS)], "iterations": []}

    def add(time, output1, target, achieved, iterations):
        run["time"].append(number(time))
        for k in range(COMMANDS):
            run["output1"][k].append(number(output1[k]))
        for i in range(CONTROLS):
            run["target"][i].append(number(target[i]))
            run["achieved"][i].append(number(achieved[i]))
        run["iterations"].append(int(iterations))

    with open(path, newline="") as source:
        if path.lower().endswith(".csv"):
            for row in csv.DictReader(source):
                if "iterations" not in row:
                    sys.exit(f"{path}: no diagnostics; write the run with --diagnose")
                add(row["time"], [row[f"output1_{k}"] for k in range(COMMANDS)],
                    [row[f"target_{i}"] for i in range(CONTROLS)],
                    [row[f"achieved_{i}"] for i in range(CONTROLS)], row["iterations"])
        else:
            for line in source:
                if not line.strip():
                    continue
                row = json.loads(line)
                if "iterations" not in row:
                    sys.exit(f"{path}: no diagnostics; write the run with --diagnose")
                add(row["time"], row["output1"], row["target"], row["achieved"],
                    row["iterations"])
    if not run["time"]:
        sys.exit(f"{path}: no steps")
    return run


def fallback_spans(times, iterations):
    """(start, end) time spans of consecutive steps that fell back to zeros."""
    spans, start = [], None
    step = times[1] - times[0] if len(times) > 1 else 1.0
    for time, count in zip(times, iterations):
        if count > BUDGET and start is None:
            start = time
        elif count <= BUDGET and start is not None:
            spans.append((start, time))
            start = None
    if start is not None:
        spans.append((start, times[-1] + step))
    return spans


def plot(run, out, title, labels, marks):
    times = run["time"]
    spans = fallback_spans(times, run["iterations"])
    fallbacks = sum(1 for count in run["iterations"] if count > BUDGET)

    figure, axes = plt.subplots(
        1 + CONTROLS, 1, sharex=True, figsize=(11, 12),
        gridspec_kw={"height_ratios": [2.2] + [1] * CONTROLS})
    colours = plt.get_cmap("tab20")

    commands = axes[0]
    for k in range(COMMANDS):
        commands.plot(times, run["output1"][k], linewidth=0.9, color=colours(k % 20),
                      label=f"u{k}")
    commands.set_ylim(-0.05, 1.05)
    commands.set_ylabel("command")
    commands.set_title("output 1: the 16 actuator commands", loc="left", fontsize=10)
    commands.legend(ncol=8, fontsize=7, loc="upper center", bbox_to_anchor=(0.5, -0.04),
                    frameon=False, handlelength=1.2)

    # Errors of 1e-7 on an axis that demands nothing would fill a panel of their
    # own scale and look like swings: each panel spans at least a thousandth of
    # the largest demand.
    demands = [abs(v) for values in run["target"] for v in values if math.isfinite(v)]
    least_span = 1e-3 * max(demands + [1e-9])
    for i in range(CONTROLS):
        ax = axes[1 + i]
        ax.plot(times, run["target"][i], color="black", linestyle="--", linewidth=1.2,
                label="demanded")
        ax.plot(times, run["achieved"][i], color="tab:blue", linewidth=1.2,
                label="achieved (C u)")
        ax.set_ylabel(labels[i])
        low, high = ax.get_ylim()
        if high - low < least_span:
            middle = 0.5 * (low + high)
            ax.set_ylim(middle - 0.5 * least_span, middle + 0.5 * least_span)
        ax.legend(fontsize=8, loc="upper right")

    for ax in axes:
        ax.grid(True, linewidth=0.3, alpha=0.6)
        for time, _ in marks:
            ax.axvline(time, color="dimgrey", linestyle=":", linewidth=1.2)
        for start, end in spans:
            ax.axvspan(start, end, color="tab:red", alpha=0.25, linewidth=0)
    for time, label in marks:
        commands.annotate(label, (time, 1.0), xytext=(3, -2), textcoords="offset points",
                          fontsize=8, color="dimgrey", va="top")
    axes[-1].set_xlabel("time [s]")

    marked = (f"{fallbacks} steps fell back to zeros (shaded red)" if fallbacks
              else "no step fell back to zeros")
    figure.suptitle(f"{title}\n{len(times)} steps; {marked}", fontsize=12)
    figure.tight_layout()
    figure.savefig(out, dpi=110)


def mark(text):
    """TIME,LABEL: an event at TIME seconds."""
    time, separator, label = text.partition(",")
    if not separator:
        raise argparse.ArgumentTypeError(f"{text!r} is not TIME,LABEL")
    return float(time), label


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("run", help="the run's output, written with --diagnose (.csv or .jsonl)")
    parser.add_argument("out", help="the PNG to write")
    parser.add_argument("--title", default="sfqp simulate")
    parser.add_argument("--label", action="append",
                        help="an axis label, once per virtual control in order")
    parser.add_argument("--mark", type=mark, action="append", default=[],
                        metavar="TIME,LABEL", help="mark an event at TIME seconds")
    args = parser.parse_args()
    labels = args.label or [f"t{i}" for i in range(CONTROLS)]
    if len(labels) != CONTROLS:
        parser.error(f"--label must be given {CONTROLS} times, not {len(labels)}")
    plot(read_run(args.run), args.out, args.title, labels, args.mark)


if __name__ == "__main__":
    main()
