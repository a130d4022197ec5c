"""jpcp.engines: the result tables of a run are those of the programs'
files, a failed run raises, and a source folder is left as it was."""

from __future__ import annotations

import pytest

from jpcp import engines, results


@pytest.mark.parametrize("engine", engines.available())
def test_run_gives_the_programs_tables_and_leaves_the_source_alone(example, engine, tmp_path):
    before = sorted(p.name for p in example.faulting.iterdir())
    cracking = engines.run_cracking(example.cracking, example.cracking_models, engine=engine)
    expected = results.read_cracking(example.results / "Sec1_Cracking.csv")
    assert cracking.cracking.equals(expected) and list(cracking.sections) == ["Sec1"]
    faulting = engines.run_faulting(example.faulting, example.faulting_models, engine=engine)
    assert faulting.faulting.equals(results.read_faulting(example.faulting / "JPCP_faulting.csv"))
    assert faulting.faulting2.equals(results.read_faulting2(example.faulting / "JPCP_faulting2.csv"))
    assert sorted(p.name for p in example.faulting.iterdir()) == before
    engines.run_faulting(example.faulting, example.faulting_models, results=tmp_path / "f", engine=engine)
    assert (tmp_path / "f" / "JPCP_faulting.csv").read_bytes() == (example.faulting / "JPCP_faulting.csv").read_bytes()

    with pytest.raises(engines.RunError) as failed:
        engines.run_cracking(example.faulting, example.cracking_models, engine=engine)
    assert failed.value.exit_status == 1
    assert failed.value.lines == ["The following input file could not be opened: FileList.txt"]
