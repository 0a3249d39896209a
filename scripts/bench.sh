#!/bin/sh
# Builds the benchmark in Release and runs every operation against its floor; prints
# one Markdown table and its notes. Every picture and file it uses is made in a
# temporary folder and removed again.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZIRF_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target zirf_bench >/dev/null
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
QT_QPA_PLATFORM=offscreen "$build/bench/zirf_bench"
