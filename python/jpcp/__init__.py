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

from jpcp import inputs, results
from jpcp.sections import Section, SectionRef, find_sections, read_section
from jpcp.summary import SUMMARY_COLUMNS, summary

__all__ = ["inputs", "results", "Section", "SectionRef", "find_sections", "read_section", "summary", "SUMMARY_COLUMNS"]
