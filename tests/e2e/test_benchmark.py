#!/usr/bin/env python3
"""Whole benchmarks through the real window under wine and Xvfb, with the simulated game
installed in a folder with blanks: two resolutions with two runs each, the diagnostic
stand-in tool run first, the report saved in the results folder and opened through the
shell, with its JSON, its lines of results.csv and one kept log per run beside it, the
game folder afterwards holding exactly the user's files; then a game that
crashes and one that writes no result, which end the benchmark with nothing of the
user's lost. Screenshots go to the build's e2e-artifacts folder."""
import csv
import json
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import (GAME_KEY, SETTINGS_KEY, USER_AUTOEXEC, USER_CONFIG, Failures, Installation,  # noqa: E402
                         Session, Wine, capture_browser, chromium, control_ids, files_below, read_bytes,
                         scenario_arguments, state_of, wait_for)

NO_SCORE = "Error occured. Maybe the demo isn't compatible your Quake 4 version!"
# A back-up of the user's from long ago, which no benchmark may replace.
EARLIER_AUTOEXEC = b"// kept from an older setup\r\nbind F11 \"quit\"\r\n"
DISPLAY_CLASS_KEY = r"HKLM\SYSTEM\ControlSet001\Control\Class\{4D36E968-E325-11CE-BFC1-08002BE10318}\0000"


class Scenario(Session):
    def __init__(self, wine, ids, f):
        super().__init__(wine, ids, f)
        self.setup = Installation(wine)
        self.results = os.path.join(wine.root, "My Results")
        os.makedirs(self.results)
        with open(os.path.join(self.setup.base, "autoexec.cfg"), "wb") as out:
            out.write(USER_AUTOEXEC)
        with open(os.path.join(self.setup.base, "Quake4Config.cfg"), "wb") as out:
            out.write(USER_CONFIG)
        with open(os.path.join(self.setup.base, "autoexec_old.cfg"), "wb") as out:
            out.write(EARLIER_AUTOEXEC)
        self.user_files = files_below(self.setup.game)
        wine.reg_add(SETTINGS_KEY, "ResultPath", wine.windows_path(self.results) + "\\")
        wine.reg_add(SETTINGS_KEY, "Demo", "1")
        wine.reg_add(SETTINGS_KEY, "AspectRatio", "0")
        wine.reg_add(SETTINGS_KEY, "AALevel", "1")
        wine.reg_add(SETTINGS_KEY, "AFLevel", "2")
        self.browser_log = capture_browser(wine)
        self.record = os.path.join(wine.root, "game-record.txt")

    def start(self, **env):
        for key in [k for k in self.wine.env if k.startswith("DEXTREL_SIM_") or k.startswith("DXDIAG_")]:
            del self.wine.env[key]
        self.wine.env.update(env)
        self.wine.env["DEXTREL_SIM_RECORD"] = self.wine.windows_path(self.record)
        self.setup.start_program()
        self.window = self.setup.main_window()
        return self.f.check(self.window is not None, "the main window appears")

    def choose(self, presets, runs, quality):
        """Ticks the presets (items of the resolution group), picks the runs and quality."""
        self.click_caption("Options")
        self.click_caption("Resolution &  Runs")
        for index in presets:
            item = self.by_id("res", index)
            # As a user: the mouse comes, clicks, and leaves, which stores the group.
            self.wine.drive("hover", item)
            self.wine.drive("tick", item, "on")
            self.wine.drive("leave", item)
            time.sleep(0.4)
        self.wine.drive("select", self.by_id("RunNumberBox"), "--text", str(runs))
        self.click_caption("Demos & Quality")
        self.wine.drive("click", self.by_id("QualityModeBox", quality))
        time.sleep(0.3)

    def game_runs(self):
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="cp1252") as f:
            return [line.strip() for line in f if line.startswith("commandline=")]

    def expect_user_files(self, when):
        f = self.f
        f.check(read_bytes(os.path.join(self.setup.base, "autoexec.cfg")) == USER_AUTOEXEC,
                f"{when}: autoexec.cfg is the user's, byte for byte")
        f.check(read_bytes(os.path.join(self.setup.base, "Quake4Config.cfg")) == USER_CONFIG,
                f"{when}: Quake4Config.cfg is the user's, byte for byte")
        f.check(read_bytes(os.path.join(self.setup.base, "autoexec_old.cfg")) == EARLIER_AUTOEXEC,
                f"{when}: the earlier autoexec_old.cfg is untouched")


