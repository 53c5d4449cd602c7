"""The host figures of scripts/bench: the benchmark programs of the release
build, each pair timed in one program and compared on median CPU time, and
the host tool's whole run with a dxdiag that answers at once."""

import json
import os
import shutil
import statistics
import subprocess
import tempfile
import time
from pathlib import Path

from benchparts.common import RELEASE, ROOT, BenchmarkError, Row, duration, failed, log, skipped, timed_run, verdict


def run_benchmarks(program, args, only=None):
    """Median CPU time (ns) and counters of every benchmark of one program
    (those whose names match the regular expression `only`)."""
    path = RELEASE / "bench" / program
    if not path.exists():
        raise BenchmarkError(f"{program} is not built (cmake --build --preset release)")
    command = [
        str(path),
        "--benchmark_format=json",
        f"--benchmark_repetitions={args.repetitions}",
        "--benchmark_enable_random_interleaving=true",
        f"--benchmark_min_time={args.min_time}",
    ] + ([f"--benchmark_filter={only}"] if only else [])
    log(f"running {program}")
    done = subprocess.run(command, cwd=RELEASE, capture_output=True, text=True)
    try:
        results = json.loads(done.stdout)["benchmarks"]
    except (ValueError, KeyError):
        raise BenchmarkError(f"{program} failed: {done.stderr.strip()[-400:]}")
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    figures, errors, samples = {}, {}, {}
    for result in results:
        name = result.get("run_name", result["name"])
        if result.get("error_occurred"):
            errors[name] = result.get("error_message", "error")
            continue
        if result.get("run_type") == "aggregate":
            continue
        samples.setdefault(name, []).append(result)
    for name, runs in samples.items():
        cpu = [r["cpu_time"] * scale[r.get("time_unit", "ns")] for r in runs]
        counters = {k: v for k, v in runs[0].items() if isinstance(v, (int, float))}
        figures[name] = {"cpu": statistics.median(cpu), "counters": counters}
    return figures, errors


def pair(results, ours, reference):
    figures, errors = results
    for name in (ours, reference):
        if name in errors:
            raise BenchmarkError(f"{name}: {errors[name]}")
        if name not in figures:
            raise BenchmarkError(f"{name} did not run")
    return figures[ours]["cpu"], figures[reference]["cpu"]


def report_figures(args, notes):
    results = run_benchmarks("vexaReportBenchmark", args)
    rows = []
    ours, raw = pair(results, "BM_WriteDeviceInfo", "BM_RawWriteOfDeviceInfo")
    size = results[0]["BM_WriteDeviceInfo"]["counters"].get("bytes", 0)
    rows.append(Row(f"Device report ({size / 1024:.0f} KiB, in memory) vs. one raw write of its bytes",
                    duration(ours), duration(raw), f"{ours / raw:.1f}x"))
    try:
        ours, naive = pair(results, "BM_WriteDeviceInfo", "BM_NaiveWriteDeviceInfo")
        ratio = ours / naive
        rows.append(Row("Device report vs. the same text with plain operator<<", duration(ours), duration(naive),
                        f"{ratio:.2f}x ({1 / ratio:.1f}x faster)", "≤ 0.33x (3x faster)",
                        verdict(ratio <= 1 / 3)))
    except BenchmarkError as error:
        rows.append(failed("Device report vs. the same text with plain operator<<", "≤ 0.33x (3x faster)",
                           str(error)))
    flushed, _ = pair(results, "BM_RawWriteWithReportFlushes", "BM_RawWriteOfDeviceInfo")
    numbers, _ = pair(results, "BM_ReportNumbersAlone", "BM_RawWriteOfDeviceInfo")
    flushes = results[0]["BM_RawWriteWithReportFlushes"]["counters"].get("flushes", 0)
    gap = ours - raw
    notes.append(
        f"Gap of the device report to the raw write, {duration(gap)}: its {flushes:.0f} flushes "
        f"(the same bytes written flush by flush) {duration(flushed - raw)}, formatting its numbers "
        f"{duration(numbers)}, the rest ({duration(max(gap - (flushed - raw) - numbers, 0))}) "
        "copying labels and names piece by piece and walking the tables.")
    to_file, raw_to_file = pair(results, "BM_WriteDeviceInfoToFile", "BM_RawWriteToFile")
    rows.append(Row("Device report into a real report file vs. one raw write into it", duration(to_file),
                    duration(raw_to_file), f"{to_file / raw_to_file:.1f}x"))
    notes.append("Into a real file every flush of the report is a write to the operating system; "
                 "they are what the report format requires (an empty line that flushes ends each block "
                 "and each display-mode line).")
    return rows


