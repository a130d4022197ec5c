"""``jpcp report FOLDER... [-o report.html] [--png DIR] [--models DIR]``:
one self-contained HTML page (figures inline as SVG, no network access
needed) for every section found in the folders."""

from __future__ import annotations

import argparse
import datetime
import html
import io
import re
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
matplotlib.rcParams.update({"svg.fonttype": "path", "font.size": 9})

from jpcp.report import figures  # noqa: E402  (after the backend is chosen)
from jpcp.report.models import ModelFolder, models_for  # noqa: E402
from jpcp.runrecord import FIRST_WARNINGS, run_record  # noqa: E402
from jpcp.sections import Section, find_sections, load_section  # noqa: E402
from jpcp.summaries import SUMMARY_COLUMNS, summary  # noqa: E402

STYLE = """
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 1.5em auto; max-width: 60em; color: #111;
       line-height: 1.4; }
h1 { border-bottom: 2px solid #333; padding-bottom: .2em; }
h2 { border-bottom: 1px solid #999; margin-top: 2em; }
table { border-collapse: collapse; margin: .5em 0 1em; font-size: 90%; }
th, td { border: 1px solid #999; padding: .2em .6em; text-align: left; }
td.number { text-align: right; font-variant-numeric: tabular-nums; }
th { background: #eee; }
figure { margin: 1em 0 2em; }
figure svg { width: 100%; height: auto; }
figcaption { font-size: 90%; color: #333; margin-top: .3em; }
.banner { border: 3px solid #b00; background: #fee; padding: .6em 1em; font-weight: bold; color: #700; }
.demo { color: #700; font-weight: bold; }
ul.messages li.error { color: #900; }
ul.messages li.warning { color: #850; }
.alarm { color: #b00; font-weight: bold; }
ul.console { color: #b00; font-family: "DejaVu Sans Mono", monospace; font-size: 85%; }
.meta { color: #555; font-size: 90%; }
.wide { overflow-x: auto; }
"""


# Shown at the top of a page whose results come from the demonstration models.
DEMONSTRATION_BANNER = (
    '<p class="banner" id="demonstration">These results were computed with the demonstration '
    "models: they are for demonstration and testing, not for design.</p>"
)


def svg(figure) -> str:
    """A matplotlib figure as inline SVG for an HTML page."""
    buffer = io.StringIO()
    figure.savefig(buffer, format="svg")
    text = buffer.getvalue()
    # Inline SVG: drop the XML declaration and document type.
    return text[text.index("<svg") :]


def _escape(value) -> str:
    return html.escape(str(value))


def _number_cell(value) -> str:
    return f'<td class="number">{_escape(value)}</td>'


def _glance(section: Section) -> list[tuple[str, str]]:
    """The inputs that matter at a glance, with units."""
    rows = []
    if section.kind == "cracking":
        general = section.general_input
        if general is not None:
            rows += [
                ("Slab thickness", f"{general['thickness']:g} in"),
                ("Joint spacing", f"{general['joint_spacing']:g} ft"),
                ("Design life", f"{general['design_life']:g} years"),
            ]
        if section.esals is not None:
            rows.append(("Design traffic", f"{section.esals:g} million ESALs"))
        rows.append(("Dowels", "not an input of the cracking analysis"))
    else:
        faulting = section.faulting_input
        if faulting is not None:
            diameter = faulting["dowel_diameter"]
            rows += [
                ("Slab thickness", f"{faulting['thickness']:g} in"),
                ("Joint spacing", f"{faulting['joint_spacing']:g} ft"),
                ("Design life", f"{faulting['analysis_months']:g} months ({faulting['design_life']:g} years)"),
                ("Dowels", f"{diameter:g} in diameter" if diameter > 0 else "none (undowelled joints)"),
            ]
        rows.append(("Design traffic", "not written by the faulting program"))
    return rows


