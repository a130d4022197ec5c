"""``jpcp calibrate``: the command line and the steps of a calibration.

Exit status: 0 when the calibration was written; 1 for inputs that cannot
be calibrated (the study, the observations, a coefficient name) or a run
that failed, nothing fitted then; 2 for a bad command line.
"""

from __future__ import annotations

import argparse
import os
import shutil
import sys
import tempfile

from jpcp.calibrate import coefficients as names
from jpcp.calibrate.observations import CalibrationError

NOT_CALIBRATED = 1


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="jpcp calibrate",
        description="Fit the transfer-function coefficients of a study's sections to observed distress.",
    )
    parser.add_argument("study", metavar="STUDY.csv", help="a jpcp batch study: cases, section and model folders")
    parser.add_argument("observations", metavar="OBSERVATIONS.csv",
                        help="case,age_months,percent_cracked,faulting_in (blank: not measured)")
    parser.add_argument("--fit", required=True, choices=("cracking", "faulting"))
    parser.add_argument("--coefficients", metavar="C4,C5",
                        help="the coefficients to fit: cracking C1, C2, C4, C5 (default C4,C5); "
                             "faulting C1 to C8 (default C1,C3)")
    parser.add_argument("--out", default="calibration", metavar="DIR", help="output folder (default calibration)")
    parser.add_argument("--study-out", metavar="FILE", help="write the study with the fitted coefficients as overrides")
    parser.add_argument("--cracking-models", metavar="DIR", help="NN model folder for cases without their own")
    parser.add_argument("--faulting-models", metavar="DIR", help="deflection model folder for cases without their own")
    parser.add_argument("--from-run", metavar="DIR",
                        help="take the runs with the study's own coefficients from this finished jpcp batch run")
    parser.add_argument("--folds", type=int, default=5, metavar="K", help="split-sample validation folds (default 5)")
    parser.add_argument("--bootstrap", type=int, default=200, metavar="N",
                        help="bootstrap resamples of the intervals of C4 and C5 (default 200)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the bootstrap and the folds (default 1)")
    parser.add_argument("-j", "--jobs", type=int, default=os.cpu_count() or 1, metavar="N",
                        help="runs at a time (default: the cores)")
    parser.add_argument("--engine", choices=("auto", "inprocess", "process"), default="auto",
                        help="how the programs run (see jpcp.engines; default auto)")
    return parser


def _analysis_months(program: str, values) -> int:
    if program == "cracking":
        # Whole years (the program rounds the design life); its damage
        # tables hold at most 100 years.
        return 12 * min(int(float(values["design_life"]) + 0.5), 100)
    return int(values["analysis_months"])


def _traffic(program: str, case) -> float:
    """Axles a day in the section's first year (mean of the first twelve
    monthly rows of the four axle load files, every load class, times
    traffic_scale); NaN when unreadable."""
    from jpcp import inputs

    base = case.bases[program]
    try:
        if program == "cracking":
            row = inputs.file_list_rows(inputs.source_path(base, "FileList.txt"))[0]
        else:
            row = inputs.fault_file_list_rows(inputs.source_path(base, "FaultFileList.txt"))[0]
        total = 0.0
        for key, axle in (("single_axle", "single"), ("tandem_axle", "tandem"), ("tridem_axle", "tridem"),
                          ("quad_axle", "quad")):
            table = inputs.read_axle_spectra(inputs.source_path(base, row[key]), axle, months=12)
            classes = [c for c in table.columns if str(c).startswith("class_")]
            total += float(table[classes].to_numpy().sum(axis=1).mean())
    except (OSError, ValueError, IndexError, KeyError):
        return float("nan")
    return total * float(case.overrides.get("traffic_scale", "1"))


