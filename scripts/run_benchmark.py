#!/usr/bin/env python3
"""The run command's part under wine: the simulated game installed in a folder with
blanks and registered, the settings key made, the program started. With --drive one
benchmark of two resolutions and two runs is driven through the window, the report's
path printed and pictures of the busy panel and of the opened report saved."""
import argparse
import os
import shutil
import subprocess
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from dextrel_e2e import Failures, Wine, control_ids  # noqa: E402
from test_benchmark import Scenario, render_report  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--drive", action="store_true")
    args = parser.parse_args()
    wine = Wine(args.bin, root, "run")
    f = Failures()
    s = Scenario(wine, control_ids(root), f)
    print(f"Game (simulated): {s.setup.game}")
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
        reports = sorted(n for n in os.listdir(s.results) if n.startswith("result_"))
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
        print(f"Pictures: {', '.join(sorted(os.listdir(args.out)))} in {args.out}")
        s.exit_program()
        return 0
    finally:
        wine.kill_started()


if __name__ == "__main__":
    sys.exit(main())
