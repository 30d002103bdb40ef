-- Runs inside a headless Neovim started with editors/neovim/init.lua as its
-- only configuration and korvane-lsp on PATH, and uses the setup as a
-- student does: a new .kasm file that is not saved gets the korvane file
-- type and the server's diagnostics, the quick fix key applies a fix,
-- CTRL-X CTRL-O completes, and gd jumps to a label.
-- Prints "N passed, N failed" and quits with a non-zero status on a failure.
local folder = os.getenv('KORVANE_SCRATCH')
local passed, failed = 0, 0

local function check(ok, what, detail)
  if ok then
    passed = passed + 1
  else
    failed = failed + 1
    io.stdout:write('FAIL: ' .. what .. (detail and ('\n  ' .. vim.inspect(detail)) or '') .. '\n')
  end
end

local function finish()
  io.stdout:write(string.format('%d passed, %d failed\n', passed, failed))
  vim.cmd(failed == 0 and 'qall!' or 'cquit!')
end

local function messages(buffer)
  local found = {}
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    table.insert(found, string.format('%d:%d %s', d.lnum + 1, d.col + 1, d.message))
  end
  table.sort(found)
  return found
end

-- The menu of code actions answered as a student picks the first entry.
local offered = {}
vim.ui.select = function(items, options, on_choice)
  for _, item in ipairs(items) do
    table.insert(offered, options.format_item and options.format_item(item) or tostring(item))
  end
  on_choice(items[1], 1)
end

vim.cmd('edit ' .. vim.fn.fnameescape(folder .. '/new.kasm'))
local buffer = vim.api.nvim_get_current_buf()
check(vim.fn.filereadable(folder .. '/new.kasm') == 0, 'the file is new, not on disk')
check(vim.bo.filetype == 'korvane', 'a new .kasm file has the korvane file type', vim.bo.filetype)
check(vim.bo.omnifunc == 'v:lua.vim.lsp.omnifunc', 'completion goes through the language client', vim.bo.omnifunc)
check(vim.wait(10000, function() return vim.tbl_count(vim.lsp.buf_get_clients(buffer)) == 1 end, 20),
  'korvane-lsp is attached to the new buffer')

vim.api.nvim_buf_set_lines(buffer, 0, -1, false, { '\tINP', '\tSTA\tfirst', '\toupt', '\tHLT', 'first\tDAT' })
local expected = { "3:2 'oupt' is not an instruction; did you mean out?" }
check(vim.wait(10000, function() return vim.deep_equal(messages(buffer), expected) end, 20),
  'the unsaved text is checked as it is typed', messages(buffer))

-- The quick fix, through the key the setup maps.
vim.api.nvim_win_set_cursor(0, { 3, 2 })
vim.api.nvim_feedkeys(vim.api.nvim_replace_termcodes('<leader>ca', true, false, true), 'x', false)
vim.wait(10000, function() return vim.api.nvim_buf_get_lines(buffer, 2, 3, false)[1] ~= '\toupt' end, 20)
check(vim.api.nvim_buf_get_lines(buffer, 2, 3, false)[1] == '\tout', 'the quick fix replaces the word',
  { line = vim.api.nvim_buf_get_lines(buffer, 2, 3, false)[1], offered = offered })
check(vim.wait(10000, function() return #vim.diagnostic.get(buffer) == 0 end, 20),
  'the fixed program has no diagnostics', messages(buffer))

-- gd on an operand lands on the line that defines the label.
vim.api.nvim_win_set_cursor(0, { 2, 6 })
vim.api.nvim_feedkeys('gd', 'x', false)
vim.wait(10000, function() return vim.api.nvim_win_get_cursor(0)[1] == 5 end, 20)
check(vim.api.nvim_win_get_cursor(0)[1] == 5, 'gd goes to the definition', vim.api.nvim_win_get_cursor(0))

-- CTRL-X CTRL-O after an instruction that takes a label offers the labels;
-- a timer reads the menu while Insert mode waits, then leaves it.
vim.api.nvim_buf_set_lines(buffer, 3, 3, false, { '\tADD\t' })
vim.api.nvim_win_set_cursor(0, { 4, 4 })
local completed = {}
local timer = vim.loop.new_timer()
local waited = 0
timer:start(50, 50, vim.schedule_wrap(function()
  waited = waited + 50
  local items = vim.fn.complete_info({ 'items' }).items
  if #items > 0 or waited > 10000 then
    timer:stop()
    for _, item in ipairs(items) do
      table.insert(completed, item.word)
    end
    vim.api.nvim_feedkeys(vim.api.nvim_replace_termcodes('<C-e><Esc>', true, false, true), 'n', false)
  end
end))
vim.api.nvim_feedkeys(vim.api.nvim_replace_termcodes('A<C-x><C-o>', true, false, true), 'x!', false)
check(vim.tbl_contains(completed, 'first'), 'completion offers the data label', completed)

finish()
