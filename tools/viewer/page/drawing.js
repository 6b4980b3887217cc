// The route viewer's script, its third part (data.js tells how the parts
// make one script): the colours and marks, each strip drawn, the drawing
// of the whole canvas, its text description and the legend.

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
