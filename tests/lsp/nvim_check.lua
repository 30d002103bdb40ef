-- Neovim's own language client attached to korvane-lsp, headless: the
-- diagnostics it shows are korvane-run's, at the same lines and byte columns
-- (Neovim turns the server's UTF-16 positions back into bytes), a rename
-- changes every use of a label, a definition jump lands on the label, and
-- formatting puts the columns where the buffer's settings ask.
--
--   KORVANE_LSP=... KORVANE_RUN=... KORVANE_PROGRAMS=... nvim --headless --clean -c 'luafile nvim_check.lua'
--
-- Prints "N passed, N failed" and quits with a non-zero status on any failure.

local lsp_path = os.getenv("KORVANE_LSP")
local run_path = os.getenv("KORVANE_RUN")
local programs = os.getenv("KORVANE_PROGRAMS")
local passed, failed = 0, 0

local function say(text)
  io.stdout:write(text .. "\n")
end

local function check(ok, what, detail)
  if ok then
    passed = passed + 1
  else
    failed = failed + 1
    say("FAIL: " .. what .. (detail and ("\n  " .. detail) or ""))
  end
end

local function finish()
  say(string.format("%d passed, %d failed", passed, failed))
  vim.cmd(failed == 0 and "qall!" or "cquit!")
end

-- korvane-run's diagnostics of a file: "LINE:COLUMN SEVERITY MESSAGE", sorted.
local severity_of = { error = 1, warning = 2, note = 3 }
local function run_diagnostics(file)
  local output = vim.fn.system(vim.fn.shellescape(run_path) .. " --no-excerpts --assemble "
    .. vim.fn.shellescape(file) .. " 2>&1 >/dev/null")
  local found = {}
  for line in output:gmatch("[^\n]+") do
    local number, column, severity, message = line:match(":(%d+):(%d+): (%a+): (.*)$")
    if number then
      table.insert(found, string.format("%d:%d %d %s", number, column, severity_of[severity], message))
    end
  end
  table.sort(found)
  return found
end

local function shown_diagnostics(buffer)
  local found = {}
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    table.insert(found, string.format("%d:%d %d %s", d.lnum + 1, d.col + 1, d.severity, d.message))
  end
  table.sort(found)
  return found
end

local client = vim.lsp.start_client({
  name = "korvane-lsp",
  cmd = { lsp_path },
  root_dir = programs,
})
check(client ~= nil, "korvane-lsp starts")

local function open(name)
  vim.cmd("edit! " .. vim.fn.fnameescape(programs .. "/" .. name))
  local buffer = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(buffer, client)
  return buffer
end

-- The same diagnostics as korvane-run, errors, notes and warnings alike.
for _, name in ipairs({ "fixable.txt", "unicode.txt", "warned.txt" }) do
  local buffer = open(name)
  local expected = run_diagnostics(programs .. "/" .. name)
  local arrived = vim.wait(10000, function()
    return #vim.diagnostic.get(buffer) == #expected
  end, 20)
  local shown = shown_diagnostics(buffer)
  check(arrived and vim.deep_equal(shown, expected), name .. ": diagnostics as korvane-run's",
    table.concat(shown, " | ") .. "\n  " .. table.concat(expected, " | "))
end

-- A definition jump: from 'start' in "BRA start" to the line that defines it.
local buffer = open("sum.txt")
vim.wait(10000, function()
  return vim.lsp.buf_is_attached(buffer, client) and vim.lsp.get_client_by_id(client).initialized
end, 20)
vim.api.nvim_win_set_cursor(0, { 6, 6 })
vim.lsp.buf.definition()
local jumped = vim.wait(5000, function()
  local cursor = vim.api.nvim_win_get_cursor(0)
  return cursor[1] == 1 and cursor[2] == 0
end, 20)
check(jumped, "definition: the cursor on line 1, column 0",
  vim.inspect(vim.api.nvim_win_get_cursor(0)))

-- A rename of 'first' to 'total' changes its definition and both uses.
vim.api.nvim_win_set_cursor(0, { 2, 6 })
vim.lsp.buf.rename("total")
local renamed = vim.wait(5000, function()
  return vim.api.nvim_buf_get_lines(buffer, 7, 8, false)[1] == "total\tDAT 5"
end, 20)
local lines = vim.api.nvim_buf_get_lines(buffer, 0, -1, false)
check(renamed and lines[2] == "\tSTA total" and lines[3] == "\tLDA total"
  and not table.concat(lines, "\n"):find("first"), "rename: every 'first' is 'total'",
  table.concat(lines, " | "))

-- Formatting with the buffer's own settings: spaces, four to a tab.
vim.bo[buffer].expandtab = true
vim.bo[buffer].shiftwidth = 4
vim.bo[buffer].tabstop = 4
vim.lsp.buf.formatting_sync(nil, 5000)
local formatted = vim.api.nvim_buf_get_lines(buffer, 0, -1, false)
local expected = { "start   INP", "        STA total", "        LDA total", "        BRZ done",
  "        OUT", "        BRA start", "done    HLT", "total   DAT 5" }
check(vim.deep_equal(formatted, expected), "formatting: in columns of four spaces",
  table.concat(formatted, " | "))

vim.lsp.stop_client(client)
finish()
