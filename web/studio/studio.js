// The scenario studio: the two sources of a scenario in two editors, checked
// as they are typed by the project's language server (in a worker, on the
// scenario compiler's WebAssembly module), the route viewer beside them, and
// the sources opened, saved and compiled as files on the author's disk.
// Bundled by esbuild (web/studio/build_studio.mjs) into one script of the
// page; the worker's text stands in the page beside it.
import {EditorState} from '@codemirror/state';
import {EditorView, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter, drawSelection,
  ViewPlugin} from '@codemirror/view';
import {defaultKeymap, history, historyKeymap} from '@codemirror/commands';
import {searchKeymap, highlightSelectionMatches} from '@codemirror/search';
import {completionKeymap} from '@codemirror/autocomplete';
import {setDiagnostics, lintGutter, lintKeymap, openLintPanel} from '@codemirror/lint';
import {LSPClient, LSPPlugin, serverCompletion, hoverTooltips, signatureHelp} from '@codemirror/lsp-client';
import {windows1252Text, windows1252Bytes, lineEndOf} from './windows1252.js';
import {zipStored} from './zip_stored.js';

const ROOT = 'file:///studio/';
const uriOf = (name) => ROOT + encodeURIComponent(name);
const $ = (id) => document.getElementById(id);
const status = $('status');
// Figures for the browser test and for authors who want to know.
const timings = {ready: null, checks: [], viewer: [], viewerParts: []};

function say(text, error = false) {
  status.textContent = text;
  status.classList.toggle('error', error);
}

// --- The workers: the module twice, its language server in one ---------
// The language server has a worker of its own, so that a check never waits
// for the viewer's page, a compile or a new scenario, made in the other.
const workerSource = URL.createObjectURL(new Blob([$('studio-worker').textContent], {type: 'text/javascript'}));
function startWorker(onLsp) {
  const worker = new Worker(workerSource);
  const pending = new Map();
  let nextCall = 1;
  let ready;
  const started = new Promise((resolve) => { ready = resolve; });
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.lsp !== undefined) {
      onLsp(message.lsp);
    } else if (message.id !== undefined) {
      const waiting = pending.get(message.id);
      pending.delete(message.id);
      if (message.error !== undefined) waiting.reject(new Error(message.error));
      else waiting.resolve(message.result);
    } else if (message.ready) {
      ready();
    } else if (message.failed) {
      say(message.failed, true);
    } else if (message.log) {
      console.warn('scenario compiler: ' + message.log);
    }
  };
  worker.onerror = (event) => say('the studio\'s worker failed: ' + event.message, true);
  return {
    worker,
    started,
    call(name, args) {
      const id = nextCall++;
      return new Promise((resolve, reject) => {
        pending.set(id, {resolve, reject});
        worker.postMessage({id, call: name, args});
      });
    },
  };
}
const lspHandlers = new Set();
const serverWorker = startWorker((text) => { for (const handler of lspHandlers) handler(text); });
const toolWorker = startWorker(() => {});
const call = toolWorker.call;
const transport = {
  send(message) { serverWorker.worker.postMessage({lsp: message}); },
  subscribe(handler) { lspHandlers.add(handler); },
  unsubscribe(handler) { lspHandlers.delete(handler); },
};

// --- The two sources ------------------------------------------------------
// Each: {role, name, lineEnd, view, uri}; the line description first.
let sources = [];
let active = 0;
const roles = ['line description', 'train service'];

