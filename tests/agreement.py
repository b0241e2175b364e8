"""What the checks against Python (tests/*_agreement.py) share: one script of plughost, run
natively, under Wine or on Windows, whose printed lines they compare with what Python computes."""
import os
import subprocess


def run_lines(launcher, plughost, work, lines):
    """Runs `lines` as the script agreement.btm of plughost (under `launcher` when it is not
    empty) in the folder `work`. Returns its exit status and the lines it printed, standard
    output and error together, without their CRs."""
    with open(os.path.join(work, "agreement.btm"), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    # Into a file, never a pipe: a Wine server keeps open what it inherits.
    command = ([launcher] if launcher else []) + [plughost, "agreement.btm"]
    with open(os.path.join(work, "agreement.log"), "wb") as log:
        run = subprocess.run(command, cwd=work, stdin=subprocess.DEVNULL, stdout=log,
                             stderr=subprocess.STDOUT, env=dict(os.environ, noloadmsg="1"),
                             check=False)
    with open(os.path.join(work, "agreement.log"), "rb") as log:
        printed = log.read().decode("utf-8", "replace").replace("\r", "").splitlines()
    return run.returncode, printed
