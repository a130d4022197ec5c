"""calibration.html: measured against predicted before and after, the
residuals against age and the main inputs, the statistics and the
standard-error model, figures inline as SVG."""

from __future__ import annotations

import html

import numpy as np

from jpcp.calibrate.coefficients import UNIT

# Fixed margins: the constrained layout would take most of the report's time.
MARGINS = {"left": 0.1, "right": 0.97, "bottom": 0.14, "top": 0.9, "wspace": 0.3, "hspace": 0.45}

STATISTICS = [
    ("n_sections", "sections"),
    ("n_observations", "observations"),
    ("bias", "bias (mean of measured - predicted)"),
    ("bias_p", "p-value of the paired t-test of bias = 0"),
    ("see", "standard error of the estimate"),
    ("r2", "R\u00b2"),
    ("slope", "slope of measured against predicted"),
    ("slope_p", "p-value of the test of slope = 1"),
]


def _cell(value) -> str:
    if value is None or (isinstance(value, float) and not np.isfinite(value)):
        return "\u2014"
    if isinstance(value, int):
        return str(value)
    return f"{value:.4g}"


def _measured_predicted(measured, before, after, unit):
    from jpcp.report.figures import new_figure

    figure, axes = new_figure(1, 2, height=3.6, margins=MARGINS, minor_grid=False)
    top = max(float(np.max(measured)), float(np.max(before)), float(np.max(after)), 1e-9) * 1.05
    for axis, predicted, title in ((axes[0, 0], before, "before"), (axes[0, 1], after, "after")):
        axis.plot([0, top], [0, top], color="black", linewidth=1, label="equality")
        axis.scatter(predicted, measured, s=14, color="tab:blue" if title == "before" else "tab:green")
        axis.set_xlim(0, top)
        axis.set_ylim(0, top)
        axis.set_xlabel(f"Predicted ({unit})")
        axis.set_ylabel(f"Measured ({unit})")
        axis.set_title(f"{title} calibration")
        axis.legend(loc="upper left")
    return figure


def _residual_panels(residual, variables, unit):
    """Residual (measured - predicted, after) against each variable that has
    values; variables: list of (label, values)."""
    from jpcp.report.figures import new_figure

    shown = [(label, values) for label, values in variables if np.any(np.isfinite(values))]
    columns = 2
    rows = (len(shown) + 1) // 2
    figure, axes = new_figure(rows, columns, height=3.0, margins=MARGINS, minor_grid=False)
    for axis in axes.flat[len(shown):]:
        axis.set_visible(False)
    for axis, (label, values) in zip(axes.flat, shown):
        axis.axhline(0.0, color="black", linewidth=1)
        axis.scatter(values, residual, s=12, color="tab:green")
        axis.set_xlabel(label)
        axis.set_ylabel(f"Measured - predicted ({unit})")
    return figure


def _error_model(bins, model, unit):
    from jpcp.report.figures import new_figure

    figure, axes = new_figure(height=3.2, margins=MARGINS, minor_grid=False)
    axis = axes[0, 0]
    if bins:
        x = np.array([b[0] for b in bins])
        s = np.array([b[1] for b in bins])
        axis.scatter(x, s, color="tab:blue", label="binned residuals (root mean square)")
        grid = np.linspace(max(x.min(), 1e-9), x.max(), 200)
        axis.plot(grid, model["a"] * grid ** model["b"] + model["c"], color="black", label="s(x) = a x^b + c")
        axis.legend(loc="lower right")
    axis.set_xlabel(f"Predicted ({unit})")
    axis.set_ylabel(f"Standard error ({unit})")
    return figure


def write_report(path: str, fit: str, document: dict, measured, before, after, residual_variables, bins, folds: int,
                 notes: list[str], demonstration: bool = False) -> None:
    """``demonstration``: some runs used the demonstration models (the page
    then says so at the top)."""
    from jpcp.report import DEMONSTRATION_BANNER, svg

    unit = UNIT[fit]
    short_unit = "%" if fit == "cracking" else "in"
    parts = [
        "<!DOCTYPE html><html><head><meta charset='utf-8'>",
        f"<title>Calibration of {fit}</title>",
        "<style>body{font-family:sans-serif;max-width:60em;margin:1em auto}"
        "table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:0.2em 0.6em;text-align:right}"
        "th{background:#eee}td:first-child,th:first-child{text-align:left}"
        ".banner{border:3px solid #b00;background:#fee;padding:.6em 1em;font-weight:bold;color:#700}</style></head><body>",
        f"<h1>Calibration of the {fit} coefficients</h1>",
    ]
    if demonstration:
        parts.append(DEMONSTRATION_BANNER)
    for note in notes:
        parts.append(f"<p class='note'>{html.escape(note)}</p>")
    parts.append("<h2>Coefficients</h2><table><tr><th>coefficient</th><th>start</th><th>fitted</th>"
                 "<th>95 % interval</th><th>interval from</th></tr>")
    for name, c in document["coefficients"].items():
        low, high = c["ci95"]
        parts.append(f"<tr><td>{name}</td><td>{_cell(c['start'])}</td><td>{_cell(c['value'])}</td>"
                     f"<td>{_cell(low)} to {_cell(high)}</td><td>{html.escape(c['ci_method'])}</td></tr>")
    parts.append("</table>")
    stats = document["statistics"]
    parts.append(f"<h2>Statistics ({html.escape(unit)})</h2><table><tr><th></th><th>before</th><th>after</th></tr>")
    for key, label in STATISTICS:
        parts.append(f"<tr><td>{label}</td><td>{_cell(stats['before'][key])}</td><td>{_cell(stats['after'][key])}</td></tr>")
    parts.append(f"<tr><td>standard error of the {folds}-fold split-sample "
                 f"prediction</td><td></td><td>{_cell(stats['kfold_see'])}</td></tr></table>")
    parts.append("<h2>Measured against predicted</h2>")
    parts.append(svg(_measured_predicted(measured, before, after, short_unit)))
    parts.append("<h2>Residuals after calibration</h2>")
    parts.append(svg(_residual_panels(measured - after, residual_variables, short_unit)))
    model = document["standard_error_model"]
    parts.append(f"<h2>Standard error of a prediction</h2><p>s(x) = {model['a']:.4g} x^{model['b']:.4g} + "
                 f"{model['c']:.4g} ({html.escape(unit)}), fitted to the residuals after calibration binned by "
                 "predicted value.</p>")
    parts.append(svg(_error_model(bins, model, short_unit)))
    parts.append("</body></html>\n")
    with open(path, "w", encoding="utf-8") as handle:
        handle.write("\n".join(parts))
