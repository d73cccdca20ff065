// One picture with its hotspots: fitted to the window, zoomed with the wheel,
// the buttons and + and -, panned by dragging or with the arrow keys. Hotspots
// are SVG rectangles in the picture's own coordinates; hovering one shows its
// name and text, clicking one marks every hotspot of that name, and so does
// the address's #NAME. Everything the page needs is inside it.
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('picture-data').textContent);
  function $(id) { return document.getElementById(id); }
  var viewport = $('viewport'), stage = $('stage'), img = $('picture'), svg = $('spots');
  var list = $('list'), tip = $('tip'), scaleOut = $('scale');
  var SVGNS = 'http://www.w3.org/2000/svg';
  var W = data.width, H = data.height;
  var spaceW = data.space[0] || W, spaceH = data.space[1] || H;
  var scale = 1, x = 0, y = 0, fitted = true, dispW = W, dispH = H;
  var rects = [], rows = [];
  var fullLoaded = !data.view;

  document.title = data.title;
  $('description').textContent = data.description + ', ' + W + ' \u00d7 ' + H;
  img.alt = data.title + ': ' + data.description + ' picture, ' + W + ' \u00d7 ' + H + ' pixels, ' +
    data.hotspots.length + (data.hotspots.length === 1 ? ' hotspot' : ' hotspots');
  if (data.index) {
    $('back').href = data.index;
    $('back').hidden = false;
  }
  svg.setAttribute('viewBox', '0 0 ' + spaceW + ' ' + spaceH);

  // ---- Hotspots and the side list ----
  data.hotspots.forEach(function (h, i) {
    var l = Math.min(h.rect[0], h.rect[2]), t = Math.min(h.rect[1], h.rect[3]);
    var r = document.createElementNS(SVGNS, 'rect');
    r.setAttribute('x', l);
    r.setAttribute('y', t);
    r.setAttribute('width', Math.abs(h.rect[2] - h.rect[0]));
    r.setAttribute('height', Math.abs(h.rect[3] - h.rect[1]));
    r.setAttribute('data-hotspot', h.name);
    r.setAttribute('data-index', i);
    var title = document.createElementNS(SVGNS, 'title');
    title.textContent = h.text ? h.name + ': ' + h.text : h.name;
    r.appendChild(title);
    svg.appendChild(r);
    rects.push(r);

    var li = document.createElement('li');
    var b = document.createElement('button');
    b.type = 'button';
    b.setAttribute('data-hotspot', h.name);
    b.setAttribute('aria-pressed', 'false');
    b.title = 'Mark every hotspot named ' + h.name + ' and show it';
    var n = document.createElement('span');
    n.className = 'name';
    n.textContent = h.name;
    var tx = document.createElement('span');
    tx.className = 'text';
    tx.textContent = h.text;
    b.appendChild(n);
    b.appendChild(tx);
    b.addEventListener('click', function () {
      toggle(h.name);
      if (isMarked(h.name)) reveal(i);
    });
    li.appendChild(b);
    list.appendChild(li);
    rows.push(b);
  });
  $('count').textContent = data.hotspots.length + (data.hotspots.length === 1 ? ' hotspot' : ' hotspots');

  // The name in the address's fragment ("" when there is none or it is not
  // a well-formed escape).
  function fragmentName() {
    try {
      return decodeURIComponent(location.hash.slice(1));
    } catch (e) {
      return '';
    }
  }

  function isMarked(name) {
    return rects.some(function (r) { return r.getAttribute('data-hotspot') === name && r.classList.contains('marked'); });
  }

  // Marks (or unmarks) every hotspot of a name, as the library's SetHotspot.
  function mark(name, on) {
    var found = false;
    rects.forEach(function (r, i) {
      if (r.getAttribute('data-hotspot') !== name) return;
      found = true;
      r.classList.toggle('marked', on);
      rows[i].classList.toggle('marked', on);
      rows[i].setAttribute('aria-pressed', on ? 'true' : 'false');
    });
    return found;
  }

  function toggle(name) {
    var on = !isMarked(name);
    mark(name, on);
    if (on) {
      history.replaceState(null, '', '#' + encodeURIComponent(name));
    } else if (fragmentName() === name) {
      history.replaceState(null, '', location.pathname + location.search);
    }
  }

  function clearMarks() {
    rects.forEach(function (r, i) {
      r.classList.remove('marked');
      rows[i].classList.remove('marked');
      rows[i].setAttribute('aria-pressed', 'false');
    });
    history.replaceState(null, '', location.pathname + location.search);
  }

  // Pans so that hotspot i is in view, and its row too.
  function reveal(i) {
    var h = data.hotspots[i];
    var fx = W / spaceW * scale, fy = H / spaceH * scale;
    var l = x + Math.min(h.rect[0], h.rect[2]) * fx, r = x + Math.max(h.rect[0], h.rect[2]) * fx;
    var t = y + Math.min(h.rect[1], h.rect[3]) * fy, b = y + Math.max(h.rect[1], h.rect[3]) * fy;
    var vw = viewport.clientWidth, vh = viewport.clientHeight;
    if (l < 0 || t < 0 || r > vw || b > vh) {
      x += vw / 2 - (l + r) / 2;
      y += vh / 2 - (t + b) / 2;
      fitted = false;
      layout();
    }
    rows[i].scrollIntoView({ block: 'nearest' });
  }

  function fromFragment() {
    var name = fragmentName();
    if (!name) return;
    var i = data.hotspots.findIndex(function (h) { return h.name === name; });
    if (i < 0) return;
    mark(name, true);
    reveal(i);
  }

  // ---- The view ----
  function layout() {
    dispW = Math.max(1, Math.round(W * scale));
    dispH = Math.max(1, Math.round(H * scale));
    // The reduced picture is the library's own rendering: shown while it has
    // enough pixels, and pixel for pixel when the window fits it exactly.
    var wantFull = data.view && dispW > data.viewWidth + 1;
    if (wantFull && !fullLoaded) loadFull();
    var useView = data.view && (!wantFull || !fullLoaded);
    if (useView && Math.abs(dispW - data.viewWidth) <= 1 && Math.abs(dispH - data.viewHeight) <= 1) {
      dispW = data.viewWidth;
      dispH = data.viewHeight;
    }
    var src = useView ? data.view : data.full;
    if (img.getAttribute('src') !== src) img.setAttribute('src', src);
    x = Math.round(x);
    y = Math.round(y);
    img.style.width = svg.style.width = dispW + 'px';
    img.style.height = svg.style.height = dispH + 'px';
    img.classList.toggle('sharp', scale >= 2);
    stage.style.transform = 'translate(' + x + 'px,' + y + 'px)';
    stage.setAttribute('data-scale', String(scale));
    scaleOut.value = (scale * 100 >= 10 ? Math.round(scale * 100) : (scale * 100).toFixed(1)) + '%';
  }

  var loading = false;
  function loadFull() {
    if (loading) return;
    loading = true;
    var full = new Image();
    full.onload = function () { fullLoaded = true; layout(); };
    full.src = data.full;
  }

  function fit() {
    var vw = viewport.clientWidth, vh = viewport.clientHeight;
    scale = Math.min(vw / W, vh / H);
    if (!(scale > 0)) scale = 1;
    fitted = true;
    layout();
    x = (vw - dispW) / 2;
    y = (vh - dispH) / 2;
    layout();
  }

  function zoomAt(factor, cx, cy) {
    var vw = viewport.clientWidth, vh = viewport.clientHeight;
    var least = Math.min(1, Math.min(vw / W, vh / H) / 2), most = 16;
    var next = Math.min(most, Math.max(least, scale * factor));
    if (cx === undefined) { cx = vw / 2; cy = vh / 2; }
    x = cx - (cx - x) * next / scale;
    y = cy - (cy - y) * next / scale;
    scale = next;
    fitted = false;
    layout();
  }

  function pan(dx, dy) {
    x += dx;
    y += dy;
    fitted = false;
    layout();
  }

  $('zoom-in').addEventListener('click', function () { zoomAt(1.25); });
  $('zoom-out').addEventListener('click', function () { zoomAt(0.8); });
  $('fit').addEventListener('click', fit);
  $('actual').addEventListener('click', function () { zoomAt(1 / scale); });
  $('clear').addEventListener('click', clearMarks);
  $('frames').addEventListener('click', function () {
    var hollow = document.body.classList.toggle('hollow');
    this.setAttribute('aria-pressed', hollow ? 'true' : 'false');
  });

  viewport.addEventListener('wheel', function (e) {
    e.preventDefault();
    var box = viewport.getBoundingClientRect();
    var delta = e.deltaMode === 1 ? e.deltaY * 33 : e.deltaY;
    zoomAt(Math.exp(-delta * 0.002), e.clientX - box.left, e.clientY - box.top);
  }, { passive: false });

  // Dragging pans; a press and release without moving is a click.
  var drag = null;
  viewport.addEventListener('pointerdown', function (e) {
    if (e.button !== 0) return;
    drag = { id: e.pointerId, sx: e.clientX, sy: e.clientY, lx: e.clientX, ly: e.clientY, moved: false, target: e.target };
    viewport.setPointerCapture(e.pointerId);
  });
  viewport.addEventListener('pointermove', function (e) {
    if (drag && drag.id === e.pointerId) {
      if (Math.abs(e.clientX - drag.sx) + Math.abs(e.clientY - drag.sy) > 3) drag.moved = true;
      if (drag.moved) {
        viewport.classList.add('dragging');
        pan(e.clientX - drag.lx, e.clientY - drag.ly);
      }
      drag.lx = e.clientX;
      drag.ly = e.clientY;
      return;
    }
    hover(e);
  });
  viewport.addEventListener('pointerup', function (e) {
    if (!drag || drag.id !== e.pointerId) return;
    var was = drag;
    drag = null;
    viewport.classList.remove('dragging');
    if (!was.moved && was.target.getAttribute && was.target.getAttribute('data-hotspot') !== null) {
      toggle(was.target.getAttribute('data-hotspot'));
      rows[Number(was.target.getAttribute('data-index'))].scrollIntoView({ block: 'nearest' });
    }
  });
  viewport.addEventListener('pointercancel', function () { drag = null; viewport.classList.remove('dragging'); });
  viewport.addEventListener('pointerleave', function () { hover(null); });

  // The hotspot under the mouse is inverted and its name and text shown.
  var hovered = null;
  function hover(e) {
    var r = e && e.target.getAttribute && e.target.getAttribute('data-hotspot') !== null ? e.target : null;
    if (r !== hovered) {
      if (hovered) hovered.classList.remove('hover');
      if (r) r.classList.add('hover');
      hovered = r;
    }
    if (!r) {
      tip.hidden = true;
      return;
    }
    var h = data.hotspots[Number(r.getAttribute('data-index'))];
    $('tip-name').textContent = h.name;
    $('tip-text').textContent = h.text;
    tip.hidden = false;
    var box = viewport.getBoundingClientRect();
    var tx = e.clientX - box.left + 14, ty = e.clientY - box.top + 18;
    tip.style.left = Math.min(tx, Math.max(0, viewport.clientWidth - tip.offsetWidth - 4)) + 'px';
    tip.style.top = (ty + tip.offsetHeight > viewport.clientHeight ? ty - tip.offsetHeight - 24 : ty) + 'px';
  }

  document.addEventListener('keydown', function (e) {
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    var step = 60, done = true;
    switch (e.key) {
      case '+': case '=': zoomAt(1.25); break;
      case '-': case '_': zoomAt(0.8); break;
      case '0': fit(); break;
      case '1': zoomAt(1 / scale); break;
      case 'Escape': clearMarks(); break;
      default: done = false;
    }
    if (!done && document.activeElement === viewport) {
      done = true;
      switch (e.key) {
        case 'ArrowLeft': pan(step, 0); break;
        case 'ArrowRight': pan(-step, 0); break;
        case 'ArrowUp': pan(0, step); break;
        case 'ArrowDown': pan(0, -step); break;
        default: done = false;
      }
    }
    if (done) e.preventDefault();
  });

  window.addEventListener('resize', function () { if (fitted) fit(); });
  window.addEventListener('hashchange', fromFragment);
  fit();
  fromFragment();
})();
