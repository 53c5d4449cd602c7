"""The cases of the Wine end-to-end test: what the user must see in each box
and in the support mail, and one function per way through the program, each
run in a session of winetest.session and checked step by step.
"""

import os
import re
import time

from winetest import report as envinfo
from winetest.session import Box, Case, fail

NOTICE = "vexaEnvChecker のお知らせ"
ERROR = "vexaEnvChecker のエラー"

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
OLD_REPORT = b"old report\r\n"
DXDIAG_WAIT = 120  # the tool waits up to a minute for dxdiag, then enumerates
MAIL_WAIT = 20


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
            diagnostic, section, adapters = envinfo.check(run, kept, report)
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
        if not report.startswith(envinfo.HEADER):
            fail(case.name, "report", "it does not start with the header: %r" % report[:80])
        if run.section is not None and report[len(envinfo.HEADER):] != run.section:
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
        if not case.report_bytes("report").startswith(envinfo.HEADER):
            fail(case.name, "report", "it does not start with the header")
    finally:
        case.close()


CASES = [no_at_the_start, yes_yes_with_wines_dxdiag, mail_without_association, no_at_the_overwrite_question,
         dxdiag_cannot_start, english_system]
