#!/usr/bin/env python3
"""A user's day with Varlen.exe as built, driven only by real X input (xdotool)
under Wine against tools/fakemarket on its default port, and checked only from
outside: the export file, the chat recorder's log, C:\\wangwang.txt in the
prefix and the simulator's request log. Screenshots of every step go to
<build>/blackbox/. Needs DISPLAY (scripts/test provides a virtual one)."""
import argparse
import datetime
import json
import os
import subprocess
import sys
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PORT = 8931


def run(*cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw)


def wait_for(what, predicate, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def trim(b):
    while True:
        if b.startswith(b" "):
            b = b[1:]
        elif b.startswith(b"\xa1\xa1"):
            b = b[2:]
        elif b.endswith(b" "):
            b = b[:-1]
        elif b.endswith(b"\xa1\xa1") and len(b) >= 2:
            b = b[:-2]
        else:
            return b


def expected_rows(listing, from_date):
    """The sellers and dates a fast extraction keeps, in order."""
    lines = [trim(l) for l in listing.split(b"\r\n")[1:-1]]
    lines = [l for l in lines if l]
    rows = []
    for line in lines[:-1]:
        fields = [trim(f) for f in line.replace(b"<P>", b"<p>").split(b"<p>")[1:-1]]
        fields = [f for f in fields if f]
        if len(fields) < 4:
            continue
        y, m, d = (int(x) for x in fields[1].decode().split("-"))
        if datetime.date(y, m, d) >= from_date:
            rows.append(fields[0])
    return rows


class Session:
    def __init__(self, build):
        self.build = build
        self.prefix = os.path.join(build, "wineprefix")
        self.out = os.path.join(build, "blackbox")
        os.makedirs(self.out, exist_ok=True)
        self.env = dict(os.environ, WINEPREFIX=self.prefix)
        self.drive_c = os.path.join(self.prefix, "drive_c")

    def wine(self, *args):
        return run(os.path.join(ROOT, "scripts", "wine-run"), *args, env=self.env)

    def shot(self, name):
        path = os.path.join(self.out, name + ".png")
        run("import", "-window", "root", "-crop", "815x412+%d+%d" % (self.x, self.y), path)
        print("screenshot:", path)

    def click(self, x, y, button=1, repeat=1):
        run("xdotool", "mousemove", str(self.x + x), str(self.y + y))
        time.sleep(0.2)
        run("xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button))
        time.sleep(0.3)

    def key(self, *keys):
        for k in keys:
            run("xdotool", "key", k)
            time.sleep(0.15)


def simulator_log():
    return json.load(urllib.request.urlopen("http://127.0.0.1:%d/__log" % PORT))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "win32"))
    args = parser.parse_args()
    s = Session(os.path.abspath(args.build))
    state = os.path.join(s.out, "simulator")
    run(os.path.join(ROOT, "scripts", "simulator"), "start", str(PORT), state,
        "--shops", "60", "--seed", "5", "--days", "7")
    app = None
    try:
        # A fresh contact log; the recorder stands in for the messenger.
        for name in ("wangwang.txt", "blackbox_export.txt"):
            if os.path.exists(os.path.join(s.drive_c, name)):
                os.remove(os.path.join(s.drive_c, name))
        recorder = os.path.join(s.build, "tests", "chat_recorder.exe")
        chat_log = os.path.join(s.build, "tests", "chat_log.txt")
        if os.path.exists(chat_log):
            os.remove(chat_log)
        windows_recorder = "Z:" + recorder.replace("/", "\\")
        s.wine("reg", "add", r"HKCU\Software\Classes\aliim\Shell\Open\Command", "/ve", "/d",
               '"%s" %%1' % windows_recorder, "/f")

        app = subprocess.Popen([os.path.join(ROOT, "scripts", "wine-run"), os.path.join(s.build, "Varlen.exe")],
                               env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = wait_for("the window", lambda: subprocess.run(
            ["xdotool", "search", "--name", "Varlenv3.1"], capture_output=True, text=True).stdout.split(), 60)[0]
        time.sleep(2)
        geometry = dict(l.split("=") for l in run("xdotool", "getwindowgeometry", "--shell", window,
                                                    text=True).stdout.split())
        s.x, s.y = int(geometry["X"]), int(geometry["Y"])
        s.shot("1-start")

        # Start the extraction; the date box holds today minus three days.
        s.click(763, 38)
        wait_for("the listing download", lambda: any(e["path"] == "/listing.txt" for e in simulator_log()))
        time.sleep(2)
        s.shot("2-rows")
        listing = urllib.request.urlopen("http://127.0.0.1:%d/listing.txt" % PORT).read()
        rows = expected_rows(listing, datetime.date.today() - datetime.timedelta(days=3))
        assert len(rows) >= 3, rows

        # The "是否在线" header starts the online check.
        s.click(270, 90)
        wait_for("presence requests", lambda: sum(e["path"] == "/online.aw" for e in simulator_log()) >= len(rows) - 1)
        time.sleep(1.5)
        s.shot("3-online")

        # Right click on the list, "全部导出" (third item), a file name typed
        # into the real save dialog.
        s.click(400, 200, button=3)
        time.sleep(0.5)
        s.shot("4-menu")
        s.key("Down", "Down", "Down", "Return")
        time.sleep(2.5)
        s.shot("5-save-dialog")
        run("xdotool", "type", "--delay", "60", "C:\\blackbox_export")
        s.key("Return")
        export = os.path.join(s.drive_c, "blackbox_export.txt")
        wait_for("the export file", lambda: os.path.exists(export), 30)
        time.sleep(1)
        s.shot("6-exported")
        with open(export, "rb") as f:
            exported = f.read()
        assert exported == b"".join(r + b"\r\n" for r in rows), (exported[:200], rows[:3])

        # A double click on the second row chats with its seller.
        s.click(200, 123, repeat=2)
        wait_for("the recorded chat", lambda: os.path.exists(chat_log) and open(chat_log, "rb").read(), 30)
        time.sleep(1)
        s.shot("7-chat")
        with open(chat_log, "rb") as f:
            chats = f.read()
        address = b"aliim:sendmsg?uid=cntaobao&touid=cntaobao" + rows[1] + b"&siteid=cntaobao&status=1"
        assert chats == address + b"\r\n", chats

        # Esc closes the window; the contact log holds every exported and
        # chatted seller, with no separators.
        run("xdotool", "key", "--window", window, "Escape")
        app.wait(timeout=30)
        with open(os.path.join(s.drive_c, "wangwang.txt"), "rb") as f:
            log = f.read()
        assert log == b"".join(rows) + rows[1], log[:200]

        requests = simulator_log()
        paths = [e["path"] for e in requests]
        assert paths.count("/") == 2, paths        # start-up page and extraction start
        assert paths.count("/listing.txt") == 2    # the program's and this test's
        agents = {dict(e["headers"]).get("User-Agent") for e in requests if e["path"] == "/online.aw"}
        assert agents == {"Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"}, agents
        print("blackbox: %d rows exported, 1 chat, contact log %d bytes" % (len(rows), len(log)))
        print("1 passed, 0 failed")
    finally:
        if app and app.poll() is None:
            app.kill()
        run(os.path.join(ROOT, "scripts", "simulator"), "stop", state)


if __name__ == "__main__":
    try:
        main()
    except AssertionError as e:
        print("blackbox failed:", e)
        sys.exit(1)
