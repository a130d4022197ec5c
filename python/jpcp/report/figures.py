"""The report's figures, one function per figure. Each returns a Plot (its
key, title, caption and matplotlib figure) or None when the section lacks
the data; every axis carries its unit."""

from __future__ import annotations

from dataclasses import dataclass

import numpy as np
from matplotlib.figure import Figure

from jpcp.results import DAMAGE_COMPONENTS
from jpcp.sections import Section

MONTH_ABBREVIATIONS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


@dataclass
class Plot:
    key: str  # short name, used for the PNG file
    title: str
    caption: str
    figure: Figure


def new_figure(rows: int = 1, columns: int = 1, height: float = 3.6, margins: dict | None = None, minor_grid=True):
    """A figure of the reports' look (7.5 in wide, ``height`` in per row,
    major and minor grids) and its axes, a 2-D array. The layout is
    constrained unless ``margins`` (subplots_adjust fractions) fix it:
    the constrained layout and the minor ticks take two thirds of the time
    of a simple figure."""
    figure = Figure(figsize=(7.5, height * rows), layout=None if margins else "constrained")
    if margins:
        figure.subplots_adjust(**margins)
    axes = figure.subplots(rows, columns, squeeze=False)
    for axis in axes.flat:
        axis.grid(True, which="major", color="0.8", linewidth=0.6)
        if minor_grid:
            axis.grid(True, which="minor", color="0.92", linewidth=0.4)
            axis.minorticks_on()
    return figure, axes


def _age_axis(axis, years: np.ndarray) -> None:
    """The x axis of a figure over the analysis: pavement age from 0 to the
    last month (at least one month)."""
    axis.set_xlabel("Pavement age (years)")
    axis.set_xlim(0, max(years.max(), 1 / 12))


def cracking_transfer(damage: np.ndarray, c4: float, c5: float) -> np.ndarray:
    """Percent of slabs cracked by one damage type: 100 / (1 + C4 D^C5),
    written as x / (x + C4) with x = D^-C5 so that zero damage gives 0."""
    damage = np.asarray(damage, dtype=float)
    with np.errstate(divide="ignore", over="ignore", invalid="ignore"):
        x = np.where(damage > 0, np.power(np.where(damage > 0, damage, 1.0), -c5), 0.0)
        return 100.0 * x / (x + c4)


def percent_cracked(section: Section) -> Plot | None:
    table = section.cracking
    if table is None or table.empty:
        return None
    years = table["Age(mo)"].to_numpy(dtype=float) / 12.0
    figure, axes = new_figure()
    axis = axes[0, 0]
    axis.plot(years, table["%Crack"], color="black", linewidth=2, label="total (as written, %Crack)")
    note = ""
    general = section.general_input
    if general is not None:
        c4, c5 = general["crack_c4"], general["crack_c5"]
        axis.plot(years, cracking_transfer(table["Toal_BU"], c4, c5), color="tab:blue", label="bottom-up")
        axis.plot(years, cracking_transfer(table["Total_TD"], c4, c5), color="tab:red", linestyle="--", label="top-down")
        note = (
            f" Bottom-up and top-down curves apply the transfer function (C4 = {c4:g}, C5 = {c5:g}) to the"
            " total bottom-up and top-down damage alone."
        )
    else:
        note = " The section's General input file was not found, so only the total is shown."
    _age_axis(axis, years)
    axis.set_ylabel("Slabs cracked (%)")
    axis.set_ylim(bottom=0)
    axis.legend(loc="upper left")
    return Plot(
        "percent_cracked",
        "Percent slabs cracked",
        f"Percent of slabs with transverse cracks against pavement age, month by month.{note}",
        figure,
    )


