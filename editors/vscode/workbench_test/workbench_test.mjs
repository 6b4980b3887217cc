// The extension in a real VS Code: code-server (VS Code in the browser, with
// the desktop's extension host) installs the .vsix, opens a folder holding a
// copy of the built-in sources, and Debian's Chromium, driven by
// playwright-core, works in the workbench as an author would: language mode
// and encoding in the status bar, an unsaved mistake's squiggle and Problems
// row, hover, completion, the quick fix, the route viewer beside the source
// and its reveal of a line, and an accented name saved as Windows-1252.
//
//   node workbench_test.mjs --code-server DIR --vsix FILE --out DIR
//        [--chromium PATH] [--server PATH] [--wine PREFIX]
//
// DIR holds node_modules/code-server; it runs on the Node.js that runs this
// script (code-server wants Node.js 24). --server sets scenarioSources.serverPath
// instead of the server in the extension. --wine PREFIX is for the win32-x64
// package: its server/scenario-tool.exe then runs under Wine in PREFIX (the
// extension host is a Linux one, which would look for server/scenario-tool). Every step saves a screenshot in
// --out; each check prints a line, and the last line is "N passed, N failed";
// the status is 1 on any failure. Every wait is bounded.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const options = { chromium: '/usr/bin/chromium' };
for (let i = 2; i + 1 < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const needed of ['code-server', 'vsix', 'out']) {
  if (!options[needed]) {
    console.error('usage: node workbench_test.mjs --code-server DIR --vsix FILE --out DIR [--chromium PATH] [--server PATH]');
    process.exit(64);
  }
}
const out = path.resolve(options.out);
fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(out, { recursive: true });
const started = Date.now();
const seconds = () => ((Date.now() - started) / 1000).toFixed(1) + ' s';

let passed = 0, failed = 0;
function check(what, ok, detail) {
  if (ok) { ++passed; console.log('ok: ' + what); return; }
  ++failed;
  console.log('FAILED: ' + what + (detail === undefined ? '' : '\n  ' + String(detail).replace(/\n/g, '\n  ')));
}
function equal(what, actual, expected) {
  check(what, actual === expected, 'got ' + JSON.stringify(actual) + ', expected ' + JSON.stringify(expected));
}

// Polls `probe` until it gives a truthy value; throws, naming what it waited
// for and what it saw last, after `ms`.
async function waitFor(what, probe, ms = 30000) {
  const deadline = Date.now() + ms;
  let last;
  for (;;) {
    try {
      last = await probe();
      if (last) return last;
    } catch (error) {
      last = error.message.split('\n')[0];
    }
    if (Date.now() > deadline) {
      throw new Error(`waited ${ms / 1000} s for ${what}` + (last === undefined || last === null || last === false || last === '' ? '' : `; last seen: ${JSON.stringify(last)}`));
    }
    await new Promise((resolve) => setTimeout(resolve, 250));
  }
}

// What `probe` gives once it gives `expected`, or the last thing it gave
// after `ms` (the status bar follows a newly opened editor a moment later).
async function settled(probe, expected, ms = 15000) {
  let last;
  await waitFor(JSON.stringify(expected), async () => (last = await probe()) === expected, ms).catch(() => {});
  return last;
}

// A step: its checks, then a screenshot. An error in it (a wait that ran
// out) is one failure, named with the step, and the next step still runs.
let page;
let shot = 0;
// A screenshot within a step, before what the step does next hides it.
const slug = (text) => text.replace(/[^a-z0-9]+/gi, '-').toLowerCase();
let stepName = '';
async function snap(what) {
  const file = path.join(out, `${String(shot + 1).padStart(2, '0')}-${slug(stepName)}-${slug(what)}.png`);
  await page.screenshot({ path: file, timeout: 15000 }).catch((error) => console.log('no screenshot: ' + error.message));
}
async function step(name, body) {
  console.log(`-- ${name} (${seconds()})`);
  stepName = name;
  try {
    await body();
  } catch (error) {
    check(`${name}: ${error.message.split('\n')[0]}`, false);
  }
  if (page) {
    const file = path.join(out, `${String(++shot).padStart(2, '0')}-${slug(name)}.png`);
    await page.screenshot({ path: file, timeout: 15000 }).catch((error) => console.log('no screenshot: ' + error.message));
  }
}

