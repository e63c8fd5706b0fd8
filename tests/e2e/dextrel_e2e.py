"""Shared pieces of the end-to-end scenarios: the wine prefix of the test run, a game
folder with the simulated game registered as Quake 4, a copy of the program in a folder
of its own, the GUI driver, the registry and screenshots."""
import argparse
import os
import re
import shutil
import stat
import subprocess
import sys
import time

SETTINGS_KEY = r"HKLM\SOFTWARE\Tamberlin\Dextrel"
GAME_KEY = r"HKLM\SOFTWARE\id\Quake 4"


# A user's own files in the game folder, which every scenario must find unchanged.
USER_AUTOEXEC = b"// mine\r\nbind F12 \"screenshot\"\r\nseta com_showFPS \"1\"\n"
USER_CONFIG = b"seta r_mode \"5\"\r\nseta com_machineSpec \"1\"\r\nbind w \"_forward\"\r\n"


def scenario_arguments():
    """--bin (the Windows build) and --source (the tree), as CTest passes them."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--source", required=True)
    return parser.parse_args()


def capture_browser(wine):
    """The shell's "open" of a document ends in winebrowser: it is made to write what it
    was given into a log, whose path is returned."""
    log = os.path.join(wine.root, "browser.log")
    script = os.path.join(wine.root, "browser.sh")
    with open(script, "w") as out:
        out.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{log}"\n')
    os.chmod(script, os.stat(script).st_mode | stat.S_IEXEC)
    wine.run("reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/d", script, "/f")
    # A prefix made without wine's HTML engine lacks the page type's association.
    wine.run("reg", "add", r"HKCR\.htm", "/ve", "/d", "htmlfile", "/f")
    return log


def control_ids(source_dir):
    """The control identifiers of common/win32/ControlIds.h, by name."""
    ids = {}
    with open(os.path.join(source_dir, "common", "win32", "ControlIds.h")) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and parts[0] == "#define" and parts[1].startswith("IDC_"):
                ids[parts[1][4:]] = int(parts[2])
    return ids


class Failures:
    def __init__(self):
        self.items = []

    def check(self, condition, what):
        if not condition:
            self.items.append(what)
            print("FAIL:", what, flush=True)
        return condition

    def exit(self, name):
        if self.items:
            print(f"{name}: {len(self.items)} check(s) failed", flush=True)
            sys.exit(1)
        print(f"{name}: all checks passed", flush=True)
        sys.exit(0)


class Wine:
    """One wine prefix for the scenario: the test run's own when the test command
    prepared it, otherwise one made here."""

    def __init__(self, bin_dir, source_dir, name):
        self.bin_dir = os.path.abspath(bin_dir)
        self.source_dir = os.path.abspath(source_dir)
        self.started = []
        self.env = dict(os.environ, WINEDEBUG="-all", WINEARCH="win64",
                        WINEDLLOVERRIDES="mshtml=d;mscoree=d;winemenubuilder.exe=d")
        # No proxy of the machine's own may come between the program and a loopback server.
        for key in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy", "NO_PROXY"):
            self.env.pop(key, None)
        prefix = os.environ.get("WINEPREFIX") or os.path.join(self.bin_dir, "wineprefix")
        self.env["WINEPREFIX"] = prefix
        self.prefix = os.path.realpath(prefix)
        if not os.path.exists(os.path.join(prefix, ".dextrel-ready")):
            subprocess.run(["bash", "-c", '. "$0/scripts/wine-env.sh" && wine_env_prepare', self.source_dir],
                           env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300, check=True)
        if not self.env.get("DISPLAY"):
            self._start_xvfb()
        # Every scenario works in its own folder on drive C.
        self.drive_c = os.path.join(prefix, "drive_c")
        self.root = os.path.join(self.drive_c, "e2e", name)
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.root)
        self.artifacts = os.path.join(self.bin_dir, "e2e-artifacts", name)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)

    def _start_xvfb(self):
        for n in range(150, 250):
            if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
        xvfb = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        self.started.append(xvfb)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.1)
        self.env["DISPLAY"] = f":{n}"

    def windows_path(self, unix_path):
        unix_path = os.path.abspath(unix_path)
        if unix_path.startswith(self.drive_c + os.sep):
            return "C:" + unix_path[len(self.drive_c):].replace("/", "\\")
        return "Z:" + unix_path.replace("/", "\\")

    def unix_path(self, windows_path):
        """The file a C: path names."""
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    def printed(self, program, *args, timeout=60):
        """A program of the tree run to its end; (exit code, the non-blank lines of its
        standard output alone: wine's own complaints go to standard error)."""
        out = os.path.join(self.root, ".stdout.txt")
        with open(out, "wb") as o:
            code = subprocess.run(["wine", program, *args], env=self.env, stdin=subprocess.DEVNULL, stdout=o,
                                  stderr=subprocess.DEVNULL, timeout=timeout).returncode
        return code, printed_lines(out)

    def run(self, *args, timeout=60):
        """A Windows program run to its end; (exit code, output)."""
        out = os.path.join(self.root, ".out.txt")
        with open(out, "wb") as f:
            code = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL, stdout=f,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
        with open(out, encoding="cp1252", errors="replace") as f:
            return code, f.read()

    def start(self, program, *args):
        # No pipes: wine's background programs would hold them open past the test.
        process = subprocess.Popen(["wine", program, *args], env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.started.append(process)
        return process

    def drive(self, *args, timeout=90):
        """The GUI driver; (exit code, standard output, standard error)."""
        out = os.path.join(self.root, ".driver-out.txt")
        err = os.path.join(self.root, ".driver-err.txt")
        with open(out, "wb") as o, open(err, "wb") as e:
            code = subprocess.run(["wine", os.path.join(self.bin_dir, "guidriver.exe"), *args], env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=o, stderr=e, timeout=timeout).returncode
        with open(out, encoding="cp1252") as o, open(err, encoding="cp1252") as e:
            return code, o.read(), e.read()

    def message_box(self, exe="Dextrel.exe", timeout=10000):
        """The next message box of the program: hwnd, title, text, buttons; {} when none came."""
        code, out, _ = self.drive("message-box", "--exe", exe, "--timeout", str(timeout))
        if code != 0:
            return {}
        box, key = {}, None
        for line in out.split("\n"):
            name, sep, value = line.partition("=")
            if sep and name in ("hwnd", "title", "text", "buttons"):
                key = name
                box[key] = value.rstrip("\r")
            elif key == "text":  # the text's own line breaks
                box[key] += "\n" + line.rstrip("\r")
        return box

    def answer(self, box, button):
        return self.drive("answer", box["hwnd"], button)[0] == 0

    def reg_query(self, key, value):
        """The string stored, or None when the value (or key) is missing."""
        code, out = self.run("reg", "query", key, "/v", value, "/reg:32")
        if code != 0:
            return None
        # "    Name With Blanks    REG_SZ    data"
        for line in out.splitlines():
            match = re.match(r"^\s*(.+?)\s{4}(REG_\w+)(?:\s{4}(.*))?$", line.rstrip("\r"))
            if match and match.group(1).lower() == value.lower():
                return match.group(3) or ""
        return None

    def reg_add(self, key, value, data):
        self.run("reg", "add", key, "/v", value, "/d", data, "/f", "/reg:32")

    def reg_delete_key(self, key):
        self.run("reg", "delete", key, "/f", "/reg:32")

    def screenshot(self, name):
        path = os.path.join(self.artifacts, name)
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", path],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        return path

    def kill_started(self):
        for process in reversed(self.started):
            if process.poll() is None:
                process.kill()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass
        self.started = []
        # What those started in turn (a hung game under a killed program) would outlive
        # the scenario and disturb the next one.
        name = os.path.basename(self.root).lower()
        for pid in self.processes_with(("e2e\\" + name + "\\", "e2e/" + name + "/")):
            if "python" not in read_cmdline(pid):
                try:
                    os.kill(pid, 9)
                except OSError:
                    pass

    def processes_with(self, markers):
        """Linux processes of this prefix whose command line holds one of markers. Another
        test run on the machine uses the same scenario names in a prefix of its own: its
        processes are not ours to find or end."""
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            cmdline = read_cmdline(int(entry))
            if any(m in cmdline for m in markers) and self.prefix_of(int(entry)) in (None, self.prefix):
                found.append(int(entry))
        return found

    @staticmethod
    def prefix_of(pid):
        try:
            with open(f"/proc/{pid}/environ", "rb") as inp:
                for item in inp.read().split(b"\0"):
                    if item.startswith(b"WINEPREFIX="):
                        return os.path.realpath(item[len(b"WINEPREFIX="):].decode("latin-1"))
        except OSError:
            pass
        return None


def read_cmdline(pid):
    """A process's command line, lower-cased; empty when it is gone."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as inp:
            return inp.read().decode("latin-1").lower()
    except OSError:
        return ""


class Installation:
    """The simulated game installed and registered, the program in its own folder."""

    def __init__(self, wine, game_folder_name="Quake 4", program="Dextrel.exe"):
        """program: the build's executable installed as Dextrel.exe (DextrelTestKey.exe
        trusts the build's throw-away update key)."""
        self.wine = wine
        self.game = os.path.join(wine.root, "Games", game_folder_name)
        self.base = os.path.join(self.game, "q4base")
        self.demos = os.path.join(self.base, "Demos")
        os.makedirs(self.demos)
        shutil.copy(os.path.join(wine.bin_dir, "quake4.exe"), os.path.join(self.game, "quake4.exe"))
        self.program_dir = os.path.join(wine.root, "Program Files", "Tamberlin", "Dextrel")
        os.makedirs(os.path.join(self.program_dir, "Demos"))
        self.program = os.path.join(self.program_dir, "Dextrel.exe")
        shutil.copy(os.path.join(wine.bin_dir, program), self.program)
        shutil.copy(os.path.join(wine.source_dir, "assets", "demo", "VKRdemo.demo"),
                    os.path.join(self.program_dir, "Demos", "VKRdemo.demo"))
        wine.reg_delete_key(SETTINGS_KEY)
        wine.reg_delete_key(GAME_KEY)
        wine.reg_add(GAME_KEY, "Version", "1.3")
        wine.reg_add(GAME_KEY, "InstallPath", wine.windows_path(self.game))
        wine.reg_add(SETTINGS_KEY, "News", "1")

    def start_program(self, *args):
        return self.wine.start(self.wine.windows_path(self.program), *args)

    def main_window(self, timeout=40000):
        code, out, err = self.wine.drive("wait-window", "--class", "TForm1", "--exe", "Dextrel.exe", "--timeout",
                                         str(timeout))
        return out.strip() if code == 0 else None


def printed_lines(path):
    """The non-blank lines a program printed into path."""
    with open(path, encoding="cp1252") as inp:
        return [line.rstrip("\r\n") for line in inp if line.strip()]


def wait_for(condition, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.3)
    return condition()


def chromium(wine, *args, timeout=120):
    """Headless Chromium on a profile of the test's own; None when it is not installed."""
    program = shutil.which("chromium") or shutil.which("chromium-browser")
    if not program:
        return None
    profile = os.path.join(wine.root, "chromium-profile")
    return subprocess.run([program, "--headless", "--no-sandbox", "--disable-gpu", f"--user-data-dir={profile}", *args],
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)


def state_of(text):
    """The key=value lines of the driver's state command, as a dict."""
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


def files_below(folder):
    found = set()
    for base, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(base, name), folder).replace(os.sep, "/"))
    return found


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Session:
    """The running program's main window, worked through the GUI driver."""

    def __init__(self, wine, ids, f):
        self.wine, self.ids, self.f = wine, ids, f
        self.window = None
        self.handles = {}

    def child(self, *criteria):
        code, out, err = self.wine.drive("find", "--parent", self.window, *criteria, "--timeout", "5000")
        if code != 0 and not err.strip():
            # The driver ended without a word: its own start failed, not the look-up. Once more.
            code, out, err = self.wine.drive("find", "--parent", self.window, *criteria, "--timeout", "5000")
        self.f.check(code == 0, f"find {criteria}: exit {code} {err.strip()}")
        return out.strip()

    def by_id(self, name, offset=0):
        # Controls live as long as their window: one look-up per window, kept once it found one.
        key = (self.window, name, offset)
        if not self.handles.get(key):
            self.handles[key] = self.child("--id", str(self.ids[name] + offset))
        return self.handles[key]

    def state(self, name):
        return state_of(self.wine.drive("state", self.by_id(name))[1])

    def states(self, *names):
        """The states of several controls through one start of the driver."""
        args = []
        for name in names:
            args += ["state", self.by_id(name), ";"]
        out = self.wine.drive(*args[:-1])[1]
        found, current = [], None
        for line in out.splitlines():
            if line.startswith("class="):
                current = {}
                found.append(current)
            if current is not None and "=" in line:
                key, value = line.split("=", 1)
                current[key] = value
        return found

    def click_caption(self, text):
        bar = self.by_id("RzGroupBar1")
        code, _, err = self.wine.drive("find", "--parent", bar, "--text", text, "--timeout", "5000", ";", "click", "$_")
        self.f.check(code == 0, f"side-bar caption {text!r}: {err.strip()}")
        time.sleep(0.2)

    def press_run(self):
        self.wine.drive("click", self.by_id("BenchButton"))

    def idle(self):
        found = self.states("Panel1", "BenchButton")
        return len(found) == 2 and found[0].get("visible") == "0" and found[1].get("enabled") == "1"

    def wait_idle(self, timeout):
        """Until the busy panel has gone and the run button is enabled again."""
        end = time.time() + timeout
        while time.time() < end:
            if self.idle():
                return True
            time.sleep(0.5)
        return False

    def exit_program(self):
        self.wine.drive("click", self.by_id("Image2"))
        code, _, _ = self.wine.drive("wait-gone", self.window, "--timeout", "20000")
        self.f.check(code == 0, "the exit button ends the program")
        time.sleep(1)
