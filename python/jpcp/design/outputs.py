"""What a design writes: the rows of design.csv and trials.csv and the
one-line answers, shared by the command and its report."""

from __future__ import annotations

import csv
from pathlib import Path

from jpcp.design.config import Design
from jpcp.design.guide93 import Guide93Result
from jpcp.design.search import Answer, Assessed

DESIGN_COLUMNS = [
    "joint_spacing_ft", "dowel_in", "thickness_in", "cracking_pct", "cracking_design_pct", "faulting_in",
    "faulting_design_in", "thinner_cracking_pct", "thinner_cracking_design_pct", "thinner_faulting_in",
    "thinner_faulting_design_in", "governed_by",
]
TRIAL_COLUMNS = [
    "joint_spacing_ft", "dowel_in", "thickness_in", "cracking_pct", "cracking_design_pct", "faulting_in",
    "faulting_design_in", "passes", "seconds",
]
GUIDE93_COLUMNS = [
    "thickness_in", "thickness_exact_in", "w18", "reliability_pct", "s0", "delta_psi", "pt", "k_pci", "sc_psi",
    "ec_psi", "j", "cd",
]


def _cells(assessed: Assessed | None) -> list:
    if assessed is None:
        return [""] * 4
    t = assessed.trial
    return [t.cracking, assessed.cracking_design, t.faulting, assessed.faulting_design]


def design_rows(answers: list[Answer]) -> list[list]:
    rows = []
    for answer in answers:
        shown = answer.design or answer.thickest
        thickness = answer.design.trial.thickness if answer.design else ""
        rows.append([answer.joint_spacing, answer.dowel, thickness] + _cells(shown) + _cells(answer.thinner)
                    + [answer.governed_by])
    return rows


def trial_rows(answers: list[Answer]) -> list[list]:
    rows = []
    for answer in answers:
        for a in sorted(answer.trials, key=lambda a: a.trial.thickness):
            t = a.trial
            rows.append([t.joint_spacing, t.dowel, t.thickness, t.cracking, a.cracking_design, t.faulting,
                         a.faulting_design, int(a.passes), round(t.seconds, 3)])
    return rows


def _format(value) -> str:
    return f"{value:.6g}" if isinstance(value, float) else str(value)


def write_csv(path: Path, columns: list[str], rows: list[list]) -> None:
    with open(path, "w", newline="", encoding="utf-8") as stream:
        writer = csv.writer(stream, lineterminator="\n")
        writer.writerow(columns)
        writer.writerows([[_format(v) for v in row] for row in rows])


def answer_line(answer: Answer, design: Design) -> str:
    """The one-line answer of a joint spacing and dowel size."""
    where = f"joint spacing {answer.joint_spacing:g} ft, dowels {answer.dowel:g} in"
    shown = answer.design or answer.thickest
    t = shown.trial
    values = (f"cracking {t.cracking:.1f} % (design {shown.cracking_design:.1f} % at {design.reliability:g} %), "
              f"faulting {t.faulting:.3f} in (design {shown.faulting_design:.3f} in)")
    if answer.design is None:
        return f"no thickness up to {t.thickness:g} in passes ({where}): at {t.thickness:g} in {values}"
    return f"thickness {t.thickness:g} in ({where}): {values}; governed by {answer.governed_by}"


def guide93_line(result: Guide93Result) -> str:
    p = result.inputs
    if result.exact is None:
        return f"1993 guide: {result.error}"
    return (f"1993 guide: thickness {result.rounded:g} in ({result.exact:.2f} in from the equation at "
            f"{p.reliability:g} %, W18 {p.w18 / 1e6:.3g} million ESALs)")
