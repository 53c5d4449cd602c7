"""The counts of scripts/test: each CTest suite's from its JUnit file, and the
closing table of every step with what this machine could not prove.

  tally.py counts JUNIT              passed failed skipped
  tally.py skips JUNIT               one line per skipped test: its name and reason
  tally.py table STEPS UNPROVEN SECONDS
"""

import os
import sys
import xml.etree.ElementTree as ElementTree


def cases(junit):
    return ElementTree.parse(junit).getroot().iter("testcase")


def outcome(case):
    # DISABLED_ tests are the children other tests start, not tests of their own.
    if case.get("status") == "disabled":
        return None
    if case.find("failure") is not None or case.find("error") is not None or case.get("status") == "fail":
        return "failed"
    if case.find("skipped") is not None or case.get("status") == "notrun":
        # CTest writes "not run" also for a test that could not start (its
        # program missing, as after a failed build; a required file missing;
        # a fixture that failed): those are failures. A skip is the test's
        # own word, its skip return code or skip output.
        skipped = case.find("skipped")
        message = skipped.get("message", "") if skipped is not None else ""
        return "skipped" if not message or message.startswith("SKIP_") else "failed"
    return "passed"


def reason(case):
    """The test's own word on why it skipped: its last line that says so."""
    output = (case.findtext("system-out") or "").splitlines()
    # GoogleTest: "file:line: Skipped", the message, "[  SKIPPED ] name".
    for at, line in enumerate(output):
        if line.endswith(": Skipped"):
            message = []
            for text in output[at + 1:]:
                if text.startswith("[  SKIPPED ]"):
                    break
                message.append(text.strip())
            if any(message):
                return " ".join(text for text in message if text)
    lines = [line.strip() for line in output if "skip" in line.lower() and line.strip()]
    if lines:
        return lines[-1]
    skipped = case.find("skipped")
    return skipped.get("message", "no reason given") if skipped is not None else "no reason given"


def counts(junit):
    tally = {"passed": 0, "failed": 0, "skipped": 0}
    for case in cases(junit):
        if outcome(case):
            tally[outcome(case)] += 1
    # A suite that ran no test proves nothing: a build or configure that failed.
    if not any(tally.values()):
        tally["failed"] = 1
    print(tally["passed"], tally["failed"], tally["skipped"])


def skips(junit):
    for case in cases(junit):
        if outcome(case) == "skipped":
            print("%s skipped (%s)" % (case.get("name").split("  # ")[0], reason(case)))


def table(steps, unproven, seconds):
    rows = []
    with open(steps, encoding="utf-8") as lines:
        for line in lines:
            name, passed, failed, skipped, took = line.rstrip("\n").split("\t")
            rows.append((name, int(passed), int(failed), int(skipped), int(took)))
    width = max([len(row[0]) for row in rows] + [len("step")])
    print()
    print("%-*s  %6s  %6s  %7s  %7s" % (width, "step", "passed", "failed", "skipped", "time"))
    for name, passed, failed, skipped, took in rows:
        print("%-*s  %6d  %6d  %7d  %4d:%02d" % (width, name, passed, failed, skipped, took // 60, took % 60))
    minutes = int(seconds)
    print("%-*s  %6s  %6s  %7s  %4d:%02d" % (width, "all", "", "", "", minutes // 60, minutes % 60))
    missing = []
    if os.path.exists(unproven):
        with open(unproven, encoding="utf-8") as lines:
            missing = [line.rstrip("\n") for line in lines if line.strip()]
    if missing:
        print()
        print("Not proven on this machine:")
        for line in missing:
            print("- " + line)
    total = [sum(row[column] for row in rows) for column in (1, 2, 3)]
    print()
    print("%d passed, %d failed, %d skipped" % tuple(total))
    return 1 if total[1] else 0


def main():
    verb = sys.argv[1] if len(sys.argv) > 1 else ""
    if verb == "counts" and len(sys.argv) == 3:
        counts(sys.argv[2])
    elif verb == "skips" and len(sys.argv) == 3:
        skips(sys.argv[2])
    elif verb == "table" and len(sys.argv) == 5:
        return table(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
