"""Command line: ``python3 -m jpcp COMMAND ...`` (or the ``jpcp`` launcher)."""

import importlib
import os
import sys

# Command -> module with a main(arguments) -> exit status. Imported only
# when used, so a command's dependencies do not slow the others.
COMMANDS = {
    "summary": ("jpcp.summaries", "one CSV row per section found in folders"),
    "report": ("jpcp.report", "an HTML page with the figures of the sections found in folders"),
    "batch": ("jpcp.batch", "runs studies of many sections"),
    "calibrate": ("jpcp.calibrate", "fits the transfer-function coefficients to observed distress"),
    "design": ("jpcp.design", "the thinnest slab that meets cracking and faulting limits at a reliability"),
}


def main(arguments: list[str]) -> int:
    if not arguments or arguments[0] in ("-h", "--help", "help"):
        print("usage: jpcp COMMAND [options]  (jpcp COMMAND --help for details)\n")
        for name, (_, text) in COMMANDS.items():
            print(f"  {name:10} {text}")
        return 0 if arguments else 2
    if arguments[0] not in COMMANDS:
        print(f"jpcp: unknown command {arguments[0]!r} (commands: {', '.join(COMMANDS)})", file=sys.stderr)
        return 2
    module = importlib.import_module(COMMANDS[arguments[0]][0])
    return module.main(arguments[1:])


def finish(status: int) -> None:
    """Ends the process once every file is written and closed, without the
    interpreter's teardown: with pandas and matplotlib loaded that takes a
    tenth of a second or more, and the end of a batch run would wait for it.
    Standard output and error are flushed first; a failed flush gives exit
    status 120, as the interpreter's own exit would."""
    for stream in (sys.stdout, sys.stderr):
        try:
            stream.flush()
        except (OSError, ValueError):
            status = status or 120
    os._exit(status)


def run() -> None:
    """The ``jpcp`` command."""
    finish(main(sys.argv[1:]))


if __name__ == "__main__":
    run()
