#!/usr/bin/env python3
"""Times jpcp calibrate on generated sections.

    bench/calibrate.py cracking [--sections 100] [--observations 3] [--bootstrap 200]
    bench/calibrate.py faulting [--sections 30] [--coefficients C1,C3]

Builds the sections with jpcp_example (thickness, traffic and joint spacing
varied; design life --design-life years), runs them with known coefficients
(cracking C4 = 1.6, C5 = -1.7; faulting C1 and C3 x 1.4 and x 0.8), takes
--observations noisy observations from each, writes the study and the
observations and times the calibration:

- cracking: once from a finished ``jpcp batch run`` of the study
  (--from-run: the fit of C4 and C5 and its bootstrap, no run), and once
  with the runs of the study's own coefficients included;
- faulting: the whole calibration (every run of the fit).

Prints the times, the coefficients found and their intervals. The
programs are taken from $JPCP_BUILD_DIR (default build/), the engines'
extension module from PYTHONPATH (build/python) when it is there; --keep
DIR keeps the generated files there.
"""

from __future__ import annotations

import argparse
import itertools
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "python"))
BUILD = os.environ.setdefault("JPCP_BUILD_DIR", os.path.join(ROOT, "build"))

TRUE_CRACKING = {"crack_c4": 1.6, "crack_c5": -1.7}
FAULTING_FACTORS = {"fault_c1": 1.4, "fault_c3": 0.8}


def jpcp(*arguments) -> str:
    """Runs python3 -m jpcp ...; returns its wall and processor times (the
    processor time of the command and the programs it ran: on a shared
    machine the wall time also counts the waits for a core)."""
    started = time.perf_counter()
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    path = [os.path.join(ROOT, "python")] + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p]
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(path))
    done = subprocess.run([sys.executable, "-m", "jpcp", *map(str, arguments)], env=environment,
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"jpcp {arguments[0]} failed:\n{done.stdout}\n{done.stderr}")
    wall = time.perf_counter() - started
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    return f"{wall:.2f} s wall, {cpu:.2f} s processor"


