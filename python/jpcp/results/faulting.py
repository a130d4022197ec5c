"""Result files of the faulting program."""

from __future__ import annotations

from pathlib import Path

import pandas as pd

from jpcp._text import ENCODING, field_value, split_fields
from jpcp.results.tables import header_names, open_text, read_fixed_csv, read_headed_table, read_text

# "JPCP_faulting.csv": names for its 22 columns (the file's three heading
# lines split each title over three rows).
FAULTING_COLUMNS = {
    "month": "analysis month counter",
    "month_name": "calendar month name",
    "e_pcc": "psi: elastic modulus of the concrete",
    "e_base": "psi: base modulus",
    "k_value": "psi/in: foundation k-value",
    "humidity": "percent: relative humidity of the month",
    "shrinkage": "microstrain: drying shrinkage at the slab age",
    "opening": "in: joint opening",
    "radius": "in: radius of relative stiffness",
    "delta_t": "deg F: equivalent temperature difference",
    "lte_aggregate": "percent: load transfer of the aggregate interlock",
    "lte_dowel": "percent: load transfer of the dowels",
    "lte": "percent: joint load transfer",
    "sa_loaded": "in: corner deflection of the loaded slab, 18.5-kip single axle",
    "sa_unloaded": "in: unloaded slab, single axle",
    "ta_loaded": "in: loaded slab, 37-kip tandem axle",
    "ta_unloaded": "in: unloaded slab, tandem axle",
    "differential_energy": "lb x in: differential energy",
    "shear_loss": "accumulated loss of shear capacity",
    "dowel_damage": "accumulated dowel damage",
    "faulting_increment": "in: faulting increment of the month",
    "faulting": "in: total mean joint faulting",
}
# First line of "JPCP_faulting.csv".
FAULTING_CONSTANTS = {
    "faultmax": "in: maximum faulting of the section",
    "freezing_fraction": "fraction of months below freezing",
    "c12": "calibration term C12",
    "c34": "calibration term C34",
}
FAULTING2_HEADING_LINES = 4
# "JPCP_faulting2.csv" as its heading lines name its columns (units in the
# names; the degree sign is one Latin-1 byte in the file).
FAULTING2_COLUMNS = [
    "Age(mo)", "Age(yr)", "Month", "Epcc (Mpsi)", "Ebase (ksi)", "k(psi/in)", "R.H.(%)", "dT(\u00b0F)",
    "Joint opening(in)", "LTE(%)", "SA def. L(in)", "SA def. UL(in)", "TA def. L(in)", "TA def. UL(in)",
    "D.E.(in-lb)", "Faulting(in)",
]


def read_faulting(path) -> pd.DataFrame:
    """"JPCP_faulting.csv": one row per analysed month (FAULTING_COLUMNS);
    the first line's constants are in ``attrs["constants"]`` (empty when
    the run stopped before writing them)."""
    lines = read_text(path).splitlines()
    constants = {}
    if lines and lines[0].strip():
        values = [field_value(v) for v in split_fields(lines[0])]
        constants = dict(zip(FAULTING_CONSTANTS, values))
    frame = read_fixed_csv(path, 4, list(FAULTING_COLUMNS), text_columns=("month_name",), integer_columns=("month",))
    frame.attrs["constants"] = constants
    return frame


def faulting2_columns(path) -> list[str]:
    with open_text(path) as handle:
        heading = "".join(handle.readline().rstrip("\r\n") for _ in range(FAULTING2_HEADING_LINES))
    return header_names(heading)


def read_faulting2(path) -> pd.DataFrame:
    """"JPCP_faulting2.csv": columns as its four heading lines name them
    ("Age(mo)", "Age(yr)", "Month", "Epcc (Mpsi)", ..., "dT(°F)", ...,
    "Faulting(in)"); units are in the names."""
    names = faulting2_columns(path)
    if names == [""]:  # the run stopped before the headings were written
        names = FAULTING2_COLUMNS
    return read_fixed_csv(path, FAULTING2_HEADING_LINES, names, text_columns=("Month",), integer_columns=(names[0],))


def read_deflections(path) -> pd.DataFrame:
    """"_Deflection.csv": two rows per month (single, then tandem axle);
    columns as the header names them (US customary or SI). Empty when the
    response switch asked for no rows."""
    return read_headed_table(path)
