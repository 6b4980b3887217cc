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
  const curves = data.plan ? data.plan.curves : [];
  const slowdowns = data.slowdowns;
  const stations = data.stations;
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
    { id: 'km', name: 'kilometres', sub: 'route, then chainage', h: 42 },
    { id: 'plan', name: 'track plan', sub: 'curves: right up, left down', h: 54 },
    { id: 'gradient', name: 'gradient', sub: 'per mille', h: 56 },
    { id: 'mountains', name: 'mountains', sub: 'type', h: 26 },
    { id: 'speed', name: 'speed limit', sub: 'km/h; indicators', h: 90 },
    { id: 'adhesion', name: 'adhesion', sub: '', h: 36 },
    { id: 'stations', name: 'stations', sub: 'zone, stop, marks', h: 62 },
    { id: 'signals', name: 'signals', sub: 'aspects s / d, marks', h: 50 },
    { id: 'slowdowns', name: 'slowdowns', sub: 'km/h; boards', h: 48 },
    { id: 'codes', name: 'code changes', sub: 'written / rules', h: 38 },
    { id: 'boards', name: 'indication boards', sub: '', h: 56 },
    { id: 'cells', name: 'cells', sub: 'number', h: 24 },
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

  // Labels in a row that keep clear of each other.
  function labelRow() {
    let right = -Infinity;
    return (text, x, y, colour, align) => {
      const w = ctx.measureText(text).width;
      const left = align === 'left' ? x : x - w / 2;
      if (left < right + 4 || left < GUTTER - 2) return false;
      ctx.fillStyle = colour; ctx.textAlign = 'left'; ctx.fillText(text, left, y);
      right = left + w;
      return true;
    };
  }

  function laneScale(lane, low, high, pad) {
    const foot = lane.top + lane.h - pad, head = lane.top + pad;
    return (v) => foot - (v - low) / (high - low || 1) * (foot - head);
  }
  function axisLabel(lane, text, y) {
    ctx.fillStyle = C.muted; ctx.font = '10px sans-serif'; ctx.textAlign = 'right'; ctx.fillText(text, GUTTER - 4, y + 3);
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
      ctx.font = '11px sans-serif'; ctx.textAlign = 'center';
      const first = Math.ceil(metreAt(GUTTER) / step) * step;
      for (let m = first; m <= metreAt(width); m += step) {
        const x = Math.round(X(m));
        ctx.fillStyle = C.grid; ctx.fillRect(x, lane.top + lane.h, 1, canvasHeight - lane.top - lane.h);
        ctx.fillStyle = C.ink; ctx.fillRect(x, lane.top + 14, 1, 5);
        ctx.fillText(fmt(m / 1000) + ' km', x, lane.top + 11);
        const seen = chainageAt(m);
        if (seen !== null) { ctx.fillStyle = C.blue; ctx.fillText('km ' + fmt(seen / 1000), x, lane.top + 33); }
      }
      ctx.fillStyle = C.ink; ctx.fillRect(GUTTER, lane.top + 19, plotWidth, 1);
    },
    plan(lane) {
      const mid = lane.top + lane.h / 2;
      ctx.fillStyle = '#999'; ctx.fillRect(GUTTER, mid, plotWidth, 1);
      if (!data.plan) { axisLabel(lane, 'no plan', mid); return; }
      const from = metreAt(GUTTER), to = metreAt(width);
      const label = labelRow();
      ctx.font = '10px sans-serif';
      for (let i = Math.max(0, lowerBound(curves, from, (c) => c.start_m + c.length_m)); i < curves.length; ++i) {
        const c = curves[i];
        if (c.start_m > to) break;
        const xa = X(c.start_m), w = Math.max(c.length_m / view.mpp, 1);
        const h = 3 + c.class * 3.4;
        const right = c.side === 'right';
        ctx.fillStyle = right ? C.vermillion : C.blue;
        ctx.fillRect(xa, right ? mid - h : mid + 1, w, h);
        if (w > 22) label((right ? 'R' : 'L') + c.class, xa + w / 2, right ? mid + 12 : mid - 4, C.ink);
      }
    },
    gradient(lane) {
      const y = laneScale(lane, -steepest, steepest, 6);
      gridLine(y(0)); axisLabel(lane, '+' + steepest, y(steepest)); axisLabel(lane, '0', y(0)); axisLabel(lane, '-' + steepest, y(-steepest));
      drawBars(columns.pendenza_per_mille, (v) => v !== -100, y, 0, C.blue);
    },
    mountains(lane) {
      drawBars(columns.montagna, (v) => v !== 0, (v) => (v === 0 ? lane.top + lane.h - 4 : lane.top + 6), 0, C.orange);
      const label = labelRow();
      ctx.font = '10px sans-serif';
      if (CELL / view.mpp >= 6) {
        for (const k of visibleCells(cellsOf(KIND.mountainMarker), 10)) MARK.mountainMarker(ctx, X(cellFrom(k) + CELL / 2), lane.top + lane.h - 2);
        let prev = -1;
        const k0 = Math.max(0, cellAt(view.m0)), k1 = Math.min(cellCount - 1, cellAt(metreAt(width)));
        for (let k = k0; k <= k1; ++k) {
          const v = columns.montagna[k];
          if (v !== 0 && v !== prev) label('type ' + v, X(cellFrom(k)) + 2, lane.top + 17, C.ink, 'left');
          prev = v;
        }
      }
    },
    speed(lane) {
      const y = laneScale(lane, 0, topSpeed, 8);
      const step = topSpeed <= 100 ? 20 : 50;
      for (let v = 0; v <= topSpeed; v += step) { gridLine(y(v)); axisLabel(lane, String(v), y(v)); }
      drawSteps(columns.velocita_limite_kmh, (v) => v !== 0, y, C.ink);
      ctx.font = '10px sans-serif';
      const label = labelRow();
      for (const k of visibleCells(cellsOf(KIND.indicator), 30)) {
        const vas = sourceValue(k, 'vas_kmh') || 0;
        const x = X(cellFrom(k));
        MARK.indicator(ctx, x, y(vas));
        label(String(vas), x, y(vas) - 11, C.purple);
      }
    },
    adhesion(lane) {
      const y = laneScale(lane, 0, topAdhesion, 6);
      gridLine(y(0)); axisLabel(lane, String(topAdhesion), y(topAdhesion)); axisLabel(lane, '0', y(0));
      drawSteps(columns.aderenza, () => true, y, C.green);
    },
    stations(lane) {
      const barTop = lane.top + 22, barH = 16;
      const from = metreAt(GUTTER - 200), to = metreAt(width + 200);
      ctx.font = '11px sans-serif';
      const label = labelRow();
      for (const s of stations) {
        const a = Math.min(s.zone_from_m, s.zone_to_m), b = Math.max(s.zone_from_m, s.zone_to_m);
        if (b < from || a > to) continue;
        const xa = X(a), w = Math.max((b - a) / view.mpp, 2);
        ctx.fillStyle = selectedStation === s ? C.sky : 'rgba(240,228,66,0.55)';
        ctx.fillRect(xa, barTop, w, barH);
        ctx.strokeStyle = C.ink; ctx.lineWidth = 1; ctx.strokeRect(xa + 0.5, barTop + 0.5, w - 1, barH - 1);
        const x = X(s.position_m);
        ctx.fillStyle = C.ink; ctx.fillRect(Math.round(x) - 1, barTop - 4, 2, barH + 8);
        label(s.name, x, barTop - 7, C.ink);
      }
      if (CELL / view.mpp >= 0.5) {
        for (const k of visibleCells(cellsOf(KIND.stop), 10)) MARK.stop(ctx, X(cellFrom(k) + CELL / 2), barTop + barH + 12);
        ctx.font = '9px sans-serif';
        for (const k of visibleCells(approachMarks, 10)) {
          const a = columns.avviso[k];
          if (a < 81 || a > 84) continue;
          const x = X(cellFrom(k) + CELL / 2);
          MARK.approach(ctx, x, barTop + barH + 16, C.ink);
          if (CELL / view.mpp >= 14) { ctx.fillStyle = C.ink; ctx.textAlign = 'center'; ctx.fillText(String(a - 80), x, barTop + barH + 25); }
        }
      }
    },
    signals(lane) {
      const base = lane.top + lane.h - 14;
      ctx.font = '10px sans-serif';
      const label = labelRow();
      for (const k of visibleCells(cellsOf(KIND.signal), 60)) {
        const x = X(cellFrom(k));
        MARK.signal(ctx, x, base);
        if (CELL / view.mpp < 3) continue;  // the aspects once the signals stand apart
        const s = [1, 2, 3].map((n) => sourceValue(k, 's' + n)).join('');
        const d = [1, 2, 3].map((n) => sourceValue(k, 'd' + n)).join('');
        label('s' + s + ' d' + d, x + 7, base - 10, C.ink, 'left');
      }
      if (CELL / view.mpp >= 1) {
        for (const k of visibleCells(approachMarks, 10)) {
          const a = columns.avviso[k];
          if (a >= 81 && a <= 84) continue;
          const x = X(cellFrom(k) + CELL / 2);
          MARK.approach(ctx, x, base + 10, C.green);
          if (CELL / view.mpp >= 14) { ctx.fillStyle = C.green; ctx.textAlign = 'center'; ctx.fillText(String(a % 10), x, base + 12 + 9); }
        }
      }
    },
    slowdowns(lane) {
      const barTop = lane.top + 18, barH = 12;
      const from = metreAt(GUTTER - 100), to = metreAt(width + 100);
      ctx.font = '10px sans-serif';
      const label = labelRow();
      for (const s of slowdowns) {
        if (s.to_m < from || s.from_m > to) continue;
        const xa = X(s.from_m), w = Math.max((s.to_m - s.from_m) / view.mpp, 2);
        ctx.fillStyle = 'rgba(213,94,0,0.28)'; ctx.fillRect(xa, barTop, w, barH);
        ctx.strokeStyle = C.vermillion; ctx.lineWidth = 1.5; ctx.strokeRect(xa, barTop, w, barH);
        label(s.speed_kmh + ' km/h', xa + w / 2, barTop - 4, C.vermillion);
      }
      for (const k of visibleCells(cellsOf(KIND.warning), 10)) MARK.warning(ctx, X(cellFrom(k)), barTop + barH + 14);
      if (CELL / view.mpp >= 4)
        for (const k of visibleCells(cellsOf(KIND.beforeWarning), 10)) MARK.approach(ctx, X(cellFrom(k) + CELL / 2), barTop + barH + 14, C.vermillion);
    },
    codes(lane) {
      const y = lane.top + lane.h / 2 + 4;
      ctx.font = '10px sans-serif';
      const label = labelRow();
      for (const k of visibleCells(codeChanges, 10)) {
        const x = X(cellFrom(k) + CELL / 2);
        if (byRules.has(k)) MARK.rules(ctx, x, y); else MARK.written(ctx, x, y);
        const code = tipo[k] === KIND.codeKept ? 'kept' : String(columns.valore_1[k]);
        label(code, x, y - 9, C.ink);
      }
    },
    boards(lane) {
      const y = lane.top + 16;
      ctx.font = '10px sans-serif';
      const label = labelRow();
      for (const k of visibleCells(cellsOf(KIND.board), 200)) {
        const x = X(cellFrom(k));
        MARK.board(ctx, x, y);
        label(boardCaption.get(k) || '', x - 6, y + 16, C.blue, 'left');
      }
    },
    cells(lane) {
      const px = CELL / view.mpp;
      if (px < 4) return;
      const k0 = Math.max(0, cellAt(view.m0)), k1 = Math.min(cellCount - 1, cellAt(metreAt(width)));
      ctx.font = '10px sans-serif'; ctx.textAlign = 'center';
      for (let k = k0; k <= k1; ++k) {
        const x = X(cellFrom(k));
        ctx.fillStyle = '#bbb'; ctx.fillRect(Math.round(x), lane.top + 2, 1, lane.h - 4);
        if (px >= 34 || (px >= 12 && k % 5 === 0)) { ctx.fillStyle = C.ink; ctx.fillText(String(k), x + px / 2, lane.top + 15); }
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
  const timings = [];
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
    return [keepCentre, keepSpan];
  }

  function draw() {
    const started = performance.now();
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
    for (const lane of LANES) drawLane[lane.id](lane);
    // Where the line itself ends; the route runs on beyond it.
    const end = X(data.route_length_m);
    if (end > GUTTER && end < width) {
      ctx.setLineDash([6, 4]); ctx.strokeStyle = '#444'; ctx.lineWidth = 1.2;
      ctx.beginPath(); ctx.moveTo(end, LANES[1].top); ctx.lineTo(end, canvasHeight); ctx.stroke(); ctx.setLineDash([]);
      ctx.fillStyle = '#444'; ctx.font = '10px sans-serif'; ctx.textAlign = 'right';
      ctx.fillText('end of line', end - 4, LANES[1].top + 10);
    }
    if (hover !== null) {
      ctx.fillStyle = 'rgba(0,0,0,0.5)'; ctx.fillRect(Math.round(X(hover.metre)), LANES[1].top, 1, canvasHeight - LANES[1].top);
    }
    ctx.restore();
    // Lane names in the gutter.
    ctx.fillStyle = '#ffffff'; ctx.fillRect(0, 0, GUTTER - 30, canvasHeight);
    for (const lane of LANES) {
      ctx.fillStyle = C.ink; ctx.font = 'bold 11px sans-serif'; ctx.textAlign = 'left';
      ctx.fillText(lane.name, 6, lane.top + 13);
      if (lane.sub) { ctx.fillStyle = C.muted; ctx.font = '10px sans-serif'; ctx.fillText(lane.sub, 6, lane.top + 25); }
      ctx.fillStyle = C.grid; ctx.fillRect(0, lane.top + lane.h, width, 1);
    }
    timings.push(performance.now() - started);
    if (timings.length > 400) timings.shift();
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
  function showPlace() {
    const from = Math.max(view.m0, domainFrom), to = view.m0 + plotWidth * view.mpp;
    place.classList.remove('error');
    place.textContent = 'From ' + fmt(from / 1000) + ' km to ' + fmt(to / 1000) + ' km (cells ' +
      Math.max(0, cellAt(from)) + ' to ' + Math.min(cellCount - 1, cellAt(to - 1e-6)) + ')';
    canvas.setAttribute('aria-label', 'The route as strips, ' + place.textContent);
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
  function sourceTable(rows, caption) {
    if (!rows || rows.length === 0) return '';
    // The line that wrote each value, when the page was made from the sources.
    const placed = rows.some((r) => r.line !== undefined);
    let html = '<h4>' + esc(caption) + '</h4><table class="source"><thead><tr><th>keyword and value</th><th>as written</th><th>stored in</th>' +
      (placed ? '<th>line</th>' : '') + '</tr></thead><tbody>';
    for (const r of rows) {
      const where = r.column > 0 ? ' (value ' + r.column + ')' : '';
      const at = r.line !== undefined ? ' data-file="' + esc(r.file) + '" data-line="' + r.line + '"' +
        (editor ? ' class="to-source" tabindex="0" title="Show line ' + r.line + ' of ' + esc(baseName(r.file)) + ' in the editor"' : '') : '';
      html += '<tr data-keyword="' + esc(r.keyword) + '" data-key="' + esc(r.key) + '"' + at + '><th>' + esc(r.keyword) + ': ' + esc(r.name) + where +
        '</th><td>' + esc(shown(r.value)) + (r.unit && typeof r.value === 'number' ? ' ' + esc(r.unit) : '') +
        '</td><td class="note">' + esc(r.field) + (r.note ? ' (' + esc(r.note) + ')' : '') + '</td>' +
        (placed ? '<td class="line">' + (r.line !== undefined ? esc(baseName(r.file)) + ':' + r.line : '') + '</td>' : '') + '</tr>';
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
    let html = '<table class="fields" data-part="' + part + '"><tbody>';
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
        while (curve < curves.length && curves[curve].start_m + curves[curve].length_m < j) ++curve;
        const c = curve < curves.length && curves[curve].start_m < j ? curves[curve].curvature : 0;
        const dx = x1 - x0, dy = y1 - y0;
        nx = x1 + (dx + c * dy);
        ny = y1 + (dy - c * dx);
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

  // --- Go to --------------------------------------------------------------
  // "12.5 km", "km 12,5", "12.5" (kilometres), "1200 m", "cell 240", "#240",
  // or a station's name (whole, its start, or any part of it).
  function findPlace(text) {
    const t = text.trim().toLowerCase().replace(/,/g, '.');
    if (t === '') return null;
    let match;
    if ((match = /^(?:cell|cella|#)\s*(\d+)$/.exec(t))) {
      const k = Number(match[1]);
      return k < cellCount ? { cell: k } : { error: 'cell ' + k + ' is past the last cell, ' + (cellCount - 1) };
    }
    if ((match = /^(-?\d+(?:\.\d+)?)\s*m$/.exec(t))) return { metre: Number(match[1]) };
    if ((match = /^(?:km\s*)?(-?\d+(?:\.\d+)?)\s*(?:km)?$/.exec(t))) return { metre: Number(match[1]) * 1000 };
    const name = text.trim().toLowerCase();
    const station = stations.find((s) => s.name.toLowerCase() === name) ||
      stations.find((s) => s.name.toLowerCase().startsWith(name)) ||
      stations.find((s) => s.name.toLowerCase().includes(name));
    return station ? { station: station } : null;
  }
  function goTo(text) {
    const found = findPlace(text);
    if (!found || found.error) {
      place.textContent = found ? found.error : 'No station, kilometre, metre or cell is "' + text.trim() + '": write 12.5 km, 1200 m, cell 240 or a station name';
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
  window.addEventListener('resize', () => {
    const [c, s] = resize();
    setView(c, s);
  });
  window.addEventListener('hashchange', () => { if (readPlace()) changed(); });
  // For tests and measurements: the view, and the time of each drawing.
  window.routeViewer = { view, timings, draw, goTo, planPoint, get selectedCell() { return selectedCell; } };
})();
