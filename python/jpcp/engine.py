"""The engines in this process: the C++ library through the ``_jpcp_engine``
extension module (built into build/python/, installed into Python's
dist-packages by the package).

    from jpcp import engine
    result = engine.run_cracking("sections/cracking", "models/cracking")
    result.cracking["%Crack"].iloc[-1]
    result = engine.run_faulting("sections/faulting", "models/faulting")

A run reads its section folder and model folder from disk and keeps its
result files in memory: with ``results=None`` nothing is written. The tables
are those of the ``jpcp.results`` readers, read from the same text the
programs write. A run that reports an error or stops (a malformed model
file, a terminal spline error) raises ``RunError`` with the error-file
lines, the detail and the exit status (1 or 3); the interpreter goes on.
The GIL is released while a section is analysed: runs on several threads
proceed side by side. Parsed model files are kept between runs (``models``,
keyed by folder and file; a file changed on disk is read again).
"""

from __future__ import annotations

import os
from pathlib import Path

import _jpcp_engine

from jpcp.engines.result import RunError, RunResult, combined_cracking, failed_run, warning_lines

PROGRAMS = {"cracking": "jpcp_cracking", "faulting": "jpcp_faulting"}
ERROR_FILES = {"cracking": "JPCP Errors.txt", "faulting": "ErrorsFAULT.txt"}
# Written while a program runs, for a caller that watches it; not a result.
_PROGRESS = "Progress.tmp"

# The parsed model files of every run of this process (shared safely
# between threads).
models = _jpcp_engine.ModelCache()


def _decode(data: bytes) -> str:
    return data.decode("latin-1")


def _files(raw) -> dict[str, bytes]:
    return {os.path.basename(path): data for path, data in raw["files"] if os.path.basename(path) != _PROGRESS}


# Files the cracking program appends to (one block per analysis, across runs).
_APPENDED = ("StressResults.csv", "StressResultsBond.csv")


def _write(kind: str, raw, results) -> None:
    """The run's files into a results folder, as the program leaves them:
    Progress.tmp with its last value, the stress summaries appended to."""
    folder = Path(results)
    folder.mkdir(parents=True, exist_ok=True)
    for path, data in raw["files"]:
        name = os.path.basename(path)
        with open(folder / name, "ab" if name in _APPENDED else "wb") as handle:
            handle.write(data)
    if raw["diagnostics"]:
        text = "".join(f" {message}\n" for message, _ in raw["diagnostics"])
        (folder / ERROR_FILES[kind]).write_bytes(text.encode("latin-1"))


def _raise_on_error(kind: str, raw) -> None:
    status = raw["exit_status"]
    if status == 0:
        return
    lines = [message.strip() for message, _ in raw["diagnostics"] if message.strip()]
    raise failed_run(PROGRAMS[kind], lines, _decode(raw["stdout"]), _decode(raw["stderr"]), status)


def run_cracking(source, models_folder, results=None, summary=None, detail=False) -> RunResult:
    """Runs the cracking engine on a source folder (FileList.txt and the
    section files) with an NN model folder. ``summary`` names the
    calibration summary file (calibration mode); ``detail`` also gives each
    calibration analysis's section files. ``results``: a folder that
    receives the result files too (None: nothing is written)."""
    from jpcp import results as readers
    from jpcp.results.tables import MemoryFile
    from jpcp.sections import listed_sections

    if summary is None and detail:
        summary = "summary.csv"
    raw = _jpcp_engine.run_cracking(str(source), str(models_folder), summary or "", bool(detail), cache=models)
    files = _files(raw)
    if results is not None:
        _write("cracking", raw, results)
    _raise_on_error("cracking", raw)
    sections = {}
    for name in listed_sections(Path(source)):
        data = files.get(f"{name}_Cracking.csv")
        if data is not None:
            sections[name] = readers.read_cracking(MemoryFile(f"{name}_Cracking.csv", data))
    table = None
    if summary is not None and summary in files:
        table = readers.read_calibration_summary(MemoryFile(summary, files[summary]))
    return RunResult(
        "cracking",
        cracking=combined_cracking(sections),
        sections=sections,
        summary=table,
        warnings=warning_lines(_decode(raw["stdout"])),
    )


def run_faulting(source, models_folder, results=None) -> RunResult:
    """Runs the faulting engine on a section folder (FaultFileList.txt and
    the section files) with a model folder. ``results``: a folder that
    receives the result files too (the source folder itself, as the program
    does, or another); None: nothing is written."""
    from jpcp import results as readers
    from jpcp.results.tables import MemoryFile

    raw = _jpcp_engine.run_faulting(str(source), str(models_folder), cache=models)
    files = _files(raw)
    if results is not None:
        _write("faulting", raw, results)
    _raise_on_error("faulting", raw)

    def read(reader, name):
        return reader(MemoryFile(name, files[name])) if name in files else None

    return RunResult(
        "faulting",
        faulting=read(readers.read_faulting, "JPCP_faulting.csv"),
        faulting2=read(readers.read_faulting2, "JPCP_faulting2.csv"),
        deflection=read(readers.read_deflections, "_Deflection.csv"),
        warnings=warning_lines(_decode(raw["stdout"])),
    )


def result_files(kind: str, source, models_folder, summary=None, detail=False) -> dict[str, bytes]:
    """The bytes of every result file of an in-process run, by file name,
    whatever the run reported (for comparisons with the programs)."""
    if kind == "cracking":
        raw = _jpcp_engine.run_cracking(str(source), str(models_folder), summary or "", bool(detail), cache=models)
    else:
        raw = _jpcp_engine.run_faulting(str(source), str(models_folder), cache=models)
    return _files(raw)


__all__ = ["RunError", "RunResult", "models", "result_files", "run_cracking", "run_faulting"]
