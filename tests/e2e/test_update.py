#!/usr/bin/env python3
"""The update check as a user meets it, under wine and Xvfb, against the project's own
loopback server, which the program reaches as its proxy for the maker's host: no newer
version; a tampered information file, an older one replayed and an expired one, each
refused with its message and nothing downloaded or started; a download cancelled in the
download window, which deletes every ".uTMP" file; an update with one file missing, which
installs nothing and deletes what it fetched; and an
update of two files installed by the upgrade helper after the program ended, with the
program started again with "/afterupgrade" and a file put into the folder meanwhile left
alone. The program is the build's one that trusts its throw-away update key, with which
the files are signed here. Screenshots of the question and the download window go to the
build's e2e-artifacts folder."""
import base64
import datetime
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "http"))
import loopback  # noqa: E402
from dextrel_e2e import (SETTINGS_KEY, Failures, Installation, Wine, control_ids,  # noqa: E402
                         scenario_arguments, state_of)

INFO_PATH = "benchmarks/fennick/orvalle.inf"
MAKER = "http://www.dextrel.org"
UNVERIFIED = "The update information could not be verified. Nothing was downloaded."
REPLAYED = "The update information is older than one seen before. Nothing was downloaded."
EXPIRED = "The update information has expired. Nothing was downloaded."


def utc_day(days_from_today):
    return (datetime.datetime.now(datetime.timezone.utc).date() + datetime.timedelta(days=days_from_today)).isoformat()


def signed(text, key):
    """text with the "#signature=" line the release appends, made with openssl."""
    der = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key], input=text.encode("latin-1"),
                         capture_output=True, check=True).stdout
    return text + "#signature=" + base64.b64encode(der).decode() + "\r\n"


def digest(n, data):
    return f"#sha256{n}={hashlib.sha256(data).hexdigest()}\r\n"


def main():
    args = scenario_arguments()
    ids = control_ids(args.source)
    wine = Wine(args.bin, args.source, "update")
    work = tempfile.mkdtemp(prefix="dextrel-update-")
    f = Failures()
    server = None
    try:
        root = os.path.join(work, "site")
        os.makedirs(os.path.join(root, os.path.dirname(INFO_PATH)))
        os.makedirs(os.path.join(root, "files"))
        log = os.path.join(work, "requests.log")
        server = loopback.Server(work, "--root", root, "--log", log, lifetime=300)
        run(wine, ids, f, server, root, log)
    finally:
        wine.kill_started()
        if server:
            server.stop()
        shutil.rmtree(work, ignore_errors=True)
    f.exit("update check")


