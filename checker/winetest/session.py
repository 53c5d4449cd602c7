"""The X and Wine session of the Wine end-to-end test: the Wine prefix shared
by the cases of a run, the environment every Wine process gets, the screen
(xdotool, the box reader) and one run of the program (a case's process, its
boxes and its end).

The display is the private one of cmake/with-xvfb, under which the test
runs; the prefix is made on the first run and kept (Wine's first start in a
new prefix takes a while) for the Wine architectures installed; runs on one
prefix take turns through a lock file. Every Wine process starts with the loader
cmake/wine-loader chooses for it: Wine's own tools and 64-bit programs with the
64-bit one, 32-bit programs with the 32-bit one.
"""

import fcntl
import os
import re
import shutil
import subprocess
import time
import zipfile

CMAKE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake")
# Bounds of every wait, in seconds.
BOX_WAIT = 30
EXIT_WAIT = 30


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def fail(case, step, what, box=None):
    raise Failure("case %s, step %s: %s%s" % (case, step, what, " (box '%s')" % box if box else ""))


class Box:
    """A box as the user must see it: title, buttons, text (CR LF line ends)."""

    def __init__(self, name, title, buttons, text):
        self.name, self.title, self.buttons, self.text = name, title, buttons, text


def loader(program):
    """The Wine loader that starts the program (an .exe, or --tools for Wine's
    own); Skip with the reason when this machine cannot run it."""
    result = subprocess.run([os.path.join(CMAKE, "wine-loader"), program], capture_output=True, text=True)
    if result.returncode == 77:
        raise Skip(result.stdout.strip())
    if result.returncode != 0 or not result.stdout.strip():
        raise Failure("set-up: wine-loader %s: %s" % (program, result.stderr.strip()))
    return result.stdout.strip()


def cannot_run_win32():
    """Why this machine runs no 32-bit Windows programs, or None."""
    result = subprocess.run([os.path.join(CMAKE, "wine-loader"), "--win32"], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 77 else None


def wine_command(program, args, env):
    """The command and environment that start a Windows program under Wine."""
    start = loader(program)
    return [start, program] + list(args), dict(env, WINELOADER=start)


def machine(program):
    """"32-bit" or "64-bit": the kind of the Windows program, from its PE header."""
    with open(program, "rb") as image:
        header = image.read(4096)
    at = int.from_bytes(header[0x3c:0x40], "little")
    kinds = {0x14c: "32-bit", 0x8664: "64-bit"}
    return kinds.get(int.from_bytes(header[at + 4:at + 6], "little"), "unknown") \
        if header[at:at + 4] == b"PE\0\0" else "unknown"


def windows_path(path):
    """The path of a host file as a Windows program under Wine names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Run:
    """The prefix, the environment and the screen that the cases share."""

    def __init__(self, args):
        self.program, self.reader, self.silent_dxdiag = args.program, args.box_reader, args.silent_dxdiag
        self.env_reader = args.env_reader
        self.package = args.package
        self.built = getattr(args, "built", None)
        self.out = os.path.abspath(args.out)
        prefix = os.environ.get("VEXA_WINEPREFIX")
        self.state = prefix.rstrip("/") + "-e2e" if prefix else os.path.join(self.out, "wine")
        arch = subprocess.run([os.path.join(CMAKE, "wine-arch")],
                              capture_output=True, text=True, check=True).stdout.strip()
        self.prefix = os.path.join(self.state, "prefix-" + arch)
        self.home = os.path.join(self.state, "home")
        self.mailer = os.path.join(self.state, "bin", "mail-program")
        self.work = os.path.join(self.state, "work")
        self.env = None
        self.lock = None
        self.user = None
        self.section = None  # the section of the run with Wine's dxdiag
        self.proves = None

    # -- set-up and tear-down ------------------------------------------------

    def check_machine(self):
        for tool, package in (("xdotool", "xdotool"), ("wine", "wine"),
                              ("wineserver", "wine"), ("import", "imagemagick")):
            if shutil.which(tool) is None:
                raise Skip("%s is missing (%s; scripts/setup installs it)" % (tool, package))
        locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
        for locale in ("ja_JP.UTF-8", "en_US.UTF-8"):
            if not any(name.lower().replace("-", "") == locale.lower().replace("-", "") for name in locales):
                raise Skip("the %s locale is missing (scripts/setup generates it)" % locale)
        # The helpers are built for the program's machine: where they cannot
        # start, neither can it.
        if os.path.isfile(self.reader):
            loader(self.reader)
        if self.package is not None and not os.path.isfile(self.package):
            # Locally the package comes from scripts/package; a CI run that
            # lacks it must not pass without testing what users download.
            missing = "%s is missing (scripts/package makes it)" % self.package
            if os.environ.get("CI", "").lower() == "true":
                raise Failure("set-up: " + missing)
            raise Skip(missing)
        for path in (self.program, self.reader, self.silent_dxdiag, self.env_reader):
            if path is not None and not os.path.isfile(path):
                raise Skip("%s is not built" % path)

    def unpack_program(self):
        """The program exactly as the package holds it, into the work folder."""
        if self.package is None:
            return
        # A package made before the last build would prove an old program.
        if self.built and os.path.exists(self.package) and \
                os.path.getmtime(self.package) < os.path.getmtime(self.built):
            raise Failure("set-up: %s is older than %s: run scripts/package" % (self.package, self.built))
        with zipfile.ZipFile(self.package) as package:
            names = [name for name in package.namelist() if name.endswith("/vexaEnvChecker.exe")]
            if len(names) != 1:
                raise Failure("set-up: %s holds %d programs" % (self.package, len(names)))
            self.program = os.path.join(self.work, "vexaEnvChecker.exe")
            with package.open(names[0]) as packed, open(self.program, "wb") as unpacked:
                shutil.copyfileobj(packed, unpacked)
            self.proves = "the shipped %s program of %s" % (machine(self.program), os.path.basename(self.package))
        print("the program of %s (%d bytes)" % (self.package, os.path.getsize(self.program)))

    def describe_program(self):
        if self.proves is None:
            self.proves = "the %s program %s" % (machine(self.program), self.program)

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

    def make_environment(self):
        env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "WINEARCH", "WINELOADER", "WINESERVER"):
            env.pop(name, None)
        env.update({
            "WINEPREFIX": self.prefix, "WINEDEBUG": "-all", "DISPLAY": os.environ["DISPLAY"],
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
        """Runs one of Wine's own tools (wineboot, reg)."""
        start = loader("--tools")
        result = subprocess.run([start] + list(args), env=dict(self.env, WINELOADER=start), capture_output=True,
                                timeout=timeout)
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
                print("tear-down: wineserver -k did not end within 30 s")
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
            command, env = wine_command(self.reader, [], self.env)
            result = subprocess.run(command, env=env, capture_output=True, timeout=30)
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
        command, env = wine_command(self.program, [], env)
        self.process = subprocess.Popen(command, env=env, cwd=self.folder,
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
        print("case %s: %.1f s, proved with %s" % (self.name, time.monotonic() - self.started, self.run.proves))

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
