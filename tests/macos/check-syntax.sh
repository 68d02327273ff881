#!/usr/bin/env bash
# Compiles the macOS backend and the core (sources/*.cpp, platform/*.cpp) as
# Objective-C++ against the SDK stubs in sdk/, syntax only, with the warnings
# of the real build as errors. The files are found when the check runs, so new
# ones are checked too.
#
#   check-syntax.sh CLANG SOURCE_DIR [FLAG...]
#       every backend and core source; the FLAGs (the core's own compile
#       options) come after the fixed ones
#   check-syntax.sh --rejected CLANG SOURCE_DIR [FLAG...]
#       the cases in rejected/, each of which must fail with the diagnostic
#       its "// expect:" line names
set -uo pipefail

mode=
if [ "${1:-}" = "--rejected" ]; then
    mode=rejected
    shift
fi
clang=$1
root=$2
shift 2
here="$root/tests/macos"

flags=(-fsyntax-only -x objective-c++ -std=c++20 -fobjc-arc -fblocks -fobjc-runtime=macosx-13.0
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast
    -Wformat=2 -Wformat-security "$@" -Werror
    -isystem "$here/sdk" -I "$root/platform" -I "$root/platform/macos" -I "$root/sources")

passed=0
failed=0

if [ "$mode" = "rejected" ]; then
    shopt -s nullglob
    cases=("$here"/rejected/*.mm)
    for file in "${cases[@]}"; do
        expected=$(sed -n 's|^// expect: ||p' "$file" | head -n 1)
        name=${file#"$root"/}
        if [ -z "$expected" ]; then
            echo "FAIL $name: no '// expect:' line"
            failed=$((failed + 1))
            continue
        fi
        if output=$("$clang" "${flags[@]}" "$file" 2>&1); then
            echo "FAIL $name: compiled, but should have failed with: $expected"
            failed=$((failed + 1))
        elif grep -qF -- "$expected" <<<"$output"; then
            echo "ok   $name"
            passed=$((passed + 1))
        else
            echo "FAIL $name: failed, but not with: $expected"
            echo "$output"
            failed=$((failed + 1))
        fi
    done
else
    shopt -s nullglob
    backend=("$root"/platform/macos/*.mm)
    core=("$root"/sources/*.cpp "$root"/platform/*.cpp)
    if [ ${#backend[@]} -eq 0 ]; then
        echo "FAIL no .mm file in platform/macos"
        failed=1
    fi
    for file in "${backend[@]}" "${core[@]}"; do
        name=${file#"$root"/}
        if output=$("$clang" "${flags[@]}" "$file" 2>&1); then
            echo "ok   $name"
            passed=$((passed + 1))
        else
            echo "FAIL $name"
            echo "$output"
            failed=$((failed + 1))
        fi
    done
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
