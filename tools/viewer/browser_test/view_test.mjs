// The route viewer's page in a real browser: Debian's Chromium, driven by
// playwright-core, opens pages made by `scenario-tool view` from file:// with
// the network blocked, goes to a station by name, zooms to one cell and reads
// the detail panel, and holds what it reads to `scenario-tool dump --json` of
// the same files; for the built-in scenario and for made-up ones.
//
//   node view_test.mjs --tool PATH --made-up PATH --out DIR [--chromium PATH]
//
// Prints each check, then "N passed, N failed"; exits with 1 on a failure.
import { chromium } from 'playwright-core';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const options = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const needed of ['tool', 'made-up', 'out']) {
  if (!options[needed]) {
    console.error('usage: node view_test.mjs --tool PATH --made-up PATH --out DIR [--chromium PATH]');
    process.exit(64);
  }
}
const out = path.resolve(options.out);
fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(out, { recursive: true });

let passed = 0, failed = 0;
function check(what, ok, detail) {
  if (ok) { ++passed; console.log('ok: ' + what); return; }
  ++failed;
  console.log('FAILED: ' + what + (detail === undefined ? '' : '\n  ' + detail));
}
function equal(what, actual, expected) {
  check(what, actual === expected, 'got ' + JSON.stringify(actual) + ', expected ' + JSON.stringify(expected));
}

function run(program, args) {
  const result = spawnSync(program, args, { encoding: 'utf8', maxBuffer: 1 << 30, env: { ...process.env, DISPLAY: '' } });
  if (result.error) throw result.error;
  return { status: result.status, out: result.stdout, err: result.stderr };
}
const tool = (args) => run(options.tool, args);
function dumpJson(file) {
  const dumped = tool(['dump', file, '--json']);
  if (dumped.status !== 0) throw new Error('dump ' + file + ': ' + dumped.err);
  return JSON.parse(dumped.out);
}

// Compiles the two sources of `dir` and makes the page of them.
function makeScenario(dir, withPlan = true) {
  const names = fs.readdirSync(dir);
  const line = names.find((n) => n.endsWith('_linea.txt'));
  const train = names.find((n) => n.endsWith('-.txt'));
  const compiled = path.join(dir, 'compiled');
  const compile = tool(['compile', path.join(dir, line), path.join(dir, train), '-o', compiled, '--no-warnings']
    .concat(withPlan ? [] : ['--no-line']));
  if (compile.status !== 0 && compile.status !== 1) return null;
  const page = path.join(dir, 'view.html');
  const made = tool(['view', compiled, '-o', page]);
  if (made.status !== 0) throw new Error('view ' + compiled + ': ' + made.err);
  const files = fs.readdirSync(compiled);
  const pick = (test) => { const n = files.find(test); return n === undefined ? null : path.join(compiled, n); };
  return {
    page,
    station: pick((n) => n.endsWith('.sim')),
    cell: pick((n) => n.endsWith('.dat') && !n.endsWith('_linea.dat')),
    line: pick((n) => n.endsWith('_linea.dat')),
  };
}

// --- The browser ----------------------------------------------------------
const browser = await chromium.launch({
  executablePath: options.chromium || '/usr/bin/chromium',
  args: ['--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
         '--disable-sync', '--log-level=3'],
});

// A page of its own, the network blocked: every request that is not for a
// file or data URL is aborted and counted, and so is every console error.
async function openPage(file, hash = '', init = null, viewport = { width: 1400, height: 900 }) {
  const context = await browser.newContext({ viewport });
  if (init) await context.addInitScript(init.script, init.arg);
  const problems = [];
  await context.route((url) => !/^(file|data):/.test(url.href), (route) => {
    problems.push('blocked request: ' + route.request().url());
    return route.abort();
  });
  const page = await context.newPage();
  page.on('console', (message) => { if (message.type() === 'error') problems.push('console error: ' + message.text()); });
  page.on('pageerror', (error) => problems.push('page error: ' + error.message));
  page.on('requestfailed', (request) => problems.push('failed request: ' + request.url()));
  await page.goto(pathToFileURL(file).href + hash);
  await page.waitForFunction(() => performance.getEntriesByName('viewer-first-picture').length > 0);
  return { page, context, problems };
}

const status = (page) => page.locator('#place').innerText();
// The place as the URL fragment keeps it (the middle of the view, its width
// in metres, the cell and station chosen), once the page has drawn the
// step before: two frames on.
async function place(page) {
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  return Object.fromEntries(new URLSearchParams(new URL(page.url()).hash.slice(1)));
}

