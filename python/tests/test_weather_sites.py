"""The weather files shipped beside the source tree (shared/weather, when
there): jpcp_climate reads each, and a section built from it runs through
both programs without an error."""

from __future__ import annotations

from pathlib import Path

import pytest

from conftest import ROOT, program, run
from jpcp import engines

WEATHER = ROOT.parent / "shared" / "weather"
FILES = sorted(p for p in WEATHER.glob("*") if p.suffix.lower() in (".epw", ".csv")) if WEATHER.is_dir() else []


@pytest.mark.skipif(not FILES, reason=f"no weather files in {WEATHER}")
@pytest.mark.parametrize("weather", FILES, ids=lambda p: p.name)
def test_a_real_site_runs_through_both_programs(example, weather: Path, tmp_path):
    run(program("jpcp_climate"), weather, tmp_path / "climate", "--design-life", "2")
    assert (tmp_path / "climate" / "ThermalPCC.dat").stat().st_size > 0
    run(program("jpcp_example"), "both", tmp_path / "site", "--weather", weather, "--design-life", "2")
    cracking = engines.run_cracking(tmp_path / "site" / "cracking", example.cracking_models)
    faulting = engines.run_faulting(tmp_path / "site" / "faulting", example.faulting_models)
    assert len(cracking.cracking) == 24 and len(faulting.faulting) == 24
