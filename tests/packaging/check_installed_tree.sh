#!/bin/sh
# Checks a tree made by `cmake --install BUILD --prefix PREFIX`: the programs,
# the menu entry, the icons, the metainfo, the manual pages and the editors'
# highlighting files, and that the
# files name each other correctly.
# Usage: check_installed_tree.sh PREFIX PROGRAM...
# shellcheck disable=SC2015 # 'A && B || fail' is meant: fail only reports and counts
set -u
prefix=$1
shift
id=org.korvane.Simulation
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Only what a desktop program needs, nothing of the build (libraries, headers).
# Documentation may join later under share/doc/korvane.
unexpected=$(cd "$prefix" && find . -type f | sed 's|^\./||' |
    grep -Ev '^(bin/[^/]+|share/(applications|metainfo)/[^/]+|share/icons/hicolor/.+|share/man/man1/[^/]+\.1\.gz|share/doc/korvane/.+|share/org\.kde\.syntax-highlighting/syntax/korvane\.xml|share/vim/vimfiles/(ftdetect|ftplugin|syntax|compiler)/korvane\.vim)$')
[ -z "$unexpected" ] || fail "unexpected installed files: $unexpected"

for program in "$@"; do
    [ -f "$prefix/bin/$program" ] && [ -x "$prefix/bin/$program" ] ||
        fail "bin/$program is missing or not executable"
    [ -s "$prefix/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done

# The editors' files, where Kate and vim look for them.
for file in org.kde.syntax-highlighting/syntax/korvane.xml vim/vimfiles/ftdetect/korvane.vim \
    vim/vimfiles/ftplugin/korvane.vim vim/vimfiles/syntax/korvane.vim vim/vimfiles/compiler/korvane.vim; do
    [ -s "$prefix/share/$file" ] || fail "share/$file is missing"
done

desktop=$prefix/share/applications/$id.desktop
if [ -f "$desktop" ]; then
    grep -qx 'Name=Korvane Computer Simulation' "$desktop" || fail "desktop entry: wrong Name"
    grep -qx "Icon=$id" "$desktop" || fail "desktop entry: Icon is not $id"
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$prefix/bin/$exec_program" ] || fail "desktop entry: Exec=$exec_program is not installed"
    grep -Eq '^Categories=(.*;)?Education;' "$desktop" || fail "desktop entry: not in Education"
else
    fail "share/applications/$id.desktop is missing"
fi

# Each PNG must really be a PNG of the size its folder says.
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    if [ ! -f "$png" ]; then
        fail "icon ${size}x${size} is missing"
        continue
    fi
    signature=$(od -An -tu1 -N8 "$png" | tr -s ' ' | sed 's/^ //;s/ $//')
    [ "$signature" = "137 80 78 71 13 10 26 10" ] || fail "icon ${size}x${size} is not a PNG"
    # IHDR: width and height as 32-bit big-endian numbers at bytes 16 and 20.
    # shellcheck disable=SC2046 # the eight byte values become $1 to $8
    set -- $(od -An -tu1 -j16 -N8 "$png")
    width=$(($1 * 16777216 + $2 * 65536 + $3 * 256 + $4))
    height=$(($5 * 16777216 + $6 * 65536 + $7 * 256 + $8))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
        fail "icon ${size}x${size} is ${width}x${height}"
done
svg=$prefix/share/icons/hicolor/scalable/apps/$id.svg
grep -q '<svg' "$svg" 2>/dev/null || fail "scalable icon is missing or not SVG"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
    grep -q "<id>$id</id>" "$metainfo" || fail "metainfo: id is not $id"
    launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
    [ -f "$prefix/share/applications/$launchable" ] ||
        fail "metainfo: launchable '$launchable' is not an installed desktop entry"
    for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
        [ -x "$prefix/bin/$binary" ] || fail "metainfo: provided binary $binary is not installed"
    done
else
    fail "share/metainfo/$id.metainfo.xml is missing"
fi

# The installed terminal runner works from its installed place.
runner=$prefix/bin/korvane-run
if [ -x "$runner" ]; then
    result=$(printf '5\n' | "$runner" --sample 5)
    status=$?
    [ "$status" -eq 0 ] && [ "$result" = 120 ] ||
        fail "korvane-run --sample 5 with input 5 gave '$result' (exit $status), not 120"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "installed tree in $prefix is complete"
