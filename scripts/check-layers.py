#!/usr/bin/env python3
"""Fails when a program file includes a file of a higher layer, or the core includes Qt.

Every include is resolved as the compiler resolves it for this project: a quoted
one first beside the including file, then (quoted or angled) from the project's
root, the include folder CMake gives every target. A header the build generates
counts as the file it is made from: `X.h` from the template `X.h.in`, `ui_X.h`
from the form `X.ui` beside the includer. What resolves to no project file is
external; a Qt header among those is refused in the core, in any spelling.

Usage: check-layers.py [ROOT]   (ROOT defaults to the project holding this script)
"""
import os
import re
import sys

CORE = ["hexcodec", "settings", "util", "imaging", "segment", "dates", "exif", "optimise", "editor"]
# Bottom to top: a layer includes itself and the layers before it, nothing after. The
# ground (hexcodec, settings, util) keeps that order too: hexcodec includes nothing of ours.
ORDER = CORE + ["widgets"] + [f"{name}/ui" for name in CORE[3:]] + ["app"]
RANK = {layer: rank for rank, layer in enumerate(ORDER)}
RANK["cli"] = RANK["app"]  # both on top, neither includes the other
# The settings store on QSettings lives in app/ but is its own library, kestrin_settings,
# which the command line links to read and write the same settings as the window.
EXCEPTIONS = {("cli", "app/QtSettingsStore.h")}
# Tests, benchmarks and fuzz targets may include any program file; they are no layer.
HARNESS = {"tests", "bench", "fuzz"}
CPP_SUFFIXES = {".h", ".hh", ".hpp", ".hxx", ".c", ".cc", ".cpp", ".cxx", ".ipp", ".inl"}
DIRECTIVE = re.compile(r"\s*#\s*(?:include|include_next|import)\b(.*)")
TARGET = re.compile(r'\s*(?:"([^"]*)"|<([^>]*)>)')


def is_cpp_source(name):
    stem, suffix = os.path.splitext(name.lower())
    if suffix == ".in":
        suffix = os.path.splitext(stem)[1]
    return suffix in CPP_SUFFIXES


def layer_of(rel):
    parts = rel.split("/")
    if len(parts) > 2 and parts[1] == "ui" and parts[0] != "app":
        return f"{parts[0]}/ui" if f"{parts[0]}/ui" in RANK else None
    return parts[0] if len(parts) > 1 and parts[0] in RANK else None


def is_qt(name):
    """Qt's module folders (QtCore/, qtwidgets/) and headers (QString, qstring.h, QtGlobal)."""
    *folders, base = name.lower().split("/")
    if any(re.fullmatch(r"qt\w*", folder) for folder in folders):
        return True
    base = re.sub(r"\.h$", "", base)
    return re.fullmatch(r"q\w+", base) is not None and base not in ("queue", "quadmath")


def resolve(root, includer, name, quoted):
    """The project file an include names, relative to root, or None when it is external."""
    bases = [os.path.dirname(includer)] if quoted else []
    candidates = [os.path.join(base, name) for base in bases + [root]]
    candidates.append(os.path.join(root, name) + ".in")
    form = re.fullmatch(r"ui_(\w+)\.h", name)
    if quoted and form:
        candidates.append(os.path.join(os.path.dirname(includer), form.group(1) + ".ui"))
    for candidate in map(os.path.normpath, candidates):
        rel = os.path.relpath(candidate, root)
        if os.path.isfile(candidate) and not rel.startswith(".."):
            return rel.replace(os.sep, "/")
    return None


def includes(path):
    """(line number, directive text) of every include; a line ending in a backslash goes on."""
    with open(path, encoding="utf-8", errors="replace") as source:
        lines = source.read().split("\n")
    pending = ""
    for number, line in enumerate(lines, 1):
        line = pending + line.rstrip("\r")
        pending = line[:-1] if line.endswith("\\") else ""
        directive = None if pending else DIRECTIVE.match(line)
        if directive:
            yield number, re.sub(r"/\*.*?\*/", " ", directive.group(1))


def problems(root, rel):
    layer = layer_of(rel)
    if layer is None:
        yield 0, "lies in no layer (add its folder to the order in scripts/check-layers.py)"
        return
    for number, text in includes(os.path.join(root, rel)):
        target = TARGET.match(text)
        if not target:
            yield number, f"include that cannot be resolved: {text.strip()}"
            continue
        name = target.group(1) if target.group(1) is not None else target.group(2)
        found = resolve(root, os.path.join(root, rel), name, target.group(1) is not None)
        if found is None:
            if layer in CORE and (is_qt(name) or name.startswith("ui_")):
                yield number, f"the core includes Qt: {name}"
            continue
        above = layer_of(found)
        if above == layer or (layer, found) in EXCEPTIONS:
            continue
        if above is None or RANK[above] >= RANK[layer]:
            yield number, f"{layer} includes {found} ({above or 'no layer'})"


def program_files(root):
    for folder, subfolders, files in os.walk(root):
        if folder == root:
            subfolders[:] = [name for name in subfolders
                             if name not in HARNESS | {".git"} and not name.startswith("build")]
        subfolders.sort()
        for name in sorted(files):
            if is_cpp_source(name):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def main():
    here = os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else here)
    found = [f"{rel}:{number}: {problem}"
             for rel in program_files(root) for number, problem in problems(root, rel)]
    for line in found:
        print(f"layer violation: {line}", file=sys.stderr)
    if found:
        return 1
    print("layers: every include points down the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
