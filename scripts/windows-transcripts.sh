#!/usr/bin/env bash
# Builds gorvandel for Windows with MinGW-w64, runs its unit tests under wine,
# and compares piped sessions of the Windows build with the Linux build's,
# with the console's CR LF line ends folded to LF.
#
# Usage: scripts/windows-transcripts.sh [i686|x86_64]
# Without an argument it takes i686 (32-bit, the home platform) when wine can
# run 32-bit programs here, and x86_64 otherwise. It installs what is missing
# (MinGW-w64, GoogleTest sources, wine; i386 packages for wine32) through
# scripts/install-prerequisites.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
if [ -z "$arch" ]; then
    # wine32 needs Debian's i386 packages; where they cannot be had, x86_64 under wine64 serves.
    arch=i686
    if ! dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'ok installed'; then
        if ! { dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386; } ||
            ! scripts/install-prerequisites.sh wine wine32; then
            echo "wine32 cannot be had here: using the x86_64 build under wine64" >&2
            arch=x86_64
        fi
    fi
fi
case $arch in
i686) scripts/install-prerequisites.sh googletest g++-mingw-w64-i686 wine wine32 ;;
x86_64) scripts/install-prerequisites.sh googletest g++-mingw-w64-x86-64 wine wine64 ;;
*) echo "usage: $0 [i686|x86_64]" >&2; exit 2 ;;
esac

export WINEDEBUG=-all LANG=C.UTF-8
cmake --workflow --preset dev >/dev/null
cmake --workflow --preset "mingw-$arch" >/dev/null
# The loader the toolchain chose for this build; its services started with their output elsewhere.
wine=$(sed -n 's/^GORVANDEL_WINE:FILEPATH=//p' "build/mingw-$arch/CMakeCache.txt")
[ -x "$wine" ] || { echo "no wine loader for the $arch build" >&2; exit 1; }
wine() { "$wine" "$@"; }
"$(dirname "$wine")/wineserver" -p >/dev/null 2>&1 || wineserver -p >/dev/null 2>&1 || true
wine wineboot >/dev/null 2>&1
ctest --preset "mingw-$arch"

linux=build/dev/gorvandel
windows=build/mingw-$arch/gorvandel.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source tests/e2e/texts.sh
# Argument actions pick at random: each of their lines becomes its argument,
# so that two runs of a session compare equal.
normalise() { # each argument action's line, after its prompts, becomes <argument TEXT>
    awk -v prompt="$(text prompt)" '
        NR == FNR { split($0, parts, "%s"); prefix[NR] = parts[1]; suffix[NR] = parts[2]; forms = NR; next }
        {
            lead = ""; body = $0
            while (index(body, prompt) == 1) { lead = lead prompt; body = substr(body, length(prompt) + 1) }
            for (i = 1; i <= forms; i++) {
                p = length(prefix[i]); s = length(suffix[i])
                if (length(body) >= p + s && substr(body, 1, p) == prefix[i] && substr(body, length(body) - s + 1) == suffix[i]) {
                    body = "<argument " substr(body, p + 1, length(body) - p - s) ">"
                    break
                }
            }
            print lead body
        }' <(text argument) -
}

sessions=(
    $'exit\n'
    ''
    $'nonsense\n'
    $'punish\nexit'
    $'reward\npunish\nexit\n'
    $'\nEXIT\n exit\nexit \ndo something with\ndo somethingx\nexit\n'
    $'do something with report\ndo something with   spaced\ndo something with say "hi", 100%\ndo something with \nreward\nexit\n'
    $'do something with report\r\nreward\r\nfoo\r\nexit\r\n'
    $'do something with a\r\r\nexit\r\r\nexit\n'
)

failures=0
for i in "${!sessions[@]}"; do
    printf '%s' "${sessions[$i]}" >"$work/input"
    linux_status=0
    "$linux" <"$work/input" >"$work/linux.raw" || linux_status=$?
    windows_status=0
    wine "$windows" <"$work/input" >"$work/windows.raw" || windows_status=$?
    normalise <"$work/linux.raw" >"$work/linux"
    sed 's/\r$//' "$work/windows.raw" | normalise >"$work/windows"
    if cmp -s "$work/linux" "$work/windows" && [ "$linux_status" -eq "$windows_status" ]; then
        echo "same: session $i ($(wc -l <"$work/linux") lines, status $linux_status)"
    else
        echo "DIFFERENT: session $i (status $linux_status on Linux, $windows_status on Windows)"
        diff "$work/linux" "$work/windows" || true
        failures=$((failures + 1))
    fi
done
# Learn, then remember: each platform teaches a favourite in one run and
# always runs it in the next, with a file the other platform reads too.
learn=$(for _ in $(seq 300); do printf 'do something with x\nreward\n'; done)
recall=$(for _ in $(seq 30); do printf 'do something with y\n'; done)
for platform in linux windows; do
    run=("$linux") && [ "$platform" = windows ] && run=(wine "$windows")
    rm -f "$work/$platform.memory"
    printf '%s\n' "$learn" | "${run[@]}" -m "$work/$platform.memory" | sed 's/\r$//' | normalise >"$work/$platform.learn"
    printf '%s\n' "$recall" | "${run[@]}" -m "$work/$platform.memory" | sed 's/\r$//' >"$work/$platform.recall"
done
# Each platform reads the other's file.
"$linux" -m "$work/windows.memory" </dev/null >/dev/null && wine "$windows" -m "$work/linux.memory" </dev/null >/dev/null &&
    cmp -s "$work/linux.learn" "$work/windows.learn" &&
    [ "$(grep -c "^$(text prompt)." "$work/windows.recall")" -eq 30 ] &&
    [ "$(grep "^$(text prompt)." "$work/windows.recall" | sort -u | wc -l)" -eq 1 ] &&
    [ "$(sed -n 3p "$work/windows.memory" | tr ' ' '\n' | grep -c '^5$')" -eq 1 ] &&
    cmp -s <(head -n 2 "$work/linux.memory") <(head -n 2 "$work/windows.memory") && result=same || result=DIFFERENT
echo "$result: learning in one run and remembering in the next, each platform reading the other's memory file"
[ "$result" = same ] || failures=$((failures + 1))
# Random plain actions on Windows: every line has one of the eight forms, the
# date line (the runtime's _ctime64 text) among them.
text plain >"$work/fixed"
for _ in $(seq 300); do echo 'do something'; done | wine "$windows" | sed -e 's/\r$//' -e "s/^$(text prompt)//" |
    grep -v -x -F -f "$work/fixed" -e '' -e "$(text farewell)" |
    grep -v -x -E -e '0x[0-9a-f]+' -e '[0-9]+' \
        -e '[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}' >"$work/odd" || true
if [ -s "$work/odd" ]; then
    echo "DIFFERENT: unexpected plain action lines on Windows:"
    sort -u "$work/odd"
    failures=$((failures + 1))
else
    echo "same: 300 plain actions on Windows, every line of a known form"
fi
echo "$arch build under $(wine --version): $((${#sessions[@]} + 2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
