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


def judge(name, status, printed, cases, accepts):
    """Holds the printed lines to `cases`, pairs of a script line and Python's answer, one
    printed line each, where `accepts(printed_line, answer)` says whether a line is right.
    Shows the first ten that are not, prints "NAME: N passed, M failed" and returns the exit
    status: 1 when any failed, the script's status was not 0 or the line counts differ."""
    failed = 0
    for i, (line, answer) in enumerate(cases):
        got = printed[i] if i < len(printed) else "(nothing)"
        if not accepts(got, answer):
            failed += 1
            if failed <= 10:
                print(f"FAILED: {line}\n  printed {got}\n  Python  {answer!r}")
    if status != 0 or len(printed) != len(cases):
        print(f"FAILED: status {status}, {len(printed)} lines for {len(cases)}")
        failed = max(failed, 1)
    print(f"{name}: {len(cases) - failed} passed, {failed} failed")
    return 1 if failed else 0
