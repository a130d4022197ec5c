"""report.html of a batch run: the study's results against each varied
input, and the cases that failed. One self-contained page: figures are
inline SVG, no network access is needed to view it."""

from __future__ import annotations

import html
import io
import time

import pandas as pd

from jpcp.batch.run import CaseState
from jpcp.batch.study import Study

STYLE = """
body { font-family: sans-serif; margin: 2em; color: #222; max-width: 70em; }
h1 { font-size: 1.5em; } h2 { font-size: 1.2em; margin-top: 2em; }
table { border-collapse: collapse; font-size: 0.9em; }
td, th { border: 1px solid #bbb; padding: 0.2em 0.5em; text-align: left; }
figure { margin: 1em 0; } figcaption { font-size: 0.9em; color: #444; }
.figures { display: flex; flex-wrap: wrap; gap: 1em; }
"""

# What each figure shows per program: summary column, axis label, caption noun.
MEASURES = {
    "cracking": ("percent_cracked", "slabs cracked at the end of the design life (%)", "percent of slabs cracked"),
    "faulting": ("faulting_in", "mean joint faulting at the end (in)", "mean joint faulting"),
}


def _svg(figure) -> str:
    buffer = io.StringIO()
    figure.savefig(buffer, format="svg", bbox_inches="tight")
    text = buffer.getvalue()
    return text[text.index("<svg") :]


def _figure(table: pd.DataFrame, column: str, program: str) -> str | None:
    """Scatter of the program's final result against one input, with the
    mean of each input value joined by a line (the other inputs of the
    study vary around it)."""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    measure, label, noun = MEASURES[program]
    rows = table[(table["kind"] == program) & (table["status"] == "ok")]
    x = pd.to_numeric(rows[column], errors="coerce")
    y = pd.to_numeric(rows[measure], errors="coerce")
    keep = x.notna() & y.notna()
    if not keep.any():
        return None
    x, y = x[keep], y[keep]
    figure, axes = plt.subplots(figsize=(5.2, 3.6))
    axes.scatter(x, y, s=14, alpha=0.6, color="tab:blue" if program == "cracking" else "tab:red", label="case")
    means = y.groupby(x).mean()
    if len(means) > 1:
        axes.plot(means.index, means.values, color="black", linewidth=1.2, label="mean per value")
    axes.set_xlabel(column)
    axes.set_ylabel(label)
    axes.grid(True, alpha=0.4)
    axes.legend(fontsize=8)
    svg = _svg(figure)
    plt.close(figure)
    caption = f"{noun.capitalize()} of every {program} case that ran without error against {column}; {len(x)} cases."
    return f"<figure>{svg}<figcaption>{html.escape(caption)}</figcaption></figure>"


def _table(frame: pd.DataFrame) -> str:
    head = "".join(f"<th>{html.escape(str(c))}</th>" for c in frame.columns)
    body = "".join(
        "<tr>" + "".join(f"<td>{html.escape(str(v))}</td>" for v in row) + "</tr>"
        for row in frame.itertuples(index=False)
    )
    return f"<table><tr>{head}</tr>{body}</table>"


def write_report(path: str, study: Study, table: pd.DataFrame, case_states: list[CaseState]) -> None:
    counts = {s: sum(1 for c in case_states if c.state == s) for s in ("ok", "failed", "pending")}
    parts = [
        "<!DOCTYPE html><html><head><meta charset='utf-8'>",
        "<title>Batch run report</title>",
        f"<style>{STYLE}</style></head><body>",
        "<h1>Batch run report</h1>",
        f"<p>Study {html.escape(study.path)}: {len(case_states)} cases, {counts['ok']} finished without error, "
        f"{counts['failed']} failed, {counts['pending']} not finished. Written {time.strftime('%Y-%m-%d %H:%M')}.</p>",
    ]
    varied = study.varied_columns()
    if not varied:
        parts.append("<p>No input varies across the cases: no figures.</p>")
    for column in varied:
        parts.append(f"<h2>Results against {html.escape(column)}</h2><div class='figures'>")
        figures = [f for f in (_figure(table, column, p) for p in MEASURES) if f]
        parts += figures or ["<p>No case with results yet.</p>"]
        parts.append("</div>")
    failed = table[table["status"] == "failed"]
    parts.append(f"<h2>Failed cases ({failed['case'].nunique()})</h2>")
    if failed.empty:
        parts.append("<p>None.</p>")
    else:
        parts.append(_table(failed[["case", "kind", "message"]]))
    missing = table[table["status"] == "missing"]
    if not missing.empty:
        parts.append(f"<h2>Cases without results ({missing['case'].nunique()})</h2>")
        parts.append(_table(missing[["case", "kind", "message"]]))
    parts.append("</body></html>\n")
    with open(path, "w", encoding="utf-8") as handle:
        handle.write("\n".join(parts))
