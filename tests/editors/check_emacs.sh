#!/bin/sh
# Runs editors/emacs/korvane.el in a batch Emacs with Debian's eglot and
# dap-mode, as a student's Emacs 28 loads it: first without korvane-lsp on
# PATH (a clear message, no error), then with the korvane programs on PATH
# (check_emacs.el). Status 77, for CTest's skip, when Emacs, eglot or
# dap-mode is missing (make test installs them).
#   check_emacs.sh KORVANE_EL CHECK_EL KORVANE_LSP KORVANE_DAP
set -eu
command -v emacs >/dev/null 2>&1 || { echo "emacs is not installed: skipped"; exit 77; }
setup=$1 check=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A home of its own: nothing of the user's configuration or packages.
export HOME="$scratch" KORVANE_SCRATCH="$scratch"
start="(progn (package-initialize) (load \"$setup\" nil t))"
emacs --batch --eval "(progn (package-initialize) (require 'eglot) (require 'dap-mode))" \
    >/dev/null 2>&1 || { echo "eglot or dap-mode is not installed: skipped"; exit 77; }

echo "== without korvane-lsp on PATH"
PATH=/usr/bin:/bin timeout 60 emacs --batch --eval "$start" \
    --eval "(progn (find-file \"$scratch/first.kasm\") (message \"mode: %s\" major-mode))" \
    >"$scratch/out" 2>&1 || { cat "$scratch/out"; echo "FAIL: an error instead of a message"; exit 1; }
cat "$scratch/out"
grep -q '^mode: korvane-mode$' "$scratch/out" || { echo "FAIL: no korvane-mode"; exit 1; }
grep -q '^Korvane: korvane-lsp is not on PATH' "$scratch/out" || { echo "FAIL: no message"; exit 1; }

echo "== with korvane-lsp and korvane-dap on PATH"
PATH="$(dirname "$3"):$(dirname "$4"):$PATH" timeout 150 emacs --batch --eval "$start" -l "$check"
