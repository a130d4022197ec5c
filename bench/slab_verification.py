#!/usr/bin/python3
"""The slab solver against closed forms over radii of relative stiffness,
slab sizes and element sizes, through jpcp_slab case files. Prints the
Markdown tables of docs/model-verification.md and writes the convergence
figure (SVG).

    bench/slab_verification.py BUILD [FIGURE.svg]

Bonded springs and no self weight unless said otherwise; h = 10 in, k = 100
pci, nu = 0.15, E from the radius l; a 9000 lb load at 100 psi as a square
of the circle's area (side c), Westergaard's interior, edge and corner
solutions with the later corrections, Bradbury's curling coefficient.
"""

from __future__ import annotations

import json
import math
import subprocess
import sys
import tempfile
from pathlib import Path

H, K, NU, ALPHA, P, Q = 10.0, 100.0, 0.15, 5.5e-6, 9000.0, 100.0
A = math.sqrt(P / (math.pi * Q))  # load radius
C = A * math.sqrt(math.pi)  # side of the square of equal area
GAMMA = 0.5772


def modulus(l):
    return 12 * (1 - NU * NU) * K * l**4 / H**3


def solve(build, case):
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump(case, f)
        path = f.name
    out = subprocess.run([str(Path(build) / "jpcp_slab"), path], capture_output=True, text=True, check=False)
    Path(path).unlink()
    rows = [line.split(",") for line in out.stdout.strip().splitlines()[1:]]
    return [dict(zip(("x", "y", "w", "sbx", "sby", "stx", "sty"), map(float, r))) for r in rows]


def case(l, lengths_ft, widths_ft, mesh, loads=(), points=(), refine=None, **extra):
    c = {
        "slabs": {"lengths_ft": lengths_ft, "widths_ft": widths_ft, "thickness_in": H, "modulus_psi": modulus(l),
                  "poisson": NU, "unit_weight_pcf": 150, "cte_per_F": ALPHA},
        "foundation": {"k_pci": K, "tensionless": False},
        "self_weight": False,
        "temperature_difference_F": 0,
        "joints": {"transverse_lte_percent": 0, "longitudinal_lte_percent": 0},
        "mesh_in": mesh,
        "loads": [dict(zip(("x_in", "y_in", "length_in", "width_in", "pressure_psi"), ld)) for ld in loads],
        "points": [{"x_in": x, "y_in": y} for x, y in points],
    }
    if refine:
        c["refine_in"] = refine
    for key, value in extra.items():
        if key in c and isinstance(c[key], dict):
            c[key].update(value)
        else:
            c[key] = value
    return c


def interior(l):
    s = 3 * (1 + NU) * P / (2 * math.pi * H * H) * (math.log(2 * l / A) + 0.5 - GAMMA) + \
        3 * (1 + NU) * P / (64 * H * H) * (A / l) ** 2
    w = P / (8 * K * l * l) * (1 + 1 / (2 * math.pi) * (math.log(A / (2 * l)) + GAMMA - 1.25) * (A / l) ** 2)
    return s, w


def edge(l):
    E = modulus(l)
    s = 3 * (1 + NU) * P / (math.pi * (3 + NU) * H * H) * (
        math.log(E * H**3 / (100 * K * A**4)) + 1.84 - 4 * NU / 3 + (1 - NU) / 2 + 1.18 * (1 + 2 * NU) * A / l)
    w = math.sqrt(2 + 1.2 * NU) * P / math.sqrt(E * H**3 * K) * (1 - (0.76 + 0.4 * NU) * A / l)
    return s, w


def corner_deflection(l):
    return P / (K * l * l) * (1.205 - 0.69 * C / l)


def bradbury(ratio):
    lam = ratio / math.sqrt(8)
    return 1 - 2 * (math.sin(lam) * math.cosh(lam) + math.cos(lam) * math.sinh(lam)) / (
        math.sin(2 * lam) + math.sinh(2 * lam))


def pct(solver, closed):
    return 100 * (solver / closed - 1)


def run_interior(build, l, size, mesh, refine=None):
    L = size * l
    r = solve(build, case(l, [L / 12], [L / 12], mesh, [(L / 2 - C / 2, L / 2 - C / 2, C, C, Q)], [(L / 2, L / 2)],
                          refine))[0]
    return r["sbx"], r["w"]


def run_edge(build, l, width, mesh, refine=None):
    L = 8.5 * l
    r = solve(build, case(l, [L / 12], [width * l / 12], mesh, [(L / 2 - C / 2, 0, C, C, Q)], [(L / 2, 0)], refine))[0]
    return r["sbx"], r["w"]


