"""Runs the engine(s) of prepared cases and writes each case's status record.

    /usr/bin/python3 -S worker.py [--timeout SECONDS] CASE_FOLDER...
    /usr/bin/python3 -S worker.py [--timeout SECONDS] --in CASES_FOLDER CASE...
    /usr/bin/python3 -S worker.py [--timeout SECONDS] --list FILE --task I --chunk K

This file is started once per group of cases (GNU parallel) or once per
chunk of cases (a Slurm array task), possibly on another host that sees the
same files. It is run as a script, not through the package, and uses the
standard library only: importing the package's table readers would cost more
than a whole engine run of a short case. It is started with -S (no site
module, no site-packages): that halves Python's start, which every job pays.

A case folder holds ``plan.json`` (written when the case is prepared): the
engine runs, each with its command line, its error file and the result files
that a complete run leaves. For every case the worker runs them in order (a
failing run does not stop the next one), then writes ``status.json``
atomically and prints one line ``case<TAB>status<TAB>seconds<TAB>message``.
A case without ``status.json`` has not finished (never run, or killed).
"""

from __future__ import annotations

import fcntl
import json
import os
import resource
import shutil
import signal
import subprocess
import sys
import time

PLAN_FILE = "plan.json"
STATUS_FILE = "status.json"
# Error lines kept in a status record; the logs keep the rest.
MAX_ERROR_LINES = 20


class Interrupted(Exception):
    """The worker was asked to stop (its scheduler is ending the case)."""


def _stop(signum, frame):
    raise Interrupted(signum)


def read_json(path: str):
    """The JSON content of a file, or None when it is missing or unreadable
    (a record being replaced, or left half-written by a crash of the host)."""
    try:
        with open(path, encoding="utf-8") as handle:
            return json.load(handle)
    except (OSError, ValueError):
        return None


def write_json(path: str, content) -> None:
    """Replaces a file atomically: a reader sees the old or the new record,
    never a partial one. No fsync: a record that a crash of the host loses
    (or leaves empty) reads as missing, and its case simply runs again."""
    temporary = f"{path}.{os.getpid()}.tmp"
    with open(temporary, "w", encoding="utf-8") as handle:
        json.dump(content, handle, indent=1)
        handle.write("\n")
    os.replace(temporary, path)


def _lines(path: str) -> list[str]:
    try:
        with open(path, encoding="latin-1") as handle:
            return [line.strip() for line in handle if line.strip()]
    except OSError:
        return []


def results_complete(folder: str, run: dict) -> bool:
    """Whether every result file of a run is there and not empty."""
    for name in run["results"]:
        try:
            if os.path.getsize(os.path.join(folder, name)) == 0:
                return False
        except OSError:
            return False
    return True


def _clean(folder: str, run: dict) -> None:
    """Removes what an earlier attempt of the run may have left, so that a
    rerun cannot mix old and new result files."""
    for name in run.get("clean_folders", []):
        path = os.path.join(folder, name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path, exist_ok=True)
    for name in run.get("clean_files", []):
        try:
            os.remove(os.path.join(folder, name))
        except FileNotFoundError:
            pass


