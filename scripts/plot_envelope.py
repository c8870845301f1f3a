#!/usr/bin/python3
"""Draws an envelope of `sfqp envelope`: over a grid of demands, how many
iterations the block's solve takes, where it falls back to zeros, and where the
demand is beyond the vehicle's reach.

Usage: plot_envelope.py --x=ENTRY [--y=ENTRY --columns=N] [--label=L]... [--title=TEXT]
                        [--base=B]... -- ROWS OUT.png

Every value is given as --option=VALUE and the paths after --, so that a value
that begins with a minus (a base demand such as -5.6e-05, a label, a path) is
never taken for an option. --label and --base are given four times each, in the
order of the demand entries, or not at all.

ROWS is the output of `sfqp envelope --output ROWS.csv` (decimal or --exact),
in the grid's order: x varies fastest.
Two axes give a heat map of iterations, one a line plot with the demanded and
achieved values. `sfqp envelope --plot OUT.png` runs this script. Needs Debian's
python3-matplotlib (scripts/setup.sh installs it).
"""

import argparse
import csv
import math
import sys

import matplotlib

matplotlib.use("Agg")
# Titles and labels carry the user's names (a problem file's path): text, never
# mathematical markup, so that dollar signs in them draw as they are.
matplotlib.rcParams["text.parse_math"] = False
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.colors import ListedColormap  # noqa: E402
from matplotlib.lines import Line2D  # noqa: E402
from matplotlib.patches import Patch  # noqa: E402

CONTROLS = 4
BUDGET = 24  # the block writes zeros when a solve takes more iterations
FALLBACK_COLOUR = "#d62728"
FALLBACK_LABEL = f"falls back: the block writes 16 zeros (> {BUDGET} iterations)"


def number(text):
    """A number as the envelope writes it: decimal, or a C99 hexadecimal float."""
    text = text.strip()
    return float.fromhex(text) if "0x" in text.lower() else float(text)


def read_rows(path):
    with open(path, newline="") as source:
        rows = [{"t": [number(row[f"t{i}"]) for i in range(CONTROLS)],
                 "iterations": int(row["iterations"]),
                 "fell_back": row["fell_back"] == "1",
                 "beyond_reach": row["beyond_reach"] == "1",
                 "achieved": [number(row[f"achieved_{i}"]) for i in range(CONTROLS)]}
                for row in csv.DictReader(source)]
    if not rows:
        sys.exit(f"{path}: no points")
    return rows


def cell_edges(values):
    """Edges of the cells around evenly spaced values, for pcolormesh."""
    if len(values) == 1:
        return [values[0] - 0.5, values[0] + 0.5]
    half = (values[1] - values[0]) / 2
    return [values[0] - half] + [v + half for v in values]


def runs(flags):
    """(first, last) index ranges of consecutive true flags."""
    spans, start = [], None
    for k, flag in enumerate(flags + [False]):
        if flag and start is None:
            start = k
        elif not flag and start is not None:
            spans.append((start, k - 1))
            start = None
    return spans


def summary_line(rows):
    fallbacks = sum(r["fell_back"] for r in rows)
    beyond = sum(r["beyond_reach"] for r in rows)
    share = 100.0 * fallbacks / len(rows)
    return (f"{len(rows)} points: {fallbacks} fall back to zeros ({share:.1f}%), "
            f"{beyond} beyond reach")


def heat_map(rows, x, y, nx, labels, base, figure):
    """rows in the grid's order: nx values of x for each value of y."""
    grid = [rows[k:k + nx] for k in range(0, len(rows), nx)]
    xs = [r["t"][x] for r in grid[0]]
    ys = [line[0]["t"][y] for line in grid]
    iterations = [[math.nan if r["fell_back"] else r["iterations"] for r in line] for line in grid]
    fallback = [[1.0 if r["fell_back"] else math.nan for r in line] for line in grid]
    beyond = [[1.0 if r["beyond_reach"] else 0.0 for r in line] for line in grid]

    ax = figure.add_subplot(1, 1, 1)
    xe, ye = cell_edges(xs), cell_edges(ys)
    mesh = ax.pcolormesh(xe, ye, iterations, cmap="viridis", vmin=0, vmax=BUDGET,
                         shading="flat")
    ax.pcolormesh(xe, ye, fallback, cmap=ListedColormap([FALLBACK_COLOUR]), shading="flat")
    # Hatching, so that the region stands out in grey print too.
    ax.contourf(xs, ys, [[0.0 if math.isnan(v) else 1.0 for v in row] for row in fallback],
                levels=[0.5, 1.5], colors="none", hatches=["////"])
    if any(any(row) for row in beyond) and not all(all(row) for row in beyond):
        ax.contour(xs, ys, beyond, levels=[0.5], colors="white", linewidths=4.0)
        ax.contour(xs, ys, beyond, levels=[0.5], colors="black", linewidths=2.0)
    colourbar = figure.colorbar(mesh, ax=ax, pad=0.02)
    colourbar.set_label(f"iterations of the solve (the block writes u up to {BUDGET})")
    handles = [Patch(facecolor=FALLBACK_COLOUR, hatch="////", edgecolor="black",
                     label=FALLBACK_LABEL),
               Line2D([], [], color="black", linewidth=2.0,
                      label="boundary of reach: outside it the demand cannot be met")]
    if base is not None:
        ax.plot([base[x]], [base[y]], marker="*", markersize=16, color="white",
                markeredgecolor="black", linestyle="none")
        handles.append(Line2D([], [], marker="*", markersize=12, color="white",
                              markeredgecolor="black", linestyle="none", label="base demand"))
    ax.set_xlabel(labels[x])
    ax.set_ylabel(labels[y])
    ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, -0.1), ncol=1,
              fontsize=9, frameon=False)


