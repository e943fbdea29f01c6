#!/usr/bin/env python3
"""Runs every end-to-end scenario (tests/e2e/test_*.py) under Wine.

    run_e2e.py [--installer PATH] [--artifacts DIR] [-k PATTERN]...

Prints one line per scenario and, last, "e2e: N passed, N failed" (with
", N skipped" when scenarios were skipped). Exits non-zero when any scenario
failed or was skipped (no scenario skips for a missing artefact: it fails),
or when the environment could not be set up.
"""

import argparse
import fnmatch
import pathlib
import sys
import time
import traceback
import unittest

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import harness  # noqa: E402


class LineResult(unittest.TestResult):
    """One line per scenario; a scenario with a failed sub-case fails."""

    def __init__(self, stream):
        super().__init__()
        self.stream = stream
        self.passed = self.failed = self.skipped = 0
        self.reports = []
        self._start = 0.0
        self._bad = []

    def startTest(self, test):
        super().startTest(test)
        self._start = time.monotonic()
        self._bad = []
        self._skip = None

    def _note(self, test, err, kind):
        self._bad.append((kind, self._exc_info_to_string(err, test)))

    def addError(self, test, err):
        super().addError(test, err)
        self._note(test, err, "ERROR")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._note(test, err, "FAIL")

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            kind = "FAIL" if issubclass(err[0], test.failureException) else "ERROR"
            self._bad.append((kind, f"{subtest.id()}\n" + self._exc_info_to_string(err, test)))

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self._skip = reason

    def stopTest(self, test):
        super().stopTest(test)
        took = time.monotonic() - self._start
        name = test.id().split(".", 1)[-1] if "." in test.id() else test.id()
        if self._bad:
            self.failed += 1
            status = self._bad[0][0]
            self.reports.append((name, self._bad))
        elif self._skip is not None:
            self.skipped += 1
            status = "SKIP"
            name += f"  ({self._skip})"
        else:
            self.passed += 1
            status = "PASS"
        self.stream.write(f"{status:5} {name}  [{took:.1f} s]\n")
        self.stream.flush()


def collect(patterns):
    loader = unittest.TestLoader()
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    tests = []

    def walk(s):
        for t in s:
            if isinstance(t, unittest.TestSuite):
                walk(t)
            else:
                tests.append(t)

    walk(suite)
    if patterns:
        def wanted(t):
            return any(p.lower() in t.id().lower() or fnmatch.fnmatch(t.id(), p)
                       for p in patterns)
        tests = [t for t in tests if wanted(t)]
    return tests


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--installer", help="installer to test (default %(default)s)",
                        default=str(harness.DEFAULT_INSTALLER))
    parser.add_argument("--artifacts", help="folder for screenshots and logs",
                        default=str(harness.DEFAULT_ARTIFACTS))
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="run only scenarios whose id contains PATTERN (repeatable)")
    args = parser.parse_args(argv)

    tests = collect(args.patterns)
    in_wine = sum(isinstance(t, harness.E2ECase) for t in tests)
    harness.configure(args.installer, args.artifacts, scenarios=in_wine)
    out = sys.stdout
    if not tests:
        out.write("no scenario matched\n")
    result = LineResult(out)
    started = time.monotonic()
    try:
        for test in tests:
            test(result)
            # Import errors of a scenario file show up as a failed test here.
    except harness.HarnessError:
        out.write("environment failed:\n" + traceback.format_exc())
        result.failed += 1
    finally:
        harness.close_session()

    for name, problems in result.reports:
        out.write(f"\n==== {name}\n")
        for kind, text in problems:
            out.write(f"{kind}: {text}\n")
    out.write(f"artifacts: {args.artifacts}  ({time.monotonic() - started:.0f} s)\n")
    summary = f"e2e: {result.passed} passed, {result.failed} failed"
    if result.skipped:
        summary += f", {result.skipped} skipped"
    out.write(summary + "\n")
    return 1 if result.failed or result.skipped or not tests else 0


if __name__ == "__main__":
    sys.exit(main())
