#!/usr/bin/env python3
"""Runs a build tree's host tests under valgrind's memcheck.

Reads the tests from ctest (command, environment), folds the per-case
entries of one test program and one environment into a single valgrind run
with a combined --gtest_filter, and fails on any error or leak.
Usage: memcheck.py BUILD_DIR [LABEL_REGEX]
"""
import json
import os
import subprocess
import sys
from collections import OrderedDict

VALGRIND = ["valgrind", "--tool=memcheck", "--leak-check=full", "--show-leak-kinds=definite,indirect,possible",
            "--errors-for-leak-kinds=definite,indirect,possible", "--error-exitcode=99", "--quiet",
            "--trace-children=no"]


def main():
    build = sys.argv[1]
    labels = sys.argv[2] if len(sys.argv) > 2 else "unit|integration"
    listing = subprocess.run(["ctest", "--test-dir", build, "-L", labels, "--show-only=json-v1"],
                             check=True, capture_output=True, text=True).stdout
    groups = OrderedDict()
    for test in json.loads(listing)["tests"]:
        command = test.get("command") or []
        if not command or not os.path.basename(command[0]).endswith("_tests"):
            continue  # scripts (install, symbol table) run no code of ours in-process
        env = ()
        for prop in test.get("properties", []):
            if prop["name"] == "ENVIRONMENT":
                env = tuple(prop["value"])
        filters = [a.split("=", 1)[1] for a in command[1:] if a.startswith("--gtest_filter=")]
        key = (command[0], env)
        groups.setdefault(key, []).extend(filters or ["*"])
    failed = []
    for (program, env), filters in groups.items():
        environment = dict(os.environ)
        for assignment in env:
            name, _, value = assignment.partition("=")
            environment[name] = value
        environment["OLVBUS_MEMCHECK"] = "1"
        pattern = "*" if "*" in filters else ":".join(filters)
        label = f"{os.path.basename(program)} [{' '.join(env)}]"
        run = subprocess.run(VALGRIND + [program, f"--gtest_filter={pattern}", "--gtest_brief=1"],
                             env=environment, capture_output=True, text=True)
        print(f"{'ok  ' if run.returncode == 0 else 'FAIL'} {label}", flush=True)
        if run.returncode != 0:
            failed.append(label)
            sys.stdout.write(run.stdout[-4000:] + run.stderr[-8000:])
    print(f"memcheck: {len(groups) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