def enumeration_figures(args, notes):
    results = run_benchmarks("vexaEnumerationBenchmark", args)
    ours, bare = pair(results, "BM_EnumerateAdapter", "BM_BareRuntimeCalls")
    calls = results[0]["BM_BareRuntimeCalls"]["counters"].get("calls", 0)
    return [Row(f"Enumeration of a 300-mode adapter vs. its {calls:.0f} bare runtime calls", duration(ours),
                duration(bare), f"{ours / bare:.2f}x", "≤ 2x", verdict(ours / bare <= 2))]


def format_figures(args, notes):
    results = run_benchmarks("vexaFormatBenchmark", args)
    figures = results[0]
    rows = []
    for size, label in (("Short", "short"), ("Long", "long")):
        chars = figures[f"BM_FormatText/{size}"]["counters"]["chars"]
        ours, reference = pair(results, f"BM_FormatText/{size}", f"BM_Snprintf/{size}")
        rows.append(Row(f"FormatText, {label} text ({chars:.0f} chars) vs. snprintf into a pre-sized buffer",
                        duration(ours), duration(reference), f"{ours / reference:.2f}x", "≤ 1.5x",
                        verdict(ours / reference <= 1.5)))
    for size, label in (("Short", "short"), ("Long", "long")):
        goal = "≤ 1" if size == "Short" else "—"
        for form, name in (("result string", "BM_FormatText"), ("into the caller's string", "BM_FormatTextInto")):
            allocations = figures[f"{name}/{size}"]["counters"]["allocs_per_call"]
            reference = figures[f"BM_Snprintf/{size}"]["counters"]["allocs_per_call"]
            rows.append(Row(f"FormatText heap allocations per call, {label} text, {form}", f"{allocations:g}",
                            f"{reference:g}", "—", goal, verdict(allocations <= 1) if size == "Short" else "—"))
    truncated, _ = pair(results, "BM_SnprintfTruncated/Long", "BM_Snprintf/Long")
    notes.append("FormatText allocations: the counted pointer over the stack buffer makes one reference "
                 "object per call; the returned string makes one more for any text past its 15-character "
                 "inline buffer. A long text adds the 512-character heap buffer and its reference object, "
                 "and formats twice: the first pass into the stack buffer must run and fail first, and the "
                 f"C library's snprintf into a buffer too small takes {duration(truncated)} alone.")
    return rows