def run(wine, ids, f, server, root, log):
    key = os.path.join(wine.bin_dir, "test-update-key", "private.pem")

    def offer(text, sign=True, serial=5, expires=None):
        """Signed as the release script writes it: a serial and an expiry day in a month."""
        text += f"#serial={serial}\r\n#expires={expires or utc_day(30)}\r\n"
        with open(os.path.join(root, INFO_PATH), "w", newline="") as out:
            out.write(signed(text, key) if sign else text)

    def requests():
        return open(log).read() if os.path.exists(log) else ""

    setup = Installation(wine, program="DextrelTestKey.exe")
    stale = os.path.join(setup.program_dir, "left-before.uTMP")
    with open(stale, "wb") as out:
        out.write(b"an earlier attempt")
    setup.start_program()
    window = setup.main_window()
    if not f.check(window is not None, "the main window appears"):
        return

    def find(parent, *criteria, timeout=5000):
        code, out, err = wine.drive("find", "--parent", parent, *criteria, "--timeout", str(timeout))
        f.check(code == 0, f"find {criteria}: {err.strip()}")
        return out.strip()

    def by_id(name, parent=None):
        return find(parent or window, "--id", str(ids[name]))

    def text_of(hwnd):
        return wine.drive("text", hwnd)[1].rstrip("\r\n")

    def layout(top, *names):
        """The client size of a window and, by name, each control's left, top, width and
        height in its client area, from one run of the driver. The client area's origin on
        the screen follows from the window's frame, the same on three sides."""
        chain = ["rect", top, "--client", ";", "rect", top]
        for name in names:
            chain += [";", "find", "--parent", top, "--id", str(ids[name]), "--timeout", "5000", ";", "rect", "$_"]
        out = wine.drive(*chain)[1]
        rects = [tuple(int(n) for n in line.split()) for line in out.splitlines()
                 if len(line.split()) == 4 and all(n.lstrip("-").isdigit() for n in line.split())]
        if len(rects) != 2 + len(names):
            return (0, 0), {}
        client, outer = rects[0], rects[1]
        size = (client[2] - client[0], client[3] - client[1])
        border = (outer[2] - outer[0] - size[0]) // 2
        origin = (outer[0] + border, outer[3] - border - size[1])
        return size, {name: (r[0] - origin[0], r[1] - origin[1], r[2] - r[0], r[3] - r[1])
                      for name, r in zip(names, rects[2:])}

    def utmp_files():
        return sorted(n for n in os.listdir(setup.program_dir) if n.lower().endswith(".utmp"))

    # The proxy page: the loopback server as the proxy.
    bar = by_id("RzGroupBar1")
    for caption in ("Help", "Update benchmark"):
        wine.drive("find", "--parent", bar, "--text", caption, "--timeout", "5000", ";", "click", "$_")
    f.check(wine.drive("tick", by_id("UseProxyBox"), "on")[0] == 0, "the proxy box is ticked")
    wine.drive("type", by_id("ProxyServerEdit"), "127.0.0.1")
    wine.drive("type", by_id("ProxyPortEdit"), str(server.port))
    update_button = by_id("RzToolButton3")

    # No newer version.
    offer(f"#version=1.5.0.12\r\n#url1={MAKER}/files/Dextrel.exe\r\n")
    wine.drive("click", update_button)
    box = wine.message_box()
    f.check(box.get("text", "").startswith("Newer version not found. You actually are")
            and box.get("title") == "Application update wizard", f"message 24: {box}")
    if box:
        wine.answer(box, "ok")
    asked = [line for line in requests().splitlines() if line.startswith("GET http://www.dextrel.org")]
    f.check(any(line.split()[1].endswith("/" + INFO_PATH) for line in asked),
            f"the check asked the proxy for the maker's file: {requests()!r}")

    # A file changed on the way: one URL of a signed file points elsewhere.
    with open(os.path.join(root, "files", "tool.exe"), "wb") as out:
        out.write(b"MZ not from the maker")
    offer(f"#version=1.5.0.13\r\n#url1={MAKER}/files/Dextrel.exe\r\n" + digest(1, b"MZ not from the maker"))
    with open(os.path.join(root, INFO_PATH), "rb") as served:
        tampered = served.read().replace(b"/files/Dextrel.exe", b"/files/tool.exe")
    with open(os.path.join(root, INFO_PATH), "wb") as out:
        out.write(tampered)

    def aborted(what):
        box = wine.message_box()
        f.check(box.get("text") == "Update aborted." and box.get("title") == "Dextrel", f"{what}: {box}")
        if box:
            wine.answer(box, "ok")

    def refused(text, what):
        """A check that ends in its message box, with nothing downloaded, created or asked."""
        before = requests()
        wine.drive("click", update_button)
        box = wine.message_box()
        f.check(box.get("text") == text and box.get("title") == "Error", f"{what} is refused: {box}")
        if box:
            wine.answer(box, "ok")
        fetched = [line for line in requests()[len(before):].splitlines() if "/files/" in line]
        f.check(not fetched, f"{what}: nothing was downloaded: {fetched}")
        f.check(utmp_files() == ["left-before.uTMP"], f"{what}: no file was created: {utmp_files()}")
        code, _, _ = wine.drive("wait-window", "--class", "TUpgradeAskForm", "--exe", "Dextrel.exe", "--timeout", "500")
        f.check(code != 0, f"{what}: no question was asked")

    refused(UNVERIFIED, "the tampered file")

    # Validly signed, but older than the one seen at the first check, or past its day.
    for text, serial, expires, what in ((REPLAYED, 4, None, "an older file replayed"),
                                        (EXPIRED, 6, utc_day(-1), "an expired file")):
        offer(f"#version=1.5.0.13\r\n#url1={MAKER}/files/tool.exe\r\n" + digest(1, b"MZ not from the maker"),
              serial=serial, expires=expires)
        refused(text, what)
    f.check(wine.reg_query(SETTINGS_KEY, "UpdateSerial") == "5", "the highest serial seen is kept")

    # A newer version declined with Escape in the question window.
    offer(f"#version=1.5.0.13\r\n#url1={MAKER}/slow/30000000\r\n#message={{Faster start}}\r\n"
          + digest(1, b"cancelled before it ends"))
    wine.drive("click", update_button)
    code, ask, _ = wine.drive("wait-window", "--class", "TUpgradeAskForm", "--exe", "Dextrel.exe", "--timeout", "15000")
    if f.check(code == 0, "the question window appears"):
        wine.drive("key", by_id("YesBtn", ask.strip()), "ESCAPE")
        aborted("Escape declines")

    # A download the user cancels: every ".uTMP" file goes, the earlier one too.
    wine.drive("click", update_button)
    code, ask, _ = wine.drive("wait-window", "--class", "TUpgradeAskForm", "--exe", "Dextrel.exe", "--timeout", "15000")
    if f.check(code == 0, "the question window appears"):
        ask = ask.strip()
        time.sleep(0.3)
        wine.screenshot("question.png")
        f.check(text_of(by_id("UpgradeAskLabel", ask)).startswith("A newer version of Dextrel was released."),
                "the question names the program")
        size, places = layout(ask, "UpgradeAskLabel", "YesBtn", "LaterBtn")
        label = places.get("UpgradeAskLabel", (0, 0, 0, 0))
        f.check(size[0] == 318, f"the question is 318 wide: {size}")
        f.check(label[:2] == (45, 5), f"the text's place: {label}")
        f.check(size[1] == 5 + label[3] + 45, f"the height is text and strip: {size} {label}")
        strip = 5 + label[3]
        f.check(places.get("YesBtn") == (78, strip + 13, 75, 23), f"the Yes button's place: {places}")
        f.check(places.get("LaterBtn") == (167, strip + 13, 75, 23), f"the Later button's place: {places}")
        wine.drive("click", by_id("YesBtn", ask))
    code, wizard, _ = wine.drive("wait-window", "--class", "TUpdateWizardForm", "--exe", "Dextrel.exe",
                                 "--timeout", "15000")
    if f.check(code == 0, "the download window appears"):
        wizard = wizard.strip()
        size, places = layout(wizard, "FinishBtn", "CancelBtn", "ProgressCurrentFile")
        f.check(size == (463, 281), f"the download window's size: {size}")
        f.check(places.get("FinishBtn") == (296, 248, 75, 25), f"the Next button's place: {places}")
        f.check(places.get("CancelBtn") == (380, 248, 75, 25), f"the Cancel button's place: {places}")
        f.check(places.get("ProgressCurrentFile") == (142, 110, 307, 22), f"the file's progress bar: {places}")
        size = by_id("LFileSize", wizard)
        f.check(wine.drive("wait-state", size, "text=File size: 29296.9 Kb", "--timeout", "10000")[0] == 0,
                f"the file size is shown: {text_of(size)!r}")
        f.check(text_of(by_id("AllDownloading", wizard)) == "Downloading 1 of 1", "the file count is shown")
        time.sleep(1.0)
        wine.screenshot("download.png")
        f.check("30000000.uTMP" in utmp_files(), f"the file arrives as .uTMP: {utmp_files()}")
        # Escape, as the cancel button.
        wine.drive("key", by_id("CancelBtn", wizard), "ESCAPE")
        box = wine.message_box()
        f.check(box.get("text", "").startswith("The update is not completed.") and box.get("title") == "Dextrel"
                and box.get("buttons") == "Yes,No", f"message 27: {box}")
        if box:
            wine.answer(box, "yes")
        aborted("the abort is reported")
        f.check(wine.drive("wait-gone", wizard, "--timeout", "5000")[0] == 0, "the download window closed")
        f.check(utmp_files() == [], f"no .uTMP file is left: {utmp_files()}")

    # An update with one of its files missing: nothing stays, nothing is handed over.
    probe = open(os.path.join(wine.bin_dir, "upgrade_probe.exe"), "rb").read()
    with open(os.path.join(root, "files", "Dextrel.exe"), "wb") as out:
        out.write(probe)
    offer(f"#version=1.5.0.13\r\n#url1={MAKER}/files/Dextrel.exe\r\n#url2={MAKER}/files/missing.dat\r\n"
          + digest(1, probe) + digest(2, b"never served"))
    wine.drive("click", update_button)
    code, ask, _ = wine.drive("wait-window", "--class", "TUpgradeAskForm", "--exe", "Dextrel.exe", "--timeout", "15000")
    if f.check(code == 0, "the question window appears for the partial update"):
        wine.drive("click", by_id("YesBtn", ask.strip()))
        box = wine.message_box()
        f.check(box.get("text", "").startswith("File missing.dat not found or inaccessible.")
                and "Nothing was installed." in box.get("text", "") and box.get("buttons") == "OK",
                f"the missing file ends the update: {box}")
        if box:
            wine.answer(box, "ok")
        aborted("the abort is reported")
        f.check(utmp_files() == [], f"the file fetched before is gone too: {utmp_files()}")
        f.check(open(setup.program, "rb").read() != probe, "the program was not replaced")
        f.check(wine.drive("wait-window", "--class", "TUpdateWizardForm", "--exe", "Dextrel.exe",
                           "--timeout", "500")[0] != 0, "the download window closed")

    # An update of two files, installed after the program ended.
    with open(os.path.join(root, "files", "Dextrel.exe"), "wb") as out:
        out.write(probe)
    extra = b"a second file of the update\r\n"
    with open(os.path.join(root, "files", "extra.dat"), "wb") as out:
        out.write(extra)
    offer(f"[Dextrel]\r\n#version=1.5.0.13\r\n#url1={MAKER}/files/Dextrel.exe\r\n#url2={MAKER}/files/extra.dat\r\n"
          + digest(1, probe) + digest(2, extra))
    wine.drive("click", update_button)
    code, ask, _ = wine.drive("wait-window", "--class", "TUpgradeAskForm", "--exe", "Dextrel.exe", "--timeout", "15000")
    if not f.check(code == 0, "the question window appears again"):
        return
    wine.drive("click", by_id("YesBtn", ask.strip()))
    code, wizard, _ = wine.drive("wait-window", "--class", "TUpdateWizardForm", "--exe", "Dextrel.exe",
                                 "--timeout", "15000")
    if not f.check(code == 0, "the download window appears again"):
        return
    wizard = wizard.strip()
    finish = by_id("FinishBtn", wizard)
    f.check(wine.drive("wait-state", finish, "text=&OK", "enabled=1", "--timeout", "20000")[0] == 0,
            "the OK button is offered at the end")
    time.sleep(0.3)
    wine.screenshot("completed.png")
    f.check(text_of(by_id("WizardTitle", wizard)) == "Upgrade completed!", "the title tells the end")
    f.check("The update of Dextrel has been successfully completed." in text_of(by_id("AfterNote", wizard)),
            "the note tells the end")
    f.check(state_of(wine.drive("state", by_id("CancelBtn", wizard))[1]).get("enabled") == "0",
            "cancel is disabled at the end")
    f.check(utmp_files() == ["Dextrel.exe.uTMP", "extra.dat.uTMP"], f"both files arrived: {utmp_files()}")
    # Put there after the program checked its downloads: the helper must not install it.
    planted = os.path.join(setup.program_dir, "planted.dll.uTMP")
    with open(planted, "wb") as out:
        out.write(b"not handed over")
    marker = setup.program + ".started"
    clicked = time.monotonic()
    wine.drive("key", finish, "RETURN")  # Enter presses OK
    f.check(wine.drive("wait-gone", window, "--timeout", "10000")[0] == 0, "the main window closes at once")
    print(f"the main window went after {time.monotonic() - clicked:.1f} s", flush=True)
    deadline = time.monotonic() + 30
    while not os.path.exists(marker) and time.monotonic() < deadline:
        time.sleep(0.2)
    if f.check(os.path.exists(marker), "the new program was started"):
        time.sleep(0.3)
        f.check(open(marker, "rb").read() == b"/afterupgrade", f"its argument: {open(marker, 'rb').read()!r}")
    f.check(open(setup.program, "rb").read() == probe, "Dextrel.exe was replaced")
    extra_path = os.path.join(setup.program_dir, "extra.dat")
    f.check(os.path.exists(extra_path) and open(extra_path, "rb").read() == extra, "the second file is in place")
    f.check(utmp_files() == ["planted.dll.uTMP"], f"only the planted file is left, not installed: {utmp_files()}")
    f.check(not os.path.exists(os.path.join(setup.program_dir, "planted.dll")), "the planted file was not installed")
    f.check(wine.reg_query(SETTINGS_KEY, "News") == "0", "the program left through its normal way out")


if __name__ == "__main__":
    main()
