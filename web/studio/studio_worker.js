// The studio's worker: the scenario compiler's module and its language
// server, off the page's thread. The page builds this worker from a Blob of
// its own text: the module's glue (createScenarioCompiler), the module's
// wasm as base64 (kModuleBase64), then this file.
//
// Messages in: {lsp: TEXT}, one message for the language server; or
// {id, call, args}, a call of the module (see `calls`). Messages out:
// {lsp: TEXT}, what the server sent; {id, result} or {id, error}; {ready}
// once the module runs, or {failed: TEXT} when it cannot start.
'use strict';

// The module's bytes, decoded with a plain loop: no fetch, no data: URL.
function decodeBase64(text) {
  const alphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
  const value = new Int16Array(128).fill(-1);
  for (let i = 0; i < alphabet.length; ++i) value[alphabet.charCodeAt(i)] = i;
  let length = text.length;
  while (length > 0 && text[length - 1] === '=') --length;
  const bytes = new Uint8Array(Math.floor(length * 3 / 4));
  let bits = 0, count = 0, at = 0;
  for (let i = 0; i < length; ++i) {
    const code = text.charCodeAt(i);
    const v = code < 128 ? value[code] : -1;
    if (v < 0) throw new Error('the module\'s base64 holds a stray character at ' + i);
    bits = (bits << 6) | v;
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes[at++] = (bits >> count) & 0xff;
    }
  }
  return bytes;
}

let compiler = null;
let server = null;
const waiting = [];
let checkQueued = false;

function sendAll(messages) {
  for (const message of messages) postMessage({lsp: JSON.stringify(message)});
}

// The checks that edits made due run once no message waits: a burst of
// keystrokes is checked once, after its last edit. A request that comes
// while a check is due (the completion a keystroke asks for) is answered
// after the check, so that the diagnostics come first.
function check() {
  checkQueued = false;
  sendAll(server.checkPending());
}
function queueCheck() {
  if (checkQueued || !server.hasPendingWork()) return;
  checkQueued = true;
  setTimeout(() => {
    if (checkQueued) check();
    queueCheck();
  }, 0);
}

const calls = {
  builtInSources: () => compiler.builtInSources(),
  newScenarioSources: (args) => compiler.newScenarioSources(args),
  compileSources: (args) => compiler.compileSources(args),
  viewPage: (args) => compiler.viewPage(args),
};

function handle(message) {
  if (message.lsp !== undefined) {
    if (checkQueued && JSON.parse(message.lsp).id !== undefined) check();
    sendAll(server.receive(message.lsp));
    queueCheck();
    return;
  }
  const call = calls[message.call];
  try {
    if (!call) throw new Error('the studio\'s worker has no call \'' + message.call + '\'');
    postMessage({id: message.id, result: call(message.args)});
  } catch (error) {
    postMessage({id: message.id, error: error && error.message ? error.message : String(error)});
  }
}

onmessage = (event) => {
  if (server) handle(event.data);
  else waiting.push(event.data);
};

createScenarioCompiler({
  wasmBinary: decodeBase64(kModuleBase64),
  print: () => {},
  printErr: (text) => postMessage({log: text}),
}).then((module) => {
  compiler = module;
  server = module.createLanguageServer();
  postMessage({ready: true});
  for (const message of waiting.splice(0)) handle(message);
}, (error) => {
  postMessage({failed: 'the scenario compiler\'s module did not start: ' + (error && error.message ? error.message : error)});
});