// What the panel shows, read as a user reads it: each table of fields as
// {name: text}, each table of source values as [{keyword, key, text}].
async function readPanel(page) {
  const region = page.getByRole('region', { name: 'Cell details' });
  return region.evaluate((panel) => {
    const tables = {};
    for (const table of panel.querySelectorAll('table.fields')) {
      const fields = {};
      for (const row of table.querySelectorAll('tr')) fields[row.querySelector('th').innerText] = row.querySelector('td').innerText;
      tables[table.dataset.part] = fields;
    }
    const sources = [...panel.querySelectorAll('table.source')].map((table) =>
      [...table.querySelectorAll('tbody tr')].map((row) => ({
        keyword: row.dataset.keyword, key: row.dataset.key, text: row.querySelector('td.value').innerText,
      })));
    return { headings: [...panel.querySelectorAll('h3')].map((h) => h.innerText), tables, sources };
  });
}

// A value of dump's JSON against the text the panel shows for it.
function sameValue(text, value) {
  if (value === null) return text === '';
  if (typeof value === 'number') return text === String(value) || text.startsWith(String(value) + ' ') || Number(text) === value;
  return text === String(value);
}
function compareFields(what, shown, dumped, skip) {
  const bad = [];
  const keys = Object.keys(dumped).filter((k) => !skip.includes(k));
  for (const key of keys) if (!(key in shown) || !sameValue(shown[key], dumped[key])) bad.push(key + ': panel ' + JSON.stringify(shown[key]) + ', dump ' + JSON.stringify(dumped[key]));
  check(what + ': its ' + keys.length + ' fields as dump gives them', bad.length === 0, bad.join('; '));
}
function compareSource(what, rows, dumpedSource) {
  const bad = [];
  let count = 0;
  for (const [keyword, values] of Object.entries(dumpedSource)) {
    for (const [key, value] of Object.entries(values)) {
      ++count;
      const row = (rows || []).find((r) => r.keyword === keyword && r.key === key);
      if (!row || !sameValue(row.text, value)) bad.push(keyword + ' ' + key + ': panel ' + (row ? JSON.stringify(row.text) : 'none') + ', dump ' + JSON.stringify(value));
    }
  }
  check(what + ': its ' + count + ' source values as dump gives them', bad.length === 0 && (rows || []).length === count,
        bad.join('; ') + ' (' + (rows || []).length + ' rows shown)');
}

async function zoomInFully(page) {
  for (let i = 0; i < 60; ++i) {
    const before = (await place(page)).span;
    await page.getByRole('button', { name: 'Zoom in' }).click();
    if ((await place(page)).span === before) break;
  }
}

