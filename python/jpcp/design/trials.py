"""One design trial: the section built at a thickness, joint spacing and
dowel size by the section builder (jpcp_example), both programs run on it,
and the end-of-life distresses read from their results."""

from __future__ import annotations

import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
from concurrent.futures import Future, ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path
from typing import Callable

from jpcp.engines.process import find_program

DEMONSTRATION_LINE = "demonstration models: not for design"
MODEL_KINDS = ("cracking", "faulting")


class BuildError(RuntimeError):
    """The section builder refused its options; the message is its own."""


def program(name: str) -> str:
    found = find_program(name)
    if found is None:
        raise RuntimeError(f"jpcp_{name} not found: build it, install the package, or set JPCP_BUILD_DIR")
    return found


def builder_options() -> set[str]:
    """The option names of `jpcp_example --help` (without "--")."""
    text = subprocess.run([program("example"), "--help"], capture_output=True, text=True).stdout
    return set(re.findall(r"^\s+--([a-z][a-z0-9-]*)", text, flags=re.M)) - {"help", "version"}


def version() -> str:
    """The programs' version, e.g. "0.1.0" (the folder name of installed models)."""
    text = subprocess.run([program("example"), "--version"], capture_output=True, text=True).stdout
    match = re.search(r"\s(\d+(?:\.\d+)+)", text)
    return match.group(1) if match else "unknown"


def build_section(folder: Path, options: dict[str, str], kind: str = "both") -> None:
    """Writes folder/cracking and folder/faulting (kind "both") or the one
    section of that kind into folder."""
    # --option=VALUE: a negative value (growth -2) is not taken for an option.
    command = [program("example"), kind, str(folder)] + [f"--{key}={value}" for key, value in options.items()]
    done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if done.returncode != 0:
        lines = [line for line in done.stderr.splitlines() if line.strip() and not line.startswith("Run ")]
        raise BuildError(lines[0].removeprefix("jpcp_example: ") if lines else f"exit status {done.returncode}")


@dataclass
class ModelFolders:
    cracking: Path
    faulting: Path
    demonstration: dict[str, bool]  # per kind
    origin: dict[str, str]  # per kind: "given", "installed" or "demonstration cache"

    @property
    def any_demonstration(self) -> bool:
        return any(self.demonstration.values())


def _cache_home() -> Path:
    return Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache")


def _is_demonstration(folder: Path) -> bool:
    from jpcp.report.models import describe

    return describe(folder).demonstration


def _demonstration_folder(kind: str, release: str) -> Path:
    """The demonstration models of a kind, built once into the user's cache
    (written beside it and renamed, so that concurrent designs share it)."""
    folder = _cache_home() / "jpcp" / "demonstration-models" / release / kind
    if not (folder / "NNinfo.txt").exists():
        folder.parent.mkdir(parents=True, exist_ok=True)
        scratch = Path(tempfile.mkdtemp(prefix=f".{kind}-", dir=folder.parent))
        done = subprocess.run([program("models"), f"demo-{kind}", str(scratch / kind)], capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"jpcp_models demo-{kind}: {done.stderr.strip() or done.returncode}")
        try:
            (scratch / kind).rename(folder)
        except OSError:  # another design built it meanwhile
            pass
        shutil.rmtree(scratch, ignore_errors=True)
    return folder


def model_folders(cracking=None, faulting=None) -> ModelFolders:
    """The given folders; else the complete design-grade models installed
    (jpcp.models_path: the user's data folder, then the package's); else
    the demonstration models."""
    from jpcp.models_path import design_model_folders

    given = {"cracking": cracking, "faulting": faulting}
    installed = design_model_folders()
    folders, origin = {}, {}
    for kind in MODEL_KINDS:
        if given[kind] is not None:
            folders[kind], origin[kind] = Path(given[kind]).resolve(), "given"
        elif installed is not None:
            folders[kind], origin[kind] = installed[kind], "installed"
        else:
            folders[kind], origin[kind] = _demonstration_folder(kind, version()), "demonstration cache"
    return ModelFolders(folders["cracking"], folders["faulting"],
                        {kind: _is_demonstration(folders[kind]) for kind in MODEL_KINDS}, origin)


