"""Reading, summarising and plotting the inputs and results of the two
pavement engines, jpcp_cracking and jpcp_faulting.

    import jpcp
    section = jpcp.read_section("out/cracking-results")
    section.cracking["%Crack"].plot()
    jpcp.summary(["out"])

Sub-modules: ``jpcp.inputs`` (readers and writers of the section input
files), ``jpcp.results`` (readers of the result files), ``jpcp.report``
(the HTML report).
"""

import sys
import types

from jpcp._lazy import lazy_attributes

# Imported on first use (see jpcp.inputs): ``python3 -m jpcp batch`` starts
# its engines before pandas is loaded.
_LOCATIONS = {
    "inputs": ("jpcp.inputs", None),
    "results": ("jpcp.results", None),
    "Section": ("jpcp.sections", "Section"),
    "SectionRef": ("jpcp.sections", "SectionRef"),
    "find_sections": ("jpcp.sections", "find_sections"),
    "read_section": ("jpcp.sections", "read_section"),
    "summary": ("jpcp.summary", "summary"),
    "SUMMARY_COLUMNS": ("jpcp.summary", "SUMMARY_COLUMNS"),
}
__all__ = list(_LOCATIONS)
__getattr__ = lazy_attributes(__name__, globals(), _LOCATIONS)


class _Package(types.ModuleType):
    def __setattr__(self, name: str, value) -> None:
        # ``jpcp.summary`` is the function; importing the submodule of the
        # same name must not put the module in its place.
        if name == "summary" and isinstance(value, types.ModuleType):
            return
        super().__setattr__(name, value)


sys.modules[__name__].__class__ = _Package
