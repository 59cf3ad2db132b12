#!/usr/bin/env python3
"""Checks the floors of the source tree: every quoted include of a file in a floor folder names
a folder that floor may use (its own, or one below it), and the includes inside each folder form
no cycle. Prints each breach; exits non-zero when there is one. Run from anywhere."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
# Who may include whom, by top folder; a folder always uses itself.
MAY_USE = {
    "app": {"widgets", "catalogue", "library", "log", "text", "win"},
    "widgets": {"text", "win"},
    "catalogue": {"text", "win"},
    "library": {"text", "win"},
    "log": {"text", "win"},
    "text": set(),
    "win": set(),
    "tools": {"text"},
}
# Portable folders include win/ only from their Windows-only files.
WINDOWS_ONLY = re.compile(r"_win\.cpp$")
PORTABLE = {"catalogue", "library", "log", "text"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def sources():
    for folder in MAY_USE:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix in (".h", ".cpp"):
                yield folder, path


def main():
    breaches = []
    edges = {}
    for folder, path in sources():
        name = path.relative_to(ROOT).as_posix()
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            top = target.split("/")[0]
            if "/" not in target or top not in MAY_USE:
                continue  # a neighbour included by its bare name, or a system header
            if top == folder:
                edges.setdefault(name, set()).add(target)
                continue
            allowed = top in MAY_USE[folder]
            if allowed and top == "win" and folder in PORTABLE and not WINDOWS_ONLY.search(name):
                allowed = False
            if not allowed:
                breaches.append(f"{name}: includes {target} ({folder}/ may not use {top}/)")
    # A header and its .cpp are one unit: a cycle runs between units of one folder.
    def unit(file):
        return re.sub(r"\.(h|cpp)$", "", file)
    graph = {}
    for source, targets in edges.items():
        for target in targets:
            if unit(target) != unit(source):
                graph.setdefault(unit(source), set()).add(unit(target))
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                cycle = trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
                breaches.append("include cycle: " + " -> ".join(cycle))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node, [node])
    for breach in breaches:
        print(breach)
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