// Diagnostics as the server publishes them, with its quick fixes as the
// diagnostics' actions (asked for each diagnostic once it is shown).
function toSeverity(severity) {
  return severity === 1 ? 'error' : severity === 2 ? 'warning' : severity === 3 ? 'info' : 'hint';
}
function applyEdits(view, edits) {
  const plugin = LSPPlugin.get(view);
  if (!plugin) return;
  const changes = edits.map((edit) => ({
    from: plugin.unsyncedChanges.mapPos(plugin.fromPosition(edit.range.start, plugin.syncedDoc)),
    to: plugin.unsyncedChanges.mapPos(plugin.fromPosition(edit.range.end, plugin.syncedDoc)),
    insert: edit.newText,
  }));
  view.dispatch({changes, userEvent: 'input.quickfix'});
}
async function withQuickFixes(client, view, uri, items, shown) {
  const fixes = await Promise.all(items.map((item) => client.request('textDocument/codeAction', {
    textDocument: {uri}, range: item.range, context: {diagnostics: [item], only: ['quickfix']},
  }).catch(() => [])));
  if (!fixes.some((list) => list && list.length > 0)) return;
  const plugin = LSPPlugin.get(view);
  if (!plugin || view.state.doc !== shown) return;  // edited since: the next check brings its own
  view.dispatch(setDiagnostics(view.state, items.map((item, i) => ({
    ...diagnosticOf(plugin, item),
    actions: (fixes[i] || []).filter((action) => action.edit && action.edit.changes && action.edit.changes[uri])
        .map((action) => ({name: action.title, apply: (v) => applyEdits(v, action.edit.changes[uri])})),
  }))));
}
function diagnosticOf(plugin, item) {
  return {
    from: plugin.unsyncedChanges.mapPos(plugin.fromPosition(item.range.start, plugin.syncedDoc)),
    to: plugin.unsyncedChanges.mapPos(plugin.fromPosition(item.range.end, plugin.syncedDoc)),
    severity: toSeverity(item.severity ?? 1),
    message: item.message,
  };
}
const diagnosticsWithFixes = {
  clientCapabilities: {textDocument: {publishDiagnostics: {versionSupport: true},
    codeAction: {codeActionLiteralSupport: {codeActionKind: {valueSet: ['quickfix']}}}}},
  notificationHandlers: {
    'textDocument/publishDiagnostics': (client, params) => {
      const file = client.workspace.getFile(params.uri);
      if (!file || (params.version != null && params.version !== file.version)) return false;
      const view = file.getView();
      const plugin = view && LSPPlugin.get(view);
      if (!plugin) return false;
      view.dispatch(setDiagnostics(view.state, params.diagnostics.map((item) => diagnosticOf(plugin, item))));
      const source = sources.find((s) => s.view === view);
      if (source) checked(source, params.diagnostics);
      if (params.diagnostics.length > 0) withQuickFixes(client, view, params.uri, params.diagnostics, view.state.doc);
      return true;
    },
  },
};
// Every edit goes to the server at once; the worker checks once a burst of
// messages has been read.
// The viewer's page is asked for at once too, in the other worker, so that
// it is drawn about when the diagnostics come.
const syncAtOnce = ViewPlugin.fromClass(class {
  update(update) {
    if (!update.docChanged) return;
    const plugin = LSPPlugin.get(update.view);
    if (plugin) {
      edit = {at: performance.now(), diagnosed: null, drawn: null};
      plugin.client.sync();
      refreshViewer();
    }
  }
});
// The last edit: when it was made, its diagnostics came and the viewer
// showed it (for the timings).
let edit = null;
function timeEdit(part) {
  if (!edit || edit[part] !== null) return;
  edit[part] = performance.now();
  if (part === 'diagnosed') timings.checks.push(edit.diagnosed - edit.at);
  if (edit.diagnosed !== null && edit.drawn !== null) timings.viewer.push(Math.max(0, edit.drawn - edit.diagnosed));
}

const client = new LSPClient({
  rootUri: ROOT,
  timeout: 10000,
  extensions: [diagnosticsWithFixes, serverCompletion(), hoverTooltips(), signatureHelp()],
}).connect(transport);

function editorOf(source, text) {
  source.box = document.createElement('div');
  source.box.className = 'source-editor';
  $('editors').append(source.box);
  return new EditorView({
    parent: source.box,
    state: EditorState.create({
      doc: text,
      extensions: [
        EditorState.lineSeparator.of(source.lineEnd),
        lineNumbers(), highlightActiveLineGutter(), highlightActiveLine(), drawSelection(), history(),
        highlightSelectionMatches(), lintGutter(),
        keymap.of([...defaultKeymap, ...historyKeymap, ...searchKeymap, ...completionKeymap, ...lintKeymap]),
        client.plugin(source.uri, source.role === roles[0] ? 'scenario-line' : 'scenario-train'),
        syncAtOnce,
        EditorView.contentAttributes.of({'aria-label': source.role + ' ' + source.name}),
      ],
    }),
  });
}

