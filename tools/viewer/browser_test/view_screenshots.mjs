// The viewer's screenshots in docs/: a page at 1024 x 768 and at
// 1920 x 1080, each as the window shows it, at the whole line and at one
// station, and the map zoomed in around that station.
//
//   node view_screenshots.mjs PAGE.html STATION OUTDIR [--chromium PATH]
//
// Writes OUTDIR/viewer-{whole-line,station,map}-WIDTH.png; pngquant (Debian's
// pngquant), when there, cuts them to 128 colours to keep them small.
import { chromium } from 'playwright-core';
import { spawnSync } from 'node:child_process';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const args = process.argv.slice(2);
const chromiumAt = args.includes('--chromium') ? args[args.indexOf('--chromium') + 1] : '/usr/bin/chromium';
const [file, station, outDir] = args.filter((a, i) => !a.startsWith('--') && args[i - 1] !== '--chromium');
if (!file || !station || !outDir) {
  console.error('usage: node view_screenshots.mjs PAGE.html STATION OUTDIR [--chromium PATH]');
  process.exit(64);
}
const browser = await chromium.launch({ executablePath: chromiumAt, args: ['--no-sandbox', '--no-first-run', '--log-level=3'] });
const settle = (page) => page.evaluate(() => new Promise((resolve) => setTimeout(() => requestAnimationFrame(() => requestAnimationFrame(resolve)), 200)));
const written = [];
async function shot(page, name, locator) {
  const png = path.join(outDir, name);
  await settle(page);
  await (locator || page).screenshot({ path: png });
  const small = spawnSync('pngquant', ['--force', '--skip-if-larger', '--output', png, '128', '--', png], { encoding: 'utf8' });
  if (small.error || (small.status !== 0 && small.status !== 98 && small.status !== 99))
    console.error('pngquant: ' + (small.error ? small.error.message : small.stderr.trim()) + ' (' + png + ' kept as it is)');
  written.push(png);
}
for (const [width, height] of [[1024, 768], [1920, 1080]]) {
  const context = await browser.newContext({ viewport: { width, height } });
  await context.route((url) => !/^(file|data):/.test(url.href), (route) => route.abort());
  const page = await context.newPage();
  await page.goto(pathToFileURL(path.resolve(file)).href);
  await page.waitForFunction(() => window.routeViewer && window.routeViewer.mapReady);
  await shot(page, 'viewer-whole-line-' + width + '.png');
  const box = page.getByRole('textbox', { name: 'Go to' });
  await box.fill(station);
  await box.press('Enter');
  await page.mouse.move(0, 0);
  await page.evaluate(() => document.activeElement.blur());
  await shot(page, 'viewer-station-' + width + '.png');
  // The map zoomed in about the station, with the part in the strips marked.
  const map = page.getByRole('img', { name: 'Map', exact: true });
  const mapBox = await map.boundingBox();
  const [x, y] = await page.evaluate(() => window.routeViewer.mapPixelOf(window.routeViewer.view.m0 + 1000));
  await page.mouse.move(mapBox.x + x, mapBox.y + y);
  await page.mouse.wheel(0, -900);
  await page.mouse.wheel(0, -900);
  await page.mouse.move(0, 0);
  await shot(page, 'viewer-map-' + width + '.png', page.locator('#map-box'));
  await context.close();
}
await browser.close();
for (const png of written) console.log('wrote ' + png);