def _run_program(folder: str, run: dict, timeout: float | None, out, err) -> tuple[int | None, str]:
    """Runs one engine as a program: its exit status (None when it could
    not start or was stopped) and a note on why it has none."""
    exit_status = None
    note = ""
    try:
        process = subprocess.Popen(run["command"], cwd=folder, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
    except OSError as error:
        note = f"cannot start {run['command'][0]}: {error.strerror}"
    else:
        try:
            exit_status = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            note = f"{run['program']} stopped after the time limit of {timeout:g} s"
        except BaseException:
            process.kill()
            process.wait()
            raise
    return exit_status, note


def run_one(folder: str, run: dict, timeout: float | None, execute=None) -> dict:
    """Runs one engine in the case folder; returns its part of the record.
    ``execute(folder, run, out, err)``, when given, runs the engine in this
    process instead of as a program: it writes the console output to the
    open files ``out`` and ``err`` and returns the exit status."""
    _clean(folder, run)
    out_path = os.path.join(folder, run["program"] + ".out")
    err_path = os.path.join(folder, run["program"] + ".err")
    started = time.monotonic()
    who = resource.RUSAGE_THREAD if execute is not None else resource.RUSAGE_CHILDREN
    used_before = resource.getrusage(who)
    exit_status = None
    note = ""
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        if execute is not None:
            exit_status = execute(folder, run, out, err)
        else:
            exit_status, note = _run_program(folder, run, timeout, out, err)
    seconds = time.monotonic() - started
    used = resource.getrusage(who)
    cpu_seconds = (used.ru_utime + used.ru_stime) - (used_before.ru_utime + used_before.ru_stime)

    errors = _lines(os.path.join(folder, run["error_file"]))
    if exit_status is not None and exit_status < 0:
        note = f"{run['program']} killed by signal {-exit_status}"
    if exit_status not in (0, None) and not errors:
        # Standard error carries every error line with its detail; a stop
        # condition prints its one-line message last on the standard output.
        errors = _lines(err_path) or _lines(out_path)[-1:]
    if note:
        errors = [note] + errors
    ok = exit_status == 0 and not errors and results_complete(folder, run)
    if exit_status == 0 and not errors and not ok:
        errors = [f"{run['program']} ended without error but its results are incomplete"]
    if not ok and not errors:
        errors = [f"{run['program']} ended with exit status {exit_status}"]
    return {
        "program": run["program"],
        "exit_status": exit_status,
        "seconds": round(seconds, 3),
        "cpu_seconds": round(cpu_seconds, 3),
        "status": "ok" if ok else "failed",
        "errors": errors[:MAX_ERROR_LINES],
    }


def case_lock(folder: str):
    """An open lock file of a case (DIR/locks/CASE, outside the case folder,
    which preparation replaces). Whoever runs or prepares a case holds it,
    so that a worker left running by a killed run and a new start never work
    in the same case folder at once."""
    folder = os.path.normpath(folder)
    locks = os.path.join(os.path.dirname(os.path.dirname(folder)), "locks")
    os.makedirs(locks, exist_ok=True)
    return open(os.path.join(locks, os.path.basename(folder)), "a")


def run_case(folder: str, timeout: float | None = None, execute=None) -> dict:
    """Runs every engine of a prepared case and writes its status record
    (``execute``: see run_one)."""
    with case_lock(folder) as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        return _run_case(folder, timeout, execute)


def _run_case(folder: str, timeout: float | None, execute=None) -> dict:
    status_path = os.path.join(folder, STATUS_FILE)
    try:
        os.remove(status_path)
    except FileNotFoundError:
        pass
    plan = read_json(os.path.join(folder, PLAN_FILE))
    name = os.path.basename(os.path.normpath(folder))
    started = time.time()
    if plan is None:
        runs = []
        record_errors = [f"the case folder {folder} was not prepared (no readable {PLAN_FILE})"]
    else:
        name = plan["case"]
        runs = [run_one(folder, run, timeout, execute) for run in plan["runs"]]
        record_errors = [line for run in runs for line in run["errors"]]
    failed = bool(record_errors) or any(run["status"] != "ok" for run in runs)
    record = {
        "case": name,
        "status": "failed" if failed else "ok",
        "message": record_errors[0] if record_errors else "",
        "seconds": round(time.time() - started, 3),
        "host": os.uname().nodename,
        "finished": time.strftime("%Y-%m-%dT%H:%M:%S%z"),
        "runs": runs,
    }
    if plan is not None:
        record["row"] = plan.get("row", {})
    write_json(status_path, record)
    return record


def _arguments(argv: list[str]) -> tuple[float | None, list[str] | None]:
    """The time limit and the case folders: the arguments (case names in
    the folder given by --in), or with --list the case folders of one array
    task: lines I*K+1 .. I*K+K of FILE."""
    options = {}
    while argv and argv[0] in ("--timeout", "--list", "--task", "--chunk", "--in") and len(argv) >= 2:
        options[argv[0]] = argv[1]
        argv = argv[2:]
    timeout = float(options["--timeout"]) if "--timeout" in options else None
    if "--list" in options:
        task, chunk = int(options.get("--task", "0")), int(options.get("--chunk", "1"))
        with open(options["--list"], encoding="utf-8") as handle:
            folders = [line.rstrip("\n") for line in handle if line.strip()]
        # A task past the end of the list has nothing to do.
        return timeout, folders[task * chunk : (task + 1) * chunk] or None
    if "--in" in options:
        argv = [os.path.join(options["--in"], name) for name in argv]
    return timeout, argv


def main(argv: list[str]) -> int:
    try:
        timeout, argv = _arguments(argv)
    except (OSError, ValueError) as error:
        print(f"worker.py: {error}", file=sys.stderr)
        return 2
    if argv is None:
        return 0
    if not argv:
        print("usage: worker.py [--timeout SECONDS] CASE_FOLDER... | --list FILE --task I --chunk K", file=sys.stderr)
        return 2
    signal.signal(signal.SIGTERM, _stop)
    signal.signal(signal.SIGINT, _stop)
    failed = 0
    try:
        for folder in argv:
            record = run_case(folder, timeout)
            failed += record["status"] != "ok"
            message = record["message"].replace("\t", " ").replace("\n", " ")
            print(f"{record['case']}\t{record['status']}\t{record['seconds']:.3f}\t{message}", flush=True)
    except Interrupted:
        # No record: the case counts as unfinished and runs again on resume.
        return 143
    # A failed case is a result, not a failure of the worker: parallel and
    # Slurm see 0 so that their logs flag only workers that broke down.
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
