"""jpcp batch: studies, the case worker, the local engine through GNU
parallel (merged summary, a broken case, resume after a kill) and a Slurm
job array on a one-node cluster started by the test."""

from __future__ import annotations

import csv
import json
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

import pytest

PYTHON_DIR = Path(__file__).resolve().parents[1]
ROOT = PYTHON_DIR.parent

from jpcp import engines
from jpcp.batch import study as studies
from jpcp.batch import worker
from jpcp.summaries import SUMMARY_COLUMNS

BUILD = Path(os.environ.get("JPCP_BUILD_DIR", ROOT / "build"))


def batch(*arguments, env=None, check=None):
    """Runs ``python3 -m jpcp batch ...``; returns the completed process."""
    # The test step's PYTHONPATH holds the engines' extension module.
    path = os.pathsep.join(filter(None, [str(PYTHON_DIR), os.environ.get("PYTHONPATH")]))
    environment = dict(os.environ, PYTHONPATH=path, JPCP_BUILD_DIR=str(BUILD), **(env or {}))
    result = subprocess.run(
        [sys.executable, "-m", "jpcp", "batch", *map(str, arguments)],
        env=environment,
        capture_output=True,
        text=True,
        timeout=600,
    )
    if check is not None:
        assert result.returncode == check, result.stdout + result.stderr
    return result


def read_csv(path) -> list[dict]:
    with open(path, newline="") as handle:
        return list(csv.DictReader(handle))


@pytest.fixture(scope="module")
def sections(example):
    """The two-year example sections of both programs and the demonstration
    models (conftest's session example)."""
    return example


def write_study(path: Path, sections, rows: list[dict]) -> Path:
    columns = ["case", "cracking", "faulting"] + sorted({k for row in rows for k in row} - {"case"})
    base = {"cracking": sections.cracking, "faulting": sections.faulting}
    studies.write_study(str(path), [{**base, **row} for row in rows], columns)
    return path


def model_options(sections) -> list:
    return ["--cracking-models", sections.cracking_models, "--faulting-models", sections.faulting_models]


# --- studies -------------------------------------------------------------------


def test_make_study_factorial_and_latin_hypercube(tmp_path):
    varied = [studies.parse_vary("thickness=8:9:0.5"), studies.parse_vary("joint_spacing=12,15")]
    path = tmp_path / "full.csv"
    assert studies.make_study(str(path), {"cracking": str(tmp_path)}, varied) == 6
    rows = read_csv(path)
    assert [(r["thickness"], r["joint_spacing"]) for r in rows] == [
        (t, j) for t in ("8", "8.5", "9") for j in ("12", "15")
    ]
    assert rows[0]["case"] == "case0001" and rows[0]["cracking"] == "."
    # Binary noise of START + i*STEP does not reach the study.
    assert studies.parse_vary("x=0.1:0.7:0.3").levels == ["0.1", "0.4", "0.7"]

    # Latin hypercube: every stratum of a continuous range used once, the
    # levels of a list equally often, the same seed the same study.
    varied = [studies.parse_vary("thickness=8:12"), studies.parse_vary("dowel_diameter=1,1.25,1.5,1.75")]
    cases = studies.latin_hypercube(varied, 8, seed=7)
    strata = sorted(int((float(c["thickness"]) - 8) / 4 * 8) for c in cases)
    assert strata == list(range(8))
    dowels = [c["dowel_diameter"] for c in cases]
    assert all(dowels.count(level) == 2 for level in varied[1].levels)
    assert studies.latin_hypercube(varied, 8, seed=7) == cases
    assert studies.latin_hypercube(varied, 8, seed=8) != cases
    with pytest.raises(studies.StudyError, match="needs --samples"):
        studies.full_factorial(varied)


@pytest.mark.parametrize(
    "text, message",
    [
        ("case,cracking\na,x\na,x\n", "already named on line 2"),
        ("case,cracking,thicknes\na,x,9\n", "no input field is named 'thicknes'"),
        ("case,cracking,thickness\na,x,nine\n", "'nine' is not a number"),
        ("case,cracking,faulting\na,,\n", "names neither"),
        ("case,cracking\n../a,x\n", "case name '../a'"),
        ("case,thickness\na,9\n", "neither a 'cracking' nor a 'faulting' column"),
        ("case,cracking,traffic_scale\na,x,-1\n", "traffic_scale must not be negative"),
    ],
)
def test_read_study_refuses(tmp_path, text, message):
    path = tmp_path / "study.csv"
    path.write_text(text)
    with pytest.raises(studies.StudyError, match=message):
        studies.read_study(str(path), known_fields=lambda name: name in ("thickness", "dowel_diameter"))


