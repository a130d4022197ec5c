"""Design trials on a Slurm cluster: the trials every running search asks
for are gathered into rounds, and each round is one `jpcp batch` study run
as a job array and waited for. The sections are built here, in the output
folder, which the cluster's nodes must see."""

from __future__ import annotations

import csv
import os
import shutil
import subprocess
import sys
import threading
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path

from jpcp.design.trials import ModelFolders, Trial, build_section, trial_options


@dataclass
class _Request:
    joint_spacing: float
    dowel: float
    thicknesses: list[float]
    trials: list[Trial] | None = None
    error: BaseException | None = None


class SlurmRounds:
    """``evaluate`` blocks a search until every search still running has
    asked for its trials; the last to ask runs the round for all."""

    def __init__(self, folder: Path, searches: int, options: dict[str, str], models: ModelFolders, jobs: int,
                 batch_options: list[str] = ()):
        self.folder = folder
        self.live = searches
        self.options = options
        self.models = models
        self.jobs = jobs
        self.batch_options = list(batch_options)
        self.pending: list[_Request] = []
        self.rounds = 0
        self.condition = threading.Condition()

    def evaluate(self, joint_spacing: float, dowel: float, thicknesses: list[float]) -> list[Trial]:
        request = _Request(joint_spacing, dowel, list(thicknesses))
        with self.condition:
            self.pending.append(request)
            self._run_when_all_asked()
            while request.trials is None and request.error is None:
                self.condition.wait()
        if request.error is not None:
            raise request.error
        return request.trials

    def finished(self) -> None:
        """A search ended: the others no longer wait for it."""
        with self.condition:
            self.live -= 1
            self._run_when_all_asked()

    def _run_when_all_asked(self) -> None:
        if not self.pending or len(self.pending) < self.live:
            return
        batch, self.pending = self.pending, []
        try:
            self._run(batch)
        except Exception as error:  # noqa: BLE001 - handed to every search of the round
            for request in batch:
                request.error = error
        self.condition.notify_all()

    def _run(self, batch: list[_Request]) -> None:
        self.rounds += 1
        folder = self.folder / f"round{self.rounds:03d}"
        cases = {}
        for request in batch:
            for thickness in request.thicknesses:
                name = f"L{request.joint_spacing:g}-d{request.dowel:g}-h{thickness:g}"
                cases[name] = (request.joint_spacing, request.dowel, thickness)
        sections = folder / "sections"

        def build(item):
            name, (spacing, dowel, thickness) = item
            build_section(sections / name, trial_options(self.options, thickness, spacing, dowel))

        with ThreadPoolExecutor(max_workers=self.jobs) as pool:
            list(pool.map(build, cases.items()))
        study = folder / "study.csv"
        with open(study, "w", newline="", encoding="utf-8") as stream:
            writer = csv.writer(stream, lineterminator="\n")
            writer.writerow(["case", "cracking", "faulting"])
            writer.writerows([name, f"sections/{name}/cracking", f"sections/{name}/faulting"] for name in cases)
        run = folder / "run"
        command = [sys.executable, "-m", "jpcp", "batch", "run", str(study), "--out", str(run), "--engine", "slurm",
                   "--wait", "--no-progress", "--cracking-models", str(self.models.cracking),
                   "--faulting-models", str(self.models.faulting), *self.batch_options]
        package = str(Path(__file__).resolve().parents[2])
        environment = dict(os.environ, PYTHONPATH=os.pathsep.join(
            p for p in (package, os.environ.get("PYTHONPATH")) if p))
        done = subprocess.run(command, capture_output=True, text=True, env=environment)
        summary = run / "summary.csv"
        if not summary.exists():
            detail = (done.stderr.strip() or done.stdout.strip()).splitlines()[-1:]
            raise RuntimeError(f"jpcp batch run (slurm) of round {self.rounds}: {' '.join(detail) or done.returncode}")
        values: dict[tuple[str, str], str] = {}
        with open(summary, newline="", encoding="utf-8") as stream:
            for row in csv.DictReader(stream):
                column = "percent_cracked" if row["kind"] == "cracking" else "faulting_in"
                if row["status"] == "ok":
                    values[row["case"], row["kind"]] = row[column]
        for request in batch:
            trials = []
            for thickness in request.thicknesses:
                name = f"L{request.joint_spacing:g}-d{request.dowel:g}-h{thickness:g}"
                missing = [kind for kind in ("cracking", "faulting") if (name, kind) not in values]
                if missing:
                    raise RuntimeError(f"round {self.rounds}: case {name}: no {' and '.join(missing)} result "
                                       f"(see {run})")
                trials.append(Trial(request.joint_spacing, request.dowel, thickness,
                                    float(values[name, "cracking"]), float(values[name, "faulting"]), 0.0))
            request.trials = trials
        # The sections and the run are large (hourly temperatures): only the
        # round's study and summary are kept.
        shutil.rmtree(sections, ignore_errors=True)
        shutil.copy(summary, folder / "summary.csv")
        shutil.rmtree(run, ignore_errors=True)
