"""The thinnest slab on the thickness grid whose design distresses stay at
or below their limits, by bisection: both distresses fall as the slab
thickens, so a thickness that passes has every thicker one passing."""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import Callable

from jpcp.design.config import Design
from jpcp.design.trials import Trial

DISTRESSES = ("cracking", "faulting")


@dataclass
class Assessed:
    """A trial with its design values x + z*s(x) and verdicts."""

    trial: Trial
    cracking_design: float  # percent
    faulting_design: float  # in
    cracking_passes: bool
    faulting_passes: bool

    @property
    def passes(self) -> bool:
        return self.cracking_passes and self.faulting_passes

    def failing(self) -> list[str]:
        return [d for d in DISTRESSES if not getattr(self, f"{d}_passes")]


def assess(trial: Trial, design: Design) -> Assessed:
    z = design.z
    cracking = design.errors["cracking"].design_value(trial.cracking, z)
    faulting = design.errors["faulting"].design_value(trial.faulting, z)
    return Assessed(trial, cracking, faulting, cracking <= design.cracking_limit, faulting <= design.faulting_limit)


@dataclass
class Answer:
    """The search's result for one joint spacing and dowel size.

    ``design``: the thinnest passing trial (None when even the thickest
    fails); ``thinner``: the trial one step thinner (None when the thinnest
    passes); ``thickest``: the failing thickest trial when none passes."""

    joint_spacing: float
    dowel: float
    design: Assessed | None
    thinner: Assessed | None
    thickest: Assessed | None = None
    trials: list[Assessed] = field(default_factory=list)

    @property
    def governed_by(self) -> str:
        if self.design is None:
            return "none passes (" + " and ".join(self.thickest.failing()) + ")"
        if self.thinner is None:
            return "minimum thickness"
        return " and ".join(self.thinner.failing())


def search(design: Design, joint_spacing: float, dowel: float, evaluate: Callable[[float], Trial]) -> Answer:
    """Bisection on the thickness grid. The thickest and the thinnest
    thickness are tried first: when the thickest fails there is no answer,
    when the thinnest passes it is the answer."""
    grid = design.thickness_grid()
    tried: list[Assessed] = []

    def trial(index: int) -> Assessed:
        assessed = assess(evaluate(grid[index]), design)
        tried.append(assessed)
        return assessed

    thickest = trial(len(grid) - 1)
    if not thickest.passes:
        return Answer(joint_spacing, dowel, None, None, thickest, tried)
    if len(grid) == 1:
        return Answer(joint_spacing, dowel, thickest, None, None, tried)
    thinnest = trial(0)
    if thinnest.passes:
        return Answer(joint_spacing, dowel, thinnest, None, None, tried)
    failing, passing = 0, len(grid) - 1
    failed, passed = thinnest, thickest
    while passing - failing > 1:
        middle = (failing + passing) // 2
        result = trial(middle)
        if result.passes:
            passing, passed = middle, result
        else:
            failing, failed = middle, result
    return Answer(joint_spacing, dowel, passed, failed, None, tried)

