"""design.html: the design table, distress against thickness with the
limits and the reliability band, the design chart (thickness needed
against joint spacing for each dowel size), the 1993-guide thickness and
the inputs, in one self-contained page."""

from __future__ import annotations

import datetime
import html

import numpy as np

from jpcp.design.outputs import DESIGN_COLUMNS, answer_line, design_rows, guide93_line
from jpcp.report import DEMONSTRATION_BANNER, STYLE, svg
from jpcp.report.figures import new_figure


LINE_STYLES = ("-", "--", ":", "-.")
MARKERS = ("o", "s", "^", "D")


def _escape(value) -> str:
    return html.escape(str(value))


def _table(columns: list[str], rows: list[list]) -> str:
    parts = ["<table><tr>" + "".join(f"<th>{_escape(c)}</th>" for c in columns) + "</tr>"]
    for row in rows:
        cells = []
        for value in row:
            text = f"{value:.4g}" if isinstance(value, float) else str(value)
            cells.append(f'<td class="number">{_escape(text)}</td>' if isinstance(value, (int, float))
                         else f"<td>{_escape(text)}</td>")
        parts.append("<tr>" + "".join(cells) + "</tr>")
    return "\n".join(parts) + "</table>"


def _label(answer) -> str:
    return f"{answer.joint_spacing:g} ft, dowels {answer.dowel:g} in"


def distress_figure(design, answers):
    """Predicted distress (line) and design value (band's top) of each
    trial against thickness, with the limit and the thickness chosen."""
    figure, axes = new_figure(1, 2, height=3.8)
    z = design.z
    spacings = sorted({a.joint_spacing for a in answers})
    dowels = sorted({a.dowel for a in answers})
    for answer in answers:
        # Colour by joint spacing, line style by dowel size.
        colour = f"C{spacings.index(answer.joint_spacing) % 10}"
        style = LINE_STYLES[dowels.index(answer.dowel) % len(LINE_STYLES)]
        tried = sorted(answer.trials, key=lambda a: a.trial.thickness)
        h = np.array([a.trial.thickness for a in tried])
        for axis, distress in zip(axes[0], ("cracking", "faulting")):
            mean = np.array([getattr(a.trial, distress) for a in tried])
            upper = np.array([design.errors[distress].design_value(x, z) for x in mean])
            axis.plot(h, mean, marker="o", linestyle=style, color=colour, markersize=3, label=_label(answer))
            axis.fill_between(h, mean, upper, color=colour, alpha=0.15, linewidth=0)
            if answer.design is not None:
                axis.axvline(answer.design.trial.thickness, color=colour, linestyle=":", linewidth=1)
    for axis, limit, title, unit in ((axes[0][0], design.cracking_limit, "Percent slabs cracked", "%"),
                                     (axes[0][1], design.faulting_limit, "Mean joint faulting", "in")):
        axis.axhline(limit, color="#b00", linewidth=1.2, label=f"limit {limit:g} {unit}")
        axis.set_xlabel("Slab thickness (in)")
        axis.set_ylabel(f"{title} ({unit})")
        axis.set_title(title)
    axes[0][0].legend(fontsize=7)
    return figure


def design_chart(design, answers, guide):
    """Thickness needed against joint spacing, one line per dowel size."""
    figure, axes = new_figure(1, 1, height=3.6)
    axis = axes[0][0]
    dowels = sorted({a.dowel for a in answers})
    for number, dowel in enumerate(dowels):
        chosen = sorted((a for a in answers if a.dowel == dowel and a.design is not None),
                        key=lambda a: a.joint_spacing)
        # Markers and styles differ so that coinciding lines stay visible.
        axis.plot([a.joint_spacing for a in chosen], [a.design.trial.thickness for a in chosen],
                  marker=MARKERS[number % len(MARKERS)], linestyle=LINE_STYLES[number % len(LINE_STYLES)],
                  markersize=8 - 2 * (number % 3), color=f"C{number % 10}", label=f"dowels {dowel:g} in" if dowel > 0 else "no dowels")
        failed = [a.joint_spacing for a in answers if a.dowel == dowel and a.design is None]
        if failed:  # no thickness on the grid passes: marked above its top
            axis.plot(failed, [design.thickness[1]] * len(failed), "^", color=f"C{number % 10}", markersize=8,
                      label=f"none passes up to {design.thickness[1]:g} in")
    if guide is not None and guide.rounded is not None:
        axis.axhline(guide.rounded, color="#555", linestyle="--", linewidth=1,
                     label=f"1993 guide {guide.rounded:g} in")
    axis.set_xlabel("Joint spacing (ft)")
    axis.set_ylabel("Slab thickness needed (in)")
    axis.set_title(f"Design chart at {design.reliability:g} % reliability")
    axis.legend(fontsize=8)
    return figure


