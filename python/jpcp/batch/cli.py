"""``jpcp batch``: make-study, run, status, collect.

Exit status: 0 when every case finished without error (make-study, status
and collect: when they did their work), 1 when a case failed or is not
finished, 2 for a bad command line, study or run folder, 130 when a run was
stopped (its finished cases are kept; start it again to complete the rest).
"""

from __future__ import annotations

import argparse
import os
import sys

from jpcp.batch.study import PROGRAMS, StudyError

USAGE_EXIT = 2


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="jpcp batch", description="Studies of many sections: one engine run per case.")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    make = commands.add_parser("make-study", help="write a study from base sections and input ranges")
    make.add_argument("--cracking", metavar="FOLDER", help="base cracking section folder")
    make.add_argument("--faulting", metavar="FOLDER", help="base faulting section folder")
    make.add_argument(
        "--vary",
        action="append",
        default=[],
        metavar="NAME=RANGE",
        help="NAME=START:STOP:STEP, NAME=V1,V2,... or NAME=START:STOP (continuous, with --samples)",
    )
    make.add_argument("--samples", type=int, metavar="N", help="N cases of a Latin hypercube instead of the full factorial")
    make.add_argument("--seed", type=int, default=1, help="seed of the Latin hypercube (default 1)")
    make.add_argument("--cracking-models", metavar="DIR", help="write this model folder into the study")
    make.add_argument("--faulting-models", metavar="DIR", help="write this model folder into the study")
    make.add_argument("--prefix", default="case", help="case names: PREFIX0001, ... (default case)")
    make.add_argument("-o", "--output", default="study.csv", metavar="FILE", help="study file (default study.csv)")

    run = commands.add_parser("run", help="run a study")
    run.add_argument("study", metavar="STUDY.csv")
    run.add_argument("--out", required=True, metavar="DIR", help="run folder: a folder per case, summary and report")
    run.add_argument("--cracking-models", metavar="DIR", help="NN model folder for cases without their own")
    run.add_argument("--faulting-models", metavar="DIR", help="deflection model folder for cases without their own")
    run.add_argument(
        "--engine",
        choices=("local", "inprocess", "slurm"),
        default="local",
        help="local: the programs through GNU parallel; inprocess: the engines' library on a pool of threads "
        "of this process (no --timeout); slurm: a job array",
    )
    run.add_argument("-j", "--jobs", type=int, metavar="N", help="cases at a time per host (local; default: the cores)")
    run.add_argument("--sshloginfile", metavar="FILE", help="GNU parallel's remote hosts (local engine)")
    run.add_argument("--retry-failed", action="store_true", help="run again only the cases that failed")
    run.add_argument("--timeout", type=float, metavar="SECONDS", help="end a program run that takes longer")
    run.add_argument("--chunk", type=int, default=1, metavar="K", help="cases per Slurm array task (default 1)")
    run.add_argument("--partition", help="Slurm partition")
    run.add_argument("--time", dest="time_limit", metavar="LIMIT", help="Slurm time limit of a task")
    run.add_argument("--mem", help="Slurm memory of a task")
    run.add_argument("--wait", action="store_true", help="Slurm: wait for the job array, then collect")
    progress = run.add_mutually_exclusive_group()
    progress.add_argument("--progress", dest="progress", action="store_true", default=None, help="show a progress bar")
    progress.add_argument("--no-progress", dest="progress", action="store_false", help="no progress bar")

    status = commands.add_parser("status", help="cases done, failed and running (squeue/sacct on Slurm)")
    status.add_argument("out", metavar="DIR")

    collect = commands.add_parser("collect", help="write DIR/summary.csv and DIR/report.html")
    collect.add_argument("out", metavar="DIR")
    return parser


def _make_study(options) -> int:
    from jpcp.batch.study import make_study, parse_vary

    bases = {p: getattr(options, p) for p in PROGRAMS if getattr(options, p)}
    for program, folder in bases.items():
        if not os.path.isdir(folder):
            raise StudyError(f"--{program} {folder}: no such folder")
    models = {p: getattr(options, f"{p}_models") for p in PROGRAMS if getattr(options, f"{p}_models")}
    variations = [parse_vary(text) for text in options.vary]
    from jpcp.batch.prepare import known_field

    for v in variations:
        if v.name != "traffic_scale" and not known_field(v.name):
            raise StudyError(f"--vary {v.name}: no input field has this name")
    count = make_study(options.output, bases, variations, options.samples, options.seed, models, options.prefix)
    print(f"{options.output}: {count} cases")
    return 0


def _print_states(run_dir: str, case_states, extra=None) -> int:
    counts = {s: sum(1 for c in case_states if c.state == s) for s in ("ok", "failed", "pending")}
    print(
        f"{run_dir}: {len(case_states)} cases: {counts['ok']} ok, {counts['failed']} failed, "
        f"{counts['pending']} not finished"
    )
    failed = [c for c in case_states if c.state == "failed"]
    for state in failed:
        print(f"  failed {state.case.name}: {state.message}")
    for line in extra or []:
        print(line)
    return 0 if counts["ok"] == len(case_states) else 1


