"""The design file (SECTION.toml): the section builder's options at the top
level, the design criteria in [design] and the 1993-guide inputs in
[guide93]. Every check is made here, before any section is built or run."""

from __future__ import annotations

import json
import math
import tomllib
from dataclasses import dataclass, field
from pathlib import Path

# Standard error of a prediction, s(x) = a * x^b + c, of the predicted mean x:
# percent slabs cracked and inches of faulting.
DEFAULT_ERRORS = {
    "cracking": (3.5522, 0.3415, 0.75),
    "faulting": (0.07162, 0.368, 0.00806),
}
# Builder options the design sets in every trial -> their [design] keys.
DESIGN_VARIABLES = {"thickness": "thickness", "joint-spacing": "joint_spacing", "dowel": "dowel"}
# Builder options naming a file: relative to the design file's folder.
PATH_OPTIONS = {"weather"}
DESIGN_KEYS = {"cracking_limit", "faulting_limit", "reliability", "thickness", "joint_spacing", "dowel",
               "cracking_error", "faulting_error", "calibration"}
GUIDE93_KEYS = {"reliability", "s0", "delta_psi", "pt", "j", "cd", "w18", "k", "sc", "ec"}
GUIDE93_DEFAULTS = {"s0": 0.35, "delta_psi": 1.7, "pt": 2.5, "j": 3.2, "cd": 1.0}


class DesignInputError(ValueError):
    """A design file that cannot be used; the message names the key."""


@dataclass(frozen=True)
class ErrorModel:
    """s(x) = a * x^b + c: the standard error of a predicted mean x."""

    a: float
    b: float
    c: float

    def standard_error(self, x: float) -> float:
        return self.a * max(x, 0.0) ** self.b + self.c

    def design_value(self, x: float, z: float) -> float:
        """x + z*s(x): the value not exceeded at the reliability of z."""
        return x + z * self.standard_error(x)


@dataclass
class Design:
    path: Path
    options: dict[str, str]  # builder option -> value, without the design variables
    cracking_limit: float = 15.0  # percent slabs cracked
    faulting_limit: float = 0.12  # in
    reliability: float = 90.0  # percent
    thickness: tuple[float, float, float] = (6.0, 16.0, 0.25)  # in: min, max, step
    joint_spacings: list[float] | None = None  # ft; None: the section's own
    dowels: list[float] | None = None  # in; None: the section's own
    errors: dict[str, ErrorModel] = field(default_factory=dict)
    error_sources: dict[str, str] = field(default_factory=dict)  # where each model came from
    guide93: dict[str, float] = field(default_factory=dict)  # the [guide93] table with its defaults
    keys: dict[str, str] = field(default_factory=dict)  # builder option -> the key that gave it

    @property
    def z(self) -> float:
        from statistics import NormalDist

        return NormalDist().inv_cdf(self.reliability / 100.0)

    def thickness_grid(self) -> list[float]:
        low, high, step = self.thickness
        count = round((high - low) / step)
        return [round(low + i * step, 6) for i in range(count + 1)]


def _fail(path: Path, key: str, text: str):
    raise DesignInputError(f"{path}: {key}: {text}")


def _number(path, key, value) -> float:
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        _fail(path, key, f"must be a number, not {value!r}")
    return float(value)


def _numbers(path, key, value) -> list[float]:
    """One number or a non-empty list of them."""
    values = value if isinstance(value, list) else [value]
    if not values:
        _fail(path, key, "must name at least one value")
    return [_number(path, key, v) for v in values]


def _unknown(path, where: str, table: dict, known) -> None:
    for key in table:
        if key not in known:
            _fail(path, f"{where}{key}", f"unknown key (known: {', '.join(sorted(known))})")


def _error_model(path, key, table) -> ErrorModel:
    if not isinstance(table, dict):
        _fail(path, key, "must be a table with a, b and c")
    _unknown(path, f"{key}.", table, {"a", "b", "c"})
    missing = [name for name in "abc" if name not in table]
    if missing:
        _fail(path, f"{key}.{missing[0]}", "missing (give a, b and c)")
    a, b, c = (_number(path, f"{key}.{name}", table[name]) for name in "abc")
    if a < 0 or c < 0:
        _fail(path, f"{key}.{'a' if a < 0 else 'c'}", "must be 0 or more: a standard error is not negative")
    return ErrorModel(a, b, c)


def _calibrations(path: Path, value) -> dict[str, tuple[ErrorModel, str]]:
    """Standard-error models of calibrations (coefficients.json files of
    `jpcp calibrate`, each with its "fit" and "standard_error_model")."""
    found = {}
    for name in value if isinstance(value, list) else [value]:
        if not isinstance(name, str):
            _fail(path, "design.calibration", "must be a file name or a list of them")
        file = (path.parent / name).resolve()
        try:
            data = json.loads(file.read_text(encoding="utf-8"))
        except (OSError, ValueError) as error:
            _fail(path, "design.calibration", f"cannot read {file}: {error}")
        fit = data.get("fit") if isinstance(data, dict) else None
        if fit not in DEFAULT_ERRORS or "standard_error_model" not in data:
            _fail(path, "design.calibration", f"{file} holds no \"fit\" (cracking or faulting) "
                  "with a \"standard_error_model\"")
        model = data["standard_error_model"]
        # The calibration adds what it fitted the model to (its "bins"):
        # only a, b and c are read.
        if isinstance(model, dict):
            model = {name: model[name] for name in "abc" if name in model}
        found[fit] = (_error_model(file, "standard_error_model", model), str(file))
    return found


