"""jpcp calibrate: coefficients known to the test are recovered, within the
fit's own 95 % intervals, from noisy observations of sections run with them;
the transfer function applied to a run's damages gives the program's
%Crack; bad inputs are refused before anything is fitted."""

from __future__ import annotations

import csv
import json
import os
import shutil
from pathlib import Path

import numpy as np
import pytest

from conftest import program, run

from jpcp import engines as engine_runs
from jpcp import inputs
from jpcp.calibrate import main as calibrate
from jpcp.calibrate.transfer import CrackingDamage

# Known coefficients, away from the sections' own (C4 = 1, C5 = -1.98;
# faulting C1 = 1.0184).
TRUE_C4, TRUE_C5 = 2.0, -1.5
TRUE_FAULT_C1 = 1.6


def read_rows(path) -> list[dict]:
    with open(path, newline="") as handle:
        return list(csv.DictReader(handle))


def write_csv(path: Path, columns: list[str], rows: list[list]) -> Path:
    path.write_text("\n".join(",".join(map(str, r)) for r in [columns, *rows]) + "\n")
    return path


def with_inputs(folder: Path, target: Path, reader, writer, name: str, **values) -> Path:
    """A copy of a section folder whose section input holds ``values``."""
    shutil.copytree(folder, target)
    section = reader(target / name)
    for field, value in values.items():
        section[field] = value
    writer(section, target / name)
    return target


@pytest.fixture(scope="module")
def cracking_study(example, tmp_path_factory):
    """Six two-year sections (thickness x traffic), their study, and noisy
    observations at months 6, 12, 18 and 24 of runs with the known C4, C5."""
    os.environ.setdefault("JPCP_BUILD_DIR", str(program("jpcp_cracking").parent))
    root = tmp_path_factory.mktemp("calibrate-cracking")
    rng = np.random.default_rng(7)
    cases, observations = [], []
    for thickness in (8.5, 9.5):
        for aadtt in (1500, 3000, 5000):
            name = f"t{thickness:g}-a{aadtt}".replace(".", "p")
            run(program("jpcp_example"), "cracking", root / name, "--design-life", "2", "--thickness", thickness,
                "--aadtt", aadtt, "--name", name)
            truth = with_inputs(root / name, root / "truth" / name, inputs.read_general_input,
                                inputs.write_general_input, "GeneralInput.txt", crack_c4=TRUE_C4, crack_c5=TRUE_C5)
            table = engine_runs.run_cracking(truth, example.cracking_models).cracking
            for age in (6, 12, 18, 24):
                value = float(table["%Crack"].iloc[age - 1]) + rng.normal(0.0, 0.7)
                observations.append([name, age, f"{min(max(value, 0.0), 100.0):.2f}", ""])
            cases.append([name, name, example.cracking_models])
    study = write_csv(root / "study.csv", ["case", "cracking", "cracking_models"], cases)
    observed = write_csv(root / "observations.csv", ["case", "age_months", "percent_cracked", "faulting_in"],
                         observations)
    return root, study, observed


def test_cracking_c4_c5_recovered_within_their_bootstrap_intervals(cracking_study, example):
    root, study, observed = cracking_study
    out, study_out = root / "out", root / "fitted-study.csv"
    assert calibrate([str(study), str(observed), "--fit", "cracking", "--out", str(out), "--study-out",
                      str(study_out), "--bootstrap", "100", "-j", "2"]) == 0
    result = json.loads((out / "coefficients.json").read_text())
    c4, c5 = result["coefficients"]["C4"], result["coefficients"]["C5"]
    assert (c4["start"], c5["start"]) == (1.0, -1.98)
    assert c4["ci95"][0] <= TRUE_C4 <= c4["ci95"][1], c4
    assert c5["ci95"][0] <= TRUE_C5 <= c5["ci95"][1], c5
    assert c4["ci_method"] == "bootstrap"
    before, after = result["statistics"]["before"], result["statistics"]["after"]
    assert (after["n_sections"], after["n_observations"]) == (6, 24)
    assert after["see"] < before["see"] / 2 and abs(after["bias"]) < 0.5
    assert result["statistics"]["kfold_see"] > 0 and set(result["standard_error_model"]) == {"a", "b", "c"}

    # The statistics are those of the residuals written beside them.
    rows = read_rows(out / "predictions.csv")
    residual = np.array([float(r["measured"]) - float(r["predicted_after"]) for r in rows])
    assert after["bias"] == pytest.approx(residual.mean(), abs=1e-9)
    assert after["see"] == pytest.approx(np.sqrt(np.sum(residual**2) / (len(residual) - 2)), rel=1e-9)

    # The fitted study, run by the program, gives the predictions after calibration.
    fitted = read_rows(study_out)[0]
    assert float(fitted["crack_c4"]) == c4["value"] and float(fitted["crack_c5"]) == c5["value"]
    source = with_inputs(Path(fitted["cracking"]), root / "check", inputs.read_general_input,
                         inputs.write_general_input, "GeneralInput.txt", crack_c4=c4["value"], crack_c5=c5["value"])
    table = engine_runs.run_cracking(source, example.cracking_models).cracking
    for row in rows[:4]:
        assert float(row["predicted_after"]) == pytest.approx(table["%Crack"].iloc[int(row["age_months"]) - 1], abs=0.006)
    patched = inputs.read_general_input(out / "inputs" / fitted["case"] / "GeneralInput.txt")
    assert (patched["crack_c4"], patched["crack_c5"]) == (c4["value"], c5["value"])
    assert "<svg" in (out / "calibration.html").read_text()


