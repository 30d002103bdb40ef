#!/bin/sh
# Runs nvim_check.lua in a headless Neovim on copies of the programs (a
# rename edits the buffer). Status 77, for CTest's skip, when nvim is missing.
#   nvim_check.sh KORVANE_LSP KORVANE_RUN TESTS_LSP_DIR
set -eu
command -v nvim >/dev/null 2>&1 || { echo "nvim is not installed: skipped"; exit 77; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$3"/programs/*.txt "$folder"/
export KORVANE_LSP="$1" KORVANE_RUN="$2" KORVANE_PROGRAMS="$folder"
# No terminal and no user configuration: what nvim prints is the check's.
timeout 100 nvim --headless --clean -n -i NONE -c "luafile $3/nvim_check.lua" </dev/null
