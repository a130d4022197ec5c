"""report.html of a batch run: the study's results against each varied
input, and the cases that failed. One self-contained page: figures are
inline SVG, no network access is needed to view it."""

from __future__ import annotations

import html
import time

import pandas as pd

# The package report's page style, banner, inline SVG and figure frame
# (size, grids), so that both pages look alike.
from jpcp.report import DEMONSTRATION_BANNER, STYLE, svg
from jpcp.report.figures import new_figure
from jpcp.report.models import describe

from jpcp.batch.state import CaseState
from jpcp.batch.study import Study

EXTRA_STYLE = """
.figures { display: flex; flex-wrap: wrap; gap: 1em; }
.figures figure { flex: 1 1 26em; max-width: 36em; }
"""

# The figures are drawn after the last case, while the run's end waits on
# them: fixed margins (room for the tick labels of both measures) and no
# minor grid make each three times faster.
FIGURE_MARGINS = {"left": 0.11, "right": 0.98, "bottom": 0.15, "top": 0.97}

# Per program: summary column, axis label with unit, caption noun.
MEASURES = {
    "cracking": ("percent_cracked", "slabs cracked at the end (%)", "percent of slabs cracked"),
    "faulting": ("faulting_in", "mean joint faulting at the end (in)", "mean joint faulting"),
}


def _axis_label(column: str) -> str:
    """An override column with its unit, as the input fields give it."""
    from jpcp import inputs

    if column == "traffic_scale":
        return "traffic_scale (factor on every axle count)"
    for field in (*inputs.GENERAL_FIELDS, *inputs.FAULTING_FIELDS):
        if field.name == column and field.unit:
            return f"{column} ({field.unit})"
    return column


def _figure_html(table: pd.DataFrame, column: str, program: str, number: int) -> str | None:
    """Scatter of the program's final result against one input, with the
    mean at each input value joined by a line (the other inputs of the
    study vary around it)."""
    measure, label, noun = MEASURES[program]
    rows = table[(table["kind"] == program) & (table["status"] == "ok")]
    x = pd.to_numeric(rows[column], errors="coerce")
    y = pd.to_numeric(rows[measure], errors="coerce")
    keep = x.notna() & y.notna()
    if not keep.any():
        return None
    x, y = x[keep], y[keep]
    figure, axes = new_figure(height=3.2, margins=FIGURE_MARGINS, minor_grid=False)
    axis = axes[0, 0]
    axis.scatter(x, y, s=14, alpha=0.6, color="tab:blue" if program == "cracking" else "tab:red", label="case")
    means = y.groupby(x).mean()
    if len(means) > 1 and len(means) < len(x):
        axis.plot(means.index, means.values, color="black", linewidth=1.2, label="mean at each value")
    axis.set_xlabel(_axis_label(column))
    axis.set_ylabel(label)
    axis.legend(fontsize=8)
    caption = (
        f"Figure {number}. {noun.capitalize()} at the end of the analysis against {column}, "
        f"for the {len(x)} {program} cases that ran without error."
    )
    return f"<figure>{svg(figure)}<figcaption>{html.escape(caption)}</figcaption></figure>"


def _table(frame: pd.DataFrame) -> str:
    head = "".join(f"<th>{html.escape(str(c))}</th>" for c in frame.columns)
    body = "".join(
        "<tr>" + "".join(f"<td>{html.escape(str(v))}</td>" for v in row) + "</tr>"
        for row in frame.itertuples(index=False)
    )
    return f"<div class='wide'><table><tr>{head}</tr>{body}</table></div>"


def write_report(path: str, study: Study, table: pd.DataFrame, case_states: list[CaseState], models=()) -> None:
    """``models``: the model folders the cases used; when one holds the
    demonstration models the page says that its results are not for design."""
    counts = {s: sum(1 for c in case_states if c.state == s) for s in ("ok", "failed", "pending")}
    parts = [
        "<!DOCTYPE html>\n<html lang='en'><head><meta charset='utf-8'>",
        "<title>Study report</title><link rel='icon' href='data:,'>",
        f"<style>{STYLE}{EXTRA_STYLE}</style></head><body>",
        "<h1>Study report</h1>",
        f"<p class='meta'>Written {time.strftime('%Y-%m-%d %H:%M')} from the study {html.escape(study.path)}.</p>",
    ]
    if any(describe(folder).demonstration for folder in models if folder):
        parts.append(DEMONSTRATION_BANNER)
    parts.append(
        f"<p>{len(case_states)} cases: {counts['ok']} finished without error, {counts['failed']} failed, "
        f"{counts['pending']} not finished.</p>"
    )
    varied = study.varied_columns()
    if not varied:
        parts.append("<p>No input varies across the cases: no figures.</p>")
    number = 0
    for column in varied:
        parts.append(f"<h2>Results against {html.escape(column)}</h2><div class='figures'>")
        for program in MEASURES:
            figure = _figure_html(table, column, program, number + 1)
            if figure:
                number += 1
                parts.append(figure)
        parts.append("</div>")
    failed = table[table["status"] == "failed"]
    parts.append(f"<h2>Failed cases ({failed['case'].nunique()})</h2>")
    parts.append(_table(failed[["case", "kind", "message"]]) if not failed.empty else "<p>None.</p>")
    missing = table[table["status"] == "missing"]
    if not missing.empty:
        parts.append(f"<h2>Cases without results ({missing['case'].nunique()})</h2>")
        parts.append(_table(missing[["case", "kind", "message"]]))
    parts.append("</body></html>\n")
    with open(path, "w", encoding="utf-8") as handle:
        handle.write("\n".join(parts))
