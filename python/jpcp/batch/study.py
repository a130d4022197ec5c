"""Study files: one row per case of a batch run.

A study is a CSV file with a header line and one row per case:

- ``case``: unique name of the case; it names the case's folder, so it is
  limited to letters, digits, ``.``, ``_`` and ``-`` (no leading ``.``).
- ``cracking`` and/or ``faulting``: base section folder of that program, empty
  to skip the program for the case. Relative paths are relative to the folder
  of the study file.
- ``cracking_models`` / ``faulting_models`` (optional): the case's model
  folders; an empty cell falls back to the run's options.
- any number of override columns named after input fields (see
  ``jpcp.batch.overrides``), plus ``traffic_scale``, the factor applied to
  every axle count. An empty override cell keeps the base section's value.

Values are kept as the text written in the file so that the merged summary
repeats them exactly.
"""

from __future__ import annotations

import csv
import itertools
import math
import os
import re
from dataclasses import dataclass, field

PROGRAMS = ("cracking", "faulting")
MODEL_COLUMNS = {"cracking": "cracking_models", "faulting": "faulting_models"}
FIXED_COLUMNS = ("case",) + PROGRAMS + tuple(MODEL_COLUMNS.values())
TRAFFIC_SCALE = "traffic_scale"

# Case names become folder names on every host of a run (and arguments of
# GNU parallel and Slurm scripts): keep them to a portable, shell-safe set.
CASE_NAME = re.compile(r"^[A-Za-z0-9_-][A-Za-z0-9._-]*$")


class StudyError(ValueError):
    """A study file (or a make-study request) that cannot be used."""


@dataclass
class Case:
    """One row of a study."""

    name: str
    # Absolute base section folder per program; only the programs the case runs.
    bases: dict[str, str]
    # Model folder per program from the study ('' when the cell is empty).
    models: dict[str, str]
    # Override column -> text as written in the study (non-empty cells only).
    overrides: dict[str, str]
    line: int = 0

    def row(self) -> dict[str, str]:
        """Everything that defines the case; a rerun compares it to decide
        whether a finished case still matches the study."""
        return {
            "case": self.name,
            **{p: self.bases.get(p, "") for p in PROGRAMS},
            **{MODEL_COLUMNS[p]: self.models.get(p, "") for p in PROGRAMS},
            **self.overrides,
        }


@dataclass
class Study:
    path: str
    cases: list[Case]
    # Override columns in file order (traffic_scale included when present).
    override_columns: list[str] = field(default_factory=list)

    def varied_columns(self) -> list[str]:
        """Override columns that take more than one value across the cases."""
        varied = []
        for column in self.override_columns:
            values = {c.overrides.get(column, "") for c in self.cases}
            if len(values) > 1:
                varied.append(column)
        return varied


def _number(text: str, where: str) -> float:
    try:
        value = float(text)
    except ValueError:
        raise StudyError(f"{where}: '{text}' is not a number") from None
    if not math.isfinite(value):
        raise StudyError(f"{where}: '{text}' is not a finite number")
    return value


