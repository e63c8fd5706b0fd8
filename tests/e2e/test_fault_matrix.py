#!/usr/bin/env python3
"""The fault matrix: the real program under wine and Xvfb, with the simulated game, run
through the faults a user's machine can throw at it. In every case the user's
autoexec.cfg, Quake4Config.cfg, own demo and earlier reports are byte for byte what they
were, and the program either finishes its benchmark or is idle again with a message;
every wait is bounded. The outcome of every row comes from the run. The table goes to
the build's e2e-artifacts folder, and to docs/FAULT-MATRIX.md when DEXTREL_WRITE_DOCS=1.

One program start serves several cases: the simulated game reads its switches from a
file at every start, so the cases change the game under the running program."""
import os
import shutil
import signal
import stat
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import (GAME_KEY, SETTINGS_KEY, USER_AUTOEXEC, USER_CONFIG, Failures, Installation,  # noqa: E402
                         Session, Wine, capture_browser, control_ids, files_below, read_bytes, scenario_arguments,
                         read_cmdline, state_of, wait_for)

USER_DEMO = b"// a demo of the user's own\r\nframes 1800\r\n"
EARLIER_REPORT = b"<html><body>an earlier benchmark\r\n</body></html>\r\n"
NO_SCORE = "Error occured. Maybe the demo isn't compatible your Quake 4 version!"
NO_GAME = "ERROR. Please, install the retail version of Quake 4."
NO_RESOLUTION = "ERROR. Please, choose a resolution of Quake 4."
# Typed by the user: a Greek letter (not in Windows-1252), markup, a quotation mark.
NOTE = "\u03a9mega <b>&\u00e9\u20ac"
# The window system maps the letter to its nearest Windows-1252 one (best fit) or to "?".
NOTE_IN_REPORT = [(letter + "mega &lt;b&gt;&amp;\u00e9\u20ac").encode("cp1252") for letter in "O?"]
AMBIENT = 'x"; quit <i>'
JOURNAL = "Dextrel-journal.txt"
WAITING = "A benchmark's game is still running. Its files will be put back when it ends."


class Matrix:
    def __init__(self):
        self.rows = []
        self.exit_codes = []  # (code, meaning) as the program printed them

    def add(self, case, done, outcome, checked):
        self.rows.append((case, done, outcome, checked))
        print(f"| {case} | {outcome}", flush=True)

    def markdown(self):
        def cell(text):
            return text.replace("|", "\\|").replace("\n", " ")
        lines = ["# Fault matrix", "",
                 "Written by tests/e2e/test_fault_matrix.py from its last run under wine with the simulated game.",
                 "\"User's files\" are autoexec.cfg, Quake4Config.cfg, the user's own demo in q4base\\Demos and",
                 "the earlier report in the results folder, compared byte for byte.", "",
                 f"Before a benchmark moves or writes its first file in q4base it writes its journal there ({JOURNAL}):",
                 "every file put aside with its back-up name, every file written, the program's path and, from each",
                 "run's start, the game's process id and start time. Every restore works from the journal and on the",
                 "files it names only; the journal goes last. A start without a journal leaves the game folder as it",
                 "is. A start that finds a journal whose game still runs touches nothing, says so in its window",
                 f"(\"{WAITING}\")",
                 "and puts the files back when that game ends, whether the window is still open or at the next start.",
                 "",
                 "| Case | What was done | Outcome | Files checked |", "|---|---|---|---|"]
        lines += ["| " + " | ".join(cell(c) for c in row) + " |" for row in self.rows]
        if self.exit_codes:
            lines += ["", "## Exit codes of `Dextrel.exe /benchmark`", "",
                      "As `Dextrel.exe /?` printed them in this run. A close request (WM_CLOSE, Alt+F4, log-off,",
                      "`taskkill` without /F), Ctrl+C, Ctrl+Break or closing its console ends the benchmark as",
                      "cancelled (1) with the files back; no message box ever waits.", "",
                      "| Code | Meaning |", "|---|---|"]
            lines += [f"| {code} | {cell(meaning)} |" for code, meaning in self.exit_codes]
        return "\n".join(lines) + "\n"


def exit_codes_of(wine, s):
    """The exit codes the program lists under /?: [(code, meaning)]."""
    code, lines = wine.printed(wine.windows_path(s.setup.program), "/?")
    codes, listing = [], False
    for line in lines if code == 0 else []:
        if line.startswith("Exit codes of /benchmark"):
            listing = True
        elif listing and line[:5].strip().isdigit():
            codes.append((line[:5].strip(), line[5:].strip()))
        elif listing and codes:
            codes[-1] = (codes[-1][0], codes[-1][1] + " " + line.strip())
    return codes


