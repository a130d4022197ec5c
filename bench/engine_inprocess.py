"""In-process runs (jpcp.engine) against the programs as processes.

    PYTHONPATH=python:build/python /usr/bin/python3 bench/engine_inprocess.py [--soak N]

Writes example sections (jpcp_example) and the demonstration models
(jpcp_models) into a scratch folder, then reports:
  1. one cracking and one faulting section, in-process (models already
     loaded) against the program as a process pinned to one core (taskset);
  2. the rate of a ThreadPoolExecutor of two threads against one thread;
  3. the resident memory of N in-process runs of varied sections (default
     1000): its growth after the first 50 runs.
"""

from __future__ import annotations

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

from jpcp import engine

ROOT = Path(__file__).resolve().parents[1]
BUILD = Path(os.environ.get("JPCP_BUILD_DIR", ROOT / "build"))
VARIANTS = [
    ["--design-life", "2"],
    ["--design-life", "2", "--base", "asphalt", "--bond-months", "12", "--climate", "hot-dry"],
    ["--design-life", "1", "--thickness", "8", "--dowel", "0", "--response", "1"],
    ["--design-life", "3", "--joint-spacing", "20", "--climate", "cold-dry", "--seed", "3"],
]


def rss_mb() -> float:
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def best(times: list[float]) -> float:
    return statistics.median(times)


def timed(function, repeat: int) -> float:
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return best(times)


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--soak", type=int, default=1000)
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args()
    work = Path(tempfile.mkdtemp(prefix="jpcp-bench-"))
    sections = []
    for i, options in enumerate(VARIANTS):
        folder = work / f"s{i}"
        subprocess.run([BUILD / "jpcp_example", "both", folder, *options], check=True, capture_output=True)
        sections.append(folder)
    models = work / "models"
    subprocess.run([BUILD / "jpcp_models", "demo-cracking", models / "cracking"], check=True, capture_output=True)
    subprocess.run([BUILD / "jpcp_models", "demo-faulting", models / "faulting"], check=True, capture_output=True)
    cracking_models, faulting_models = models / "cracking", models / "faulting"
    first = sections[0]

    print("1. one section, in-process (models loaded) against a process on one core")
    engine.run_cracking(first / "cracking", cracking_models)  # loads the models
    engine.run_faulting(first / "faulting", faulting_models)
    results = work / "results"
    results.mkdir()
    for kind, source, model_folder in (("cracking", first / "cracking", cracking_models),
                                       ("faulting", first / "faulting", faulting_models)):
        if kind == "cracking":
            command = ["taskset", "-c", "0", BUILD / "jpcp_cracking", source, results, model_folder]
            inprocess = lambda: engine.run_cracking(source, model_folder)  # noqa: E731
        else:
            command = ["taskset", "-c", "0", BUILD / "jpcp_faulting", source, model_folder]
            inprocess = lambda: engine.run_faulting(source, model_folder)  # noqa: E731
        process = timed(lambda: subprocess.run(command, check=True, capture_output=True), args.repeat)
        # The in-process run on one core too: the interpreter pinned to core 0.
        os.sched_setaffinity(0, {0})
        inner = timed(inprocess, args.repeat)
        os.sched_setaffinity(0, set(range(os.cpu_count() or 1)))
        print(f"   {kind:9s} process {process * 1000:8.1f} ms   in-process {inner * 1000:8.1f} ms   "
              f"ratio {inner / process:.2f}")

    print("2. two threads against one: 20-year sections (the example's), four of each program")
    long_section = work / "long"
    subprocess.run([BUILD / "jpcp_example", "both", long_section], check=True, capture_output=True)
    jobs = [("cracking", long_section / "cracking", cracking_models)] * 4
    jobs += [("faulting", long_section / "faulting", faulting_models)] * 4

    def one_run(job, tables=True):
        kind, source, model_folder = job
        if not tables:  # the engine alone, without building the DataFrames
            return engine.result_files(kind, source, model_folder)
        if kind == "cracking":
            return engine.run_cracking(source, model_folder)
        return engine.run_faulting(source, model_folder)

    def rate(threads: int, tables: bool) -> float:
        start = time.perf_counter()
        with ThreadPoolExecutor(threads) as pool:
            list(pool.map(lambda job: one_run(job, tables), jobs))
        return len(jobs) / (time.perf_counter() - start)

    for tables in (True, False):
        one = max(rate(1, tables) for _ in range(2))
        two = max(rate(2, tables) for _ in range(2))
        what = "with the tables" if tables else "files only     "
        print(f"   {what}: one thread {one:.2f} sections/s   two threads {two:.2f} sections/s   "
              f"speed-up {two / one:.2f}   ({os.cpu_count()} cores)")

    print(f"3. resident memory over {args.soak} in-process runs of varied sections")
    at_50 = None
    for i in range(args.soak):
        section = sections[i % len(sections)]
        if i % 2 == 0:
            engine.run_cracking(section / "cracking", cracking_models)
        else:
            engine.run_faulting(section / "faulting", faulting_models)
        if i + 1 == 50:
            at_50 = rss_mb()
    end = rss_mb()
    print(f"   after 50 runs {at_50:.1f} MB   after {args.soak} runs {end:.1f} MB   growth {end - at_50:+.1f} MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
