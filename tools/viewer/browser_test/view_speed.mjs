// How fast the viewer's page is in headless Chromium: the time from the
// start of navigation to its first picture, and the time of each zoom or
// pan step. Not a test: it prints figures (medians of the rounds).
//
//   node view_speed.mjs PAGE.html [ROUNDS] [--chromium PATH]
//
// Per round: a fresh browser context opens the page and waits for its map
// (drawn once the strips are on the screen); then 60 steps, zooming
// in and out about the middle and moving left and right by the keys, each
// step timed twice: the drawing itself (the script's time, performance.now
// around the draw), and the whole step (from the key to the start of the
// frame after the one that drew it, with the frame rate unlimited, so that
// the raster and compositing of the drawn frame count as well).
import { chromium } from 'playwright-core';
import { pathToFileURL } from 'node:url';

const args = process.argv.slice(2);
const chromiumAt = args.includes('--chromium') ? args[args.indexOf('--chromium') + 1] : '/usr/bin/chromium';
const positional = args.filter((a, i) => !a.startsWith('--') && args[i - 1] !== '--chromium');
const file = positional[0];
const rounds = Number(positional[1] || 7);
if (!file) {
  console.error('usage: node view_speed.mjs PAGE.html [ROUNDS] [--chromium PATH]');
  process.exit(64);
}

const median = (values) => {
  const sorted = values.slice().sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const browser = await chromium.launch({
  executablePath: chromiumAt,
  args: ['--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
         '--disable-sync', '--log-level=3', '--disable-frame-rate-limit', '--disable-gpu-vsync'],
});
const first = [], paint = [], map = [], draws = [], frames = [], idle = [];
for (let round = 0; round < rounds; ++round) {
  const context = await browser.newContext({ viewport: { width: 1400, height: 900 } });
  const page = await context.newPage();
  await page.goto(pathToFileURL(file).href);
  // The steps begin once the map, drawn after the first picture, is there.
  await page.waitForFunction(() => performance.getEntriesByName('viewer-first-picture').length > 0 &&
    performance.getEntriesByName('first-contentful-paint').length > 0 && performance.getEntriesByName('viewer-map').length > 0);
  const times = await page.evaluate(() => ({
    picture: performance.getEntriesByName('viewer-first-picture')[0].startTime,
    paint: performance.getEntriesByName('first-contentful-paint')[0].startTime,
    map: performance.getEntriesByName('viewer-map')[0].startTime,
  }));
  first.push(times.picture);
  paint.push(times.paint);
  map.push(times.map);
  const steps = await page.evaluate(async () => {
    const keys = ['+', '+', '+', 'ArrowRight', 'ArrowRight', '-', 'ArrowLeft', '+', '-', '-'];
    const viewer = window.routeViewer;
    viewer.timings.length = 0;
    const frameTimes = [];
    await new Promise((resolve) => requestAnimationFrame(resolve));
    // The baseline: the same two frames after a key that changes nothing.
    const idleTimes = [];
    for (let i = 0; i < 60; ++i) {
      const start = performance.now();
      document.dispatchEvent(new KeyboardEvent('keydown', { key: 'q', bubbles: true }));
      await new Promise((resolve) => requestAnimationFrame(resolve));
      await new Promise((resolve) => requestAnimationFrame(resolve));
      idleTimes.push(performance.now() - start);
    }
    for (let i = 0; i < 60; ++i) {
      const start = performance.now();
      document.dispatchEvent(new KeyboardEvent('keydown', { key: keys[i % keys.length], bubbles: true }));
      // The step is drawn in the next frame, before this callback; the
      // frame after it begins once that one has been rastered and shown.
      await new Promise((resolve) => requestAnimationFrame(resolve));
      await new Promise((resolve) => requestAnimationFrame(resolve));
      frameTimes.push(performance.now() - start);
    }
    return { draws: viewer.timings.slice(), frames: frameTimes, idle: idleTimes };
  });
  draws.push(...steps.draws);
  frames.push(...steps.frames);
  idle.push(...steps.idle);
  await context.close();
}
await browser.close();
const ms = (v) => v.toFixed(1) + ' ms';
console.log('page: ' + file);
console.log(rounds + ' rounds; medians');
console.log('first picture after navigation start: ' + ms(median(first)) + ' (first contentful paint ' + ms(median(paint)) + ')');
console.log('the map drawn after navigation start: ' + ms(median(map)));
console.log('zoom or pan step, drawing: ' + ms(median(draws)) + ' (slowest ' + ms(Math.max(...draws)) + ', ' + draws.length + ' steps)');
console.log('zoom or pan step, key to the next frame: ' + ms(median(frames)) + ' (slowest ' + ms(Math.max(...frames)) +
            '); the same two frames after a key that changes nothing: ' + ms(median(idle)));
