"""Observations file: ``case,age_months,percent_cracked,faulting_in``.

One row per observation of a case of the study; ``age_months`` is the
month counter of the result files (``Age(mo)`` of the cracking file, the
first column of JPCP_faulting.csv); a blank distress cell was not measured.
Every problem is reported with the file, its line and the value.
"""

from __future__ import annotations

import csv
import math
import os
from dataclasses import dataclass

from jpcp.calibrate.coefficients import DISTRESS

CASE = "case"
AGE = "age_months"
COLUMNS = (CASE, AGE, DISTRESS["cracking"], DISTRESS["faulting"])


class CalibrationError(ValueError):
    """Inputs that cannot be calibrated; ``problems`` lists every one found."""

    def __init__(self, problems):
        problems = [problems] if isinstance(problems, str) else list(problems)
        super().__init__("\n".join(problems))
        self.problems = problems


@dataclass
class Observation:
    case: str
    age: int  # analysis month (1 = first month)
    value: float  # percent slabs cracked or faulting in inches (NaN: not measured)
    line: int  # line of the observations file

    @property
    def measured(self) -> bool:
        return not math.isnan(self.value)


def _number(text: str):
    try:
        value = float(text)
    except ValueError:
        return None
    return value if math.isfinite(value) else None


def read_observations(path: str, fit: str) -> tuple[list[Observation], list[tuple[int, str]]]:
    """The rows with the value of the fitted distress (NaN where its cell is
    blank) and the problems of the rows (line, message): every row is checked, the other
    distress's cell included. A file that cannot be read as observations
    raises CalibrationError."""
    name = os.path.basename(path)
    try:
        with open(path, newline="", encoding="utf-8-sig") as handle:
            rows = list(csv.reader(handle))
    except OSError as error:
        raise CalibrationError(f"{path}: cannot read it: {error.strerror}") from None
    rows = [(line, row) for line, row in enumerate(rows, start=1) if any(c.strip() for c in row)]
    if not rows:
        raise CalibrationError(f"{name}: the file is empty")
    header_line, header = rows[0]
    header = [c.strip() for c in header]
    missing = [c for c in (CASE, AGE, DISTRESS[fit]) if c not in header]
    if missing:
        raise CalibrationError(f"{name} line {header_line}: no column {', '.join(missing)} (columns: {', '.join(COLUMNS)})")
    unknown = [c for c in header if c not in COLUMNS]
    if unknown:
        raise CalibrationError(f"{name} line {header_line}: unknown column {', '.join(repr(c) for c in unknown)}")
    problems: list[tuple[int, str]] = []
    found = []
    for line, cells in rows[1:]:
        where = f"{name} line {line}"
        values = {c: (cells[i].strip() if i < len(cells) else "") for i, c in enumerate(header)}
        if len(cells) > len(header):
            problems.append((line, f"{where}: {len(cells)} cells for {len(header)} columns"))
            continue
        if not values[CASE]:
            problems.append((line, f"{where}: no case"))
        age = _number(values[AGE])
        if age is None or age != int(age) or age < 1:
            problems.append((line, f"{where}: age_months '{values[AGE]}' is not a month number (1, 2, ...)"))
        measured = {}
        for fitted, column in DISTRESS.items():
            text = values.get(column, "")
            if not text:
                continue
            value = _number(text)
            if value is None:
                problems.append((line, f"{where}: {column} '{text}' is not a number"))
            elif fitted == "cracking" and not 0.0 <= value <= 100.0:
                problems.append((line, f"{where}: percent_cracked {text} is outside 0-100"))
            elif fitted == "faulting" and value < 0.0:
                problems.append((line, f"{where}: faulting_in {text} is negative"))
            else:
                measured[fitted] = value
        if values[CASE] and age is not None:
            found.append(Observation(values[CASE], int(age), measured.get(fit, math.nan), line))
    return found, problems


def check_against_study(path: str, observations: list[Observation], fit: str,
                        analysis_months: dict[str, int | None]) -> list[tuple[int, str]]:
    """The problems of rows of a case the study lacks, and of observations
    whose case does not run the fitted program (``None``) or at an age
    beyond its analysis."""
    name = os.path.basename(path)
    problems: list[tuple[int, str]] = []
    for o in observations:
        where = f"{name} line {o.line}"
        if o.case not in analysis_months:
            problems.append((o.line, f"{where}: case '{o.case}' is not in the study"))
        elif not o.measured:
            continue
        elif analysis_months[o.case] is None:
            problems.append((o.line, f"{where}: case '{o.case}' has no {fit} folder in the study"))
        elif o.age > analysis_months[o.case]:
            problems.append(
                (o.line, f"{where}: age_months {o.age} is beyond the analysis of case '{o.case}' "
                         f"({analysis_months[o.case]} months)")
            )
    return problems
