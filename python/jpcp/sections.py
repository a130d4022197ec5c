"""Finding the sections in folders and reading everything of one section.

A cracking results folder holds "<section>_Cracking.csv" files (one per
section of the run), "JPCP Errors.txt" when an error was reported, and the
run-wide files (StressResults.csv, ESALs.txt, ...) of the run's last
section. A faulting folder is the source folder of its one section
(FaultFileList.txt) and also holds its results.
"""

from __future__ import annotations

import os
from dataclasses import dataclass, field
from pathlib import Path

import pandas as pd

from jpcp import inputs, results

CRACKING_SUFFIX = "_Cracking.csv"
CRACKING_ERRORS = "JPCP Errors.txt"
FAULTING_ERRORS = "ErrorsFAULT.txt"
CRACKING_MARKERS = (CRACKING_ERRORS, "VersionCracking.txt", "StressResults.csv", "ESALs.txt")
FAULTING_MARKERS = ("FaultFileList.txt", "JPCP_faulting.csv", "JPCP_faulting2.csv", FAULTING_ERRORS)


@dataclass
class SectionRef:
    kind: str  # "cracking" or "faulting"
    name: str  # section name (the name of the result files)
    folder: Path  # results folder (faulting: the source folder, which holds the results)
    source: Path | None = None  # source folder of the inputs, when found


def _walk(folders) -> list[Path]:
    """The folders and all their sub-folders, each once (folders given
    twice or inside one another are not counted twice)."""
    found, seen = [], set()
    for folder in folders:
        for root, dirs, _ in os.walk(folder):
            dirs.sort()
            key = Path(root).resolve()
            if key not in seen:
                seen.add(key)
                found.append(Path(root))
    return found


def cracking_names(folder: Path) -> list[str]:
    return sorted(p.name[: -len(CRACKING_SUFFIX)] for p in folder.glob("*" + CRACKING_SUFFIX))


def is_cracking_results(folder: Path) -> bool:
    return bool(cracking_names(folder)) or any((folder / m).exists() for m in CRACKING_MARKERS)


def is_faulting_folder(folder: Path) -> bool:
    return any((folder / m).exists() for m in FAULTING_MARKERS)


# Section column of each file list read, by file identity: the case folders
# of a batch run hold hard links of one base file list, read once for all.
_LISTED: dict[tuple, tuple[str, ...]] = {}


def _listed(file_list: Path, faulting: bool) -> tuple[str, ...]:
    """The section column of a file list (FileList.txt or, with
    ``faulting``, FaultFileList.txt); empty when it is missing or unreadable."""
    try:
        info = file_list.stat()
    except OSError:
        return ()
    key = (faulting, info.st_dev, info.st_ino, info.st_size, info.st_mtime_ns)
    if key not in _LISTED:
        if len(_LISTED) >= 4096:
            _LISTED.clear()
        reader = inputs.read_fault_file_list if faulting else inputs.read_file_list
        try:
            _LISTED[key] = tuple(reader(file_list)["section"])
        except (OSError, ValueError, KeyError):
            _LISTED[key] = ()
    return _LISTED[key]


def listed_sections(source: Path) -> tuple[str, ...]:
    """Result names of the sections in a cracking source folder's FileList.txt."""
    return tuple(inputs.result_name(s) for s in _listed(Path(source) / "FileList.txt", False))


def faulting_name(folder: Path) -> str:
    sections = _listed(folder / "FaultFileList.txt", True)
    return folder.name if not sections or inputs.is_null(sections[0]) else sections[0]


def find_cracking_source(results_folder: Path, names=()) -> Path | None:
    """The source folder of a cracking results folder: the one whose
    FileList.txt lists its sections. Looked for in the results folder, the
    folder above it (results kept inside the source folder) and the folders
    beside it; among these a folder whose name begins the results folder's
    name (cracking and cracking-results) is preferred. None when not found
    or ambiguous."""
    results_folder = Path(results_folder)
    parent = results_folder.parent
    beside = sorted(p for p in parent.iterdir() if p.is_dir() and p != results_folder) if parent.is_dir() else []
    listing = [p for p in [results_folder, parent, *beside] if listed_sections(p)]
    if names:
        listing = [p for p in listing if set(names) & set(listed_sections(p))]
    for direct in (results_folder, parent):
        if direct in listing:
            return direct
    prefixed = [p for p in listing if results_folder.name.startswith(p.name)]
    if len(prefixed) == 1:
        return prefixed[0]
    return listing[0] if len(listing) == 1 else None


def find_sections(folders) -> list[SectionRef]:
    """Every section found in the folders and their sub-folders, in this
    order per results folder: the sections its source folder lists, then
    any other section with results there. Sections listed in a source
    folder that no results folder was paired with have that source folder
    as ``folder`` (their results are missing)."""
    all_folders = _walk(folders)
    found: list[SectionRef] = []
    paired = set()
    for folder in all_folders:
        if is_faulting_folder(folder):
            found.append(SectionRef("faulting", faulting_name(folder), folder, folder))
        if not is_cracking_results(folder):
            continue
        names = cracking_names(folder)
        source = find_cracking_source(folder, names)
        if source is None and not names:
            source = find_cracking_source(folder)
        listed = list(listed_sections(source)) if source else []
        if source is not None:
            paired.add(source.resolve())
        ordered = list(dict.fromkeys(listed + names)) or [folder.name]
        found += [SectionRef("cracking", name, folder, source) for name in ordered]
    for folder in all_folders:
        if folder.resolve() not in paired and not is_cracking_results(folder):
            found += [SectionRef("cracking", name, folder, folder) for name in listed_sections(folder)]
    return found


