#!/usr/bin/env bash
# Installs what is missing, builds ZIRF and its tests, and runs every test; then builds
# everything again with AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests
# there too. Any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

cmake -S . -B build-asan -DZIRF_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-asan -j"$(nproc)"
# Leaks are reported at exit and end the test with an error; the suppressions name only
# memory that Qt and fontconfig keep for the life of the process, never ours.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$PWD/tests/sanitizer/lsan.supp":print_suppressions=0
# The e2e tests are left out: they run the program under Xvfb and openbox and judge it by
# screenshots and window geometry, which the sanitizers do not see into (a report in the
# started program is not the test's exit status), and the slower program would outrun
# their timeouts. The same code runs under the sanitizers in the offscreen widget tests.
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE e2e
