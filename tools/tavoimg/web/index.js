// The site's index: a card per picture, and a search over file names,
// descriptions and hotspot names and texts. Every word typed must be found in
// one of them. Links are the relative "./" addresses the tool wrote, with
// every byte of a name percent-encoded; anything else links nowhere.
(function () {
  'use strict';
  var pictures = JSON.parse(document.getElementById('index-data').textContent);
  var listEl = document.getElementById('pictures'), search = document.getElementById('search');
  var found = document.getElementById('found'), none = document.getElementById('none');
  function local(href) { return /^\.\//.test(href) ? href : '#'; }
  var cards = pictures.map(function (p) {
    var li = document.createElement('li');
    li.setAttribute('data-file', p.file);
    var a = document.createElement('a');
    a.className = 'card';
    a.href = local(p.page);
    a.title = 'Open ' + p.file;
    var thumb = document.createElement('div');
    thumb.className = 'thumb';
    var img = document.createElement('img');
    img.src = local(p.thumb);
    img.alt = p.file + ' (' + p.description + ')';
    img.loading = 'lazy';
    thumb.appendChild(img);
    var file = document.createElement('div');
    file.className = 'file';
    file.textContent = p.file;
    var about = document.createElement('div');
    about.className = 'about';
    about.textContent = p.description + ', ' + p.width + ' \u00d7 ' + p.height + ', ' + p.hotspots.length +
      (p.hotspots.length === 1 ? ' hotspot' : ' hotspots');
    a.appendChild(thumb);
    a.appendChild(file);
    a.appendChild(about);
    li.appendChild(a);
    if (p.manifest) {
      // The picture with its hotspots for any IIIF viewer.
      var iiif = document.createElement('a');
      iiif.className = 'manifest';
      iiif.href = p.manifest;
      iiif.textContent = 'IIIF manifest';
      iiif.title = p.file + ' with its hotspots as a IIIF Presentation 3 manifest';
      li.appendChild(iiif);
    }
    var matches = document.createElement('ul');
    matches.className = 'matches';
    li.appendChild(matches);
    listEl.appendChild(li);
    return { picture: p, li: li, matches: matches };
  });

  function filter() {
    var words = search.value.toLowerCase().split(/\s+/).filter(Boolean);
    var shown = 0;
    cards.forEach(function (c) {
      var p = c.picture;
      var cardText = (p.file + ' ' + p.description).toLowerCase();
      var hits = p.hotspots.filter(function (h) {
        var t = (h[0] + ' ' + h[1]).toLowerCase();
        return words.length && words.every(function (w) { return t.indexOf(w) >= 0 || cardText.indexOf(w) >= 0; });
      });
      var all = (cardText + ' ' + p.hotspots.map(function (h) { return h[0] + ' ' + h[1]; }).join(' ')).toLowerCase();
      var match = words.every(function (w) { return all.indexOf(w) >= 0; });
      c.li.hidden = !match;
      c.matches.textContent = '';
      // Names are any text at all ("constructor", "__proto__"): a Set, not an object.
      var seen = new Set();
      hits.forEach(function (h) {
        if (seen.has(h[0]) || words.every(function (w) { return cardText.indexOf(w) >= 0; })) return;
        seen.add(h[0]);
        var item = document.createElement('li');
        var link = document.createElement('a');
        link.href = local(p.page) + '#' + encodeURIComponent(h[0]);
        link.textContent = h[0] + (h[1] ? ': ' + h[1] : '');
        link.title = 'Open ' + p.file + ' with ' + h[0] + ' marked';
        item.appendChild(link);
        c.matches.appendChild(item);
      });
      if (match) shown++;
    });
    found.value = words.length ? shown + ' of ' + cards.length : cards.length + ' pictures';
    none.hidden = shown > 0;
  }
  search.addEventListener('input', filter);
  filter();
})();
