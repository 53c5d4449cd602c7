#!/usr/bin/env python3
"""The shipped Windows program on a real Win32: Wine on a private X server.

vexaEnvChecker.exe, as the .zip of scripts/package ships it (--package) or as
built (--program), runs as a user runs it, with code page 932 (a Japanese
locale; one case with code page 1252, an English one), Wine's own dxdiag, Wine's Direct3D 8 (OpenGL through Mesa on Xvfb)
and Wine's shell. Every message box is found by its window title with xdotool,
read with the box reader (caption, buttons, text; an X window does not show a
box's text), compared with what the user must see and answered with a key
press: Return answers Yes or OK, n answers No. The support mail goes through
Wine's mailto association and winebrowser to a stub mail program that records
the link it is handed.

The cases of a run share one Wine prefix, made on the first run and kept
(Wine's first start in a new prefix takes a while) for the Wine architectures
installed; runs on one prefix take turns through a lock file. The screenshots of the start question and of an
error box, and Wine's report, are kept in the output folder.

Exit status: 0 passed, 1 failed (each message names the case, the step and
the box), 77 skipped (the machine lacks something the run needs, or the
package is not made; with CI=true a missing package fails).
"""

import argparse
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import zipfile

NOTICE = "vexaEnvChecker のお知らせ"
ERROR = "vexaEnvChecker のエラー"


class Box:
    """A box as the user must see it: title, buttons, text (CR LF line ends)."""

    def __init__(self, name, title, buttons, text):
        self.name, self.title, self.buttons, self.text = name, title, buttons, text


START = Box("start question", NOTICE, "Yes No",
            "デスクトップに環境情報ファイル envInfo.txt を出力しようとしています。\r\n"
            "この操作はサポートに必要な情報を調査、出力するものです。\r\n"
            "続けてよろしいですか？\r\n"
            "(注意：この操作には時間が掛かる事があります。)")
OVERWRITE = Box("overwrite question", NOTICE, "Yes No",
                "既にデスクトップに envInfo.txt が存在します。\r\n"
                "このまま作業を続けるとファイルは上書きされます。\r\n"
                "\r\n"
                "続けてよろしいですか？")
CANCELLED = Box("cancelled notice", NOTICE, "OK", "作業を中断しました。")
COMPLETION = Box("completion question", NOTICE, "Yes No",
                 "デスクトップへ envInfo.txt の出力が完了しました。\r\n"
                 "続けてQoruサポートへメールを送信する準備を行いますか？")
MAILER_FAILURE = Box("mailer failure", ERROR, "OK",
                     "標準のメーラーの起動に失敗しました。\r\n"
                     "申し訳ございませんが、手動でメールの送信手順を行ってください。")
DXDIAG_FAILURE = Box("error report", ERROR, "OK",
                     "作業中にエラーが発生しました。\r\nエラー内容：dxdiagのログ出力に失敗しました。")

MAIL_BODY = ("注：デスクトップに出力された envInfo.txt をこのメールに添付してください。%0d%0a"
             "\u3000\u3000必ずファイルが添付されている事を確認してから送信ボタンを押してください。%0d%0a"
             "%0d%0a"
             "・ゲームのタイトル%0d%0a"
             " (ここにゲームタイトルを記入してください)%0d%0a"
             "%0d%0a"
             "・起こった場面/どのような症状が発生したのか、等の気付いた点が有れば%0d%0a"
             " (ここに症状などを記入してください)%0d%0a")
MAIL_LINK = "mailto:support@qoru.example?subject=[Qoru] サポート From vexaEnvChecker&body=" + MAIL_BODY
# Wine's winebrowser hands the link on in the display form of Wine's URI
# parser, which writes every space as %20; a mail program reads both alike.
# Everything else arrives unchanged, in UTF-8.
MAIL_LINK_FROM_WINE = MAIL_LINK.replace(" ", "%20")

HEADER = b"-" * 20 + b"\r\nDeviceInfo\r\n" + b"-" * 20 + b"\r\n\r\n"
OLD_REPORT = b"old report\r\n"
# Xvfb's screen, which Wine's Direct3D must report as a display mode.
SCREEN = (1024, 768)
# Bounds of every wait, in seconds.
BOX_WAIT = 30
DXDIAG_WAIT = 120  # the tool waits up to a minute for dxdiag, then enumerates
EXIT_WAIT = 30
MAIL_WAIT = 20


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def fail(case, step, what, box=None):
    raise Failure("case %s, step %s: %s%s" % (case, step, what, " (box '%s')" % box if box else ""))


# ---------------------------------------------------------------------------
# The report: CR LF line ends, the header, and the structure of every block of
# the "DeviceInfo" section.

FORMAT_BLOCKS = ["RenderTargetFormats", "TextureFormats", "CubeTextureFormats", "VolumeTextureFormats",
                 "RenderTarget TextureFormats", "RenderTarget CubeTextureFormats",
                 "RenderTarget VolumeTextureFormats"]
