#!/usr/bin/env python3
"""What frame-time capture costs under wine: the redirected SwapBuffers against the bare
call, per frame (frame_capture_cost.exe), and the simulated game's average over a planned
demo of 1 ms frames, with and without the capture library, side by side.
Prints the figures; not a test.

  python3 tests/bench/frame_capture_cost.py --bin build/win [--runs 5] [--frames 3000]
"""
import argparse
import os
import re
import shutil
import statistics
import sys
import tempfile

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from dextrel_e2e import Wine  # noqa: E402

RESULT = re.compile(r"^(\d+) frames rendered in (\d+\.\d) seconds = (\d+\.\d) fps$", re.M)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--frames", type=int, default=3000)
    args = parser.parse_args()
    wine = Wine(args.bin, root, "frame_capture_cost")
    library = wine.windows_path(os.path.join(wine.bin_dir, "DextrelFrames64.dll"))
    cost = os.path.join(wine.bin_dir, "frame_capture_cost.exe")
    try:
        print("== SwapBuffers, redirected against bare")
        code, lines = wine.printed(cost, library, timeout=300)
        for line in lines:
            print("  " + line)
        if code != 0:
            print(f"frame_capture_cost failed (exit code {code})", file=sys.stderr)
            return 1

        print(f"== the simulated game, {args.frames} planned frames of 1 ms, {args.runs} runs each, alternating")
        work = tempfile.mkdtemp(prefix="dextrel-capture-cost-", dir=wine.root)
        game = os.path.join(work, "Quake 4")
        os.makedirs(os.path.join(game, "q4base", "Demos"))
        shutil.copy(os.path.join(wine.bin_dir, "quake4.exe"), game)
        shutil.copy(os.path.join(root, "assets", "demo", "VKRdemo.demo"), os.path.join(game, "q4base", "Demos"))
        plan = os.path.join(work, "plan.txt")
        with open(plan, "w") as f:
            f.write("1 1\n")
        wine.env.update(DEXTREL_SIM_FRAME_PLAN=wine.windows_path(plan), DEXTREL_SIM_FRAMES=str(args.frames),
                        DEXTREL_SIM_PLAY_MS="0", DEXTREL_SIM_WINDOW="none")
        folder = wine.windows_path(game)
        line = folder + "\\quake4.exe +set logFile 1 +timedemoquit VKRdemo.demo"
        rates = {"without": [], "with": []}
        for _ in range(args.runs):
            for kind in ("without", "with"):
                if kind == "with":
                    code, lines = wine.printed(cost, "--game", folder, f'{line} +set r_glDriver "{library}"')
                else:
                    code, lines = wine.printed(cost, "--game", folder, line)
                with open(os.path.join(game, "q4base", "qconsole.log"), encoding="cp1252") as f:
                    match = RESULT.search(f.read())
                if code != 0 or not match:
                    print(f"a run {kind} capture failed: {code} {lines}", file=sys.stderr)
                    return 1
                rates[kind].append(float(match.group(3)))
                if kind == "with":
                    print("  with capture: " + match.group(0) + "; " + "; ".join(lines))
        for kind in ("without", "with"):
            print(f"  {kind:7} capture: mean {statistics.mean(rates[kind]):7.1f} fps  "
                  f"(runs: {', '.join(f'{r:.1f}' for r in rates[kind])})")
        change = (statistics.mean(rates["with"]) / statistics.mean(rates["without"]) - 1) * 100
        print(f"  change with capture: {change:+.2f} % (the plan busy-waits each frame to its time, so only "
              f"a cost beyond the frame's slack would show)")
    finally:
        wine.kill_started()
    return 0


if __name__ == "__main__":
    sys.exit(main())
