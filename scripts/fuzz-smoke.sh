#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly over its corpus.
# The reply target waits on a real pseudo-terminal, so it gets fewer runs.
set -euo pipefail
cd "$(dirname "$0")/.."
CXX_FUZZ=${CXX_FUZZ:-clang++-16}
mapfile -t targets < fuzz/targets
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$CXX_FUZZ" -DTULVO_FUZZ=ON \
      -DTULVO_BUILD_UI=OFF -DTULVO_BUILD_TESTS=OFF -DTULVO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzz}"
for target in "${targets[@]}"; do
  runs=${FUZZ_RUNS:-3000}
  [ "$target" = reply ] && runs=$((runs / 10))
  work=$(mktemp -d)
  cp fuzz/corpus/$target/* "$work"/
  build-fuzz/fuzz/${target}_fuzz -max_len=4096 -runs="$runs" "$work" 2>&1 | tail -1
  rm -rf "$work"
done
echo "fuzz smoke: passed"