# The fields of the capability record in writing order: t device type, d
# decimal, g floating point, v shader version, or the name prefix of the flags
# a flag group may list.
CAPS_FIELDS = [
    ("DeviceType", "t"), ("AdapterOrdinal", "d"), ("Caps", "D3DCAPS_"), ("Caps2", "D3DCAPS2_"),
    ("Caps3", "D3DCAPS3_"), ("PresentationIntervals", "D3DPRESENT_INTERVAL_"),
    ("CursorCaps", "D3DCURSORCAPS_"), ("DevCaps", "D3DDEVCAPS_"), ("PrimitiveMiscCaps", "D3DPMISCCAPS_"),
    ("RasterCaps", "D3DPRASTERCAPS_"), ("ZCmpCaps", "D3DPCMPCAPS_"), ("SrcBlendCaps", "D3DPBLENDCAPS_"),
    ("DestBlendCaps", "D3DPBLENDCAPS_"), ("AlphaCmpCaps", "D3DPCMPCAPS_"), ("ShadeCaps", "D3DPSHADECAPS_"),
    ("TextureCaps", "D3DPTEXTURECAPS_"), ("TextureFilterCaps", "D3DPTFILTERCAPS_"),
    ("CubeTextureFilterCaps", "D3DPTFILTERCAPS_"), ("VolumeTextureFilterCaps", "D3DPTFILTERCAPS_"),
    ("TextureAddressCaps", "D3DPTADDRESSCAPS_"), ("VolumeTextureAddressCaps", "D3DPTADDRESSCAPS_"),
    ("LineCaps", "D3DLINECAPS_"), ("MaxTextureWidth", "d"), ("MaxTextureHeight", "d"),
    ("MaxVolumeExtent", "d"), ("MaxTextureRepeat", "d"), ("MaxTextureAspectRatio", "d"),
    ("MaxAnisotropy", "d"), ("MaxVertexW", "g"), ("GuardBandLeft", "g"), ("GuardBandTop", "g"),
    ("GuardBandRight", "g"), ("GuardBandBottom", "g"), ("ExtentsAdjust", "g"),
    ("StencilCaps", "D3DSTENCILCAPS_"), ("FVFCaps", "D3DFVFCAPS_"), ("TextureOpCaps", "D3DTEXOPCAPS_"),
    ("MaxTextureBlendStages", "d"), ("MaxSimultaneousTextures", "d"),
    ("VertexProcessingCaps", "D3DVTXPCAPS_"), ("MaxActiveLights", "d"), ("MaxUserClipPlanes", "d"),
    ("MaxVertexBlendMatrices", "d"), ("MaxVertexBlendMatrixIndex", "d"), ("MaxPointSize", "g"),
    ("MaxPrimitiveCount", "d"), ("MaxVertexIndex", "d"), ("MaxStreams", "d"), ("MaxStreamStride", "d"),
    ("VertexShaderVersion", "v"), ("MaxVertexShaderConst", "d"), ("PixelShaderVersion", "v"),
    ("MaxPixelShaderValue", "g"),
]
VALUE_PATTERNS = {
    "t": r"D3DDEVTYPE_(HAL|REF|SW)",
    "d": r"\d+",
    "g": r"-?(\d+(\.\d+)?(e[+-]\d+)?|inf|nan)",
    "v": r"\d+\.\d+",
}
IDENTIFIER_LINES = [r"Device: .*", r"Driver: .*", r"Version: \d+\.\d+\.\d+\.\d+", r"VendorId: 0x[0-9A-F]{8}",
                    r"DeviceId: 0x[0-9A-F]{8}", r"SubSysId: 0x[0-9A-F]{8}", r"Revision: \d+",
                    r"DeviceIdentifier: [0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}",
                    r"WHQLLevel: \d+"]


class SectionReader:
    """Walks the lines of the section; every mismatch names the line."""

    def __init__(self, text):
        # The driver's texts are code page 932 bytes; latin-1 keeps them one to one.
        self.lines = text.decode("latin-1").split("\r\n")
        if self.lines[-1] != "":
            raise ValueError("the section does not end with a line end")
        self.lines.pop()
        self.at = 0

    def done(self):
        return self.at >= len(self.lines)

    def peek(self):
        return None if self.done() else self.lines[self.at]

    def take(self, pattern, what):
        line = self.peek()
        match = None if line is None else re.fullmatch(pattern, line)
        if match is None:
            raise ValueError("line %d of the section: expected %s, found %r" % (self.at + 1, what, line))
        self.at += 1
        return match

    def blank(self, what):
        self.take("", "the empty line that closes " + what)


def read_identifier(reader):
    reader.take(re.escape("< Device Info >"), "'< Device Info >'")
    identifier = [reader.take(pattern, "/%s/" % pattern).group(0) for pattern in IDENTIFIER_LINES]
    reader.blank("the identifier block")
    return identifier


def read_entries(reader, key_pattern, item_pattern, block):
    entries = []
    while reader.peek() is not None and reader.peek().startswith("Mode: "):
        key = reader.take("Mode: " + key_pattern, "a 'Mode: ' line of " + block).group(1)
        items = []
        while reader.peek() not in (None, ""):
            items.append(reader.take(" (%s)" % item_pattern, "an item of " + block).group(1))
        reader.blank("an entry of " + block)
        entries.append((key, items))
    return entries