// --- The scratch folder: user data, extensions and the sources ---------------
const codeServerEntry = path.join(options['code-server'], 'node_modules', 'code-server', 'out', 'node', 'entry.js');
if (!fs.existsSync(codeServerEntry)) {
  console.error(`workbench_test: no code-server at ${codeServerEntry}; run install.sh first`);
  process.exit(64);
}
// playwright-core lies beside code-server, in the cache, not beside this file.
const { chromium } = await import(pathToFileURL(path.join(options['code-server'], 'node_modules', 'playwright-core', 'index.mjs')).href);
const vsix = path.resolve(options.vsix);
if (!fs.existsSync(vsix)) {
  console.error(`workbench_test: no extension package at ${vsix}`);
  process.exit(64);
}
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-vscode-'));
const userData = path.join(scratch, 'user-data');
const extensions = path.join(scratch, 'extensions');
const folder = path.join(scratch, 'Scenari');
fs.mkdirSync(path.join(userData, 'User'), { recursive: true });
fs.mkdirSync(folder);
// Nothing saves behind the test's back (a half-typed line, in the browser,
// after a delay), nothing but the server completes or hovers, and nothing
// asks to be looked at.
const settings = {
  'files.autoSave': 'off',
  'editor.wordBasedSuggestions': 'off',
  'editor.quickSuggestions': { other: 'off', comments: 'off', strings: 'off' },
  'editor.minimap.enabled': false,
  'editor.hover.delay': 300,
  'workbench.startupEditor': 'none',
  'workbench.tips.enabled': false,
  'workbench.enableExperiments': false,
  'workbench.welcomePage.walkthroughs.openOnInstall': false,
  'workbench.secondarySideBar.defaultVisibility': 'hidden',
  'chat.disableAIFeatures': true,
  'telemetry.telemetryLevel': 'off',
  'update.mode': 'none',
  'extensions.autoUpdate': false,
  'extensions.autoCheckUpdates': false,
  'extensions.ignoreRecommendations': true,
  'security.workspace.trust.enabled': false,
  'git.enabled': false,
  'window.restoreWindows': 'none',
};
// The Windows server of the package, under Wine: started from / (Wine's
// drive Z:), where the Linux paths that the client and the route viewer
// hand it name the same files.
const wineServer = path.join(scratch, 'scenario-tool-under-wine');
if (options.wine) {
  fs.writeFileSync(wineServer, [
    '#!/bin/sh',
    `export WINEPREFIX='${path.resolve(options.wine)}' WINEDEBUG=-all DISPLAY=`,
    'cd /',
    `exec wine '${extensions}'/*/server/scenario-tool.exe "$@"`,
    ''].join('\n'), { mode: 0o755 });
}
if (options.server) settings['scenarioSources.serverPath'] = path.resolve(options.server);
else if (options.wine) settings['scenarioSources.serverPath'] = wineServer;
fs.writeFileSync(path.join(userData, 'User', 'settings.json'), JSON.stringify(settings, null, 2));
// code-server's own configuration and logs stay in the scratch folder too.
const childEnv = {
  ...process.env,
  XDG_CONFIG_HOME: path.join(scratch, 'config'),
  XDG_DATA_HOME: path.join(scratch, 'data'),
  DISPLAY: '',
};

let codeServer = null;
let browser = null;
let codeServerLog = path.join(out, 'code-server.log');
async function cleanUp() {
  if (browser) await browser.close().catch(() => {});
  if (codeServer && codeServer.exitCode === null) {
    // code-server and everything it started (the extension host, the
    // language server) share its process group.
    try { process.kill(-codeServer.pid, 'SIGTERM'); } catch { /* gone */ }
    const ended = await Promise.race([
      new Promise((resolve) => codeServer.once('exit', () => resolve(true))),
      new Promise((resolve) => setTimeout(() => resolve(false), 5000)),
    ]);
    if (!ended) try { process.kill(-codeServer.pid, 'SIGKILL'); } catch { /* gone */ }
  }
  fs.rmSync(path.join(out, 'code-server.pid'), { force: true });
  // The logs of the extension host (the language client's output among
  // them) are kept with the screenshots.
  const logs = path.join(userData, 'logs');
  if (fs.existsSync(logs)) fs.cpSync(logs, path.join(out, 'logs'), { recursive: true });
  fs.rmSync(scratch, { recursive: true, force: true });
}
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(signal, async () => { await cleanUp(); process.exit(2); });
}

