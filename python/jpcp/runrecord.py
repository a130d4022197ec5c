"""What the runner of a program kept of a run: the program's console output
(its WARNING lines) and the model folder it used.

Neither program writes these into its own files; whoever runs it keeps them:

- examples/run_example.sh writes, beside the results (the cracking results
  folder, the faulting source folder), ``cracking.out`` or ``faulting.out``
  (the program's standard output) and ``cracking.models`` or
  ``faulting.models`` (one line: the model folder of the run);
- ``jpcp batch`` keeps the same two files in the case folder
  (``DIR/cases/CASE``), whose ``plan.json`` says which folder holds the
  results of each program.

A runner that keeps neither (a program started by hand) leaves the warnings
and the model folder unknown; nothing is guessed.
"""

from __future__ import annotations

import json
from dataclasses import dataclass
from pathlib import Path

PLAN_FILE = "plan.json"  # the case plan of a jpcp batch run (jpcp.batch.worker)
# How many WARNING messages the report shows.
FIRST_WARNINGS = 5
# A message longer than a line goes on over lines that begin so.
CONTINUATION = " ***          "


def console_file(kind: str) -> str:
    return f"{kind}.out"


def models_file(kind: str) -> str:
    return f"{kind}.models"


def write_models(folder, kind: str, models) -> None:
    """Records the model folder of a run (absolute) in ``folder``."""
    Path(folder, models_file(kind)).write_text(str(Path(models).resolve()) + "\n", encoding="utf-8")


def _batch_case(section_folder: Path, kind: str) -> Path | None:
    """The jpcp batch case folder whose plan ran ``kind`` with its results
    in ``section_folder`` (one or two levels up), or None."""
    for case in (section_folder.parent, section_folder.parent.parent):
        try:
            plan = json.loads((case / PLAN_FILE).read_text(encoding="utf-8"))
        except (OSError, ValueError):
            continue
        for run in plan.get("runs", []):
            error_file = run.get("error_file", "")
            if run.get("program") == kind and error_file and (case / error_file).parent.resolve() == section_folder:
                return case
    return None


def record_folder(section_folder, kind: str) -> Path | None:
    """The folder that holds the run record of a section's results: the
    results folder itself, or the jpcp batch case folder; None when the
    runner kept no record."""
    folder = Path(section_folder).resolve()
    if (folder / console_file(kind)).exists() or (folder / models_file(kind)).exists():
        return folder
    return _batch_case(folder, kind)


def warning_blocks(text: str) -> list[str]:
    """The WARNING messages of a console output, one text per message (a
    message wrapped over continuation lines is joined)."""
    blocks: list[list[str]] = []
    inside = False
    for line in text.splitlines():
        stripped = line.strip()
        if line.startswith(" *** WARNING "):
            blocks.append([stripped])
            inside = True
        elif inside and line.startswith(CONTINUATION):
            blocks[-1].append(stripped[3:].strip())
        else:
            inside = False
    return [" ".join(block) for block in blocks]


@dataclass
class RunRecord:
    folder: Path | None  # where the record is; None: no record
    warnings: list[str] | None  # the WARNING messages; None: no console output kept
    models: Path | None  # the model folder; None: not recorded


def run_record(section_folder, kind: str) -> RunRecord:
    folder = record_folder(section_folder, kind)
    if folder is None:
        return RunRecord(None, None, None)
    warnings = None
    console = folder / console_file(kind)
    if console.exists():
        warnings = warning_blocks(console.read_text(encoding="latin-1", errors="replace"))
    models = None
    try:
        line = (folder / models_file(kind)).read_text(encoding="utf-8").strip()
    except OSError:
        line = ""
    if line:
        models = (folder / line).resolve()
    return RunRecord(folder, warnings, models)