class FaultRun(Session):
    def __init__(self, wine, ids, f):
        super().__init__(wine, ids, f)
        self.setup = Installation(wine)
        self.results = os.path.join(wine.root, "My Results")
        os.makedirs(self.results)
        self.base = self.setup.base
        self.put(os.path.join(self.base, "autoexec.cfg"), USER_AUTOEXEC)
        self.put(os.path.join(self.base, "Quake4Config.cfg"), USER_CONFIG)
        self.put(os.path.join(self.setup.demos, "mine.demo"), USER_DEMO)
        self.put(os.path.join(self.results, "result_earlier.htm"), EARLIER_REPORT)
        self.user_files = files_below(self.setup.game)
        self.switches = os.path.join(wine.root, "game-switches.txt")
        self.record = os.path.join(wine.root, "game-record.txt")
        self.set_game()
        self.browser_log = capture_browser(wine)

    @staticmethod
    def put(path, data):
        with open(path, "wb") as out:
            out.write(data)

    def settings(self):
        """One resolution, one run, cached diagnostic values: a short benchmark."""
        for name, value in [("ResultPath", self.wine.windows_path(self.results) + "\\"), ("Demo", "1"),
                            ("AspectRatio", "0"), ("Quality", "1"), ("RunNumber", "1"), ("640", "1"),
                            ("AALevel", "0"), ("AFLevel", "0"), ("ForceAmbientLight", "1"),
                            ("Display Memory", "128.0 MB"), ("Driver Version", "1.0"), ("Sound", "Speaker")]:
            self.wine.reg_add(SETTINGS_KEY, name, value)

    def set_game(self, **switches):
        """What the simulated game does from its next start on."""
        values = {"DEXTREL_SIM_FAULT": "", "DEXTREL_SIM_PLAY_MS": "300", "DEXTREL_SIM_FPS": "61.5"}
        values.update(switches)
        with open(self.switches, "w") as out:
            out.write("".join(f"{k}={v}\n" for k, v in values.items()))

    def start(self):
        self.wine.env["DEXTREL_SIM_SWITCHES"] = self.wine.windows_path(self.switches)
        self.wine.env["DEXTREL_SIM_RECORD"] = self.wine.windows_path(self.record)
        self.handles.clear()
        # A copy still ending (its window gone, its files being put back) would make the
        # one-copy rule send the new one away.
        self.wait_gone("Dextrel.exe", 30)
        self.setup.start_program()
        self.window = self.setup.main_window()
        if self.window is None:
            # What shows instead (a box before the window, say) goes into the log.
            print(self.wine.drive("list", "--exe", "Dextrel.exe", "--all")[1], flush=True)
            self.wine.screenshot("no-main-window.png")
        return self.f.check(self.window is not None, "the main window appears")

    # ---- Linux processes of this scenario's programs, found by their path
    def pids(self, exe):
        marker = os.path.basename(self.wine.root).lower()
        return [pid for pid in self.wine.processes_with((exe.lower(),)) if marker in read_cmdline(pid)]

    def kill(self, exe):
        pids = self.pids(exe)
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        return pids

    def wait_gone(self, exe, timeout):
        end = time.time() + timeout
        while time.time() < end:
            if not self.pids(exe):
                return True
            time.sleep(0.3)
        return False

    def reports(self, folder=None):
        """The report pages; the data files beside them are not reports."""
        folder = folder or self.results
        return sorted(n for n in os.listdir(folder) if n.startswith("result_") and n.endswith(".htm")) \
            if os.path.isdir(folder) else []

    @staticmethod
    def remove_result_files(folder):
        """Everything a benchmark left in a folder: pages, data files, log folders, the summary, the history."""
        for name in os.listdir(folder):
            if name.startswith("result_") and name != "result_earlier.htm" or name in ("results.csv", "results.htm"):
                path = os.path.join(folder, name)
                shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)

    def game_runs(self):
        if not os.path.exists(self.record):
            return 0
        with open(self.record, encoding="cp1252") as f:
            return sum(1 for line in f if line.startswith("commandline="))

    def benchmark(self, timeout=45, kill_game_after=None):
        """Presses the run button and answers every message box until the window is idle
        with no game running; (ended, messages, game runs, game processes killed)."""
        runs_before = self.game_runs()
        started = time.time()
        self.press_run()
        messages, killed = [], []
        settled = False
        while time.time() - started < timeout:
            if kill_game_after is not None and not killed and time.time() - started > kill_game_after:
                killed = self.kill("quake4.exe")
            code, out, _ = self.wine.drive("message-box", "--exe", "Dextrel.exe", "--timeout", "1500")
            if code == 0:
                box = state_of(out)
                messages.append(box.get("text", ""))
                self.wine.drive("answer", box["hwnd"], "ok")
                settled = False
                continue
            if self.idle() and not self.pids("quake4.exe"):
                if settled:
                    return True, messages, self.game_runs() - runs_before, killed
                # The end of a benchmark sleeps after the panel has gone; a box may follow.
                time.sleep(1.2)
                settled = True
        return False, messages, self.game_runs() - runs_before, killed

    # ---- The user's files
    def check_user_files(self, case, program_running=True, results=None, reports=None):
        """Compares the user's files; returns the text for the table's last column."""
        f = self.f
        autoexec = os.path.join(self.base, "autoexec.cfg")
        kept = os.path.join(self.base, "autoexec_old.cfg")
        here = os.path.exists(autoexec) and read_bytes(autoexec) == USER_AUTOEXEC
        aside = program_running and os.path.exists(kept) and read_bytes(kept) == USER_AUTOEXEC
        f.check(here or aside, f"{case}: the user's autoexec.cfg is kept")
        config = os.path.join(self.base, "Quake4Config.cfg")
        f.check(os.path.exists(config) and read_bytes(config) == USER_CONFIG, f"{case}: Quake4Config.cfg unchanged")
        demo = os.path.join(self.setup.demos, "mine.demo")
        f.check(os.path.exists(demo) and read_bytes(demo) == USER_DEMO, f"{case}: the user's demo unchanged")
        results = results or self.results
        earlier = os.path.join(results, "result_earlier.htm")
        f.check(os.path.exists(earlier) and read_bytes(earlier) == EARLIER_REPORT, f"{case}: the earlier report unchanged")
        for name, data in (reports or {}).items():
            path = os.path.join(results, name)
            f.check(os.path.exists(path) and read_bytes(path) == data, f"{case}: the report {name} unchanged")
        # While the user's autoexec.cfg is aside, the journal naming it is there too.
        out = {"q4base/autoexec_old.cfg", "q4base/" + JOURNAL} if aside else set()
        extra = sorted(files_below(self.setup.game) - self.user_files - out)
        f.check(not extra, f"{case}: nothing of the benchmark's left in the game folder: {extra}")
        where = "autoexec.cfg" if here else f"autoexec.cfg (as autoexec_old.cfg, named in {JOURNAL}, until the program ends)"
        return (f"{where}, Quake4Config.cfg, Demos/mine.demo, result_earlier.htm"
                + (f" and {len(reports)} report(s) of this run" if reports else "")
                + ": identical; game folder: " + (", ".join(extra) if extra else "nothing else left"))