def damage(section: Section) -> Plot | None:
    table = section.cracking
    if table is None or table.empty:
        return None
    years = table["Age(mo)"].to_numpy(dtype=float) / 12.0
    figure, axes = new_figure(height=4.2)
    axis = axes[0, 0]
    shown, zero = 0, []
    styles = {"BU": "-", "TD": "--"}
    for name in DAMAGE_COMPONENTS:
        values = table[name].to_numpy(dtype=float)
        if not np.any(values > 0):
            zero.append(name)
            continue
        axis.plot(years, np.where(values > 0, values, np.nan), linestyle=styles[name[:2]], label=name)
        shown += 1
    for name, color in (("Toal_BU", "tab:blue"), ("Total_TD", "tab:red")):
        values = table[name].to_numpy(dtype=float)
        if np.any(values > 0):
            axis.plot(years, np.where(values > 0, values, np.nan), color=color, linewidth=2.5, alpha=0.6,
                      label="total bottom-up" if name == "Toal_BU" else "total top-down")
            shown += 1
    if shown == 0:
        axis.text(0.5, 0.5, "no damage in any month", transform=axis.transAxes, ha="center")
    else:
        axis.set_yscale("log")
        axis.legend(loc="lower right", ncol=3, fontsize="small")
    _age_axis(axis, years)
    axis.set_ylabel("Cumulative fatigue damage (-)")
    zero_text = f" Components that stay zero are not drawn: {', '.join(zero)}." if zero else ""
    return Plot(
        "damage",
        "Cumulative fatigue damage",
        "Cumulative fatigue damage by component (bottom-up by axle type, solid; top-down by wheelbase class, "
        f"dashed) and the totals including any initial damage, on a logarithmic scale.{zero_text}",
        figure,
    )


def cracking_materials(section: Section) -> Plot | None:
    table = section.cracking
    if table is None or table.empty:
        return None
    years = table["Age(mo)"].to_numpy(dtype=float) / 12.0
    figure, axes = new_figure(2, 2, height=2.6)
    panels = [
        ("MR(psi)", "Modulus of rupture (psi)"),
        ("Epcc(Mpsi)", "Concrete modulus E (Mpsi)"),
        ("k(psi/in)", "Foundation k-value (psi/in)"),
        ("Ebase(ksi)", "Base modulus (ksi)"),
    ]
    for axis, (column, label) in zip(axes.flat, panels):
        axis.plot(years, table[column], color="tab:green", drawstyle="steps-mid", label=column)
        axis.set_xlabel("Pavement age (years)")
        axis.set_ylabel(label)
        axis.legend(loc="best", fontsize="small")
    return Plot(
        "materials",
        "Monthly material values",
        "Material values of each analysis month as used by the cracking analysis: concrete strength and "
        "stiffness growing with age, and the seasonal foundation k-value and base modulus.",
        figure,
    )


def _heat_map(figure: Figure, axis, frame, title: str) -> None:
    values = frame.to_numpy(dtype=float)
    levels = frame.index.to_numpy(dtype=float)
    step = levels[1] - levels[0] if len(levels) > 1 else 2.0
    image = axis.imshow(
        values,
        origin="lower",
        aspect="auto",
        cmap="viridis",
        extent=(0.5, values.shape[1] + 0.5, levels[0] - step / 2, levels[-1] + step / 2),
        interpolation="nearest",
    )
    axis.grid(False, which="both")
    axis.minorticks_off()
    axis.set_xticks(range(1, values.shape[1] + 1))
    axis.set_xticklabels([MONTH_ABBREVIATIONS[int(m) - 1] for m in frame.columns], rotation=90)
    axis.set_xlabel("Calendar month (analysis order)")
    axis.set_ylabel("Temperature gradient class (°F)")
    axis.set_title(title, fontsize="medium")
    figure.colorbar(image, ax=axis, label="Frequency in the month (-)")


def gradients(section: Section, bonded: bool = False) -> Plot | None:
    distribution = section.gradients_bonded if bonded else section.gradients
    if distribution is None:
        return None
    figure, axes = new_figure(1, 2, height=4.2)
    _heat_map(figure, axes[0, 0], distribution.day, "Daytime gradients")
    _heat_map(figure, axes[0, 1], distribution.night, "Night-time gradients")
    case = "bonded" if bonded else "unbonded"
    return Plot(
        f"gradients_{case}",
        f"Temperature gradient distributions ({case} case)",
        f"Frequency of each temperature-difference class through the slab by month, {case} case, after the "
        "traffic weighting and tail trimming: daytime classes left, night-time classes right.",
        figure,
    )


