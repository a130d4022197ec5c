"""A batch run: which cases to run, their preparation, the local engine
(GNU parallel) and the state of a run folder."""

from __future__ import annotations

import fcntl
import os
import queue
import shutil
import signal
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field

from jpcp.batch import prepare
from jpcp.batch.state import CaseState, case_state, effective_models, identity, states  # noqa: F401  (the run's API)
from jpcp.batch.study import MODEL_COLUMNS, PROGRAMS, Case, Study, read_study, write_study
from jpcp.engines.process import PROGRAM_NAMES, find_program
from jpcp.batch.worker import PLAN_FILE, STATUS_FILE, case_lock, read_json, results_complete, write_json

RUN_FILE = "run.json"
STUDY_COPY = "study.csv"
LOCK_FILE = ".lock"
WORKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "worker.py")
# The worker uses the standard library only: -S spares it the site module,
# which is half of Python's start.
WORKER_COMMAND = [sys.executable, "-S", WORKER]


class RunError(RuntimeError):
    """A run that cannot start (bad options, missing programs, busy folder)."""


# --- run folder ------------------------------------------------------------


@dataclass
class RunOptions:
    models: dict[str, str] = field(default_factory=dict)
    engine: str = "local"
    jobs: int | None = None
    sshloginfile: str | None = None
    timeout: float | None = None
    retry_failed: bool = False
    progress: bool | None = None  # None: when standard error is a terminal
    # Slurm
    chunk: int = 1
    partition: str | None = None
    time_limit: str | None = None
    mem: str | None = None
    wait: bool = False


def load_study(path: str) -> Study:
    study = read_study(path, known_fields=prepare.known_field)
    problems = []
    for case in study.cases:
        try:
            prepare.check_case(case)
        except prepare.CaseError as error:
            problems.append(str(error))
    if problems:
        raise RunError("\n".join(problems))
    return study


def read_run(run_dir: str) -> tuple[Study, dict]:
    """The study and options a run folder was last started with."""
    settings = read_json(os.path.join(run_dir, RUN_FILE))
    if settings is None:
        raise RunError(f"{run_dir} is not a batch run folder (no {RUN_FILE})")
    return read_study(os.path.join(run_dir, STUDY_COPY)), settings