// The language client's own log ("Scenario sources" in the Output panel),
// found among the extension host's logs kept in `out`.
function clientLogs(dir) {
  if (!fs.existsSync(dir)) return [];
  return fs.readdirSync(dir, { recursive: true }).map((f) => path.join(dir, String(f)))
    .filter((f) => /output_logging_/.test(f) && /Scenario sources\.log$/.test(f));
}

function finish() {
  if (failed > 0) {
    for (const log of clientLogs(path.join(out, 'logs'))) {
      const lines = fs.readFileSync(log, 'utf8').trimEnd().split('\n');
      console.log(`The language client's log (${path.relative(out, log)}), its first ${Math.min(lines.length, 25)} of ${lines.length} lines:`);
      for (const line of lines.slice(0, 25)) console.log('  | ' + line);
    }
  }
  console.log(`(${seconds()} in all; screenshots and logs in ${out})`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 && passed > 0 ? 0 : 1);
}

function runNode(args, ms) {
  const result = spawnSync(process.execPath, args, { encoding: 'utf8', timeout: ms, env: childEnv, killSignal: 'SIGKILL' });
  return { status: result.status, out: (result.stdout || '') + (result.stderr || ''), error: result.error };
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// The text of line `n` (from 1) of the active editor as it is drawn, or null
// when the line is not on the screen.
function lineText(n) {
  return page.evaluate((n) => {
    const editor = document.querySelector('.editor-group-container.active .monaco-editor');
    if (!editor) return null;
    const number = [...editor.querySelectorAll('.margin-view-overlays .line-numbers')].find((e) => e.textContent.trim() === String(n));
    if (!number) return null;
    const top = number.parentElement.style.top;
    const line = [...editor.querySelectorAll('.view-lines .view-line')].find((l) => l.style.top === top);
    return line ? line.textContent.replace(/\u00a0/g, ' ') : null;
  }, n);
}
// The squiggles drawn on line `n` of the active editor: their classes.
function squigglesOn(n) {
  return page.evaluate((n) => {
    const editor = document.querySelector('.editor-group-container.active .monaco-editor');
    if (!editor) return [];
    const number = [...editor.querySelectorAll('.margin-view-overlays .line-numbers')].find((e) => e.textContent.trim() === String(n));
    if (!number) return [];
    const top = number.parentElement.style.top;
    return [...editor.querySelectorAll('.view-overlays > div')].filter((d) => d.style.top === top)
      .flatMap((d) => [...d.querySelectorAll('[class*="squiggly-"]')].map((s) => s.className));
  }, n);
}
const statusText = (id) => page.locator(`[id="${id}"]`).first().innerText({ timeout: 2000 }).then((t) => t.trim());
const activeTab = () => page.locator('.editor-group-container.active .tab.active').first().getAttribute('data-resource-name', { timeout: 2000 });
const problemRows = () => page.locator('.markers-panel .monaco-list-row').allInnerTexts();

async function quickInput(keys, text, rowText) {
  await page.keyboard.press(keys);
  const input = page.locator('.quick-input-widget input[type="text"], .quick-input-widget input:not([type])').first();
  await input.waitFor({ state: 'visible', timeout: 10000 });
  if (text !== undefined) await page.keyboard.type(text, { delay: 10 });
  if (rowText !== undefined) {
    await page.locator('.quick-input-list .monaco-list-row', { hasText: rowText }).first().waitFor({ timeout: 15000 });
  }
  await page.keyboard.press('Enter');
}
async function openFile(name) {
  await page.keyboard.press('Control+P');
  await page.locator('.quick-input-widget input').first().waitFor({ state: 'visible', timeout: 10000 });
  await page.keyboard.type(name, { delay: 10 });
  // The row of that very name, chosen with the keyboard (the list may put
  // others above it, and redraws itself while results come in).
  const focusedName = () => page.locator('.quick-input-list .monaco-list-row.focused .label-name').first()
    .textContent({ timeout: 1000 }).then((t) => t.trim());
  await waitFor(`${name} chosen in the quick open list`, async () => {
    if ((await focusedName()) === name) return true;
    await page.keyboard.press('ArrowDown');
    return (await focusedName()) === name;
  }, 15000);
  await page.keyboard.press('Enter');
  // The pointer away from the tabs and their tooltips.
  await page.mouse.move(150, 700);
  await waitFor(`the tab of ${name}`, async () => (await activeTab()) === name, 20000);
}
async function goToLine(n) {
  await quickInput('Control+G', String(n));
  await waitFor(`line ${n} at the cursor`, async () => (await statusText('status.editor.selection')).startsWith(`Ln ${n},`), 10000);
}
// The frame of the route viewer's page, in the webview's nested iframes.
async function viewerFrame() {
  for (const frame of page.frames()) {
    if (frame.isDetached()) continue;
    try {
      if (await frame.locator('#goto').count() > 0) return frame;
    } catch { /* a frame going away */ }
  }
  return null;
}

try {
  // --- Install the extension, make the sources -------------------------------
  await step('install the extension', async () => {
    const installed = runNode([codeServerEntry, '--user-data-dir', userData, '--extensions-dir', extensions, '--install-extension', vsix], 120000);
    check('code-server installs ' + path.basename(vsix), installed.status === 0 && /successfully installed/i.test(installed.out),
          installed.error ? installed.error.message : installed.out.trim());
  });
  const extensionDir = fs.readdirSync(extensions).map((n) => path.join(extensions, n)).find((d) => fs.existsSync(path.join(d, 'package.json')));
  const bundledServer = extensionDir && ['scenario-tool', 'scenario-tool.exe'].map((n) => path.join(extensionDir, 'server', n)).find((f) => fs.existsSync(f));
  if (!bundledServer) throw new Error(`the installed extension holds no server/scenario-tool under ${extensions}`);
  // The sources come from the extension's own server (also when --server
  // names another program: that one may refuse to start as a server).
  if (options.wine && !bundledServer.endsWith('.exe')) throw new Error(`--wine is for the win32-x64 package, and ${path.basename(vsix)} holds ${path.basename(bundledServer)}`);
  const made = spawnSync(options.wine ? wineServer : bundledServer, ['sources', folder], { encoding: 'utf8', timeout: 60000 });
  if (made.status !== 0) throw new Error('scenario-tool sources did not write the built-in sources: ' + (made.stderr || '') + (made.error ? made.error.message : ''));
  const lineName = fs.readdirSync(folder).find((n) => n.endsWith('_linea.txt'));
  const trainName = fs.readdirSync(folder).find((n) => n.endsWith('-.txt'));
  const trainFile = path.join(folder, trainName);
  const trainBytes = fs.readFileSync(trainFile);
  // The source's lines as 1252 text (all of 1252's letters below 0x100 but
  // for 0x80-0x9F, which the built-in sources do not use).
  const trainLines = trainBytes.toString('latin1').split(/\r\n|\n|\r/);
  const stationLines = trainLines.map((l, i) => (/^stazione\s*,/.test(l) ? i + 1 : 0)).filter((n) => n > 0);
  if (stationLines.length < 3) throw new Error(`${trainName} holds ${stationLines.length} lines 'stazione', too few for the test`);
  const mistakeLine = stationLines[0];
  const hoverLine = stationLines[1];
  const renamedLine = stationLines[stationLines.length - 2];
  const renamedName = trainLines[renamedLine - 1].split(',').pop().trim();

  // --- Start code-server and open the folder in Chromium ---------------------
  const port = await freePort();
  const logStream = fs.openSync(codeServerLog, 'w');
  codeServer = spawn(process.execPath, [codeServerEntry,
    '--config', path.join(scratch, 'config.yaml'), '--auth', 'none', '--bind-addr', `127.0.0.1:${port}`,
    '--disable-telemetry', '--disable-update-check', '--disable-workspace-trust', '--disable-getting-started-override',
    '--user-data-dir', userData, '--extensions-dir', extensions, folder],
  { detached: true, stdio: ['ignore', logStream, logStream], env: childEnv });
  // For run.sh, which ends the group should this script be killed.
  fs.writeFileSync(path.join(out, 'code-server.pid'), String(codeServer.pid));
  const base = `http://127.0.0.1:${port}`;
  await waitFor('code-server to answer on ' + base, async () => {
    if (codeServer.exitCode !== null) throw new Error(`code-server ended with status ${codeServer.exitCode}; see ${codeServerLog}`);
    const answer = await fetch(base + '/healthz', { signal: AbortSignal.timeout(2000) });
    return answer.ok;
  }, 60000);

  browser = await chromium.launch({
    executablePath: options.chromium,
    headless: true,
    timeout: 60000,
    args: ['--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--log-level=3'],
  });
  const context = await browser.newContext({ viewport: { width: 1600, height: 1000 } });
  context.setDefaultTimeout(15000);
  // Nothing leaves the machine: what code-server serves, and the page's own
  // data, only.
  const blocked = [];
  await context.route((url) => !(url.host === `127.0.0.1:${port}` || /^(data|blob):/.test(url.href) ||
                                 url.host.endsWith(`.127.0.0.1:${port}`)), (route) => {
    blocked.push(route.request().url());
    return route.abort();
  });
  page = await context.newPage();

  await step('open the folder', async () => {
    await page.goto(`${base}/?folder=${encodeURIComponent(folder)}`, { timeout: 60000 });
    await waitFor('the explorer to list both sources', async () => {
      const names = await page.locator('.explorer-folders-view .monaco-list-row').allInnerTexts();
      return names.some((n) => n.includes(lineName)) && names.some((n) => n.includes(trainName));
    }, 120000);
    check('the workbench shows the folder with both sources', true);
  });

  await step('line description: mode and encoding', async () => {
    await openFile(lineName);
    equal(`${lineName}: the language mode`, await settled(() => statusText('status.editor.mode'), 'Scenario line description'), 'Scenario line description');
    equal(`${lineName}: the encoding`, await settled(() => statusText('status.editor.encoding'), 'Windows 1252'), 'Windows 1252');
  });

  await step('train service: mode and encoding', async () => {
    await openFile(trainName);
    equal(`${trainName}: the language mode`, await settled(() => statusText('status.editor.mode'), 'Scenario train service'), 'Scenario train service');
    equal(`${trainName}: the encoding`, await settled(() => statusText('status.editor.encoding'), 'Windows 1252'), 'Windows 1252');
  });

  // --- An unsaved mistake ----------------------------------------------------
  await step('unsaved mistake: squiggle and Problems', async () => {
    if ((await activeTab().catch(() => '')) !== trainName) await openFile(trainName);
    await goToLine(mistakeLine);
    await page.keyboard.press('Home');
    for (let i = 0; i < 'stazione'.length; ++i) await page.keyboard.press('Shift+ArrowRight');
    await page.keyboard.type('stazone');
    equal(`line ${mistakeLine} reads as typed`, await settled(async () => ((await lineText(mistakeLine)) || '').slice(0, 8), 'stazone,', 5000), 'stazone,');
    const squiggles = await waitFor(`a squiggle on line ${mistakeLine}`, () => squigglesOn(mistakeLine).then((s) => (s.length ? s : null)), 30000)
      .catch((error) => error.message);
    check(`a squiggle marks the misspelt keyword on line ${mistakeLine}`, Array.isArray(squiggles), squiggles);
    await page.keyboard.press('Control+Shift+M');
    const row = await waitFor('a row in the Problems panel', async () =>
      (await problemRows()).find((r) => r.includes("did you mean 'stazione'")), 20000).catch((error) => error.message);
    check('the Problems panel has the mistake\'s row', typeof row === 'string' && row.includes("did you mean 'stazione'"), row);
    check(`the row names line ${mistakeLine}, column 1`, typeof row === 'string' && row.includes(`[Ln ${mistakeLine}, Col 1]`), row);
    check('the mistake was not saved: the file on disk is as it was', fs.readFileSync(trainFile).equals(trainBytes));
    check('and its tab says so', await page.locator('.editor-group-container.active .tab.active.dirty').count() === 1);
  });

  // --- Hover and completion --------------------------------------------------
  await step('hover on a keyword', async () => {
    // Back in the editor, on the keyword of the next station.
    await goToLine(hoverLine);
    await page.keyboard.press('Home');
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('Control+K');
    await page.keyboard.press('Control+I');
    const hover = await waitFor('a hover', async () => {
      // The editor's own hover, not a tooltip of the workbench.
      const texts = await page.locator('.editor-group-container.active .monaco-editor .monaco-hover:not(.workbench-hover)')
        .filter({ visible: true }).allInnerTexts();
      return texts.join('\n').trim();
    }, 20000).catch((error) => error.message);
    check('the hover of "stazione" comes from the server and names it', /^stazione\b/m.test(hover) && hover.length > 40, hover);
  });
  await page.keyboard.press('Escape').catch(() => {});

  await step('completion', async () => {
    await page.keyboard.press('Home');
    await page.keyboard.press('Control+Space');
    const labels = await waitFor('the completion list', async () => {
      const rows = await page.locator('.suggest-widget.visible .monaco-list-row .label-name').allInnerTexts();
      return rows.length ? rows : null;
    }, 20000).catch((error) => error.message);
    check('completion at the start of a line offers the keywords, "stazione" among them',
          Array.isArray(labels) && labels.includes('stazione'), labels);
  });
  await page.keyboard.press('Escape').catch(() => {});

  // --- The quick fix ---------------------------------------------------------
  await step('quick fix', async () => {
    await goToLine(mistakeLine);
    await page.keyboard.press('Home');
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('Control+Period');
    const fix = page.locator('.action-widget .monaco-list-row', { hasText: "Write 'stazione'" }).first();
    const offered = await fix.waitFor({ state: 'visible', timeout: 20000 }).then(() => true, async () =>
      'within 20 s the quick fixes offered: ' + JSON.stringify(await page.locator('.action-widget .monaco-list-row').allInnerTexts()));
    check('the quick fixes offer "Write \'stazione\'"', offered === true, offered);
    if (offered !== true) return;
    await snap('offered');
    await fix.click();
    await waitFor(`line ${mistakeLine} to read "stazione" again`, async () => ((await lineText(mistakeLine)) || '').startsWith('stazione,'), 10000);
    equal(`the fix writes line ${mistakeLine} back as it was`, await lineText(mistakeLine), trainLines[mistakeLine - 1]);
    const gone = await waitFor('the squiggle and the row to go', async () =>
      (await squigglesOn(mistakeLine)).length === 0 && !(await problemRows()).some((r) => r.includes('stazone')), 30000)
      .catch((error) => error.message);
    check('after the fix neither a squiggle nor a Problems row is left', gone === true, gone);
  });

  // --- The route viewer and its reveal of a line -----------------------------
  let frame = null;
  await step('route viewer beside the source', async () => {
    await quickInput('F1', 'Scenario: Show Route Viewer to the Side', 'Show Route Viewer to the Side');
    const name = lineName.slice(0, -'_linea.txt'.length);
    await waitFor('the viewer\'s tab', async () =>
      (await page.locator('.tab', { hasText: 'Route: ' + name }).count()) > 0, 20000);
    const groups = await page.locator('.editor-group-container').count();
    check('the viewer opens in a group of its own beside the source', groups === 2, `${groups} editor groups`);
    frame = await waitFor('the viewer\'s page in the webview', viewerFrame, 30000);
    const heading = await frame.locator('h1').innerText();
    check('the viewer shows the scenario of the sources', heading.includes(name), heading);
  });

  await step('reveal of a line from the viewer', async () => {
    if (!frame) throw new Error('no viewer');
    // Somewhere else first, so that the reveal has somewhere to go.
    await page.locator('.editor-group-container').first().click({ position: { x: 300, y: 200 } });
    await goToLine(1);
    await frame.locator('#goto').fill(renamedName);
    await frame.locator('#goto').press('Enter');
    const row = frame.locator('tr.to-source[data-keyword="stazione"]').first();
    await row.waitFor({ state: 'visible', timeout: 15000 });
    const said = (await row.locator('td.line').innerText()).trim();
    equal(`the detail panel of ${renamedName} names its line`, said, `${trainName}:${renamedLine}`);
    await row.click();
    const selection = await waitFor('the editor to select the line', async () => {
      const text = await statusText('status.editor.selection');
      return text.startsWith(`Ln ${renamedLine},`) ? text : null;
    }, 15000).catch((error) => error.message);
    const length = trainLines[renamedLine - 1].length;
    equal(`a click on the row selects line ${renamedLine} of ${trainName}`, selection, `Ln ${renamedLine}, Col ${length + 1} (${length} selected)`);
    equal('in the source\'s own editor', await activeTab().catch(() => ''), trainName);
  });

  // --- An accented name saved as Windows-1252 --------------------------------
  await step('accented name saved as Windows-1252', async () => {
    await page.locator('.editor-group-container').first().click({ position: { x: 300, y: 200 } });
    await goToLine(renamedLine);
    await page.keyboard.press('End');
    for (let i = 0; i < renamedName.length; ++i) await page.keyboard.press('Shift+ArrowLeft');
    await page.keyboard.type('CITTÀ');
    await page.keyboard.press('Control+S');
    await waitFor('the tab to be saved', async () => (await page.locator('.editor-group-container.active .tab.active.dirty').count()) === 0, 15000);
    const saved = fs.readFileSync(trainFile);
    const expected = Buffer.from(trainBytes.toString('latin1').replace(new RegExp(renamedName + '(\\r?\\n)'), 'CITT\u00C0$1'), 'latin1');
    const at = saved.indexOf(Buffer.from('CITT', 'latin1'));
    equal('the name is saved as CITT and the one byte 0xC0', at >= 0 ? saved.subarray(at, at + 6).toString('hex') : 'no CITT',
          Buffer.from('CITT\u00C0', 'latin1').toString('hex') + saved.subarray(at + 5, at + 6).toString('hex'));
    check('and the rest of the file is byte for byte as it was (the fixed mistake too)', saved.equals(expected),
          `${saved.length} bytes saved, ${expected.length} expected`);
  });

  await step('the viewer made again after the save', async () => {
    if (!frame) throw new Error('no viewer');
    const found = await waitFor('CITTÀ in the viewer made again', async () => {
      const now = await viewerFrame();
      if (!now) return null;
      await now.locator('#goto').fill('CITTÀ', { timeout: 2000 });
      await now.locator('#goto').press('Enter', { timeout: 2000 });
      const text = await now.locator('#details').innerText({ timeout: 2000 });
      return text.includes('CITTÀ') ? text : null;
    }, 20000).catch((error) => error.message);
    check('the viewer, made again on save, finds the station CITTÀ', typeof found === 'string' && found.includes('CITTÀ'), found);
  });

  // --- The language server's process ----------------------------------------
  const servers = fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p)).map((p) => {
    try { return fs.readFileSync(`/proc/${p}/cmdline`, 'utf8').split('\0').filter(Boolean); } catch { return []; }
  }).filter((args) => {
    // The program and its first argument; under Wine, with a Windows path.
    const at = args.findIndex((a, i) => /(^|[\\/])scenario-tool(\.exe)?$/i.test(a) && args[i + 1] === 'lsp');
    return at >= 0 && (options.server ? args[at] === path.resolve(options.server) : args[at].includes(path.basename(scratch)));
  });
  // vscode-languageclient adds --stdio to a program's arguments (and
  // --clientProcessId only to a Node.js module's).
  check('one language server runs, started by the client as "scenario-tool lsp --stdio"',
        servers.length === 1 && JSON.stringify(servers[0].slice(-2)) === '["lsp","--stdio"]', JSON.stringify(servers));
  if (blocked.length) console.log(`(${blocked.length} requests outside code-server were blocked, the first: ${blocked[0]})`);
} catch (error) {
  check('the workbench test ran to its end', false, error.message);
} finally {
  await cleanUp();
}
finish();