def two_resolutions_two_runs(wine, ids, f):
    s = Scenario(wine, ids, f)
    system32 = os.path.join(wine.drive_c, "windows", "system32")
    tool = os.path.join(system32, "dxdiag.exe")
    saved_tool = tool + ".dextrel-saved"
    if os.path.exists(tool) and not os.path.exists(saved_tool):
        shutil.copy(tool, saved_tool)
    shutil.copy(os.path.join(wine.bin_dir, "dxdiag.exe"), tool)
    # Every real 64-bit Windows has the display class key in its native view; reading
    # the adapter details there must not hide the settings key from the exit.
    wine.run("reg", "add", DISPLAY_CLASS_KEY, "/v", "DriverDesc", "/d", "Simulated Radeon 9800", "/f", "/reg:64")
    # Wine would load its own tool of that name from the system folder.
    wine.env["WINEDLLOVERRIDES"] += ";dxdiag.exe=n"
    try:
        if not s.start(DEXTREL_SIM_FPS="61.5", DEXTREL_SIM_PLAY_MS="1500", DXDIAG_CARD="Simulated Radeon 9800",
                       DXDIAG_MEMORY="256.0 MB", DXDIAG_DRIVER="6.14.0010.6575", DXDIAG_SOUND="Simulated HD Audio",
                       DXDIAG_LOG=wine.windows_path(os.path.join(wine.root, "dxdiag.log"))):
            return
        s.choose(presets=[0, 1], runs=2, quality=2)
        wine.screenshot("options-before-run.png")
        started = time.time()
        s.press_run()
        # The program's own thread sleeps between runs and may not answer every look at once.
        shown = False
        for _ in range(16):
            time.sleep(0.5)
            if s.state("Panel1").get("visible") == "1":
                shown = True
                break
        f.check(shown, "the busy panel shows while the benchmark runs")
        # A look the sleeping program does not answer reads nothing: look again.
        button = {}
        for _ in range(16):
            button = s.state("BenchButton")
            if "enabled" in button:
                break
            time.sleep(0.5)
        f.check(button.get("enabled") == "0", f"the run button is disabled while it runs ({button.get('enabled')})")
        wine.screenshot("busy-panel.png")

        idle = s.wait_idle(120)
        f.check(idle, "the benchmark ends with the window idle again")
        print(f"benchmark of 2 x 2 runs took {time.time() - started:.1f} s", flush=True)
        f.check(os.path.exists(os.path.join(wine.root, "dxdiag.log")), "the diagnostic tool ran from the system folder")
        f.check(wine.reg_query(SETTINGS_KEY, "Display Memory") not in (None, ""), "its values are cached")

        runs = s.game_runs()
        f.check(len(runs) == 4, f"four game runs: {runs}")
        widths = [r.split("r_customWidth ")[1].split()[0] for r in runs if "r_customWidth " in r]
        f.check(widths == ["640", "640", "800", "800"], f"640 twice, then 800 twice: {widths}")

        reports = [n for n in os.listdir(s.results) if n.startswith("result_") and n.endswith(".htm")]
        if f.check(len(reports) == 1, f"one report in the results folder: {reports}"):
            path = os.path.join(s.results, reports[0])
            raw = read_bytes(path)
            text = raw.decode("cp1252")
            f.check(raw.endswith(b"</BODY></HTML>\r\n"), "the report ends with the closing line and CR LF")
            f.check(b"Resolution: 640\xd7480</FONT>" in raw, "the 640 x 480 block")
            f.check(b"Resolution: 800\xd7600</FONT>" in raw, "the 800 x 600 block")
            f.check(text.count("<b>Score = 62 FPS</b><br>") == 4, "61.5 fps is scored 62 in all four runs")
            f.check(text.count("Average score = 62 FPS") == 2, "both blocks have the average 62")
            f.check("Simulated HD Audio" in text and "Simulated Radeon 9800" in text,
                    "the head has the tool's sound device and card")
            f.check("Quality: High" in text, "the chosen quality is in the blocks")
            shutil.copy(path, os.path.join(wine.artifacts, "report.htm"))
            end = time.time() + 20
            while time.time() < end and not os.path.exists(s.browser_log):
                time.sleep(0.5)
            opened = open(s.browser_log).read() if os.path.exists(s.browser_log) else ""
            f.check(reports[0] in opened, f"the report is opened through the shell: {opened!r}")
            check_result_files(f, s, reports[0], text)
            render_report(wine, path)

        game = files_below(s.setup.game)
        f.check(game == s.user_files | {"q4base/autoexec_old1.cfg", "q4base/Dextrel-journal.txt"},
                f"after the benchmark the user's files, the kept autoexec.cfg and the journal: {sorted(game)}")
        journal = os.path.join(s.setup.base, "Dextrel-journal.txt")
        f.check(os.path.exists(journal) and b"moved\tautoexec.cfg\tautoexec_old1.cfg\r\n" in read_bytes(journal),
                "the journal names where the user's autoexec.cfg waits")
        f.check(read_bytes(os.path.join(s.setup.base, "autoexec_old1.cfg")) == USER_AUTOEXEC,
                "the user's autoexec.cfg waits beside the earlier back-up, which is untouched")
        f.check(read_bytes(os.path.join(s.setup.base, "Quake4Config.cfg")) == USER_CONFIG,
                "Quake4Config.cfg is back to the user's after the benchmark")
        # Out through the window's close, the window not activated again.
        wine.drive("close", s.window)
        f.check(wine.drive("wait-gone", s.window, "--timeout", "20000")[0] == 0, "the close box ends the program")
        time.sleep(1)
        f.check(files_below(s.setup.game) == s.user_files,
                f"after the exit exactly the user's files: {sorted(files_below(s.setup.game))}")
        s.expect_user_files("after the exit")
        cache = [wine.reg_query(SETTINGS_KEY, name) for name in ("Display Memory", "Driver Version", "Sound", "News")]
        f.check(cache == ["", "", "", "0"], f"the close empties the diagnostic cache and stores News = 0: {cache}")
    finally:
        wine.run("reg", "delete", DISPLAY_CLASS_KEY, "/f", "/reg:64")
        if os.path.exists(saved_tool):
            shutil.move(saved_tool, tool)
        else:
            os.remove(tool)


