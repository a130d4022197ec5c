"""Predictions of the observations for trial coefficients.

A model maps a vector of the fitted coefficients to the predicted distress
of every observation: ``predict_many(points)`` gives one vector per point,
making the runs every point needs in one parallel batch. Coefficients not
fitted keep each case's own value.
"""

from __future__ import annotations

import numpy as np

from jpcp.calibrate.coefficients import Coefficient
from jpcp.calibrate.observations import Observation
from jpcp.calibrate.runs import Runner
from jpcp.calibrate.transfer import LOWEST, HIGHEST, CrackingDamage, combined_percent, cracked_fraction


class Model:
    """What the fits need of a model (see CrackingModel, FaultingModel)."""

    def __init__(self, coefficients: list[Coefficient], observations: list[Observation], cases: list[str],
                 own: dict[str, dict[str, float]], runner: Runner):
        self.coefficients = coefficients
        self.names = [c.name for c in coefficients]
        self.cases = cases  # the cases with observations, in order of first appearance
        index = {name: i for i, name in enumerate(cases)}
        self.section = np.array([index[o.case] for o in observations], dtype=int)
        self.rows = np.array([o.age - 1 for o in observations], dtype=int)
        self.measured = np.array([o.value for o in observations], dtype=float)
        self.own = own  # case -> coefficient name -> value in its inputs
        self.runner = runner
        self.lower = np.array([c.lower for c in coefficients])
        self.upper = np.array([c.upper for c in coefficients])
        self.rerun = any(c.rerun for c in coefficients)

    def start(self) -> tuple[np.ndarray, list[str]]:
        """The study's own values of the fitted coefficients (the mean where
        the cases differ) and a note for each coefficient that differs."""
        values, notes = [], []
        for c in self.coefficients:
            own = np.array([self.own[case][c.name] for case in self.cases])
            values.append(float(own[0]) if np.ptp(own) == 0 else float(own.mean()))
            if np.ptp(own) > 0:
                notes.append(f"{c.name} differs between the cases ({own.min():g} to {own.max():g}): starting from their mean")
        return np.array(values), notes

    def trial(self, x: np.ndarray) -> dict[str, float]:
        """Input field -> value of the fitted coefficients that need a run."""
        return {c.field: float(v) for c, v in zip(self.coefficients, x) if c.rerun}

    def predict(self, x: np.ndarray) -> np.ndarray:
        return self.predict_many([np.asarray(x, dtype=float)])[0]

    def jacobian(self, x: np.ndarray, rows: np.ndarray):  # analytic Jacobian, where there is one
        return None


