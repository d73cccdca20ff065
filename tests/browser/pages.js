// The pages of "tavoimg html" in headless Chromium (the system's browser):
// hotspots against the tool's list, hover, marking by click and by address,
// zoom, the index's search; on an A0 page, the tiles at 1:1 against the
// library's own rendering, hotspots at three scales, the address, touch and
// print; a site of hostile file names. On every page: nothing fetched from
// outside its site, no dialog, no script error, no file missing.
// Usage: node pages.js TOOL SITE CHROMIUM A0.tif A0SITE
//   (SITE: "tavoimg html samples -o SITE", A0SITE: "tavoimg html A0.tif -o A0SITE")
// Ends with "browser: N passed, N failed".
'use strict';
const { chromium } = require('playwright-core');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');

const [tool, site, browserPath, a0, a0Site] = process.argv.slice(2);
const samples = path.join(__dirname, '..', '..', 'samples');
let passed = 0, failed = 0, browser;

function check(what, ok, detail) {
  if (ok) return passed++;
  failed++;
  console.log(`FAILED: ${what}${detail === undefined ? '' : ': ' + detail}`);
}

const run = (...args) => execFileSync(tool, args, { encoding: 'utf8' });

// The RGB pixels of an image file (a screenshot, a tile, a BMP of "tavoimg
// render"), as Chromium itself decodes it.
async function pixels(bytes, type) {
  const page = await browser.newPage();
  const [width, height, rgb] = await page.evaluate(async (url) => {
    const img = new Image();
    img.src = url;
    await img.decode();
    const c = Object.assign(document.createElement('canvas'), { width: img.naturalWidth, height: img.naturalHeight });
    c.getContext('2d').drawImage(img, 0, 0);
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data, out = [];
    for (let i = 0; i < d.length; i += 4) out.push(String.fromCharCode(d[i], d[i + 1], d[i + 2]));
    return [c.width, c.height, btoa(out.join(''))];
  }, `data:${type};base64,${bytes.toString('base64')}`);
  await page.close();
  return { width, height, rgb: Buffer.from(rgb, 'base64') };
}

// What "tavoimg render ARGS" draws, as pixels.
async function rendered(...args) {
  const file = path.join(os.tmpdir(), `tavoimg-browser-${process.pid}.bmp`);
  run('render', ...args, '-o', file);
  const bytes = fs.readFileSync(file);
  fs.unlinkSync(file);
  return pixels(bytes, 'image/bmp');
}

// How many of h rows of w pixels differ between picture a at (ax, ay) and
// picture b at (bx, by).
function rowsDiffer(a, ax, ay, b, bx, by, w, h) {
  let n = 0;
  for (let r = 0; r < h; r++) {
    const p = ((ay + r) * a.width + ax) * 3, q = ((by + r) * b.width + bx) * 3;
    if (a.rgb.compare(b.rgb, q, q + w * 3, p, p + w * 3) !== 0) n++;
  }
  return n;
}

// Opens FILE (or a file:// address) of the site in folder ROOT, noting every
// request outside the site, script error, dialog and file that was not there.
async function openPage(root, file, options) {
  const page = await browser.newPage(Object.assign({ viewport: { width: 1280, height: 900 } }, options || {}));
  const base = pathToFileURL(root).href + '/';
  Object.assign(page, { elsewhere: [], errors: [], dialogs: 0, missing: [] });
  page.on('request', (r) => { if (!r.url().startsWith(base) && !r.url().startsWith('data:')) page.elsewhere.push(r.url()); });
  page.on('pageerror', (e) => page.errors.push(e.message));
  page.on('dialog', (d) => { page.dialogs++; d.dismiss(); });
  page.on('requestfailed', (r) => { if (r.failure().errorText !== 'net::ERR_ABORTED') page.missing.push(r.url()); });
  await page.goto(file.startsWith('file://') ? file : base + file);
  if (file !== 'index.html') await sharp(page);
  return page;
}

