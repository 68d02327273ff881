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
#       the files in rejected/, each of which must fail with every diagnostic
#       its "// expect:" lines name
set -uo pipefail

rejected=false
[ "${1:-}" = "--rejected" ] && rejected=true && shift
clang=$1 root=$2 here="$2/tests/macos"
shift 2

flags=(-fsyntax-only -x objective-c++ -std=c++20 -fobjc-arc -fblocks -fobjc-runtime=macosx-13.0
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast
    -Wformat=2 -Wformat-security "$@" -Werror
    -isystem "$here/sdk" -I "$root/platform" -I "$root/platform/macos" -I "$root/sources")

shopt -s nullglob
if $rejected; then
    files=("$here"/rejected/*.mm)
else
    files=("$root"/platform/macos/*.mm)
    [ ${#files[@]} -ne 0 ] || { echo "FAIL no .mm file in platform/macos"; exit 1; }
    files+=("$root"/sources/*.cpp "$root"/platform/*.cpp)
fi

passed=0 failed=0
for file in "${files[@]}"; do
    name=${file#"$root"/}
    output=$("$clang" "${flags[@]}" "$file" 2>&1)
    compiled=$?
    # A rejected file passes only by failing with every diagnostic its
    # "// expect:" lines name (a file without one never passes).
    expected=$($rejected && sed -n 's|^// expect: ||p' "$file")
    missing=
    while $rejected && IFS= read -r line && [ -n "$line" ]; do
        grep -qF -- "$line" <<<"$output" || missing+="$line; "
    done <<<"$expected"
    if { ! $rejected && [ $compiled -eq 0 ]; } ||
        { $rejected && [ $compiled -ne 0 ] && [ -n "$expected" ] && [ -z "$missing" ]; }; then
        echo "ok   $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name${missing:+ (missing: $missing)}"
        echo "$output"
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
