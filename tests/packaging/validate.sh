#!/bin/sh
# Runs one of the desktop's validators on an installed file.
# Usage: validate.sh desktop-file|appstream FILE
# Exit 77 (skipped) when the validator is not installed.
set -u
kind=$1
file=$2
case $kind in
desktop-file) tool=desktop-file-validate package=desktop-file-utils ;;
appstream) tool=appstreamcli package=appstream ;;
*)
    echo "unknown validator: $kind"
    exit 2
    ;;
esac
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed (Debian package $package); skipped"
    exit 77
fi
if [ ! -f "$file" ]; then
    echo "FAIL: $file was not installed"
    exit 1
fi

case $kind in
desktop-file)
    # It exits 0 on mere warnings and hints; any word from it counts as a fault.
    out=$(desktop-file-validate "$file" 2>&1)
    status=$?
    [ -n "$out" ] && printf '%s\n' "$out"
    [ "$status" -eq 0 ] && [ -z "$out" ]
    ;;
appstream)
    # Fails on errors and warnings; infos and pedantic remarks pass.
    appstreamcli validate --no-net --no-color "$file"
    ;;
esac
