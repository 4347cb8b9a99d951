#!/usr/bin/env bash
# Runs a few scripted sessions of a built gorvandel under valgrind's memcheck.
# Any memory error, or any block definitely or indirectly lost, fails the run.
# Usage: scripts/valgrind-sessions.sh [PATH_TO_GORVANDEL]   (default build/dev/gorvandel)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/dev/gorvandel}

long_argument=$(head -c 100000 /dev/zero | tr '\0' 'x')
mixed=$(for _ in $(seq 50); do
    printf 'do something\nreward\ndo something with report\npunish\nhello\ndo something with \nreward\n'
done)
sessions=(
    $'exit\n'
    ''
    "$mixed"$'\nexit\n'
    "$mixed"
    $'do something with '"$long_argument"$'\nreward\ndo something with '"$long_argument"$'\nexit\n'
    $'do something\r\nreward\r\nreward\r\nexit\r\n'
)

memcheck() { # INPUT ARGS...
    printf '%s' "$1" |
        valgrind --quiet --error-exitcode=99 --leak-check=full \
            --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
            "$program" "${@:2}" >/dev/null
}
for i in "${!sessions[@]}"; do
    memcheck "${sessions[$i]}"
    echo "memcheck clean: session $i"
done
# Learning kept in a memory file: saved in one run, loaded in the next.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
memcheck "$mixed" --seed=1 -m "$work/memory" && memcheck "$mixed" --memory "$work/memory"
echo "memcheck clean: two sessions with a memory file"
echo "$((${#sessions[@]} + 1)) passed, 0 failed"
