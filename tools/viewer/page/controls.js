// The route viewer's script, its sixth part (data.js tells how the parts
// make one script): moving along the strips and zooming with the pointer,
// the wheel and the keys, and the side panel's width.

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
