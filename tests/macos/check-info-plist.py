#!/usr/bin/env python3
# Checks platform/macos/Info.plist.in: a well-formed property list that gives
# the bundle its identity and version, makes it an agent (LSUIElement: no Dock
# icon, no menu bar, no focus taken at launch), and configures nothing else of
# the program (no nib, no principal class, not background-only).
import plistlib
import sys

path = sys.argv[1]
with open(path, "rb") as file:
    info = plistlib.load(file)

problems = []
wanted = {
    "CFBundleExecutable": "${MACOSX_BUNDLE_EXECUTABLE_NAME}",
    "CFBundleIdentifier": "${MACOSX_BUNDLE_GUI_IDENTIFIER}",
    "CFBundleVersion": "${MACOSX_BUNDLE_BUNDLE_VERSION}",
    "CFBundleShortVersionString": "${MACOSX_BUNDLE_SHORT_VERSION_STRING}",
    "CFBundlePackageType": "APPL",
    "LSMinimumSystemVersion": "13.0",
    "LSUIElement": True,
}
for key, value in wanted.items():
    if info.get(key) != value:
        problems.append(f"{key} is {info.get(key)!r}, wanted {value!r}")
for key in ("NSMainNibFile", "NSMainStoryboardFile", "NSPrincipalClass", "LSBackgroundOnly"):
    if key in info:
        problems.append(f"{key} must not be set")

for problem in problems:
    print(f"FAIL {problem}")
print(f"{len(wanted) + 4 - len(problems)} passed, {len(problems)} failed")
sys.exit(1 if problems else 0)
