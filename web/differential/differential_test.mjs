// The compiler in WebAssembly against the native one: made-up scenarios of
// both generators (tests/made_up_sources writes their sources) compiled by
// the native `scenario-tool compile --json` and by the web module in Node,
// each as made and once more with one line damaged; outcome, every field of
// the report (errors, notes, warnings) and the compiled files' bytes must
// be the same. Also the built-in scenario, the
// module's copy of its sources, and the language server's core in the
// module. Ends with "N passed, N failed"; status 1 on any mismatch.
//
//   node differential_test.mjs --tool build/default/tools/scenario-tool
//        --made-up build/default/tests/made_up_sources --module build/web/web
//        [--count 300] [--first-seed 1] [--jobs 2] [--work DIR]
//
// --count scenarios in all, half from each generator (seeds --first-seed
// onwards). A scenario that differs keeps its directory under --work and
// is named with what differs.
import {spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import {isDeepStrictEqual} from 'node:util';

function parseArguments(argv) {
  const options = {count: 300, firstSeed: 1, jobs: 2, work: null};
  const names = {'--tool': 'tool', '--made-up': 'madeUp', '--module': 'module', '--count': 'count',
                 '--first-seed': 'firstSeed', '--jobs': 'jobs', '--work': 'work'};
  for (let i = 0; i < argv.length; i += 2) {
    const name = names[argv[i]];
    if (!name || i + 1 >= argv.length) throw new Error(`unknown or incomplete option '${argv[i]}'; see the head of ${process.argv[1]}`);
    options[name] = ['count', 'firstSeed', 'jobs'].includes(name) ? Number(argv[i + 1]) : argv[i + 1];
  }
  for (const needed of ['tool', 'madeUp', 'module'])
    if (!options[needed]) throw new Error(`--${needed === 'madeUp' ? 'made-up' : needed} is missing`);
  for (const whole of ['count', 'firstSeed', 'jobs'])
    if (!Number.isInteger(options[whole]) || options[whole] < (whole === 'count' ? 2 : 1))
      throw new Error(`--${whole.replace(/[A-Z]/g, (c) => '-' + c.toLowerCase())} must be a whole number` +
                      (whole === 'count' ? ' of at least 2' : ' of at least 1'));
  // The native compiles run in each scenario's directory.
  options.tool = path.resolve(options.tool);
  options.madeUp = path.resolve(options.madeUp);
  return options;
}

const options = parseArguments(process.argv.slice(2));
const work = options.work ?? fs.mkdtempSync(path.join(os.tmpdir(), 'web-differential-'));
fs.mkdirSync(work, {recursive: true});
let passed = 0;
let failed = 0;

function fail(what, differences) {
  ++failed;
  console.log(`FAIL ${what}`);
  for (const difference of differences.slice(0, 8)) console.log(`  ${difference}`);
  if (differences.length > 8) console.log(`  ... and ${differences.length - 8} more`);
}

function check(what, differences) {
  if (differences.length === 0) ++passed;
  else fail(what, differences);
  return differences.length === 0;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// The module, instantiated from its bytes (Node 20's fetch takes no path).
const moduleDirectory = path.resolve(options.module);
const require = createRequire(import.meta.url);
const createScenarioCompiler = require(path.join(moduleDirectory, 'scenario-compiler.js'));
const wasmBinary = fs.readFileSync(path.join(moduleDirectory, 'scenario-compiler.wasm'));
const instantiateStart = performance.now();
const compiler = await createScenarioCompiler({wasmBinary});
const instantiateMs = performance.now() - instantiateStart;

function run(program, args, cwd) {
  return new Promise((resolve) => {
    const child = spawn(program, args, {cwd, stdio: ['ignore', 'pipe', 'pipe']});
    const out = [];
    const err = [];
    child.stdout.on('data', (chunk) => out.push(chunk));
    child.stderr.on('data', (chunk) => err.push(chunk));
    child.on('error', (error) => resolve({status: -1, out: '', err: String(error)}));
    child.on('close', (status) => resolve({status, out: Buffer.concat(out).toString(), err: Buffer.concat(err).toString()}));
  });
}

function firstDifference(a, b) {
  const length = Math.min(a.length, b.length);
  for (let i = 0; i < length; ++i) if (a[i] !== b[i]) return i;
  return length;
}

const kOutcomeOfStatus = {0: 'compiled', 1: 'error', 2: 'stopped'};

// What differs between the native compile in `directory` and the web one.
function compare(native, web, directory) {
  const differences = [];
  if (native.status === -1) return [`the native tool did not run: ${native.err}`];
  const expected = kOutcomeOfStatus[native.status];
  if (expected === undefined) {
    // A refusal (status 3, 64, 65): plain text on standard error.
    if (web.report.outcome !== 'refused' && web.report.outcome !== 'failed')
      differences.push(`native refused with status ${native.status} (${native.err.trim()}); web outcome '${web.report.outcome}'`);
    else if (!native.err.includes(web.report.refusal))
      differences.push(`native said '${native.err.trim()}'; web said '${web.report.refusal}'`);
    return differences;
  }
  let report;
  try {
    report = JSON.parse(native.out);
  } catch (error) {
    return [`native status ${native.status} without a JSON report: ${native.err.trim() || native.out.trim()}`];
  }
  if (web.report.outcome !== expected)
    differences.push(`outcome: native '${expected}' (status ${native.status}), web '${web.report.outcome}'`);
  const keys = new Set([...Object.keys(report), ...Object.keys(web.report)]);
  keys.delete('outcome');
  keys.delete('files');
  for (const key of keys) {
    const [mine, theirs] = [report[key], web.report[key]];
    if (isDeepStrictEqual(mine, theirs)) continue;
    // Of two lists (warnings, notes), the first entry that differs.
    if (Array.isArray(mine) && Array.isArray(theirs)) {
      const at = [...Array(Math.max(mine.length, theirs.length)).keys()].find((i) => !isDeepStrictEqual(mine[i], theirs[i]));
      differences.push(`${key}: native ${mine.length} entries, web ${theirs.length}; entry ${at} is native ` +
                       `${JSON.stringify(mine[at])}, web ${JSON.stringify(theirs[at])}`);
    } else {
      differences.push(`${key}: native ${JSON.stringify(mine)}, web ${JSON.stringify(theirs)}`);
    }
  }
  const nativeNames = (report.files ?? []).map((file) => path.basename(file));
  const webNames = web.files.map((file) => file.name);
  if (!isDeepStrictEqual(nativeNames, webNames) || !isDeepStrictEqual(web.report.files, webNames)) {
    differences.push(`files: native ${JSON.stringify(nativeNames)}, web ${JSON.stringify(webNames)} ` +
                     `(report ${JSON.stringify(web.report.files)})`);
    return differences;
  }
  for (let i = 0; i < report.files.length; ++i) {
    const nativeBytes = fs.readFileSync(path.join(directory, report.files[i]));
    const webBytes = web.files[i].bytes;
    if (!nativeBytes.equals(Buffer.from(webBytes.buffer, webBytes.byteOffset, webBytes.byteLength))) {
      differences.push(`${webNames[i]}: native ${nativeBytes.length} bytes, web ${webBytes.length} bytes, ` +
                       `first difference at byte ${firstDifference(nativeBytes, webBytes)}`);
    }
  }
  return differences;
}

function sourcesIn(directory) {
  const names = fs.readdirSync(directory);
  const line = names.find((name) => name.endsWith('_linea.txt'));
  const train = names.find((name) => name.endsWith('-.txt'));
  if (!line || !train) throw new Error(`${directory} holds no pair of sources: ${names.join(', ')}`);
  return {line, train};
}

// A copy of the scenario in `directory` with one line of one source
// damaged, chosen by the seed: a value made a word, a line cut after its
// first value, a line left out or given twice, a number pushed far along.
// The made-up scenarios mostly compile; these reach the readers' errors
// and their causes.
function damagedCopy(directory, seed) {
  const damaged = directory + '-damaged';
  fs.mkdirSync(damaged, {recursive: true});
  const {line, train} = sourcesIn(directory);
  let state = (seed * 2654435761) % 4294967296;
  const next = (n) => {
    state = (state * 1103515245 + 12345) % 2147483648;
    return state % n;
  };
  const target = next(2) === 0 ? line : train;
  for (const name of [line, train]) {
    const text = fs.readFileSync(path.join(directory, name), 'latin1');
    if (name !== target) {
      fs.writeFileSync(path.join(damaged, name), text, 'latin1');
      continue;
    }
    const lines = text.split('\r\n');
    const candidates = lines.map((row, i) => i).filter((i) => lines[i].includes(','));
    const at = candidates[next(candidates.length)];
    const row = lines[at];
    switch (next(5)) {
      case 0:
        lines[at] = row.replace(/(,\s*)(\d+)/, '$1x$2');
        break;
      case 1:
        lines[at] = row.slice(0, row.indexOf(',', row.indexOf(',') + 1) + 1 || row.length);
        break;
      case 2:
        lines.splice(at, 1);
        break;
      case 3:
        lines.splice(at, 0, row);
        break;
      default:
        lines[at] = row.replace(/(,\s*)(\d+)/, (all, comma, number) => comma + String(Number(number) + 100000));
        break;
    }
    fs.writeFileSync(path.join(damaged, name), lines.join('\r\n'), 'latin1');
  }
  return damaged;
}

async function compareIn(directory, noLine) {
  const {line, train} = sourcesIn(directory);
  const args = ['compile', '--json', ...(noLine ? ['--no-line'] : []), line, train, '-o', 'compiled'];
  const nativeRun = run(options.tool, args, directory);
  const web = compiler.compileSources({
    lineDescription: {name: line, bytes: fs.readFileSync(path.join(directory, line))},
    trainService: {name: train, bytes: fs.readFileSync(path.join(directory, train))},
    noLine,
  });
  return {web, differences: compare(await nativeRun, web, directory)};
}

// The built-in scenario: the module's sources are those `scenario-tool
// sources` writes, and they compile to the same files.
const builtIn = path.join(work, 'built-in');
fs.rmSync(builtIn, {recursive: true, force: true});
const sources = spawnSync(options.tool, ['sources', builtIn], {encoding: 'utf8'});
if (sources.status !== 0) throw new Error(`scenario-tool sources failed: ${sources.stderr}`);
const builtInSources = compiler.builtInSources();
check('the built-in sources', builtInSources.flatMap(({name, bytes}) => {
  const native = fs.readFileSync(path.join(builtIn, name));
  return native.equals(Buffer.from(bytes)) ? [] : [`${name}: native ${native.length} bytes, web ${bytes.length}`];
}));
for (const name of fs.readdirSync(builtIn))
  if (!builtInSources.some((source) => source.name === name)) fs.rmSync(path.join(builtIn, name));
{
  const {web, differences} = await compareIn(builtIn, false);
  check('the built-in scenario', differences);
  if (web.report.outcome !== 'compiled' || web.files.length !== 3)
    fail('the built-in scenario', [`compiled to '${web.report.outcome}' with ${web.files.length} files`]);
}
const compileTimes = [];
for (let i = 0; i < 30; ++i) {
  const start = performance.now();
  compiler.compileSources({lineDescription: builtInSources[0], trainService: builtInSources[1]});
  compileTimes.push(performance.now() - start);
}

// The language server's core in the module: the built-in pair opened with
// a fault put in, diagnosed at its line; then mended, and diagnosed clean.
{
  const differences = [];
  const server = compiler.createLanguageServer();
  const folder = '/studio';
  const [line, train] = builtInSources;
  const latin1 = (bytes) => Buffer.from(bytes).toString('latin1');
  const uri = 'file://' + folder + '/' + encodeURIComponent(line.name);
  server.putFile(folder + '/' + train.name, train.bytes);
  const answers = server.receive({jsonrpc: '2.0', id: 1, method: 'initialize', params: {processId: null, rootUri: null, capabilities: {}}});
  if (!answers.some((message) => message.id === 1 && message.result && message.result.capabilities))
    differences.push(`initialize was answered with ${JSON.stringify(answers)}`);
  server.receive({jsonrpc: '2.0', method: 'initialized', params: {}});
  const text = latin1(line.bytes);
  const lines = text.split('\r\n');
  // The route length made a word: the reading stops there.
  const faulty = lines.findIndex((row) => row.startsWith('lunghezza percorso,'));
  const broken = [...lines];
  broken[faulty] = broken[faulty].replace(/\d+$/, 'x$&');
  server.receive({jsonrpc: '2.0', method: 'textDocument/didOpen',
                  params: {textDocument: {uri, languageId: 'scenario', version: 1, text: broken.join('\r\n')}}});
  const published = (messages) => messages.filter((message) => message.method === 'textDocument/publishDiagnostics' &&
                                                               message.params.uri === uri);
  const diagnose = () => {
    const messages = [];
    for (let i = 0; i < 10 && server.hasPendingWork(); ++i) messages.push(...server.checkPending());
    return published(messages);
  };
  let first = diagnose();
  if (first.length === 0 || first.at(-1).params.diagnostics.length === 0)
    differences.push(`no diagnostic for the line made faulty (${faulty + 1}): ${JSON.stringify(first)}`);
  else if (!first.at(-1).params.diagnostics.some((diagnostic) => diagnostic.range.start.line === faulty))
    differences.push(`the diagnostics are not at line ${faulty + 1}: ${JSON.stringify(first.at(-1).params.diagnostics)}`);
  server.receive({jsonrpc: '2.0', method: 'textDocument/didChange',
                  params: {textDocument: {uri, version: 2}, contentChanges: [{text}]}});
  const second = diagnose();
  if (second.length === 0 || second.at(-1).params.diagnostics.length !== 0)
    differences.push(`the mended source was diagnosed with ${JSON.stringify(second.map((m) => m.params.diagnostics))}`);
  server.receive({jsonrpc: '2.0', id: 2, method: 'shutdown', params: null});
  server.receive({jsonrpc: '2.0', method: 'exit', params: null});
  if (server.exitStatus() !== 0) differences.push(`exit after shutdown gave ${server.exitStatus()}`);
  server.dispose();
  check('the language server in the module', differences);
}

// The made-up scenarios, in batches: their sources written, both compiles
// compared, and the directory removed unless it differs.
const tally = {compiled: 0, error: 0, stopped: 0, refused: 0, failed: 0, warnings: 0, errorNumbers: new Set()};
const perGenerator = Math.floor(options.count / 2);
const batch = 100;
let compared = 0;
for (const generator of ['plain', 'crowded']) {
  const root = path.join(work, generator);
  for (let first = 0; first < perGenerator; first += batch) {
    const seeds = [];
    for (let i = first; i < Math.min(first + batch, perGenerator); ++i) seeds.push(String(options.firstSeed + i));
    const made = spawnSync(options.madeUp, [...(generator === 'crowded' ? ['--crowded'] : []), root, ...seeds],
                           {encoding: 'utf8', maxBuffer: 1 << 26});
    if (made.status !== 0) throw new Error(`made_up_sources failed: ${made.stderr}`);
    const scenarios = made.stdout.trim().split('\n').map((row) => {
      const [directory, plan] = row.split('\t');
      return {directory, noLine: plan === 'no plan'};
    });
    // A few native compiles at once; each web compile as its native one runs.
    let next = 0;
    const worker = async () => {
      while (next < scenarios.length) {
        const {directory, noLine} = scenarios[next++];
        const seed = Number(path.basename(directory));
        const copies = [directory, damagedCopy(directory, seed)];
        let same = true;
        for (const copy of copies) {
          const {web, differences} = await compareIn(copy, noLine);
          ++compared;
          ++tally[web.report.outcome];
          tally.warnings += (web.report.warnings ?? []).length;
          if (web.report.codice_errore) tally.errorNumbers.add(web.report.codice_errore);
          if (web.report.stopped_with) tally.errorNumbers.add(web.report.stopped_with);
          const what = `${generator} scenario, seed ${seed}` + (copy === directory ? '' : ', one line damaged') +
                       (noLine ? ' (no plan)' : '') + `, in ${copy}`;
          same = check(what, differences) && same;
        }
        if (same) for (const copy of copies) fs.rmSync(copy, {recursive: true, force: true});
      }
    };
    await Promise.all(Array.from({length: options.jobs}, worker));
  }
}

const kilobytes = (bytes) => (bytes / 1024).toFixed(0) + ' KB';
const zlib = await import('node:zlib');
console.log(`module: ${kilobytes(wasmBinary.length)} of wasm, ${kilobytes(zlib.gzipSync(wasmBinary, {level: 9}).length)} gzipped; ` +
            `instantiated in ${instantiateMs.toFixed(1)} ms; the built-in scenario compiled in ` +
            `${median(compileTimes).toFixed(1)} ms (median of ${compileTimes.length})`);
console.log(`compared ${compared} compiles of ${2 * perGenerator} made-up scenarios, each as made and with a line damaged: ${tally.compiled} compiled, ${tally.error} with an error, ` +
            `${tally.stopped} stopped, ${tally.refused + tally.failed} refused; ${tally.warnings} warnings; ` +
            `error numbers ${[...tally.errorNumbers].sort((a, b) => a - b).join(', ') || 'none'}`);
if (failed === 0) fs.rmSync(work, {recursive: true, force: true});
else console.log(`the scenarios that differ are kept in ${work}`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && compared === 4 * perGenerator ? 0 : 1);
