// One picture with its hotspots. The picture is a pyramid of tiles shown by
// the deep-zoom viewer built into the page: wheel, drag, pinch, double-tap,
// the buttons and the keyboard zoom and pan it. Hotspots are SVG rectangles
// in the picture's own coordinates laid over it; hovering one shows its name
// and text, clicking (tapping) one marks every hotspot of that name. The
// address holds what is seen: #marks=NAME,NAME&view=SCALE,X,Y (X, Y the
// picture pixel at the centre); a bare #NAME marks that name. Everything the
// page needs is inside it or beside it.
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('picture-data').textContent);
  function $(id) { return document.getElementById(id); }
  var viewport = $('viewport'), list = $('list'), tip = $('tip'), scaleOut = $('scale');
  var SVGNS = 'http://www.w3.org/2000/svg';
  var W = data.width, H = data.height;
  var spaceW = data.space[0] || W, spaceH = data.space[1] || H;
  var rects = [], rows = [], fitted = true;

  document.title = data.title;
  $('description').textContent = data.description + ', ' + W + ' \u00d7 ' + H;
  viewport.setAttribute('aria-label', data.title + ': ' + data.description + ' picture, ' + W + ' \u00d7 ' + H +
    ' pixels, ' + data.hotspots.length + (data.hotspots.length === 1 ? ' hotspot' : ' hotspots') + '. ' +
    viewport.getAttribute('aria-label'));
  if (data.index) {
    $('back').href = data.index;
    $('back').hidden = false;
  }
  if (!data.hotspots.length) {
    $('side').hidden = true;
    Array.prototype.forEach.call(document.querySelectorAll('.spotted'), function (b) { b.hidden = true; });
  }

  // ---- The viewer ----
  var viewer = OpenSeadragon({
    element: viewport,
    tileSources: data.tiles,
    drawer: 'canvas',
    showNavigationControl: false,
    keyboardNavEnabled: false,
    animationTime: 0.4,
    blendTime: 0,
    springStiffness: 10,
    visibilityRatio: 0.2,
    minZoomImageRatio: 0.5,
    maxZoomPixelRatio: 16,
    zoomPerScroll: 1.25,
    imageLoaderLimit: 12,
    immediateRender: true,
    maxImageCacheCount: 40,
    gestureSettingsMouse: { clickToZoom: false, dblClickToZoom: true, flickEnabled: false },
    gestureSettingsTouch: { clickToZoom: false, dblClickToZoom: true, pinchToZoom: true, flickEnabled: true },
    gestureSettingsPen: { clickToZoom: false, dblClickToZoom: true }
  });
  var vp = viewer.viewport;
  // Tiles drawn at one or more whole screen pixels per picture pixel sit on
  // whole pixels: drawn unstretched and unsmoothed, they are the library's
  // pixels exactly. Between those scales tiles overlap by a pixel, smoothed.
  function wholeScale() {
    var s = scale(true);
    return s >= 1 && Math.abs(s - Math.round(s)) < 1e-6;
  }
  viewer.drawer.minimumOverlapRequired = function () { return !wholeScale(); };

  // Screen pixels per picture pixel: where an animation goes, or where it is.
  function scale(current) { return vp.viewportToImageZoom(vp.getZoom(!!current)); }
  function zoomForScale(s) { return vp.imageToViewportZoom(s); }
  function centre(current) { var c = vp.viewportToImageCoordinates(vp.getCenter(!!current)); return { x: c.x, y: c.y }; }

  // Shows scale s with picture pixel (x, y) at the centre; at a whole scale
  // the picture's corner is put on a whole screen pixel.
  function show(s, x, y, immediately) {
    var box = vp.getContainerSize();
    if (s >= 1 && Math.abs(s - Math.round(s)) < 1e-6) {
      s = Math.round(s);
      x = (Math.round(x * s - box.x / 2) + box.x / 2) / s;
      y = (Math.round(y * s - box.y / 2) + box.y / 2) / s;
    }
    vp.zoomTo(zoomForScale(s), null, immediately);
    vp.panTo(vp.imageToViewportCoordinates(x, y), immediately);
  }

  // The whole picture, never enlarged past one screen pixel per pixel.
  function fitScale() {
    var box = vp.getContainerSize();
    return Math.min(1, box.x / W, box.y / H);
  }
  function fit(immediately) {
    fitted = true;
    show(fitScale(), W / 2, H / 2, immediately);
  }
  function zoomBy(factor, at) {
    fitted = false;
    var s = Math.min(16, Math.max(fitScale() / 2, scale() * factor));
    var c = centre();
    if (at) {
      // Keep the picture point under the pointer in place.
      var p = vp.viewerElementToImageCoordinates(at), k = scale() / s;
      c = { x: p.x + (c.x - p.x) * k, y: p.y + (c.y - p.y) * k };
    }
    show(s, c.x, c.y);
  }
  function pan(dx, dy) {
    fitted = false;
    var c = centre(), s = scale();
    show(s, c.x + dx / s, c.y + dy / s);
  }

  // ---- Hotspots ----
  // The SVG lies over the drawn picture, in the viewer's canvas element so
  // that it blends with the tiles.
  function spotLayer() {
    var svg = document.createElementNS(SVGNS, 'svg');
    svg.setAttribute('class', 'spots');
    svg.setAttribute('viewBox', '0 0 ' + spaceW + ' ' + spaceH);
    svg.setAttribute('preserveAspectRatio', 'none');
    return svg;
  }
  var svg = spotLayer();
  svg.id = 'spots';
  svg.setAttribute('role', 'group');
  svg.setAttribute('aria-label', 'Hotspots');
  viewer.canvas.appendChild(svg);

  function spotRect(h, i) {
    var r = document.createElementNS(SVGNS, 'rect');
    r.setAttribute('x', Math.min(h.rect[0], h.rect[2]));
    r.setAttribute('y', Math.min(h.rect[1], h.rect[3]));
    r.setAttribute('width', Math.abs(h.rect[2] - h.rect[0]));
    r.setAttribute('height', Math.abs(h.rect[3] - h.rect[1]));
    r.setAttribute('data-hotspot', h.name);
    r.setAttribute('data-index', i);
    return r;
  }

  data.hotspots.forEach(function (h, i) {
    var r = spotRect(h, i);
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

  // Places the hotspot layer over the picture as it is drawn now.
  function placeSpots() {
    var tl = vp.imageToViewerElementCoordinates(new OpenSeadragon.Point(0, 0));
    var br = vp.imageToViewerElementCoordinates(new OpenSeadragon.Point(W, H));
    svg.style.left = tl.x + 'px';
    svg.style.top = tl.y + 'px';
    svg.style.width = (br.x - tl.x) + 'px';
    svg.style.height = (br.y - tl.y) + 'px';
  }

  function isMarked(name) {
    return rects.some(function (r) { return r.getAttribute('data-hotspot') === name && r.classList.contains('marked'); });
  }
  function markedNames() {
    var names = [];
    rects.forEach(function (r) {
      var name = r.getAttribute('data-hotspot');
      if (r.classList.contains('marked') && names.indexOf(name) < 0) names.push(name);
    });
    return names;
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
    markPrint();
    return found;
  }
  function toggle(name) {
    mark(name, !isMarked(name));
    remember();
  }
  function clearMarks() {
    markedNames().forEach(function (name) { mark(name, false); });
    remember();
  }

  // Pans so that hotspot i is in view, and its row too.
  function reveal(i) {
    var h = data.hotspots[i];
    var l = Math.min(h.rect[0], h.rect[2]) * W / spaceW, r = Math.max(h.rect[0], h.rect[2]) * W / spaceW;
    var t = Math.min(h.rect[1], h.rect[3]) * H / spaceH, b = Math.max(h.rect[1], h.rect[3]) * H / spaceH;
    var a = vp.imageToViewerElementCoordinates(new OpenSeadragon.Point(l, t));
    var z = vp.imageToViewerElementCoordinates(new OpenSeadragon.Point(r, b));
    var box = vp.getContainerSize();
    if (a.x < 0 || a.y < 0 || z.x > box.x || z.y > box.y) {
      fitted = false;
      show(scale(), (l + r) / 2, (t + b) / 2);
    }
    rows[i].scrollIntoView({ block: 'nearest' });
  }

  // ---- The address ----
  function decoded(text) {
    try {
      return decodeURIComponent(text);
    } catch (e) {
      return null;
    }
  }
  // What the fragment asks for: { marks: [...], view: [s, x, y] or null }.
  function fromAddress() {
    var hash = location.hash.slice(1), asked = { marks: [], view: null };
    if (!/^(marks|view)=/.test(hash)) {
      var name = decoded(hash);
      if (name) asked.marks.push(name);
      return asked;
    }
    hash.split('&').forEach(function (part) {
      var eq = part.indexOf('='), key = part.slice(0, eq), value = part.slice(eq + 1);
      if (key === 'marks') {
        value.split(',').forEach(function (n) { n = decoded(n); if (n) asked.marks.push(n); });
      } else if (key === 'view') {
        var v = value.split(',').map(Number);
        if (v.length === 3 && v.every(isFinite) && v[0] > 0) asked.view = v;
      }
    });
    return asked;
  }
  var written = '';
  function remember() {
    var s = scale(), c = centre(), parts = [];
    var names = markedNames();
    if (names.length) parts.push('marks=' + names.map(encodeURIComponent).join(','));
    if (!fitted) parts.push('view=' + +s.toPrecision(6) + ',' + Math.round(c.x) + ',' + Math.round(c.y));
    written = parts.length ? '#' + parts.join('&') : '';
    history.replaceState(null, '', written || location.pathname + location.search);
  }
  function followAddress() {
    if (location.hash === written) return;
    var asked = fromAddress();
    markedNames().forEach(function (name) { mark(name, false); });
    var first = -1;
    asked.marks.forEach(function (name) {
      if (mark(name, true) && first < 0) first = data.hotspots.findIndex(function (h) { return h.name === name; });
    });
    // The view once the picture is open.
    pending = { view: asked.view, first: first };
    if (viewer.world.getItemCount()) showAsked();
  }
  var pending = null;
  function showAsked() {
    if (pending && pending.view) {
      fitted = false;
      show(pending.view[0], pending.view[1], pending.view[2], true);
    } else if (pending && pending.first >= 0) {
      reveal(pending.first);
    }
    pending = null;
  }

  // ---- Pointer, touch and keys ----
  // The hotspot under the mouse is inverted and its name and text shown; a
  // tap shows them too, where no mouse hovers.
  var hovered = null;
  function spotAt(target) {
    return target && target.getAttribute && target.getAttribute('data-hotspot') !== null ? target : null;
  }
  function showTip(r, clientX, clientY) {
    if (!r) {
      tip.hidden = true;
      return;
    }
    var h = data.hotspots[Number(r.getAttribute('data-index'))];
    $('tip-name').textContent = h.name;
    $('tip-text').textContent = h.text;
    tip.hidden = false;
    var box = viewport.getBoundingClientRect();
    var tx = clientX - box.left + 14, ty = clientY - box.top + 18;
    tip.style.left = Math.max(0, Math.min(tx, viewport.clientWidth - tip.offsetWidth - 4)) + 'px';
    tip.style.top = (ty + tip.offsetHeight > viewport.clientHeight ? Math.max(0, ty - tip.offsetHeight - 24) : ty) + 'px';
  }
  function hover(r) {
    if (r === hovered) return;
    if (hovered) hovered.classList.remove('hover');
    if (r) r.classList.add('hover');
    hovered = r;
  }
  viewport.addEventListener('pointermove', function (e) {
    if (e.pointerType !== 'mouse' || e.buttons) return;
    var r = spotAt(e.target);
    hover(r);
    showTip(r, e.clientX, e.clientY);
  }, true);
  viewport.addEventListener('pointerleave', function (e) {
    if (e.pointerType !== 'mouse') return;
    hover(null);
    showTip(null);
  });
  viewer.addHandler('canvas-drag', function () {
    hover(null);
    tip.hidden = true;
  });
  // A press and release without moving is a click (or tap).
  viewer.addHandler('canvas-click', function (e) {
    if (!e.quick) return;
    var ev = e.originalEvent, r = spotAt(document.elementFromPoint(ev.clientX, ev.clientY));
    if (!r) {
      if (e.pointerType !== 'mouse') tip.hidden = true;
      return;
    }
    toggle(r.getAttribute('data-hotspot'));
    rows[Number(r.getAttribute('data-index'))].scrollIntoView({ block: 'nearest' });
    if (e.pointerType !== 'mouse') showTip(r, ev.clientX, ev.clientY);
  });

  $('zoom-in').addEventListener('click', function () { zoomBy(1.25); });
  $('zoom-out').addEventListener('click', function () { zoomBy(0.8); });
  // Fit and 1:1 jump there: the tiles of the new view load at once.
  $('fit').addEventListener('click', function () { fit(true); });
  $('actual').addEventListener('click', function () { actual(true); });
  $('clear').addEventListener('click', clearMarks);
  $('frames').addEventListener('click', function () {
    var hollow = document.body.classList.toggle('hollow');
    this.setAttribute('aria-pressed', hollow ? 'true' : 'false');
  });
  $('drawer').addEventListener('click', function () {
    var open = document.body.classList.toggle('drawer-open');
    this.setAttribute('aria-expanded', open ? 'true' : 'false');
  });
  function actual(immediately) {
    var c = centre();
    fitted = false;
    show(1, c.x, c.y, immediately);
  }

  document.addEventListener('keydown', function (e) {
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    var step = 60, done = true;
    switch (e.key) {
      case '+': case '=': zoomBy(1.25); break;
      case '-': case '_': zoomBy(0.8); break;
      case '0': fit(true); break;
      case '1': actual(true); break;
      case 'Escape': clearMarks(); break;
      default: done = false;
    }
    if (!done && viewport.contains(document.activeElement)) {
      done = true;
      switch (e.key) {
        case 'ArrowLeft': pan(-step, 0); break;
        case 'ArrowRight': pan(step, 0); break;
        case 'ArrowUp': pan(0, -step); break;
        case 'ArrowDown': pan(0, step); break;
        default: done = false;
      }
    }
    if (done) e.preventDefault();
  });

  // ---- Paper ----
  // The whole picture from the largest level of at most about 2,000 pixels
  // across, with the marked hotspots, shown only when printing.
  var paper = $('print'), paperSpots = spotLayer();
  function markPrint() {
    while (paperSpots.firstChild) paperSpots.removeChild(paperSpots.firstChild);
    rects.forEach(function (r, i) {
      if (!r.classList.contains('marked')) return;
      var c = spotRect(data.hotspots[i], i);
      c.setAttribute('class', 'marked');
      paperSpots.appendChild(c);
    });
  }
  (function () {
    var info = data.tiles, tile = info.tiles[0].width, factors = info.tiles[0].scaleFactors;
    var k = factors.filter(function (f) { return Math.ceil(W / f) <= 2048 && Math.ceil(H / f) <= 2048; })[0];
    if (!k) k = factors[factors.length - 1];
    var lw = Math.ceil(W / k), lh = Math.ceil(H / k);
    paper.style.aspectRatio = W + ' / ' + H;
    paper.style.width = 'min(100%, calc((100vh - 20mm) * ' + W / H + '))';
    for (var y = 0; y < lh; y += tile) {
      for (var x = 0; x < lw; x += tile) {
        var w = Math.min(tile, lw - x), h = Math.min(tile, lh - y);
        var rx = x * k, ry = y * k, rw = Math.min(w * k, W - rx), rh = Math.min(h * k, H - ry);
        var whole = rw === W && rh === H;
        var img = document.createElement('img');
        img.alt = '';
        img.src = info.id + '/' + (whole ? 'full' : [rx, ry, rw, rh].join(',')) + '/' +
          (k === 1 && whole ? 'max' : w + ',' + h) + '/0/default.png';
        img.style.left = rx / W * 100 + '%';
        img.style.top = ry / H * 100 + '%';
        img.style.width = rw / W * 100 + '%';
        img.style.height = rh / H * 100 + '%';
        paper.appendChild(img);
      }
    }
    paper.appendChild(paperSpots);
  })();

  // ---- Start ----
  var smooth = null;
  function shown() {
    var s = scale(true);
    viewport.setAttribute('data-scale', String(s));
    scaleOut.value = (s * 100 >= 10 ? Math.round(s * 100) : (s * 100).toFixed(1)) + '%';
    // (Setting it redraws: only when it changes.)
    if (smooth !== (s < 1)) viewer.drawer.setImageSmoothingEnabled(smooth = s < 1);
    placeSpots();
  }
  viewer.addHandler('update-viewport', shown);
  viewer.addHandler('animation-finish', function () {
    shown();
    remember();
  });
  viewer.addHandler('zoom', function (e) { if (e.refPoint) fitted = false; });
  viewer.addHandler('canvas-scroll', function () { fitted = false; });
  viewer.addHandler('canvas-drag', function () { fitted = false; });
  viewer.addHandler('canvas-pinch', function () { fitted = false; });
  viewer.addHandler('canvas-double-click', function () { fitted = false; });
  viewer.addHandler('resize', function () { if (fitted) fit(true); });
  viewer.addHandler('open-failed', function (e) {
    viewport.textContent = 'The picture\u2019s tiles could not be opened: ' + e.message;
  });
  viewer.addHandler('open', function () {
    fit(true);
    showAsked();
    shown();
    viewport.setAttribute('data-ready', '1');
  });
  window.addEventListener('hashchange', followAddress);
  followAddress();
  // Nothing inside the viewer scrolls (a focused or found element would move
  // the picture away from its hotspots).
  viewport.addEventListener('scroll', function (e) { e.target.scrollTop = e.target.scrollLeft = 0; }, true);
  // What tests and the bench ask: is every tile of the view drawn sharp?
  window.tavoimgView = {
    viewer: viewer,
    sharp: function () {
      var item = viewer.world.getItemAt(0);
      return !!item && !viewer.isAnimating() && item.getFullyLoaded();
    },
    show: show
  };
})();
