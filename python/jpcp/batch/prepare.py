"""Case folders: the inputs of a case (base section + overrides) and its plan.

Layout of a run folder DIR:

    DIR/run.json                  options of the run (programs, models, engine)
    DIR/study.csv                 copy of the study the run was started with
    DIR/cases/CASE/               one folder per case
        plan.json                 the engine runs (worker.py)
        status.json               written when the case has finished
        cracking/                 cracking source folder (FileList.txt, inputs)
        cracking/results/         cracking results folder
        faulting/                 faulting source folder, also its results
        cracking.out/.err, faulting.out/.err   the programs' console output

Input files that the overrides do not change are hard links to the base
section's files (a copy where links are not possible): a 20-year temperature
file is many megabytes, and a study may hold thousands of cases.
"""

from __future__ import annotations

import os
import shutil
from functools import lru_cache
from pathlib import Path

from jpcp import inputs
from jpcp.batch.study import PROGRAMS, TRAFFIC_SCALE, Case
from jpcp.batch.worker import PLAN_FILE, write_json

CASES_FOLDER = "cases"
CRACKING_RESULTS = "cracking/results"
CRACKING_ERRORS = "JPCP Errors.txt"
FAULTING_ERRORS = "ErrorsFAULT.txt"
FAULTING_RESULT_FILES = ("JPCP_faulting.csv", "JPCP_faulting2.csv", "_Deflection.csv")
# Files a faulting run leaves in its source folder, removed before a rerun.
FAULTING_OUTPUTS = FAULTING_RESULT_FILES + (FAULTING_ERRORS, "Progress.tmp", "VersionFaulting.txt")
RESPONSE_FILE = "Response.txt"

AXLE_KEYS = {"single_axle": "single", "tandem_axle": "tandem", "tridem_axle": "tridem", "quad_axle": "quad"}


class CaseError(ValueError):
    """A case whose inputs cannot be prepared (reported, the others go on)."""


def _general_names() -> set[str]:
    return {f.name for f in inputs.GENERAL_FIELDS}


def _faulting_names() -> set[str]:
    return {f.name for f in inputs.FAULTING_FIELDS} | set(inputs.FaultingInput.ALIASES)


def program_fields(program: str) -> set[str]:
    """Override names that apply to a program's inputs."""
    names = _general_names() if program == "cracking" else _faulting_names()
    return names | {TRAFFIC_SCALE}


def known_field(name: str) -> bool:
    return name in program_fields("cracking") or name in program_fields("faulting")


def check_case(case: Case) -> None:
    """Refuses an override that none of the case's programs reads (it would
    silently run the base section)."""
    for name in case.overrides:
        if not any(name in program_fields(p) for p in case.bases):
            programs = " and ".join(case.bases)
            raise CaseError(f"case {case.name}: {name} is not an input of {programs}")


def _place(source: Path, target: Path) -> None:
    target.parent.mkdir(parents=True, exist_ok=True)
    try:
        os.link(source, target)
    except OSError:
        shutil.copyfile(source, target)


@lru_cache(maxsize=64)
def _general(path: str, stamp: tuple):
    return inputs.read_general_input(path)


@lru_cache(maxsize=64)
def _faulting(path: str, stamp: tuple):
    return inputs.read_faulting_input(path)


@lru_cache(maxsize=256)
def _axles(path: str, axle: str, stamp: tuple):
    return inputs.read_axle_spectra(path, axle)


def _stamp(path: Path) -> tuple:
    # Cache key part: a base file edited between two runs is read again.
    info = path.stat()
    return (info.st_size, info.st_mtime_ns)


def _numbers(case: Case, names: set[str]) -> dict[str, float]:
    return {k: float(v) for k, v in case.overrides.items() if k in names and k != TRAFFIC_SCALE}


class _Inputs:
    """Places one program's input files of a case: each distinct base file
    once, changed when an override touches it, linked otherwise."""

    def __init__(self, case: Case, base: Path, target: Path):
        self.case = case
        self.base = base
        self.target = target
        self.placed: dict[Path, str] = {}
        self.scale = float(case.overrides.get(TRAFFIC_SCALE, "1"))

    def name_for(self, name: str, write=_place) -> str:
        """Places the base file that a file-list entry names with ``write``
        (source, target); returns the entry for the case's file list."""
        source = inputs.source_path(self.base, name)
        if not source.is_file():
            # Left to the program, which reports the missing file in its
            # own words; the case then fails like any other.
            return name
        source = source.resolve()
        if source in self.placed:
            return self.placed[source]
        try:
            relative = source.relative_to(self.base.resolve()).as_posix()
            entry = name
        except ValueError:
            # A file outside the base folder (a shared climate file, say) is
            # brought into the case under a name of its own.
            relative = f"external_{len(self.placed) + 1}_{source.name}"
            entry = relative
        self.placed[source] = entry
        write(source, self.target / relative)
        return entry

    def writer(self, key: str, file_writer):
        """How to place the file of a file-list key: through ``file_writer``
        (the section input with overrides), scaled (axle spectra) or linked."""
        if file_writer is not None:
            return file_writer
        if key in AXLE_KEYS:
            return lambda source, target: self.axles(source, target, AXLE_KEYS[key])
        return _place

    def axles(self, source: Path, target: Path, axle: str) -> None:
        if self.scale == 1.0:
            _place(source, target)
            return
        try:
            table = _axles(str(source), axle, _stamp(source)).copy()
        except inputs.InputFileError:
            # An unreadable spectrum goes to the program unchanged: it
            # reports it with the message users know.
            _place(source, target)
            return
        columns = [c for c in table.columns if str(c).startswith("class_")]
        table[columns] = table[columns] * self.scale
        target.parent.mkdir(parents=True, exist_ok=True)
        inputs.write_axle_spectra(table, target)


