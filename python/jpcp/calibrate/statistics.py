"""Goodness-of-fit statistics of predicted against measured distress, and
the standard-error model of a prediction."""

from __future__ import annotations

import math

import numpy as np
from scipy import optimize, stats


def _number(value) -> float | None:
    value = float(value)
    return value if math.isfinite(value) else None


def goodness(measured: np.ndarray, predicted: np.ndarray, sections: np.ndarray, fitted: int) -> dict:
    """Statistics of a set of predictions, as agencies report them:

    - bias: mean of measured - predicted, with the p-value of the paired
      t-test of a zero mean difference;
    - see: standard error of the estimate, sqrt(sum of squared residuals /
      (n - p)), p the number of fitted coefficients (the same before and
      after, so that the two compare);
    - r2: 1 - SSE / SST about the mean of the measured values (negative
      when the predictions are worse than that mean);
    - slope: of the least-squares line measured = a + slope x predicted, and
      the p-value of the t-test of slope = 1 (n - 2 degrees of freedom).
    A statistic that the data cannot give (too few observations, no spread
    in the predictions) is None.
    """
    measured = np.asarray(measured, dtype=float)
    predicted = np.asarray(predicted, dtype=float)
    n = len(measured)
    residual = measured - predicted
    out = {"n_sections": int(len(np.unique(sections))), "n_observations": int(n)}
    out["bias"] = _number(residual.mean()) if n else None
    spread = residual.std(ddof=1) if n > 1 else 0.0
    if n > 1 and spread > 0:
        out["bias_p"] = _number(stats.ttest_1samp(residual, 0.0).pvalue)
    else:
        out["bias_p"] = None if n < 2 else (1.0 if residual.mean() == 0 else 0.0)
    sse = float(np.sum(residual**2))
    out["see"] = _number(math.sqrt(sse / (n - fitted))) if n > fitted else None
    sst = float(np.sum((measured - measured.mean()) ** 2)) if n else 0.0
    out["r2"] = _number(1.0 - sse / sst) if sst > 0 else None
    out["slope"] = out["slope_p"] = None
    if n > 2 and np.ptp(predicted) > 0:
        line = stats.linregress(predicted, measured)
        out["slope"] = _number(line.slope)
        if line.stderr > 0:
            t = (line.slope - 1.0) / line.stderr
            out["slope_p"] = _number(2.0 * stats.t.sf(abs(t), n - 2))
        else:
            out["slope_p"] = 1.0 if line.slope == 1.0 else 0.0
    return out


def error_bins(predicted: np.ndarray, residual: np.ndarray, per_bin: int | None = None) -> tuple[np.ndarray, np.ndarray]:
    """Observations sorted by predicted value and cut into bins of equal
    count (about a tenth of them, at least 3 each): the mean predicted
    value and the root-mean-square residual of each bin."""
    order = np.argsort(predicted, kind="stable")
    n = len(order)
    if per_bin is None:
        per_bin = max(3, n // 10)
    count = max(1, n // per_bin)
    groups = np.array_split(order, count)
    x = np.array([predicted[g].mean() for g in groups])
    s = np.array([math.sqrt(np.mean(residual[g] ** 2)) for g in groups])
    return x, s


def standard_error_model(predicted: np.ndarray, residual: np.ndarray) -> dict:
    """s(x) = a x^b + c fitted by least squares to the binned standard
    errors (a, c >= 0; 0 <= b <= 3). With fewer than four bins, or a fit
    that fails, the constant root-mean-square residual: a = 0, b = 1, c."""
    predicted = np.asarray(predicted, dtype=float)
    residual = np.asarray(residual, dtype=float)
    constant = {"a": 0.0, "b": 1.0, "c": float(math.sqrt(np.mean(residual**2))) if len(residual) else 0.0}
    if len(residual) < 12:
        return dict(constant, bins=[])
    x, s = error_bins(predicted, residual)
    bins = [[float(a), float(b)] for a, b in zip(x, s)]
    if len(x) < 4 or np.any(x <= 0):
        return dict(constant, bins=bins)

    def fun(p):
        return p[0] * np.power(x, p[1]) + p[2] - s

    try:
        start = [max(s.max() - s.min(), 1e-9) / max(x.max(), 1e-12) ** 0.5, 0.5, max(s.min(), 0.0)]
        fit = optimize.least_squares(fun, start, bounds=([0.0, 0.0, 0.0], [np.inf, 3.0, np.inf]))
    except (ValueError, np.linalg.LinAlgError):
        return dict(constant, bins=bins)
    if not fit.success or not np.all(np.isfinite(fit.x)):
        return dict(constant, bins=bins)
    a, b, c = (float(v) for v in fit.x)
    return {"a": a, "b": b, "c": c, "bins": bins}
