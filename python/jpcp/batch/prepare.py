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
        cracking.models, faulting.models       the model folder of each program

Input files that the overrides do not change are hard links to the base
section's files (a copy where links are not possible): a 20-year temperature
file is many megabytes, and a study may hold thousands of cases.
"""

from __future__ import annotations

import hashlib
import os
import shutil
import threading
from dataclasses import dataclass
from functools import lru_cache
from pathlib import Path

from jpcp import inputs
from jpcp.batch.study import PROGRAMS, TRAFFIC_SCALE, Case
from jpcp.batch.worker import PLAN_FILE, write_json
from jpcp.runrecord import write_models

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


# The section input each program's overrides change.
SECTION_INPUTS = {"cracking": inputs.GeneralInput, "faulting": inputs.FaultingInput}


def program_fields(program: str) -> set[str]:
    """Override names that apply to a program's inputs."""
    return SECTION_INPUTS[program].accepted() | {TRAFFIC_SCALE}


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
    try:
        os.link(source, target)
    except FileNotFoundError:
        target.parent.mkdir(parents=True, exist_ok=True)
        _place(source, target)
    except OSError:
        shutil.copyfile(source, target)


def _stamp(path: Path) -> tuple:
    # Cache key part: a base file edited between two runs is read again.
    info = path.stat()
    return (str(path), info.st_size, info.st_mtime_ns)


@lru_cache(maxsize=64)
def _general(stamp: tuple):
    return inputs.read_general_input(stamp[0])


@lru_cache(maxsize=64)
def _faulting(stamp: tuple):
    return inputs.read_faulting_input(stamp[0])


@lru_cache(maxsize=256)
def _axles(stamp: tuple, axle: str):
    return inputs.read_axle_spectra(stamp[0], axle)


def _numbers(case: Case, names: set[str]) -> dict[str, float]:
    return {k: float(v) for k, v in case.overrides.items() if k in names and k != TRAFFIC_SCALE}


@dataclass
class _File:
    source: Path  # the base file (resolved)
    relative: str  # where it goes in the case's source folder
    role: str  # "section" (the input the overrides change), an axle type, or ""


@dataclass
class _Template:
    """What a base section folder holds for a case: its distinct input
    files and the file list to write. Worked out once per base folder (and
    again when its file list changes), since every case of a study repeats it."""

    files: list[_File]
    file_list: Path  # the base's file list, linked as it is when ``listing`` is None
    listing: str | None  # the text of a rewritten file list
    sections: list[str]  # result names of the sections (cracking)
    response: Path | None


def _template(program: str, base: Path) -> _Template:
    name = "FileList.txt" if program == "cracking" else "FaultFileList.txt"
    file_list = inputs.source_path(base, name)
    if not file_list.is_file():
        raise CaseError(f"no {name} in {base}")
    return _template_of(program, _stamp(file_list), str(base))


@lru_cache(maxsize=64)
def _template_of(program: str, stamp: tuple, base_text: str) -> _Template:
    base = Path(base_text)
    file_list = Path(stamp[0])
    try:
        rows = inputs.file_list_rows(file_list) if program == "cracking" else inputs.fault_file_list_rows(file_list)
    except ValueError:
        raise CaseError(f"{file_list} does not hold a section block") from None
    if not rows:
        raise CaseError(f"{file_list} lists no section")
    keys = list(inputs.CRACKING_FILES if program == "cracking" else inputs.FAULTING_FILES)
    section_key = keys[0]
    resolved_base = base.resolve()
    placed: dict[Path, _File] = {}
    entries: dict[Path, str] = {}
    rewritten = False
    for row in rows:
        for key in keys:
            source = inputs.source_path(base, row[key])
            if not source.is_file():
                # Left to the program, which reports the missing file in
                # its own words; the case then fails like any other.
                continue
            source = source.resolve()
            if source not in placed:
                try:
                    relative = source.relative_to(resolved_base).as_posix()
                    entries[source] = row[key]
                except ValueError:
                    # A file outside the base folder (a shared climate file,
                    # say) comes into the case under a name of its own.
                    relative = f"external_{len(placed) + 1}_{source.name}"
                    entries[source] = relative
                role = "section" if key == section_key else AXLE_KEYS.get(key, "")
                placed[source] = _File(source, relative, role)
            if entries[source] != row[key]:
                row[key] = entries[source]
                rewritten = True
    listing = None
    if rewritten:
        if program == "faulting" and inputs.is_null(rows[0]["section"]):
            # A NULL block ignores its file lines: name the section so that
            # the program reads the entries written here.
            rows[0]["section"] = "section"
        listing = inputs.file_list_text(rows) if program == "cracking" else inputs.fault_file_list_text(rows)
    response = inputs.source_path(base, RESPONSE_FILE)
    return _Template(
        files=list(placed.values()),
        file_list=file_list,
        listing=listing,
        sections=[inputs.result_name(r["section"]) for r in rows] if program == "cracking" else [],
        response=response if response.is_file() else None,
    )