def run_corner(build, l, size, mesh, refine=None):
    L = size * l
    return solve(build, case(l, [L / 12], [L / 12], mesh, [(0, 0, C, C, Q)], [(0, 0)], refine))[0]["w"]


def run_curl(build, l, ratio, mesh, dT=10.0):
    L = ratio * l
    r = solve(build, case(l, [L / 12], [2 * l / 12], mesh, points=[(L / 2, 0)], temperature_difference_F=dT))[0]
    return r["sbx"], bradbury(ratio) * modulus(l) * ALPHA * dT / 2


def table(head, rows):
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    lines += ["| " + " | ".join(rows_i) + " |" for rows_i in rows]
    return "\n".join(lines)


def main(argv):
    build = argv[1] if len(argv) > 1 else "build"
    figure = argv[2] if len(argv) > 2 else None
    ells = (25.0, 43.0, 80.0)

    rows = []
    for l in ells:
        for size, mesh in ((8.5, l / 8), (8.5, l / 16), (6.0, l / 16)):
            s, w = run_interior(build, l, size, mesh)
            cs, cw = interior(l)
            rows.append([f"{l:g}", f"{size:g} l square", f"{mesh:.2f}", f"{cs:.2f}", f"{s:.2f}", f"{pct(s, cs):+.2f} %",
                         f"{cw:.6f}", f"{w:.6f}", f"{pct(w, cw):+.2f} %"])
    print("### Interior load\n")
    print(table(["l (in)", "slab", "element (in)", "stress closed (psi)", "solver", "difference",
                 "deflection closed (in)", "solver", "difference"], rows))

    rows = []
    for l in ells:
        for width, mesh in ((5.0, l / 8), (5.0, l / 16), (3.0, l / 16)):
            s, w = run_edge(build, l, width, mesh)
            cs, cw = edge(l)
            rows.append([f"{l:g}", f"8.5 l x {width:g} l", f"{mesh:.2f}", f"{cs:.2f}", f"{s:.2f}", f"{pct(s, cs):+.2f} %",
                         f"{cw:.6f}", f"{w:.6f}", f"{pct(w, cw):+.2f} %"])
    print("\n### Edge load\n")
    print(table(["l (in)", "slab", "element (in)", "stress closed (psi)", "solver", "difference",
                 "deflection closed (in)", "solver", "difference"], rows))

    rows = []
    for l in ells:
        for size, mesh in ((5.0, l / 8), (5.0, l / 16), (3.0, l / 16)):
            w = run_corner(build, l, size, mesh)
            cw = corner_deflection(l)
            rows.append([f"{l:g}", f"{size:g} l square", f"{mesh:.2f}", f"{cw:.6f}", f"{w:.6f}", f"{pct(w, cw):+.2f} %"])
    print("\n### Corner load (deflection; the top stress along the bisector is checked by tests/slab)\n")
    print(table(["l (in)", "slab", "element (in)", "deflection closed (in)", "solver", "difference"], rows))

    rows = []
    for l in (25.0, 43.0, 80.0):
        for ratio in (3.0, 5.0, 8.0, 12.0):
            s, cs = run_curl(build, l, ratio, l / 12)
            rows.append([f"{l:g}", f"{ratio:g}", f"{l / 12:.2f}", f"{cs:.3f}", f"{s:.3f}", f"{pct(s, cs):+.2f} %"])
    print("\n### Curling, +10 °F, slab L long and 2 l wide (Bradbury), bottom stress at mid-edge\n")
    print(table(["l (in)", "L / l", "element (in)", "closed (psi)", "solver", "difference"], rows))

    rows = []
    l = 43.0
    for lte in (30.0, 50.0, 70.0, 90.0):
        for mesh in (l / 6, l / 12):
            c = case(l, [15, 15], [12], mesh, [(180 - C, 72 - C / 2, C, C, Q)], [(180 - 0.001, 72), (180.001, 72)],
                     joints={"transverse_lte_percent": lte, "longitudinal_lte_percent": 0})
            loaded, unloaded = solve(build, c)
            ratio = 100 * unloaded["w"] / loaded["w"]
            rows.append([f"{lte:g}", f"{mesh:.2f}", f"{ratio:.2f}", f"{ratio - lte:+.2f}"])
    print("\n### Two 15 ft slabs, 12 ft lane, joint spring from a target load transfer, load at the joint (l = 43 in)\n")
    print(table(["target LTE (%)", "element (in)", "w unloaded / w loaded (%)", "difference (points)"], rows))

    rows = []
    for l in ells:
        loads = [(90 - C / 2, 72 - C / 2, C, C, 20.0)]  # light interior load on a heavy slab: full contact
        base = dict(self_weight=True)
        points = [(90, 72), (0, 0), (90, 0)]
        bonded = solve(build, case(l, [15], [12], l / 8, loads, points, **base))
        tensionless = solve(build, case(l, [15], [12], l / 8, loads, points, foundation={"tensionless": True}, **base))
        diff_w = max(abs(a["w"] - b["w"]) for a, b in zip(bonded, tensionless))
        diff_s = max(abs(a["sbx"] - b["sbx"]) for a, b in zip(bonded, tensionless))
        rows.append([f"{l:g}", f"{bonded[0]['w']:.6f}", f"{bonded[0]['sbx']:.3f}", f"{diff_w:.1e}", f"{diff_s:.1e}"])
    print("\n### Tensionless against bonded where the contact is full (15 x 12 ft, self weight, 2000 lb interior load)\n")
    print(table(["l (in)", "deflection (in)", "stress (psi)", "largest deflection difference (in)",
                 "largest stress difference (psi)"], rows))

    # Convergence at l = 43 in: error against the closed form by element size.
    l = 43.0
    series = {"interior stress": [], "edge stress": [], "corner deflection": [], "curling L/l = 8": []}
    sizes = [l / n for n in (3, 4, 6, 8, 12, 16, 24)]
    for mesh in sizes:
        s, _ = run_interior(build, l, 8.5, mesh)
        series["interior stress"].append(abs(pct(s, interior(l)[0])))
        s, _ = run_edge(build, l, 5.0, mesh)
        series["edge stress"].append(abs(pct(s, edge(l)[0])))
        series["corner deflection"].append(abs(pct(run_corner(build, l, 5.0, mesh), corner_deflection(l))))
        s, cs = run_curl(build, l, 8.0, mesh)
        series["curling L/l = 8"].append(abs(pct(s, cs)))
    rows = [[f"{m:.2f}", f"{l / m:.0f}"] + [f"{series[k][i]:.2f} %" for k in series] for i, m in enumerate(sizes)]
    print("\n### Convergence (l = 43 in): |difference| from the closed form by element size\n")
    print(table(["element (in)", "l / element"] + list(series), rows))
    if figure:
        write_svg(figure, sizes, series)
        print(f"\n(figure: {figure})")


