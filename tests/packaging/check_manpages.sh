#!/bin/sh
# Checks the installed manual pages: they format without a warning, and the
# pages of korvane-run and korvane-dap name every option that the program's --help lists.
# Usage: check_manpages.sh PREFIX
set -u
prefix=$1
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

pages=$(ls "$prefix"/share/man/man1/*.1.gz 2>/dev/null)
[ -n "$pages" ] || fail "no manual pages installed"
for page in $pages; do
    warnings=$(gzip -dc "$page" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    gzip -dc "$page" | grep -q '^\.SH NAME' || fail "$(basename "$page") has no NAME section"
done

# The page of each terminal program names every option its --help lists.
for program in korvane-run korvane-dap; do
    binary=$prefix/bin/$program
    page=$prefix/share/man/man1/$program.1.gz
    [ -x "$binary" ] && [ -f "$page" ] || continue
    # roff writes a minus as \-; compare the options without that escape.
    text=$(gzip -dc "$page" | sed 's/\\-/-/g')
    options=$("$binary" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
    [ -n "$options" ] || fail "$program --help lists no options"
    for option in $options; do
        # Qt's own --help-all shows the toolkit's options; it is not the program's.
        [ "$option" = --help-all ] && continue
        printf '%s\n' "$text" | grep -q -- "$option\\b" ||
            fail "$program.1 does not describe $option"
    done
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "manual pages are clean"
