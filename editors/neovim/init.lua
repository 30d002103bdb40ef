-- Korvane assembly in Neovim 0.7 and later: the korvane file type for .kasm
-- files, korvane-lsp's diagnostics, quick fixes, hover, completion and labels
-- through Neovim's own language client, and korvane-dap through nvim-dap when
-- that plugin is installed.
--
-- Use it as ~/.config/nvim/init.lua, or from your own init.lua with
--   dofile('/path/to/editors/neovim/init.lua')
-- (before the end of start-up, so that the file type is known).
--
-- Keys in a korvane buffer: K hover, gd go to the definition, gr references,
-- <leader>ca the quick fixes (code actions) at the cursor, <leader>rn rename
-- a label, <leader>f format, [d and ]d the previous and next diagnostic;
-- CTRL-X CTRL-O in Insert mode completes mnemonics and labels.

-- Neovim 0.7 reads vim.filetype.add only with the Lua file type detection
-- switched on; 0.8 and later always read it.
if vim.fn.has('nvim-0.8') == 0 then
  vim.g.do_filetype_lua = 1
end
vim.filetype.add({ extension = { kasm = 'korvane' } })

local server = 'korvane-lsp'
local client_id
local warned = false

-- Whether korvane-lsp can be started; says once, as a message, when not.
local function server_found()
  if vim.fn.executable(server) == 1 then
    return true
  end
  if not warned then
    warned = true
    vim.notify('Korvane: ' .. server .. ' is not on PATH, so programs get no diagnostics, '
      .. 'completion or hover; install Korvane or add the folder that holds '
      .. server .. ' to PATH', vim.log.levels.WARN)
  end
  return false
end

-- Attaches the server to a buffer: from Neovim 0.8 on with vim.lsp.start,
-- which shares one client between the buffers; on 0.7 with one client of
-- our own, started with the first buffer and again if it has stopped.
local function attach_server(buffer)
  local config = { name = 'korvane', cmd = { server }, root_dir = vim.fn.getcwd() }
  if vim.lsp.start then
    vim.api.nvim_buf_call(buffer, function()
      vim.lsp.start(config)
    end)
    return
  end
  if not (client_id and vim.lsp.get_client_by_id(client_id)) then
    client_id = vim.lsp.start_client(config)
  end
  if client_id then
    vim.lsp.buf_attach_client(buffer, client_id)
  end
end

local function set_keys(buffer)
  local function map(mode, keys, action)
    vim.keymap.set(mode, keys, action, { buffer = buffer, silent = true })
  end
  map('n', 'K', vim.lsp.buf.hover)
  map('n', 'gd', vim.lsp.buf.definition)
  map('n', 'gr', vim.lsp.buf.references)
  map('n', '<leader>ca', vim.lsp.buf.code_action)
  map('n', '<leader>rn', vim.lsp.buf.rename)
  map('n', '<leader>f', function()
    if vim.lsp.buf.format then
      vim.lsp.buf.format({ async = true })
    else
      vim.lsp.buf.formatting()
    end
  end)
  map('n', '[d', vim.diagnostic.goto_prev)
  map('n', ']d', vim.diagnostic.goto_next)
end

-- FileType, not BufRead: a new file that is not saved yet gets the server too.
vim.api.nvim_create_autocmd('FileType', {
  pattern = 'korvane',
  group = vim.api.nvim_create_augroup('korvane', { clear = true }),
  callback = function(args)
    if not server_found() then
      return
    end
    attach_server(args.buf)
    vim.bo[args.buf].omnifunc = 'v:lua.vim.lsp.omnifunc'
    set_keys(args.buf)
  end,
})

-- The debugger, where nvim-dap is installed: :lua require('dap').continue()
local has_dap, dap = pcall(require, 'dap')
if has_dap then
  dap.adapters.korvane = { type = 'executable', command = 'korvane-dap', args = { '--stdio' } }
  dap.configurations.korvane = {
    {
      type = 'korvane',
      request = 'launch',
      name = 'Debug the Korvane program',
      program = '${file}',
      stopOnEntry = true,
      input = function()
        return vim.fn.input('Values to type: ')
      end,
    },
  }
end
