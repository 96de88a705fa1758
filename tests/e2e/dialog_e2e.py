#!/usr/bin/env python3
"""End-to-end tests of the system information dialog, used as a person would.

Each case starts pdlhost's host window with the built library, presses
Execute with the keyboard, works the dialog with xdotool, and checks what
happened from outside: X window geometry (xdotool), window state (winquery,
a small Windows program asking the system about another process's windows)
and screenshots (ImageMagick's import), compared by size and pixel values.

    dialog_e2e.py CASE --build BUILD_DIR --out OUTPUT_DIR

CASE is keys, clicks, close-box, screenshot or copy. Needs DISPLAY and WINEPREFIX,
as scripts/with-display.sh sets them.

How input reaches Wine 8 under Xvfb without a window manager: with the
prefix's "HKCU\\Software\\Wine\\X11 Driver" Managed=N (scripts/setup.sh sets
it) Wine's windows are unmanaged, Wine draws their frames itself and puts the
X input focus on the window it activates. Then plain XTEST input works: keys
without --window go to the active window, mouse clicks reach controls, tabs
and the close box, and X window geometry matches the Windows window
rectangle. With managed windows and no window manager, Wine ignored XTEST
keys and clicks (only XSendEvent keys, `key --window`, got through). Wine's
virtual desktop (`wine explorer /desktop=NAME,WxH ...`) takes keys and
clicks too, but there xdotool reports the windows' positions wrongly (twice
their offset inside the desktop), so it is not used.
"""

import argparse
import os
import re
import subprocess
import sys
import time

HOST_TITLE = "Installed Plug-In's"
DIALOG_TITLE = "System information"
HOST_RESULT_ID = 101  # the host window's "Last result: N" label
TAB_CONTROL_ID = 1
TABS = ["Windows", "System", "Memory"]
PAGE_IDS = [2, 3, 33]
CLIENT_SIZE = (360, 392)  # at 96 dpi
# The reachable pages as the copy keys give them: per page its caption and
# (prompt ID or None, value ID) from top to bottom, as the dialog shows them.
COPY_PAGES = [
    ("Windows", [(27, 20), (26, 19), (10, 7), (11, 8), (12, 9), (21, 14), (22, 15), (23, 16), (24, 17),
                 (4, 5), (None, 6), (25, 18), (28, 13)]),
    ("System", [(32, 31), (29, 30), (None, 54), (None, 53), (56, 55), (60, 57), (61, 58), (62, 59)]),
    ("Memory", [(40, 34), (41, 35), (None, 36), (42, 37), (43, 38), (44, 39)]),
]
NETWORK_IDS = (46, 47, 48, 49)  # the hidden network page's names and prompts


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def check(condition, text):
    if not condition:
        raise Failure(text)
    log("ok   " + text)


