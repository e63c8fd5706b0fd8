#!/usr/bin/env python3
"""The main window as a user meets it, under wine and Xvfb: the splash, the start page
with the version, every side-bar item, settings reaching the registry at their moments,
the custom resolution dialog, and the two ways out with what each leaves in the game
folder. Screenshots of every page go to the build's e2e-artifacts folder."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import (GAME_KEY, SETTINGS_KEY, Failures, Installation, Wine, control_ids,  # noqa: E402
                         read_bytes, scenario_arguments, state_of)

NEWS_PHRASE = "Fresh scores & new demos"


def main():
    args = scenario_arguments()
    ids = control_ids(args.source)
    wine = Wine(args.bin, args.source, "main_window")
    f = Failures()
    try:
        run(wine, ids, f)
    finally:
        wine.kill_started()
    f.exit("main window")


def run(wine, ids, f):
    setup = Installation(wine)
    with open(os.path.join(setup.program_dir, "offlinenews.html"), "w") as out:
        out.write("<html><head><style>p { color: red }</style></head>"
                  "<body><h1>News</h1><p>Fresh scores &amp; new demos</p></body></html>")
    setup.start_program()

    code, out, _ = wine.drive("wait-window", "--class", "TAboutBox", "--exe", "Dextrel.exe", "--timeout", "40000")
    f.check(code == 0, "the splash comes first")
    if code == 0:
        time.sleep(0.5)
        wine.screenshot("splash.png")
    window = setup.main_window()
    if not f.check(window is not None, "the main window appears after the splash"):
        return

    def child(*criteria):
        code, out, err = wine.drive("find", "--parent", window, *criteria, "--timeout", "5000")
        f.check(code == 0, f"find {criteria}: {err.strip()}")
        return out.strip()

    def by_id(name):
        return child("--id", str(ids[name]))

    def page_visible(index):
        return state_of(wine.drive("state", child("--id", str(ids["Page0"] + index)))[1]).get("visible") == "1"

    # The start page with the version.
    f.check(page_visible(4), "page 4 shows at start")
    f.check(wine.drive("text", by_id("Label6"))[1].strip() == "v1.5.0.12", "the version text reads v1.5.0.12")
    wine.screenshot("page4-start.png")

    # Every side-bar item shows its page.
    bar = by_id("RzGroupBar1")

    def click_caption(text):
        code, _, err = wine.drive("find", "--parent", bar, "--text", text, "--timeout", "5000", ";", "click", "$_")
        f.check(code == 0, f"click side-bar caption {text!r}: {err.strip()}")
        time.sleep(0.2)

    click_caption("Options")
    for caption, page in [("Paths & information", 0), ("Resolution &  Runs", 1), ("Demos & Quality", 2),
                          ("Add. settings", 5)]:
        click_caption(caption)
        f.check(page_visible(page), f"{caption!r} shows page {page}")
        wine.screenshot(f"page{page}.png")
    click_caption("Help")
    for caption, page in [("Update benchmark", 3), ("About...", 4)]:
        click_caption(caption)
        f.check(page_visible(page), f"{caption!r} shows page {page}")
        if page == 3:
            wine.screenshot("page3.png")
    # No help file beside the program: the user is told.
    click_caption("Benchmark help")
    code, out, _ = wine.drive("message-box", "--exe", "Dextrel.exe", "--timeout", "10000")
    box = state_of(out)
    f.check(code == 0 and "The help file is missing!" in box.get("text", ""), f"missing help file message: {out!r}")
    if code == 0:
        wine.drive("answer", box["hwnd"], "ok")

    # Settings reach the registry at their own moments.
    click_caption("Options")
    click_caption("Paths & information")
    wine.drive("type", by_id("NoteEdit"), "fast box")
    f.check(wine.reg_query(SETTINGS_KEY, "Note") == "fast box", "typing the note stores it at once")
    f.check(wine.reg_query(SETTINGS_KEY, "Path") == wine.windows_path(setup.game) + "\\",
            "the game folder found through the game's key is stored")

    click_caption("Add. settings")
    smp = by_id("SMPBox")
    # As a user does it: the mouse comes to the box, then clicks it.
    wine.drive("hover", smp)
    wine.drive("tick", smp, "on")
    f.check(wine.reg_query(SETTINGS_KEY, "SMP") != "1", "a tick box does not store while the mouse is on it")
    wine.drive("leave", smp)
    f.check(stored_soon(wine, "SMP", "1"), "leaving the tick box stores SMP = 1")
    wine.drive("select", by_id("AABox"), "--index", "2")
    f.check(wine.reg_query(SETTINGS_KEY, "AALevel") == "2", "choosing an anti-aliasing item stores it at once")
    # Typing over a chosen item, key by key: the caret stays behind what was typed.
    levels = by_id("ALValues")
    wine.drive("select", levels, "--text", "0.7")
    f.check(wine.reg_query(SETTINGS_KEY, "AmbientLightV") == "0.7", "choosing an ambient-light level stores it")
    wine.drive("key", levels, "END")
    wine.drive("type", levels, "5")
    f.check(wine.reg_query(SETTINGS_KEY, "AmbientLightV") == "0.75", "every key typed is stored at once")
    wine.drive("type", levels, "1")
    shown = wine.drive("text", levels)[1].strip()
    f.check(shown == "0.751" and wine.reg_query(SETTINGS_KEY, "AmbientLightV") == "0.751",
            f"the caret stays behind the typed text: {shown!r}")

    click_caption("Demos & Quality")
    wine.drive("click", child("--id", str(ids["QualityModeBox"] + 2)))
    time.sleep(0.2)
    f.check(wine.reg_query(SETTINGS_KEY, "Quality") == "2", "choosing High  Quality stores Quality = 2")
    f.check("256MB" in wine.drive("text", by_id("Label7"))[1], "the quality description follows the choice")

    # The resolution group stores all nine presets when the mouse leaves it, not before.
    click_caption("Resolution &  Runs")
    first = child("--id", str(ids["res"]))
    wine.drive("hover", first)
    wine.drive("tick", first, "on")
    f.check(wine.reg_query(SETTINGS_KEY, "640") is None, "ticking a resolution stores nothing yet")
    wine.drive("leave", first)
    f.check(stored_soon(wine, "640", "1") and stored_soon(wine, "hdw3", "0"),
            "leaving the resolution group stores 640 = 1 and the others 0")

    # The custom resolution dialog applies the upper of two ticked modes.
    cus = by_id("cusresbox")
    wine.drive("hover", cus)
    wine.drive("tick", cus, "on")
    wine.drive("leave", cus)
    f.check(state_of(wine.drive("state", by_id("CusPossibilities"))[1]).get("enabled") == "1",
            "ticking the custom resolution enables Possibilities")
    wine.drive("click", by_id("CusPossibilities"))
    code, out, _ = wine.drive("wait-window", "--class", "TForm3", "--exe", "Dextrel.exe", "--timeout", "10000")
    if f.check(code == 0, "Possibilities opens the custom resolution dialog"):
        dialog = out.strip()
        modes = wine.drive("find", "--parent", dialog, "--class", "ListBox", "--timeout", "5000")[1].strip()
        items = state_of(wine.drive("state", modes)[1])
        count = int(items.get("count", "0"))
        f.check(count >= 2, f"the dialog lists the display's modes: {items}")
        if count >= 2:
            upper = items["item0"]
            wine.drive("select", modes, "--index", str(count - 1), ";", "select", modes, "--index", "0")
            wine.screenshot("custom-resolution.png")
            wine.drive("find", "--parent", dialog, "--text", "Add", ";", "click", "$_")
            width, height = upper.split(" x ")
            time.sleep(0.3)
            f.check(wine.drive("text", by_id("CusWidth"))[1].strip() == width, "Add puts the upper mode's width")
            f.check(wine.drive("text", by_id("CusHeight"))[1].strip() == height, "and its height into the fields")
            f.check(stored_soon(wine, "CusW", width) and stored_soon(wine, "CusH", height),
                    "and stores CusW and CusH")

    # A right-button press on the background does not move the window.
    before = wine.drive("rect", window)[1].strip()
    wine.drive("press", window, "--button", "right", "--at", "300,20", ";", "release", window, "--button", "right",
               "--at", "300,20")
    f.check(wine.drive("rect", window)[1].strip() == before, "a right press leaves the window where it was")

    # The exit button leaves the built-in demo copy and the console log in the game folder...
    demo_copy = os.path.join(setup.demos, "VKRdemo.demo")
    log = os.path.join(setup.base, "qconsole.log")
    for path in (demo_copy, log):
        with open(path, "w") as out:
            out.write("left by a run\n")
    wine.drive("click", by_id("Image2"))
    code, _, _ = wine.drive("wait-gone", window, "--timeout", "20000")
    f.check(code == 0, "the exit button ends the program")
    time.sleep(1)
    f.check(os.path.exists(demo_copy) and os.path.exists(log), "the exit button leaves VKRdemo.demo and qconsole.log")
    f.check(wine.reg_query(SETTINGS_KEY, "News") == "0", "leaving stores News = 0")
    f.check(wine.reg_query(SETTINGS_KEY, "Display Memory") == "", "leaving empties the diagnostic cache")

    # ...and so does any start or close while no journal names them: they may be the user's.
    # A journal left by a run that ended names the demo copy only: the next start removes
    # that, and the log, which it does not name, stays. The next start shows the news once
    # (News was 0).
    journal = os.path.join(setup.base, "Dextrel-journal.txt")
    with open(journal, "wb") as out:
        out.write(b"Dextrel benchmark journal 1\r\nprogram\tC:\\Dextrel.exe\r\nwritten\tDemos\\VKRdemo.demo\r\n")
    # The next start is made as the upgrade helper makes it after an update.
    setup.start_program("/afterupgrade")
    window = setup.main_window()
    if f.check(window is not None, "the program starts again"):
        time.sleep(1)
        f.check(wine.reg_query(SETTINGS_KEY, "News") == "1", "the first activation takes the news (News = 1)")
        check_news_window(wine, f)
        # Alt+F4 is a close request like any other.
        wine.drive("key", window, "F4", "--alt")
        wine.drive("wait-gone", window, "--timeout", "20000")
        time.sleep(1)
        f.check(not os.path.exists(demo_copy) and not os.path.exists(journal),
                "the demo copy the journal named is gone, and the journal with it")
        f.check(os.path.exists(log) and read_bytes(log) == b"left by a run\n",
                "qconsole.log, which no journal names, stays as it was")
        os.remove(log)
    wine.reg_delete_key(GAME_KEY)


def stored_soon(wine, value, expected, seconds=6.0):
    """The mouse-leave reaches the program through the X server, later on a busy machine."""
    deadline = time.time() + seconds
    while True:
        if wine.reg_query(SETTINGS_KEY, value) == expected:
            return True
        if time.time() > deadline:
            return False
        time.sleep(0.3)


def check_news_window(wine, f):
    """The news window over the main window: its frame, and the shipped page's text or a
    notice, since the test prefix has no browser engine. Closing only hides it."""
    code, out, _ = wine.drive("wait-window", "--class", "TForm5", "--exe", "Dextrel.exe", "--timeout", "15000")
    if not f.check(code == 0, "the news window shows at the first activation"):
        return
    news = out.strip()
    state = state_of(wine.drive("state", news)[1])
    style = int(state.get("style", "0"), 16)
    f.check(state.get("text") == "Marvesta NEWS", "the news window's caption")
    f.check(style & 0x20000 and not style & 0x10000 and not style & 0x40000,
            "the news window can be minimised, not maximised or resized")
    outer = wine.drive("rect", news)[1].split()
    client = wine.drive("rect", news, "--client")[1].split()
    f.check(outer[:2] == ["454", "213"], f"the news window at 454, 213 ({outer[:2]})")
    f.check(len(client) == 4 and int(client[2]) - int(client[0]) == 520 and int(client[3]) - int(client[1]) == 500,
            f"the news window's client area is 520 x 500 ({client})")
    code, box, _ = wine.drive("find", "--parent", news, "--class", "Edit")
    text = wine.drive("text", box.strip())[1] if code == 0 else ""
    f.check(NEWS_PHRASE in text or "/benchmarks/news.html" in text,
            f"the news window shows the shipped page or names the news page ({text[:80]!r})")
    f.check(wine.drive("message-box", "--exe", "Dextrel.exe", "--timeout", "500")[0] != 0,
            "no error box comes with the news window")
    wine.screenshot("news-window.png")
    wine.drive("close", news)
    f.check(wine.drive("wait-gone", news, "--timeout", "5000")[0] == 0, "the close box hides the news window")


if __name__ == "__main__":
    main()
