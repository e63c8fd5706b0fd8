#!/usr/bin/env python3
"""The GUI driver against a window of known controls (guidriver_target.exe): every
command is run as an end-to-end test runs it, one wine process per invocation, and
its effect is read back from the target's own log of what it received."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import Failures, Wine, scenario_arguments  # noqa: E402

failures = Failures()
check = failures.check


class Target:
    def __init__(self, wine):
        self.log = os.path.join(wine.root, "target.log")
        self.process = wine.start(os.path.join(wine.bin_dir, "guidriver_target.exe"), wine.windows_path(self.log))

    def lines(self):
        try:
            with open(self.log) as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait_for(self, line, after=0, seconds=10):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if line in self.lines()[after:]:
                return True
            time.sleep(0.05)
        return False

    def pid(self):
        for line in self.lines():
            if line.startswith("pid "):
                return line[4:]
        return None


def state_of(text):
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


def run(wine):
    target = Target(wine)
    code, out, err = wine.drive("wait-window", "--class", "GuiDriverTarget", "--exe", "guidriver_target.exe",
                                "--timeout", "30000")
    check(code == 0, f"wait-window finds the target ({err})")
    if code != 0:
        return
    window = out.strip()
    check(window.startswith("0x"), f"a handle in hexadecimal: {window!r}")
    pid = target.pid()
    code, out, _ = wine.drive("wait-window", "--pid", pid, "--title", "Driver target")
    check(code == 0 and out.strip() == window, "wait-window by process id and title gives the same window")
    code, out, _ = wine.drive("list", "--pid", pid)
    check(code == 0 and window in out and "class=GuiDriverTarget" in out and 'title="Driver target"' in out,
          f"list shows the window: {out!r}")

    def child(*criteria):
        code, out, err = wine.drive("find", "--parent", window, *criteria)
        check(code == 0, f"find {criteria}: {err}")
        return out.strip()

    # Buttons: one invocation finds and clicks through $_.
    seen = len(target.lines())
    code, out, err = wine.drive("find", "--parent", window, "--text", "Press me", ";", "click", "$_")
    check(code == 0, f"find ; click: {err}")
    check(target.wait_for("clicked 101", seen), "the button's click reaches its parent")
    check(child("--id", "101") == out.strip(), "find by id gives the button found by text")
    check(child("--class", "Button", "--index", "2") == child("--text", "Tick me"), "find by class and index")

    # Check box: a real click only when the state differs.
    tick = child("--id", "103")
    seen = len(target.lines())
    check(wine.drive("tick", tick, "on")[0] == 0, "tick on")
    check(target.wait_for("tick 103 on", seen), "ticking clicks the box")
    check(state_of(wine.drive("state", tick)[1]).get("checked") == "1", "state shows checked=1")
    seen = len(target.lines())
    code, _, err = wine.drive("tick", tick, "on", ";", "tick", tick, "off")
    check(code == 0, f"tick on, tick off: {err}")
    check(target.wait_for("tick 103 off", seen), "tick off clicks again")
    check([line for line in target.lines()[seen:] if line.startswith("tick")] == ["tick 103 off"],
          "tick on an already ticked box does not click it")
    check(state_of(wine.drive("state", tick)[1]).get("checked") == "0", "state shows checked=0")

    # Combo and list boxes tell their parent as a user's choice does.
    combo = child("--class", "ComboBox")
    seen = len(target.lines())
    check(wine.drive("select", combo, "--text", "High")[0] == 0, "select by text")
    check(target.wait_for("select 104 2 High", seen), "CBN_SELCHANGE reaches the parent")
    state = state_of(wine.drive("state", combo)[1])
    check(state.get("index") == "2" and state.get("count") == "4" and state.get("item3") == "Ultra",
          f"combo state: {state}")
    listbox = child("--class", "ListBox")
    wine.drive("select", listbox, "--index", "1")
    check(target.wait_for("list 109 1 two", seen), "LBN_SELCHANGE reaches the parent")
    code, _, err = wine.drive("wait-state", combo, "index=2", "item2=High", "--timeout", "2000")
    check(code == 0, f"wait-state sees the selection: {err}")
    code, _, err = wine.drive("wait-state", combo, "index=3", "--timeout", "200")
    check(code == 1 and "index=2" in err, f"wait-state fails with the state it saw: {err!r}")
    code, _, err = wine.drive("select", combo, "--text", "Extreme")
    check(code == 1 and "Extreme" in err, f"a missing item fails clearly: {err!r}")

    # Typing respects the edit's limit and raises its change notifications.
    edit = child("--class", "Edit")
    seen = len(target.lines())
    code, out, _ = wine.drive("type", edit, "abcdef", ";", "text", edit)
    check(code == 0 and out.splitlines()[-1] == "abcd", f"the limit of 4 holds: {out!r}")
    check(target.wait_for("edit 105 abc", seen), "every typed character changes the edit")
    code, out, _ = wine.drive("type", edit, "xy", "--replace", ";", "text", edit)
    check(out.splitlines()[-1] == "xy", f"--replace types over the whole text: {out!r}")
    check(state_of(wine.drive("state", edit)[1]).get("limit") == "4", "state shows the edit's limit")

    # Static text, disabled control, rectangles.
    check(wine.drive("text", child("--id", "106"))[1].strip() == "Status text", "text of a static")
    check(state_of(wine.drive("state", child("--text", "Disabled"))[1]).get("enabled") == "0",
          "state shows a disabled button")
    code, out, _ = wine.drive("rect", window, ";", "rect", window, "--client")
    rects = [list(map(int, line.split())) for line in out.splitlines()]
    check(code == 0 and len(rects) == 2 and rects[0][2] > rects[0][0] and rects[1][:2] == [0, 0],
          f"rect and client rect: {out!r}")

    # A custom control hears the real cursor arrive and leave, and a right press.
    panel = child("--class", "HoverPanel")
    seen = len(target.lines())
    check(wine.drive("hover", panel)[0] == 0, "hover")
    check(target.wait_for("enter 107", seen), "hover moves the cursor over the panel")
    check(wine.drive("leave", panel)[0] == 0, "leave")
    check(target.wait_for("leave 107", seen), "leave makes mouse-leave tracking fire")
    seen = len(target.lines())
    wine.drive("rclick", panel, "--at", "5,6", ";", "press", panel, "--at", "7,8")
    check(target.wait_for("rdown 107 5,6", seen) and target.wait_for("rup 107 5,6", seen),
          "rclick presses and releases the right button at the point")
    check(target.wait_for("ldown 107 7,8", seen) and "lup 107 7,8" not in target.lines()[seen:],
          "press presses without releasing")

    # The real mouse and keyboard.
    seen = len(target.lines())
    code, _, err = wine.drive("find", "--parent", window, "--text", "Press me", ";", "click", "$_", "--input")
    check(code == 0 and target.wait_for("clicked 101", seen), f"a click with the real mouse: {err}")
    code, out, _ = wine.drive("foreground")
    check(code == 0 and out.split() == [window, pid], f"foreground gives the clicked window and its process: {out!r}")
    wine.drive("key", window, "A")
    check(target.wait_for("key 65", seen), "a posted key press")

    # A message box of the process: read it, answer it.
    seen = len(target.lines())
    code, _, err = wine.drive("find", "--parent", window, "--text", "Ask", ";", "click", "$_")
    check(code == 0, f"a click that opens a modal box returns: {err}")
    code, out, err = wine.drive("message-box", "--pid", pid, "--timeout", "10000", ";", "answer", "$_", "no")
    box = state_of(out)
    check(code == 0, f"message-box and answer: {err}")
    check(box.get("title") == "Target question" and box.get("text") == "Are you sure?" and
          box.get("buttons") == "Yes,No", f"the box's title, text and buttons: {box}")
    check(target.wait_for("answer no", seen), "the answer reaches the program")

    # Screenshots.
    shot = os.path.join(wine.root, "window.bmp")
    code, _, err = wine.drive("screenshot", wine.windows_path(shot), "--window", window)
    with open(shot, "rb") as f:
        head = f.read(54)
    width = int.from_bytes(head[18:22], "little")
    bits = int.from_bytes(head[28:30], "little")
    check(code == 0 and head[:2] == b"BM" and bits == 24 and width == rects[0][2] - rects[0][0],
          f"a 24-bit BMP of the window: {err}")

    # Failures are clear and exit with 1; a wrong command with 2.
    code, _, err = wine.drive("find", "--parent", window, "--text", "Nothing here", "--timeout", "100")
    check(code == 1 and "no control" in err, f"nothing found: {err!r}")
    code, _, err = wine.drive("wait-window", "--class", "NoSuchClass", "--timeout", "200")
    check(code == 1 and "no window" in err, f"no window: {err!r}")
    code, _, err = wine.drive("text", "0x7fff0001")
    check(code == 1, f"a stale handle: {err!r}")
    code, _, err = wine.drive("frobnicate")
    check(code == 2 and "unknown command" in err, f"an unknown command: {err!r}")
    code, out, err = wine.drive("sleep", "1", ";", "find", "--parent", window, "--id", "999", "--timeout", "50",
                                ";", "text", window)
    check(code == 1 and out == "", "a failing command stops the ones after it")

    # Alt+F4 closes the window the way the keyboard does.
    seen = len(target.lines())
    code, _, err = wine.drive("key", window, "F4", "--alt", ";", "wait-gone", window, "--timeout", "10000")
    check(code == 0, f"Alt+F4 and wait-gone: {err}")
    check(target.wait_for("close", seen), "Alt+F4 reaches WM_CLOSE")
    try:
        target.process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        check(False, "the target ends after its window closed")


def main():
    args = scenario_arguments()
    for program in ("guidriver.exe", "guidriver_target.exe"):
        if not os.path.exists(os.path.join(args.bin, program)):
            print(f"{program} is not built in {args.bin}")
            return 1
    wine = Wine(args.bin, args.source, "guidriver")
    try:
        run(wine)
    finally:
        wine.kill_started()
    failures.exit("guidriver")


if __name__ == "__main__":
    sys.exit(main())
