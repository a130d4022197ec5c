"""Studies of many sections: one engine process per case, through GNU
parallel on one or more hosts or as a Slurm job array.

    jpcp batch make-study --cracking BASE --vary thickness=8:12:0.5 -o study.csv
    jpcp batch run study.csv --out runs/a --cracking-models NN [-j N]
    jpcp batch status runs/a
    jpcp batch collect runs/a

Modules: ``study`` (study files, full factorial and Latin hypercube),
``prepare`` (case folders), ``worker`` (runs a case, writes its status
record), ``run`` (case selection, GNU parallel), ``slurm`` (job arrays),
``collect`` and ``report`` (summary.csv, report.html), ``cli``.
"""


def main(arguments: list[str]) -> int:
    from jpcp.batch.cli import main as cli_main

    return cli_main(arguments)