// Opens a pair: [{name, bytes}] with the line description first.
function openPair(files, origin) {
  for (const source of sources) {
    source.view.destroy();
    source.box.remove();
  }
  sources = files.map((file, i) => {
    const text = windows1252Text(file.bytes);
    const source = {role: roles[i], name: file.name, lineEnd: lineEndOf(text), uri: uriOf(file.name)};
    source.view = editorOf(source, text);
    return source;
  });
  const tabs = $('tabs');
  tabs.replaceChildren(...sources.map((source, i) => {
    const tab = document.createElement('button');
    tab.type = 'button';
    tab.setAttribute('role', 'tab');
    tab.id = 'tab-' + i;
    tab.textContent = source.name;
    tab.title = 'The ' + source.role + ', ' + source.name;
    tab.addEventListener('click', () => show(i));
    return tab;
  }));
  $('save-line').textContent = 'Save ' + sources[0].name;
  $('save-train').textContent = 'Save ' + sources[1].name;
  document.title = sources[0].name + ' and ' + sources[1].name + ': scenario studio';
  keptPlace = null;
  edit = null;
  show(0);
  refreshViewer();
  say('Opened ' + origin + ': ' + sources[0].name + ' and ' + sources[1].name + '.');
}
function show(i) {
  active = i;
  sources.forEach((source, j) => {
    source.box.hidden = j !== i;
    const tab = $('tab-' + j);
    tab.setAttribute('aria-selected', String(j === i));
    tab.tabIndex = j === i ? 0 : -1;
  });
  $('editors').setAttribute('aria-labelledby', 'tab-' + i);
  sources[i].view.requestMeasure();
  refreshOutline();
}
function reveal(source, line) {
  const i = sources.indexOf(source);
  if (i < 0) return;
  show(i);
  const view = source.view;
  const at = view.state.doc.line(Math.max(1, Math.min(line, view.state.doc.lines)));
  view.dispatch({selection: {anchor: at.from, head: at.to}, effects: EditorView.scrollIntoView(at.from, {y: 'center'})});
  view.focus();
}

// The bytes of a source as it would be saved, or an error that names the
// place of the first letter Windows-1252 cannot hold.
function bytesOf(source) {
  return windows1252Bytes(source.view.state.sliceDoc(0), source.name);
}
function request() {
  return {
    lineDescription: {name: sources[0].name, bytes: bytesOf(sources[0])},
    trainService: {name: sources[1].name, bytes: bytesOf(sources[1])},
  };
}

// --- After each check: the outline and the viewer --------------------------
function checked(source, diagnostics) {
  timeEdit('diagnosed');
  if (timings.ready === null) {
    timings.ready = performance.now();
    performance.mark('studio-ready');
  }
  const errors = diagnostics.filter((d) => d.severity === 1).length;
  source.problems = diagnostics.length;
  $('tab-' + sources.indexOf(source)).dataset.problems = errors > 0 ? 'error' : diagnostics.length > 0 ? 'warning' : '';
  refreshOutline();
}

let outlineAsked = 0;
async function refreshOutline() {
  const source = sources[active];
  if (!source) return;
  const asked = ++outlineAsked;
  client.sync();
  let symbols;
  try {
    symbols = await client.request('textDocument/documentSymbol', {textDocument: {uri: source.uri}});
  } catch (error) {
    return;
  }
  if (asked !== outlineAsked || sources[active] !== source) return;
  const list = (items) => {
    const ul = document.createElement('ul');
    for (const symbol of items || []) {
      const li = document.createElement('li');
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = symbol.name + (symbol.detail ? ' ' + symbol.detail : '');
      const range = symbol.selectionRange || symbol.range || (symbol.location && symbol.location.range);
      button.addEventListener('click', () => reveal(source, range.start.line + 1));
      li.append(button);
      if (symbol.children && symbol.children.length) li.append(list(symbol.children));
      ul.append(li);
    }
    return ul;
  };
  $('outline-list').replaceChildren(list(symbols));
}

