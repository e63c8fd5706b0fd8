#!/usr/bin/env python3
"""The upgrade helper under wine in a folder with blanks, "+" and "C++" in its path: the
downloaded ".uTMP" files handed over with their digests replace the program and its data
and the program is started again with the restart arguments, while a file not handed
over, or changed since the program checked it, is not installed; with the external-setup
method the checked setup program runs from a folder of its own under the common
application data folder, never from the program's, and the program is started after it."""
import glob
import hashlib
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "http"))
import loopback  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import Failures, scenario_arguments  # noqa: E402

failures = Failures()
check = failures.check


def read(path):
    with open(path, "rb") as f:
        return f.read()


def wait_for(path, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if os.path.exists(path):
            time.sleep(0.2)  # let the writer finish
            return True
        time.sleep(0.1)
    return False


def run_helper(wine, folder, method, handed):
    """handed: name -> bytes the program checked. Every value in hexadecimal, as the update
    component writes them."""
    program = loopback.windows_path(os.path.join(folder, "prog.exe"))
    files = [f"/sha256={hashlib.sha256(data).hexdigest()}:{name.encode().hex()}" for name, data in handed.items()]
    code, _ = wine.run("DextrelUpgrade.exe", *files, "/program=" + program.encode().hex(),
                       "/restart=" + b"/afterupgrade".hex(), "/setup=" + method, timeout=120)
    return code


def main():
    args = scenario_arguments()
    work = tempfile.mkdtemp(prefix="dextrel-upgrade-")
    try:
        wine = loopback.Wine(args.bin, work, "upgrade")
        probe = read(os.path.join(args.bin, "upgrade_probe.exe"))

        # Such a folder once made the helper start "...\\Games\\C".
        folder = os.path.join(work, "Games", "C++", "Bench +1 Folder")
        os.makedirs(folder)
        for name, data in (("prog.exe", b"old program"), ("prog.exe.uTMP", probe), ("data.pak", b"old data"),
                           ("my data+1.pak.uTMP", b"new data"), ("notes.txt", b"kept"),
                           ("stray.dll.uTMP", b"not handed over"), ("swapped.dat.uTMP", b"changed after the check")):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        handed = {"prog.exe.uTMP": probe, "my data+1.pak.uTMP": b"new data", "swapped.dat.uTMP": b"as checked"}
        check(run_helper(wine, folder, "0", handed) == 0, "the helper ended")
        marker = os.path.join(folder, "prog.exe.started")
        check(wait_for(marker), "the program was started again")
        if os.path.exists(marker):
            check(read(marker) == b"/afterupgrade", f"restart arguments: {read(marker)!r}")
        check(read(os.path.join(folder, "prog.exe")) == probe, "prog.exe replaced")
        check(read(os.path.join(folder, "my data+1.pak")) == b"new data", "a name with a blank and a + installed")
        check(read(os.path.join(folder, "data.pak")) == b"old data", "other files kept")
        check(read(os.path.join(folder, "notes.txt")) == b"kept", "other files kept")
        check(not os.path.exists(os.path.join(folder, "swapped.dat")), "a file changed since its check not installed")
        check(not os.path.exists(os.path.join(folder, "stray.dll")), "a file not handed over not installed")
        left = sorted(n for n in os.listdir(folder) if n.lower().endswith(".utmp"))
        check(left == ["stray.dll.uTMP"], f"only the file not handed over is left: {left}")

        setup_folder = os.path.join(work, "Setup Folder")
        os.makedirs(setup_folder)
        for name, data in (("prog.exe", probe), ("setup.exe.uTMP", probe)):
            with open(os.path.join(setup_folder, name), "wb") as f:
                f.write(data)
        marks = os.path.join(wine.env["WINEPREFIX"], "drive_c", "ProgramData", "Dextrel upgrade *", "setup.exe.started")
        earlier = set(glob.glob(marks))
        check(run_helper(wine, setup_folder, "1", {"setup.exe.uTMP": probe}) == 0, "the helper ended after the setup")
        # The probe leaves its mark beside itself: in a fresh folder under C:\\ProgramData.
        ran = sorted(set(glob.glob(marks)) - earlier)
        check(len(ran) == 1, f"the setup program ran from a folder of its own: {ran}")
        check(not os.path.exists(os.path.join(setup_folder, "setup.exe.started")), "not from the program's folder")
        check(wait_for(os.path.join(setup_folder, "prog.exe.started")), "the program started after the setup")
        check(not os.path.exists(os.path.join(setup_folder, "setup.exe")), "no setup program is left in the folder")
        check(not os.path.exists(os.path.join(setup_folder, "setup.exe.uTMP")), "nor its download")
        check(read(os.path.join(setup_folder, "prog.exe")) == probe, "the program itself stayed")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    failures.exit("upgrade helper")


if __name__ == "__main__":
    sys.exit(main())
