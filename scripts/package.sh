#!/usr/bin/env bash
# Builds the two programs and makes the Debian package build/tulvo-configurator_*.deb;
# checks the desktop entry and the AppStream metadata on the way.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --dev
bash scripts/build.sh --programs
desktop-file-validate packaging/com.zarq.TulvoConfigurator.desktop
appstreamcli validate --no-net --pedantic packaging/com.zarq.TulvoConfigurator.metainfo.xml
(cd build && cpack -G DEB)
ls build/*.deb
