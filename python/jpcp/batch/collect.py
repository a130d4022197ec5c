"""The merged results of a run: DIR/summary.csv and DIR/report.html."""

from __future__ import annotations

import os

import pandas as pd

from jpcp.batch import prepare
from jpcp.batch.state import CaseState
from jpcp.batch.study import PROGRAMS, Study
from jpcp.summary import SUMMARY_COLUMNS, summary_rows

SUMMARY_FILE = "summary.csv"
REPORT_FILE = "report.html"
RESULT_FOLDERS = {"cracking": prepare.CRACKING_RESULTS, "faulting": "faulting"}


def _run_of(record: dict | None, program: str) -> dict | None:
    for run in (record or {}).get("runs", []):
        if run.get("program") == program:
            return run
    return None


def case_rows(run_dir: str, state: CaseState) -> list[dict]:
    """The summary rows of one case: those of its result folders, with the
    study's case name, the run's own verdict where it knows better (a run
    stopped by a numerical routine leaves partial results and no error
    file), and the seconds the program ran."""
    case, record = state.case, state.record
    folder = prepare.case_folder(run_dir, case.name)
    rows = []
    for program in PROGRAMS:
        if program not in case.bases:
            continue
        run = _run_of(record, program)
        results = os.path.join(folder, RESULT_FOLDERS[program])
        found = []
        if state.state != "pending" and os.path.isdir(results):
            found = [r for r in summary_rows(results) if r["kind"] == program]
        if not found:
            found = [dict.fromkeys(SUMMARY_COLUMNS, "") | {"kind": program, "status": "missing"}]
        for row in found:
            section = row.get("case", "")
            row["case"] = case.name if len(found) == 1 or not section else f"{case.name}:{section}"
            if state.state == "pending":
                row.update(status="missing", message="not finished")
            elif run is None and state.state == "failed":
                row.update(status="failed", message=state.message)
            elif run is not None and run["status"] != "ok":
                row["status"] = "failed"
                row["message"] = row.get("message") or (run["errors"][0] if run["errors"] else state.message)
            row["seconds"] = "" if run is None else f"{run['seconds']:.3f}"
            rows.append(row)
    return rows


class CaseRows:
    """The summary rows of each case, read once: a local run reads those of
    a case as it finishes, while the others run, not all after the last."""

    def __init__(self, run_dir: str):
        self.run_dir = run_dir
        self.known: dict[str, tuple[tuple, list[dict]]] = {}

    def rows(self, state: CaseState) -> list[dict]:
        # A case's rows stand while its state and status record do.
        key = (state.state, state.record)
        known = self.known.get(state.case.name)
        if known is None or known[0] != key:
            known = (key, case_rows(self.run_dir, state))
            self.known[state.case.name] = known
        return [dict(row) for row in known[1]]


def merged_summary(
    run_dir: str, study: Study, case_states: list[CaseState], rows: CaseRows | None = None
) -> pd.DataFrame:
    """Override columns (as written in the study), then the summary columns,
    then ``seconds``: one row per program (and section) of every case."""
    rows = rows or CaseRows(run_dir)
    table = []
    for state in case_states:
        overrides = {c: state.case.overrides.get(c, "") for c in study.override_columns}
        table += [overrides | row for row in rows.rows(state)]
    columns = study.override_columns + SUMMARY_COLUMNS + ["seconds"]
    return pd.DataFrame(table, columns=columns)


def collect(
    run_dir: str, study: Study, case_states: list[CaseState], models: dict[str, str], rows: CaseRows | None = None
) -> tuple[str, str]:
    """Writes summary.csv and report.html; returns their paths. ``models``:
    the run's model folders (cases may name their own); ``rows``: the rows
    already read."""
    from jpcp.batch.report import write_report

    table = merged_summary(run_dir, study, case_states, rows)
    summary_path = os.path.join(run_dir, SUMMARY_FILE)
    temporary = summary_path + ".tmp"
    table.to_csv(temporary, index=False)
    os.replace(temporary, summary_path)
    report_path = os.path.join(run_dir, REPORT_FILE)
    used = set(models.values()) | {m for state in case_states for m in state.case.models.values()}
    write_report(report_path, study, table, case_states, sorted(used))
    return summary_path, report_path