def read_caps(reader, record):
    reader.take(re.escape("< DeviceCaps >"), "'< DeviceCaps >' in " + record)
    caps = {}
    for name, kind in CAPS_FIELDS:
        if kind in VALUE_PATTERNS:
            field = reader.take("%s: (%s)" % (name, VALUE_PATTERNS[kind]), "the field " + name)
            caps[name] = field.group(1)
        else:
            reader.take(re.escape(name + " {"), "the flag group %s" % name)
            flags = []
            while reader.peek() != "}":
                flag = reader.take("\t(%s[A-Z0-9_]+)" % kind, "a %s flag of %s" % (kind, name))
                flags.append(flag.group(1))
            reader.take("}", "the end of %s" % name)
            caps[name] = flags
    reader.blank("the capabilities of " + record)
    return caps


def read_record(reader):
    header = reader.take(r"\*\*\*\*\* (D3DDEVTYPE_\w+) (FullScreen|Window) Mode Info \*\*\*\*\*",
                         "a mode-info header")
    record = "%s %s" % header.groups()
    reader.blank("the header of " + record)
    reader.take(re.escape("< MultiSampleType Info >"), "'< MultiSampleType Info >' in " + record)
    read_entries(reader, r"(D3DFMT_\w+ - D3DFMT_\w+)", r"D3DMULTISAMPLE_\w+", "the multisample types")
    reader.take(re.escape("< DepthStencilFormat Info >"), "'< DepthStencilFormat Info >' in " + record)
    read_entries(reader, r"(D3DFMT_\w+ - D3DFMT_\w+)", r"D3DFMT_\w+", "the depth-stencil formats")
    formats = {}
    for label in FORMAT_BLOCKS:
        reader.take(re.escape("< %s >" % label), "'< %s >' in %s" % (label, record))
        formats[label] = read_entries(reader, r"(D3DFMT_\w+)", r"D3DFMT_\w+", label)
    caps = read_caps(reader, record)
    reader.take(re.escape("< DisplayMode Info >"), "'< DisplayMode Info >' in " + record)
    modes = []
    while reader.peek() not in (None, ""):
        mode = reader.take(r" (\d+) x (\d+) \((D3DFMT_\w+) - (D3DFMT_\w+)\) \((\d+)Hz\)", "a display mode")
        modes.append((int(mode.group(1)), int(mode.group(2)), mode.group(3), mode.group(4)))
    reader.blank("the display modes of " + record)
    return {"name": record, "type": header.group(1), "windowed": header.group(2) == "Window", "caps": caps,
            "formats": formats, "modes": modes}


def check_section(section):
    """Raises ValueError unless the section is a complete device report of a
    working Direct3D: per adapter an identifier block followed by every
    record, HAL and REF, full screen and windowed, with real capabilities and
    the screen's display mode."""
    reader = SectionReader(section)
    series = []
    while not reader.done():
        identifier = read_identifier(reader)
        if identifier[0] == "Device: ":
            raise ValueError("adapter %d has no description" % len(series))
        records = []
        while not reader.done() and reader.peek() != "< Device Info >":
            records.append(read_record(reader))
        series.append(records)
    if not series:
        raise ValueError("the section lists no adapter")
    names = [record["name"] for record in series[0]]
    expected = ["D3DDEVTYPE_HAL FullScreen", "D3DDEVTYPE_HAL Window", "D3DDEVTYPE_REF FullScreen",
                "D3DDEVTYPE_REF Window"] * len(series)
    for adapter, records in enumerate(series):
        if [record["name"] for record in records] != expected:
            raise ValueError("adapter %d is followed by the records %s, not %s" %
                             (adapter, [record["name"] for record in records], expected))
    for index, record in enumerate(series[0]):
        caps = record["caps"]
        where = "record %d (%s)" % (index, record["name"])
        if caps["DeviceType"] != record["type"]:
            raise ValueError("%s: its capabilities are those of %s" % (where, caps["DeviceType"]))
        if int(caps["AdapterOrdinal"]) != index // 4:
            raise ValueError("%s: AdapterOrdinal %s" % (where, caps["AdapterOrdinal"]))
        if int(caps["MaxTextureWidth"]) == 0 or not caps["TextureOpCaps"]:
            raise ValueError("%s: the capability record is empty" % where)
        if not any(mode[:3] == SCREEN + ("D3DFMT_X8R8G8B8",) for mode in record["modes"]):
            raise ValueError("%s: no display mode %d x %d D3DFMT_X8R8G8B8 among %s" %
                             ((where,) + SCREEN + (record["modes"],)))
        if not any(items for _, items in record["formats"]["TextureFormats"]):
            raise ValueError("%s: no texture format" % where)
    return len(series)


