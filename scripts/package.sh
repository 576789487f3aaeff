#!/usr/bin/env bash
# Builds the two programs and makes the Debian package build/tulvo-configurator_*.deb;
# checks the desktop entry, the AppStream metadata and the MIME type on the way,
# and the package with lintian, which must report no errors (the warnings it
# still gives are listed, with their reasons, in README).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --dev
bash scripts/build.sh --programs
cmake --build build --target man_pages package_changelog
desktop-file-validate packaging/com.zarq.TulvoConfigurator.desktop
appstreamcli validate --no-net --pedantic packaging/com.zarq.TulvoConfigurator.metainfo.xml
xmllint --noout packaging/com.zarq.TulvoConfigurator.mime.xml
rm -f build/tulvo-configurator_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/tulvo-configurator_*.deb)
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "$deb"
