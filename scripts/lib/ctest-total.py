#!/usr/bin/env python3
"""Reads the JUnit file of a ctest run (--output-junit) and prints why each
skipped test was skipped, then one line "total: N passed, N failed".

A test counts as skipped only when ctest skipped it for its SKIP_RETURN_CODE
or SKIP_REGULAR_EXPRESSION; a test that did not run for another reason (its
program missing, a fixture or dependency failed) counts as failed. The reason
shown is the test's last line "SKIPPED: ..." (else its last line of output).
Exit status: 0 when no test failed and at least one ran, else 1.
  ctest-total.py JUNIT.xml
"""
import re
import sys
import xml.etree.ElementTree as ET


def skip_reason(output):
    lines = [line.strip("# \t") for line in (output or "").splitlines() if line.strip("# \t")]
    marked = [line for line in lines if re.search(r"\bSKIPPED: ", line)]
    if marked:
        return marked[-1].split("SKIPPED: ", 1)[1]
    return lines[-1] if lines else "no reason given"


def main(path):
    try:
        cases = ET.parse(path).getroot().iter("testcase")
    except (OSError, ET.ParseError) as error:
        print(f"ctest-total: cannot read {path}: {error}")
        print("total: 0 passed, 1 failed")
        return 1
    passed = failed = 0
    for case in cases:
        skipped = case.find("skipped")
        if case.get("status") == "run" and case.find("failure") is None:
            passed += 1
        elif skipped is not None and skipped.get("message", "").startswith("SKIP_"):
            print(f"skipped: {case.get('name')} -- {skip_reason(case.findtext('system-out'))}")
        else:
            failed += 1
    print(f"total: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
