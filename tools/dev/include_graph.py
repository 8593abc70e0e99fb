#!/usr/bin/env python3
"""Prints which folder of src/ includes which: one line per folder, from its #include "<folder>/..."
lines (a folder's own files left out), then every cycle between two folders. A folder marked *
is included only from .cpp files: no header of the including folder pulls it in.

Usage: tools/dev/include_graph.py [src-dir]   (default: src/ beside tools/)
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.M)


def graph(src):
    edges = {}
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        targets = edges.setdefault(folder, {})
        for root, _, files in os.walk(path):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                    for target in INCLUDE.findall(f.read()):
                        if target != folder and os.path.isdir(os.path.join(src, target)):
                            from_header = targets.get(target, False) or name.endswith(".h")
                            targets[target] = from_header
    return edges


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "src")
    edges = graph(src)
    width = max(len(f) for f in edges)
    for folder, targets in edges.items():
        shown = [t if from_header else t + "*" for t, from_header in sorted(targets.items())]
        print(f"{folder:<{width}} -> {', '.join(shown) or '(none)'}")
    cycles = sorted({tuple(sorted((a, b))) for a in edges for b in edges[a] if a in edges.get(b, ())})
    print("cycles: " + (", ".join(f"{a} <-> {b}" for a, b in cycles) if cycles else "none"))


if __name__ == "__main__":
    main()