def split_report(report):
    """The report's two halves, after checking its line ends and header."""
    bare = re.search(rb"(?<!\r)\n|\r(?!\n)", report)
    if bare is not None:
        raise ValueError("a bare line end at byte %d" % bare.start())
    if report.count(HEADER) != 1:
        raise ValueError("the 58-byte DeviceInfo header appears %d times" % report.count(HEADER))
    at = report.index(HEADER)
    return report[:at], report[at + len(HEADER):]


# ---------------------------------------------------------------------------
# The world the program runs in.

class Run:
    def __init__(self, args):
        self.program, self.reader, self.silent_dxdiag = args.program, args.box_reader, args.silent_dxdiag
        self.package = args.package
        self.out = os.path.abspath(args.out)
        prefix = os.environ.get("VEXA_WINEPREFIX")
        self.state = prefix.rstrip("/") + "-e2e" if prefix else os.path.join(self.out, "wine")
        arch = subprocess.run([os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake", "wine-arch")],
                              capture_output=True, text=True, check=True).stdout.strip()
        self.prefix = os.path.join(self.state, "prefix-" + arch)
        self.home = os.path.join(self.state, "home")
        self.mailer = os.path.join(self.state, "bin", "mail-program")
        self.work = os.path.join(self.state, "work")
        self.xvfb = None
        self.display = None
        self.env = None
        self.lock = None
        self.user = None
        self.section = None  # the section of the run with Wine's dxdiag

    # -- set-up and tear-down ------------------------------------------------

    def check_machine(self):
        for tool, package in (("Xvfb", "xvfb"), ("xdotool", "xdotool"), ("wine", "wine"),
                              ("wineserver", "wine"), ("import", "imagemagick")):
            if shutil.which(tool) is None:
                raise Skip("%s is missing (%s; scripts/setup installs it)" % (tool, package))
        locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
        for locale in ("ja_JP.UTF-8", "en_US.UTF-8"):
            if not any(name.lower().replace("-", "") == locale.lower().replace("-", "") for name in locales):
                raise Skip("the %s locale is missing (scripts/setup generates it)" % locale)
        if self.package is not None and not os.path.isfile(self.package):
            # Locally the package comes from scripts/package; a CI run that
            # lacks it must not pass without testing what users download.
            missing = "%s is missing (scripts/package makes it)" % self.package
            if os.environ.get("CI", "").lower() == "true":
                raise Failure("set-up: " + missing)
            raise Skip(missing)
        for path in (self.program, self.reader, self.silent_dxdiag):
            if path is not None and not os.path.isfile(path):
                raise Skip("%s is not built" % path)

    def unpack_program(self):
        """The program exactly as the package holds it, into the work folder."""
        if self.package is None:
            return
        with zipfile.ZipFile(self.package) as package:
            names = [name for name in package.namelist() if name.endswith("/vexaEnvChecker.exe")]
            if len(names) != 1:
                raise Failure("set-up: %s holds %d programs" % (self.package, len(names)))
            self.program = os.path.join(self.work, "vexaEnvChecker.exe")
            with package.open(names[0]) as packed, open(self.program, "wb") as unpacked:
                shutil.copyfileobj(packed, unpacked)
        print("the program of %s (%d bytes)" % (self.package, os.path.getsize(self.program)))

    def take_turn(self):
        os.makedirs(self.state, exist_ok=True)
        self.lock = open(os.path.join(self.state, "lock"), "w")
        deadline = time.monotonic() + 600
        while True:
            try:
                fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                return
            except BlockingIOError:
                if time.monotonic() > deadline:
                    raise Failure("set-up: another run has held %s for 10 minutes" % self.prefix)
                time.sleep(1)

    def start_display(self):
        read_end, write_end = os.pipe()
        log = os.path.join(self.work, "xvfb.log")
        with open(log, "w") as errors:
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                          "%dx%dx24" % SCREEN, "-nolisten", "tcp"],
                                         pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=errors)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        os.set_blocking(read_end, False)
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.xvfb.poll() is not None:
                raise Failure("set-up: Xvfb did not start (see %s)" % log)
            try:
                number += os.read(read_end, 16)
            except BlockingIOError:
                time.sleep(0.1)
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def make_environment(self):
        env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "WINEARCH", "WINELOADER", "WINESERVER"):
            env.pop(name, None)
        env.update({
            "WINEPREFIX": self.prefix, "WINEDEBUG": "-all", "DISPLAY": self.display,
            "LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8",
            # Nothing of the run reaches the user's own files: a home of its
            # own, no menu entries, no offer to fetch Wine's .NET or browser.
            "HOME": self.home, "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "WINEDLLOVERRIDES": "winemenubuilder.exe,mscoree,mshtml=d",
        })
        self.env = env

    def wine(self, *args, timeout=60, check=True):
        result = subprocess.run(["wine"] + list(args), env=self.env, capture_output=True, timeout=timeout)
        if check and result.returncode != 0:
            raise Failure("set-up: wine %s failed with %d: %s" %
                          (" ".join(args), result.returncode, result.stderr.decode(errors="replace")[-400:]))
        return result

    def prepare_prefix(self):
        os.makedirs(self.home, exist_ok=True)
        os.makedirs(os.path.dirname(self.mailer), exist_ok=True)
        # A server left over from an interrupted run would know another display.
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        if not os.path.isfile(os.path.join(self.prefix, "system.reg")):
            started = time.monotonic()
            self.wine("wineboot", "--init", timeout=600)
            print("made the Wine prefix %s in %.0f s" % (self.prefix, time.monotonic() - started))
        users = os.listdir(os.path.join(self.prefix, "drive_c", "users"))
        users = [name for name in users if name != "Public"]
        if len(users) != 1:
            raise Failure("set-up: the prefix has the users %s, not one" % users)
        self.user = users[0]
        # Wine links the desktop to the home folder; the tool's desktop is a
        # folder of the prefix instead, so that nothing lands elsewhere.
        desktop = self.desktop()
        if os.path.islink(desktop) or not os.path.isdir(desktop):
            if os.path.lexists(desktop):
                os.unlink(desktop)
            os.makedirs(desktop)
        # Records its one argument byte for byte, the record appearing whole;
        # opens nothing.
        with open(self.mailer, "w") as stub:
            stub.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.part\" && mv \"$0.part\" \"$0.link\"\n")
        os.chmod(self.mailer, 0o755)
        settings = os.path.join(self.work, "settings.reg")
        with open(settings, "w") as reg:
            # Decorated=N: Wine draws the title bars itself, as there is no
            # window manager, so the screenshots show the boxes' titles.
            # ShowCrashDialog=0: a crashed program ends at once, its backtrace
            # in its output, instead of waiting behind a dialogue nobody reads.
            reg.write("REGEDIT4\n\n"
                      "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"
                      "\"Decorated\"=\"N\"\n\n"
                      "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"
                      "\"ShowCrashDialog\"=dword:00000000\n\n"
                      "[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]\n"
                      "\"Mailers\"=\"%s\"\n\"Browsers\"=\"%s\"\n" % (self.mailer, self.mailer))
        self.wine("reg", "import", settings)
        # The prefix's own mailto association, kept to be put back after the
        # case that removes it (also after a run that was stopped there).
        association = os.path.join(self.state, "mailto.reg")
        if not os.path.isfile(association):
            self.wine("reg", "export", "HKEY_CLASSES_ROOT\\mailto", association)
        self.restore_mail_association()

    def restore_mail_association(self):
        self.wine("reg", "import", os.path.join(self.state, "mailto.reg"))

    def remove_mail_association(self):
        self.wine("reg", "delete", "HKEY_CLASSES_ROOT\\mailto", "/f")
        if self.wine("reg", "query", "HKEY_CLASSES_ROOT\\mailto", check=False).returncode == 0:
            raise Failure("set-up: the mailto association is still there")

    def desktop(self):
        return os.path.join(self.prefix, "drive_c", "users", self.user, "Desktop")

    def tear_down(self):
        if self.env is not None:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
            except subprocess.TimeoutExpired:
                print("tear-down: wineserver -k did not end within 30 s")  # Xvfb must go all the same
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        if self.lock is not None:
            self.lock.close()

    # -- the screen ------------------------------------------------------------

    def xdotool(self, *args):
        try:
            return subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            return subprocess.CompletedProcess(args, 124, b"", b"timed out")

    def visible_boxes(self):
        # A non-ASCII pattern may not match, so the search takes the ASCII
        # part of both titles and the full title is compared afterwards.
        found = self.xdotool("search", "--onlyvisible", "--name", "^vexaEnvChecker ")
        return found.stdout.decode().split()

    def title(self, window):
        return self.xdotool("getwindowname", window).stdout.decode("utf-8", errors="replace").rstrip("\n")

    def read_box(self):
        """Caption, buttons and text of the one box on screen, or None."""
        try:
            result = subprocess.run(["wine", self.reader], env=self.env, capture_output=True, timeout=30)
        except subprocess.TimeoutExpired:
            return None
        if result.returncode != 0:
            return None
        parts = result.stdout.decode("utf-8", errors="replace").split("\n", 2)
        return parts if len(parts) == 3 else None


