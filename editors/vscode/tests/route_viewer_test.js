// The extension's route viewer, run in Node against a stand-in for the
// `vscode` module (VS Code itself cannot run here): the command and where
// the editor offers it, the server run with the two sources, the panel
// beside the source, the redraw on saving either source, and a line
// revealed when the page asks for it.
//
//   node tests/route_viewer_test.js SCENARIO_TOOL
//
// Prints each check, then "N passed, N failed"; exits with 1 on a failure.
'use strict';
const assert = require('assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const Module = require('module');
const { spawnSync } = require('child_process');

const tool = process.argv[2];
if (!tool) {
  console.error('usage: node tests/route_viewer_test.js SCENARIO_TOOL');
  process.exit(64);
}

let passed = 0;
let failed = 0;
async function check(what, body) {
  try {
    await body();
    ++passed;
    console.log('ok: ' + what);
  } catch (error) {
    ++failed;
    console.log('FAILED: ' + what + '\n  ' + (error && error.stack ? error.stack : error));
  }
}

// --- The stand-in for VS Code's API --------------------------------------
class EventEmitter {
  constructor() { this.listeners = []; this.event = (listener) => { this.listeners.push(listener); return { dispose() {} }; }; }
  fire(value) { return Promise.all(this.listeners.map((l) => l(value))); }
}
const calls = { panels: [], errors: [], warnings: [], opened: [], shown: [], commands: new Map() };
const saved = new EventEmitter();
const settings = {};
class Range {
  constructor(startLine, startCharacter, endLine, endCharacter) {
    this.start = { line: startLine, character: startCharacter };
    this.end = { line: endLine, character: endCharacter };
  }
}
function documentOf(file) {
  const lines = fs.readFileSync(file, 'latin1').split(/\r\n|\n|\r/);
  return { uri: vscode.Uri.file(file), lineCount: lines.length, lineAt: (n) => ({ text: lines[n] }) };
}
const vscode = {
  ViewColumn: { Active: -1, Beside: -2, One: 1, Two: 2 },
  TextEditorRevealType: { InCenterIfOutsideViewport: 2 },
  Range,
  Uri: { file: (p) => ({ scheme: 'file', fsPath: p }) },
  commands: {
    registerCommand(name, handler) { calls.commands.set(name, handler); return { dispose() {} }; },
  },
  workspace: {
    textDocuments: [],
    getConfiguration: () => ({ get: (key) => settings[key] }),
    onDidSaveTextDocument: saved.event,
    async openTextDocument(uri) { calls.opened.push(uri.fsPath); return documentOf(uri.fsPath); },
  },
  window: {
    activeTextEditor: undefined,
    showErrorMessage(text) { calls.errors.push(text); },
    showWarningMessage(text) { calls.warnings.push(text); },
    async showTextDocument(document, options) {
      const editor = { document, options, revealed: [], revealRange(range, how) { this.revealed.push({ range, how }); } };
      calls.shown.push(editor);
      return editor;
    },
    createWebviewPanel(viewType, title, show, options) {
      const messages = new EventEmitter();
      const disposed = new EventEmitter();
      const panel = {
        viewType, title, show, options, htmls: [], reveals: [],
        webview: { onDidReceiveMessage: messages.event, set html(text) { panel.htmls.push(text); }, get html() { return panel.htmls[panel.htmls.length - 1]; } },
        onDidDispose: disposed.event,
        reveal(column, preserveFocus) { panel.reveals.push({ column, preserveFocus }); },
        post: (message) => messages.fire(message),
        dispose: () => disposed.fire(),
      };
      calls.panels.push(panel);
      return panel;
    },
  },
};
const clients = [];
class LanguageClient {
  constructor(id, name, server, client) { clients.push({ id, name, server, client }); }
  start() { return Promise.resolve(); }
  stop() { return Promise.resolve(); }
}
const fakes = { vscode, 'vscode-languageclient/node': { LanguageClient, TransportKind: { stdio: 0 } } };
const load = Module._load;
Module._load = function (request, parent, isMain) {
  return Object.prototype.hasOwnProperty.call(fakes, request) ? fakes[request] : load.call(this, request, parent, isMain);
};

// --- The scenario, and a server that notes how it was run ----------------
const root = fs.mkdtempSync(path.join(os.tmpdir(), 'route-viewer-test-'));
const src = path.join(root, 'src');
assert.strictEqual(spawnSync(tool, ['sources', src]).status, 0);
const line = path.join(src, 'Calvisio -Sambreta_linea.txt');
const train = path.join(src, 'Calvisio -Sambreta_31613-.txt');
const runs = path.join(root, 'runs.log');
const server = path.join(root, 'server');
fs.writeFileSync(server, '#!/bin/sh\nprintf "%s\\n" "$*" >> "$RUNS"\nexec "$TOOL" "$@"\n', { mode: 0o755 });
process.env.RUNS = runs;
process.env.TOOL = tool;
const ranWith = () => (fs.existsSync(runs) ? fs.readFileSync(runs, 'utf8').trim().split('\n') : []);
settings.serverPath = server;

const context = { subscriptions: [], asAbsolutePath: (p) => path.join(__dirname, '..', p) };
const extension = require('../src/extension.js');
const COMMAND = 'scenarioSources.showRouteViewer';
const run = (uri) => calls.commands.get(COMMAND)(uri);

(async () => {
  await check('the command, its menus and its keys are declared for both languages', () => {
    const manifest = JSON.parse(fs.readFileSync(path.join(__dirname, '..', 'package.json'), 'utf8'));
    const contributes = manifest.contributes;
    assert.ok(contributes.commands.some((c) => c.command === COMMAND && /Route Viewer/.test(c.title)));
    const offers = [...contributes.menus['editor/title'], ...contributes.menus.commandPalette, ...contributes.keybindings]
      .filter((m) => m.command === COMMAND);
    assert.ok(offers.length >= 3, JSON.stringify(offers));
    for (const offer of offers) assert.match(offer.when, /LangId == scenario-line \|\| \w+LangId == scenario-train/);
    assert.ok(contributes.keybindings.some((k) => k.command === COMMAND && k.key));
    // The bundle is one file: the viewer is part of the client.
    assert.match(manifest.scripts.bundle, /src\/extension\.js --bundle/);
  });

  await check('activating registers the command beside the language client', () => {
    extension.activate(context);
    assert.ok(calls.commands.has(COMMAND));
    assert.deepStrictEqual(clients[0].server.args, ['lsp']);
    assert.strictEqual(clients[0].server.command, server);
  });

  const sourceEditor = (file, column) => ({ document: documentOf(file), viewColumn: column });
  let panel;
  await check('from a train service the server makes the page of both sources, shown beside it', async () => {
    vscode.window.activeTextEditor = sourceEditor(train, 1);
    await run();
    assert.deepStrictEqual(calls.errors, []);
    const [args] = ranWith();
    assert.ok(args.startsWith(`view ${line} ${train} -o `) && args.endsWith('.html'), args);
    assert.strictEqual(calls.panels.length, 1);
    panel = calls.panels[0];
    assert.strictEqual(panel.show.viewColumn, vscode.ViewColumn.Beside);
    assert.strictEqual(panel.options.enableScripts, true);
    assert.strictEqual(panel.htmls.length, 1);
    assert.match(panel.webview.html, /<script type="application\/json" id="scenario-data">/);
    assert.match(panel.webview.html, /Calvisio -Sambreta, train 31613/);
    // The page's own policy lets its inline script and style run, nothing else.
    assert.match(panel.webview.html, /default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'/);
  });

  await check('the same scenario from its line description shows the panel there is', async () => {
    await run(vscode.Uri.file(line));
    assert.strictEqual(calls.panels.length, 1);
    assert.deepStrictEqual(panel.reveals, [{ column: vscode.ViewColumn.Beside, preserveFocus: true }]);
  });

  await check('saving either source makes the page again; saving another file does not', async () => {
    const before = ranWith().length;
    await saved.fire({ uri: vscode.Uri.file(line) });
    await saved.fire({ uri: vscode.Uri.file(train) });
    await saved.fire({ uri: vscode.Uri.file(path.join(src, 'Calvisio -Sambreta_31613_note.txt')) });
    assert.strictEqual(ranWith().length, before + 2);
    assert.strictEqual(panel.htmls.length, 3);
  });

  await check('a row of the page reveals and selects the line that wrote it, in the source\'s column', async () => {
    await panel.post({ type: 'reveal', file: train, line: 30 });
    assert.deepStrictEqual(calls.opened, [train]);
    const [editor] = calls.shown;
    assert.strictEqual(editor.options.viewColumn, 1);
    const text = fs.readFileSync(train, 'latin1').split('\r\n')[29];
    assert.match(text, /^rallentamento/);
    assert.deepStrictEqual(editor.options.selection, new Range(29, 0, 29, text.length));
    assert.deepStrictEqual(editor.revealed[0].range, editor.options.selection);
  });

  await check('the page opens no other file, and no line that is not one', async () => {
    for (const message of [{ type: 'reveal', file: path.join(src, 'other.txt'), line: 3 },
                           { type: 'reveal', file: train, line: 0 }, { type: 'reveal', file: train, line: '4' },
                           { type: 'go', file: train, line: 4 }, null]) await panel.post(message);
    assert.deepStrictEqual(calls.opened, [train]);
  });

  await check('a compile that stops keeps the page and says why', async () => {
    const kept = fs.readFileSync(line);
    fs.writeFileSync(line, '[fine]\r\n');
    await saved.fire({ uri: vscode.Uri.file(line) });
    fs.writeFileSync(line, kept);
    assert.strictEqual(panel.htmls.length, 3);
    assert.strictEqual(calls.errors.length, 1);
    assert.match(calls.errors[0], /error 102/);
  });

  await check('a file that is no source, or has no partner, is told', async () => {
    const lone = path.join(root, 'Lone_linea.txt');
    fs.writeFileSync(lone, '[generale]\r\n');
    for (const file of [path.join(src, 'Calvisio -Sambreta_31613_note.txt'), lone]) await run(vscode.Uri.file(file));
    assert.strictEqual(calls.errors.length, 3);
    assert.match(calls.errors[1], /no scenario source/);
    assert.match(calls.errors[2], /no train service of the line 'Lone'/);
    assert.strictEqual(calls.panels.length, 1);
  });

  await check('a closed panel is made no more', async () => {
    const before = ranWith().length;
    await panel.dispose();
    await saved.fire({ uri: vscode.Uri.file(train) });
    assert.strictEqual(ranWith().length, before);
    await run(vscode.Uri.file(train));
    assert.strictEqual(calls.panels.length, 2);
  });

  await check('where names ignore case, sources in either case are one scenario', () => {
    const { pairOf } = require('../src/route_viewer.js');
    const dir = path.join(root, 'capitals');
    fs.mkdirSync(dir);
    const upperLine = path.join(dir, 'VALLE_LINEA.TXT');
    const lowerTrain = path.join(dir, 'valle_42-.txt');
    fs.writeFileSync(upperLine, '[generale]\r\n');
    fs.writeFileSync(lowerTrain, '[generale]\r\n');
    assert.deepStrictEqual(pairOf(lowerTrain, [], true), { line: upperLine, train: lowerTrain });
    assert.deepStrictEqual(pairOf(upperLine, [], true), { line: upperLine, train: lowerTrain });
    // Where case counts, they are not.
    assert.throws(() => pairOf(lowerTrain, [], false), /not beside it/);
    assert.throws(() => pairOf(upperLine, [], false), /no scenario source/);
  });

  fs.rmSync(root, { recursive: true, force: true });
  console.log(passed + ' passed, ' + failed + ' failed');
  process.exit(failed === 0 ? 0 : 1);
})();
