"""Readers of the result files of both programs.

One function per file; tables are pandas DataFrames whose columns are
documented (unit first) in the ``*_COLUMNS`` dictionaries, or named as the
file's own header names them, units included. Fields of asterisks (a value
too wide for its fixed-width field) read as NaN.
"""

from jpcp.results.cracking import (
    CALIBRATION_HEADER,
    CRACKING_COLUMNS,
    DAMAGE_COMPONENTS,
    STRESS_BLOCK_COLUMNS,
    TRAFFIC_COLUMNS,
    GradientDistribution,
    is_calibration_summary,
    read_calibration_summary,
    read_cracking,
    read_esals,
    read_gradients,
    read_stress_results,
    read_stress_table,
    read_traffic_summary,
)
from jpcp.results.faulting import (
    FAULTING_COLUMNS,
    FAULTING_CONSTANTS,
    FAULTING2_COLUMNS,
    read_deflections,
    read_faulting,
    read_faulting2,
)
from jpcp.results.tables import read_errors, read_progress

__all__ = [name for name in dir() if not name.startswith("_")]
