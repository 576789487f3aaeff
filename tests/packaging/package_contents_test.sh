#!/usr/bin/env bash
# Builds the Debian package from the build tree into a scratch folder and
# checks what a Debian user finds in it: package_contents_test.sh BUILD VERSION
version=$2
for tool in cpack dpkg-deb help2man man; do
    command -v "$tool" >/dev/null || { echo "no $tool"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$1" && cpack -G DEB -B "$scratch") >"$scratch/log" 2>&1 || { cat "$scratch/log"; exit 1; }
deb=$(echo "$scratch"/tulvo-configurator_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr doc=$scratch/root/usr/share/doc/tulvo-configurator
failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in bin/tulvo bin/tulvo-configurator lib/udev/rules.d/70-tulvo-universal.rules \
    share/man/man1/tulvo.1.gz share/man/man1/tulvo-configurator.1.gz \
    share/doc/tulvo-configurator/copyright share/doc/tulvo-configurator/changelog.gz \
    share/bash-completion/completions/tulvo share/mime/packages/com.zarq.TulvoConfigurator.xml; do
    grep -qx "\./usr/$path" <<<"$files" || fail "not in the package: /usr/$path"
done
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer == *" <"*@*.*">" && $maintainer != *localhost* ]] || fail "maintainer: $maintainer"
zcat "$doc/changelog.gz" | head -1 | grep -qF "($version)" || fail "changelog is not at $version"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$doc/copyright" || fail "copyright is not machine-readable"

# Each manual page renders and names its program's version and options.
for program in tulvo tulvo-configurator; do
    page=$(MANWIDTH=80 man -l "$usr/share/man/man1/$program.1.gz" 2>&1)
    for word in SYNOPSIS "$version" --store --help; do
        grep -qF -- "$word" <<<"$page" || fail "$program(1) lacks \"$word\""
    done
done

# The desktop entry passes files of the type the MIME data gives *.cnfg.
mime=$usr/share/mime/packages/com.zarq.TulvoConfigurator.xml
type=$(sed -n 's/.*mime-type type="\([^"]*\)".*/\1/p' "$mime")
grep -q 'glob pattern="\*\.cnfg"' "$mime" || fail "no *.cnfg glob in the MIME data"
desktop=$usr/share/applications/com.zarq.TulvoConfigurator.desktop
grep -qx "MimeType=$type;" "$desktop" || fail "the desktop entry does not name $type"
grep -qx 'Exec=tulvo-configurator %f' "$desktop" || fail "the desktop entry passes no file"
exit $((failures > 0))
