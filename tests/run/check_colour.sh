#!/bin/sh
# Colour in korvane-run's diagnostics: only when standard error is a
# terminal (a pseudo-terminal made by script(1)) and NO_COLOR is not set or
# empty; with the colours taken out, the text is the one written without them.
# Usage: check_colour.sh KORVANE_RUN
set -u
runner=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'LDA x\n\toutt\n' >"$work/prog.txt"
esc=$(printf '\033')

# The transcript of a run at a terminal, line ends as written (script adds CRs).
at_terminal() {
    (cd "$work" && script -qec "$*" /dev/null) | tr -d '\r'
}

coloured=$(at_terminal "'$runner' prog.txt")
printf '%s\n' "$coloured" | grep -q "${esc}\[1;31merror:${esc}\[0m" ||
    fail "no red 'error:' at a terminal"
printf '%s\n' "$coloured" | grep -q "${esc}\[1;32m\^~~~${esc}\[0m" ||
    fail "no green marker at a terminal"

plain=$(at_terminal "NO_COLOR=1 '$runner' prog.txt")
case $plain in *"$esc"*) fail "colour although NO_COLOR is set" ;; esac
[ "$(printf '%s\n' "$coloured" | sed "s/${esc}\[[0-9;]*m//g")" = "$plain" ] ||
    fail "the coloured text differs from the plain one"

empty=$(at_terminal "NO_COLOR= '$runner' prog.txt")
case $empty in *"$esc"*) ;; *) fail "no colour although NO_COLOR is empty" ;; esac

piped=$(at_terminal "'$runner' prog.txt 2>&1 | cat")
case $piped in *"$esc"*) fail "colour although standard error is a pipe" ;; esac

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "colour only at a terminal"