class Case:
    """One run of the program in an app folder of its own, with a clean desktop."""

    def __init__(self, run, name, dxdiag=None, report=None, wine_debug="-all", locale=None):
        self.run, self.name = run, name
        self.folder = os.path.join(run.work, name)
        self.app = os.path.join(self.folder, "app")
        os.makedirs(self.app)
        self.program = os.path.join(self.app, "vexaEnvChecker.exe")
        shutil.copyfile(run.program, self.program)
        if dxdiag is not None:
            with open(os.path.join(self.app, "dxdiag.exe"), "wb") as stand_in:
                stand_in.write(dxdiag)
        desktop = run.desktop()
        for entry in os.listdir(desktop):
            path = os.path.join(desktop, entry)
            shutil.rmtree(path) if os.path.isdir(path) and not os.path.islink(path) else os.unlink(path)
        self.report = os.path.join(desktop, "envInfo.txt")
        if report is not None:
            with open(self.report, "wb") as old:
                old.write(report)
        if os.path.exists(run.mailer + ".link"):
            os.unlink(run.mailer + ".link")
        self.log = os.path.join(self.folder, "wine.log")
        self.output = open(self.log, "wb")
        env = dict(run.env, WINEDEBUG=wine_debug)
        if locale is not None:
            env.update(LANG=locale, LC_ALL=locale)
        self.process = subprocess.Popen(["wine", self.program], env=env, cwd=self.folder,
                                        stdin=subprocess.DEVNULL, stdout=self.output,
                                        stderr=subprocess.STDOUT)
        self.started = time.monotonic()

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.output.close()

    def wait(self, step, bound, box=None):
        """Waits for the next box or for the end of the program."""
        deadline = time.monotonic() + bound
        while time.monotonic() < deadline:
            windows = self.run.visible_boxes()
            if len(windows) > 1:
                fail(self.name, step, "%d boxes at once" % len(windows), box)
            if windows:
                return "box", windows[0]
            code = self.process.poll()
            if code is not None:
                return "exit", code
            time.sleep(0.2)
        fail(self.name, step, "neither a box nor the end of the program within %d s" % bound, box)

    def crash(self):
        """Wine's line about an exception the program did not handle, or
        None. A crashed program may still end with exit code 0."""
        self.output.flush()
        with open(self.log, "rb") as output:
            crashes = re.findall(rb"^wine: Unhandled .*$", output.read(), re.MULTILINE)
        return "%s (see %s)" % (crashes[0].decode(errors="replace"), self.log) if crashes else None

    def ended(self, code, when=""):
        crash = self.crash()
        return "the program crashed%s: %s" % (when, crash) if crash else \
            "the program ended with exit code %d%s" % (code, when)

    def expect(self, box, bound=BOX_WAIT):
        """Waits for the box, checks its title, buttons and text, and returns
        its window."""
        step = box.name
        kind, value = self.wait(step, bound, box.title)
        if kind == "exit":
            fail(self.name, step, self.ended(value, " before the box"), box.title)
        title = self.run.title(value)
        shown = self.run.read_box()
        if title != box.title:
            # Which error or notice it is tells what went wrong.
            fail(self.name, step, "the box on screen is titled '%s' and says %r" %
                 (title, shown[2] if shown else "?"), box.title)
        if shown is None:
            fail(self.name, step, "the box reader found no single box", box.title)
        caption, buttons, text = shown
        if caption != box.title:
            fail(self.name, step, "its caption is %r" % caption, box.title)
        if text != box.text:
            fail(self.name, step, "its text is %r, not %r" % (text, box.text), box.title)
        if buttons != box.buttons:
            fail(self.name, step, "its buttons are '%s', not '%s'" % (buttons, box.buttons), box.title)
        return value

    def answer(self, window, box, key):
        step = "%s, %s" % (box.name, key)
        if self.run.xdotool("windowfocus", "--sync", window).returncode != 0 or \
                self.run.xdotool("key", key).returncode != 0:
            fail(self.name, step, "xdotool could not press %s" % key, box.title)
        deadline = time.monotonic() + 10
        while window in self.run.visible_boxes():
            if time.monotonic() > deadline:
                fail(self.name, step, "the box stayed after %s" % key, box.title)
            time.sleep(0.1)

    def ask(self, box, key, bound=BOX_WAIT, screenshot=None):
        window = self.expect(box, bound)
        if screenshot is not None:
            self.screenshot(window, box, screenshot)
        self.answer(window, box, key)

    def expect_end(self, step):
        kind, value = self.wait(step, EXIT_WAIT)
        if kind == "box":
            shown = self.run.read_box()
            text = shown[2] if shown else "?"
            fail(self.name, step, "a further box appeared: %r" % text, self.run.title(value))
        if value != 0 or self.crash():
            fail(self.name, step, self.ended(value))
        print("case %s: %.1f s" % (self.name, time.monotonic() - self.started))

    def screenshot(self, window, box, name):
        """Keeps a picture of the box in the output folder."""
        path = os.path.join(self.run.out, name)
        partial = "%s.%d.png" % (path, os.getpid())  # a run on another prefix may keep its own
        result = subprocess.run(["import", "-window", window, partial], env=self.run.env, capture_output=True,
                                timeout=30)
        if result.returncode != 0:
            fail(self.name, box.name, "no screenshot: %s" % result.stderr.decode(errors="replace"), box.title)
        os.replace(partial, path)
        print("screenshot: " + path)

    def desktop_files(self):
        return sorted(os.listdir(self.run.desktop()))

    def dxdiag_command_line(self):
        """What the stand-in dxdiag noted, or None when it was not started."""
        record = os.path.join(self.app, "dxdiag.exe.ran")
        return open(record, encoding="utf-8").read() if os.path.exists(record) else None

    def check_nothing_logged(self, step):
        log = os.path.join(self.app, "log", "vexaEnvChecker.log")
        if os.path.exists(log):
            entries = open(log, "rb").read().decode("cp932", errors="replace")
            if "CatchHandler" in entries or "Failed" in entries:
                fail(self.name, step, "the internal log holds a failure: %r" % entries[:600])
        elif os.path.exists(os.path.join(self.app, "log")):
            fail(self.name, step, "a log folder without the log")

    def report_bytes(self, step):
        if not os.path.isfile(self.report):
            fail(self.name, step, "no envInfo.txt on the desktop (it holds %s)" % self.desktop_files())
        with open(self.report, "rb") as report:
            return report.read()


