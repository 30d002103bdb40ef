" Korvane assembly: a line is [label] MNEMONIC [operand], words split at
" blanks and tabs, mnemonics in any case. A line's first word is its label
" when it is no mnemonic; a label before DAT names data, any other names code.
if exists("b:current_syntax")
  finish
endif
syn case ignore

" Later items win where several start at one place.
syn match korvaneOperand   "\%(^\|\s\)\@<=\S\+"
syn match korvaneNumber    "\%(^\|\s\)\@<=[-+]\=\d\+\S\@!"
syn match korvaneMnemonic  "\%(^\|\s\)\@<=\%(ADD\|SUB\|MUL\|DIV\|STA\|LDA\|BRA\|BRZ\|BRP\|BRN\|BRG\|INP\|OUT\|HLT\)\S\@!"
syn match korvaneDirective "\%(^\|\s\)\@<=DAT\S\@!"
syn match korvaneCodeLabel "^\s*\zs\%(\%(ADD\|SUB\|MUL\|DIV\|STA\|LDA\|BRA\|BRZ\|BRP\|BRN\|BRG\|INP\|OUT\|HLT\|DAT\)\S\@!\)\@!\S\+"
syn match korvaneDataLabel "^\s*\zs\%(\%(ADD\|SUB\|MUL\|DIV\|STA\|LDA\|BRA\|BRZ\|BRP\|BRN\|BRG\|INP\|OUT\|HLT\|DAT\)\S\@!\)\@!\S\+\ze\s\+DAT\S\@!"

hi def link korvaneMnemonic  Statement
hi def link korvaneDirective PreProc
hi def link korvaneCodeLabel Function
hi def link korvaneDataLabel Identifier
hi def link korvaneNumber    Number
hi def link korvaneOperand   Identifier

let b:current_syntax = "korvane"