def _load(options, coefficients):
    """The study, observations and the inputs of every case: raises
    CalibrationError before anything runs."""
    from jpcp.batch import prepare
    from jpcp.batch.study import StudyError, read_study
    from jpcp.calibrate.observations import check_against_study, read_observations

    program = options.fit
    try:
        study = read_study(options.study, known_fields=prepare.known_field)
    except StudyError as error:
        raise CalibrationError(str(error)) from None
    rows, row_problems = read_observations(options.observations, program)
    problems, section_inputs, months = [], {}, {}
    for case in study.cases:
        if program not in case.bases:
            months[case.name] = None
            continue
        try:
            prepare.check_case(case)
            values, _ = prepare.section_input(program, case)
        except prepare.CaseError as error:
            problems.append(f"{os.path.basename(options.study)} line {case.line}: {error}")
            continue
        section_inputs[case.name] = values
        months[case.name] = _analysis_months(program, values)
    if problems:
        raise CalibrationError(problems)
    problems = row_problems + check_against_study(options.observations, rows, program, months)
    observations = [o for o in rows if o.measured]
    if problems:
        # In the order of the file's lines.
        raise CalibrationError([message for _, message in sorted(problems, key=lambda p: p[0])])
    if len(observations) < len(coefficients):
        raise CalibrationError(
            f"{os.path.basename(options.observations)}: {len(observations)} {program} observation(s) for "
            f"{len(coefficients)} coefficients ({', '.join(c.name for c in coefficients)})"
        )
    observed = list(dict.fromkeys(o.case for o in observations))
    by_name = {c.name: c for c in study.cases}
    models = {}
    for name in observed:
        folder = by_name[name].models.get(program) or getattr(options, f"{program}_models")
        if not folder:
            raise CalibrationError(f"case {name}: no {program} model folder (column {program}_models or --{program}-models)")
        models[name] = os.path.abspath(folder)
    return study, observations, observed, section_inputs, models


def _verify_recomputation(cases, tables, existing, own) -> None:
    """The transfer function applied here must give the program's %Crack."""
    import numpy as np

    from jpcp.calibrate.transfer import CrackingDamage

    for case, table in zip(cases, tables):
        damage = CrackingDamage(table, *existing[case])
        rows = np.arange(len(table))
        recomputed = damage.percent(rows, own[case]["C4"], own[case]["C5"])
        written = table["%Crack"].to_numpy(dtype=float)
        # %Crack is written with two decimals.
        worst = int(np.argmax(np.abs(recomputed - written)))
        if abs(recomputed[worst] - written[worst]) > 0.0051:
            raise CalibrationError(
                f"case {case}: the transfer function applied to the damages gives {recomputed[worst]:.4f} % in month "
                f"{worst + 1}, the program wrote {written[worst]:.2f} %"
            )


