// The route viewer's script, its fifth part (data.js tells how the parts
// make one script): the detail panel of a cell, and Go to.

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
