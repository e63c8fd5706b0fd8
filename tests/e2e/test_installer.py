#!/usr/bin/env python3
"""The two packages as a user meets them, in a wine prefix of their own, fresh every run:
the installer run silently puts the files in place and creates the settings key in the
view the program reads; the installed program starts, finds its key and shows no error;
installing again keeps the settings; the uninstaller removes what was installed and
nothing else. The portable zip holds the same files, the key text and a .reg file that
creates the key the program reads."""
import glob
import os
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import SETTINGS_KEY, Failures, Wine, control_ids, scenario_arguments, wait_for  # noqa: E402

UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Dextrel"
PROGRAM_FILES = ["Dextrel.exe", "DextrelFrames32.dll", "DextrelFrames64.dll", "help.chm", "offlinenews.html",
                 os.path.join("Demos", "VKRdemo.demo")]


STARTED = time.time()


def step(what):
    print(f"[{time.time() - STARTED:5.1f} s] {what}", flush=True)


def main():
    args = scenario_arguments()
    packages = os.path.join(os.path.abspath(args.bin), "packages")
    setups = glob.glob(os.path.join(packages, "Dextrel-*-setup*.exe"))
    zips = glob.glob(os.path.join(packages, "Dextrel-*-portable*.zip"))
    f = Failures()
    if not f.check(len(setups) == 1 and len(zips) == 1, f"one installer and one zip in {packages}: {setups} {zips}"):
        f.exit("installer")

    # A prefix of its own, made here: the installer must find nothing a shared prefix collected.
    root = os.environ.get("WINEPREFIX_ROOT") or os.path.join(os.path.abspath(args.bin), "e2e-prefixes")
    prefix = os.path.join(root, "installer")
    step("a fresh prefix, meanwhile packages with a recorded demo")
    wine = None
    release = ReleaseDemoCheck(os.path.abspath(args.bin), os.path.abspath(args.source), prefix + "-release")
    try:
        fresh_prefix(prefix)
        wine = Wine(args.bin, args.source, "installer")
        # The virtual desktop, detached from CTest's pipes like the server.
        subprocess.Popen(["wine", "explorer.exe", "/desktop=Default,1024x768"], env=wine.env, **DETACHED)
        check_help_sources(args.source, f)
        step("the release demo")
        release.finish(f)
        step("the portable zip")
        check_zip(wine, zips[0], f)
        check_installer(wine, setups[0], control_ids(args.source), f)
    finally:
        if wine:
            wine.kill_started()
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        if not f.items:
            shutil.rmtree(prefix, ignore_errors=True)
    step("done")
    f.exit("installer")


DETACHED = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, close_fds=True,
                start_new_session=True)


def fresh_prefix(prefix):
    """A new prefix with the virtual desktop set, served by a persistent wineserver that
    holds no descriptor of CTest's (started first, so nothing waits for a server to end)."""
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH="win64",
               WINEDLLOVERRIDES="mshtml=d;mscoree=d;winemenubuilder.exe=d")
    subprocess.Popen(["wineserver", "-p"], env=env, **DETACHED)
    time.sleep(0.3)
    quiet = dict(env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineboot", "-i"], timeout=300, check=True, **quiet)
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f"],
                   timeout=60, **quiet)
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d",
                    "1024x768", "/f"], timeout=60, **quiet)
    open(os.path.join(prefix, ".dextrel-ready"), "w").close()
    os.environ["WINEPREFIX"] = prefix


def same_bytes(path_a, path_b):
    with open(path_a, "rb") as a, open(path_b, "rb") as b:
        return a.read() == b.read()


def shipped_demo_matches_name(name, demo_bytes, source_dir, f):
    with open(os.path.join(source_dir, "assets", "demo", "VKRdemo.demo"), "rb") as simulated:
        is_simulated = demo_bytes == simulated.read()
    f.check(is_simulated == ("-NOT-FOR-RELEASE" in os.path.basename(name)),
            f"{os.path.basename(name)}: the name says NOT-FOR-RELEASE exactly when the simulated demo is inside")


