#!/usr/bin/env python3
"""The unattended benchmark and the results history under wine, the program started as
`wine Dextrel.exe /benchmark` from a shell: the stored settings, then overrides that are
used but not stored, the printed lines and the exit codes (0 all scored, 1 a run without
score or a close request while the game plays, 2 no game or a bad switch with the message
printed, 3 another copy running or, from another folder, benchmarking the game; /? prints
the switches); then
results.htm rendered by Chromium headless and its numbers read back against the JSON
files, for two benchmarks of the same settings and one of other settings; then frame
times recorded through the capture library in the simulated game against its frame plan,
and the same benchmark without the library."""
import csv
import json
import os
import shutil
import subprocess
import sys
import time
from html.parser import HTMLParser

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import (GAME_KEY, SETTINGS_KEY, Failures, Wine, chromium, files_below, printed_lines,  # noqa: E402
                         scenario_arguments, wait_for)
from test_benchmark import NO_SCORE, Scenario  # noqa: E402


class Unattended(Scenario):
    def __init__(self, wine, f):
        super().__init__(wine, {}, f)
        for name, value in [("640", "1"), ("RunNumber", "2"), ("Quality", "2"), ("Display Memory", "256.0 MB"),
                            ("Driver Version", "6.14.0010.6575"), ("Sound", "Speaker")]:
            wine.reg_add(SETTINGS_KEY, name, value)
        self.program = wine.windows_path(self.setup.program)

    def environment(self, **env):
        for key in [k for k in self.wine.env if k.startswith("DEXTREL_SIM_")]:
            del self.wine.env[key]
        self.wine.env.update({"DEXTREL_SIM_PLAY_MS": "400", "DEXTREL_SIM_RECORD": self.wine.windows_path(self.record),
                              **env})

    def benchmark(self, *switches, **env):
        """The program from a shell: (exit code, printed lines)."""
        self.environment(**env)
        code, lines = self.run("/benchmark", *switches)
        print(f"/benchmark {' '.join(switches)} -> {code}: {lines}", flush=True)
        return code, lines

    def run(self, *switches, timeout=180):
        return self.wine.printed(self.program, *switches, timeout=timeout)

    def start_benchmark(self, name):
        """/benchmark left running, its output going into a file: (process, file)."""
        out_path = os.path.join(self.wine.root, name + ".out")
        with open(out_path, "wb") as out:
            process = subprocess.Popen(["wine", self.program, "/benchmark"], env=self.wine.env,
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        return process, out_path

    def ended(self, process, out_path, name):
        """The lines a benchmark from start_benchmark printed, once it has ended."""
        process.wait(timeout=180)
        lines = printed_lines(out_path)
        print(f"{name} /benchmark -> {process.returncode}: {lines}", flush=True)
        return lines

    def check_report_and_game_folder(self, lines):
        f = self.f
        if f.check(len(lines) >= 2 and lines[-1].endswith(".htm"), "the last line is the report's path"):
            f.check(os.path.exists(self.wine.unix_path(lines[-1])), f"the report is there: {lines[-1]}")
        f.check(files_below(self.setup.game) == self.user_files,
                f"the game folder is the user's: {sorted(files_below(self.setup.game))}")

    def opened(self):
        """What the shell was last asked to open, once it has been (within 20 s)."""
        wait_for(lambda: os.path.exists(self.browser_log), 20)
        return open(self.browser_log).read() if os.path.exists(self.browser_log) else ""

    def reports(self):
        return sorted(n for n in os.listdir(self.results) if n.startswith("result_") and n.endswith(".htm"))


def stored_settings_and_overrides(wine, f):
    s = Unattended(wine, f)
    # The first run also meets a second copy started while it runs, then one from another folder.
    s.environment(DEXTREL_SIM_FPS="61.5", DEXTREL_SIM_PLAY_MS="5000")
    first, out_path = s.start_benchmark("first")
    f.check(s.setup.main_window() is not None, "the main window shows while the benchmark runs")
    code, lines = s.run("/benchmark", timeout=60)
    f.check(code == 3 and lines == ["Another copy of Dextrel is running."],
            f"a second copy says so and ends with 3: {code} {lines!r}")
    other_dir = os.path.join(wine.root, "Portable", "Dextrel")
    os.makedirs(os.path.join(other_dir, "Demos"))
    shutil.copy(s.setup.program, os.path.join(other_dir, "Dextrel.exe"))

    def set_aside():
        """The files a benchmark puts aside or writes; the game itself writes others meanwhile."""
        return {p: open(os.path.join(s.setup.game, p), "rb").read() for p in files_below(s.setup.game)
                if os.path.basename(p).lower().startswith(("autoexec", "quake4configold"))}

    game_files = set_aside()
    s.program = wine.windows_path(os.path.join(other_dir, "Dextrel.exe"))
    code, lines = s.run("/benchmark", timeout=60)
    s.program = wine.windows_path(s.setup.program)
    if f.check(first.poll() is None, "the first copy still benchmarks when the one from another folder has ended"):
        f.check(code == 3 and lines == ["Another copy of Dextrel is benchmarking this game. Wait until it has finished."],
                f"a copy from another folder is refused and ends with 3: {code} {lines!r}")
        f.check(set_aside() == game_files,
                "the copy from another folder touches nothing in the game folder")
    lines = s.ended(first, out_path, "first")
    f.check(first.returncode == 0, f"every run scored: exit code 0 ({first.returncode})")
    f.check(lines[:1] == ["640x480: average 62 FPS; runs: 62, 62"], f"the stored settings: 640 x 480 twice: {lines}")
    s.check_report_and_game_folder(lines)
    f.check(not os.path.exists(s.browser_log), "the report is not opened without /open")
    s.expect_user_files("after the unattended benchmark")
    f.check(wine.reg_query(SETTINGS_KEY, "News") == "0" and wine.reg_query(SETTINGS_KEY, "Display Memory") == "",
            "the exit button's registry step ran")

    time.sleep(1.1)  # the next report gets a name of its own
    # 1152 x 864 is one of the display's modes and no preset: the custom resolution.
    code, lines = s.benchmark("/resolutions=800x600,1152x864", "/runs=1", "/quality=low", "/aa=none", "/af=16",
                              DEXTREL_SIM_FPS="99.5")
    f.check(code == 0 and lines[:2] == ["800x600: average 100 FPS; runs: 100",
                                        "1152x864 (custom): average 100 FPS; runs: 100"],
            f"the overrides shape the run: {code} {lines}")
    runs = s.game_runs()[-2:]
    f.check(all("+set r_customWidth 800" in r or "+set r_customWidth 1152" in r for r in runs), f"800 and 1152: {runs}")
    for name, value in [("640", "1"), ("800", None), ("RunNumber", "2"), ("Quality", "2"), ("AALevel", "1"),
                        ("AFLevel", "2"), ("CusRes", None)]:
        stored = wine.reg_query(SETTINGS_KEY, name)
        f.check(stored == value, f"{name} is still {value!r}, not stored from the overrides ({stored!r})")

    time.sleep(1.1)
    code, lines = s.benchmark("/open", DEXTREL_SIM_FPS="70.5")
    f.check(code == 0 and lines[:1] == ["640x480: average 70 FPS; runs: 70, 70"], f"the stored settings again: {lines}")
    opened = s.opened()
    f.check(lines and os.path.basename(wine.unix_path(lines[-1])) in opened, f"/open opens the report: {opened!r}")
    check_history(wine, f, s)

    os.remove(s.browser_log)
    code, _ = s.run("/history", timeout=60)
    opened = s.opened()
    f.check(code == 0 and "results.htm" in opened, f"/history opens the history: {code} {opened!r}")


class Dom(HTMLParser):
    """What the browser rendered: the table's rows, the comparison and the chart points."""

    def __init__(self):
        super().__init__()
        self.rows, self.changes, self.points, self.charts = [], {}, {}, []
        self.chart = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "tr" and "data-json" in a:
            self.rows.append(a["data-json"])
        if tag == "tr" and "data-change" in a:
            self.changes[a["data-resolution"]] = float(a["data-change"])
        if tag == "svg" and "data-resolution" in a:
            self.chart = a["data-resolution"]
            self.charts.append(self.chart)
        if tag == "circle" and self.chart:
            self.points.setdefault(self.chart, []).append((a["data-started"], float(a["data-mean"]),
                                                           float(a["data-min"]), float(a["data-max"])))

    def handle_endtag(self, tag):
        if tag == "svg":
            self.chart = None


def check_history(wine, f, s):
    page = os.path.join(s.results, "results.htm")
    if not f.check(os.path.exists(page), "results.htm is in the results folder"):
        return
    shown = chromium(wine, "--window-size=1000,1400", f"--screenshot={os.path.join(wine.artifacts, 'history.png')}",
                     "file://" + page)
    if not f.check(shown is not None, "Chromium is installed (scripts/setup.sh)"):
        return
    dom_text = chromium(wine, "--dump-dom", "file://" + page).stdout.decode("utf-8")
    shutil.copy(page, os.path.join(wine.artifacts, "results.htm"))
    dom = Dom()
    dom.feed(dom_text)

    docs = {}
    for name in os.listdir(s.results):
        if name.startswith("result_") and name.endswith(".json"):
            with open(os.path.join(s.results, name), encoding="utf-8") as inp:
                docs[name] = json.load(inp)
    newest_first = sorted(docs, key=lambda n: docs[n]["started"]["iso8601"], reverse=True)
    f.check(all(d["schema_version"] == 2 for d in docs.values()), "the JSON files are of the second schema")
    # The exit empties the diagnostic cache: only the first benchmark had the cached memory.
    f.check(docs[newest_first[-1]]["system"]["video_memory_mb"] == 256, "the video memory also in megabytes")
    f.check(dom.rows == newest_first, f"the browser shows every benchmark, newest first: {dom.rows} {newest_first}")
    same = [n for n in newest_first if docs[n]["settings"]["quality"] == "High"]
    f.check(len(same) == 2 and dom.charts == ["640 640x480"], f"one chart, for the settings measured twice: {dom.charts}")
    expected = [(docs[n]["started"]["iso8601"], r["mean"], r["minimum"], r["maximum"])
                for n in reversed(same) for r in docs[n]["resolutions"]]
    f.check(dom.points.get("640 640x480") == expected,
            f"the chart's points are the JSON's mean, min and max, oldest first: {dom.points} {expected}")
    if len(same) == 2:
        latest, previous = (docs[n]["resolutions"][0]["mean"] for n in same)
        change = round((latest - previous) / previous * 100, 2)
        f.check(dom.changes == {"640 640x480": change},
                f"the latest against the previous of its settings: {dom.changes} {change}")


def no_score_no_game_bad_switch(wine, f):
    s = Unattended(wine, f)
    # Asked to close (WM_CLOSE, as taskkill or a scheduler sends it) while the second run plays:
    # cancelled, exit code 1, the first run's score and the report printed, the files back.
    s.environment(DEXTREL_SIM_FPS="64.5", DEXTREL_SIM_PLAY_MS="3000")
    closed, out_path = s.start_benchmark("closed")
    window = s.setup.main_window()
    f.check(window is not None and wait_for(lambda: len(s.game_runs()) >= 2, 60), "the second run plays")
    if window:
        wine.drive("close", window)
    lines = s.ended(closed, out_path, "closed")
    f.check(closed.returncode == 1, f"a close request ends it as cancelled: exit code 1 ({closed.returncode})")
    f.check(lines[:1] == ["640x480: average 64 FPS; runs: 64, no score"], f"the measured run is printed: {lines}")
    s.check_report_and_game_folder(lines)
    s.expect_user_files("after the close request")

    code, lines = s.run("/?", timeout=60)
    f.check(code == 0 and "Exit codes of /benchmark:" in lines and any(l.startswith("  4  ") for l in lines),
            f"/? prints the switches and the exit codes and ends with 0: {code} {lines}")
    code, lines = s.benchmark("/results=My Results")
    f.check(code == 2 and lines[:1] and lines[0].startswith('Bad value "My Results" for /results'),
            f"a folder that is no full path is refused by name: {code} {lines}")
    code, lines = s.benchmark("/resolutions=1440x900")
    f.check(code == 2 and lines == ['Bad value "1440x900" for /resolutions: this display does not offer it.'],
            f"a size the display does not offer is refused: {code} {lines}")
    f.check(files_below(s.setup.game) == s.user_files, "nothing of the game folder was touched")

    code, lines = s.benchmark(DEXTREL_SIM_FAULT="noresult")
    f.check(code == 1, f"a run without score: exit code 1 ({code})")
    f.check(any(NO_SCORE in line for line in lines), f"the message box's text is printed: {lines}")
    s.expect_user_files("after a run without score")

    code, lines = s.benchmark("/runs=9")
    f.check(code == 2 and lines == ['Bad value "9" for /runs: give 1 to 5.'], f"a bad switch: {code} {lines}")

    wine.reg_delete_key(GAME_KEY)
    code, lines = s.benchmark()
    f.check(code == 2 and lines == ["ERROR. Please, install the retail version of Quake 4."],
            f"no game: exit code 2 and the window's message: {code} {lines}")
    f.check(files_below(s.setup.game) == s.user_files, "nothing of the game folder was touched")


FRAME_CSV_HEADER = ("Application,ProcessID,SwapChainAddress,Runtime,SyncInterval,PresentFlags,AllowsTearing,"
                    "PresentMode,Dropped,TimeInSeconds,MsBetweenPresents,MsBetweenDisplayChange,MsInPresentAPI,"
                    "MsUntilRenderComplete,MsUntilDisplayed")


def frame_times(wine, f):
    s = Unattended(wine, f)
    library = os.path.join(s.setup.program_dir, "DextrelFrames64.dll")
    shutil.copy(os.path.join(wine.bin_dir, "DextrelFrames64.dll"), library)
    plan = os.path.join(wine.root, "plan.txt")
    with open(plan, "w") as out:
        out.write("loading 6 30\n9 10\n1 300\n")
    # Nine frames of 10 ms, then one of 300: 25.64 fps, the slowest 10 % at 300 ms. A frame
    # the machine lets run a few ms late stays within 3 % of one that long.
    frames, average, low, longest = 100, 1000 / 39, 1000 / 300, 300.0
    env = {"DEXTREL_SIM_FRAME_PLAN": wine.windows_path(plan), "DEXTREL_SIM_FRAMES": str(frames)}

    def near(value, planned):
        return value is not None and abs(value - planned) <= planned * 0.03

    code, lines = s.benchmark("/frametimes", **env)
    f.check(code == 0 and len(lines) == 2 and lines[0].startswith("640x480: average 26 FPS, 1% low 3 fps; runs: "),
            f"every run scored and the line gives the 1% low: {code} {lines}")
    runs = s.game_runs()
    f.check(len(runs) == 2 and all(r.endswith(f' +set r_glDriver "{wine.windows_path(library)}"') for r in runs),
            f"every game run was given the library: {runs}")
    f.check(wine.reg_query(SETTINGS_KEY, "FrameTimes") is None, "/frametimes is not stored")
    report = wine.unix_path(lines[-1]) if lines else ""
    folder = report[:-len(".htm")]
    for run in (1, 2):
        path = os.path.join(folder, f"640-run{run}.csv")
        if not f.check(os.path.exists(path), f"the CSV of run {run} is beside the report: {path}"):
            continue
        with open(path, newline="") as inp:
            text = inp.read()
        rows = list(csv.DictReader(text.splitlines()))
        times = [float(r["MsBetweenPresents"]) for r in rows]
        f.check(text.startswith(FRAME_CSV_HEADER + "\r\n") and len(rows) == frames,
                f"run {run}: the header and exactly {frames} rows ({len(rows)})")
        f.check(near(len(times) * 1000 / sum(times), average) and near(max(times), longest),
                f"run {run}: the CSV's average and longest frame are the plan's: {len(times) * 1000 / sum(times):.2f} "
                f"{max(times):.2f}")
    with open(report[:-len(".htm")] + ".json", encoding="utf-8") as inp:
        doc = json.load(inp)
    figures = doc["resolutions"][0]
    f.check(doc["schema_version"] == 3 and figures["frames"] == 2 * frames and figures["frames_reliable"],
            f"the JSON's frames are reliable and every one is there: {figures}")
    f.check(near(figures["avg_fps_frames"], average) and near(figures["low_1pct_fps"], low)
            and near(figures["longest_frame_ms"], longest),
            f"average, 1 % low and longest frame within 3 % of the plan ({average:.2f}, {low:.2f}, {longest}): {figures}")
    with open(report, encoding="cp1252") as inp:
        page = inp.read()
    f.check(page.count("<polyline data-run=") == 2, "the report plots both runs")

    os.remove(library)
    time.sleep(1.1)
    code, lines = s.benchmark("/frametimes", "/runs=1", **env)
    f.check(code == 0 and lines[:1] == ["640x480: average 26 FPS; runs: 26"]
            and lines[1:2] == [f"No frame times: the frame-capture library {wine.windows_path(library)} is missing."],
            f"without the library the benchmark runs as without frame times and says why: {code} {lines}")
    f.check("r_glDriver" not in s.game_runs()[-1], "nor is the game given a library")
    s.expect_user_files("after the benchmarks with frame times")


def main():
    args = scenario_arguments()
    f = Failures()
    for name, scenario in [("unattended", stored_settings_and_overrides),
                           ("unattended_failures", no_score_no_game_bad_switch),
                           ("unattended_frame_times", frame_times)]:
        wine = Wine(args.bin, args.source, name)
        try:
            scenario(wine, f)
        finally:
            wine.kill_started()
            wine.reg_delete_key(GAME_KEY)
    f.exit("unattended")


if __name__ == "__main__":
    main()
