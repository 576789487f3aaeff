#!/usr/bin/env bash
# Runs libFuzzer targets for SECONDS (default 600) each, starting from their
# seed corpus: the targets named after SECONDS, else every one in fuzz/targets,
# one after the other (FUZZ_JOBS=N runs N at a time). New inputs go to
# build-fuzz/corpus/, crashes to build-fuzz/findings/<target>/, each run's
# output to build-fuzz/logs/<target>.log; the last line of each is printed
# (executions, coverage). Add a crash to fuzz/corpus/<target>/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
CXX_FUZZ=${CXX_FUZZ:-clang++-16}
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < fuzz/targets; fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$CXX_FUZZ" -DTULVO_FUZZ=ON \
      -DTULVO_BUILD_UI=OFF -DTULVO_BUILD_TESTS=OFF -DTULVO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzz}"
mkdir -p build-fuzz/logs

run_one() {
  local target=$1
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
  cp -n fuzz/corpus/$target/* "build-fuzz/corpus/$target/" 2>/dev/null || true
  build-fuzz/fuzz/${target}_fuzz -max_len=4096 -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$target/" "build-fuzz/corpus/$target" \
      >"build-fuzz/logs/$target.log" 2>&1 || true
  echo "== $target ($seconds s): $(grep -E 'cov:' "build-fuzz/logs/$target.log" | tail -1)"
  grep -E '^stat::number_of_executed_units' "build-fuzz/logs/$target.log" || true
  ls "build-fuzz/findings/$target"
}

jobs=${FUZZ_JOBS:-1}
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  run_one "$target" &
done
wait
found=$(for target in "${targets[@]}"; do find "build-fuzz/findings/$target" -type f; done)
if [ -n "$found" ]; then
  echo "findings (fix, add to fuzz/corpus/<target>/, then delete):"
  echo "$found"
  exit 1
fi
