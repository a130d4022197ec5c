#!/usr/bin/env python3
"""Writes a 20-year faulting example: a section folder and a model folder.

The six deflection models are 3+3 tensor-product B-splines of order 4 (order 3
for the edge support) with about 50 000 coefficients per joint-spacing node,
taken from a smooth closed-form corner response; defl0.csv samples a smooth
curl deflection. Usage: faulting_example.py SECTION_FOLDER MODEL_FOLDER [large|medium]
("medium": about 10 000 coefficients per node file).
"""
import math
import os
import sys

SPACINGS = [12.0, 15.0, 21.0, 27.0, 33.0]
# (low, high, coefficients, order) per input: radius, edge support, LTE,
# Korenev parameter, normalised load, edge distance.
SIZES = {
    "large": [(10.0, 200.0, 7, 4), (10.0, 40.0, 3, 3), (0.0, 100.0, 6, 4),
              (0.0, 200.0, 8, 4), (0.0, 5.0, 10, 4), (0.0, 60.0, 5, 4)],
    "medium": [(10.0, 200.0, 5, 4), (10.0, 40.0, 3, 3), (0.0, 100.0, 5, 4),
               (0.0, 200.0, 6, 4), (0.0, 5.0, 6, 4), (0.0, 60.0, 4, 4)],
}
DIMENSIONS = SIZES["large"]


def knots(low, high, n, k):
    inner = [low + (high - low) * i / (n - k + 1) for i in range(1, n - k + 1)]
    return [low] * k + inner + [high] * k


def greville(t, n, k):
    return [sum(t[i + 1:i + k]) / (k - 1) for i in range(n)]