// The viewer: the route viewer's own page of the sources, as
// `scenario-tool view` makes it, in a frame. It keeps its place through the
// host it finds in its frame (the studio stands in for the editor the page
// also runs in): the place it last told is handed to the next page. Two
// frames take turns, so that the one shown stays until the next has drawn.
let keptPlace = null;
let viewerBusy = false;
let viewerWanted = false;
let frameTurn = 0;
const frames = [$('viewer-a'), $('viewer-b')];
function hostScript() {
  const kept = JSON.stringify(keptPlace ? {fragment: keptPlace} : null).replace(/</g, '\\u003c');
  return '<script>window.acquireVsCodeApi = function () { var kept = ' + kept + ';' +
    ' return { getState: function () { return kept; },' +
    ' setState: function (state) { kept = state; parent.postMessage({viewer: "state", state: state}, "*"); },' +
    ' postMessage: function (message) { parent.postMessage({viewer: "message", message: message}, "*"); } }; };' +
    // The page marks its first picture of the strips: the studio shows it
    // then, told at once (an observer of marks would be told later).
    ' var mark = performance.mark.bind(performance);' +
    ' performance.mark = function (name) { var entry = mark.apply(null, arguments);' +
    ' if (name === "viewer-first-picture") parent.postMessage({viewer: "drawn"}, "*"); return entry; };' +
    '</' + 'script>';
}
async function refreshViewer() {
  if (viewerBusy) { viewerWanted = true; return; }
  viewerBusy = true;
  viewerWanted = false;
  const shows = edit;
  try {
    let asked;
    try {
      asked = request();
    } catch (error) {
      $('viewer-note').textContent = error.message;
      return;
    }
    const askedAt = performance.now();
    const {report, page} = await call('viewPage', asked);
    if (page === null) {
      $('viewer-note').textContent = 'The route viewer shows the last route that compiled: ' +
        (report.refusal || report.message || 'this one stopped') + '.';
      return;
    }
    $('viewer-note').textContent = '';
    // A page of texts edited since is not shown: the next one is made at once.
    if (viewerWanted) return;
    const madeAt = performance.now();
    const frame = frames[frameTurn];
    frameTurn = 1 - frameTurn;
    const drawn = new Promise((resolve) => { frame.onDrawn = resolve; });
    frame.srcdoc = page.replace('<head>', '<head>' + hostScript());
    await drawn;
    for (const f of frames) {
      f.classList.toggle('shown', f === frame);
      f.setAttribute('aria-hidden', String(f !== frame));
      f.tabIndex = f === frame ? 0 : -1;
    }
    timings.viewerParts.push({page: madeAt - askedAt, frame: performance.now() - madeAt});
    if (shows === edit) timeEdit('drawn');
    performance.mark('viewer-redrawn');
  } catch (error) {
    $('viewer-note').textContent = 'The route viewer could not be drawn: ' + error.message;
  } finally {
    viewerBusy = false;
    if (viewerWanted) refreshViewer();
  }
}
window.addEventListener('message', (event) => {
  const frame = frames.find((f) => f.contentWindow === event.source);
  if (!frame || !event.data || typeof event.data !== 'object') return;
  if (event.data.viewer === 'drawn' && frame.onDrawn) {
    frame.onDrawn();
    frame.onDrawn = null;
  } else if (event.data.viewer === 'state' && frame.classList.contains('shown') && event.data.state) {
    keptPlace = event.data.state.fragment;
  } else if (event.data.viewer === 'message') {
    const message = event.data.message;
    if (message && message.type === 'reveal' && Number.isInteger(message.line) && message.line >= 1) {
      const name = String(message.file).replace(/^.*[\\/]/, '');
      const source = sources.find((s) => s.name === name);
      if (source) reveal(source, message.line);
    }
  }
});

