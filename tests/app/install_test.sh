#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop expects:
# the files, a valid desktop entry, manual pages without warnings, bash
# completion, and the window program answering on the console with no display.
# Arguments: the build folder, and whether the window program was built (1/0).
set -eu
build=$1
gui=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/quillon-diff share/man/man1/quillon-diff.1.gz
    share/bash-completion/completions/quillon-diff share/doc/quillon/copyright
    bin/quillon-merge share/man/man1/quillon-merge.1.gz share/bash-completion/completions/quillon-merge"
if [ "$gui" = 1 ]; then
    expected="$expected bin/quillon share/man/man1/quillon.1.gz share/applications/quillon.desktop
        share/icons/hicolor/scalable/apps/quillon.svg"
    for size in 16 32 48 64 128 256; do expected="$expected share/icons/hicolor/${size}x${size}/apps/quillon.png"; done
fi
for f in $expected; do [ -f "$prefix/$f" ] || fail "$f not installed"; done

for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# The manual pages keep up with the programs' own lists of flags.
for program in quillon-diff quillon-merge; do
    page=$(zcat "$prefix/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
    for flag in $("$prefix/bin/$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        echo "$page" | grep -qe "$flag" || fail "$program.1 does not describe $flag"
    done
done

# Completing a flag offers it; completing a value offers the words it takes.
bash -c '. "$1/share/bash-completion/completions/quillon-diff"
         COMP_WORDS=("$1/bin/quillon-diff" --lev); COMP_CWORD=1; _quillon_diff
         [ "${COMPREPLY[*]}" = --level ] || exit 1
         COMP_WORDS=("$1/bin/quillon-diff" --format j); COMP_CWORD=2; _quillon_diff
         [ "${COMPREPLY[*]}" = json ]' _ "$prefix" || fail "bash completion"
bash -c '. "$1/share/bash-completion/completions/quillon-merge"
         COMP_WORDS=("$1/bin/quillon-merge" --sett); COMP_CWORD=1; _quillon_merge
         [ "${COMPREPLY[*]}" = --settings ]' _ "$prefix" || fail "bash completion of quillon-merge"

[ "$gui" = 1 ] || exit 0

desktop="$prefix/share/applications/quillon.desktop"
desktop-file-validate "$desktop" || fail "desktop entry"
grep -qx 'MimeType=application/xml;text/xml;' "$desktop" || fail "desktop entry MimeType"
grep -qx 'Exec=quillon %F' "$desktop" || fail "desktop entry Exec"

# No display at all: --help and --version must not need one.
quillon="env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $prefix/bin/quillon"
$quillon --help | grep -q '^Usage: quillon ' || fail "quillon --help"
$quillon --version | grep -q '^quillon [0-9]' || fail "quillon --version"
status=0
message=$($quillon "$prefix" "$prefix" 2>&1) || status=$?
[ "$status" = 2 ] || fail "quillon on folders exited $status"
echo "$message" | grep -q 'compared by quillon-diff' || fail "quillon on folders: $message"
echo "install layout checked"
