" Korvane assembly programs end in .kasm.
autocmd BufNewFile,BufRead *.kasm setfiletype korvane
