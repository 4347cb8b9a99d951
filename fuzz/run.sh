#!/usr/bin/env bash
# Builds the command-stream fuzzer with clang++ and runs it for a bounded time.
# Usage: fuzz/run.sh [SECONDS]   (default 60)
# New inputs go to build/fuzz/corpus; the seed sessions in fuzz/corpus stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --workflow --preset fuzz >/dev/null
mkdir -p build/fuzz/corpus
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
build/fuzz/fuzz/command_stream_fuzzer -max_total_time="$seconds" -dict=fuzz/commands.dict \
    -artifact_prefix=build/fuzz/ -print_final_stats=1 build/fuzz/corpus fuzz/corpus