# ---------------------------------------------------------------------------
# The cases.

def silent_dxdiag(run):
    with open(run.silent_dxdiag, "rb") as program:
        return program.read()


def wait_for_mail_link(run):
    deadline = time.monotonic() + MAIL_WAIT
    record = run.mailer + ".link"
    while time.monotonic() < deadline:
        if os.path.exists(record):
            with open(record, "rb") as link:
                return link.read()
        time.sleep(0.2)
    return None


def no_at_the_start(run):
    case = Case(run, "no-at-the-start", dxdiag=silent_dxdiag(run))
    try:
        case.ask(START, "n", screenshot="start-question.png")
        case.expect_end("after No")
        if case.desktop_files():
            fail(case.name, "after No", "the desktop holds %s" % case.desktop_files())
        if case.dxdiag_command_line() is not None:
            fail(case.name, "after No", "dxdiag was started: %r" % case.dxdiag_command_line())
        if os.path.exists(os.path.join(case.app, "log")):
            fail(case.name, "after No", "something was logged")
    finally:
        case.close()


def check_direct3d(case, step, trace):
    """From Wine's trace of its d3d8: Direct3D was made for SDK version 220,
    one reference device was created on the default adapter, and both were
    released for good before the completion question."""
    versions = re.findall(r"trace:d3d8:Direct3DCreate8 sdk_version (0x[0-9a-f]+)\.", trace)
    objects = re.findall(r"trace:d3d8:Direct3DCreate8 Created d3d8 object ([0-9A-F]+)\.", trace)
    requests = re.findall(r"trace:d3d8:d3d8_CreateDevice iface ([0-9A-F]+), adapter (\d+), "
                          r"device_type (0x[0-9a-f]+),", trace)
    devices = re.findall(r"trace:d3d8:d3d8_CreateDevice Created device ([0-9A-F]+)\.", trace)
    if versions != ["0xdc"] or len(objects) != 1:
        fail(case.name, step, "Direct3DCreate8 was called with the SDK versions %s" % versions)
    if requests != [(objects[0], "0", "0x2")] or len(devices) != 1:
        fail(case.name, step, "the devices asked for (Direct3D, adapter, type 2 = REF) were %s, %d created" %
             (requests, len(devices)))
    for kind, pointer in (("d3d8_device_Release", devices[0]), ("d3d8_Release", objects[0])):
        if "trace:d3d8:%s %s decreasing refcount to 0." % (kind, pointer) not in trace:
            fail(case.name, step, "%s %s was not released before the completion question" % (kind, pointer))


