"""One way to run a section, in this process or as a program.

    from jpcp import engines
    result = engines.run_cracking("sections/cracking", "models/cracking")
    result.cracking["%Crack"].iloc[-1]
    result = engines.run_faulting("sections/faulting", "models/faulting")

``engine`` names how: "inprocess" (the engines' library through the
``jpcp.engine`` extension module, no files unless asked for), "process"
(the installed programs, one process a run) or "auto" (in-process where
the extension can be imported, else the programs). Every engine returns a
``RunResult`` and raises ``RunError`` alike.
"""

from __future__ import annotations

from jpcp.engines.result import RunError, RunResult

ENGINE_NAMES = ("auto", "inprocess", "process")


def _inprocess():
    """The in-process engine, or None when the extension is not importable."""
    try:
        from jpcp.engines.inprocess import InProcessEngine
    except ImportError:
        return None
    return InProcessEngine()


def available() -> list[str]:
    """The engines that can run here, the preferred first."""
    return (["inprocess"] if _inprocess() is not None else []) + ["process"]


def get(name: str = "auto"):
    """The engine of that name ("auto", "inprocess" or "process")."""
    if name not in ENGINE_NAMES:
        raise ValueError(f"unknown engine {name!r} (one of {', '.join(ENGINE_NAMES)})")
    if name in ("auto", "inprocess"):
        engine = _inprocess()
        if engine is not None:
            return engine
        if name == "inprocess":
            raise RunError("the in-process engine is not available: build the jpcp.engine extension (build/python)")
    from jpcp.engines.process import ProcessEngine

    return ProcessEngine()


def run_cracking(source, models, results=None, summary=None, detail=False, engine: str = "auto") -> RunResult:
    """Runs jpcp_cracking on a source folder with an NN model folder.
    ``results=None`` leaves nothing on disk; ``summary`` names the
    calibration summary file; ``detail`` also writes each calibration
    analysis's section files."""
    return get(engine).run_cracking(source, models, results=results, summary=summary, detail=detail)


def run_faulting(source, models, results=None, engine: str = "auto") -> RunResult:
    """Runs jpcp_faulting on a section folder with a model folder.
    ``results=None`` leaves the source folder as it was; otherwise the files
    the run writes go to ``results`` (the source folder itself, as the
    program does, or another folder)."""
    return get(engine).run_faulting(source, models, results=results)


__all__ = ["RunError", "RunResult", "available", "get", "run_cracking", "run_faulting"]
