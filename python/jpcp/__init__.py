"""Reading, summarising and plotting the inputs and results of the two
pavement engines, jpcp_cracking and jpcp_faulting.

    import jpcp
    section = jpcp.read_section("out/cracking-results")
    section.cracking["%Crack"].plot()
    jpcp.summary(["out"])

Sub-modules: ``jpcp.inputs`` (readers and writers of the section input
files), ``jpcp.results`` (readers of the result files), ``jpcp.report``
(the HTML report), ``jpcp.engines`` (running a section, in this process or
as a program), ``jpcp.batch`` (studies of many sections).
"""

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
    "summary": ("jpcp.summaries", "summary"),
    "SUMMARY_COLUMNS": ("jpcp.summaries", "SUMMARY_COLUMNS"),
}
__all__ = list(_LOCATIONS)
__getattr__ = lazy_attributes(__name__, globals(), _LOCATIONS)

