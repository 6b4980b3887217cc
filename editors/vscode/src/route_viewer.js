// The route viewer beside a source: the page `scenario-tool view` makes of
// the two sources of the scenario, in a webview panel. It is made again when
// either source is saved, and a row of the sources in it opens the line that
// wrote it. The page itself keeps its place across a redraw.
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFile } = require('child_process');
const vscode = require('vscode');

const LINE_ENDING = '_linea.txt';
const TRAIN_ENDING = '-.txt';

// The line name in a train service's file name NAME_NUMBER-.txt.
function lineNameOfTrain(file) {
  const stem = path.basename(file).slice(0, -TRAIN_ENDING.length);
  const underscore = stem.lastIndexOf('_');
  return underscore > 0 && underscore + 1 < stem.length ? stem.slice(0, underscore) : '';
}

// Whether `name` ends in `ending`, and whether two line names are one; on
// Windows, whose file names ignore case, in either case of their letters.
function endsWith(name, ending, ignoreCase) {
  return ignoreCase ? name.toLowerCase().endsWith(ending.toLowerCase()) : name.endsWith(ending);
}
function sameName(a, b, ignoreCase) {
  return ignoreCase ? a.toLowerCase() === b.toLowerCase() : a === b;
}

// The two sources of the scenario `file` belongs to, paired as the language
// server pairs them: a train service goes with NAME_linea.txt beside it; a
// line description with an open train service of its line, or else the
// first one beside it. Throws an Error that says what is missing.
function pairOf(file, openFiles, ignoreCase = process.platform === 'win32') {
  const dir = path.dirname(file);
  const base = path.basename(file);
  if (endsWith(base, LINE_ENDING, ignoreCase)) {
    const name = base.slice(0, -LINE_ENDING.length);
    const ofLine = (f) =>
      path.dirname(f) === dir && endsWith(f, TRAIN_ENDING, ignoreCase) && sameName(lineNameOfTrain(f), name, ignoreCase);
    const open = openFiles.find(ofLine);
    if (open) return { line: file, train: open };
    const beside = fs.readdirSync(dir).sort().map((n) => path.join(dir, n)).find(ofLine);
    if (!beside) throw new Error(`no train service of the line '${name}' (${name}_NUMBER-.txt) lies beside ${base}`);
    return { line: file, train: beside };
  }
  if (endsWith(base, TRAIN_ENDING, ignoreCase)) {
    const name = lineNameOfTrain(file);
    if (!name) throw new Error(`${base} does not name its line: a train service is called LINE_NUMBER-.txt`);
    const ofTrain = (f) =>
      path.dirname(f) === dir && endsWith(f, LINE_ENDING, ignoreCase) &&
      sameName(path.basename(f).slice(0, -LINE_ENDING.length), name, ignoreCase);
    const line =
      openFiles.find(ofTrain) ||
      (ignoreCase ? fs.readdirSync(dir).sort().map((n) => path.join(dir, n)).find(ofTrain) : undefined) ||
      path.join(dir, name + LINE_ENDING);
    if (!fs.existsSync(line)) throw new Error(`the line description ${name}${LINE_ENDING} of ${base} is not beside it`);
    return { line, train: file };
  }
  throw new Error(`${base} is no scenario source: a line description ends in ${LINE_ENDING}, a train service in ${TRAIN_ENDING}`);
}

// Runs `server view LINE TRAIN -o PAGE`. Resolves to {status, err}.
function runView(server, pair, page) {
  return new Promise((resolve) => {
    execFile(server, ['view', pair.line, pair.train, '-o', page], { maxBuffer: 16 << 20 }, (error, stdout, stderr) => {
      const status = error ? (typeof error.code === 'number' ? error.code : -1) : 0;
      resolve({ status, err: stderr || (error && typeof error.code !== 'number' ? error.message : '') });
    });
  });
}

class RouteViewer {
  constructor(server, pair, sourceColumn, onDispose) {
    this.server = server;
    this.pair = pair;
    this.sourceColumn = sourceColumn;
    this.directory = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-view-'));
    this.rendering = Promise.resolve();
    this.panel = vscode.window.createWebviewPanel(
      'scenarioRouteViewer',
      'Route: ' + path.basename(pair.line, LINE_ENDING),
      { viewColumn: vscode.ViewColumn.Beside, preserveFocus: true },
      { enableScripts: true, localResourceRoots: [] });
    this.panel.webview.onDidReceiveMessage((message) => this.reveal(message));
    this.panel.onDidDispose(() => {
      fs.rmSync(this.directory, { recursive: true, force: true });
      onDispose(this);
    });
  }

  holds(file) { return file === this.pair.line || file === this.pair.train; }

  // Makes the page again, one run after another.
  render() {
    this.rendering = this.rendering.then(() => this.renderOnce());
    return this.rendering;
  }

  async renderOnce() {
    const page = path.join(this.directory, 'view.html');
    fs.rmSync(page, { force: true });
    const run = await runView(this.server, this.pair, page);
    const said = run.err.trim().split(/\r?\n/).slice(0, 6).join('\n');
    if (!fs.existsSync(page)) {
      vscode.window.showErrorMessage(`The route viewer of ${path.basename(this.pair.train)} was not made: ${said}`);
      return;
    }
    this.panel.webview.html = fs.readFileSync(page, 'utf8');
    if (run.status !== 0) vscode.window.showWarningMessage(`The route viewer shows what was compiled before an error: ${said}`);
  }

  // {type: 'reveal', file, line}: one of the two sources, a line from 1.
  async reveal(message) {
    if (!message || message.type !== 'reveal' || !this.holds(message.file) || !Number.isInteger(message.line) || message.line < 1) return;
    const document = await vscode.workspace.openTextDocument(vscode.Uri.file(message.file));
    const line = Math.min(message.line, document.lineCount) - 1;
    const range = new vscode.Range(line, 0, line, document.lineAt(line).text.length);
    const editor = await vscode.window.showTextDocument(document, { viewColumn: this.sourceColumn, selection: range });
    editor.revealRange(range, vscode.TextEditorRevealType.InCenterIfOutsideViewport);
  }
}

// Registers the command and the redraw on save. `serverPath` gives the
// program to run.
function registerRouteViewer(context, serverPath) {
  const viewers = new Set();
  context.subscriptions.push(vscode.commands.registerCommand('scenarioSources.showRouteViewer', (uri) => {
    const editor = vscode.window.activeTextEditor;
    const file = uri && uri.fsPath ? uri.fsPath : editor && editor.document.uri.fsPath;
    if (!file) {
      vscode.window.showErrorMessage('Open a line description or a train service to see its route.');
      return undefined;
    }
    let pair;
    try {
      pair = pairOf(file, vscode.workspace.textDocuments.map((d) => d.uri.fsPath));
    } catch (error) {
      vscode.window.showErrorMessage('No route viewer: ' + error.message);
      return undefined;
    }
    for (const viewer of viewers) {
      if (viewer.pair.line === pair.line && viewer.pair.train === pair.train) {
        viewer.panel.reveal(vscode.ViewColumn.Beside, true);
        return viewer.rendering;
      }
    }
    const column = editor && editor.viewColumn ? editor.viewColumn : vscode.ViewColumn.One;
    const viewer = new RouteViewer(serverPath(), pair, column, (gone) => viewers.delete(gone));
    viewers.add(viewer);
    return viewer.render();
  }));
  context.subscriptions.push(vscode.workspace.onDidSaveTextDocument((document) =>
    Promise.all([...viewers].filter((v) => v.holds(document.uri.fsPath)).map((v) => v.render()))));
}

module.exports = { registerRouteViewer, pairOf };