def faulting(section: Section) -> Plot | None:
    table = section.faulting
    if table is None or table.empty:
        return None
    years = table["month"].to_numpy(dtype=float) / 12.0
    figure, axes = new_figure()
    axis = axes[0, 0]
    axis.plot(years, table["faulting"], color="black", linewidth=2, label="mean joint faulting")
    limit = table.attrs.get("constants", {}).get("faultmax")
    note = ""
    if limit is not None and np.isfinite(limit):
        # Drawn only when the curve comes near it; otherwise the faulting
        # would be squeezed to the bottom of the figure.
        if np.nanmax(table["faulting"].to_numpy(dtype=float)) >= 0.2 * limit:
            axis.axhline(limit, color="tab:red", linestyle=":", label=f"faultmax = {limit:.4f} in")
        else:
            note = f" The section's maximum faulting (faultmax, {limit:.4f} in) lies far above the curve."
    _age_axis(axis, years)
    axis.set_ylabel("Faulting (in)")
    axis.set_ylim(bottom=0)
    axis.legend(loc="upper left")
    return Plot(
        "faulting",
        "Joint faulting",
        "Mean transverse joint faulting against pavement age, month by month; faulting stops growing at the "
        f"section's maximum faulting (faultmax).{note}",
        figure,
    )


def joints(section: Section) -> Plot | None:
    table = section.faulting
    if table is None or table.empty:
        return None
    years = table["month"].to_numpy(dtype=float) / 12.0
    figure, axes = new_figure(2, 1, height=2.9)
    top, bottom = axes[0, 0], axes[1, 0]
    top.plot(years, table["lte"], color="black", linewidth=2, label="joint LTE")
    top.plot(years, table["lte_aggregate"], color="tab:orange", label="aggregate interlock")
    top.plot(years, table["lte_dowel"], color="tab:blue", linestyle="--", label="dowels")
    top.set_ylabel("Load transfer efficiency (%)")
    top.set_ylim(0, 105)
    top.legend(loc="lower left", ncol=3, fontsize="small")
    bottom.plot(years, table["opening"], color="tab:purple", label="joint opening")
    bottom.set_ylabel("Joint opening (in)")
    bottom.legend(loc="upper left", fontsize="small")
    for axis in (top, bottom):
        _age_axis(axis, years)
    return Plot(
        "joints",
        "Joint load transfer and opening",
        "Load transfer efficiency of the transverse joints month by month (total, and the shares the program "
        "computes for aggregate interlock and dowels), and the joint opening that drives the aggregate term.",
        figure,
    )


def faulting_materials(section: Section) -> Plot | None:
    table = section.faulting
    if table is None or table.empty:
        return None
    years = table["month"].to_numpy(dtype=float) / 12.0
    figure, axes = new_figure(2, 2, height=2.6)
    panels = [
        (table["e_pcc"] / 1e6, "Concrete modulus E (Mpsi)"),
        (table["humidity"], "Relative humidity (%)"),
        (table["k_value"], "Foundation k-value (psi/in)"),
        (table["e_base"] / 1000.0, "Base modulus (ksi)"),
    ]
    for axis, (values, label) in zip(axes.flat, panels):
        axis.plot(years, values, color="tab:green", drawstyle="steps-mid")
        axis.set_xlabel("Pavement age (years)")
        axis.set_ylabel(label)
    return Plot(
        "materials",
        "Monthly material values",
        "Material values of each analysis month as used by the faulting analysis (the faulting result files "
        "carry no modulus of rupture).",
        figure,
    )


def calibration(section: Section) -> Plot | None:
    if not section.calibration:
        return None
    figure, axes = new_figure()
    axis = axes[0, 0]
    for file_name, table in section.calibration.items():
        for label, rows in table.groupby("Section", sort=False):
            axis.plot(rows["Age"], rows["CR"], marker="o", label=f"{label} ({file_name})")
    axis.set_xlabel("Observation age (years)")
    axis.set_ylabel("Slabs cracked (%)")
    axis.legend(loc="upper left", fontsize="small")
    return Plot(
        "calibration",
        "Calibration summary",
        "Percent slabs cracked at the observation ages of the calibration run, one curve per calibration value "
        "(the label ends in L and the joint spacing); values are not bounded, unlike %Crack.",
        figure,
    )


def section_plots(section: Section) -> list[Plot]:
    if section.kind == "cracking":
        candidates = [
            percent_cracked(section),
            damage(section),
            cracking_materials(section),
            gradients(section),
            gradients(section, bonded=True),
            calibration(section),
        ]
    else:
        candidates = [faulting(section), joints(section), faulting_materials(section)]
    return [plot for plot in candidates if plot is not None]
