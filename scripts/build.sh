#!/usr/bin/env bash
# Configures and builds into build/ (Ninja, RelWithDebInfo).
#   build.sh            everything: programs, tests, benchmarks
#   build.sh --programs only tulvo and tulvo-configurator
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--programs" ]]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTULVO_BUILD_TESTS=OFF -DTULVO_BUILD_BENCH=OFF >/dev/null
  cmake --build build -j"$(nproc)" --target tulvo tulvo-configurator
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTULVO_BUILD_TESTS=ON -DTULVO_BUILD_BENCH=ON >/dev/null
  cmake --build build -j"$(nproc)"
fi