def write_svg(path, sizes, series):
    """A small log-log figure written by hand (no plotting library)."""
    width, height, left, bottom, top, right = 560, 340, 60, 40, 20, 170
    xs = [math.log10(s) for s in sizes]
    values = [v for vs in series.values() for v in vs if v > 0]
    y0, y1 = math.floor(math.log10(min(values))), math.ceil(math.log10(max(values)))
    x0, x1 = min(xs), max(xs)
    px = lambda x: left + (x - x0) / (x1 - x0) * (width - left - right)
    py = lambda y: height - bottom - (y - y0) / (y1 - y0) * (height - top - bottom)
    colours = ["#1f77b4", "#d62728", "#2ca02c", "#9467bd"]
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" font-family="sans-serif" '
           f'font-size="11">', f'<rect width="{width}" height="{height}" fill="white"/>']
    for e in range(y0, y1 + 1):
        out.append(f'<line x1="{left}" x2="{width - right}" y1="{py(e):.1f}" y2="{py(e):.1f}" stroke="#ddd"/>')
        out.append(f'<text x="{left - 6}" y="{py(e) + 4:.1f}" text-anchor="end">{10.0**e:g} %</text>')
    for s, x in zip(sizes, xs):
        out.append(f'<text x="{px(x):.1f}" y="{height - bottom + 15}" text-anchor="middle">{s:.1f}</text>')
    out.append(f'<text x="{(left + width - right) / 2}" y="{height - 6}" text-anchor="middle">element size (in), '
               f'l = 43 in</text>')
    out.append(f'<rect x="{left}" y="{top}" width="{width - left - right}" height="{height - top - bottom}" '
               f'fill="none" stroke="black"/>')
    for i, (name, vs) in enumerate(series.items()):
        pts = " ".join(f"{px(x):.1f},{py(math.log10(max(v, 10.0**y0))):.1f}" for x, v in zip(xs, vs))
        out.append(f'<polyline points="{pts}" fill="none" stroke="{colours[i]}" stroke-width="1.5"/>')
        out.append(f'<text x="{width - right + 8}" y="{top + 14 + 16 * i}" fill="{colours[i]}">{name}</text>')
    out.append("</svg>")
    Path(path).write_text("\n".join(out) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main(sys.argv)
