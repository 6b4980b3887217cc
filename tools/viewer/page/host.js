// The route viewer's script, its last part (data.js tells how the parts
// make one script): the place kept in the page's address and in the
// editor that shows it, the rows of the sources opened in that editor, and
// the start; it closes the function data.js opens.

  // Inside the editor (a VS Code webview) the page keeps its place in the
  // webview's state, which outlives a redraw, and a row of the sources
  // opens the line that wrote it.
  const editor = typeof acquireVsCodeApi === 'function' ? acquireVsCodeApi() : null;
  let keptFragment = null;  // the place last given to the editor to keep

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

  // A row of the sources, clicked or entered, opens its line in the editor.
  function toSource(e) {
    const row = e.target.closest && e.target.closest('tr.to-source');
    if (!row || !editor) return;
    e.preventDefault();
    editor.postMessage({ type: 'reveal', file: row.dataset.file, line: Number(row.dataset.line) });
  }
  details.addEventListener('click', toSource);
  details.addEventListener('keydown', (e) => { if (e.key === 'Enter' || e.key === ' ') toSource(e); });

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
