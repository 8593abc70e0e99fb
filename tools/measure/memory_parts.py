#!/usr/bin/env python3
"""The resident memory of a process by part, from /proc/<pid>/smaps.

Usage: memory_parts.py <pid> [label]
Prints one line: label, VmRSS, VmHWM and the resident MB of
  heap        the brk heap ([heap])
  anon        anonymous mappings: glibc's blocks of 128 KiB and more (textures, large pictures),
              the other threads' malloc arenas and their stacks
  libs        shared libraries (*.so*), the pages of them this process has touched
  exe         the game's executable
  surfaces    shared memory: the window's surface handed to the X server (MIT-SHM)
  other       everything else (the main stack, locale files, vdso)
"""
import re
import sys


def parts(pid):
    sums = {"heap": 0, "anon": 0, "libs": 0, "exe": 0, "surfaces": 0, "other": 0}
    exe = ""
    try:
        import os
        exe = os.readlink(f"/proc/{pid}/exe")
    except OSError:
        pass
    name = ""
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                fields = line.split(None, 5)
                name = fields[5].strip() if len(fields) > 5 else ""
            elif line.startswith("Rss:"):
                kb = int(line.split()[1])
                if name == "[heap]":
                    part = "heap"
                elif name == "":
                    part = "anon"
                elif name.startswith("/SYSV") or name.startswith("/dev/shm") or name.startswith("/memfd:"):
                    part = "surfaces"
                elif re.search(r"\.so(\.|$| )", name):
                    part = "libs"
                elif exe and name.startswith(exe):
                    part = "exe"
                else:
                    part = "other"
                sums[part] += kb
    status = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                status[key] = int(value.split()[0])
    return status, sums


def main():
    pid = sys.argv[1]
    label = sys.argv[2] if len(sys.argv) > 2 else "now"
    status, sums = parts(pid)
    mb = lambda kb: f"{kb / 1024:.1f}"
    print(f"{label}: RSS {mb(status['VmRSS'])} MB, peak {mb(status['VmHWM'])} MB; "
          + ", ".join(f"{k} {mb(v)}" for k, v in sums.items()))


if __name__ == "__main__":
    main()
