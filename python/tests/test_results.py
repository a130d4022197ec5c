"""Readers of the result files, on files the programs wrote."""

from __future__ import annotations

import math

import pytest
from conftest import copy_section, program, run

import jpcp
from jpcp import results


def _raw_fields(path, line_number):
    return [f.strip() for f in path.read_text(encoding="latin-1").splitlines()[line_number].split(",")]


def test_cracking_results(example):
    path = example.results / "Sec1_Cracking.csv"
    table = results.read_cracking(path)
    assert list(table.columns) == list(results.CRACKING_COLUMNS)
    assert len(table) == 24 and list(table["Age(mo)"]) == list(range(1, 25))
    assert list(table["Month"][:4]) == ["October", "November", "December", "January"]
    raw = _raw_fields(path, 24)  # the last row, as written
    assert table.iloc[-1]["Toal_BU"] == float(raw[11]) and table.iloc[-1]["%Crack"] == float(raw[16])
    assert (table["BU_Quad"] == 0).all()

    stresses = results.read_stress_results(example.results / "StressResults.csv")
    assert stresses.groupby(["time", "group"]).size().to_dict() == {
        ("day", "Single"): 25, ("day", "Tandem"): 25, ("day", "Tridem"): 25,
        ("night", "Long"): 25, ("night", "Medium"): 25, ("night", "Short"): 25}
    single_loads = stresses[stresses["group"] == "Single"]["load"].unique().tolist()
    assert single_loads == [8.5, 18.0, 24.5, 32.5, 40.5]
    assert stresses["nonlinear_stress"].notna().all() and stresses["stress"].notna().all()

    for name, label in (("_StressBot.csv", "Axle Type"), ("_StressTop.csv", "Axle Spacing")):
        table = results.read_stress_table(example.results / name)
        assert len(table) == 2 * 12 * 3 * 5 * 5 and label in table.columns and "Stress(psi)" in table.columns

    gradients = results.read_gradients(example.results / "LTemp_Sec1.csv")
    assert gradients.day.shape == (25, 12) and gradients.night.shape == (42, 12)
    assert list(gradients.day.columns[:4]) == [10, 11, 12, 1] and gradients.night.index[-1] == 82.0
    assert gradients.day.sum().gt(0).all()

    esals_text = (example.results / "ESALs.txt").read_text().split("=")[1].split()[0]
    assert results.read_esals(example.results / "ESALs.txt") == float(esals_text)
    traffic = results.read_traffic_summary(example.results / "Traff.csv")
    assert len(traffic) == 39 and traffic["lef_single"][1] == 0.00015 and traffic["lef_tridem"][39] == 0.0


def test_faulting_results(example):
    detail = results.read_faulting(example.faulting / "JPCP_faulting.csv")
    assert list(detail.columns) == list(results.FAULTING_COLUMNS) and len(detail) == 24
    assert set(detail.attrs["constants"]) == set(results.FAULTING_CONSTANTS)
    raw = _raw_fields(example.faulting / "JPCP_faulting.csv", 4 + 23)
    assert detail.iloc[-1]["faulting"] == float(raw[21]) and detail.iloc[-1]["e_pcc"] == float(raw[2])

    summary = results.read_faulting2(example.faulting / "JPCP_faulting2.csv")
    assert list(summary.columns) == results.FAULTING2_COLUMNS and len(summary) == 24
    assert summary["Faulting(in)"].iloc[-1] == detail["faulting"].iloc[-1]

    deflections = results.read_deflections(example.faulting / "_Deflection.csv")
    assert len(deflections) == 48 and list(deflections["Axle Type"][:2]) == ["Single", "Tandem"]


def test_overflow_fields_errors_and_progress(tmp_path):
    (tmp_path / "X_Cracking.csv").write_text(
        "Year,Age(mo),Month,MR(psi),Epcc(Mpsi),Ebase(ksi),k(psi/in),BU_Single,BU_Tandem,BU_Tridem,BU_Quad,"
        " Toal_BU,TD_SWB,TD_MWB,TD_LWB,Total_TD,%Crack\n"
        "    1,    1,June      ,*****,   3.49,  30.00, 150.,"
        + "  0.1000000E+00," * 9 + " 5.00\n")
    table = results.read_cracking(tmp_path / "X_Cracking.csv")
    assert math.isnan(table["MR(psi)"][0]) and table["%Crack"][0] == 5.0
    (tmp_path / "JPCP Errors.txt").write_text(" Data error: General Input File.\n")
    (tmp_path / "Progress.tmp").write_text(" -1.0\n")
    section = jpcp.read_section(tmp_path)
    assert section.errors == ["Data error: General Input File."] and section.progress == -1.0
    assert results.read_errors(tmp_path / "absent.txt") == []


def test_read_section_gathers_one_section(example):
    section = jpcp.read_section(example.results)
    assert (section.kind, section.name, section.source) == ("cracking", "Sec1", example.cracking)
    assert section.general_input["thickness"] == 9.5 and section.esals > 0 and section.progress == 100.0
    assert section.gradients is not None and section.gradients_bonded is None and section.errors == []
    faulting = jpcp.read_section(example.faulting)
    assert faulting.kind == "faulting" and faulting.faulting_input["dowel_diameter"] == 1.5
    with pytest.raises(FileNotFoundError):
        jpcp.read_section(example.results, name="Other")


def test_calibration_summary(example, tmp_path):
    source = copy_section(example.cracking, tmp_path / "calibration")
    with open(source / "GeneralInput.txt", "a") as general:
        general.write("2\n14\n16\n2\n1\n2\n")  # joint spacings 14 and 16 ft; ages 1 and 2 years
    run(program("jpcp_cracking"), source, source, example.cracking_models, "calsum.csv")
    table = results.read_calibration_summary(source / "calsum.csv")
    assert list(table.columns) == results.CALIBRATION_HEADER
    assert list(table["Section"]) == ["Sec1L14"] * 2 + ["Sec1L16"] * 2 and list(table["Age"]) == [1.0, 2.0] * 2
    assert list(jpcp.read_section(source).calibration) == ["calsum.csv"]


def test_bonded_case_and_si_tables(engines, example, tmp_path):
    source = tmp_path / "bonded"
    run(program("jpcp_example"), "cracking", source, "--design-life", "2", "--base", "asphalt", "--bond-months",
        "24", "--response", "0", "--name", "Bond")
    run(program("jpcp_cracking"), source, source, example.cracking_models)
    section = jpcp.read_section(source)
    assert section.gradients_bonded.day.shape == (25, 12) and section.stress_results_bond is not None
    assert {"MR(Mpa)", "Therm Grad(deg C)", "Load(kg)", "Stress(Mpa)"} <= set(section.stress_bottom.columns)
    assert section.stress_bottom["Load(kg)"][0] == 3851.0  # 8500 lb x 0.453

    from jpcp.report.figures import section_plots
    assert "gradients_bonded" in [plot.key for plot in section_plots(section)]
