"""The coefficients a calibration can fit: their input fields and bounds."""

from __future__ import annotations

import math
from typing import NamedTuple


class Coefficient(NamedTuple):
    name: str  # as the models name it: "C4", "C1", ...
    field: str  # input field (and override column of a study)
    rerun: bool  # True: the program must run again for a new value
    lower: float
    upper: float
    meaning: str


INF = math.inf

# Cracking: C4 and C5 act on the damages a run wrote, C1 and C2 on the
# damages themselves. C1 is kept as written in the General input file
# (positive; the program changes its sign). The transfer function
# 1 / (1 + C4 D^C5) is a fraction of slabs only for C4 > 0 and rises with
# damage only for C5 < 0; log N = C1 (MR/stress)^C2 + 0.4371 falls with
# stress only for C1, C2 > 0.
CRACKING = {
    "C1": Coefficient("C1", "fatigue_c1", True, 0.0, INF, "fatigue: log N = C1 (MR/stress)^C2 + 0.4371"),
    "C2": Coefficient("C2", "fatigue_c2", True, 0.0, INF, "fatigue exponent"),
    "C4": Coefficient("C4", "crack_c4", False, 0.0, INF, "transfer function: cracked = 1 / (1 + C4 D^C5)"),
    "C5": Coefficient("C5", "crack_c5", False, -INF, 0.0, "transfer function exponent"),
}

# Faulting: every coefficient needs a run. C1 and C3 (with the freezing
# terms C2 and C4) scale the maximum faulting and its growth, C5 and C7 enter
# log10(1 + C5 5^EROD) and the growth of the maximum, C8 the dowel damage:
# those are non-negative. C2, C4 (freezing corrections) and C6 (an exponent)
# may take either sign.
FAULTING = {
    "C1": Coefficient("C1", "fault_c1", True, 0.0, INF, "maximum faulting: C12 = C1 + C2 FR^0.25"),
    "C2": Coefficient("C2", "fault_c2", True, -INF, INF, "freezing term of C12"),
    "C3": Coefficient("C3", "fault_c3", True, 0.0, INF, "faulting increment: C34 = C3 + C4 FR^0.25"),
    "C4": Coefficient("C4", "fault_c4", True, -INF, INF, "freezing term of C34"),
    "C5": Coefficient("C5", "fault_c5", True, 0.0, INF, "erodibility term log10(1 + C5 5^EROD)"),
    "C6": Coefficient("C6", "fault_c6", True, -INF, INF, "exponent of the erodibility and subgrade terms"),
    "C7": Coefficient("C7", "fault_c7", True, 0.0, INF, "growth of the maximum faulting with differential energy"),
    "C8": Coefficient("C8", "fault_c8", True, 0.0, INF, "dowel damage"),
}

COEFFICIENTS = {"cracking": CRACKING, "faulting": FAULTING}
DEFAULTS = {"cracking": ("C4", "C5"), "faulting": ("C1", "C3")}
# Column of the observations file, unit and label of each distress.
DISTRESS = {"cracking": "percent_cracked", "faulting": "faulting_in"}
UNIT = {"cracking": "percent slabs cracked", "faulting": "in"}


def parse(fit: str, text: str | None) -> list[Coefficient]:
    """The coefficients named in ``--coefficients`` (default: C4,C5 for
    cracking, C1,C3 for faulting); ValueError names one that does not exist."""
    table = COEFFICIENTS[fit]
    names = [n.strip().upper() for n in (text.split(",") if text else DEFAULTS[fit])]
    chosen = []
    for name in names:
        if name not in table:
            raise ValueError(f"--coefficients: {fit} has no coefficient '{name}' (it has {', '.join(table)})")
        if table[name] in chosen:
            raise ValueError(f"--coefficients: {name} is named twice")
        chosen.append(table[name])
    return chosen
