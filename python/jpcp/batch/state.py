"""The state of each case of a run folder: finished, failed or pending."""

from __future__ import annotations

import os
from dataclasses import dataclass

from jpcp.batch import prepare
from jpcp.batch.study import MODEL_COLUMNS, Case, Study
from jpcp.batch.worker import PLAN_FILE, STATUS_FILE, read_json, results_complete


def effective_models(case: Case, models: dict[str, str]) -> dict[str, str]:
    return {p: case.models.get(p) or models.get(p, "") for p in case.bases}


def identity(case: Case, models: dict[str, str]) -> dict:
    """What a finished case must match to count as done: its study row with
    the model folders it actually used."""
    row = case.row()
    for program, folder in effective_models(case, models).items():
        row[MODEL_COLUMNS[program]] = folder
    return row


@dataclass
class CaseState:
    case: Case
    state: str  # ok, failed, pending
    record: dict | None = None

    @property
    def message(self) -> str:
        return (self.record or {}).get("message", "")


def case_state(run_dir: str, case: Case, models: dict[str, str]) -> CaseState:
    """ok: finished without error and its results are all there; failed:
    finished with an error (or could not be prepared); pending: not run,
    killed before its record was written, or run for other inputs."""
    folder = prepare.case_folder(run_dir, case.name)
    record = read_json(os.path.join(folder, STATUS_FILE))
    if record is None or record.get("row") != identity(case, models):
        return CaseState(case, "pending", None)
    if record.get("status") != "ok":
        return CaseState(case, "failed", record)
    plan = read_json(os.path.join(folder, PLAN_FILE)) or {"runs": [{"results": ["?"]}]}
    if not all(results_complete(folder, run) for run in plan["runs"]):
        return CaseState(case, "pending", None)
    return CaseState(case, "ok", record)


def states(run_dir: str, study: Study, models: dict[str, str]) -> list[CaseState]:
    return [case_state(run_dir, case, models) for case in study.cases]
