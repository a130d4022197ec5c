"""Where the design-grade model folders are.

``jpcp_models install`` builds them once into
``$XDG_DATA_HOME/jpcp/models/VERSION/{cracking,faulting}`` (or
``~/.local/share/jpcp/models/VERSION/...``); the jpcp-models package puts
them under ``<prefix>/share/jpcp/models/{cracking,faulting}``. A folder
counts when its MANIFEST.json says it is a complete design-grade build.
Without them the callers use the demonstration models and print
``FALLBACK_LINE``.
"""

from __future__ import annotations

import json
import os
import re
from pathlib import Path

PROGRAMS = ("cracking", "faulting")

FALLBACK_LINE = (
    "design-grade models not installed: using the demonstration models (not for design); "
    "build the design-grade ones once with 'jpcp_models install'"
)


def is_design_folder(path) -> bool:
    """Whether the folder holds a complete design-grade build."""
    try:
        manifest = json.loads((Path(path) / "MANIFEST.json").read_text(encoding="utf-8"))
    except (OSError, ValueError):
        return False
    return (
        isinstance(manifest, dict)
        and manifest.get("complete") is True
        and manifest.get("settings", {}).get("grade") == "design"
    )


def _version_key(name: str):
    return [int(part) if part.isdigit() else part for part in re.split(r"[.-]", name)]


def candidate_roots() -> list[Path]:
    """Folders that may hold cracking/ and faulting/, in the order tried:
    the user's data folder (newest version first), then the package's
    share/ folders."""
    data = os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")
    roots = []
    user = Path(data) / "jpcp" / "models"
    try:
        versions = sorted((p for p in user.iterdir() if p.is_dir()), key=lambda p: _version_key(p.name), reverse=True)
    except OSError:
        versions = []
    roots += versions
    package = Path(__file__).resolve().parent  # <prefix>/share/jpcp/python/jpcp when installed
    roots.append(package.parent.parent / "models")
    roots += [Path("/usr/local/share/jpcp/models"), Path("/usr/share/jpcp/models")]
    return roots


def design_model_folders() -> dict[str, Path] | None:
    """The cracking and faulting folders of the first root that has both
    complete, else None."""
    for root in candidate_roots():
        folders = {p: root / p for p in PROGRAMS}
        if all(is_design_folder(f) for f in folders.values()):
            return folders
    return None


def find_models_program() -> str | None:
    """jpcp_models: in $JPCP_BUILD_DIR when set, else on the PATH, else
    beside an installed package, else in the source tree's build folder."""
    import shutil

    candidates = []
    build = os.environ.get("JPCP_BUILD_DIR")
    if build:
        candidates.append(os.path.join(build, "jpcp_models"))
    on_path = shutil.which("jpcp_models")
    if on_path:
        candidates.append(on_path)
    package = Path(__file__).resolve().parent
    candidates.append(str(package.parent.parent.parent.parent / "bin" / "jpcp_models"))
    candidates.append(str(package.parent.parent / "build" / "jpcp_models"))
    for candidate in candidates:
        if os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return os.path.abspath(candidate)
    return None


def default_model_folders(work_dir, programs=PROGRAMS) -> tuple[dict[str, str], str]:
    """Model folders for the programs that were given none: the design-grade
    ones when installed, else demonstration folders built into
    WORK_DIR/demonstration-models. Returns the folders and the line to print
    (which folders, or FALLBACK_LINE); no folders when jpcp_models is not
    found either."""
    import subprocess

    design = design_model_folders()
    if design is not None:
        folders = {p: str(design[p]) for p in programs}
        return folders, "using the design-grade models in " + str(design[programs[0]].parent)
    program = find_models_program()
    if program is None:
        return {}, FALLBACK_LINE
    folders = {}
    for p in programs:
        folder = os.path.join(os.path.abspath(work_dir), "demonstration-models", p)
        if not (Path(folder) / "NNinfo.txt").exists():
            subprocess.run([program, f"demo-{p}", folder], check=True, stdout=subprocess.DEVNULL)
        folders[p] = folder
    return folders, FALLBACK_LINE
