// The pages of "tavoimg html" in headless Chromium (the system's browser):
// hotspots against the tool's list, hover, marking by click and by address,
// zoom, the index's search, and nothing fetched from anywhere but the page's
// folder; on an A0 page, the tiles at 1:1 against the library's own
// rendering, hotspots at three scales, the address, touch and print; a site
// of hostile file names (sites.js).
// Usage: node pages.js TOOL SITE CHROMIUM A0.tif A0SITE
//   (SITE: "tavoimg html samples -o SITE", A0SITE: "tavoimg html A0.tif -o A0SITE")
// Ends with "browser: N passed, N failed".
'use strict';
const { chromium } = require('playwright-core');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const [tool, site, browserPath, a0, a0Site] = process.argv.slice(2);
const samples = path.join(__dirname, '..', '..', 'samples');
let passed = 0, failed = 0;

function check(what, ok, detail) {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAILED: ${what}${detail === undefined ? '' : ': ' + detail}`);
  }
}

function run(...args) {
  return execFileSync(tool, args, { encoding: 'utf8' });
}

// RGB pixels of a PNG as Chromium writes its screenshots (8-bit RGB or RGBA)
// and as the tool writes its tiles (1-, 4- or 8-bit indexed, 8-bit grey);
// not interlaced.
function decodePng(bytes) {
  let at = 8, width = 0, height = 0, type = 0, depth = 8, table = null;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at), kind = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      depth = body[8];
      type = body[9];
      if (![0, 2, 3, 6].includes(type) || (type !== 3 && depth !== 8) || body[12] !== 0) throw new Error('unexpected PNG form');
    } else if (kind === 'PLTE') {
      table = body;
    } else if (kind === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const channels = { 0: 1, 2: 3, 3: 1, 6: 4 }[type], step = Math.max(1, channels * depth / 8);
  const stride = Math.ceil(width * channels * depth / 8);
  const out = Buffer.alloc(width * height * 3), prior = Buffer.alloc(stride), row = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    for (let i = 0; i < stride; i++) {
      const v = raw[y * (stride + 1) + 1 + i];
      const a = i >= step ? row[i - step] : 0, b = prior[i], c = i >= step ? prior[i - step] : 0;
      let p = 0;
      if (filter === 1) p = a;
      else if (filter === 2) p = b;
      else if (filter === 3) p = (a + b) >> 1;
      else if (filter === 4) {
        const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[i] = (v + p) & 255;
    }
    for (let x = 0; x < width; x++) {
      const o = (y * width + x) * 3;
      if (type === 3) {
        const bit = x * depth, index = (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
        table.copy(out, o, 3 * index, 3 * index + 3);
      } else if (type === 0) {
        out.fill(row[x], o, o + 3);
      } else {
        row.copy(out, o, x * channels, x * channels + 3);
      }
    }
    row.copy(prior);
  }
  return { width, height, rgb: out };
}

// RGB pixels of a 24-bit bottom-up BMP, as "tavoimg render" writes it.
function decodeBmp(bytes) {
  const offset = bytes.readUInt32LE(10), width = bytes.readInt32LE(18), height = bytes.readInt32LE(22);
  const stride = Math.ceil(width * 3 / 4) * 4, rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const p = offset + (height - 1 - y) * stride + x * 3, q = (y * width + x) * 3;
      rgb[q] = bytes[p + 2];
      rgb[q + 1] = bytes[p + 1];
      rgb[q + 2] = bytes[p];
    }
  }
  return { width, height, rgb };
}

async function openPage(browser, file, options) {
  const page = await browser.newPage(Object.assign({ viewport: { width: 1280, height: 900 } }, options || {}));
  page.elsewhere = [];
  page.errors = [];
  page.on('request', (r) => { if (!r.url().startsWith('file:') && !r.url().startsWith('data:')) page.elsewhere.push(r.url()); });
  page.on('pageerror', (e) => page.errors.push(e.message));
  await page.goto(file.startsWith('file://') ? file : 'file://' + path.resolve(site, file));
  if (file !== 'index.html') await sharp(page);
  return page;
}

// Waits until the picture's view has settled with every tile it needs drawn.
async function sharp(page) {
  await page.waitForSelector('#viewport[data-ready]');
  // Two frames, in which an animation that was asked for has started.
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  await page.waitForFunction(() => window.tavoimgView.sharp());
}

async function finish(page, what) {
  check(`${what}: nothing fetched from elsewhere`, page.elsewhere.length === 0, page.elsewhere.join(' '));
  check(`${what}: no script error`, page.errors.length === 0, page.errors.join(' '));
  await page.close();
}

const listedOf = (file) => JSON.parse(run('hotspots', file, '--json'));
const markedNames = (page) => page.$$eval('#spots rect.marked', (rs) => rs.map((r) => r.getAttribute('data-hotspot')));
const scaleOf = async (page) => Number(await page.getAttribute('#viewport', 'data-scale'));

async function pictureChecks(browser) {
  // Every sample page holds the hotspots the tool lists, each named.
  for (const sample of ['drive-unit.drf', 'drive-unit-hotspots.tif', 'control-panel.drf', 'bearing-cap.drf']) {
    const file = sample + '.html', listed = listedOf(path.join(samples, sample));
    const page = await openPage(browser, file);
    const shown = await page.$$eval('#spots rect[data-hotspot]', (rs) => rs.map((r) => r.getAttribute('data-hotspot')));
    check(`${file}: one SVG hotspot per listed hotspot`, JSON.stringify(shown) === JSON.stringify(listed.map((h) => h.name)),
      `${shown.length} shown, ${listed.length} listed`);
    check(`${file}: the index button shows`, await page.isVisible('#back'));
    if (sample === 'control-panel.drf') check('a small picture is not enlarged at Fit', (await scaleOf(page)) === 1);
    await finish(page, file);
  }

  const page = await openPage(browser, 'drive-unit.drf.html');
  // Hover: the name and text under the mouse, and that hotspot inverted.
  const balloon = page.locator('#spots rect[data-hotspot="item-04"]').first();
  await balloon.hover();
  check('hover shows the name', (await page.textContent('#tip-name')) === 'item-04' && !(await page.isHidden('#tip')));
  check('hover shows the text', (await page.textContent('#tip-text')) === 'Ball bearing 6204-2Z');
  check('hover inverts that hotspot', (await balloon.getAttribute('class')) === 'hover');

  // A click marks every hotspot of that name (balloon, parts-list row and gear
  // view), and a second click unmarks them.
  await page.locator('#spots rect[data-hotspot="item-06"]').first().click();
  check('a click marks every hotspot of the name', JSON.stringify(await markedNames(page)) === '["item-06","item-06","item-06"]',
    JSON.stringify(await markedNames(page)));
  check('a click marks the side list rows', (await page.$$('#list button.marked')).length === 3);
  check('a click names the mark in the address', new URL(page.url()).hash === '#marks=item-06', page.url());
  await page.locator('#spots rect[data-hotspot="item-06"]').first().click();
  check('a second click unmarks', (await markedNames(page)).length === 0);

  // The side list: a row marks its name.
  await page.click('#list button[data-hotspot="item-12"]');
  check('a side list row marks its name', JSON.stringify(await markedNames(page)) === '["item-12","item-12"]');
  await page.keyboard.press('Escape');
  check('Escape clears the marks', (await markedNames(page)).length === 0);
  // The keyboard reaches the rows: Tab to a row, Enter marks it.
  await page.focus('#list button[data-hotspot="item-02"]');
  await page.keyboard.press('Enter');
  check('Enter on a focused row marks it', (await markedNames(page)).includes('item-02'));

  // Zoom: + and the wheel scale the picture about a point (a double click
  // above zoomed in too).
  await page.keyboard.press('0');
  await sharp(page);
  const s0 = await scaleOf(page);
  check('0 fits the picture', Math.abs(s0 - 856 / 2200) < 1e-9, s0);
  await page.click('#zoom-in');
  await sharp(page);
  const s1 = await scaleOf(page);
  check('the zoom button scales by 1.25', Math.abs(s1 / s0 - 1.25) < 1e-6, `${s0} -> ${s1}`);
  await page.mouse.move(400, 400);
  await page.mouse.wheel(0, -200);
  await page.waitForFunction((s) => Number(document.getElementById('viewport').dataset.scale) > s * 1.01, s1);
  await page.keyboard.press('-');
  await page.keyboard.press('0');
  await sharp(page);
  check('0 fits the picture again', (await scaleOf(page)) === s0);
  // Dragging pans.
  const box = () => page.locator('#spots').boundingBox();
  const before = await box();
  await page.mouse.move(300, 300);
  await page.mouse.down();
  await page.mouse.move(260, 260, { steps: 4 });
  await page.mouse.up();
  await sharp(page);
  const after = await box();
  check('a drag pans the picture', Math.abs(after.x - before.x + 40) < 1 && Math.abs(after.y - before.y + 40) < 1,
    `${after.x - before.x}, ${after.y - before.y}`);
  await finish(page, 'drive-unit.drf.html');

  // The address's #NAME marks that name when the page opens.
  const name = listedOf(path.join(samples, 'control-panel.drf'))[3].name;
  const linked = await openPage(browser, 'control-panel.drf.html#' + encodeURIComponent(name));
  check('#NAME marks that hotspot', (await markedNames(linked)).every((n) => n === name) && (await markedNames(linked)).length > 0);
  await finish(linked, 'control-panel.drf.html#NAME');
  // A fragment that is no well-formed escape marks nothing and breaks nothing.
  const odd = await openPage(browser, 'bearing-cap.drf.html#100%');
  check('a malformed #fragment marks nothing', (await markedNames(odd)).length === 0);
  await finish(odd, 'bearing-cap.drf.html#100%');
}

// The screen position of each listed hotspot's rectangle when picture pixel
// (cx, cy) is at the viewer's centre at scale s.
function expectedBoxes(spots, view, s, cx, cy) {
  return spots.map((h) => ({
    x: view.x + view.width / 2 + (Math.min(h.rect[0], h.rect[2]) - cx) * s,
    y: view.y + view.height / 2 + (Math.min(h.rect[1], h.rect[3]) - cy) * s,
    width: Math.abs(h.rect[2] - h.rect[0]) * s, height: Math.abs(h.rect[3] - h.rect[1]) * s }));
}

async function hotspotPlaces(page, spots, what, s, cx, cy) {
  const view = await page.locator('#viewport').boundingBox();
  const want = expectedBoxes(spots, view, s, cx, cy);
  const got = await page.$$eval('#spots rect', (rs) => rs.map((r) => { const b = r.getBoundingClientRect(); return { x: b.x, y: b.y, width: b.width, height: b.height }; }));
  let worst = 0;
  want.forEach((w, i) => ['x', 'y', 'width', 'height'].forEach((k) => { worst = Math.max(worst, Math.abs(w[k] - got[i][k])); }));
  check(`${what}: every hotspot in its place`, got.length === spots.length && worst <= 1, `off by up to ${worst} pixels`);
}

// An archive-size page (A0 at 400 dpi) as one picture's page: tiles, the
// library's pixels at 1:1, hotspots at three scales, the address, touch and
// paper.
async function archiveChecks(browser, a0, a0Site) {
  const spots = listedOf(a0), W = 13244, H = 18722;
  const open = (hash, options) => openPage(browser, path.join(a0Site, 'index.html') + (hash || ''), options);
  let page = await open();
  check('a single picture has no index button', !(await page.isVisible('#back')));
  const view = await page.locator('#viewport').boundingBox();
  const fitScale = Math.min(view.width / W, view.height / H);
  check('the A0 page opens fitted', Math.abs((await scaleOf(page)) - fitScale) < 1e-9);
  await hotspotPlaces(page, spots, 'fitted', fitScale, W / 2, H / 2);
  await page.evaluate(() => window.tavoimgView.show(0.25, 5000, 6000, true));
  await sharp(page);
  await hotspotPlaces(page, spots, 'at 25%', 0.25, 5000, 6000);

  // 1:1: the library draws the section that its closest zoom to 1:1 scrolled
  // to (3000, 1000) shows (in a window of 781 x 593 that zoom is 1:1 exactly);
  // the same section in the page is the same pixels.
  const render = path.join(os.tmpdir(), `tavoimg-browser-${process.pid}.bmp`);
  run('render', a0, '--size', '781x593', '--zoom', '400,300,401,301', '--scroll', '3000,1000', '-o', render);
  const expected = decodeBmp(fs.readFileSync(render));
  fs.unlinkSync(render);
  await page.mouse.move(0, 0);
  await page.keyboard.press('1');
  await sharp(page);
  check('1 shows one screen pixel per picture pixel', (await scaleOf(page)) === 1);
  // Picture pixel (3000, 1000) at the viewer's top left, a few pixels of slack
  // around it for where the library's section begins.
  const slack = 8;
  await page.evaluate(([x, y, w, h]) => window.tavoimgView.show(1, x + w / 2, y + h / 2, true),
    [3000 - slack, 1000 - slack, view.width, view.height]);
  await sharp(page);
  await hotspotPlaces(page, spots, 'at 1:1', 1, 3000 - slack + view.width / 2, 1000 - slack + view.height / 2);
  const shot = decodePng(await page.screenshot({ clip: { x: view.x, y: view.y, width: expected.width + 2 * slack, height: expected.height + 2 * slack } }));
  // The library leaves the section's last row to the background.
  let found = null;
  for (let dy = 0; dy <= 2 * slack && !found; dy++) {
    for (let dx = 0; dx <= 2 * slack && !found; dx++) {
      let same = true;
      for (let y = 0; y < expected.height - 1 && same; y++) {
        const a = (y * expected.width) * 3, b = ((y + dy) * shot.width + dx) * 3;
        same = expected.rgb.compare(shot.rgb, b, b + expected.width * 3, a, a + expected.width * 3) === 0;
      }
      if (same) found = [dx, dy];
    }
  }
  check('at 1:1 the tiles are the library rendering of the same section, pixel for pixel', found !== null);

  // The address holds marks and view; opening it again shows the same.
  await page.click('#list button[data-hotspot="item-07"]');
  await page.click('#list button[data-hotspot="item-03"]');
  await sharp(page);
  const address = page.url(), seen = { scale: await scaleOf(page), marks: await markedNames(page), box: await page.locator('#spots').boundingBox() };
  check('the address holds the marks and the view', /#marks=item-0[37],item-0[37]&view=1,\d+,\d+$/.test(new URL(address).hash), address);
  await finish(page, 'A0 page');
  page = await openPage(browser, address);
  const again = { scale: await scaleOf(page), marks: await markedNames(page), box: await page.locator('#spots').boundingBox() };
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
  page = await open('', { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  const bar = await page.$eval('.bar', (b) => [b.scrollWidth, b.clientWidth]);
  check('on a phone the toolbar fits', bar[0] <= bar[1], bar.join(' > '));
  const client = await page.context().newCDPSession(page);
  const touch = (type, points) => client.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
  const s0 = await scaleOf(page);
  await touch('touchStart', [[170, 400], [220, 450]]);
  for (let i = 1; i <= 8; i++) await touch('touchMove', [[170 - 10 * i, 400 - 10 * i], [220 + 10 * i, 450 + 10 * i]]);
  await touch('touchEnd', []);
  await sharp(page);
  check('a pinch zooms in', (await scaleOf(page)) > s0 * 2, `${s0} -> ${await scaleOf(page)}`);
  await page.evaluate(() => window.tavoimgView.show(0.1, 3400, 1400, true));
  await sharp(page);
  const spot = await page.locator('#spots rect[data-hotspot="item-01"]').first().boundingBox();
  await page.touchscreen.tap(spot.x + spot.width / 2, spot.y + spot.height / 2);
  await page.waitForFunction(() => !document.getElementById('tip').hidden);
  check('a tap shows the hotspot\'s name and text', (await page.textContent('#tip')).includes('Housing') &&
    (await markedNames(page)).includes('item-01'));
  await page.tap('#drawer');
  check('the drawer lists every hotspot with its text', await page.isVisible('#list button[data-hotspot="item-05"] .text') &&
    (await page.textContent('#list button[data-hotspot="item-05"] .text')) === spots.find((h) => h.name === 'item-05').text);
  await finish(page, 'A0 page on a phone');
}

// A reduced level of a TIFF's pyramid is the library's own fitted rendering
// at that size, grey levels and all (but for the last row, which the library
// leaves to the background).
async function reducedLevelCheck() {
  const render = path.join(os.tmpdir(), `tavoimg-browser-${process.pid}.bmp`);
  run('render', path.join(samples, 'drive-unit-hotspots.tif'), '--mode', '1', '--size', '864x1100', '-o', render);
  const expected = decodeBmp(fs.readFileSync(render));
  fs.unlinkSync(render);
  let differ = 0;
  for (let y = 0; y < 1100; y += 512) {
    for (let x = 0; x < 864; x += 512) {
      const w = Math.min(512, 864 - x), h = Math.min(512, 1100 - y);
      const file = path.join(site, 'drive-unit-hotspots.tif.iiif', [2 * x, 2 * y, 2 * w, 2 * h].join(','), w + ',' + h, '0', 'default.png');
      const tile = decodePng(fs.readFileSync(file));
      for (let r = 0; r < h && y + r < 1099; r++) {
        const a = (r * w) * 3, b = ((y + r) * 864 + x) * 3;
        if (tile.rgb.compare(expected.rgb, b, b + w * 3, a, a + w * 3) !== 0) differ++;
      }
    }
  }
  check('the half-size level is the library rendering of that size', differ === 0, `${differ} rows differ`);
}

// The index: the pictures as cards, and the search.
async function indexChecks(browser) {
  const page = await openPage(browser, 'index.html');
  const visible = () => page.$$eval('#pictures > li:not([hidden])', (ls) => ls.map((l) => l.dataset.file));
  const all = await visible();
  for (const sample of ['drive-unit.drf', 'control-panel.drf', 'bearing-cap.drf']) {
    check(`the index shows ${sample}`, all.includes(sample), all.join(' '));
  }
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
  await page.fill('#search', 'bearing');
  const bearing = await visible();
  check('the search finds "bearing"', bearing.includes('bearing-cap.drf'), bearing.join(' '));
  check('"bearing" also finds the hotspot texts that hold it', bearing.includes('drive-unit.drf') &&
    (await page.textContent('li[data-file="drive-unit.drf"] .matches')).includes('Ball bearing 6204-2Z'));
  await page.fill('#search', 'housing');
  check('the search covers hotspot texts', JSON.stringify(await visible()) === '["drive-unit-hotspots.tif","drive-unit.drf"]',
    JSON.stringify(await visible()));
  await page.fill('#search', 'no such thing');
  check('a search without matches says so', (await visible()).length === 0 && !(await page.isHidden('#none')));
  await page.fill('#search', 'housing');
  await page.click('li[data-file="drive-unit.drf"] .matches a');
  check('a found hotspot opens its page with it marked', (await markedNames(page)).includes('item-01'), page.url());
  await finish(page, 'index.html');
}

(async () => {
  const browser = await chromium.launch({ executablePath: browserPath, args: ['--no-sandbox'] });
  try {
    await pictureChecks(browser);
    await reducedLevelCheck();
    await indexChecks(browser);
    await require('./sites.js')(browser, tool, samples, check);
    await archiveChecks(browser, a0, a0Site);
  } catch (e) {
    check('the browser tests ran to the end', false, e.stack);
  }
  await browser.close();
  console.log(`browser: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