def _messages(section: Section, model_folders: list[ModelFolder]) -> list[tuple[str, str]]:
    """(kind, text): the error file's lines, then the report's own warnings."""
    messages = [("error", line) for line in section.errors]
    if section.kind == "cracking":
        if section.cracking is None:
            messages.append(("warning", f"no {section.name}_Cracking.csv in {section.folder}"))
        if section.general_input is None:
            messages.append(("warning", "the section's General input file could not be read" if section.source
                             else "the section's inputs were not found (no FileList.txt beside the results lists it)"))
        if section.progress is not None and section.progress != 100.0:
            messages.append(("warning", f"Progress.tmp holds {section.progress:g}: the run did not finish normally"))
        tables = [section.cracking]
    else:
        if section.faulting is None or section.faulting.empty:
            messages.append(("warning", "JPCP_faulting.csv holds no monthly rows"))
        tables = [section.faulting, section.faulting2]
    overflow = sum(int(t.select_dtypes("number").isna().sum().sum()) for t in tables if t is not None)
    if overflow:
        messages.append(("warning", f"{overflow} result fields hold asterisks (a value too wide for its field)"))
    if not model_folders:
        messages.append(("warning", "model folder not known: the run kept no record of it; give it with --models"))
    elif not all(folder.exists for folder in model_folders):
        messages.append(("warning", "the model folder of the run is no longer there"))
    return messages


def _console_warnings_html(section: Section) -> str:
    """The count of WARNING messages the program printed (a point outside a
    model's range: the model gave 0 there), and the first of them; red when
    there are any."""
    warnings = run_record(section.folder, section.kind).warnings
    if warnings is None:
        return ('<p class="console-warnings">Console output not kept (the run was not started by the example '
                "script or jpcp batch): its WARNING messages are not known.</p>")
    count = len(warnings)
    if not count:
        return '<p class="console-warnings" data-count="0">0 WARNING messages on the console.</p>'
    parts = [f'<p class="console-warnings alarm" data-count="{count}">{count} WARNING messages on the console: '
             "a model input was outside the model's range and the model gave 0 there (no stress, no "
             "deflection), so the results may be unconservative. The first of them:</p>", '<ul class="console">']
    parts += [f"<li>{_escape(text)}</li>" for text in warnings[:FIRST_WARNINGS]]
    parts.append("</ul>")
    return "\n".join(parts)


def _section_html(section: Section, plots, model_folders: list[ModelFolder], first_figure: int, number: int) -> str:
    parts = [f'<section id="section-{number}" data-section="{_escape(section.kind)}-{_escape(section.name)}">']
    parts.append(f"<h2>{section.kind.capitalize()}: {_escape(section.name)}</h2>")
    parts.append(f'<p class="meta">Results folder: {_escape(section.folder)}'
                 + (f"; inputs: {_escape(section.source)}" if section.source else "") + "</p>")
    for folder in model_folders:
        origin = ('<span class="demo">demonstration models: results for demonstration, not design</span>'
                  if folder.demonstration else "design-grade models" if folder.design
                  else "models not marked as demonstration models")
        parts.append(f'<p class="meta">Model folder: {_escape(folder.path)} ({origin})</p>')
    if not model_folders:
        parts.append('<p class="meta">Model folder: not known (no record of the run; give it with --models)</p>')
    parts.append("<h3>Inputs at a glance</h3><table><tr><th>Input</th><th>Value</th></tr>")
    parts += [f"<tr><td>{_escape(name)}</td><td>{_escape(value)}</td></tr>" for name, value in _glance(section)]
    parts.append("</table>")
    parts.append("<h3>Warnings and errors</h3>")
    parts.append(_console_warnings_html(section))
    messages = _messages(section, model_folders)
    if messages:
        parts.append('<ul class="messages">')
        parts += [f'<li class="{kind}">{kind}: {_escape(text)}</li>' for kind, text in messages]
        parts.append("</ul>")
    else:
        parts.append("<p>None: the run reported no error.</p>")
    for number, plot in enumerate(plots, start=first_figure):
        parts.append(f'<figure id="figure-{number}" data-key="{plot.key}">')
        parts.append(svg(plot.figure))
        parts.append(f"<figcaption><b>Figure {number}. {_escape(plot.title)}.</b> {_escape(plot.caption)}</figcaption>")
        parts.append("</figure>")
    parts.append("</section>")
    return "\n".join(parts)


