-- Neovim's own client against scenario-tool lsp: the mistake's diagnostic
-- where it stands, a hover, an edit that clears it, and a clean shutdown.
local function check()
  local file = os.getenv('LSP_TEST_FILE')
  local tool = os.getenv('SCENARIO_TOOL')
  vim.cmd('edit ++enc=cp1252 ' .. vim.fn.fnameescape(file))
  local buf = vim.api.nvim_get_current_buf()
  local exit_code = nil
  local id = vim.lsp.start_client({
    name = 'scenario-tool',
    cmd = { tool, 'lsp' },
    root_dir = vim.fn.fnamemodify(file, ':h'),
    on_exit = function(code) exit_code = code end,
  })
  assert(id, 'the client did not start')
  vim.lsp.buf_attach_client(buf, id)

  assert(vim.wait(20000, function() return #vim.diagnostic.get(buf) > 0 end, 50), 'no diagnostics came')
  local found = vim.diagnostic.get(buf)
  assert(#found == 1, 'diagnostics: ' .. vim.inspect(found))
  local d = found[1]
  assert(d.lnum == 12 and d.col == 0 and d.end_lnum == 12 and d.end_col == 7, 'placed at ' .. vim.inspect(d))
  assert(d.severity == vim.diagnostic.severity.WARN, 'severity ' .. tostring(d.severity))
  assert(d.message:find("did you mean 'stazione'", 1, true), d.message)

  local answers = vim.lsp.buf_request_sync(buf, 'textDocument/hover', {
    textDocument = { uri = vim.uri_from_bufnr(buf) },
    position = { line = 11, character = 2 },
  }, 10000)
  local hover = answers and answers[id] and answers[id].result
  assert(hover and hover.contents.value:find('**stazione**', 1, true), 'hover: ' .. vim.inspect(answers))

  vim.api.nvim_buf_set_text(buf, 12, 0, 12, 7, { 'stazione' })
  assert(vim.wait(20000, function() return #vim.diagnostic.get(buf) == 0 end, 50),
    'the fixed line still has ' .. vim.inspect(vim.diagnostic.get(buf)))

  vim.lsp.stop_client(id)
  assert(vim.wait(20000, function() return exit_code ~= nil end, 50), 'the server did not end')
  assert(exit_code == 0, 'the server ended with ' .. tostring(exit_code))
end

local ok, err = xpcall(check, debug.traceback)
if ok then
  io.stdout:write('neovim: diagnostics, hover, edit and shutdown as expected\n')
  vim.cmd('qall!')
else
  io.stderr:write('neovim: ' .. tostring(err) .. '\n')
  vim.cmd('cquit 1')
end
