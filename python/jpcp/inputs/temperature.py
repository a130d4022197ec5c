"""Temperature data file: hourly slab temperature profiles in fixed columns.

Columns 1-4 year, 5-6 month, 7-8 day, 9-10 hour of the day (0-23), then 11
temperatures (deg F) of 6 columns each from the slab surface down. The
cracking program's file begins with 288 header lines (12 months x 24 hours);
the faulting program's file has none.
"""

from __future__ import annotations

from pathlib import Path

import numpy as np
import pandas as pd

from jpcp._text import ENCODING
from jpcp.inputs.fields import InputFileError

HEADER_LINES = 288
POINTS = 11
TEMPERATURE_COLUMNS = [f"t{i}" for i in range(1, POINTS + 1)]  # deg F, t1 at the surface
_WIDTHS = [4, 2, 2, 2] + [6] * POINTS
_RECORD = 76


def _parse(lines: list[str], path) -> pd.DataFrame:
    if not lines:
        return pd.DataFrame(columns=["year", "month", "day", "hour"] + TEMPERATURE_COLUMNS)
    raw = np.array([line[:_RECORD].ljust(_RECORD).encode(ENCODING) for line in lines], dtype=f"S{_RECORD}")
    fields = raw.view(np.dtype([(f"f{i}", f"S{w}") for i, w in enumerate(_WIDTHS)]))
    data = {}
    names = ["year", "month", "day", "hour"] + TEMPERATURE_COLUMNS
    for i, name in enumerate(names):
        column = np.char.strip(fields[f"f{i}"])
        column = np.where(column == b"", b"0", column)  # blank columns read as 0
        try:
            data[name] = column.astype(np.int32 if i < 4 else np.float64)
        except ValueError:
            raise InputFileError(f"{path}: a record does not fit the fixed-column format ({name})") from None
    return pd.DataFrame(data)


def read_temperature_data(path, header: bool | None = None) -> pd.DataFrame:
    """One row per hourly record: year, month, day, hour, t1 .. t11 (deg F).

    ``header``: True for the cracking layout (288 header lines, kept as text
    in ``attrs["header"]``), False for the faulting layout; None tells them
    apart by the header's day field, which is 0 in the header block.
    """
    lines = [line for line in Path(path).read_text(encoding=ENCODING).splitlines()]
    while lines and not lines[-1].strip():
        lines.pop()
    if header is None:
        header = len(lines) >= HEADER_LINES and lines[0][6:8].strip() in ("", "0")
    head = lines[:HEADER_LINES] if header else []
    if header and len(head) < HEADER_LINES:
        raise InputFileError(f"{path}: ends inside the {HEADER_LINES} header lines")
    table = _parse(lines[len(head) :], path)
    table.attrs["header"] = head
    return table


def _format_fixed(value: float, width: int, decimals: int) -> str:
    text = f"{value:{width}.{decimals}f}"
    return "*" * width if len(text) > width else text


def write_temperature_data(table: pd.DataFrame, path) -> None:
    """Writes ``attrs["header"]`` (if any) and the records, temperatures with
    two decimals (the precision of the files the climatic model writes)."""
    out = list(table.attrs.get("header", []))
    temps = table[TEMPERATURE_COLUMNS].to_numpy(dtype=float)
    ints = table[["year", "month", "day", "hour"]].to_numpy(dtype=int)
    for (year, month, day, hour), row in zip(ints, temps):
        out.append(
            f"{year:4d}{month:2d}{day:2d}{hour:2d}" + "".join(_format_fixed(t, 6, 2) for t in row)
        )
    Path(path).write_text("\n".join(out) + "\n", encoding=ENCODING)
