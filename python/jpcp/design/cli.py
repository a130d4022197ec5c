"""``jpcp design SECTION.toml [--out DIR]``: the command line, the probe
builds that check the section's options, the searches in parallel, and
the files written."""

from __future__ import annotations

import argparse
import os
import re
import shutil
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

from jpcp.design import trials as trial_runs
from jpcp.design.config import DESIGN_VARIABLES, Design, DesignInputError, read_design
from jpcp.design.guide93 import solve
from jpcp.design.outputs import (DESIGN_COLUMNS, GUIDE93_COLUMNS, TRIAL_COLUMNS, answer_line, design_rows,
                                 guide93_line, trial_rows, write_csv)
from jpcp.design.search import Answer, search
from jpcp.engines import ENGINE_NAMES, RunError
from jpcp.models_path import FALLBACK_LINE

METHODS = ("engines", "guide93")


def parser() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(
        prog="jpcp design",
        description="The thinnest slab whose predicted cracking and faulting at the end of the design life "
        "stay within their limits at a reliability, for each joint spacing and dowel size; the 1993-guide "
        "thickness beside it.",
    )
    p.add_argument("section", metavar="SECTION.toml", help="section builder options and the [design] table")
    p.add_argument("--out", metavar="DIR", help="output folder (default: SECTION-design in the current folder)")
    p.add_argument("--method", choices=METHODS, default="engines",
                   help="engines: search with both programs (default); guide93: the 1993-guide equation only")
    p.add_argument("-j", "--jobs", type=int, metavar="N",
                   help="trials at a time (default: the cores); with --engine slurm, trials a round")
    p.add_argument("--engine", choices=ENGINE_NAMES + ("slurm",), default="auto",
                   help="how the programs run (jpcp.engines; default auto); slurm: each round of trials one "
                   "jpcp batch job array, the sections in DIR/slurm, which the nodes must see")
    p.add_argument("--partition", help="Slurm partition (--engine slurm)")
    p.add_argument("--time", dest="time_limit", metavar="LIMIT", help="Slurm time limit of a task (--engine slurm)")
    p.add_argument("--cracking-models", metavar="DIR", help="NN model folder of jpcp_cracking")
    p.add_argument("--faulting-models", metavar="DIR", help="deflection model folder of jpcp_faulting")
    p.add_argument("--keep-sections", action="store_true",
                   help="write the sections of each answer and of one step thinner into DIR/sections")
    return p


def _builder_key(design: Design, message: str) -> str:
    """The design file key behind the builder option a message names."""
    match = re.match(r"--([a-z0-9-]+)", message)
    if not match:
        return "section"
    option = match.group(1)
    return design.keys.get(option, f"design.{DESIGN_VARIABLES[option]}" if option in DESIGN_VARIABLES else option)


def _probe(design: Design, scratch: Path) -> tuple[dict, float, float]:
    """Builds the sections at the thinnest and the thickest thickness, then
    the faulting section at every other joint spacing and dowel size, so
    that the builder checks every value before any run. The two first are
    the first search's end trials, kept by (thickness, joint spacing,
    dowel); the thinnest also gives the section's own joint spacing and
    dowel size and the 1993-guide inputs. Returns (kept sections, own joint
    spacing, own dowel size)."""
    from jpcp.inputs import read_faulting_input

    grid = design.thickness_grid()
    spacings, dowels = design.joint_spacings or [None], design.dowels or [None]
    probes = [("both", grid[0], spacings[0], dowels[0]), ("both", grid[-1], spacings[0], dowels[0])]
    probes += [("faulting", grid[0], s, dowels[0]) for s in spacings[1:]]
    probes += [("faulting", grid[0], spacings[0], d) for d in dowels[1:]]
    for number, (kind, thickness, spacing, dowel) in enumerate(probes):
        folder = scratch / f"probe{number}"
        try:
            trial_runs.build_section(folder, trial_runs.trial_options(design.options, thickness, spacing, dowel), kind)
        except trial_runs.BuildError as error:
            raise DesignInputError(f"{design.path}: {_builder_key(design, str(error))}: {error}") from None
        if number > 1:
            shutil.rmtree(folder, ignore_errors=True)
    own = read_faulting_input(scratch / "probe0" / "faulting" / "faultgeneralinput.txt")
    spacing = spacings[0] if spacings[0] is not None else float(own["joint_spacing"])
    dowel = dowels[0] if dowels[0] is not None else float(own["dowel_diameter"])
    built = {(grid[0], spacing, dowel): scratch / "probe0", (grid[-1], spacing, dowel): scratch / "probe1"}
    return built, float(own["joint_spacing"]), float(own["dowel_diameter"])


