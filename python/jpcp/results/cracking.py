"""Result files of the cracking program."""

from __future__ import annotations

import re
from dataclasses import dataclass
from pathlib import Path

import pandas as pd

from jpcp._text import ENCODING, field_value, split_fields
from jpcp.results.tables import header_names, open_text, read_fixed_csv, read_headed_table

# <section>_Cracking.csv: columns exactly as the header names them.
CRACKING_COLUMNS = {
    "Year": "year of the analysis (1..design life)",
    "Age(mo)": "analysis month (1..12 x design life)",
    "Month": "calendar month name",
    "MR(psi)": "psi: modulus of rupture of the concrete in the month",
    "Epcc(Mpsi)": "million psi: elastic modulus of the concrete",
    "Ebase(ksi)": "ksi: base modulus",
    "k(psi/in)": "psi/in: foundation k-value",
    "BU_Single": "cumulative bottom-up fatigue damage from single axles",
    "BU_Tandem": "cumulative bottom-up damage from tandem axles",
    "BU_Tridem": "cumulative bottom-up damage from tridem axles",
    "BU_Quad": "cumulative bottom-up damage from quad axles (always 0)",
    "Toal_BU": "total bottom-up damage, with the equivalent initial damage",
    "TD_SWB": "cumulative top-down damage, short wheelbase trucks",
    "TD_MWB": "cumulative top-down damage, medium wheelbase trucks",
    "TD_LWB": "cumulative top-down damage, long wheelbase trucks",
    "Total_TD": "total top-down damage, with the equivalent initial damage",
    "%Crack": "percent of slabs cracked (kept within 0.001..99.99)",
}
DAMAGE_COMPONENTS = ["BU_Single", "BU_Tandem", "BU_Tridem", "BU_Quad", "TD_SWB", "TD_MWB", "TD_LWB"]
CALIBRATION_HEADER = ["Section", "Age", "BU", "TD", "CR"]  # label, years, damages, percent cracked
STRESS_BLOCK_COLUMNS = {
    "block": "running number of the block in the file (1, 2, ...)",
    "period": "analysis period number",
    "month": "month number",
    "time": "day (bottom-up, by axle type) or night (top-down, by axle spacing)",
    "group": "Single, Tandem, Tridem (day) or Short, Medium, Long (night)",
    "position": "in: lateral wheel position of the block",
    "gradient": "deg F: temperature gradient node",
    "load": "kips: axle load",
    "stress": "psi: slab stress",
    "nonlinear_stress": "psi: nonlinear stress included in the night-time stresses",
}


def read_cracking(path) -> pd.DataFrame:
    """A section's "_Cracking.csv": one row per analysis month."""
    with open_text(path) as handle:
        names = header_names(handle.readline())
    if names == [""]:  # an empty file
        names = list(CRACKING_COLUMNS)
    return read_fixed_csv(path, 1, names, text_columns=("Month",), integer_columns=("Year", "Age(mo)"))


def is_calibration_summary(path) -> bool:
    try:
        with open_text(path) as handle:
            return header_names(handle.readline()) == CALIBRATION_HEADER
    except (OSError, UnicodeDecodeError):
        return False


def read_calibration_summary(path) -> pd.DataFrame:
    """The calibration summary file: Section (label: section name, "L" and
    the calibration value), Age (years), BU and TD (cumulative damages) and
    CR (percent slabs cracked, not bounded)."""
    return read_fixed_csv(path, 1, CALIBRATION_HEADER, text_columns=("Section",))


def read_stress_results(path) -> pd.DataFrame:
    """StressResults.csv or StressResultsBond.csv: every block flattened to
    one row per group, gradient and load (columns STRESS_BLOCK_COLUMNS)."""
    rows, pending = [], []
    block, header, loads = 1, None, None
    for line in Path(path).read_text(encoding=ENCODING).splitlines():
        text = line.strip()
        if not text:
            continue
        if text.startswith("P/Mo/Pos:"):
            fields = split_fields(text)
            label = " ".join(fields[4:])
            night = "Nighttime" in label
            group = re.sub(r"^Nighttime\*:\s*", "", label).split()[0] if night else label.split()[0]
            period, month, position = (field_value(v) for v in fields[1:4])
            header = (period, month, "night" if night else "day", group, position)
            loads = None
        elif text.startswith("Temp.\\Load"):
            loads = [field_value(v) for v in split_fields(text)[1:]]
        elif text.startswith("*Nighttime"):
            nonlinear = float(re.search(r"of\s*(\S+)\s*psi", text).group(1).replace("*", "nan"))
            rows += [row + [nonlinear] for row in pending]
            pending, block = [], block + 1
        elif header is not None and loads is not None:
            values = [field_value(v) for v in split_fields(text)]
            for load, stress in zip(loads, values[1:]):
                pending.append([block, *header, values[0], load, stress])
    frame = pd.DataFrame(rows, columns=list(STRESS_BLOCK_COLUMNS))
    # Period and month are integers (asterisks, a number too wide for its
    # field, stay missing).
    for column in ("period", "month"):
        frame[column] = frame[column].astype("Int64") if frame[column].notna().all() else frame[column]
    return frame


def read_stress_table(path) -> pd.DataFrame:
    """"_StressBot.csv" or "_StressTop.csv": columns as the header names
    them; the units (US customary or SI) are in the names."""
    return read_headed_table(path)


@dataclass
class GradientDistribution:
    """"LTemp_" / "LTemp_B_" files: frequency of each gradient class in each
    month. Index: class gradient (deg F); columns: calendar month numbers in
    the file's (analysis) order."""

    day: pd.DataFrame  # 25 classes, 0 .. 48 deg F
    night: pd.DataFrame  # 42 classes, 0 .. 82 deg F


def read_gradients(path) -> GradientDistribution:
    lines = [line for line in Path(path).read_text(encoding=ENCODING).splitlines() if line.strip()]
    starts = [i for i, line in enumerate(lines) if line.strip() in ("Daytime gradients", "Nighttime gradients")]
    if len(starts) != 2:
        raise ValueError(f"{path}: the day and night sections are not both there")

    def table(first: int, last: int) -> pd.DataFrame:
        months = [int(v) for v in split_fields(lines[first + 1])[1:]]
        rows = [[field_value(v) for v in split_fields(line)] for line in lines[first + 2 : last]]
        frame = pd.DataFrame([r[1:] for r in rows], columns=months, index=[r[0] for r in rows])
        frame.index.name = "gradient"
        frame.columns.name = "month"
        return frame

    return GradientDistribution(table(starts[0], starts[1]), table(starts[1], len(lines)))


def read_esals(path) -> float:
    """ESALs.txt: design traffic in million ESALs (NaN for a field of asterisks)."""
    text = Path(path).read_text(encoding=ENCODING)
    match = re.search(r"Design traffic =\s*(\S+)\s*million ESALs", text)
    if not match:
        raise ValueError(f"{path}: no design traffic line")
    return field_value(match.group(1))


TRAFFIC_COLUMNS = {
    "single": "axles per day summed over the analysis months, single axles",
    "tandem": "same, tandem axles",
    "tridem": "same, tridem axles",
    "lef_single": "load equivalency factor of the class, single axles",
    "lef_tandem": "load equivalency factor, tandem axles",
    "lef_tridem": "load equivalency factor, tridem axles",
}


def read_traffic_summary(path) -> pd.DataFrame:
    """Traff.csv: one row per load class (index 1..39)."""
    frame = read_fixed_csv(path, 1, list(TRAFFIC_COLUMNS))
    frame.index = pd.RangeIndex(1, len(frame) + 1, name="load_class")
    return frame
