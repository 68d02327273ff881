#!/usr/bin/env python3
"""Counts non-blank, non-comment lines of the tracked files: tests (everything
under tests/ but the macOS declaration stubs) against the rest of the code
(generated tables, documents and data files aside), and prints the ratio."""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIPPED_SUFFIXES = (".md", ".inc", ".plist.in", ".svg", ".png", ".desktop", ".1", ".clang-format", ".gitignore", ".xml",
                    ".json", "/changelog", "/copyright")
HASH_COMMENTS = (".py", ".sh", ".txt", ".cmake")


def count(path):
    hash_comments = path.endswith(HASH_COMMENTS) or os.path.basename(path) in ("run", "test", "run-linux")
    lines, in_block = 0, False
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as source:
        for line in source:
            text = line.strip()
            if not text:
                continue
            if in_block:
                in_block = "*/" not in text
                continue
            if text.startswith("/*"):
                in_block = "*/" not in text
                continue
            if text.startswith("//") or (hash_comments and text.startswith("#") and not text.startswith("#!")):
                continue
            lines += 1
    return lines


def main():
    files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                           capture_output=True, text=True, check=True).stdout.split()
    tests = code = 0
    for path in files:
        if not os.path.isfile(os.path.join(ROOT, path)) or path.endswith(SKIPPED_SUFFIXES):
            continue
        if path.startswith(("docs/", "tests/macos/sdk/")) or "/" not in path and path != "CMakeLists.txt":
            continue
        lines = count(path)
        if path.startswith("tests/"):
            tests += lines
        else:
            code += lines
    print("code %d, tests %d, tests/code %.1f %%" % (code, tests, 100.0 * tests / code))
    return 0


if __name__ == "__main__":
    sys.exit(main())
