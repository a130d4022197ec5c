"""What a calibration writes: coefficients.json, the observations with
their predictions, the patched section inputs and the study with the fitted
coefficients as override columns."""

from __future__ import annotations

import csv
import json
import math
import os

from jpcp import inputs
from jpcp.batch import prepare
from jpcp.batch.study import Study, write_study
from jpcp.calibrate.runs import override_text

COEFFICIENTS_FILE = "coefficients.json"
PREDICTIONS_FILE = "predictions.csv"
INPUTS_FOLDER = "inputs"


def _clean(value):
    """JSON has no NaN: a value the data could not give is null."""
    if isinstance(value, float) and not math.isfinite(value):
        return None
    if isinstance(value, dict):
        return {k: _clean(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_clean(v) for v in value]
    return value


def write_coefficients(path: str, document: dict) -> None:
    with open(path, "w", encoding="utf-8") as handle:
        json.dump(_clean(document), handle, indent=2)
        handle.write("\n")


def write_predictions(path: str, observations, columns: dict[str, list]) -> None:
    """One row per observation: case, age, line of the observations file,
    measured value and the given prediction columns."""
    names = ["case", "age_months", "line", "measured"] + list(columns)
    with open(path, "w", newline="", encoding="utf-8") as handle:
        writer = csv.writer(handle, lineterminator="\n")
        writer.writerow(names)
        for i, o in enumerate(observations):
            extra = ["" if columns[c] is None else f"{columns[c][i]:.10g}" for c in columns]
            writer.writerow([o.case, o.age, o.line, f"{o.value:.10g}", *extra])


def write_patched_inputs(folder: str, program: str, cases, fitted: dict[str, float]) -> list[str]:
    """For each case a copy of its section input (base file with the case's
    overrides) with the fitted coefficients, in FOLDER/CASE/ under the base
    file's name; returns the paths written."""
    written = []
    for case in cases:
        values, source = prepare.section_input(program, case)
        for field, value in fitted.items():
            values[field] = float(override_text(value))
        target = os.path.join(folder, case.name, source.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if program == "cracking":
            inputs.write_general_input(values, target)
        else:
            inputs.write_faulting_input(values, target)
        written.append(target)
    return written


def write_study_with(path: str, study: Study, fitted: dict[str, float]) -> None:
    """The study with the fitted coefficients as override columns (added or
    replaced) on every row, section and model folders as absolute paths so
    that the copy runs from wherever it is written."""
    with open(study.path, newline="", encoding="utf-8-sig") as handle:
        rows = [r for r in csv.reader(handle) if any(c.strip() for c in r)]
    header = [c.strip() for c in rows[0]]
    columns = header + [f for f in fitted if f not in header]
    out = []
    folder = os.path.dirname(study.path)
    located = {"cracking", "faulting", "cracking_models", "faulting_models"}
    for cells in rows[1:]:
        row = {c: (cells[i].strip() if i < len(cells) else "") for i, c in enumerate(header)}
        for column in located & set(row):
            if row[column]:
                row[column] = os.path.normpath(os.path.join(folder, row[column]))
        row.update({f: override_text(v) for f, v in fitted.items()})
        out.append(row)
    write_study(path, out, columns)
