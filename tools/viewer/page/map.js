// The route viewer's script, its fourth part (data.js tells how the parts
// make one script): the map of the track from above.

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