def check_help_sources(source_dir, f):
    """Every page of the help is compiled in, listed in the contents, and links only to
    pages and anchors that exist."""
    import re
    help_dir = os.path.join(source_dir, "assets", "help")
    pages = sorted(n for n in os.listdir(help_dir) if n.endswith(".html"))
    with open(os.path.join(help_dir, "dextrel.hhp")) as project, open(os.path.join(help_dir, "dextrel.hhc")) as toc:
        listed, contents = project.read().split(), toc.read()
    anchors = {}
    links = []
    for page in pages:
        with open(os.path.join(help_dir, page), encoding="latin-1") as html:
            text = html.read()
        anchors[page] = set(re.findall(r'<a name="([^"]+)"', text))
        links += [(page, target) for target in re.findall(r'href="([^"]+)"', text)]
        f.check(page in listed and f'value="{page}"' in contents, f"{page} is compiled in and in the contents")
    for page, target in links:
        name, _, anchor = target.partition("#")
        if name.endswith(".css"):
            f.check(os.path.exists(os.path.join(help_dir, name)), f"{page}: style sheet {name}")
            continue
        f.check(name in anchors and (not anchor or anchor in anchors[name]), f"{page}: link {target} leads somewhere")


class ReleaseDemoCheck:
    """The packaging takes a recorded demo given from outside and names the packages
    releasable; a missing file or the simulated demo are refused. Packaging runs beside
    the making of the prefix."""
    VERSION = "1.5.0.12"

    def __init__(self, bin_dir, source_dir, work):
        self.bin_dir, self.source_dir, self.work = bin_dir, source_dir, work
        self.out = os.path.join(work, "release")
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        self.recorded = os.path.join(work, "recorded.demo")
        with open(self.recorded, "wb") as demo:
            demo.write(b"\x04\x00\x00\x00a recording of the game\x00" * 8)
        self.log = open(os.path.join(work, "package.log"), "w+")
        self.made = subprocess.Popen(self.command(self.recorded), stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT)

    def command(self, demo):
        return ["bash", os.path.join(self.source_dir, "scripts", "package.sh"), self.bin_dir, self.out,
                self.VERSION, demo]

    def finish(self, f):
        code = self.made.wait(timeout=180)
        self.log.seek(0)
        output = self.log.read()
        self.log.close()
        names = sorted(os.listdir(self.out)) if os.path.isdir(self.out) else []
        portable, setup = f"Dextrel-{self.VERSION}-portable.zip", f"Dextrel-{self.VERSION}-setup.exe"
        f.check(code == 0 and names == [portable, setup],
                f"with a recorded demo the packages carry no NOT-FOR-RELEASE: {names} {output}")
        if portable in names:
            with zipfile.ZipFile(os.path.join(self.out, portable)) as z, open(self.recorded, "rb") as demo:
                f.check(z.read("Dextrel/Demos/VKRdemo.demo") == demo.read(), "the zip carries the recorded demo")
        for demo, why in ((os.path.join(self.work, "no-such.demo"), "does not exist"),
                          (os.path.join(self.source_dir, "assets", "demo", "VKRdemo.demo"), "simulated")):
            refused = subprocess.run(self.command(demo), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, text=True, timeout=60)
            f.check(refused.returncode != 0 and why in refused.stdout,
                    f"{os.path.basename(demo)} is refused as a release demo: {refused.stdout}")
        shutil.rmtree(self.work, ignore_errors=True)