def read_study(path: str, known_fields=None) -> Study:
    """Reads and checks a study file.

    ``known_fields``: optional callable taking a column name and returning
    whether an input field of either program has that name; unknown override
    columns are then refused (a misspelt column would otherwise silently run
    the base section).
    """
    path = os.path.abspath(path)
    folder = os.path.dirname(path)
    try:
        with open(path, newline="", encoding="utf-8-sig") as handle:
            rows = list(csv.reader(handle))
    except OSError as error:
        raise StudyError(f"cannot read the study file {path}: {error.strerror}") from None
    name = os.path.basename(path)
    rows = [(number, row) for number, row in enumerate(rows, start=1) if any(cell.strip() for cell in row)]
    if not rows:
        raise StudyError(f"{name}: the file is empty")
    header_line, header = rows[0]
    header = [cell.strip() for cell in header]
    seen = set()
    for column in header:
        if not column:
            raise StudyError(f"{name} line {header_line}: a column has no name")
        if column in seen:
            raise StudyError(f"{name} line {header_line}: column '{column}' appears twice")
        seen.add(column)
    if "case" not in header:
        raise StudyError(f"{name}: no 'case' column")
    if not any(p in header for p in PROGRAMS):
        raise StudyError(f"{name}: neither a 'cracking' nor a 'faulting' column")
    overrides = [c for c in header if c not in FIXED_COLUMNS]
    if known_fields is not None:
        unknown = [c for c in overrides if c != TRAFFIC_SCALE and not known_fields(c)]
        if unknown:
            raise StudyError(f"{name}: no input field is named {', '.join(repr(c) for c in unknown)}")

    cases = []
    names = {}
    for line, cells in rows[1:]:
        where = f"{name} line {line}"
        if len(cells) > len(header):
            raise StudyError(f"{where}: {len(cells)} cells for {len(header)} columns")
        values = {column: (cells[i].strip() if i < len(cells) else "") for i, column in enumerate(header)}
        case_name = values["case"]
        if not CASE_NAME.match(case_name):
            raise StudyError(f"{where}: case name '{case_name}' must be letters, digits, '.', '_' or '-'")
        if case_name in names:
            raise StudyError(f"{where}: case '{case_name}' already named on line {names[case_name]}")
        names[case_name] = line
        bases = {p: os.path.normpath(os.path.join(folder, values[p])) for p in PROGRAMS if values.get(p)}
        if not bases:
            raise StudyError(f"{where}: case '{case_name}' names neither a cracking nor a faulting folder")
        models = {
            p: os.path.normpath(os.path.join(folder, values[MODEL_COLUMNS[p]]))
            for p in PROGRAMS
            if values.get(MODEL_COLUMNS[p])
        }
        case_overrides = {}
        for column in overrides:
            text = values[column]
            if not text:
                continue
            value = _number(text, f"{where}, column {column}")
            if column == TRAFFIC_SCALE and value < 0:
                raise StudyError(f"{where}: traffic_scale must not be negative")
            case_overrides[column] = text
        cases.append(Case(case_name, bases, models, case_overrides, line))
    if not cases:
        raise StudyError(f"{name}: no cases")
    return Study(path, cases, overrides)


def write_study(path: str, rows: list[dict[str, str]], columns: list[str]) -> None:
    """Writes a study file (rows of texts keyed by column)."""
    with open(path, "w", newline="", encoding="utf-8") as handle:
        writer = csv.DictWriter(handle, fieldnames=columns, lineterminator="\n")
        writer.writeheader()
        for row in rows:
            writer.writerow({c: row.get(c, "") for c in columns})


# --- make-study --------------------------------------------------------------


def _format(value: float) -> str:
    # Ten significant digits hide the binary noise of a + i*step sums
    # (8.1 + 3*0.3) while keeping every digit a user would type.
    text = f"{value:.10g}"
    return "0" if text == "-0" else text


@dataclass
class Variation:
    """One --vary option: a list of levels, or a continuous range."""

    name: str
    levels: list[str] | None  # None for a continuous range
    low: float = 0.0
    high: float = 0.0


def parse_vary(text: str) -> Variation:
    """Parses NAME=A:B:STEP (levels A, A+STEP, ... up to B), NAME=A:B
    (continuous range, Latin hypercube only) or NAME=V1,V2,..."""
    name, sep, spec = text.partition("=")
    name = name.strip()
    if not sep or not name or not spec.strip():
        raise StudyError(f"--vary '{text}': expected NAME=START:STOP:STEP, NAME=START:STOP or NAME=V1,V2,...")
    where = f"--vary {name}"
    if name in FIXED_COLUMNS:
        raise StudyError(f"{where}: '{name}' is not an input field")
    if ":" in spec:
        parts = spec.split(":")
        if len(parts) not in (2, 3):
            raise StudyError(f"{where}: a range is START:STOP or START:STOP:STEP")
        low, high = (_number(p.strip(), where) for p in parts[:2])
        if high < low:
            raise StudyError(f"{where}: STOP {parts[1]} is below START {parts[0]}")
        if len(parts) == 2:
            return Variation(name, None, low, high)
        step = _number(parts[2].strip(), where)
        if step <= 0:
            raise StudyError(f"{where}: STEP must be above 0")
        count = math.floor((high - low) / step + 1e-9) + 1
        if count > 100000:
            raise StudyError(f"{where}: {count} levels; use a larger STEP")
        levels = [_format(low + i * step) for i in range(count)]
    else:
        levels = [v.strip() for v in spec.split(",")]
        if any(not v for v in levels):
            raise StudyError(f"{where}: empty value in the list")
        for v in levels:
            _number(v, where)
    if name == TRAFFIC_SCALE and any(float(v) < 0 for v in levels):
        raise StudyError(f"{where}: traffic_scale must not be negative")
    return Variation(name, levels, float(levels[0]), float(levels[-1]))


