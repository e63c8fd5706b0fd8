#!/usr/bin/env python3
"""The built-in demo as shipped (assets/demo/VKRdemo.demo) played by the simulated game
in a game folder laid out like an installed one, with the program's timed-demo
command line: the result line is in qconsole.log and the demo folder is untouched."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import scenario_arguments  # noqa: E402


def main():
    args = scenario_arguments()
    bin_dir = os.path.abspath(args.bin)
    env = dict(os.environ, WINEDEBUG="-all", WINEARCH="win64", DEXTREL_SIM_WINDOW="none",
               DEXTREL_SIM_PLAY_MS="0", DEXTREL_SIM_SEED="1")
    prefix = os.path.join(bin_dir, "wineprefix")
    if os.path.exists(os.path.join(prefix, ".dextrel-ready")):
        env["WINEPREFIX"] = prefix
    else:
        env["WINEPREFIX"] = os.path.join(os.environ.get("WINEPREFIX_ROOT", os.path.join(bin_dir, "e2e-prefixes")),
                                         "simulated-game")
        subprocess.run(["bash", "-c", '. "$0/wine-env.sh" && wine_env_prepare', os.environ.get("SCRIPTS_DIR", "")],
                       env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300, check=True)
    work = tempfile.mkdtemp(prefix="dextrel-simgame-")
    try:
        game = os.path.join(work, "Quake 4")
        demos = os.path.join(game, "q4base", "Demos")
        os.makedirs(demos)
        shutil.copy(os.path.join(bin_dir, "quake4.exe"), game)
        demo = os.path.join(args.source, "assets", "demo", "VKRdemo.demo")
        shutil.copy(demo, demos)
        game_path = "Z:" + game.replace("/", "\\") + "\\"
        # Wine quotes the program path it is given; the game takes either form.
        arguments = ("+set logFile 1 +set com_showFPS 1 +set timescale 7 +set r_mode -1 +set r_aspectRatio 0 "
                     "+set r_customWidth 1024 +set r_customHeight 768 +timedemoquit VKRdemo.demo").split(" ")
        with open(os.path.join(work, "out.txt"), "wb") as out:
            code = subprocess.run(["wine", game_path + "quake4.exe", *arguments], cwd=game, env=env,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=out, timeout=120).returncode
        with open(os.path.join(game, "q4base", "qconsole.log"), encoding="cp1252") as f:
            log = f.read()
        match = re.search(r"^(\d+) frames rendered in (\d+\.\d) seconds = (\d+\.\d) fps$", log, re.M)
        problems = []
        if code != 0:
            problems.append(f"exit code {code}")
        if not match:
            problems.append("no result line in qconsole.log:\n" + log)
        elif not 60 <= float(match.group(3)) <= 120:
            problems.append(f"1024x768 without a quality preset gives {match.group(3)} fps")
        with open(demo, "rb") as a, open(os.path.join(demos, "VKRdemo.demo"), "rb") as b:
            if a.read() != b.read():
                problems.append("the demo file changed")
        for problem in problems:
            print("FAIL:", problem)
        if not problems:
            print("the shipped demo plays:", match.group(0))
        return 1 if problems else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
