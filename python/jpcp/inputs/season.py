"""Season pattern and concrete property files.

Cracking: the Season pattern file (12 monthly k-values, base moduli and
relative humidities, January to December) and the PCC modulus file (a
leading integer, then rows of age, MR and E). Faulting: one season pattern
file holding the three monthly lines, a free fourth line and the property
table.
"""

from __future__ import annotations

from dataclasses import dataclass
from pathlib import Path

import pandas as pd

from jpcp._text import FreeFormError, FreeFormReader, format_number, parse_integer, parse_real
from jpcp.inputs.fields import InputFileError

# Columns of the monthly table (index: calendar month 1..12).
MONTHLY_COLUMNS = {
    "k_value": "psi/in: foundation modulus of subgrade reaction",
    "base_modulus": "psi: elastic modulus of the base",
    "relative_humidity": "percent: monthly mean relative humidity of the air",
}
# Columns of a concrete property table, one row per age.
PCC_COLUMNS = {
    "age": "months (the integer of the row; rows 1-13 are the ages 0-12, then one row per year end)",
    "mr": "psi: modulus of rupture",
    "e": "psi: elastic modulus of the concrete",
}


def _monthly(reader: FreeFormReader) -> pd.DataFrame:
    data = {name: reader.reals(12) for name in MONTHLY_COLUMNS}
    return pd.DataFrame(data, index=pd.RangeIndex(1, 13, name="month"))


def _write_monthly(monthly: pd.DataFrame) -> list[str]:
    return [" ".join(format_number(float(v)) for v in monthly[name]) for name in MONTHLY_COLUMNS]


def _pcc_rows(reader: FreeFormReader, count: int) -> pd.DataFrame:
    tokens = reader.tokens(3 * count)
    rows = [
        (parse_integer(tokens[3 * r]), parse_real(tokens[3 * r + 1]), parse_real(tokens[3 * r + 2]))
        for r in range(count)
    ]
    return pd.DataFrame(rows, columns=list(PCC_COLUMNS))


def _write_pcc_rows(table: pd.DataFrame) -> list[str]:
    return [f"{int(r.age)} {format_number(float(r.mr))} {format_number(float(r.e))}" for r in table.itertuples()]


def read_season_pattern(path) -> pd.DataFrame:
    """The cracking Season pattern file: 12 rows (calendar months)."""
    try:
        return _monthly(FreeFormReader.from_file(path))
    except FreeFormError as error:
        raise InputFileError(f"{path}: {error}") from None


def write_season_pattern(monthly: pd.DataFrame, path) -> None:
    Path(path).write_text("\n".join(_write_monthly(monthly)) + "\n", encoding="latin-1")


def read_pcc_modulus(path, design_life: int | None = None) -> pd.DataFrame:
    """The PCC modulus file: rows of age, MR, E.

    The program reads design life + 12 rows; without ``design_life`` every
    complete row of the file is read. The leading integer is kept in
    ``attrs["count"]``.
    """
    reader = FreeFormReader.from_file(path)
    try:
        count = reader.integer()
        if design_life is None:
            rest = " ".join(reader.lines[reader.next_line :]).replace(",", " ").split()
            rows = len(rest) // 3
        else:
            rows = int(design_life) + 12
        table = _pcc_rows(reader, rows)
    except FreeFormError as error:
        raise InputFileError(f"{path}: {error}") from None
    table.attrs["count"] = count
    return table


def write_pcc_modulus(table: pd.DataFrame, path) -> None:
    count = int(table.attrs.get("count", len(table)))
    Path(path).write_text("\n".join([str(count)] + _write_pcc_rows(table)) + "\n", encoding="latin-1")


@dataclass
class FaultingSeasonPattern:
    """The faulting season pattern file."""

    monthly: pd.DataFrame  # MONTHLY_COLUMNS, index calendar month 1..12
    pcc: pd.DataFrame  # PCC_COLUMNS: 19 rows (20 when the analysis exceeds 240 months)
    fourth_line: str = ""  # free text the program skips


def read_faulting_season_pattern(path, analysis_months: int | None = None) -> FaultingSeasonPattern:
    """Reads the file; without ``analysis_months`` a 20th table row is read
    when the file holds one."""
    reader = FreeFormReader.from_file(path)
    try:
        monthly = _monthly(reader)
        fourth = reader.skip_line()
        if analysis_months is None:
            rest = " ".join(reader.lines[reader.next_line :]).replace(",", " ").split()
            rows = 20 if len(rest) >= 60 else 19
        else:
            rows = 19 if analysis_months <= 240 else 20
        pcc = _pcc_rows(reader, rows)
    except FreeFormError as error:
        raise InputFileError(f"{path}: {error}") from None
    return FaultingSeasonPattern(monthly, pcc, fourth)


def write_faulting_season_pattern(season: FaultingSeasonPattern, path) -> None:
    lines = _write_monthly(season.monthly) + [season.fourth_line] + _write_pcc_rows(season.pcc)
    Path(path).write_text("\n".join(lines) + "\n", encoding="latin-1")
