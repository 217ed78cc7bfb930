#!/usr/bin/env python3
"""Checks the shape of the tree: no source file over LIMIT lines, no include circle.

Reports
  - source files (C++, CMake, shell, Python) longer than LIMIT lines; data files (the RTF corpus,
    reference texts, glossary terms) are not sources and are not counted;
  - include circles between units: a unit is a header and the .cpp files that implement it
    (foo.h, foo.cpp, its private header foo_p.h, which nothing outside the unit may include, and
    fooPart.cpp where no fooPart.h exists), so a circle means two units that each need the other;
  - include circles between layers (src/<layer>/, with src/richtext/editor/ a layer of its own)
    and includes that point up the layer order written in ARCHITECTURE.md.

Exits 1 when it found any of these, else 0. Standard library only: python3 scripts/check-tree.py
"""

import argparse
import os
import re
import signal
import sys

LIMIT = 1000
SOURCE_SUFFIXES = (".cpp", ".h", ".hpp", ".c", ".cmake", ".sh", ".py")
SOURCE_NAMES = ("CMakeLists.txt",)
SKIP_DIRS = {".git", "build"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)

# What each layer may include besides itself (ARCHITECTURE.md, "The arrows point down only").
# Qt and the standard library are outside the tree and not checked.
ALLOWED = {
    "base": set(),
    "rtf": {"base"},
    "engine": {"rtf", "base"},
    # The data-aware grid and navigator ask their questions through the one question seam.
    "data": {"base", "platform"},
    "platform": {"base"},
    "search": {"base"},
    "spell": {"base"},
    "gradient": {"base"},
    "richtext": {"engine", "rtf", "base", "data", "platform", "search", "spell", "gradient"},
    "richtext/editor": {"richtext", "engine", "rtf", "base", "data", "platform", "search", "spell", "gradient"},
    "book": {"engine", "rtf", "platform", "search", "data", "base"},
    "exchange": {"engine", "rtf", "platform", "search", "data", "base"},
    "app": {"richtext/editor", "richtext", "engine", "rtf", "base", "data", "platform", "search", "spell",
            "gradient", "book", "exchange"},
}


def source_files(root):
    for top in sorted(os.listdir(root)):
        path = os.path.join(root, top)
        if top in SKIP_DIRS or top.startswith("."):
            continue
        if os.path.isfile(path):
            if top.endswith(SOURCE_SUFFIXES) or top in SOURCE_NAMES:
                yield top
            continue
        for d, dirs, files in os.walk(path):
            dirs[:] = sorted(x for x in dirs if x not in SKIP_DIRS and not x.startswith("."))
            for f in sorted(files):
                if f.endswith(SOURCE_SUFFIXES) or f in SOURCE_NAMES:
                    yield os.path.relpath(os.path.join(d, f), root)


def line_count(path):
    with open(path, "rb") as f:
        return f.read().count(b"\n")


def unit_of(rel, headers):
    """The unit a C++ file belongs to: its header's path without the extension."""
    stem, _ = os.path.splitext(rel)
    if stem.endswith("_p"):
        stem = stem[:-2]
    if stem + ".h" in headers or rel.endswith(".h"):
        return stem
    # A .cpp that implements part of a header nearby (qvricheddb.cpp of qvriched.h): the header
    # whose name is the longest start of the file's.
    d, name = os.path.split(stem)
    best = ""
    for h in headers:
        hd, hn = os.path.split(h[:-2])
        if hd == d and name.startswith(hn) and len(hn) > len(best):
            best = hn
    return os.path.join(d, best) if best else stem


def resolve(rel, target, files):
    """The file an include line names: rooted at src/, beside the includer, or at tests/."""
    for base in ("src", os.path.dirname(rel), "tests", ""):
        p = os.path.normpath(os.path.join(base, target))
        if p in files:
            return p
    return None


def layer_of(rel):
    parts = rel.split(os.sep)
    if len(parts) < 3 or parts[0] != "src":
        return None
    if parts[1] == "richtext" and parts[2] == "editor" and len(parts) > 3:
        return "richtext/editor"
    return parts[1]


def circles(graph):
    """Strongly connected components with more than one node (Tarjan, iterative)."""
    index, low, on, stack, out = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on.add(start)
        while work:
            node, it = work[-1]
            advanced = False
            for nxt in it:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on.add(nxt)
                    work.append((nxt, iter(sorted(graph.get(nxt, ())))))
                    advanced = True
                    break
                if nxt in on:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                comp = []
                while True:
                    x = stack.pop()
                    on.discard(x)
                    comp.append(x)
                    if x == node:
                        break
                if len(comp) > 1:
                    out.append(sorted(comp))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    ap.add_argument("--limit", type=int, default=LIMIT)
    args = ap.parse_args()
    root = os.path.abspath(args.root)
    files = list(source_files(root))
    fileset = set(files)
    faults = 0

    long_files = [(line_count(os.path.join(root, f)), f) for f in files]
    long_files = sorted((n, f) for n, f in long_files if n > args.limit)
    print(f"Source files over {args.limit} lines: {len(long_files)}")
    for n, f in long_files:
        print(f"  {n:6d}  {f}")
    faults += len(long_files)

    cxx = [f for f in files if f.endswith((".cpp", ".h", ".hpp", ".c"))]
    headers = {f for f in cxx if f.endswith(".h")}
    units, layers, why, upward, private = {}, {}, {}, [], []
    for f in cxx:
        with open(os.path.join(root, f), encoding="utf-8", errors="replace") as fh:
            text = fh.read()
        u = unit_of(f, headers)
        units.setdefault(u, set())
        lf = layer_of(f)
        if lf:
            layers.setdefault(lf, set())
        for target in INCLUDE.findall(text):
            t = resolve(f, target, fileset)
            if t is None:
                continue
            v = unit_of(t, headers)
            if v != u:
                units[u].add(v)
                why.setdefault((u, v), f"{f} includes {target}")
                if t.endswith("_p.h"):
                    private.append(f"{f} includes {target}")
            lt = layer_of(t)
            if lf and lt and lf != lt:
                layers[lf].add(lt)
                why.setdefault((lf, lt), f"{f} includes {target}")
                if lf in ALLOWED and lt not in ALLOWED[lf]:
                    upward.append(f"{lf} -> {lt}: {f} includes {target}")

    def report(title, comps, graph):
        print(f"{title}: {len(comps)}")
        for comp in comps:
            print("  " + " <-> ".join(comp))
            members = set(comp)
            for a in comp:
                for b in sorted(graph[a] & members):
                    print(f"      {why[(a, b)]}")
        return len(comps)

    faults += report(f"Include circles between units ({len(units)} units)", circles(units), units)
    faults += report(f"Include circles between layers ({len(layers)} layers)", circles(layers), layers)
    print(f"Includes against the layer order: {len(upward)}")
    for u in upward:
        print("  " + u)
    faults += len(upward)
    print(f"Private headers (_p.h) included outside their unit: {len(private)}")
    for p in private:
        print("  " + p)
    faults += len(private)
    print("Layer arrows:")
    for lf in sorted(layers):
        print(f"  {lf:16s} -> {', '.join(sorted(layers[lf])) or '(none)'}")
    return 1 if faults else 0


if __name__ == "__main__":
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quiet when piped into head
    sys.exit(main())