def check_zip(wine, path, f):
    with zipfile.ZipFile(path) as z:
        names = {n for n in z.namelist()}
        expected = {"Dextrel/", "Dextrel/Dextrel.exe", "Dextrel/DextrelFrames32.dll", "Dextrel/DextrelFrames64.dll",
                    "Dextrel/help.chm", "Dextrel/offlinenews.html",
                    "Dextrel/Demos/", "Dextrel/Demos/VKRdemo.demo", "Dextrel/Benchmark/",
                    "Dextrel/SETTINGS-KEY.txt", "Dextrel/dextrel-settings.reg"}
        f.check(names == expected, f"zip contents: missing {sorted(expected - names)}, extra {sorted(names - expected)}")
        if names != expected:
            return
        with open(os.path.join(wine.bin_dir, "Dextrel.exe"), "rb") as exe:
            f.check(z.read("Dextrel/Dextrel.exe") == exe.read(), "the zip holds the built Dextrel.exe")
        for library in ("DextrelFrames32.dll", "DextrelFrames64.dll"):
            with open(os.path.join(wine.bin_dir, library), "rb") as built:
                f.check(z.read("Dextrel/" + library) == built.read(), f"the zip holds the built {library}")
        shipped_demo_matches_name(path, z.read("Dextrel/Demos/VKRdemo.demo"), wine.source_dir, f)
        chm = z.read("Dextrel/help.chm")
        f.check(chm[:4] == b"ITSF", "help.chm is a compiled help file")
        for topic in ("index", "start", "pages", "benchmark", "reports", "troubleshooting"):
            f.check(f"/{topic}.html".encode() in chm, f"help.chm holds the topic {topic}.html")
        news = z.read("Dextrel/offlinenews.html")
        with open(os.path.join(wine.source_dir, "assets", "news", "offlinenews.html"), "rb") as source:
            f.check(news == source.read(), "the zip holds the offline news page")
        reg = z.read("Dextrel/dextrel-settings.reg")
        text = z.read("Dextrel/SETTINGS-KEY.txt").decode("ascii")
    lines = reg.decode("ascii").split("\r\n")
    f.check(b"\n" not in reg.replace(b"\r\n", b""), "the .reg file has Windows line ends only")
    f.check(lines[0] == "Windows Registry Editor Version 5.00", f"the .reg header: {lines[0]!r}")
    f.check("[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Tamberlin\\Dextrel]" in lines and '"News"="0"' in lines,
            f"the .reg file creates the key with News = 0: {lines}")
    f.check(r'reg add "HKLM\SOFTWARE\Tamberlin\Dextrel" /v News /d 0 /reg:32 /f' in text,
            "the key text gives the command that creates the key")

    # Imported as a user would, the file lands where the program looks.
    reg_file = os.path.join(wine.root, "dextrel-settings.reg")
    with open(reg_file, "wb") as out:
        out.write(reg)
    code, out = wine.run("regedit", "/S", wine.windows_path(reg_file))
    f.check(wine.reg_query(SETTINGS_KEY, "News") == "0", f"importing the .reg file creates the program's key: {out}")
    wine.reg_delete_key(SETTINGS_KEY)
    wine.run("reg", "delete", r"HKLM\SOFTWARE\Tamberlin", "/f", "/reg:32")


