#!/usr/bin/env bash
# Builds the core, the `tulvo` command and their unit and end-to-end tests a
# second time with AddressSanitizer and UndefinedBehaviorSanitizer (in
# build-asan/) and runs them; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTULVO_BUILD_UI=OFF -DTULVO_BUILD_TESTS=ON -DTULVO_BUILD_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600 -L 'unit|e2e'
