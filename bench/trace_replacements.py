#!/usr/bin/env python3
"""What each import compared before it replaced norvane.txt, from a system-call trace.

For every replacement of the database (a rename, or an exchange of names), prints the read
the import's bytes came from, the comparison that found the file as read, the last check of
the file's identity, and the replacement: each with its time, the file's inode and size and
its modification time, and the microseconds from the last check to the replacement. An
import that found the file changed shows as an attempt without a replacement.

Trace a window or a command like this (bench/window_save_sweep.py --strace does it):
  strace -f -ttt -v -y -o TRACE -e trace=openat,newfstatat,fcntl,linkat,rename,renameat2,unlink \
      build/main/norvane --dir DIR
usage: bench/trace_replacements.py TRACE
"""
import re
import sys

CALL = re.compile(r"^(\d+) +(\d+\.\d+) (\w+)\((.*)\) = (-?\d+)")
FD_PATH = re.compile(r"^(\d+)<([^>]*)>")
STAT = re.compile(r"st_ino=(\d+).*?st_size=(\d+).*?st_mtime=\d+ /\* ([^*]+?) \*/")


def identity(args):
    found = STAT.search(args)
    return f"inode {found[1]}, {found[2]} bytes, written {found[3][11:26]}" if found else "?"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    fds = {}  # (pid, fd) -> ("read" | "compare", time)
    attempt = {}  # what the current attempt of each thread saw
    start = None
    for line in open(sys.argv[1], errors="replace"):
        m = CALL.match(line)
        if not m:
            continue
        pid, t, call, args, result = m[1], float(m[2]), m[3], m[4], int(m[5])
        start = start if start is not None else t
        at = f"{(t - start) * 1000:10.3f} ms"
        mine = attempt.setdefault(pid, {})
        if call == "openat" and args.split(", ")[1].strip('"').endswith("/norvane.txt") \
                and "O_RDONLY" in args and result >= 0:
            # The import reads; the comparison opens it again after the new file is written.
            kind = "compare" if "written" in mine else "read"
            fds[(pid, result)] = kind
            mine[kind] = [at, None]
        elif call == "newfstatat":
            fd = FD_PATH.match(args)
            if fd and (pid, int(fd[1])) in fds:
                entry = mine.get(fds[(pid, int(fd[1]))])
                if entry and entry[1] is None:
                    entry[1] = identity(args)
            elif args.split(", ")[1].strip('"').endswith("/norvane.txt") and "compare" in mine:
                mine["check"] = [at, identity(args), t]
        elif call == "linkat" and "/norvane.txt." in args:
            mine["written"] = at
        elif call == "fcntl" and "F_SETLEASE, F_RDLCK" in args and "compare" in mine:
            mine["lease"] = "granted" if result == 0 else "refused: a writer has it open"
        elif call in ("rename", "renameat2") and '/norvane.txt"' in args.split(", ")[-2 if
                                                                         call == "renameat2"
                                                                         else -1]:
            how = "exchange" if "RENAME_EXCHANGE" in args else call
            if "check" not in mine:
                continue  # the exchange back after a save came in between
            print(f"replacement by {how} at {at}{'' if result == 0 else ' FAILED'}")
            for label, key in (("read", "read"), ("compared", "compare")):
                entry = mine.get(key, ["(none)", "?"])
                print(f"  {label:9} {entry[0]}: {entry[1]}")
            print(f"  lease     {mine.get('lease', '?')}")
            print(f"  checked   {mine['check'][0]}: {mine['check'][1]}")
            print(f"  {(t - mine['check'][2]) * 1e6:.0f} µs from the last check to the "
                  f"replacement")
            attempt[pid] = {}
        elif call == "unlink" and "/norvane.txt." in args and "compare" in mine:
            print(f"attempt at {mine['compare'][0]}: the file had changed since it was read "
                  f"({mine['compare'][1]}); read again")
            attempt[pid] = {}


if __name__ == "__main__":
    main()