// Waits until the picture's view has settled with every tile it needs drawn
// (two frames first, in which an animation that was asked for has started).
async function sharp(page) {
  await page.waitForSelector('#viewport[data-ready]');
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  await page.waitForFunction(() => window.tavoimgView.sharp());
}

async function finish(page, what) {
  check(`${what}: no request or link leaves the site`, page.elsewhere.length === 0, page.elsewhere.join(' '));
  check(`${what}: no script error`, page.errors.length === 0, page.errors.join(' '));
  check(`${what}: no dialog opened`, page.dialogs === 0, `${page.dialogs} dialogs`);
  check(`${what}: every file the page asked for was there`, page.missing.length === 0, page.missing.join(' '));
  await page.close();
}

const listedOf = (file) => JSON.parse(run('hotspots', file, '--json'));
const markedNames = (page) => page.$$eval('#spots rect.marked', (rs) => rs.map((r) => r.getAttribute('data-hotspot')));
const scaleOf = async (page) => Number(await page.getAttribute('#viewport', 'data-scale'));
const spot = (page, name) => page.locator(`#spots rect[data-hotspot="${name}"]`).first();
// Does something on the page, then waits for the view to settle.
const settled = async (page, action) => { await action(); await sharp(page); };
const show = (page, s, x, y) => settled(page, () => page.evaluate(([s, x, y]) => window.tavoimgView.show(s, x, y, true), [s, x, y]));

async function pictureChecks() {
  // Every sample page holds the hotspots the tool lists, each named.
  for (const sample of ['drive-unit.drf', 'drive-unit-hotspots.tif', 'control-panel.drf', 'bearing-cap.drf']) {
    const file = sample + '.html', listed = listedOf(path.join(samples, sample)).map((h) => h.name);
    const page = await openPage(site, file);
    const shown = await page.$$eval('#spots rect[data-hotspot]', (rs) => rs.map((r) => r.getAttribute('data-hotspot')));
    check(`${file}: one SVG hotspot per listed hotspot`, JSON.stringify(shown) === JSON.stringify(listed), `${shown.length} shown, ${listed.length} listed`);
    check(`${file}: the index button shows`, await page.isVisible('#back'));
    if (sample === 'control-panel.drf') check('a small picture is not enlarged at Fit', (await scaleOf(page)) === 1);
    await finish(page, file);
  }

  const page = await openPage(site, 'drive-unit.drf.html');
  const marks = async () => JSON.stringify(await markedNames(page));
  // Hover: the name and text under the mouse, and that hotspot inverted.
  await spot(page, 'item-04').hover();
  check('hover shows the name and text', (await page.textContent('#tip-name')) === 'item-04' && !(await page.isHidden('#tip')) &&
    (await page.textContent('#tip-text')) === 'Ball bearing 6204-2Z');
  check('hover inverts that hotspot', (await spot(page, 'item-04').getAttribute('class')) === 'hover');
  // A click marks every hotspot of that name (balloon, parts-list row and gear
  // view) and its side list rows, and names it in the address; a second click
  // unmarks. A side list row marks its name, Escape clears, Enter on a row marks.
  await spot(page, 'item-06').click();
  check('a click marks every hotspot of the name', (await marks()) === '["item-06","item-06","item-06"]', await marks());
  check('a click marks the side list rows', (await page.$$('#list button.marked')).length === 3);
  check('a click names the mark in the address', new URL(page.url()).hash === '#marks=item-06', page.url());
  await spot(page, 'item-06').click();
  check('a second click unmarks', (await marks()) === '[]');
  await page.click('#list button[data-hotspot="item-12"]');
  check('a side list row marks its name', (await marks()) === '["item-12","item-12"]');
  await page.keyboard.press('Escape');
  check('Escape clears the marks', (await marks()) === '[]');
  await page.focus('#list button[data-hotspot="item-02"]');
  await page.keyboard.press('Enter');
  check('Enter on a focused row marks it', (await markedNames(page)).includes('item-02'));

  // Zoom: 0 fits, + scales by 1.25, the wheel zooms in, 0 fits again.
  await settled(page, () => page.keyboard.press('0'));
  const s0 = await scaleOf(page);
  check('0 fits the picture', Math.abs(s0 - 856 / 2200) < 1e-9, s0);
  await settled(page, () => page.click('#zoom-in'));
  const s1 = await scaleOf(page);
  check('the zoom button scales by 1.25', Math.abs(s1 / s0 - 1.25) < 1e-6, `${s0} -> ${s1}`);
  await page.mouse.move(400, 400);
  await page.mouse.wheel(0, -200);
  await page.waitForFunction((s) => Number(document.getElementById('viewport').dataset.scale) > s * 1.01, s1);
  await page.keyboard.press('-');
  await settled(page, () => page.keyboard.press('0'));
  check('0 fits the picture again', (await scaleOf(page)) === s0);
  // Dragging pans.
  const before = await page.locator('#spots').boundingBox();
  await page.mouse.move(300, 300);
  await page.mouse.down();
  await settled(page, async () => { await page.mouse.move(260, 260, { steps: 4 }); await page.mouse.up(); });
  const after = await page.locator('#spots').boundingBox(), dx = after.x - before.x, dy = after.y - before.y;
  check('a drag pans the picture', Math.abs(dx + 40) < 1 && Math.abs(dy + 40) < 1, `${dx}, ${dy}`);
  await finish(page, 'drive-unit.drf.html');

  // The address's #NAME marks that name when the page opens; a fragment that
  // is no well-formed escape marks nothing and breaks nothing.
  const name = listedOf(path.join(samples, 'control-panel.drf'))[3].name;
  for (const [file, want] of [['control-panel.drf.html#' + encodeURIComponent(name), name], ['bearing-cap.drf.html#100%', null]]) {
    const linked = await openPage(site, file), marked = await markedNames(linked);
    check(`${file} marks ${want || 'nothing'}`, want ? marked.length > 0 && marked.every((n) => n === want) : marked.length === 0);
    await finish(linked, file);
  }
}