def yes_yes_with_wines_dxdiag(run):
    case = Case(run, "yes-yes", wine_debug="-all,trace+d3d8")
    try:
        case.ask(START, "Return")
        window = case.expect(COMPLETION, DXDIAG_WAIT)
        with open(case.log, "rb") as log:
            check_direct3d(case, "Direct3D", log.read().decode("utf-8", errors="replace"))
        step = "report"
        report = case.report_bytes(step)
        kept = os.path.join(run.out, "envInfo.txt")
        with open("%s.%d" % (kept, os.getpid()), "wb") as copy:
            copy.write(report)
        os.replace("%s.%d" % (kept, os.getpid()), kept)
        try:
            diagnostic, section = split_report(report)
            if not diagnostic.startswith(b"-" * 18 + b"\r\nSystem Information\r\n" + b"-" * 18 + b"\r\n"):
                raise ValueError("the report does not start with Wine's dxdiag text: %r" % diagnostic[:80])
            if not diagnostic.endswith(b"\r\n"):
                raise ValueError("dxdiag's text does not end with a line end")
            adapters = check_section(section)
        except ValueError as problem:
            fail(case.name, step, str(problem))
        print("report: %d bytes, %d of them Wine's dxdiag, %d adapter(s)" %
              (len(report), len(diagnostic), adapters))
        run.section = section
        # The reference device came up: an error box would stand here instead
        # of the completion question, and the log would hold the failure.
        case.check_nothing_logged(step)
        case.answer(window, COMPLETION, "Return")
        case.expect_end("after Yes to the mail")
        link = wait_for_mail_link(run)
        if link is None:
            fail(case.name, "mail", "the mail program was not started within %d s" % MAIL_WAIT)
        if link != MAIL_LINK_FROM_WINE.encode("utf-8"):
            fail(case.name, "mail", "the mail program got %r, not %r" % (link.decode("utf-8", "replace"),
                                                                       MAIL_LINK_FROM_WINE))
    finally:
        case.close()


