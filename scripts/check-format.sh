#!/usr/bin/env bash
# Fails when a C++ source differs from what .clang-format makes of it, and
# lists those files.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/install-deps.sh --dev
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/tulvo-format.$$; then
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/tulvo-format.$$ | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /'
  rm -f /tmp/tulvo-format.$$
  echo "Run: git ls-files '*.cpp' '*.h' | xargs clang-format -i"
  exit 1
fi
rm -f /tmp/tulvo-format.$$
echo "format: every source follows .clang-format"