def read_design(path, builder_options: set[str]) -> Design:
    """Reads and checks a design file. ``builder_options``: the option names
    the section builder accepts (without "--")."""
    path = Path(path)
    try:
        with open(path, "rb") as stream:
            data = tomllib.load(stream)
    except OSError as error:
        raise DesignInputError(f"{path}: {error.strerror}") from None
    except tomllib.TOMLDecodeError as error:
        raise DesignInputError(f"{path}: not a TOML file: {error}") from None

    table = data.pop("design", {})
    guide = data.pop("guide93", {})
    for key, value in (("design", table), ("guide93", guide)):
        if not isinstance(value, dict):
            _fail(path, key, "must be a table ([design], [guide93])")
    options, design_keys = {}, {"thickness": "design.thickness"}
    for key, value in data.items():
        if key == "thickness":
            _fail(path, key, "is what the design finds: give [design] thickness = [min, max, step]")
        if key not in builder_options:
            _fail(path, key, "unknown key: neither a section builder option (jpcp_example --help) "
                  "nor a [design] or [guide93] table")
        if isinstance(value, (dict, list, bool)):
            _fail(path, key, f"must be one number or text, not {value!r}")
        text = str(value)
        if key in PATH_OPTIONS:
            text = str((path.parent / text).resolve())
        options[key] = text
        design_keys[key] = key

    design = Design(path, options, keys=design_keys)
    _unknown(path, "design.", table, DESIGN_KEYS)
    for key in ("cracking_limit", "faulting_limit", "reliability"):
        if key in table:
            setattr(design, key, _number(path, f"design.{key}", table[key]))
    for key in ("cracking_limit", "faulting_limit"):
        if getattr(design, key) <= 0:
            _fail(path, f"design.{key}", "must be above 0")
    if not 50.0 <= design.reliability <= 99.9:
        _fail(path, "design.reliability", f"{design.reliability:g} is outside 50 to 99.9 percent")

    if "thickness" in table:
        values = table["thickness"]
        if not isinstance(values, list) or len(values) != 3:
            _fail(path, "design.thickness", "must be [min, max, step] in inches")
        design.thickness = tuple(_number(path, "design.thickness", v) for v in values)
    low, high, step = design.thickness
    if step <= 0 or high < low:
        _fail(path, "design.thickness", f"[{low:g}, {high:g}, {step:g}] holds no thickness: "
              "give min <= max and a step above 0")
    if abs((high - low) / step - round((high - low) / step)) > 1e-6:
        _fail(path, "design.thickness", f"{high:g} - {low:g} is not a whole number of {step:g}-in steps")

    # Joint spacing and dowel: [design] lists the combinations; a top-level
    # option is the section's own, the one combination.
    for option, key in (("joint-spacing", "joint_spacing"), ("dowel", "dowel")):
        values = None
        if key in table:
            values = _numbers(path, f"design.{key}", table[key])
            design_keys[option] = f"design.{key}"
            if option in options:
                _fail(path, option, f"given twice: at the top level and as [design] {key}")
        elif option in options:
            values = _numbers(path, option, data[option])
            del options[option]
        if values is not None and len(set(values)) != len(values):
            _fail(path, f"design.{key}", "names a value twice")
        setattr(design, "joint_spacings" if key == "joint_spacing" else "dowels", values)

    calibrated = _calibrations(path, table["calibration"]) if "calibration" in table else {}
    for distress, (a, b, c) in DEFAULT_ERRORS.items():
        key = f"{distress}_error"
        if key in table:
            design.errors[distress] = _error_model(path, f"design.{key}", table[key])
            design.error_sources[distress] = f"[design.{key}]"
        elif distress in calibrated:
            design.errors[distress], design.error_sources[distress] = calibrated[distress]
        else:
            design.errors[distress] = ErrorModel(a, b, c)
            design.error_sources[distress] = "default"

    # A limit below the design value of no distress at all cannot be met by
    # any thickness (percent slabs cracked never falls below 0.001).
    for distress, limit, floor, unit in (("cracking", design.cracking_limit, 0.001, "%"),
                                         ("faulting", design.faulting_limit, 0.0, "in")):
        least = design.errors[distress].design_value(floor, design.z)
        if limit < least:
            _fail(path, f"design.{distress}_limit",
                  f"{limit:g} {unit} is below the design value of no {distress} at all "
                  f"({least:.4g} {unit} at {design.reliability:g} %): no thickness can pass")

    _unknown(path, "guide93.", guide, GUIDE93_KEYS)
    values = dict(GUIDE93_DEFAULTS, reliability=design.reliability)
    for key, value in guide.items():
        values[key] = _number(path, f"guide93.{key}", value)
    if not 50.0 <= values["reliability"] <= 99.9:
        _fail(path, "guide93.reliability", f"{values['reliability']:g} is outside 50 to 99.9 percent")
    for key in ("s0", "j", "cd", "w18", "k", "sc", "ec", "delta_psi"):
        if key in values and values[key] <= 0:
            _fail(path, f"guide93.{key}", "must be above 0")
    if not 0 < values["pt"] < 4.5:
        _fail(path, "guide93.pt", "must be between 0 and 4.5 (the initial serviceability)")
    design.guide93 = values
    return design
