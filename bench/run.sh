#!/usr/bin/env bash
# Builds the release program, the C floor and the measuring helper, then
# measures them side by side.
# Usage: bench/run.sh [--smoke] [--also OTHER_BUILD]...
set -euo pipefail
cd "$(dirname "$0")/.."

# The release program only: its tests are not what is measured here.
cmake --preset dev >/dev/null && cmake --build --preset dev >/dev/null
mkdir -p build/bench
cc -O2 -o build/bench/floor bench/floor.c
cc -O2 -o build/bench/measure bench/measure.c
python3 bench/run.py --program build/dev/gorvandel --floor build/bench/floor --measure build/bench/measure "$@"
