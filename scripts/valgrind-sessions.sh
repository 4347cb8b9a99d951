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

for i in "${!sessions[@]}"; do
    printf '%s' "${sessions[$i]}" |
        valgrind --quiet --error-exitcode=99 --leak-check=full \
            --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
            "$program" >/dev/null
    echo "memcheck clean: session $i"
done
echo "${#sessions[@]} passed, 0 failed"