def unquoted_program(command_line):
    """Wine hands the child its program path in quotes when it found the program at the
    blanks of an unquoted command line; the program itself passed it without."""
    if command_line.startswith('"') and '"' in command_line[1:]:
        end = command_line.index('"', 1)
        return command_line[1:end] + command_line[end + 1:]
    return command_line


def check_result_files(f, s, report_name, report_text):
    """The JSON, the summary line and the kept logs beside the report agree with it."""
    stamp = report_name[len("result_"):-len(".htm")]
    json_path = os.path.join(s.results, f"result_{stamp}.json")
    if f.check(os.path.exists(json_path), "the JSON lies beside the report"):
        with open(json_path, encoding="utf-8") as inp:
            doc = json.load(inp)
        shutil.copy(json_path, os.path.join(s.wine.artifacts, "result.json"))
        f.check(doc.get("schema_version") == 2, "the JSON names its schema version")
        f.check(doc.get("report_file") == report_name, "the JSON names its report")
        started = doc.get("started", {}).get("text", "")
        f.check(f"The benchmark started at {started}</FONT>" in report_text,
                f"the JSON's start time is the report's: {started!r}")
        runs = doc.get("runs", [])
        scores = [r.get("score") for r in runs]
        report_scores = [int(x) for x in re.findall(r"<b>Score = (\d+) FPS</b>", report_text)]
        f.check(scores == report_scores, f"the JSON's scores are the report's: {scores} {report_scores}")
        f.check([(r.get("tag"), r.get("repetition")) for r in runs] == [("640", 1), ("640", 2), ("800", 1), ("800", 2)],
                f"every run by tag and repetition: {[(r.get('tag'), r.get('repetition')) for r in runs]}")
        f.check(all(r.get("frame_rate_text") == "61.5" for r in runs), "the unrounded rate as the game printed it")
        started_with = [unquoted_program(c[len("commandline="):]) for c in s.game_runs()]
        f.check([r.get("command_line") for r in runs] == started_with,
                f"the JSON's command lines are those the game was started with: {runs[:1]} {started_with[:1]}")
        averages = [r.get("average_score") for r in doc.get("resolutions", [])]
        report_averages = [int(x) for x in re.findall(r"Average score = (\d+) FPS", report_text)]
        f.check(averages == report_averages, f"the JSON's averages are the report's: {averages} {report_averages}")

    csv_path = os.path.join(s.results, "results.csv")
    if f.check(os.path.exists(csv_path), "results.csv is in the results folder"):
        with open(csv_path, encoding="utf-8-sig", newline="") as inp:
            rows = list(csv.reader(inp))
        f.check(len(rows) == 3 and rows[0][:2] == ["started", "resolution"], f"a header and two lines: {rows}")
        lines = rows[1:]
        f.check([r[1] for r in lines] == ["640x480", "800x600"], f"one line per resolution: {lines}")
        report_averages = re.findall(r"Average score = (\d+) FPS", report_text)
        f.check([r[7] for r in lines] == report_averages, f"the summary's averages are the report's: {lines}")
        f.check(all(r[-1] == report_name for r in lines), "each line names the report")

    logs = os.path.join(s.results, f"result_{stamp}_logs")
    kept = sorted(os.listdir(logs)) if os.path.isdir(logs) else []
    f.check(kept == ["640_1_qconsole.log", "640_2_qconsole.log", "800_1_qconsole.log", "800_2_qconsole.log"],
            f"one kept log per run: {kept}")
    f.check(all(b"= 61.5 fps" in read_bytes(os.path.join(logs, name)) for name in kept),
            "each kept log holds its run's result line")