def mail_without_association(run):
    # The stand-in writes no report: the section alone makes up the file.
    case = None
    try:
        run.remove_mail_association()
        case = Case(run, "mail-without-association", dxdiag=silent_dxdiag(run))
        case.ask(START, "Return")
        case.ask(COMPLETION, "Return")
        case.ask(MAILER_FAILURE, "Return")
        case.expect_end("after the mailer failure")
        if os.path.exists(run.mailer + ".link"):
            fail(case.name, "mail", "the mail program was started without an association")
        expected = "dxdiag /t C:\\users\\%s\\Desktop\\envInfo.txt" % run.user
        if case.dxdiag_command_line() != expected:
            fail(case.name, "dxdiag", "its command line was %r, not %r" %
                 (case.dxdiag_command_line(), expected))
        report = case.report_bytes("report")
        if not report.startswith(HEADER):
            fail(case.name, "report", "it does not start with the header: %r" % report[:80])
        if run.section is not None and report[len(HEADER):] != run.section:
            fail(case.name, "report", "its section differs from the one of case yes-yes")
    finally:
        if case is not None:
            case.close()
        run.restore_mail_association()


def no_at_the_overwrite_question(run):
    case = Case(run, "no-at-the-overwrite-question", dxdiag=silent_dxdiag(run),
                report=OLD_REPORT)
    try:
        case.ask(START, "Return")
        case.ask(OVERWRITE, "n")
        case.ask(CANCELLED, "Return")
        case.expect_end("after the cancelled notice")
        if case.report_bytes("old report") != OLD_REPORT:
            fail(case.name, "old report", "it was changed")
        if case.dxdiag_command_line() is not None:
            fail(case.name, "dxdiag", "it was started")
    finally:
        case.close()


def dxdiag_cannot_start(run):
    # A dxdiag.exe beside the tool, found before the system's, that is no
    # program: CreateProcessA fails. The old report, given up at the overwrite
    # question, must be gone with it.
    case = Case(run, "dxdiag-cannot-start", dxdiag=b"not a program\r\n", report=OLD_REPORT)
    try:
        case.ask(START, "Return")
        case.ask(OVERWRITE, "Return")
        case.ask(DXDIAG_FAILURE, "Return", screenshot="error-box.png")
        case.expect_end("after the error box")
        if case.desktop_files():
            fail(case.name, "clean-up", "the desktop still holds %s" % case.desktop_files())
    finally:
        case.close()


def english_system(run):
    # An English system (ANSI code page 1252) reads code page 932 as garbage;
    # the boxes and the mail must still carry the Japanese texts.
    case = Case(run, "english-system", dxdiag=silent_dxdiag(run), locale="en_US.UTF-8")
    try:
        case.ask(START, "Return")
        case.ask(COMPLETION, "Return")
        case.expect_end("after Yes to the mail")
        link = wait_for_mail_link(run)
        if link != MAIL_LINK_FROM_WINE.encode("utf-8"):
            fail(case.name, "mail", "the mail program got %r, not %r" %
                 (link.decode("utf-8", "replace") if link else None, MAIL_LINK_FROM_WINE))
        if not case.report_bytes("report").startswith(HEADER):
            fail(case.name, "report", "it does not start with the header")
    finally:
        case.close()


CASES = [no_at_the_start, yes_yes_with_wines_dxdiag, mail_without_association, no_at_the_overwrite_question,
         dxdiag_cannot_start, english_system]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    program = parser.add_mutually_exclusive_group(required=True)
    program.add_argument("--package", help="the .zip of scripts/package, whose program is run")
    program.add_argument("--program", help="a built vexaEnvChecker.exe")
    parser.add_argument("--box-reader", required=True, help="the built vexaMessageBoxReader.exe")
    parser.add_argument("--silent-dxdiag", required=True, help="the built vexaSilentDxdiag.exe")
    parser.add_argument("--out", required=True, help="folder for screenshots, Wine's report and the work")
    parser.add_argument("--case", action="append", choices=[case.__name__ for case in CASES],
                        help="run only this case (may be given more than once)")
    args = parser.parse_args()
    cases = [case for case in CASES if args.case is None or case.__name__ in args.case]
    run = Run(args)
    # A run stopped from outside (a cancelled CI job, kill) still stops its
    # Xvfb and Wine server on the way out.
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
        run.start_display()
        run.make_environment()
        run.prepare_prefix()
        for case in cases:
            try:
                case(run)
                passed += 1
            except Failure as failure:
                failures.append(str(failure))
                print("FAILED: %s" % failure)
            except subprocess.TimeoutExpired as expired:
                # A helper that hangs fails its case; the next case starts afresh.
                failures.append("case %s: %s" % (case.__name__, expired))
                print("FAILED: %s" % failures[-1])
    except Skip as reason:
        print("skipped: %s" % reason)
        return 77
    except Failure as failure:
        failures.append(str(failure))
        print("FAILED: %s" % failure)
    except subprocess.TimeoutExpired as expired:
        failures.append("set-up: %s" % expired)
        print("FAILED: set-up: %s" % expired)
    finally:
        run.tear_down()
    print("%d of %d cases passed in %.0f s; work folder %s" %
          (passed, len(cases), time.monotonic() - started, run.work))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
