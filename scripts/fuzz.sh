#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS (default 600) each, one after the
# other, starting from its seed corpus. New inputs go to build-fuzz/corpus/,
# crashes to build-fuzz/findings/<target>/; add a crash to fuzz/corpus/<target>/
# once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
CXX_FUZZ=${CXX_FUZZ:-clang++-16}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$CXX_FUZZ" -DTULVO_FUZZ=ON \
      -DTULVO_BUILD_UI=OFF -DTULVO_BUILD_TESTS=OFF -DTULVO_BUILD_BENCH=OFF >/dev/null
targets=(config_file regedit frame call_log fault_rule)
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzz}"
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
  cp -n fuzz/corpus/$target/* "build-fuzz/corpus/$target/" 2>/dev/null || true
  echo "== $target: $seconds s"
  build-fuzz/fuzz/${target}_fuzz -max_len=4096 -max_total_time="$seconds" \
      -artifact_prefix="build-fuzz/findings/$target/" "build-fuzz/corpus/$target" 2>&1 |
      grep -E '^#[0-9]+ +DONE|cov:.*exec/s' | tail -1
done
