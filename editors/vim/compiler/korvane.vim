" korvane-run as a compiler: its messages are FILE:LINE:COLUMN: KIND: TEXT,
" with the column in bytes from 1, or FILE: KIND: TEXT about a whole
" program; the excerpts under them (the source line and a caret) are skipped.
if exists("current_compiler")
  finish
endif
let current_compiler = "korvane"
if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif
CompilerSet makeprg=korvane-run\ --assemble\ %:S
CompilerSet errorformat=%f:%l:%c:\ %trror:\ %m,
      \%f:%l:%c:\ %tarning:\ %m,
      \%f:%l:%c:\ %tote:\ %m,
      \%f:\ %trror:\ %m,
      \%f:\ %tarning:\ %m,
      \%-G%.%#
