"""jpcp design: searches on short design lives with the demonstration
models, checked against the programs' own result files; the 1993-guide
equation on the guide's worked example; design files refused before any
run."""

from __future__ import annotations

import csv
import re
from statistics import NormalDist

import pytest
from conftest import run_cracking, run_faulting

from jpcp import results
from jpcp.design import main as design_main
from jpcp.design.guide93 import Guide93Inputs, rounded_up, thickness

ANSWER = re.compile(
    r"thickness (\S+) in \(joint spacing (\S+) ft, dowels (\S+) in\): cracking \S+ % \(design \S+ % at (\S+) %\), "
    r"faulting \S+ in \(design \S+ in\); governed by (cracking|faulting|cracking and faulting)$"
)
SHORT = 'design-life = 2\naadtt = 3000\nclimate = "hot-dry"\n'


def design(tmp_path, example, text: str, *options, name="section"):
    """Runs jpcp design on a design file; (exit status, design.csv rows, output folder)."""
    path = tmp_path / f"{name}.toml"
    path.write_text(text)
    out = tmp_path / f"{name}-out"
    status = design_main([str(path), "--out", str(out), "--cracking-models", str(example.cracking_models),
                          "--faulting-models", str(example.faulting_models), *options])
    rows = list(csv.DictReader(open(out / "design.csv"))) if status == 0 else []
    return status, rows, out


def design_values(section, example, tmp_path, reliability):
    """End-of-life distresses of a kept section from the programs' own
    result files, raised to the reliability with the default standard errors."""
    run_cracking(section / "cracking", tmp_path / "results", example.cracking_models)
    run_faulting(section / "faulting", example.faulting_models)
    cracked = results.read_cracking(tmp_path / "results" / "Example_Cracking.csv")["%Crack"].iloc[-1]
    faulting = results.read_faulting(section / "faulting" / "JPCP_faulting.csv")["faulting"].iloc[-1]
    z = NormalDist().inv_cdf(reliability / 100)
    return (cracked + z * (3.5522 * cracked**0.3415 + 0.75), faulting + z * (0.07162 * faulting**0.368 + 0.00806))


def test_answer_passes_and_one_step_thinner_fails(example, tmp_path, capsys):
    status, rows, out = design(tmp_path, example, SHORT + "[design]\nthickness = [7, 12, 0.25]\n", "--keep-sections")
    assert status == 0
    line = capsys.readouterr().out.strip()
    match = ANSWER.match(line)
    assert match, line
    assert list(rows[0]) == ["joint_spacing_ft", "dowel_in", "thickness_in", "cracking_pct", "cracking_design_pct",
                             "faulting_in", "faulting_design_in", "thinner_cracking_pct",
                             "thinner_cracking_design_pct", "thinner_faulting_in", "thinner_faulting_design_in",
                             "governed_by"]
    chosen = float(rows[0]["thickness_in"])
    assert 7 < chosen < 12 and float(match.group(1)) == chosen
    sections = out / "sections" / f"L{match.group(2)}-d{match.group(3)}"
    cracking, faulting = design_values(sections / f"h{chosen:g}", example, tmp_path / "chosen", 90)
    assert cracking <= 15 and faulting <= 0.12
    assert cracking == pytest.approx(float(rows[0]["cracking_design_pct"]), rel=1e-4)
    cracking, faulting = design_values(sections / f"h{chosen - 0.25:g}", example, tmp_path / "thinner", 90)
    assert cracking > 15 or faulting > 0.12
    trials = list(csv.DictReader(open(out / "trials.csv")))
    assert {float(t["thickness_in"]) for t in trials} >= {7.0, 12.0, chosen, chosen - 0.25}
    page = (out / "design.html").read_text()
    assert page.count("<svg") == 2 and 'id="demonstration"' in page and "1993 guide" in page


def test_answer_thickens_with_reliability_and_tighter_limits(example, tmp_path, capsys):
    answers = {}
    for name, table in (("r60", "reliability = 60"), ("r99", "reliability = 99"),
                        ("faulting", "dowel = 0\nfaulting_limit = 0.035\ncracking_limit = 60"),
                        ("tighter", "dowel = 0\nfaulting_limit = 0.032\ncracking_limit = 60")):
        status, rows, _ = design(tmp_path, example, SHORT + f"[design]\nthickness = [8.5, 11.5, 0.25]\n{table}\n",
                                 name=name)
        assert status == 0
        answers[name] = (float(rows[0]["thickness_in"]), rows[0]["governed_by"])
    assert answers["r99"][0] > answers["r60"][0], answers
    assert answers["faulting"][1] == answers["tighter"][1] == "faulting" and answers["tighter"][0] > answers["faulting"][0], answers


