#!/bin/bash
# Builds the Windows downloads of the last commit twice, from two fresh
# clones in different folders, in different time zones, and compares them:
# the zip files and the installers must have the same bytes.
#
# Usage: packaging/windows/check-reproducible.sh [x86] [x64]   (both by default)
# Needs what the windows-release presets need (MinGW-w64, NSIS, Python 3).
# Only committed files reach a clone. Exit status 1 if a pair of downloads
# differs or a build fails.
set -euo pipefail

repository=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
if [ $# -gt 0 ]; then architectures=("$@"); else architectures=(x86 x64); fi
for architecture in "${architectures[@]}"; do
    case $architecture in
    x86 | x64) ;;
    *) echo "usage: $0 [x86] [x64]" >&2 && exit 2 ;;
    esac
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

first=$work/a
second=$work/b/deeper/c
mkdir -p "$work/b/deeper"
git clone --quiet "$repository" "$first"
git clone --quiet "$repository" "$second"
echo "commit $(git -C "$first" rev-parse --short HEAD), clones $first and $second"

build() {  # folder, time zone, architecture
    local log=$1/workflow-$3.log
    if ! (cd "$1" && TZ=$2 cmake --workflow --preset "windows-release-$3" >"$log" 2>&1); then
        tail -n 20 "$log"
        echo "the build in $1 (TZ=$2) failed" >&2
        return 1
    fi
}

status=0
for architecture in "${architectures[@]}"; do
    build "$first" America/New_York "$architecture"
    build "$second" Asia/Tokyo "$architecture"
    name=gorvandel-*-windows-$architecture
    zips=("$first"/build/windows-release-"$architecture"/$name.zip "$second"/build/windows-release-"$architecture"/$name.zip)
    if cmp "${zips[@]}"; then
        echo "$architecture: the zip files are the same ($(stat -c %s "${zips[0]}") bytes, TZ=America/New_York and TZ=Asia/Tokyo)"
    else
        echo "$architecture: the zip files differ" >&2
        status=1
    fi
    installers=("$first"/build/windows-release-"$architecture"/$name.exe "$second"/build/windows-release-"$architecture"/$name.exe)
    if cmp "${installers[@]}"; then
        echo "$architecture: the installers are the same ($(stat -c %s "${installers[0]}") bytes)"
    else
        echo "$architecture: the installers differ" >&2
        status=1
    fi
done
exit $status
