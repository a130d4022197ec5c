"""The summary table and its command."""

from __future__ import annotations

import csv
import io
import subprocess
import sys

from conftest import ROOT, copy_section, run_cracking

import jpcp


def test_summary_rows_ok_failed_missing(example, tmp_path):
    # A run of three sections whose second has a broken General input file;
    # its results folder sits inside the source folder.
    run = copy_section(example.cracking, tmp_path / "run")
    block = (run / "FileList.txt").read_text().splitlines()[1:]
    (run / "Broken.txt").write_text("1\n2\nx\n")
    blocks = [["Sec1", *block], ["Bad", "Broken.txt", *block[1:]], ["NotRun", *block]]
    (run / "FileList.txt").write_text("\n".join(line for b in blocks for line in b) + "\n")
    run_cracking(run, run / "results", example.cracking_models, check=False)
    listed = copy_section(example.cracking, tmp_path / "listed")
    (listed / "FileList.txt").write_text((listed / "FileList.txt").read_text().replace("Sec1", "Listed", 1))

    table = jpcp.summary([example.root, tmp_path])
    assert list(table.columns) == jpcp.SUMMARY_COLUMNS
    rows = {(r["case"], r["kind"], r["status"]): r for r in table.to_dict("records")}
    statuses = [(r["case"], r["kind"], r["status"]) for r in table.to_dict("records")]
    assert sorted(statuses) == [("Bad", "cracking", "failed"), ("Listed", "cracking", "missing"),
                                ("NotRun", "cracking", "missing"), ("Sec1", "cracking", "ok"),
                                ("Sec1", "cracking", "ok"), ("Sec1", "faulting", "ok")]
    assert rows[("Bad", "cracking", "failed")]["message"] == "Data error: General Input File."

    cracking = table[(table["case"] == "Sec1") & (table["kind"] == "cracking")].iloc[0]
    last = (example.results / "Sec1_Cracking.csv").read_text().splitlines()[-1].split(",")
    assert cracking["months"] == "24"
    assert (cracking["percent_cracked"], cracking["damage_bottom_up"], cracking["damage_top_down"]) == (
        last[16].strip(), last[11].strip(), last[15].strip())
    faulting = rows[("Sec1", "faulting", "ok")]
    assert faulting["faulting_in"] == (
        (example.faulting / "JPCP_faulting2.csv").read_text(encoding="latin-1").splitlines()[-1].split(",")[-1].strip())

    numeric = jpcp.summary(example.root, numeric=True)
    assert numeric["months"].tolist() == [24.0, 24.0]


def test_summary_command_prints_or_writes(example, tmp_path):
    command = [sys.executable, "-m", "jpcp", "summary", str(example.root)]
    env = {"PYTHONPATH": str(ROOT / "python"), "PATH": "/usr/bin:/bin"}
    printed = subprocess.run(command, capture_output=True, text=True, env=env, check=True).stdout
    subprocess.run(command + ["-o", str(tmp_path / "s.csv")], env=env, check=True)
    assert (tmp_path / "s.csv").read_text() == printed
    assert [r["case"] for r in csv.DictReader(io.StringIO(printed))] == ["Sec1", "Sec1"]
    refused = subprocess.run(command[:-1] + [str(tmp_path / "absent")], capture_output=True, text=True, env=env)
    assert refused.returncode == 2 and "not a folder" in refused.stderr


def test_installed_launcher_runs_the_package(engines, example, tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", str(engines), "--prefix", str(prefix)], check=True, capture_output=True)
    launcher = prefix / "bin" / "jpcp"
    assert not list(prefix.rglob("__pycache__"))
    printed = subprocess.run([launcher, "summary", str(example.root)], capture_output=True, text=True, check=True)
    direct = subprocess.run([sys.executable, "-m", "jpcp", "summary", str(example.root)], capture_output=True,
                            text=True, check=True, env={"PYTHONPATH": str(ROOT / "python"), "PATH": "/usr/bin:/bin"})
    assert printed.stdout == direct.stdout


def test_warnings_counted_and_reported_with_the_recorded_model_folder(example, tmp_path):
    # 40 ft joints lie outside the demonstration models' slab lengths: the
    # models print a WARNING message for each such point and give 0 there.
    from jpcp import inputs
    from jpcp.report import write_report

    source = copy_section(example.cracking, tmp_path / "far")
    general = inputs.read_general_input(source / "GeneralInput.txt")
    general["joint_spacing"] = 40.0
    inputs.write_general_input(general, source / "GeneralInput.txt")
    results = tmp_path / "far-results"
    console = run_cracking(source, results, example.cracking_models).stdout
    (results / "cracking.out").write_text(console)
    expected = sum(line.startswith(" *** WARNING ") for line in console.splitlines())
    assert expected > 0

    assert jpcp.summary(tmp_path)["warnings"].tolist() == [str(expected)]
    assert jpcp.summary(example.root)["warnings"].tolist() == ["0", "0"]

    page = tmp_path / "far.html"
    write_report([results], page)
    text = page.read_text(encoding="utf-8")
    assert f'class="console-warnings alarm" data-count="{expected}"' in text
    assert "ZVEC(1) = 40.00000 does not satisfy" in text  # a wrapped message is shown joined
    assert "Model folder: not known" in text and 'id="demonstration"' not in text
    example_page = tmp_path / "example.html"
    write_report([example.results], example_page)
    text = example_page.read_text(encoding="utf-8")
    assert f"Model folder: {example.cracking_models.resolve()} (" in text and 'data-count="0"' in text
    (results / "cracking.out").unlink()  # a run started by hand: nothing kept, nothing known
    assert jpcp.summary(tmp_path)["warnings"].tolist() == [""]
