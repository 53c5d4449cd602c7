"""The Wine figures of scripts/bench: the whole run of the shipped 32-bit
program and of the 64-bit build under Wine against Wine's own dxdiag /t,
their boxes answered with xdotool. figures() runs this file again under
cmake/with-xvfb, which gives it a private display; it then prints its rows
and notes as JSON."""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent.parent))

from benchparts.common import (PACKAGES, ROOT, WINDOWS64, Row, duration, failed, log, project_version,  # noqa: E402
                               skipped, timed_run, verdict)

GOAL = "≤ 2x"


def figure(label):
    return f"Whole run under Wine, {label}, vs. Wine's own dxdiag /t alone (warm prefix)"


def wine_environment(prefix, home, display):
    env = dict(os.environ)
    # Wine's menu entries and Mesa's shader cache land in that home too, never
    # in the user's own folders.
    env.update(WINEPREFIX=str(prefix), HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
               XDG_DATA_HOME=str(home / ".local" / "share"), XDG_CACHE_HOME=str(home / ".cache"), DISPLAY=display,
               WINEDEBUG="-all", LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
    env.pop("WAYLAND_DISPLAY", None)
    return env


def wine_desktop(prefix):
    """The host folder behind the Windows desktop folder of the prefix's user."""
    for user in sorted((prefix / "drive_c" / "users").glob("*")):
        if user.name != "Public" and (user / "Desktop").is_dir():
            return (user / "Desktop").resolve()
    return None


def wine_loader(program):
    """The Wine loader that starts the program, or for --tools Wine's own
    (cmake/wine-loader), and why not where this machine cannot run it."""
    chosen = subprocess.run([str(ROOT / "cmake" / "wine-loader"), str(program)], capture_output=True, text=True)
    return (chosen.stdout.strip(), None) if chosen.returncode == 0 else \
        (None, chosen.stdout.strip() or chosen.stderr.strip())


def wine(program, *args):
    """The command that starts the program under Wine, or None."""
    loader, _ = wine_loader(program)
    return [loader, str(program)] + list(args) if loader else None


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def visible_boxes(env):
    """Window id and title of every message box of the tool on the display."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^vexaEnvChecker "], env=env,
                           capture_output=True, text=True).stdout.split()
    boxes = []
    for window in found:
        title = subprocess.run(["xdotool", "getwindowname", window], env=env, capture_output=True,
                               text=True).stdout.strip()
        boxes.append((window, title))
    return boxes


def answered_run(command, env, cwd, answers, timeout):
    """Wall time (s), exit status and the titles of the boxes of one run whose
    message boxes are answered on the display as they appear: the keys of
    `answers` in turn, Return for any error box. A key that a box did not take
    is sent again after half a second."""
    start = time.perf_counter()
    child = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    pending, sent, titles = list(answers), {}, []
    while child.poll() is None:
        if time.perf_counter() - start > timeout:
            child.kill()
            break
        for window, title in visible_boxes(env):
            if window not in sent:
                titles.append(title)
                key = pending.pop(0) if pending and not title.endswith("のエラー") else "Return"
                sent[window] = [key, 0.0]
            key, last = sent[window]
            if time.perf_counter() - last > 0.5:
                try:
                    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", key], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=5)
                except subprocess.TimeoutExpired:
                    pass  # the box went away meanwhile
                sent[window][1] = time.perf_counter()
        time.sleep(0.01)
    status = child.wait()
    return time.perf_counter() - start, status, titles


def wine_programs(folder):
    """The programs the Wine figures time: (label, path, or None and why)."""
    programs = []
    package = PACKAGES / f"vexaEnvChecker-{project_version()}-win32.zip"
    if package.exists():
        # Exactly the program users download, stripped as the package holds it.
        with zipfile.ZipFile(package) as archive:
            names = [name for name in archive.namelist() if name.endswith("/vexaEnvChecker.exe")]
            shipped = Path(folder) / "shipped" / "vexaEnvChecker.exe"
            shipped.parent.mkdir()
            shipped.write_bytes(archive.read(names[0]))
        programs.append(("the shipped 32-bit program", shipped, None))
    else:
        programs.append(("the shipped 32-bit program", None, f"no {package.name} (scripts/package)"))
    tool = WINDOWS64 / "checker" / "vexaEnvChecker.exe"
    programs.append(("the 64-bit build", tool if tool.exists() else None,
                     "no 64-bit Windows build (cmake --preset mingw-x86_64)"))
    return programs


def measure(wine_runs, notes):
    """The rows of the Wine figures, timed on the display of DISPLAY."""
    goal = GOAL
    display = os.environ["DISPLAY"]
    # A prefix and a home of the benchmark's own: the tool writes to the
    # prefix's desktop, which Wine links into HOME. The prefix is kept per the
    # Wine architectures installed, as one made without the 32-bit Wine no
    # longer starts programs once it is there.
    base = os.environ.get("VEXA_WINEPREFIX") or str(Path(tempfile.gettempdir()) / "vexa")
    arch = subprocess.run([str(ROOT / "cmake" / "wine-arch")], capture_output=True, text=True).stdout.strip()
    prefix, home = Path(f"{base}-bench-{arch}"), Path(base + "-bench-home")
    for folder in (prefix, home / "Desktop"):
        folder.mkdir(parents=True, exist_ok=True)
    env = wine_environment(prefix, home, display)
    tools, why = wine_loader("--tools")
    if tools is None:
        return [skipped(figure("the 64-bit build"), goal, why)]
    env["WINELOADER"] = tools
    with tempfile.TemporaryDirectory(prefix=f"vexaBench.{os.getpid()}.") as folder:
        programs = wine_programs(folder)
        # A 32-bit program on a machine that cannot run one is skipped with the reason.
        programs = [(label, None, wine_loader(tool)[1]) if tool is not None and wine(tool) is None
                    else (label, tool, reason) for label, tool, reason in programs]
        rows = [skipped(figure(label), goal, reason) for label, tool, reason in programs if tool is None]
        programs = [(label, tool) for label, tool, _ in programs if tool is not None]
        if not programs:
            return rows
        reference = Path(folder) / "dxdiag.txt"
        log(f"timing Wine's dxdiag /t and the tool in {prefix} on display {display}")
        # The first run may have to create the prefix.
        timed_run([tools, "dxdiag", "/t", windows_path(reference)], env, folder, b"", 600)
        # Without a window manager on the display, Wine waits 2 s for one
        # to withdraw each box it hides; unmanaged windows spare that wait,
        # which no desktop with a window manager has.
        subprocess.run([tools, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N",
                        "/f"], env=env, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        desktop = wine_desktop(prefix)
        if desktop is None or home.resolve() not in desktop.parents:
            return rows + [failed(figure(label), goal, f"the prefix's desktop ({desktop}) is not in {home}")
                           for label, _ in programs]
        report = desktop / "envInfo.txt"
        dxdiag_walls, tool_walls = [], {label: [] for label, _ in programs}
        # Interleaved, so that every side meets the same load; the first
        # round warms up and is not counted.
        for run in range(wine_runs + 1):
            if reference.exists():
                reference.unlink()
            wall, _ = timed_run([tools, "dxdiag", "/t", windows_path(reference)], env, folder, b"", 600)
            if not reference.exists():
                return rows + [failed(figure(label), goal, "Wine's dxdiag /t wrote no report")
                               for label, _ in programs]
            dxdiag_walls.append(wall)
            for label, tool in programs:
                if report.exists():
                    report.unlink()
                # Yes to the start question, No to the support mail.
                wall, status, titles = answered_run(wine(tool), dict(env, WINELOADER=wine(tool)[0]), folder,
                                                          ["Return", "n"], 600)
                text = report.read_bytes() if report.exists() else b""
                if status != 0 or b"\r\nDeviceInfo\r\n" not in text:
                    return rows + [failed(figure(label), goal,
                                          f"a run (exit {status}, boxes {', '.join(titles) or 'none'}) "
                                          "left no report with the DeviceInfo section")]
                tool_walls[label].append(wall)
        if report.exists():
            report.unlink()
    theirs = statistics.median(dxdiag_walls[1:])
    spans = "; ".join(f"{label} {duration(min(walls[1:]) * 1e9)} to {duration(max(walls[1:]) * 1e9)}"
                      for label, walls in tool_walls.items())
    notes.append(f"Under Wine ({wine_runs} runs each, interleaved, on a private Xvfb display): the program "
                 "from the .zip users download, and beside it the 64-bit build; their windows unmanaged, as no "
                 "window manager runs there; their two boxes answered with xdotool as soon as they show (a poll "
                 "every 10 ms), and that wait is part of their time. Wine's dxdiag /t alone took "
                 f"{duration(min(dxdiag_walls[1:]) * 1e9)} to {duration(max(dxdiag_walls[1:]) * 1e9)}; {spans}.")
    for label, walls in tool_walls.items():
        ours = statistics.median(walls[1:])
        rows.append(Row(figure(label), duration(ours * 1e9), duration(theirs * 1e9), f"{ours / theirs:.2f}x", goal,
                        verdict(ours / theirs <= 2)))
    return rows


def figures(args, notes):
    """The Wine figures, measured by this file run again on a private display."""
    first = figure("the shipped 32-bit program")
    if shutil.which("wine") is None:
        return [skipped(first, GOAL, "Wine is not installed")]
    if shutil.which("xdotool") is None:
        return [skipped(first, GOAL, "no xdotool (scripts/setup installs it)")]
    done = subprocess.run([str(ROOT / "cmake" / "with-xvfb"), sys.executable, __file__,
                           "--wine-runs", str(args.wine_runs)], stdout=subprocess.PIPE, text=True)
    if done.returncode == 77:
        return [skipped(first, GOAL, "no Xvfb (scripts/setup installs it)")]
    try:
        measured = json.loads(done.stdout)
    except ValueError:
        return [failed(first, GOAL, f"the Wine figures ended with exit status {done.returncode}")]
    notes.extend(measured["notes"])
    return [Row(*cells) for cells in measured["rows"]]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine-runs", type=int, required=True)
    args = parser.parse_args()
    notes = []
    rows = measure(args.wine_runs, notes)
    print(json.dumps({"rows": [row.cells for row in rows], "notes": notes}))


if __name__ == "__main__":
    main()