def _run(options) -> int:
    from jpcp.batch import run as runner

    settings = runner.RunOptions(
        models={p: os.path.abspath(getattr(options, f"{p}_models")) for p in PROGRAMS if getattr(options, f"{p}_models")},
        engine=options.engine,
        jobs=options.jobs,
        sshloginfile=options.sshloginfile,
        timeout=options.timeout,
        retry_failed=options.retry_failed,
        progress=options.progress,
        chunk=options.chunk,
        partition=options.partition,
        time_limit=options.time_limit,
        mem=options.mem,
        wait=options.wait,
    )
    if options.jobs is not None and options.jobs < 1:
        raise runner.RunError("-j must be at least 1")
    if options.engine == "inprocess" and (options.timeout or options.sshloginfile):
        raise runner.RunError("--timeout and --sshloginfile need the programs as processes (--engine local)")
    run_dir = os.path.abspath(options.out)
    missing = tuple(p for p in PROGRAMS if p not in settings.models)
    if missing:
        # Programs given no model folder: the installed design-grade ones, else demonstration ones.
        from jpcp.models_path import default_model_folders

        found, line = default_model_folders(run_dir, missing)
        settings.models.update(found)
        print(line)
    study, programs = runner.start_run(options.study, run_dir, settings)
    with runner.Lock(run_dir):
        if options.engine == "slurm":
            from jpcp.batch import slurm

            busy = slurm.active_jobs(run_dir)
            if busy:
                raise runner.RunError(f"job(s) {', '.join(busy)} of this run are still queued or running")
        runner.save_settings(run_dir, study, settings, programs)
        before, selected = runner.select(run_dir, study, settings)
        skipped = len(study.cases) - len(selected)
        what = "failed cases to run again" if settings.retry_failed else "cases to run"
        print(f"{len(study.cases)} cases: {len(selected)} {what}, {skipped} kept from earlier runs", flush=True)
        rows = None
        if options.engine == "local":
            if selected:
                rows = runner.run_local(run_dir, selected, settings, programs)
        elif options.engine == "inprocess":
            if selected:
                rows = runner.run_inprocess(run_dir, selected, settings, programs)
        else:
            return _submit(run_dir, study, selected, settings, programs)
    return _collect(run_dir, study, settings.models, rows)


def _submit(run_dir, study, selected, settings, programs) -> int:
    from jpcp.batch import run as runner
    from jpcp.batch import slurm

    folders = []
    for case in selected:
        if runner.prepare_or_fail(run_dir, case, settings, programs) is None:
            folders.append(runner.prepare.case_folder(run_dir, case.name))
    if folders:
        entry = slurm.submit(run_dir, folders, settings)
        print(
            f"submitted job array {entry['job']}: {entry['tasks']} task(s) of up to {entry['chunk']} case(s); "
            f"follow it with: jpcp batch status {run_dir}",
            flush=True,
        )
        if not settings.wait:
            return 0
        names = {os.path.basename(f) for f in folders}

        def finished():
            current = [s for s in runner.states(run_dir, study, settings.models) if s.case.name in names]
            return sum(s.state != "pending" for s in current), sum(s.state == "failed" for s in current)

        slurm.wait(run_dir, entry, settings, finished)
    elif not selected:
        print("nothing to submit")
    return _collect(run_dir, study, settings.models)


def _collect(run_dir: str, study, models, rows=None) -> int:
    from jpcp.batch import run as runner
    from jpcp.batch.collect import collect

    case_states = runner.states(run_dir, study, models)
    summary_path, report_path = collect(run_dir, study, case_states, models, rows)
    status = _print_states(run_dir, case_states)
    print(f"summary: {summary_path}\nreport: {report_path}")
    return status


def _status(options) -> int:
    from jpcp.batch import run as runner
    from jpcp.batch import slurm

    run_dir = os.path.abspath(options.out)
    study, settings = runner.read_run(run_dir)
    case_states = runner.states(run_dir, study, settings.get("models", {}))
    extra = []
    entries = slurm.submissions(run_dir)
    if entries:
        jobs = [e["job"] for e in entries]
        queued = slurm.queue_states(jobs)
        accounted, note = slurm.accounting_states(jobs)
        owner = slurm.task_of(run_dir)
        if queued is None:
            extra.append("squeue did not answer")
            queued = {}
        tally = {}
        for state in queued.values():
            tally[state] = tally.get(state, 0) + 1
        listed = ", ".join(f"{n} {s.lower()}" for s, n in sorted(tally.items())) or "none"
        extra.append(f"Slurm job(s) {', '.join(jobs)}: array tasks in the queue: {listed}")
        if note:
            extra.append(f"sacct: {note}")
        for state in case_states:
            if state.state != "pending":
                continue
            task = owner.get(os.path.normpath(runner.prepare.case_folder(run_dir, state.case.name)))
            ended = accounted.get(task or "", "")
            if ended in slurm.ENDED_BADLY:
                extra.append(f"  failed {state.case.name}: Slurm task {task} ended {ended}")
            elif task and task not in queued and not ended:
                extra.append(f"  not finished {state.case.name}: Slurm task {task} is no longer queued")
    return _print_states(run_dir, case_states, extra)


def _collect_command(options) -> int:
    from jpcp.batch import run as runner

    run_dir = os.path.abspath(options.out)
    study, settings = runner.read_run(run_dir)
    return _collect(run_dir, study, settings.get("models", {}))


def main(arguments: list[str]) -> int:
    from jpcp.batch.run import RunError, Stopped

    options = _parser().parse_args(arguments)
    handlers = {"make-study": _make_study, "run": _run, "status": _status, "collect": _collect_command}
    try:
        return handlers[options.command](options)
    except (StudyError, RunError) as error:
        print(f"jpcp batch {options.command}: {error}", file=sys.stderr)
        return USAGE_EXIT
    except Stopped:
        print("jpcp batch run: stopped; run the same command again to complete the rest", file=sys.stderr)
        return 130
