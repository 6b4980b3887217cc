// The client of scenario-tool's language server: it starts the server that
// comes with the extension (or the one the setting names) for the two
// languages, and leaves the rest to the server. The same program makes the
// route viewer shown beside a source (route_viewer.js).
const path = require('path');
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');
const { registerRouteViewer } = require('./route_viewer');

let client;

function serverPath(context) {
  const configured = vscode.workspace.getConfiguration('scenarioSources').get('serverPath');
  if (configured) return configured;
  const program = process.platform === 'win32' ? 'scenario-tool.exe' : 'scenario-tool';
  return context.asAbsolutePath(path.join('server', program));
}

function activate(context) {
  registerRouteViewer(context, () => serverPath(context));
  const command = serverPath(context);
  const serverOptions = { command, args: ['lsp'], transport: TransportKind.stdio };
  const clientOptions = {
    documentSelector: [
      { scheme: 'file', language: 'scenario-line' },
      { scheme: 'file', language: 'scenario-train' },
    ],
  };
  client = new LanguageClient('scenarioSources', 'Scenario sources', serverOptions, clientOptions);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
