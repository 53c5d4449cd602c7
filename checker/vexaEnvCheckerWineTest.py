#!/usr/bin/env python3
"""The shipped Windows program on a real Win32: Wine on a private X server.

vexaEnvChecker.exe, as the .zip of scripts/package ships it (--package) or as
built (--program), runs as a user runs it, with code page 932 (a Japanese
locale; one case with code page 1252, an English one), Wine's own dxdiag,
Wine's Direct3D 8 (OpenGL through Mesa on Xvfb) and Wine's shell. Every message box is found by its window title with xdotool,
read with the box reader (caption, buttons, text; an X window does not show a
box's text), compared with what the user must see and answered with a key
press: Return answers Yes or OK, n answers No. The support mail goes through
Wine's mailto association and winebrowser to a stub mail program that records
the link it is handed.

The cases of a run share one Wine prefix, made on the first run and kept
(Wine's first start in a new prefix takes a while) for the Wine architectures
installed; runs on one prefix take turns through a lock file. The screenshots
of the start question and of an error box, and Wine's report, are kept in the
output folder. The report is
read by vexaEnvReader.exe of the same build (--env-reader), under Wine.

The test runs on a private X server of cmake/with-xvfb; started without one,
it starts itself again under it. Its parts: winetest/session.py (the X and
Wine session), winetest/cases.py (the cases), winetest/report.py (the report
checks).

Exit status: 0 passed, 1 failed (each message names the case, the step and
the box), 77 skipped (the machine lacks something the run needs, or the
package is not made, or this machine runs no 32-bit programs; with CI=true a
missing package fails).
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

# Nothing of the test is left in the source tree.
sys.dont_write_bytecode = True

from winetest import cases, session  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    program = parser.add_mutually_exclusive_group(required=True)
    program.add_argument("--package", help="the .zip of scripts/package, whose program is run")
    program.add_argument("--program", help="a built vexaEnvChecker.exe")
    parser.add_argument("--built", help="with --package: the build's vexaEnvChecker.exe, which the package must not be older than")
    parser.add_argument("--box-reader", required=True, help="the built vexaMessageBoxReader.exe")
    parser.add_argument("--silent-dxdiag", required=True, help="the built vexaSilentDxdiag.exe")
    parser.add_argument("--env-reader", required=True, help="the built vexaEnvReader.exe, which checks the report")
    parser.add_argument("--out", required=True, help="folder for screenshots, Wine's report and the work")
    parser.add_argument("--case", action="append", choices=[case.__name__ for case in cases.CASES],
                        help="run only this case (may be given more than once)")
    parser.add_argument("--every-case-without-win32", action="store_true",
                        help="run every case all the same where 32-bit programs cannot run, since the shipped "
                             "32-bit program's own run is skipped there")
    args = parser.parse_args()
    private = os.environ.get("VEXA_PRIVATE_DISPLAY")
    if not private or private != os.environ.get("DISPLAY"):
        helper = os.path.join(session.CMAKE, "with-xvfb")
        os.execv(helper, [helper, sys.executable, os.path.abspath(__file__)] + sys.argv[1:])
    only = args.case
    if args.every_case_without_win32:
        why = session.cannot_run_win32()
        if why:
            print("%s: every case runs against this program instead of the shipped 32-bit one" % why)
            only = None
    chosen = [case for case in cases.CASES if only is None or case.__name__ in only]
    run = session.Run(args)
    # A run stopped from outside (a cancelled CI job, kill) still stops its
    # Wine server on the way out, and with-xvfb its X server.
    for stop in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(stop, lambda number, frame: sys.exit(128 + number))
    started = time.monotonic()
    failures = []
    passed = 0
    try:
        run.check_machine()
        os.makedirs(run.out, exist_ok=True)
        run.take_turn()
        shutil.rmtree(run.work, ignore_errors=True)
        os.makedirs(run.work)
        run.unpack_program()
        run.describe_program()
        run.make_environment()
        run.prepare_prefix()
        for case in chosen:
            try:
                case(run)
                passed += 1
            except session.Failure as failure:
                failures.append(str(failure))
                print("FAILED: %s" % failure)
            except subprocess.TimeoutExpired as expired:
                # A helper that hangs fails its case; the next case starts afresh.
                failures.append("case %s: %s" % (case.__name__, expired))
                print("FAILED: %s" % failures[-1])
    except session.Skip as reason:
        print("skipped: %s" % reason)
        return 77
    except session.Failure as failure:
        failures.append(str(failure))
        print("FAILED: %s" % failure)
    except subprocess.TimeoutExpired as expired:
        failures.append("set-up: %s" % expired)
        print("FAILED: set-up: %s" % expired)
    finally:
        run.tear_down()
    print("%d of %d cases passed in %.0f s; work folder %s" %
          (passed, len(chosen), time.monotonic() - started, run.work))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