def outcome_text(ended, messages, runs, extra=""):
    text = ("idle again" if ended else "NOT idle within the time limit") + f"; {runs} game run(s)"
    if messages:
        text += "; message " + "; ".join('"' + m.replace("\r\n", " ") + '"' for m in messages)
    else:
        text += "; no message"
    return text + (("; " + extra) if extra else "")


def hexed(text):
    return text.encode("utf-8").hex()


def one_program_run(s, m):
    """Cases that share one start of the program."""
    wine, f = s.wine, s.f
    s.settings()
    if not s.start():
        return
    # Values the user types: a note outside Windows-1252, an ambient-light level that is
    # no number and holds a quotation mark and markup.
    s.click_caption("Options")
    s.click_caption("Paths & information")
    wine.drive("type", s.by_id("NoteEdit"), hexed(NOTE), "--utf8-hex")
    s.click_caption("Add. settings")
    wine.drive("type", s.by_id("ALValues"), hexed(AMBIENT), "--utf8-hex", "--replace")
    time.sleep(0.3)

    # A normal benchmark.
    ended, messages, runs, _ = s.benchmark()
    reports = s.reports()
    new = [n for n in reports if n != "result_earlier.htm"]
    f.check(ended and not messages and runs == 1 and len(new) == 1, f"normal: a report and no message: {messages}")
    mine = {}
    comment = ""
    if new:
        mine[new[0]] = read_bytes(os.path.join(s.results, new[0]))
        page = mine[new[0]]
        f.check(b"<b>Score = 62 FPS</b>" in page, "normal: the report holds the score")
        comment = page.split(b"Comment:</span> ", 1)[-1].split(b"</FONT>", 1)[0].decode("cp1252")
        f.check(comment.encode("cp1252") in NOTE_IN_REPORT,
                f"the typed note reaches the report as Windows-1252 text, markup shown as text: {comment!r}")
        f.check(b"value: x\"; quit &lt;i&gt;<br>" in page, "the typed ambient-light level is shown as typed")
    autoexec = read_bytes(os.path.join(s.base, "autoexec.cfg"))
    f.check(b'seta r_forceAmbient "x; quit <i>"\r\n' in autoexec,
            "the ambient-light level cannot end its quoted value in autoexec.cfg")
    m.add("normal benchmark", "640 x 480, one run, built-in demo; game folder, program folder and results folder "
          "with blanks", outcome_text(ended, messages, runs, "report saved and opened"),
          s.check_user_files("normal", reports=mine))
    m.add("bad typed values: note, ambient-light level",
          f"typed the note {NOTE!r} (Greek letter outside Windows-1252, markup) and the ambient-light level "
          f"{AMBIENT!r}, then the normal benchmark",
          f"the report's comment reads {comment!r}: Windows-1252 text (the Greek letter mapped by the window "
          "system), markup shown as text; "
          "autoexec.cfg line 7 reads seta r_forceAmbient \"x; quit <i>\" (quotation mark dropped, no console "
          "command smuggled in); the report shows the level as typed, escaped",
          "the report's comment and ambient-light lines; autoexec.cfg")

    # A second benchmark in the same program run.
    ended, messages, runs, _ = s.benchmark()
    new = [n for n in s.reports() if n != "result_earlier.htm" and n not in mine]
    f.check(ended and not messages and runs == 1 and len(new) == 1, f"second: another report: {new} {messages}")
    m.add("second benchmark in the same program run", "pressed the run button again after the first had ended",
          outcome_text(ended, messages, runs, f"a second report beside the first"),
          s.check_user_files("second", reports=mine))
    for name in new:
        mine[name] = read_bytes(os.path.join(s.results, name))

    for case, done, switches, kill_after in [
            ("run without score", "the game plays but writes no result line (DEXTREL_SIM_FAULT=noresult)",
             {"DEXTREL_SIM_FAULT": "noresult"}, None),
            ("game crashing", "access violation before anything is written: exit code 0xC0000005, no log "
             "(DEXTREL_SIM_FAULT=crash-early)", {"DEXTREL_SIM_FAULT": "crash-early"}, None),
            ("game hanging, ended from outside", "the game stops responding for 60 s (DEXTREL_SIM_FAULT=hang); "
             "its process killed (SIGKILL) from outside after 3 s", {"DEXTREL_SIM_FAULT": "hang", "DEXTREL_SIM_HANG_MS": "60000"},
             3.0)]:
        s.set_game(**switches)
        ended, messages, runs, killed = s.benchmark(kill_game_after=kill_after)
        f.check(ended and len(messages) == 1 and messages[0].startswith(NO_SCORE),
                f"{case}: the missing score is reported: {messages}")
        if kill_after is not None:
            f.check(bool(killed), f"{case}: the hanging game was found and killed")
        new = [n for n in s.reports() if n != "result_earlier.htm" and n not in mine]
        # An earlier score of this program run makes the page worth saving: it shows "No Score.".
        f.check(all(b"Score = No Score." in read_bytes(os.path.join(s.results, n)) for n in new),
                f"{case}: a report of this run says No Score.")
        m.add(case, done, outcome_text(ended, messages, runs if kill_after is None else 1,
                                       "report of the run shows \"No Score.\"" if new else "no report"),
              s.check_user_files(case, reports=mine))
        for name in new:
            mine[name] = read_bytes(os.path.join(s.results, name))
    s.set_game()

    # The game's program gone from its folder.
    exe = os.path.join(s.setup.game, "quake4.exe")
    os.rename(exe, exe + ".away")
    try:
        ended, messages, runs, _ = s.benchmark()
    finally:
        os.rename(exe + ".away", exe)
    f.check(ended and messages == [NO_GAME] and runs == 0, f"game missing: reported: {messages}")
    m.add("game missing", "quake4.exe removed from the game folder, then the run button",
          outcome_text(ended, messages, runs, "no report"), s.check_user_files("game missing", reports=mine))

    # A read-only game folder.
    read_only(s.setup.game, True)
    try:
        ended, messages, runs, _ = s.benchmark()
    finally:
        read_only(s.setup.game, False)
    f.check(ended and len(messages) == 1 and messages[0].startswith("Cannot create file") and runs == 0,
            f"read-only game folder: reported: {messages}")
    m.add("read-only game folder", "every folder and file of the game made read-only, then the run button", outcome_text(ended, messages, runs, "no report"),
          s.check_user_files("read-only game", reports=mine))

    # A read-only results folder: the report goes to the program's folder, the user is told.
    read_only(s.results, True)
    try:
        ended, messages, runs, _ = s.benchmark()
    finally:
        read_only(s.results, False)
    elsewhere = s.reports(s.setup.program_dir)
    # The page goes elsewhere with a word; the summary and the logs, which belong in the
    # results folder, are named once in a second message.
    f.check(ended and runs == 1 and len(messages) == 2 and "could not be saved in the results folder" in messages[0]
            and "could not be written" in messages[1]
            and len(elsewhere) == 1, f"read-only results: saved elsewhere and said so: {messages} {elsewhere}")
    m.add("read-only results folder", "results folder and its reports made read-only, then a benchmark",
          outcome_text(ended, messages, runs, f"report saved in the program's folder instead ({len(elsewhere)}), "
                       "its data file beside it; one message for the summary and the log that could not be written"),
          s.check_user_files("read-only results", reports=mine))
    s.remove_result_files(s.setup.program_dir)

    # A results folder that has gone: made again.
    away = s.results + ".away"
    os.rename(s.results, away)
    try:
        ended, messages, runs, _ = s.benchmark()
        made = s.reports()
        f.check(ended and not messages and runs == 1 and len(made) == 1, f"missing results: made again: {made}")
        shutil.rmtree(s.results)
    finally:
        os.rename(away, s.results)
    m.add("missing results folder", "results folder renamed away while the program runs, then a benchmark",
          outcome_text(ended, messages, runs, f"folder made again, report saved in it ({len(made)})"),
          s.check_user_files("missing results", reports=mine))

    # Leaving by the exit button.
    s.exit_program()
    m.add("leaving by the exit button", "after the cases above, the exit button",
          "program ended" + ("" if s.wait_gone("Dextrel.exe", 30) else " NOT"),
          s.check_user_files("exit button", program_running=False, reports=mine))
    f.check(wine.reg_query(SETTINGS_KEY, "Display Memory") == "", "the exit empties the diagnostic cache")


