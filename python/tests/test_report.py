"""The HTML report: its figures, its banner, and how a browser renders it."""

from __future__ import annotations

import re
import shutil
import subprocess
import sys

import pytest
from conftest import ROOT

from jpcp.report import write_report

CRACKING_FIGURES = {"percent_cracked", "damage", "materials", "gradients_unbonded"}
FAULTING_FIGURES = {"faulting", "joints", "materials"}


@pytest.fixture(scope="module")
def report(example, tmp_path_factory):
    folder = tmp_path_factory.mktemp("report")
    command = [sys.executable, "-m", "jpcp", "report", str(example.results), str(example.faulting),
               "-o", str(folder / "report.html"), "--png", str(folder / "png")]
    subprocess.run(command, check=True, env={"PYTHONPATH": str(ROOT / "python"), "PATH": "/usr/bin:/bin"})
    return folder


def test_page_holds_every_figure_and_the_banner(report, example):
    page = (report / "report.html").read_text(encoding="utf-8")
    sections = re.split(r'<section id="', page)[1:]
    assert [re.search('data-section="([^"]+)"', s).group(1) for s in sections] == ["cracking-Sec1", "faulting-Sec1"]
    assert re.findall(r'<a href="#(section-\d+)">Sec1</a>', page) == ["section-1", "section-2"]
    assert set(re.findall(r'data-key="(\w+)"', sections[0])) == CRACKING_FIGURES
    assert set(re.findall(r'data-key="(\w+)"', sections[1])) == FAULTING_FIGURES
    assert page.count("<svg") == len(CRACKING_FIGURES) + len(FAULTING_FIGURES)
    assert page.count("<figcaption>") == page.count("<svg")
    assert 'id="demonstration"' in page and "9.5 in" in page and "1.5 in diameter" in page
    # Self-contained: nothing is fetched (the only URLs are SVG namespaces).
    assert not re.search(r'(src|href)="(?!data:|#)', page)
    assert len(list((report / "png").glob("*.png"))) == page.count("<svg")

    plain = report / "plain-models"
    plain.mkdir()
    shutil.copy(example.cracking_models / "NNinfo.txt", plain)
    write_report([example.results], report / "plain.html", models=[plain])
    assert 'id="demonstration"' not in (report / "plain.html").read_text(encoding="utf-8")


def test_browser_renders_without_console_errors(report, tmp_path):
    chromium = shutil.which("chromium")
    if chromium is None:
        pytest.skip("chromium is not installed")
    shot = tmp_path / "shot.png"
    result = subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
         f"--user-data-dir={tmp_path / 'profile'}", f"--screenshot={shot}", "--window-size=1200,2400",
         "--enable-logging=stderr", "--v=0", (report / "report.html").as_uri()],
        capture_output=True, text=True, timeout=180)
    console = [line for line in result.stderr.splitlines() if ":CONSOLE" in line]
    assert result.returncode == 0 and console == [], result.stderr[-2000:]
    assert shot.stat().st_size > 20000  # a rendered page, not a blank one