def wait_for(predicate, what, timeout=10.0):
    """Polls until predicate() gives a true value; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(0.1)


class Tools:
    def __init__(self, build, out):
        self.build = build
        self.out = out
        os.makedirs(out, exist_ok=True)
        self.shots = 0

    def wine(self, *args, timeout=60):
        return subprocess.run(["wine", *args], cwd=self.build, capture_output=True, text=True,
                              encoding="utf-8", errors="replace", timeout=timeout)

    def query(self, title, *ids):
        """winquery's answer as a dict, or None when there is no such window.
        An answer cut short (the query ended before its last lines reached
        us) says nothing of the window: it is asked again."""
        for _ in range(5):
            state = self.query_once(title, *ids)
            if state is None or "visible" in state:
                return state
        raise Failure("winquery's answers about %r were cut short five times" % title)

    def query_once(self, title, *ids):
        result = self.wine("winquery.exe", title, *[str(i) for i in ids], timeout=30)
        if result.returncode != 0:
            return None
        state = {"controls": {}, "colors": {}, "pages": [], "pushbuttons": []}
        for line in result.stdout.splitlines():
            key, _, rest = line.partition(" ")
            if key in ("window", "client", "tabs", "closebox"):
                state[key] = [int(v) for v in rest.split()] if rest != "none" else None
            elif key == "pushbuttons":
                state[key] = [int(v) for v in rest.split()]
            elif key in ("visible", "enabled", "active"):
                state[key] = rest == "yes"
            elif key == "focus":
                state[key] = int(rest) if rest.lstrip("-").isdigit() else rest
            elif key == "page":
                number, _, caption = rest.partition(" ")
                state["pages"].append((int(number), caption.strip('"')))
            elif key == "color":
                name, *rgb = rest.split()
                state["colors"][name] = tuple(int(v) for v in rgb)
            elif key == "control":
                match = re.match(r'(\d+) (\S+) (-?\d+) (-?\d+) (\d+) (\d+) (\w+) "(.*)"$', rest)
                if match:
                    state["controls"][int(match.group(1))] = {
                        "class": match.group(2),
                        "rect": [int(match.group(i)) for i in range(3, 7)],
                        "visible": match.group(7) == "visible",
                        "text": match.group(8),
                    }
        if "visible" not in state:
            log("     winquery's answer was cut short: %r, %r" % (result.stdout[-200:], result.stderr[-200:]))
        return state

    def clipboard(self):
        """The clipboard's Unicode text as another program reads it, or None."""
        result = subprocess.run(["wine", "winquery.exe", "--clipboard"], cwd=self.build, capture_output=True,
                                timeout=30)
        return result.stdout.decode("utf-8", "replace") if result.returncode == 0 else None

    def set_clipboard(self, text):
        if self.wine("winquery.exe", "--set-clipboard", text, timeout=30).returncode != 0:
            raise Failure("winquery could not set the clipboard")

    def xdotool(self, *args, check_status=True):
        result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30)
        if check_status and result.returncode != 0:
            raise Failure("xdotool %s failed: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout.strip()

    def x_window(self, title):
        found = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title),
                             check_status=False)
        return int(found.split()[0]) if found else None

    def x_geometry(self, window):
        values = dict(line.split("=", 1) for line in self.xdotool(
            "getwindowgeometry", "--shell", str(window)).splitlines())
        return [int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]

    def x_focus(self):
        return int(self.xdotool("getwindowfocus", check_status=False) or 0)

    def key(self, *keys):
        self.xdotool("key", "--delay", "60", *keys)

    def pointer(self):
        values = dict(line.split("=", 1) for line in self.xdotool("getmouselocation", "--shell").splitlines())
        return int(values["X"]), int(values["Y"])

    def click(self, x, y):
        # Not `mousemove --sync`: it waits for a motion that never comes when
        # the pointer is already there (the last test's click on OK).
        self.xdotool("mousemove", str(x), str(y))
        wait_for(lambda: self.pointer() == (x, y), "the pointer at %d,%d" % (x, y))
        self.xdotool("click", "1")

    def screenshot(self, name):
        """The whole screen: (width, height, RGB bytes); also kept as a PNG."""
        self.shots += 1
        path = os.path.join(self.out, "%02d-%s.png" % (self.shots, name))
        subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
        size = subprocess.run(["identify", "-format", "%w %h", path], check=True, capture_output=True,
                              text=True, timeout=30).stdout.split()
        raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True,
                             timeout=30).stdout
        log("     screenshot " + path)
        return int(size[0]), int(size[1]), raw

    def settled_screenshot(self, name):
        """The screen once painting has reached it: a shot equal to the one before."""
        shot = self.screenshot(name)

        def same_again():
            nonlocal shot
            previous, shot = shot, self.screenshot(name)
            return shot if shot == previous else None
        return wait_for(same_again, "the screen to stop changing (%s)" % name)


def pixel(shot, x, y):
    width, _, raw = shot
    at = (y * width + x) * 3
    return tuple(raw[at:at + 3])


def region(shot, rect):
    x, y, w, h = rect
    return [pixel(shot, x + dx, y + dy) for dy in range(h) for dx in range(w)]


