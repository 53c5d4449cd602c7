"""What the parts of scripts/bench share: where the builds are, the rows of
its table and their texts, and a timed run of a program."""

import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent
RELEASE = ROOT / "build" / "release"
WINDOWS64 = ROOT / "build" / "mingw-x86_64"
PACKAGES = ROOT / "build" / "package"


def project_version():
    for line in (RELEASE / "CMakeCache.txt").read_text().splitlines():
        if line.startswith("CMAKE_PROJECT_VERSION:"):
            return line.split("=", 1)[1]
    raise BenchmarkError("no project version in the release build")


def log(text):
    print(text, file=sys.stderr, flush=True)


class Row:
    """One line of the table: figure, ours, reference, ratio, goal, met?"""

    def __init__(self, figure, ours="—", reference="—", ratio="—", goal="—", met="—"):
        self.cells = [figure, ours, reference, ratio, goal, met]


def skipped(figure, goal, reason):
    return Row(figure, "skipped: " + reason, "—", "—", goal, "—")


def failed(figure, goal, reason):
    return Row(figure, "error: " + reason, "—", "—", goal, "no")


def duration(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def verdict(met):
    return "yes" if met else "no"



class BenchmarkError(Exception):
    pass


def timed_run(command, env, cwd, answers, timeout):
    """Wall time (s) and exit status of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    timer = threading.Timer(timeout, child.kill)
    timer.start()
    try:
        child.stdin.write(answers)
        child.stdin.close()
    except BrokenPipeError:
        pass
    child.wait()
    wall = time.perf_counter() - start
    timer.cancel()
    return wall, child.returncode
