"""What a run of an engine gives back, whichever way it was run."""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import TYPE_CHECKING

if TYPE_CHECKING:  # pandas is loaded by the readers, not on import
    import pandas as pd


class RunError(Exception):
    """A run that reported an error or was stopped.

    ``lines``: the lines of the run's error file; ``detail``: what the run
    said beyond them (its standard error, or the stop message);
    ``exit_status``: the program's exit status (1 an error was reported,
    2 a wrong command line, 3 a stop), or None when the program could not
    start or was killed."""

    def __init__(self, message: str, lines=(), detail: str = "", exit_status: int | None = None):
        super().__init__(message)
        self.lines = list(lines)
        self.detail = detail
        self.exit_status = exit_status


def failed_run(program: str, lines: list[str], stdout: str, stderr: str, status: int | None,
               what: str | None = None) -> RunError:
    """The RunError of a run that ended with ``status``: its error-file
    ``lines``, and as detail its standard error or else the last line of its
    standard output (where a stop prints its message)."""
    last = stdout.strip().splitlines()[-1:] if stdout.strip() else []
    detail = stderr.strip() or "\n".join(last)
    if what is None:
        what = lines[0] if lines else (detail.splitlines()[0] if detail else f"exit status {status}")
    return RunError(f"{program}: {what}", lines, detail, status)


@dataclass
class RunResult:
    """The result tables of one run, as the ``jpcp.results`` readers give them.

    Cracking: ``cracking`` is the section's _Cracking.csv; when the file
    list holds several sections, their tables one after another with a
    first column ``section``; ``sections`` maps each section name to its own
    table; ``summary`` is the calibration summary when one was asked for.
    Faulting: ``faulting`` (JPCP_faulting.csv, its constants in ``attrs``),
    ``faulting2`` and ``deflection``. ``warnings``: the WARNING lines the
    run printed (model inputs outside a knot range, ...)."""

    kind: str
    cracking: pd.DataFrame | None = None
    sections: dict[str, pd.DataFrame] = field(default_factory=dict)
    summary: pd.DataFrame | None = None
    faulting: pd.DataFrame | None = None
    faulting2: pd.DataFrame | None = None
    deflection: pd.DataFrame | None = None
    warnings: list[str] = field(default_factory=list)
    exit_status: int = 0


def combined_cracking(sections: dict[str, pd.DataFrame]) -> pd.DataFrame | None:
    """One section's table as it is; several one after another with a first
    column ``section``."""
    if not sections:
        return None
    import pandas as pd

    if len(sections) == 1:
        return next(iter(sections.values()))
    frames = [frame.assign(section=name) for name, frame in sections.items()]
    table = pd.concat(frames, ignore_index=True)
    return table[["section"] + [c for c in table.columns if c != "section"]]


# A message block starts with " *** " and its kind; a wrapped block goes on
# in lines that start with " ***" and ten blanks.
_BLOCK_START = " *** "
_CONTINUATION = " ***          "


def warning_lines(console: str) -> list[str]:
    """The WARNING messages of a run's console output, one line each (a
    message wrapped over several console lines is joined)."""
    found: list[str] = []
    in_warning = False
    for line in console.splitlines():
        if line.startswith(_CONTINUATION):
            if in_warning:
                found[-1] += " " + line[len(_CONTINUATION):].strip()
            continue
        in_warning = line.startswith(_BLOCK_START) and "WARNING" in line
        if in_warning:
            found.append(line.strip())
    return found
