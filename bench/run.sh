#!/usr/bin/env bash
# Builds the release program and the C floor, then measures them side by side.
# Usage: bench/run.sh [--smoke]
set -euo pipefail
cd "$(dirname "$0")/.."

# The release program only: its tests are not what is measured here.
cmake --preset dev >/dev/null && cmake --build --preset dev >/dev/null
mkdir -p build/bench
cc -O2 -o build/bench/floor bench/floor.c
cc -O2 -o build/bench/peak_rss bench/peak_rss.c
python3 bench/run.py --program build/dev/gorvandel --floor build/bench/floor --peak-rss build/bench/peak_rss "$@"