// Every listed hotspot's rectangle is in its screen place when picture pixel
// (cx, cy) is at the viewer's centre at scale s.
async function hotspotPlaces(page, spots, what, s, cx, cy) {
  const view = await page.locator('#viewport').boundingBox();
  const got = await page.$$eval('#spots rect', (rs) => rs.map((r) => { const b = r.getBoundingClientRect(); return [b.x, b.y, b.width, b.height]; }));
  let worst = 0;
  spots.forEach(({ rect: [x0, y0, x1, y1] }, i) => [view.x + view.width / 2 + (Math.min(x0, x1) - cx) * s,
    view.y + view.height / 2 + (Math.min(y0, y1) - cy) * s, Math.abs(x1 - x0) * s, Math.abs(y1 - y0) * s]
    .forEach((v, k) => { worst = Math.max(worst, Math.abs(v - ((got[i] || [])[k] ?? Infinity))); }));
  check(`${what}: every hotspot in its place`, got.length === spots.length && worst <= 1, `off by up to ${worst} pixels`);
}

// An archive-size page (A0 at 400 dpi) as one picture's page: tiles, the
// library's pixels at 1:1, hotspots at three scales, the address, touch and
// paper.
async function archiveChecks() {
  const spots = listedOf(a0), W = 13244, H = 18722;
  let page = await openPage(a0Site, 'index.html');
  check('a single picture has no index button', !(await page.isVisible('#back')));
  const view = await page.locator('#viewport').boundingBox();
  const fitScale = Math.min(view.width / W, view.height / H);
  check('the A0 page opens fitted', Math.abs((await scaleOf(page)) - fitScale) < 1e-9);
  await hotspotPlaces(page, spots, 'fitted', fitScale, W / 2, H / 2);
  await show(page, 0.25, 5000, 6000);
  await hotspotPlaces(page, spots, 'at 25%', 0.25, 5000, 6000);

  // 1:1: the library draws the section that its closest zoom to 1:1 scrolled
  // to (3000, 1000) shows (in a window of 781 x 593 that zoom is 1:1 exactly);
  // the same section in the page is the same pixels.
  const expected = await rendered(a0, '--size', '781x593', '--zoom', '400,300,401,301', '--scroll', '3000,1000');
  await page.mouse.move(0, 0);
  await settled(page, () => page.keyboard.press('1'));
  check('1 shows one screen pixel per picture pixel', (await scaleOf(page)) === 1);
  // Picture pixel (3000, 1000) at the viewer's top left, a few pixels of slack
  // around it for where the library's section begins.
  const slack = 8, cx = 3000 - slack + view.width / 2, cy = 1000 - slack + view.height / 2;
  await show(page, 1, cx, cy);
  await hotspotPlaces(page, spots, 'at 1:1', 1, cx, cy);
  const shot = await pixels(await page.screenshot({ clip: { x: view.x, y: view.y, width: expected.width + 2 * slack, height: expected.height + 2 * slack } }), 'image/png');
  // The library leaves the section's last row to the background.
  let found = false;
  for (let dy = 0; dy <= 2 * slack && !found; dy++) {
    for (let dx = 0; dx <= 2 * slack && !found; dx++) found = rowsDiffer(expected, 0, 0, shot, dx, dy, expected.width, expected.height - 1) === 0;
  }
  check('at 1:1 the tiles are the library rendering of the same section, pixel for pixel', found);

  // The address holds marks and view; opening it again shows the same.
  await page.click('#list button[data-hotspot="item-07"]');
  await settled(page, () => page.click('#list button[data-hotspot="item-03"]'));
  const state = async () => ({ scale: await scaleOf(page), marks: await markedNames(page), box: await page.locator('#spots').boundingBox() });
  const address = page.url(), seen = await state();
  check('the address holds the marks and the view', /#marks=item-0[37],item-0[37]&view=1,\d+,\d+$/.test(new URL(address).hash), address);
  await finish(page, 'A0 page');
  page = await openPage(a0Site, address);
  const again = await state();
  check('reloading the address shows the same view and marks', JSON.stringify(again) === JSON.stringify(seen),
    `${JSON.stringify(seen)} then ${JSON.stringify(again)}`);

  // Paper: the whole picture, fitted, with the marks, and nothing else.
  await page.emulateMedia({ media: 'print' });
  await page.waitForFunction(() => [...document.querySelectorAll('#print img')].every((i) => i.complete && i.naturalWidth > 0));
  const paper = await page.locator('#print').boundingBox(), screen = page.viewportSize();
  check('printing shows the whole picture in its proportion', paper && paper.width > 0 && paper.x >= 0 && paper.y >= 0 &&
    paper.x + paper.width <= screen.width + 0.5 && paper.y + paper.height <= screen.height + 0.5 &&
    Math.abs(paper.width / paper.height - W / H) < 0.01, JSON.stringify(paper));
  check('printing shows the marks and no tools', (await page.$$('#print rect.marked')).length === seen.marks.length &&
    !(await page.isVisible('.bar')) && !(await page.isVisible('#viewport')));
  await finish(page, 'A0 page printed');

  // A phone: the tools fit, a pinch zooms, a tap and the drawer show a
  // hotspot's text.
  page = await openPage(a0Site, 'index.html', { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  const bar = await page.$eval('.bar', (b) => [b.scrollWidth, b.clientWidth]);
  check('on a phone the toolbar fits', bar[0] <= bar[1], bar.join(' > '));
  const client = await page.context().newCDPSession(page);
  const touch = (type, points) => client.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
  const s0 = await scaleOf(page);
  await touch('touchStart', [[170, 400], [220, 450]]);
  for (let i = 1; i <= 8; i++) await touch('touchMove', [[170 - 10 * i, 400 - 10 * i], [220 + 10 * i, 450 + 10 * i]]);
  await settled(page, () => touch('touchEnd', []));
  check('a pinch zooms in', (await scaleOf(page)) > s0 * 2, `${s0} -> ${await scaleOf(page)}`);
  await show(page, 0.1, 3400, 1400);
  const box = await spot(page, 'item-01').boundingBox();
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
  await page.waitForFunction(() => !document.getElementById('tip').hidden);
  check('a tap shows the hotspot\'s name and text', (await page.textContent('#tip')).includes('Housing') &&
    (await markedNames(page)).includes('item-01'));
  await page.tap('#drawer');
  const text = '#list button[data-hotspot="item-05"] .text';
  check('the drawer lists every hotspot with its text', await page.isVisible(text) &&
    (await page.textContent(text)) === spots.find((h) => h.name === 'item-05').text);
  await finish(page, 'A0 page on a phone');
}

// A reduced level of a TIFF's pyramid is the library's own fitted rendering
// at that size, grey levels and all (but for the last row, which the library
// leaves to the background).
async function reducedLevelCheck() {
  const expected = await rendered(path.join(samples, 'drive-unit-hotspots.tif'), '--mode', '1', '--size', '864x1100');
  let differ = 0;
  for (let y = 0; y < 1100; y += 512) {
    for (let x = 0; x < 864; x += 512) {
      const w = Math.min(512, 864 - x), h = Math.min(512, 1100 - y);
      const file = path.join(site, 'drive-unit-hotspots.tif.iiif', [2 * x, 2 * y, 2 * w, 2 * h].join(','), w + ',' + h, '0', 'default.png');
      const tile = await pixels(fs.readFileSync(file), 'image/png');
      differ += rowsDiffer(tile, 0, 0, expected, x, y, w, Math.min(h, 1099 - y));
    }
  }
  check('the half-size level is the library rendering of that size', differ === 0, `${differ} rows differ`);
}

// The index: the pictures as cards, and the search.
async function indexChecks() {
  const page = await openPage(site, 'index.html');
  const visible = () => page.$$eval('#pictures > li:not([hidden])', (ls) => ls.map((l) => l.dataset.file));
  const all = await visible();
  check('the index shows the samples', ['drive-unit.drf', 'control-panel.drf', 'bearing-cap.drf'].every((f) => all.includes(f)), all.join(' '));
  check('every thumbnail loaded', await page.$$eval('.thumb img', (is) => is.every((i) => i.naturalWidth > 0)));
  // Each card links to its picture's manifest: one canvas painted by the
  // pyramid, and every hotspot an annotation on its rectangle.
  const href = await page.getAttribute('li[data-file="drive-unit-hotspots.tif"] a.manifest', 'href');
  const manifest = JSON.parse(fs.readFileSync(path.join(site, decodeURIComponent(href)), 'utf8'));
  const canvas = manifest.items[0], notes = canvas.annotations[0].items, listed = listedOf(path.join(samples, 'drive-unit-hotspots.tif'));
  const service = canvas.items[0].items[0].body.service[0].id;
  check('the manifest paints the canvas with the pyramid', canvas.width === 1728 &&
    JSON.parse(fs.readFileSync(path.join(site, service, 'info.json'), 'utf8')).width === 1728);
  check('the manifest holds every hotspot on its rectangle', notes.length === listed.length && notes.every((n, i) =>
    n.body[0].value === listed[i].name && n.target.endsWith('#xywh=' + [listed[i].rect[0], listed[i].rect[1],
      listed[i].rect[2] - listed[i].rect[0], listed[i].rect[3] - listed[i].rect[1]].join(','))), JSON.stringify(notes[0]));
  // The search covers file names and hotspot texts, shows the texts it
  // matched, and says when nothing matches.
  for (const [words, want] of [['bearing', '["bearing-cap.drf","drive-unit-hotspots.tif","drive-unit.drf"]'], ['housing', '["drive-unit-hotspots.tif","drive-unit.drf"]'], ['no such thing', '[]']]) {
    await page.fill('#search', words);
    check(`the search for "${words}" shows ${want}`, JSON.stringify(await visible()) === want && (await page.isHidden('#none')) === (want !== '[]'), JSON.stringify(await visible()));
  }
  await page.fill('#search', 'bearing');
  check('the search shows the hotspot texts it matched', (await page.textContent('li[data-file="drive-unit.drf"] .matches')).includes('Ball bearing 6204-2Z'));
  await page.fill('#search', 'housing');
  await page.click('li[data-file="drive-unit.drf"] .matches a');
  check('a found hotspot opens its page with it marked', (await markedNames(page)).includes('item-01'), page.url());
  await finish(page, 'index.html');
}

// A site of hostile file names: each picture is reached from the index by a
// click on its card and through a search's match link.
const HOSTILE = ['javascript:alert(1).drf', 'https:elsewhere.drf', 'a#b.drf', 'q?x=1&y=2.drf', '100%.drf',
  '%2e%2e%2findex.drf', 'new\nline.drf', 'quo"te\'s.drf', '<b onmouseover=alert(3)>x.drf', 'caf\u00e9 \u00fc.drf',
  '-dash.drf', '--help.drf'].map((n) => Buffer.from(n)).concat([Buffer.from([0xff, 0xfe, 0x2e, 0x64, 0x72, 0x66])]);
// The address the tool gives a name: every byte but letters, digits and
// "-._~" percent-encoded.
const encode = (bytes) => [...bytes].map((b) => /[A-Za-z0-9._~-]/.test(String.fromCharCode(b)) ? String.fromCharCode(b)
  : '%' + b.toString(16).toUpperCase().padStart(2, '0')).join('');

async function hostileNames() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'tavoimg-hostile-'));
  const hostile = path.join(folder, 'site'), pictures = path.join(folder, 'pictures');
  fs.mkdirSync(pictures);
  for (const name of HOSTILE) fs.copyFileSync(path.join(samples, 'bearing-cap.drf'), Buffer.concat([Buffer.from(pictures + '/'), name]));
  run('html', pictures, '-o', hostile);
  const page = await openPage(hostile, 'index.html'), base = pathToFileURL(hostile).href + '/';
  const linksLeaving = async () => page.elsewhere.push(...await page.$$eval('a[href]', (as, base) =>
    as.map((a) => a.href).filter((h) => !h.startsWith(base)), base));
  // Opens the index (searching for WORDS if given) and follows the link
  // SELECTOR; notes every link leaving the site on the way, and the page reached.
  const follow = async (selector, words) => {
    await page.goto(base + 'index.html');
    check('hostile names: the index lists every picture', (await page.$$('#pictures > li')).length === HOSTILE.length);
    if (words) await page.fill('#search', words);
    await linksLeaving();
    await page.hover(selector);
    await page.click(selector);
    await page.waitForLoadState('load');
    await linksLeaving();
    return page.url().replace(/#.*/, '');
  };
  const reached = new Set(), searched = new Set();
  for (let i = 1; i <= HOSTILE.length; i++) {
    reached.add(await follow(`#pictures > li:nth-child(${i}) a.card`));
    searched.add(await follow(`#pictures > li:nth-child(${i}) .matches a`, 'flange'));
  }
  const missed = (seen) => HOSTILE.map((n) => base + encode(n) + '.html').filter((u) => !seen.has(u)).join(' ');
  check('hostile names: a click on each card opens its own page', missed(reached) === '', missed(reached));
  check('hostile names: each is found by a search and opened from its match', missed(searched) === '', missed(searched));
  await finish(page, 'hostile names');
  fs.rmSync(folder, { recursive: true, force: true });
}

(async () => {
  browser = await chromium.launch({ executablePath: browserPath, args: ['--no-sandbox'] });
  try {
    await pictureChecks();
    await reducedLevelCheck();
    await indexChecks();
    await hostileNames();
    await archiveChecks();
  } catch (e) {
    check('the browser tests ran to the end', false, e.stack);
  }
  await browser.close();
  console.log(`browser: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
