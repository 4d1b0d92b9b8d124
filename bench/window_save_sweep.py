#!/usr/bin/env python3
"""Another program saves norvane.txt while the log window's "Add EDI" imports into it.

The real window under Xvfb, driven with xdotool: the log window in its "EDI --> DB" mode, a
log of 40 new stations pasted, and "Add EDI" clicked. At a moment spread evenly from the
click to the end of the import, another program saves the database with one more record,
by rename or in place, as bench/save_sweep.py does against `norvane add`, and each run is
judged alike: did the save land before Norvane's replacement, and what did the database
lose. One window serves every run; the database is put back before each.

usage: bench/window_save_sweep.py [--norvane build/main/norvane] [--records 4000000] [--runs 40]
                                  [--strace TRACE]
Needs Xvfb, xdotool and xclip; takes some minutes at 4,000,000 records; not run by CI.
"""
import argparse
import ctypes
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from save_sweep import SAVED, NEW_CALLS, Sweep  # noqa: E402


class Pointer:
    """The mouse button pressed and let go through XTest, in this process: xdotool would add
    its own start-up, milliseconds, between the moment taken and the click."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("cannot open the display")

    def click(self):
        """Presses and lets go of the first button; the moment it was let go."""
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        self.x11.XFlush(self.display)
        time.sleep(0.05)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)  # a button clicks when let go
        self.x11.XFlush(self.display)
        return time.monotonic()


def xdotool(*args, check=True):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    if check and done.returncode != 0:
        sys.exit(f"xdotool {' '.join(args)}: {done.stderr.strip()}")
    return done.stdout.strip()


def window(title, timeout=60):
    subprocess.run(["timeout", str(timeout), "xdotool", "search", "--sync", "--onlyvisible",
                    "--name", f"^{title}$"], check=True, capture_output=True)
    return xdotool("search", "--onlyvisible", "--name", f"^{title}$").splitlines()[-1]


def click(win, x_twips, y_twips):  # 15 twips a pixel
    xdotool("mousemove", "--window", win, str(x_twips // 15), str(y_twips // 15), "click", "1")


class WindowSweep(Sweep):
    def start(self, display_log):
        self.restore("none")
        traced = ["strace", "-f", "-ttt", "-v", "-y", "-o", self.strace, "-e",
                  "trace=openat,newfstatat,fcntl,linkat,rename,renameat2,unlink"] \
            if self.strace else []
        self.app = subprocess.Popen([*traced, self.norvane, "--dir", self.dir],
                                    stdout=display_log, stderr=subprocess.STDOUT)
        main = window(r"Norvane v1\.2 - tamsel - .* different Call")
        xdotool("windowmove", "--sync", main, "0", "0")
        click(main, 3007, 4387)  # "EDI --> DB"
        self.log_window = window("EDI Add to Database")
        self.pointer = Pointer()
        xdotool("windowmove", "--sync", self.log_window, "400", "0")
        # The log on the clipboard, served by xclip until it is replaced.
        subprocess.run(["xclip", "-selection", "clipboard", "-i", self.log], check=True)
        time.sleep(0.5)

    def stop(self):
        self.app.kill()
        self.app.wait()

    def paste(self):
        click(self.log_window, 3667, 2527)  # the paste box
        xdotool("key", "--clearmodifiers", "ctrl+v")
        time.sleep(0.8)  # pasted, and the program idle again

    def import_started(self):
        """Clicks "Add EDI"; the moment the click was sent."""
        xdotool("mousemove", "--window", self.log_window, str(2647 // 15), str(4867 // 15))
        return self.pointer.click()

    def answered(self):
        """Waits for the message box and closes it: whether it listed the 40 new records.

        Its text cannot be copied here, but its height tells: "Has been added 40 new
        records" lists them, one a line, where an error takes a few lines."""
        box = window("Norvane", timeout=60)
        height = int(xdotool("getwindowgeometry", "--shell", box).split("HEIGHT=")[1].split()[0])
        xdotool("windowfocus", "--sync", box, "key", "Return")
        for _ in range(100):
            if not xdotool("search", "--onlyvisible", "--name", "^Norvane$", check=False):
                break
            time.sleep(0.05)
        return "Has been added 40 new records" if height > 400 else f"a message ({height} px high)"

    def duration(self):
        took = []
        for _ in range(3):
            self.restore("none")
            inode = os.stat(self.path).st_ino
            self.paste()
            start = self.import_started()
            while os.stat(self.path).st_ino == inode:
                time.sleep(0.0005)
            took.append(time.monotonic() - start)
            message = self.answered()
            if "Has been added 40" not in message:
                sys.exit(f"the import failed: {message}")
        return statistics.median(took)

    def run(self, mode, delay):
        original_inode = self.restore(mode)
        editor_inode = os.stat(self.editor_file).st_ino if mode == "rename" else None
        self.paste()
        start = self.import_started()
        while time.monotonic() < start + delay:
            pass
        if mode == "rename":
            os.rename(self.editor_file, self.path)
        else:
            fd = os.open(self.path, os.O_WRONLY | os.O_TRUNC)
            editor_inode = os.fstat(fd).st_ino
            os.write(fd, self.saved)
            os.close(fd)
            still_there = os.stat(self.path).st_ino == editor_inode
        message = self.answered()
        with open(self.path, "rb") as f:
            final = f.read()
        final_inode = os.stat(self.path).st_ino
        if mode == "rename":
            landed = "after" if final_inode == editor_inode else "before"
        elif editor_inode != original_inode:
            landed = "after"
        else:
            landed = "before" if still_there else "during"
        added = "Has been added 40" in message
        ours = sum(f" {call}\r\n".encode() in final for call in NEW_CALLS)
        return {"mode": mode, "delay": delay, "landed": landed, "added": added,
                "saved_lost": SAVED not in final, "norvane_lost": added and ours < 40,
                "records_lost": not final.startswith(self.original.rstrip(b"\r\n")),
                "message": message}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--norvane", default="build/main/norvane")
    parser.add_argument("--records", type=int, default=4_000_000)
    parser.add_argument("--runs", type=int, default=40, help="per kind of save")
    parser.add_argument("--strace", help="the window's system calls into this file, for "
                        "bench/trace_replacements.py")
    args = parser.parse_args()
    norvane = os.path.abspath(args.norvane)
    with tempfile.TemporaryDirectory(dir=os.environ.get("TMPDIR")) as work:
        os.environ.pop("QT_QPA_PLATFORM", None)
        display_file = os.path.join(work, "display")
        with open(display_file, "w") as fd:
            xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(fd.fileno()), "-screen", "0",
                                     "1280x1024x24", "-nolisten", "tcp"], pass_fds=[fd.fileno()],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(50):
            if os.path.getsize(display_file):
                break
            time.sleep(0.1)
        with open(display_file) as f:
            os.environ["DISPLAY"] = ":" + f.readline().strip()
        sweep = WindowSweep(norvane, work, args.records)
        sweep.strace = os.path.abspath(args.strace) if args.strace else None
        try:
            with open(os.path.join(work, "norvane.log"), "w") as display_log:
                sweep.start(display_log)
                span = sweep.duration()
                print(f"{args.records} records; the window's import takes {span * 1000:.0f} ms "
                      "from the click to the replacement (median of 3)")
                results = []
                for mode in ("rename", "in place"):
                    for k in range(args.runs):
                        r = sweep.run(mode, span * k / max(1, args.runs - 1))
                        results.append(r)
                        print(f"{mode:8} at {r['delay'] * 1000:6.1f} ms: landed {r['landed']:6} "
                              f"other's record {'LOST' if r['saved_lost'] else 'kept'}, "
                              f"Norvane's {'LOST' if r['norvane_lost'] else 'kept'}, "
                              f"earlier records {'LOST' if r['records_lost'] else 'kept'}; "
                              f"{r['message']}", flush=True)
                sweep.stop()
        finally:
            xvfb.kill()
    print("\n| save | landed | runs | other program's record lost | Norvane's records lost "
          "| earlier records lost |")
    print("| --- | --- | --- | --- | --- | --- |")
    for mode in ("rename", "in place"):
        for landed in ("before", "during", "after"):
            rs = [r for r in results if r["mode"] == mode and r["landed"] == landed]
            if rs or landed != "during":
                print(f"| {mode} | {landed} | {len(rs)} | {sum(r['saved_lost'] for r in rs)} "
                      f"| {sum(r['norvane_lost'] for r in rs)} "
                      f"| {sum(r['records_lost'] for r in rs)} |")


if __name__ == "__main__":
    main()
