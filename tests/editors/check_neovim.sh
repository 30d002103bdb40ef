#!/bin/sh
# Starts headless Neovim with editors/neovim/init.lua as its only
# configuration, as a student would: first without korvane-lsp on PATH (a
# clear message, no error), then with it (check_neovim.lua). Status 77, for
# CTest's skip, when nvim is missing.
#   check_neovim.sh INIT_LUA KORVANE_LSP CHECK_LUA
set -eu
command -v nvim >/dev/null 2>&1 || { echo "nvim is not installed: skipped"; exit 77; }
init=$1 server_dir=$(dirname "$2") check=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# No configuration, plugins or history of the user's.
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_STATE_HOME="$scratch/state"
export KORVANE_SCRATCH="$scratch"
mkdir -p "$scratch/bin"
ln -s "$(command -v nvim)" "$scratch/bin/nvim"

echo "== without korvane-lsp on PATH"
PATH="$scratch/bin:/usr/bin:/bin" timeout 60 nvim --headless -n -i NONE -u "$init" \
    -c "edit $scratch/first.kasm" \
    -c 'lua io.stdout:write("\nerrors: [" .. vim.v.errmsg .. "]\n" .. vim.fn.execute("messages") .. "\n")' \
    -c 'qall!' </dev/null >"$scratch/out" 2>&1 || true
cat "$scratch/out"
grep -q '^errors: \[\]$' "$scratch/out" || { echo "FAIL: an error instead of a message"; exit 1; }
grep -q 'Korvane: korvane-lsp is not on PATH' "$scratch/out" || { echo "FAIL: no message"; exit 1; }

echo "== with korvane-lsp on PATH"
PATH="$server_dir:$PATH" timeout 100 nvim --headless -n -i NONE -u "$init" -c "luafile $check" </dev/null
