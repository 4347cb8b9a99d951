#!/usr/bin/env bash
# Builds the fuzzers with clang++ and runs each for a bounded time: the
# command stream through the real loop, and the memory file's reader.
# Usage: fuzz/run.sh [SECONDS] [FUZZER...]   (default 60 seconds each, both fuzzers)
# New inputs go to build/fuzz/<fuzzer>-corpus; the seeds in fuzz/ stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(command_stream memory_file)

cmake --workflow --preset fuzz >/dev/null
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for fuzzer in "${fuzzers[@]}"; do
    seeds=fuzz/$fuzzer-corpus
    mkdir -p "build/fuzz/$fuzzer-corpus"
    echo "== $fuzzer, $seconds seconds"
    "build/fuzz/fuzz/${fuzzer}_fuzzer" -max_total_time="$seconds" -dict="fuzz/$fuzzer.dict" \
        -artifact_prefix="build/fuzz/$fuzzer-" -print_final_stats=1 "build/fuzz/$fuzzer-corpus" "$seeds"
done
