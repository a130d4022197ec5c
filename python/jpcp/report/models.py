"""Which model folder a section's results came from, and whether it holds
the demonstration models.

A results folder does not record its model folder; the runner does (see
jpcp.runrecord: the example script and jpcp batch keep it beside the
results). The report takes the folders given with --models, else the one
the run record names; without either the model folder is not known, and the
report says so rather than guess from the folders nearby. A model folder is
the faulting program's when it holds defl0.csv.
"""

from __future__ import annotations

from dataclasses import dataclass
from pathlib import Path

from jpcp.runrecord import run_record

MARKER = "DEMONSTRATION.txt"


@dataclass
class ModelFolder:
    path: Path
    kind: str  # cracking or faulting
    demonstration: bool
    exists: bool = True
    design: bool = False  # a complete design-grade build (jpcp_models install)


def describe(path) -> ModelFolder:
    path = Path(path)
    kind = "faulting" if (path / "defl0.csv").exists() else "cracking"
    demonstration = (path / MARKER).exists()
    info = path / "NNinfo.txt"
    if not demonstration and info.exists():
        demonstration = "demonstration" in info.read_text(encoding="latin-1", errors="replace").lower()
    from jpcp.models_path import is_design_folder

    return ModelFolder(path, kind, demonstration, path.is_dir(), not demonstration and is_design_folder(path))


def models_for(section_folder, kind: str, given=()) -> list[ModelFolder]:
    """The model folders of the section's kind: the given ones, else the one
    its run record names (kept even when it no longer exists or looks like
    the other program's); empty when not known."""
    if given:
        return [folder for folder in (describe(p) for p in given) if folder.kind == kind]
    recorded = run_record(section_folder, kind).models
    return [describe(recorded)] if recorded is not None else []
