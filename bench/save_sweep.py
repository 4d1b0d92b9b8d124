#!/usr/bin/env python3
"""Another program saves norvane.txt while `norvane add` imports into it.

Each run restores a large database, starts `norvane --dir DIR add LOG` (the import that "Add
EDI" makes) and, at a moment spread evenly from the start to the end of an import, saves the
database with one more record: by rename (a new file renamed over it, as most editors save)
or in place (truncated and written, as Notepad saves). The save is ready before the run, so
that it lands at its moment. Afterwards it tells whether the save landed before or after
Norvane's replacement (a save in place that was still being written when the file was
replaced: "during") and what the database lost.

usage: bench/save_sweep.py [--norvane build/main/norvane] [--records 4000000] [--runs 40]
Takes some minutes at 4,000,000 records; not run by CI.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SAVED = b"JN61AA Q3SAVE\r\n"  # the other program's record
NEW_CALLS = [f"Q9N{chr(65 + i // 26)}{chr(65 + i % 26)}" for i in range(40)]


def database(records):
    lines = (f"JN{45 + i % 10}{chr(65 + i % 24)}{chr(65 + i // 24 % 24)} Q{i % 10}"
             f"{chr(65 + i // 10 % 26)}{chr(65 + i // 260 % 26)}{chr(65 + i // 6760 % 26)}"
             f"{chr(65 + i // 175760 % 26)}{chr(65 + i // 4569760 % 26)}\r\n"
             for i in range(records))
    return "".join(lines).encode("latin-1") + b"\r\n"


def edi_log():
    qsos = "".join(f"130507;1410;{call};1;59;001;59;001;;JO60AB;123;;N;N;\r\n"
                   for call in NEW_CALLS)
    return f"[REG1TEST;1]\r\nPCall=Q9XYZ\r\n[QSORecords;{len(NEW_CALLS)}]\r\n{qsos}"


class Sweep:
    def __init__(self, norvane, work, records):
        self.norvane = norvane
        self.dir = os.path.join(work, "data")
        os.makedirs(self.dir)
        self.path = os.path.join(self.dir, "norvane.txt")
        self.editor_file = os.path.join(self.dir, "norvane.txt.editor-save")
        self.log = os.path.join(work, "log.edi")
        self.pristine = os.path.join(work, "pristine.txt")
        self.original = database(records)
        self.saved = self.original + SAVED
        with open(self.pristine, "wb") as f:
            f.write(self.original)
        with open(os.path.join(self.dir, "myloc.txt"), "wb") as f:
            f.write(b"JN81GD\r\n")
        with open(self.log, "w", newline="") as f:
            f.write(edi_log())

    def restore(self, mode):
        shutil.copyfile(self.pristine, self.path + ".restore")
        os.replace(self.path + ".restore", self.path)
        if mode == "rename":
            with open(self.editor_file, "wb") as f:
                f.write(self.saved)
        os.sync()  # nothing of the set-up left for the import's sync to write
        return os.stat(self.path).st_ino

    def import_(self):
        return subprocess.Popen([self.norvane, "--dir", self.dir, "add", self.log],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)

    def duration(self):
        took = []
        for _ in range(3):
            self.restore("none")
            start = time.monotonic()
            out, _ = self.import_().communicate()
            took.append(time.monotonic() - start)
            if not out.startswith(b"Has been added 40"):
                sys.exit(f"the import failed: {out.decode(errors='replace')}")
        return statistics.median(took)

    def run(self, mode, delay):
        original_inode = self.restore(mode)
        editor_inode = os.stat(self.editor_file).st_ino if mode == "rename" else None
        start = time.monotonic()
        norvane = self.import_()
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
        out, _ = norvane.communicate()
        with open(self.path, "rb") as f:
            final = f.read()
        final_inode = os.stat(self.path).st_ino
        if mode == "rename":
            landed = "after" if final_inode == editor_inode else "before"
        elif editor_inode != original_inode:  # it wrote into a file Norvane made
            landed = "after"
        else:
            landed = "before" if still_there else "during"
        added = out.startswith(b"Has been added 40")
        ours = sum(f" {call}\r\n".encode() in final for call in NEW_CALLS)
        return {"mode": mode, "delay": delay, "landed": landed, "added": added,
                "saved_lost": SAVED not in final, "norvane_lost": added and ours < 40,
                "records_lost": not final.startswith(self.original.rstrip(b"\r\n")),
                "message": out.decode(errors="replace").splitlines()[0] if out else ""}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--norvane", default="build/main/norvane")
    parser.add_argument("--records", type=int, default=4_000_000)
    parser.add_argument("--runs", type=int, default=40, help="per kind of save")
    args = parser.parse_args()
    norvane = os.path.abspath(args.norvane)
    with tempfile.TemporaryDirectory(dir=os.environ.get("TMPDIR")) as work:
        sweep = Sweep(norvane, work, args.records)
        span = sweep.duration()
        print(f"{args.records} records; an import takes {span * 1000:.0f} ms (median of 3)")
        results = []
        for mode in ("rename", "in place"):
            for k in range(args.runs):
                r = sweep.run(mode, span * k / max(1, args.runs - 1))
                results.append(r)
                print(f"{mode:8} at {r['delay'] * 1000:6.1f} ms: landed {r['landed']:6} "
                      f"other's record {'LOST' if r['saved_lost'] else 'kept'}, "
                      f"Norvane's {'LOST' if r['norvane_lost'] else 'kept'}, "
                      f"earlier records {'LOST' if r['records_lost'] else 'kept'}; "
                      f"{r['message']}",
                      flush=True)
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
