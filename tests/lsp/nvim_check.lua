-- Neovim's own language client attached to korvane-lsp, headless: the
-- diagnostics it shows are korvane-run's, at the same lines and byte columns
-- (Neovim turns the server's UTF-16 positions back into bytes), in files with
-- Windows and old Mac line ends too; a rename changes every use of a label, a
-- definition jump lands on the label, and formatting puts the columns where
-- the buffer's settings ask, by display width, keeping the line ends.
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

-- korvane-run drops each carriage return before a line feed and counts lines
-- at line feeds; a buffer counts them at CR LF, LF or CR alone. The buffer's
-- line and byte column (from 1) of korvane-run's LINE:COLUMN in the bytes `text`.
local function buffer_places(text)
  local kept, read = {}, {} -- each byte korvane-run reads: its index in text, itself
  for i = 1, #text do
    if not (text:sub(i, i) == "\r" and text:sub(i + 1, i + 1) == "\n") then
      table.insert(kept, i)
      table.insert(read, text:sub(i, i))
    end
  end
  table.insert(kept, #text + 1)
  local line_starts = { 1 }
  for at in table.concat(read):gmatch("\n()") do
    table.insert(line_starts, at)
  end
  return function(number, column)
    local offset = kept[math.min(line_starts[number] + column - 1, #kept)]
    local line, start = 1, 1
    local s, e
    while true do
      s, e = text:find("[\r\n]", start)
      if s and text:sub(s, s + 1) == "\r\n" then e = s + 1 end
      if not s or e >= offset then break end
      line, start = line + 1, e + 1
    end
    return line, math.min(offset, s or offset) - start + 1
  end
end

-- korvane-run's diagnostics of a file: "LINE:COLUMN SEVERITY MESSAGE", sorted,
-- at the places the buffer shows.
local severity_of = { error = 1, warning = 2, note = 3 }
local function run_diagnostics(file)
  local output = vim.fn.system(vim.fn.shellescape(run_path) .. " --no-excerpts --assemble "
    .. vim.fn.shellescape(file) .. " 2>&1 >/dev/null")
  local handle = io.open(file, "rb")
  local place_of = buffer_places(handle:read("*a"))
  handle:close()
  local found = {}
  for line in output:gmatch("[^\n]+") do
    local number, column, severity, message = line:match(":(%d+):(%d+): (%a+): (.*)$")
    if number then
      local buffer_line, buffer_column = place_of(tonumber(number), tonumber(column))
      table.insert(found, string.format("%d:%d %d %s", buffer_line, buffer_column,
        severity_of[severity], message))
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

local function open(name, options)
  vim.cmd("edit! " .. (options or "") .. " " .. vim.fn.fnameescape(programs .. "/" .. name))
  local buffer = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(buffer, client)
  return buffer
end

-- Files with the line ends of Windows and of old Macs, which Neovim reads as
-- 'fileformat' dos and mac and sends with those line ends.
local function write(name, text)
  local handle = io.open(programs .. "/" .. name, "wb")
  handle:write(text)
  handle:close()
end
write("windows.txt", "\toupt\r\n\tHLT\r\n")
write("mac.txt", "\tINP\r\tOUPT\r\tSTA x\r\tHLT\rx DAT\r")
write("layout.txt", "start INP\r\n BRZ done\r\n BRA start\r\ndone HLT\r\n")

-- The same diagnostics as korvane-run, errors, notes and warnings alike.
for _, name in ipairs({ "fixable.txt", "unicode.txt", "warned.txt", "windows.txt", "mac.txt" }) do
  local buffer = open(name, name == "mac.txt" and "++ff=mac" or nil)
  local expected = run_diagnostics(programs .. "/" .. name)
  local arrived = vim.wait(10000, function()
    return #vim.diagnostic.get(buffer) == #expected
  end, 20)
  local shown = shown_diagnostics(buffer)
  check(arrived and vim.deep_equal(shown, expected), name .. ": diagnostics as korvane-run's",
    table.concat(shown, " | ") .. "\n  " .. table.concat(expected, " | "))
end

-- A formatting of the old Mac file, which does not assemble: no change, and
-- the reason shown.
local mac = open("mac.txt", "++ff=mac")
check(vim.bo[mac].fileformat == "mac", "mac.txt: read as mac")
local shown_messages = {}
vim.lsp.handlers["window/showMessage"] = function(_, result)
  table.insert(shown_messages, result.message)
end
vim.lsp.buf.formatting_sync(nil, 5000)
check(#vim.api.nvim_buf_get_lines(mac, 0, -1, false) == 5 and #shown_messages == 1
  and shown_messages[1]:find("does not assemble", 1, true) ~= nil,
  "mac.txt: formatting refused, and the reason shown", vim.inspect(shown_messages))

-- Formatting a Windows file keeps its lines and its line ends.
local layout = open("layout.txt")
vim.bo[layout].expandtab = false
vim.bo[layout].shiftwidth = 8
vim.bo[layout].tabstop = 8
vim.lsp.buf.formatting_sync(nil, 5000)
local laid = vim.api.nvim_buf_get_lines(layout, 0, -1, false)
check(vim.deep_equal(laid, { "start\tINP", "\tBRZ\tdone", "\tBRA\tstart", "done\tHLT" })
  and vim.bo[layout].fileformat == "dos", "layout.txt: formatted, four lines, still dos",
  vim.inspect(laid))

-- A label in Cyrillic by rename, then columns by display width: every
-- mnemonic starts at the same screen column after wide characters and emoji.
local wide = open("wide.txt")
vim.api.nvim_win_set_cursor(0, { 2, 6 })
vim.lsp.buf.rename("Сумма")
local renamed_wide = vim.wait(5000, function()
  return vim.api.nvim_buf_get_lines(wide, 6, 7, false)[1] == "Сумма\tDAT"
end, 20)
check(renamed_wide and vim.api.nvim_buf_get_lines(wide, 1, 2, false)[1] == "\tSTA Сумма",
  "rename to a Cyrillic name", table.concat(vim.api.nvim_buf_get_lines(wide, 0, -1, false), " | "))
vim.bo[wide].expandtab = true
vim.bo[wide].shiftwidth = 4
vim.bo[wide].tabstop = 4
vim.lsp.buf.formatting_sync(nil, 5000)
local columns = {}
for _, line in ipairs(vim.api.nvim_buf_get_lines(wide, 0, -1, false)) do
  local before = line:match("^(.-)%u%u%u")
  table.insert(columns, vim.fn.strdisplaywidth(before))
end
check(vim.deep_equal(columns, { 8, 8, 8, 8, 8, 8, 8 }), "wide.txt: mnemonics at display column 8",
  vim.inspect(columns) .. " " .. table.concat(vim.api.nvim_buf_get_lines(wide, 0, -1, false), " | "))

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
