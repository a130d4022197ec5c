#!/usr/bin/python3
"""Each model of a finite-element model folder against direct solves at
random points off its grid: jpcp_models fe-point for every point, the error
|spline - direct| as a share of the model's response range (the least and
largest grid value, from MANIFEST.json). Prints a Markdown table (maximum
and RMS error per model).

    bench/model_offgrid.py BUILD DIR [POINTS [SEED [FILE...]]]
"""

from __future__ import annotations

import json
import math
import random
import subprocess
import sys
from pathlib import Path


def main(argv):
    build, folder = Path(argv[1]), Path(argv[2])
    count = int(argv[3]) if len(argv) > 3 else 10
    rng = random.Random(int(argv[4]) if len(argv) > 4 else 1)
    manifest = json.loads((folder / "MANIFEST.json").read_text(encoding="utf-8"))
    wanted = argv[5:]
    print(f"Folder {folder} ({manifest['settings']['grade']} grade, {manifest['program']}), {count} points a model\n")
    print("| model | points | response range | max error | RMS error | max error / range | RMS error / range | worst point |")
    print("|---|---|---|---|---|---|---|---|")
    for name, entry in manifest["models"].items():
        if "inputs" not in entry.get("grid", {}):
            continue  # defl0.csv: read by the faulting program, not a spline file
        for file in entry["files"]:
            if wanted and file not in wanted:
                continue
            lo, hi = entry["response_range"][file]
            errors, points = [], []
            for _ in range(count):
                x = []
                for axis in entry["grid"]["inputs"]:
                    nodes = axis["nodes"]
                    x.append(nodes[0] if axis.get("unused") else rng.uniform(nodes[0], nodes[-1]))
                out = subprocess.run([str(build / "jpcp_models"), "fe-point", str(folder), file,
                                      ",".join(f"{v:.6g}" for v in x)], capture_output=True, text=True, check=True)
                _, spline, _, direct = out.stdout.split()
                errors.append(abs(float(spline) - float(direct)))
                points.append(",".join(f"{v:.4g}" for v in x))
            span = hi - lo
            worst, rms = max(errors), math.sqrt(sum(e * e for e in errors) / len(errors))
            print(f"| {file} | {count} | {lo:.4g} to {hi:.4g} | {worst:.4g} | {rms:.4g} | "
                  f"{100 * worst / span:.2f} % | {100 * rms / span:.2f} % | {points[errors.index(worst)]} |")


if __name__ == "__main__":
    main(sys.argv)
