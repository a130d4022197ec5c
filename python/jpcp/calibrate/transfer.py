"""The cracking transfer function as the cracking program applies it: from
the cumulative bottom-up and top-down damages of a run to percent slabs
cracked, with the equivalent initial damages of existing cracking."""

from __future__ import annotations

import numpy as np

BOTTOM_UP = ["BU_Single", "BU_Tandem", "BU_Tridem", "BU_Quad"]
TOP_DOWN = ["TD_SWB", "TD_MWB", "TD_LWB"]
# Existing cracking below this (percent) is none, and the offset is then 0.
EXISTING_THRESHOLD = 0.1
# A damage sum below this is no damage of that type.
NO_DAMAGE = 1.0e-5
# %Crack of the result file is kept within these bounds (percent).
LOWEST, HIGHEST = 0.001, 99.99


def cracked_fraction(damage, c4: float, c5: float) -> np.ndarray:
    """1 / (1 + C4 D^C5) as x / (x + C4), x = D^-C5: zero damage gives 0
    for the usual negative C5; an infinite x (D^C5 vanishing) gives 1."""
    damage = np.asarray(damage, dtype=float)
    with np.errstate(divide="ignore", over="ignore", invalid="ignore"):
        x = np.power(damage, -c5)
        denominator = x + c4
        fraction = np.where(denominator == 0.0, 0.0, x / np.where(denominator == 0.0, 1.0, denominator))
    return np.where(np.isinf(x), 1.0, fraction)


def combined_percent(bottom_up, top_down, c4: float, c5: float, offset: float = 0.0) -> np.ndarray:
    """Percent of slabs with a bottom-up or a top-down crack, less the
    offset (not bounded)."""
    cb = cracked_fraction(bottom_up, c4, c5)
    ct = cracked_fraction(top_down, c4, c5)
    return (cb + ct - cb * ct) * 100.0 - offset


def _damage_ratio(yearly_bu: np.ndarray, yearly_td: np.ndarray, c4: float, c5: float) -> float:
    """Bottom-up to top-down damage ratio of the analysis, each year's
    damages measured in the single damage of the same combined cracking;
    years without one type (or saturated) are left out; 1 when none is left."""
    sum_bu = sum_td = 0.0
    for db, dt in zip(yearly_bu, yearly_td):
        if not (db > 0.0 and dt > 0.0):
            continue
        cb = float(cracked_fraction(db, c4, c5))
        ct = float(cracked_fraction(dt, c4, c5))
        with np.errstate(all="ignore"):
            equivalent = np.power((1.0 / (cb + ct - cb * ct) - 1.0) / c4, 1.0 / c5)
        if not (equivalent > 0.0 and np.isfinite(equivalent)):
            continue
        sum_bu += db / equivalent
        sum_td += dt / equivalent
    if not (sum_bu > 0.0 and sum_td > 0.0):
        return 1.0
    ratio = sum_bu / sum_td
    return ratio if np.isfinite(ratio) else 1.0


def initial_damage(yearly_bu: np.ndarray, yearly_td: np.ndarray, existing: float, c4: float, c5: float) -> tuple[float, float]:
    """Equivalent initial bottom-up and top-down damages (BU0, TD0) that
    reproduce the existing cracking (percent) with the analysis's share of
    the two types. ``yearly_*``: cumulative damage at the end of each year."""
    if c4 == 0.0 or c5 == 0.0:
        return 0.0, 0.0
    sum_bu, sum_td = float(np.sum(yearly_bu)), float(np.sum(yearly_td))
    bu_only = sum_bu > NO_DAMAGE and sum_td < NO_DAMAGE
    td_only = sum_bu < NO_DAMAGE and sum_td > NO_DAMAGE
    neither = sum_bu < NO_DAMAGE and sum_td < NO_DAMAGE
    with np.errstate(all="ignore"):
        if bu_only or td_only or neither:
            d0 = np.power((100.0 / existing - 1.0) / c4, 1.0 / c5)
            share = 0.01 if bu_only else (0.99 if td_only else 0.5)
            return (1.0 - share) * d0, share * d0
        r = _damage_ratio(yearly_bu, yearly_td, c4, c5)
        p = existing / 100.0
        u = c4 * np.power(r, c5)
        a, b, c = p * u * c4, (u + c4) * (p - 1.0), p - 1.0
        if a != 0.0:
            t = (-b + np.sqrt(b * b - 4.0 * a * c)) / (2.0 * a)
        elif b != 0.0:
            t = -c / b
        else:
            return 0.0, 0.0
        top_down = np.power(t, 1.0 / c5)
    return r * top_down, top_down


class CrackingDamage:
    """One run's cumulative damages, month by month, and what the cracking
    of a month needs besides C4 and C5: the existing cracking and offset."""

    def __init__(self, table, existing: float, offset: float):
        self.bottom_up = table[BOTTOM_UP].to_numpy(dtype=float).sum(axis=1)
        self.top_down = table[TOP_DOWN].to_numpy(dtype=float).sum(axis=1)
        self.months = table["Age(mo)"].to_numpy(dtype=int)
        years = len(self.months) // 12
        self.yearly_bu = self.bottom_up[11 : 12 * years : 12]
        self.yearly_td = self.top_down[11 : 12 * years : 12]
        self.existing = existing
        self.offset = offset if existing >= EXISTING_THRESHOLD else 0.0

    @property
    def has_initial(self) -> bool:
        return self.existing >= EXISTING_THRESHOLD

    def totals(self, rows: np.ndarray, c4: float, c5: float) -> tuple[np.ndarray, np.ndarray]:
        """Total bottom-up and top-down damage (with the initial damages) of
        the given rows (0 = first month)."""
        bu0 = td0 = 0.0
        if self.has_initial:
            bu0, td0 = initial_damage(self.yearly_bu, self.yearly_td, self.existing, c4, c5)
        return self.bottom_up[rows] + bu0, self.top_down[rows] + td0

    def percent(self, rows: np.ndarray, c4: float, c5: float) -> np.ndarray:
        """%Crack of the given rows as the program writes it (bounded)."""
        db, dt = self.totals(rows, c4, c5)
        return np.clip(combined_percent(db, dt, c4, c5, self.offset), LOWEST, HIGHEST)
