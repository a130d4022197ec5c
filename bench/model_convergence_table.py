#!/usr/bin/python3
"""The table of docs/model-verification.md from bench/model_convergence.sh's
CSV: per governing position, the value on the design mesh and its difference
from the finest mesh solved, and the same for the test mesh of the --points
folders.

    bench/model_convergence_table.py convergence.csv
"""

from __future__ import annotations

import csv
import sys
from collections import OrderedDict


def main(path):
    cases = OrderedDict()
    with open(path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f):
            key = (row["file"], row["inputs"])
            cases.setdefault(key, []).append(row)
    print("| model | inputs | test mesh (in) | test value | design mesh (in) | design value | finest mesh (in) | finest value "
          "| test vs finest | design vs finest | design vs half its size |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for (file, inputs), rows in cases.items():
        test = next(r for r in rows if r["mesh"] == "test")
        design = {float(r["scale"]): r for r in rows if r["mesh"] == "design"}
        finest = design[min(design)]
        d1, half = design[1.0], design.get(0.5)
        ref = float(finest["value"])
        diff = lambda r: f"{100 * (float(r['value']) / ref - 1):+.2f} %"
        half_text = f"{100 * (float(d1['value']) / float(half['value']) - 1):+.2f} %" if half else ""
        print(f"| {file} | {inputs} | {float(test['element_in']):.3g} | {float(test['value']):.5g} | "
              f"{float(d1['element_in']):.3g} | {float(d1['value']):.5g} | {float(finest['element_in']):.3g} | {ref:.5g} | "
              f"{diff(test)} | {diff(d1)} | {half_text} |")


if __name__ == "__main__":
    main(sys.argv[1])
