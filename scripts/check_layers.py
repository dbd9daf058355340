#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The layers are the folders of src/, bottom to top. A quoted include is looked
up the way the build finds it: beside the including file, then by its path
under src/, then by its name in any layer folder. Every quoted include must
name exactly one file of the tree, and every source file must sit in a layer
folder, so that a new folder or a header name used twice cannot slip past.

    check_layers.py [SRC_DIR]   checks the tree (default: the repository's src/)
    check_layers.py --self-test checks that the check itself catches faults
"""
import os
import re
import sys
import tempfile

LAYERS = ["base", "HashLib", "Utils", "job", "settings", "ui"]
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".inl")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(src, path):
    first = os.path.relpath(path, src).split(os.sep)[0]
    return first if first in LAYERS else None


def source_files(src):
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(folder, name)


def check(src):
    """Returns the faults found in the tree under src, one line each."""
    files = list(source_files(src))
    by_name = {}
    for path in files:
        by_name.setdefault(os.path.basename(path), []).append(path)
    faults = []
    for path in files:
        rel = os.path.relpath(path, src)
        own = layer_of(src, path)
        if own is None:
            faults.append(f"{rel}: not in a layer folder ({', '.join(LAYERS)})")
            continue
        with open(path, encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                name = match.group(1)
                beside = os.path.normpath(os.path.join(os.path.dirname(path), name))
                under_src = os.path.normpath(os.path.join(src, name))
                if os.path.isfile(beside):
                    targets = [beside]
                elif "/" in name and os.path.isfile(under_src):
                    targets = [under_src]
                else:
                    targets = by_name.get(os.path.basename(name), [])
                where = f"{rel}:{number}: \"{name}\""
                if not targets:
                    faults.append(f"{where} names no file under src/")
                    continue
                layers = {layer_of(src, target) for target in targets}
                if len(layers) > 1:
                    faults.append(f"{where} is ambiguous: {', '.join(sorted(map(str, layers)))}")
                    continue
                target = layers.pop()
                if target is None:
                    continue  # reported at the file itself
                if LAYERS.index(target) > LAYERS.index(own):
                    faults.append(f"{where} goes up from {own} to {target}")
    return faults


def self_test():
    def faults_of(files):
        with tempfile.TemporaryDirectory(prefix="layers") as root:
            for rel, text in files.items():
                path = os.path.join(root, rel)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w", encoding="utf-8") as out:
                    out.write(text)
            return check(root)

    cases = [
        ("downward and sideways includes pass",
         {"base/A.h": "", "job/J.h": '#include "A.h"\n', "job/J.cpp": '#include "J.h"\n',
          "ui/U.cpp": '#include "J.h"\n#include "A.h"\n#include <windows.h>\n'}, None),
        ("an upward include fails",
         {"base/A.h": "", "job/J.h": "", "ui/F.h": "",
          "job/J.cpp": '#include "J.h"\n  #  include "F.h"  // the window\n'},
         'job/J.cpp:2: "F.h" goes up from job to ui'),
        ("an upward include by path fails",
         {"base/A.cpp": '#include "settings/S.h"\n', "settings/S.h": ""},
         'base/A.cpp:1: "settings/S.h" goes up from base to settings'),
        ("a header name in two layers fails",
         {"base/Same.h": "", "ui/Same.h": "", "job/J.cpp": '#include "Same.h"\n'},
         'job/J.cpp:1: "Same.h" is ambiguous'),
        ("an include of nothing fails",
         {"job/J.cpp": '#include "Gone.h"\n'}, 'job/J.cpp:1: "Gone.h" names no file'),
        ("a folder outside the layers fails",
         {"extra/E.cpp": ""}, "extra/E.cpp: not in a layer folder"),
    ]
    failed = 0
    for title, files, expected in cases:
        faults = faults_of(files)
        ok = not faults if expected is None else any(f.startswith(expected) for f in faults)
        print(("ok    " if ok else "FAIL  ") + title + ("" if ok else f": got {faults}"))
        failed += not ok
    return 1 if failed else 0


def main(args):
    if args == ["--self-test"]:
        return self_test()
    src = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    faults = check(os.path.normpath(src))
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layers {' < '.join(LAYERS)}")
        return 1
    print(f"includes follow the layers {' < '.join(LAYERS)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