def full_factorial(variations: list[Variation], limit: int = 1_000_000) -> list[dict[str, str]]:
    """Every combination of the levels, the last variation varying fastest."""
    for v in variations:
        if v.levels is None:
            raise StudyError(f"--vary {v.name}: a range without STEP needs --samples (Latin hypercube)")
    total = math.prod(len(v.levels) for v in variations)
    if total > limit:
        raise StudyError(f"the full factorial has {total} cases; use --samples for a Latin hypercube")
    names = [v.name for v in variations]
    return [dict(zip(names, combo)) for combo in itertools.product(*(v.levels for v in variations))]


def latin_hypercube(variations: list[Variation], samples: int, seed: int) -> list[dict[str, str]]:
    """``samples`` cases; each variation's range is cut into ``samples`` equal
    strata, each stratum used exactly once, in an independent random order per
    variation. A list of levels is sampled through its index, so every level
    appears about equally often; a continuous range takes a uniform point of
    each stratum. The same seed gives the same study."""
    import numpy  # only make-study needs it

    if samples < 1:
        raise StudyError("--samples must be at least 1")
    rng = numpy.random.default_rng(seed)
    columns = {}
    for v in variations:
        points = (numpy.arange(samples) + rng.random(samples)) / samples
        rng.shuffle(points)
        if v.levels is None:
            columns[v.name] = [_format(v.low + p * (v.high - v.low)) for p in points]
        else:
            columns[v.name] = [v.levels[min(int(p * len(v.levels)), len(v.levels) - 1)] for p in points]
    return [{name: columns[name][i] for name in columns} for i in range(samples)]


def make_study(
    path: str,
    bases: dict[str, str],
    variations: list[Variation],
    samples: int | None = None,
    seed: int = 1,
    models: dict[str, str] | None = None,
    prefix: str = "case",
) -> int:
    """Writes a study of the base sections with the given variations and
    returns its number of cases. Base and model folders are written relative
    to the study file's folder when they lie below it, absolute otherwise."""
    if not bases:
        raise StudyError("give a base section: --cracking FOLDER and/or --faulting FOLDER")
    if not variations:
        raise StudyError("give at least one --vary NAME=...")
    names = [v.name for v in variations]
    duplicated = {n for n in names if names.count(n) > 1}
    if duplicated:
        raise StudyError(f"--vary {', '.join(sorted(duplicated))} given more than once")
    if samples is None:
        combos = full_factorial(variations)
    else:
        combos = latin_hypercube(variations, samples, seed)
    folder = os.path.dirname(os.path.abspath(path))

    def where(p: str) -> str:
        p = os.path.abspath(p)
        relative = os.path.relpath(p, folder)
        return p if relative.startswith("..") else relative

    fixed = {p: where(bases[p]) for p in PROGRAMS if p in bases}
    for p, m in (models or {}).items():
        if m:
            fixed[MODEL_COLUMNS[p]] = where(m)
    width = max(4, len(str(len(combos))))
    rows = [{"case": f"{prefix}{i:0{width}d}", **fixed, **combo} for i, combo in enumerate(combos, start=1)]
    columns = ["case"] + list(fixed) + names
    write_study(path, rows, columns)
    return len(rows)