@dataclass
class Trial:
    joint_spacing: float  # ft
    dowel: float  # in
    thickness: float  # in
    cracking: float  # percent slabs cracked at the end of the design life
    faulting: float  # in: mean joint faulting in the last month analysed
    seconds: float  # wall time of the trial, section building included


def trial_options(options: dict[str, str], thickness: float, joint_spacing: float | None,
                  dowel: float | None) -> dict[str, str]:
    """The builder options of one trial: the section's own with the design
    variables set (the same seed and weather in every trial)."""
    chosen = dict(options, thickness=f"{thickness:g}")
    if joint_spacing is not None:
        chosen["joint-spacing"] = f"{joint_spacing:g}"
    if dowel is not None:
        chosen["dowel"] = f"{dowel:g}"
    return chosen


class SharedCracking:
    """End-of-life percent slabs cracked by (thickness, joint spacing). The
    cracking program does not see the dowels (the builder writes the same
    cracking section whatever the dowel size), so the searches of several
    dowel sizes share its runs: the first trial to ask runs it, the others
    wait for its result."""

    def __init__(self):
        self._lock = threading.Lock()
        self._results: dict[tuple[float, float], Future] = {}

    def get(self, key: tuple[float, float], compute: Callable[[], float]) -> float:
        with self._lock:
            future = self._results.get(key)
            first = future is None
            if first:
                future = self._results[key] = Future()
        if first:
            try:
                future.set_result(compute())
            except BaseException as error:  # handed to every trial waiting for it
                future.set_exception(error)
        return future.result()


def run_trial(scratch: Path, options: dict[str, str], thickness: float, joint_spacing: float, dowel: float,
              models: ModelFolders, engine: str = "auto", built: Path | None = None,
              shared: SharedCracking | None = None) -> Trial:
    """Builds the trial's two sections in a folder of its own under scratch,
    runs both programs and removes the folder; ``built``: a folder holding
    the trial's cracking/ and faulting/ sections already (left in place);
    ``shared``: cracking results shared with the trials of other dowel
    sizes. The cracking and the faulting side (build, then run) go side by
    side: they share nothing."""
    from jpcp import engines

    start = time.perf_counter()
    folder = built or Path(tempfile.mkdtemp(prefix=f"h{thickness:g}-L{joint_spacing:g}-d{dowel:g}-", dir=scratch))
    chosen = trial_options(options, thickness, joint_spacing, dowel)

    def last(table, column: str, program: str) -> float:
        if table is None or table.empty:
            raise RuntimeError(f"{program} wrote no result rows for the trial at {thickness:g} in")
        return float(table[column].iloc[-1])

    def cracking() -> float:
        if built is None:
            build_section(folder / "cracking", chosen, "cracking")
        return last(engines.run_cracking(folder / "cracking", models.cracking, engine=engine).cracking,
                    "%Crack", "jpcp_cracking")

    def faulting() -> float:
        if built is None:
            build_section(folder / "faulting", chosen, "faulting")
        return last(engines.run_faulting(folder / "faulting", models.faulting, engine=engine).faulting,
                    "faulting", "jpcp_faulting")

    try:
        with ThreadPoolExecutor(max_workers=2) as pool:
            cracked = pool.submit(shared.get, (thickness, joint_spacing), cracking) if shared else pool.submit(cracking)
            faulted = pool.submit(faulting)
            cracked, faulted = cracked.result(), faulted.result()
    finally:
        if built is None:
            shutil.rmtree(folder, ignore_errors=True)
    return Trial(joint_spacing, dowel, thickness, cracked, faulted, time.perf_counter() - start)