def build(options, folder: str):
    import numpy as np

    from jpcp import engines, inputs

    program = options.program
    models = os.path.join(folder, "models")
    subprocess.run([os.path.join(BUILD, "jpcp_models"), f"demo-{program}", models], check=True, capture_output=True)
    levels = itertools.cycle(itertools.product((9.0, 9.5, 10.0, 10.5), (1500, 3000, 6000), (13, 15, 18)))
    cases = []
    for i in range(options.sections):
        thickness, aadtt, spacing = next(levels)
        name = f"s{i + 1:03d}"
        command = [os.path.join(BUILD, "jpcp_example"), program, os.path.join(folder, name), "--name", name,
                   "--design-life", options.design_life, "--thickness", thickness, "--aadtt", aadtt,
                   "--joint-spacing", spacing, "--seed", i + 1]
        if program == "faulting":
            command += ["--dowel", "0"]
        subprocess.run(list(map(str, command)), check=True, capture_output=True)
        cases.append(name)

    def truth(name):
        source = os.path.join(folder, "truth", name)
        # Links, not copies (the temperature files are large); the section
        # input is unlinked before it is written.
        shutil.copytree(os.path.join(folder, name), source, copy_function=os.link)
        if program == "cracking":
            path = os.path.join(source, "GeneralInput.txt")
            section = inputs.read_general_input(path)
            for field, value in TRUE_CRACKING.items():
                section[field] = value
            os.remove(path)
            inputs.write_general_input(section, path)
            return engines.run_cracking(source, models).cracking["%Crack"].to_numpy()
        path = os.path.join(source, "faultgeneralinput.txt")
        section = inputs.read_faulting_input(path)
        for field, factor in FAULTING_FACTORS.items():
            section[field] = section[field] * factor
        os.remove(path)
        inputs.write_faulting_input(section, path)
        return engines.run_faulting(source, models).faulting["faulting"].to_numpy()

    with ThreadPoolExecutor(os.cpu_count()) as pool:
        truths = list(pool.map(truth, cases))
    rng = np.random.default_rng(1)
    rows = []
    for name, series in zip(cases, truths):
        months = len(series)
        for k in range(1, options.observations + 1):
            age = months * k // options.observations
            if program == "cracking":
                value = min(max(series[age - 1] + rng.normal(0.0, 1.0), 0.0), 100.0)
                rows.append(f"{name},{age},{value:.2f},")
            else:
                value = max(series[age - 1] + rng.normal(0.0, 0.002), 0.0)
                rows.append(f"{name},{age},,{value:.4f}")
    with open(os.path.join(folder, "study.csv"), "w") as handle:
        handle.write(f"case,{program},{program}_models\n")
        handle.writelines(f"{name},{name},models\n" for name in cases)
    with open(os.path.join(folder, "observations.csv"), "w") as handle:
        handle.write("case,age_months,percent_cracked,faulting_in\n")
        handle.writelines(row + "\n" for row in rows)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program", choices=("cracking", "faulting"))
    parser.add_argument("--sections", type=int)
    parser.add_argument("--observations", type=int, default=3)
    parser.add_argument("--design-life", type=int, default=5)
    parser.add_argument("--bootstrap", type=int, default=200)
    parser.add_argument("--coefficients", default=None)
    parser.add_argument("--keep", metavar="DIR")
    options = parser.parse_args()
    options.sections = options.sections or (100 if options.program == "cracking" else 30)
    folder = options.keep or tempfile.mkdtemp(prefix="bench-calibrate-")
    os.makedirs(folder, exist_ok=True)
    try:
        started = time.perf_counter()
        build(options, folder)
        from jpcp import engines

        print(f"engine: {engines.available()[0]} (the in-process one where build/python is on PYTHONPATH)")
        print(f"{options.sections} {options.program} sections, {options.observations} observations each, "
              f"built and run with known coefficients in {time.perf_counter() - started:.1f} s")
        study, observations = os.path.join(folder, "study.csv"), os.path.join(folder, "observations.csv")
        out = os.path.join(folder, "calibration")
        if options.program == "cracking":
            runs = os.path.join(folder, "runs")
            jpcp("batch", "run", study, "--out", runs, "--no-progress")
            seconds = jpcp("calibrate", study, observations, "--fit", "cracking", "--out", out, "--from-run", runs,
                           "--bootstrap", options.bootstrap)
            print(f"C4, C5 from the batch run's damages, {options.bootstrap} bootstrap resamples: {seconds}")
            seconds = jpcp("calibrate", study, observations, "--fit", "cracking", "--out", out + "-runs",
                           "--bootstrap", options.bootstrap)
            print(f"the same with the {options.sections} runs of the study's coefficients: {seconds}")
            truth = {"C4": TRUE_CRACKING["crack_c4"], "C5": TRUE_CRACKING["crack_c5"]}
        else:
            coefficients = options.coefficients or "C1,C3"
            seconds = jpcp("calibrate", study, observations, "--fit", "faulting", "--coefficients", coefficients,
                           "--out", out)
            print(f"faulting {coefficients} by runs on {os.cpu_count()} cores: {seconds}")
            truth = {"C1": 1.0184 * FAULTING_FACTORS["fault_c1"], "C3": 0.002848 * FAULTING_FACTORS["fault_c3"]}
        with open(os.path.join(out, "coefficients.json")) as handle:
            result = json.load(handle)
        for name, c in result["coefficients"].items():
            low, high = c["ci95"]
            known = f" (known {truth[name]:g})" if name in truth else ""
            print(f"  {name} = {c['value']:.5g}, 95 % {c['ci_method']} interval {low:.5g} to {high:.5g}{known}")
        after = result["statistics"]["after"]
        print(f"  after: bias {after['bias']:.4g}, SEE {after['see']:.4g}, R2 {after['r2']:.4f}")
    finally:
        if not options.keep:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