def _copy_response(base: Path, target: Path) -> None:
    response = inputs.source_path(base, RESPONSE_FILE)
    if response.is_file():
        _place(response, target / RESPONSE_FILE)


def _prepare_cracking(case: Case, base: Path, target: Path) -> list[str]:
    """Writes the cracking source folder; returns the result files."""
    file_list = inputs.source_path(base, "FileList.txt")
    if not file_list.is_file():
        raise CaseError(f"case {case.name}: no FileList.txt in {base}")
    sections = inputs.read_file_list(file_list)
    if sections.empty:
        raise CaseError(f"case {case.name}: {file_list} lists no section")
    overrides = _numbers(case, _general_names())
    placer = _Inputs(case, base, target)
    keys = list(inputs.CRACKING_FILES)
    rows = []
    for row in sections.to_dict("records"):
        for key in keys:
            general = _general_writer(case, overrides) if key == "general_input" and overrides else None
            row[key] = placer.name_for(row[key], placer.writer(key, general))
        rows.append(row)
    sections = sections.assign(**{k: [r[k] for r in rows] for k in keys})
    inputs.write_file_list(sections, target / "FileList.txt")
    _copy_response(base, target)
    return [f"{CRACKING_RESULTS}/{inputs.result_name(s)}_Cracking.csv" for s in sections["section"]]


def _general_writer(case: Case, overrides: dict[str, float]):
    def write(source: Path, target: Path) -> None:
        general = _general(str(source), _stamp(source))
        varied = inputs.GeneralInput(values=dict(general.values))
        try:
            for name, value in overrides.items():
                varied[name] = value
        except ValueError as error:
            raise CaseError(f"case {case.name}: {error}") from None
        target.parent.mkdir(parents=True, exist_ok=True)
        inputs.write_general_input(varied, target)

    return write


def _prepare_faulting(case: Case, base: Path, target: Path) -> list[str]:
    """Writes the faulting source folder; returns the result files."""
    file_list = inputs.source_path(base, "FaultFileList.txt")
    if not file_list.is_file():
        raise CaseError(f"case {case.name}: no FaultFileList.txt in {base}")
    try:
        table = inputs.read_fault_file_list(file_list)
    except ValueError:
        raise CaseError(f"case {case.name}: {file_list} does not hold a section block") from None
    overrides = _numbers(case, _faulting_names())
    placer = _Inputs(case, base, target)
    row = table.to_dict("records")[0]
    null = inputs.is_null(row["section"])
    for key in inputs.FAULTING_FILES:
        section_input = _faulting_writer(case, overrides) if key == "section_input" and overrides else None
        row[key] = placer.name_for(row[key], placer.writer(key, section_input))
    if null and any(row[k] != v for k, v in inputs.FAULTING_FILES.items()):
        # A NULL block ignores its file lines: name the section so that the
        # program reads the entries written here.
        row["section"] = case.name
    inputs.write_fault_file_list(table.assign(**{k: [row[k]] for k in row}), target / "FaultFileList.txt")
    _copy_response(base, target)
    return ["JPCP_faulting.csv", "JPCP_faulting2.csv"]


def _faulting_writer(case: Case, overrides: dict[str, float]):
    def write(source: Path, target: Path) -> None:
        faulting = _faulting(str(source), _stamp(source))
        varied = inputs.FaultingInput(values=dict(faulting.values))
        try:
            for name, value in overrides.items():
                varied[name] = value
        except ValueError as error:
            raise CaseError(f"case {case.name}: {error}") from None
        target.parent.mkdir(parents=True, exist_ok=True)
        inputs.write_faulting_input(varied, target)

    return write


def case_folder(run_dir: str, name: str) -> str:
    return os.path.join(run_dir, CASES_FOLDER, name)


def prepare_case(run_dir: str, case: Case, models: dict[str, str], programs: dict[str, str], row: dict) -> str:
    """Writes a fresh case folder with its inputs and plan; returns it.

    ``models``: the run's model folder per program (for cases without their
    own); ``programs``: absolute path of each engine; ``row``: what defines
    the case, kept in its plan and status record.
    """
    folder = Path(case_folder(run_dir, case.name))
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    runs = []
    for program in PROGRAMS:
        if program not in case.bases:
            continue
        base = Path(case.bases[program])
        if not base.is_dir():
            raise CaseError(f"case {case.name}: the {program} folder {base} does not exist")
        model_folder = case.models.get(program) or models.get(program)
        if not model_folder:
            raise CaseError(f"case {case.name}: no {program} model folder (column {program}_models or --{program}-models)")
        if program == "cracking":
            (folder / CRACKING_RESULTS).mkdir(parents=True)
            results = _prepare_cracking(case, base, folder / "cracking")
            runs.append(
                {
                    "program": "cracking",
                    "command": [programs["cracking"], "cracking", CRACKING_RESULTS, model_folder],
                    "error_file": f"{CRACKING_RESULTS}/{CRACKING_ERRORS}",
                    "results": results,
                    "clean_folders": [CRACKING_RESULTS],
                }
            )
        else:
            results = _prepare_faulting(case, base, folder / "faulting")
            runs.append(
                {
                    "program": "faulting",
                    "command": [programs["faulting"], "faulting", model_folder],
                    "error_file": f"faulting/{FAULTING_ERRORS}",
                    "results": [f"faulting/{name}" for name in results],
                    "clean_files": [f"faulting/{name}" for name in FAULTING_OUTPUTS],
                }
            )
    write_json(str(folder / PLAN_FILE), {"case": case.name, "row": row, "runs": runs})
    return str(folder)