# --- the worker ------------------------------------------------------------------


@pytest.mark.parametrize(
    "script, timeout, status, message",
    [
        ("mkdir -p out && echo rows > out/result.csv", None, "ok", ""),
        ("echo ' Data error: General Input File.' > out/errors.txt; echo detail >&2; exit 1", None, "failed", "Data error: General Input File."),
        ("echo section; echo ' *** TERMINAL ERROR 2 from CSIEZ.'; exit 3", None, "failed", "*** TERMINAL ERROR 2 from CSIEZ."),
        ("exit 0", None, "failed", "ended without error but its results are incomplete"),
        ("mkdir -p out && touch out/result.csv", None, "failed", "results are incomplete"),
        ("kill -9 $$", None, "failed", "killed by signal 9"),
        ("exec sleep 30", 0.5, "failed", "stopped after the time limit of 0.5 s"),
    ],
)
def test_worker_status_record(tmp_path, script, timeout, status, message):
    """Every way a program run can end gives a record with its first error
    line; only a clean run with its results counts as ok."""
    case = tmp_path / "cases" / "c1"
    (case / "out").mkdir(parents=True)
    run = {
        "program": "cracking",
        "command": ["/bin/sh", "-c", script],
        "error_file": "out/errors.txt",
        "results": ["out/result.csv"],
    }
    worker.write_json(str(case / worker.PLAN_FILE), {"case": "c1", "row": {}, "runs": [run]})
    record = worker.run_case(str(case), timeout)
    assert record == json.loads((case / worker.STATUS_FILE).read_text())
    assert record["status"] == status
    assert message in record["message"] if message else record["message"] == ""
    assert record["runs"][0]["seconds"] >= 0


# --- the local engine ----------------------------------------------------------------


def test_worker_jobs_grow_then_shrink_to_single_cases():
    """Jobs share a worker start among cases, yet start small (the engines
    begin at once) and, on several slots, end with single cases (the slots
    finish together)."""
    from jpcp.batch.run import cases_per_job

    for cases, slots, most_jobs in ((1, 2, 1), (6, 1, 2), (200, 2, 10), (5000, 8, 110)):
        sizes, handed = [], 0
        while handed < cases:
            sizes.append(cases_per_job(cases - handed, handed, slots))
            handed += sizes[-1]
        assert handed == cases and sizes[0] <= 4 and len(sizes) <= most_jobs
        assert slots == 1 or sizes[-1] == 1


def test_run_path_loads_no_pandas_and_jpcp_summary_stays_the_function():
    """The engines start before pandas is loaded (it takes longer than a
    short case); importing the summary module must not hide the function."""
    code = (
        "import sys, jpcp.batch.cli, jpcp.batch.run\n"
        "assert 'pandas' not in sys.modules, 'pandas loaded'\n"
        "import jpcp.summaries, jpcp\n"
        "assert jpcp.summary.__name__ == 'summary' and callable(jpcp.summary), jpcp.summary\n"
    )
    result = subprocess.run(
        [sys.executable, "-c", code], env=dict(os.environ, PYTHONPATH=str(PYTHON_DIR)), capture_output=True, text=True
    )
    assert result.returncode == 0, result.stderr


