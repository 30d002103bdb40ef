" Korvane assembly: :make runs korvane-run on the program and lists its
" messages in the quickfix list.
if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1
setlocal noexpandtab
compiler korvane
let b:undo_ftplugin = "setlocal expandtab< makeprg< errorformat<"
