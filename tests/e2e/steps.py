#!/usr/bin/env python3
"""Runs fmhost over a file of steps and their expected results, and reports
every step whose result differs.

    steps.py STEPS [FMHOST ARGUMENT...]

Each line of STEPS is a step, a tab, and what it must give; lines without a
tab are steps whose result is not checked; blank lines and lines starting
with '#' are skipped. The expected text is compared with the step's text
(a return written as the two characters \\r, a line feed as \\n); "*"
accepts anything that is no error; "ERROR" is the plug-in's failure value;
"error N" a step error with that code; "~ REGEX" a text that the regular
expression matches as a whole. ${VAR} in a step or an expected text is taken from the environment.
Exit status 0 when every checked step gave what it must, 1 otherwise.
"""
import json
import os
import re
import subprocess
import sys
import tempfile


def expand(text):
    return re.sub(r"\$\{(\w+)\}", lambda m: os.environ.get(m.group(1), ""), text)


def main():
    steps_file, fmhost_args = sys.argv[1], sys.argv[2:]
    cases = []
    with open(steps_file, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            only = re.match(r"\[([\w,]+)\] ", line)
            if only:
                if os.environ.get("DB") not in only.group(1).split(","):
                    continue
                line = line[only.end():]
            step, _, expected = line.partition("\t")
            cases.append((expand(step), expand(expected) if "\t" in line else None))
    with tempfile.NamedTemporaryFile("w", suffix=".fmscript", delete=False, encoding="utf-8") as script:
        script.write("".join(step + "\n" for step, _ in cases))
    try:
        run = subprocess.run(fmhost_args + ["--json", script.name], capture_output=True, text=True,
                             encoding="utf-8", stdin=subprocess.DEVNULL)
    finally:
        os.unlink(script.name)
    results = [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]
    results = [r for r in results if "script" not in r]
    failures = []
    if run.returncode != 0:
        failures.append(f"fmhost exited {run.returncode}")
    if len(results) != len(cases):
        failures.append(f"{len(cases)} steps, {len(results)} results")
    for (step, expected), result in zip(cases, results):
        if expected is None:
            continue
        text = result["text"].replace("\r", "\\r").replace("\n", "\\n")
        error = result["error"]
        if expected == "*":
            ok = error == 0 and text != "ERROR"
        elif expected.startswith("error "):
            ok = error == int(expected[6:])
        elif expected.startswith("~ "):
            ok = error == 0 and re.fullmatch(expected[2:], text) is not None
        else:
            ok = error == 0 and text == expected
        if not ok:
            got = f"error {error}: {result.get('message', '')}" if error else text
            failures.append(f"{step}\n    expected: {expected}\n    got:      {got}")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        print(run.stderr[-3000:], file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
