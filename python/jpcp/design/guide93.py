"""The 1993-guide rigid pavement equation: the slab thickness D (in) that
carries W18 18-kip equivalent single axle loads at a reliability, from the
serviceability loss, the concrete's modulus of rupture and modulus, the
foundation k-value, load transfer J and drainage Cd.

    log10 W18 = zR*S0 + 7.35*log10(D + 1) - 0.06
                + log10(dPSI / (4.5 - 1.5)) / (1 + 1.624e7 / (D + 1)^8.46)
                + (4.22 - 0.32*pt) * log10(Sc*Cd*(D^0.75 - 1.132)
                      / (215.63*J*(D^0.75 - 18.42 / (Ec/k)^0.25)))

zR is the standard normal deviate of the reliability (negative above 50 %),
S0 the overall standard deviation, dPSI the design serviceability loss,
pt the terminal serviceability, Sc the mean modulus of rupture (psi), Ec the
concrete modulus (psi), k the effective k-value (psi/in).
"""

from __future__ import annotations

import math
from dataclasses import dataclass
from statistics import NormalDist

INITIAL_MINUS_FAILURE_PSI = 4.5 - 1.5  # serviceability range of the road test
LARGEST_THICKNESS = 40.0  # in: the root is looked for up to here


@dataclass
class Guide93Inputs:
    w18: float  # 18-kip ESALs over the design life (not millions)
    reliability: float  # percent
    s0: float
    delta_psi: float
    pt: float
    k: float  # psi/in
    sc: float  # psi
    ec: float  # psi
    j: float
    cd: float


def allowable_log_esals(d: float, p: Guide93Inputs) -> float:
    """log10 of the ESALs a slab of thickness d (in) carries; NaN where the
    stress term is undefined (a very thin slab)."""
    z = NormalDist().inv_cdf(1.0 - p.reliability / 100.0)  # zR: negative above 50 %
    root = d**0.75
    stress_ratio = p.sc * p.cd * (root - 1.132) / (215.63 * p.j * (root - 18.42 / (p.ec / p.k) ** 0.25))
    if stress_ratio <= 0.0:
        return math.nan
    return (z * p.s0 + 7.35 * math.log10(d + 1.0) - 0.06
            + math.log10(p.delta_psi / INITIAL_MINUS_FAILURE_PSI) / (1.0 + 1.624e7 / (d + 1.0) ** 8.46)
            + (4.22 - 0.32 * p.pt) * math.log10(stress_ratio))


def thickness(p: Guide93Inputs) -> float:
    """The root D (in) of the equation for p.w18, found with Brent's method.
    The allowable ESALs grow with thickness over the slabs built; close to
    the poles of the stress term (D near 1.2 in) the equation has spurious
    roots, so the bracket is looked for from the thick end down: the largest
    root is the design thickness."""
    from scipy.optimize import brentq

    target = math.log10(p.w18)

    def excess(d: float) -> float:
        return allowable_log_esals(d, p) - target

    above = LARGEST_THICKNESS
    if not excess(above) >= 0.0:
        raise ValueError(f"no thickness up to {LARGEST_THICKNESS:g} in carries {p.w18:.4g} ESALs")
    step = 0.25
    while above - step > 0.0:
        below = above - step
        value = excess(below)
        if math.isnan(value):  # below the poles of the stress term
            raise ValueError(f"{p.w18:.4g} ESALs need less than the thinnest slab the equation describes")
        if value < 0.0:
            return brentq(excess, below, above, xtol=1e-9)
        above = below
    return above


def rounded_up(value: float, start: float, step: float) -> float:
    """The smallest point start + i*step at or above value (to 1e-9 in)."""
    steps = math.ceil((value - start) / step - 1e-9)
    return round(start + max(steps, 0) * step, 6)


@dataclass
class Guide93Result:
    inputs: Guide93Inputs
    exact: float | None  # in: the equation's root
    rounded: float | None  # in: rounded up to the thickness grid
    error: str = ""  # why there is no root


def solve(inputs: Guide93Inputs, start: float, step: float) -> Guide93Result:
    """The equation's root and the thickness of the grid start + i*step at
    or above it; a result holding the reason when there is no root."""
    try:
        exact = thickness(inputs)
    except ValueError as error:
        return Guide93Result(inputs, None, None, str(error))
    return Guide93Result(inputs, exact, rounded_up(exact, start, step))
