// The route viewer's script, its second part (data.js tells how the parts
// make one script): the view in metres across the canvas, the strips one
// under another, and the labels laid out clear of each other.

  // --- The view: metres across the canvas -----------------------------------
  const domainFrom = -CELL;  // cell 0 begins 50 m before the start
  const domainTo = CELL * (cellCount - 1);
  const GUTTER = 138;        // lane names
  const RIGHT = 12;
  const canvas = document.getElementById('strips');
  const ctx = canvas.getContext('2d');
  let width = 800;           // css pixels of the canvas
  let plotWidth = 600;
  const view = { m0: domainFrom, mpp: 1 };  // the metre at the left edge, metres per pixel
  let selectedCell = null;
  let selectedStation = null;
  let hover = null;          // {cell, metre} under the pointer

  const cellAt = (m) => Math.floor(m / CELL) + 1;
  const cellFrom = (k) => CELL * (k - 1);
  const X = (m) => GUTTER + (m - view.m0) / view.mpp;
  const metreAt = (x) => view.m0 + (x - GUTTER) * view.mpp;
  const maxMpp = () => (domainTo - domainFrom) / plotWidth;
  const minMpp = () => CELL / (plotWidth * 0.6);  // one cell fills most of the width

  function clampView() {
    view.mpp = Math.min(Math.max(view.mpp, minMpp()), maxMpp());
    const span = plotWidth * view.mpp;
    view.m0 = Math.min(Math.max(view.m0, domainFrom), domainTo - span);
  }
  function centre() { return view.m0 + plotWidth * view.mpp / 2; }
  function setView(centreMetre, spanMetres) {
    view.mpp = spanMetres / plotWidth;
    view.mpp = Math.min(Math.max(view.mpp, minMpp()), maxMpp());
    view.m0 = centreMetre - plotWidth * view.mpp / 2;
    clampView();
    changed();
  }
  function zoomAt(factor, x) {
    const m = metreAt(x);
    view.mpp *= factor;
    view.mpp = Math.min(Math.max(view.mpp, minMpp()), maxMpp());
    view.m0 = m - (x - GUTTER) * view.mpp;
    clampView();
    changed();
  }
  function pan(pixels) {
    view.m0 += pixels * view.mpp;
    clampView();
    changed();
  }

  // --- The lanes ----------------------------------------------------------
  const LANES = [
    { id: 'km', name: 'kilometres', sub: 'route; chainage', h: 42 },
    { id: 'plan', name: 'track plan', sub: 'curves: R up, L down', h: 54 },
    { id: 'gradient', name: 'gradient', sub: '\u2030, rising up', h: 60 },
    { id: 'mountains', name: 'mountains', sub: 'type', h: 32 },
    { id: 'speed', name: 'speed limit', sub: 'indicators', h: 100 },
    { id: 'adhesion', name: 'adhesion', sub: '', h: 48 },
    { id: 'stations', name: 'stations', sub: 'zone, stop, marks', h: 76 },
    { id: 'signals', name: 'signals', sub: 'aspects s / d, marks', h: 50 },
    { id: 'slowdowns', name: 'slowdowns', sub: 'km/h; boards', h: 48 },
    { id: 'codes', name: 'code changes', sub: 'written / rules', h: 38 },
    { id: 'boards', name: 'indication boards', sub: 'captions', h: 48 },
    { id: 'cells', name: 'cells', sub: 'number', h: 32 },
  ];
  let top = 4;
  for (const lane of LANES) { lane.top = top; top += lane.h; }
  const canvasHeight = top + 4;
  const laneOf = (id) => LANES.find((l) => l.id === id);

  function niceStep(atLeast) {
    if (!(atLeast > 0)) return 1;
    let power = Math.pow(10, Math.floor(Math.log10(atLeast)));
    for (;;) {
      for (const f of [1, 2, 5]) if (f * power >= atLeast) return f * power;
      power *= 10;
    }
  }
  const fmt = (v) => String(Math.round(v * 1000) / 1000);
  // The cells of a sorted list that are in view, with a margin of pixels.
  function visibleCells(list, margin) {
    const from = cellAt(metreAt(GUTTER - margin)) - 1;
    const to = cellAt(metreAt(width + margin)) + 1;
    const out = [];
    for (let i = lowerBound(list, from, (k) => k); i < list.length && list[i] <= to; ++i) out.push(list[i]);
    return out;
  }

  // --- Labels, laid out: each is measured and drawn only where it keeps
  // clear of every label drawn before it in its strip (or in the gutter);
  // what does not fit is left for a closer zoom. Texts too long for their
  // room are shortened with an ellipsis, the whole text kept for the
  // pointer and for the text description.
  let labelBoxes = [];            // this drawing's labels, in drawing order
  let labelsByLane = new Map();   // the same, by strip
  const fontSize = (font) => Number(/(\d+(?:\.\d+)?)px/.exec(font)[1]);
  const LABEL_GAP = 4;  // pixels kept between two labels side by side
  function overlaps(a, b) {
    return a.x < b.x + b.w + LABEL_GAP && b.x < a.x + a.w + LABEL_GAP && a.y < b.y + b.h && b.y < a.y + a.h;
  }
  // Draws `text` with its baseline at y, about x (align 'centre', 'left'
  // or 'right'), in the current font. Options: lane (the strip whose labels
  // it keeps clear of), colour, full (the whole text, if `text` is
  // shortened), maxW (cut the text to this width), from and to (the room
  // it may be moved into to stay whole; the plot by default).
  // Returns the box drawn, or null.
  function placeLabel(text, x, y, options) {
    const o = options || {};
    const lane = o.lane || 'plot';
    const from = o.from === undefined ? GUTTER + 1 : o.from, to = o.to === undefined ? GUTTER + plotWidth - 1 : o.to;
    let shown = text;
    let w = ctx.measureText(shown).width;
    if (o.maxW !== undefined && w > o.maxW) {
      shown = shortened(text, o.maxW);
      if (shown === null) return null;
      w = ctx.measureText(shown).width;
    }
    if (w > to - from) return null;
    let left = o.align === 'left' ? x : o.align === 'right' ? x - w : x - w / 2;
    // A label whose place is in view moves in to stay whole; one whose
    // place is out of view is not drawn.
    if (left < from || left + w > to) {
      if (x < from - 1 || x > to + 1) return null;
      left = Math.min(Math.max(left, from), to - w);
    }
    const size = fontSize(ctx.font);
    const box = { text: shown, full: o.full || text, lane, x: left, y: y - size, w, h: size + 2 };
    let list = labelsByLane.get(lane);
    if (!list) labelsByLane.set(lane, (list = []));
    for (let i = list.length - 1; i >= 0; --i) if (overlaps(box, list[i])) return null;
    ctx.fillStyle = o.colour || C.ink; ctx.textAlign = 'left'; ctx.fillText(shown, left, y);
    list.push(box);
    labelBoxes.push(box);
    return box;
  }
  // `text` cut to at most `room` pixels with an ellipsis, or null when not
  // even three letters fit.
  function shortened(text, room) {
    let lo = 3, hi = text.length - 1, best = null;
    while (lo <= hi) {
      const mid = (lo + hi) >> 1;
      const t = text.slice(0, mid).trimEnd() + '\u2026';
      if (ctx.measureText(t).width <= room) { best = t; lo = mid + 1; } else hi = mid - 1;
    }
    return best;
  }

  function laneScale(lane, low, high, pad, padTop, padFoot) {
    const foot = lane.top + lane.h - (padFoot === undefined ? pad : padFoot), head = lane.top + (padTop === undefined ? pad : padTop);
    return (v) => foot - (v - low) / (high - low || 1) * (foot - head);
  }
  // The values a strip's scale names in the gutter, and its grid lines.
  const scales = new Map();  // lane id -> [{y, text}]
  function scaleTicks(lane, y, ticks) {
    const list = [];
    for (const t of ticks) { gridLine(y(t.v)); list.push({ y: y(t.v), text: t.text }); }
    scales.set(lane.id, list);
  }
  function noteInPlot(lane, text, y) {
    ctx.font = '10px sans-serif';
    placeLabel(text, GUTTER + 4, y + 3, { lane: lane.id, colour: C.muted, align: 'left' });
  }
  function gridLine(y) {
    ctx.fillStyle = C.grid; ctx.fillRect(GUTTER, Math.round(y), plotWidth, 1);
  }

  // Scales that hold for the whole route, so that they stay put as the view moves.
  function maxOf(array, f) { let m = 0; for (let i = 0; i < array.length; ++i) m = Math.max(m, f(array[i])); return m; }
  let topSpeed = maxOf(columns.velocita_limite_kmh, (v) => v);
  for (const k of cellsOf(KIND.indicator)) for (const key of ['vas_kmh', 'vbs_kmh', 'vcs_kmh']) topSpeed = Math.max(topSpeed, sourceValue(k, key) || 0);
  topSpeed = Math.max(50, Math.ceil(topSpeed / 50) * 50);
  const steepest = Math.max(5, niceStep(maxOf(columns.pendenza, (p) => (p === 0 ? 0 : Math.abs(p - 100)))));
  const topAdhesion = Math.max(1, maxOf(columns.aderenza, (v) => v));
