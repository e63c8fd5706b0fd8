#!/usr/bin/env python3
"""The run command's part under wine: the simulated game installed in a folder with
blanks and registered, the settings key made, the program started. With --unattended
one benchmark of two resolutions and two runs runs as `Dextrel.exe /benchmark`: its lines
are printed and the last line is the report's path. With --drive the same benchmark is
driven through the window and pictures of the busy panel and of the opened report saved."""
import argparse
import os
import shutil
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from dextrel_e2e import SETTINGS_KEY, Failures, Wine, control_ids  # noqa: E402
from test_benchmark import Scenario, render_report  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--drive", action="store_true")
    parser.add_argument("--unattended", action="store_true")
    args = parser.parse_args()
    wine = Wine(args.bin, root, "run")
    f = Failures()
    s = Scenario(wine, control_ids(root), f)
    print(f"Game (simulated): {s.setup.game}")
    if args.unattended:
        return unattended(wine, s, args.out)
    if not args.drive:
        s.setup.start_program()
        print("Dextrel started; the window is yours.")
        return 0
    try:
        if not s.start(DEXTREL_SIM_PLAY_MS="800"):
            return 1
        s.choose(presets=[0, 2], runs=2, quality=2)
        s.press_run()
        time.sleep(2.5)
        wine.screenshot("busy-panel.png")
        idle = s.wait_idle(120)
        reports = sorted(n for n in os.listdir(s.results) if n.startswith("result_") and n.endswith(".htm"))
        if not idle or not reports:
            print("The benchmark did not produce a report.", file=sys.stderr)
            return 1
        report = os.path.join(s.results, reports[-1])
        time.sleep(1)
        wine.screenshot("after-benchmark.png")
        os.makedirs(args.out, exist_ok=True)
        render_report(wine, report)
        for name in os.listdir(wine.artifacts):
            shutil.copy(os.path.join(wine.artifacts, name), os.path.join(args.out, name))
        opened = open(s.browser_log).read().strip() if os.path.exists(s.browser_log) else "(not opened)"
        print(f"Report: {report}")
        print(f"Opened through the shell as: {opened}")
        pictures = sorted(n for n in os.listdir(args.out) if n.endswith(".png"))
        print(f"Pictures: {', '.join(pictures)} in {args.out}")
        s.exit_program()
        return 0
    finally:
        wine.kill_started()


def unattended(wine, s, out):
    """640 x 480 and 1024 x 768, two runs each, stored as a user would have them; the
    program's own lines, then the report's path as the last line."""
    for name, value in [("640", "1"), ("1024", "1"), ("RunNumber", "2"), ("Quality", "2")]:
        wine.reg_add(SETTINGS_KEY, name, value)
    wine.env["DEXTREL_SIM_PLAY_MS"] = "800"
    try:
        code, lines = wine.printed(wine.windows_path(s.setup.program), "/benchmark", timeout=600)
    finally:
        wine.kill_started()
    report = None
    if lines and lines[-1].lower().endswith(".htm") and lines[-1][1:3] == ":\\":
        report = wine.unix_path(lines.pop())
    for line in lines:
        print(line)
    print(f"Exit code: {code}")
    if not report:
        return code or 1
    os.makedirs(out, exist_ok=True)
    render_report(wine, report)
    for name in os.listdir(wine.artifacts):
        shutil.copy(os.path.join(wine.artifacts, name), os.path.join(out, name))
    print(report)
    return code


if __name__ == "__main__":
    sys.exit(main())