def render_report(wine, path):
    """A picture of the opened report, when Chromium is installed."""
    chromium(wine, "--window-size=800,900", f"--screenshot={os.path.join(wine.artifacts, 'report.png')}",
             "file://" + path)


def failing_game(wine, ids, f, fault):
    """A run that gives no score: the user is told, the benchmark ends there, the window
    is idle, the user's files are back and no report is written."""
    s = Scenario(wine, ids, f)
    # Cached values: the tool does not run.
    wine.reg_add(SETTINGS_KEY, "Display Memory", "128.0 MB")
    wine.reg_add(SETTINGS_KEY, "Driver Version", "1.0")
    wine.reg_add(SETTINGS_KEY, "Sound", "Speaker")
    if not s.start(DEXTREL_SIM_FAULT=fault, DEXTREL_SIM_PLAY_MS="300"):
        return
    s.choose(presets=[0, 2], runs=2, quality=1)
    s.press_run()
    code, out, _ = wine.drive("message-box", "--exe", "Dextrel.exe", "--timeout", "60000")
    box = state_of(out)
    f.check(code == 0 and NO_SCORE in box.get("text", ""), f"{fault}: the user is told of the missing score: {out!r}")
    if code == 0:
        wine.screenshot(f"no-score-{fault}.png")
        wine.drive("answer", box["hwnd"], "ok")
    f.check(s.wait_idle(30), f"{fault}: the window is idle again")
    time.sleep(1)
    f.check(len(s.game_runs()) == 1, f"{fault}: the benchmark ends after that run: {s.game_runs()}")
    left = os.listdir(s.results)
    f.check(len(left) == 1 and left[0].startswith("result_") and left[0].endswith("_logs"),
            f"{fault}: no report, no JSON and no summary without a score: {left}")
    if len(left) == 1:
        kept = os.listdir(os.path.join(s.results, left[0]))
        f.check(kept == ["640_1_qconsole.log"], f"{fault}: the failed run's log is kept: {kept}")
    f.check(not os.path.exists(s.browser_log), f"{fault}: nothing is opened")
    s.expect_user_files(f"{fault}, after the run")
    s.exit_program()
    f.check(files_below(s.setup.game) == s.user_files,
            f"{fault}: after the exit exactly the user's files: {sorted(files_below(s.setup.game))}")


