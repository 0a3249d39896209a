#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) in build-fuzz and runs each one for a bounded time, starting from its seed corpus.
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Crashing inputs are written to build-fuzz/findings/<target>/; keep each one as a
# regression case in tests/fuzzcases/<target>/ (the normal test suite runs them).
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(mapreader pathext decode roundtrip)
build="$root/build-fuzz"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DZIRF_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null || exit 1
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzz}" >/dev/null || exit 1

export QT_QPA_PLATFORM=offscreen
# Qt's own one-time allocations are not leaks of ours; leak checking stays on for everything else.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
printf '%-10s %8s %12s %8s\n' target seconds executions crashes
for target in "${targets[@]}"; do
  corpus="$work/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  cp "$root/fuzz/corpus/$target/"* "$corpus/"
  log="$build/findings/$target.log"
  # -rss_limit_mb bounds memory per input; -timeout reports an input that hangs.
  "$build/fuzz/${target}_fuzz" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  crashes=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  printf '%-10s %8s %12s %8s\n' "$target" "$seconds" "${runs:-?}" "$crashes"
  if [ $status -ne 0 ] || [ "$crashes" -ne 0 ]; then
    failed=1
    echo "  see $log and $findings/" >&2
  fi
done
exit $failed