class Session:
    """The host window with the library, and the dialog once it is up."""

    def __init__(self, tools):
        self.tools = tools
        self.process = None
        self.host = None
        self.dialog = None

    def __enter__(self):
        t = self.tools
        for title in (HOST_TITLE, DIALOG_TITLE):
            if t.x_window(title):
                raise Failure("a window \"%s\" is already on the display; close it first" % title)
        self.log = open(os.path.join(t.out, "pdlhost.log"), "w")
        self.process = subprocess.Popen(["wine", "pdlhost.exe", "zentrix.pdl"], cwd=t.build,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.host = wait_for(lambda: t.x_window(HOST_TITLE), "the host window", 60)
        wait_for(lambda: (t.query(HOST_TITLE) or {}).get("active"), "the host window to be active")
        self.wait_x_focus(self.host, "the host window")
        return self

    def __exit__(self, kind, value, trace):
        t = self.tools
        if self.process.poll() is None:
            if not t.x_window(DIALOG_TITLE) and t.x_window(HOST_TITLE) and t.x_focus() == self.host:
                t.key("Escape")  # the host's Close button
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if self.process.poll() is None:
            log("     pdlhost is still running; ending it (pid %d)" % self.process.pid)
            self.process.kill()
            self.process.wait(timeout=10)
        self.log.close()
        return False

    def wait_x_focus(self, window, what):
        # Wine moves the X focus to the window it activates; keys are sent
        # with XTEST and go where the X focus is.
        wait_for(lambda: self.tools.x_focus() == window, "the X focus on " + what)

    def execute(self):
        """Presses Enter in the host window: Execute is its default button."""
        t = self.tools
        t.key("Return")
        self.dialog = wait_for(lambda: t.x_window(DIALOG_TITLE), "the dialog", 30)
        state = wait_for(lambda: self.dialog_state_if(lambda s: s["active"]), "the dialog to be active")
        self.wait_x_focus(self.dialog, "the dialog")
        host = t.query(HOST_TITLE)
        check(not host["enabled"], "the host window is disabled while the dialog is up")
        # The OK button is the dialog's one push button.
        buttons = state["pushbuttons"]
        check(len(buttons) == 1, "the dialog has one push button (got %s)" % buttons)
        self.ok_id = buttons[0]
        return state

    def dialog_state(self, *ids):
        state = self.tools.query(DIALOG_TITLE, *ids)
        if state is None or not state["visible"]:
            raise Failure("the dialog is not open")
        return state

    def dialog_state_if(self, condition, *ids):
        state = self.tools.query(DIALOG_TITLE, *ids)
        return state if state and state["visible"] and condition(state) else None

    def wait_tab(self, index, why):
        state = wait_for(lambda: self.dialog_state_if(lambda s: s["tabs"][1] == index),
                         "tab %d (%s) after %s" % (index + 1, TABS[index], why), 5)
        check(state["tabs"] == [len(TABS), index] and state["pages"] == [(PAGE_IDS[index], TABS[index])],
              "%s selects %s and shows only its page" % (why, TABS[index]))
        return state

    def wait_closed(self, why):
        t = self.tools
        wait_for(lambda: not t.x_window(DIALOG_TITLE), "the dialog to close after " + why, 10)
        state = t.query(DIALOG_TITLE)
        check(state is None or not state["visible"], why + " closes the dialog")
        host = wait_for(lambda: (lambda s: s if s and s["enabled"] and s["active"] else None)(
            t.query(HOST_TITLE, HOST_RESULT_ID)), "the host window to be active again")
        result = host["controls"].get(HOST_RESULT_ID, {}).get("text")
        check(result == "Last result: 0", "the host shows the entry's result 0 (got %r)" % result)
        check(self.process.poll() is None, "the host is still running")


def report_layout(tools):
    """Tab rectangles inside the tab control, from pdlhost --report (another
    process cannot ask a tab control for them). Its page screenshots are
    checked on the way: one per tab, each the size of the dialog window."""
    shots = os.path.join(tools.out, "report")
    result = tools.wine("pdlhost.exe", "--report", "zentrix.pdl", "--screenshots", shots, timeout=120)
    with open(os.path.join(tools.out, "report.txt"), "w", encoding="utf-8") as f:
        f.write(result.stdout + result.stderr)
    if result.returncode != 0:
        raise Failure("pdlhost --report failed (%d): %s" % (result.returncode, result.stderr.strip()))
    tabs = {}
    window = None
    for line in result.stdout.splitlines():
        match = re.match(r'tab (\d+) "(.*)" \((-?\d+),(-?\d+) (\d+)x(\d+)\)$', line)
        if match:
            tabs[int(match.group(1)) - 1] = [int(match.group(i)) for i in range(3, 7)]
        match = re.match(r"dialog window \((-?\d+),(-?\d+) (\d+)x(\d+)\)$", line)
        if match:
            window = "%sx%s" % match.group(3, 4)
    check(sorted(tabs) == list(range(len(TABS))), "pdlhost --report gives the %d tab rectangles" % len(TABS))
    pictures = []
    for index, caption in enumerate(TABS):
        path = os.path.join(shots, "page-%d-%s.png" % (index + 1, caption))
        size = subprocess.run(["identify", "-format", "%wx%h", path], capture_output=True, text=True,
                              timeout=30).stdout
        check(size == window, "pdlhost --report saved %s, %s like the dialog (got %s)"
              % (os.path.basename(path), window, size or "no picture"))
        pictures.append(subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                                       timeout=30).stdout)
    check(len(set(pictures)) == len(TABS), "its page screenshots all differ")
    return tabs


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def case_keys(tools):
    with Session(tools) as session:
        state = session.execute()
        check(state["tabs"] == [3, 0] and state["pages"] == [(2, "Windows")], "the dialog opens on Windows")
        check(state["focus"] == TAB_CONTROL_ID, "the tab strip has the focus first (got %s)" % state["focus"])

        for index in (1, 2, 0):
            tools.key("ctrl+Tab")
            session.wait_tab(index, "Ctrl+Tab")
        for index in (2, 1, 0):
            tools.key("ctrl+shift+Tab")
            session.wait_tab(index, "Ctrl+Shift+Tab")

        # Keys are handled in order: once the Ctrl+Tab after it has shown,
        # the key before it has been handled too.
        tools.key("Escape")
        tools.key("ctrl+Tab")
        session.wait_tab(1, "Escape then Ctrl+Tab")
        check(session.dialog_state()["visible"], "Escape leaves the dialog open")

        check(session.dialog_state()["focus"] == TAB_CONTROL_ID, "the focus is on the tab strip")
        tools.key("Return")
        tools.key("ctrl+Tab")
        session.wait_tab(2, "Enter then Ctrl+Tab")
        check(session.dialog_state()["visible"], "Enter on the tab strip leaves the dialog open")

        focus = session.dialog_state()["focus"]
        for _ in range(20):
            if focus == session.ok_id:
                break
            tools.key("Tab")
            focus = wait_for(lambda: (lambda s: s["focus"] if s["focus"] != focus else None)(
                session.dialog_state()), "Tab to move the focus", 5)
        check(focus == session.ok_id, "Tab reaches the OK button")
        tools.key("Return")
        session.wait_closed("Enter on OK")


