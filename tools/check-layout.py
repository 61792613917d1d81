#!/usr/bin/env python3
"""Checks which way the code under src/ leans.

1. Folders import one way: the graph of `#include "folder/..."` between the folders under
   src/ has no cycle (app -> windows -> core subsystems -> common).
2. The core stays free of windows: no file of the UI-free engine (everything not listed for
   harkola_ui in the folders' CMakeLists.txt, outside src/ui and src/app) includes a window
   or adapter header or a Qt header.
3. Only the program's entry points reach into app/: nothing outside src/app includes it.

Prints each problem and exits 1 when there is one. Usage: check-layout.py [SRC_DIR]
"""
import os
import re
import sys

src = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src"))
include_re = re.compile(r'^\s*#\s*include\s+([<"])([^">]+)[">]', re.M)
problems = []

files = {}  # "folder/name.ext" -> text
for root, _, names in os.walk(src):
    for n in names:
        if n.endswith((".h", ".hpp", ".cpp")):
            p = os.path.join(root, n)
            files[os.path.relpath(p, src).replace(os.sep, "/")] = open(p, encoding="utf-8", errors="replace").read()

# Files listed for harkola_ui, and their headers.
ui_stems = set()
for folder in sorted(os.listdir(src)):
    cm = os.path.join(src, folder, "CMakeLists.txt")
    if not os.path.isfile(cm):
        continue
    text = open(cm, encoding="utf-8").read()
    for block in re.findall(r"target_sources\(\s*harkola_ui\s+PRIVATE(.*?)\)", text, re.S):
        for item in block.split():
            if item.endswith((".cpp", ".h")) and "/" not in item and "$" not in item:
                ui_stems.add(folder + "/" + os.path.splitext(item)[0])


def is_ui(path):
    folder = path.split("/")[0]
    return folder in ("ui", "app") or os.path.splitext(path)[0] in ui_stems


# 1. Folder graph.
edges = {}
for path, text in files.items():
    folder = path.split("/")[0]
    for kind, inc in include_re.findall(text):
        if kind == '"' and "/" in inc:
            target = inc.split("/")[0]
            if target != folder and os.path.isdir(os.path.join(src, target)):
                edges.setdefault(folder, {}).setdefault(target, path)


def cycle_from(start):
    stack, seen = [(start, [start])], set()
    while stack:
        node, trail = stack.pop()
        for nxt in edges.get(node, {}):
            if nxt == start:
                return trail + [start]
            if nxt not in seen:
                seen.add(nxt)
                stack.append((nxt, trail + [nxt]))
    return None


reported = set()
for folder in sorted(edges):
    c = cycle_from(folder)
    if c and frozenset(c) not in reported:
        reported.add(frozenset(c))
        steps = ", ".join(f"{a} -> {b} ({edges[a][b]})" for a, b in zip(c, c[1:]))
        problems.append("folders include each other in a circle: " + steps)

# 2 and 3. What each file may include.
for path, text in sorted(files.items()):
    folder = path.split("/")[0]
    for kind, inc in include_re.findall(text):
        if kind == '"' and inc.split("/")[0] == "app" and folder != "app":
            problems.append(f"{path} includes {inc}: only app/ reaches into app/")
        if is_ui(path):
            continue
        if kind == "<" and re.match(r"Q[A-Za-z]", inc):
            problems.append(f"{path} (core) includes the Qt header <{inc}>")
        elif kind == '"' and inc in files and is_ui(inc):
            problems.append(f"{path} (core) includes the window/adapter header {inc}")

for p in problems:
    print(p)
print(f"layout: {len(files)} files, {sum(len(v) for v in edges.values())} folder links, {len(problems)} problems")
sys.exit(1 if problems else 0)
