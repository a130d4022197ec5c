"""``jpcp design SECTION.toml [--out DIR]``: slab thickness design.

For each joint spacing and dowel size the thinnest slab on a thickness grid
whose predicted percent slabs cracked and mean joint faulting at the end of
the design life, raised to a reliability (x + z*s(x)), stay at or below
their limits; the 1993-guide thickness beside it. Writes design.csv,
trials.csv and design.html; prints one line per answer.

    from jpcp.design import main
    main(["section.toml", "--out", "design"])
"""


def main(arguments: list[str]) -> int:
    # The command's modules load pandas and the engines: imported when run.
    from jpcp.design.cli import main as run

    return run(arguments)