def reader_figures(args, notes):
    results = run_benchmarks("vexaReaderBenchmark", args, "^BM_(WriteDeviceInfo1MB|ReadReport1MB|JsonLines1000)")
    figures = results[0]
    read, write = pair(results, "BM_ReadReport1MB", "BM_WriteDeviceInfo1MB")
    size = figures["BM_ReadReport1MB"]["counters"].get("bytes", 0)
    rows = [Row(f"vexaEnvReader: reading a report of {size / 1e6:.2f} MB vs. WriteDeviceInfo writing its section",
                duration(read), duration(write), f"{read / write:.2f}x", "≤ 3x", verdict(read / write <= 3))]
    lines, _ = pair(results, "BM_JsonLines1000/iterations:1", "BM_JsonLines1000/iterations:1")
    report = figures["BM_JsonLines1000/iterations:1"]["counters"].get("reportBytes", 0)
    rows.append(Row(f"vexaEnvReader: 1,000 reports ({report / 1024:.0f} KiB each) to JSON Lines, in process, vs. 5 s",
                    duration(lines), "5 s", f"{lines / 5e9:.3f}x", "≤ 1x", verdict(lines <= 5e9)))
    small, _ = pair(results, "BM_ManyBlocks/1025", "BM_ManyBlocks/1025")
    large, _ = pair(results, "BM_ManyBlocks/2050", "BM_ManyBlocks/2050")
    size = figures["BM_ManyBlocks/2050"]["counters"].get("reportBytes", 0)
    rows.append(Row(f"vexaEnvReader: a report of about 100,000 blocks ({size / 1e6:.1f} MB) read, summed up and "
                    "to JSON vs. one of half as many",
                    duration(large), duration(small), f"{large / small:.2f}x", "≤ 2.2x", verdict(large / small <= 2.2)))
    program = RELEASE / "reader" / "vexaEnvReader"
    sample = ROOT / "reader" / "testdata" / "host-envInfo.txt"
    if not program.exists():
        rows.append(skipped("vexaEnvReader --json over report files", "≤ 1x", "vexaEnvReader is not built"))
        return rows
    with tempfile.TemporaryDirectory(prefix=f"vexaBench.{os.getpid()}.") as folder:
        files = []
        for n in range(10000):
            path = Path(folder) / f"envInfo{n:05d}.txt"
            os.link(sample, path)
            files.append(str(path))
        for count, goal in ((1000, 5), (10000, 50)):
            figure = f"vexaEnvReader --json over {count:,} report files (wall time) vs. {goal} s"
            walls = []
            for _ in range(3):
                start = time.perf_counter()
                done = subprocess.run([str(program), "--json"] + files[:count], stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL)
                walls.append(time.perf_counter() - start)
                if done.returncode != 0 or done.stdout.count(b"\n") != count:
                    rows.append(failed(figure, "≤ 1x", f"exit status {done.returncode}"))
                    return rows
            wall = statistics.median(walls)
            rows.append(Row(figure, duration(wall * 1e9), f"{goal} s", f"{wall / goal:.3f}x", "≤ 1x",
                            verdict(wall <= goal)))
        # Peak memory must not grow with the number of reports: each is let go
        # once its line is written.
        peaks = {}
        for count in (1000, 10000):
            peak, status = peak_memory([str(program), "--json"] + files[:count], dict(os.environ), folder, b"", 600)
            peaks[count] = peak
        figure = "vexaEnvReader --json peak resident memory, 10,000 reports vs. 1,000"
        if peaks[1000] and peaks[10000]:
            rows.append(Row(figure, f"{peaks[10000] / 1e6:.1f} MB", f"{peaks[1000] / 1e6:.1f} MB",
                            f"{peaks[10000] / peaks[1000]:.2f}x", "≤ 1.5x", verdict(peaks[10000] <= 1.5 * peaks[1000])))
        else:
            rows.append(failed(figure, "≤ 1.5x", "GNU time gave no figure"))
    notes.append("vexaEnvReader: the 1 MB report is 4 adapters with every table full and 1,000 display modes "
                 "a record; the 100,000-block report is 2,050 small adapters of four records; the report files "
                 "are links to the host tool's report (the stand-in's default model), with the PCI name database "
                 "looked up for each.")
    return rows


