#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those missing.
#   install-deps.sh          what the two programs need to build and run
#   install-deps.sh --dev    that, plus what the tests, benchmarks, fuzzing,
#                            the sanitizer build and the Debian package need
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-svg-dev
  qt6-translations-l10n fonts-dejavu-core
)
if [[ "${1:-}" == "--dev" ]]; then
  packages+=(
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth socat ser2net
    clang-16 libclang-rt-16-dev
    dpkg-dev file appstream desktop-file-utils
    clang-format libxml2-utils
    help2man lintian bash-completion
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then
    SUDO=sudo
  else
    SUDO=
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