def response(g, L, x):
    ell, es, lte, phi, load, edge = x
    scale = (1.0, 0.8, 0.6)[g // 2]
    transfer = 1.0 - 0.004 * lte if g % 2 == 0 else 0.004 * lte
    support = 1.0 - 0.004 * (es - 10.0)
    return (0.02 * scale * load * transfer * support * (ell / 40.0) * (L / 15.0) * (1.0 + 0.05 * math.sin(phi / 40.0))
            + 0.001 * phi + 0.0001 * edge)


def write_model(path, g, L):
    ts = [knots(lo, hi, n, k) for lo, hi, n, k in DIMENSIONS]
    gs = [greville(t, n, k) for t, (_, _, n, k) in zip(ts, DIMENSIONS)]
    ns = [d[2] for d in DIMENSIONS]
    lines = ["3 3", " ".join(str(n) for n in ns), " ".join(str(d[3]) for d in DIMENSIONS)]
    lines += [" ".join("%.7g" % v for v in t) for t in ts]
    values = []
    # File order: i3 fastest, then i2, i1 (group 1), then i6, i5, i4 slowest.
    for i4 in range(ns[3]):
        for i5 in range(ns[4]):
            for i6 in range(ns[5]):
                for i1 in range(ns[0]):
                    for i2 in range(ns[1]):
                        for i3 in range(ns[2]):
                            x = (gs[0][i1], gs[1][i2], gs[2][i3], gs[3][i4], gs[4][i5], gs[5][i6])
                            values.append("%.7g" % response(g, L, x))
    for start in range(0, len(values), 8):
        lines.append(" ".join(values[start:start + 8]))
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def write_models(folder):
    os.makedirs(folder, exist_ok=True)
    names = []
    for g in range(6):
        for n, L in enumerate(SPACINGS):
            name = "defl%d_%d.ttt" % (g + 1, n + 1)
            write_model(os.path.join(folder, name), g, L)
            names.append(name)
    with open(os.path.join(folder, "NNinfo.txt"), "w") as out:
        out.write("\n".join(names) + "\n")
    spacings = [10.0, 15.0, 20.0, 25.0, 30.0, 35.0]
    radii = [10.0 + 20.0 * i for i in range(11)]
    korenev = [0.0, 2.0, 5.0, 10.0, 20.0, 40.0, 70.0, 100.0, 150.0, 200.0]
    with open(os.path.join(folder, "defl0.csv"), "w") as out:
        out.write("%d,%d,%d\n" % (len(spacings), len(radii), len(korenev)))
        for axis in (spacings, radii, korenev):
            out.write(",".join("%g" % v for v in axis) + "\n")
        for p in korenev:
            for r in radii:
                for L in spacings:
                    w = 0.002 * p * (r / 40.0) / (1.0 + p / 50.0) * (L / 15.0)
                    out.write("%g,%g,%g,%.7g\n" % (L, r, p, 0.01 - w))


def write_section(folder, months=240, start_month=1, age_offset=1):
    os.makedirs(folder, exist_ok=True)
    general = ["%d" % months, "%d" % start_month, "%d" % age_offset, "10", "15", "1.25", "1.0", "10", "0", "0",
               "0.15", "150", "5.5e-6", "2", "600 600", "35", "1", "6", "140", "0.65", "3", "20", "200", "80", "50",
               "-10", "0", "12", "18", "0", "12", "90", "0.002848 0.000883739", "250", "400", "0.4",
               "1.0184 0.91656", "1.83312"]
    with open(os.path.join(folder, "faultgeneralinput.txt"), "w") as out:
        out.write("\n".join(general) + "\n")
    with open(os.path.join(folder, "seasonpattern.txt"), "w") as out:
        out.write("150 150 160 180 200 200 200 200 190 170 160 150\n")
        out.write("40000 40000 35000 30000 30000 30000 30000 30000 30000 32000 36000 40000\n")
        out.write("75 72 68 62 58 55 55 58 62 66 70 74\n0\n")
        for age in [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 24, 36, 48, 60, 120, 240, 480]:
            mr = 650.0 * (1.0 + 0.12 * math.log10(max(age, 0.25) / 12.0 / 0.0767))
            e = 57000.0 * math.sqrt((mr / 9.5) ** 2)
            out.write("%d %.1f %.1f\n" % (age, mr, e))
    for name, classes, scale in (("SingleAxleOutput.csv", 39, 60.0), ("TandemAxleOutput.csv", 39, 40.0),
                                 ("TridemAxleOutput.csv", 31, 5.0), ("QuadAxleOutput.csv", 31, 0.5)):
        with open(os.path.join(folder, name), "w") as out:
            for i in range(1, months + 1):
                values = [scale * math.exp(-((c - 12.0) / 6.0) ** 2) * 30.4 for c in range(1, classes + 1)]
                out.write("%d,Month%d," % (i, i) + ",".join("%.3f" % v for v in values) + "\n")
    with open(os.path.join(folder, "_HourlyTrafficPerc.txt"), "w") as out:
        out.write("\n".join(["2.3", "2.0", "1.8", "1.8", "2.0", "2.6", "3.5", "4.6", "5.0", "5.2", "5.4", "5.6",
                             "5.6", "5.6", "5.8", "6.0", "6.0", "5.6", "5.0", "4.2", "3.6", "3.2", "2.8", "2.4"])
                + "\n")
    days = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    with open(os.path.join(folder, "thermalPCC.dat"), "w") as out:
        for q in range(months + age_offset + 1):
            month = (start_month - 1 - age_offset + q) % 12 + 1
            mean = 55.0 - 25.0 * math.cos(2.0 * math.pi * (month - 1) / 12.0)
            for d in range(1, days[month - 1] + 1):
                for h in range(24):
                    swing = math.sin(2.0 * math.pi * (h - 9) / 24.0)
                    temps = "".join("%6.1f" % (mean + 12.0 * swing * (10 - z) / 10.0 - 0.3 * z) for z in range(11))
                    out.write("%4d%2d%2d%2d%s\n" % (2001 + q // 12, month, d, h, temps))
    with open(os.path.join(folder, "FaultFileList.txt"), "w") as out:
        out.write("NULL\n")


if __name__ == "__main__":
    DIMENSIONS = SIZES[sys.argv[3] if len(sys.argv) > 3 else "large"]
    write_section(sys.argv[1])
    write_models(sys.argv[2])
