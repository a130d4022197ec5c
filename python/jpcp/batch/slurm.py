"""The Slurm engine: the pending cases of a run as one job array, and what
squeue and sacct say about it.

Every submission gets a folder DIR/slurm/NNN/ with the case list (one case
folder per line), the task script and the tasks' output files; task I runs
the cases on lines I*K+1 .. I*K+K. DIR/slurm/jobs.json lists the
submissions. The cluster's nodes must see the run folder, the base sections,
the models and the programs under the same paths.
"""

from __future__ import annotations

import os
import shlex
import shutil
import subprocess
import time

from jpcp.batch.run import WORKER_COMMAND, Progress, RunError, RunOptions
from jpcp.batch.worker import read_json, write_json

JOBS_FILE = "jobs.json"
# Task states after which a task runs no more; those that are not a normal
# end leave their unfinished cases failed.
ENDED_BADLY = {"BOOT_FAIL", "CANCELLED", "DEADLINE", "FAILED", "NODE_FAIL", "OUT_OF_MEMORY", "PREEMPTED", "TIMEOUT"}


def _folder(run_dir: str) -> str:
    return os.path.join(run_dir, "slurm")


def submissions(run_dir: str) -> list[dict]:
    return read_json(os.path.join(_folder(run_dir), JOBS_FILE)) or []


def _need(tool: str) -> str:
    path = shutil.which(tool)
    if path is None:
        raise RunError(f"{tool} not found: the Slurm engine needs the Slurm client commands (Debian slurm-client)")
    return path


def task_script(case_list: str, chunk: int, timeout: float | None) -> str:
    worker = WORKER_COMMAND + (["--timeout", str(timeout)] if timeout else [])
    worker += ["--list", case_list, "--task", '"$SLURM_ARRAY_TASK_ID"', "--chunk", str(chunk)]
    quoted = " ".join(a if a.startswith('"$') else shlex.quote(a) for a in worker)
    return f"#!/bin/sh\n# One array task: up to {chunk} case(s) of {case_list}.\nexec {quoted}\n"


def submit(run_dir: str, case_folders: list[str], options: RunOptions) -> dict:
    """Submits one job array for the prepared case folders; returns its
    entry in jobs.json (job id, tasks, chunk, folder)."""
    sbatch = _need("sbatch")
    if options.chunk < 1:
        raise RunError("--chunk must be at least 1")
    previous = submissions(run_dir)
    folder = os.path.join(_folder(run_dir), f"{len(previous) + 1:03d}")
    os.makedirs(folder, exist_ok=True)
    case_list = os.path.join(folder, "cases.txt")
    with open(case_list, "w", encoding="utf-8") as handle:
        handle.writelines(f"{os.path.abspath(f)}\n" for f in case_folders)
    script = os.path.join(folder, "task.sh")
    with open(script, "w", encoding="utf-8") as handle:
        handle.write(task_script(case_list, options.chunk, options.timeout))
    os.chmod(script, 0o755)
    tasks = (len(case_folders) + options.chunk - 1) // options.chunk
    command = [
        sbatch,
        "--parsable",
        f"--array=0-{tasks - 1}",
        "--job-name=jpcp-batch",
        f"--output={os.path.join(folder, 'task-%a.out')}",
        f"--chdir={folder}",
    ]
    if options.partition:
        command.append(f"--partition={options.partition}")
    if options.time_limit:
        command.append(f"--time={options.time_limit}")
    if options.mem:
        command.append(f"--mem={options.mem}")
    command.append(script)
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise RunError(f"sbatch refused the job array: {result.stderr.strip() or result.stdout.strip()}")
    job = result.stdout.strip().split(";")[0]
    entry = {"job": job, "tasks": tasks, "chunk": options.chunk, "cases": len(case_folders), "folder": folder}
    write_json(os.path.join(_folder(run_dir), JOBS_FILE), previous + [entry])
    return entry


def queue_states(jobs: list[str]) -> dict[str, str] | None:
    """Array task id ("123_4") -> state, for the tasks squeue still lists
    (-r lists every pending task on a line of its own); None when squeue
    cannot answer."""
    if not jobs:
        return {}
    if shutil.which("squeue") is None:
        return None
    result = subprocess.run(
        ["squeue", "-h", "-r", "-j", ",".join(jobs), "-o", "%i|%T"], capture_output=True, text=True
    )
    if result.returncode != 0:
        # squeue refuses ids it no longer knows: ask for them one by one.
        if len(jobs) > 1:
            merged = {}
            for job in jobs:
                part = queue_states([job])
                if part is None:
                    return None
                merged.update(part)
            return merged
        if "Invalid job id" in result.stderr:
            return {}
        return None
    found = {}
    for line in result.stdout.splitlines():
        task, _, state = line.strip().partition("|")
        if task:
            found[task] = state
    return found


def accounting_states(jobs: list[str]) -> tuple[dict[str, str], str]:
    """Array task id -> final state from sacct, and a note when sacct has no
    accounting to read (a cluster without a database)."""
    if not jobs or shutil.which("sacct") is None:
        return {}, "sacct not installed"
    result = subprocess.run(
        ["sacct", "-n", "-P", "-X", "-j", ",".join(jobs), "-o", "JobID,State"], capture_output=True, text=True
    )
    if result.returncode != 0:
        return {}, result.stderr.strip() or "sacct failed"
    found = {}
    for line in result.stdout.splitlines():
        task, _, state = line.strip().partition("|")
        if task:
            # "CANCELLED by 0" -> CANCELLED
            found[task] = state.split()[0] if state else ""
    return found, ""


def task_of(run_dir: str) -> dict[str, str]:
    """Case folder -> array task id ("job_task") of its latest submission."""
    owner = {}
    for entry in submissions(run_dir):
        try:
            with open(os.path.join(entry["folder"], "cases.txt"), encoding="utf-8") as handle:
                folders = [line.rstrip("\n") for line in handle if line.strip()]
        except OSError:
            continue
        for index, folder in enumerate(folders):
            owner[os.path.normpath(folder)] = f"{entry['job']}_{index // entry['chunk']}"
    return owner


def active_jobs(run_dir: str) -> list[str]:
    """The run's jobs that squeue still lists."""
    jobs = [entry["job"] for entry in submissions(run_dir)]
    listed = queue_states(jobs) or {}
    return sorted({task.split("_")[0] for task in listed})


def wait(run_dir: str, entry: dict, options: RunOptions, count_finished) -> None:
    """Waits until the array has left the queue, with a progress bar of the
    cases that have finished (``count_finished()`` -> (done, failed))."""
    progress = Progress(entry["cases"], options.progress)
    silent = 0
    try:
        while True:
            done, failed = count_finished()
            while progress.done < done:
                progress.finished("failed" if progress.failed < failed else "ok")
            listed = queue_states([entry["job"]])
            if listed == {}:
                break
            silent = silent + 1 if listed is None else 0
            if silent > 30:
                raise RunError("squeue has not answered for a minute; follow the run with jpcp batch status")
            time.sleep(2)
    finally:
        progress.close()