def check_installer(wine, setup, ids, f):
    drive_c = wine.drive_c
    program_dir = os.path.join(drive_c, "Program Files", "Tamberlin", "Dextrel")
    start_menu = os.path.join(drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Dextrel")
    # Things of the user's and of other programs of the maker, which nothing may touch.
    sibling = os.path.join(drive_c, "Program Files", "Tamberlin", "Other", "keep.txt")
    os.makedirs(os.path.dirname(sibling))
    with open(sibling, "w") as out:
        out.write("another program\n")
    wine.reg_add(r"HKLM\SOFTWARE\Tamberlin\Other", "Keep", "1")

    step("the silent install")
    code, out = wine.run(wine.windows_path(setup), "/S", timeout=120)
    if not f.check(code == 0, f"the silent install succeeds (exit code {code}): {out}"):
        return
    for name in PROGRAM_FILES + ["Uninstall.exe"]:
        f.check(os.path.isfile(os.path.join(program_dir, name)), f"installed: {name}")
    f.check(same_bytes(os.path.join(program_dir, "Dextrel.exe"), os.path.join(wine.bin_dir, "Dextrel.exe")),
            "the installed Dextrel.exe is the built one")
    with open(os.path.join(program_dir, "Demos", "VKRdemo.demo"), "rb") as demo:
        shipped_demo_matches_name(setup, demo.read(), wine.source_dir, f)
    f.check(os.path.isdir(os.path.join(program_dir, "Benchmark")), "the default results folder Benchmark exists")
    for link in ("Dextrel.lnk", "Dextrel help.lnk", "Uninstall Dextrel.lnk"):
        f.check(os.path.isfile(os.path.join(start_menu, link)), f"Start-menu shortcut {link}")
    f.check(wine.reg_query(SETTINGS_KEY, "News") == "0", "the settings key holds News = 0 (32-bit view)")
    code, _ = wine.run("reg", "query", SETTINGS_KEY, "/reg:64")
    f.check(code != 0, "the settings key is not in the 64-bit view, where the program does not look")
    code, _ = wine.run("reg", "query", UNINSTALL_KEY, "/v", "UninstallString", "/reg:64")
    f.check(code == 0, "the program is listed among the installed programs")

    # The installed program finds its key: the first activation takes the news.
    step("the installed program")
    program = os.path.join(program_dir, "Dextrel.exe")
    wine.start(wine.windows_path(program))
    code, out, err = wine.drive("wait-window", "--class", "TForm1", "--exe", "Dextrel.exe", "--timeout", "40000")
    if f.check(code == 0, f"the installed program shows its main window: {err.strip()}"):
        window = out.strip()
        f.check(wait_for(lambda: wine.reg_query(SETTINGS_KEY, "News") == "1", 15),
                "the first activation reads News = 0 from the installed key and stores 1")
        code, out, _ = wine.drive("message-box", "--exe", "Dextrel.exe", "--timeout", "1500")
        f.check(code != 0, f"no error box: {out.strip()}")
        wine.screenshot("installed-main-window.png")
        exit_button = wine.drive("find", "--parent", window, "--id", str(ids["Image2"]), "--timeout", "5000")[1].strip()
        wine.drive("click", exit_button)
        code, _, _ = wine.drive("wait-gone", window, "--timeout", "20000")
        f.check(code == 0, "the exit button ends the program")
        f.check(wait_for(lambda: wine.reg_query(SETTINGS_KEY, "News") == "0", 5), "leaving stores News = 0 again")
    wine.kill_started()

    step("installing again")
    wine.reg_add(SETTINGS_KEY, "News", "1")
    wine.reg_add(SETTINGS_KEY, "Note", "kept by an update")
    code, out = wine.run(wine.windows_path(setup), "/S", timeout=120)
    f.check(code == 0, f"installing again succeeds (exit code {code}): {out}")
    f.check(wine.reg_query(SETTINGS_KEY, "News") == "1" and wine.reg_query(SETTINGS_KEY, "Note") == "kept by an update",
            "installing again keeps the stored settings")

    # The user's report and own demo survive the uninstaller; everything installed goes.
    report = os.path.join(program_dir, "Benchmark", "result_03_11_2006_14_05_09.htm")
    own_demo = os.path.join(program_dir, "Demos", "mine.demo")
    for path in (report, own_demo):
        with open(path, "w") as out:
            out.write("the user's\n")
    step("the silent uninstall")
    uninstaller = os.path.join(program_dir, "Uninstall.exe")
    code, out = wine.run(wine.windows_path(uninstaller), "/S", timeout=120)
    f.check(code == 0, f"the silent uninstall starts (exit code {code}): {out}")
    # The uninstaller runs on from a copy of itself in the temporary folder.
    f.check(wait_for(lambda: not os.path.exists(uninstaller) and wine.reg_query(SETTINGS_KEY, "News") is None, 40),
            "the uninstaller finishes")
    for name in PROGRAM_FILES + ["Uninstall.exe"]:
        f.check(not os.path.exists(os.path.join(program_dir, name)), f"uninstalled: {name}")
    f.check(os.path.isfile(report), "the report in the results folder survives")
    f.check(os.path.isfile(own_demo), "the user's own demo survives")
    f.check(os.path.isfile(sibling), "another program of the maker keeps its files")
    f.check(not os.path.exists(start_menu), "the Start-menu folder is gone")
    code, _ = wine.run("reg", "query", SETTINGS_KEY, "/reg:32")
    f.check(code != 0, "the settings key is gone")
    f.check(wine.reg_query(r"HKLM\SOFTWARE\Tamberlin\Other", "Keep") == "1", "another key of the maker stays")
    code, _ = wine.run("reg", "query", UNINSTALL_KEY, "/reg:64")
    f.check(code != 0, "the program is no longer listed among the installed programs")


if __name__ == "__main__":
    main()