def guide93_inputs(design: Design, section: Path, models, engine: str):
    """The 1993-guide inputs: the [guide93] table, and from the section what
    it does not give: W18 the design traffic over the design life from the
    cracking program's ESALs.txt, k the median of the monthly k-values, Sc
    and Ec the 28-day (one-month) modulus of rupture and modulus."""
    from jpcp.design.guide93 import Guide93Inputs

    values = dict(design.guide93)
    if "w18" not in values:
        from jpcp import engines
        from jpcp.results import read_esals

        results = section / "cracking-results"
        results.mkdir(exist_ok=True)
        engines.run_cracking(section / "cracking", models.cracking, results=results, engine=engine)
        values["w18"] = read_esals(results / "ESALs.txt") * 1e6
    if not {"k", "sc", "ec"} <= values.keys():
        from jpcp.inputs import read_faulting_season_pattern

        season = read_faulting_season_pattern(section / "faulting" / "seasonpattern.txt")
        month = season.pcc.loc[season.pcc["age"] == 1].iloc[0]
        values.setdefault("k", float(season.monthly["k_value"].median()))
        values.setdefault("sc", float(month["mr"]))
        values.setdefault("ec", float(month["e"]))
    return Guide93Inputs(**{key: values[key] for key in Guide93Inputs.__dataclass_fields__})


def write_sections(out: Path, design: Design, answers: list[Answer]) -> None:
    """The sections of each answer and of one step thinner, to inspect or
    rerun: DIR/sections/L<ft>-d<in>/h<in>/{cracking,faulting}."""
    for answer in answers:
        for assessed in (answer.design, answer.thinner):
            if assessed is None:
                continue
            t = assessed.trial
            folder = out / "sections" / f"L{t.joint_spacing:g}-d{t.dowel:g}" / f"h{t.thickness:g}"
            shutil.rmtree(folder, ignore_errors=True)
            trial_runs.build_section(folder, trial_runs.trial_options(design.options, t.thickness,
                                                                      t.joint_spacing, t.dowel))


