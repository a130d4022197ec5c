"""FileList.txt (cracking: any number of section blocks) and
FaultFileList.txt (faulting: one block).

Each line is one free-form text value: names holding blanks, commas or
slashes are quoted; a backslash is a folder separator. A cracking block
whose name begins with NULL has no file lines and uses the default names.
"""

from __future__ import annotations

from pathlib import Path
from typing import TYPE_CHECKING

from jpcp._text import FreeFormError, FreeFormReader, quote_text

if TYPE_CHECKING:
    import pandas as pd

CRACKING_FILES = {
    "general_input": "GeneralInput.txt",
    "season_pattern": "SeasonPattern.txt",
    "pcc_modulus": "PCCModulus.txt.",
    "single_axle": "SingleAxleOutput.csv",
    "tandem_axle": "TandemAxleOutput.csv",
    "tridem_axle": "TridemAxleOutput.csv",
    "quad_axle": "QuadAxleOutput.csv",
    "hourly_traffic": "_HourlyTrafficPerc.txt",
    "temperature": "ThermalPCC.dat",
}
FAULTING_FILES = {
    "section_input": "faultgeneralinput.txt",
    "season_pattern": "seasonpattern.txt",
    "single_axle": "SingleAxleOutput.csv",
    "tandem_axle": "TandemAxleOutput.csv",
    "tridem_axle": "TridemAxleOutput.csv",
    "quad_axle": "QuadAxleOutput.csv",
    "hourly_traffic": "_HourlyTrafficPerc.txt",
    "temperature": "thermalPCC.dat",
}
NULL_SECTION_NAME = "JPCP"  # the name a NULL block's results carry


def is_null(name: str) -> bool:
    return name[:4] == "NULL"


def result_name(section: str) -> str:
    """The name a section's result files carry."""
    return NULL_SECTION_NAME if is_null(section) else section


def file_list_rows(path) -> list[dict[str, str]]:
    """The section blocks of a FileList.txt as rows: ``section`` (as
    written, NULL kept) and the nine file names (relative to the source
    folder; defaults for NULL blocks). Reading stops, as the program does,
    at the end of the file or at a truncated block."""
    reader = FreeFormReader.from_file(path)
    rows = []
    while True:
        try:
            section = reader.text()
        except FreeFormError:
            break
        if is_null(section):
            rows.append({"section": section, **CRACKING_FILES})
            continue
        try:
            files = {key: reader.text() for key in CRACKING_FILES}
        except FreeFormError:
            break
        rows.append({"section": section, **files})
    return rows


def fault_file_list_rows(path) -> list[dict[str, str]]:
    """The one block of a FaultFileList.txt as a one-row list: ``section``
    and the eight file names (defaults when the name begins with NULL)."""
    reader = FreeFormReader.from_file(path)
    section = reader.text()
    names = [reader.text() for _ in FAULTING_FILES]
    if is_null(section):
        names = list(FAULTING_FILES.values())
    return [{"section": section, **dict(zip(FAULTING_FILES, names))}]


def file_list_text(rows: list[dict[str, str]]) -> str:
    """FileList.txt of section rows (a NULL block has no file lines)."""
    lines = []
    for row in rows:
        lines.append(quote_text(row["section"]))
        if not is_null(row["section"]):
            lines += [quote_text(row[key]) for key in CRACKING_FILES]
    return "\n".join(lines) + "\n"


def fault_file_list_text(rows: list[dict[str, str]]) -> str:
    """FaultFileList.txt of its one row."""
    row = rows[0]
    return "\n".join([quote_text(row["section"])] + [quote_text(row[key]) for key in FAULTING_FILES]) + "\n"


# The table forms below import pandas when called: the batch runner uses
# the rows above and starts its engines without waiting for pandas.


def read_file_list(path) -> pd.DataFrame:
    """``file_list_rows`` as a table, one row per section block."""
    import pandas as pd

    return pd.DataFrame(file_list_rows(path), columns=["section", *CRACKING_FILES])


def write_file_list(table: pd.DataFrame, path) -> None:
    Path(path).write_text(file_list_text(table.to_dict("records")), encoding="latin-1")


def read_fault_file_list(path) -> pd.DataFrame:
    """``fault_file_list_rows`` as a one-row table."""
    import pandas as pd

    return pd.DataFrame(fault_file_list_rows(path))


def write_fault_file_list(table: pd.DataFrame, path) -> None:
    Path(path).write_text(fault_file_list_text(table.to_dict("records")), encoding="latin-1")


def source_path(folder, name: str) -> Path:
    """An input file of a section: backslashes are folder separators, and a
    name not found as written is looked up ignoring case and trailing dots,
    as the programs do."""
    path = Path(folder) / name.replace("\\", "/")
    if path.exists():
        return path
    wanted = path.name.rstrip(".").lower()
    if path.parent.is_dir():
        for candidate in path.parent.iterdir():
            if candidate.name.rstrip(".").lower() == wanted:
                return candidate
    return path
