"""Readers and writers of the section input files.

Every reader returns a pandas DataFrame or a small dataclass; every writer
produces a file that the programs read to the same values, so a section can
be varied in pandas and written back::

    general = read_general_input("src/GeneralInput.txt")
    general["thickness"] = 11.0
    write_general_input(general, "variant/GeneralInput.txt")

Names follow the quantities, with one name for a quantity that both
programs read (see ``GENERAL_FIELDS`` and ``FAULTING_FIELDS`` for units).
Readers raise ``InputFileError`` for a file the programs would refuse.
"""

from jpcp._lazy import lazy_attributes

# Name -> submodule. A submodule is imported when one of its names is first
# used: the table readers need pandas, which takes longer to import than a
# short engine run, and the batch runner needs only the fields and file lists.
_SUBMODULES = {
    "fields": (
        "FAULTING_FIELDS",
        "FAULTING_LINES",
        "GENERAL_FIELDS",
        "FaultingInput",
        "Field",
        "GeneralInput",
        "InputFileError",
        "read_faulting_input",
        "read_general_input",
        "write_faulting_input",
        "write_general_input",
    ),
    "file_lists": (
        "CRACKING_FILES",
        "FAULTING_FILES",
        "fault_file_list_rows",
        "fault_file_list_text",
        "file_list_rows",
        "file_list_text",
        "is_null",
        "read_fault_file_list",
        "read_file_list",
        "result_name",
        "source_path",
        "write_fault_file_list",
        "write_file_list",
    ),
    "season": (
        "MONTHLY_COLUMNS",
        "PCC_COLUMNS",
        "FaultingSeasonPattern",
        "read_faulting_season_pattern",
        "read_pcc_modulus",
        "read_season_pattern",
        "write_faulting_season_pattern",
        "write_pcc_modulus",
        "write_season_pattern",
    ),
    "temperature": ("TEMPERATURE_COLUMNS", "read_temperature_data", "write_temperature_data"),
    "traffic": ("CLASS_COUNT", "read_axle_spectra", "read_hourly_traffic", "write_axle_spectra", "write_hourly_traffic"),
}
_LOCATIONS = {name: (f"{__name__}.{module}", name) for module, names in _SUBMODULES.items() for name in names}
__all__ = sorted(_LOCATIONS)
__getattr__ = lazy_attributes(__name__, globals(), _LOCATIONS)


def __dir__() -> list[str]:
    return sorted(set(globals()) | set(__all__))