def _local_searches(design, combinations, models, jobs, scratch, built, engine) -> list[Answer]:
    """The searches side by side, their trials in one pool of ``jobs``."""
    # A trial runs two programs side by side: a search tries several
    # thicknesses at once only when the cores outnumber them.
    width = max(1, jobs // (2 * len(combinations)))
    shared = trial_runs.SharedCracking()
    with ThreadPoolExecutor(max_workers=jobs) as trial_pool, \
            ThreadPoolExecutor(max_workers=len(combinations)) as search_pool:

        def evaluate(thicknesses, s, d):
            futures = [trial_pool.submit(trial_runs.run_trial, scratch, design.options, h, s, d, models, engine,
                                         built.get((h, s, d)), shared) for h in thicknesses]
            return [future.result() for future in futures]

        futures = [search_pool.submit(search, design, s, d, lambda hs, s=s, d=d: evaluate(hs, s, d), width)
                   for s, d in combinations]
        return [future.result() for future in futures]


def _slurm_searches(design, combinations, models, jobs, out, args) -> list[Answer]:
    """The searches in rounds, each round's trials one job array."""
    from jpcp.design.slurm import SlurmRounds

    batch_options = []
    if args.partition:
        batch_options += ["--partition", args.partition]
    if args.time_limit:
        batch_options += ["--time", args.time_limit]
    rounds = SlurmRounds(out / "slurm", len(combinations), design.options, models, jobs, batch_options)
    width = max(1, jobs // len(combinations))

    def one(s, d):
        try:
            return search(design, s, d, lambda hs: rounds.evaluate(s, d, hs), width)
        finally:
            rounds.finished()

    with ThreadPoolExecutor(max_workers=len(combinations)) as search_pool:
        futures = [search_pool.submit(one, s, d) for s, d in combinations]
        return [future.result() for future in futures]


def main(arguments: list[str]) -> int:
    args = parser().parse_args(arguments)
    section_file = Path(args.section)
    out = Path(args.out) if args.out else Path(f"{section_file.stem}-design")
    if args.jobs is not None and args.jobs < 1:
        print("jpcp design: -j must be 1 or more", file=sys.stderr)
        return 2
    for option, folder in (("--cracking-models", args.cracking_models), ("--faulting-models", args.faulting_models)):
        if folder is not None and not (Path(folder) / "NNinfo.txt").is_file():
            print(f"jpcp design: {option} {folder}: not a model folder (no NNinfo.txt)", file=sys.stderr)
            return 2
    scratch = None
    try:
        design = read_design(section_file, trial_runs.builder_options())
        scratch = Path(tempfile.mkdtemp(prefix="jpcp-design-"))
        built, own_spacing, own_dowel = _probe(design, scratch)
        section = scratch / "probe0"
        models = trial_runs.model_folders(args.cracking_models, args.faulting_models)
        # The 1993-guide figure takes only the traffic from a run: the models do not enter it.
        installed = [getattr(models, kind) for kind, origin in models.origin.items() if origin == "installed"]
        if installed:
            print(f"jpcp design: using the design-grade models in {installed[0].parent}", file=sys.stderr)
        if "demonstration cache" in models.origin.values():
            print(f"jpcp design: {FALLBACK_LINE}", file=sys.stderr)
        elif models.any_demonstration and args.method == "engines":
            print(trial_runs.DEMONSTRATION_LINE, file=sys.stderr)
        out.mkdir(parents=True, exist_ok=True)

        try:
            local = "auto" if args.engine == "slurm" else args.engine  # one short run for the design traffic
            guide = solve(guide93_inputs(design, section, models, local), design.thickness[0], design.thickness[2])
        except Exception as error:  # noqa: BLE001 - the 1993-guide figure is a side result of a design
            if args.method == "guide93":
                raise
            guide = None
            print(f"jpcp design: no 1993-guide thickness: {error}", file=sys.stderr)

        answers: list[Answer] = []
        if args.method == "guide93":
            p = guide.inputs
            row = [guide.rounded if guide.rounded is not None else "", guide.exact if guide.exact is not None else "",
                   p.w18, p.reliability, p.s0, p.delta_psi, p.pt, p.k, p.sc, p.ec, p.j, p.cd]
            write_csv(out / "design.csv", GUIDE93_COLUMNS, [row])
        else:
            combinations = [(s, d) for s in (design.joint_spacings or [own_spacing])
                            for d in (design.dowels or [own_dowel])]
            jobs = args.jobs or os.cpu_count() or 1
            if args.engine == "slurm":
                answers = _slurm_searches(design, combinations, models, jobs, out, args)
            else:
                answers = _local_searches(design, combinations, models, jobs, scratch, built, args.engine)
            write_csv(out / "design.csv", DESIGN_COLUMNS, design_rows(answers))
            write_csv(out / "trials.csv", TRIAL_COLUMNS, trial_rows(answers))
            if args.keep_sections:
                write_sections(out, design, answers)

        from jpcp.design.report import write_report

        write_report(out / "design.html", design, answers, guide, models, args.method)
        if args.method == "guide93":
            print(guide93_line(guide))
        for answer in answers:
            print(answer_line(answer, design))
        return 0
    except DesignInputError as error:
        print(f"jpcp design: {error}", file=sys.stderr)
        return 1
    except (RunError, RuntimeError, OSError, ValueError) as error:  # a failed build or run: one line
        print(f"jpcp design: {error}", file=sys.stderr)
        return 1
    finally:
        if scratch is not None:
            shutil.rmtree(scratch, ignore_errors=True)