def calibrate(options) -> int:
    import numpy as np

    from jpcp.calibrate import fit as fitting
    from jpcp.calibrate import outputs, statistics
    from jpcp.calibrate.models import CrackingModel, FaultingModel, faulting_at
    from jpcp.calibrate.runs import Runner, take_batch_results

    program = options.fit
    try:
        coefficients = names.parse(program, options.coefficients)
    except ValueError as error:
        raise CalibrationError(str(error)) from None
    for option, least in (("--folds", 2), ("--bootstrap", 0), ("--jobs", 1)):
        if getattr(options, option[2:].replace("-", "_")) < least:
            raise CalibrationError(f"{option} must be at least {least}")
    study, observations, observed, section_inputs, models = _load(options, coefficients)
    by_name = {c.name: c for c in study.cases}
    table = names.COEFFICIENTS[program]
    own = {case: {c.name: float(section_inputs[case][c.field]) for c in table.values()} for case in observed}

    os.makedirs(options.out, exist_ok=True)
    work = tempfile.mkdtemp(prefix=".calibrate-", dir=options.out)
    try:
        runner = Runner(program, {n: by_name[n] for n in observed}, models, work, options.jobs, options.engine)
        if options.from_run:
            taken = take_batch_results(runner, os.path.abspath(options.from_run), observed)
            print(f"{len(taken)} of {len(observed)} cases taken from the batch run {options.from_run}", flush=True)
        print(f"{len(observed)} sections, {len(observations)} observations", flush=True)
        pending = [case for case in observed if Runner.key(case, {}) not in runner.cache]
        if pending:
            print(f"running {len(pending)} case(s) with the study's own coefficients", flush=True)
        base_tables = runner.tables([(case, {}) for case in observed])
        arguments = (coefficients, observations, observed, own, runner)
        if program == "cracking":
            existing = {case: (float(section_inputs[case]["initial_cracking"]),
                               float(section_inputs[case]["cracking_offset"])) for case in observed}
            _verify_recomputation(observed, base_tables, existing, own)
            model = CrackingModel(*arguments, existing=existing)
        else:
            model = FaultingModel(*arguments)
        # Before: as the program wrote it with each case's own coefficients.
        before = np.empty(len(observations))
        for i, table_of_case in enumerate(base_tables):
            mask = model.section == i
            if program == "cracking":
                before[mask] = table_of_case["%Crack"].to_numpy(dtype=float)[model.rows[mask]]
            else:
                before[mask] = faulting_at(table_of_case, model.rows[mask] + 1)

        start, notes = model.start()
        print(f"fitting {', '.join(model.names)} from {', '.join(f'{v:g}' for v in start)}", flush=True)
        result = fitting.fit(model, start)
        after = model.predict(result.x)
        if model.rerun:
            intervals = fitting.jacobian_intervals(result)
            method = "jacobian"
        else:
            intervals, used = fitting.bootstrap_intervals(model, result.x, options.bootstrap, options.seed)
            method = "bootstrap"
            if used < options.bootstrap:
                notes.append(f"{options.bootstrap - used} of {options.bootstrap} bootstrap resamples could not be fitted")
        validated = fitting.kfold_predictions(model, result, options.folds, options.seed)
        p = len(coefficients)
        before_stats = statistics.goodness(model.measured, before, model.section, p)
        after_stats = statistics.goodness(model.measured, after, model.section, p)
        kfold_see = None
        if validated is not None:
            kfold_see = float(np.sqrt(np.mean((model.measured - validated) ** 2)))
        error_model = statistics.standard_error_model(after, model.measured - after)
        bins = error_model.pop("bins")

        document = {
            "fit": program,
            "coefficients": {
                c.name: {"start": float(s), "value": float(v), "ci95": [float(lo), float(hi)], "ci_method": method}
                for c, s, v, (lo, hi) in zip(coefficients, start, result.x, intervals)
            },
            "statistics": {"before": before_stats, "after": after_stats, "kfold_see": kfold_see},
            "standard_error_model": error_model,
        }
        fitted = {c.field: float(v) for c, v in zip(coefficients, result.x)}
        outputs.write_coefficients(os.path.join(options.out, outputs.COEFFICIENTS_FILE), document)
        outputs.write_predictions(os.path.join(options.out, outputs.PREDICTIONS_FILE), observations,
                                  {"predicted_before": before, "predicted_after": after, "predicted_kfold": validated})
        outputs.write_patched_inputs(os.path.join(options.out, outputs.INPUTS_FOLDER), program,
                                     [by_name[n] for n in observed], fitted)
        if options.study_out:
            outputs.write_study_with(options.study_out, study, fitted)

        from jpcp.calibrate.report import write_report
        from jpcp.report.models import describe

        thickness = np.array([float(section_inputs[c]["thickness"]) for c in observed])[model.section]
        spacing = np.array([float(section_inputs[c]["joint_spacing"]) for c in observed])[model.section]
        traffic = np.array([_traffic(program, by_name[c]) for c in observed])[model.section]
        variables = [("Age (years)", (model.rows + 1) / 12.0), ("Slab thickness (in)", thickness),
                     ("Joint spacing (ft)", spacing), ("Traffic (axles a day, first year)", traffic)]
        write_report(os.path.join(options.out, "calibration.html"), program, document, model.measured, before, after,
                     variables, bins, options.folds, notes,
                     demonstration=any(describe(models[c]).demonstration for c in observed))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for note in notes:
        print(f"note: {note}")
    for name, c in document["coefficients"].items():
        print(f"{name} = {c['value']:.6g}  (start {c['start']:g}; 95 % {method} interval "
              f"{c['ci95'][0]:.6g} to {c['ci95'][1]:.6g})")
    for label, s in (("before", before_stats), ("after", after_stats)):
        print(f"{label:6}: bias {s['bias']:.4g}, SEE {s['see'] if s['see'] is None else format(s['see'], '.4g')}, "
              f"R2 {s['r2'] if s['r2'] is None else format(s['r2'], '.3f')}")
    print(f"{runner.runs} runs; written to {options.out}")
    return 0


def main(arguments: list[str]) -> int:
    options = _parser().parse_args(arguments)
    try:
        return calibrate(options)
    except CalibrationError as error:
        for problem in error.problems:
            print(f"jpcp calibrate: {problem}", file=sys.stderr)
        print("jpcp calibrate: nothing fitted", file=sys.stderr)
        return NOT_CALIBRATED
    except OSError as error:  # an output folder or file that cannot be written
        print(f"jpcp calibrate: {error.filename or ''}: {error.strerror}", file=sys.stderr)
        return NOT_CALIBRATED
