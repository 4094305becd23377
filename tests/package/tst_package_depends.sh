#!/usr/bin/env bash
# Reads the Depends of each built package (installs nothing): the command line must install on a machine without
# a desktop, so its package names no Widgets, Gui or Multimedia library; the sound output's audio stack is
# pulled in only by the package that holds the module.
# Usage: tst_package_depends.sh PACKAGE_DIR. Exit 77 (skipped) when no package has been built there.
set -euo pipefail
dir="${1:?package folder}"
shopt -s nullglob
debs=("$dir"/orvexmon*.deb)
[ "${#debs[@]}" -gt 0 ] || { echo "no package built in $dir (scripts/package builds them)"; exit 77; }

failed=0
expect() { # PACKAGE must|mustnot REGEX
    local deb=("$dir/$1"_*.deb) depends
    if [ "${#deb[@]}" -eq 0 ]; then
        echo "FAIL: no $1 package in $dir" >&2
        failed=1
        return
    fi
    depends="$(dpkg-deb --field "${deb[0]}" Depends)"
    if [ "$2" = must ] && ! grep -Eq "$3" <<<"$depends"; then
        echo "FAIL: $1 does not depend on $3: $depends" >&2
        failed=1
    elif [ "$2" = mustnot ] && grep -Eq "$3" <<<"$depends"; then
        echo "FAIL: $1 depends on $3: $depends" >&2
        failed=1
    fi
}

desktop='libqt6(widgets|gui|multimedia|opengl|network)|libgl|libegl|libpulse|libasound'
expect orvexmon-cli must 'libqt6serialport6'
expect orvexmon-cli must 'libqt6core6'
expect orvexmon-cli mustnot "$desktop"
expect orvexmon must 'libqt6widgets6'
expect orvexmon must 'orvexmon-cli \(= '
expect orvexmon mustnot 'libqt6multimedia'
if compgen -G "$dir/orvexmon-tone_*.deb" >/dev/null; then
    expect orvexmon-tone must 'libqt6multimedia6'
fi
[ "$failed" -eq 0 ] && echo "PASS: the packages' Depends"
exit "$failed"