@dataclass
class Section:
    """Everything of one section. Tables absent from the folder are None.

    Cracking: ``cracking`` (the section's _Cracking.csv), ``gradients`` and
    ``gradients_bonded`` (LTemp_ / LTemp_B_), and the run-wide files, which
    hold the run's last section: ``stress_results``, ``stress_results_bond``,
    ``stress_bottom``, ``stress_top``, ``esals`` (million ESALs),
    ``traffic`` (Traff.csv), ``calibration`` (summary files by name).
    Faulting: ``faulting`` (JPCP_faulting.csv, constants in its attrs),
    ``faulting2``, ``deflections``.
    Both: ``errors`` (messages), ``progress`` and, when the source folder
    was found, ``general_input`` or ``faulting_input``.
    """

    kind: str
    name: str
    folder: Path
    source: Path | None = None
    errors: list[str] = field(default_factory=list)
    progress: float | None = None
    cracking: pd.DataFrame | None = None
    gradients: results.GradientDistribution | None = None
    gradients_bonded: results.GradientDistribution | None = None
    stress_results: pd.DataFrame | None = None
    stress_results_bond: pd.DataFrame | None = None
    stress_bottom: pd.DataFrame | None = None
    stress_top: pd.DataFrame | None = None
    esals: float | None = None
    traffic: pd.DataFrame | None = None
    calibration: dict[str, pd.DataFrame] = field(default_factory=dict)
    faulting: pd.DataFrame | None = None
    faulting2: pd.DataFrame | None = None
    deflections: pd.DataFrame | None = None
    general_input: inputs.GeneralInput | None = None
    faulting_input: inputs.FaultingInput | None = None


def _maybe(reader, path: Path):
    return reader(path) if path.exists() else None


def _read_cracking_section(ref: SectionRef) -> Section:
    folder = ref.folder
    section = Section("cracking", ref.name, folder, ref.source)
    section.errors = results.read_errors(folder / CRACKING_ERRORS)
    section.progress = _maybe(results.read_progress, folder / "Progress.tmp")
    section.cracking = _maybe(results.read_cracking, folder / (ref.name + CRACKING_SUFFIX))
    section.gradients = _maybe(results.read_gradients, folder / f"LTemp_{ref.name}.csv")
    section.gradients_bonded = _maybe(results.read_gradients, folder / f"LTemp_B_{ref.name}.csv")
    section.stress_results = _maybe(results.read_stress_results, folder / "StressResults.csv")
    section.stress_results_bond = _maybe(results.read_stress_results, folder / "StressResultsBond.csv")
    section.stress_bottom = _maybe(results.read_stress_table, folder / "_StressBot.csv")
    section.stress_top = _maybe(results.read_stress_table, folder / "_StressTop.csv")
    section.esals = _maybe(results.read_esals, folder / "ESALs.txt")
    section.traffic = _maybe(results.read_traffic_summary, folder / "Traff.csv")
    for path in sorted(folder.iterdir()):
        if path.is_file() and path.suffix.lower() in (".csv", ".txt") and results.is_calibration_summary(path):
            section.calibration[path.name] = results.read_calibration_summary(path)
    if ref.source is not None:
        table = inputs.read_file_list(ref.source / "FileList.txt")
        rows = table[[inputs.result_name(s) == ref.name for s in table["section"]]]
        if len(rows):
            path = inputs.source_path(ref.source, rows.iloc[0]["general_input"])
            try:
                section.general_input = inputs.read_general_input(path)
            except (OSError, ValueError):
                section.general_input = None
    return section


def _read_faulting_section(ref: SectionRef) -> Section:
    folder = ref.folder
    section = Section("faulting", ref.name, folder, folder)
    section.errors = results.read_errors(folder / FAULTING_ERRORS)
    section.progress = _maybe(results.read_progress, folder / "Progress.tmp")
    section.faulting = _maybe(results.read_faulting, folder / "JPCP_faulting.csv")
    section.faulting2 = _maybe(results.read_faulting2, folder / "JPCP_faulting2.csv")
    section.deflections = _maybe(results.read_deflections, folder / "_Deflection.csv")
    if (folder / "FaultFileList.txt").exists():
        try:
            names = inputs.read_fault_file_list(folder / "FaultFileList.txt").iloc[0]
            section.faulting_input = inputs.read_faulting_input(inputs.source_path(folder, names["section_input"]))
        except (OSError, ValueError):
            section.faulting_input = None
    return section


def load_section(ref: SectionRef) -> Section:
    return _read_faulting_section(ref) if ref.kind == "faulting" else _read_cracking_section(ref)


def read_section(folder, name: str | None = None) -> Section:
    """Everything of one section's results in ``folder`` (not its
    sub-folders). ``name`` picks a cracking section when the folder holds
    several."""
    folder = Path(folder)
    refs = [r for r in find_sections([folder]) if r.folder == folder]
    if name is not None:
        refs = [r for r in refs if r.name == name]
    if not refs:
        raise FileNotFoundError(f"no section{' ' + name if name else ''} in {folder}")
    kinds = {r.kind for r in refs}
    if len(refs) > 1 and name is None:
        raise ValueError(f"{folder} holds several sections ({', '.join(r.name for r in refs)}): pass a name")
    if len(kinds) > 1:
        refs = [r for r in refs if r.kind == "cracking"]
    return load_section(refs[0])
