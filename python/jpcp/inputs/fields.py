"""Named-field inputs: the cracking General input file (43 numbers) and the
faulting section input file (38 lines, 41 numbers).

A quantity that both programs read has one name in both (``thickness``,
``joint_spacing``, ``design_life``, ...), so that one change can be applied
to every input that holds that field. Values are kept as written in the
file (pcf stays pcf, the sign of the fatigue C1 is not changed): the
conversions the programs make after reading are theirs.
"""

from __future__ import annotations

from dataclasses import dataclass
from pathlib import Path
from typing import ClassVar, NamedTuple

from jpcp._text import FreeFormError, FreeFormReader, format_number, parse_integer, parse_real


class Field(NamedTuple):
    name: str
    unit: str  # "" for a pure number or a code
    meaning: str
    integer: bool = False


# Cracking General input file, in file order (field 1 .. 43).
GENERAL_FIELDS: tuple[Field, ...] = (
    Field("design_life", "years", "design life; rounded to whole years", False),
    Field("start_month", "", "calendar month (1-12) of the first analysis month", True),
    Field("age_offset", "months", "concrete age at opening to traffic (at least 1)", True),
    Field("bond_months", "months", "months the slab stays bonded to the base; 12 or more: bonded and unbonded cases", True),
    Field("thickness", "in", "slab thickness"),
    Field("joint_spacing", "ft", "transverse joint spacing (replaced by each calibration value in calibration mode)"),
    Field("unused_7", "", "read, not used"),
    Field("shoulder_lte", "percent", "load transfer of the longitudinal joint or shoulder (at least 10)"),
    Field("widened_slab", "", "1: widened slab, the wheel path moves away from the slab edge", True),
    Field("poisson_ratio", "", "Poisson's ratio of the concrete"),
    Field("pcc_unit_weight", "pcf", "concrete unit weight"),
    Field("thermal_expansion", "1/F", "coefficient of thermal expansion of the concrete"),
    Field("shrinkage_zone_depth", "in", "depth of the drying-shrinkage zone"),
    Field("ultimate_shrinkage", "microstrain", "ultimate drying shrinkage"),
    Field("shrinkage_half_time", "days", "concrete age at which the age factor reaches one half", True),
    Field("unused_16", "", "read and discarded"),
    Field("base_thickness", "in", "base thickness (the program keeps at most 8)"),
    Field("base_unit_weight", "pcf", "base unit weight"),
    Field("crack_c4", "", "cracking transfer function C4: cracked = 1 / (1 + C4 D^C5)"),
    Field("crack_c5", "", "cracking transfer function C5"),
    Field("fatigue_c1", "", "fatigue model C1: log N = C1 (MR / stress)^C2 + 0.4371"),
    Field("fatigue_c2", "", "fatigue model C2"),
    Field("unused_23", "", "read, not used", True),
    Field("built_in_gradient", "F", "built-in curl/warp equivalent temperature difference"),
    Field("unused_25", "", "read, not used"),
    Field("axle_track", "ft", "axle track: dual set to dual set"),
    Field("lane_width", "ft", "lane width"),
    Field("wheel_path_offset", "in", "mean distance of the outer wheel from the slab edge"),
    Field("wheel_path_sd", "in", "standard deviation of that distance (lateral wander)"),
    Field("slab_width", "ft", "slab width (wider than the lane: widened slab)"),
    Field("tire_pressure", "psi", "tire pressure"),
    Field("tandem_spacing", "in", "axle spacing input of the adjacent-axle model"),
    Field("dual_spacing", "in", "dual tire spacing, centre to centre"),
    Field("tire_width", "in", "tire contact width"),
    Field("wheelbase_short", "ft", "axle spacing of the short wheelbase class"),
    Field("wheelbase_medium", "ft", "axle spacing of the medium wheelbase class"),
    Field("wheelbase_long", "ft", "axle spacing of the long wheelbase class"),
    Field("trucks_short", "percent", "share of trucks with a short wheelbase"),
    Field("trucks_medium", "percent", "share of trucks with a medium wheelbase"),
    Field("trucks_long", "percent", "share of trucks with a long wheelbase"),
    Field("tandem_axles_per_truck", "", "tandem axles per truck: turns tandem counts into trucks"),
    Field("initial_cracking", "percent", "cracking at the start, percent of slabs"),
    Field("cracking_offset", "percent", "cracking offset subtracted from the prediction"),
)