def _shared_scaled(run_dir: Path, source: Path, axle: str, scale: float) -> Path | None:
    """The axle spectrum scaled by ``scale``, written once per run for every
    case that uses the same file and factor (cases link to it); None when
    the spectrum cannot be read (the program then reports it in its words)."""
    stamp = _stamp(source)
    key = hashlib.sha1(repr((stamp, axle, float(scale))).encode()).hexdigest()[:20]
    shared = run_dir / "shared" / f"{key}_{source.name}"
    if shared.exists():
        return shared
    try:
        table = _axles(stamp, axle).copy()
    except inputs.InputFileError:
        return None
    columns = [c for c in table.columns if str(c).startswith("class_")]
    table[columns] = table[columns] * scale
    shared.parent.mkdir(parents=True, exist_ok=True)
    temporary = shared.with_name(shared.name + f".{os.getpid()}.{threading.get_ident()}.tmp")
    inputs.write_axle_spectra(table, temporary)
    os.replace(temporary, shared)
    return shared


def _section_writer(program: str, case: Case, overrides: dict[str, float]):
    """Writes the section input file (General input or the faulting section
    input) of the base with the case's overrides."""

    def write(source: Path, target: Path) -> None:
        try:
            if program == "cracking":
                values = inputs.GeneralInput(values=dict(_general(_stamp(source)).values))
            else:
                values = inputs.FaultingInput(values=dict(_faulting(_stamp(source)).values))
            for name, value in overrides.items():
                values[name] = value
        except ValueError as error:  # an unreadable base file or a non-integer for an integer field
            raise CaseError(f"case {case.name}: {error}") from None
        target.parent.mkdir(parents=True, exist_ok=True)
        if program == "cracking":
            inputs.write_general_input(values, target)
        else:
            inputs.write_faulting_input(values, target)

    return write


def _prepare_inputs(run_dir: Path, program: str, case: Case, base: Path, target: Path) -> list[str]:
    """Writes one program's source folder of a case; returns the names of
    the sections' result files."""
    try:
        template = _template(program, base)
    except CaseError as error:
        raise CaseError(f"case {case.name}: {error}") from None
    overrides = _numbers(case, program_fields(program))
    scale = float(case.overrides.get(TRAFFIC_SCALE, "1"))
    target.mkdir(parents=True, exist_ok=True)
    for item in template.files:
        destination = target / item.relative
        if item.role == "section" and overrides:
            _section_writer(program, case, overrides)(item.source, destination)
            continue
        if item.role in AXLE_KEYS.values() and scale != 1.0:
            scaled = _shared_scaled(run_dir, item.source, item.role, scale)
            _place(scaled or item.source, destination)
            continue
        _place(item.source, destination)
    list_name = "FileList.txt" if program == "cracking" else "FaultFileList.txt"
    if template.listing is None:
        _place(template.file_list, target / list_name)
    else:
        (target / list_name).write_text(template.listing, encoding="latin-1")
    if template.response is not None:
        _place(template.response, target / RESPONSE_FILE)
    return template.sections


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
        # The report reads the model folder of each program's results here.
        write_models(folder, program, model_folder)
        if program == "cracking":
            (folder / CRACKING_RESULTS).mkdir(parents=True)
            sections = _prepare_inputs(Path(run_dir), "cracking", case, base, folder / "cracking")
            results = [f"{CRACKING_RESULTS}/{name}_Cracking.csv" for name in sections]
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
            _prepare_inputs(Path(run_dir), "faulting", case, base, folder / "faulting")
            results = ["JPCP_faulting.csv", "JPCP_faulting2.csv"]
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


def prepare_source(run_dir: str, program: str, case: Case, target: str) -> list[str]:
    """Writes one program's source folder of a case into ``target`` (the
    base section's inputs with the case's overrides, as a case folder holds
    them), without a plan; returns the result names of its sections
    (cracking). ``run_dir`` holds the scaled axle spectra shared by cases."""
    base = Path(case.bases[program])
    if not base.is_dir():
        raise CaseError(f"case {case.name}: the {program} folder {base} does not exist")
    return _prepare_inputs(Path(run_dir), program, case, base, Path(target))


def section_input(program: str, case: Case):
    """The section input a case runs with (General input or faulting section
    input: the base section's file with the case's overrides) and the base
    file's path."""
    base = Path(case.bases[program])
    try:
        template = _template(program, base)
    except CaseError as error:
        raise CaseError(f"case {case.name}: {error}") from None
    section = next((f for f in template.files if f.role == "section"), None)
    if section is None:
        raise CaseError(f"case {case.name}: the {program} folder {base} has no section input file")
    try:
        stored = _general(_stamp(section.source)) if program == "cracking" else _faulting(_stamp(section.source))
        values = SECTION_INPUTS[program](values=dict(stored.values))
        for name, value in _numbers(case, program_fields(program)).items():
            values[name] = value
    except ValueError as error:
        raise CaseError(f"case {case.name}: {error}") from None
    return values, section.source