class Lock:
    """One run at a time in a run folder (two would prepare the same case
    folders under each other's feet)."""

    def __init__(self, run_dir: str):
        self.path = os.path.join(run_dir, LOCK_FILE)
        self.handle = None

    def __enter__(self):
        self.handle = open(self.path, "a")
        try:
            fcntl.flock(self.handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            self.handle.close()
            raise RunError(f"another batch run is using {os.path.dirname(self.path)}") from None
        return self

    def __exit__(self, *exc):
        self.handle.close()


def start_run(study_path: str, run_dir: str, options: RunOptions) -> tuple[Study, dict[str, str]]:
    """Checks the study and the programs, writes the run folder's settings
    and the study copy that status and collect read; returns the study and
    the engines' paths."""
    study = load_study(study_path)
    used = {p for case in study.cases for p in case.bases}
    programs = {}
    if options.engine == "inprocess":
        from jpcp import engines

        if "inprocess" not in engines.available():
            raise RunError("the in-process engine is not available: build the jpcp.engine extension (build/python)")
    for program in sorted(used):
        path = find_program(program)
        if path is None and options.engine == "inprocess":
            # The plan keeps a command line, which this engine takes apart
            # without starting the program.
            path = PROGRAM_NAMES[program]
        if path is None:
            raise RunError(
                f"{PROGRAM_NAMES[program]} not found: build the project, put it on the PATH or set JPCP_BUILD_DIR"
            )
        programs[program] = path
    missing = sorted(
        {f"--{p}-models" for case in study.cases for p, m in effective_models(case, options.models).items() if not m}
    )
    if missing:
        raise RunError(f"cases without a model folder column need {' and '.join(missing)}")
    try:
        os.makedirs(run_dir, exist_ok=True)
    except OSError as error:
        raise RunError(f"cannot make the run folder {run_dir}: {error.strerror}") from None
    return study, programs


def save_settings(run_dir: str, study: Study, options: RunOptions, programs: dict[str, str]) -> None:
    # The study is copied with absolute folders so that status and collect
    # see exactly what ran, wherever they are started from.
    columns = ["case", *PROGRAMS, *(MODEL_COLUMNS[p] for p in PROGRAMS), *study.override_columns]
    write_study(os.path.join(run_dir, STUDY_COPY), [c.row() for c in study.cases], columns)
    write_json(
        os.path.join(run_dir, RUN_FILE),
        {
            "study": study.path,
            "models": options.models,
            "programs": programs,
            "engine": options.engine,
            "override_columns": study.override_columns,
        },
    )


def prepare_or_fail(run_dir: str, case: Case, options: RunOptions, programs: dict[str, str]) -> dict | None:
    """Prepares a case to run; returns None when it is ready. A case whose
    inputs cannot be written gets a failed record at once, and a case that
    a worker of an earlier, killed start finished meanwhile keeps that
    worker's record; either record is returned and the case is not run."""
    folder = prepare.case_folder(run_dir, case.name)
    with case_lock(folder) as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            print(f"case {case.name} is still running from an earlier start; waiting for it", file=sys.stderr)
            fcntl.flock(lock, fcntl.LOCK_EX)
            current = case_state(run_dir, case, options.models)
            if current.state != ("failed" if options.retry_failed else "pending"):
                return current.record
        return _prepare_or_fail(run_dir, case, options, programs)


def _prepare_or_fail(run_dir: str, case: Case, options: RunOptions, programs: dict[str, str]) -> dict | None:
    try:
        prepare.prepare_case(run_dir, case, options.models, programs, identity(case, options.models))
        return None
    except (prepare.CaseError, ValueError, OSError) as error:
        message = str(error)
        if not message.startswith(f"case {case.name}"):
            message = f"case {case.name}: inputs could not be written: {message}"
        folder = prepare.case_folder(run_dir, case.name)
        os.makedirs(folder, exist_ok=True)
        record = {
            "case": case.name,
            "status": "failed",
            "message": message,
            "seconds": 0.0,
            "runs": [],
            "row": identity(case, options.models),
        }
        write_json(os.path.join(folder, STATUS_FILE), record)
        return record


def select(run_dir: str, study: Study, options: RunOptions) -> tuple[list[CaseState], list[Case]]:
    current = states(run_dir, study, options.models)
    wanted = "failed" if options.retry_failed else "pending"
    return current, [s.case for s in current if s.state == wanted]


# --- local engine ------------------------------------------------------------


class Progress:
    """Cases done and failed with the time left: a tqdm bar on a terminal
    (a plain count where tqdm is not installed), a closing line in any case."""

    def __init__(self, total: int, enabled: bool | None):
        self.failed = 0
        self.done = 0
        self.total = total
        self.lock = threading.Lock()
        disable = (not sys.stderr.isatty()) if enabled is None else not enabled
        try:
            from tqdm import tqdm
        except ImportError:
            self.bar = None
            self.plain = not disable
        else:
            self.bar = tqdm(total=total, unit="case", desc="cases", disable=disable, dynamic_ncols=True, file=sys.stderr)
            self.bar.set_postfix(failed=0)

    def finished(self, status: str) -> None:
        with self.lock:
            self.done += 1
            if status != "ok":
                self.failed += 1
            if self.bar is not None:
                if status != "ok":
                    self.bar.set_postfix(failed=self.failed)
                self.bar.update(1)
            elif self.plain:
                print(f"\rcases: {self.done}/{self.total}, {self.failed} failed", end="", file=sys.stderr, flush=True)

    def close(self) -> None:
        if self.bar is not None:
            self.bar.close()
        elif self.plain and self.done:
            print(file=sys.stderr)


MAX_CASES_PER_JOB = 64


def cases_per_job(remaining: int, handed: int, slots: int) -> int:
    """Cases of the next worker job. A parallel job and a worker start cost
    some 60 ms of CPU, a quarter of a short case, so cases share them:
    each job takes the slots' share of the cases not yet handed out (at
    most 64), so that jobs shrink to single cases at the end and the slots
    finish together; the first jobs are small (4, then at most four times
    the cases handed out, plus 4) so that the engines start while the next
    cases are being prepared."""
    guided = -(-remaining // max(1, slots))
    return max(1, min(MAX_CASES_PER_JOB, guided, 4 * handed + 4))


def parallel_command(run_dir: str, options: RunOptions) -> list[str]:
    # --line-buffer: each case's line reaches the progress bar when it ends,
    # not when its whole job does. Each input line is one job: the case
    # names it holds, separated by spaces (names have none), become the
    # worker's arguments.
    command = ["parallel", "--will-cite", "--quote", "--line-buffer", "--colsep", " "]
    command += ["--joblog", os.path.join(run_dir, "parallel.log")]
    if options.jobs:
        command += ["-j", str(options.jobs)]
    if options.sshloginfile:
        # Remote hosts must see the run folder, the base sections, the
        # models and the programs under the same paths (a shared file system).
        command += ["--sshloginfile", options.sshloginfile]
    command += [*WORKER_COMMAND, "--in", os.path.join(os.path.abspath(run_dir), prepare.CASES_FOLDER)]
    if options.timeout:
        command += ["--timeout", str(options.timeout)]
    return command


class Stopped(Exception):
    pass


def _raise_stopped(signum, frame):
    raise Stopped(signum)


def run_local(run_dir: str, cases: list[Case], options: RunOptions, programs: dict[str, str]):
    """Runs the cases through GNU parallel; returns the summary rows of the
    cases that finished (a ``CaseRows``).

    Cases are prepared here and handed to parallel in jobs as they are
    ready, so the engines start at once and preparation overlaps the runs.
    """
    if shutil.which("parallel") is None:
        raise RunError("GNU parallel is not installed (Debian package parallel)")
    progress = Progress(len(cases), options.progress)
    slots = options.jobs or os.cpu_count() or 1
    process = subprocess.Popen(
        parallel_command(run_dir, options),
        stdin=subprocess.PIPE,
        stdout=subprocess.PIPE,
        text=True,
        bufsize=1,
    )

    finished = queue.Queue()

    def read_results():
        # One line per finished case from the worker: name, status, seconds, message.
        for line in process.stdout:
            parts = line.rstrip("\n").split("\t")
            if len(parts) >= 2:
                progress.finished(parts[1])
                finished.put(parts[0])
        finished.put(None)

    reader = threading.Thread(target=read_results, daemon=True)
    reader.start()
    previous = signal.signal(signal.SIGTERM, _raise_stopped)
    try:
        job, handed = [], 0
        for number, case in enumerate(cases):
            record = prepare_or_fail(run_dir, case, options, programs)
            if record is not None:
                progress.finished(record.get("status", "failed"))
            else:
                job.append(case.name)
            unsent = len(cases) - number - 1 + len(job)
            if job and (number == len(cases) - 1 or len(job) >= cases_per_job(unsent, handed, slots)):
                process.stdin.write(" ".join(job) + "\n")
                process.stdin.flush()
                handed += len(job)
                job = []
        process.stdin.close()
        # While the engines run, the main process only waits: load what the
        # report will need now rather than after the last case, when it
        # would hold up the end of the run.
        import jpcp.batch.report  # noqa: F401
        import matplotlib.backends.backend_svg  # noqa: F401
        from jpcp.batch.collect import CaseRows

        rows = CaseRows(run_dir)
        by_name = {case.name: case for case in cases}
        while (name := finished.get()) is not None:
            if name in by_name:
                try:
                    rows.rows(case_state(run_dir, by_name[name], options.models))
                except Exception:  # read again at the end, where an error is reported
                    pass
        status = process.wait()
        reader.join()
    except (Stopped, KeyboardInterrupt, BrokenPipeError):
        _stop_parallel(process)
        progress.close()
        raise Stopped() from None
    finally:
        signal.signal(signal.SIGTERM, previous)
    progress.close()
    if status != 0 and progress.done < len(cases):
        # A worker that broke down (a full disk, a host that went away)
        # leaves its cases without a record: they are listed as not
        # finished and run again on the next start.
        print(
            f"jpcp batch run: GNU parallel ended with exit status {status} before every case finished; "
            f"see {os.path.join(run_dir, 'parallel.log')}",
            file=sys.stderr,
        )
    return rows


def _stop_parallel(process: subprocess.Popen) -> None:
    """Ends parallel and the cases it is running: a first TERM stops new
    jobs, a second one ends the running ones. Their cases have no record
    and run again on the next start."""
    for _ in range(2):
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
            time.sleep(0.3)
    try:
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


# --- in-process engine -------------------------------------------------------


def _execute_in_process(engine):
    """The worker's ``execute`` for the engines' library: the run's command
    line taken apart (cracking SOURCE RESULTS MODELS, faulting SOURCE
    MODELS, relative to the case folder), its console output written as a
    program's would be."""

    def execute(folder: str, run: dict, out, err) -> int | None:
        from jpcp.engines import RunError as EngineError

        command = run["command"]
        place = lambda name: os.path.join(folder, name)  # noqa: E731
        try:
            if run["program"] == "cracking":
                result = engine.run_cracking(place(command[1]), command[3], results=place(command[2]))
            else:
                result = engine.run_faulting(place(command[1]), command[2], results=place(command[1]))
        except EngineError as error:
            err.write((error.detail or str(error)).encode("latin-1", "replace") + b"\n")
            return error.exit_status
        out.write("".join(line + "\n" for line in result.warnings).encode("latin-1", "replace"))
        return 0

    return execute


def run_inprocess(run_dir: str, cases: list[Case], options: RunOptions, programs: dict[str, str]):
    """Runs the cases with the engines' library in this process, on a pool
    of threads (the library releases the interpreter while a section is
    analysed); returns the summary rows of the cases that finished."""
    import concurrent.futures

    from jpcp import engines
    from jpcp.batch.collect import CaseRows
    from jpcp.batch.worker import run_case

    engine = engines.get("inprocess")
    execute = _execute_in_process(engine)
    progress = Progress(len(cases), options.progress)
    rows = CaseRows(run_dir)
    previous = signal.signal(signal.SIGTERM, _raise_stopped)
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=options.jobs or os.cpu_count() or 1)
    try:
        running = {}
        for case in cases:
            record = prepare_or_fail(run_dir, case, options, programs)
            if record is not None:
                progress.finished(record.get("status", "failed"))
            else:
                folder = prepare.case_folder(run_dir, case.name)
                running[pool.submit(run_case, folder, None, execute)] = case
        for future in concurrent.futures.as_completed(running):
            record = future.result()
            progress.finished(record["status"])
            rows.rows(case_state(run_dir, running[future], options.models))
    except (Stopped, KeyboardInterrupt):
        # Cases not started are dropped; those running finish their section.
        pool.shutdown(wait=True, cancel_futures=True)
        progress.close()
        raise Stopped() from None
    finally:
        signal.signal(signal.SIGTERM, previous)
        pool.shutdown(wait=True)
    progress.close()
    return rows