def _inputs_html(design, models, guide) -> str:
    rows = [[f"--{key}", value] for key, value in design.options.items()]
    parts = ["<h3>Section builder options</h3>",
             _table(["option", "value"], rows) if rows else "<p>The section builder's defaults.</p>"]
    low, high, step = design.thickness
    criteria = [
        ["cracking limit", f"{design.cracking_limit:g} % slabs cracked"],
        ["faulting limit", f"{design.faulting_limit:g} in"],
        ["reliability", f"{design.reliability:g} % (z = {design.z:.4f})"],
        ["thickness grid", f"{low:g} to {high:g} in by {step:g} in"],
    ]
    for distress, model in design.errors.items():
        criteria.append([f"{distress} standard error",
                         f"s(x) = {model.a:g} x^{model.b:g} + {model.c:g} ({design.error_sources[distress]})"])
    parts += ["<h3>Design criteria</h3>", _table(["input", "value"], criteria)]
    folders = [[kind, str(getattr(models, kind)), models.origin[kind],
                "demonstration: not for design" if models.demonstration[kind] else "design-grade"]
               for kind in ("cracking", "faulting")]
    parts += ["<h3>Model folders</h3>", _table(["program", "folder", "from", "models"], folders)]
    if guide is not None:
        p = guide.inputs
        values = [["W18", f"{p.w18:.4g} ESALs"], ["reliability", f"{p.reliability:g} %"], ["S0", p.s0],
                  ["delta PSI", p.delta_psi], ["pt", p.pt], ["k", f"{p.k:g} psi/in"], ["S'c", f"{p.sc:g} psi"],
                  ["Ec", f"{p.ec:.4g} psi"], ["J", p.j], ["Cd", p.cd]]
        parts += ["<h3>1993-guide inputs</h3>", _table(["input", "value"], values)]
    return "\n".join(parts)


def write_report(path, design, answers, guide, models, method) -> None:
    body = []
    if answers:
        body.append("<h2>Answer</h2><ul>" + "".join(f"<li>{_escape(answer_line(a, design))}</li>" for a in answers)
                    + "</ul>")
        body.append("<h2>Design table</h2>")
        body.append(f'<div class="wide">{_table(DESIGN_COLUMNS, design_rows(answers))}</div>')
    if guide is not None:
        body.append("<h2>1993 guide</h2>")
        body.append(f"<p>{_escape(guide93_line(guide))}. The empirical rigid pavement equation of the road "
                    "test with the reliability term z&middot;S0; it sees neither joint spacing nor dowel size "
                    "beyond the load transfer coefficient J.</p>")
    if answers:
        figures = [
            (distress_figure(design, answers), "Distress against thickness",
             "Predicted end-of-life distress of each trial (line) and its design value x + z s(x) at the "
             "reliability (top of the band), with the limit (red) and the thickness chosen (dotted)."),
            (design_chart(design, answers, guide), "Design chart",
             "The thinnest passing slab against joint spacing for each dowel size."),
        ]
        for number, (figure, title, caption) in enumerate(figures, start=1):
            body.append(f'<figure id="figure-{number}">{svg(figure)}'
                        f"<figcaption><b>Figure {number}. {title}.</b> {caption}</figcaption></figure>")
    body.append("<h2>Inputs</h2>")
    body.append(_inputs_html(design, models, guide))
    banner = DEMONSTRATION_BANNER if models.any_demonstration and method == "engines" else ""
    generated = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    title = "Slab thickness design" + (" (1993 guide)" if method == "guide93" else "")
    path.write_text(f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<link rel="icon" href="data:,">
<style>{STYLE}</style>
</head>
<body>
<h1>{title}</h1>
<p class="meta">Generated {generated} from {_escape(design.path)}.</p>
{banner}
{chr(10).join(body)}
</body>
</html>
""", encoding="utf-8")