class CrackingModel(Model):
    """Percent slabs cracked. C4 and C5 act on a run's damages as the
    program applies them; C1 and C2 change the damages (a run each)."""

    step = 1.0e-3  # relative step of the Jacobian's differences (damages are written to 7 digits)

    def __init__(self, *args, existing: dict[str, tuple[float, float]], **kwargs):
        super().__init__(*args, **kwargs)
        self.existing = existing  # case -> (existing cracking, offset), percent
        self._damages: dict[tuple, CrackingDamage] = {}
        self._gather_cache: dict[tuple, tuple] = {}
        self._fitted = {c.name: i for i, c in enumerate(self.coefficients)}
        self.has_initial = np.array([existing[c][0] >= 0.1 for c in self.cases])

    def damages(self, trial: dict[str, float]) -> list[CrackingDamage]:
        keys = [Runner.key(case, trial) for case in self.cases]
        missing = [case for case, key in zip(self.cases, keys) if key not in self._damages]
        if missing:
            for case, table in zip(missing, self.runner.tables([(case, trial) for case in missing])):
                self._damages[Runner.key(case, trial)] = CrackingDamage(table, *self.existing[case])
        return [self._damages[key] for key in keys]

    def _transfer(self, x: np.ndarray) -> tuple[np.ndarray, np.ndarray]:
        """C4 and C5 per section."""
        out = []
        for name in ("C4", "C5"):
            if name in self._fitted:
                out.append(np.full(len(self.cases), x[self._fitted[name]]))
            else:
                out.append(np.array([self.own[case][name] for case in self.cases]))
        return out[0], out[1]

    def _gathered(self, trial: dict[str, float]):
        """Damages (without the initial damages) and offset of every
        observation for one run of each case; kept, since the fits of
        C4 and C5 ask for them at every step."""
        key = tuple(sorted(trial.items()))
        found = self._gather_cache.get(key)
        if found is None:
            damages = self.damages(trial)
            bu = np.empty(len(self.rows))
            td = np.empty(len(self.rows))
            for i, damage in enumerate(damages):
                mask = self.section == i
                bu[mask], td[mask] = damage.bottom_up[self.rows[mask]], damage.top_down[self.rows[mask]]
            offset = np.array([d.offset for d in damages])[self.section]
            found = self._gather_cache[key] = (bu, td, offset, damages)
        return found

    def totals(self, x: np.ndarray) -> tuple[np.ndarray, np.ndarray]:
        """Total bottom-up and top-down damage of every observation."""
        bu, td, _, damages = self._gathered(self.trial(x))
        if not self.has_initial.any():
            return bu, td
        c4, c5 = self._transfer(x)
        bu, td = bu.copy(), td.copy()
        for i in np.flatnonzero(self.has_initial):
            mask = self.section == i
            bu[mask], td[mask] = damages[i].totals(self.rows[mask], c4[i], c5[i])
        return bu, td

    def predict_many(self, points):
        trials = [self.trial(x) for x in points]
        # Every run of every point in one batch.
        unique = {tuple(sorted(t.items())): t for t in trials}
        requests = [(case, t) for t in unique.values() for case in self.cases
                    if Runner.key(case, t) not in self._damages]
        if requests:
            tables = self.runner.tables(requests)
            for (case, t), table in zip(requests, tables):
                self._damages[Runner.key(case, t)] = CrackingDamage(table, *self.existing[case])
        out = []
        for x, t in zip(points, trials):
            bu, td = self.totals(x)
            offset = self._gathered(t)[2]
            c4, c5 = self._transfer(x)
            p = combined_percent(bu, td, c4[self.section], c5[self.section], offset)
            out.append(np.clip(p, LOWEST, HIGHEST))
        return out

    def jacobian(self, x, rows):
        """Exact derivatives with respect to C4 and C5 when they are the only
        fitted coefficients and no section starts cracked (whose initial
        damages would depend on them too)."""
        if self.rerun or self.has_initial.any():
            return None
        bu, td = self.totals(x)
        bu, td = bu[rows], td[rows]
        c4, c5 = self._transfer(x)
        c4, c5 = c4[self.section[rows]], c5[self.section[rows]]
        cb, ct = cracked_fraction(bu, c4, c5), cracked_fraction(td, c4, c5)
        p = (cb + ct - cb * ct) * 100.0
        inside = (p > LOWEST) & (p < HIGHEST)

        def log(d):
            return np.log(np.where(d > 0, d, 1.0))

        # d cracked / d C4 = -c (1 - c) / C4; d cracked / d C5 = -c (1 - c) ln D.
        columns = {
            "C4": -(cb * (1 - cb) * (1 - ct) + ct * (1 - ct) * (1 - cb)) / c4,
            "C5": -(cb * (1 - cb) * log(bu) * (1 - ct) + ct * (1 - ct) * log(td) * (1 - cb)),
        }
        return np.column_stack([100.0 * columns[n] * inside for n in self.names])


class FaultingModel(Model):
    """Mean joint faulting, every coefficient by a run."""

    step = 2.0e-2  # faulting is written to 0.0001 in: differences need a step that moves it

    def predict_many(self, points):
        trials = [self.trial(x) for x in points]
        tables = self.runner.tables([(case, t) for t in trials for case in self.cases])
        out = []
        for p in range(len(points)):
            predicted = np.empty(len(self.rows))
            for i in range(len(self.cases)):
                table = tables[p * len(self.cases) + i]
                mask = self.section == i
                predicted[mask] = faulting_at(table, self.rows[mask] + 1)
            out.append(predicted)
        return out


def faulting_at(table, ages: np.ndarray) -> np.ndarray:
    """Faulting (in) at the given analysis months. Once the faulting reaches
    its maximum the program writes no more rows: it stays at the last one."""
    months = table["month"].to_numpy(dtype=int)
    values = table["faulting"].to_numpy(dtype=float)
    if len(months) == 0:
        return np.zeros(len(ages))
    index = np.searchsorted(months, ages, side="right") - 1
    return np.where(index >= 0, values[np.clip(index, 0, None)], 0.0)
