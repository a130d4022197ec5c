"""Axle load spectra and the hourly traffic distribution."""

from __future__ import annotations

from pathlib import Path

import pandas as pd

from jpcp._text import FreeFormError, FreeFormReader, format_number, parse_integer, parse_real, quote_text
from jpcp.inputs.fields import InputFileError

# Load classes per axle type as the programs read them.
CLASS_COUNT = {"single": 39, "tandem": 39, "tridem": 31, "quad": 31}


def read_axle_spectra(path, axle: str, months: int | None = None) -> pd.DataFrame:
    """One row per line (analysis month): ``line`` (the leading integer),
    ``label`` (month text), then ``class_1`` .. ``class_n``: average axles per
    day in each load class. ``months`` limits the rows to those the program
    reads (12 x design life); by default every line is read.
    """
    classes = CLASS_COUNT[axle]
    reader = FreeFormReader.from_file(path)
    rows = []
    try:
        while (months is None and not reader.at_end()) or (months is not None and len(rows) < months):
            tokens = reader.tokens(classes + 2)
            rows.append([parse_integer(tokens[0]), tokens[1] or ""] + [parse_real(t) for t in tokens[2:]])
    except FreeFormError as error:
        raise InputFileError(f"{path}: {error}") from None
    columns = ["line", "label"] + [f"class_{c}" for c in range(1, classes + 1)]
    return pd.DataFrame(rows, columns=columns)


def write_axle_spectra(table: pd.DataFrame, path) -> None:
    class_columns = [c for c in table.columns if str(c).startswith("class_")]
    lines = []
    for row in table.itertuples(index=False):
        record = row._asdict()
        values = [format_number(float(record[c])) for c in class_columns]
        lines.append(",".join([str(int(record["line"])), quote_text(str(record["label"]))] + values))
    Path(path).write_text("\n".join(lines) + "\n", encoding="latin-1")


def read_hourly_traffic(path) -> pd.DataFrame:
    """24 rows, index hour of the day 0..23 (the program's hours 1 to 24):
    ``percent`` of the daily truck traffic in that hour."""
    try:
        values = FreeFormReader.from_file(path).reals(24)
    except FreeFormError as error:
        raise InputFileError(f"{path}: {error}") from None
    return pd.DataFrame({"percent": values}, index=pd.RangeIndex(0, 24, name="hour"))


def write_hourly_traffic(table: pd.DataFrame, path) -> None:
    Path(path).write_text("\n".join(format_number(float(v)) for v in table["percent"]) + "\n", encoding="latin-1")