def test_slurm_rounds_give_the_local_answer(example, cluster, tmp_path, monkeypatch, capsys):
    monkeypatch.setenv("SLURM_CONF", cluster.env["SLURM_CONF"])
    text = SHORT + "[design]\nthickness = [8.5, 10, 0.25]\n"
    answers = {}
    for engine in ("process", "slurm"):
        status, rows, out = design(tmp_path, example, text, "--engine", engine, "-j", "5", name=engine)
        assert status == 0, capsys.readouterr().err
        answers[engine] = rows
    assert answers["slurm"] == answers["process"]
    # Both ends in the first round, then the five thicknesses between them.
    assert sorted(p.name for p in (out / "slurm").iterdir()) == ["round001", "round002"]


WORKED_EXAMPLE = Guide93Inputs(w18=5.1e6, reliability=95, s0=0.29, delta_psi=1.7, pt=2.5, k=72, sc=650, ec=5e6,
                               j=3.2, cd=1.0)


def test_guide93_worked_example(example, tmp_path, capsys):
    exact = thickness(WORKED_EXAMPLE)
    assert round(exact, 1) == 9.7
    assert rounded_up(exact, 6.0, 0.25) == 9.75 and rounded_up(10.0, 6.0, 0.25) == 10.0
    text = ("[guide93]\nw18 = 5.1e6\nreliability = 95\ns0 = 0.29\nk = 72\nsc = 650\nec = 5e6\n")
    status, rows, _ = design(tmp_path, example, SHORT + text, "--method", "guide93")
    assert status == 0
    assert float(rows[0]["thickness_exact_in"]) == pytest.approx(exact, abs=1e-5)
    assert float(rows[0]["thickness_in"]) == 9.75
    assert "9.75 in" in capsys.readouterr().out


@pytest.mark.parametrize("text, key", [
    ("[design]\ncracking_limt = 10\n", "design.cracking_limt"),
    ("aadt = 3000\n", "aadt"),
    ("[design]\nreliability = 99.95\n", "design.reliability"),
    ("[design]\nreliability = 45\n", "design.reliability"),
    ("[design]\nfaulting_limit = 0\n", "design.faulting_limit"),
    ("[design]\ncracking_limit = 0.5\n", "design.cracking_limit"),  # below z*s(0): nothing can pass
    ("[design]\nthickness = [12, 8, 0.25]\n", "design.thickness"),
    ("[design]\nthickness = [4, 12, 0.25]\n", "design.thickness"),  # thinner than the builder builds
    ("[design]\njoint_spacing = [15, 40]\n", "design.joint_spacing"),
    ('climate = "tropical"\n', "climate"),
    ("[design.cracking_error]\na = 1\nb = 0.3\n", "design.cracking_error.c"),
    ("[guide93]\ns0 = -0.3\n", "guide93.s0"),
])
def test_bad_input_names_the_key_and_runs_nothing(example, tmp_path, capsys, text, key):
    status, _, out = design(tmp_path, example, "design-life = 2\n" + text)
    assert status == 1
    error = capsys.readouterr().err
    assert f": {key}:" in error, error
    assert not out.exists()


def test_standard_errors_from_a_calibration_and_the_design_file(tmp_path):
    from jpcp.design.config import read_design

    (tmp_path / "faulting.json").write_text(
        '{"fit": "faulting", "coefficients": {}, "standard_error_model": {"a": 0.05, "b": 0.3, "c": 0.01, '
        '"bins": [[0.01, 0.02], [0.05, 0.03]]}}')
    (tmp_path / "cracking.json").write_text(
        '{"fit": "cracking", "standard_error_model": {"a": 2.0, "b": 0.4, "c": 1.0}}')
    path = tmp_path / "section.toml"
    path.write_text('[design]\ncalibration = ["faulting.json", "cracking.json"]\n'
                    "[design.cracking_error]\na = 3.0\nb = 0.5\nc = 0.5\n")
    design = read_design(path, set())
    # The table in the design file wins over the calibration; the other
    # distress takes the calibration's model.
    assert design.errors["cracking"].standard_error(4.0) == pytest.approx(3.0 * 2.0 + 0.5)
    assert design.errors["faulting"].standard_error(0.0) == pytest.approx(0.01)
    assert design.error_sources["faulting"].endswith("faulting.json")


@pytest.mark.parametrize("width", [1, 2, 5])
def test_search_finds_the_first_passing_thickness_at_any_width(tmp_path, width):
    from jpcp.design.config import read_design
    from jpcp.design.search import search
    from jpcp.design.trials import Trial

    path = tmp_path / "section.toml"
    path.write_text("[design]\nthickness = [6, 16, 0.25]\n")
    design = read_design(path, set())
    for needed in (6.0, 6.25, 9.75, 15.75, 16.0, 16.25):  # thinnest passing: cracking 0 at and above it
        def evaluate(thicknesses):
            return [Trial(15, 1.25, h, 0.0 if h >= needed else 50.0, 0.01, 0.0) for h in thicknesses]

        answer = search(design, 15, 1.25, evaluate, width)
        chosen = answer.design.trial.thickness if answer.design else None
        assert chosen == (needed if needed <= 16 else None), (needed, chosen)
        if chosen is not None and chosen > 6:
            assert answer.thinner.trial.thickness == chosen - 0.25 and answer.governed_by == "cracking"