# Faulting section input file: one tuple of fields per line (38 lines).
FAULTING_LINES: tuple[tuple[Field, ...], ...] = (
    (Field("analysis_months", "months", "number of analysis months (12 x design life)", True),),
    (Field("start_month", "", "calendar month (1-12) of the first analysis month", True),),
    (Field("age_offset", "months", "concrete age at opening to traffic", True),),
    (Field("thickness", "in", "slab thickness"),),
    (Field("joint_spacing", "ft", "transverse joint spacing"),),
    (Field("dowel_diameter", "in", "dowel diameter; 0 when undowelled"),),
    (Field("dowel_factor", "", "multiplier of the dowel shear term"),),
    (Field("shoulder_lte", "percent", "load transfer of the longitudinal joint or shoulder"),),
    (Field("widened_slab", "", "1: widened slab", True),),
    (Field("unused_10", "", "read, not used"),),
    (Field("poisson_ratio", "", "Poisson's ratio of the concrete"),),
    (Field("pcc_unit_weight", "pcf", "concrete unit weight"),),
    (Field("thermal_expansion", "1/F", "coefficient of thermal expansion of the concrete"),),
    (Field("shrinkage_zone_depth", "in", "depth of the drying-shrinkage zone"),),
    (
        Field("ultimate_shrinkage", "microstrain", "ultimate drying shrinkage"),
        Field("shrinkage_scale", "microstrain", "second shrinkage strain of the joint opening"),
    ),
    (Field("shrinkage_half_time", "days", "days to half the ultimate shrinkage", True),),
    (Field("base_type", "", "base type code (0, 1, 2, 7 or other)", True),),
    (Field("base_thickness", "in", "base thickness"),),
    (Field("base_unit_weight", "pcf", "base unit weight"),),
    (Field("base_friction", "", "base friction factor"),),
    (Field("erodibility", "", "erodibility index of the base"),),
    (Field("subgrade_fines", "percent", "first subgrade factor: fines passing the 0.075 mm sieve"),),
    (Field("wet_days", "days/year", "second subgrade factor: wet days per year"),),
    (Field("slab_bottom_rh", "percent", "relative humidity at the slab bottom"),),
    (Field("base_lte", "percent", "base load transfer, used for base type 7"),),
    (Field("built_in_gradient", "F", "built-in curl/warp equivalent temperature difference"),),
    (Field("unused_27", "", "read, not used"),),
    (Field("lane_width", "ft", "lane width"),),
    (Field("wheel_path_offset", "in", "mean distance of the outer wheel from the slab edge"),),
    (Field("wheel_path_correction", "in", "wheel-path correction"),),
    (Field("slab_width", "ft", "slab width"),),
    (Field("set_temperature", "F", "temperature at which the concrete set"),),
    (Field("fault_c3", "", "faulting calibration C3"), Field("fault_c4", "", "faulting calibration C4")),
    (Field("fault_c5", "", "faulting calibration C5"),),
    (Field("fault_c8", "", "faulting calibration C8"),),
    (Field("fault_c6", "", "faulting calibration C6"),),
    (Field("fault_c1", "", "faulting calibration C1"), Field("fault_c2", "", "faulting calibration C2")),
    (Field("fault_c7", "", "faulting calibration C7"),),
)

FAULTING_FIELDS: tuple[Field, ...] = tuple(f for line in FAULTING_LINES for f in line)


class InputFileError(ValueError):
    """An input file that the engines would refuse, with the reason."""