def line_plot(rows, x, labels, base, figure):
    rows = sorted(rows, key=lambda r: r["t"][x])
    xs = [r["t"][x] for r in rows]
    edges = cell_edges(xs) if len(xs) > 1 else [xs[0], xs[0]]
    counts, demand = figure.subplots(2, 1, sharex=True, gridspec_kw={"height_ratios": [1, 1.3]})
    counts.plot(xs, [r["iterations"] for r in rows], color="tab:blue", marker=".",
                linewidth=1.0, label="iterations of the solve")
    counts.axhline(BUDGET, color="black", linestyle="--", linewidth=1.0,
                   label=f"budget: {BUDGET} iterations")
    counts.set_ylabel("iterations")
    counts.set_ylim(0, max([BUDGET + 2] + [r["iterations"] + 1 for r in rows]))
    counts.yaxis.get_major_locator().set_params(integer=True)
    demand.plot(xs, xs, color="black", linestyle="--", linewidth=1.2, label="demanded")
    demand.plot(xs, [r["achieved"][x] for r in rows], color="tab:blue", linewidth=1.6,
                label="achieved: C times output 1")
    demand.set_ylabel(labels[x])
    demand.set_xlabel(f"demanded {labels[x]}")
    for first, last in runs([r["beyond_reach"] for r in rows]):
        for ax in (counts, demand):
            ax.axvspan(edges[first], edges[last + 1], facecolor="none", edgecolor="grey",
                       hatch="\\\\", linewidth=0)
    for first, last in runs([r["fell_back"] for r in rows]):
        for ax in (counts, demand):
            ax.axvspan(edges[first], edges[last + 1], color=FALLBACK_COLOUR, alpha=0.35,
                       linewidth=0)
    extra = [Patch(facecolor=FALLBACK_COLOUR, alpha=0.35, label=FALLBACK_LABEL),
             Patch(facecolor="none", edgecolor="grey", hatch="\\\\",
                   label="beyond reach: the demand cannot be met")]
    if base is not None:
        for ax in (counts, demand):
            ax.axvline(base[x], color="dimgrey", linestyle=":", linewidth=1.2)
        extra.append(Line2D([], [], color="dimgrey", linestyle=":", label="base demand"))
    for ax in (counts, demand):
        ax.grid(True, linewidth=0.3, alpha=0.6)
    counts.legend(handles=counts.get_legend_handles_labels()[0] + extra, fontsize=8,
                  loc="upper left")
    demand.legend(fontsize=8, loc="upper left")


def four(parser, values, option):
    """The four values given for option, or None when it was not given."""
    if values is not None and len(values) != CONTROLS:
        parser.error(f"{option} must be given {CONTROLS} times, not {len(values)}")
    return values


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("rows", help="the envelope's rows (.csv)")
    parser.add_argument("out", help="the PNG to write")
    parser.add_argument("--x", type=int, required=True, choices=range(CONTROLS),
                        help="the demand entry on x, 0..3")
    parser.add_argument("--y", type=int, choices=range(CONTROLS),
                        help="the demand entry on y, 0..3 (needs --columns)")
    parser.add_argument("--columns", type=int, help="the number of x values, with --y")
    parser.add_argument("--label", action="append", help="an axis label, once per demand entry")
    parser.add_argument("--title", default="sfqp envelope")
    parser.add_argument("--base", action="append", type=float,
                        help="the base demand, once per entry")
    args = parser.parse_args()
    labels = four(parser, args.label, "--label") or [f"t{i}" for i in range(CONTROLS)]
    base = four(parser, args.base, "--base")
    two_axes = args.y is not None
    if two_axes != (args.columns is not None) or (two_axes and args.columns < 1):
        parser.error("--y and --columns (a positive number) go together")
    rows = read_rows(args.rows)
    figure = plt.figure(figsize=(9, 8.5) if two_axes else (10, 8), layout="constrained")
    if two_axes:
        heat_map(rows, args.x, args.y, args.columns, labels, base, figure)
    else:
        line_plot(rows, args.x, labels, base, figure)
    figure.suptitle(f"{args.title}\n{summary_line(rows)}", fontsize=12)
    figure.savefig(args.out, dpi=110)


if __name__ == "__main__":
    main()
