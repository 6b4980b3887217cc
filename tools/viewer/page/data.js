// The route viewer: the cells of one compiled scenario drawn as strips on
// one kilometre axis, on a canvas, with a panel that shows what a place
// holds. Everything it shows comes from the data the tool put into the page.
//
// The page's one script is the files of this folder joined in the order
// viewer.cmake lists them: data.js, layout.js, drawing.js, map.js,
// details.js, controls.js and host.js. They share the scope of one
// function, opened here and closed at the end of host.js: what one part
// declares, the others use, and the parts' statements run in that order,
// the page started last. Here: the scenario's data, by cell and by kind,
// and the track plan rebuilt from it point by point.
'use strict';
(function () {
  const data = JSON.parse(document.getElementById('scenario-data').textContent);
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

  // The first index of a sorted array whose key is not below `value`.
  function lowerBound(array, value, key) {
    let lo = 0, hi = array.length;
    while (lo < hi) {
      const mid = (lo + hi) >> 1;
      if (key(array[mid]) < value) lo = mid + 1; else hi = mid;
    }
    return lo;
  }

  // The chainage the driver reads at a route metre: each kilometric
  // progressive zone holds from its position to the next one's.
  const zones = data.progressives.slice().sort((a, b) => a.position_m - b.position_m);
  function chainageAt(m) {
    let zone = null;
    for (const z of zones) if (z.position_m <= m) zone = z;
    if (!zone) return null;
    return zone.direction === 1 ? zone.chainage_m - (m - zone.position_m) : zone.chainage_m + (m - zone.position_m);
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