def _summary_html(folders) -> str:
    table = summary(folders)
    parts = ['<div class="wide"><table><tr>' + "".join(f"<th>{_escape(c)}</th>" for c in SUMMARY_COLUMNS) + "</tr>"]
    for number, row in enumerate(table.itertuples(index=False), start=1):
        cells = []
        for column, value in zip(SUMMARY_COLUMNS, row):
            if column == "case":  # rows come in the order of the sections below
                cells.append(f'<td><a href="#section-{number}">{_escape(value)}</a></td>')
            elif column == "warnings" and value not in ("", "0"):
                cells.append(f'<td class="number alarm">{_escape(value)}</td>')
            else:
                cells.append(_number_cell(value) if column not in ("kind", "status", "message")
                             else f"<td>{_escape(value)}</td>")
        parts.append("<tr>" + "".join(cells) + "</tr>")
    parts.append("</table></div>")
    return "\n".join(parts)


def _file_part(text: str) -> str:
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", text)


def write_report(folders, output, png_dir=None, models=()) -> dict:
    """Writes the page; returns counts (sections, figures, demonstration)."""
    refs = find_sections(folders)
    body, figure_number, demonstration = [], 1, False
    png_dir = Path(png_dir) if png_dir else None
    if png_dir:
        png_dir.mkdir(parents=True, exist_ok=True)
    for ref in refs:
        section = load_section(ref)
        model_folders = models_for(section.folder, section.kind, models)
        demonstration |= any(folder.demonstration for folder in model_folders)
        plots = figures.section_plots(section)
        body.append(_section_html(section, plots, model_folders, figure_number, len(body) + 1))
        for plot in plots:
            if png_dir:
                name = f"{section.kind}_{_file_part(section.name)}_{plot.key}.png"
                plot.figure.savefig(png_dir / name, dpi=150)
        figure_number += len(plots)
    banner = DEMONSTRATION_BANNER if demonstration else ""
    generated = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    page = f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Pavement performance report</title>
<link rel="icon" href="data:,">
<style>{STYLE}</style>
</head>
<body>
<h1>Pavement performance report</h1>
<p class="meta">Generated {generated} from {_escape(", ".join(str(f) for f in folders))}.</p>
{banner}
<h2>Summary</h2>
{_summary_html(folders) if refs else "<p>No section was found in the folders.</p>"}
{chr(10).join(body)}
</body>
</html>
"""
    Path(output).write_text(page, encoding="utf-8")
    return {"sections": len(refs), "figures": figure_number - 1, "demonstration": demonstration}


def main(arguments: list[str]) -> int:
    parser = argparse.ArgumentParser(prog="jpcp report", description="An HTML report of the sections found in folders.")
    parser.add_argument("folders", nargs="+", metavar="FOLDER")
    parser.add_argument("-o", "--output", default="report.html", metavar="FILE", help="the page (report.html)")
    parser.add_argument("--png", metavar="DIR", help="also write every figure as a PNG file into DIR")
    parser.add_argument("--models", action="append", default=[], metavar="DIR",
                        help="model folder the sections used (repeatable); otherwise the one the run record names")
    options = parser.parse_args(arguments)
    missing = [f for f in options.folders + options.models if not Path(f).is_dir()]
    if missing:
        parser.error("not a folder: " + ", ".join(missing))
    counts = write_report(options.folders, options.output, options.png, options.models)
    print(f"{options.output}: {counts['sections']} sections, {counts['figures']} figures"
          + (" (demonstration models)" if counts["demonstration"] else ""))
    return 0 if counts["sections"] else 1


__all__ = ["write_report", "main", "svg", "STYLE", "DEMONSTRATION_BANNER"]
