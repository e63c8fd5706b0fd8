#!/usr/bin/env python3
"""Measures the program's own time per game run under wine against its floor, in one
prefix and one program run, alternating:

  session  the program's benchmark: from the simulated game's exit to the next game's
           start, less the three fixed waits of 1000 ms between runs;
  floor    a bare loop (runfloor.exe) that starts the same game with the same command
           line hidden, waits for it and starts it again, with nothing between the runs.

The moments are taken from the game's record file, watched every few milliseconds.
Prints both, per round and on the whole, and their difference; not a test.

  python3 tests/bench/run_overhead.py --bin build/win [--runs 5] [--rounds 2]
"""
import argparse
import os
import subprocess
import sys
import threading
import time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from dextrel_e2e import Failures, Wine, control_ids  # noqa: E402
from test_benchmark import Scenario  # noqa: E402

FIXED_WAITS_MS = 3000  # one before recording, two inside it


def watch(path, moments, stop):
    """Timestamps every line appended to path."""
    seen = 0
    while not stop.is_set():
        if os.path.exists(path):
            with open(path, encoding="cp1252", errors="replace") as f:
                lines = f.read().splitlines()
            now = time.perf_counter()
            for line in lines[seen:]:
                moments.append((now, line))
            seen = len(lines)
        time.sleep(0.003)


def gaps(moments, begin, end, fixed_ms):
    """Exit-to-next-start gaps (ms, less fixed_ms) of the runs recorded between begin and end."""
    inside = [(t, line) for t, line in moments if begin <= t <= end]
    starts = [t for t, line in inside if line.startswith("commandline=")]
    exits = [t for t, line in inside if line.startswith("exit=")]
    return [(starts[i + 1] - exits[i]) * 1000 - fixed_ms for i in range(min(len(exits), len(starts) - 1))]


def mean(values):
    return sum(values) / len(values) if values else float("nan")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--runs", type=int, default=5, choices=range(2, 6))
    parser.add_argument("--rounds", type=int, default=2, choices=range(1, 6))
    args = parser.parse_args()
    wine = Wine(args.bin, root, "run_overhead")
    f = Failures()
    s = Scenario(wine, control_ids(root), f)
    wine.reg_add(r"HKLM\SOFTWARE\Tamberlin\Dextrel", "Display Memory", "128.0 MB")
    moments, stop = [], threading.Event()
    watcher = threading.Thread(target=watch, args=(s.record, moments, stop), daemon=True)
    floor_tool = os.path.join(wine.bin_dir, "runfloor.exe")
    session_gaps, floor_gaps = [], []
    try:
        if not s.start(DEXTREL_SIM_PLAY_MS="300", DEXTREL_SIM_FPS="100"):
            return 1
        s.choose(presets=[0], runs=args.runs, quality=1)
        watcher.start()
        for round_number in range(1, args.rounds + 1):
            begin = time.perf_counter()
            s.press_run()
            if not s.wait_idle(60 + 10 * args.runs):
                print("the benchmark did not end", file=sys.stderr)
                return 1
            time.sleep(0.5)
            session = gaps(moments, begin, time.perf_counter(), FIXED_WAITS_MS)
            command_lines = s.game_runs()
            if not command_lines:
                print("the benchmark started no game", file=sys.stderr)
                return 1
            command_line = command_lines[-1][len("commandline="):]

            begin = time.perf_counter()
            code = subprocess.run(["wine", floor_tool, str(args.runs), wine.windows_path(s.setup.game), command_line],
                                  env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  timeout=60 + 10 * args.runs).returncode
            time.sleep(0.5)
            if code != 0:
                print(f"the floor loop failed ({code})", file=sys.stderr)
                return 1
            floor = gaps(moments, begin, time.perf_counter(), 0)
            print(f"round {round_number}: session {' '.join(f'{g:6.1f}' for g in session)} ms; "
                  f"floor {' '.join(f'{g:6.1f}' for g in floor)} ms")
            session_gaps += session
            floor_gaps += floor
    finally:
        stop.set()
        wine.kill_started()
    print(f"session: mean {mean(session_gaps):.1f} ms per run beyond the fixed {FIXED_WAITS_MS} ms "
          f"({len(session_gaps)} gaps)")
    print(f"floor:   mean {mean(floor_gaps):.1f} ms per run, bare start and wait ({len(floor_gaps)} gaps)")
    print(f"session beyond the floor: {mean(session_gaps) - mean(floor_gaps):.1f} ms per run "
          f"(watch resolution ~3 ms)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