@pytest.mark.parametrize("existing, offset", [(0.0, 3.0), (10.0, 2.0)])
def test_transfer_function_gives_the_programs_cracking(example, tmp_path, existing, offset):
    """With and without existing cracking (its equivalent initial damages
    depend on C4 and C5), from the damages the program wrote."""
    source = with_inputs(example.cracking, tmp_path / "section", inputs.read_general_input,
                         inputs.write_general_input, "GeneralInput.txt", initial_cracking=existing,
                         cracking_offset=offset, crack_c4=1.5, crack_c5=-1.7)
    table = engine_runs.run_cracking(source, example.cracking_models).cracking
    recomputed = CrackingDamage(table, existing, offset).percent(np.arange(len(table)), 1.5, -1.7)
    assert np.abs(recomputed - table["%Crack"].to_numpy()).max() <= 0.0051  # written with two decimals
    assert table["%Crack"].iloc[0] > (5.0 if existing else -1.0)


def test_faulting_c1_recovered_by_reruns_within_its_jacobian_interval(example, tmp_path):
    rng = np.random.default_rng(3)
    cases, observations = [], []
    for thickness, aadtt in ((9, 6000), (10, 3000), (11, 6000)):
        name = f"f{thickness}-{aadtt}"
        run(program("jpcp_example"), "faulting", tmp_path / name, "--design-life", "3", "--thickness", thickness,
            "--aadtt", aadtt, "--dowel", "0", "--name", name)
        truth = with_inputs(tmp_path / name, tmp_path / "truth" / name, inputs.read_faulting_input,
                            inputs.write_faulting_input, "faultgeneralinput.txt", fault_c1=TRUE_FAULT_C1)
        table = engine_runs.run_faulting(truth, example.faulting_models).faulting
        for age in (12, 24, 36):
            observations.append([name, age, "", f"{max(float(table['faulting'].iloc[age - 1]) + rng.normal(0, 0.001), 0):.4f}"])
        cases.append([name, name, example.faulting_models])
    study = write_csv(tmp_path / "study.csv", ["case", "faulting", "faulting_models"], cases)
    observed = write_csv(tmp_path / "obs.csv", ["case", "age_months", "percent_cracked", "faulting_in"], observations)
    assert calibrate([str(study), str(observed), "--fit", "faulting", "--coefficients", "C1", "--out",
                      str(tmp_path / "out"), "-j", "2"]) == 0
    c1 = json.loads((tmp_path / "out" / "coefficients.json").read_text())["coefficients"]["C1"]
    assert c1["ci_method"] == "jacobian" and c1["start"] == pytest.approx(1.0184)
    assert c1["ci95"][0] <= TRUE_FAULT_C1 <= c1["ci95"][1], c1
    assert c1["ci95"][1] - c1["ci95"][0] < 0.5 * TRUE_FAULT_C1
    patched = inputs.read_faulting_input(tmp_path / "out" / "inputs" / cases[0][0] / "faultgeneralinput.txt")
    assert patched["fault_c1"] == c1["value"]


@pytest.mark.parametrize(
    "row, options, message",
    [
        (["nowhere", 12, 5.0, ""], [], "line 2: case 'nowhere' is not in the study"),
        (["{case}", 25, 5.0, ""], [], "line 2: age_months 25 is beyond the analysis of case"),
        (["{case}", 12, 101, ""], [], "line 2: percent_cracked 101 is outside 0-100"),
        (["{case}", 12, 5.0, -0.01], [], "line 2: faulting_in -0.01 is negative"),
        (["{case}", 12, 5.0, ""], ["--coefficients", "C4,C5,C1"], "1 cracking observation(s) for 3 coefficients"),
        (["{case}", 12, 5.0, ""], ["--coefficients", "C4,C9"], "cracking has no coefficient 'C9'"),
    ],
)
def test_bad_input_is_refused_before_anything_is_fitted(cracking_study, tmp_path, capsys, row, options, message):
    _, study, observed = cracking_study
    case = read_rows(observed)[0]["case"]
    bad = write_csv(tmp_path / "bad.csv", ["case", "age_months", "percent_cracked", "faulting_in"],
                    [[str(v).format(case=case) for v in row]])
    out = tmp_path / "out"
    assert calibrate([str(study), str(bad), "--fit", "cracking", "--out", str(out), *options]) == 1
    error = capsys.readouterr().err
    assert message in error and ("bad.csv" in error or "--coefficients" in error), error
    assert not out.exists()