def test_local_run_merges_lists_broken_case_and_retries(sections, tmp_path):
    study = write_study(
        tmp_path / "study.csv",
        sections,
        [
            {"case": "thin", "thickness": "9"},
            {"case": "thin_heavy", "thickness": "9", "traffic_scale": "2"},
            {"case": "thick", "thickness": "11"},
            # Nine years of a two-year section: the traffic files end early.
            {"case": "broken", "design_life": "9"},
        ],
    )
    out = tmp_path / "run"
    result = batch("run", study, "--out", out, "-j", "2", *model_options(sections), check=1)
    assert "3 ok, 1 failed" in result.stdout

    rows = read_csv(out / "summary.csv")
    assert list(rows[0]) == ["design_life", "thickness", "traffic_scale"] + SUMMARY_COLUMNS + ["seconds"]
    by_case = {(r["case"], r["kind"]): r for r in rows}
    assert len(rows) == 8
    for name in ("thin", "thin_heavy", "thick"):
        for kind in ("cracking", "faulting"):
            row = by_case[(name, kind)]
            assert row["status"] == "ok" and row["months"] == "24" and float(row["seconds"]) > 0
            assert row["warnings"] == "0"  # counted in the console output the case folder keeps
    broken = by_case[("broken", "cracking")]
    assert broken["status"] == "failed" and broken["message"].startswith("Unexpected end of file")
    assert f"failed broken: {broken['message']}" in result.stdout
    assert "Failed cases (1)" in (out / "report.html").read_text()
    if "inprocess" in engines.available():
        # The engines' library on threads of one process: the same results.
        batch("run", study, "--out", tmp_path / "inprocess", "--engine", "inprocess", *model_options(sections), check=1)
        # (A message names an input file as the run was given it: relative
        # to the case folder for a program, absolute in-process.)
        same = lambda table: [{k: v for k, v in r.items() if k not in ("seconds", "message")} for r in table]  # noqa: E731
        assert same(read_csv(tmp_path / "inprocess" / "summary.csv")) == same(rows)

    # The overrides reach the programs: the thickness in the case's input,
    # and twice the axles give twice the (linear) fatigue damage.
    general = (out / "cases" / "thin" / "cracking" / "GeneralInput.txt").read_text().split()
    assert float(general[4]) == 9.0
    light = float(by_case[("thin", "cracking")]["damage_bottom_up"])
    heavy = float(by_case[("thin_heavy", "cracking")]["damage_bottom_up"])
    assert heavy == pytest.approx(2 * light, rel=1e-4)
    assert float(by_case[("thick", "cracking")]["damage_bottom_up"]) < light

    # A rerun keeps every finished case; --retry-failed runs the broken one only.
    stamps = {p: p.stat().st_mtime_ns for p in out.glob("cases/*/status.json")}
    assert "0 cases to run, 4 kept" in batch("run", study, "--out", out, *model_options(sections), check=1).stdout
    retry = batch("run", study, "--out", out, "--retry-failed", *model_options(sections), check=1)
    assert "1 failed cases to run again" in retry.stdout
    changed = {p for p, stamp in stamps.items() if p.stat().st_mtime_ns != stamp}
    assert changed == {out / "cases" / "broken" / "status.json"}


def test_local_run_resumes_after_kill(sections, tmp_path):
    names = [f"c{i}" for i in range(6)]
    study = write_study(tmp_path / "study.csv", sections, [{"case": n, "thickness": str(9 + i * 0.2)} for i, n in enumerate(names)])
    out = tmp_path / "run"
    arguments = [sys.executable, "-m", "jpcp", "batch", "run", study, "--out", out, "-j", "1", *model_options(sections)]
    env = dict(os.environ, PYTHONPATH=str(PYTHON_DIR), JPCP_BUILD_DIR=str(BUILD))
    first = subprocess.Popen(list(map(str, arguments)), env=env, start_new_session=True, stdout=subprocess.DEVNULL)
    deadline = time.monotonic() + 300
    while len(list(out.glob("cases/*/status.json"))) < 2 and time.monotonic() < deadline and first.poll() is None:
        time.sleep(0.1)
    # Everything the run started dies at once, as in a crash of the host:
    # every process of its session (parallel gives each job a process group).
    listing = subprocess.run(["ps", "-e", "-o", "pid=,sid="], capture_output=True, text=True).stdout
    for pid in [int(p) for p, sid in (line.split() for line in listing.splitlines()) if int(sid) == first.pid]:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    first.wait()
    finished = {p: p.stat().st_mtime_ns for p in out.glob("cases/*/status.json")}
    assert 2 <= len(finished) < len(names)

    status = batch("status", out, check=1)
    assert f"{len(finished)} ok, 0 failed, {len(names) - len(finished)} not finished" in status.stdout

    second = batch("run", study, "--out", out, "-j", "2", *model_options(sections), check=0)
    assert f"{len(names) - len(finished)} cases to run, {len(finished)} kept" in second.stdout
    assert all(p.stat().st_mtime_ns == stamp for p, stamp in finished.items())
    rows = read_csv(out / "summary.csv")
    assert sorted(r["case"] for r in rows if r["status"] == "ok") == sorted(names * 2)


# --- Slurm ------------------------------------------------------------------------------


