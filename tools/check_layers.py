#!/usr/bin/env python3
"""The floors of the program, checked on its includes.

Every folder under src/ is one floor.  A file may include headers of its own
floor and of the floors its rule lists below; any other include of a header
under src/ is refused, and so is a Qt header of a module the floor may not
use (no widgets below the windows).  The floors themselves must not form a
cycle, neither in the rules nor in the includes found.

    tools/check_layers.py [--root DIR] [--graph]

Prints one line per broken rule (file:line: what and why) and exits 1 when
there is any; --graph also prints which floor includes which.
"""

import argparse
import os
import re
import sys

# floor -> the floors it may stand on (besides itself).  A floor listed here
# implies nothing about the floors below those: each rule is complete.
CORE = ["base"]
RULES = {
    "base": [],
    "platform/core": ["base"],
    "db": ["base"],
    "data": ["db", "base"],
    "platform/widgets": ["platform/core", "base"],
    "forms": ["platform/widgets", "platform/core", "data", "db", "base"],
    "shell": ["forms", "platform/widgets", "platform/core", "data", "db", "base"],
    "entry": ["shell", "forms", "platform/widgets", "platform/core", "data", "db", "base"],
    "organisation": ["entry", "shell", "forms", "platform/widgets", "platform/core", "data", "db", "base"],
    # The exchange: a headless core and its windows.
    "exchange": ["data", "db", "platform/core", "base"],
    "exchange/ui": ["exchange", "shell", "forms", "platform/widgets", "platform/core", "data", "db", "base"],
    # Printing: the report engine, the printed pages and their fills, the
    # word output, and their windows.
    "report": ["platform/core", "base"],
    "output/pages": ["report", "data", "db", "platform/core", "base"],
    "output/layouts": ["report", "output/pages", "data", "db", "platform/core", "base"],
    "output/fill": ["report", "output/pages", "data", "db", "platform/core", "base"],
    "output/word": ["output/pages", "data", "db", "platform/core", "base"],
    "output/ui": ["output/pages", "output/layouts", "output/fill", "output/word", "report", "shell", "forms",
                  "platform/widgets", "platform/core", "data", "db", "base"],
    # Start-up stands on everything.
    "app": ["organisation", "entry", "shell", "forms", "platform/widgets", "platform/core", "data", "db", "base",
            "exchange", "exchange/ui", "report", "output/pages", "output/layouts", "output/fill", "output/word",
            "output/ui"],
}

# Qt modules a floor may include; None: any.  Floors without widgets never
# see QtWidgets; the QtCore floors see nothing of QtGui either.
QT_CORE = {"QtCore"}
QT_GUI = {"QtCore", "QtGui"}
QT_MODULES = {
    "base": QT_CORE,
    "db": QT_CORE,
    "data": QT_CORE,
    "platform/core": QT_GUI,          # QImage for the JPEG decoder
    "exchange": QT_CORE,
    "report": QT_GUI | {"QtPrintSupport"},
    "output/pages": QT_GUI,
    "output/layouts": QT_GUI,
    "output/fill": QT_CORE,
    "output/word": QT_CORE,
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".cxx")


def rule_cycle(rules):
    """A cycle among the rules, as a list of floors, or None."""
    return find_cycle({f: set(deps) for f, deps in rules.items()})


def find_cycle(graph):
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def floor_of(relpath):
    """The floor of a path relative to src/ (longest rule that is a prefix)."""
    parts = relpath.split("/")[:-1]
    for n in range(len(parts), 0, -1):
        candidate = "/".join(parts[:n])
        if candidate in RULES:
            return candidate
    return None


def qt_headers():
    """Qt header name -> module, from the installed Qt headers."""
    roots = ["/usr/include/x86_64-linux-gnu/qt6", "/usr/include/aarch64-linux-gnu/qt6", "/usr/include/qt6"]
    env = os.environ.get("QT_INSTALL_HEADERS")
    if env:
        roots.insert(0, env)
    found = {}
    for root in roots:
        if not os.path.isdir(root):
            continue
        for module in os.listdir(root):
            folder = os.path.join(root, module)
            if module.startswith("Qt") and os.path.isdir(folder):
                for name in os.listdir(folder):
                    found.setdefault(name, module)
        break
    return found


def check(root, show_graph=False, out=sys.stdout):
    src = os.path.join(root, "src")
    problems = []
    cycle = rule_cycle(RULES)
    if cycle:
        problems.append("tools/check_layers.py: the rules run in a circle: " + " -> ".join(cycle))
    qt = qt_headers()
    graph = {}
    for dirpath, dirnames, filenames in os.walk(src):
        dirnames.sort()
        for name in sorted(filenames):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            shown = "src/" + rel
            floor = floor_of(rel)
            if floor is None:
                problems.append(f"{shown}: its folder has no rule in tools/check_layers.py; add one")
                continue
            allowed = set(RULES[floor]) | {floor}
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    bracket, header = m.groups()
                    target = None
                    if bracket == '"':
                        for base in (dirpath, src):
                            candidate = os.path.normpath(os.path.join(base, header))
                            if os.path.isfile(candidate):
                                target = candidate
                                break
                    if target and os.path.commonpath([os.path.abspath(target), os.path.abspath(src)]) == os.path.abspath(src):
                        target_rel = os.path.relpath(target, src).replace(os.sep, "/")
                        target_floor = floor_of(target_rel)
                        if target_floor is None:
                            continue   # reported where that file is checked
                        if target_floor != floor:
                            graph.setdefault(floor, set()).add(target_floor)
                        if target_floor not in allowed:
                            problems.append(
                                f"{shown}:{number}: includes {target_rel}: src/{floor} may stand on "
                                f"{', '.join(RULES[floor]) or 'nothing'}; not on src/{target_floor}")
                        continue
                    modules = QT_MODULES.get(floor)
                    if modules is None or bracket != "<":
                        continue
                    module = header.split("/")[0] if header.startswith("Qt") and "/" in header else qt.get(header)
                    if module and module.startswith("Qt") and module not in modules:
                        problems.append(
                            f"{shown}:{number}: includes <{header}> of {module}: src/{floor} uses "
                            f"{' and '.join(sorted(modules))} only")
    cycle = find_cycle(graph)
    if cycle:
        problems.append("the includes run in a circle between folders: " + " -> ".join(cycle))
    if show_graph:
        for floor in sorted(graph):
            print(f"{floor} -> {', '.join(sorted(graph[floor]))}", file=out)
    for p in problems:
        print(p, file=out)
    return problems


def main():
    parser = argparse.ArgumentParser(description="Checks the includes of src/ against the floors.")
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--graph", action="store_true", help="print which folder includes which")
    args = parser.parse_args()
    problems = check(os.path.abspath(args.root), args.graph)
    if problems:
        print(f"layering: {len(problems)} problem(s)", file=sys.stderr)
        return 1
    print("layering: every include stands on its floor", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
