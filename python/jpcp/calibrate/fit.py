"""Least-squares fits of a model's coefficients, their 95 % confidence
intervals and the split-sample validation.

Confidence intervals: where no run is needed (C4 and C5 of cracking), a
bootstrap over sections: sections drawn with replacement, the fit repeated
on each resample; the standard deviation of the refitted values is the
coefficient's standard error, and the interval value +- t(0.975, G - 1) x
that error, G the number of sections. (The 2.5 and 97.5 percentiles of the
refitted values make intervals that hold the coefficient too rarely with
the few sections of a calibration: a resample of six sections that lacks
the most cracked ones moves the fit along the C4-C5 ridge, and the
percentiles then lie mostly on one side of the fitted value.)
Where runs are needed, from the Jacobian J at the optimum: covariance
s^2 (J'J)^-1 with s^2 = SSE / (n - p), and value +- t(0.975, n - p) x
its standard error.

Split-sample validation: sections cut into k folds; each fold predicted by
the coefficients fitted without it. With runs, each fold's fit is made on
the model linearised at the optimum (its Jacobian), which needs no
further run.
"""

from __future__ import annotations

from dataclasses import dataclass

import numpy as np
from scipy import optimize, stats

from jpcp.calibrate.models import Model


@dataclass
class FitResult:
    x: np.ndarray
    residual: np.ndarray  # predicted - measured of the fitted rows, at x
    jacobian: np.ndarray
    evaluations: int
    message: str


def _scale(x: np.ndarray) -> np.ndarray:
    return np.where(np.abs(x) > 0, np.abs(x), 1.0)


def difference_jacobian(model: Model, x: np.ndarray, rows: np.ndarray) -> np.ndarray:
    """Forward differences, all shifted points run in one batch; a step that
    would leave the bounds goes the other way."""
    steps = model.step * _scale(x)
    steps = np.where(x + steps > model.upper, -steps, steps)
    points = [x] + [x + np.eye(len(x))[j] * steps[j] for j in range(len(x))]
    predicted = model.predict_many(points)
    base = predicted[0][rows]
    return np.column_stack([(predicted[j + 1][rows] - base) / steps[j] for j in range(len(x))])


def fit(model: Model, x0: np.ndarray, rows: np.ndarray | None = None, max_evaluations: int | None = None) -> FitResult:
    """Least squares of predicted - measured over ``rows`` (all
    observations when None), from x0, within the coefficients' bounds."""
    rows = np.arange(len(model.measured)) if rows is None else rows
    measured = model.measured[rows]
    analytic = model.jacobian(x0, rows) is not None

    def residual(x):
        return model.predict(x)[rows] - measured

    def jacobian(x):
        found = model.jacobian(x, rows) if analytic else None
        return found if found is not None else difference_jacobian(model, x, rows)

    # Start strictly inside the bounds (a study value on a bound, C5 = 0 say).
    inside = np.clip(x0, model.lower + 1e-9 * _scale(x0), model.upper - 1e-9 * _scale(x0))
    # A run's results are written to a few digits (faulting to 0.0001 in):
    # coefficients closer than 1e-4 relative are alike, and steps below that
    # would chase the rounding of the result files.
    tolerance = {"xtol": 1e-4, "ftol": 1e-6} if model.rerun else {}
    result = optimize.least_squares(
        residual, inside, jac=jacobian, bounds=(model.lower, model.upper), x_scale=_scale(x0), method="trf",
        max_nfev=max_evaluations, **tolerance,
    )
    return FitResult(result.x, result.fun, result.jac, result.nfev, result.message)


def jacobian_intervals(result: FitResult) -> np.ndarray:
    """95 % intervals (p x 2) from the Jacobian at the optimum; NaN where the
    data cannot give one (n <= p, or a coefficient without effect)."""
    n, p = result.jacobian.shape
    if n <= p:
        return np.full((p, 2), np.nan)
    s2 = float(np.sum(result.residual**2)) / (n - p)
    covariance = s2 * np.linalg.pinv(result.jacobian.T @ result.jacobian)
    error = np.sqrt(np.clip(np.diag(covariance), 0.0, None))
    error = np.where(np.all(result.jacobian == 0, axis=0), np.nan, error)
    half = stats.t.ppf(0.975, n - p) * error
    return np.column_stack([result.x - half, result.x + half])


def section_rows(model: Model) -> list[np.ndarray]:
    return [np.flatnonzero(model.section == i) for i in range(len(model.cases))]


def bootstrap_intervals(model: Model, x: np.ndarray, resamples: int, seed: int) -> tuple[np.ndarray, int]:
    """95 % intervals (p x 2) from the standard errors of ``resamples``
    refits on sections drawn with replacement, within the coefficients'
    bounds; also the number of refits that succeeded."""
    rng = np.random.default_rng(seed)
    groups = section_rows(model)
    values = []
    for _ in range(resamples):
        drawn = rng.integers(0, len(groups), len(groups))
        rows = np.concatenate([groups[i] for i in drawn])
        try:
            values.append(fit(model, x, rows).x)
        except (ValueError, np.linalg.LinAlgError):
            continue  # a degenerate resample (every drawn section alike)
    if len(values) < 2:
        return np.full((len(x), 2), np.nan), len(values)
    half = stats.t.ppf(0.975, len(groups) - 1) * np.std(np.array(values), axis=0, ddof=1)
    return np.column_stack([np.maximum(x - half, model.lower), np.minimum(x + half, model.upper)]), len(values)


def folds(sections: int, k: int, seed: int) -> list[np.ndarray]:
    """Section indices cut into min(k, sections) folds at random."""
    order = np.random.default_rng(seed).permutation(sections)
    return [f for f in np.array_split(order, min(k, sections)) if len(f)]


def kfold_predictions(model: Model, result: FitResult, k: int, seed: int) -> np.ndarray | None:
    """Each observation predicted by the coefficients fitted without its
    section's fold (None with fewer than two sections)."""
    if len(model.cases) < 2 or k < 2:
        return None
    predicted = np.empty(len(model.measured))
    at_optimum = model.predict(result.x)
    for fold in folds(len(model.cases), k, seed):
        held = np.isin(model.section, fold)
        train, test = np.flatnonzero(~held), np.flatnonzero(held)
        if model.rerun:
            # Gauss-Newton step of the linearised model on the other folds.
            step, *_ = np.linalg.lstsq(result.jacobian[train], -result.residual[train], rcond=None)
            predicted[test] = at_optimum[test] + result.jacobian[test] @ step
        else:
            x = fit(model, result.x, train).x
            predicted[test] = model.predict(x)[test]
    return predicted
