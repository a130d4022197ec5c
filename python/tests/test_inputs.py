"""Readers and writers of the section input files."""

from __future__ import annotations

import filecmp

import pytest
from conftest import copy_section, run_cracking, run_faulting

from jpcp import inputs


def test_readers_give_the_values_the_example_wrote(example):
    general = inputs.read_general_input(example.cracking / "GeneralInput.txt")
    assert len(general.values) == 43
    assert (general["design_life"], general["start_month"], general["thickness"], general["joint_spacing"]) == (
        2.0, 10, 9.5, 14.0)
    assert (general["crack_c4"], general["crack_c5"], general["pcc_unit_weight"]) == (1.0, -1.98, 150.0)

    faulting = inputs.read_faulting_input(example.faulting / "faultgeneralinput.txt")
    assert len(faulting.values) == 41
    assert (faulting["analysis_months"], faulting["design_life"], faulting["dowel_diameter"]) == (24, 2.0, 1.5)
    assert (faulting["fault_c3"], faulting["fault_c4"], faulting["fault_c7"]) == (0.002848, 0.000883739, 1.83312)
    shared = set(general.values) & set(faulting.values)
    assert {"thickness", "joint_spacing", "start_month", "built_in_gradient", "slab_width"} <= shared

    season = inputs.read_season_pattern(example.cracking / "SeasonPattern.txt")
    assert list(season.columns) == list(inputs.MONTHLY_COLUMNS) and len(season) == 12
    pcc = inputs.read_pcc_modulus(example.cracking / "PCCModulus.txt", design_life=2)
    assert len(pcc) == 14 and list(pcc["age"][:3]) == [0, 1, 2] and pcc["age"].iloc[-1] == 24
    fault_season = inputs.read_faulting_season_pattern(example.faulting / "seasonpattern.txt")
    assert list(fault_season.pcc["age"][13:]) == [24, 36, 48, 60, 120, 240]

    tridem = inputs.read_axle_spectra(example.cracking / "TridemAxleOutput.csv", "tridem")
    assert tridem.shape == (24, 2 + 31) and tridem["label"][0] == "October"
    hourly = inputs.read_hourly_traffic(example.cracking / "_HourlyTrafficPerc.txt")
    assert hourly["percent"].sum() == pytest.approx(100.0, abs=0.01)

    temperatures = inputs.read_temperature_data(example.cracking / "ThermalPCC.dat")
    assert len(temperatures.attrs["header"]) == 288
    assert list(temperatures["hour"][:25]) == list(range(24)) + [0]
    assert len(inputs.read_temperature_data(example.faulting / "thermalPCC.dat").attrs["header"]) == 0

    files = inputs.read_file_list(example.cracking / "FileList.txt")
    assert files.iloc[0].to_dict()["section"] == "Sec1" and files.iloc[0]["temperature"] == "ThermalPCC.dat"
    assert inputs.read_fault_file_list(example.faulting / "FaultFileList.txt")["section_input"][0] == (
        "faultgeneralinput.txt")


def test_free_form_layouts_read_alike(tmp_path):
    values = [str(v) for v in range(1, 44)]
    (tmp_path / "lines.txt").write_text("\n".join(values) + "\n")
    # Field 5 written as 0.5+1 (exponent without its letter): 5.
    (tmp_path / "one.txt").write_text(", ".join(values[:4] + ["0.5+1"] + values[5:40]) + "  3*7 / ignored\r\n")
    one_per_line = inputs.read_general_input(tmp_path / "lines.txt")
    assert one_per_line["thickness"] == 5.0 and one_per_line["cracking_offset"] == 43.0
    repeated = inputs.read_general_input(tmp_path / "one.txt")
    assert repeated["thickness"] == 5.0 and repeated["trucks_long"] == 40.0
    assert [repeated[n] for n in ("tandem_axles_per_truck", "initial_cracking", "cracking_offset")] == [7.0] * 3

    (tmp_path / "short.txt").write_text("\n".join(values[:42]) + "\n")
    (tmp_path / "letter.txt").write_text("\n".join(values[:10] + ["x"] + values[11:]) + "\n")
    for name, reason in (("short.txt", "ends too early"), ("letter.txt", "not a number")):
        with pytest.raises(inputs.InputFileError, match=reason):
            inputs.read_general_input(tmp_path / name)


def test_file_lists_quoting_and_null_blocks(tmp_path):
    (tmp_path / "FileList.txt").write_text("A\n" + "\n".join(f"'sub dir\\f{i}.txt' rest" for i in range(9))
                                           + "\nNULLx\nnull\n")
    table = inputs.read_file_list(tmp_path / "FileList.txt")
    # The lower-case "null" starts a block that ends after its name.
    assert list(table["section"]) == ["A", "NULLx"]
    assert table["general_input"][0] == "sub dir\\f0.txt"
    assert table["pcc_modulus"][1] == "PCCModulus.txt." and inputs.result_name("NULLx") == "JPCP"
    inputs.write_file_list(table, tmp_path / "again.txt")
    assert inputs.read_file_list(tmp_path / "again.txt").equals(table)


