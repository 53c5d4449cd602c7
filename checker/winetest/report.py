"""The report the program wrote under Wine, checked as the support desk reads
it: its bytes here (line ends, the header between the two halves), its grammar
by vexaEnvReader --json of the same build under Wine, which must read it
whole, and here again the values a working Direct3D must have given.
"""

import json
import re
import subprocess

from winetest.session import windows_path, wine_command

HEADER = b"-" * 20 + b"\r\nDeviceInfo\r\n" + b"-" * 20 + b"\r\n\r\n"
DIAGNOSTIC_TITLE = b"-" * 18 + b"\r\nSystem Information\r\n" + b"-" * 18 + b"\r\n"
# The screen of cmake/with-xvfb, which Wine's Direct3D must report as a display mode.
SCREEN = (1024, 768, "D3DFMT_X8R8G8B8")
# The records every adapter must have, in this order.
RECORDS = [("D3DDEVTYPE_HAL", False), ("D3DDEVTYPE_HAL", True), ("D3DDEVTYPE_REF", False),
           ("D3DDEVTYPE_REF", True)]


def split_report(report):
    """The report's two halves, after checking its line ends and header; the
    reader takes either line end and a mail client's blank lines at the end,
    the tool writes CR LF and nothing after the last block."""
    bare = re.search(rb"(?<!\r)\n|\r(?!\n)", report)
    if bare is not None:
        raise ValueError("a bare line end at byte %d" % bare.start())
    if report.count(HEADER) != 1:
        raise ValueError("the 58-byte DeviceInfo header appears %d times" % report.count(HEADER))
    if report.endswith(b"\r\n\r\n\r\n"):
        raise ValueError("empty lines after the last block")
    at = report.index(HEADER)
    return report[:at], report[at + len(HEADER):]


def read(run, path):
    """What vexaEnvReader --json read from the report file at `path`; a
    ValueError unless it read the report whole."""
    command, env = wine_command(run.env_reader, ["--json", windows_path(path)], run.env)
    result = subprocess.run(command, env=env, capture_output=True, timeout=60)
    try:
        document = json.loads(result.stdout.decode("utf-8"))
    except ValueError:
        raise ValueError("vexaEnvReader --json ended with %d and wrote no JSON: %r" %
                         (result.returncode, (result.stdout + result.stderr)[-400:]))
    if result.returncode != 0 or not document["whole"]:
        raise ValueError("vexaEnvReader did not read the report whole (exit status %d): %s" %
                         (result.returncode, document["problem"]))
    return document


def check_devices(document):
    """Raises ValueError unless the "DeviceInfo" section is that of a working
    Direct3D: per adapter a description and every record, HAL and REF, full
    screen and windowed, with real capabilities and the screen's display
    mode. Returns the number of adapters."""
    adapters = document["adapters"]
    if not adapters:
        raise ValueError("the section lists no adapter")
    for number, adapter in enumerate(adapters):
        if adapter["description"] == "":
            raise ValueError("adapter %d has no description" % number)
        records = [(record["deviceType"], record["windowed"]) for record in adapter["modeInfos"]]
        if records != RECORDS:
            raise ValueError("adapter %d is followed by the records %s, not %s" % (number, records, RECORDS))
        for index, record in enumerate(adapter["modeInfos"]):
            caps = record["caps"]
            where = "adapter %d, record %d (line %d)" % (number, index, record["line"])
            if caps["DeviceType"] != record["deviceType"]:
                raise ValueError("%s: its capabilities are those of %s" % (where, caps["DeviceType"]))
            if caps["AdapterOrdinal"] != number:
                raise ValueError("%s: AdapterOrdinal %s" % (where, caps["AdapterOrdinal"]))
            if caps["MaxTextureWidth"] == 0 or not caps["TextureOpCaps"]:
                raise ValueError("%s: the capability record is empty" % where)
            modes = [(mode["width"], mode["height"], mode["format"]) for mode in record["displayModes"]]
            if SCREEN not in modes:
                raise ValueError("%s: no display mode %d x %d %s among %s" % ((where,) + SCREEN + (modes,)))
            if not any(entry["formats"] for entry in record["formats"]["TextureFormats"]):
                raise ValueError("%s: no texture format" % where)
    return len(adapters)


def check(run, path, report):
    """The whole check of the report `path` whose bytes are `report`: the
    halves, the first Wine's dxdiag's text, and the number of adapters."""
    diagnostic, section = split_report(report)
    if not diagnostic.startswith(DIAGNOSTIC_TITLE):
        raise ValueError("the report does not start with Wine's dxdiag text: %r" % diagnostic[:80])
    if not diagnostic.endswith(b"\r\n"):
        raise ValueError("dxdiag's text does not end with a line end")
    return diagnostic, section, check_devices(read(run, path))
