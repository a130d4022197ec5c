"""The package's layering: every module imports on its own in a fresh
interpreter, and no two modules import each other, even through imports
inside functions."""

from __future__ import annotations

import ast
import concurrent.futures
import subprocess
import sys
from pathlib import Path

PACKAGE = Path(__file__).resolve().parents[1] / "jpcp"


def _modules() -> dict[str, Path]:
    found = {}
    for path in sorted(PACKAGE.rglob("*.py")):
        parts = path.relative_to(PACKAGE.parent).with_suffix("").parts
        name = ".".join(parts[:-1] if parts[-1] == "__init__" else parts)
        found[name] = path
    return found


def _imports(name: str, path: Path, modules: dict[str, Path]) -> set[str]:
    """The package's modules that a module imports anywhere in its text."""
    package = name if path.name == "__init__.py" else name.rpartition(".")[0]
    found = set()
    for node in ast.walk(ast.parse(path.read_text(encoding="utf-8"))):
        if isinstance(node, ast.Import):
            found.update(alias.name for alias in node.names)
        elif isinstance(node, ast.ImportFrom):
            base = node.module or ""
            if node.level:
                base = ".".join(package.split(".")[: len(package.split(".")) - node.level + 1] + ([base] if base else []))
            found.add(base)
            found.update(f"{base}.{alias.name}" for alias in node.names)
    return {m for m in found if m in modules and m != name and not name.startswith(m + ".")}


def test_no_module_imports_one_that_imports_it_back():
    modules = _modules()
    graph = {name: _imports(name, path, modules) for name, path in modules.items()}
    state: dict[str, int] = {}
    cycles = []

    def visit(name: str, trail: list[str]) -> None:
        state[name] = 1
        for other in sorted(graph[name]):
            if state.get(other) == 1:
                cycles.append(" -> ".join(trail[trail.index(other):] + [other]))
            elif other not in state:
                visit(other, trail + [other])
        state[name] = 2

    for name in sorted(graph):
        if name not in state:
            visit(name, [name])
    assert not cycles, "import cycles:\n" + "\n".join(cycles)


def _import_alone(name: str) -> tuple[str, str]:
    code = (
        "import importlib, sys\n"
        "try:\n"
        f"    importlib.import_module({name!r})\n"
        "except ModuleNotFoundError as error:\n"
        # An optional dependency or the engines' extension not built here.
        "    if (error.name or '').split('.')[0] == 'jpcp' and error.name != 'jpcp.engine':\n"
        "        raise\n"
    )
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, cwd=PACKAGE.parent)
    return name, done.stderr if done.returncode else ""


def test_every_module_imports_alone_in_a_fresh_interpreter():
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        failures = {name: error for name, error in pool.map(_import_alone, _modules()) if error}
    assert not failures, "\n".join(f"{name}:\n{error}" for name, error in failures.items())


def test_declared_version_is_the_projects_and_tqdm_is_optional():
    import re
    import tomllib

    declared = tomllib.loads((PACKAGE.parent / "pyproject.toml").read_text())["project"]["version"]
    cmake = (PACKAGE.parents[1] / "CMakeLists.txt").read_text()
    assert declared == re.search(r"project\(jpcp VERSION ([0-9.]+)", cmake).group(1)
    # A machine with only the example's packages has no tqdm: the batch
    # progress falls back to a plain count.
    code = (
        "import sys; sys.modules['tqdm'] = None\n"
        "from jpcp.batch.run import Progress\n"
        "p = Progress(2, True); p.finished('ok'); p.finished('failed'); p.close()\n"
    )
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, cwd=PACKAGE.parent)
    assert done.returncode == 0, done.stderr
    assert "cases: 2/2, 1 failed" in done.stderr