def _variant(source, target, change=None):
    """Reads every input of the cracking section and writes it to a new folder."""
    target.mkdir()
    names = inputs.read_file_list(source / "FileList.txt").iloc[0]
    general = inputs.read_general_input(source / names["general_input"])
    if change:
        general[change[0]] = change[1]
    inputs.write_general_input(general, target / names["general_input"])
    inputs.write_season_pattern(inputs.read_season_pattern(source / names["season_pattern"]),
                                target / names["season_pattern"])
    inputs.write_pcc_modulus(inputs.read_pcc_modulus(source / names["pcc_modulus"]), target / names["pcc_modulus"])
    for axle in inputs.CLASS_COUNT:
        name = names[f"{axle}_axle"]
        inputs.write_axle_spectra(inputs.read_axle_spectra(source / name, axle), target / name)
    inputs.write_hourly_traffic(inputs.read_hourly_traffic(source / names["hourly_traffic"]),
                                target / names["hourly_traffic"])
    inputs.write_temperature_data(inputs.read_temperature_data(source / names["temperature"], header=True),
                                  target / names["temperature"])
    inputs.write_file_list(inputs.read_file_list(source / "FileList.txt"), target / "FileList.txt")
    (target / "Response.txt").write_text((source / "Response.txt").read_text())


def test_round_trip_gives_identical_results(example, tmp_path):
    _variant(example.cracking, tmp_path / "copy")
    assert (tmp_path / "copy" / "GeneralInput.txt").read_text() != ""
    run_cracking(tmp_path / "copy", tmp_path / "copy-results", example.cracking_models)
    for name in ("Sec1_Cracking.csv", "LTemp_Sec1.csv", "_StressBot.csv", "Traff.csv", "ESALs.txt"):
        assert filecmp.cmp(example.results / name, tmp_path / "copy-results" / name, shallow=False), name

    # A change made through the reader's names reaches the program.
    _variant(example.cracking, tmp_path / "thicker", ("thickness", 11.0))
    run_cracking(tmp_path / "thicker", tmp_path / "thicker-results", example.cracking_models)
    assert not filecmp.cmp(example.results / "Sec1_Cracking.csv", tmp_path / "thicker-results" / "Sec1_Cracking.csv",
                           shallow=False)

    folder = copy_section(example.faulting, tmp_path / "faulting")
    inputs.write_faulting_input(inputs.read_faulting_input(folder / "faultgeneralinput.txt"),
                                folder / "faultgeneralinput.txt")
    inputs.write_faulting_season_pattern(inputs.read_faulting_season_pattern(folder / "seasonpattern.txt"),
                                         folder / "seasonpattern.txt")
    inputs.write_temperature_data(inputs.read_temperature_data(folder / "thermalPCC.dat", header=False),
                                  folder / "thermalPCC.dat")
    inputs.write_fault_file_list(inputs.read_fault_file_list(folder / "FaultFileList.txt"), folder / "FaultFileList.txt")
    run_faulting(folder, example.faulting_models)
    for name in ("JPCP_faulting.csv", "JPCP_faulting2.csv", "_Deflection.csv"):
        assert filecmp.cmp(example.faulting / name, folder / name, shallow=False), name


def test_named_fields_check_their_values(example):
    faulting = inputs.read_faulting_input(example.faulting / "faultgeneralinput.txt")
    faulting["design_life"] = 3
    assert faulting["analysis_months"] == 36 and "design_life" in faulting and "crack_c4" not in faulting
    with pytest.raises(ValueError, match="whole number"):
        faulting["start_month"] = 2.5
    with pytest.raises(KeyError):
        faulting["no_such_field"] = 1


def test_general_field_names_are_those_of_the_engines_table():
    """The cracking engine names the General input's fields in
    cracking/inputs/general_fields.h; GENERAL_FIELDS is the same table."""
    import re
    from pathlib import Path

    from jpcp.inputs.fields import GENERAL_FIELDS

    header = Path(__file__).resolve().parents[2] / "cracking" / "inputs" / "general_fields.h"
    body = header.read_text().split("enum Field : size_t {", 1)[1].split("field_count_plus_one", 1)[0]
    names = re.findall(r"^\s*([a-z][a-z0-9_]*)(?: = 1)?,", body, flags=re.M)
    assert names == [field.name for field in GENERAL_FIELDS]
