"""jpcp.engine, the engines in this process: the result files are the
programs' byte for byte, two threads give what one gives, and a stop or a
data error raises RunError while the interpreter goes on."""

from __future__ import annotations

import shutil
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

engine = pytest.importorskip("jpcp.engine", reason="the _jpcp_engine extension is not built (build/python)")


def files_of(folder: Path, skip=()) -> dict[str, bytes]:
    return {p.name: p.read_bytes() for p in folder.iterdir() if p.is_file() and p.name not in skip}


def test_result_files_are_the_programs(example):
    cracking = engine.result_files("cracking", example.cracking, example.cracking_models)
    # The run records (console output, model folder) are the runner's, not the program's.
    assert cracking == files_of(example.results, skip=("Progress.tmp", "cracking.out", "cracking.models"))
    faulting = engine.result_files("faulting", example.faulting, example.faulting_models)
    on_disk = files_of(example.faulting)
    assert faulting and all(on_disk[name] == data for name, data in faulting.items())


def test_two_threads_give_what_one_gives(example):
    one = engine.run_cracking(example.cracking, example.cracking_models)
    fault = engine.run_faulting(example.faulting, example.faulting_models)
    with ThreadPoolExecutor(2) as pool:
        runs = [pool.submit(engine.run_cracking, example.cracking, example.cracking_models) for _ in range(2)]
        runs += [pool.submit(engine.run_faulting, example.faulting, example.faulting_models) for _ in range(2)]
        done = [r.result() for r in runs]
    assert all(r.cracking.equals(one.cracking) for r in done[:2])
    assert all(r.faulting.equals(fault.faulting) and r.faulting2.equals(fault.faulting2) for r in done[2:])


def test_a_stop_and_a_data_error_raise_and_the_interpreter_goes_on(example, tmp_path):
    models = tmp_path / "models"
    shutil.copytree(example.cracking_models, models)
    broken = next(p for p in sorted(models.iterdir()) if p.suffix == ".ttt")
    broken.write_text("3 3\n1 2\n")  # ends before its values
    with pytest.raises(engine.RunError) as stopped:
        engine.run_cracking(example.cracking, models)
    assert stopped.value.exit_status == 3
    assert stopped.value.lines and broken.name in stopped.value.lines[0]

    with pytest.raises(engine.RunError) as failed:
        engine.run_faulting(example.cracking, example.faulting_models)
    assert failed.value.exit_status == 1 and failed.value.lines

    assert engine.run_cracking(example.cracking, example.cracking_models).cracking is not None