def read_only(folder, on):
    """A folder and everything in it refused to writes. Root writes past permission bits,
    so there the immutable flag does it."""
    if os.geteuid() == 0 and shutil.which("chattr"):
        subprocess.run(["chattr", "-R", "+i" if on else "-i", folder], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return
    for base, dirs, names in os.walk(folder):
        for name in names + dirs:
            path = os.path.join(base, name)
            os.chmod(path, os.stat(path).st_mode | stat.S_IWUSR if not on else os.stat(path).st_mode & ~0o222)
    mode = os.stat(folder).st_mode
    os.chmod(folder, (mode & ~0o222) if on else (mode | stat.S_IWUSR))


def untouched_folder(s, m):
    """Files of the user's own under the names a benchmark uses, and no journal: starting
    and closing the program changes nothing in the game folder."""
    wine, f = s.wine, s.f
    autoexec = os.path.join(s.base, "autoexec.cfg")
    own = {"q4base/autoexec_old.cfg": b"// put aside on purpose\r\nbind F1 \"quit\"\r\n",
           "q4base/Quake4Configold.cfg": b"// an older configuration of the user's\r\nseta r_mode \"3\"\r\n"}
    os.rename(autoexec, autoexec + ".away")
    try:
        for name, data in own.items():
            s.put(os.path.join(s.setup.game, *name.split("/")), data)
        before = {name: read_bytes(os.path.join(s.setup.game, *name.split("/"))) for name in files_below(s.setup.game)}
        if not s.start():
            return
        time.sleep(1)
        wine.drive("key", s.window, "F4", "--alt")
        code, _, _ = wine.drive("wait-gone", s.window, "--timeout", "20000")
        f.check(code == 0, "untouched folder: the window closes")
        time.sleep(1)
        after = {name: read_bytes(os.path.join(s.setup.game, *name.split("/"))) for name in files_below(s.setup.game)}
        f.check(after == before, f"untouched folder: nothing changed: {sorted(set(after) ^ set(before))}")
        f.check(not os.path.exists(autoexec), "untouched folder: autoexec_old.cfg not moved to autoexec.cfg")
    finally:
        for name in own:
            path = os.path.join(s.setup.game, *name.split("/"))
            if os.path.exists(path):
                os.remove(path)
        if os.path.exists(autoexec):
            os.remove(autoexec)
        os.rename(autoexec + ".away", autoexec)
    m.add("untouched folder", "a user's own autoexec_old.cfg and Quake4Configold.cfg, no autoexec.cfg and no journal; "
          "program started and closed (Alt+F4)",
          "program ended" if code == 0 else "window did NOT close",
          f"every file of the game folder ({len(before)}): byte for byte as before; autoexec.cfg still absent")


def orphaned_game(s, m):
    """The program killed while its game plays and started again at once: the new copy
    says it waits, touches nothing while the game runs and puts the files back when it ends."""
    wine, f = s.wine, s.f
    s.settings()
    s.set_game(DEXTREL_SIM_PLAY_MS="15000")
    if not s.start():
        return
    s.handles.clear()
    s.press_run()
    f.check(wait_for(lambda: bool(s.pids("quake4.exe")), 20), "orphaned: the game runs")
    time.sleep(1)
    written = read_bytes(os.path.join(s.base, "autoexec.cfg"))
    f.check(written != USER_AUTOEXEC and os.path.exists(os.path.join(s.base, JOURNAL)),
            "orphaned: the benchmark's autoexec.cfg and its journal are in place")
    f.check(bool(s.kill("Dextrel.exe")), "orphaned: the program's process was found and killed")
    f.check(s.wait_gone("Dextrel.exe", 10), "orphaned: the program is gone")
    s.set_game()
    if not s.start():
        return
    s.handles.clear()
    label = s.state("WaitingLabel")
    f.check(label.get("visible") == "1" and label.get("text") == WAITING,
            f"orphaned: the new copy's window says it waits for the game: {label}")
    game_running = bool(s.pids("quake4.exe"))
    f.check(game_running, "orphaned: the game still plays after the new start")
    f.check(read_bytes(os.path.join(s.base, "autoexec.cfg")) == written
            and read_bytes(os.path.join(s.base, "autoexec_old.cfg")) == USER_AUTOEXEC
            and read_bytes(os.path.join(s.base, "Quake4Configold.cfg")) == USER_CONFIG,
            "orphaned: nothing is touched while the game runs")
    s.press_run()
    code, out, _ = wine.drive("message-box", "--exe", "Dextrel.exe", "--timeout", "10000")
    box = state_of(out) if code == 0 else {}
    f.check(box.get("text") == WAITING, f"orphaned: the run button says why it cannot start: {box}")
    if code == 0:
        wine.drive("answer", box["hwnd"], "ok")
    f.check(s.wait_gone("quake4.exe", 40), "orphaned: the game ends by itself")
    back = wait_for(lambda: read_bytes(os.path.join(s.base, "autoexec.cfg")) == USER_AUTOEXEC
                    and not os.path.exists(os.path.join(s.base, JOURNAL)), 20)
    f.check(back, "orphaned: the window still open puts the files back once the game has ended")
    f.check(s.state("WaitingLabel").get("visible") == "0", "orphaned: the waiting line goes")
    wine.drive("key", s.window, "F4", "--alt")
    code, _, _ = wine.drive("wait-gone", s.window, "--timeout", "20000")
    time.sleep(1)
    checked = s.check_user_files("orphaned game", program_running=False)
    m.add("program killed while its game plays, started again at once",
          "Dextrel.exe killed (SIGKILL) 1 s into a 15 s game; started again at once while the game played; "
          "the run button pressed; the game ended by itself; then Alt+F4",
          f"the new window said \"{WAITING}\"; the run button was refused with the same words; nothing touched "
          "while the game ran; autoexec.cfg and Quake4Config.cfg put back by the open window when the game ended, "
          "the journal removed last", checked)


def killed_and_restarted(s, m):
    """The program killed while the game plays, started again, then its window closed."""
    wine, f = s.wine, s.f
    s.settings()
    s.set_game(DEXTREL_SIM_PLAY_MS="4000")
    if not s.start():
        return
    f.check(not os.path.exists(os.path.join(s.base, "Quake4Configold.cfg")),
            "the start put back the copy of Quake4Config.cfg the refused start of the case before left")
    s.handles.clear()
    s.press_run()
    end = time.time() + 20
    while time.time() < end and not s.pids("quake4.exe"):
        time.sleep(0.3)
    f.check(bool(s.pids("quake4.exe")), "killed: the game runs")
    time.sleep(1)
    f.check(bool(s.kill("Dextrel.exe")), "killed: the program's process was found and killed")
    f.check(s.wait_gone("Dextrel.exe", 10), "killed: the program is gone")
    # The game plays on by itself and rewrites its configuration when it ends.
    f.check(s.wait_gone("quake4.exe", 20), "killed: the game ends by itself")
    left = sorted(files_below(s.setup.game) - s.user_files)
    rewritten = read_bytes(os.path.join(s.base, "Quake4Config.cfg"))
    f.check(rewritten != USER_CONFIG, "killed: the game rewrote Quake4Config.cfg")
    s.set_game()
    if not s.start():
        return
    s.handles.clear()
    time.sleep(0.5)
    kept = os.path.join(s.base, "Quake4Configold1.cfg")
    f.check(read_bytes(os.path.join(s.base, "autoexec.cfg")) == USER_AUTOEXEC,
            "restarted: the user's autoexec.cfg is back at once")
    f.check(read_bytes(os.path.join(s.base, "Quake4Config.cfg")) == USER_CONFIG,
            "restarted: the user's Quake4Config.cfg is back at once")
    f.check(os.path.exists(kept) and read_bytes(kept) == rewritten,
            "restarted: the configuration the game wrote meanwhile is kept as Quake4Configold1.cfg")
    # Leaving by a close request (Alt+F4) removes the rest.
    wine.drive("key", s.window, "F4", "--alt")
    code, _, _ = wine.drive("wait-gone", s.window, "--timeout", "20000")
    f.check(code == 0, "the window closes")
    time.sleep(1)
    s.user_files.add("q4base/Quake4Configold1.cfg")
    checked = s.check_user_files("killed and restarted", program_running=False)
    m.add("program killed in the middle of a run, started again",
          "Dextrel.exe killed (SIGKILL) while the game played; the game ended by itself and rewrote "
          "Quake4Config.cfg; the program started again",
          f"left behind: {', '.join(left)}; at the new start autoexec.cfg and Quake4Config.cfg are the user's "
          "again, the game's rewritten configuration is kept as Quake4Configold1.cfg", checked)
    m.add("leaving by closing the window", "Alt+F4 on the restarted program's window",
          "program ended; VKRdemo.demo and qconsole.log, named in the journal, were removed at the start"
          if code == 0 else "window did NOT close",
          checked + " (besides the kept Quake4Configold1.cfg)")
    if os.path.exists(kept):
        os.remove(kept)
    s.user_files.discard("q4base/Quake4Configold1.cfg")


def no_settings_key(s, m):
    wine, f = s.wine, s.f
    wine.reg_delete_key(SETTINGS_KEY)
    if not s.start():
        return
    ended, messages, runs, _ = s.benchmark()
    f.check(ended and messages == [NO_RESOLUTION] and runs == 0, f"no settings key: reported: {messages}")
    wine.drive("key", s.window, "F4", "--alt")
    code, _, _ = wine.drive("wait-gone", s.window, "--timeout", "20000")
    time.sleep(1)
    created = wine.reg_query(SETTINGS_KEY, "News")
    f.check(created == "0", f"no settings key: the refused start made the key, the close stored News = 0: {created}")
    leftover = os.path.join(s.base, "Quake4Configold.cfg")
    f.check(not os.path.exists(leftover) and not os.path.exists(os.path.join(s.base, JOURNAL)),
            "no settings key: the close puts back the refused start's copy of Quake4Config.cfg, as its journal names it")
    checked = s.check_user_files("no settings key", program_running=False)
    m.add("settings key that does not exist", "HKLM\\SOFTWARE\\Tamberlin\\Dextrel deleted, program started, "
          "run button, window closed", outcome_text(ended, messages, runs, "the key is made by the refused start"),
          checked + " (the refused start's copy of Quake4Config.cfg and its journal put back by the close)")


def eight_copies_with_long_paths(s, m):
    """Eight copies at the same moment: one survives. The survivor has a game folder and
    a results folder past MAX_PATH (260 characters) to work with."""
    wine, f = s.wine, s.f
    deep = os.path.join(wine.root, "Deep", *(["a folder name of some forty characters eh"] * 6))
    game = os.path.join(deep, "Quake 4")
    results = os.path.join(deep, "Results")
    os.makedirs(os.path.join(game, "q4base", "Demos"))
    os.makedirs(results)
    shutil.copy(os.path.join(wine.bin_dir, "quake4.exe"), os.path.join(game, "quake4.exe"))
    long_game, long_results = wine.windows_path(game), wine.windows_path(results)
    s.settings()
    wine.reg_add(GAME_KEY, "InstallPath", long_game)
    wine.reg_add(SETTINGS_KEY, "ResultPath", long_results + "\\")
    try:
        program = wine.windows_path(s.setup.program)
        copies = [subprocess.Popen(["wine", program], env=wine.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
                  for _ in range(8)]
        wine.started.extend(copies)
        end = time.time() + 60
        while time.time() < end and sum(c.poll() is not None for c in copies) < 7:
            time.sleep(0.3)
        codes = sorted(c.returncode for c in copies if c.poll() is not None)
        s.window = s.setup.main_window()
        s.handles.clear()
        running = [c for c in copies if c.poll() is None]
        code, out, _ = wine.drive("list", "--exe", "Dextrel.exe", "--all")
        pids = {line.split("pid=")[1].split()[0] for line in out.splitlines() if "pid=" in line}
        f.check(codes == [0] * 7 and len(running) == 1, f"eight copies: seven end with 0, one runs: {codes}")
        f.check(s.window is not None and len(pids) == 1, f"eight copies: windows of one process only: {out!r}")
        m.add("8 copies started at the same moment", "eight `wine Dextrel.exe` of the same path started together",
              f"{len(running)} survives; exit codes of the others: {codes}; windows of {len(pids)} process(es) only",
              "see the next row (the survivor's benchmark)")
        if s.window is None:
            return
        stored = wine.reg_query(SETTINGS_KEY, "ResultPath")
        ended, messages, runs, _ = s.benchmark()
        f.check(ended and (messages or runs == 1), f"long paths: finished or told: {messages}")
        reports = s.reports(results) + s.reports(os.path.join(s.setup.program_dir, "Benchmark"))
        wine.drive("key", s.window, "F4", "--alt")
        wine.drive("wait-gone", s.window, "--timeout", "20000")
        time.sleep(1)
        left = sorted(files_below(game) - {"quake4.exe"})
        f.check(not left, f"long paths: nothing left in the long game folder: {left}")
        m.add("very long paths", f"game folder ({len(long_game)} characters) and results folder "
              f"({len(long_results)}) past MAX_PATH, set in the registry; a benchmark by the surviving copy",
              outcome_text(ended, messages, runs, f"results folder after the load: "
                           f"{'the long one' if stored == long_results + chr(92) else stored}; reports: {len(reports)}"),
              s.check_user_files("long paths", program_running=False)
              + "; long game folder: " + (", ".join(left) if left else "nothing left"))
    finally:
        wine.reg_add(GAME_KEY, "InstallPath", wine.windows_path(s.setup.game))


def main():
    args = scenario_arguments()
    ids = control_ids(args.source)
    f = Failures()
    m = Matrix()
    prefix = os.environ.get("WINEPREFIX") or os.path.join(args.bin, "wineprefix")
    earlier = os.path.join(prefix, "drive_c", "e2e", "fault_matrix")
    if os.path.isdir(earlier):
        read_only(earlier, False)
    wine = Wine(args.bin, args.source, "fault_matrix")
    started = time.time()
    try:
        s = FaultRun(wine, ids, f)
        for scenario in (one_program_run, no_settings_key, untouched_folder, killed_and_restarted, orphaned_game,
                         eight_copies_with_long_paths):
            scenario(s, m)
            wine.kill_started()
            print(f"-- {scenario.__name__} done at {time.time() - started:.0f} s", flush=True)
        m.exit_codes = exit_codes_of(wine, s)
        f.check([c for c, _ in m.exit_codes] == ["0", "1", "2", "3", "4"],
                f"/? lists the unattended exit codes 0 to 4: {m.exit_codes}")
    finally:
        wine.kill_started()
        wine.reg_delete_key(GAME_KEY)
        table = m.markdown()
        with open(os.path.join(wine.artifacts, "FAULT-MATRIX.md"), "w") as out:
            out.write(table)
        if os.environ.get("DEXTREL_WRITE_DOCS") == "1":
            with open(os.path.join(args.source, "docs", "FAULT-MATRIX.md"), "w") as out:
                out.write(table)
    print(f"fault matrix took {time.time() - started:.0f} s", flush=True)
    f.exit("fault matrix")


if __name__ == "__main__":
    main()
