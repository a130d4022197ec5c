"""Finding the installed design-grade model folders, and the one line said
when they are absent."""

from __future__ import annotations

import json

from jpcp import models_path


def _folder(root, program, complete=True, grade="design"):
    folder = root / program
    folder.mkdir(parents=True)
    manifest = {"complete": complete, "settings": {"grade": grade, "folder": program}}
    (folder / "MANIFEST.json").write_text(json.dumps(manifest, indent=1), encoding="utf-8")
    return folder


def test_complete_design_builds_are_used_and_others_fall_back_with_one_line(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_DATA_HOME", str(tmp_path / "data"))
    monkeypatch.setattr(models_path, "find_models_program", lambda: None)
    monkeypatch.setattr(models_path, "candidate_roots",
                        lambda real=models_path.candidate_roots: [r for r in real() if str(tmp_path) in str(r)])
    assert models_path.design_model_folders() is None
    assert models_path.default_model_folders(tmp_path / "run") == ({}, models_path.FALLBACK_LINE)
    assert "jpcp_models install" in models_path.FALLBACK_LINE and "\n" not in models_path.FALLBACK_LINE

    # An unfinished build, and a test-grade one, do not count.
    old = tmp_path / "data" / "jpcp" / "models" / "0.0.9"
    _folder(old, "cracking")
    _folder(old, "faulting", complete=False)
    assert models_path.design_model_folders() is None
    test_grade = tmp_path / "data" / "jpcp" / "models" / "0.0.10"
    _folder(test_grade, "cracking", grade="test")
    _folder(test_grade, "faulting")
    assert models_path.design_model_folders() is None

    new = tmp_path / "data" / "jpcp" / "models" / "0.1.0"
    folders = {p: _folder(new, p) for p in models_path.PROGRAMS}
    assert models_path.design_model_folders() == folders
    found, line = models_path.default_model_folders(tmp_path / "run", ("faulting",))
    assert found == {"faulting": str(folders["faulting"])}
    assert line == f"using the design-grade models in {new}"