// Goes to a station by name, zooms to one cell and reads the panel.
async function lookAtScenario(label, scenario, screenshots) {
  const stationsDump = dumpJson(scenario.station);
  const cellsDump = dumpJson(scenario.cell);
  const planDump = scenario.line ? dumpJson(scenario.line) : null;
  const { page, context, problems } = await openPage(scenario.page);
  check(label + ': the page opens with its first picture', true);
  if (screenshots) await page.screenshot({ path: path.join(out, 'viewer-whole-line.png'), fullPage: true });

  // A station whose name no other station shares, from the middle of the line.
  const stations = stationsDump.records.filter((r) => r.role === 'station');
  const unique = stations.filter((s) => stations.filter((t) => t.nome.toLowerCase() === s.nome.toLowerCase()).length === 1 && s.nome.trim() !== '');
  check(label + ': has a station to go to', unique.length > 0);
  if (unique.length > 0) {
    const station = unique[Math.floor(unique.length / 2)];
    const box = page.getByRole('textbox', { name: 'Go to' });
    await box.fill(station.nome);
    await box.press('Enter');
    const at = await place(page);
    equal(label + ': going to "' + station.nome + '" selects its record', at.station, String(station.index));
    let panel = await readPanel(page);
    check(label + ': the panel shows the station record', panel.headings.some((h) => h.startsWith('Station record ' + station.index + ':')), JSON.stringify(panel.headings));
    compareFields(label + ': station record ' + station.index, panel.tables.station || {}, station, ['source']);
    compareSource(label + ': station record ' + station.index, panel.sources[panel.sources.length - 1], station.source);

    // The station's cell, and a cell of each other kind the route holds,
    // each zoomed in until it fills the view, then clicked.
    const kinds = ['signal', 'code change', 'code change (kept)', 'max-speed indicator', 'indication board',
                   'slowdown start', 'slowdown warning'];
    const cells = [Number(at.cell)];
    for (const kind of kinds) {
      const found = cellsDump.cells.find((c) => c.kind === kind);
      if (found) cells.push(found.index);
    }
    for (const cell of cells) {
      await box.fill('cell ' + cell);
      await box.press('Enter');
      await zoomInFully(page);
      const shown = await status(page);
      const span = /cells (\d+) to (\d+)/.exec(shown);
      check(label + ': zoomed in to one cell, ' + cell, span !== null && Number(span[1]) <= cell && Number(span[2]) >= cell && Number(span[2]) - Number(span[1]) <= 2, shown);
      // The middle of the view is the cell.
      const canvas = await page.locator('#strips').boundingBox();
      const middle = 138 + (canvas.width - 138 - 12) / 2;
      await page.mouse.click(canvas.x + middle, canvas.y + 120);
      panel = await readPanel(page);
      equal(label + ': the click keeps cell ' + cell, (await place(page)).cell, String(cell));
      const dumped = cellsDump.cells[cell];
      compareFields(label + ': cell ' + cell + ' (' + dumped.kind + ')', panel.tables.cell || {}, dumped, ['source']);
      compareSource(label + ': cell ' + cell + ' (' + dumped.kind + ')', panel.sources[0], dumped.source);
      if (planDump) {
        const x = Number(panel.tables.plan.x);
        const point = planDump.points[x];
        check(label + ': the plan point at metre ' + x + ' lies in the cell', x >= 50 * (cell - 1) && x <= 50 * cell, String(x));
        compareFields(label + ': plan point ' + x, panel.tables.plan, {
          x: point.x, type_0: point.column_0.type, column_0: point.column_0.value, type_1: point.column_1.type, column_1: point.column_1.value,
        }, []);
      } else {
        check(label + ': without a plan no plan point is shown', !('plan' in panel.tables));
      }
    }
    if (planDump) {
      // Plan points all along the line, as the page rebuilds them.
      const computed = planDump.points.filter((p) => p.column_0.type === 'Double').length;
      const xs = [0, 1, 2, 3, 4095, 4096, 4097, 4098, 4099, computed, computed + 1, computed + 2, planDump.points.length - 1];
      for (let x = 5; x < planDump.points.length; x += 331) xs.push(x);
      const points = await page.evaluate((list) => list.map((x) => window.routeViewer.planPoint(x)), xs.filter((x) => x < planDump.points.length));
      const bad = [];
      xs.filter((x) => x < planDump.points.length).forEach((x, i) => {
        const want = planDump.points[x];
        for (const [n, column] of [[0, want.column_0], [1, want.column_1]])
          if (points[i][n].type !== column.type || points[i][n].value !== column.value) bad.push(x + ': ' + JSON.stringify(points[i]) + ' against ' + JSON.stringify(want));
      });
      check(label + ': ' + xs.length + ' plan points along the line as dump gives them', bad.length === 0, bad.slice(0, 5).join('; '));
    }
    if (screenshots) await page.screenshot({ path: path.join(out, 'viewer-one-cell.png'), fullPage: true });
    const shown = await status(page);

    // The URL keeps the place: a new page at it shows the same.
    const again = await openPage(scenario.page, new URL(page.url()).hash);
    equal(label + ': the link opens at the same place', await status(again.page), shown);
    const reopened = await readPanel(again.page);
    check(label + ': and with the same cell chosen', reopened.headings[0] === panel.headings[0], reopened.headings[0]);
    problems.push(...again.problems);
    await again.context.close();
  }
  check(label + ': no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
  await context.close();
}

// Wheel, drag, keys, the zoom buttons and a place that is nowhere.
async function moveAround(scenario) {
  const { page, context, problems } = await openPage(scenario.page);
  const canvas = page.locator('#strips');
  const box = await canvas.boundingBox();
  const whole = await place(page);
  await canvas.focus();
  await page.keyboard.press('+');
  const zoomed = await place(page);
  check('the + key zooms in', Number(zoomed.span) < Number(whole.span), zoomed.span + ' after ' + whole.span);
  await page.keyboard.press('End');
  const end = await place(page);
  check('End goes to the end of the route', Number(end.m) > Number(zoomed.m), end.m);
  await page.keyboard.press('ArrowLeft');
  check('the left arrow moves back', Number((await place(page)).m) < Number(end.m));
  await page.keyboard.press('Home');
  const home = await place(page);
  check('Home goes to the start', Number(home.m) < Number(end.m) && (await status(page)).startsWith('From -0.05 km'), await status(page));
  await page.keyboard.press('ArrowRight');
  check('the right arrow moves on', Number((await place(page)).m) > Number(home.m));
  await page.keyboard.press('-');
  check('the - key zooms out', Number((await place(page)).span) > Number(zoomed.span));
  await page.mouse.move(box.x + 600, box.y + 200);
  await page.mouse.wheel(0, -400);
  const wheeled = await place(page);
  check('the wheel zooms in', Number(wheeled.span) < Number(whole.span), wheeled.span);
  await page.mouse.move(box.x + 700, box.y + 300);
  await page.mouse.down();
  await page.mouse.move(box.x + 500, box.y + 300, { steps: 5 });
  await page.mouse.up();
  check('a drag to the left moves on', Number((await place(page)).m) > Number(wheeled.m));
  await page.getByRole('button', { name: 'Zoom out' }).click();
  await page.getByRole('button', { name: 'Whole line' }).click();
  equal('the whole line again', (await place(page)).span, whole.span);
  // Route kilometres and metres, and the chainage the driver reads, as the
  // kilometric progressive record gives it (its position, its chainage
  // there, and 1 where the chainage falls along the route).
  const zone = dumpJson(scenario.station).records.map((r) => r.role === 'km progressive' && r.source['progressiva chilometrica'])
    .find((z) => z && z.direction !== 0);
  const [zoneAt, zoneChainage, zoneDirection] = [zone.position_m, zone.chainage_m, zone.direction];
  const routeMetreOf = (c) => (zoneDirection === 1 ? zoneAt + (zoneChainage - c) : zoneAt + (c - zoneChainage));
  const chainageWhole = Math.floor((zoneChainage - 20000) / 1000);
  const places = [['12.5 km', 12500], ['2400 m', 2400],
                  ['km ' + (chainageWhole + 0.4), routeMetreOf(chainageWhole * 1000 + 400)],
                  ['KM ' + chainageWhole + ',4', routeMetreOf(chainageWhole * 1000 + 400)],
                  [chainageWhole + '+650', routeMetreOf(chainageWhole * 1000 + 650)],
                  [String(chainageWhole - 3.25), routeMetreOf((chainageWhole - 3.25) * 1000)]];
  for (const [text, metre] of places) {
    await goToText(page, text);
    const at = await place(page);
    check('"' + text + '" goes to ' + metre + ' m of the route', Math.abs(Number(at.m) - metre) <= 1 && at.cell === String(Math.floor(metre / 50) + 1),
          JSON.stringify(at) + ' ' + await status(page));
  }
  // A place off the route is told, naming what was asked and where the
  // route ends, and the view stays.
  const before = await place(page);
  const routeEnd = (await page.evaluate(() => window.routeViewer.cellCount - 1)) * 50;
  for (const text of ['150 km', '900000 m', 'cell 5000', 'km ' + (zoneChainage / 1000 + 60), (zoneChainage / 1000 + 61) + '+200', '-3 km']) {
    await goToText(page, text);
    const told = await page.getByRole('status').filter({ hasText: text }).innerText().catch(() => '');
    check('"' + text + '" is told to lie off the route, with where it ends', told.includes('not on the route') &&
          told.includes(String(routeEnd / 1000)), told || await status(page));
    equal('and the view stays where it was after "' + text + '"', JSON.stringify(await place(page)), JSON.stringify(before));
  }
  await goToText(page, 'nowhere at all');
  check('a place that is nowhere is told', /No station, kilometre, chainage, metre or cell is "nowhere at all"/.test(await status(page)), await status(page));
  check('the legend tells written code changes from the rules\' ones',
        (await page.getByRole('region', { name: 'Legend' }).innerText()).includes('code change placed by the cell rules'));
  check('moving around: no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
  await context.close();
  // A stretch of three kilometres around the first slowdown, chosen by a link.
  const stretch = await openPage(scenario.page, '#m=21300&span=3200&cell=432');
  const at = await place(stretch.page);
  check('a link chooses the stretch and the cell', at.cell === '432' && Math.abs(Number(at.span) - 3200) < 1, JSON.stringify(at));
  await stretch.page.screenshot({ path: path.join(out, 'viewer-stretch.png'), fullPage: true });
  check('the stretch: no console error and no request outside the file', stretch.problems.length === 0, stretch.problems.join('\n  '));
  await stretch.context.close();
}

// --- Readable at the sizes authors use -----------------------------------
const SIZES = [{ width: 1024, height: 768 }, { width: 1920, height: 1080 }];

// What is wrong with the labels the page drew last: two that overlap, one
// cut by the canvas's edge or drawn over the lane names.
async function labelFaults(page) {
  await place(page);
  const { labels, lanes, canvasWidth } = await page.evaluate(() => ({
    labels: window.routeViewer.labels(), lanes: window.routeViewer.lanes(),
    canvasWidth: document.getElementById('strips').getBoundingClientRect().width,
  }));
  const faults = [];
  // A label stays inside its strip (the kilometres' two rows inside theirs;
  // a name or a scale value in the gutter inside one strip).
  const stripOf = (a) => lanes.find((l) => l.id === a.lane.replace(/^km-.*/, 'km')) ||
    lanes.find((l) => a.lane === 'gutter' && a.y >= l.top && a.y < l.top + l.h);
  for (let i = 0; i < labels.length; ++i) {
    const a = labels[i];
    if (a.x < 0 || a.x + a.w > canvasWidth + 0.5 || (a.lane !== 'gutter' && a.x < 138)) faults.push('"' + a.text + '" cut at x ' + a.x.toFixed(1));
    const strip = stripOf(a);
    if (!strip || a.y < strip.top || a.y + a.h > strip.top + strip.h + 0.5)
      faults.push('"' + a.text + '" (' + a.lane + ') out of its strip at y ' + a.y.toFixed(1) + (strip ? ' (' + strip.top + ' to ' + (strip.top + strip.h) + ')' : ''));
    for (let j = i + 1; j < labels.length; ++j) {
      const b = labels[j];
      if (a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h)
        faults.push('"' + a.text + '" (' + a.lane + ') over "' + b.text + '" (' + b.lane + ')');
    }
  }
  return { labels, faults };
}

// A station's name as the page shows it: without the record's padding.
const shownName = (name) => name.trim().replace(/\s+/g, ' ');

async function goToText(page, text) {
  const box = page.getByRole('textbox', { name: 'Go to' });
  await box.fill(text);
  await box.press('Enter');
}

// At each size: the whole line, the first station, and every zoom step
// from the whole line down to a few cells; no label over another, none cut;
// the first and the last station named at the whole line; the text that
// describes the strips names what they show.
async function readable(label, scenario, sizes = SIZES) {
  const stations = dumpJson(scenario.station).records.filter((r) => r.role === 'station');
  const first = shownName(stations[0].nome), last = shownName(stations[stations.length - 1].nome);
  for (const size of sizes) {
    const at = label + ' at ' + size.width + ' x ' + size.height;
    const { page, context, problems } = await openPage(scenario.page, '', null, size);
    let { labels, faults } = await labelFaults(page);
    check(at + ': the whole line\'s ' + labels.length + ' labels keep clear of each other and are whole', faults.length === 0, faults.slice(0, 6).join('; '));
    const names = labels.filter((l) => l.lane === 'stations').map((l) => l.full);
    check(at + ': the whole line names the first station, ' + first + ', and the last, ' + last,
          names.includes(first) && names.includes(last), JSON.stringify(names));
    check(at + ': the whole line names most stations', names.length >= Math.min(stations.length, 4), JSON.stringify(names));
    const scale = labels.filter((l) => l.lane === 'gutter').map((l) => l.text);
    check(at + ': the speed limit and the gradient have a scale with their units',
          scale.some((t) => /^\d+ km\/h$/.test(t)) && scale.some((t) => /^\+\d+ \u2030$/.test(t)) && scale.filter((t) => /^\d+$/.test(t)).length >= 4,
          JSON.stringify(scale));
    // A shortened label shows its whole text under the pointer.
    const cut = labels.find((l) => l.text !== l.full);
    if (cut) {
      const canvasBox = await page.locator('#strips').boundingBox();
      await page.mouse.move(canvasBox.x + cut.x + cut.w / 2, canvasBox.y + cut.y + cut.h / 2);
      equal(at + ': pointing at "' + cut.text + '" shows its whole text', await page.locator('#strips').getAttribute('title'), cut.full);
      await page.mouse.move(0, 0);
    }
    // The description the canvas points to names the stations drawn.
    await page.waitForFunction(() => document.getElementById('strips-text').textContent.includes('stations:'));
    const described = await page.evaluate(() => document.getElementById(document.getElementById('strips').getAttribute('aria-describedby')).innerText);
    const missing = names.filter((n) => !described.includes(n));
    check(at + ': the strips\' description names every station named in them', missing.length === 0, missing.join(', ') + ' not in ' + described.slice(0, 300));

    await goToText(page, first);
    ({ labels, faults } = await labelFaults(page));
    check(at + ': going to ' + first + ' names it', labels.some((l) => l.lane === 'stations' && l.full === first),
          JSON.stringify(labels.filter((l) => l.lane === 'stations')));
    check(at + ': and its labels keep clear of each other', faults.length === 0, faults.slice(0, 6).join('; '));
    // Zoom in step by step about the middle of the line.
    await page.getByRole('button', { name: 'Whole line' }).click();
    const bad = [];
    let steps = 0;
    for (let i = 0; i < 40; ++i) {
      const before = (await place(page)).span;
      ({ labels, faults } = await labelFaults(page));
      if (faults.length > 0) bad.push('span ' + before + ' m: ' + faults.slice(0, 3).join('; '));
      await page.getByRole('button', { name: 'Zoom in' }).click();
      ++steps;
      if ((await place(page)).span === before) break;
    }
    check(at + ': at each of ' + steps + ' zoom steps the labels keep clear of each other', bad.length === 0, bad.slice(0, 4).join('\n  '));
    check(at + ': no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
    await context.close();
  }
}

// The detail panel fits its column at each size, for every cell (with the
// station record of its zone or stop, and the values with their lines, on
// a page made from the sources), and its edge widens it.
async function panelFits(label, file, cellsDump, stationsDump) {
  for (const size of SIZES) {
    const at = label + ' at ' + size.width + ' x ' + size.height;
    const { page, context, problems } = await openPage(file, '', null, size);
    const overflowing = () => page.evaluate(() => {
      const panel = document.getElementById('details'), bad = [];
      for (let k = 0; k < window.routeViewer.cellCount; ++k) {
        window.routeViewer.showDetails(k);
        if (panel.scrollWidth > panel.clientWidth) bad.push(k + ' (' + panel.scrollWidth + ' px in ' + panel.clientWidth + ')');
      }
      return bad;
    });
    let bad = await overflowing();
    check(at + ': the panel shows every cell without sideways scrolling', bad.length === 0, bad.slice(0, 8).join(', '));
    // A board's caption, as its lines; the line that wrote each value first
    // in its row.
    const board = cellsDump.cells.find((c) => c.kind === 'indication board');
    check(at + ': the route has an indication board', board !== undefined);
    if (board) {
      await page.evaluate((k) => window.routeViewer.showDetails(k), board.index);
      const caption = await page.locator('#details .caption').innerText().catch(() => '');
      const lines = stationsDump.records[board.valore_1].nome.match(/\(([^)]*)\)/g).map((l) => l.slice(1, -1).trim()).filter((l) => l !== '');
      equal(at + ': board cell ' + board.index + ' shows its caption, line by line', caption, 'Caption: ' + lines.join('\n'));
      const order = await page.evaluate(() => [...document.querySelectorAll('#details table.source tbody tr')].map((row) => row.firstElementChild.className));
      check(at + ': the line that wrote a value comes first in its row', order.length > 0 && order.every((c) => c === 'line'), JSON.stringify(order));
    }
    // Its edge, dragged to the left, widens the panel; the arrow keys too.
    const edge = page.getByRole('separator', { name: 'Width of the side panel' });
    const side = page.locator('#side');
    const wide = (await side.boundingBox()).width;
    const box = await edge.boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + 40);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2 - 160, box.y + 40, { steps: 4 });
    await page.mouse.up();
    const wider = (await side.boundingBox()).width;
    check(at + ': dragging the panel\'s edge 160 px to the left widens it by as much', Math.abs(wider - wide - 160) <= 2, wide + ' then ' + wider);
    await edge.focus();
    await page.keyboard.press('ArrowRight');
    check(at + ': the right arrow on the edge narrows it', (await side.boundingBox()).width < wider, String((await side.boundingBox()).width));
    const whole = await place(page);
    check(at + ': the strips still show the whole line', Number(whole.span) > 0 && (await status(page)).includes('(cells 0 to '), await status(page));
    bad = await page.evaluate(() => {
      const panel = document.getElementById('details');
      window.routeViewer.showDetails(window.routeViewer.cellCount - 1);
      return panel.scrollWidth > panel.clientWidth ? [panel.scrollWidth + ' in ' + panel.clientWidth] : [];
    });
    check(at + ': and the panel still fits', bad.length === 0, bad.join());
    check(at + ': the panel: no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
    await context.close();
  }
}

// The map: there, named "Map", drawn from the page's own data; a click and
// a drag on it move the strips there, the wheel zooms it.
async function mapMoves(label, file, stationsDump, sizes = SIZES) {
  const stations = stationsDump.records.filter((r) => r.role === 'station');
  const first = shownName(stations[0].nome), last = shownName(stations[stations.length - 1].nome);
  for (const size of sizes) {
    const at = label + ' at ' + size.width + ' x ' + size.height;
    const { page, context, problems } = await openPage(file, '', null, size);
    const map = page.getByRole('img', { name: 'Map', exact: true });
    check(at + ': the map is shown', await map.isVisible());
    await page.waitForFunction(() => window.routeViewer.mapReady);
    const names = await page.evaluate(() => window.routeViewer.mapLabels().map((b) => b.text));
    check(at + ': the map names the first and the last station', names.includes(first) && names.includes(last), JSON.stringify(names));
    const described = await page.waitForFunction((name) => {
      const text = document.getElementById(document.querySelector('#map').getAttribute('aria-describedby')).textContent;
      return text.includes('from above') && text.includes(name) && text;
    }, first, { timeout: 5000 }).then((h) => h.jsonValue()).catch((e) => e.message);
    check(at + ': the map is described in words, with its stations', described.includes('from above'), described);
    const end = (await page.evaluate(() => window.routeViewer.cellCount - 1)) * 50;
    await goToText(page, 'cell 100');
    const mapBox = await map.boundingBox();
    const pixelOf = (m) => page.evaluate((metre) => window.routeViewer.mapPixelOf(metre), m);
    const target = Math.round(end * 0.6);
    let [px, py] = await pixelOf(target);
    await page.mouse.click(mapBox.x + px, mapBox.y + py);
    let now = await place(page);
    check(at + ': a click on the map at ' + target + ' m moves the strips there', Math.abs(Number(now.m) - target) <= 100, JSON.stringify(now));
    const [ax, ay] = await pixelOf(Math.round(end * 0.2));
    const [bx, by] = await pixelOf(Math.round(end * 0.8));
    await page.mouse.move(mapBox.x + ax, mapBox.y + ay);
    await page.mouse.down();
    now = await place(page);
    check(at + ': pressing on the map moves the strips to the place pressed', Math.abs(Number(now.m) - end * 0.2) <= 100, JSON.stringify(now));
    await page.mouse.move(mapBox.x + bx, mapBox.y + by, { steps: 6 });
    await page.mouse.up();
    now = await place(page);
    check(at + ': dragging on the map takes the strips along', Math.abs(Number(now.m) - end * 0.8) <= 100, JSON.stringify(now));
    const spread = async () => { const [p, q] = [await pixelOf(Math.round(end * 0.4)), await pixelOf(Math.round(end * 0.5))]; return Math.hypot(p[0] - q[0], p[1] - q[1]); };
    const before = await spread();
    [px, py] = await pixelOf(Math.round(end * 0.45));
    await page.mouse.move(mapBox.x + px, mapBox.y + py);
    await page.mouse.wheel(0, -600);
    await place(page);
    const after = await spread();
    check(at + ': the wheel zooms the map in', after > before * 1.5, before.toFixed(1) + ' then ' + after.toFixed(1));
    check(at + ': the map: no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
    await context.close();
  }
}

// In a column as narrow as an editor's beside its source, the map and the
// panel go below the strips, and nothing scrolls sideways.
async function narrow(file) {
  const { page, context, problems } = await openPage(file, '#m=21300&span=3200&cell=432', null, { width: 700, height: 900 });
  const layout = await page.evaluate(() => ({
    scroll: document.documentElement.scrollWidth, width: document.documentElement.clientWidth,
    stripsFoot: document.getElementById('strips').getBoundingClientRect().bottom,
    mapTop: document.getElementById('map').getBoundingClientRect().top,
    panel: document.getElementById('details').scrollWidth - document.getElementById('details').clientWidth,
  }));
  check('700 px wide: nothing scrolls sideways', layout.scroll <= layout.width && layout.panel <= 0, JSON.stringify(layout));
  check('700 px wide: the map is below the strips', layout.mapTop >= layout.stripsFoot, JSON.stringify(layout));
  const { faults } = await labelFaults(page);
  check('700 px wide: the labels keep clear of each other', faults.length === 0, faults.slice(0, 4).join('; '));
  check('700 px wide: no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
  await context.close();
}

// Station names found as an author writes them: any case, with or without
// accents, a name's start before a part of a longer name. The built-in
// sources with two stations renamed, PIANSECCO to PIÈ SECCO and SABBIONERA
// to STRELLA ALTA (after CAMPOSTRELLA).
async function findByName(builtIn) {
  const dir = path.join(out, 'accented');
  fs.mkdirSync(dir);
  for (const name of fs.readdirSync(builtIn)) {
    const from = path.join(builtIn, name);
    if (!fs.statSync(from).isFile()) continue;
    let text = fs.readFileSync(from, 'latin1');
    if (name.endsWith('-.txt')) text = text.replace(/PIANSECCO/g, 'PI\u00c8 SECCO').replace(/SABBIONERA/g, 'STRELLA ALTA');
    fs.writeFileSync(path.join(dir, name), text, 'latin1');
  }
  const scenario = makeScenario(dir);
  const records = dumpJson(scenario.station).records.filter((r) => r.role === 'station');
  const indexOf = (name) => String(records.find((r) => r.nome.trim() === name).index);
  const { page, context, problems } = await openPage(scenario.page);
  for (const [text, name] of [['pie secco', 'PI\u00c8 SECCO'], ['pie', 'PI\u00c8 SECCO'], ['Piè', 'PI\u00c8 SECCO'], ['strella', 'STRELLA ALTA'],
                              ['campo', 'CAMPOSTRELLA'], ['orsolo', 'S. ORSOLO'], ['cervelle', 'CERVELLE'], ['SECCO', 'PI\u00c8 SECCO']]) {
    await goToText(page, text);
    equal('"' + text + '" finds ' + name, (await place(page)).station, indexOf(name));
  }
  check('finding names: no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
  await context.close();
}

// The page made from the sources, inside the editor: a stand-in for the
// webview's acquireVsCodeApi gives back the place it was told to keep, and
// records what the page posts.
function fakeEditor(kept) {
  window.editorCalls = { posted: [], states: [] };
  window.acquireVsCodeApi = () => ({
    getState: () => kept,
    setState: (state) => { window.editorCalls.states.push(state); },
    postMessage: (message) => { window.editorCalls.posted.push(message); },
  });
}

async function inTheEditor(dir) {
  const names = fs.readdirSync(dir);
  const line = path.join(dir, names.find((n) => n.endsWith('_linea.txt')));
  const train = path.join(dir, names.find((n) => n.endsWith('-.txt')));
  const file = path.join(dir, 'sources-view.html');
  const made = tool(['view', line, train, '-o', file]);
  equal('a page is made from the two sources', made.status, 0);
  // The first slowdown of the train service: its line and its start cell.
  const lines = fs.readFileSync(train, 'latin1').split(/\r\n|\n|\r/);
  const number = lines.findIndex((l) => /^rallentamento\s*,/.test(l)) + 1;
  const x = Number(lines[number - 1].split(',')[1]);
  const cell = Math.round(x / 50 + 1);
  const fragment = '#m=' + x + '&span=3200&cell=' + cell;

  const { page, context, problems } = await openPage(file, '', { script: fakeEditor, arg: { fragment } });
  const at = await place(page);
  check('in the editor the page opens at the place it kept', at.cell === String(cell) && Math.abs(Number(at.span) - 3200) < 1 &&
        Math.abs(Number(at.m) - x) <= 1, JSON.stringify(at));
  const panel = page.getByRole('region', { name: 'Cell details' });
  const row = panel.locator('tr.to-source[data-keyword="rallentamento"]').first();
  equal('a row of the sources names its line', await row.locator('td.line').innerText(), path.basename(train) + ':' + number);
  await row.click();
  const calls = await page.evaluate(() => window.editorCalls);
  equal('a click on it asks the editor for that line', JSON.stringify(calls.posted), JSON.stringify([{ type: 'reveal', file: train, line: number }]));
  await row.focus();
  await page.keyboard.press('Enter');
  equal('and so does Enter on it', (await page.evaluate(() => window.editorCalls.posted.length)), 2);
  await page.getByRole('button', { name: 'Zoom in' }).click();
  const moved = await place(page);
  const states = (await page.evaluate(() => window.editorCalls.states));
  equal('the editor keeps the place the page moved to', states.length > 0 && states[states.length - 1].fragment,
        '#' + new URLSearchParams(moved).toString());
  check('in the editor: no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
  await context.close();

  // In a browser the rows name their lines, and nothing is clickable.
  const plain = await openPage(file, fragment);
  const plainRow = plain.page.getByRole('region', { name: 'Cell details' }).locator('tr[data-keyword="rallentamento"]').first();
  equal('in a browser the row names its line too', await plainRow.locator('td.line').innerText(), path.basename(train) + ':' + number);
  equal('but opens nothing', await plain.page.locator('tr.to-source').count(), 0);
  check('in a browser: no console error and no request outside the file', plain.problems.length === 0, plain.problems.join('\n  '));
  await plain.context.close();
}

try {
  // The built-in scenario.
  const builtIn = path.join(out, 'built-in');
  const sources = tool(['sources', builtIn]);
  if (sources.status !== 0) throw new Error('sources: ' + sources.err);
  const scenario = makeScenario(builtIn);
  await readable('built-in', scenario);
  const sourcesPage = path.join(builtIn, 'sources-view.html');
  const names = fs.readdirSync(builtIn);
  const sourcesMade = tool(['view', path.join(builtIn, names.find((n) => n.endsWith('_linea.txt'))),
                            path.join(builtIn, names.find((n) => n.endsWith('-.txt'))), '-o', sourcesPage]);
  equal('a page is made from the two built-in sources', sourcesMade.status, 0);
  await panelFits('built-in from its sources', sourcesPage, dumpJson(scenario.cell), dumpJson(scenario.station));
  await mapMoves('built-in', scenario.page, dumpJson(scenario.station));
  await findByName(builtIn);
  await narrow(sourcesPage);
  await lookAtScenario('built-in', scenario, true);
  await moveAround(scenario);
  await inTheEditor(builtIn);

  // A refused input makes no page, as plot makes no picture.
  const cut = path.join(out, 'cut');
  fs.mkdirSync(cut);
  for (const file of [scenario.station, scenario.cell]) fs.copyFileSync(file, path.join(cut, path.basename(file)));
  const cellCopy = path.join(cut, path.basename(scenario.cell));
  fs.truncateSync(cellCopy, fs.statSync(cellCopy).size - 3);
  const refused = tool(['view', cut, '-o', path.join(cut, 'view.html')]);
  equal('a cut cell file is refused with status 1', refused.status, 1);
  check('and no page is made', !fs.existsSync(path.join(cut, 'view.html')));
  check('the refusal names the file', refused.err.includes(cellCopy), refused.err);

  // Made-up scenarios.
  const listing = run(options['made-up'], [path.join(out, 'made-up'), '3', '17', '29', '41']);
  if (listing.status !== 0) throw new Error('made_up_sources: ' + listing.err);
  for (const line of listing.out.trim().split('\n')) {
    const dir = line.split('\t')[0];
    const made = makeScenario(dir, line.split('\t')[1] === 'plan');
    if (made === null) { console.log('skipped: ' + dir + ' stops when compiled'); continue; }
    await lookAtScenario('made-up ' + path.basename(dir) + ' (' + line.split('\t')[1] + ')', made, false);
    await readable('made-up ' + path.basename(dir) + ' (' + line.split('\t')[1] + ')', made, SIZES.slice(0, 1));
    if (line.split('\t')[1] !== 'plan') {
      // Without the line file there is no plan, and the map says so.
      const { page, context, problems } = await openPage(made.page);
      const said = await page.waitForFunction(() => document.getElementById('map-text').textContent.startsWith('No map') &&
        document.getElementById('map-text').textContent).then((h) => h.jsonValue()).catch((e) => e.message);
      check('made-up ' + path.basename(dir) + ': without a plan the map says there is none', said.includes('no line file'), said);
      check('made-up ' + path.basename(dir) + ': no console error and no request outside the file', problems.length === 0, problems.join('\n  '));
      await context.close();
    }
  }
} catch (error) {
  check('the tests ran to their end', false, error.stack);
} finally {
  await browser.close();
}
console.log(passed + ' passed, ' + failed + ' failed');
process.exit(failed === 0 ? 0 : 1);