def hung_game(wine, ids, f):
    """A game that hangs: a second copy from another folder keeps its hands off while the
    first benchmarks; Escape asks and No goes on, Cancel and Yes close the game and keep
    the run measured before; then the time limit ends a run; then leaving asks too."""
    s = Scenario(wine, ids, f)
    wine.reg_add(SETTINGS_KEY, "Display Memory", "128.0 MB")
    wine.reg_add(SETTINGS_KEY, "Driver Version", "1.0")
    wine.reg_add(SETTINGS_KEY, "Sound", "Speaker")
    switches = os.path.join(wine.root, "switches.txt")
    open(switches, "w").close()
    if not s.start(DEXTREL_SIM_PLAY_MS="300", DEXTREL_SIM_HANG_MS="600000",
                   DEXTREL_SIM_SWITCHES=wine.windows_path(switches)):
        return
    s.choose(presets=[0], runs=2, quality=1)
    s.press_run()
    # The first run scores; the second hangs.
    f.check(wait_for(lambda: open(s.record, encoding="cp1252").read().count("exit=") == 1
                     if os.path.exists(s.record) else False, 30), "the first run ends")
    with open(switches, "w") as out:
        out.write("DEXTREL_SIM_FAULT=hang\n")
    f.check(wait_for(lambda: len(s.game_runs()) == 2, 30), "the second run starts and hangs")
    written = read_bytes(os.path.join(s.setup.base, "autoexec.cfg"))

    # A second copy from another folder: it runs, recovers nothing and starts nothing.
    other_dir = os.path.join(wine.root, "Portable", "Dextrel")
    os.makedirs(os.path.join(other_dir, "Demos"))
    shutil.copy(s.setup.program, os.path.join(other_dir, "Dextrel.exe"))
    wine.start(wine.windows_path(os.path.join(other_dir, "Dextrel.exe")))
    other = None
    end = time.time() + 40
    while time.time() < end and other is None:
        listed = wine.drive("list", "--exe", "Dextrel.exe")[1]
        for line in listed.splitlines():
            handle = line.split()[0] if line.strip() else ""
            if "class=TForm1" in line and "visible=1" in line and handle != s.window:
                other = handle
        time.sleep(0.5)
    if f.check(other is not None, "a copy from another folder starts beside the benchmarking one"):
        f.check(read_bytes(os.path.join(s.setup.base, "autoexec.cfg")) == written and
                read_bytes(os.path.join(s.setup.base, "Quake4Configold.cfg")) == USER_CONFIG,
                "the second copy's start-up leaves the running benchmark's files alone")
        second = Session(wine, ids, f)
        second.window = other
        second.press_run()
        box = wine.message_box()
        f.check(box.get("text") == "Another copy of Dextrel is benchmarking this game. Wait until it has finished.",
                f"the second copy's run button is refused: {box}")
        if box:
            wine.answer(box, "ok")
        f.check(read_bytes(os.path.join(s.setup.base, "autoexec.cfg")) == written and len(s.game_runs()) == 2,
                "the refused press touches nothing")
        wine.drive("close", other)
        wine.drive("wait-gone", other, "--timeout", "20000")

    wine.drive("key", s.window, "ESCAPE")
    box = wine.message_box()
    f.check(box.get("text") == "Stop the benchmark? The game will be closed.", f"Escape asks: {box}")
    if box:
        wine.screenshot("stop-question.png")
        wine.answer(box, "no")
    time.sleep(1)
    f.check(not s.idle(), "No lets the benchmark go on")
    wine.drive("click", s.by_id("CancelBenchmark"))
    box = wine.message_box()
    f.check(box.get("text") == "Stop the benchmark? The game will be closed.", f"Cancel asks: {box}")
    if box:
        wine.answer(box, "yes")
    f.check(s.wait_idle(30), "after Yes the window is idle again")
    reports = [n for n in os.listdir(s.results) if n.startswith("result_") and n.endswith(".htm")]
    f.check(len(reports) == 1, f"the run measured before is saved: {reports}")
    if reports:
        text = read_bytes(os.path.join(s.results, reports[0])).decode("cp1252")
        f.check(re.search(r"Score = \d+ FPS", text) and "Score = No Score." in text,
                "the report: a score and the cancelled run")
        with open(os.path.join(s.results, reports[0][:-4] + ".json"), encoding="utf-8") as inp:
            reasons = [r.get("no_score_reason") for r in json.load(inp).get("runs", [])]
        f.check(reasons == [None, "The run was cancelled."], f"the JSON names the cancelled run: {reasons}")
    s.expect_user_files("after Cancel")

    # The time limit, set low: the hung game is ended and the user told.
    wine.reg_add(SETTINGS_KEY, "RunTimeLimit", "0.1")
    s.press_run()
    box = wine.message_box(timeout=40000)
    f.check("within the time limit of 0.1 minutes and was closed" in box.get("text", ""), f"the limit is told: {box}")
    if box:
        wine.answer(box, "ok")
    f.check(s.wait_idle(30), "after the limit the window is idle again")
    s.expect_user_files("after the time limit")

    # Leaving while the game hangs asks the same question.
    wine.reg_add(SETTINGS_KEY, "RunTimeLimit", "0")
    s.press_run()
    f.check(wait_for(lambda: not s.idle(), 20), "a third benchmark runs")
    time.sleep(2)
    wine.drive("click", s.by_id("Image2"))
    box = wine.message_box()
    f.check(box.get("text") == "Stop the benchmark? The game will be closed.", f"leaving asks: {box}")
    if box:
        wine.answer(box, "yes")
    f.check(wine.drive("wait-gone", s.window, "--timeout", "20000")[0] == 0, "after Yes the program ends")
    time.sleep(1)
    f.check(files_below(s.setup.game) == s.user_files,
            f"after leaving exactly the user's files: {sorted(files_below(s.setup.game))}")
    s.expect_user_files("after leaving")


def main():
    args = scenario_arguments()
    ids = control_ids(args.source)
    f = Failures()
    for name, scenario in [("benchmark", two_resolutions_two_runs),
                           ("benchmark_crash", lambda w, i, f: failing_game(w, i, f, "crash")),
                           ("benchmark_noresult", lambda w, i, f: failing_game(w, i, f, "noresult")),
                           ("benchmark_hung", hung_game)]:
        wine = Wine(args.bin, args.source, name)
        try:
            scenario(wine, ids, f)
        finally:
            wine.kill_started()
            wine.reg_delete_key(GAME_KEY)
    f.exit("benchmark")


if __name__ == "__main__":
    main()