def case_clicks(tools):
    tabs = report_layout(tools)
    with Session(tools) as session:
        session.execute()
        state = session.dialog_state(TAB_CONTROL_ID, session.ok_id)
        strip = state["controls"][TAB_CONTROL_ID]["rect"]
        for index in (1, 2, 0):
            x, y = centre(tabs[index])
            tools.click(strip[0] + x, strip[1] + y)
            state = session.wait_tab(index, "a click on its tab")
            check(state["focus"] == TAB_CONTROL_ID, "the click puts the focus on the tab strip")
        ok = session.dialog_state(session.ok_id)["controls"][session.ok_id]
        check(ok["class"].lower() == "button" and ok["text"] == "OK",
              "control %d is the OK button" % session.ok_id)
        tools.click(*centre(ok["rect"]))
        session.wait_closed("a click on OK")


def case_close_box(tools):
    with Session(tools) as session:
        session.execute()
        box = session.dialog_state()["closebox"]
        check(box is not None, "the dialog has a close box")
        tools.click(*box)
        session.wait_closed("a click on the close box")
        # The host's own close box ends it.
        host_box = tools.query(HOST_TITLE)["closebox"]
        tools.click(*host_box)
        session.process.wait(timeout=10)
        check(session.process.returncode == 0, "the host's close box ends pdlhost with status 0")


