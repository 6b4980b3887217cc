// The route viewer: the cells of one compiled scenario drawn as strips on
// one kilometre axis, on a canvas, with a panel that shows what a place
// holds. Everything it shows comes from the data the tool put into the page.
'use strict';
(function () {
  const data = JSON.parse(document.getElementById('scenario-data').textContent);
  // Inside the editor (a VS Code webview) the page keeps its place in the
  // webview's state, which outlives a redraw, and a row of the sources
  // opens the line that wrote it.
  const editor = typeof acquireVsCodeApi === 'function' ? acquireVsCodeApi() : null;
  let keptFragment = null;  // the place last given to the editor to keep
  const cellCount = data.cell_count;
  const CELL = 50;

  // The cells column by column, as typed arrays.
  const columns = {};
  for (const key of Object.keys(data.columns)) columns[key] = Int32Array.from(data.columns[key]);
  const tipo = columns.tipo_cella;

  // Cells of each kind, in route order.
  const KIND = { signal: 1, slowdownEnd: 2, slowdownStart: 3, warning: 4, beforeWarning: 5, indicator: 6,
                 stop: 10, mountainMarker: 11, codeChange: 12, codeKept: 13, board: 14 };
  const cellsOfKind = {};
  const approachMarks = [];  // cells with an approach mark
  for (let k = 0; k < cellCount; ++k) {
    (cellsOfKind[tipo[k]] || (cellsOfKind[tipo[k]] = [])).push(k);
    if (columns.avviso[k] !== 0) approachMarks.push(k);
  }
  const cellsOf = (kind) => cellsOfKind[kind] || [];
  const byRules = new Set(data.code_changes_by_rules);
  const codeChanges = data.code_changes_written.concat(data.code_changes_by_rules).sort((a, b) => a - b);
  const boardCaption = new Map(data.boards.map((b) => [b.cell, b.caption]));
  // A board's caption as its lines, each in brackets and padded in the
  // record: the lines trimmed, joined by a dot.
  const captionTexts = new Map();
  function captionLines(k) {
    const raw = boardCaption.get(k) || '';
    const parts = raw.match(/\(([^)]*)\)/g);
    return parts ? parts.map((p) => p.slice(1, -1).trim()).filter((p) => p !== '') : [raw.trim()];
  }
  function captionText(k) {
    let text = captionTexts.get(k);
    if (text === undefined) {
      text = captionLines(k).join(' \u00b7 ');
      captionTexts.set(k, text);
    }
    return text;
  }
  const curves = data.plan ? data.plan.curves : [];
  const slowdowns = data.slowdowns;
  const stations = data.stations;
  // A station's name as shown: without the record's padding.
  for (const s of stations) s.shownName = s.name.trim().replace(/\s+/g, ' ');
  const stationOfStop = new Map();
  for (const s of stations) for (const k of s.stop_cells) stationOfStop.set(k, s);

  // The values as the sources give them, by cell: {key: value} of each row.
  function sourceValue(k, key) {
    const rows = data.cell_sources[k];
    if (!rows) return undefined;
    const row = rows.find((r) => r.key === key);
    return row ? row.value : undefined;
  }

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

  // --- Colours and marks: told apart by shape as well as by colour (the
  // Okabe-Ito colours, which the common colour-vision deficiencies keep
  // apart, and print in grey) -----------------------------------------------
  const C = { ink: '#000000', muted: '#666666', grid: '#e4e4e4', orange: '#E69F00', sky: '#56B4E9',
              green: '#009E73', yellow: '#F0E442', blue: '#0072B2', vermillion: '#D55E00', purple: '#CC79A7' };
  const MARK = {
    signal(c, x, y) {  // a mast with a lamp
      c.strokeStyle = C.green; c.lineWidth = 2; c.beginPath(); c.moveTo(x, y); c.lineTo(x, y - 14); c.stroke();
      c.fillStyle = C.green; c.beginPath(); c.arc(x, y - 17, 4, 0, 2 * Math.PI); c.fill();
    },
    approach(c, x, y, colour) {  // a short tick
      c.strokeStyle = colour; c.lineWidth = 1.5; c.beginPath(); c.moveTo(x, y); c.lineTo(x, y - 6); c.stroke();
    },
    stop(c, x, y) { c.fillStyle = C.ink; c.fillRect(x - 4, y - 4, 8, 8); },
    indicator(c, x, y) {  // a triangle pointing down at its speed
      c.fillStyle = C.purple; c.strokeStyle = C.ink; c.lineWidth = 1;
      c.beginPath(); c.moveTo(x - 5, y - 9); c.lineTo(x + 5, y - 9); c.lineTo(x, y); c.closePath(); c.fill(); c.stroke();
    },
    warning(c, x, y) {  // a triangle pointing up
      c.fillStyle = '#ffffff'; c.strokeStyle = C.vermillion; c.lineWidth = 2;
      c.beginPath(); c.moveTo(x - 6, y); c.lineTo(x + 6, y); c.lineTo(x, y - 11); c.closePath(); c.fill(); c.stroke();
    },
    written(c, x, y) {  // a filled diamond
      c.fillStyle = C.ink; c.beginPath(); c.moveTo(x, y - 6); c.lineTo(x + 5, y); c.lineTo(x, y + 6); c.lineTo(x - 5, y);
      c.closePath(); c.fill();
    },
    rules(c, x, y) {  // a hollow diamond
      c.strokeStyle = C.vermillion; c.lineWidth = 2; c.fillStyle = '#ffffff';
      c.beginPath(); c.moveTo(x, y - 6); c.lineTo(x + 5, y); c.lineTo(x, y + 6); c.lineTo(x - 5, y); c.closePath();
      c.fill(); c.stroke();
    },
    board(c, x, y) {
      c.fillStyle = C.blue; c.fillRect(x - 1, y - 4, 2, 10); c.fillRect(x - 6, y - 12, 12, 8);
    },
    mountainMarker(c, x, y) {
      c.fillStyle = C.orange; c.beginPath(); c.moveTo(x - 4, y); c.lineTo(x + 4, y); c.lineTo(x, y - 7); c.closePath(); c.fill();
    },
  };

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

  // The first index of a sorted array whose key is not below `value`.
  function lowerBound(array, value, key) {
    let lo = 0, hi = array.length;
    while (lo < hi) {
      const mid = (lo + hi) >> 1;
      if (key(array[mid]) < value) lo = mid + 1; else hi = mid;
    }
    return lo;
  }
  // The cells of a sorted list that are in view, with a margin of pixels.
  function visibleCells(list, margin) {
    const from = cellAt(metreAt(GUTTER - margin)) - 1;
    const to = cellAt(metreAt(width + margin)) + 1;
    const out = [];
    for (let i = lowerBound(list, from, (k) => k); i < list.length && list[i] <= to; ++i) out.push(list[i]);
    return out;
  }

  // A value per cell as a line of steps; cells narrower than two pixels are
  // gathered into each pixel's lowest and highest value.
  function drawSteps(values, isSet, y, colour) {
    const k0 = Math.max(0, cellAt(view.m0) - 1);
    const k1 = Math.min(cellCount - 1, cellAt(metreAt(width)) + 1);
    ctx.strokeStyle = colour; ctx.fillStyle = colour; ctx.lineWidth = 2;
    if (CELL / view.mpp >= 2) {
      ctx.beginPath();
      let pen = false;
      for (let k = k0; k <= k1; ++k) {
        const v = values[k];
        if (!isSet(v)) { pen = false; continue; }
        const xa = X(cellFrom(k)), xb = X(cellFrom(k) + CELL), yy = y(v);
        if (pen) ctx.lineTo(xa, yy); else ctx.moveTo(xa, yy);
        ctx.lineTo(xb, yy);
        pen = true;
      }
      ctx.stroke();
      return;
    }
    let column = -1, low = 0, high = 0, last = null;
    const flush = () => {
      if (column < 0) return;
      const a = y(high), b = y(low);
      const y0 = last === null ? a : Math.min(a, last), y1 = last === null ? b : Math.max(b, last);
      ctx.fillRect(column, y0 - 1, 1, y1 - y0 + 2);
      last = (a + b) / 2;
    };
    for (let k = k0; k <= k1; ++k) {
      const v = values[k];
      if (!isSet(v)) { flush(); column = -1; last = null; continue; }
      const c = Math.floor(X(cellFrom(k)));
      if (c !== column) { flush(); column = c; low = high = v; } else { low = Math.min(low, v); high = Math.max(high, v); }
    }
    flush();
  }

  // A value per cell as bars from a base line, gathered per pixel alike.
  function drawBars(values, isSet, y, base, colour) {
    const k0 = Math.max(0, cellAt(view.m0) - 1);
    const k1 = Math.min(cellCount - 1, cellAt(metreAt(width)) + 1);
    ctx.fillStyle = colour;
    const wide = CELL / view.mpp >= 1;
    let column = -1, low = 0, high = 0;
    const flush = () => {
      if (column < 0) return;
      const a = y(Math.max(high, base)), b = y(Math.min(low, base));
      ctx.fillRect(column, a, 1, Math.max(b - a, 1));
    };
    for (let k = k0; k <= k1; ++k) {
      const v = values[k];
      if (!isSet(v)) continue;
      if (wide) {
        const a = y(Math.max(v, base)), b = y(Math.min(v, base));
        const xa = X(cellFrom(k));
        ctx.fillRect(xa, a, Math.max(CELL / view.mpp, 1), Math.max(b - a, 1));
        continue;
      }
      const c = Math.floor(X(cellFrom(k)));
      if (c !== column) { flush(); column = c; low = high = v; } else { low = Math.min(low, v); high = Math.max(high, v); }
    }
    flush();
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

  const drawLane = {
    km(lane) {
      const step = niceStep(view.mpp * 90);
      ctx.font = '11px sans-serif';
      const first = Math.ceil(metreAt(GUTTER) / step) * step;
      for (let m = first; m <= metreAt(GUTTER + plotWidth); m += step) {
        const x = Math.round(X(m));
        ctx.fillStyle = C.grid; ctx.fillRect(x, lane.top + lane.h, 1, canvasHeight - lane.top - lane.h);
        ctx.fillStyle = C.ink; ctx.fillRect(x, lane.top + 14, 1, 5);
        placeLabel(fmt(m / 1000) + ' km', x, lane.top + 11, { lane: 'km-route' });
        const seen = chainageAt(m);
        if (seen !== null) placeLabel('km ' + fmt(seen / 1000), x, lane.top + 33, { lane: 'km-chainage', colour: C.blue });
      }
      ctx.fillStyle = C.ink; ctx.fillRect(GUTTER, lane.top + 19, plotWidth, 1);
    },
    plan(lane) {
      const mid = lane.top + lane.h / 2;
      ctx.fillStyle = '#999'; ctx.fillRect(GUTTER, mid, plotWidth, 1);
      if (!data.plan) { noteInPlot(lane, 'no plan: the scenario has no line file', mid - 6); return; }
      // Where the line itself ends; the route runs on beyond it.
      const end = X(data.route_length_m);
      if (end > GUTTER && end < GUTTER + plotWidth) {
        ctx.font = '10px sans-serif';
        placeLabel('end of line', end - 4, lane.top + 10, { lane: lane.id, colour: '#444', align: 'right' });
      }
      const from = metreAt(GUTTER), to = metreAt(GUTTER + plotWidth);
      ctx.font = '10px sans-serif';
      for (let i = Math.max(0, lowerBound(curves, from, (c) => c.start_m + c.length_m)); i < curves.length; ++i) {
        const c = curves[i];
        if (c.start_m > to) break;
        const xa = X(c.start_m), w = Math.max(c.length_m / view.mpp, 1);
        const h = 3 + c.class * 3.4;
        const right = c.side === 'right';
        ctx.fillStyle = right ? C.vermillion : C.blue;
        ctx.fillRect(xa, right ? mid - h : mid + 1, w, h);
        if (w > 22) placeLabel((right ? 'R' : 'L') + c.class, xa + w / 2, right ? mid + 12 : mid - 4, { lane: lane.id });
      }
    },
    gradient(lane) {
      const y = laneScale(lane, -steepest, steepest, 8);
      scaleTicks(lane, y, [{ v: steepest, text: '+' + steepest + ' \u2030' }, { v: 0, text: '0' }, { v: -steepest, text: '\u2212' + steepest + ' \u2030' }]);
      drawBars(columns.pendenza_per_mille, (v) => v !== -100, y, 0, C.blue);
    },
    mountains(lane) {
      drawBars(columns.montagna, (v) => v !== 0, (v) => (v === 0 ? lane.top + lane.h - 4 : lane.top + 6), 0, C.orange);
      ctx.font = '10px sans-serif';
      if (CELL / view.mpp >= 6) {
        for (const k of visibleCells(cellsOf(KIND.mountainMarker), 10)) MARK.mountainMarker(ctx, X(cellFrom(k) + CELL / 2), lane.top + lane.h - 2);
        let prev = -1;
        const k0 = Math.max(0, cellAt(view.m0)), k1 = Math.min(cellCount - 1, cellAt(metreAt(width)));
        for (let k = k0; k <= k1; ++k) {
          const v = columns.montagna[k];
          if (v !== 0 && v !== prev) placeLabel('type ' + v, X(cellFrom(k)) + 2, lane.top + 17, { lane: lane.id, align: 'left' });
          prev = v;
        }
      }
    },
    speed(lane) {
      // Above the scale, a row for the indicators' speeds.
      const y = laneScale(lane, 0, topSpeed, 0, 18, 6);
      const step = topSpeed <= 100 ? 25 : 50;
      const ticks = [];
      for (let v = 0; v <= topSpeed; v += step) ticks.push({ v, text: v === topSpeed ? v + ' km/h' : String(v) });
      scaleTicks(lane, y, ticks);
      drawSteps(columns.velocita_limite_kmh, (v) => v !== 0, y, C.ink);
      ctx.font = '10px sans-serif';
      for (const k of visibleCells(cellsOf(KIND.indicator), 30)) {
        const vas = sourceValue(k, 'vas_kmh') || 0;
        const x = X(cellFrom(k));
        MARK.indicator(ctx, x, y(vas));
        placeLabel(String(vas), x, lane.top + 12, { lane: lane.id, colour: C.purple });
      }
    },
    adhesion(lane) {
      const y = laneScale(lane, 0, topAdhesion, 7);
      const half = topAdhesion % 2 === 0 && topAdhesion >= 4 ? [{ v: topAdhesion / 2, text: String(topAdhesion / 2) }] : [];
      scaleTicks(lane, y, [{ v: topAdhesion, text: String(topAdhesion) }].concat(half, [{ v: 0, text: '0' }]));
      drawSteps(columns.aderenza, () => true, y, C.green);
    },
    stations(lane) {
      const rows = [lane.top + 12, lane.top + 26];
      const barTop = lane.top + 32, barH = 16;
      const from = metreAt(GUTTER - 200), to = metreAt(width + 200);
      ctx.font = '11px sans-serif';
      const inView = [];
      for (const s of stations) {
        const a = Math.min(s.zone_from_m, s.zone_to_m), b = Math.max(s.zone_from_m, s.zone_to_m);
        if (b < from || a > to) continue;
        inView.push(s);
        const xa = X(a), w = Math.max((b - a) / view.mpp, 2);
        ctx.fillStyle = selectedStation === s ? C.sky : 'rgba(240,228,66,0.55)';
        ctx.fillRect(xa, barTop, w, barH);
        ctx.strokeStyle = C.ink; ctx.lineWidth = 1; ctx.strokeRect(xa + 0.5, barTop + 0.5, w - 1, barH - 1);
        const x = X(s.position_m);
        ctx.fillStyle = C.ink; ctx.fillRect(Math.round(x) - 1, barTop - 4, 2, barH + 8);
      }
      // Names in two rows; the first and the last station of the line
      // first, so that the ends are always named, then the chosen one,
      // then the rest from the start.
      const order = [];
      if (stations.length > 0) order.push(stations[0], stations[stations.length - 1]);
      if (selectedStation) order.push(selectedStation);
      for (const s of inView) order.push(s);
      const named = new Set();
      for (const s of order) {
        if (named.has(s)) continue;
        const x = X(s.position_m);
        if (x < GUTTER - 1 || x > GUTTER + plotWidth + 1) continue;
        named.add(s);
        for (const row of rows) if (placeLabel(s.shownName, x, row, { lane: lane.id })) break;
      }
      if (CELL / view.mpp >= 0.5) {
        for (const k of visibleCells(cellsOf(KIND.stop), 10)) MARK.stop(ctx, X(cellFrom(k) + CELL / 2), barTop + barH + 9);
        ctx.font = '9px sans-serif';
        for (const k of visibleCells(approachMarks, 10)) {
          const a = columns.avviso[k];
          if (a < 81 || a > 84) continue;
          const x = X(cellFrom(k) + CELL / 2);
          MARK.approach(ctx, x, barTop + barH + 14, C.ink);
          if (CELL / view.mpp >= 14) placeLabel(String(a - 80), x + 3, barTop + barH + 23, { lane: lane.id, align: 'left' });
        }
      }
    },
    signals(lane) {
      const base = lane.top + lane.h - 14;
      ctx.font = '10px sans-serif';
      for (const k of visibleCells(cellsOf(KIND.signal), 60)) {
        const x = X(cellFrom(k));
        MARK.signal(ctx, x, base);
        if (CELL / view.mpp < 3) continue;  // the aspects once the signals stand apart
        const s = [1, 2, 3].map((n) => sourceValue(k, 's' + n)).join('');
        const d = [1, 2, 3].map((n) => sourceValue(k, 'd' + n)).join('');
        placeLabel('s' + s + ' d' + d, x + 7, base - 10, { lane: lane.id, align: 'left' });
      }
      if (CELL / view.mpp >= 1) {
        for (const k of visibleCells(approachMarks, 10)) {
          const a = columns.avviso[k];
          if (a >= 81 && a <= 84) continue;
          const x = X(cellFrom(k) + CELL / 2);
          MARK.approach(ctx, x, base + 10, C.green);
          if (CELL / view.mpp >= 14) placeLabel(String(a % 10), x + 3, base + 12, { lane: lane.id, colour: C.green, align: 'left' });
        }
      }
    },
    slowdowns(lane) {
      const barTop = lane.top + 18, barH = 12;
      const from = metreAt(GUTTER - 100), to = metreAt(width + 100);
      ctx.font = '10px sans-serif';
      for (const s of slowdowns) {
        if (s.to_m < from || s.from_m > to) continue;
        const xa = X(s.from_m), w = Math.max((s.to_m - s.from_m) / view.mpp, 2);
        ctx.fillStyle = 'rgba(213,94,0,0.28)'; ctx.fillRect(xa, barTop, w, barH);
        ctx.strokeStyle = C.vermillion; ctx.lineWidth = 1.5; ctx.strokeRect(xa, barTop, w, barH);
        placeLabel(s.speed_kmh + ' km/h', xa + w / 2, barTop - 4, { lane: lane.id, colour: C.vermillion });
      }
      for (const k of visibleCells(cellsOf(KIND.warning), 10)) MARK.warning(ctx, X(cellFrom(k)), barTop + barH + 14);
      if (CELL / view.mpp >= 4)
        for (const k of visibleCells(cellsOf(KIND.beforeWarning), 10)) MARK.approach(ctx, X(cellFrom(k) + CELL / 2), barTop + barH + 14, C.vermillion);
    },
    codes(lane) {
      const y = lane.top + lane.h / 2 + 4;
      ctx.font = '10px sans-serif';
      for (const k of visibleCells(codeChanges, 10)) {
        const x = X(cellFrom(k) + CELL / 2);
        if (byRules.has(k)) MARK.rules(ctx, x, y); else MARK.written(ctx, x, y);
        const code = tipo[k] === KIND.codeKept ? 'kept' : String(columns.valore_1[k]);
        placeLabel(code, x, y - 9, { lane: lane.id });
      }
    },
    boards(lane) {
      const y = lane.top + 16;
      ctx.font = '10px sans-serif';
      const list = visibleCells(cellsOf(KIND.board), 200);
      for (let i = 0; i < list.length; ++i) {
        const k = list[i];
        const x = X(cellFrom(k));
        MARK.board(ctx, x, y);
        // A caption has the room up to the next board.
        const room = i + 1 < list.length ? X(cellFrom(list[i + 1])) - 4 - (x - 6) : GUTTER + plotWidth - (x - 6);
        const text = captionText(k);
        if (text !== '') placeLabel(text, x - 6, y + 16, { lane: lane.id, colour: C.blue, align: 'left', maxW: room });
      }
    },
    cells(lane) {
      const px = CELL / view.mpp;
      if (px < 4) return;
      const k0 = Math.max(0, cellAt(view.m0)), k1 = Math.min(cellCount - 1, cellAt(metreAt(width)));
      ctx.font = '10px sans-serif';
      for (let k = k0; k <= k1; ++k) {
        const x = X(cellFrom(k));
        ctx.fillStyle = '#bbb'; ctx.fillRect(Math.round(x), lane.top + 2, 1, lane.h - 4);
        if (px >= 34 || (px >= 12 && k % 5 === 0)) placeLabel(String(k), x + px / 2, lane.top + 19, { lane: lane.id });
      }
    },
  };

  // The chainage the driver reads at a route metre: each kilometric
  // progressive zone holds from its position to the next one's.
  const zones = data.progressives.slice().sort((a, b) => a.position_m - b.position_m);
  function chainageAt(m) {
    let zone = null;
    for (const z of zones) if (z.position_m <= m) zone = z;
    if (!zone) return null;
    return zone.direction === 1 ? zone.chainage_m - (m - zone.position_m) : zone.chainage_m + (m - zone.position_m);
  }

  // --- Drawing ------------------------------------------------------------
  const timings = [];  // the time of each drawing of the strips and the map
  function resize() {
    const ratio = window.devicePixelRatio || 1;
    const rect = canvas.getBoundingClientRect();
    const keepCentre = centre(), keepSpan = plotWidth * view.mpp;
    width = Math.max(320, Math.floor(rect.width));
    plotWidth = width - GUTTER - RIGHT;
    canvas.style.height = canvasHeight + 'px';
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(canvasHeight * ratio);
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    sizeMap();
    return [keepCentre, keepSpan];
  }

  function draw() {
    const started = performance.now();
    labelBoxes = []; labelsByLane = new Map(); scales.clear();
    ctx.fillStyle = '#ffffff'; ctx.fillRect(0, 0, width, canvasHeight);
    LANES.forEach((lane, i) => {
      if (i % 2 === 1) { ctx.fillStyle = '#f6f7f9'; ctx.fillRect(GUTTER, lane.top, plotWidth, lane.h); }
    });
    // The selected cell across every lane.
    if (selectedCell !== null) {
      const xa = X(cellFrom(selectedCell)), w = Math.max(CELL / view.mpp, 2);
      ctx.fillStyle = 'rgba(86,180,233,0.25)'; ctx.fillRect(xa, LANES[1].top, w, canvasHeight - LANES[1].top);
      ctx.strokeStyle = C.blue; ctx.lineWidth = 1; ctx.strokeRect(xa + 0.5, LANES[1].top + 0.5, w - 1, canvasHeight - LANES[1].top - 5);
    }
    ctx.save();
    ctx.beginPath(); ctx.rect(GUTTER, 0, plotWidth, canvasHeight); ctx.clip();
    // Where the line itself ends (named in the plan's strip).
    const end = X(data.route_length_m);
    if (end > GUTTER && end < width) {
      ctx.setLineDash([6, 4]); ctx.strokeStyle = '#444'; ctx.lineWidth = 1.2;
      ctx.beginPath(); ctx.moveTo(end, LANES[1].top); ctx.lineTo(end, canvasHeight); ctx.stroke(); ctx.setLineDash([]);
    }
    for (const lane of LANES) drawLane[lane.id](lane);
    if (hover !== null) {
      ctx.fillStyle = 'rgba(0,0,0,0.5)'; ctx.fillRect(Math.round(X(hover.metre)), LANES[1].top, 1, canvasHeight - LANES[1].top);
    }
    ctx.restore();
    // Lane names in the gutter, then the scales' values where they keep
    // clear of the names.
    ctx.fillStyle = '#ffffff'; ctx.fillRect(0, 0, GUTTER, canvasHeight);
    const gutter = { lane: 'gutter', from: 2, to: GUTTER - 3, align: 'left' };
    for (const lane of LANES) {
      ctx.font = 'bold 11px sans-serif';
      placeLabel(lane.name, 6, lane.top + 13, gutter);
      ctx.font = '10px sans-serif';
      if (lane.sub) placeLabel(lane.sub, 6, lane.top + 25, { ...gutter, colour: C.muted });
      ctx.fillStyle = C.grid; ctx.fillRect(0, lane.top + lane.h, width, 1);
    }
    ctx.font = '10px sans-serif';
    for (const lane of LANES) {
      for (const t of scales.get(lane.id) || []) {
        if (placeLabel(t.text, GUTTER - 6, t.y + 3.5, { ...gutter, align: 'right', colour: C.muted })) {
          ctx.fillStyle = C.muted; ctx.fillRect(GUTTER - 4, Math.round(t.y), 4, 1);
        }
      }
    }
    drawMap();
    timings.push(performance.now() - started);
    if (timings.length > 400) timings.shift();
    describeLater();
  }

  // --- What the strips show, as text: for screen readers (the canvas is
  // described by it) and for anyone who reads the page as text. Written a
  // moment after the drawing, so that moving stays smooth.
  const stripsText = document.getElementById('strips-text');
  let describeTimer = 0;
  function describeLater() {
    clearTimeout(describeTimer);
    describeTimer = setTimeout(describe, 120);
  }
  function describe() {
    const from = Math.max(view.m0, domainFrom), to = view.m0 + plotWidth * view.mpp;
    const items = [];
    const listed = (list, limit) => (list.length <= limit ? list.join(', ') : list.slice(0, limit).join(', ') + ' and ' + (list.length - limit) + ' more');
    const inView = stations.filter((s) => s.position_m >= from && s.position_m <= to);
    items.push(['stations', inView.length === 0 ? 'none in view' : listed(inView.map((s) => s.shownName + ' at ' + fmt(s.position_m / 1000) + ' km'), 60)]);
    const signals = cellsOf(KIND.signal).filter((k) => cellFrom(k) + CELL >= from && cellFrom(k) <= to);
    items.push(['signals', signals.length === 0 ? 'none in view' : signals.length + ' in view: ' +
      listed(signals.map((k) => 'cell ' + k + ' at ' + fmt(cellFrom(k) / 1000) + ' km'), 40)]);
    for (const lane of LANES) {
      if (lane.id === 'stations') continue;
      const boxes = (labelsByLane.get(lane.id) || []).concat(lane.id === 'km' ? (labelsByLane.get('km-route') || []).concat(labelsByLane.get('km-chainage') || []) : []);
      if (boxes.length > 0) items.push([lane.name, listed(boxes.map((b) => b.full), 60)]);
    }
    let html = '<p>' + esc(place.textContent) + '</p><ul>';
    for (const [name, text] of items) html += '<li data-lane="' + esc(name) + '">' + esc(name) + ': ' + esc(text) + '</li>';
    html += '</ul>';
    if (stripsText.innerHTML !== html) stripsText.innerHTML = html;
    let mapSays = 'The map shows the line from above';
    if (!data.plan) mapSays = 'No map: the scenario has no line file, which holds the plan.';
    else if (mapBounds) {
      const across = Math.max(mapBounds.x1 - mapBounds.x0, mapBounds.y1 - mapBounds.y0);
      mapSays += ', ' + fmt(across / 1000) + ' km across, with its stations ' + mapLabels.map((b) => b.text).join(', ') +
        ' named; the strips\' part, ' + shownPlaceText() + ', is marked.';
    }
    if (mapText.textContent !== mapSays) mapText.textContent = mapSays;
  }

  let frameWanted = false;
  function changed() {
    if (frameWanted) return;
    frameWanted = true;
    requestAnimationFrame(() => {
      frameWanted = false;
      draw();
      showPlace();
    });
  }

  // --- The place: the status line and the URL fragment --------------------
  const place = document.getElementById('place');
  let placeNote = '';  // what the last "Go to" read, told once with the place
  function shownPlaceText() {
    const from = Math.max(view.m0, domainFrom), to = view.m0 + plotWidth * view.mpp;
    return 'From ' + fmt(from / 1000) + ' km to ' + fmt(to / 1000) + ' km (cells ' +
      Math.max(0, cellAt(from)) + ' to ' + Math.min(cellCount - 1, cellAt(to - 1e-6)) + ')';
  }
  function showPlace() {
    place.classList.remove('error');
    const shownPlace = shownPlaceText();
    place.textContent = shownPlace + (placeNote ? '; ' + placeNote : '');
    placeNote = '';
    canvas.setAttribute('aria-label', 'The route as strips, ' + shownPlace);
    const parts = ['m=' + Math.round(centre()), 'span=' + Math.round(plotWidth * view.mpp * 10) / 10];
    if (selectedCell !== null) parts.push('cell=' + selectedCell);
    if (selectedStation !== null) parts.push('station=' + selectedStation.record);
    const hash = '#' + parts.join('&');
    if (location.hash !== hash) {
      try { history.replaceState(null, '', hash); } catch (e) { /* a frame that keeps no history */ }
    }
    if (editor && hash !== keptFragment) {
      keptFragment = hash;
      editor.setState({ fragment: hash });
    }
  }
  function readPlace(fragment) {
    const fields = new URLSearchParams((fragment === undefined ? location.hash : fragment).slice(1));
    const m = Number(fields.get('m')), span = Number(fields.get('span'));
    if (fields.has('cell')) { const k = Number(fields.get('cell')); if (Number.isInteger(k) && k >= 0 && k < cellCount) selectedCell = k; }
    if (fields.has('station')) selectedStation = stations.find((s) => s.record === Number(fields.get('station'))) || null;
    if (fields.has('m') && Number.isFinite(m) && Number.isFinite(span) && span > 0) { setView(m, span); return true; }
    return false;
  }

  // --- The detail panel ---------------------------------------------------
  const details = document.getElementById('details-body');
  const esc = (t) => String(t).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]));
  function shown(v) { return v === null ? '' : String(v); }

  const baseName = (path) => path.replace(/^.*[\\/]/, '');
  // The values as the sources give them: where each was written first
  // (file and line, when the page was made from the sources), then the
  // keyword and value with the field that stores it, then the value.
  function sourceTable(rows, caption) {
    if (!rows || rows.length === 0) return '';
    const placed = rows.some((r) => r.line !== undefined);
    let html = '<h4>' + esc(caption) + '</h4><table class="source"><colgroup>' +
      (placed ? '<col style="width:30%"><col style="width:44%"><col style="width:26%">' : '<col style="width:66%"><col style="width:34%">') +
      '</colgroup><thead><tr>' + (placed ? '<th>line</th>' : '') + '<th>keyword and value <span class="note">stored in</span></th><th>as written</th></tr></thead><tbody>';
    for (const r of rows) {
      const where = r.column > 0 ? ' (value ' + r.column + ')' : '';
      const at = r.line !== undefined ? ' data-file="' + esc(r.file) + '" data-line="' + r.line + '"' +
        (editor ? ' class="to-source" tabindex="0" title="Show line ' + r.line + ' of ' + esc(baseName(r.file)) + ' in the editor"' : '') : '';
      const stored = r.field + (r.note ? ' (' + r.note + ')' : '');
      html += '<tr data-keyword="' + esc(r.keyword) + '" data-key="' + esc(r.key) + '"' + at + '>' +
        (placed ? '<td class="line">' + (r.line !== undefined ? esc(baseName(r.file)) + ':' + r.line : '') + '</td>' : '') +
        '<th>' + esc(r.keyword) + ': ' + esc(r.name) + where + (stored ? '<span class="note">' + esc(stored) + '</span>' : '') + '</th>' +
        '<td class="value">' + esc(shown(r.value)) + (r.unit && typeof r.value === 'number' ? ' ' + esc(r.unit) : '') + '</td></tr>';
    }
    return html + '</tbody></table>';
  }
  // A row of the sources, clicked or entered, opens its line in the editor.
  function toSource(e) {
    const row = e.target.closest && e.target.closest('tr.to-source');
    if (!row || !editor) return;
    e.preventDefault();
    editor.postMessage({ type: 'reveal', file: row.dataset.file, line: Number(row.dataset.line) });
  }
  details.addEventListener('click', toSource);
  details.addEventListener('keydown', (e) => { if (e.key === 'Enter' || e.key === ' ') toSource(e); });
  function fieldTable(pairs, part) {
    let html = '<table class="fields" data-part="' + part + '"><colgroup><col style="width:52%"><col style="width:48%"></colgroup><tbody>';
    for (const [key, value] of pairs) html += '<tr data-field="' + esc(key) + '"><th>' + esc(key) + '</th><td>' + esc(shown(value)) + '</td></tr>';
    return html + '</tbody></table>';
  }

  function cellPairs(k) {
    const pairs = [];
    for (const key of data.cell_fields) {
      if (key === 'index') pairs.push([key, k]);
      else if (key === 'kind') pairs.push([key, data.kind_names[String(tipo[k])]]);
      else pairs.push([key, columns[key][k]]);
    }
    return pairs;
  }
  function stationOfCell(k) {
    if (stationOfStop.has(k)) return stationOfStop.get(k);
    const a = cellFrom(k), b = a + CELL;
    return stations.find((s) => Math.min(s.zone_from_m, s.zone_to_m) < b && Math.max(s.zone_from_m, s.zone_to_m) > a) || null;
  }

  // A point of the plan: its two coordinates as the line file holds them,
  // rebuilt from the anchor before it, step by step: each point is the one
  // before it moved by the step before it, turned by the curvature of the
  // curve it lies in (0 on the straight); the same double arithmetic as the
  // compile's gives the same numbers. Points that the rule does not give
  // are in the data themselves.
  let planAnchors = null;
  let planExceptions = null;
  function doubles(base64) {
    const bytes = atob(base64);
    const view = new DataView(new ArrayBuffer(bytes.length));
    for (let i = 0; i < bytes.length; ++i) view.setUint8(i, bytes.charCodeAt(i));
    const out = new Float64Array(bytes.length / 8);
    for (let i = 0; i < out.length; ++i) out[i] = view.getFloat64(8 * i, true);
    return out;
  }
  // The first curve, from `index` on, that does not end before metre j.
  function curveReaching(curves, index, j) {
    while (index < curves.length && curves[index].start_m + curves[index].length_m < j) ++index;
    return index;
  }
  // The curvature at metre j (0 on the straight), given curveReaching's curve.
  function curvatureAt(curves, index, j) {
    return index < curves.length && curves[index].start_m < j ? curves[index].curvature : 0;
  }
  // The next point of the plan from the two before it: the compile's own
  // arithmetic, in its order, so that every point comes out to the bit.
  function nextPlanPoint(x0, y0, x1, y1, c) {
    const dx = x1 - x0, dy = y1 - y0;
    return [x1 + (dx + c * dy), y1 + (dy - c * dx)];
  }

  function planPoint(x) {
    const plan = data.plan;
    if (x < 2) return plan.seeds[x];
    if (x - 2 >= plan.computed) return [{ type: 'Empty', value: null }, { type: 'Empty', value: null }];
    if (planAnchors === null) {
      planAnchors = doubles(plan.anchors);
      const values = doubles(plan.exception_values);
      planExceptions = new Map(plan.exceptions.map((j, i) => [j, [values[2 * i], values[2 * i + 1]]]));
    }
    const k = Math.floor((x - 2) / plan.anchor_every), a = 2 + k * plan.anchor_every;
    let x0 = planAnchors[4 * k], y0 = planAnchors[4 * k + 1], x1 = planAnchors[4 * k + 2], y1 = planAnchors[4 * k + 3];
    if (x === a) { x1 = x0; y1 = y0; }
    let curve = lowerBound(curves, a + 2, (c) => c.start_m + c.length_m);
    for (let j = a + 2; j <= x; ++j) {
      let nx, ny;
      const given = planExceptions.get(j);
      if (given) {
        [nx, ny] = given;
      } else {
        curve = curveReaching(curves, curve, j);
        [nx, ny] = nextPlanPoint(x0, y0, x1, y1, curvatureAt(curves, curve, j));
      }
      x0 = x1; y0 = y1; x1 = nx; y1 = ny;
    }
    return [{ type: 'Double', value: x1 }, { type: 'Double', value: y1 }];
  }

  function showDetails(k, metre) {
    let html = '<h3>Cell ' + k + ', from ' + cellFrom(k) + ' m: ' + esc(data.kind_names[String(tipo[k])]) + '</h3>';
    html += fieldTable(cellPairs(k), 'cell');
    if (tipo[k] === KIND.codeChange || tipo[k] === KIND.codeKept)
      html += '<p class="origin">' + (byRules.has(k) ? 'Placed by the cell rules (code 180), not written in the sources.'
        : 'Written in the train service: an abbattimento line.') + '</p>';
    if (tipo[k] === KIND.board && boardCaption.has(k))
      html += '<p class="caption">Caption: <q>' + captionLines(k).map(esc).join('<br>') + '</q></p>';
    html += sourceTable(data.cell_sources[k], 'As the sources give it');
    const station = selectedStation !== null && metre === undefined ? selectedStation : stationOfCell(k);
    if (station) {
      const record = data.records[station.record];
      html += '<h3>Station record ' + station.record + ': ' + esc(station.name) + '</h3>';
      html += fieldTable(Object.keys(record).filter((key) => key !== 'source' && key !== 'source_rows').map((key) => [key, record[key]]), 'station');
      html += sourceTable(record.source_rows, 'As the sources give it');
    }
    if (data.plan) {
      const x = Math.min(Math.max(Math.round(metre === undefined ? cellFrom(k) : metre), 0), data.plan.points - 1);
      const point = planPoint(x);
      html += '<h3>Plan point at metre ' + x + '</h3>';
      html += fieldTable([['x', x], ['type_0', point[0].type], ['column_0', point[0].value], ['type_1', point[1].type], ['column_1', point[1].value]], 'plan');
    }
    details.innerHTML = html;
  }

  // --- The map: the plan of the track from above -----------------------
  // The plan's points are walked once, as planPoint rebuilds them, and kept
  // every few metres (some 8,000 points in all); the map draws them as a
  // line, the part the strips show thicker, and the stations on it.
  const mapCanvas = document.getElementById('map');
  const mctx = mapCanvas.getContext('2d');
  const mapText = document.getElementById('map-text');
  let mapWidth = 300, mapHeight = 220;
  let mapM = null, mapX = null, mapY = null;  // the kept points: metre, x, y
  let mapBounds = null;
  const mapView = { zoom: 1, cx: 0, cy: 0 };   // the plan point in the middle of the map
  let mapLabels = [];
  function buildMap() {
    const plan = data.plan;
    if (!plan || mapM !== null) return;
    const last = 1 + plan.computed;  // the last computed point
    const every = Math.max(1, Math.ceil((last + 1) / 8000));
    const ms = [], xs = [], ys = [];
    const keep = (j, x, y) => { if (j % every === 0 || j === last) { ms.push(j); xs.push(x); ys.push(y); } };
    for (let j = 0; j < 2 && j <= last; ++j) {
      const seed = plan.seeds[j];
      if (seed && seed[0].type === 'Double' && seed[1].type === 'Double') keep(j, seed[0].value, seed[1].value);
    }
    if (last >= 2 && planAnchors === null) planPoint(2);  // reads the anchors and exceptions
    const exceptions = last >= 2 ? [...planExceptions.keys()].sort((a, b) => a - b) : [];
    let e = 0, curve = 0;
    for (let a = 2, k = 0; a <= last; a += plan.anchor_every, ++k) {
      let x0 = planAnchors[4 * k], y0 = planAnchors[4 * k + 1], x1 = planAnchors[4 * k + 2], y1 = planAnchors[4 * k + 3];
      keep(a, x0, y0);
      if (a + 1 <= last) keep(a + 1, x1, y1);
      const end = Math.min(last, a + plan.anchor_every - 1);
      for (let j = a + 2; j <= end; ++j) {
        let nx, ny;
        while (e < exceptions.length && exceptions[e] < j) ++e;
        if (e < exceptions.length && exceptions[e] === j) {
          [nx, ny] = planExceptions.get(j);
        } else {
          curve = curveReaching(curves, curve, j);
          [nx, ny] = nextPlanPoint(x0, y0, x1, y1, curvatureAt(curves, curve, j));
        }
        x0 = x1; y0 = y1; x1 = nx; y1 = ny;
        keep(j, x1, y1);
      }
    }
    mapM = Int32Array.from(ms); mapX = Float64Array.from(xs); mapY = Float64Array.from(ys);
    let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
    for (let i = 0; i < mapM.length; ++i) {
      x0 = Math.min(x0, mapX[i]); x1 = Math.max(x1, mapX[i]); y0 = Math.min(y0, mapY[i]); y1 = Math.max(y1, mapY[i]);
    }
    mapBounds = { x0, x1, y0, y1 };
    mapView.cx = (x0 + x1) / 2; mapView.cy = (y0 + y1) / 2;
  }
  // Pixels per plan unit at the whole line, and the map's transform.
  function mapFit() {
    const b = mapBounds, pad = 18;
    return Math.min((mapWidth - 2 * pad) / Math.max(b.x1 - b.x0, 1), (mapHeight - 2 * pad) / Math.max(b.y1 - b.y0, 1));
  }
  const mapScale = () => mapFit() * mapView.zoom;
  const MX = (x) => mapWidth / 2 + (x - mapView.cx) * mapScale();
  const MY = (y) => mapHeight / 2 - (y - mapView.cy) * mapScale();
  // The plan point at route metre m, between the kept points.
  function mapPointAt(m) {
    const i = Math.min(Math.max(lowerBound(mapM, m, (v) => v), 1), mapM.length - 1);
    const a = mapM[i - 1], b = mapM[i];
    const f = b > a ? Math.min(Math.max((m - a) / (b - a), 0), 1) : 0;
    return [mapX[i - 1] + f * (mapX[i] - mapX[i - 1]), mapY[i - 1] + f * (mapY[i] - mapY[i - 1])];
  }
  // The route metre of the kept point nearest to a pixel of the map.
  function mapMetreAt(px, py) {
    let best = 0, bestD = Infinity;
    for (let i = 0; i < mapM.length; ++i) {
      const dx = MX(mapX[i]) - px, dy = MY(mapY[i]) - py, d = dx * dx + dy * dy;
      if (d < bestD) { bestD = d; best = i; }
    }
    return mapM[best];
  }
  function sizeMap() {
    const ratio = window.devicePixelRatio || 1;
    const rect = mapCanvas.getBoundingClientRect();
    mapWidth = Math.max(160, Math.floor(rect.width));
    mapHeight = Math.max(120, Math.floor(rect.height));
    mapCanvas.width = Math.round(mapWidth * ratio);
    mapCanvas.height = Math.round(mapHeight * ratio);
    mctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  }
  let mapDrag = false;
  // The line, its stations and the scale bar change only with the map's
  // own view: they are drawn once into a layer of their own, which each
  // drawing copies before marking the part in the strips.
  const mapBase = document.createElement('canvas');
  let mapBaseKey = '';
  function drawMapBase() {
    const ratio = window.devicePixelRatio || 1;
    const key = [mapWidth, mapHeight, ratio, mapView.zoom, mapView.cx, mapView.cy, selectedStation ? selectedStation.record : -1].join();
    if (key === mapBaseKey) return;
    mapBaseKey = key;
    mapBase.width = mapCanvas.width; mapBase.height = mapCanvas.height;
    const c = mapBase.getContext('2d');
    c.setTransform(ratio, 0, 0, ratio, 0, 0);
    c.fillStyle = '#fbfbf9'; c.fillRect(0, 0, mapWidth, mapHeight);
    // The whole line.
    c.strokeStyle = '#8a8a8a'; c.lineWidth = 2; c.lineJoin = 'round'; c.lineCap = 'round';
    c.beginPath();
    for (let i = 0; i < mapM.length; ++i) { if (i === 0) c.moveTo(MX(mapX[i]), MY(mapY[i])); else c.lineTo(MX(mapX[i]), MY(mapY[i])); }
    c.stroke();
    // The stations, the ends first.
    mapLabels = [];
    c.font = '11px sans-serif'; c.textAlign = 'left';
    const order = stations.length > 1 ? [stations[0], stations[stations.length - 1]].concat(stations.slice(1, -1)) : stations;
    for (const s of order) {
      const [x, y] = mapPointAt(Math.min(Math.max(s.position_m, 0), mapM[mapM.length - 1]));
      const px = MX(x), py = MY(y);
      if (px < -5 || px > mapWidth + 5 || py < -5 || py > mapHeight + 5) continue;
      c.fillStyle = selectedStation === s ? C.sky : C.ink;
      c.fillRect(px - 3, py - 3, 6, 6);
      const w = c.measureText(s.shownName).width;
      for (const [lx, ly] of [[px + 6, py - 4], [px - 6 - w, py - 4], [px + 6, py + 13], [px - 6 - w, py + 13]]) {
        const box = { text: s.shownName, full: s.shownName, lane: 'map', x: lx, y: ly - 11, w, h: 13 };
        if (box.x < 2 || box.x + w > mapWidth - 2 || box.y < 2 || box.y + box.h > mapHeight - 2) continue;
        if (mapLabels.some((b) => overlaps(box, b))) continue;
        c.fillStyle = '#ffffffcc'; c.fillRect(box.x - 1, box.y, w + 2, box.h);
        c.fillStyle = C.ink; c.fillText(s.shownName, lx, ly);
        mapLabels.push(box);
        break;
      }
    }
    // A scale bar.
    const unit = niceStep(70 / mapScale());
    const bar = unit * mapScale();
    c.fillStyle = C.ink; c.fillRect(8, mapHeight - 10, bar, 2); c.fillRect(8, mapHeight - 14, 1, 6); c.fillRect(8 + bar, mapHeight - 14, 1, 6);
    c.font = '10px sans-serif';
    c.fillText(unit >= 1000 ? unit / 1000 + ' km' : unit + ' m', 12 + bar, mapHeight - 7);
  }
  function drawMap() {
    const c = mctx;
    if (!data.plan || mapM === null || mapM.length < 2) {
      c.fillStyle = '#fbfbf9'; c.fillRect(0, 0, mapWidth, mapHeight);
      c.font = '11px sans-serif'; c.textAlign = 'left'; c.fillStyle = C.muted;
      c.fillText(data.plan ? 'Drawing the map\u2026' : 'No map: the scenario has no line file, which holds the plan.', 8, 20);
      return;
    }
    const from = Math.max(view.m0, 0), to = Math.min(view.m0 + plotWidth * view.mpp, mapM[mapM.length - 1]);
    // A zoomed map follows the strips, unless the pointer is moving it.
    if (mapView.zoom > 1 && !mapDrag) {
      const [x, y] = mapPointAt((from + to) / 2);
      if (MX(x) < mapWidth * 0.15 || MX(x) > mapWidth * 0.85 || MY(y) < mapHeight * 0.15 || MY(y) > mapHeight * 0.85) { mapView.cx = x; mapView.cy = y; }
    }
    drawMapBase();
    c.setTransform(1, 0, 0, 1, 0, 0);
    c.drawImage(mapBase, 0, 0);
    const ratio = window.devicePixelRatio || 1;
    c.setTransform(ratio, 0, 0, ratio, 0, 0);
    // The part in the strips.
    if (to >= from) {
      c.strokeStyle = C.blue; c.lineWidth = 5; c.lineJoin = 'round'; c.lineCap = 'round';
      c.beginPath();
      let [x, y] = mapPointAt(from);
      c.moveTo(MX(x), MY(y));
      for (let i = lowerBound(mapM, from, (v) => v); i < mapM.length && mapM[i] < to; ++i) c.lineTo(MX(mapX[i]), MY(mapY[i]));
      [x, y] = mapPointAt(to);
      c.lineTo(MX(x), MY(y));
      c.stroke();
      const [mx, my] = mapPointAt((from + to) / 2);
      c.fillStyle = '#ffffff'; c.strokeStyle = C.blue; c.lineWidth = 2;
      c.beginPath(); c.arc(MX(mx), MY(my), 5, 0, 2 * Math.PI); c.fill(); c.stroke();
    }
  }
  function mapPointer(e) {
    const r = mapCanvas.getBoundingClientRect();
    return [e.clientX - r.left, e.clientY - r.top];
  }
  function moveToMap(e) {
    if (mapM === null) return;
    const [px, py] = mapPointer(e);
    setView(mapMetreAt(px, py), plotWidth * view.mpp);
  }
  mapCanvas.addEventListener('pointerdown', (e) => {
    if (mapM === null) return;
    mapDrag = true;
    mapCanvas.setPointerCapture(e.pointerId);
    moveToMap(e);
  });
  mapCanvas.addEventListener('pointermove', (e) => { if (mapDrag) moveToMap(e); });
  const endMapDrag = () => { if (mapDrag) { mapDrag = false; changed(); } };
  mapCanvas.addEventListener('pointerup', endMapDrag);
  mapCanvas.addEventListener('pointercancel', endMapDrag);
  mapCanvas.addEventListener('wheel', (e) => {
    if (mapM === null) return;
    e.preventDefault();
    const [px, py] = mapPointer(e);
    // The plan point under the pointer stays under it.
    const x = mapView.cx + (px - mapWidth / 2) / mapScale(), y = mapView.cy - (py - mapHeight / 2) / mapScale();
    mapView.zoom = Math.min(Math.max(mapView.zoom * Math.pow(1.0015, -e.deltaY), 1), 4000);
    if (mapView.zoom === 1) { mapView.cx = (mapBounds.x0 + mapBounds.x1) / 2; mapView.cy = (mapBounds.y0 + mapBounds.y1) / 2; }
    else { mapView.cx = x - (px - mapWidth / 2) / mapScale(); mapView.cy = y + (py - mapHeight / 2) / mapScale(); }
    drawMap();
  }, { passive: false });
  mapCanvas.addEventListener('dblclick', () => {
    if (mapM === null) return;
    mapView.zoom = 1; mapView.cx = (mapBounds.x0 + mapBounds.x1) / 2; mapView.cy = (mapBounds.y0 + mapBounds.y1) / 2;
    drawMap();
  });

  // --- Pointer, wheel, keys ----------------------------------------------
  let drag = null;
  canvas.addEventListener('pointerdown', (e) => {
    drag = { x: e.clientX, m0: view.m0, moved: false };
    canvas.setPointerCapture(e.pointerId);
  });
  canvas.addEventListener('pointermove', (e) => {
    const x = e.clientX - canvas.getBoundingClientRect().left;
    if (drag) {
      if (Math.abs(e.clientX - drag.x) > 3) drag.moved = true;
      if (drag.moved) {
        canvas.classList.add('dragging');
        view.m0 = drag.m0 - (e.clientX - drag.x) * view.mpp;
        clampView(); changed();
        return;
      }
    }
    // A shortened label shows its whole text as the pointer's tip.
    const y = e.clientY - canvas.getBoundingClientRect().top;
    const under = labelBoxes.find((b) => b.text !== b.full && x >= b.x && x <= b.x + b.w && y >= b.y && y <= b.y + b.h);
    const tip = under ? under.full : '';
    if (canvas.title !== tip) canvas.title = tip;
    if (x < GUTTER) return;
    const metre = metreAt(x);
    const k = Math.min(Math.max(cellAt(metre), 0), cellCount - 1);
    hover = { cell: k, metre: metre };
    showDetails(k, metre);
    changed();
  });
  canvas.addEventListener('pointerup', (e) => {
    const x = e.clientX - canvas.getBoundingClientRect().left;
    const wasDrag = drag && drag.moved;
    drag = null;
    canvas.classList.remove('dragging');
    if (wasDrag || x < GUTTER) return;
    const metre = metreAt(x);
    selectedCell = Math.min(Math.max(cellAt(metre), 0), cellCount - 1);
    selectedStation = null;
    showDetails(selectedCell, metre);
    changed();
  });
  canvas.addEventListener('pointerleave', () => {
    hover = null;
    if (selectedCell !== null) showDetails(selectedCell);
    changed();
  });
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    const x = e.clientX - canvas.getBoundingClientRect().left;
    if (e.shiftKey || Math.abs(e.deltaX) > Math.abs(e.deltaY)) { pan(e.deltaX || e.deltaY); return; }
    zoomAt(Math.pow(1.0015, e.deltaY), Math.max(x, GUTTER));
  }, { passive: false });

  const ZOOM = 1.5;
  function zoomCentre(factor) { zoomAt(factor, GUTTER + plotWidth / 2); }
  document.getElementById('zoom-in').addEventListener('click', () => zoomCentre(1 / ZOOM));
  document.getElementById('zoom-out').addEventListener('click', () => zoomCentre(ZOOM));
  document.getElementById('zoom-all').addEventListener('click', () => setView((domainFrom + domainTo) / 2, domainTo - domainFrom));
  document.addEventListener('keydown', (e) => {
    if (e.target instanceof HTMLInputElement || e.altKey || e.ctrlKey || e.metaKey) return;
    const step = plotWidth / 8;
    switch (e.key) {
      case 'ArrowLeft': pan(-step); break;
      case 'ArrowRight': pan(step); break;
      case '+': case '=': zoomCentre(1 / ZOOM); break;
      case '-': case '_': zoomCentre(ZOOM); break;
      case 'Home': view.m0 = domainFrom; clampView(); changed(); break;
      case 'End': view.m0 = domainTo; clampView(); changed(); break;
      default: return;
    }
    e.preventDefault();
  });

  // --- The side panel's edge: dragged, or moved by the arrow keys, it
  // makes the panel wider or narrower; the strips take the rest. ---------
  const side = document.getElementById('side');
  const sideEdge = document.getElementById('side-edge');
  const SIDE_MIN = 240, STRIPS_MIN = 420;
  function setSideWidth(w) {
    const most = Math.max(SIDE_MIN, document.documentElement.clientWidth - STRIPS_MIN);
    const width = Math.round(Math.min(Math.max(w, SIDE_MIN), most));
    side.style.setProperty('--side-width', width + 'px');
    sideEdge.setAttribute('aria-valuenow', String(width));
    sideEdge.setAttribute('aria-valuemin', String(SIDE_MIN));
    sideEdge.setAttribute('aria-valuemax', String(most));
    relayout();
  }
  let edgeDrag = null;
  sideEdge.addEventListener('pointerdown', (e) => {
    edgeDrag = { x: e.clientX, width: side.getBoundingClientRect().width };
    sideEdge.setPointerCapture(e.pointerId);
    sideEdge.classList.add('dragging');
    e.preventDefault();
  });
  sideEdge.addEventListener('pointermove', (e) => { if (edgeDrag) setSideWidth(edgeDrag.width - (e.clientX - edgeDrag.x)); });
  const endEdgeDrag = () => { edgeDrag = null; sideEdge.classList.remove('dragging'); };
  sideEdge.addEventListener('pointerup', endEdgeDrag);
  sideEdge.addEventListener('pointercancel', endEdgeDrag);
  sideEdge.addEventListener('keydown', (e) => {
    const w = side.getBoundingClientRect().width;
    if (e.key === 'ArrowLeft') setSideWidth(w + 20); else if (e.key === 'ArrowRight') setSideWidth(w - 20); else return;
    e.preventDefault(); e.stopPropagation();
  });

  // --- Go to --------------------------------------------------------------
  // What the box reads:
  //   "12.5 km", "1200 m"          a place of the route, from its start;
  //   "km 75.4", "75+400", "75.4"  the chainage the driver reads (a bare
  //                                number reads as route kilometres on a
  //                                route without chainage);
  //   "cell 240", "#240"           a cell;
  //   anything else                a station's name, in any case and with
  //                                or without its accents: the whole name,
  //                                then its start, then the start of one of
  //                                its words, then any part of it.
  // Returns {metre, told} or {cell} or {station}, or {error} that says what
  // was asked and where the route ends.
  const folded = (t) => t.normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase().replace(/\s+/g, ' ').trim();
  const stationKeys = stations.map((s) => folded(s.name));
  const km = (m) => (m / 1000).toFixed(3).replace(/\.?0+$/, '');
  const chainageText = (m) => {
    const whole = Math.trunc(m / 1000), rest = Math.abs(Math.round(m - whole * 1000));
    return (m < 0 && whole === 0 ? '-' : '') + whole + '+' + String(rest).padStart(3, '0');
  };
  function routeEnds() {
    return 'the route runs from 0 to ' + km(domainTo) + ' km (cells 0 to ' + (cellCount - 1) + ')';
  }
  // The chainage's extent, zone by zone, for a message.
  function chainageEnds() {
    if (zones.length === 0) return 'the route has no chainage';
    const parts = zones.map((z, i) => {
      const to = i + 1 < zones.length ? zones[i + 1].position_m : domainTo;
      return 'km ' + chainageText(chainageAt(Math.max(z.position_m, 0))) + ' to km ' + chainageText(chainageAt(to));
    });
    return 'its chainage runs ' + parts.join(', then ');
  }
  // The route metres where the driver reads `c`: in each zone, from its
  // position to the next zone's.
  function metresOfChainage(c) {
    const found = [];
    zones.forEach((z, i) => {
      const m = z.direction === 1 ? z.position_m + (z.chainage_m - c) : z.position_m + (c - z.chainage_m);
      const to = i + 1 < zones.length ? zones[i + 1].position_m : domainTo;
      if (m >= Math.max(z.position_m, domainFrom) && m <= to && (i + 1 === zones.length || m < to)) found.push(m);
    });
    return found;
  }
  function onRoute(m, asked) {
    if (m < domainFrom || m > domainTo)
      return { error: asked + ' is not on the route: ' + routeEnds() + '. The view stays where it was.' };
    return { metre: m };
  }
  function byChainage(c, asked) {
    const at = metresOfChainage(c);
    if (at.length === 0)
      return { error: asked + ' is not on the route: ' + chainageEnds() + ', and ' + routeEnds() + '. The view stays where it was.' };
    return { metre: at[0], told: asked + ' is at ' + km(at[0]) + ' km of the route' + (at.length > 1 ? ' (the first of ' + at.length + ' places)' : '') };
  }
  function findPlace(text) {
    const asked = '"' + text.trim() + '"';
    const t = text.trim().toLowerCase().replace(/,/g, '.').replace(/\s+/g, ' ');
    if (t === '') return null;
    let match;
    if ((match = /^(?:cell|cella|#) ?(\d+)$/.exec(t))) {
      const k = Number(match[1]);
      return k < cellCount ? { cell: k } : { error: 'Cell ' + k + ' is not on the route: its last cell is ' + (cellCount - 1) + ' (' + km(domainTo) + ' km). The view stays where it was.' };
    }
    if ((match = /^(-?\d+(?:\.\d+)?) ?m$/.exec(t))) return onRoute(Number(match[1]), asked);
    if ((match = /^(-?\d+(?:\.\d+)?) ?km$/.exec(t))) return onRoute(Number(match[1]) * 1000, asked);
    if ((match = /^(?:km|pk) ?(-?\d+)\+(\d{1,3})$/.exec(t)) || (match = /^(-?\d+)\+(\d{1,3})$/.exec(t))) {
      // Kilometres + metres: 75+400 is 75,400 m; -0+200 is -200 m.
      const whole = Number(match[1]), metres = Number(match[2]);
      return byChainage(whole * 1000 + (match[1].startsWith('-') ? -metres : metres), asked);
    }
    if ((match = /^(?:km|pk) ?(-?\d+(?:\.\d+)?)$/.exec(t))) return byChainage(Math.round(Number(match[1]) * 1000), asked);
    if ((match = /^(-?\d+(?:\.\d+)?)$/.exec(t))) {
      if (zones.length > 0) return byChainage(Math.round(Number(match[1]) * 1000), asked);
      return onRoute(Number(match[1]) * 1000, asked);
    }
    const name = folded(text);
    const wordStart = (key) => key.split(/[^a-z0-9]+/).some((w) => w.startsWith(name));
    for (const test of [(k) => k === name, (k) => k.startsWith(name), wordStart, (k) => k.includes(name)]) {
      const i = stationKeys.findIndex(test);
      if (i >= 0) return { station: stations[i] };
    }
    return null;
  }
  function goTo(text) {
    const found = findPlace(text);
    if (!found || found.error) {
      place.textContent = found ? found.error : 'No station, kilometre, chainage, metre or cell is "' + text.trim() +
        '": write 12.5 km (of the route), km 75.4 or 75+400 (the chainage), 1200 m, cell 240 or a station name';
      place.classList.add('error');
      return false;
    }
    const span = plotWidth * view.mpp;
    if (found.station) {
      const s = found.station;
      selectedStation = s;
      selectedCell = s.stop_cells.length > 0 ? s.stop_cells[0] : Math.min(Math.max(cellAt(s.position_m), 0), cellCount - 1);
      const a = Math.min(s.zone_from_m, s.zone_to_m, s.position_m), b = Math.max(s.zone_from_m, s.zone_to_m, s.position_m);
      setView((a + b) / 2, Math.max((b - a) * 1.6, 1500));
      showDetails(selectedCell);
    } else if (found.cell !== undefined) {
      selectedCell = found.cell; selectedStation = null;
      setView(cellFrom(found.cell) + CELL / 2, Math.min(span, 20 * CELL));
      showDetails(found.cell);
    } else {
      selectedCell = Math.min(Math.max(cellAt(found.metre), 0), cellCount - 1); selectedStation = null;
      setView(found.metre, Math.min(span, 4000));
      showDetails(selectedCell, found.metre);
    }
    placeNote = found.told || '';
    return true;
  }
  document.getElementById('goto-form').addEventListener('submit', (e) => {
    e.preventDefault();
    if (goTo(document.getElementById('goto').value)) canvas.focus();
  });

  // --- Legend -------------------------------------------------------------
  function legendItem(text, paint) {
    const li = document.createElement('li');
    const swatch = document.createElement('canvas');
    const ratio = window.devicePixelRatio || 1;
    swatch.width = 36 * ratio; swatch.height = 18 * ratio;
    swatch.setAttribute('aria-hidden', 'true');
    const c = swatch.getContext('2d');
    c.setTransform(ratio, 0, 0, ratio, 0, 0);
    paint(c);
    li.append(swatch, document.createTextNode(text));
    document.getElementById('legend-items').append(li);
  }
  legendItem('curve to the right (above) and left (below); taller is a higher class', (c) => {
    c.fillStyle = C.vermillion; c.fillRect(2, 2, 14, 7); c.fillStyle = C.blue; c.fillRect(20, 9, 14, 7);
  });
  legendItem('gradient, per mille', (c) => { c.fillStyle = C.blue; c.fillRect(4, 4, 10, 10); c.fillRect(20, 9, 10, 5); });
  legendItem('mountain section; its marker', (c) => { c.fillStyle = C.orange; c.fillRect(2, 4, 18, 10); MARK.mountainMarker(c, 28, 15); });
  legendItem('speed limit', (c) => { c.strokeStyle = C.ink; c.lineWidth = 2; c.beginPath(); c.moveTo(2, 12); c.lineTo(18, 12); c.lineTo(18, 5); c.lineTo(34, 5); c.stroke(); });
  legendItem('maximum-speed indicator at its first speed', (c) => MARK.indicator(c, 18, 15));
  legendItem('adhesion', (c) => { c.strokeStyle = C.green; c.lineWidth = 2; c.beginPath(); c.moveTo(2, 10); c.lineTo(34, 10); c.stroke(); });
  legendItem('station zone and position', (c) => { c.fillStyle = 'rgba(240,228,66,0.55)'; c.fillRect(2, 3, 32, 12); c.strokeStyle = C.ink; c.strokeRect(2.5, 3.5, 31, 11); c.fillStyle = C.ink; c.fillRect(17, 0, 2, 18); });
  legendItem('station stop cell; approach mark', (c) => { MARK.stop(c, 10, 9); MARK.approach(c, 26, 14, C.ink); });
  legendItem('signal (s and d: its aspects); approach mark', (c) => { MARK.signal(c, 10, 18); MARK.approach(c, 26, 14, C.green); });
  legendItem('slowdown, start to end', (c) => { c.fillStyle = 'rgba(213,94,0,0.28)'; c.fillRect(2, 4, 32, 10); c.strokeStyle = C.vermillion; c.strokeRect(2, 4, 32, 10); });
  legendItem('slowdown warning board', (c) => MARK.warning(c, 18, 16));
  legendItem('code change written (abbattimento)', (c) => MARK.written(c, 18, 9));
  legendItem('code change placed by the cell rules', (c) => MARK.rules(c, 18, 9));
  legendItem('indication board', (c) => MARK.board(c, 18, 16));
  legendItem('chainage (km the driver reads)', (c) => { c.fillStyle = C.blue; c.font = '10px sans-serif'; c.fillText('km', 8, 13); });
  for (const w of data.warnings) {
    const li = document.createElement('li');
    li.textContent = 'Warning: ' + w;
    document.getElementById('warnings').append(li);
  }

  // --- Start --------------------------------------------------------------
  resize();
  view.mpp = maxMpp();
  view.m0 = domainFrom;
  // A redrawn page in the editor opens where the one before it was.
  const kept = editor && !location.hash ? editor.getState() : null;
  if (!readPlace(kept && typeof kept.fragment === 'string' ? kept.fragment : undefined)) clampView();
  if (selectedCell !== null) showDetails(selectedCell);
  draw();
  showPlace();
  performance.mark('viewer-first-picture');
  // The map once the strips are on the screen: walking a long plan takes a
  // moment.
  requestAnimationFrame(() => setTimeout(() => {
    buildMap(); drawMap(); describeLater();
    performance.mark('viewer-map');
  }, 0));
  function relayout() {
    const [c, s] = resize();
    setView(c, s);
  }
  window.addEventListener('resize', relayout);
  sideEdge.setAttribute('aria-valuenow', String(Math.round(side.getBoundingClientRect().width)));
  window.addEventListener('hashchange', () => { if (readPlace()) changed(); });
  // For tests and measurements: the view, and the time of each drawing.
  window.routeViewer = {
    view, timings, draw, goTo, planPoint, showDetails, cellCount, get selectedCell() { return selectedCell; },
    // The labels of the last drawing: text drawn, whole text, strip, and
    // box in CSS pixels of the canvas.
    labels: () => labelBoxes.map((b) => ({ text: b.text, full: b.full, lane: b.lane, x: b.x, y: b.y, w: b.w, h: b.h })),
    // The strips: id, name, top and height in CSS pixels of the canvas.
    lanes: () => LANES.map((l) => ({ id: l.id, name: l.name, top: l.top, h: l.h })),
    // The map: its labels, and where a route metre is drawn on it (CSS
    // pixels of the map's canvas), once it is drawn.
    mapLabels: () => mapLabels.slice(),
    mapPixelOf: (m) => { if (mapM === null) return null; const [x, y] = mapPointAt(m); return [MX(x), MY(y)]; },
    get mapReady() { return mapM !== null; },
    describe,
  };
})();
