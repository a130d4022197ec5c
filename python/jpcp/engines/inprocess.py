"""The engines run in this process, through the ``jpcp.engine`` extension
wrapper; importing this module fails (ImportError) where the extension
module cannot be imported, and ``jpcp.engines`` then falls back to the
programs."""

from __future__ import annotations

from jpcp import engine as _engine
from jpcp.engines.result import RunResult


class InProcessEngine:
    """Runs the engines' library in this process: no files unless a results
    folder is given; several threads may run at once."""

    name = "inprocess"

    def run_cracking(self, source, models, results=None, summary=None, detail=False) -> RunResult:
        return _engine.run_cracking(source, models, results=results, summary=summary, detail=detail)

    def run_faulting(self, source, models, results=None) -> RunResult:
        return _engine.run_faulting(source, models, results=results)
