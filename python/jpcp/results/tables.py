"""Reading the fixed-width, comma-separated result tables and the small
run-wide files (progress, errors) of both programs."""

from __future__ import annotations

import io
import math
from pathlib import Path

import pandas as pd

from jpcp._text import ENCODING, field_value


class MemoryFile:
    """A result file's text held in memory (an in-process run that wrote
    nothing to disk); every reader takes it where it takes a path."""

    def __init__(self, name: str, data: bytes | str):
        self.name = name
        self.text = data.decode(ENCODING) if isinstance(data, bytes) else data

    def __str__(self) -> str:
        return self.name

    def __repr__(self) -> str:
        return f"MemoryFile({self.name!r})"


def read_text(path) -> str:
    """The whole text of a result file (a path or a MemoryFile)."""
    if isinstance(path, MemoryFile):
        return path.text
    return Path(path).read_text(encoding=ENCODING)


def open_text(path):
    """A result file opened for reading text (a path or a MemoryFile)."""
    if isinstance(path, MemoryFile):
        return io.StringIO(path.text)
    return open(path, encoding=ENCODING)


def read_fixed_csv(path, skip: int, names: list[str], text_columns=(), integer_columns=()) -> pd.DataFrame:
    """Rows of comma-separated fixed-width fields after ``skip`` heading
    lines. Blanks are stripped, text columns stay text, every other column
    is numeric; fields of asterisks (a value too wide for its field) are NaN.
    Integer columns become nullable integers."""
    text = read_text(path)
    lines = text.splitlines()[skip:]
    lines = [line for line in lines if line.strip()]
    if not lines:
        frame = pd.DataFrame({name: pd.Series(dtype=object if name in text_columns else float) for name in names})
    else:
        frame = pd.read_csv(io.StringIO("\n".join(lines)), header=None, dtype=str, keep_default_na=False)
        frame = frame.apply(lambda column: column.str.strip())
        # Rows that end with a comma leave an empty last column.
        while frame.shape[1] > len(names) and (frame.iloc[:, -1] == "").all():
            frame = frame.iloc[:, :-1]
        if frame.shape[1] != len(names):
            raise ValueError(f"{path}: {frame.shape[1]} fields per row, expected {len(names)}")
        frame.columns = names
    for name in names:
        if name in text_columns:
            continue
        frame[name] = pd.to_numeric(frame[name], errors="coerce")
        if name in integer_columns:
            frame[name] = frame[name].astype("Int64")
    return frame


def header_names(line: str) -> list[str]:
    """Column names of a header line: its comma-separated fields, blanks stripped."""
    return [name.strip() for name in line.split(",")]


def read_headed_table(path) -> pd.DataFrame:
    """A table whose header line names its columns (the units, US customary
    or SI, are in the names): the first two columns are integers, the fifth
    is text. Empty when the header line is blank."""
    with open_text(path) as handle:
        first = handle.readline()
    if not first.strip():
        return pd.DataFrame()
    names = header_names(first)
    return read_fixed_csv(path, 1, names, text_columns=(names[4],), integer_columns=(names[0], names[1]))


def read_progress(path) -> float:
    """Progress.tmp: the latest progress value (percent; -1.0 after an
    error), NaN when the file is empty."""
    lines = [line for line in Path(path).read_text(encoding=ENCODING).splitlines() if line.strip()]
    return field_value(lines[-1]) if lines else math.nan


def read_errors(path) -> list[str]:
    """An error file ("JPCP Errors.txt", "ErrorsFAULT.txt"): its messages,
    one per line, without the leading blank. A missing file means no error
    was reported: the list is empty."""
    path = Path(path)
    if not path.exists():
        return []
    return [line.strip() for line in path.read_text(encoding=ENCODING).splitlines() if line.strip()]
