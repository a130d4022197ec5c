"""Shared fixtures: the engines and one example run of each program.

The programs are taken from JPCP_BUILD_DIR (default <root>/build); the four
program targets are built there when missing.
"""

from __future__ import annotations

import os
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("JPCP_BUILD_DIR", ROOT / "build"))
PROGRAMS = ("jpcp_cracking", "jpcp_faulting", "jpcp_example", "jpcp_models", "jpcp_climate")


def program(name: str) -> Path:
    return BUILD / name


@pytest.fixture(scope="session")
def engines() -> Path:
    if not all(program(p).exists() for p in PROGRAMS):
        if not (BUILD / "CMakeCache.txt").exists():
            subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release"], check=True)
        for target in PROGRAMS:
            subprocess.run(["cmake", "--build", BUILD, "--target", target, "-j2"], check=True)
    return BUILD


def run(*command, check=True) -> subprocess.CompletedProcess:
    result = subprocess.run([str(c) for c in command], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise AssertionError(f"{command} exited {result.returncode}:\n{result.stdout}\n{result.stderr}")
    return result


def run_cracking(source: Path, results: Path, models: Path, check=True):
    results.mkdir(parents=True, exist_ok=True)
    return run(program("jpcp_cracking"), source, results, models, check=check)


def run_faulting(source: Path, models: Path, check=True):
    return run(program("jpcp_faulting"), source, models, check=check)


@dataclass
class ExampleRun:
    root: Path  # holds cracking/, cracking-results/, faulting/, models/
    cracking: Path
    results: Path
    faulting: Path
    cracking_models: Path
    faulting_models: Path


# A short section starting in October (month order is visible), dowelled,
# with the stress tables in US customary units (Response.txt holds 1).
EXAMPLE_OPTIONS = ["--design-life", "2", "--start-month", "10", "--thickness", "9.5", "--joint-spacing", "14",
                   "--dowel", "1.5", "--response", "1", "--name", "Sec1"]


@pytest.fixture(scope="session")
def example(engines, tmp_path_factory) -> ExampleRun:
    root = tmp_path_factory.mktemp("example")
    paths = ExampleRun(root, root / "cracking", root / "cracking-results", root / "faulting",
                       root / "models" / "cracking", root / "models" / "faulting")
    run(program("jpcp_example"), "cracking", paths.cracking, *EXAMPLE_OPTIONS)
    run(program("jpcp_example"), "faulting", paths.faulting, *EXAMPLE_OPTIONS)
    run(program("jpcp_models"), "demo-cracking", paths.cracking_models)
    run(program("jpcp_models"), "demo-faulting", paths.faulting_models)
    from jpcp.runrecord import write_models

    # What the example script keeps beside the results: console output and model folder.
    (paths.results / "cracking.out").write_text(run_cracking(paths.cracking, paths.results,
                                                             paths.cracking_models).stdout)
    (paths.faulting / "faulting.out").write_text(run_faulting(paths.faulting, paths.faulting_models).stdout)
    write_models(paths.results, "cracking", paths.cracking_models)
    write_models(paths.faulting, "faulting", paths.faulting_models)
    return paths


def copy_section(source: Path, target: Path) -> Path:
    """A copy of a section folder with its inputs only (no results)."""
    shutil.copytree(source, target, ignore=shutil.ignore_patterns("*_Cracking.csv", "*.out", "*.models", "JPCP_faulting*", "Version*",
                                                                 "_Deflection.csv", "Progress.tmp", "Errors*"))
    return target


@pytest.fixture(scope="session")
def cluster(tmp_path_factory):
    """A one-node Slurm cluster (batch_cluster.py); the test skips without one."""
    from batch_cluster import Cluster, ClusterUnavailable

    started = Cluster(tmp_path_factory.mktemp("slurm"))
    try:
        started.start()
    except ClusterUnavailable as reason:
        started.stop()
        pytest.skip(f"no Slurm test cluster: {reason}")
    yield started
    started.stop()