// --- Opening, saving, compiling --------------------------------------------
const isLineDescription = (name) => /_linea\.txt$/i.test(name);
async function openFiles(fileList) {
  const files = Array.from(fileList);
  const txt = files.filter((f) => /\.txt$/i.test(f.name));
  const line = txt.filter((f) => isLineDescription(f.name));
  const train = txt.filter((f) => !isLineDescription(f.name));
  if (line.length !== 1 || train.length !== 1) {
    say('Open the two sources of one scenario together: its line description (NAME_linea.txt) and its ' +
        'train service (NAME_NUMBER-.txt); ' + (files.length === 0 ? 'no file was given' :
        'given: ' + files.map((f) => f.name).join(', ')) + '.', true);
    return;
  }
  const read = async (file) => ({name: file.name, bytes: new Uint8Array(await file.arrayBuffer())});
  openPair([await read(line[0]), await read(train[0])], 'from disk');
}
function download(name, bytes, type) {
  const url = URL.createObjectURL(new Blob([bytes], {type}));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}
function save(i) {
  const source = sources[i];
  try {
    download(source.name, bytesOf(source), 'text/plain');
    say('Saved ' + source.name + ' as Windows-1252.');
  } catch (error) {
    reveal(source, error.line || 1);
    say(error.message, true);
  }
}
async function compile() {
  let asked;
  try {
    asked = request();
  } catch (error) {
    say(error.message, true);
    return;
  }
  const {report, files} = await call('compileSources', asked);
  if (files.length === 0) {
    say('Nothing compiled: ' + (report.refusal || report.message || report.outcome) + '.', true);
    return;
  }
  const stem = sources[1].name.replace(/-?\.txt$/i, '');
  download(stem + '.zip', zipStored(files, new Date()), 'application/zip');
  say('Compiled ' + files.map((f) => f.name).join(', ') + ' into ' + stem + '.zip' +
      (report.outcome === 'error' ? '; the compile recorded ' + (report.message || 'an error') : '') + '.',
      report.outcome !== 'compiled');
}
async function startNew(event) {
  event.preventDefault();
  try {
    const files = await call('newScenarioSources', {
      lineName: $('new-line').value, trainNumber: $('new-train').value, length: $('new-length').value,
    });
    $('new-dialog').close();
    openPair(files, 'new');
  } catch (error) {
    $('new-error').textContent = error.message;
  }
}

$('open-input').addEventListener('change', (event) => { openFiles(event.target.files); event.target.value = ''; });
$('open').addEventListener('click', () => $('open-input').click());
$('built-in').addEventListener('click', async () => openPair(await call('builtInSources'), 'the built-in scenario'));
$('new').addEventListener('click', () => { $('new-error').textContent = ''; $('new-dialog').showModal(); });
$('new-form').addEventListener('submit', startNew);
$('new-cancel').addEventListener('click', () => $('new-dialog').close());
$('save-line').addEventListener('click', () => save(0));
$('save-train').addEventListener('click', () => save(1));
$('compile').addEventListener('click', compile);
$('problems').addEventListener('click', () => openLintPanel(sources[active].view));
document.addEventListener('dragover', (event) => { event.preventDefault(); document.body.classList.add('dropping'); });
document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dropping');
  openFiles(event.dataTransfer.files);
});
$('tabs').addEventListener('keydown', (event) => {
  if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
    show(1 - active);
    $('tab-' + active).focus();
  }
});

// For tests and measurements.
window.studio = {
  timings,
  get sources() { return sources.map((s) => ({name: s.name, text: s.view.state.sliceDoc(0)})); },
  view: (i) => sources[i].view,
  reveal: (i, line) => reveal(sources[i], line),
  // No viewer's page being made or wanted.
  get viewerIdle() { return !viewerBusy && !viewerWanted; },
  show,
};

toolWorker.started.then(async () => {
  openPair(await call('builtInSources'), 'the built-in scenario');
}).catch((error) => say(error.message, true));
