"""Which model folder a section's results came from, and whether it holds
the demonstration models.

A results folder does not record its model folder. The report takes the
folders given with --models; without them it looks for model folders
(those with an NNinfo.txt) beside the section's folder and one level up,
to two levels deep, the layout the example script writes
(out/example/cracking-results beside out/example/models/cracking). A model
folder is the faulting program's when it holds defl0.csv.
"""

from __future__ import annotations

from dataclasses import dataclass
from pathlib import Path

MARKER = "DEMONSTRATION.txt"


@dataclass
class ModelFolder:
    path: Path
    kind: str  # cracking or faulting
    demonstration: bool
    design: bool = False  # a complete design-grade build (jpcp_models install)


def describe(path) -> ModelFolder:
    path = Path(path)
    kind = "faulting" if (path / "defl0.csv").exists() else "cracking"
    demonstration = (path / MARKER).exists()
    info = path / "NNinfo.txt"
    if not demonstration and info.exists():
        demonstration = "demonstration" in info.read_text(encoding="latin-1", errors="replace").lower()
    from jpcp.models_path import is_design_folder

    return ModelFolder(path, kind, demonstration, not demonstration and is_design_folder(path))


def _model_folders_below(root: Path, depth: int) -> list[Path]:
    found = []
    if (root / "NNinfo.txt").exists():
        found.append(root)
    if depth > 0:
        try:
            children = sorted(p for p in root.iterdir() if p.is_dir())
        except OSError:
            children = []
        for child in children:
            found += _model_folders_below(child, depth - 1)
    return found


def models_for(section_folder, kind: str, given=()) -> list[ModelFolder]:
    """The model folders of the section's kind: the given ones, else those
    found near the section's folder."""
    if given:
        folders = [describe(p) for p in given]
    else:
        section_folder = Path(section_folder).resolve()
        candidates = _model_folders_below(section_folder.parent, 2)
        folders = [describe(p) for p in dict.fromkeys(candidates)]
    return [folder for folder in folders if folder.kind == kind]
