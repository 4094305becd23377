#!/usr/bin/env bash
# Reads the Depends of each built package (installs nothing): the command line must install on a machine without
# a desktop, so its package names no Widgets, Gui or Multimedia library; the audio stack comes only with the
# package that holds the sound output module. Usage: tst_package_depends.sh PACKAGE_DIR (77: nothing built there).
set -uo pipefail
dir="${1:?package folder}"
compgen -G "$dir/orvexmon*.deb" >/dev/null || { echo "no package built in $dir (scripts/package builds them)"; exit 77; }
failed=0
expect() { # PACKAGE must|mustnot REGEX
    local depends
    depends="$(dpkg-deb --field "$(compgen -G "$dir/$1_*.deb" | head -1)" Depends 2>/dev/null)" ||
        { echo "FAIL: no $1 package in $dir" >&2; failed=1; return; }
    local found=mustnot
    grep -Eq "$3" <<<"$depends" && found=must
    if [ "$2" != "$found" ]; then
        echo "FAIL: $1 $2 depend on $3: $depends" >&2
        failed=1
    fi
}
expect orvexmon-cli must 'libqt6core6.*libqt6serialport6'
expect orvexmon-cli mustnot 'libqt6(widgets|gui|multimedia|opengl|network)|libgl|libegl|libpulse|libasound'
expect orvexmon must 'orvexmon-cli \(= .*libqt6widgets6'
expect orvexmon mustnot 'libqt6multimedia'
compgen -G "$dir/orvexmon-tone_*.deb" >/dev/null && expect orvexmon-tone must 'libqt6multimedia6'
[ "$failed" -eq 0 ] && echo "PASS: the packages' Depends"
exit "$failed"
