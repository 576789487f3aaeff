#!/usr/bin/env bash
# Builds the Debian package from the build tree into a scratch folder and
# checks what a Debian user finds in it: usage: package_contents_test.sh BUILD VERSION
set -uo pipefail
build=$1
version=$2
for tool in cpack dpkg-deb help2man man; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! (cd "$build" && cpack -G DEB -B "$scratch") >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    exit 1
fi
deb=$(echo "$scratch"/tulvo-configurator_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr
failures=0
fail() {
    echo "$1"
    failures=$((failures + 1))
}

files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in bin/tulvo bin/tulvo-configurator \
    share/man/man1/tulvo.1.gz share/man/man1/tulvo-configurator.1.gz \
    share/doc/tulvo-configurator/copyright share/doc/tulvo-configurator/changelog.gz \
    share/bash-completion/completions/tulvo \
    share/mime/packages/com.zarq.TulvoConfigurator.xml \
    share/applications/com.zarq.TulvoConfigurator.desktop \
    lib/udev/rules.d/70-tulvo-universal.rules; do
    grep -qx "\./usr/$path" <<<"$files" || fail "not in the package: /usr/$path"
done

[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer == *"<"*@*.*">" && $maintainer != *localhost* ]] ||
    fail "maintainer \"$maintainer\" is no project address"
zcat "$root/share/doc/tulvo-configurator/changelog.gz" | head -1 | grep -qF "($version)" ||
    fail "the changelog's newest entry is not $version"
head -1 "$root/share/doc/tulvo-configurator/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"

# Each manual page renders, names its program's version and its options.
for program in tulvo tulvo-configurator; do
    page=$(MANWIDTH=80 man -l "$root/share/man/man1/$program.1.gz" 2>&1)
    for word in SYNOPSIS "$version" --store --help; do
        grep -qF -- "$word" <<<"$page" || fail "$program(1) lacks \"$word\""
    done
done

# The desktop entry opens files of the type the MIME data defines for *.cnfg.
mime=$(sed -n 's/.*mime-type type="\([^"]*\)".*/\1/p' \
    "$root/share/mime/packages/com.zarq.TulvoConfigurator.xml")
grep -q 'glob pattern="\*\.cnfg"' "$root/share/mime/packages/com.zarq.TulvoConfigurator.xml" ||
    fail "no *.cnfg glob in the MIME data"
desktop=$root/share/applications/com.zarq.TulvoConfigurator.desktop
grep -qx "MimeType=$mime;" "$desktop" || fail "the desktop entry does not name $mime"
grep -q '^Exec=tulvo-configurator %f$' "$desktop" || fail "the desktop entry passes no file"
exit $((failures > 0))