def test_slurm_job_array(sections, cluster, tmp_path):
    study = write_study(
        tmp_path / "study.csv",
        sections,
        [{"case": f"c{i}", "joint_spacing": str(12 + i)} for i in range(5)] + [{"case": "broken", "design_life": "9"}],
    )
    out = tmp_path / "run"
    env = {"SLURM_CONF": cluster.env["SLURM_CONF"]}
    submitted = batch("run", study, "--out", out, "--engine", "slurm", "--chunk", "2", "--time", "10", *model_options(sections), env=env, check=0)
    assert "3 task(s) of up to 2 case(s)" in submitted.stdout

    deadline = time.monotonic() + 300
    while time.monotonic() < deadline:
        status = batch("status", out, env=env)
        if "0 not finished" in status.stdout:
            break
        time.sleep(1)
    assert "5 ok, 1 failed, 0 not finished" in status.stdout, status.stdout + status.stderr
    assert "array tasks in the queue" in status.stdout

    collected = batch("collect", out, env=env, check=1)
    assert "summary:" in collected.stdout
    rows = read_csv(out / "summary.csv")
    assert sum(r["status"] == "ok" for r in rows) == 10
    tasks = sorted(p.name for p in (out / "slurm" / "001").glob("task-*.out"))
    assert tasks == ["task-0.out", "task-1.out", "task-2.out"]

    # A second array for the failed case only, waited for and collected.
    again = batch("run", study, "--out", out, "--engine", "slurm", "--retry-failed", "--wait", *model_options(sections), env=env, check=1)
    assert "1 failed cases to run again" in again.stdout and "5 ok, 1 failed, 0 not finished" in again.stdout
    assert (out / "slurm" / "002" / "task-0.out").exists()


def test_case_inputs_link_scale_and_bring_in_outside_files(sections, tmp_path):
    """A case folder holds every input: unchanged files linked, a file the
    base names outside its folder brought in, axle counts scaled once per
    factor and shared between cases."""
    from jpcp import inputs
    from jpcp.batch import prepare

    base = tmp_path / "base"
    shutil.copytree(sections.cracking, base)
    (tmp_path / "climate").mkdir()
    (base / "ThermalPCC.dat").rename(tmp_path / "climate" / "hourly.dat")
    listing = (base / "FileList.txt").read_text().splitlines()
    listing[-1] = "..\\climate\\hourly.dat"
    (base / "FileList.txt").write_text("\n".join(listing) + "\n")

    run_dir = tmp_path / "run"
    folders = []
    for name in ("a", "b"):
        case = studies.Case(name, {"cracking": str(base)}, {}, {"traffic_scale": "2", "thickness": "9.5"})
        folders.append(Path(prepare.prepare_case(str(run_dir), case, {"cracking": "/models"}, {"cracking": "/bin/true"}, {})))
    source = folders[0] / "cracking"
    entries = inputs.read_file_list(source / "FileList.txt").iloc[0]
    assert entries["temperature"].startswith("external_") and entries["temperature"].endswith("_hourly.dat")
    assert (source / entries["temperature"]).samefile(tmp_path / "climate" / "hourly.dat")
    assert (source / entries["hourly_traffic"]).samefile(base / entries["hourly_traffic"])
    assert inputs.read_general_input(source / "GeneralInput.txt")["thickness"] == 9.5
    scaled = inputs.read_axle_spectra(source / entries["tandem_axle"], "tandem")
    original = inputs.read_axle_spectra(base / entries["tandem_axle"], "tandem")
    assert (scaled.filter(like="class_") == 2 * original.filter(like="class_")).all().all()
    assert (source / entries["tandem_axle"]).samefile(folders[1] / "cracking" / entries["tandem_axle"])


def test_new_start_waits_for_a_case_still_running(tmp_path):
    """A worker left running by a killed start holds its case: a new start
    waits for it and keeps its record instead of replacing the folder under it."""
    import fcntl
    import threading

    from jpcp.batch import run

    case = studies.Case("c1", {"cracking": str(tmp_path)}, {}, {})
    options = run.RunOptions(models={"cracking": "/models"})
    folder = Path(run.prepare.case_folder(str(tmp_path / "run"), "c1"))
    folder.mkdir(parents=True)
    (folder / "results.csv").write_text("rows\n")
    returned = []
    with worker.case_lock(str(folder)) as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        waiting = threading.Thread(
            target=lambda: returned.append(run.prepare_or_fail(str(tmp_path / "run"), case, options, {}))
        )
        waiting.start()
        time.sleep(0.5)
        assert waiting.is_alive()
        worker.write_json(str(folder / worker.PLAN_FILE), {"case": "c1", "row": {}, "runs": []})
        record = {"case": "c1", "status": "ok", "message": "", "row": run.identity(case, options.models)}
        worker.write_json(str(folder / worker.STATUS_FILE), record)
    waiting.join(10)
    assert returned == [record] and (folder / "results.csv").exists()
