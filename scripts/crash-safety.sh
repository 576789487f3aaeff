#!/usr/bin/env bash
# Kills a process saving the store, a configuration file and the call-log file
# thousands of times and prints, per kind, how many kills left the old and how
# many the new generation, and the failures (which must be 0).
#   crash-safety.sh [KILLS_PER_KIND [SEED]]     defaults: 3000, from the clock
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-3000}
seed=${2:-$(date +%s)}
if [[ ! -f build/build.ninja ]]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build --target crash_safety_test >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
TULVO_CRASH_KILLS=$kills TULVO_CRASH_SEED=$seed build/tests/store/crash_safety_test \
  --gtest_filter='*HardKill*' >"$log" 2>&1 || status=$?
grep -E '^crash-safety|Failure|kill [0-9]+:' "$log" || true
if [[ $status -ne 0 ]]; then
  echo "crash safety: FAILED (seed $seed)"
else
  echo "crash safety: passed"
fi
exit $status
