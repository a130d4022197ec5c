"""Attributes of a package imported on their first use (a module
``__getattr__``), so that importing the package loads nothing heavy."""

from __future__ import annotations

import importlib


def lazy_attributes(package: str, namespace: dict, locations: dict[str, tuple[str, str | None]]):
    """The ``__getattr__`` of ``package``: ``locations`` maps a name to
    (module, attribute of it, or None for the module itself); an imported
    value is kept in ``namespace`` (the package's globals)."""

    def __getattr__(name: str):
        if name not in locations:
            raise AttributeError(f"module {package!r} has no attribute {name!r}")
        module, attribute = locations[name]
        value = importlib.import_module(module)
        if attribute is not None:
            value = getattr(value, attribute)
        namespace[name] = value
        return value

    return __getattr__
