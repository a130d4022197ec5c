"""The engines run as programs, one process a run."""

from __future__ import annotations

import os
import shutil
import subprocess
import tempfile
from pathlib import Path

from jpcp.engines.result import RunError, RunResult, combined_cracking, failed_run, warning_lines

# The engines and the companion programs, found alike.
PROGRAM_NAMES = {"cracking": "jpcp_cracking", "faulting": "jpcp_faulting", "example": "jpcp_example",
                 "models": "jpcp_models"}
CRACKING_ERRORS = "JPCP Errors.txt"
FAULTING_ERRORS = "ErrorsFAULT.txt"
# What jpcp_faulting writes into its source folder.
FAULTING_OUTPUTS = (
    "JPCP_faulting.csv", "JPCP_faulting2.csv", "_Deflection.csv", FAULTING_ERRORS, "Progress.tmp", "VersionFaulting.txt"
)


def find_program(program: str) -> str | None:
    """A program ("cracking", "faulting", or the section builder "example"
    and model builder "models"): in
    $JPCP_BUILD_DIR when set, else on the PATH, else beside an installed
    package (<prefix>/bin for the package in <prefix>/share/jpcp/python),
    else in the build folder of the source tree this package is in."""
    name = PROGRAM_NAMES[program]
    build = os.environ.get("JPCP_BUILD_DIR")
    candidates = [os.path.join(build, name)] if build else []
    on_path = shutil.which(name)
    if on_path:
        candidates.append(on_path)
    package = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))  # .../jpcp
    candidates.append(os.path.normpath(os.path.join(package, "..", "..", "..", "..", "bin", name)))
    candidates.append(os.path.normpath(os.path.join(package, "..", "..", "build", name)))
    for candidate in candidates:
        if os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return os.path.abspath(candidate)
    return None


def _program(program: str) -> str:
    found = find_program(program)
    if found is None:
        raise RunError(
            f"{PROGRAM_NAMES[program]} not found: build it, install the package, or set JPCP_BUILD_DIR",
            exit_status=None,
        )
    return found


def _error_lines(path: Path) -> list[str]:
    try:
        text = path.read_text(encoding="latin-1")
    except OSError:
        return []
    return [line.strip() for line in text.splitlines() if line.strip()]


def _run(command: list[str], error_file: Path) -> str:
    """Runs a program; its standard output when it ended without error,
    else raises RunError."""
    try:
        done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True)
    except OSError as error:
        raise RunError(f"cannot start {command[0]}: {error.strerror}") from error
    stdout = done.stdout.decode("latin-1")
    stderr = done.stderr.decode("latin-1")
    if done.returncode == 0:
        return stdout
    status = done.returncode if done.returncode > 0 else None
    killed = f"killed by signal {-done.returncode}" if done.returncode < 0 else None
    raise failed_run(os.path.basename(command[0]), _error_lines(error_file), stdout, stderr, status, killed)


def _link_or_copy(source: str, target: str) -> None:
    try:
        os.link(source, target)
    except OSError:
        shutil.copy2(source, target)


def _sibling_copy(source: Path) -> Path:
    """A copy of a source folder beside it (so that file names of its file
    list relative to the folder, ../ included, still find their files), or
    in the system's temporary folder when its parent cannot be written.
    Inputs are hard links where the file system allows (the program only
    reads them); the files the program writes are left out, so that it
    creates them anew and never writes through a link into the source."""
    try:
        parent = tempfile.mkdtemp(prefix=".jpcp-run-", dir=source.parent)
    except OSError:
        parent = tempfile.mkdtemp(prefix="jpcp-run-")
    copy = Path(parent) / source.name

    def outputs(folder, names):
        return [n for n in names if n in FAULTING_OUTPUTS] if Path(folder) == source else []

    shutil.copytree(source, copy, symlinks=True, ignore=outputs, copy_function=_link_or_copy)
    return copy


class ProcessEngine:
    """Runs jpcp_cracking and jpcp_faulting as programs."""

    name = "process"

    def run_cracking(self, source, models, results=None, summary=None, detail=False) -> RunResult:
        from jpcp import results as readers
        from jpcp.sections import listed_sections

        source = Path(source)
        scratch = None
        if results is None:
            scratch = Path(tempfile.mkdtemp(prefix="jpcp-cracking-"))
            folder = scratch
        else:
            folder = Path(results)
        try:
            command = [_program("cracking"), str(source), str(folder), str(models)]
            if summary is not None or detail:
                command.append(str(summary) if summary is not None else "summary.csv")
            if detail:
                command.append("detail")
            console = _run(command, folder / CRACKING_ERRORS)
            sections = {}
            for name in listed_sections(source):
                path = folder / f"{name}_Cracking.csv"
                if path.exists():
                    sections[name] = readers.read_cracking(path)
            table = None
            if summary is not None:
                path = folder / summary
                table = readers.read_calibration_summary(path) if path.exists() else None
            return RunResult(
                "cracking",
                cracking=combined_cracking(sections),
                sections=sections,
                summary=table,
                warnings=warning_lines(console),
            )
        finally:
            if scratch is not None:
                shutil.rmtree(scratch, ignore_errors=True)

    def run_faulting(self, source, models, results=None) -> RunResult:
        from jpcp import results as readers

        source = Path(source)
        in_place = results is not None and Path(results).resolve() == source.resolve()
        folder = source if in_place else _sibling_copy(source)
        try:
            console = _run([_program("faulting"), str(folder), str(Path(models).resolve())], folder / FAULTING_ERRORS)

            def read(reader, name):
                path = folder / name
                return reader(path) if path.exists() else None

            return RunResult(
                "faulting",
                faulting=read(readers.read_faulting, "JPCP_faulting.csv"),
                faulting2=read(readers.read_faulting2, "JPCP_faulting2.csv"),
                deflection=read(readers.read_deflections, "_Deflection.csv"),
                warnings=warning_lines(console),
            )
        finally:
            if not in_place:
                if results is not None:
                    _copy_written(source, folder, Path(results))
                shutil.rmtree(folder.parent, ignore_errors=True)


def _copy_written(source: Path, copy: Path, target: Path) -> None:
    """Copies into ``target`` the files a run wrote in the copy of its
    source folder: new ones, and those it rewrote (the copy keeps the
    source's modification times)."""
    target.mkdir(parents=True, exist_ok=True)
    for path in copy.iterdir():
        if not path.is_file():
            continue
        try:
            written = (source / path.name).stat().st_mtime_ns != path.stat().st_mtime_ns
        except OSError:
            written = True
        if written:
            shutil.copy2(path, target / path.name)