def case_screenshot(tools):
    layout = report_layout(tools)
    with Session(tools) as session:
        session.execute()
        state = session.dialog_state(TAB_CONTROL_ID, session.ok_id)
        outer = state["window"]
        client = state["client"]
        check(client[2:] == list(CLIENT_SIZE), "client area %dx%d (got %dx%d)" % (*CLIENT_SIZE, *client[2:]))
        geometry = tools.x_geometry(session.dialog)
        check(geometry == outer, "X window geometry %s is the window rectangle %s" % (geometry, outer))
        check(outer[2] > client[2] and outer[3] > client[3], "the frame and title bar lie outside the client")

        before = tools.settled_screenshot("windows-page")
        check(before[:2] >= (outer[0] + outer[2], outer[1] + outer[3]), "the dialog lies inside the screen")
        face = state["colors"]["btnface"]
        strip = state["controls"][TAB_CONTROL_ID]["rect"]
        ok = state["controls"][session.ok_id]["rect"]
        # Below the tab control, left of OK: plain dialog background.
        below = (client[0] + 4, (strip[1] + strip[3] + ok[1]) // 2)
        check(pixel(before, *below) == face, "button face %s at %s (got %s)" % (face, below, pixel(before, *below)))
        title = (outer[0] + outer[2] // 2 + 60, (outer[1] + client[1]) // 2)
        caption = state["colors"]["activecaption"]
        check(pixel(before, *title) == caption,
              "active title bar colour %s at %s (got %s)" % (caption, title, pixel(before, *title)))

        tools.key("ctrl+Tab")
        session.wait_tab(1, "Ctrl+Tab")
        after = tools.settled_screenshot("system-page")
        # A selected tab stands two pixels higher than the others: the first
        # pixel that is not background, going down through the middle of the
        # first two tabs, tells which one is selected.

        def tab_top(shot, index):
            x = strip[0] + centre(layout[index])[0]
            for y in range(strip[1], strip[1] + layout[index][1] + layout[index][3]):
                if pixel(shot, x, y) != face:
                    return y - strip[1]
            return None

        tops = [(tab_top(before, i), tab_top(after, i)) for i in (0, 1)]
        check(tops[0][0] < tops[1][0] and tops[1][1] < tops[0][1],
              "the raised tab moves from Windows to System (tops before/after: %s)" % tops)
        ok_before = region(before, ok)
        check(ok_before == region(after, ok), "the OK button looks the same on both pages")
        page = (strip[0], strip[1] + layout[0][3] + 4, strip[2], strip[3] - layout[0][3] - 8)
        check(region(before, page) != region(after, page), "the page area changed with the tab")
        tools.click(*centre(ok))
        session.wait_closed("a click on OK")


def case_copy(tools):
    with Session(tools) as session:
        session.execute()
        # Each page's labels as shown, read while the page is up (another
        # program sees a label on a page behind as hidden); the copy is
        # made from the System page, so it does not depend on the page shown.
        shown = {}
        for index, (_, rows) in enumerate(COPY_PAGES):
            if index:
                tools.key("ctrl+Tab")
                session.wait_tab(index, "Ctrl+Tab")
            shown.update(session.dialog_state(*[i for pair in rows for i in pair if i])["controls"])
        tools.key("ctrl+shift+Tab")
        session.wait_tab(1, "Ctrl+Shift+Tab")
        shown.update(session.dialog_state(*NETWORK_IDS)["controls"])
        expected = ""
        for caption, rows in COPY_PAGES:
            expected += ("\r\n" if expected else "") + caption + "\r\n"
            for prompt, value in rows:
                if shown[value]["visible"]:
                    label = shown[prompt]["text"] if prompt and shown[prompt]["visible"] else ""
                    expected += label + "\t" + shown[value]["text"] + "\r\n"

        tools.set_clipboard("before")
        tools.key("ctrl+c")
        copied = wait_for(lambda: (lambda c: c if c not in (None, "before") else None)(tools.clipboard()),
                          "Ctrl+C to fill the clipboard")
        with open(os.path.join(tools.out, "clipboard.txt"), "w", encoding="utf-8", newline="") as f:
            f.write(copied)
        check(copied == expected, "Ctrl+C puts the three pages on the clipboard as the dialog shows them "
              "(got %r, expected %r)" % (copied, expected))
        check("\n" not in copied.replace("\r\n", ""), "every line ends in CRLF")
        hidden = [shown[i]["text"] for i in NETWORK_IDS if shown[i]["text"]]
        fields = {field for line in copied.split("\r\n") for field in line.split("\t")}
        check(not fields & set(hidden), "nothing of the hidden network page %s" % hidden)

        tools.set_clipboard("between")
        tools.key("ctrl+Insert")
        again = wait_for(lambda: (lambda c: c if c not in (None, "between") else None)(tools.clipboard()),
                         "Ctrl+Insert to fill the clipboard")
        check(again == copied, "Ctrl+Insert copies the same")

        # A clipboard that another program holds: nothing changes, no box.
        tools.set_clipboard("held elsewhere")
        holder = subprocess.Popen(["wine", "winquery.exe", "--hold-clipboard"], cwd=tools.build,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        try:
            check(holder.stdout.readline().strip() == "held", "another program holds the clipboard open")
            # Keys are handled in order: once Ctrl+Tab has turned the page,
            # Ctrl+C has been handled, and an error box would have taken it.
            tools.key("ctrl+c", "ctrl+Tab")
            session.wait_tab(2, "Ctrl+C on a held clipboard, then Ctrl+Tab")
            state = session.dialog_state()
            check(state["enabled"] and state["active"], "no error box over the dialog (it stays enabled and active)")
        finally:
            holder.stdin.close()
            holder.wait(timeout=30)
        check(tools.clipboard() == "held elsewhere", "the clipboard keeps what it held")
        check(session.dialog_state()["visible"], "the copy keys leave the dialog open")
        tools.key("ctrl+c")
        wait_for(lambda: tools.clipboard() == copied, "Ctrl+C to work again once the clipboard is free")
        ok = session.dialog_state(session.ok_id)["controls"][session.ok_id]
        tools.click(*centre(ok["rect"]))
        session.wait_closed("a click on OK")


CASES = {"keys": case_keys, "clicks": case_clicks, "close-box": case_close_box, "screenshot": case_screenshot,
         "copy": case_copy}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    for variable in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(variable):
            log("FAIL %s is not set; run under scripts/with-display.sh" % variable)
            return 1
    user_reg = os.path.join(os.environ["WINEPREFIX"], "user.reg")
    if not os.path.exists(user_reg) or '"Managed"="N"' not in open(user_reg, errors="replace").read():
        log("FAIL the Wine prefix does not leave windows unmanaged (Managed=N); run scripts/setup.sh")
        return 1
    tools = Tools(os.path.abspath(args.build), os.path.abspath(args.out))
    for program in ("pdlhost.exe", "zentrix.pdl", "winquery.exe"):
        if not os.path.exists(os.path.join(tools.build, program)):
            log("FAIL %s is missing from %s; build first" % (program, tools.build))
            return 1
    try:
        CASES[args.case](tools)
    except (Failure, subprocess.SubprocessError) as error:
        log("FAIL " + str(error))
        return 1
    log("PASS " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
