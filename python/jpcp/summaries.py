"""One row per section found in folders: how its run went and its last
results, with the numbers as the result files write them."""

from __future__ import annotations

from pathlib import Path

import pandas as pd

from jpcp import results
from jpcp.runrecord import run_record
from jpcp._text import ENCODING, split_fields
from jpcp.results.faulting import FAULTING2_HEADING_LINES
from jpcp.sections import CRACKING_ERRORS, CRACKING_SUFFIX, FAULTING_ERRORS, SectionRef, find_sections

SUMMARY_COLUMNS = [
    "case",  # section name
    "kind",  # cracking or faulting
    "status",  # ok; failed: the run's error file holds lines; missing: no result rows
    "months",  # last analysis month
    "percent_cracked",  # last %Crack, percent of slabs
    "damage_bottom_up",  # last Toal_BU
    "damage_top_down",  # last Total_TD
    "faulting_in",  # last mean faulting, in
    "warnings",  # WARNING messages on the console (points outside a model's range); empty: not kept
    "message",  # first error line
]
NUMERIC_COLUMNS = ["months", "percent_cracked", "damage_bottom_up", "damage_top_down", "faulting_in", "warnings"]


def _last_row(path: Path, skip: int) -> list[str] | None:
    """Fields (blanks stripped) of the last data row, None when there is none."""
    if not path.exists():
        return None
    lines = [line for line in path.read_text(encoding=ENCODING).splitlines()[skip:] if line.strip()]
    return split_fields(lines[-1]) if lines else None


def _row(ref: SectionRef) -> tuple[dict, list[str]]:
    """The summary row of one section without its status, and the error
    lines of its run."""
    row = dict.fromkeys(SUMMARY_COLUMNS, "")
    row.update(case=ref.name, kind=ref.kind)
    if ref.kind == "cracking":
        errors = results.read_errors(ref.folder / CRACKING_ERRORS)
        last = _last_row(ref.folder / (ref.name + CRACKING_SUFFIX), 1)
        if last is not None and len(last) >= 17:
            row.update(months=last[1], percent_cracked=last[16], damage_bottom_up=last[11], damage_top_down=last[15])
    else:
        errors = results.read_errors(ref.folder / FAULTING_ERRORS)
        last = _last_row(ref.folder / "JPCP_faulting2.csv", FAULTING2_HEADING_LINES)
        if last is not None and len(last) >= 16:
            row.update(months=last[0], faulting_in=last[15])
    row["status"] = "ok" if last is not None else "missing"
    warnings = run_record(ref.folder, ref.kind).warnings
    row["warnings"] = "" if warnings is None else str(len(warnings))
    return row, errors


def _statuses(rows: list[dict], errors: list[list[str]], refs: list[SectionRef]) -> None:
    """Marks the failed sections. The first reader that fails ends a
    cracking run, so in a results folder whose error file holds lines the
    first section without results is the failed one; the sections before
    it finished (ok) and those after it were not analysed (missing). When
    every section of the run has results, the error cannot be given to one
    of them and all are marked failed. A faulting run has one section."""
    blamed = set()
    for row, lines, ref in zip(rows, errors, refs):
        if not lines:
            continue
        if ref.kind == "cracking":
            run = [r for r, f in zip(rows, refs) if f.folder == ref.folder and f.kind == "cracking"]
            stopped = any(r["months"] == "" for r in run)
            if stopped and (row["months"] != "" or ref.folder in blamed):
                continue
            blamed.add(ref.folder)
        row.update(status="failed", message=lines[0])


def summary_rows(folders) -> list[dict]:
    """The rows of ``summary`` as dictionaries of texts keyed by column."""
    if isinstance(folders, (str, Path)):
        folders = [folders]
    refs = find_sections(folders)
    rows, errors = zip(*[_row(ref) for ref in refs]) if refs else ((), ())
    rows = list(rows)
    _statuses(rows, list(errors), refs)
    return rows


def summary(folders, numeric: bool = False) -> pd.DataFrame:
    """The summary table of every section found in ``folders`` (and their
    sub-folders). Numbers are kept as the text the files hold (no rounding
    of our own); ``numeric=True`` converts them to floats (NaN when empty)."""
    frame = pd.DataFrame(summary_rows(folders), columns=SUMMARY_COLUMNS)
    if numeric:
        for column in NUMERIC_COLUMNS:
            frame[column] = pd.to_numeric(frame[column], errors="coerce")
    return frame


def main(arguments: list[str]) -> int:
    import argparse
    import sys

    parser = argparse.ArgumentParser(prog="jpcp summary", description="One CSV row per section found in the folders.")
    parser.add_argument("folders", nargs="+", metavar="FOLDER")
    parser.add_argument("-o", "--output", metavar="FILE", help="write the CSV here instead of standard output")
    options = parser.parse_args(arguments)
    missing = [f for f in options.folders if not Path(f).is_dir()]
    if missing:
        parser.error("not a folder: " + ", ".join(missing))
    table = summary(options.folders)
    if options.output:
        table.to_csv(options.output, index=False)
    else:
        table.to_csv(sys.stdout, index=False)
    return 0
