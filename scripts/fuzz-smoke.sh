#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly over its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
CXX_FUZZ=${CXX_FUZZ:-clang++-16}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$CXX_FUZZ" -DTULVO_FUZZ=ON \
      -DTULVO_BUILD_UI=OFF -DTULVO_BUILD_TESTS=OFF -DTULVO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target config_file_fuzz regedit_fuzz frame_fuzz call_log_fuzz fault_rule_fuzz
for target in config_file regedit frame call_log fault_rule; do
  work=$(mktemp -d)
  cp fuzz/corpus/$target/* "$work"/
  build-fuzz/fuzz/${target}_fuzz -max_len=4096 -runs="${FUZZ_RUNS:-3000}" "$work" 2>&1 | tail -1
  rm -rf "$work"
done
echo "fuzz smoke: passed"