def fleet_figures(args, notes):
    """vexaEnvReader --fleet over 10,000 report files: wall time and peak
    resident memory of the whole process (GNU time), and in process the time
    a report takes into the fleet beside the time to read it alone."""
    results = run_benchmarks("vexaReaderBenchmark", args, "^BM_(ReadOne|FleetOne)Report$")
    fleet, read = pair(results, "BM_FleetOneReport", "BM_ReadOneReport")
    size = results[0]["BM_ReadOneReport"]["counters"].get("reportBytes", 0)
    rows = [Row(f"vexaEnvReader --fleet: one report ({size / 1024:.0f} KiB) read and taken into the fleet vs. read alone",
                duration(fleet), duration(read), f"{fleet / read:.2f}x", "—", "—")]
    program = RELEASE / "reader" / "vexaEnvReader"
    writer = RELEASE / "bench" / "vexaFleetReports"
    wall_figure = "vexaEnvReader --fleet over 10,000 report files, whole process (wall time) vs. 10 s"
    memory_figure = "vexaEnvReader --fleet over 10,000 report files, peak resident memory vs. 200 MB"
    gnu_time = Path("/usr/bin/time")
    if not program.exists() or not writer.exists() or not gnu_time.exists():
        reason = "GNU time is not installed" if program.exists() and writer.exists() else "not built"
        return rows + [skipped(wall_figure, "≤ 1x", reason), skipped(memory_figure, "≤ 1x", reason)]
    with tempfile.TemporaryDirectory(prefix=f"vexaBench.{os.getpid()}.") as folder:
        subprocess.run([str(writer), folder, "10000"], check=True)
        files = sorted(str(path) for path in Path(folder).glob("envInfo*.txt"))
        walls, peaks = [], []
        for _ in range(3):
            start = time.perf_counter()
            done = subprocess.run([str(gnu_time), "-v", str(program), "--fleet"] + files, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
            walls.append(time.perf_counter() - start)
            if done.returncode != 0 or "from 10000 reports" not in done.stdout:
                return rows + [failed(wall_figure, "≤ 1x", f"exit status {done.returncode}")]
            for line in done.stderr.splitlines():
                if "Maximum resident set size" in line:
                    peaks.append(int(line.split(":")[1]) * 1024)
        # The same reports as the desk's one JSON Lines file of them.
        lines = Path(folder) / "all.jsonl"
        with open(lines, "wb") as out:
            subprocess.run([str(program), "--json"] + files, stdout=out, stderr=subprocess.DEVNULL)
        start = time.perf_counter()
        done = subprocess.run([str(gnu_time), "-v", str(program), "--fleet", str(lines)], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
        lines_wall = time.perf_counter() - start
        lines_size = lines.stat().st_size
    wall, peak = statistics.median(walls), max(peaks)
    rows.append(Row(wall_figure, duration(wall * 1e9), "10 s", f"{wall / 10:.3f}x", "≤ 1x", verdict(wall <= 10)))
    rows.append(Row(memory_figure, f"{peak / 1e6:.1f} MB", "200 MB", f"{peak / 200e6:.3f}x", "≤ 1x",
                    verdict(peak <= 200e6)))
    lines_figure = f"vexaEnvReader --fleet over their JSON Lines file ({lines_size / 1e6:.0f} MB), whole process vs. 10 s"
    if done.returncode != 0 or "from 10000 reports" not in done.stdout:
        rows.append(failed(lines_figure, "≤ 1x", f"exit status {done.returncode}"))
    else:
        rows.append(Row(lines_figure, duration(lines_wall * 1e9), "10 s", f"{lines_wall / 10:.3f}x", "≤ 1x",
                        verdict(lines_wall <= 10)))
    notes.append("vexaEnvReader --fleet: 10,000 reports of 7,001 machines (3 in 10 a second report of a machine), "
                 "half with the stand-in's default model or Wine's runtime as device part, half with one of 100 "
                 "random runtime models, behind diagnostic texts of four Windows layouts (bench/vexaFleetReports).")
    return rows


DXDIAG_STUB = r"""#!/bin/sh
# dxdiag that answers at once: a few report lines to the path after /t.
[ "$1" = /t ] || exit 1
path=$2
case $path in [Zz]:*) path=$(printf '%s' "${path#??}" | tr '\\' /) ;; esac
printf -- '------------------\r\nSystem Information\r\n------------------\r\nbenchmark dxdiag\r\n' >"$path"
"""

XDG_OPEN_STUB = "#!/bin/sh\nexit 0\n"


def write_program(path, text):
    path.write_text(text)
    path.chmod(0o755)

def peak_memory(command, env, cwd, answers, timeout):
    """Peak resident memory (bytes) of one run, as GNU time reports it: a child
    started from this script would count the script's own pages, which it
    holds until it runs the program."""
    with tempfile.NamedTemporaryFile(prefix=f"vexaBench.{os.getpid()}.", suffix=".rss") as out:
        _, status = timed_run(["/usr/bin/time", "-f", "%M", "-o", out.name] + command, env, cwd, answers, timeout)
        text = Path(out.name).read_text().split()
    return (int(text[-1]) * 1024 if text and text[-1].isdigit() else None), status


def native_whole_run(args, notes):
    """The host tool from start to end, with a dxdiag that returns at once."""
    figure = f"Whole native run, median wall time over {args.runs} runs"
    goal = "< 50 ms"
    tool = RELEASE / "checker" / "vexaEnvChecker"
    if not tool.exists():
        return [skipped(figure, goal, "the host tool is not built")]
    with tempfile.TemporaryDirectory(prefix=f"vexaBench.{os.getpid()}.") as folder:
        work = Path(folder)
        program = work / "bin" / "vexaEnvChecker"
        stubs, home, config, sysfs = work / "stubs", work / "home", work / "config", work / "sysfs"
        for path in (program.parent, stubs, home / "Desktop", config, sysfs):
            path.mkdir(parents=True)
        shutil.copy2(tool, program)
        write_program(program.parent / "dxdiag", DXDIAG_STUB)
        write_program(stubs / "xdg-open", XDG_OPEN_STUB)
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        # No graphics cards, so that the figure does not depend on this machine's.
        env.update(HOME=str(home), XDG_CONFIG_HOME=str(config), PATH=f"{stubs}:{env.get('PATH', '')}",
                   SYSFS_PATH=str(sysfs))
        report = home / "Desktop" / "envInfo.txt"
        # Yes to the start question, Yes to the support mail (the stub opener).
        answers = b"y\ny\n"

        def once(measure=timed_run):
            """One run, its measure, and an error text unless it wrote the whole
            report and ended with 0."""
            if report.exists():
                report.unlink()
            value, status = measure([str(program)], env, work, answers, 60)
            text = report.read_bytes() if report.exists() else b""
            if status != 0:
                return value, f"a run ended with exit status {status}"
            if not text.startswith(b"-" * 18 + b"\r\nSystem Information") or b"\r\nDeviceInfo\r\n" not in text:
                return value, "a run left no report with the dxdiag text and the DeviceInfo section"
            return value, None

        log("running the host tool")
        walls = []
        for run in range(args.runs + 1):
            wall, error = once()
            if error:
                return [failed(figure, goal, error)]
            if run > 0:  # the first run only brings the files into the cache
                walls.append(wall * 1e9)
        memory = "Whole native run, peak resident memory"
        if os.access("/usr/bin/time", os.X_OK):
            peaks = []
            for _ in range(3):
                peak, error = once(peak_memory)
                if error or not peak:
                    return [failed(memory, "< 16 MB", error or "GNU time reported no peak")]
                peaks.append(peak)
            memory_row = Row(memory, f"{max(peaks) / 1e6:.1f} MB", "—", "—", "< 16 MB",
                             verdict(max(peaks) < 16e6))
        else:
            memory_row = skipped(memory, "< 16 MB", "no GNU time (/usr/bin/time)")
    median = statistics.median(walls)
    return [
        Row(figure, duration(median), "—", "—", goal, verdict(median < 50e6)),
        Row(f"Whole native run, maximum wall time over {args.runs} runs", duration(max(walls))),
        memory_row,
    ]
