"""Calibration of the transfer-function coefficients to observed distress.

    jpcp calibrate STUDY.csv OBSERVATIONS.csv --fit cracking|faulting
                   [--coefficients C4,C5] [--out DIR] [--study-out FILE]

STUDY.csv is a ``jpcp batch`` study (its cases, section folders and model
folders); OBSERVATIONS.csv holds ``case,age_months,percent_cracked,faulting_in``.
The cracking transfer function's C4 and C5 are fitted to the damages of one
run per case; the fatigue C1 and C2 and the faulting C1-C8 by running the
programs with trial values. Modules: ``coefficients`` (names, fields,
bounds), ``observations`` (reading and checking), ``runs`` (runs of the
cases with trial coefficients, cached), ``transfer`` (the cracking transfer
function as the cracking program applies it), ``fit`` (least squares,
confidence intervals, split-sample validation), ``statistics``, ``outputs``
(coefficients.json, patched inputs, study), ``report`` (calibration.html),
``cli``.
"""


def main(arguments: list[str]) -> int:
    from jpcp.calibrate.cli import main as cli_main

    return cli_main(arguments)
