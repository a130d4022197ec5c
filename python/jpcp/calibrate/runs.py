"""Runs of the study's cases with trial coefficients, in parallel, each run
kept by its coefficients so that a trial point is never run twice.

A run's source folder is prepared as ``jpcp batch`` prepares a case (the
base section with the case's overrides, the trial coefficients added as
overrides), run through ``jpcp.engines`` and removed; only the columns a
calibration needs are kept.
"""

from __future__ import annotations

import dataclasses
import os
import shutil
import tempfile
import threading
from concurrent.futures import ThreadPoolExecutor

from jpcp import engines
from jpcp.batch import prepare
from jpcp.batch.study import Case
from jpcp.calibrate.observations import CalibrationError

CRACKING_KEPT = ["Age(mo)", "BU_Single", "BU_Tandem", "BU_Tridem", "BU_Quad", "Toal_BU",
                 "TD_SWB", "TD_MWB", "TD_LWB", "Total_TD", "%Crack"]
FAULTING_KEPT = ["month", "faulting"]


def override_text(value: float) -> str:
    """A coefficient as a study cell: the shortest text of the float."""
    return repr(float(value))


class Runner:
    """Runs one program on the cases of a study.

    ``cases``: name -> Case; ``models``: name -> model folder; ``work``: a
    scratch folder (removed by the caller); ``jobs``: runs at a time.
    """

    def __init__(self, program: str, cases: dict[str, Case], models: dict[str, str], work: str, jobs: int,
                 engine: str = "auto"):
        self.program = program
        self.cases = cases
        self.models = models
        self.work = work
        self.jobs = max(1, jobs)
        self.engine = engine
        self.cache: dict[tuple, object] = {}
        self.runs = 0  # runs made (cache misses)
        self._lock = threading.Lock()
        # Preparing a folder may write a shared scaled axle spectrum: one
        # preparation at a time (it takes milliseconds, a run much longer).
        self._prepare_lock = threading.Lock()

    @staticmethod
    def key(case: str, trial: dict[str, float]) -> tuple:
        return (case, tuple(sorted((f, float(v)) for f, v in trial.items())))

    def _run(self, case_name: str, trial: dict[str, float]):
        case = self.cases[case_name]
        overrides = dict(case.overrides)
        overrides.update({field: override_text(v) for field, v in trial.items()})
        variant = dataclasses.replace(case, overrides=overrides)
        folder = tempfile.mkdtemp(prefix=f"{case_name}-", dir=self.work)
        source = os.path.join(folder, self.program)
        try:
            with self._prepare_lock:
                names = prepare.prepare_source(self.work, self.program, variant, source)
            if self.program == "cracking":
                if len(names) != 1:
                    raise CalibrationError(
                        f"case {case_name}: its cracking folder lists {len(names)} sections; a calibration needs one a case"
                    )
                result = engines.run_cracking(source, self.models[case_name], engine=self.engine)
                table = result.sections.get(names[0])
                if table is None:
                    raise CalibrationError(f"case {case_name}: the cracking run wrote no results for {names[0]}")
                return table[CRACKING_KEPT].copy()
            result = engines.run_faulting(source, self.models[case_name], engine=self.engine)
            if result.faulting is None:
                raise CalibrationError(f"case {case_name}: the faulting run wrote no JPCP_faulting.csv")
            return result.faulting[FAULTING_KEPT].copy()
        except prepare.CaseError as error:
            raise CalibrationError(str(error)) from None
        except engines.RunError as error:
            what = ", ".join(f"{f} = {v:g}" for f, v in sorted(trial.items())) or "the study's values"
            detail = f" ({error.detail.splitlines()[0]})" if error.detail else ""
            raise CalibrationError(f"case {case_name} with {what}: {error}{detail}") from None
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def tables(self, requests: list[tuple[str, dict[str, float]]]) -> list:
        """The result table of each (case, trial coefficients by field); the
        runs not made before are made, ``jobs`` at a time."""
        keys = [self.key(case, trial) for case, trial in requests]
        missing = {}
        for key, (case, trial) in zip(keys, requests):
            if key not in self.cache and key not in missing:
                missing[key] = (case, trial)
        if missing:
            if len(missing) == 1 or self.jobs == 1:
                done = {key: self._run(*request) for key, request in missing.items()}
            else:
                with ThreadPoolExecutor(self.jobs) as pool:
                    futures = {key: pool.submit(self._run, *request) for key, request in missing.items()}
                    done = {key: future.result() for key, future in futures.items()}
            with self._lock:
                self.cache.update(done)
                self.runs += len(done)
        return [self.cache[key] for key in keys]


def take_batch_results(runner: Runner, run_dir: str, case_names: list[str]) -> list[str]:
    """Fills the runner's cache, for the cases' own coefficients, from a
    finished ``jpcp batch run`` folder of the same study: a case counts when
    it finished without error for exactly its row of the study and the same
    model folder. Returns the cases taken."""
    from jpcp import results as readers
    from jpcp.batch import run as batch_run
    from jpcp.batch import state as batch_state
    from jpcp.batch.worker import PLAN_FILE, read_json

    try:
        _, settings = batch_run.read_run(run_dir)
    except (batch_run.RunError, OSError, ValueError) as error:
        raise CalibrationError(f"--from-run {run_dir}: {error}") from None
    taken = []
    for name in case_names:
        case = runner.cases[name]
        state = batch_state.case_state(run_dir, case, settings.get("models", {}))
        if state.state != "ok":
            continue
        if batch_state.effective_models(case, settings.get("models", {})).get(runner.program) != runner.models[name]:
            continue
        folder = prepare.case_folder(run_dir, name)
        plan = read_json(os.path.join(folder, PLAN_FILE)) or {"runs": []}
        files = [f for r in plan["runs"] if r.get("program") == runner.program for f in r.get("results", [])]
        if runner.program == "cracking":
            if len(files) != 1:
                continue  # several sections in one case: left to the check of a run
            table = readers.read_cracking(os.path.join(folder, files[0]))[CRACKING_KEPT].copy()
        else:
            path = os.path.join(folder, "faulting", "JPCP_faulting.csv")
            if not os.path.exists(path):
                continue
            table = readers.read_faulting(path)[FAULTING_KEPT].copy()
        runner.cache[Runner.key(name, {})] = table
        taken.append(name)
    return taken