@dataclass
class _NamedInput:
    """Ordered named values with item access: ``inp["thickness"] = 11``."""

    values: dict[str, float | int]

    FIELDS: ClassVar[tuple[Field, ...]] = ()
    # Names accepted besides the fields: name -> (field, factor): the field
    # holds factor x the value.
    ALIASES: ClassVar[dict[str, tuple[str, int]]] = {}

    def __contains__(self, name: str) -> bool:
        return name in self.values or name in self.ALIASES

    def __getitem__(self, name: str):
        if name in self.ALIASES:
            target, factor = self.ALIASES[name]
            return self.values[target] / factor
        return self.values[name]

    def __setitem__(self, name: str, value) -> None:
        if name in self.ALIASES:
            target, factor = self.ALIASES[name]
            name, value = target, value * factor
        spec = self._spec(name)
        self.values[name] = _stored(spec, value)

    def _spec(self, name: str) -> Field:
        for spec in self.FIELDS:
            if spec.name == name:
                return spec
        raise KeyError(f"no field {name!r}")

    def names(self) -> list[str]:
        return [f.name for f in self.FIELDS]

    @classmethod
    def accepted(cls) -> set[str]:
        """Every name that item access takes: the fields and the aliases."""
        return {f.name for f in cls.FIELDS} | set(cls.ALIASES)


def _stored(spec: Field, value):
    if spec.integer:
        number = float(value)
        if number != int(number):
            raise ValueError(f"{spec.name} must be a whole number, not {value}")
        return int(number)
    return float(value)


@dataclass
class GeneralInput(_NamedInput):
    """The cracking General input file: 43 named values and, in calibration
    mode, the calibration values (joint spacings, ft) and the observation
    ages (years) of the calibration summary."""

    calibration_values: list[float] | None = None
    observation_ages: list[float] | None = None
    FIELDS: ClassVar[tuple[Field, ...]] = GENERAL_FIELDS


@dataclass
class FaultingInput(_NamedInput):
    """The faulting section input file: 41 named values on 38 lines.

    ``design_life`` (years) is accepted as a name and sets ``analysis_months``
    to 12 times its value.
    """

    FIELDS: ClassVar[tuple[Field, ...]] = FAULTING_FIELDS
    ALIASES: ClassVar[dict[str, tuple[str, int]]] = {"design_life": ("analysis_months", 12)}


def _fail(path, error: FreeFormError) -> InputFileError:
    what = "ends too early" if error.kind == "eof" else "holds a value that is not a number"
    return InputFileError(f"{path}: {what} ({error})")


def read_general_input(path, calibration: bool = False) -> GeneralInput:
    """Reads a General input file; ``calibration`` also reads the two
    calibration lists that follow the 43 numbers."""
    reader = FreeFormReader.from_file(path)
    try:
        numbers = reader.reals(len(GENERAL_FIELDS))
        values = {}
        for spec, number in zip(GENERAL_FIELDS, numbers):
            # The program truncates the integer fields toward zero.
            values[spec.name] = int(number) if spec.integer else number
        result = GeneralInput(values=values)
        if calibration:
            result.calibration_values = [reader.real() for _ in range(reader.integer())]
            result.observation_ages = [reader.real() for _ in range(reader.integer())]
    except FreeFormError as error:
        raise _fail(path, error) from None
    return result


def write_general_input(general: GeneralInput, path) -> None:
    """Writes one value per line, then the calibration lists when present."""
    lines = [format_number(general.values[f.name]) for f in GENERAL_FIELDS]
    if general.calibration_values is not None:
        lines.append(str(len(general.calibration_values)))
        lines += [format_number(v) for v in general.calibration_values]
        ages = general.observation_ages or []
        lines.append(str(len(ages)))
        lines += [format_number(v) for v in ages]
    Path(path).write_text("\n".join(lines) + "\n", encoding="latin-1")


def read_faulting_input(path) -> FaultingInput:
    reader = FreeFormReader.from_file(path)
    values = {}
    try:
        for line in FAULTING_LINES:
            tokens = reader.tokens(len(line))
            for spec, token in zip(line, tokens):
                values[spec.name] = parse_integer(token) if spec.integer else parse_real(token)
    except FreeFormError as error:
        raise _fail(path, error) from None
    return FaultingInput(values=values)


def write_faulting_input(faulting: FaultingInput, path) -> None:
    lines = [" ".join(format_number(faulting.values[f.name]) for f in line) for line in FAULTING_LINES]
    Path(path).write_text("\n".join(lines) + "\n", encoding="latin-1")
