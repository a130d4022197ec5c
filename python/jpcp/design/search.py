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


def search(design: Design, joint_spacing: float, dowel: float,
           evaluate: Callable[[list[float]], list[Trial]], width: int = 1) -> Answer:
    """Bisection on the thickness grid; ``evaluate`` runs the trials of a
    list of thicknesses (at the same time). The thickest thickness is tried
    first (when it fails there is no answer), then the thinnest (when it
    passes it is the answer); with ``width`` above 1 both at once, and each
    round tries ``width`` thicknesses evenly inside the bracket, cutting it
    into width + 1 parts instead of two."""
    grid = design.thickness_grid()
    tried: dict[int, Assessed] = {}

    def run(indices: list[int]) -> None:
        for index, trial in zip(indices, evaluate([grid[i] for i in indices])):
            tried[index] = assess(trial, design)

    def answer(design_index, thinner_index, thickest=None) -> Answer:
        return Answer(joint_spacing, dowel, tried.get(design_index), tried.get(thinner_index), thickest,
                      [tried[i] for i in sorted(tried)])

    last = len(grid) - 1
    run([last, 0] if width > 1 and last > 0 else [last])
    if not tried[last].passes:
        return answer(None, None, tried[last])
    if last == 0:
        return answer(0, None)
    if 0 not in tried:
        run([0])
    if tried[0].passes:
        return answer(0, None)
    failing, passing = 0, last
    while passing - failing > 1:
        count = min(width, passing - failing - 1)
        run(sorted({failing + (passing - failing) * (k + 1) // (count + 1) for k in range(count)}))
        # The bracket's thin end is the thickest failing trial; its thick
        # end the thinnest passing trial above it (the thicker one should a
        # thinner trial pass out of order).
        failing = max(i for i, a in tried.items() if not a.passes)
        passing = min(i for i, a in tried.items() if a.passes and i > failing)
    return answer(passing, failing)
